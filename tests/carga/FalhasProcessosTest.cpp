// Faults of the embedded database seen from outside the process: terminal-admin started on a
// SQLite file that is read-only, on a read-only mount, held by another program or missing; and a
// disk that fills up at COMMIT (in a mount namespace of its own, on a small tmpfs).
#include <sys/mount.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "dataaccess/LigacaoDados.h"
#include "support/OutroProcessoSqlite.h"

namespace {

struct Saida
{
    int codigo = -1;
    bool terminou = false; // false: crashed, or still running after the wait and killed
    QString texto;
    qint64 ms = 0;
};

// Runs `programa` with `args`, at most `segundos`; standard output and error together.
Saida correr(const QString& programa, const QStringList& args, int segundos = 30, const QByteArray& entrada = {},
             const QProcessEnvironment& ambiente = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setProcessEnvironment(ambiente);
    QElapsedTimer t;
    t.start();
    p.start(programa, args);
    p.write(entrada);
    p.closeWriteChannel();
    Saida s;
    if (!p.waitForFinished(segundos * 1000)) {
        p.kill();
        p.waitForFinished();
    } else {
        s.terminou = p.exitStatus() == QProcess::NormalExit;
        s.codigo = p.exitCode();
    }
    s.ms = t.elapsed();
    s.texto = QString::fromUtf8(p.readAll());
    return s;
}

QString admin()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../terminal-admin"));
}

bool podeMontar()
{
    return !QStandardPaths::findExecutable(QStringLiteral("unshare")).isEmpty() &&
           QProcess::execute(QStringLiteral("unshare"), {QStringLiteral("-m"), QStringLiteral("true")}) == 0;
}

class FalhasProcessos : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::exists(admin())) << admin().toStdString();
        // Readable by an unprivileged user too (the read-only case may run as one).
        QFile::setPermissions(m_pasta.path(), QFile::permissions(m_pasta.path()) | QFile::ReadOther | QFile::ExeOther |
                                                  QFile::ReadGroup | QFile::ExeGroup);
    }
    QString caminho(const QString& nome) const { return QDir(m_pasta.path()).filePath(nome); }
    // A configuration file naming `bd` as the SQLite database.
    QString configuracao(const QString& bd, const QByteArray& mais = {})
    {
        const QString f = caminho(QStringLiteral("t.oka"));
        QFile c(f);
        EXPECT_TRUE(c.open(QIODevice::WriteOnly | QIODevice::Truncate));
        c.write("[Base de Dados]\nDriver=SQLite\nBase de Dados=" + bd.toUtf8() + "\n" + mais);
        c.close();
        QFile::setPermissions(f, QFile::permissions(f) | QFile::ReadOther);
        return f;
    }
    QTemporaryDir m_pasta;
};

} // namespace

TEST_F(FalhasProcessos, AdminRecusaUmaBaseDeDadosSoDeLeitura)
{
    const QString bd = caminho(QStringLiteral("leitura.db"));
    CriarSemWal(bd);
    QFile::setPermissions(bd, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QString programa = admin();
    QStringList args{QStringLiteral("-c"), configuracao(bd), QStringLiteral("init")};
    if (::geteuid() == 0) {
        // Root writes any file: run as nobody instead.
        programa = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (programa.isEmpty()) GTEST_SKIP() << "running as root without setpriv to drop the privileges";
        args = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                           QStringLiteral("--clear-groups"), admin()} +
               args;
    }
    const Saida s = correr(programa, args);
    EXPECT_TRUE(s.terminou) << s.texto.toStdString();
    EXPECT_EQ(s.codigo, 1);
    EXPECT_LT(s.ms, 10000);
    EXPECT_TRUE(s.texto.contains(bd) && s.texto.contains(QStringLiteral("só pode ser lida"))) << s.texto.toStdString();
}

TEST_F(FalhasProcessos, AdminRecusaUmDiscoSoDeLeitura)
{
    if (!podeMontar()) GTEST_SKIP() << "no mount namespace here (unshare -m needs CAP_SYS_ADMIN)";
    const QString origem = caminho(QStringLiteral("origem.db"));
    CriarSemWal(origem);
    const QString montagem = caminho(QStringLiteral("ro"));
    QDir().mkpath(montagem);
    const QString bd = QDir(montagem).filePath(QStringLiteral("ro.db"));
    const QString script = QStringLiteral("mount -t tmpfs -o size=1m tmpfs \"$1\" && cp \"$2\" \"$1/ro.db\" && "
                                          "mount -o remount,ro \"$1\" && exec \"$3\" -c \"$4\" init");
    const Saida s =
        correr(QStringLiteral("unshare"),
               {QStringLiteral("-m"), QStringLiteral("--propagation"), QStringLiteral("private"), QStringLiteral("sh"),
                QStringLiteral("-c"), script, QStringLiteral("sh"), montagem, origem, admin(), configuracao(bd)});
    EXPECT_TRUE(s.terminou) << s.texto.toStdString();
    EXPECT_EQ(s.codigo, 1) << s.texto.toStdString();
    EXPECT_LT(s.ms, 10000);
    EXPECT_TRUE(s.texto.contains(bd) && s.texto.contains(QStringLiteral("só pode ser lida"))) << s.texto.toStdString();
}

