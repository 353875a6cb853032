#pragma once

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QString>

#include <gtest/gtest.h>

// A database with one table and one row, left in rollback-journal mode, as another program may
// leave it (the terminal's own are in WAL mode).
inline void CriarSemWal(const QString& ficheiro)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("criar"));
        db.setDatabaseName(ficheiro);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE t (a INTEGER)")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO t VALUES (1)")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("criar"));
}

// Another program holding a SQLite database: python3's sqlite3 module runs `inicio` ("BEGIN" and
// a read hold a reader's lock; "BEGIN EXCLUSIVE" keeps writers out), holds it for `segundos` and
// rolls back. The process is killed when the object goes.
class OutroProcessoSqlite
{
public:
    ~OutroProcessoSqlite()
    {
        if (m_p.state() != QProcess::NotRunning) {
            m_p.kill();
            m_p.waitForFinished(5000);
        }
    }

    static QString python() { return QStandardPaths::findExecutable(QStringLiteral("python3")); }

    // True once the lock is held.
    bool segurar(const QString& ficheiro, const QString& inicio, double segundos)
    {
        m_p.start(python(), {QStringLiteral("-c"),
                             QStringLiteral("import sqlite3,sys,time\n"
                                            "c=sqlite3.connect(sys.argv[1],isolation_level=None,timeout=10)\n"
                                            "c.execute(sys.argv[2])\n"
                                            "c.execute('SELECT COUNT(*) FROM sqlite_master').fetchall()\n"
                                            "print('ok',flush=True)\n"
                                            "time.sleep(float(sys.argv[3]))\n"
                                            "c.execute('ROLLBACK')\n"),
                             ficheiro, inicio, QString::number(segundos)});
        return m_p.waitForReadyRead(10000) && m_p.readAll().startsWith("ok");
    }

    void esperar(int ms = 30000) { m_p.waitForFinished(ms); }

private:
    QProcess m_p;
};
