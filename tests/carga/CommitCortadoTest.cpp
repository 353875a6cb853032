// A COMMIT cut off on its way, through QPSQL and through psqlODBC: a proxy between the terminal
// and the server drops the connection before the server gets the COMMIT, or after the server
// answered it (the answer lost). The token tells which: the function is done exactly once, at
// once when the server answers the look-up, or by the replay when it is out of reach until then.
#include <QDir>

#include <gtest/gtest.h>

#include "../../bench/comum/ProxyAtraso.hpp"
#include "engine/DadosEngine.h"
#include "engine/EnvioFuncoes.h"
#include "engine/Reenvio.h"
#include "support/BaseDadosTeste.h"

using namespace bench;
using namespace dados;

namespace {

struct Caso
{
    Backend backend;
    ProxyAtraso::Corte corte;
    bool foraDeAlcance; // the server refuses connections from the cut until the replay
};

std::string nomeCaso(const ::testing::TestParamInfo<Caso>& i)
{
    return NomeBackend(i.param.backend) +
           (i.param.corte == ProxyAtraso::Corte::AntesDoCommit ? "_AntesDoCommit" : "_DepoisDoCommit") +
           (i.param.foraDeAlcance ? "_ServidorFora" : "_ServidorVolta");
}

class CommitCortado : public ::testing::TestWithParam<Caso>
{
protected:
    void SetUp() override
    {
        m_base = std::make_unique<BaseDadosTeste>(GetParam().backend);
        if (!m_base->disponivel()) GTEST_SKIP() << NomeBackend(GetParam().backend) << " not configured";
        Oficina(m_base->bd());
        Obra(m_base->bd(), QStringLiteral("F1"));
        m_proxy = std::make_unique<ProxyAtraso>(qEnvironmentVariable("TERMINAL_PG_HOST") == QLatin1String("localhost")
                                                    ? QStringLiteral("127.0.0.1")
                                                    : qEnvironmentVariable("TERMINAL_PG_HOST"),
                                                qEnvironmentVariable("TERMINAL_PG_PORT").toInt());
        QString erro;
        ASSERT_TRUE(m_proxy->iniciar(&erro)) << erro.toStdString();
        ParametrosLigacao p = m_base->parametros();
        if (GetParam().backend == Backend::PostgreSQL) {
            p.servidor = QStringLiteral("127.0.0.1");
            p.porta = m_proxy->porta();
        } else {
            p.baseDados = QStringLiteral("DSN=%1;Server=127.0.0.1;Port=%2")
                              .arg(qEnvironmentVariable("TERMINAL_ODBC_DSN"))
                              .arg(m_proxy->porta());
        }
        p.segundosLigacao = 2;
        ASSERT_TRUE(m_terminal.Abrir(p, &erro)) << erro.toStdString();
        m_eqp.setBd_lig(&m_terminal);
        m_eqp.setOperador(&m_operador);
    }

    qint64 contar(const QString& sql) { return m_base->bd().consultar(sql).primeira().inteiro(0); }

    std::unique_ptr<BaseDadosTeste> m_base;
    std::unique_ptr<ProxyAtraso> m_proxy;
    LigacaoDados m_terminal;
    Cl_EQP m_eqp;
    OperadorFalso m_operador;
};

} // namespace

TEST_P(CommitCortado, UmaSoVezPeloToken)
{
    const Caso c = GetParam();
    const bool chegou = c.corte == ProxyAtraso::Corte::DepoisDoCommit;
    ExecutorEQP executor(m_eqp, QStringLiteral("posto-1"));
    JornalLocal jornal(QDir(m_base->pasta()).filePath(QStringLiteral("jornal.db")));
    const QString destino = m_terminal.parametros().descricao();
    EnvioFuncoes envio(executor, jornal, destino, QStringLiteral("posto-1"));
    executor.Preparar();

    EntradaJornal inicio;
    inicio.Funcao = QStringLiteral("AC007");
    inicio.Utilizador = QStringLiteral("E1");
    inicio.Obra = QStringLiteral("F1");
    inicio.Operacao = QStringLiteral("10");
    inicio.Maquina = QStringLiteral("M1");
    inicio.DataHora = Em(4, "08:00:00");
    m_proxy->cortarNoProximoCommit(c.corte, c.foraDeAlcance);
    const DesfechoConfirmacao d = envio.Confirmar(inicio);
    EXPECT_EQ(m_proxy->commitsCortados(), 1);
    EXPECT_TRUE(d.incerta);
    // What the operator is told: done, or kept (and why) when the server could say.
    if (c.foraDeAlcance) {
        EXPECT_TRUE(d.guardada);
        EXPECT_EQ(d.resultado.mensagem, JornalLocal::AvisoGuardado());
    } else if (chegou) {
        EXPECT_FALSE(d.guardada);
        EXPECT_TRUE(d.resultado.resultado);
        EXPECT_EQ(d.resultado.mensagem, EnvioFuncoes::AvisoIncertoGravado());
    } else {
        EXPECT_TRUE(d.guardada);
        EXPECT_EQ(d.resultado.mensagem, EnvioFuncoes::AvisoIncertoGuardado());
    }
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope")), chegou ? 1 : 0);

    // The server back: the replay does what is left, and only that.
    m_proxy->recusar(false);
    Reenvio reenvio(jornal, executor, destino);
    QList<EventoReenvio> eventos;
    QObject::connect(&reenvio, &Reenvio::entradaTratada, [&](const EventoReenvio& e) { eventos << e; });
    const RelatorioReenvio r = reenvio.Executar();
    EXPECT_EQ(r.pendentes, 0);
    EXPECT_FALSE(r.interrompido) << r.falha.toStdString();
    if (d.guardada) {
        ASSERT_EQ(eventos.size(), 1);
        EXPECT_EQ(eventos[0].desfecho, chegou ? EventoReenvio::Desfecho::JaGravada : EventoReenvio::Desfecho::Enviada);
    } else {
        EXPECT_TRUE(eventos.isEmpty());
    }
    EXPECT_EQ(Reenvio(jornal, executor, destino).Executar().enviadas, 0);

    const Registos l = Linhas(m_base->bd(), QStringLiteral("F1"));
    ASSERT_EQ(l.RecordCount(), 1);
    EXPECT_EQ(l[0].data("Data"), QDate(2024, 3, 4));
    EXPECT_EQ(l[0].moeda("HoraInicio"), C("8"));
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_RegistosTerminal")), 1);
}

INSTANTIATE_TEST_SUITE_P(Servidor, CommitCortado,
                         ::testing::Values(Caso{Backend::PostgreSQL, ProxyAtraso::Corte::DepoisDoCommit, false},
                                           Caso{Backend::PostgreSQL, ProxyAtraso::Corte::AntesDoCommit, false},
                                           Caso{Backend::PostgreSQL, ProxyAtraso::Corte::DepoisDoCommit, true},
                                           Caso{Backend::PostgreSQL, ProxyAtraso::Corte::AntesDoCommit, true},
                                           Caso{Backend::ODBC, ProxyAtraso::Corte::DepoisDoCommit, false},
                                           Caso{Backend::ODBC, ProxyAtraso::Corte::AntesDoCommit, false},
                                           Caso{Backend::ODBC, ProxyAtraso::Corte::DepoisDoCommit, true},
                                           Caso{Backend::ODBC, ProxyAtraso::Corte::AntesDoCommit, true}),
                         nomeCaso);
