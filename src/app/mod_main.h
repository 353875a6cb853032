#pragma once

#include <memory>

#include <QStringList>

class EcraTerminal;
class InteraccaoOperador;

// Outcome of start-up: the terminal screen shown, or the exit code when there is none.
struct ResultadoMain
{
    std::unique_ptr<EcraTerminal> ecra;
    int codigoSaida = 0;
};

// Start-up: configuration file from the whole argument text, the database connection (with the
// settings dialog when settings are missing or the connection fails), the terminal type, the
// ERP link for a non-zero type, and the chosen screen, shown. Dialogs go to `operador`, which
// must outlive the screen.
ResultadoMain Main(const QStringList& argumentos, InteraccaoOperador* operador);
