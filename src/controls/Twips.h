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
inline QRect Rect(double left, double top, double width, double height)
{
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

} // namespace Twips
