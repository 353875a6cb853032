#pragma once

#include <QDateTime>
#include <QString>

class LigacaoDados;

// The terminals' own table oka_RegistosTerminal: one row per confirmed function, keyed by the
// function's token and written in the same transaction as the function's rows. A token that is
// there means the function is done; one that is not means it never landed.
namespace RegistosTerminal {

// A new token (a UUID, 36 characters).
QString NovoToken();
// Creates the table on a database made before it existed, as the dialect's schema has it. Run
// outside a transaction. Database errors pass on as ErroBD.
void Garantir(LigacaoDados& bd);
// True when the function with this token is done on the server.
bool Gravado(LigacaoDados& bd, const QString& token);
// Inside the function's transaction, in one statement: records the token and returns true;
// returns false and writes nothing when it is already there (the function was done before). Two
// transactions with the same token cannot both record it: the second waits for the first and
// then finds it. A function refused after this rolls its transaction back, token included.
bool Gravar(LigacaoDados& bd, const QString& token, const QString& terminal, const QString& funcao,
            const QDateTime& dataHora);

} // namespace RegistosTerminal
