// terminal-admin, run as the operator runs it: arguments, standard input, exit code and messages.
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "dataaccess/CifraSenha.h"
#include "dataaccess/EsquemaBD.h"
#include "dataaccess/LigacaoDados.h"

using namespace Qt::Literals::StringLiterals;

namespace {

struct Execucao
{
    bool terminou = false;
    int codigo = -1;
    QString saida;
    QString erros;
};

class Admin : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pasta.isValid());
        escrever(u"c.oka"_s, "[Base de Dados]\r\nDriver=SQLite\r\nBase de Dados=a.db\r\n");
        escrever(u"Terminal_Obras.oka"_s, "[Base de Dados]\r\nDriver=SQLite\r\nBase de Dados=omissao.db\r\n");
    }

    QString caminho(const QString& nome) const { return QDir(pasta.path()).filePath(nome); }
    void escrever(const QString& nome, const QByteArray& bytes)
    {
        QFile f(caminho(nome));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // Runs terminal-admin with the program folder in the test's folder; `entrada` is piped to its
    // standard input (closed at once when empty).
    Execucao correr(const QStringList& argumentos, const QByteArray& entrada = {}, int ms = 60000)
    {
        QProcess p;
        preparar(p);
        p.start(QStringLiteral(TERMINAL_ADMIN), argumentos);
        Execucao r;
        if (!p.waitForStarted(10000)) return r;
        p.write(entrada);
        p.closeWriteChannel();
        r.terminou = p.waitForFinished(ms);
        if (!r.terminou) {
            p.kill();
            p.waitForFinished();
        }
        r.codigo = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.saida = QString::fromUtf8(p.readAllStandardOutput());
        r.erros = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
    void preparar(QProcess& p) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TERMINAL_PASTA"_s, pasta.path());
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(pasta.path());
    }

    // Employees in the SQLite file `nome` of the test's folder (-1 when it has no tables).
    qint64 funcionarios(const QString& nome)
    {
        if (!QFile::exists(caminho(nome))) return -1;
        LigacaoDados bd;
        ParametrosLigacao p;
        p.driver = u"QSQLITE"_s;
        p.baseDados = caminho(nome);
        if (!bd.Abrir(p) || !EsquemaBD::Existe(bd)) return -1;
        return bd.consultar(u"SELECT COUNT(*) FROM oka_Funcionarios"_s).primeira().inteiro(0);
    }
    QString senha(const QString& nome, const QString& funcionario)
    {
        LigacaoDados bd;
        ParametrosLigacao p;
        p.driver = u"QSQLITE"_s;
        p.baseDados = caminho(nome);
        if (!bd.Abrir(p)) return {};
        return bd.consultar(u"SELECT Senha FROM oka_Funcionarios WHERE FuncId = ?"_s, {funcionario})
            .primeira()
            .texto(0);
    }

    QTemporaryDir pasta;
};

TEST_F(Admin, OpcoesEmQualquerPosicao)
{
    // "-c" after the command names the file; nothing lands in the default database.
    const Execucao r = correr({u"demo"_s, u"-c"_s, u"c.oka"_s});
    ASSERT_EQ(r.codigo, 0) << r.erros.toStdString();
    EXPECT_GT(funcionarios(u"a.db"_s), 0);
    EXPECT_LE(funcionarios(u"omissao.db"_s), 0);
    // No password piped in: the documented demo password.
    EXPECT_TRUE(CifraSenha::Verificar(u"1234"_s, senha(u"a.db"_s, u"101"_s)));
    EXPECT_FALSE(CifraSenha::Verificar(u"-c"_s, senha(u"a.db"_s, u"101"_s)));

    const Execucao p = correr({u"password"_s, u"101"_s, u"-c"_s, u"c.oka"_s}, "nova\n");
    ASSERT_EQ(p.codigo, 0) << p.erros.toStdString();
    EXPECT_TRUE(CifraSenha::Verificar(u"NOVA"_s, senha(u"a.db"_s, u"101"_s)));
}

TEST_F(Admin, OpcoesDesconhecidasOuArgumentosAMaisMostramOUso)
{
    const QList<QStringList> casos{
        {u"-c"_s, u"c.oka"_s, u"demo"_s, u"1234"_s},             // the password is no argument any more
        {u"-c"_s, u"c.oka"_s, u"init"_s, u"a"_s},                // extra argument
        {u"-c"_s, u"c.oka"_s, u"init"_s, u"--ordens"_s, u"5"_s}, // option of another command
        {u"-c"_s, u"c.oka"_s, u"gerar"_s, u"--senha"_s, u"x"_s},
        {u"-c"_s, u"c.oka"_s, u"gerar"_s, u"--ordens"_s},
        {u"-c"_s, u"c.oka"_s, u"gerar"_s, u"--ordens"_s, u"muitas"_s},
        {u"-c"_s, u"c.oka"_s, u"password"_s},
        {u"-c"_s, u"c.oka"_s, u"password"_s, u"101"_s, u"102"_s},
        {u"-c"_s, u"c.oka"_s, u"-x"_s, u"init"_s},
        {u"-c"_s, u"c.oka"_s, u"-c"_s, u"c.oka"_s, u"init"_s},
        {u"init"_s, u"-c"_s},
        {u"desconhecido"_s},
        {},
    };
    for (const QStringList& args : casos) {
        const Execucao r = correr(args, "segredo\n");
        EXPECT_EQ(r.codigo, 2) << args.join(u' ').toStdString() << ": " << r.erros.toStdString();
        EXPECT_TRUE(r.erros.contains(u"Uso:"_s)) << args.join(u' ').toStdString() << ": " << r.erros.toStdString();
        EXPECT_LE(funcionarios(u"a.db"_s), 0) << args.join(u' ').toStdString();
        EXPECT_LE(funcionarios(u"omissao.db"_s), 0) << args.join(u' ').toStdString();
    }
}

