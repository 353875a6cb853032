#include "dataaccess/JornalLocal.h"

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

EntradaJornal Entrada(const QString& funcao, const QDateTime& quando, const QString& utilizador = QStringLiteral("E1"))
{
    EntradaJornal e;
    e.Funcao = funcao;
    e.DescricaoFuncao = QStringLiteral("Iniciar Operação");
    e.Terminal = QStringLiteral("posto-1");
    e.Destino = QStringLiteral("Driver QPSQL, Servidor fabrica");
    e.Utilizador = utilizador;
    e.NomeUtilizador = QStringLiteral("João Conceição");
    e.Obra = QStringLiteral("O'26001");
    e.Operacao = QStringLiteral("10");
    e.DescricaoOperacao = QStringLiteral("Corte à serra");
    e.Maquina = QStringLiteral("M1");
    e.DescricaoMaquina = QStringLiteral("Serra nº 1");
    e.MotivoSuspensao = QStringLiteral("Falta de material");
    e.DataHora = quando;
    e.Razao = QStringLiteral("could not connect to server");
    e.VerificacoesOmitidas = {QStringLiteral("Existência da obra"), QStringLiteral("Operações já iniciadas")};
    return e;
}

QDateTime Em(const char* hora)
{
    return QDateTime(QDate(2024, 3, 4), QTime::fromString(QString::fromLatin1(hora), QStringLiteral("hh:mm:ss.zzz")));
}

// Runs `corpo` in a child process and gives back the text it returned (the child never touches
// the parent's connections: none is open when it forks).
QString EmOutroProcesso(const std::function<QString()>& corpo)
{
    int tubo[2];
    if (::pipe(tubo) != 0) return QStringLiteral("<pipe>");
    const pid_t filho = ::fork();
    if (filho == 0) {
        ::close(tubo[0]);
        QString texto;
        try {
            texto = corpo();
        } catch (const ErroJornal& e) {
            texto = QStringLiteral("ErroJornal: ") + e.texto();
        }
        const QByteArray b = texto.toUtf8();
        [[maybe_unused]] const ssize_t n = ::write(tubo[1], b.constData(), size_t(b.size()));
        ::_exit(0);
    }
    ::close(tubo[1]);
    QByteArray r;
    char bloco[512];
    for (ssize_t n; (n = ::read(tubo[0], bloco, sizeof bloco)) > 0;)
        r.append(bloco, n);
    ::close(tubo[0]);
    int estado = 0;
    ::waitpid(filho, &estado, 0);
    return QString::fromUtf8(r);
}

QString Integridade(const QString& ficheiro)
{
    QString r;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("integridade"));
        db.setDatabaseName(ficheiro);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next()) r = q.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("integridade"));
    return r;
}

} // namespace

class JornalLocal_ : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_pasta.isValid()); }
    QString ficheiro() const { return QDir(m_pasta.path()).filePath(QStringLiteral("jornal.db")); }
    QTemporaryDir m_pasta;
};

// What is written comes back whole, in order, after the journal is closed and opened again.
TEST_F(JornalLocal_, GuardaEVoltaDepoisDeReabrir)
{
    {
        JornalLocal j(ficheiro());
        EXPECT_EQ(j.NumeroPendentes(), 0);
        EXPECT_FALSE(QFile::exists(ficheiro())) << "reading an absent journal creates nothing";
        EntradaJornal a = Entrada(QStringLiteral("AC007"), Em("08:00:00.125"));
        EntradaJornal b = Entrada(QStringLiteral("AC008"), Em("10:00:00.000"));
        b.Token = QStringLiteral("token-dado");
        b.TipoTerminal = 1;
        j.Acrescentar(a);
        j.Acrescentar(b);
        EXPECT_EQ(a.Token.size(), 36);
        EXPECT_LT(a.Sequencia, b.Sequencia);
        EXPECT_EQ(b.Token, QStringLiteral("token-dado"));
    }
    JornalLocal j(ficheiro());
    const QList<EntradaJornal> p = j.Pendentes();
    ASSERT_EQ(p.size(), 2);
    auto campos = [](const EntradaJornal& e) {
        return QStringList{e.Funcao,
                           e.DataHora.toString(Qt::ISODateWithMs),
                           e.Terminal,
                           e.Destino,
                           e.Utilizador,
                           e.NomeUtilizador,
                           e.Obra,
                           e.Operacao,
                           e.DescricaoOperacao,
                           e.Maquina,
                           e.DescricaoMaquina,
                           e.MotivoSuspensao,
                           e.Razao,
                           e.VerificacoesOmitidas.join(u'|')};
    };
    EXPECT_EQ(campos(p[0]), campos(Entrada(QStringLiteral("AC007"), Em("08:00:00.125"))));
    EXPECT_EQ(p[0].estado, EntradaJornal::Estado::Pendente);
    EXPECT_TRUE(p[0].Guardada.isValid());
    EXPECT_EQ(p[1].Funcao, QStringLiteral("AC008"));
    EXPECT_EQ(p[1].TipoTerminal, 1);
    EXPECT_EQ(p[1].DataHora, Em("10:00:00.000"));
}

