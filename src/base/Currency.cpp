#include "base/Currency.h"

#include <cmath>
#include <stdexcept>

namespace {

__extension__ typedef __int128 i128;

// n / d rounded to the nearest integer, halves to even; d > 0.
i128 dividirParaPar(i128 n, i128 d)
{
    i128 q = n / d;
    i128 r = n % d;
    if (r < 0) {
        q -= 1;
        r += d;
    }
    const i128 dobro = 2 * r;
    if (dobro > d || (dobro == d && (q % 2 != 0))) q += 1;
    return q;
}

std::int64_t paraInt64(i128 v)
{
    if (v > i128(INT64_MAX) || v < i128(INT64_MIN)) throw std::overflow_error("Currency overflow");
    return std::int64_t(v);
}

} // namespace

Currency Currency::fromDouble(double valor)
{
    if (!std::isfinite(valor)) return Currency();
    // Scale, then round halves to even the way the runtime's currency conversion does.
    const double escalado = std::nearbyint(valor * Escala);
    if (escalado >= 9.2e18 || escalado <= -9.2e18) throw std::overflow_error("Currency overflow");
    return fromRaw(std::int64_t(escalado));
}

std::optional<Currency> Currency::parse(const QString& textoOriginal)
{
    QString texto = textoOriginal.trimmed();
    if (texto.isEmpty()) return std::nullopt;
    bool negativo = false;
    int i = 0;
    if (texto[0] == u'-' || texto[0] == u'+') {
        negativo = texto[0] == u'-';
        i = 1;
    }
    i128 inteira = 0;
    i128 fraccao = 0;
    int casas = 0;
    bool algumDigito = false;
    bool depoisDoPonto = false;
    for (; i < texto.size(); ++i) {
        const QChar c = texto[i];
        if (c.isDigit() && c.unicode() < 128) {
            algumDigito = true;
            const int d = c.unicode() - '0';
            if (!depoisDoPonto) {
                inteira = inteira * 10 + d;
                if (inteira > i128(INT64_MAX)) return std::nullopt;
            } else if (casas < 4) {
                fraccao = fraccao * 10 + d;
                ++casas;
            } else if (d != 0) {
                return std::nullopt;
            }
        } else if ((c == u'.' || c == u',') && !depoisDoPonto) {
            depoisDoPonto = true;
        } else {
            return std::nullopt;
        }
    }
    if (!algumDigito) return std::nullopt;
    while (casas < 4) {
        fraccao *= 10;
        ++casas;
    }
    i128 raw = inteira * Escala + fraccao;
    if (negativo) raw = -raw;
    if (raw > i128(INT64_MAX) || raw < i128(INT64_MIN)) return std::nullopt;
    return fromRaw(std::int64_t(raw));
}

Currency Currency::fromVariant(const QVariant& valor)
{
    if (valor.isNull() || !valor.isValid()) return Currency();
    switch (valor.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return fromDouble(valor.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return fromRaw(valor.toLongLong() * Escala);
    case QMetaType::Bool:
        return Currency(valor.toBool() ? 1 : 0);
    default:
        break;
    }
    if (valor.canConvert<Currency>() && valor.typeId() == qMetaTypeId<Currency>()) return valor.value<Currency>();
    const auto c = parse(valor.toString());
    if (c) return *c;
    // Text with more decimals than we keep (a money column read as text never has them, but a
    // float column may): go through double and round.
    bool ok = false;
    const double d = valor.toString().trimmed().toDouble(&ok);
    return ok ? fromDouble(d) : Currency();
}

QString Currency::toSql() const
{
    const bool negativo = m_raw < 0;
    const std::uint64_t abs = negativo ? std::uint64_t(0) - std::uint64_t(m_raw) : std::uint64_t(m_raw);
    return QStringLiteral("%1%2.%3")
        .arg(negativo ? QStringLiteral("-") : QString())
        .arg(abs / Escala)
        .arg(abs % Escala, 4, 10, QLatin1Char('0'));
}

QString Currency::toString() const
{
    QString s = toSql();
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.')) s.chop(1);
    if (s == QLatin1String("-0")) s = QStringLiteral("0");
    return s;
}

Currency Currency::inteiro() const
{
    std::int64_t q = m_raw / Escala;
    if (m_raw % Escala != 0 && m_raw < 0) q -= 1;
    return fromRaw(q * Escala);
}

Currency Currency::arredondado(int casas) const
{
    if (casas >= 4) return *this;
    if (casas < 0) casas = 0;
    i128 passo = 1;
    for (int i = casas; i < 4; ++i)
        passo *= 10;
    return fromRaw(paraInt64(dividirParaPar(m_raw, passo) * passo));
}

Currency operator*(Currency a, Currency b)
{
    const i128 produto = i128(a.m_raw) * i128(b.m_raw);
    return Currency::fromRaw(paraInt64(dividirParaPar(produto, Currency::Escala)));
}

Currency operator/(Currency a, Currency b)
{
    if (b.m_raw == 0) throw std::domain_error("Currency division by zero");
    i128 n = i128(a.m_raw) * Currency::Escala;
    i128 d = b.m_raw;
    if (d < 0) {
        n = -n;
        d = -d;
    }
    return Currency::fromRaw(paraInt64(dividirParaPar(n, d)));
}
