// The screen density: the design area fills the screen, the setting and the variable override it,
// and the fonts keep their size against the twips layout.
#include <QtGlobal>

#include <gtest/gtest.h>

#include "controls/Fontes.h"
#include "controls/PainelBotoes.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"

TEST(Densidade, TheDesignFillsTheScreenAndTheSettingOrTheVariableOverrideIt)
{
    EXPECT_DOUBLE_EQ(Twips::Automatico(QSize(1024, 768)), 15.0);
    // 16:9: the height decides, the width's fractions use the room left.
    EXPECT_NEAR(Twips::Automatico(QSize(1920, 1080)), 10.667, 0.001);
    EXPECT_DOUBLE_EQ(Twips::Automatico(QSize(1280, 1024)), 12.0);
    EXPECT_DOUBLE_EQ(Twips::Automatico(QSize(800, 480)), 24.0);

    qunsetenv("TERMINAL_TWIPS_POR_PIXEL");
    EXPECT_DOUBLE_EQ(Twips::Escolher(0, QSize(1024, 768)), 15.0);
    EXPECT_DOUBLE_EQ(Twips::Escolher(9, QSize(1024, 768)), 9.0);
    qputenv("TERMINAL_TWIPS_POR_PIXEL", "7.5");
    EXPECT_DOUBLE_EQ(Twips::Escolher(9, QSize(1024, 768)), 7.5);
    qputenv("TERMINAL_TWIPS_POR_PIXEL", "nada");
    EXPECT_DOUBLE_EQ(Twips::Escolher(9, QSize(1024, 768)), 9.0);
    qunsetenv("TERMINAL_TWIPS_POR_PIXEL");
}

TEST(Densidade, ButtonsAndFontsGrowTogether)
{
    Twips::DefinirPorPixel(15);
    const double texto15 = QFontMetricsF(FonteTerminal(12)).height();
    PainelBotoes p15;
    p15.setTamanhoTwips(4400, 4000);
    p15.CarregarBotoes_Lista({QString(), QStringLiteral("Corte")}, {QString(), QStringLiteral("1")});
    const QSize botao15 = p15.botaoDoItem(1)->size();

    Twips::DefinirPorPixel(7.5);
    const double texto75 = QFontMetricsF(FonteTerminal(12)).height();
    PainelBotoes p75;
    p75.setTamanhoTwips(4400, 4000);
    p75.CarregarBotoes_Lista({QString(), QStringLiteral("Corte")}, {QString(), QStringLiteral("1")});
    const QSize botao75 = p75.botaoDoItem(1)->size();
    Twips::DefinirPorPixel(0);

    EXPECT_EQ(botao15, QSize(89, 53));
    EXPECT_NEAR(botao75.width(), 2 * botao15.width(), 1);
    EXPECT_NEAR(botao75.height(), 2 * botao15.height(), 1);
    EXPECT_NEAR(texto75 / texto15, 2.0, 0.1);
}
