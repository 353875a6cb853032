#include "dataaccess/CifraSenha.h"

#include <gtest/gtest.h>

TEST(CifraSenha, VerificaSemDistinguirMaiusculas)
{
    const QString guardada = CifraSenha::Cifrar(QStringLiteral("Açores7"));
    ASSERT_TRUE(guardada.startsWith(QStringLiteral("$argon2id$"))) << guardada.toStdString();
    EXPECT_FALSE(guardada.contains(QStringLiteral("Açores7"), Qt::CaseInsensitive));
    EXPECT_NE(CifraSenha::Cifrar(QStringLiteral("Açores7")), guardada); // salted
    EXPECT_LE(guardada.size(), 128); // fits oka_Funcionarios.Senha

    EXPECT_TRUE(CifraSenha::Verificar(QStringLiteral("Açores7"), guardada));
    EXPECT_TRUE(CifraSenha::Verificar(QStringLiteral("AÇORES7"), guardada));
    EXPECT_TRUE(CifraSenha::Verificar(QStringLiteral("açores7"), guardada));
    EXPECT_FALSE(CifraSenha::Verificar(QStringLiteral("Açores8"), guardada));
    EXPECT_FALSE(CifraSenha::Verificar(QString(), guardada));
    // Stored texts that are not hashes (an old plain password, nothing, junk) never match.
    EXPECT_FALSE(CifraSenha::Verificar(QStringLiteral("1234"), QStringLiteral("1234")));
    EXPECT_FALSE(CifraSenha::Verificar(QStringLiteral("1234"), QString()));
    EXPECT_FALSE(CifraSenha::Verificar(QStringLiteral("1234"), QString(300, u'$')));
}
