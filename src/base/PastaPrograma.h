#pragma once

#include <QString>

// Program folder: the executable's folder, or TERMINAL_PASTA when set (installed setups).
QString PastaPrograma();
// For tests and tools that need another folder; an empty text restores the default.
void DefinirPastaPrograma(const QString& pasta);
// Full path of a configuration file name: relative names are taken from the program folder.
QString CaminhoConfiguracao(const QString& ficheiro);
