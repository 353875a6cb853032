#include "erp/AbrirLigacaoKova.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "dataaccess/LeitorConfiguracao.h"
#include "erp/DefinicoesKova.h"
#include "support/BaseDadosTeste.h"
#include "support/OperadorFalso.h"
#include "support/PastaSoLeitura.h"

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

    // A password still empty after the dialog leaves its line bare.
    v = completos();
    v.PasswordKova.clear();
    definicoes(v);
    op.dialogos.clear();
    EXPECT_FALSE(AbrirLigacaoKova(link, ficheiro(), &op, &bd(), &mensagem));
    EXPECT_EQ(op.textos(QStringLiteral("Kova")).size(), 1);
    EXPECT_TRUE(mensagem.endsWith(QStringLiteral("\r\nUser joão\r\nPassword "))) << mensagem.toStdString();
}

TEST_P(AbrirKova, BrancosNaoSaoEmFaltaEVaoComoEstaoParaALigacao)
{
    // A company of blanks only is not missing: no dialog; the link gets it as it is and refuses it.
    ValoresKova v = completos();
    v.Empresa = QStringLiteral("  ");
    definicoes(v);
    EXPECT_FALSE(AbrirLigacaoKova(link, ficheiro(), &op, &bd(), &mensagem));
    EXPECT_TRUE(op.textos(QStringLiteral("Kova")).isEmpty());
    EXPECT_TRUE(mensagem.contains(QStringLiteral("\r\nEmpresa   \r\n"))) << mensagem.toStdString();
    qint32 numero = 0;
    QString texto;
    link->UltimoErro(numero, texto);
    EXPECT_EQ(texto, QStringLiteral("Não foi indicada a empresa."));
}

TEST_P(AbrirKova, DefinicoesQueNaoSePodemGravarSaoUsadasNestaExecucaoEOOperadorSabe)
{
    // The program folder is read-only: the settings typed cannot be saved.
    QTemporaryDir programa;
    const QString oka = QDir(programa.path()).filePath(QStringLiteral("Terminal_ERP.oka"));
    {
        ValoresKova v = completos();
        v.PasswordKova.clear();
        ASSERT_TRUE(DefinicoesKova(oka).Gravar(v));
    }
    const QByteArray antes = [&] {
        QFile f(oka);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    PastaSoLeitura soLeitura(programa.path());
    if (!soLeitura.efectiva()) GTEST_SKIP() << "no way to make a folder read-only here";

    op.novosValoresKova = completos();
    EXPECT_TRUE(AbrirLigacaoKova(link, oka, &op, &bd(), &mensagem));
    EXPECT_TRUE(link->ligado());
    ASSERT_EQ(op.dialogos.size(), 2);
    EXPECT_EQ(op.dialogos[0].tipo, QStringLiteral("Kova"));
    EXPECT_EQ(op.dialogos[1].tipo, QStringLiteral("Aviso"));
    const QString aviso = op.dialogos[1].texto;
    EXPECT_TRUE(aviso.startsWith(QStringLiteral("As definições do ERP não foram gravadas.\r\n")))
        << aviso.toStdString();
    EXPECT_TRUE(aviso.contains(oka)) << aviso.toStdString();
    EXPECT_TRUE(aviso.endsWith(QStringLiteral("Os valores indicados ficam em uso até o terminal ser reiniciado.")))
        << aviso.toStdString();
    EXPECT_FALSE(aviso.contains(QStringLiteral("s'gr3do")));
    QFile f(oka);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), antes);
}

INSTANCIAR_BACKENDS(AbrirKova);
