#include "controls/Ecra.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace {

// The edge, drawn by a see-through widget kept above the window's children (panels and strips
// reach the window's sides) and following its size; touches go through it.
class Moldura : public QWidget
{
public:
    explicit Moldura(QWidget* janela) : QWidget(janela)
    {
        setObjectName(QStringLiteral("Moldura"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(janela->rect());
        janela->installEventFilter(this);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(QPen(QColor(0x2b, 0x4a, 0x72), 3));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
    }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == parent()) {
            switch (e->type()) {
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::ChildAdded:
            case QEvent::LayoutRequest:
                setGeometry(parentWidget()->rect());
                raise();
                break;
            default:
                break;
            }
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
    new Moldura(janela);
}
