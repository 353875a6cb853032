#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>

#include <compare>
#include <cstdint>
#include <optional>

// Fixed-point money with 4 decimals: a 64-bit count of ten-thousandths. Used for costs, hourly
// rates, quantities and the hh.mmss time encoding. Addition and subtraction are exact; products
// and quotients are rounded to 4 decimals, halves to even.
class Currency
{
public:
    static constexpr std::int64_t Escala = 10000;

    constexpr Currency() = default;
    constexpr Currency(int inteiro) : m_raw(std::int64_t(inteiro) * Escala) {}

    static constexpr Currency fromRaw(std::int64_t raw)
    {
        Currency c;
        c.m_raw = raw;
        return c;
    }
    static Currency fromDouble(double valor);
    // Exact decimal text ("12.3456", "-0.5", "1,5" with a comma also accepted); nullopt if not a number
    // or if it has more than 4 decimals that are not zero.
    static std::optional<Currency> parse(const QString& texto);
    // Reads a database value exactly: text and integers as they are, doubles rounded to 4 decimals.
    static Currency fromVariant(const QVariant& valor);

    constexpr std::int64_t raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / Escala; }
    // Shortest exact text: "12.3456", "2.5", "3", "-0.25".
    QString toString() const;
    // Always with 4 decimals ("12.3400"): the form bound into statements.
    QString toSql() const;
    QVariant paraBD() const { return toSql(); }

    // Whole part towards minus infinity (Int of the original runtime).
    Currency inteiro() const;
    // Rounded to `casas` decimals (0..4), halves to even.
    Currency arredondado(int casas) const;

    friend constexpr Currency operator+(Currency a, Currency b) { return fromRaw(a.m_raw + b.m_raw); }
    friend constexpr Currency operator-(Currency a, Currency b) { return fromRaw(a.m_raw - b.m_raw); }
    constexpr Currency operator-() const { return fromRaw(-m_raw); }
    Currency& operator+=(Currency o)
    {
        m_raw += o.m_raw;
        return *this;
    }
    Currency& operator-=(Currency o)
    {
        m_raw -= o.m_raw;
        return *this;
    }
    // Product rounded to 4 decimals, halves to even (128-bit intermediate).
    friend Currency operator*(Currency a, Currency b);
    // Quotient rounded to 4 decimals, halves to even. Division by zero throws std::domain_error.
    friend Currency operator/(Currency a, Currency b);

    friend constexpr auto operator<=>(Currency a, Currency b) = default;
    friend constexpr bool operator==(Currency a, Currency b) = default;

private:
    std::int64_t m_raw = 0;
};

Q_DECLARE_METATYPE(Currency)
