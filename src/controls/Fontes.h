#pragma once

#include <QFont>
#include <QRect>
#include <QString>

// The terminal's font: Verdana where installed, otherwise DejaVu Sans, at the given size in
// points of the design, scaled with the screen density (Twips::PorPixel) so that text keeps its
// size against the twips layout on every screen: at 15 twips to a pixel and 96 dots per inch it
// is the size given.
QFont FonteTerminal(double pontos, bool negrito = false);

// True when `texto` drawn with `fonte` and `flags` (Qt::AlignmentFlag, Qt::TextFlag) fits `area`
// whole: with Qt::TextWordWrap no word is wider than the area and the wrapped lines are not
// higher; without it, one line no wider and no higher than the area.
bool TextoCabe(const QFont& fonte, const QString& texto, const QRect& area, int flags);

// `fonte` at the largest size, not above its own and not below `minimo` points, at which `texto`
// fits `area` (TextoCabe); long names stay whole on a small button or line.
QFont FonteQueCabe(QFont fonte, const QString& texto, const QRect& area, int flags, double minimo = 5.5);
