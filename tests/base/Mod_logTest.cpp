#include "base/Mod_log.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/PastaPrograma.h"
#include "base/Rotinas.h"

class Mod_log : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pasta.isValid());
        DefinirPastaPrograma(m_pasta.path());
    }
    void TearDown() override
    {
        DefinirRelogioLog({});
        DefinirPastaPrograma({});
    }
    QByteArray conteudo(const QString& nome) const
    {
        QFile f(QDir(m_pasta.path()).filePath(nome));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<em falta>");
    }
    void relogio(const QDateTime& d)
    {
        DefinirRelogioLog([d] { return d; });
    }

    QTemporaryDir m_pasta;
};

TEST_F(Mod_log, LinhaEmLatin1ComCRLFeMensagemColada)
{
    relogio(QDateTime(QDate(2026, 12, 5), QTime(10, 0, 0)));
    QString erro;
    ASSERT_TRUE(EscreverLog(QStringLiteral("05/12/2026 - 10:00:00"), QStringLiteral("Utilizador: João Gonçalves"),
                            QStringLiteral("Obra: 26001"), QStringLiteral("Função: Iniciar Operação"),
                            QStringLiteral("Maquina: Torno CNC"), QStringLiteral("Já tem operações a decorrer"), &erro))
        << erro.toStdString();
    EXPECT_EQ(conteudo(QStringLiteral("log-2026-12-05.txt")),
              QByteArray("05/12/2026 - 10:00:00\tUtilizador: Jo\xE3o Gon\xE7\x61lves\tObra: 26001\t"
                         "Fun\xE7\xE3o: Iniciar Opera\xE7\xE3o\tMaquina: Torno CNC\tMensagem:J\xE1 tem opera\xE7\xF5"
                         "es a decorrer\r\n"));

    // Later calls the same day append; empty fields leave five tabs.
    ASSERT_TRUE(EscreverLog({}, {}, {}, {}, {}, QStringLiteral("sem contexto")));
    const QByteArray tudo = conteudo(QStringLiteral("log-2026-12-05.txt"));
    EXPECT_TRUE(tudo.endsWith("\r\n\t\t\t\t\tMensagem:sem contexto\r\n"));
    EXPECT_EQ(QDir(m_pasta.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(Mod_log, UmaLinhaPorChamadaComAsQuebrasDeLinhaDeUmCampoComoBarra)
{
    // A question listing the running operations carries CR LF; any line break inside a field
    // (CR LF, LF or CR alone) is written as " | ", so one call is always one line.
    relogio(QDateTime(QDate(2026, 12, 5), QTime(10, 0, 0)));
    ASSERT_TRUE(EscreverLog(QStringLiteral("05/12/2026 - 10:00:00"), QStringLiteral("Utilizador:Ana\nSilva"), {}, {},
                            {}, QStringLiteral("Utilizador com uma ordem já inciada!\r\nObra 1001\rObra 1002\n")));
    ASSERT_TRUE(EscreverLog({}, {}, {}, {}, {}, QStringLiteral("\r\n\r\nfim")));
    EXPECT_EQ(conteudo(QStringLiteral("log-2026-12-05.txt")),
              QByteArray("05/12/2026 - 10:00:00\tUtilizador:Ana | Silva\t\t\t\tMensagem:Utilizador com uma ordem "
                         "j\xE1 inciada! | Obra 1001 | Obra 1002 | \r\n\t\t\t\t\tMensagem: |  | fim\r\n"));
    EXPECT_EQ(LinhaLog(QStringLiteral("a\r\nb"), {}, {}, {}, {}, {}), QStringLiteral("a | b\t\t\t\t\tMensagem:"));
}

TEST_F(Mod_log, FicheiroDoDiaEmQueSeEscreve)
{
    // Field 1 taken at 23:59:59, the line written after midnight: it belongs to the new day's file.
    relogio(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)));
    ASSERT_TRUE(EscreverLog(QStringLiteral("31/12/2026 - 23:59:59"), {}, {}, {}, {}, QStringLiteral("antes")));
    relogio(QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0)));
    ASSERT_TRUE(EscreverLog(QStringLiteral("31/12/2026 - 23:59:59"), {}, {}, {}, {}, QStringLiteral("depois")));
    EXPECT_EQ(conteudo(QStringLiteral("log-2026-12-31.txt")),
              QByteArray("31/12/2026 - 23:59:59\t\t\t\t\tMensagem:antes\r\n"));
    EXPECT_EQ(conteudo(QStringLiteral("log-2027-01-01.txt")),
              QByteArray("31/12/2026 - 23:59:59\t\t\t\t\tMensagem:depois\r\n"));

    // Without a clock of its own the file is named from the system date.
    DefinirRelogioLog({});
    const QDate antes = QDate::currentDate();
    ASSERT_TRUE(EscreverLog({}, {}, {}, {}, {}, QStringLiteral("hoje")));
    const QDate depois = QDate::currentDate();
    const QStringList nomes = QDir(m_pasta.path()).entryList({QStringLiteral("log-*.txt")}, QDir::Files);
    EXPECT_TRUE(nomes.contains(QStringLiteral("log-%1.txt").arg(antes.toString(Qt::ISODate))) ||
                nomes.contains(QStringLiteral("log-%1.txt").arg(depois.toString(Qt::ISODate))))
        << nomes.join(u',').toStdString();
}

