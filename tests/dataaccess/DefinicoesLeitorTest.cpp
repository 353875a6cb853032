#include "dataaccess/DefinicoesLeitor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class DefinicoesLeitorTest : public ::testing::Test
{
protected:
    DefinicoesLeitor ler(const QByteArray& texto, bool esperado, QString* erro = nullptr)
    {
        const QString caminho = QDir(m_pasta.path()).filePath(QStringLiteral("t.oka"));
        QFile f(caminho);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(texto);
        f.close();
        DefinicoesLeitor d(caminho);
        QString e;
        EXPECT_EQ(d.Ler(&e), esperado) << e.toStdString();
        if (erro) *erro = e;
        return d;
    }
    QString caminho() const { return QDir(m_pasta.path()).filePath(QStringLiteral("t.oka")); }
    QTemporaryDir m_pasta;
};

TEST_F(DefinicoesLeitorTest, DefaultsWhenTheSectionOrKeysAreMissing)
{
    for (const QByteArray& texto : {QByteArray("[Ligação]\nTipo de Terminal=0\n"),
                                    QByteArray("[Leitor]\nIntervalo Máximo=\nPrefixo Obra=  \n")}) {
        const DefinicoesLeitor d = ler(texto, true);
        EXPECT_EQ(d.IntervaloMaximo, 30);
        for (TipoCodigo t : ClassificadorCodigos::Tipos)
            EXPECT_EQ(d.Prefixos.prefixo(t), ClassificadorCodigos::PrefixoPadrao(t));
    }
}

TEST_F(DefinicoesLeitorTest, ReadsTheIntervalAndEachPrefix)
{
    const DefinicoesLeitor d = ler("[Leitor]\r\n"
                                   "Intervalo Máximo = 45\r\n"
                                   "Prefixo Funcionário=EMP\r\n"
                                   "prefixo obra=OF\r\n"
                                   "Prefixo Operação=OP\r\n"
                                   "Prefixo Máquina=MAQ\r\n"
                                   "Prefixo Artigo=ART\r\n",
                                   true);
    EXPECT_EQ(d.IntervaloMaximo, 45);
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Funcionario), QStringLiteral("EMP"));
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Obra), QStringLiteral("OF"));
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Maquina), QStringLiteral("MAQ"));
    EXPECT_EQ(d.Prefixos.Classificar(QStringLiteral("ART123")).tipo, TipoCodigo::Artigo);
}

TEST_F(DefinicoesLeitorTest, BadValuesAreNamedAndReplacedByTheirDefaults)
{
    QString erro;
    DefinicoesLeitor d =
        ler("[Leitor]\nIntervalo Máximo=rápido\nPrefixo Obra=OBRA Nº\nPrefixo Artigo=REF\n", false, &erro);
    EXPECT_EQ(erro, QStringLiteral("Ficheiro de configuração %1, secção \"Leitor\": \"Intervalo Máximo\" tem de ser "
                                   "um número inteiro de milissegundos entre 1 e 1000 (está \"rápido\"); vale 30; "
                                   "\"Prefixo Obra\" só pode ter letras, algarismos e sinais sem acentos nem espaços "
                                   "(está \"OBRA Nº\"); vale OB. Corrija o ficheiro.")
                        .arg(caminho()));
    EXPECT_EQ(d.IntervaloMaximo, 30);
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Obra), QStringLiteral("OB"));
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Artigo), QStringLiteral("REF")); // the good one is kept

    // Two prefixes that cannot be told apart: all five go back to their defaults.
    d = ler("[Leitor]\nIntervalo Máximo=0\nPrefixo Funcionário=F\nPrefixo Obra=FO\n", false, &erro);
    EXPECT_EQ(erro, QStringLiteral("Ficheiro de configuração %1, secção \"Leitor\": \"Intervalo Máximo\" tem de ser "
                                   "um número inteiro de milissegundos entre 1 e 1000 (está \"0\"); vale 30; o "
                                   "prefixo de funcionário (\"F\") começa o de obra (\"FO\"), e um código lido não se "
                                   "distinguiria; valem os cinco prefixos de origem (FU, OB, OP, MQ, AR). Corrija o "
                                   "ficheiro.")
                        .arg(caminho()));
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Funcionario), QStringLiteral("FU"));
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Obra), QStringLiteral("OB"));

    // A file that cannot be read says so, as for every other section.
    DefinicoesLeitor falta(QDir(m_pasta.path()).filePath(QStringLiteral("nao-existe.oka")));
    EXPECT_FALSE(falta.Ler(&erro));
    EXPECT_TRUE(erro.contains(QStringLiteral("nao-existe.oka"))) << erro.toStdString();
}
