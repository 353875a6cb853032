#pragma once

#include <functional>

#include <QString>

class QLineEdit;

// A touch on `campo` (enabled, not read-only) opens the on-screen keyboard (frmTecladoAlfa) over
// its window, with `titulo` as caption and the field's text to go on from; what is entered there
// replaces the text, "Cancelar" leaves it as it was. A password field stays hidden on the
// keyboard too. A physical keyboard still types into the field as ever.
void TecladoNoCampo(QLineEdit* campo, const QString& titulo);
// The same, with the caption read at each touch (a field whose label changes).
void TecladoNoCampo(QLineEdit* campo, std::function<QString()> titulo);
