#pragma once

#include <QObject>
#include <QString>

#include "dataaccess/JornalLocal.h"
#include "engine/ExecutorFuncoes.h"

// What became of one journal entry in a replay.
struct EventoReenvio
{
    enum class Desfecho {
        Enviada,   // done on the server now
        JaGravada, // its token was there: it had landed before (a commit whose answer was lost)
        Recusada,  // the engine (or the database) refused it: kept in the refused list
        Adiada     // the server could not be reached: it keeps waiting, the replay stopped
    };
    EntradaJornal entrada;
    Desfecho desfecho = Desfecho::Adiada;
    QString mensagem; // the engine's message, or why it could not be sent
};

// The outcome of one replay, for the daily log and the screen's counters.
struct RelatorioReenvio
{
    int enviadas = 0;
    int jaGravadas = 0;
    int recusadas = 0;
    bool interrompido = false; // stopped before the end: entries still wait (see falha)
    bool ocupado = false;      // another process was replaying the journal: nothing done here
    QString falha;             // why it stopped: the server's error or the journal's
    bool falhaJornal = false;  // it was the journal's: it could not be read or written
    int pendentes = 0;         // entries waiting after the replay
    int totalRecusadas = 0;    // entries in the refused list after the replay
};

// Replays the journal's waiting entries in the order they were confirmed, each through the
// executor with its recorded date and time and its token, so that each is done exactly once: an
// entry whose token is already on the server is only marked sent. The replay stops at the first
// entry that cannot reach the server (it and the ones after it keep waiting, so an end is never
// sent before the start it ends); an entry the engine refuses goes to the refused list with the
// engine's message and the replay goes on. Only one process replays a journal at a time.
class Reenvio : public QObject
{
    Q_OBJECT

public:
    // `destino`: only the entries meant for this database (empty: all).
    Reenvio(JornalLocal& jornal, ExecutorFuncoes& executor, const QString& destino = {}, QObject* parent = nullptr);

    // With `maximo` >= 0, stops after that many entries (the caller goes on later, so that a long
    // journal does not hold the screen): the report then shows entries still waiting.
    RelatorioReenvio Executar(int maximo = -1);

    // Tries of an entry that the database keeps answering with a busy error before it is refused.
    static constexpr int MaximoTentativasOcupada = 5;

    // The function an entry asks for, as a replay.
    static PedidoFuncao PedidoDe(const EntradaJornal& entrada);
    // One line's message for the daily log.
    static QString TextoLog(const EventoReenvio& evento);

signals:
    void entradaTratada(const EventoReenvio& evento);
    void terminado(const RelatorioReenvio& relatorio);

private:
    void tratar(const EntradaJornal& entrada, RelatorioReenvio& relatorio);
    void contar(RelatorioReenvio& relatorio);

    JornalLocal& m_jornal;
    ExecutorFuncoes& m_executor;
    QString m_destino;
};
