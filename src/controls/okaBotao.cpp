#include "controls/okaBotao.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "controls/Fontes.h"

namespace {

// The caption's flags: centred, wrapped at word ends, "&" marking the access key.
constexpr int FlagsLegenda = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;

} // namespace

okaBotao::okaBotao(QWidget* pai) : okaBotao(QString(), pai) {}

okaBotao::okaBotao(const QString& caption, QWidget* pai) : QPushButton(caption, pai)
{
    setFont(FonteTerminal(10, true));
    setFocusPolicy(Qt::NoFocus);
    // The beep comes before anything connected later reacts to the touch.
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_beep) QApplication::beep();
    });
}

void okaBotao::setSeleccionado(bool s)
{
    if (s == m_seleccionado) return;
    m_seleccionado = s;
    update();
}

int okaBotao::LarguraParaLegenda(const QFont& fonte, const QString& texto, int minimo)
{
    // The caption's margins (areaDaLegenda) and as much air again on each side.
    const QFontMetrics m(fonte);
    const QRect r = m.boundingRect(QRect(), Qt::TextShowMnemonic, texto);
    return qMax(minimo, r.width() + 4 * 5 + m.averageCharWidth() * 2);
}

QRect okaBotao::areaDaLegenda() const
{
    QRect area = rect().adjusted(5, 4, -5, -4);
    if (!icon().isNull()) area.setLeft(area.left() + qMin(iconSize().width(), area.height()) + 4);
    return area;
}

QFont okaBotao::fonteDaLegenda() const
{
    return FonteQueCabe(font(), text(), areaDaLegenda(), FlagsLegenda);
}

void okaBotao::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const bool premido = isDown() || isChecked();
    const bool activo = isEnabled();

    QLinearGradient g(r.topLeft(), r.bottomLeft());
    if (!activo) {
        g.setColorAt(0, QColor(0xe4, 0xe4, 0xe4));
        g.setColorAt(1, QColor(0xd0, 0xd0, 0xd0));
    } else if (premido) {
        g.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
        g.setColorAt(1, QColor(0x3a, 0x76, 0xc4));
    } else if (m_seleccionado) {
        g.setColorAt(0, QColor(0xff, 0xd5, 0x4f));
        g.setColorAt(1, QColor(0xff, 0xa0, 0x00));
    } else {
        g.setColorAt(0, QColor(0xfb, 0xfc, 0xfe));
        g.setColorAt(1, QColor(0xc9, 0xd6, 0xe8));
    }
    QPainterPath caminho;
    caminho.addRoundedRect(r, 6, 6);
    p.fillPath(caminho, g);
    p.setPen(QPen(activo ? QColor(0x2b, 0x4a, 0x72) : QColor(0xa0, 0xa0, 0xa0), premido || m_seleccionado ? 3 : 1.5));
    p.drawPath(caminho);

    QRect area = rect().adjusted(5, 4, -5, -4);
    if (premido) area.translate(1, 1);
    if (!icon().isNull()) {
        const QIcon::Mode modo = activo ? QIcon::Normal : QIcon::Disabled;
        if (text().isEmpty()) {
            icon().paint(&p, area, Qt::AlignCenter, modo);
            return;
        }
        const int lado = qMin(iconSize().width(), area.height());
        icon().paint(&p, QRect(area.left(), area.top() + (area.height() - lado) / 2, lado, lado), Qt::AlignCenter,
                     modo);
        area.setLeft(area.left() + lado + 4);
    }
    p.setFont(fonteDaLegenda());
    p.setPen(!activo ? QColor(0x90, 0x90, 0x90) : premido ? Qt::white : QColor(0x10, 0x10, 0x10));
    p.drawText(area, FlagsLegenda, text());
}
