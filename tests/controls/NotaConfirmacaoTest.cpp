#include "controls/NotaConfirmacao.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "controls/okaBotao.h"

// The note over a screen: in front of everything, never taking a touch (the button below gets
// it at once), gone at that touch or when its time is up.
TEST(NotaConfirmacao, PorCimaSemTirarOToqueAteAoToqueOuAoFimDoTempo)
{
    QWidget ecra;
    ecra.resize(1024, 768);
    auto* botao = new okaBotao(QStringLiteral("Corte"), &ecra);
    botao->setGeometry(462, 359, 100, 50);
    ecra.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ecra));
    QSignalSpy toques(botao, &QAbstractButton::clicked);

    NotaConfirmacao nota(&ecra);
    nota.Mostrar(QStringLiteral("Operação Corte iniciada às 12:15 — obra 26001\nAna Silva"), ecra.rect());
    EXPECT_TRUE(nota.isVisible());
    EXPECT_TRUE(nota.geometry().contains(botao->geometry()));
    EXPECT_TRUE(ecra.rect().contains(nota.geometry()));
    EXPECT_EQ(nota.findChild<QLabel*>(QStringLiteral("lbConfirmacao"))->text(),
              QStringLiteral("Operação Corte iniciada às 12:15 — obra 26001"));
    // What lies under the note is what a finger reaches.
    EXPECT_EQ(ecra.childAt(botao->geometry().center()), botao);
    QTest::mouseClick(ecra.windowHandle(), Qt::LeftButton, {}, botao->geometry().center());
    EXPECT_EQ(toques.count(), 1);
    EXPECT_FALSE(nota.isVisible());

    // Untouched, it goes by itself.
    nota.setDuracao(50);
    nota.Mostrar(QStringLiteral("Dia terminado às 18:00 — 1 operação interrompida (obra 26001)"), ecra.rect());
    EXPECT_TRUE(nota.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !nota.isVisible(); }, 2000));
    EXPECT_EQ(toques.count(), 1);
}
