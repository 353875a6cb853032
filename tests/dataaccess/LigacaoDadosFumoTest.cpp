#include "app/Currency.h"
#include "support/BaseDadosTeste.h"

// A first pass over the data layer on every backend: bound text with an apostrophe, money
// read back exactly, and a transaction rolled back by an exception.
class LigacaoDadosFumo : public TesteBD
{
};

TEST_P(LigacaoDadosFumo, GravaELeValoresLigados)
{
    bd().transacao([&] {
        bd().executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo, SubEstado, TotalCustoProd, Notas) "
                                     "VALUES (?, ?, ?, ?, ?)"),
                      {QStringLiteral("O'1"), 1, 0, Currency::fromRaw(123456).paraBD(), QStringLiteral("ç'%")});
    });
    const Registos r = bd().consultar(
        QStringLiteral("SELECT Fo, TotalCustoProd AS Prod, Notas FROM oka_CabOrc WHERE Fo = ?"), {QStringLiteral("O'1")});
    ASSERT_EQ(r.RecordCount(), 1);
    EXPECT_EQ(r.primeira().texto("fo"), QStringLiteral("O'1"));
    EXPECT_EQ(r.primeira().moeda("Prod"), Currency::fromRaw(123456));
    EXPECT_EQ(r.primeira().texto("NOTAS"), QStringLiteral("ç'%"));
}

TEST_P(LigacaoDadosFumo, TransacaoDesfeitaPorExcepcao)
{
    EXPECT_THROW(bd().transacao([&] {
        bd().executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo) VALUES (?, ?)"), {QStringLiteral("X"), 1});
        throw std::runtime_error("falha");
    }),
                 std::runtime_error);
    EXPECT_EQ(bd().consultar(QStringLiteral("SELECT Fo FROM oka_CabOrc")).RecordCount(), 0);
}

INSTANCIAR_BACKENDS(LigacaoDadosFumo);
