#pragma once

#include <QDialog>
#include <QString>
#include <QVector>

class QLineEdit;
class TituloDialogo;
class okaBotao;

// On-screen alphabetic keyboard for a terminal without a keyboard: letters, digits, a few
// signs used in article codes, server names and paths, space, backspace and enter, under the
// dialog's caption. Capitals by default; the "abc" key switches to small letters and back.
// Texto is what was typed when enter was touched, "" when the dialog was left with "Cancelar" or
// closed.
class frmTecladoAlfa : public QDialog
{
    Q_OBJECT

public:
    explicit frmTecladoAlfa(QWidget* pai = nullptr);

    QString Texto;

    // Starts the display with a text already typed.
    void setTextoInicial(const QString& t);
    // Shows what is typed as "*" (a password).
    void setSenha(bool sim);
    // True while the letter keys type small letters.
    bool minusculas() const { return m_minusculas; }
    // The key with this tag (its character, capitals for the letters, "backspace", "enter",
    // "minusculas" or " "), or nullptr.
    okaBotao* tecla(const QString& tag) const;
    QLineEdit* visor() const { return m_visor; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void tocar(const QString& tag);
    void mudarCaixa();

    TituloDialogo* m_titulo = nullptr;
    QLineEdit* m_visor = nullptr;
    QVector<okaBotao*> m_teclas;
    bool m_minusculas = false;
};
