#include <thread>

#include "DadosEngine.h"

using namespace dados;

namespace {
const QString E1 = QStringLiteral("E1"), M1 = QStringLiteral("M1"), F1 = QStringLiteral("F1");
}

class InicioFim : public TesteEngine
{
};

TEST_P(InicioFim, ExemploTrabalhadoDoInicioAoFimComCustos)
{
    Obra(bd(), F1);
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, F1, QStringLiteral("10"), M1, Em(4, "08:05:09"), msg, true));
    Registos l = Linhas(bd(), F1);
    ASSERT_EQ(l.RecordCount(), 1);
    EXPECT_EQ(l[0].inteiro("NoLinha"), 1);
    EXPECT_EQ(l[0].data("Data"), QDate(2024, 3, 4));
    EXPECT_EQ(l[0].moeda("HoraInicio"), C("8.0509"));
    EXPECT_EQ(l[0].texto("Descritivo"), QStringLiteral("Corte"));
    EXPECT_EQ(l[0].moeda("CustoHomem"), C("12"));
    EXPECT_EQ(l[0].moeda("CustoMaquina"), C("20"));
    EXPECT_EQ(l[0].inteiro("Estado"), 1);
    EXPECT_EQ(Cabecalho(bd(), F1)[0].inteiro("SubEstado"), 1);
    EXPECT_EQ(Cabecalho(bd(), F1)[0].texto("DataActual").left(19).replace(u' ', u'T'),
              QStringLiteral("2024-03-04T08:05:09"));

    ASSERT_TRUE(eqp.Operacao_fim(E1, F1, QStringLiteral("10"), M1, Em(4, "10:20:00"), msg));
    l = Linhas(bd(), F1);
    EXPECT_EQ(l[0].moeda("HoraFim"), C("10.2"));
    EXPECT_EQ(l[0].moeda("Total"), C("2.1451"));
    EXPECT_EQ(l[0].inteiro("Estado"), 2);
    EXPECT_EQ(Cabecalho(bd(), F1)[0].moeda("TotalCustoProd"), C("71.92"));
    EXPECT_EQ(Cabecalho(bd(), F1)[0].moeda("TotalCustoInd"), C("11.2375"));

    // A second line ended the second it started has Total 0: the roll-up, done again from
    // scratch, gives the same totals.
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, F1, QStringLiteral("20"), M1, Em(4, "11:00:00"), msg));
    ASSERT_TRUE(eqp.Operacao_fim(E1, F1, QStringLiteral("20"), M1, Em(4, "11:00:00"), msg));
    EXPECT_EQ(Linhas(bd(), F1)[1].moeda("Total"), C("0"));
    EXPECT_EQ(Cabecalho(bd(), F1)[0].moeda("TotalCustoProd"), C("71.92"));
    EXPECT_EQ(Cabecalho(bd(), F1)[0].moeda("TotalCustoInd"), C("11.2375"));
}

TEST_P(InicioFim, RecusasDoInicioPorOrdemSemEscrever)
{
    Obra(bd(), F1);
    Linha(bd(), QStringLiteral("F0"), 1, QDate(2024, 3, 3), "8", "17", "9", 10, E1, 8);
    const QString antes = Fotografia(bd());
    const QDateTime t = Em(4, "09:00:00");
    EXPECT_FALSE(eqp.Operacao_Inicio({}, {}, {}, M1, t, msg, true));
    EXPECT_EQ(msg, QStringLiteral("Operador não indentificado !"));
    EXPECT_FALSE(eqp.Operacao_Inicio(E1, {}, {}, M1, t, msg, true));
    EXPECT_EQ(msg, QStringLiteral("Obra não indentificada !"));
    EXPECT_FALSE(eqp.Operacao_Inicio(E1, F1, {}, M1, t, msg, true));
    EXPECT_EQ(msg, QStringLiteral("Operacao não indentificada !"));
    EXPECT_FALSE(eqp.Operacao_Inicio(E1, F1, QStringLiteral("10"), M1, t, msg, true));
    EXPECT_EQ(msg, QStringLiteral("Utilizador com ordens em Fim de Dia !\r\nNão é possivel inciar operações.\r\n"
                                  "Obra F0 Operação:10 Maquina: M1"));
    EXPECT_TRUE(operador.dialogos.isEmpty());
    EXPECT_EQ(Fotografia(bd()), antes);
}

