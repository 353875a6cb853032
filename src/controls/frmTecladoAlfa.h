#pragma once

#include <QDialog>
#include <QString>
#include <QVector>

class QLineEdit;
class TituloDialogo;
class okaBotao;

// On-screen alphabetic keyboard for a terminal without a keyboard: letters, digits, a few
// signs used in article codes, space, backspace and enter, under the dialog's caption. Texto is
// what was typed when enter was touched, "" when the dialog was left with "Cancelar" or closed.
class frmTecladoAlfa : public QDialog
{
    Q_OBJECT

public:
    explicit frmTecladoAlfa(QWidget* pai = nullptr);

    QString Texto;

    // Starts the display with a text already typed.
    void setTextoInicial(const QString& t);
    // The key with this tag (its character, "backspace", "enter" or " "), or nullptr.
    okaBotao* tecla(const QString& tag) const;
    QLineEdit* visor() const { return m_visor; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void tocar(const QString& tag);

    TituloDialogo* m_titulo = nullptr;
    QLineEdit* m_visor = nullptr;
    QVector<okaBotao*> m_teclas;
};
