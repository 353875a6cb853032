#include "controls/frmAviso.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QScroller>

#include "controls/Ecra.h"
#include "controls/Fontes.h"
#include "controls/TituloDialogo.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"

namespace {
constexpr int LarguraBt = 1335;
constexpr int AlturaBt = 795;
constexpr int LarguraMensagem = 7935;
constexpr int LarguraBarra = 600;
// The message's size: legible at arm's length (the design had 8.25).
constexpr double PontosMensagem = 14;
// A system message starts at the height of an ordinary one.
constexpr int AlturaSistema = 3345;
} // namespace

frmAviso::frmAviso(QWidget* pai) : QDialog(pai)
{
    setWindowTitle(QStringLiteral("ATENÇÃO"));
    setModal(true);
    DesenharMoldura(this);
    m_titulo = new TituloDialogo(this);

    m_picture = new QLabel(this);
    m_picture->setGeometry(Twips::Rect(240, MolduraVertical + 240, 720, 720));
    m_picture->setAlignment(Qt::AlignCenter);

    // The message, in an area that scrolls by finger when the text is longer than the screen.
    m_rolo = new QScrollArea(this);
    m_rolo->setObjectName(QStringLiteral("areaMensagem"));
    m_rolo->setFrameShape(QFrame::NoFrame);
    m_rolo->setWidgetResizable(true);
    m_rolo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rolo->viewport()->setAutoFillBackground(false);
    m_rolo->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { width: %1px; }").arg(Twips::Px(LarguraBarra)));
    QScroller::grabGesture(m_rolo->viewport(), QScroller::LeftMouseButtonGesture);
    m_lista = new QLabel;
    m_lista->setObjectName(QStringLiteral("lista"));
    m_lista->setFont(FonteTerminal(PontosMensagem, true));
    m_lista->setWordWrap(true);
    m_lista->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lista->setTextFormat(Qt::PlainText);
    m_lista->setAutoFillBackground(false);
    m_rolo->setWidget(m_lista);

    m_btSair = new okaBotao(QStringLiteral("&Sair"), this);
    m_btConf = new okaBotao(QStringLiteral("&Confirma"), this);
    m_btCancelar = new okaBotao(QStringLiteral("C&ancelar"), this);
    for (okaBotao* b : {m_btSair, m_btConf, m_btCancelar}) {
        b->setFont(FonteTerminal(PontosMensagem, true));
        b->resize(Twips::Px(LarguraBt), Twips::Px(AlturaBt));
        b->hide();
    }
    connect(m_btConf, &QAbstractButton::clicked, this, [this] {
        Resposta = 1;
        accept();
    });
    connect(m_btCancelar, &QAbstractButton::clicked, this, [this] {
        Resposta = -1;
        reject();
    });
    connect(m_btSair, &QAbstractButton::clicked, this, &QDialog::accept);

    resize(Twips::Px(LarguraInterior), Twips::Px(MolduraVertical + AlturaInterior));
}

void frmAviso::setMensagem(const QString& texto)
{
    m_lista->setText(texto);
}

QString frmAviso::mensagem() const
{
    return m_lista->text();
}

void frmAviso::setAltura(int twips)
{
    m_alturaInteriorTw = qMax(double(AlturaBt) * 1.5, double(twips - MolduraVertical));
    resize(Twips::Px(LarguraInterior), Twips::Px(MolduraVertical + m_alturaInteriorTw));
}

void frmAviso::showEvent(QShowEvent* e)
{
    const int lado = Twips::Px(720);
    m_picture->setPixmap(Desenho(Imagem, lado));
    m_picture->setVisible(Imagem >= 0 && Imagem <= ImagemAlerta);
    crescerParaOTexto();
    dispor();
    QDialog::showEvent(e);
    CentrarNoEcra(this);
}

void frmAviso::crescerParaOTexto()
{
    // The buttons at least as large as the panel buttons, wider where their caption needs it.
    for (okaBotao* b : {m_btSair, m_btConf, m_btCancelar})
        b->resize(okaBotao::LarguraParaLegenda(b->font(), b->text(), Twips::Px(LarguraBt)), Twips::Px(AlturaBt));
    const int alturaDesenhada = Twips::Px(MolduraVertical + m_alturaInteriorTw);
    const int texto = m_lista->heightForWidth(Twips::Px(LarguraMensagem));
    const int cabe = Twips::Px(m_alturaInteriorTw - 1.5 * AlturaBt);
    int altura = alturaDesenhada + qMax(0, texto - cabe);
    if (QScreen* ecra = screen() ? screen() : QGuiApplication::primaryScreen())
        altura = qMin(altura, ecra->availableGeometry().height());
    if (altura != height()) resize(width(), altura);
}

