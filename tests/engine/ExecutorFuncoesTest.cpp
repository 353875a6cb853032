#include "engine/ExecutorFuncoes.h"

#include <atomic>
#include <latch>
#include <thread>

#include "DadosEngine.h"
#include "dataaccess/RegistosTerminal.h"

using namespace dados;

namespace {

const QString E1 = QStringLiteral("E1"), E2 = QStringLiteral("E2"), M1 = QStringLiteral("M1");

PedidoFuncao Pedido(const QString& funcao, const QString& obra, const QDateTime& quando,
                    TipoEcra ecra = TipoEcra::Terminal, const QString& operacao = QStringLiteral("10"),
                    const QString& utilizador = E1)
{
    PedidoFuncao p;
    p.Funcao = funcao;
    p.Ecra = ecra;
    p.Utilizador = utilizador;
    p.Obra = obra;
    p.Operacao = operacao;
    p.Maquina = M1;
    p.DataHora = quando;
    return p;
}

} // namespace

class ExecutorEQP_ : public TesteEngine
{
protected:
    void SetUp() override
    {
        TesteEngine::SetUp();
        executor = std::make_unique<ExecutorEQP>(eqp, QStringLiteral("posto-1"));
    }
    ResultadoFuncao executar(const PedidoFuncao& p) { return executor->Executar(p); }
    qint64 tokens()
    {
        return bd().consultar(QStringLiteral("SELECT COUNT(*) FROM oka_RegistosTerminal")).primeira().inteiro(0);
    }
    std::unique_ptr<ExecutorEQP> executor;
};

