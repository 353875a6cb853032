#pragma once

#include <QDialog>
#include <QString>

class TeclandoNumerico;

// Small modal window holding one numeric keypad; CodigoDigitado is what was typed when enter
// was touched, "" when the window was closed without it.
class frmTeclado : public QDialog
{
    Q_OBJECT

public:
    static constexpr int LarguraInterior = 5385;
    static constexpr int AlturaInterior = 6195;

    explicit frmTeclado(QWidget* pai = nullptr);

    QString CodigoDigitado;

    TeclandoNumerico* teclado() const { return m_teclado; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    TeclandoNumerico* m_teclado = nullptr;
};
