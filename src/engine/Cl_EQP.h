#pragma once

#include <functional>

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "base/Currency.h"
#include "dataaccess/Registos.h"

class ErroBD;
class InteraccaoOperador;
class LigacaoDados;

// What the last operation that writes left in the database, for the operator's confirmation:
// taken from what the operation read and wrote anyway, never from a query of its own. Reset by
// every such operation as it starts; meaningful only after it answered true.
struct ResultadoEQP
{
    QDateTime DataHora; // the moment written on the lines
    QString Obra;       // the order started, ended or changed
    QStringList Obras;  // the orders touched, in order (one for a single-order operation)
    qint32 NoLinha = 0; // the line started or ended
    QString Descritivo; // the operation's name written on a started line
    Currency Total;     // hh.mmss worked on an ended line
    int Linhas = 0;     // lines started, ended, suspended, interrupted or resumed
};

// The work-order engine: starts and ends labour lines, rolls up the orders' costs, changes the
// orders' shop-floor states, opens and closes the working day and answers the screens' lookups.
// Every operation that writes runs as one transaction on bd_lig; questions to the operator are
// asked before it opens. Refusals return false with the operator's message in the out text;
// database errors pass to the caller as ErroBD unless the operation says otherwise. Given a token
// (setToken), an operation that writes records it in its own transaction (oka_RegistosTerminal),
// so that it is done at most once: a refusal records nothing.
class Cl_EQP
{
public:
    void setBd_lig(LigacaoDados* l) { m_bd = l; }
    LigacaoDados* bd_lig() const { return m_bd; }
    // The operator asked before a start and shown trapped errors; without one a start goes on.
    void setOperador(InteraccaoOperador* o) { m_operador = o; }
    InteraccaoOperador* operador() const { return m_operador; }
    // What the last operation that writes did (see ResultadoEQP).
    const ResultadoEQP& Resultado() const { return m_resultado; }
    // The token of the next operation that writes, with the terminal and function code recorded
    // beside it. Taken by the next public operation that writes, whatever becomes of it (not by
    // the operations it calls itself: Dia_Inicio's starts, TerminaTodasOperacoes' endings).
    void setToken(const QString& token, const QString& terminal, const QString& funcao);
    // The last operation that writes found its token already recorded: it did nothing now (it
    // was done before) and answered true.
    bool JaGravada() const { return m_jaGravada; }

    // --- Starting (Cl_EQP_Inicio.cpp) ---
    // Starts a labour line (takes over the order's prepared line for the operation when there is
    // one). With FazTestes: "Operador/Obra/Operacao não indentificad...", the question about
    // running operations (declined: false, empty message), "Utilizador com ordens em Fim de Dia !".
    // Always: "Esta Ordem Fabrico já tem esta operação iniciada por este funcionário !".
    bool Operacao_Inicio(const QString& inUtilizador, const QString& inObra, const QString& inOperacao,
                         const QString& inMaquina, const QDateTime& inDataHora, QString& outMensagem,
                         bool FazTestes = false);

    // --- Ending and costing (Cl_EQP_Fim.cpp) ---
    // Ends today's running line of employee, order, operation and machine and rolls up the order's
    // costs. Messages: the four "... não indentificad..." checks, "Não existem operações iniciadas
    // nesta Obra que correspondam a informação introduzida !".
    bool Operacao_fim(const QString& inUtilizador, const QString& inObra, const QString& inOperacao,
                      const QString& inMaquina, const QDateTime& inDataHora, QString& outMensagem);

