// Start-up: configuration file, database settings and connection, terminal type, screen choice.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/Rotinas.h"
#include "app/ui/mod_main.h"
#include "dataaccess/EsquemaBD.h"
#include "screens/frmTerminal.h"
#include "screens/frmTerminal2.h"
#include "support/OperadorFalso.h"

namespace {

class Arranque : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pasta.isValid());
        DefinirPastaPrograma(pasta.path());
        LigacaoDados bd;
        ParametrosLigacao p;
        p.driver = QStringLiteral("QSQLITE");
        p.baseDados = caminho(QStringLiteral("terminal.db"));
        ASSERT_TRUE(bd.Abrir(p));
        EsquemaBD::Criar(bd);
        bd.executar(QStringLiteral("INSERT INTO oka_Contador (Id, CI) VALUES (1, 5)"));
    }
    void TearDown() override { DefinirPastaPrograma(QString()); }

    QString caminho(const QString& nome) const { return QDir(pasta.path()).filePath(nome); }
    void escrever(const QString& nome, const QString& texto)
    {
        QFile f(caminho(nome));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(texto.toUtf8());
    }
    static QString ligacaoSqlite(const QString& tipo)
    {
        return QStringLiteral("[Ligação]\r\n") +
               (tipo.isNull() ? QString() : QStringLiteral("Tipo de Terminal=%1\r\n").arg(tipo)) +
               QStringLiteral("[Base de Dados]\r\nDriver=SQLite\r\nBase de Dados=terminal.db\r\n");
    }
    static DefinicoesBD sqlite()
    {
        DefinicoesBD d;
        d.Driver = QStringLiteral("SQLite");
        d.BaseDados = QStringLiteral("terminal.db");
        return d;
    }

    QTemporaryDir pasta;
    OperadorFalso op;
};

TEST_F(Arranque, NoArgumentUsesTerminalObrasOkaAndAWholeArgumentTextNamesTheFile)
{
    escrever(QStringLiteral("Terminal_Obras.oka"), ligacaoSqlite(QStringLiteral("0")));
    ResultadoMain r = Main({}, &op);
    ASSERT_TRUE(r.ecra);
    EXPECT_NE(dynamic_cast<frmTerminal*>(r.ecra.get()), nullptr);
    EXPECT_EQ(r.ecra->ficheiroConfiguracao(), QStringLiteral("Terminal_Obras.oka"));
    EXPECT_TRUE(r.ecra->EcraCarregado);
    EXPECT_TRUE(op.dialogos.isEmpty());
    r.ecra.reset();

    QFile::remove(caminho(QStringLiteral("Terminal_Obras.oka")));
    escrever(QStringLiteral("outro nome.oka"), ligacaoSqlite(QStringLiteral("0")));
    r = Main({QStringLiteral("outro"), QStringLiteral("nome.oka")}, &op);
    ASSERT_TRUE(r.ecra);
    EXPECT_EQ(r.ecra->ficheiroConfiguracao(), QStringLiteral("outro nome.oka"));
}

TEST_F(Arranque, TerminalTypeChoosesTheScreen)
{
    const QList<std::pair<QString, bool>> casos{{QString(), false},
                                                {QStringLiteral(""), false},
                                                {QStringLiteral("A"), false},
                                                {QStringLiteral("1"), true},
                                                {QStringLiteral("-3"), true}};
    for (const auto& [tipo, erp] : casos) {
        op.dialogos.clear();
        escrever(QStringLiteral("Terminal_Obras.oka"), ligacaoSqlite(tipo));
        ResultadoMain r = Main({}, &op);
        ASSERT_TRUE(r.ecra) << tipo.toStdString();
        if (erp) {
            auto* t2 = dynamic_cast<frmTerminal2*>(r.ecra.get());
            ASSERT_NE(t2, nullptr) << tipo.toStdString();
            EXPECT_NE(t2->LigKova(), nullptr);
            // The ERP settings are missing from the file: their dialog was offered first.
            EXPECT_EQ(op.textos(QStringLiteral("Kova")).size(), 1);
        } else {
            EXPECT_NE(dynamic_cast<frmTerminal*>(r.ecra.get()), nullptr) << tipo.toStdString();
            EXPECT_TRUE(op.dialogos.isEmpty());
        }
    }
}

TEST_F(Arranque, MissingSettingsOpenTheDialogBeforeConnecting)
{
    escrever(QStringLiteral("Terminal_Obras.oka"),
             QStringLiteral("[Ligação]\r\nTipo de Terminal=0\r\n[Base de Dados]\r\nDriver=PostgreSQL\r\n"
                            "Base de Dados=x\r\nUtilizador=u\r\n"));
    ResultadoMain r = Main({}, &op);
    EXPECT_FALSE(r.ecra);
    EXPECT_NE(r.codigoSaida, 0);
    ASSERT_EQ(op.dialogos.size(), 1);
    EXPECT_EQ(op.dialogos[0].tipo, QStringLiteral("BD"));
    EXPECT_EQ(op.dialogos[0].texto, caminho(QStringLiteral("Catalogos/bd.sql")));

    op.dialogos.clear();
    op.novasDefinicoesBD = sqlite();
    r = Main({}, &op);
    ASSERT_TRUE(r.ecra);
    EXPECT_EQ(op.textos(QStringLiteral("BD")).size(), 1);
    DefinicoesBD gravadas(caminho(QStringLiteral("Terminal_Obras.oka")));
    ASSERT_TRUE(gravadas.Ler());
    EXPECT_EQ(gravadas.Driver, QStringLiteral("SQLite"));
}

TEST_F(Arranque, UnreachableDatabaseShowsTheErrorWithoutPasswordAndCancellingExitsNonZero)
{
    escrever(QStringLiteral("Terminal_Obras.oka"),
             QStringLiteral("[Ligação]\r\nTipo de Terminal=0\r\n[Base de Dados]\r\nDriver=PostgreSQL\r\n"
                            "Servidor=127.0.0.1\r\nPorta=1\r\nBase de Dados=fabrica\r\nUtilizador=chefe\r\n"
                            "Palavra Passe=segredo-123\r\n"));
    op.respostasConfirmacao << false;
    ResultadoMain r = Main({}, &op);
    EXPECT_FALSE(r.ecra);
    EXPECT_NE(r.codigoSaida, 0);
    ASSERT_EQ(op.dialogos.size(), 1);
    const QString texto = op.dialogos[0].texto;
    EXPECT_EQ(op.dialogos[0].tipo, QStringLiteral("Confirmacao"));
    EXPECT_EQ(op.dialogos[0].imagem, 2);
    for (const char* parte : {"QPSQL", "127.0.0.1", "fabrica", "chefe"})
        EXPECT_TRUE(texto.contains(QString::fromLatin1(parte))) << parte << " in " << texto.toStdString();
    EXPECT_FALSE(texto.contains(QStringLiteral("segredo")));

    // Accepting offers the settings dialog; corrected settings start the terminal.
    op.dialogos.clear();
    op.respostasConfirmacao << true;
    op.novasDefinicoesBD = sqlite();
    r = Main({}, &op);
    ASSERT_TRUE(r.ecra);
    EXPECT_EQ(op.textos(QStringLiteral("BD")).size(), 1);
}

} // namespace
