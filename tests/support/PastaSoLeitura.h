#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QString>

// Makes a folder read-only for as long as the object lives: files in it can be read and none
// can be created, replaced or removed. chmod is enough for an ordinary user; root ignores it,
// so the folder is also made immutable (ext4 and the like). `efectiva()` tells whether writing
// really fails here.
class PastaSoLeitura
{
public:
    explicit PastaSoLeitura(const QString& pasta) : m_pasta(pasta)
    {
        ::chmod(QFile::encodeName(m_pasta).constData(), 0555);
        if (!podeEscrever()) {
            m_efectiva = true;
            return;
        }
        m_imutavel = mudarImutavel(true);
        m_efectiva = !podeEscrever();
    }
    ~PastaSoLeitura()
    {
        if (m_imutavel) mudarImutavel(false);
        ::chmod(QFile::encodeName(m_pasta).constData(), 0755);
    }
    PastaSoLeitura(const PastaSoLeitura&) = delete;
    PastaSoLeitura& operator=(const PastaSoLeitura&) = delete;

    bool efectiva() const { return m_efectiva; }

private:
    bool podeEscrever() const
    {
        QFile sonda(QDir(m_pasta).filePath(QStringLiteral(".sonda-escrita")));
        if (!sonda.open(QIODevice::WriteOnly)) return false;
        sonda.close();
        sonda.remove();
        return true;
    }
    bool mudarImutavel(bool ligar) const
    {
        const int fd = ::open(QFile::encodeName(m_pasta).constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = ligar ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }

    QString m_pasta;
    bool m_imutavel = false;
    bool m_efectiva = false;
};