// Sent and refused entries leave the waiting list; refused ones keep the engine's message; an
// entry is handled once (a sent one cannot become refused); tries are counted.
TEST_F(JornalLocal_, EstadosContagensEDestino)
{
    JornalLocal j(ficheiro());
    QList<EntradaJornal> e;
    for (int i = 0; i < 5; ++i) {
        e << Entrada(QStringLiteral("AC00%1").arg(i + 1), Em("08:00:00.000").addSecs(i));
        if (i == 4) e[i].Destino = QStringLiteral("outra base");
        j.Acrescentar(e[i]);
    }
    j.MarcarEnviada(e[1].Sequencia, QStringLiteral("ok"));
    j.MarcarRecusada(e[2].Sequencia, QStringLiteral("Obra não indentificada !"));
    j.MarcarRecusada(e[1].Sequencia, QStringLiteral("tarde demais"));
    j.ContarTentativa(e[0].Sequencia, QStringLiteral("Connection refused"));
    j.ContarTentativa(e[0].Sequencia, QStringLiteral("Connection refused"));

    const QString destino = e[0].Destino;
    EXPECT_EQ(j.NumeroPendentes(), 3);
    EXPECT_EQ(j.NumeroPendentes(destino), 2);
    EXPECT_EQ(j.NumeroRecusadas(destino), 1);
    const QList<EntradaJornal> p = j.Pendentes(destino);
    ASSERT_EQ(p.size(), 2);
    EXPECT_EQ(p[0].Sequencia, e[0].Sequencia);
    EXPECT_EQ(p[0].Tentativas, 2);
    EXPECT_EQ(p[0].UltimaFalha, QStringLiteral("Connection refused"));
    EXPECT_EQ(p[1].Sequencia, e[3].Sequencia);
    const QList<EntradaJornal> r = j.Recusadas();
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r[0].Sequencia, e[2].Sequencia);
    EXPECT_EQ(r[0].Mensagem, QStringLiteral("Obra não indentificada !"));
    EXPECT_TRUE(r[0].Tratada.isValid());

    EXPECT_EQ(j.ApagarEnviadasAntesDe(QDateTime::currentDateTime().addSecs(1)), 1);
    EXPECT_EQ(j.NumeroRecusadas() + j.NumeroPendentes(), 4);
}

// A process killed right after Acrescentar returned leaves its entry behind.
TEST_F(JornalLocal_, ProcessoMortoDepoisDeGuardarNaoPerdeNada)
{
    const QString f = ficheiro();
    const QString r = EmOutroProcesso([f] {
        JornalLocal j(f);
        EntradaJornal e = Entrada(QStringLiteral("AC007"), Em("08:00:00.000"));
        j.Acrescentar(e);
        ::_exit(0); // no close, no checkpoint
        return QString();
    });
    EXPECT_EQ(r, QString());
    JornalLocal j(f);
    EXPECT_EQ(j.NumeroPendentes(), 1);
    EXPECT_EQ(Integridade(f), QStringLiteral("ok"));
}

// Two terminal processes writing the same journal at once: every entry lands once, in each
// process's own order, and the file stays sound.
TEST_F(JornalLocal_, DoisProcessosNoMesmoFicheiro)
{
    const QString f = ficheiro();
    const int n = 60;
    auto escrever = [f, n](const QString& quem) {
        return [f, n, quem] {
            JornalLocal j(f);
            for (int i = 0; i < n; ++i) {
                EntradaJornal e = Entrada(QStringLiteral("AC007"), Em("08:00:00.000").addSecs(i), quem);
                j.Acrescentar(e);
            }
            return QStringLiteral("ok");
        };
    };
    QString outro;
    std::thread filho([&] { outro = EmOutroProcesso(escrever(QStringLiteral("B"))); });
    const QString este = EmOutroProcesso(escrever(QStringLiteral("A")));
    filho.join();
    EXPECT_EQ(este, QStringLiteral("ok")) << este.toStdString();
    EXPECT_EQ(outro, QStringLiteral("ok"));

    JornalLocal j(f);
    const QList<EntradaJornal> p = j.Pendentes();
    ASSERT_EQ(p.size(), 2 * n);
    QSet<QString> tokens;
    QHash<QString, QDateTime> ultima;
    for (const EntradaJornal& e : p) {
        tokens.insert(e.Token);
        EXPECT_TRUE(!ultima.contains(e.Utilizador) || ultima[e.Utilizador] < e.DataHora);
        ultima[e.Utilizador] = e.DataHora;
    }
    EXPECT_EQ(tokens.size(), 2 * n);
    EXPECT_EQ(Integridade(f), QStringLiteral("ok"));
}

