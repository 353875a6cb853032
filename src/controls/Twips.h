#pragma once

#include <QRect>
#include <QSize>
#include <QtMath>

// Screen geometry is designed in twips (1440 per inch). The density (twips per pixel) decides how
// large the design comes out on a screen: by default it makes the design area (15360 x 11520
// twips, a 1024 x 768 screen at 15 twips to a pixel) fill the screen the terminal runs on, so
// that buttons and text grow with the panel; the configuration file ("Ecrã" / "Twips por Pixel")
// or TERMINAL_TWIPS_POR_PIXEL may set it. Fonts follow the same density (FonteTerminal).
namespace Twips {

// The design area the screens are drawn for, in twips.
constexpr double LarguraDesenho = 15360;
constexpr double AlturaDesenho = 11520;
// The density of the design area on a 1024 x 768 screen, used until start-up chooses one.
constexpr double PorPixelDesenho = 15;

double PorPixel();
// Sets the density used from now on (widgets made before keep their sizes); 0 or less goes back
// to TERMINAL_TWIPS_POR_PIXEL, or 15 without it.
void DefinirPorPixel(double twipsPorPixel);
// The density at which the design area fills `ecra` (pixels): the larger of the two ratios, so
// that it fits both ways; the other way the screens' fractions of the width or height use the
// room left.
double Automatico(const QSize& ecra);
// The density to use: TERMINAL_TWIPS_POR_PIXEL when set to a number above 0, else `configurado`
// when above 0, else Automatico(ecra).
double Escolher(double configurado, const QSize& ecra);

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
