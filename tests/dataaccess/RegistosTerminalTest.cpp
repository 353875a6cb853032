#include "dataaccess/RegistosTerminal.h"

#include "support/BaseDadosTeste.h"

class RegistosTerminal_ : public TesteBD
{
protected:
    qint64 contar()
    {
        return bd().consultar(QStringLiteral("SELECT COUNT(*) FROM oka_RegistosTerminal")).primeira().inteiro(0);
    }
};

// The schema has the table; a database made before it existed gets it, once.
TEST_P(RegistosTerminal_, TabelaNoEsquemaEEmBasesAntigas)
{
    const QDateTime quando(QDate(2024, 3, 4), QTime(8, 5, 9));
    bd().transacao([&] {
        EXPECT_TRUE(RegistosTerminal::Gravar(bd(), QStringLiteral("t1"), QStringLiteral("posto-1"),
                                             QStringLiteral("AC007"), quando));
    });
    const Registos r = bd().consultar(QStringLiteral("SELECT Terminal, Funcao, DataHora, Gravado FROM "
                                                     "oka_RegistosTerminal WHERE Token = 't1'"));
    ASSERT_EQ(r.RecordCount(), 1);
    EXPECT_EQ(r.primeira().texto("Terminal"), QStringLiteral("posto-1"));
    EXPECT_EQ(r.primeira().texto("Funcao"), QStringLiteral("AC007"));
    EXPECT_EQ(r.primeira().texto("DataHora").left(19).replace(u' ', u'T'), QStringLiteral("2024-03-04T08:05:09"));
    EXPECT_FALSE(r.primeira().nulo("Gravado"));
    EXPECT_TRUE(RegistosTerminal::Gravado(bd(), QStringLiteral("t1")));
    EXPECT_FALSE(RegistosTerminal::Gravado(bd(), QStringLiteral("t2")));
    bd().transacao([&] { EXPECT_FALSE(RegistosTerminal::Gravar(bd(), QStringLiteral("t1"), {}, {}, quando)); });
    EXPECT_EQ(contar(), 1);

    bd().executar(QStringLiteral("DROP TABLE oka_RegistosTerminal"));
    RegistosTerminal::Garantir(bd());
    RegistosTerminal::Garantir(bd());
    EXPECT_EQ(contar(), 0);
    bd().transacao([&] { EXPECT_TRUE(RegistosTerminal::Gravar(bd(), QStringLiteral("t1"), {}, {}, quando)); });
    EXPECT_EQ(contar(), 1);
}

INSTANCIAR_BACKENDS(RegistosTerminal_);
