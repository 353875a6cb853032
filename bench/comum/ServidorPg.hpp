#pragma once
// A throwaway PostgreSQL server of our own (initdb into a temporary folder as user postgres,
// loopback port, fsync off) that a fault test may stop and start again. Never the shared one.
// Needs root (to run the server as postgres) and the PostgreSQL server binaries. Header only.

#include "LigacaoBench.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>

#include <memory>

namespace bench {

class ServidorPg
{
public:
    ServidorPg() = default;
    ~ServidorPg()
    {
        if (m_iniciado)
            parar(true);
        if (m_pasta)
            m_pasta->remove();
    }
    ServidorPg(const ServidorPg&) = delete;
    ServidorPg& operator=(const ServidorPg&) = delete;

    // Empty when this machine can run one; otherwise why not.
    static QString impedimento()
    {
        if (::geteuid() != 0)
            return QStringLiteral("needs root to run a server as user postgres");
        if (!::getpwnam("postgres"))
            return QStringLiteral("no user postgres");
        if (binario("initdb").isEmpty() || binario("pg_ctl").isEmpty())
            return QStringLiteral("initdb / pg_ctl not found");
        return {};
    }

    // initdb and start; false with the reason in `erro`.
    bool iniciar(QString* erro)
    {
        const QString porque = impedimento();
        if (!porque.isEmpty()) {
            if (erro)
                *erro = porque;
            return false;
        }
        m_pasta = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/terminal-pg-XXXXXX"));
        if (!m_pasta->isValid()) {
            if (erro)
                *erro = QStringLiteral("no temporary folder");
            return false;
        }
        const passwd* pw = ::getpwnam("postgres");
        if (::chown(QFile::encodeName(m_pasta->path()).constData(), pw->pw_uid, pw->pw_gid) != 0) {
            if (erro)
                *erro = QStringLiteral("chown of the temporary folder failed");
            return false;
        }
        QString saida;
        if (!correr(binario("initdb"),
                    {QStringLiteral("-D"), dados(), QStringLiteral("-U"), QStringLiteral("postgres"),
                     QStringLiteral("--auth=trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                     QStringLiteral("--no-sync"), QStringLiteral("--locale=C")},
                    &saida, 120000)) {
            if (erro)
                *erro = QStringLiteral("initdb failed: ") + saida;
            return false;
        }
        for (int tentativa = 0; tentativa < 8; ++tentativa) {
            m_porta = 56200 + int((QCoreApplication::applicationPid() * 7 + tentativa * 131) % 3000);
            if (arrancar(&saida)) {
                m_iniciado = true;
                return true;
            }
        }
        if (erro)
            *erro = QStringLiteral("the server did not start: ") + saida;
        return false;
    }

    // Starts the server again after parar().
    bool arrancar(QString* saida = nullptr)
    {
        QString s;
        const bool ok = correr(binario("pg_ctl"),
                               {QStringLiteral("-D"), dados(), QStringLiteral("-l"), m_pasta->filePath(QStringLiteral("log")),
                                QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-o"),
                                QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off "
                                               "-c max_connections=100 -c full_page_writes=off")
                                    .arg(m_porta)
                                    .arg(m_pasta->path()),
                                QStringLiteral("start")},
                               &s, 90000);
        if (saida)
            *saida = s;
        m_iniciado = m_iniciado || ok;
        return ok;
    }

    // Stops the server: immediate (as a crash or a pulled cable would) or fast.
    bool parar(bool imediato)
    {
        QString s;
        return correr(binario("pg_ctl"),
                      {QStringLiteral("-D"), dados(), QStringLiteral("-m"),
                       imediato ? QStringLiteral("immediate") : QStringLiteral("fast"), QStringLiteral("-w"),
                       QStringLiteral("stop")},
                      &s, 60000);
    }

    int porta() const { return m_porta; }
    ParametrosLigacao parametros(const QString& esquema = {}) const
    {
        return parametrosPg(QStringLiteral("127.0.0.1"), m_porta, QStringLiteral("postgres"), QStringLiteral("postgres"),
                            esquema);
    }

private:
    QString dados() const { return m_pasta->filePath(QStringLiteral("data")); }

    static QString binario(const char* nome)
    {
        QString b = QStandardPaths::findExecutable(QString::fromLatin1(nome));
        if (!b.isEmpty())
            return b;
        const QStringList versoes = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
        for (const QString& v : versoes) {
            const QString c = QStringLiteral("/usr/lib/postgresql/%1/bin/%2").arg(v, QString::fromLatin1(nome));
            if (QFileInfo(c).isExecutable())
                return c;
        }
        return {};
    }

    // Runs a PostgreSQL tool as user postgres.
    static bool correr(const QString& programa, const QStringList& args, QString* saida, int msMax)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setWorkingDirectory(QDir::tempPath());
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), programa} + args);
        const bool terminou = p.waitForFinished(msMax);
        if (saida)
            *saida = QString::fromLocal8Bit(p.readAll()).trimmed();
        if (!terminou) {
            p.kill();
            p.waitForFinished(5000);
            return false;
        }
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    std::unique_ptr<QTemporaryDir> m_pasta;
    int m_porta = 0;
    bool m_iniciado = false;
};

} // namespace bench
