#pragma once

#include <QDialog>
#include <QString>

class TeclandoNumerico;
class TituloDialogo;
class okaBotao;

// Small modal window holding one numeric keypad under its caption (the window title, drawn in
// the dialog); CodigoDigitado is what was typed when enter was touched, "" when the dialog was
// left with its cancel key or closed.
class frmTeclado : public QDialog
{
    Q_OBJECT

public:
    static constexpr int LarguraInterior = 5385;
    static constexpr int AlturaInterior = 6195;

    explicit frmTeclado(QWidget* pai = nullptr);

    QString CodigoDigitado;

    TeclandoNumerico* teclado() const { return m_teclado; }
    okaBotao* btCancelar() const;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void dispor();

    TituloDialogo* m_titulo = nullptr;
    TeclandoNumerico* m_teclado = nullptr;
};
