#pragma once

#include <QFont>

// The terminal's font: Verdana where installed, otherwise DejaVu Sans, at the given point size.
QFont FonteTerminal(double pontos, bool negrito = false);

// The terminal's font at `pontos` points of the design (20 twips a point), sized in pixels through
// Twips like the rest of the layout: its text grows with the screen's density.
QFont FonteEscalada(double pontos, bool negrito = false);
