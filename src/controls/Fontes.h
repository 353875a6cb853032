#pragma once

#include <QFont>

// The terminal's font: Verdana where installed, otherwise DejaVu Sans, at the given point size.
QFont FonteTerminal(double pontos, bool negrito = false);