    // --- Order state changes (Cl_EQP_Estados.cpp) ---
    // Each closes the operator's running lines of the order (every employee's for SubContrato),
    // sets the order's SubEstado and rolls up its costs; false with the family's message when there
    // is no running line (SubContrato: true, nothing changed) or an argument is missing.
    bool Obra_Suspender(const QString& inOperador, const QString& inObra, const QDateTime& inDataHora,
                        const QString& inMotivo, QString& outMensagem); // lines 9, SubEstado 2, Notas
    bool Obra_PorTerminar(const QString& inOperador, const QString& inObra, const QDateTime& inDataHora,
                          QString& outMensagem); // lines 2, SubEstado 3
    bool Obra_PorControlar(const QString& inOperador, const QString& inObra, const QDateTime& inDataHora,
                           QString& outMensagem); // lines 2, SubEstado 4
    bool Obra_Terminar(const QString& inOperador, const QString& inObra, const QDateTime& inDataHora,
                       QString& outMensagem); // lines 2, SubEstado 5; no argument messages
    bool Obra_NaoConforme(const QString& inOperador, const QString& inObra, const QDateTime& inDataHora,
                          QString& outMensagem); // lines 4, SubEstado 7
    bool Obra_SubContrato(const QString& inObra, const QDateTime& inDataHora,
                          QString& outMensagem); // lines 2, SubEstado 6

    // --- Working day (Cl_EQP_Dia.cpp) ---
    // Interrupts (state 8) every running line of the employee, their orders' SubEstado 0.
    // Messages: "Operador não indentificado !", "Não existem Folhas de Obra deste Operador iniciadas!".
    bool Dia_Fim(const QString& inOperador, const QDateTime& inDataHora, QString& outMensagem);
    // Resumes every interrupted line of the employee as a new running line (old one state 10).
    // Messages: "Operador não indentificado !", the running-operations refusal, "Não existem
    // operações para iniciar para este funcionario!"; a refused duplicate's message stays on true.
    bool Dia_Inicio(const QString& inUtilizador, const QDateTime& inDataHora, QString& outMensagemErro);
    // Ends (Obra_Terminar) the employee's running work on every open order, now. False when there
    // was none or an order could not be ended (named in the message); true when all were ended.
    bool TerminaTodasOperacoes(const QString& inUtilizador, QString& outMensagem);
    bool TerminaTodasOperacoes(const QString& inUtilizador, const QDateTime& inDataHora, QString& outMensagem);

    // --- Queries (Cl_EQP_Consultas.cpp) ---
    // True when the order exists, with its EstadoFo and SubEstado (Null or blank give 0); false and
    // out_Estado 9 when it does not (out_SubEstado untouched).
    bool Existe_FolhaObra(const QString& in_ordem, qint32& out_Estado, qint32& out_SubEstado);
    // The order's Processo; "" when there is none; errors are shown to the operator and give "".
    QString aNumeroProcessoDaOrdem(const QString& CM_NumeroDaOrdem);
    // The employee's running lines on any order: Fo, OperNome, estado ("" or "(ORDEM JÁ TERMINADA)").
    Registos ListaOperacoesUtilizador(const QString& funcionario);
    // Every order not closed (EstadoFo <> 4) with a number: column Fo. The employee is not used.
    Registos ListaOrdensPorFUncionario(const QString& UserId);

    // --- Materials (Cl_EQP_Materiais.cpp) ---
    // Lets the operator pick an article (all but the group of oka_Contador.Artigos); its code or "".
    QString cm_ListaArtigos();
    // True for an existing stock article, with name, packaging factor and base unit. Messages:
    // "O Artigo indicado não existe !", "Não é possivel movimentar descritores no terminal !";
    // errors are shown to the operator and give false.
    bool CM_ValidaArtigo(const QString& CodigoArtigo, QString& out_DescricaoArtigo, double& out_Factor,
                         QString& Out_MensagemErro, QString& Out_UnidadeBase);
    // True when the raw-material warehouse (given back even on false) holds at least Quantidade.
    // Messages: "Não existe Armazem definido", "Não existe quantidade no armazem !", "Não existe
    // quantidade necessaria do artigo no armazem !"; a blank warehouse fails silently; errors are
    // shown to the operator and give false.
    bool ExisteQuantidadeNoArmazem(const QString& Artigo, Currency Quantidade, QString& Out_MensagemErro,
                                   QString& Out_ArmazemDoArtigo);

private:
    // A running line about to be closed.
    struct LinhaAberta
    {
        QString NoFo;
        qint32 NoLinha = 0;
        QDate Data;
        Currency HoraInicio;
    };

    LigacaoDados& bd() const;

