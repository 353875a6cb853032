#pragma once

class QWidget;

// While one lives, the screen `ecra` is busy with the operator's last touch:
// - the hourglass pointer at once;
// - once the work has taken about 300 ms, a veil with "A processar..." over the screen. The work
//   holds the thread, so no timer can show it: it is painted at the work's next pause
//   (Actividade::Pulsar, before each statement) and kept moving at the following ones;
// - touches on the screen are swallowed, also those that queued while the work held the thread:
//   they are taken off the queue before the guard ends, so none fires afterwards (a second
//   Confirmar posts nothing twice).
// A dialog opened meanwhile (a question, a refusal, the keypad) is the operator's turn: while
// one is up the pointer and the screen are as usual, and the 300 ms count again after it closes.
// Guards nest; the outermost does the work.
class Ocupado
{
public:
    explicit Ocupado(QWidget* ecra);
    ~Ocupado();
    Ocupado(const Ocupado&) = delete;
    Ocupado& operator=(const Ocupado&) = delete;

    // Milliseconds of work before the veil is shown.
    static constexpr int Limiar = 300;

    // True while a guard lives; how many times the veil has been shown since the program began.
    static bool activo();
    static int vezesMostrado();
    // The veil of the busy screen, or nullptr.
    static QWidget* indicador();

private:
    bool m_exterior = false;
};
