#pragma once

#include <QString>
#include <QVector>
#include <QWidget>

class QFrame;
class QLineEdit;
class okaBotao;

// On-screen numeric keypad of a fixed size (5175 x 6015 twips): a display on top, in clear or
// masked, and thirteen keys. Touching enter raises Enter with what the display shows.
class TeclandoNumerico : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Password READ Password WRITE setPassword)
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    static constexpr int Largura = 5175;
    static constexpr int Altura = 6015;

    explicit TeclandoNumerico(QWidget* pai = nullptr);

    bool Password() const { return m_password; }
    void setPassword(bool p);
    // A stored text: reading it gives the stored value, not what has been typed.
    QString text() const { return m_text; }
    void setText(const QString& t) { m_text = t; }

    // What the clear display holds.
    QString textoVisor() const;
    // Empties both displays.
    void Limpar();

    // The key whose tag is `tag` ("0".."9", ".", "backspace", "enter"), or nullptr.
    okaBotao* tecla(const QString& tag) const;
    okaBotao* tecla(int indice) const { return m_teclas.value(indice); }
    QLineEdit* visor(int indice) const { return indice == 0 ? m_visorClaro : m_visorMascara; }

signals:
    void Enter(const QString& Texto);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void tocar(const QString& tag);

    QLineEdit* m_visorClaro = nullptr;
    QLineEdit* m_visorMascara = nullptr;
    QFrame* m_painelNumerico = nullptr;
    QVector<okaBotao*> m_teclas;
    bool m_password = false;
    QString m_text;
};