    struct TokenFuncao
    {
        QString token, terminal, funcao;
    };
    // The token given for this operation (empty when none, or when an outer operation took it).
    TokenFuncao TomarToken();
    enum class Desfecho { Feito, Recusado, JaFeito };
    // Runs `corpo` as the operation's transaction. With a token, the token is recorded first: when
    // it is already there nothing runs (JaFeito). `corpo` returns false when the operation refuses;
    // with a token the transaction is then rolled back, so a refusal writes nothing at all.
    Desfecho Transacao(const TokenFuncao& token, const QDateTime& dataHora, const std::function<bool()>& corpo);
    // False with "Operador não indentificado !" (then "Obra não indentificada !") for an empty id.
    static bool OperadorIdentificado(const QString& inOperador, QString& outMensagem);
    static bool OperadorEObraIdentificados(const QString& inOperador, const QString& inObra, QString& outMensagem);

    // FROM and WHERE of the employee's running lines (state 1, not prepared) with their order and
    // operation; binds the employee.
    static const QString LinhasEmCurso;
    // Condition of a line that was started and is still open: the only lines a closer closes
    // (HoraInicio = 0 and Total = 0 is a prepared line, never started).
    static const QString AbertaIniciada;

    // What a start reads of the order and the catalogues once the order is held, in one query.
    struct DadosInicio
    {
        bool temPreparada = false; // the order's prepared line for the operation (the lowest)
        qint64 preparada = 0;
        bool duplicada = false; // the operation already running for the employee on that day
        QString nomeOperacao;   // "" for an unknown operation
        Currency custoMaquina;  // 0 for an unknown machine
        Currency custoHomem;    // 0 for an unknown employee
        qint32 proximaLinha = 1;
    };

    // Start helpers (Cl_EQP.cpp; HoraDeInicio and LerDadosInicio in Cl_EQP_Inicio.cpp).
    static Currency HoraDeInicio(const QDateTime& dataHora);
    Registos OperacoesIniciadas(const QString& funcionario);
    bool ExisteOperacaoIniciada(const QString& funcionario, QString& outTexto);
    // The two checks before a start in one query: the employee's running operations on open orders
    // and his lines interrupted at day end, each as the operator's list (empty when none).
    void LinhasAntesDoInicio(const QString& funcionario, QString& outIniciadas, QString& outFimDia);
    DadosInicio LerDadosInicio(const QString& obra, const QVariant& operacao, const QString& maquina,
                               const QString& funcionario, const QDate& dia);
    // SubEstado and DataActual of the order (and its Notas when given); false without a header row.
    bool ActualizaSubEstado(const QString& obra, qint32 subEstado, const QDateTime& dataHora,
                            const QString* notas = nullptr);
    void BloquearOrdem(const QString& obra);
    void MostrarErro(const ErroBD& e, const QString& separador, const QString& rodape);

    // Closing and costing (Cl_EQP_Fim.cpp).
    static Currency Duracao(const LinhaAberta& linha, const QDateTime& fim);
    // Closes the line unless another terminal closed it since it was read: false then.
    bool FecharLinha(const LinhaAberta& linha, const QDateTime& fim, int estado);
    // Closes lines of one order together (one statement for up to a hundred); the number closed,
    // without those another terminal closed since they were read.
    int FecharLinhas(const QList<LinhaAberta>& linhas, const QDateTime& fim, int estado);
    // Rows with the columns ColunasLinhaAberta.
    static QList<LinhaAberta> LinhasDe(const Registos& r);
    static const QString ColunasLinhaAberta;
    // `ordemPresa`: this transaction already changed the order's header row (which holds it).
    bool CalculaCustosObra(const QString& obra, bool ordemPresa = false);

    // The state-change family: closes the open lines of the order (of one operator when given).
    bool MudarEstadoObra(const TokenFuncao& token, const QString* operador, const QString& obra,
                         const QDateTime& dataHora, int estadoLinha, qint32 subEstado, const QString* notas,
                         const QString& semLinhas, QString& outMensagem);

    LigacaoDados* m_bd = nullptr;
    InteraccaoOperador* m_operador = nullptr;
    ResultadoEQP m_resultado;
    TokenFuncao m_token;
    bool m_jaGravada = false;
};