// A journal that cannot be written is an error naming the file and why; nothing is half written.
TEST_F(JornalLocal_, SemPastaSemPermissaoOuSemEspaco)
{
    const QString semPasta = QDir(m_pasta.path()).filePath(QStringLiteral("nao-ha/jornal.db"));
    EntradaJornal e = Entrada(QStringLiteral("AC007"), Em("08:00:00.000"));
    try {
        JornalLocal(semPasta).Acrescentar(e);
        ADD_FAILURE() << "no error";
    } catch (const ErroJornal& erro) {
        EXPECT_TRUE(erro.texto().contains(semPasta)) << erro.texto().toStdString();
        EXPECT_TRUE(erro.texto().contains(QStringLiteral("não existe"))) << erro.texto().toStdString();
    }

    // A folder this process may not write in (as root: after giving up root in the child).
    const QString pasta = m_pasta.path();
    const QString f = ficheiro();
    ::chmod(QFile::encodeName(pasta).constData(), 0555);
    const QString semPermissao = EmOutroProcesso([f] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return QStringLiteral("setuid");
        EntradaJornal x = Entrada(QStringLiteral("AC007"), Em("08:00:00.000"));
        JornalLocal(f).Acrescentar(x);
        return QStringLiteral("gravou");
    });
    ::chmod(QFile::encodeName(pasta).constData(), 0700);
    EXPECT_TRUE(semPermissao.startsWith(QStringLiteral("ErroJornal: Não foi possível"))) << semPermissao.toStdString();
    EXPECT_TRUE(semPermissao.contains(f)) << semPermissao.toStdString();

    // The disk fills up between two entries (a file-size limit in the child).
    const QString cheio = EmOutroProcesso([f] {
        JornalLocal j(f);
        EntradaJornal x = Entrada(QStringLiteral("AC007"), Em("08:00:00.000"));
        j.Acrescentar(x);
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limite{rlim_t(QFileInfo(f + QStringLiteral("-wal")).size()),
                            rlim_t(QFileInfo(f + QStringLiteral("-wal")).size())};
        ::setrlimit(RLIMIT_FSIZE, &limite);
        EntradaJornal y = Entrada(QStringLiteral("AC008"), Em("09:00:00.000"));
        j.Acrescentar(y);
        ::_exit(0);
        return QStringLiteral("gravou");
    });
    EXPECT_TRUE(cheio.startsWith(QStringLiteral("ErroJornal: Não foi possível guardar o registo no jornal ") + f))
        << cheio.toStdString();
    JornalLocal j(f);
    const QList<EntradaJornal> p = j.Pendentes();
    ASSERT_EQ(p.size(), 1);
    EXPECT_EQ(p[0].Funcao, QStringLiteral("AC007"));
    EXPECT_EQ(Integridade(f), QStringLiteral("ok"));
    EntradaJornal z = Entrada(QStringLiteral("AC009"), Em("10:00:00.000"));
    j.Acrescentar(z);
    EXPECT_EQ(j.NumeroPendentes(), 2);
}

// A journal deleted while the terminal runs: what it held and what comes after land in the new
// file instead of vanishing with the deleted one.
TEST_F(JornalLocal_, FicheiroApagadoEnquantoAberto)
{
    JornalLocal j(ficheiro());
    EntradaJornal a = Entrada(QStringLiteral("AC007"), Em("08:00:00.000"));
    EntradaJornal b = Entrada(QStringLiteral("AC008"), Em("09:00:00.000"));
    j.Acrescentar(a);
    j.Acrescentar(b);
    j.MarcarRecusada(b.Sequencia, QStringLiteral("recusado"));
    for (const char* sufixo : {"", "-wal", "-shm"})
        QFile::remove(ficheiro() + QString::fromLatin1(sufixo));
    EntradaJornal c = Entrada(QStringLiteral("AC009"), Em("10:00:00.000"));
    j.Acrescentar(c);

    JornalLocal outro(ficheiro());
    const QList<EntradaJornal> p = outro.Pendentes();
    ASSERT_EQ(p.size(), 2);
    EXPECT_EQ(p[0].Token, a.Token);
    EXPECT_EQ(p[1].Token, c.Token);
    ASSERT_EQ(outro.Recusadas().size(), 1);
    EXPECT_EQ(outro.Recusadas()[0].Mensagem, QStringLiteral("recusado"));
}

// A file that is not a journal is refused and left as it was.
TEST_F(JornalLocal_, FicheiroQueNaoEJornal)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("outra"));
        db.setDatabaseName(ficheiro());
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE oka_CabOrc (Fo TEXT)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("outra"));
    QFile f(ficheiro());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray antes = f.readAll();
    f.close();
    EntradaJornal e = Entrada(QStringLiteral("AC007"), Em("08:00:00.000"));
    try {
        JornalLocal(ficheiro()).Acrescentar(e);
        ADD_FAILURE() << "no error";
    } catch (const ErroJornal& erro) {
        EXPECT_TRUE(erro.texto().contains(QStringLiteral("não é um jornal"))) << erro.texto().toStdString();
    }
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll() == antes);
    EXPECT_FALSE(QFile::exists(ficheiro() + QStringLiteral("-wal")));
}
