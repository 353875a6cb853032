#pragma once

#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

// The lines of today's daily log in `pasta`, each with its CR LF, as written (Latin-1).
inline QList<QByteArray> LinhasRegisto(const QString& pasta)
{
    QFile f(QDir(pasta).filePath(
        QStringLiteral("log-%1.txt").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")))));
    const QByteArray r = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    QList<QByteArray> linhas;
    qsizetype i = 0;
    while (i < r.size()) {
        const qsizetype fim = r.indexOf("\r\n", i);
        if (fim < 0) {
            linhas << r.mid(i);
            break;
        }
        linhas << r.mid(i, fim - i + 2);
        i = fim + 2;
    }
    return linhas;
}

// The fields of a log line after its time stamp: the four captions and the message (without
// "Mensagem:"), decoded from Latin-1.
inline QStringList CamposRegisto(const QByteArray& linha)
{
    QString t = QString::fromLatin1(linha);
    if (t.endsWith(QStringLiteral("\r\n"))) t.chop(2);
    QStringList campos = t.split(u'\t');
    if (campos.size() != 6) return campos;
    campos.removeFirst();
    campos.last().remove(0, QStringLiteral("Mensagem:").size());
    return campos;
}