TEST_P(InicioFim, PerguntaQuandoJaTemOperacoesIniciadas)
{
    Obra(bd(), F1);
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, F1, QStringLiteral("10"), M1, Em(4, "08:00:00"), msg, true));
    const QString antes = Fotografia(bd());
    const QString pergunta =
        QStringLiteral("Utilizador com uma ordem já inciada!\r\nExiste uma operação (Corte) iniciada na obra F1");

    operador.respostasConfirmacao = {false};
    EXPECT_FALSE(eqp.Operacao_Inicio(E1, F1, QStringLiteral("20"), M1, Em(4, "09:00:00"), msg, true));
    EXPECT_EQ(msg, QString());
    EXPECT_EQ(Fotografia(bd()), antes);
    ASSERT_EQ(operador.dialogos.size(), 1);
    EXPECT_EQ(operador.dialogos[0].texto, pergunta);
    EXPECT_EQ(operador.dialogos[0].imagem, 1);
    EXPECT_EQ(operador.dialogos[0].altura, 3345);

    EXPECT_TRUE(eqp.Operacao_Inicio(E1, F1, QStringLiteral("20"), M1, Em(4, "09:00:00"), msg, true));
    EXPECT_EQ(msg, pergunta);
    EXPECT_EQ(Linhas(bd(), F1).RecordCount(), 2);
}

TEST_P(InicioFim, LinhaPreparadaRenumeradaEDuplicadoRecusado)
{
    Obra(bd(), F1);
    Linha(bd(), F1, 1, QDate(2024, 3, 1), "0", "0", "0", 10, QStringLiteral("E2"), 0, {});
    Linha(bd(), F1, 2, QDate(2024, 3, 3), "8", "0", "0", 20, E1, 1);
    // Yesterday's running operation 20 does not block today; the prepared line goes to the end.
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, F1, QStringLiteral("10"), M1, Em(4, "08:00:00"), msg));
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, F1, QStringLiteral("20"), M1, Em(4, "08:00:01"), msg));
    Registos l = Linhas(bd(), F1);
    ASSERT_EQ(l.RecordCount(), 3);
    EXPECT_EQ(l[0].inteiro("NoLinha"), 2);
    EXPECT_EQ(l[1].inteiro("NoLinha"), 3);
    EXPECT_EQ(l[1].inteiro("Opera"), 10);
    EXPECT_EQ(l[1].texto("Func"), E1);
    EXPECT_EQ(l[1].moeda("HoraInicio"), C("8"));
    EXPECT_EQ(l[1].texto("Maquina"), M1);
    EXPECT_EQ(l[2].inteiro("NoLinha"), 4);

    const QString antes = Fotografia(bd());
    EXPECT_FALSE(eqp.Operacao_Inicio(E1, F1, QStringLiteral("10"), QStringLiteral("M2"), Em(4, "10:00:00"), msg));
    EXPECT_EQ(msg, QStringLiteral("Esta Ordem Fabrico já tem esta operação iniciada por este funcionário !"));
    EXPECT_EQ(Fotografia(bd()), antes);
}

