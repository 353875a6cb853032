#include "base/Rotinas.h"

#include <cstdlib>

#include <QDateTime>

#include <gtest/gtest.h>

namespace {
Currency C(const char* texto)
{
    return *Currency::parse(QString::fromLatin1(texto));
}
QDateTime Hora(int h, int m, int s)
{
    return QDateTime(QDate(2026, 3, 14), QTime(h, m, s));
}
} // namespace

TEST(Rotinas, HoraEmNumero)
{
    EXPECT_EQ(HoraEmNumero(Hora(0, 0, 0)), C("0"));
    EXPECT_EQ(HoraEmNumero(Hora(23, 59, 59)), C("23.5959"));
    EXPECT_EQ(HoraEmNumero(Hora(14, 5, 9)), C("14.0509"));
    EXPECT_EQ(HoraEmNumero(Hora(8, 5, 9)), C("8.0509"));
    EXPECT_EQ(HoraEmNumero(QDateTime(QDate(2026, 3, 14), QTime(10, 20, 0, 999))), C("10.2"));
}

TEST(Rotinas, HoraParaDecimalEDecimalParaHora)
{
    EXPECT_EQ(HoraParaDecimal(C("1.3015")), C("1.5042"));
    EXPECT_EQ(DecimalParaHora(C("1.5042")), C("1.3015"));
    EXPECT_EQ(HoraParaDecimal(C("0.3")), C("0.5"));
    EXPECT_EQ(DecimalParaHora(C("0.5")), C("0.3"));
    EXPECT_EQ(HoraParaDecimal(C("8.0509")), C("8.0858"));
    EXPECT_EQ(HoraParaDecimal(C("10.2")), C("10.3333"));
    EXPECT_EQ(HoraParaDecimal(C("0")), C("0"));
    EXPECT_EQ(DecimalParaHora(C("0")), C("0"));
    EXPECT_EQ(HoraParaDecimal(C("23.5959")), C("23.9997"));
}

TEST(Rotinas, DuracaoECustoDoExemplo)
{
    // 08:05:09 to 10:20:00: 2 h 14 min 51 s; at 12 + 20 per hour with CI 5.
    const Currency horas = HoraParaDecimal(C("10.2")) - HoraParaDecimal(C("8.0509"));
    EXPECT_EQ(horas, C("2.2475"));
    const Currency total = DecimalParaHora(horas);
    EXPECT_EQ(total, C("2.1451"));
    const Currency h = HoraParaDecimal(total);
    EXPECT_EQ((C("12") + C("20")) * h, C("71.92"));
    EXPECT_EQ(C("5") * h, C("11.2375"));
}

TEST(Rotinas, DecimalParaHoraLevaOsSessentaSegundosAoMinuto)
{
    EXPECT_EQ(DecimalParaHora(C("0.0166")), C("0.01")); // 0 min 60 s -> 1 min
    EXPECT_EQ(DecimalParaHora(C("0.0666")), C("0.04")); // 3 min 60 s
    EXPECT_EQ(DecimalParaHora(C("2.2166")), C("2.13")); // 2 h 12 min 60 s
    // Seconds below 60 are unchanged by the carry.
    EXPECT_EQ(DecimalParaHora(C("0.0165")), C("0.0059"));
    EXPECT_EQ(DecimalParaHora(C("1.9999")), C("1.5959"));

    // Every time of day through decimal hours and back: never 60 in the minutes or seconds, and
    // at most one second away from where it started.
    auto segundosDe = [](Currency hhmmss) {
        const std::int64_t r = hhmmss.raw();
        return r / 10000 * 3600 + r % 10000 / 100 * 60 + r % 100;
    };
    for (int segundos = 0; segundos < 24 * 3600; segundos += 7) {
        const Currency hhmmss = HoraEmNumero(QDateTime(QDate(2026, 1, 1), QTime(0, 0).addSecs(segundos)));
        const Currency ida = DecimalParaHora(HoraParaDecimal(hhmmss));
        const std::int64_t resto = ida.raw() % 10000;
        ASSERT_LT(resto / 100, 60) << hhmmss.toString().toStdString();
        ASSERT_LT(resto % 100, 60) << hhmmss.toString().toStdString();
        ASSERT_LE(std::abs(segundosDe(ida) - segundos), 1) << hhmmss.toString().toStdString();
    }
}

TEST(Rotinas, NumeroOuZero)
{
    EXPECT_EQ(NumeroOuZero(QVariant()), 0);
    EXPECT_EQ(NumeroOuZero(QVariant(QMetaType(QMetaType::QString))), 0);
    EXPECT_EQ(NumeroOuZero(QStringLiteral("  ")), 0);
    EXPECT_EQ(NumeroOuZero(QStringLiteral(" 4 ")), 4);
    EXPECT_EQ(NumeroOuZero(QStringLiteral("-7")), -7);
    EXPECT_EQ(NumeroOuZero(2.5), 2);
    EXPECT_EQ(NumeroOuZero(3.5), 4);
    EXPECT_EQ(NumeroOuZero(qlonglong(12)), 12);
    EXPECT_EQ(NumeroOuZero(QStringLiteral("abc")), 0);
    EXPECT_EQ(NumeroOuZero(QStringLiteral("40000")), 32767);
    EXPECT_EQ(NumeroOuZero(QStringLiteral("-40000")), -32768);
}
