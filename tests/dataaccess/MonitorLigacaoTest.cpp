#include "dataaccess/MonitorLigacao.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/BaseDadosTeste.h"
#include "support/ServidorMudo.h"

namespace {

// Runs the event loop until `feito` or `ms` passed; gives the longest gap between two turns of
// the loop (what an operator touching the screen would have waited).
qint64 Esperar(const std::function<bool()>& feito, int ms)
{
    QElapsedTimer total, volta;
    total.start();
    volta.start();
    qint64 maior = 0;
    while (!feito() && total.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        maior = qMax(maior, volta.restart());
    }
    return maior;
}

} // namespace

// SQLite: reachable once the file is there (never created by the monitor); tries in between are
// spaced by the doubling wait, up to its bound.
TEST(MonitorLigacao_, EsperaCrescenteAteOFicheiroVoltar)
{
    QTemporaryDir pasta;
    ParametrosLigacao p;
    p.driver = QStringLiteral("QSQLITE");
    p.baseDados = QDir(pasta.path()).filePath(QStringLiteral("fabrica.db"));
    MonitorLigacao m(p);
    m.setEsperas(20, 80);
    QList<int> esperas;
    int alcancavel = 0;
    QObject::connect(&m, &MonitorLigacao::tentativaFalhou, [&](const QString& erro, int espera) {
        EXPECT_TRUE(erro.contains(p.baseDados)) << erro.toStdString();
        esperas << espera;
    });
    QObject::connect(&m, &MonitorLigacao::alcancavel, [&] { ++alcancavel; });
    m.Iniciar();
    EXPECT_TRUE(m.activo());
    Esperar([&] { return esperas.size() >= 4; }, 5000);
    ASSERT_GE(esperas.size(), 4);
    EXPECT_EQ(esperas.mid(0, 4), (QList<int>{40, 80, 80, 80}));
    EXPECT_FALSE(QFile::exists(p.baseDados));

    QFile f(p.baseDados);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    Esperar([&] { return alcancavel > 0; }, 5000);
    EXPECT_EQ(alcancavel, 1);
    EXPECT_FALSE(m.activo());
}

// A server that takes the connection and never answers holds only the worker: the loop of the
// monitor's thread keeps turning, and the try gives up within its own time limit.
TEST(MonitorLigacao_, ServidorMudoNaoPrendeOEcra)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) GTEST_SKIP() << "QPSQL not installed";
    // The driver is loaded on the main thread first, as the terminal's own connection does.
    QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("carregar"));
    QSqlDatabase::removeDatabase(QStringLiteral("carregar"));
    ServidorMudo muda;
    const ParametrosLigacao p = muda.parametrosPg();
    QElapsedTimer relogio;
    relogio.start();
    qint64 falhou = -1;
    {
        MonitorLigacao m(p);
        m.setEsperas(10, 10);
        QObject::connect(&m, &MonitorLigacao::tentativaFalhou, [&](const QString&, int) {
            if (falhou < 0) falhou = relogio.elapsed();
        });
        m.Iniciar();
        const qint64 maiorPausa = Esperar([&] { return falhou >= 0; }, 8000);
        EXPECT_LT(maiorPausa, 300);
        ASSERT_GE(falhou, 1000) << "the mute server was not waited for";
        EXPECT_LT(falhou, 6000);
    }
    EXPECT_LT(relogio.elapsed() - falhou, 6000) << "closing waited too long for the try under way";
}

// The real server: a try succeeds; the same server on a port where nothing listens fails.
TEST(MonitorLigacao_, ServidorVerdadeiro)
{
    BaseDadosTeste base(Backend::PostgreSQL, false);
    if (!base.disponivel()) GTEST_SKIP() << "PostgreSQL not configured";
    QString erro;
    EXPECT_TRUE(MonitorLigacao::Sondar(base.parametros(), &erro)) << erro.toStdString();
    ParametrosLigacao fechado = base.parametros();
    {
        ServidorMudo porta; // closed again at once: the port refuses connections
        fechado.porta = porta.porta();
    }
    EXPECT_FALSE(MonitorLigacao::Sondar(fechado, &erro));
    EXPECT_FALSE(erro.isEmpty());

    MonitorLigacao m(base.parametros());
    m.setEsperas(10, 10);
    bool alcancou = false;
    QObject::connect(&m, &MonitorLigacao::alcancavel, [&] { alcancou = true; });
    m.Iniciar();
    Esperar([&] { return alcancou; }, 8000);
    EXPECT_TRUE(alcancou);
}
