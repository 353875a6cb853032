#include "erp/AbrirLigacaoKova.h"

#include <QDir>

#include "dataaccess/LeitorConfiguracao.h"
#include "erp/DefinicoesKova.h"
#include "support/BaseDadosTeste.h"
#include "support/OperadorFalso.h"

class AbrirKova : public TesteBD
{
protected:
    QString ficheiro() const
    {
        return QDir(const_cast<AbrirKova*>(this)->base().pasta()).filePath("Terminal_Obras.oka");
    }
    void definicoes(const ValoresKova& v)
    {
        DefinicoesKova d(ficheiro());
        ASSERT_TRUE(d.Gravar(v));
    }
    ValoresKova completos()
    {
        return ValoresKova{base().pasta(), QString(), QStringLiteral("Fábrica"), QStringLiteral("joão"),
                           QStringLiteral("s'gr3do")};
    }

    OperadorFalso op;
    std::unique_ptr<LigacaoKova> link;
    QString mensagem;
};

TEST_P(AbrirKova, SoOsQuatroObrigatoriosPedemODialogo)
{
    // Only the log folder empty: straight to the connection.
    definicoes(completos());
    EXPECT_TRUE(AbrirLigacaoKova(link, ficheiro(), &op, &bd(), &mensagem));
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->ligado());
    EXPECT_EQ(link->modo(), 2);
    EXPECT_TRUE(op.dialogos.isEmpty());

    // Password missing: the dialog completes the settings, which are saved and used.
    ValoresKova v = completos();
    v.PasswordKova.clear();
    definicoes(v);
    op.novosValoresKova = completos();
    EXPECT_TRUE(AbrirLigacaoKova(link, ficheiro(), &op, &bd(), &mensagem));
    EXPECT_EQ(op.textos(QStringLiteral("Kova")).size(), 1);
    EXPECT_TRUE(link->ligado());
    EXPECT_EQ(DefinicoesKova(ficheiro()).PasswordKova(), QStringLiteral("s'gr3do"));
    LeitorConfiguracao leitor(ficheiro());
    EXPECT_EQ(leitor.Ler(QStringLiteral("kova"), QStringLiteral("palavra passe")), QStringLiteral("s'gr3do"));
}

TEST_P(AbrirKova, FalhaMostraAsDefinicoesComAPasswordEscondida)
{
    ValoresKova v = completos();
    v.PercursoWindows = QStringLiteral("/nao/existe");
    v.PercursoLog = QStringLiteral("C:\\log");
    definicoes(v);
    EXPECT_FALSE(AbrirLigacaoKova(link, ficheiro(), &op, &bd(), &mensagem));
    ASSERT_TRUE(link);
    EXPECT_FALSE(link->ligado());
    const QString esperado = QStringLiteral("Não foi possível ligar ao Tarn !\r\nPercurso Windows /nao/existe\r\n"
                                            "Percurso Log C:\\log\r\nEmpresa Fábrica\r\nUser joão\r\nPassword *******");
    EXPECT_EQ(mensagem, esperado);
    ASSERT_EQ(op.dialogos.size(), 1);
    EXPECT_EQ(op.dialogos[0].tipo, QStringLiteral("Aviso"));
    EXPECT_EQ(op.dialogos[0].texto, esperado);

    // Blanks are not missing (no dialog) and are kept; a password still empty after the dialog
    // leaves its line bare.
    v = completos();
    v.Empresa = QStringLiteral("  ");
    v.PasswordKova.clear();
    definicoes(v);
    op.dialogos.clear();
    EXPECT_FALSE(AbrirLigacaoKova(link, ficheiro(), &op, &bd(), &mensagem));
    EXPECT_EQ(op.textos(QStringLiteral("Kova")).size(), 1);
    EXPECT_TRUE(mensagem.endsWith(QStringLiteral("\r\nEmpresa   \r\nUser joão\r\nPassword ")))
        << mensagem.toStdString();
}

INSTANCIAR_BACKENDS(AbrirKova);
