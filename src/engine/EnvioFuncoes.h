#pragma once

#include <QString>

#include "dataaccess/JornalLocal.h"
#include "engine/ExecutorFuncoes.h"

// What became of a confirmed function.
struct DesfechoConfirmacao
{
    ResultadoFuncao resultado; // the engine's answer when it ran; when kept, what the operator is told
    bool guardada = false;     // kept in the journal instead of done
    qint64 sequencia = 0;      // the journal entry, when kept
    // The answer to its COMMIT was lost. Its token, looked up at once, told whether it landed:
    // done (resultado says so) or kept (guardada). When the server could not be asked, it is
    // kept and the replay finds out by the token.
    bool incerta = false;
};

// The one entry point for Confirmar: runs the function on the server with a new token, or keeps
// it in the journal when the server cannot be reached. While entries wait, new functions join
// them in the journal without trying the server, so that they are done in the order confirmed.
// A function whose COMMIT went unanswered is looked up by its token once the connection answers
// again: done, or kept to be sent; never done twice.
// Functions that are not the engine's (an empty or unknown code, frmTerminal2's AC008) are never
// kept: their answer comes back as it is.
class EnvioFuncoes
{
public:
    // `destino`: the connection's description (entries are replayed only to that database);
    // `terminal`: this terminal's name in the token rows and the journal.
    EnvioFuncoes(ExecutorFuncoes& executor, JornalLocal& jornal, const QString& destino, const QString& terminal);

    // `funcao` holds the function, the selection with its captions, the event's date and time,
    // the terminal type and the checks the screen skipped. Errors the server answered pass on as
    // ErroBD (nothing was kept); a journal that cannot be written throws ErroJornal: the function
    // was then neither done nor kept, and the operator must be told.
    DesfechoConfirmacao Confirmar(EntradaJornal funcao);

    // What the operator is told of a COMMIT whose answer was lost, once the token answered.
    static QString AvisoIncertoGravado()
    {
        return QStringLiteral("A ligação ao servidor perdeu-se ao gravar, mas o registo ficou gravado.");
    }
    static QString AvisoIncertoGuardado()
    {
        return QStringLiteral("A ligação ao servidor perdeu-se ao gravar e o registo não ficou gravado: registo "
                              "guardado, será enviado");
    }

    // The reasons written in the journal.
    static QString RazaoPendentes() { return QStringLiteral("Registos anteriores por enviar"); }
    static QString VerificacaoOperacoesIniciadas() { return QStringLiteral("Pergunta sobre operações já iniciadas"); }

private:
    DesfechoConfirmacao guardar(EntradaJornal& funcao, const QString& razao);

    ExecutorFuncoes& m_executor;
    JornalLocal& m_jornal;
    QString m_destino;
    QString m_terminal;
};
