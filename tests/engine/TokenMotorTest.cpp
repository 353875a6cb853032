// The engine writes the token of a confirmed function in the function's own transaction: once per
// function, never for a refusal, and a token already there does nothing.
#include <functional>

#include "DadosEngine.h"
#include "engine/ExecutorFuncoes.h"

using namespace dados;

namespace {

const QString E1 = QStringLiteral("E1"), M1 = QStringLiteral("M1");

// Answers the question about running operations and notes whether a transaction was open then.
class OperadorAtento : public OperadorFalso
{
public:
    bool Confirmacao(const QString& mensagem, int tipoImagem, int altura) override
    {
        if (ligacao) emTransacao << ligacao->emTransacao();
        return OperadorFalso::Confirmacao(mensagem, tipoImagem, altura);
    }
    LigacaoDados* ligacao = nullptr;
    QList<bool> emTransacao;
};

class TokenMotor : public TesteEngine
{
protected:
    qint64 tokens(const QString& token = {})
    {
        if (token.isEmpty())
            return bd().consultar(QStringLiteral("SELECT COUNT(*) FROM oka_RegistosTerminal")).primeira().inteiro(0);
        return bd()
            .consultar(QStringLiteral("SELECT COUNT(*) FROM oka_RegistosTerminal WHERE Token = ?"), {token})
            .primeira()
            .inteiro(0);
    }
    // Runs `operacao` with a new token: done once (one row, the event's date and time); the same
    // token again changes nothing and is reported as done before.
    void umaVez(const char* nome, const QDateTime& quando, const std::function<bool()>& operacao)
    {
        SCOPED_TRACE(nome);
        const QString token = QStringLiteral("tk-") + QString::fromLatin1(nome);
        eqp.setToken(token, QStringLiteral("posto-1"), QString::fromLatin1(nome));
        ASSERT_TRUE(operacao()) << msg.toStdString();
        EXPECT_FALSE(eqp.JaGravada());
        const Registos r = bd().consultar(
            QStringLiteral("SELECT Terminal, Funcao, DataHora FROM oka_RegistosTerminal WHERE Token = ?"), {token});
        ASSERT_EQ(r.RecordCount(), 1);
        EXPECT_EQ(r.primeira().texto("Terminal"), QStringLiteral("posto-1"));
        EXPECT_EQ(r.primeira().texto("Funcao"), QString::fromLatin1(nome).left(10));
        EXPECT_EQ(r.primeira().texto("DataHora").left(19).replace(u' ', u'T'), quando.toString(Qt::ISODate));
        const QString depois = Fotografia(bd());
        const qint64 antes = tokens();
        eqp.setToken(token, QStringLiteral("posto-2"), QString::fromLatin1(nome));
        EXPECT_TRUE(operacao());
        EXPECT_TRUE(eqp.JaGravada());
        EXPECT_EQ(Fotografia(bd()), depois);
        EXPECT_EQ(tokens(), antes);
    }
};

} // namespace

// Every operation that writes records its token once and does nothing a second time; the starts
// of Dia_Inicio and the endings of TerminaTodasOperacoes are part of their caller's function.
TEST_P(TokenMotor, CadaOperacaoUmaVez)
{
    for (const char* fo : {"F1", "F2", "F3", "F4", "F5", "F6", "F7"})
        Obra(bd(), QString::fromLatin1(fo));
    umaVez("Inicio", Em(4, "08:00:00"), [&] {
        return eqp.Operacao_Inicio(E1, QStringLiteral("F1"), QStringLiteral("10"), M1, Em(4, "08:00:00"), msg, true);
    });
    umaVez("Fim", Em(4, "09:00:00"), [&] {
        return eqp.Operacao_fim(E1, QStringLiteral("F1"), QStringLiteral("10"), M1, Em(4, "09:00:00"), msg);
    });
    // The state family, each on an order with a running line of E1.
    const QList<std::pair<const char*, std::function<bool(const QString&)>>> familia{
        {"Suspender",
         [&](const QString& fo) {
             return eqp.Obra_Suspender(E1, fo, Em(4, "10:00:00"), QStringLiteral("Falta de material"), msg);
         }},
        {"PorTerminar", [&](const QString& fo) { return eqp.Obra_PorTerminar(E1, fo, Em(4, "10:00:00"), msg); }},
        {"PorControl", [&](const QString& fo) { return eqp.Obra_PorControlar(E1, fo, Em(4, "10:00:00"), msg); }},
        {"Terminar", [&](const QString& fo) { return eqp.Obra_Terminar(E1, fo, Em(4, "10:00:00"), msg); }},
        {"NaoConform", [&](const QString& fo) { return eqp.Obra_NaoConforme(E1, fo, Em(4, "10:00:00"), msg); }},
        {"SubContrat", [&](const QString& fo) { return eqp.Obra_SubContrato(fo, Em(4, "10:00:00"), msg); }}};
    int n = 2;
    for (const auto& [nome, operacao] : familia) {
        const QString fo = QStringLiteral("F%1").arg(n++);
        Linha(bd(), fo, 1, QDate(2024, 3, 4), "8", "0", "0", 10, E1, 1);
        umaVez(nome, Em(4, "10:00:00"), [&, fo = fo, operacao = operacao] { return operacao(fo); });
    }
    // Two running lines, ended at once: one token for the function.
    Linha(bd(), QStringLiteral("F1"), 5, QDate(2024, 3, 5), "8", "0", "0", 10, E1, 1);
    Linha(bd(), QStringLiteral("F2"), 5, QDate(2024, 3, 5), "8", "0", "0", 20, E1, 1);
    const qint64 antes = tokens();
    umaVez("Todas", Em(5, "11:00:00"), [&] { return eqp.TerminaTodasOperacoes(E1, Em(5, "11:00:00"), msg); });
    EXPECT_EQ(tokens(), antes + 1);
    // The day ended and opened again: one token each, whatever the lines resumed.
    Linha(bd(), QStringLiteral("F1"), 6, QDate(2024, 3, 6), "8", "0", "0", 10, E1, 1);
    Linha(bd(), QStringLiteral("F2"), 6, QDate(2024, 3, 6), "8", "0", "0", 20, E1, 1);
    umaVez("DiaFim", Em(6, "17:00:00"), [&] { return eqp.Dia_Fim(E1, Em(6, "17:00:00"), msg); });
    umaVez("DiaInicio", Em(7, "08:00:00"), [&] { return eqp.Dia_Inicio(E1, Em(7, "08:00:00"), msg); });
    EXPECT_EQ(tokens(), antes + 3);
    EXPECT_EQ(Linhas(bd(), QStringLiteral("F1")).RecordCount(), 4);
}