TEST_F(FalhasProcessos, AdminNaoEsperaPorUmLeitorDeOutroPrograma)
{
    if (OutroProcessoSqlite::python().isEmpty()) GTEST_SKIP() << "python3 not found: no second process";
    const QString bd = caminho(QStringLiteral("lida.db"));
    CriarSemWal(bd);
    OutroProcessoSqlite leitor;
    ASSERT_TRUE(leitor.segurar(bd, QStringLiteral("BEGIN"), 30));
    const Saida s = correr(
        admin(),
        {QStringLiteral("-c"), configuracao(bd, "Tempo Limite Instru\xC3\xA7\xC3\xA3o=1\n"), QStringLiteral("init")},
        20);
    EXPECT_TRUE(s.terminou) << s.texto.toStdString();
    EXPECT_EQ(s.codigo, 1);
    EXPECT_LT(s.ms, 6000);
    EXPECT_TRUE(s.texto.contains(bd) && s.texto.contains(QStringLiteral("bloqueada por outro programa")))
        << s.texto.toStdString();
}

TEST_F(FalhasProcessos, AdminSoCriaOFicheiroQuandoCriaAsTabelas)
{
    const QString bd = caminho(QStringLiteral("gralha.db"));
    const QString cfg = configuracao(bd);
    Saida s = correr(admin(), {QStringLiteral("-c"), cfg, QStringLiteral("password"), QStringLiteral("101")}, 30,
                     "nova senha\n");
    EXPECT_EQ(s.codigo, 1);
    EXPECT_TRUE(s.texto.contains(bd) && s.texto.contains(QStringLiteral("não existe"))) << s.texto.toStdString();
    EXPECT_FALSE(QFile::exists(bd));
    s = correr(admin(), {QStringLiteral("-c"), cfg, QStringLiteral("init")});
    EXPECT_EQ(s.codigo, 0) << s.texto.toStdString();
    EXPECT_TRUE(QFile::exists(bd));
}

// The parent runs this same test in a private mount namespace; there, with TERMINAL_FILHO_DISCO
// naming a folder, it mounts a 256 KiB tmpfs on it and fills it with one transaction.
TEST_F(FalhasProcessos, DiscoCheioNoCommitEDitoComoTal)
{
    const QString filho = qEnvironmentVariable("TERMINAL_FILHO_DISCO");
    if (filho.isEmpty()) {
        if (!podeMontar()) GTEST_SKIP() << "no mount namespace here (unshare -m needs CAP_SYS_ADMIN) for a small tmpfs";
        QDir().mkpath(caminho(QStringLiteral("cheio")));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TERMINAL_FILHO_DISCO"), caminho(QStringLiteral("cheio")));
        const Saida s = correr(QStringLiteral("unshare"),
                               {QStringLiteral("-m"), QStringLiteral("--propagation"), QStringLiteral("private"),
                                QCoreApplication::applicationFilePath(),
                                QStringLiteral("--gtest_filter=FalhasProcessos.DiscoCheioNoCommitEDitoComoTal")},
                               60, {}, env);
        EXPECT_TRUE(s.terminou && s.codigo == 0) << s.texto.toStdString();
        EXPECT_TRUE(s.texto.contains(QStringLiteral("[  PASSED  ] 1 test"))) << s.texto.toStdString();
        return;
    }
    ASSERT_EQ(::mount("tmpfs", QFile::encodeName(filho).constData(), "tmpfs", 0, "size=256k"), 0);
    ParametrosLigacao p;
    p.driver = QStringLiteral("QSQLITE");
    p.baseDados = QDir(filho).filePath(QStringLiteral("cheia.db"));
    p.criarFicheiro = true;
    LigacaoDados l;
    QString erro;
    ASSERT_TRUE(l.Abrir(p, &erro)) << erro.toStdString();
    l.executar(QStringLiteral("CREATE TABLE t (a TEXT)"));
    // 400 KB in one transaction: the pages stay in the cache until COMMIT writes them to the WAL.
    bool todasInseridas = false;
    try {
        l.transacao([&] {
            for (int i = 0; i < 40; ++i)
                l.executar(QStringLiteral("INSERT INTO t VALUES (?)"), {QString(10000, QLatin1Char('a' + i % 26))});
            todasInseridas = true;
        });
        ADD_FAILURE() << "400 KB committed on a 256 KiB disk";
    } catch (const ErroBD& e) {
        EXPECT_EQ(e.tipo(), ErroBD::Tipo::Outro) << e.texto().toStdString();
        EXPECT_TRUE(e.texto().contains(QStringLiteral("está cheio; nada foi gravado"))) << e.texto().toStdString();
        EXPECT_FALSE(e.texto().contains(ErroBD::avisoResultadoIncerto())) << e.texto().toStdString();
    }
    EXPECT_TRUE(todasInseridas); // the disk filled at COMMIT, not before
    EXPECT_EQ(l.consultar(QStringLiteral("SELECT COUNT(*) FROM t")).primeira().inteiro(0), 0);
}
