#include "controls/Ecra.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace {

class Moldura : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        // The window's background is already painted when its paint event arrives; the children
        // paint afterwards, inside the edge.
        if (e->type() == QEvent::Paint) {
            auto* w = static_cast<QWidget*>(o);
            QPainter p(w);
            p.setPen(QPen(QColor(0x2b, 0x4a, 0x72), 3));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(w->rect()).adjusted(1.5, 1.5, -1.5, -1.5));
        }
        return false;
    }
};

} // namespace

void CentrarNoEcra(QWidget* janela)
{
    QScreen* ecra = janela->screen() ? janela->screen() : QGuiApplication::primaryScreen();
    if (!ecra) return;
    const QRect area = ecra->availableGeometry();
    const QSize moldura = janela->frameGeometry().size();
    const QPoint sobra = janela->geometry().topLeft() - janela->frameGeometry().topLeft();
    janela->move(area.left() + (area.width() - moldura.width()) / 2 + sobra.x(),
                 area.top() + (area.height() - moldura.height()) / 2 + sobra.y());
}

void DesenharMoldura(QWidget* janela)
{
    janela->installEventFilter(new Moldura(janela));
}
