#include "dataaccess/DefinicoesEcra.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

DefinicoesEcra ler(const QTemporaryDir& pasta, const QByteArray& texto, bool esperado, QString* erro = nullptr)
{
    const QString caminho = QDir(pasta.path()).filePath(QStringLiteral("t.oka"));
    QFile f(caminho);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(texto);
    f.close();
    DefinicoesEcra d(caminho);
    QString e;
    EXPECT_EQ(d.Ler(&e), esperado) << e.toStdString();
    if (erro) *erro = e;
    return d;
}

} // namespace

TEST(DefinicoesEcraTest, DefaultsValuesAndBadValuesNamedAndReplaced)
{
    QTemporaryDir pasta;
    // Absent: Sair closes at once, supervisors from level 9, the density automatic.
    DefinicoesEcra d = ler(pasta, "[Ligação]\nTipo de Terminal=0\n", true);
    EXPECT_FALSE(d.ConfirmarSair);
    EXPECT_EQ(d.NivelSupervisor, 9);
    EXPECT_EQ(d.TwipsPorPixel, 0);

    d = ler(pasta, "[Ecrã]\r\nConfirmar Sair=1\r\nnível supervisor = 5\r\nTwips por Pixel=12,5\r\n", true);
    EXPECT_TRUE(d.ConfirmarSair);
    EXPECT_EQ(d.NivelSupervisor, 5);
    EXPECT_EQ(d.TwipsPorPixel, 12.5);
    d = ler(pasta, "[Ecrã]\nConfirmar Sair=0\nTwips por Pixel=\n", true);
    EXPECT_FALSE(d.ConfirmarSair);
    EXPECT_EQ(d.TwipsPorPixel, 0);

    // A word where 0/1 is meant guards the terminal; the file, the section and each key are named.
    QString erro;
    d = ler(pasta, "[Ecrã]\nConfirmar Sair=sim\nNível Supervisor=chefe\nTwips por Pixel=0,5\n", false, &erro);
    EXPECT_TRUE(d.ConfirmarSair);
    EXPECT_EQ(d.NivelSupervisor, 9);
    EXPECT_EQ(d.TwipsPorPixel, 0);
    for (const char* parte : {"t.oka", "\"Ecrã\"", "\"Confirmar Sair\"", "\"sim\"", "\"Nível Supervisor\"", "\"chefe\"",
                              "\"Twips por Pixel\"", "\"0,5\""})
        EXPECT_TRUE(erro.contains(QString::fromUtf8(parte))) << parte << " in " << erro.toStdString();
}