// A start stamped 00:00:00 is written as 00:00:01, so a started line never looks prepared: the
// next start of the operation on the order gets a line of its own and the first can still be
// ended. The same for a prepared line taken over and an interrupted line resumed at midnight.
TEST_P(InicioFim, InicioAMeiaNoiteNaoPareceLinhaPreparada)
{
    const QString E2 = QStringLiteral("E2"), F2 = QStringLiteral("F2");
    Obra(bd(), F1);
    Obra(bd(), F2);
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, F1, QStringLiteral("10"), M1, Em(4, "00:00:00"), msg, true));
    ASSERT_TRUE(eqp.Operacao_Inicio(E2, F1, QStringLiteral("10"), M1, Em(4, "07:00:00"), msg, true));
    Registos l = Linhas(bd(), F1);
    ASSERT_EQ(l.RecordCount(), 2);
    EXPECT_EQ(l[0].texto("Func"), E1);
    EXPECT_EQ(l[0].moeda("HoraInicio"), C("0.0001"));
    EXPECT_EQ(l[1].texto("Func"), E2);
    ASSERT_TRUE(eqp.Operacao_fim(E1, F1, QStringLiteral("10"), M1, Em(4, "08:00:00"), msg));
    EXPECT_EQ(Linhas(bd(), F1)[0].moeda("Total"), C("7.5959"));

    Linha(bd(), F2, 1, QDate(2024, 3, 1), "0", "0", "0", 20, {}, 0, {});
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, F2, QStringLiteral("20"), M1, Em(4, "00:00:00"), msg));
    ASSERT_TRUE(eqp.Dia_Fim(E1, Em(4, "17:00:00"), msg));
    ASSERT_TRUE(eqp.Dia_Inicio(E1, Em(5, "00:00:00"), msg));
    l = Linhas(bd(), F2);
    ASSERT_EQ(l.RecordCount(), 2);
    EXPECT_EQ(l[0].moeda("HoraInicio"), C("0.0001"));
    EXPECT_EQ(l[0].inteiro("Estado"), 10);
    EXPECT_EQ(l[1].moeda("HoraInicio"), C("0.0001"));
    EXPECT_EQ(l[1].data("Data"), QDate(2024, 3, 5));
    EXPECT_EQ(l[1].inteiro("Estado"), 1);
}

TEST_P(InicioFim, RecusasDoFimPorOrdem)
{
    Obra(bd(), F1);
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, F1, QStringLiteral("10"), M1, Em(4, "08:00:00"), msg));
    const QString antes = Fotografia(bd());
    const QDateTime t = Em(4, "09:00:00");
    const QString nenhuma =
        QStringLiteral("Não existem operações iniciadas nesta Obra que correspondam a informação introduzida !");
    struct Caso
    {
        QString u, o, op, m, esperado;
        QDateTime quando;
    };
    const QList<Caso> casos{{{}, {}, {}, {}, QStringLiteral("Operador não indentificado !"), t},
                            {E1, {}, {}, {}, QStringLiteral("Obra não indentificada !"), t},
                            {E1, F1, QStringLiteral("0"), {}, QStringLiteral("Operacao não indentificada !"), t},
                            {E1, F1, QStringLiteral("10"), {}, QStringLiteral("Maquina não indentificada !"), t},
                            {E1, F1, QStringLiteral("10"), QStringLiteral("M2"), nenhuma, t},
                            {E1, F1, QStringLiteral("20"), M1, nenhuma, t},
                            {E1, F1, QStringLiteral("10"), M1, nenhuma, Em(5, "09:00:00")}};
    for (const Caso& c : casos) {
        msg.clear();
        EXPECT_FALSE(eqp.Operacao_fim(c.u, c.o, c.op, c.m, c.quando, msg));
        EXPECT_EQ(msg, c.esperado);
    }
    EXPECT_EQ(Fotografia(bd()), antes);
}

// Unknown operation, no machine, no order header: the line starts all the same (empty name, rate 0).
TEST_P(InicioFim, CodigosDesconhecidosIniciamLinha)
{
    ASSERT_TRUE(
        eqp.Operacao_Inicio(E1, QStringLiteral("F7"), QStringLiteral("99"), QString(), Em(4, "08:00:00"), msg, true));
    const Registos l = Linhas(bd(), QStringLiteral("F7"));
    ASSERT_EQ(l.RecordCount(), 1);
    EXPECT_FALSE(l[0].nulo("Descritivo") || l[0].nulo("Maquina"));
    EXPECT_EQ(l[0].texto("Descritivo"), QString());
    EXPECT_EQ(l[0].moeda("CustoMaquina"), C("0"));
    EXPECT_EQ(l[0].moeda("CustoHomem"), C("12"));
}

