#include "base/Currency.h"

#include <limits>
#include <stdexcept>

#include <gtest/gtest.h>

namespace {
Currency C(const char* texto)
{
    const auto c = Currency::parse(QString::fromUtf8(texto));
    if (!c) throw std::invalid_argument(texto);
    return *c;
}
} // namespace

TEST(Currency, LeTextoExactoEEscreveSemPerdas)
{
    EXPECT_EQ(C("12.3456").raw(), 123456);
    EXPECT_EQ(C("1,5").raw(), 15000);
    EXPECT_EQ(C(" -0.25 ").raw(), -2500);
    EXPECT_EQ(C("+3").raw(), 30000);
    EXPECT_EQ(C(".5").raw(), 5000);
    EXPECT_EQ(C("2.50000").raw(), 25000); // zeros past the fourth decimal are harmless
    EXPECT_EQ(C("922337203685477.5807").raw(), std::numeric_limits<std::int64_t>::max());

    for (const char* mau : {"", " ", "abc", "1.2.3", "1.23456", "1e3", "--1", "12a", "١٢", "922337203685477.5808"})
        EXPECT_FALSE(Currency::parse(QString::fromUtf8(mau))) << mau;

    EXPECT_EQ(C("12.34").toSql(), QStringLiteral("12.3400"));
    EXPECT_EQ(C("-0.05").toSql(), QStringLiteral("-0.0500"));
    EXPECT_EQ(C("12.34").toString(), QStringLiteral("12.34"));
    EXPECT_EQ(C("3").toString(), QStringLiteral("3"));
    EXPECT_EQ(C("-0.0001").toString(), QStringLiteral("-0.0001"));
    EXPECT_EQ(Currency::fromRaw(std::numeric_limits<std::int64_t>::min()).toSql(),
              QStringLiteral("-922337203685477.5808"));
}

TEST(Currency, ProdutosEQuocientesArredondamMetadesParaPar)
{
    // 0.0001 * 0.5 = 0.00005: half, the even neighbour is 0.
    EXPECT_EQ(C("0.0001") * C("0.5"), C("0"));
    EXPECT_EQ(C("0.0003") * C("0.5"), C("0.0002"));
    EXPECT_EQ(C("-0.0003") * C("0.5"), C("-0.0002"));
    EXPECT_EQ(C("2.2475") * C("32"), C("71.92"));
    EXPECT_EQ(C("2.2475") * C("5"), C("11.2375"));
    EXPECT_EQ(C("1") / C("3"), C("0.3333"));
    EXPECT_EQ(C("2") / C("3"), C("0.6667"));
    EXPECT_EQ(C("0.0001") / C("2"), C("0")); // 0.00005 -> 0
    EXPECT_EQ(C("0.0003") / C("2"), C("0.0002"));
    EXPECT_EQ(C("1") / C("-8"), C("-0.125"));
    EXPECT_THROW(C("1") / C("0"), std::domain_error);
    // Products beyond 64 bits are worked out in 128 bits, and an overflowing result is refused.
    EXPECT_EQ(C("900000000") * C("10000"), C("9000000000000"));
    EXPECT_THROW(C("900000000000") * C("900000000000"), std::overflow_error);
}

TEST(Currency, InteiroEArredondado)
{
    EXPECT_EQ(C("1.9999").inteiro(), C("1"));
    EXPECT_EQ(C("-1.5").inteiro(), C("-2"));
    EXPECT_EQ(C("-2").inteiro(), C("-2"));
    EXPECT_EQ(C("0.125").arredondado(2), C("0.12"));
    EXPECT_EQ(C("0.135").arredondado(2), C("0.14"));
    EXPECT_EQ(C("2.5").arredondado(0), C("2"));
    EXPECT_EQ(C("-2.5").arredondado(0), C("-2"));
    EXPECT_EQ(C("51").arredondado(0), C("51"));
}

TEST(Currency, LeValoresDaBaseDeDados)
{
    // SQLite gives money as double (or as a whole number); PostgreSQL and ODBC as exact text.
    EXPECT_EQ(Currency::fromVariant(QVariant(0.1 + 0.2)), C("0.3"));
    EXPECT_EQ(Currency::fromVariant(QVariant(12.34565)), C("12.3456"));
    EXPECT_EQ(Currency::fromVariant(QVariant(qlonglong(100))), C("100"));
    EXPECT_EQ(Currency::fromVariant(QVariant(QStringLiteral("71.9200"))), C("71.92"));
    EXPECT_EQ(Currency::fromVariant(QVariant(QStringLiteral("0.123456"))), C("0.1235"));
    EXPECT_EQ(Currency::fromVariant(QVariant()), C("0"));
    EXPECT_EQ(Currency::fromVariant(QVariant(QMetaType(QMetaType::Double))), C("0"));
    EXPECT_THROW(Currency::fromDouble(1e300), std::overflow_error);
    EXPECT_EQ(Currency::fromVariant(QVariant::fromValue(C("4.5"))), C("4.5"));
    EXPECT_EQ(C("0.3").paraBD(), QVariant(QStringLiteral("0.3000")));
}
