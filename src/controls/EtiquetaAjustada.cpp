#include "controls/EtiquetaAjustada.h"

#include <QPainter>

#include "controls/Fontes.h"

int EtiquetaAjustada::flags() const
{
    return int(alignment()) | Qt::TextWordWrap;
}

QFont EtiquetaAjustada::fonteAjustada() const
{
    return FonteQueCabe(font(), text(), contentsRect(), flags(), 4);
}

bool EtiquetaAjustada::cabe() const
{
    return TextoCabe(fonteAjustada(), text(), contentsRect(), flags());
}

void EtiquetaAjustada::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(fonteAjustada());
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    p.drawText(contentsRect(), flags(), text());
}
