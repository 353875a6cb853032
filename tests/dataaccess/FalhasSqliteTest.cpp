// The embedded database when something is wrong with its file: read-only, held by another program,
// missing, deleted or replaced while open, or not a file at all. Each must give a clear error,
// quickly, and write nothing; none may be taken for a lost connection.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "dataaccess/LigacaoDados.h"
#include "support/OutroProcessoSqlite.h"

namespace {

class FalhasSqlite : public ::testing::Test
{
protected:
    QString caminho(const QString& nome) const { return QDir(m_pasta.path()).filePath(nome); }

    static ParametrosLigacao parametros(const QString& ficheiro, const QString& opcoes = {})
    {
        ParametrosLigacao p;
        p.driver = QStringLiteral("QSQLITE");
        p.baseDados = ficheiro;
        p.opcoes = opcoes;
        return p;
    }

    // A database of ours (WAL mode) with one table.
    void criar(const QString& ficheiro)
    {
        ParametrosLigacao p = parametros(ficheiro);
        p.criarFicheiro = true;
        LigacaoDados l;
        ASSERT_TRUE(l.Abrir(p));
        l.executar(QStringLiteral("CREATE TABLE t (a INTEGER)"));
    }

    QTemporaryDir m_pasta;
};

qint64 contar(LigacaoDados& l)
{
    return l.consultar(QStringLiteral("SELECT COUNT(*) FROM t")).primeira().inteiro(0);
}

} // namespace

TEST_F(FalhasSqlite, SoDeLeituraDaUmErroClaroSemReabrir)
{
    // A read-only database in rollback-journal mode: switching it to WAL fails while opening.
    const QString f = caminho(QStringLiteral("leitura.db"));
    CriarSemWal(f);
    LigacaoDados l;
    QString erro;
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(l.Abrir(parametros(f, QStringLiteral("QSQLITE_OPEN_READONLY")), &erro));
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_FALSE(l.aberta());
    EXPECT_TRUE(erro.contains(f) && erro.contains(QStringLiteral("só pode ser lida"))) << erro.toStdString();

    // Writes refused on an open connection: an error of their own, not a lost connection.
    ParametrosLigacao p = parametros(f);
    p.aoLigar << QStringLiteral("PRAGMA query_only = 1");
    ASSERT_TRUE(l.Abrir(p, &erro)) << erro.toStdString();
    for (bool emTransacao : {false, true}) {
        try {
            if (emTransacao)
                l.transacao([&] { l.executar(QStringLiteral("INSERT INTO t VALUES (2)")); });
            else
                l.executar(QStringLiteral("INSERT INTO t VALUES (2)"));
            ADD_FAILURE() << "a write on a read-only database was reported done";
        } catch (const ErroBD& e) {
            EXPECT_EQ(e.tipo(), ErroBD::Tipo::Outro) << e.texto().toStdString();
            EXPECT_TRUE(e.texto().contains(QStringLiteral("só pode ser lida"))) << e.texto().toStdString();
        }
    }
    EXPECT_EQ(contar(l), 1);
}

