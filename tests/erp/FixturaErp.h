#pragma once

#include <QString>

#include "base/Currency.h"
#include "dataaccess/LigacaoDados.h"

// Rows the ERP tests start from: the settings row, articles, stock, orders and material lines.
namespace FixturaErp {

inline Currency M(const char* texto)
{
    return *Currency::parse(QString::fromLatin1(texto));
}

inline void Contador(LigacaoDados& bd, const QString& armazem = QStringLiteral("MP1"),
                     const QString& doc = QStringLiteral("SAI"), int serie = 3)
{
    bd.executar(QStringLiteral("INSERT INTO oka_Contador (Id, CI, ArmMp, DocSc, SerieSc, SectorMp, Moeda) "
                               "VALUES (1, 0, ?, ?, ?, ?, ?)"),
                {QStringLiteral(" ") + armazem + QStringLiteral(" "), doc, serie, QStringLiteral("PROD "),
                 QStringLiteral("EUR")});
}

// `unidade` and `fornecedor` as null QStrings store Null.
inline void Artigo(LigacaoDados& bd, const QString& codigo, int artoudes = 0,
                   const QString& unidade = QStringLiteral("UN"), const QString& fornecedor = QStringLiteral("F01"),
                   const QString& nome = QStringLiteral("Artigo"))
{
    bd.executar(QStringLiteral("INSERT INTO ARTIGOS (CODIGO, NOME, GRUPO, FAMILIA, ARTOUDES, UNBASE, Fornec) "
                               "VALUES (?, ?, 'G', 'F', ?, ?, ?)"),
                {codigo, nome, artoudes, unidade.isNull() ? QVariant(QMetaType(QMetaType::QString)) : unidade,
                 fornecedor.isNull() ? QVariant(QMetaType(QMetaType::QString)) : fornecedor});
}

inline void Stock(LigacaoDados& bd, const QString& artigo, const char* existencia,
                  const QString& armazem = QStringLiteral("MP1"))
{
    bd.executar(QStringLiteral("INSERT INTO ARTARM (ARTIGO, ARMAZEM, EXISTENC) VALUES (?, ?, ?)"),
                {artigo, armazem, M(existencia).paraBD()});
}

inline Currency Existencia(LigacaoDados& bd, const QString& artigo, const QString& armazem = QStringLiteral("MP1"))
{
    return bd
        .consultar(QStringLiteral("SELECT EXISTENC FROM ARTARM WHERE ARTIGO = ? AND ARMAZEM = ?"), {artigo, armazem})
        .primeira()
        .moeda(0);
}

inline void Ordem(LigacaoDados& bd, const QString& fo, const QString& processo = QStringLiteral("P-77"))
{
    bd.executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo, SubEstado, Processo, CustoMat, TotalCustoOut) "
                               "VALUES (?, 1, 1, ?, 0, 0)"),
                {fo, processo});
}

inline void LinhaMaterial(LigacaoDados& bd, const QString& fo, int noLinha, const QString& artigo, const char* qtd,
                          const char* preco)
{
    bd.executar(
        QStringLiteral("INSERT INTO oka_LinFo_Apr (NoFo, NoLinha, Artigo, QtdOr, PrUnit) VALUES (?, ?, ?, ?, ?)"),
        {fo, noLinha, artigo, M(qtd).paraBD(), M(preco).paraBD()});
}

inline int Contar(LigacaoDados& bd, const QString& tabela)
{
    // `tabela` is a fixed table name from the test.
    return int(bd.consultar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(tabela)).primeira().inteiro(0));
}

} // namespace FixturaErp