void frmAviso::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    dispor();
    if (isVisible()) CentrarNoEcra(this);
}

void frmAviso::dispor()
{
    for (okaBotao* b : {m_btSair, m_btConf, m_btCancelar})
        b->hide();
    // The caption strip takes the title bar's place; the inner area lies below it.
    const int faixa = Twips::Px(MolduraVertical);
    m_titulo->setGeometry(0, 0, width(), faixa);
    const double h = height() == Twips::Px(MolduraVertical + m_alturaInteriorTw)
                         ? m_alturaInteriorTw
                         : Twips::DePx(height()) - MolduraVertical;
    const double w = width() == Twips::Px(LarguraInterior) ? LarguraInterior : Twips::DePx(width());

    m_rolo->setGeometry(Twips::Rect(1080, 120, LarguraMensagem, qMax(0.0, h - 1.5 * AlturaBt)).translated(0, faixa));
    const int topo = faixa + Twips::Px(h - 1.2 * AlturaBt);
    if (ModoAviso == 0) {
        m_btSair->move((Twips::Px(w) - m_btSair->width()) / 2, topo);
        m_btSair->show();
        m_btSair->setDefault(true);
    } else {
        m_btConf->move(Twips::Px(240), topo);
        // "Cancelar" keeps its place unless a wider "Confirma" needs it.
        m_btCancelar->move(qMax(Twips::Px(1680), m_btConf->geometry().right() + 1 + Twips::Px(105)), topo);
        m_btConf->show();
        m_btCancelar->show();
    }
}

QPixmap frmAviso::Desenho(int tipo, int lado)
{
    QPixmap pm(lado, lado);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 48-unit square.
    p.scale(lado / 48.0, lado / 48.0);
    QFont f = FonteTerminal(20, true);
    f.setPixelSize(30);
    p.setFont(f);
    const auto disco = [&p](QColor borda, QColor cheio) {
        p.setPen(QPen(borda, 2));
        p.setBrush(cheio);
        p.drawEllipse(QRectF(3, 3, 42, 42));
    };
    switch (tipo) {
    case 0: // notice: blue disc with "i"
        disco(QColor(0x0d, 0x3c, 0x7a), QColor(0x1e, 0x6f, 0xd9));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(21, 10, 6, 6));
        p.drawRoundedRect(QRectF(21, 19, 6, 19), 2, 2);
        break;
    case 1: // question: blue disc with "?"
        disco(QColor(0x0d, 0x3c, 0x7a), QColor(0x1e, 0x6f, 0xd9));
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, 48, 48), Qt::AlignCenter, QStringLiteral("?"));
        break;
    case 2: // error: red disc with a white cross
        disco(QColor(0x7a, 0x0d, 0x0d), QColor(0xd9, 0x1e, 0x1e));
        p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 16), QPointF(32, 32));
        p.drawLine(QPointF(32, 16), QPointF(16, 32));
        break;
    case ImagemAlerta: { // warning: amber triangle with "!"
        QPainterPath t;
        t.moveTo(24, 3);
        t.lineTo(45, 43);
        t.lineTo(3, 43);
        t.closeSubpath();
        p.setPen(QPen(QColor(0x8a, 0x5a, 0x00), 2));
        p.setBrush(QColor(0xff, 0xc1, 0x07));
        p.drawPath(t);
        p.setPen(Qt::black);
        p.drawText(QRect(0, 12, 48, 32), Qt::AlignCenter, QStringLiteral("!"));
        break;
    }
    default:
        break;
    }
    return pm;
}

void Aviso(const QString& Mensagem, int TipoImagem, int Altura, QWidget* pai)
{
    frmAviso f(pai);
    f.ModoAviso = 0;
    f.Imagem = TipoImagem;
    f.setMensagem(Mensagem);
    f.setAltura(Altura);
    f.exec();
}

bool Confirmacao(const QString& Mensagem, int TipoImagem, int Altura, QWidget* pai)
{
    frmAviso f(pai);
    f.Resposta = -1;
    f.ModoAviso = 1;
    f.Imagem = TipoImagem;
    f.setMensagem(Mensagem);
    f.setAltura(Altura);
    f.exec();
    return f.Resposta == 1;
}

int MensagemSistema(const QString& texto, int tipo, QWidget* pai)
{
    if (tipo < 0 || tipo > 2) return 0;
    frmAviso f(pai);
    f.setWindowTitle(QStringLiteral("Terminal"));
    f.ModoAviso = 0;
    f.Imagem = tipo == 0 ? frmAviso::ImagemAlerta : tipo == 1 ? 0 : 2;
    f.btSair()->setText(QStringLiteral("OK"));
    f.setMensagem(texto);
    f.setAltura(AlturaSistema);
    f.exec();
    return 1;
}
