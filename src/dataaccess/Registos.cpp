#include "dataaccess/Registos.h"

#include <stdexcept>

Registos::Registos(QStringList colunas, QList<QVariantList> linhas)
    : m_colunas(std::move(colunas)), m_linhas(std::move(linhas))
{
    for (const QString& c : m_colunas)
        m_colunasMinusculas << c.toLower();
}

int Registos::indiceColuna(const QString& nome) const
{
    return int(m_colunasMinusculas.indexOf(nome.toLower()));
}

QVariant Registos::celula(int linha, int coluna) const
{
    if (linha < 0 || linha >= m_linhas.size())
        throw std::out_of_range("Registos: row out of range");
    const QVariantList& l = m_linhas[linha];
    if (coluna < 0 || coluna >= l.size())
        throw std::out_of_range("Registos: column out of range");
    return l[coluna];
}

QVariant Registos::Linha::valor(int coluna) const
{
    return m_dono->celula(m_indice, coluna);
}

QVariant Registos::Linha::valor(const QString& coluna) const
{
    const int i = m_dono->indiceColuna(coluna);
    if (i < 0)
        throw std::out_of_range(("Registos: no column " + coluna).toStdString());
    return m_dono->celula(m_indice, i);
}

namespace {
QString textoDe(const QVariant& v)
{
    if (v.isNull())
        return {};
    return v.toString();
}
qint64 inteiroDe(const QVariant& v)
{
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok)
        return n;
    return qRound64(Currency::fromVariant(v).toDouble());
}
} // namespace

QString Registos::Linha::texto(const QString& coluna) const { return textoDe(valor(coluna)); }
QString Registos::Linha::texto(int coluna) const { return textoDe(valor(coluna)); }
Currency Registos::Linha::moeda(const QString& coluna) const { return Currency::fromVariant(valor(coluna)); }
Currency Registos::Linha::moeda(int coluna) const { return Currency::fromVariant(valor(coluna)); }
qint64 Registos::Linha::inteiro(const QString& coluna) const { return inteiroDe(valor(coluna)); }
qint64 Registos::Linha::inteiro(int coluna) const { return inteiroDe(valor(coluna)); }

double Registos::Linha::real(const QString& coluna) const
{
    const QVariant v = valor(coluna);
    return v.isNull() ? 0.0 : v.toString().toDouble();
}

QDate Registos::Linha::data(const QString& coluna) const
{
    const QVariant v = valor(coluna);
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    const QString t = v.toString();
    return QDate::fromString(t.left(10), Qt::ISODate);
}
