#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>

// Tells a barcode scanner that works as a keyboard ("keyboard wedge") from a person typing.
// Installed as an event filter on the application, it sees every key before any widget does: a
// burst of printable keys, each pressed within IntervaloMaximo ms of the one before and ended by
// Enter or Tab (or a line feed), is a scan, wherever the focus is. The scan's keys, the ending key
// and their releases are swallowed and codigoLido is emitted (queued, once the key event has returned).
//
// While a burst may still turn out to be a scan its keys are held back. As soon as it is typing
// instead (a key comes later than the interval, a pause outlasts twice the interval, a key that
// cannot be part of a code comes, the mouse or a touch is pressed) the held keys are delivered, in
// their order, to where they were going. A person's typing therefore arrives unchanged, each key
// at most twice the interval late. Auto-repeated keys and keys with Ctrl, Alt or Meta are never
// part of a scan.
class LeitorCodigos : public QObject
{
    Q_OBJECT

public:
    // Fewer characters before the Enter or Tab are typing, however fast.
    static constexpr int ComprimentoMinimo = 2;

    explicit LeitorCodigos(QObject* parent = nullptr);
    ~LeitorCodigos() override;

    // Installs the filter on the running application (and removes it on destruction).
    void instalar();

    int intervaloMaximo() const { return m_intervalo; }
    // Longest pause between two keys of a scan, in ms ("Intervalo Máximo").
    void setIntervaloMaximo(int ms);

    bool activo() const { return m_activo; }
    // While inactive every key passes untouched (keys held at that moment are delivered first).
    void setActivo(bool activo);

    // Where key times come from; by default the key event's own time stamp (when the window
    // system gives one) or a monotonic clock. Tests give a clock of their own.
    void setRelogio(std::function<qint64()> relogio) { m_relogio = std::move(relogio); }

    // Delivers the keys held back, as typing.
    void descarregar();

signals:
    // A scan: the characters read, without the Enter or Tab.
    void codigoLido(const QString& codigo);

protected:
    bool eventFilter(QObject* alvo, QEvent* evento) override;

private:
    struct Retida
    {
        QPointer<QObject> alvo;
        std::unique_ptr<QKeyEvent> evento;
    };

    bool premir(QObject* alvo, QKeyEvent* tecla);
    bool soltar(QObject* alvo, QKeyEvent* tecla);
    void reter(QObject* alvo, const QKeyEvent* tecla);
    qint64 tempo(const QKeyEvent* tecla) const;

    int m_intervalo = 30;
    bool m_activo = true;
    bool m_instalado = false;
    std::function<qint64()> m_relogio;
    QElapsedTimer m_cronometro;
    QTimer m_espera;

    std::vector<Retida> m_retidas;    // presses and releases held back, in their order
    QString m_texto;                  // the printable text of the held presses
    qint64 m_ultimaTecla = 0;         // time of the last held printable press
    QSet<int> m_porSoltar;            // keys pressed as part of a scan whose release is still to come
    QList<const QEvent*> m_aEntregar; // held events being delivered now (let through)
};
