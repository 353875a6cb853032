#include "controls/NotaConfirmacao.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include "controls/Fontes.h"
#include "controls/Twips.h"

namespace {
constexpr int Margem = 240;    // twips round the text
constexpr int LadoSinal = 720; // the tick's disc
constexpr int LarguraMaxima = 13000;
const QColor Fundo(0x1b, 0x7a, 0x35);
const QColor Borda(0x0c, 0x45, 0x1c);
} // namespace

NotaConfirmacao::NotaConfirmacao(QWidget* pai) : QWidget(pai)
{
    setObjectName(QStringLiteral("NotaConfirmacao"));
    // Touches reach what lies below at once; the band only shows.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    m_titulo = new QLabel(this);
    m_titulo->setObjectName(QStringLiteral("lbConfirmacao"));
    m_detalhe = new QLabel(this);
    for (QLabel* l : {m_titulo, m_detalhe}) {
        l->setWordWrap(true);
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        l->setPalette(p);
    }
    m_titulo->setFont(FonteTerminal(20, true));
    m_detalhe->setFont(FonteTerminal(14, true));
    m_relogio = new QTimer(this);
    m_relogio->setSingleShot(true);
    m_relogio->setInterval(Duracao);
    connect(m_relogio, &QTimer::timeout, this, &NotaConfirmacao::Esconder);
    hide();
}

NotaConfirmacao::~NotaConfirmacao()
{
    qApp->removeEventFilter(this);
}

void NotaConfirmacao::setDuracao(int ms)
{
    m_relogio->setInterval(ms);
}

void NotaConfirmacao::Mostrar(const QString& texto, const QRect& area)
{
    m_texto = texto;
    const qsizetype quebra = texto.indexOf(u'\n');
    m_titulo->setText(quebra < 0 ? texto : texto.left(quebra));
    m_detalhe->setText(quebra < 0 ? QString() : texto.mid(quebra + 1));
    m_detalhe->setVisible(quebra >= 0);

    const int margem = Twips::Px(Margem);
    const int sinal = Twips::Px(LadoSinal);
    const int largura = qMin(area.width() - 2 * margem, Twips::Px(LarguraMaxima));
    const int larguraTexto = largura - 3 * margem - sinal;
    const int alturaTitulo = m_titulo->heightForWidth(larguraTexto);
    const int alturaDetalhe = quebra < 0 ? 0 : m_detalhe->heightForWidth(larguraTexto) + margem / 2;
    const int altura = qMin(area.height(), qMax(sinal, alturaTitulo + alturaDetalhe) + 2 * margem);
    setGeometry(area.x() + (area.width() - largura) / 2, area.y() + (area.height() - altura) / 2, largura, altura);
    const int topo = (altura - alturaTitulo - alturaDetalhe) / 2;
    m_titulo->setGeometry(2 * margem + sinal, topo, larguraTexto, alturaTitulo);
    m_detalhe->setGeometry(2 * margem + sinal, topo + alturaTitulo + margem / 2, larguraTexto,
                           alturaDetalhe - margem / 2);

    show();
    raise();
    qApp->removeEventFilter(this);
    qApp->installEventFilter(this);
    m_relogio->start();
}

void NotaConfirmacao::Esconder()
{
    qApp->removeEventFilter(this);
    m_relogio->stop();
    hide();
}

bool NotaConfirmacao::eventFilter(QObject*, QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::TouchBegin:
    case QEvent::KeyPress:
        // The touch goes on to whatever it was for.
        Esconder();
        break;
    default:
        break;
    }
    return false;
}

void NotaConfirmacao::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath fundo;
    fundo.addRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 10, 10);
    p.fillPath(fundo, Fundo);
    p.setPen(QPen(Borda, 4));
    p.drawPath(fundo);

    // A white disc with a green tick.
    const int margem = Twips::Px(Margem);
    const int lado = Twips::Px(LadoSinal);
    const QRectF disco(margem, (height() - lado) / 2.0, lado, lado);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(disco);
    p.setPen(QPen(Fundo, lado / 8.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath tique;
    tique.moveTo(disco.left() + lado * 0.25, disco.top() + lado * 0.52);
    tique.lineTo(disco.left() + lado * 0.43, disco.top() + lado * 0.70);
    tique.lineTo(disco.left() + lado * 0.76, disco.top() + lado * 0.32);
    p.drawPath(tique);
}
