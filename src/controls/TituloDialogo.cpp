#include "controls/TituloDialogo.h"

#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/Ecra.h"
#include "controls/Fontes.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"

namespace {
// The colour of the dialogs' edge (DesenharMoldura), so that strip and edge are one frame.
const QColor CorMoldura(0x2b, 0x4a, 0x72);
constexpr int LarguraBotao = 1335;
constexpr int AlturaBotao = 795;
} // namespace

TituloDialogo::TituloDialogo(QWidget* janela, const QString& legendaBotao) : QWidget(janela), m_janela(janela)
{
    setObjectName(QStringLiteral("TituloDialogo"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, CorMoldura);
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);

    m_legenda = new QLabel(janela->windowTitle(), this);
    m_legenda->setObjectName(QStringLiteral("lbTitulo"));
    m_legenda->setFont(FonteTerminal(14, true));
    m_legenda->setWordWrap(true);
    m_legenda->setTextFormat(Qt::PlainText);
    m_legenda->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    if (!legendaBotao.isEmpty()) {
        m_botao = new okaBotao(legendaBotao, this);
        m_botao->setObjectName(QStringLiteral("btCancelarDialogo"));
        m_botao->setFont(FonteTerminal(14, true));
        m_botao->setBeep(true);
        m_botao->resize(okaBotao::LarguraParaLegenda(m_botao->font(), legendaBotao, Twips::Px(LarguraBotao)),
                        Twips::Px(AlturaBotao));
        if (auto* dialogo = qobject_cast<QDialog*>(janela))
            connect(m_botao, &QAbstractButton::clicked, dialogo, &QDialog::reject);
    }
    janela->installEventFilter(this);
}

QVBoxLayout* TituloDialogo::Disposicao(QWidget* janela, const QString& legendaBotao)
{
    DesenharMoldura(janela);
    auto* exterior = new QVBoxLayout(janela);
    exterior->setContentsMargins(0, 0, 0, 0);
    exterior->setSpacing(0);
    exterior->addWidget(new TituloDialogo(janela, legendaBotao));
    auto* conteudo = new QVBoxLayout;
    const int margem = Twips::Px(180);
    conteudo->setContentsMargins(margem, margem, margem, margem);
    exterior->addLayout(conteudo, 1);
    return conteudo;
}

bool TituloDialogo::botaoPorBaixo(int largura) const
{
    if (!m_botao) return false;
    // Beside the caption only while every word of it fits there whole.
    const int margem = Twips::Px(Margem);
    const int aoLado = largura - 3 * margem - m_botao->width();
    const QFontMetrics m(m_legenda->font());
    for (const QString& palavra : m_legenda->text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (m.horizontalAdvance(palavra) > aoLado) return true;
    return false;
}

int TituloDialogo::larguraTexto(int largura) const
{
    const int margem = Twips::Px(Margem);
    const bool aoLado = m_botao && !botaoPorBaixo(largura);
    return qMax(1, largura - 2 * margem - (aoLado ? m_botao->width() + margem : 0));
}

int TituloDialogo::alturaPara(int largura) const
{
    const int margem = Twips::Px(Margem);
    const int texto = m_legenda->heightForWidth(larguraTexto(largura));
    if (botaoPorBaixo(largura)) return texto + m_botao->height() + 3 * margem;
    return qMax(texto, m_botao ? m_botao->height() : 0) + 2 * margem;
}

void TituloDialogo::acompanharJanela(int altura)
{
    m_alturaFixa = altura;
    setGeometry(0, 0, m_janela->width(), altura);
}

QSize TituloDialogo::sizeHint() const
{
    const int largura = qMax(width(), m_legenda->sizeHint().width() + (m_botao ? m_botao->width() : 0));
    return {largura, alturaPara(largura)};
}

QSize TituloDialogo::minimumSizeHint() const
{
    const int margem = Twips::Px(Margem);
    const int botao = m_botao ? m_botao->width() + margem : 0;
    return {botao + 2 * margem, qMax(m_botao ? m_botao->height() : 0, m_legenda->fontMetrics().height()) + 2 * margem};
}

void TituloDialogo::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    const int margem = Twips::Px(Margem);
    if (botaoPorBaixo(width())) {
        // The caption across the strip, the button under it at the right.
        const int texto = height() - m_botao->height() - 3 * margem;
        m_legenda->setGeometry(margem, margem, larguraTexto(width()), texto);
        m_botao->move(width() - margem - m_botao->width(), 2 * margem + texto);
        return;
    }
    m_legenda->setGeometry(margem, margem, larguraTexto(width()), height() - 2 * margem);
    if (m_botao) m_botao->move(width() - margem - m_botao->width(), (height() - m_botao->height()) / 2);
}

bool TituloDialogo::eventFilter(QObject* o, QEvent* e)
{
    if (o == m_janela && m_alturaFixa >= 0 && (e->type() == QEvent::Resize || e->type() == QEvent::Show)) {
        setGeometry(0, 0, m_janela->width(), m_alturaFixa);
        raise();
    }
    if (o == m_janela && e->type() == QEvent::WindowTitleChange) {
        m_legenda->setText(m_janela->windowTitle());
        updateGeometry();
    }
    return QWidget::eventFilter(o, e);
}
