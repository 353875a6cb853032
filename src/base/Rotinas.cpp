#include "base/Rotinas.h"

#include <cmath>

Currency HoraEmNumero(const QDateTime& d)
{
    const QTime t = d.time();
    // h + m/100 + s/10000, each part exact in 4 decimals.
    return Currency(t.hour()) + Currency::fromRaw(t.minute() * 100) + Currency::fromRaw(t.second());
}

Currency HoraParaDecimal(Currency x)
{
    const Currency h = x.inteiro();
    const Currency segundosHoras = h * Currency(3600);
    const Currency minutos = ((x - h) * Currency(100)).inteiro();
    const Currency segundosMinutos = minutos * Currency(60);
    const Currency x100 = x * Currency(100);
    const Currency segundos = (x100 - x100.inteiro()) * Currency(100);
    return (segundosHoras + segundosMinutos + segundos) / Currency(3600);
}

Currency DecimalParaHora(Currency x)
{
    Currency h = x.inteiro();
    const Currency f = x - h;
    const Currency m = f * Currency(60);
    Currency mi = m.inteiro();
    Currency s = ((m - mi).arredondado(2) * Currency(60)).arredondado(0);
    if (s >= Currency(60)) {
        s -= Currency(60);
        mi += Currency(1);
    }
    if (mi >= Currency(60)) {
        mi -= Currency(60);
        h += Currency(1);
    }
    return h + Currency::fromRaw(mi.raw() / 100) + Currency::fromRaw(s.raw() / Currency::Escala);
}

qint16 NumeroOuZero(const QVariant& v)
{
    if (v.isNull() || !v.isValid()) return 0;
    const QString t = v.toString().trimmed();
    if (t.isEmpty()) return 0;
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return 0;
    const double r = std::nearbyint(d);
    if (r > 32767) return 32767;
    if (r < -32768) return -32768;
    return qint16(r);
}

QVariant DataHoraBD(const QDateTime& d)
{
    return d.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}
