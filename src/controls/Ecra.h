#pragma once

class QWidget;

// Places a top-level window in the middle of the screen it is on (or the primary screen).
void CentrarNoEcra(QWidget* janela);
