#pragma once

#include <QString>
#include <QStringList>

#include "dataaccess/DefinicoesBD.h"
#include "dataaccess/LigacaoDados.h"

class InteraccaoOperador;

// Start-up steps that need no screen.
namespace Arranque {

// Configuration file name from the whole argument text (arguments after the program name,
// joined by one blank); empty gives "Terminal_Obras.oka".
QString FicheiroConfiguracao(const QStringList& argumentos);
// Terminal type from section "Ligação", key "Tipo de Terminal": a number rounded to the nearest
// whole one (clamped to 16 bits, keeping its sign), 0 when absent or not a number.
qint16 TipoTerminal(const QString& ficheiro);

enum class Resultado { Aberta, FicheiroInvalido, DefinicoesEmFalta, FalhaLigacao };

// Reads the database settings of `ficheiro`; when a required one is missing and `operador` is
// given, opens the settings dialog first (what it saves is written to the file); then opens
// `ligacao`. A SQLite file that does not exist is reported, unless `criarFicheiro` (a new
// database is meant). On failure `erro` says why (never the password).
Resultado AbrirBaseDados(const QString& ficheiro, LigacaoDados& ligacao, InteraccaoOperador* operador, QString* erro,
                         bool criarFicheiro = false);

} // namespace Arranque