TEST_F(Mod_log, PastaSemEscritaDevolveFalsoComMotivo)
{
    // A file where the folder should be: cannot be written even by root.
    const QString falsaPasta = QDir(m_pasta.path()).filePath(QStringLiteral("ficheiro"));
    QFile f(falsaPasta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    DefinirPastaPrograma(falsaPasta);
    QString erro;
    EXPECT_FALSE(EscreverLog({}, {}, {}, {}, {}, QStringLiteral("x"), &erro));
    EXPECT_TRUE(erro.contains(falsaPasta)) << erro.toStdString();
    EXPECT_FALSE(EscreverLog({}, {}, {}, {}, {}, QStringLiteral("x"))); // no message wanted: still no crash
}

// A full disk is named as such (the day's file made a link to /dev/full, which always answers
// "no space left").
TEST_F(Mod_log, DiscoCheioDizOMotivo)
{
    if (!QFile::exists(QStringLiteral("/dev/full"))) GTEST_SKIP() << "/dev/full is not available here";
    relogio(QDateTime(QDate(2026, 12, 5), QTime(10, 0, 0)));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), QDir(m_pasta.path()).filePath("log-2026-12-05.txt")));
    QString erro;
    EXPECT_FALSE(EscreverLog({}, {}, {}, {}, {}, QStringLiteral("x"), &erro));
    EXPECT_TRUE(erro.contains(QStringLiteral("disco cheio"))) << erro.toStdString();
}

// The disk fills in the middle of a line (a file-size limit in a child process cuts the write
// short): the line is either whole or not there, and the file is as it was before the call.
TEST_F(Mod_log, EscritaCortadaNaoDeixaMeiaLinha)
{
    relogio(QDateTime(QDate(2026, 12, 5), QTime(10, 0, 0)));
    ASSERT_TRUE(EscreverLog(QStringLiteral("05/12/2026 - 09:59:00"), {}, {}, {}, {}, QStringLiteral("antes")));
    const QByteArray antes = conteudo(QStringLiteral("log-2026-12-05.txt"));

    int tubo[2];
    ASSERT_EQ(::pipe(tubo), 0);
    const pid_t filho = ::fork();
    ASSERT_GE(filho, 0);
    if (filho == 0) {
        ::close(tubo[0]);
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limite{rlim_t(antes.size() + 10), rlim_t(antes.size() + 10)};
        ::setrlimit(RLIMIT_FSIZE, &limite);
        QString erro;
        const bool ok = EscreverLog(QStringLiteral("05/12/2026 - 10:00:00"), QStringLiteral("Utilizador: Ana"),
                                    QStringLiteral("Obra: 26001"), {}, {}, QStringLiteral("depois"), &erro);
        const QByteArray texto = (ok ? QStringLiteral("ok") : erro).toUtf8();
        [[maybe_unused]] const ssize_t n = ::write(tubo[1], texto.constData(), size_t(texto.size()));
        ::_exit(0);
    }
    ::close(tubo[1]);
    QByteArray relatorio;
    char bloco[512];
    for (ssize_t n; (n = ::read(tubo[0], bloco, sizeof bloco)) > 0;)
        relatorio.append(bloco, n);
    ::close(tubo[0]);
    int estado = 0;
    ASSERT_EQ(::waitpid(filho, &estado, 0), filho);
    EXPECT_NE(relatorio, QByteArray("ok"));
    EXPECT_FALSE(relatorio.contains("Unknown error")) << relatorio.toStdString();
    EXPECT_TRUE(relatorio.contains("log-2026-12-05.txt")) << relatorio.toStdString();
    EXPECT_EQ(conteudo(QStringLiteral("log-2026-12-05.txt")).toStdString(), antes.toStdString());

    // The next line, with room again, follows the last whole one.
    ASSERT_TRUE(EscreverLog(QStringLiteral("05/12/2026 - 10:01:00"), {}, {}, {}, {}, QStringLiteral("mais")));
    EXPECT_EQ(conteudo(QStringLiteral("log-2026-12-05.txt")).toStdString(),
              (antes + "05/12/2026 - 10:01:00\t\t\t\t\tMensagem:mais\r\n").toStdString());
}
