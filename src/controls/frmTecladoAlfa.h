#pragma once

#include <QDialog>
#include <QString>
#include <QVector>

class QLineEdit;
class okaBotao;

// On-screen alphabetic keyboard for a terminal without a keyboard: letters, digits, a few
// signs used in article codes, space, backspace and enter. Texto is what was typed when
// enter was touched, "" when the window was closed without it.
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

    QLineEdit* m_visor = nullptr;
    QVector<okaBotao*> m_teclas;
};
