#pragma once

#include <QRect>
#include <QtMath>

// Screen geometry is designed in twips (1440 per inch). The terminal maps them at a logical
// 96 dots per inch, 15 twips to a pixel, whatever the panel reports, so that layouts are the
// same on every machine; TERMINAL_TWIPS_POR_PIXEL may set another ratio for denser panels.
namespace Twips {

double PorPixel();
// Twips to pixels, rounded to the nearest pixel.
int Px(double twips);
// Pixels to twips.
double DePx(int pixeis);
// A rectangle given in twips, in pixels. Its edges are rounded, not its size, so that rectangles
// that meet in twips meet in pixels too, without a gap or an overlap.
inline QRect Rect(double left, double top, double width, double height)
{
    return QRect(QPoint(Px(left), Px(top)), QPoint(Px(left + width) - 1, Px(top + height) - 1));
}

} // namespace Twips