TEST_F(FalhasSqlite, LeitorNoutroProgramaNaoPenduraAAbertura)
{
    if (OutroProcessoSqlite::python().isEmpty())
        GTEST_SKIP() << "python3 not found: no second process to hold the database";
    // While another program reads a rollback-journal database it cannot be switched to WAL: the
    // opening gives up after the busy wait instead of waiting for as long as the reader.
    const QString f = caminho(QStringLiteral("lida.db"));
    CriarSemWal(f);
    OutroProcessoSqlite leitor;
    ASSERT_TRUE(leitor.segurar(f, QStringLiteral("BEGIN"), 20));
    LigacaoDados l;
    QString erro;
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(l.Abrir(parametros(f, QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000")), &erro));
    EXPECT_LT(t.elapsed(), 4000);
    EXPECT_TRUE(erro.contains(f) && erro.contains(QStringLiteral("bloqueada por outro programa")))
        << erro.toStdString();
}

TEST_F(FalhasSqlite, OcupadaNoutroProgramaTentaDeNovo)
{
    if (OutroProcessoSqlite::python().isEmpty())
        GTEST_SKIP() << "python3 not found: no second process to hold the database";
    const QString f = caminho(QStringLiteral("ocupada.db"));
    criar(f);
    LigacaoDados l;
    ASSERT_TRUE(l.Abrir(parametros(f, QStringLiteral("QSQLITE_BUSY_TIMEOUT=300"))));
    OutroProcessoSqlite outro;
    ASSERT_TRUE(outro.segurar(f, QStringLiteral("BEGIN EXCLUSIVE"), 1.5));
    // A busy database is worth another try, not a reopening.
    try {
        l.executar(QStringLiteral("INSERT INTO t VALUES (1)"));
        ADD_FAILURE() << "a write went through an exclusive lock";
    } catch (const ErroBD& e) {
        EXPECT_EQ(e.tipo(), ErroBD::Tipo::Repetivel) << e.texto().toStdString();
        EXPECT_TRUE(e.texto().contains(QStringLiteral("bloqueada por outro programa (esperou 300 ms)")))
            << e.texto().toStdString();
    }
    // The transaction tries again until the other program lets go (about 1.2 s, four busy waits).
    EXPECT_NO_THROW(l.transacao([&] { l.executar(QStringLiteral("INSERT INTO t VALUES (2)")); }));
    EXPECT_EQ(contar(l), 1);
}

TEST_F(FalhasSqlite, FicheiroQueNaoExisteNaoECriado)
{
    // A name with characters that mean something in a URI (the file is opened as "file:...?mode=rw").
    const QString f = caminho(QStringLiteral("gralha ç#%?.db"));
    LigacaoDados l;
    QString erro;
    EXPECT_FALSE(l.Abrir(parametros(f), &erro));
    EXPECT_TRUE(erro.contains(f) && erro.contains(QStringLiteral("não existe"))) << erro.toStdString();
    EXPECT_FALSE(QFile::exists(f));

    // Creating is asked for by name; a reopening never creates.
    ParametrosLigacao p = parametros(f);
    p.criarFicheiro = true;
    ASSERT_TRUE(l.Abrir(p, &erro)) << erro.toStdString();
    EXPECT_TRUE(QFile::exists(f));
    l.executar(QStringLiteral("CREATE TABLE t (a INTEGER)"));
    ASSERT_TRUE(l.Abrir(parametros(f), &erro)) << erro.toStdString();
    EXPECT_EQ(contar(l), 0);
    l.Fechar();
    QFile::remove(f);
    try {
        l.consultar(QStringLiteral("SELECT 1"));
        ADD_FAILURE() << "a closed connection to a deleted file was reopened";
    } catch (const ErroBD& e) {
        EXPECT_TRUE(e.texto().contains(QStringLiteral("não existe"))) << e.texto().toStdString();
    }
    EXPECT_FALSE(QFile::exists(f));
}

TEST_F(FalhasSqlite, NaoFicheiroERecusado)
{
    for (const QString& f : {QStringLiteral("/dev/null"), m_pasta.path()}) {
        LigacaoDados l;
        QString erro;
        QElapsedTimer t;
        t.start();
        EXPECT_FALSE(l.Abrir(parametros(f), &erro)) << f.toStdString();
        EXPECT_LT(t.elapsed(), 3000);
        EXPECT_TRUE(erro.contains(QStringLiteral("%1 não é um ficheiro de base de dados").arg(f)))
            << erro.toStdString();
    }
}

TEST_F(FalhasSqlite, FicheiroApagadoOuSubstituidoNaoRecebeEscritas)
{
    const QString f = caminho(QStringLiteral("apagada.db"));
    criar(f);
    LigacaoDados l;
    ASSERT_TRUE(l.Abrir(parametros(f)));
    l.transacao([&] { l.executar(QStringLiteral("INSERT INTO t VALUES (1)")); });

    // Deleted: every write is refused, in a transaction or not, and says so.
    for (const char* sufixo : {"", "-wal", "-shm"})
        QFile::remove(f + QLatin1String(sufixo));
    auto escrever = [&](bool emTransacao) {
        try {
            if (emTransacao)
                l.transacao([&] { l.executar(QStringLiteral("INSERT INTO t VALUES (2)")); });
            else
                l.executar(QStringLiteral("INSERT INTO t VALUES (2)"));
            return QStringLiteral("gravado");
        } catch (const ErroBD& e) {
            EXPECT_EQ(e.tipo(), ErroBD::Tipo::Outro);
            return e.texto();
        }
    };
    for (bool emTransacao : {false, true}) {
        const QString texto = escrever(emTransacao);
        EXPECT_TRUE(texto.contains(f) && texto.contains(QStringLiteral("foi apagado"))) << texto.toStdString();
    }

    // Deleted between the start of a transaction and its COMMIT.
    criar(f);
    ASSERT_TRUE(l.Abrir(parametros(f)));
    try {
        l.transacao([&] {
            l.executar(QStringLiteral("INSERT INTO t VALUES (3)"));
            QFile::remove(f);
        });
        ADD_FAILURE() << "a COMMIT into a deleted file was reported done";
    } catch (const ErroBD& e) {
        EXPECT_TRUE(e.texto().contains(QStringLiteral("foi apagado"))) << e.texto().toStdString();
    }

    // Replaced by another file (a copy put back): refused too, and the new file is untouched.
    criar(f);
    ASSERT_TRUE(l.Abrir(parametros(f)));
    const QString copia = caminho(QStringLiteral("copia.db"));
    criar(copia);
    for (const char* sufixo : {"", "-wal", "-shm"})
        QFile::remove(f + QLatin1String(sufixo));
    ASSERT_TRUE(QFile::rename(copia, f));
    for (bool emTransacao : {false, true}) {
        const QString texto = escrever(emTransacao);
        EXPECT_TRUE(texto.contains(f) && texto.contains(QStringLiteral("substituído"))) << texto.toStdString();
    }
    LigacaoDados nova;
    ASSERT_TRUE(nova.Abrir(parametros(f)));
    EXPECT_EQ(contar(nova), 0);
}
