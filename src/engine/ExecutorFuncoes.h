#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class Cl_EQP;

// The terminal screen a function was confirmed on: they differ on AC008 ("Lista de Operações",
// which ends the operation, on frmTerminal; "Consumo de Materiais", the screen's own, on
// frmTerminal2) and AC009 (only frmTerminal knows it).
enum class TipoEcra { Terminal, Terminal2 };

// "Tipo de Terminal" 0 is frmTerminal, any other number frmTerminal2.
inline TipoEcra EcraDoTipo(int tipoTerminal)
{
    return tipoTerminal == 0 ? TipoEcra::Terminal : TipoEcra::Terminal2;
}

// A confirmed function with the selection the screen had when Confirmar was touched.
struct PedidoFuncao
{
    QString Funcao;
    TipoEcra Ecra = TipoEcra::Terminal;
    QString Utilizador;
    QString Obra;
    QString Operacao;
    QString Maquina;
    QString MotivoSuspensao;
    QDateTime DataHora;   // the event's date and time: the engine records this one
    QString Token;        // when given, the function is done at most once
    bool Reenvio = false; // replayed from the journal: nobody at the terminal to ask
    // Checks the screen could not make without the server (see ExecutorEQP): a replay makes
    // those that still matter before the function runs.
    QStringList VerificacoesOmitidas;
};

struct ResultadoFuncao
{
    enum class Tipo {
        Nenhuma,     // no function chosen: nothing done
        Motor,       // the engine ran it: resultado and mensagem are its answer
        JaGravada,   // its token was already on the server: done before, nothing done now
        DoEcra,      // not an engine function (frmTerminal2's AC008): the screen handles it
        Desconhecida // an unknown code: mensagem is "Função não implementada ! <code>"
    };
    Tipo tipo = Tipo::Nenhuma;
    bool resultado = false;
    QString mensagem;
};

// Runs confirmed functions: the screens and the journal's replay go through the same calls.
class ExecutorFuncoes
{
public:
    virtual ~ExecutorFuncoes() = default;
    // Runs the function; database errors pass on as ErroBD.
    virtual ResultadoFuncao Executar(const PedidoFuncao& pedido) = 0;
    // True when the function with this token is done on the server; ErroBD when it cannot be asked.
    virtual bool Gravada(const QString& token) = 0;
    // Gets the server ready for functions with tokens; ErroBD when it cannot be.
    virtual void Preparar() {}
};

// The function codes on the engine Cl_EQP, as the screens dispatch them. With a token the
// engine writes the function and the token's row (oka_RegistosTerminal) in one transaction: a
// token already there gives JaGravada and runs nothing, a refusal leaves no token. Questions to
// the operator are asked by the engine before its transaction opens.
class ExecutorEQP : public ExecutorFuncoes
{
public:
    // `terminal` names this terminal in the token's row.
    ExecutorEQP(Cl_EQP& eqp, const QString& terminal);

    // What a code is on a screen: Nenhuma (empty), Motor, DoEcra or Desconhecida.
    static ResultadoFuncao::Tipo Natureza(const QString& funcao, TipoEcra ecra);
    // "Função não implementada ! <" code ">".
    static QString MensagemDesconhecida(const QString& funcao);
    // The order typed on the keypad was taken without asking the server whether it exists. A
    // replay asks first and refuses the function with the screen's message when it does not.
    static QString VerificacaoExistenciaObra() { return QStringLiteral("Existência da obra"); }
    static QString MensagemObraInexistente() { return QStringLiteral("A Folha de Obra indicada não existe !"); }

    ResultadoFuncao Executar(const PedidoFuncao& pedido) override;
    bool Gravada(const QString& token) override;
    void Preparar() override;

private:
    ResultadoFuncao Despachar(const PedidoFuncao& p);

    Cl_EQP& m_eqp;
    QString m_terminal;
    bool m_preparado = false;
};
