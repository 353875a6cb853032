#pragma once

class QWidget;

// Places a top-level window in the middle of the screen it is on (or the primary screen).
void CentrarNoEcra(QWidget* janela);

// Draws a dark edge round a touch dialog, so that it stands out from the screen behind it also
// where no window manager draws a frame (a kiosk panel).
void DesenharMoldura(QWidget* janela);
