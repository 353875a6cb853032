// The two settings dialogs, driven through their own widgets.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "app/Rotinas.h"
#include "dataaccess/EsquemaBD.h"
#include "dataaccess/LeitorConfiguracao.h"
#include "dataaccess/ui/frmDefinicoesBD.h"
#include "erp/ui/frmDefinicoesKova.h"

namespace {

TEST(DefinicoesBDDialogo, CreatesTestsAndStoresAnSqliteDatabase)
{
    QTemporaryDir pasta;
    DefinirPastaPrograma(pasta.path());
    const QString ficheiro = QDir(pasta.path()).filePath(QStringLiteral("Terminal_Obras.oka"));
    QFile f(ficheiro);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Ligação]\r\nTipo de Terminal=0\r\n");
    f.close();

    DefinicoesBD inicial(ficheiro);
    inicial.Driver = QStringLiteral("PostgreSQL");
    frmDefinicoesBD dialogo(inicial, QDir(pasta.path()).filePath(QStringLiteral("nao-existe.sql")));
    EXPECT_TRUE(dialogo.txtServidor->isEnabled());
    dialogo.cbDriver->setCurrentText(QStringLiteral("SQLite"));
    EXPECT_FALSE(dialogo.txtServidor->isEnabled());
    QTest::keyClicks(dialogo.txtBaseDados, QStringLiteral("nova.db"));

    QTest::mouseClick(dialogo.btTestar, Qt::LeftButton);
    EXPECT_TRUE(dialogo.lbEstado->text().contains(QStringLiteral("não existe")))
        << dialogo.lbEstado->text().toStdString();
    EXPECT_FALSE(QFile::exists(QDir(pasta.path()).filePath(QStringLiteral("nova.db"))));

    QTest::mouseClick(dialogo.btCriar, Qt::LeftButton);
    EXPECT_EQ(dialogo.lbEstado->text(), QStringLiteral("Base de dados criada."));
    {
        LigacaoDados bd;
        ASSERT_TRUE(bd.Abrir(dialogo.definicoes().CadeiaLigacao()));
        EXPECT_TRUE(EsquemaBD::Existe(bd));
    }
    QTest::mouseClick(dialogo.btCriar, Qt::LeftButton);
    EXPECT_TRUE(dialogo.lbEstado->text().contains(QStringLiteral("já tem as tabelas")));
    EXPECT_TRUE(dialogo.TestarLigacao());

    QTest::mouseClick(dialogo.btGravar, Qt::LeftButton);
    EXPECT_EQ(dialogo.result(), QDialog::Accepted);
    LeitorConfiguracao leitor(ficheiro);
    EXPECT_EQ(leitor.Ler(QStringLiteral("Base de Dados"), QStringLiteral("Driver")), QStringLiteral("SQLite"));
    EXPECT_EQ(leitor.Ler(QStringLiteral("Base de Dados"), QStringLiteral("Base de Dados")), QStringLiteral("nova.db"));
    EXPECT_EQ(leitor.Ler(QStringLiteral("Ligação"), QStringLiteral("Tipo de Terminal")), QStringLiteral("0"));
    DefinirPastaPrograma(QString());
}

TEST(DefinicoesBDDialogo, FailedConnectionTestNeverShowsThePassword)
{
    DefinicoesBD d(QStringLiteral("/nao/existe.oka"));
    d.Driver = QStringLiteral("PostgreSQL");
    d.Servidor = QStringLiteral("127.0.0.1");
    d.Porta = QStringLiteral("1");
    d.BaseDados = QStringLiteral("fabrica");
    d.Utilizador = QStringLiteral("chefe");
    d.Password = QStringLiteral("segredo-123");
    frmDefinicoesBD dialogo(d, QString());
    EXPECT_EQ(dialogo.txtPassword->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(dialogo.TestarLigacao());
    EXPECT_TRUE(dialogo.lbEstado->text().contains(QStringLiteral("fabrica")));
    EXPECT_FALSE(dialogo.lbEstado->text().contains(QStringLiteral("segredo")));
    // A file that cannot be written keeps the dialog open with the reason.
    EXPECT_FALSE(dialogo.Gravar());
    EXPECT_NE(dialogo.result(), QDialog::Accepted);
}

TEST(DefinicoesKovaDialogo, EditsTheFiveSettings)
{
    frmDefinicoesKova dialogo(ValoresKova{QStringLiteral("C:\\Kova"), QString(), QStringLiteral("EMP1"),
                                          QStringLiteral("u"), QStringLiteral("p")});
    EXPECT_EQ(dialogo.txtPassword->echoMode(), QLineEdit::Password);
    dialogo.txtPercursoLog->setText(QStringLiteral("/var/log/kova"));
    dialogo.txtEmpresa->clear();
    dialogo.txtEmpresa->insert(QStringLiteral("Fábrica"));
    QTest::mouseClick(dialogo.btGravar, Qt::LeftButton);
    EXPECT_EQ(dialogo.result(), QDialog::Accepted);
    const ValoresKova v = dialogo.valores();
    EXPECT_EQ(v.PercursoWindows, QStringLiteral("C:\\Kova"));
    EXPECT_EQ(v.PercursoLog, QStringLiteral("/var/log/kova"));
    EXPECT_EQ(v.Empresa, QStringLiteral("Fábrica"));
    EXPECT_EQ(v.UtilizadorKova, QStringLiteral("u"));
    EXPECT_EQ(v.PasswordKova, QStringLiteral("p"));
}

} // namespace
