#include "base/ErroSistema.h"

#include <cerrno>
#include <cstring>

QString TextoErroSistema(int codigo)
{
    switch (codigo) {
    case ENOSPC:
        return QStringLiteral("disco cheio");
    case EDQUOT:
        return QStringLiteral("quota do disco esgotada");
    case EFBIG:
        return QStringLiteral("o ficheiro excede o tamanho máximo permitido");
    case EACCES:
    case EPERM:
        return QStringLiteral("sem permissão");
    case EROFS:
        return QStringLiteral("disco só de leitura");
    case EIO:
        return QStringLiteral("erro de leitura ou escrita no disco");
    case ENOENT:
        return QStringLiteral("não existe");
    case ENOTDIR:
        return QStringLiteral("uma parte do caminho não é uma pasta");
    case EISDIR:
        return QStringLiteral("é uma pasta");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("demasiados ficheiros abertos");
    default:
        return QStringLiteral("erro do sistema %1: %2").arg(codigo).arg(QString::fromLocal8Bit(std::strerror(codigo)));
    }
}
