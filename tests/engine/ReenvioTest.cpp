#include "engine/Reenvio.h"

#include <QDir>
#include <QLockFile>
#include <QSet>
#include <QTemporaryDir>

#include "DadosEngine.h"
#include "dataaccess/RegistosTerminal.h"

using namespace dados;

namespace {

// The server as the replay sees it: tokens that landed, the order functions ran in, and an
// answer chosen by the test for each function.
class ExecutorFalso : public ExecutorFuncoes
{
public:
    ResultadoFuncao Executar(const PedidoFuncao& p) override
    {
        pedidos << p;
        ResultadoFuncao r{ResultadoFuncao::Tipo::Motor, true, {}};
        if (responder) r = responder(p);
        if (r.tipo == ResultadoFuncao::Tipo::Motor && r.resultado) gravar(p.Token);
        return r;
    }
    bool Gravada(const QString& token) override { return gravadas.contains(token); }
    void gravar(const QString& token)
    {
        gravadas.insert(token);
        ordem << token;
    }

    std::function<ResultadoFuncao(const PedidoFuncao&)> responder;
    QList<PedidoFuncao> pedidos;
    QSet<QString> gravadas;
    QStringList ordem; // tokens in the order they landed
};

ErroBD Erro(ErroBD::Tipo tipo, const char* texto = "could not connect to server: Connection refused")
{
    return ErroBD(QString::fromLatin1(texto), {}, tipo);
}

class Reenvio_ : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pasta.isValid());
        jornal = std::make_unique<JornalLocal>(QDir(m_pasta.path()).filePath(QStringLiteral("jornal.db")));
    }
    // Entries A, B, C... one second apart, on frmTerminal2 when `tipo` says so.
    QStringList guardar(int n, int tipo = 0)
    {
        QStringList tokens;
        for (int i = 0; i < n; ++i) {
            EntradaJornal e;
            e.Funcao = QStringLiteral("AC007");
            e.Utilizador = QString(QChar(u'A' + i));
            e.TipoTerminal = tipo;
            e.DataHora = Em(4, "08:00:00").addSecs(i);
            jornal->Acrescentar(e);
            tokens << e.Token;
        }
        return tokens;
    }
    RelatorioReenvio reenviar(int maximo = -1)
    {
        Reenvio r(*jornal, executor);
        QObject::connect(&r, &Reenvio::entradaTratada, [&](const EventoReenvio& ev) { eventos << ev; });
        return r.Executar(maximo);
    }

    QTemporaryDir m_pasta;
    std::unique_ptr<JornalLocal> jornal;
    ExecutorFalso executor;
    QList<EventoReenvio> eventos;
};

} // namespace

// In order, each with its own date, time and screen; the first entry that cannot reach the
// server stops the replay (it and those after it wait); the next replay goes on from there.
TEST_F(Reenvio_, EmOrdemParaSemLigacaoERetoma)
{
    const QStringList t = guardar(4, 1);
    int tentativasC = 0;
    executor.responder = [&](const PedidoFuncao& p) -> ResultadoFuncao {
        if (p.Token == t[2] && tentativasC++ == 0) throw Erro(ErroBD::Tipo::LigacaoPerdida);
        return {ResultadoFuncao::Tipo::Motor, true, {}};
    };
    RelatorioReenvio r = reenviar();
    EXPECT_EQ(r.enviadas, 2);
    EXPECT_TRUE(r.interrompido);
    EXPECT_EQ(r.falha, QStringLiteral("could not connect to server: Connection refused"));
    EXPECT_EQ(r.pendentes, 2);
    ASSERT_EQ(eventos.size(), 3);
    EXPECT_EQ(eventos[2].desfecho, EventoReenvio::Desfecho::Adiada);
    EXPECT_EQ(Reenvio::TextoLog(eventos[2]),
              QStringLiteral("Registo guardado sem ligação de 04/03/2024 - 08:00:02 por enviar: could not connect to "
                             "server: Connection refused"));
    const QList<EntradaJornal> espera = jornal->Pendentes();
    ASSERT_EQ(espera.size(), 2);
    EXPECT_EQ(espera[0].Token, t[2]);
    EXPECT_EQ(espera[0].Tentativas, 1);

    r = reenviar(1);
    EXPECT_EQ(r.enviadas, 1);
    EXPECT_FALSE(r.interrompido);
    EXPECT_EQ(r.pendentes, 1);
    r = reenviar();
    EXPECT_EQ(r.enviadas, 1);
    EXPECT_EQ(r.pendentes, 0);
    EXPECT_EQ(executor.ordem, t);
    for (const PedidoFuncao& p : executor.pedidos) {
        EXPECT_TRUE(p.Reenvio);
        EXPECT_EQ(p.Ecra, TipoEcra::Terminal2);
        EXPECT_EQ(p.DataHora, Em(4, "08:00:00").addSecs(t.indexOf(p.Token)));
    }
    EXPECT_EQ(Reenvio::TextoLog(eventos.last()),
              QStringLiteral("Registo guardado sem ligação de 04/03/2024 - 08:00:03 enviado"));
}

