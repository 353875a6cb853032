#include "controls/TeclandoNumerico.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "controls/Twips.h"
#include "controls/okaBotao.h"

namespace {
void tocar(TeclandoNumerico& t, const QStringList& tags)
{
    for (const QString& tag : tags) {
        okaBotao* b = t.tecla(tag);
        ASSERT_NE(b, nullptr) << tag.toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
    }
}
} // namespace

TEST(TeclandoNumerico, SequenciasDeTeclas)
{
    TeclandoNumerico t;
    t.show();
    QSignalSpy spy(&t, &TeclandoNumerico::Enter);

    tocar(t, {"1", "2", "backspace", "3", "enter"});
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toString(), QStringLiteral("13"));
    EXPECT_EQ(t.textoVisor(), QStringLiteral("13")); // enter does not clear

    t.Limpar();
    tocar(t, {"backspace", "backspace"});
    EXPECT_EQ(t.textoVisor(), QString());
    tocar(t, {"0", ".", "5"});
    EXPECT_EQ(t.visor(0)->text(), QStringLiteral("0.5"));
    EXPECT_EQ(t.visor(1)->text(), QStringLiteral("0.5"));

    // Masked: the other display shows, both keep the same text.
    t.setPassword(true);
    tocar(t, {"7", "enter"});
    EXPECT_TRUE(t.visor(1)->isVisible());
    EXPECT_FALSE(t.visor(0)->isVisible());
    EXPECT_EQ(t.visor(1)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(spy.last()[0].toString(), QStringLiteral("0.57"));
}

TEST(TeclandoNumerico, TamanhoFixoETeclas)
{
    QWidget host;
    auto* t = new TeclandoNumerico(&host);
    const QSize fixo(Twips::Px(5175), Twips::Px(6015));
    EXPECT_EQ(t->size(), fixo);
    t->resize(900, 200);
    t->setGeometry(0, 0, 50, 50);
    EXPECT_EQ(t->size(), fixo);

    const char* porIndice[] = {"7", "8", "9", "backspace", "4", "5", "6", "1", "2", "3", ".", "0", "enter"};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(t->tecla(i)->tag(), QString::fromLatin1(porIndice[i])) << i;
    EXPECT_EQ(t->tecla("backspace")->text(), QStringLiteral("<--"));
    EXPECT_EQ(t->tecla("enter")->text(), QStringLiteral("<-|"));
    // Enter spans rows 2 to 4; zero spans columns 1 and 2.
    EXPECT_EQ(t->tecla("enter")->geometry(), Twips::Rect(3720, 1440, 1035, 3435));
    EXPECT_EQ(t->tecla("0")->geometry(), Twips::Rect(120, 3840, 2235, 1035));
    EXPECT_EQ(t->tecla(".")->geometry(), Twips::Rect(2520, 3840, 1035, 1035));
}