// Each code reaches its engine operation with the date and time it was given, not the clock's.
TEST_P(ExecutorEQP_, CadaCodigoNaSuaOperacaoComADataDada)
{
    Obra(bd(), QStringLiteral("F1"));
    ResultadoFuncao r = executar(Pedido(QStringLiteral("AC007"), QStringLiteral("F1"), Em(4, "08:00:00")));
    ASSERT_TRUE(r.resultado) << r.mensagem.toStdString();
    EXPECT_EQ(r.tipo, ResultadoFuncao::Tipo::Motor);
    EXPECT_EQ(
        executar(Pedido(QStringLiteral("AC008"), QStringLiteral("F1"), Em(4, "10:00:00"), TipoEcra::Terminal2)).tipo,
        ResultadoFuncao::Tipo::DoEcra);
    EXPECT_EQ(Linhas(bd(), QStringLiteral("F1"))[0].inteiro("Estado"), 1);
    ASSERT_TRUE(executar(Pedido(QStringLiteral("AC008"), QStringLiteral("F1"), Em(4, "10:00:00"))).resultado);
    Registos l = Linhas(bd(), QStringLiteral("F1"));
    EXPECT_EQ(l[0].moeda("HoraInicio"), C("8"));
    EXPECT_EQ(l[0].moeda("HoraFim"), C("10"));
    EXPECT_EQ(l[0].inteiro("Estado"), 2);

    // The state family, each on its own order: line state and order sub-state tell which ran.
    const QList<std::tuple<const char*, int, int>> familia{{"AC001", 9, 2}, {"AC002", 2, 3}, {"AC003", 2, 4},
                                                           {"AC004", 2, 5}, {"AC005", 4, 7}, {"AC006", 2, 6}};
    for (const auto& [codigo, estadoLinha, subEstado] : familia) {
        SCOPED_TRACE(codigo);
        const QString fo = QString::fromLatin1(codigo);
        Obra(bd(), fo);
        Linha(bd(), fo, 1, QDate(2024, 3, 4), "8", "0", "0", 10, E1, 1);
        PedidoFuncao p = Pedido(fo, fo, Em(4, "09:30:00"));
        p.MotivoSuspensao = QStringLiteral("Falta d'água");
        ASSERT_TRUE(executar(p).resultado);
        EXPECT_EQ(Linhas(bd(), fo)[0].inteiro("Estado"), estadoLinha);
        EXPECT_EQ(Linhas(bd(), fo)[0].moeda("HoraFim"), C("9.3"));
        EXPECT_EQ(Cabecalho(bd(), fo)[0].inteiro("SubEstado"), subEstado);
        EXPECT_EQ(Cabecalho(bd(), fo)[0].texto("Notas"),
                  subEstado == 2 ? p.MotivoSuspensao : QStringLiteral("notas antigas"));
    }

    // "Terminar Todas Operações" only on frmTerminal, and at the given time.
    Obra(bd(), QStringLiteral("F3"));
    ASSERT_TRUE(executar(Pedido(QStringLiteral("AC007"), QStringLiteral("F3"), Em(4, "11:00:00"))).resultado);
    r = executar(Pedido(QStringLiteral("AC009"), {}, Em(4, "12:30:00"), TipoEcra::Terminal2));
    EXPECT_EQ(r.tipo, ResultadoFuncao::Tipo::Desconhecida);
    EXPECT_EQ(r.mensagem, QStringLiteral("Função não implementada ! <AC009>"));
    EXPECT_EQ(executar(Pedido(QStringLiteral("OB001"), {}, Em(4, "12:30:00"))).tipo,
              ResultadoFuncao::Tipo::Desconhecida);
    EXPECT_EQ(Linhas(bd(), QStringLiteral("F3"))[0].inteiro("Estado"), 1);
    ASSERT_TRUE(executar(Pedido(QStringLiteral("AC009"), {}, Em(4, "12:30:00"))).resultado);
    EXPECT_EQ(Linhas(bd(), QStringLiteral("F3"))[0].moeda("HoraFim"), C("12.3"));

    // The working day: closed at 17:00, opened the next morning at 08:00.
    ASSERT_TRUE(executar(Pedido(QStringLiteral("AC007"), QStringLiteral("F3"), Em(4, "13:00:00"))).resultado);
    ASSERT_TRUE(executar(Pedido(QStringLiteral("OB003"), {}, Em(4, "17:00:00"))).resultado);
    ASSERT_TRUE(executar(Pedido(QStringLiteral("OB002"), {}, Em(5, "08:00:00"))).resultado);
    l = Linhas(bd(), QStringLiteral("F3"));
    ASSERT_EQ(l.RecordCount(), 3);
    EXPECT_EQ(l[1].inteiro("Estado"), 10);
    EXPECT_EQ(l[1].moeda("HoraFim"), C("17"));
    EXPECT_EQ(l[2].data("Data"), QDate(2024, 3, 5));
    EXPECT_EQ(l[2].moeda("HoraInicio"), C("8"));
    EXPECT_EQ(tokens(), 0) << "no token given, none written";
}

// With a token the function is done once: the second run finds it and does nothing. A refusal
// leaves no token, so the same token may be run again later.
TEST_P(ExecutorEQP_, UmaSoVezPorToken)
{
    Obra(bd(), QStringLiteral("F1"));
    PedidoFuncao inicio = Pedido(QStringLiteral("AC007"), QStringLiteral("F1"), Em(4, "08:00:00"));
    inicio.Token = RegistosTerminal::NovoToken();
    ASSERT_TRUE(executar(inicio).resultado);
    const QString depois = Fotografia(bd());
    const ResultadoFuncao outra = executar(inicio);
    EXPECT_EQ(outra.tipo, ResultadoFuncao::Tipo::JaGravada);
    EXPECT_TRUE(outra.resultado);
    EXPECT_EQ(Fotografia(bd()), depois);
    EXPECT_TRUE(executor->Gravada(inicio.Token));

    PedidoFuncao fim = Pedido(QStringLiteral("AC008"), QStringLiteral("F1"), Em(4, "10:00:00"), TipoEcra::Terminal,
                              QStringLiteral("10"), E2);
    fim.Token = RegistosTerminal::NovoToken();
    const ResultadoFuncao recusa = executar(fim);
    EXPECT_FALSE(recusa.resultado);
    EXPECT_EQ(recusa.mensagem,
              QStringLiteral("Não existem operações iniciadas nesta Obra que correspondam a informação introduzida !"));
    EXPECT_FALSE(executor->Gravada(fim.Token));
    fim.Utilizador = E1;
    EXPECT_TRUE(executar(fim).resultado);
    EXPECT_EQ(tokens(), 2);
    const Registos t = bd().consultar(
        QStringLiteral("SELECT Terminal, Funcao FROM oka_RegistosTerminal WHERE Token = ?"), {fim.Token});
    EXPECT_EQ(t.primeira().texto("Terminal"), QStringLiteral("posto-1"));
    EXPECT_EQ(t.primeira().texto("Funcao"), QStringLiteral("AC008"));
}