// Refusals go to the refused list with the message and the replay goes on: the engine's, an
// unknown code's, a database error's; a busy database is tried again a few times first.
TEST_F(Reenvio_, RecusasVaoParaAListaEOReenvioContinua)
{
    const QStringList t = guardar(5);
    executor.responder = [&](const PedidoFuncao& p) -> ResultadoFuncao {
        switch (t.indexOf(p.Token)) {
        case 1:
            return {ResultadoFuncao::Tipo::Motor, false, QStringLiteral("Obra não indentificada !")};
        case 2:
            return {ResultadoFuncao::Tipo::Desconhecida, false, QStringLiteral("Função não implementada ! <XX9>")};
        case 3:
            throw Erro(ErroBD::Tipo::Outro, "null value in column \"Func\" violates not-null constraint");
        case 4:
            throw Erro(ErroBD::Tipo::Repetivel, "deadlock detected");
        }
        return {ResultadoFuncao::Tipo::Motor, true, {}};
    };
    for (int i = 1; i < Reenvio::MaximoTentativasOcupada; ++i) {
        const RelatorioReenvio r = reenviar();
        EXPECT_TRUE(r.interrompido);
        EXPECT_EQ(r.pendentes, 1);
    }
    const RelatorioReenvio r = reenviar();
    EXPECT_FALSE(r.interrompido);
    EXPECT_EQ(r.pendentes, 0);
    EXPECT_EQ(r.totalRecusadas, 4);
    const QList<EntradaJornal> recusadas = jornal->Recusadas();
    ASSERT_EQ(recusadas.size(), 4);
    EXPECT_EQ(recusadas[0].Mensagem, QStringLiteral("Obra não indentificada !"));
    EXPECT_EQ(recusadas[1].Mensagem, QStringLiteral("Função não implementada ! <XX9>"));
    EXPECT_EQ(recusadas[2].Mensagem, QStringLiteral("null value in column \"Func\" violates not-null constraint"));
    EXPECT_EQ(recusadas[3].Mensagem, QStringLiteral("deadlock detected"));
    EXPECT_EQ(recusadas[3].Tentativas, Reenvio::MaximoTentativasOcupada);
    EXPECT_EQ(executor.ordem, QStringList{t[0]});
    EXPECT_EQ(
        Reenvio::TextoLog(eventos[1]),
        QStringLiteral("Registo guardado sem ligação de 04/03/2024 - 08:00:01 recusado: Obra não indentificada !"));
}

// A commit whose answer was lost: the next replay finds the token and only marks the entry.
TEST_F(Reenvio_, CommitSemRespostaResolvidoPeloToken)
{
    const QStringList t = guardar(2);
    executor.responder = [&](const PedidoFuncao& p) -> ResultadoFuncao {
        if (p.Token == t[0] && !executor.gravadas.contains(p.Token)) {
            executor.gravar(p.Token);
            throw Erro(ErroBD::Tipo::ResultadoIncerto, "A ligação à base de dados perdeu-se ao gravar");
        }
        return {ResultadoFuncao::Tipo::Motor, true, {}};
    };
    EXPECT_TRUE(reenviar().interrompido);
    const RelatorioReenvio r = reenviar();
    EXPECT_EQ(r.jaGravadas, 1);
    EXPECT_EQ(r.enviadas, 1);
    EXPECT_EQ(executor.pedidos.size(), 2) << "the landed entry was run again";
    EXPECT_EQ(executor.ordem, t);
    EXPECT_EQ(Reenvio::TextoLog(eventos[1]),
              QStringLiteral("Registo guardado sem ligação de 04/03/2024 - 08:00:00 já estava gravado"));
}

