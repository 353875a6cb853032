#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;
class okaBotao;

// The caption of a touch dialog drawn inside it, as a strip along its top edge: a kiosk has no
// window manager to draw a title bar. The strip shows the dialog's window title and follows it.
// With a button caption it also holds, at its right end, a touch button that leaves the dialog
// without a choice (QDialog::reject).
class TituloDialogo : public QWidget
{
    Q_OBJECT

public:
    // Margin round the caption and the button, in twips.
    static constexpr int Margem = 60;

    explicit TituloDialogo(QWidget* janela, const QString& legendaBotao = {});

    // For a dialog laid out by a layout: gives `janela` its edge and a layout whose top is the
    // caption strip, and returns the layout below the strip, inside the edge, for the content.
    static QVBoxLayout* Disposicao(QWidget* janela, const QString& legendaBotao = {});

    // Keeps the strip along the whole top edge of its window, `altura` pixels high, whatever
    // the window's size (for dialogs laid out by others, such as the system message box).
    void acompanharJanela(int altura);

    QLabel* legenda() const { return m_legenda; }
    okaBotao* botao() const { return m_botao; }
    // Height in pixels the strip needs at `largura` pixels: the caption wrapped, and the button
    // when there is one.
    int alturaPara(int largura) const;

    // For dialogs laid out by a layout: as high as the caption needs at the width given.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int largura) const override { return alturaPara(largura); }

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    int larguraTexto(int largura) const;
    // True when a word of the caption would not fit beside the button: the button goes under it.
    bool botaoPorBaixo(int largura) const;

    QWidget* m_janela;
    int m_alturaFixa = -1;
    QLabel* m_legenda = nullptr;
    okaBotao* m_botao = nullptr;
};
