#pragma once

#include <QString>

// A short Portuguese description of an operating-system error number (errno), for messages that
// name why a file could not be read or written: "disco cheio", "sem permissão", ...
QString TextoErroSistema(int codigo);
