#include "base/ClassificadorCodigos.h"

#include <gtest/gtest.h>

TEST(ClassificadorCodigos, DefaultPrefixesReadEachKind)
{
    const ClassificadorCodigos c;
    const struct
    {
        const char* lido;
        TipoCodigo tipo;
        const char* codigo;
    } casos[] = {
        {"FU101", TipoCodigo::Funcionario, "101"},
        {"OB26001", TipoCodigo::Obra, "26001"},
        {"OP12", TipoCodigo::Operacao, "12"},
        {"MQM01", TipoCodigo::Maquina, "M01"},
        {"ARCH-2x40", TipoCodigo::Artigo, "CH-2x40"},
        // Caps Lock on the terminal turns the scanner's capitals into small letters: the prefix
        // is still known, the code keeps the case it came in.
        {"fu101", TipoCodigo::Funcionario, "101"},
        {"mqm01", TipoCodigo::Maquina, "m01"},
        {"  OB7 ", TipoCodigo::Obra, "7"},
        // A bare prefix, an unknown one, or nothing at all.
        {"OB", TipoCodigo::Desconhecido, ""},
        {"XX12", TipoCodigo::Desconhecido, ""},
        {"26001", TipoCodigo::Desconhecido, ""},
        {"", TipoCodigo::Desconhecido, ""},
    };
    for (const auto& k : casos) {
        const CodigoLido r = c.Classificar(QString::fromUtf8(k.lido));
        EXPECT_EQ(r.tipo, k.tipo) << k.lido;
        EXPECT_EQ(r.codigo, QString::fromUtf8(k.codigo)) << k.lido;
        EXPECT_EQ(r.lido, QString::fromUtf8(k.lido).trimmed());
    }
    EXPECT_EQ(c.Codificar(TipoCodigo::Funcionario, QStringLiteral("101")), QStringLiteral("FU101"));
    EXPECT_EQ(c.Conflito(), QString());
}

TEST(ClassificadorCodigos, LongestPrefixWinsAndClashesAreNamed)
{
    ClassificadorCodigos c;
    c.setPrefixo(TipoCodigo::Obra, QStringLiteral("O"));
    c.setPrefixo(TipoCodigo::Operacao, QStringLiteral("OPR"));
    EXPECT_EQ(c.Classificar(QStringLiteral("OPR5")).tipo, TipoCodigo::Operacao);
    EXPECT_EQ(c.Classificar(QStringLiteral("OPR5")).codigo, QStringLiteral("5"));
    EXPECT_EQ(c.Classificar(QStringLiteral("O26001")).tipo, TipoCodigo::Obra);
    // Each code of the shorter prefix that begins with "PR" would be misread: a clash.
    EXPECT_EQ(c.Conflito(), QStringLiteral("o prefixo de obra (\"O\") começa o de operação (\"OPR\")"));

    c.setPrefixo(TipoCodigo::Operacao, QStringLiteral("o"));
    EXPECT_EQ(c.Conflito(), QStringLiteral("os prefixos de obra e de operação são iguais (\"O\")"));
    c.setPrefixo(TipoCodigo::Operacao, QString());
    EXPECT_EQ(c.Conflito(), QStringLiteral("o prefixo de operação está vazio"));
}
