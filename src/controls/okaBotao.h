#pragma once

#include <QPushButton>
#include <QString>

// The touch button: a large push button with a caption (an "&" marks the access key), a tag
// that carries the button's code, an optional picture (the icon), a clearly visible pressed
// state and an optional beep when touched.
class okaBotao : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(QString Tag READ tag WRITE setTag)
    Q_PROPERTY(bool beep READ beep WRITE setBeep)

public:
    explicit okaBotao(QWidget* pai = nullptr);
    explicit okaBotao(const QString& caption, QWidget* pai = nullptr);

    QString Tag;

    QString tag() const { return Tag; }
    void setTag(const QString& t) { Tag = t; }
    bool beep() const { return m_beep; }
    void setBeep(bool b) { m_beep = b; }
    // A chosen item's button stays marked (its own colour, not the pressed look) until unmarked.
    bool seleccionado() const { return m_seleccionado; }
    void setSeleccionado(bool s);
    // Width in pixels a button needs to show `texto` whole in `fonte` on one line, at least `minimo`.
    static int LarguraParaLegenda(const QFont& fonte, const QString& texto, int minimo);
    // The font the caption is drawn with: the button's own, smaller when a word of the caption
    // or the wrapped caption would not fit.
    QFont fonteDaLegenda() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    // Where the caption goes: inside the edge, right of the picture if there is one.
    QRect areaDaLegenda() const;

    bool m_beep = false;
    bool m_seleccionado = false;
};
