#include "controls/Ecra.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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