TEST_F(Admin, PalavraPasseLidaDaEntradaPadraoERecusadaQuandoOLoginNuncaAAceitaria)
{
    // Login trims what is typed: blanks at either end, or only blanks, could never be typed back.
    for (const QByteArray& ma : {QByteArray("   \n"), QByteArray("abc \n"), QByteArray(" abc\n"), QByteArray("\t\n")}) {
        const Execucao r = correr({u"-c"_s, u"c.oka"_s, u"demo"_s}, ma);
        EXPECT_EQ(r.codigo, 1) << ma.constData();
        EXPECT_TRUE(r.erros.contains(u"espaços"_s)) << r.erros.toStdString();
        EXPECT_LE(funcionarios(u"a.db"_s), 0);
    }
    const Execucao demo = correr({u"-c"_s, u"c.oka"_s, u"demo"_s}, "Fresa 7\n");
    ASSERT_EQ(demo.codigo, 0) << demo.erros.toStdString();
    const QString antes = senha(u"a.db"_s, u"101"_s);
    EXPECT_TRUE(CifraSenha::Verificar(u"fresa 7"_s, antes));

    for (const QByteArray& ma : {QByteArray("\n"), QByteArray(""), QByteArray("nova \n")}) {
        const Execucao r = correr({u"-c"_s, u"c.oka"_s, u"password"_s, u"101"_s}, ma);
        EXPECT_EQ(r.codigo, 1) << ma.constData();
        EXPECT_EQ(senha(u"a.db"_s, u"101"_s), antes);
    }
}

TEST_F(Admin, PortaComLetrasRecusada)
{
    escrever(u"pg.oka"_s, "[Base de Dados]\r\nDriver=PostgreSQL\r\nServidor=127.0.0.1\r\nPorta=49367x\r\n"
                          "Base de Dados=fabrica\r\nUtilizador=ana\r\n");
    const Execucao r = correr({u"init"_s, u"-c"_s, u"pg.oka"_s});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_TRUE(r.erros.contains(u"Porta"_s) && r.erros.contains(u"49367x"_s)) << r.erros.toStdString();
}

TEST_F(Admin, ConfiguracaoQueEUmPipeRecusadaDeImediato)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(caminho(u"fifo.oka"_s)).constData(), 0600), 0);
    QElapsedTimer t;
    t.start();
    const Execucao r = correr({u"-c"_s, u"fifo.oka"_s, u"init"_s}, {}, 5000);
    EXPECT_TRUE(r.terminou) << "terminal-admin blocked on the pipe";
    EXPECT_EQ(r.codigo, 1);
    EXPECT_TRUE(r.erros.contains(caminho(u"fifo.oka"_s))) << r.erros.toStdString();
    EXPECT_LT(t.elapsed(), 5000);
}

// gerar killed half way leaves nothing behind, so that it (or demo) can simply run again.
TEST_F(Admin, GerarInterrompidoNaoDeixaMeiaBaseDeDados)
{
    ASSERT_EQ(correr({u"-c"_s, u"c.oka"_s, u"init"_s}).codigo, 0);
    QProcess p;
    preparar(p);
    p.start(QStringLiteral(TERMINAL_ADMIN), {u"-c"_s, u"c.oka"_s, u"gerar"_s, u"--ordens"_s, u"5000"_s, u"--linhas"_s,
                                             u"2000000"_s, u"--artigos"_s, u"20000"_s});
    ASSERT_TRUE(p.waitForStarted(10000));
    p.closeWriteChannel();
    QByteArray saida;
    QElapsedTimer t;
    t.start();
    while (!saida.contains("artigos") && p.state() == QProcess::Running && t.elapsed() < 60000) {
        p.waitForReadyRead(1000);
        saida += p.readAllStandardOutput();
    }
    ASSERT_TRUE(saida.contains("artigos")) << saida.constData() << p.readAllStandardError().constData();
    ASSERT_EQ(p.state(), QProcess::Running) << "finished before it could be interrupted";
    p.kill();
    p.waitForFinished();

    {
        LigacaoDados bd;
        ParametrosLigacao lp;
        lp.driver = u"QSQLITE"_s;
        lp.baseDados = caminho(u"a.db"_s);
        ASSERT_TRUE(bd.Abrir(lp));
        for (const char* tabela : {"oka_Contador", "oka_Motivos", "oka_Funcionarios", "oka_Operacoes", "oka_Maquinas",
                                   "FAMILIA", "ARTIGOS", "ARTARM", "oka_LinFo_Ope", "oka_LinFo_Apr", "oka_CabOrc"})
            EXPECT_EQ(bd.consultar(u"SELECT COUNT(*) FROM "_s + QLatin1String(tabela)).primeira().inteiro(0), 0)
                << tabela;
    }
    const Execucao denovo = correr({u"-c"_s, u"c.oka"_s, u"gerar"_s, u"--ordens"_s, u"20"_s, u"--linhas"_s, u"200"_s,
                                    u"--funcionarios"_s, u"5"_s, u"--artigos"_s, u"30"_s},
                                   "Gerada1\n");
    ASSERT_EQ(denovo.codigo, 0) << denovo.erros.toStdString();
    EXPECT_EQ(funcionarios(u"a.db"_s), 5);
    EXPECT_TRUE(CifraSenha::Verificar(u"gerada1"_s, senha(u"a.db"_s, u"F0001"_s)));
}

} // namespace