// A replay has nobody to ask: the question about running operations is taken as confirmed (the
// operator confirmed the function without it); the engine's own operator is given back after.
TEST_P(ExecutorEQP_, ReenvioNaoPerguntaAoOperador)
{
    Obra(bd(), QStringLiteral("F1"));
    ASSERT_TRUE(executar(Pedido(QStringLiteral("AC007"), QStringLiteral("F1"), Em(4, "08:00:00"))).resultado);
    operador.respostasConfirmacao = {false};
    PedidoFuncao segunda = Pedido(QStringLiteral("AC007"), QStringLiteral("F1"), Em(4, "09:00:00"), TipoEcra::Terminal,
                                  QStringLiteral("20"));
    EXPECT_FALSE(executar(segunda).resultado);
    EXPECT_EQ(operador.textos(QStringLiteral("Confirmacao")).size(), 1);

    segunda.Reenvio = true;
    segunda.Token = RegistosTerminal::NovoToken();
    const ResultadoFuncao r = executar(segunda);
    EXPECT_TRUE(r.resultado);
    EXPECT_EQ(operador.textos(QStringLiteral("Confirmacao")).size(), 1) << "asked during the replay";
    EXPECT_EQ(Linhas(bd(), QStringLiteral("F1")).RecordCount(), 2);
    EXPECT_EQ(eqp.operador(), &operador);
}

// Two terminals (connections of their own) run the same token at the same moment: one does the
// work, the other finds it done.
TEST_P(ExecutorEQP_, MesmoTokenEmDoisTerminais)
{
    Obra(bd(), QStringLiteral("F1"));
    executor->Preparar();
    PedidoFuncao p = Pedido(QStringLiteral("AC007"), QStringLiteral("F1"), Em(4, "08:00:00"));
    p.Token = RegistosTerminal::NovoToken();
    p.Reenvio = true;
    const ParametrosLigacao parametros = base().parametros();
    std::latch partida(2);
    std::atomic<int> feitas{0}, jaGravadas{0}, erros{0};
    auto terminal = [&] {
        LigacaoDados l;
        const bool aberta = l.Abrir(parametros);
        l.tentativasMaximas = 30;
        Cl_EQP motor;
        motor.setBd_lig(&l);
        ExecutorEQP ex(motor, QStringLiteral("posto"));
        partida.arrive_and_wait();
        if (!aberta) {
            ++erros;
            return;
        }
        try {
            const ResultadoFuncao r = ex.Executar(p);
            if (r.tipo == ResultadoFuncao::Tipo::JaGravada)
                ++jaGravadas;
            else if (r.resultado)
                ++feitas;
        } catch (const ErroBD&) {
            ++erros;
        }
    };
    std::thread a(terminal), b(terminal);
    a.join();
    b.join();
    EXPECT_EQ(erros.load(), 0);
    EXPECT_EQ(feitas.load(), 1);
    EXPECT_EQ(jaGravadas.load(), 1);
    EXPECT_EQ(Linhas(bd(), QStringLiteral("F1")).RecordCount(), 1);
    EXPECT_EQ(tokens(), 1);
}

INSTANCIAR_BACKENDS(ExecutorEQP_);
