#pragma once

#include <memory>

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "base/Currency.h"

// The rows a query returned, read completely into memory (so the next statement on the same
// connection cannot discard them). Fields are found by position or by name, ignoring case
// (PostgreSQL folds unquoted aliases to lower case).
class Registos
{
public:
    class Linha
    {
    public:
        Linha(const Registos* dono, int indice) : m_dono(dono), m_indice(indice) {}
        QVariant valor(int coluna) const;
        QVariant valor(const QString& coluna) const;
        bool nulo(const QString& coluna) const { return valor(coluna).isNull(); }
        bool nulo(int coluna) const { return valor(coluna).isNull(); }
        // Text of the field; Null gives "".
        QString texto(const QString& coluna) const;
        QString texto(int coluna) const;
        // Money read exactly; Null gives 0.
        Currency moeda(const QString& coluna) const;
        Currency moeda(int coluna) const;
        // Whole number; Null gives 0.
        qint64 inteiro(const QString& coluna) const;
        qint64 inteiro(int coluna) const;
        double real(const QString& coluna) const;
        QDate data(const QString& coluna) const;

    private:
        const Registos* m_dono;
        int m_indice;
    };

    class Iterador
    {
    public:
        Iterador(const Registos* r, int i) : m_r(r), m_i(i) {}
        Linha operator*() const { return Linha(m_r, m_i); }
        Iterador& operator++()
        {
            ++m_i;
            return *this;
        }
        bool operator!=(const Iterador& o) const { return m_i != o.m_i; }

    private:
        const Registos* m_r;
        int m_i;
    };

    Registos() = default;
    Registos(QStringList colunas, QList<QVariantList> linhas);

    // A true count of the rows.
    int RecordCount() const { return int(m_linhas.size()); }
    int size() const { return RecordCount(); }
    bool vazio() const { return m_linhas.isEmpty(); }
    Linha operator[](int i) const { return Linha(this, i); }
    Linha primeira() const { return Linha(this, 0); }
    Iterador begin() const { return Iterador(this, 0); }
    Iterador end() const { return Iterador(this, RecordCount()); }

    const QStringList& colunas() const { return m_colunas; }
    int indiceColuna(const QString& nome) const; // -1 when absent
    QVariant celula(int linha, int coluna) const;

private:
    QStringList m_colunas;
    QStringList m_colunasMinusculas;
    QList<QVariantList> m_linhas;
};