TEST_P(InicioFim, ApostrofesNosCodigos)
{
    const QString fo = QStringLiteral("F'1"), func = QStringLiteral("O'Neil"), maq = QStringLiteral("M'2");
    Obra(bd(), fo);
    Funcionario(bd(), func, QStringLiteral("Seán O'Neil"));
    Maquina(bd(), maq, QStringLiteral("Prensa d'aço"), "8");
    ASSERT_TRUE(eqp.Operacao_Inicio(func, fo, QStringLiteral("10"), maq, Em(4, "08:00:00"), msg, true));
    ASSERT_TRUE(eqp.Operacao_fim(func, fo, QStringLiteral("10"), maq, Em(4, "09:30:00"), msg));
    EXPECT_EQ(Linhas(bd(), fo)[0].moeda("Total"), C("1.3"));
    EXPECT_EQ(Cabecalho(bd(), fo)[0].moeda("TotalCustoProd"), C("30"));
}

// A line closed on a later day counts the days between; an end not after the start gives 0.
TEST_P(InicioFim, DuracoesPelaMeiaNoiteERelogioAtrasado)
{
    for (const char* fo : {"A", "B", "C"})
        Obra(bd(), QString::fromLatin1(fo));
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, QStringLiteral("A"), QStringLiteral("10"), M1, Em(4, "22:00:00"), msg));
    ASSERT_TRUE(eqp.Obra_Terminar(E1, QStringLiteral("A"), Em(5, "02:00:00"), msg));
    EXPECT_EQ(Linhas(bd(), QStringLiteral("A"))[0].moeda("Total"), C("4"));
    EXPECT_EQ(Cabecalho(bd(), QStringLiteral("A"))[0].moeda("TotalCustoProd"), C("128"));

    ASSERT_TRUE(eqp.Operacao_Inicio(E1, QStringLiteral("B"), QStringLiteral("10"), M1, Em(4, "10:00:00"), msg));
    ASSERT_TRUE(eqp.Dia_Fim(E1, Em(6, "12:30:15"), msg));
    EXPECT_EQ(Linhas(bd(), QStringLiteral("B"))[0].moeda("Total"), C("50.3015"));
    EXPECT_EQ(Linhas(bd(), QStringLiteral("B"))[0].moeda("HoraFim"), C("12.3015"));

    ASSERT_TRUE(eqp.Operacao_Inicio(E1, QStringLiteral("C"), QStringLiteral("10"), M1, Em(4, "10:00:00"), msg));
    ASSERT_TRUE(eqp.Operacao_fim(E1, QStringLiteral("C"), QStringLiteral("10"), M1, Em(4, "09:00:00"), msg));
    const Registos c = Linhas(bd(), QStringLiteral("C"));
    EXPECT_EQ(c[0].moeda("Total"), C("0"));
    EXPECT_EQ(c[0].inteiro("Estado"), 2);
    EXPECT_EQ(Cabecalho(bd(), QStringLiteral("C"))[0].moeda("TotalCustoProd"), C("0"));
}

// Two terminals starting operations on one order at once: every line lands, numbers distinct.
TEST_P(InicioFim, DoisTerminaisAoMesmoTempo)
{
    Obra(bd(), F1);
    for (int op = 100; op < 140; ++op)
        Operacao(bd(), op, QStringLiteral("Op %1").arg(op));
    const ParametrosLigacao parametros = base().parametros();
    std::atomic<int> falhas{0};
    auto terminal = [&](QString func) {
        LigacaoDados ligacao;
        if (!ligacao.Abrir(parametros)) {
            ++falhas;
            return;
        }
        ligacao.tentativasMaximas = 1; // the order lock alone must keep the numbers apart
        Cl_EQP motor;
        motor.setBd_lig(&ligacao);
        QString m;
        for (int op = 100; op < 140; ++op) {
            try {
                if (!motor.Operacao_Inicio(func, F1, QString::number(op), M1, Em(4, "08:00:00"), m)) ++falhas;
            } catch (const ErroBD&) {
                ++falhas;
            }
        }
    };
    std::thread a(terminal, E1), b(terminal, QStringLiteral("E2"));
    a.join();
    b.join();
    EXPECT_EQ(falhas.load(), 0);
    const Registos r =
        bd().consultar(QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT NoLinha), MAX(NoLinha) FROM oka_LinFo_Ope"));
    EXPECT_EQ(r[0].inteiro(0), 80);
    EXPECT_EQ(r[0].inteiro(1), 80);
    EXPECT_EQ(r[0].inteiro(2), 80);
}

INSTANCIAR_BACKENDS(InicioFim);
