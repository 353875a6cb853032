#include "controls/TentativasLogin.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUrl>

#include "base/PastaPrograma.h"

// One line per employee: the code (percent-encoded), the failures, the end of the lock and the
// time of the last change (both ISO 8601 in UTC, the lock empty when there is none), separated
// by tabs.
namespace {

QString data(const QDateTime& d)
{
    return d.isValid() ? d.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QDateTime lerData(const QString& t)
{
    QDateTime d = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (d.isValid()) d.setTimeSpec(Qt::UTC);
    return d;
}

} // namespace

QString TentativasLogin::caminho() const
{
    return QDir(PastaPrograma()).filePath(NomeFicheiro());
}

QHash<QString, TentativasLogin::Registo> TentativasLogin::lerFicheiro() const
{
    QHash<QString, Registo> r;
    QFile f(caminho());
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return r;
    // A few lines per employee at most; anything longer is not this file.
    const QByteArray dados = f.read(1 << 20);
    for (const QByteArray& linha : dados.split('\n')) {
        const QList<QByteArray> campos = linha.trimmed().split('\t');
        if (campos.size() != 4) continue;
        bool ok = false;
        Registo reg;
        reg.estado.falhas = campos[1].toInt(&ok);
        if (!ok || reg.estado.falhas < 0) continue;
        reg.estado.bloqueadoAte = lerData(QString::fromLatin1(campos[2]));
        reg.actualizado = lerData(QString::fromLatin1(campos[3]));
        r.insert(QUrl::fromPercentEncoding(campos[0]), reg);
    }
    return r;
}

TentativasLogin::Estado TentativasLogin::ler(const QString& codigo)
{
    const QHash<QString, Registo> ficheiro = lerFicheiro();
    const auto f = ficheiro.constFind(codigo);
    const auto m = m_memoria.constFind(codigo);
    if (m != m_memoria.constEnd() && (f == ficheiro.constEnd() || m->actualizado > f->actualizado)) return m->estado;
    return f == ficheiro.constEnd() ? Estado{} : f->estado;
}

bool TentativasLogin::gravar(const QString& codigo, const Estado& estado)
{
    const Registo novo{estado, QDateTime::currentDateTimeUtc()};
    m_memoria.insert(codigo, novo);

    QHash<QString, Registo> todos = lerFicheiro();
    if (estado.falhas == 0 && !estado.bloqueadoAte.isValid())
        todos.remove(codigo);
    else
        todos.insert(codigo, novo);
    QByteArray texto;
    for (auto i = todos.constBegin(); i != todos.constEnd(); ++i)
        texto += QUrl::toPercentEncoding(i.key()) + '\t' + QByteArray::number(i->estado.falhas) + '\t' +
                 data(i->estado.bloqueadoAte).toLatin1() + '\t' + data(i->actualizado).toLatin1() + '\n';
    QSaveFile f(caminho());
    if (!f.open(QIODevice::WriteOnly) || f.write(texto) != texto.size() || !f.commit()) {
        m_erro = QStringLiteral("Não foi possível gravar as tentativas de entrada em %1 (%2).")
                     .arg(caminho(), f.errorString());
        return false;
    }
    m_erro.clear();
    return true;
}
