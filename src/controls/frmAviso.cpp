#include "controls/frmAviso.h"

#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "controls/Ecra.h"
#include "controls/Fontes.h"
#include "controls/TituloDialogo.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"

namespace {
constexpr int LarguraBt = 1335;
constexpr int AlturaBt = 795;
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

    m_lista = new QLabel(this);
    m_lista->setObjectName(QStringLiteral("lista"));
    m_lista->setFont(FonteTerminal(8.25, true));
    m_lista->setWordWrap(true);
    m_lista->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lista->setTextFormat(Qt::PlainText);

    m_btSair = new okaBotao(QStringLiteral("&Sair"), this);
    m_btConf = new okaBotao(QStringLiteral("&Confirma"), this);
    m_btCancelar = new okaBotao(QStringLiteral("C&ancelar"), this);
    for (okaBotao* b : {m_btSair, m_btConf, m_btCancelar}) {
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
    m_picture->setPixmap(Desenho(Imagem));
    m_picture->setVisible(Imagem >= 0 && Imagem <= 2);
    dispor();
    QDialog::showEvent(e);
    CentrarNoEcra(this);
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

    m_lista->setGeometry(Twips::Rect(1080, 120, 7935, qMax(0.0, h - 1.5 * AlturaBt)).translated(0, faixa));
    const double topo = h - 1.2 * AlturaBt;
    if (ModoAviso == 0) {
        m_btSair->move(Twips::Px((w - LarguraBt) / 2), faixa + Twips::Px(topo));
        m_btSair->show();
        m_btSair->setDefault(true);
    } else {
        m_btConf->move(Twips::Px(240), faixa + Twips::Px(topo));
        m_btCancelar->move(Twips::Px(1680), faixa + Twips::Px(topo));
        m_btConf->show();
        m_btCancelar->show();
    }
}

QPixmap frmAviso::Desenho(int tipo)
{
    QPixmap pm(48, 48);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f = FonteTerminal(20, true);
    f.setPixelSize(30);
    p.setFont(f);
    switch (tipo) {
    case 0: { // notice: amber triangle with "!"
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
    case 1: // question: blue disc with "?"
        p.setPen(QPen(QColor(0x0d, 0x3c, 0x7a), 2));
        p.setBrush(QColor(0x1e, 0x6f, 0xd9));
        p.drawEllipse(QRectF(3, 3, 42, 42));
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, 48, 48), Qt::AlignCenter, QStringLiteral("?"));
        break;
    case 2: // error: red disc with a white cross
        p.setPen(QPen(QColor(0x7a, 0x0d, 0x0d), 2));
        p.setBrush(QColor(0xd9, 0x1e, 0x1e));
        p.drawEllipse(QRectF(3, 3, 42, 42));
        p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 16), QPointF(32, 32));
        p.drawLine(QPointF(32, 16), QPointF(16, 32));
        break;
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
    QMessageBox::Icon icone;
    switch (tipo) {
    case 0:
        icone = QMessageBox::Warning;
        break;
    case 1:
        icone = QMessageBox::Information;
        break;
    case 2:
        icone = QMessageBox::Critical;
        break;
    default:
        return 0;
    }
    QMessageBox caixa(icone, QStringLiteral("Terminal"), texto, QMessageBox::Ok, pai);
    caixa.setFont(FonteTerminal(11));
    // Its caption and edge drawn by the box itself, as on every dialog of the terminal.
    DesenharMoldura(&caixa);
    const int faixa = Twips::Px(frmAviso::MolduraVertical);
    (new TituloDialogo(&caixa))->acompanharJanela(faixa);
    QMargins margens = caixa.layout()->contentsMargins();
    margens.setTop(margens.top() + faixa);
    caixa.layout()->setContentsMargins(margens);
    caixa.exec();
    return 1;
}
