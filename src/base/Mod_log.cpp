#include "base/Mod_log.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <QDate>
#include <QDir>
#include <QFile>

#include "base/ErroSistema.h"
#include "base/PastaPrograma.h"
#include "base/Rotinas.h"

namespace {
std::function<QDateTime()>& relogio()
{
    static std::function<QDateTime()> r;
    return r;
}
} // namespace

void DefinirRelogioLog(std::function<QDateTime()> r)
{
    relogio() = std::move(r);
}

namespace {
// A field kept on its line: each line break in it (CR LF, LF or CR) becomes " | ".
QString numaLinha(const QString& campo)
{
    if (!campo.contains(u'\r') && !campo.contains(u'\n')) return campo;
    QString r;
    r.reserve(campo.size() + 8);
    for (qsizetype i = 0; i < campo.size(); ++i) {
        const QChar c = campo[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < campo.size() && campo[i + 1] == u'\n') ++i;
            r += QStringLiteral(" | ");
        } else {
            r += c;
        }
    }
    return r;
}
} // namespace

QString LinhaLog(const QString& campo1, const QString& campo2, const QString& campo3, const QString& campo4,
                 const QString& campo5, const QString& mensagem)
{
    const QChar tab(u'\t');
    return numaLinha(campo1) + tab + numaLinha(campo2) + tab + numaLinha(campo3) + tab + numaLinha(campo4) + tab +
           numaLinha(campo5) + tab + QStringLiteral("Mensagem:") + numaLinha(mensagem);
}

bool EscreverLog(const QString& campo1, const QString& campo2, const QString& campo3, const QString& campo4,
                 const QString& campo5, const QString& mensagem, QString* erro)
{
    const QDate hoje = relogio() ? relogio()().date() : QDate::currentDate();
    const QString nome =
        QDir(PastaPrograma()).filePath(QStringLiteral("log-%1.txt").arg(hoje.toString(QStringLiteral("yyyy-MM-dd"))));
    auto falha = [&](int codigo) {
        if (erro)
            *erro = QStringLiteral("Não foi possível escrever no registo diário %1 (%2).")
                        .arg(nome, TextoErroSistema(codigo));
        return false;
    };
    const QByteArray linha =
        (LinhaLog(campo1, campo2, campo3, campo4, campo5, mensagem) + QStringLiteral("\r\n")).toLatin1();
    const int fd = ::open(QFile::encodeName(nome).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return falha(errno);
    // The whole line in one write. When the disk fills in the middle of it, what went in is cut off
    // again, so that the file never ends in half a line without its CR LF.
    qsizetype escritos = 0;
    int codigo = 0;
    while (escritos < linha.size()) {
        const ssize_t n = ::write(fd, linha.constData() + escritos, size_t(linha.size() - escritos));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            codigo = n < 0 ? errno : ENOSPC;
            break;
        }
        escritos += n;
    }
    if (codigo != 0 && escritos > 0) {
        const off_t fim = ::lseek(fd, 0, SEEK_CUR);
        if (fim >= off_t(escritos) && ::ftruncate(fd, fim - off_t(escritos)) != 0) {
            // Nothing more to do: the reason given below is the first one.
        }
    }
    if (::close(fd) != 0 && codigo == 0) codigo = errno;
    if (codigo != 0) return falha(codigo);
    return true;
}
