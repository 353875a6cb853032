// Start-up on a real configuration and a picture of the screen, on demand:
//   TERMINAL_CAPTURA=out.png TERMINAL_PASTA=<program folder> tests_screens --gtest_filter=Captura.*
// (under a display of the wanted size, e.g. xvfb-run -s "-screen 0 1920x1080x24").
#include <iostream>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include "app/Rotinas.h"
#include "app/ui/mod_main.h"
#include "controls/PainelBotoes.h"
#include "dataaccess/LigacaoDados.h"
#include "screens/frmTerminal.h"
#include "support/OperadorFalso.h"

namespace {

TEST(Captura, StartsOnTheConfiguredDatabaseWithinOneSecondAndSavesThePicture)
{
    const QString destino = qEnvironmentVariable("TERMINAL_CAPTURA");
    if (destino.isEmpty()) GTEST_SKIP() << "TERMINAL_CAPTURA not set";
    OperadorFalso op;
    QElapsedTimer relogio;
    relogio.start();
    ResultadoMain r = Main({}, &op);
    ASSERT_TRUE(r.ecra);
    QCoreApplication::processEvents();
    ASSERT_TRUE(r.ecra->EcraCarregado);
    const qint64 ms = relogio.elapsed();
    std::cout << "usable after " << ms << " ms\n";
    EXPECT_LT(ms, 1000);
    EXPECT_TRUE(op.dialogos.isEmpty());
    // A selection on the screen, as an operator about to start an operation would have it.
    if (auto* t0 = dynamic_cast<frmTerminal*>(r.ecra.get())) {
        const Registos obras =
            t0->Ligacao->consultar(QStringLiteral("SELECT Fo FROM oka_CabOrc WHERE EstadoFo = 1 ORDER BY Fo"));
        if (!obras.vazio()) op.numerosDigitados << obras.primeira().texto(0);
        t0->PainelUtilizadores->tocarItem(1);
        t0->PainelObras->tocarItem(1);
        t0->PainelOperacoes->tocarItem(2);
        t0->PainelMaquinas->tocarItem(1);
        t0->PainelFuncoes->tocarItem(6);
    }
    QTest::qWait(1500);
    ASSERT_TRUE(r.ecra->grab().save(destino));
}

} // namespace
