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

#include "base/PastaPrograma.h"
#include "base/Rotinas.h"
#include "controls/ConferirDialogo.h"
#include "dataaccess/EsquemaBD.h"
#include "dataaccess/LeitorConfiguracao.h"
#include "screens/frmDefinicoesBD.h"
#include "screens/frmDefinicoesKova.h"

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(DefinicoesBDDialogo, CreatesTestsAndStoresAnSqliteDatabaseKeepingTheRestOfTheFile)
{
    QTemporaryDir pasta;
    DefinirPastaPrograma(pasta.path());
    const QString ficheiro = QDir(pasta.path()).filePath(u"Terminal_Obras.oka"_s);
    QFile f(ficheiro);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Ligação]\r\nTipo de Terminal=0\r\n");
    f.close();

    DefinicoesBD inicial(ficheiro);
    inicial.Driver = u"PostgreSQL"_s;
    frmDefinicoesBD dialogo(inicial, QDir(pasta.path()).filePath(u"nao-existe.sql"_s));
    dialogo.show();
    ConferirTituloEMoldura(&dialogo, u"Ligação ao Servidor SQL"_s);
    dialogo.cbDriver->setCurrentText(u"SQLite"_s);
    EXPECT_FALSE(dialogo.txtServidor->isEnabled());
    QTest::keyClicks(dialogo.txtBaseDados, u"nova.db"_s);

    QTest::mouseClick(dialogo.btTestar, Qt::LeftButton);
    EXPECT_TRUE(dialogo.lbEstado->text().contains(u"não existe"_s)) << dialogo.lbEstado->text().toStdString();
    EXPECT_FALSE(QFile::exists(QDir(pasta.path()).filePath(u"nova.db"_s)));
    QTest::mouseClick(dialogo.btCriar, Qt::LeftButton);
    EXPECT_EQ(dialogo.lbEstado->text(), u"Base de dados criada."_s);
    {
        LigacaoDados bd;
        ASSERT_TRUE(bd.Abrir(dialogo.definicoes().CadeiaLigacao()));
        EXPECT_TRUE(EsquemaBD::Existe(bd));
    }
    QTest::mouseClick(dialogo.btCriar, Qt::LeftButton);
    EXPECT_TRUE(dialogo.lbEstado->text().contains(u"já tem as tabelas"_s));
    EXPECT_TRUE(dialogo.TestarLigacao());

    QTest::mouseClick(dialogo.btGravar, Qt::LeftButton);
    EXPECT_EQ(dialogo.result(), QDialog::Accepted);
    LeitorConfiguracao leitor(ficheiro);
    EXPECT_EQ(leitor.Ler(u"Base de Dados"_s, u"Driver"_s), u"SQLite"_s);
    EXPECT_EQ(leitor.Ler(u"Base de Dados"_s, u"Base de Dados"_s), u"nova.db"_s);
    EXPECT_EQ(leitor.Ler(u"Ligação"_s, u"Tipo de Terminal"_s), u"0"_s);
    DefinirPastaPrograma(QString());
}

TEST(DefinicoesKovaDialogo, EditsTheFiveSettings)
{
    frmDefinicoesKova dialogo(ValoresKova{u"C:\\Kova"_s, QString(), u"EMP1"_s, u"u"_s, u"p"_s});
    EXPECT_EQ(dialogo.txtPassword->echoMode(), QLineEdit::Password);
    dialogo.show();
    ConferirTituloEMoldura(&dialogo, u"Ligação ao ERP"_s);
    dialogo.txtPercursoLog->setText(u"/var/log/kova"_s);
    dialogo.txtEmpresa->setText(u"Fábrica"_s);
    QTest::mouseClick(dialogo.btGravar, Qt::LeftButton);
    EXPECT_EQ(dialogo.result(), QDialog::Accepted);
    const ValoresKova v = dialogo.valores();
    EXPECT_EQ(QStringList({v.PercursoWindows, v.PercursoLog, v.Empresa, v.UtilizadorKova, v.PasswordKova}),
              QStringList({u"C:\\Kova"_s, u"/var/log/kova"_s, u"Fábrica"_s, u"u"_s, u"p"_s}));
}

} // namespace
