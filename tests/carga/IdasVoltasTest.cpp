// What a statement costs at the wire, counted by the latency benchmark's proxy between the
// connection and the PostgreSQL server, through QPSQL and through psqlODBC: a statement run again
// is one round trip, nothing prepared or released, and a transaction adds only BEGIN and COMMIT.
#include <gtest/gtest.h>

#include "../../bench/comum/ProxyAtraso.hpp"
#include "support/BaseDadosTeste.h"

using namespace bench;

class IdasVoltas : public ::testing::TestWithParam<Backend>
{
};

TEST_P(IdasVoltas, UmaPorInstrucao)
{
    BaseDadosTeste base(GetParam());
    if (!base.disponivel()) GTEST_SKIP() << NomeBackend(GetParam()) << " not configured";
    ProxyAtraso proxy(qEnvironmentVariable("TERMINAL_PG_HOST") == QLatin1String("localhost")
                          ? QStringLiteral("127.0.0.1")
                          : qEnvironmentVariable("TERMINAL_PG_HOST"),
                      qEnvironmentVariable("TERMINAL_PG_PORT").toInt());
    QString erro;
    ASSERT_TRUE(proxy.iniciar(&erro)) << erro.toStdString();
    ParametrosLigacao p = base.parametros();
    if (GetParam() == Backend::PostgreSQL) {
        p.servidor = QStringLiteral("127.0.0.1");
        p.porta = proxy.porta();
    } else {
        // The data source as an installation writes it (the driver's defaults), pointed at the proxy.
        p.baseDados = QStringLiteral("DSN=%1;Server=127.0.0.1;Port=%2")
                          .arg(qEnvironmentVariable("TERMINAL_ODBC_DSN"))
                          .arg(proxy.porta());
    }
    LigacaoDados l;
    ASSERT_TRUE(l.Abrir(p, &erro)) << erro.toStdString();

    const QString inserir = QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo, SubEstado) VALUES (?, ?, 0)");
    const QString ler = QStringLiteral("SELECT Fo, SubEstado FROM oka_CabOrc WHERE EstadoFo = ? ORDER BY Fo");
    const QString mudar = QStringLiteral("UPDATE oka_CabOrc SET SubEstado = SubEstado + 1 WHERE Fo = ?");
    auto transacao = [&](const QString& fo) {
        l.transacao([&] {
            l.consultar(ler, {1});
            l.executar(inserir, {fo, 2});
            l.executar(mudar, {fo});
        });
    };
    // The first use of each statement prepares it (and psqlODBC asks the server about the table).
    l.executar(inserir, {QStringLiteral("A0"), 1});
    l.consultar(ler, {1});
    transacao(QStringLiteral("T0"));

    auto medir = [&](const std::function<void()>& f) {
        const ContagemPg antes = proxy.contagem();
        f();
        return proxy.contagem() - antes;
    };
    const ContagemPg insercoes = medir([&] {
        for (int i = 1; i <= 5; ++i)
            l.executar(inserir, {QStringLiteral("A%1").arg(i), 1});
    });
    const ContagemPg leituras = medir([&] {
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(l.consultar(ler, {1}).RecordCount(), 6);
    });
    const ContagemPg transaccoes = medir([&] {
        for (int i = 1; i <= 3; ++i)
            transacao(QStringLiteral("T%1").arg(i));
    });
    for (const auto& [nome, c, instrucoes, idasVoltas] :
         {std::tuple{"insercoes", insercoes, 5, 5}, std::tuple{"leituras", leituras, 5, 5},
          std::tuple{"transaccoes", transaccoes, 9, 15}}) {
        EXPECT_EQ(c.instrucoes, instrucoes) << nome;
        EXPECT_LE(c.idasVoltas, idasVoltas) << nome;
        EXPECT_EQ(c.preparacoes, 0) << nome;
        EXPECT_EQ(c.libertacoes, 0) << nome;
        EXPECT_EQ(c.erros, 0) << nome;
    }
    EXPECT_EQ(l.consultar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc WHERE SubEstado = 1")).primeira().inteiro(0),
              4);
}

INSTANTIATE_TEST_SUITE_P(Servidor, IdasVoltas, ::testing::Values(Backend::PostgreSQL, Backend::ODBC),
                         NomeParametroBackend);