// While another process replays the journal, this one does nothing.
TEST_F(Reenvio_, OutroProcessoAReenviar)
{
    guardar(1);
    const auto trinco = JornalLocal(jornal->ficheiro()).ReservarReenvio();
    ASSERT_TRUE(trinco);
    const RelatorioReenvio r = reenviar();
    EXPECT_TRUE(r.ocupado);
    EXPECT_EQ(r.pendentes, 1);
    EXPECT_TRUE(executor.pedidos.isEmpty());
}

// Through the real engine: a start and its end kept while offline land with their own times; the
// refused one is listed with the engine's message. A start whose commit landed unanswered is
// not done again, and the end that never reached the server is done once.
class ReenvioMotor : public TesteEngine
{
protected:
    EntradaJornal entrada(const QString& funcao, const QString& obra, const QDateTime& quando)
    {
        EntradaJornal e;
        e.Funcao = funcao;
        e.Utilizador = QStringLiteral("E1");
        e.Obra = obra;
        e.Operacao = QStringLiteral("10");
        e.Maquina = QStringLiteral("M1");
        e.DataHora = quando;
        return e;
    }
};

TEST_P(ReenvioMotor, ComOMotorVerdadeiro)
{
    Obra(bd(), QStringLiteral("F1"));
    JornalLocal jornal(QDir(base().pasta()).filePath(QStringLiteral("jornal.db")));
    EntradaJornal inicio = entrada(QStringLiteral("AC007"), QStringLiteral("F1"), Em(4, "08:00:00"));
    EntradaJornal semObra = entrada(QStringLiteral("AC007"), {}, Em(4, "08:30:00"));
    EntradaJornal fim = entrada(QStringLiteral("AC008"), QStringLiteral("F1"), Em(4, "10:00:00"));
    for (EntradaJornal* e : {&inicio, &semObra, &fim})
        jornal.Acrescentar(*e);
    ExecutorEQP executor(eqp, QStringLiteral("posto-1"));
    // The start landed before the answer to its commit was lost.
    ASSERT_TRUE(executor.Executar(Reenvio::PedidoDe(inicio)).resultado);

    Reenvio reenvio(jornal, executor);
    const RelatorioReenvio r = reenvio.Executar();
    EXPECT_EQ(r.jaGravadas, 1);
    EXPECT_EQ(r.enviadas, 1);
    EXPECT_EQ(r.recusadas, 1);
    EXPECT_EQ(r.pendentes, 0);
    const Registos l = Linhas(bd(), QStringLiteral("F1"));
    ASSERT_EQ(l.RecordCount(), 1);
    EXPECT_EQ(l[0].data("Data"), QDate(2024, 3, 4));
    EXPECT_EQ(l[0].moeda("HoraInicio"), C("8"));
    EXPECT_EQ(l[0].moeda("HoraFim"), C("10"));
    EXPECT_EQ(l[0].moeda("Total"), C("2"));
    EXPECT_EQ(Cabecalho(bd(), QStringLiteral("F1"))[0].moeda("TotalCustoProd"), C("64"));
    ASSERT_EQ(jornal.Recusadas().size(), 1);
    EXPECT_EQ(jornal.Recusadas()[0].Mensagem, QStringLiteral("Obra não indentificada !"));
    EXPECT_EQ(bd().consultar(QStringLiteral("SELECT COUNT(*) FROM oka_RegistosTerminal")).primeira().inteiro(0), 2);

    const QString depois = Fotografia(bd());
    EXPECT_EQ(Reenvio(jornal, executor).Executar().enviadas, 0);
    EXPECT_EQ(Fotografia(bd()), depois);
}

INSTANCIAR_BACKENDS(ReenvioMotor);