// A refusal writes nothing, token included, whether it is refused before its transaction or in
// it; the token is taken by that call, so the next call without one writes none.
TEST_P(TokenMotor, RecusaNaoGravaToken)
{
    Obra(bd(), QStringLiteral("F1"));
    const QString antes = Fotografia(bd());
    eqp.setToken(QStringLiteral("t1"), QStringLiteral("posto-1"), QStringLiteral("AC008"));
    EXPECT_FALSE(eqp.Operacao_fim(E1, QStringLiteral("F1"), QStringLiteral("10"), M1, Em(4, "09:00:00"), msg));
    EXPECT_EQ(msg,
              QStringLiteral("Não existem operações iniciadas nesta Obra que correspondam a informação introduzida !"));
    eqp.setToken(QStringLiteral("t2"), QStringLiteral("posto-1"), QStringLiteral("AC001"));
    EXPECT_FALSE(eqp.Obra_Suspender(E1, {}, Em(4, "09:00:00"), {}, msg));
    eqp.setToken(QStringLiteral("t3"), QStringLiteral("posto-1"), QStringLiteral("OB003"));
    EXPECT_FALSE(eqp.Dia_Fim(E1, Em(4, "09:00:00"), msg));
    eqp.setToken(QStringLiteral("t4"), QStringLiteral("posto-1"), QStringLiteral("AC009"));
    EXPECT_FALSE(eqp.TerminaTodasOperacoes(E1, Em(4, "09:00:00"), msg));
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, QStringLiteral("F1"), QStringLiteral("10"), M1, Em(4, "08:00:00"), msg, true));
    eqp.setToken(QStringLiteral("t5"), QStringLiteral("posto-1"), QStringLiteral("AC007"));
    EXPECT_FALSE(eqp.Operacao_Inicio(E1, QStringLiteral("F1"), QStringLiteral("10"), M1, Em(4, "08:30:00"), msg, true));
    EXPECT_EQ(msg, QStringLiteral("Esta Ordem Fabrico já tem esta operação iniciada por este funcionário !"));
    EXPECT_EQ(tokens(), 0);
    EXPECT_NE(Fotografia(bd()), antes);
    EXPECT_EQ(Linhas(bd(), QStringLiteral("F1")).RecordCount(), 1);
}

// Confirmed online with a token, the question about running operations is asked while no
// transaction is open: nothing is held on the server while the operator reads it.
TEST_P(TokenMotor, PerguntaSemTransacaoAberta)
{
    OperadorAtento atento;
    atento.ligacao = &bd();
    eqp.setOperador(&atento);
    Obra(bd(), QStringLiteral("F1"));
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, QStringLiteral("F1"), QStringLiteral("10"), M1, Em(4, "08:00:00"), msg, true));
    ExecutorEQP executor(eqp, QStringLiteral("posto-1"));
    PedidoFuncao p;
    p.Funcao = QStringLiteral("AC007");
    p.Utilizador = E1;
    p.Obra = QStringLiteral("F1");
    p.Operacao = QStringLiteral("20");
    p.Maquina = M1;
    p.DataHora = Em(4, "09:00:00");
    p.Token = QStringLiteral("t1");
    const ResultadoFuncao r = executor.Executar(p);
    EXPECT_TRUE(r.resultado) << r.mensagem.toStdString();
    EXPECT_EQ(atento.emTransacao, QList<bool>{false});
    EXPECT_EQ(tokens(QStringLiteral("t1")), 1);
}

INSTANCIAR_BACKENDS(TokenMotor);
