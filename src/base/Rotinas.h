#pragma once

#include <QDateTime>
#include <QVariant>

#include "base/Currency.h"

// Time of day of `d` as hh.mmss (14:05:09 is 14.0509).
Currency HoraEmNumero(const QDateTime& d);
// hh.mmss to decimal hours, rounded to 4 decimals (1.3015 gives 1.5042).
Currency HoraParaDecimal(Currency x);
// Decimal hours to hh.mmss (1.5042 gives 1.3015). Seconds or minutes that round up to 60 carry
// into the next place, so the result never holds 60 in them.
Currency DecimalParaHora(Currency x);
// 0 for Null or blank text, otherwise the value as a 16-bit integer (nearest, halves to even;
// values outside the range are clamped, text that is not a number gives 0).
qint16 NumeroOuZero(const QVariant& v);

// A date-time as bound into statements: wall-clock text "yyyy-MM-ddTHH:mm:ss", which every
// backend reads as local time (QPSQL would convert a QDateTime to UTC).
QVariant DataHoraBD(const QDateTime& d);
// A day as bound into statements (day columns hold dates).
inline QVariant DataBD(const QDate& d)
{
    return d;
}
// A text as bound into statements: an empty text is written as '', never as Null (which a null
// QString would bind).
inline QVariant TextoBD(const QString& s)
{
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}
