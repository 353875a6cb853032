#include "base/PastaPrograma.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString& pastaDefinida()
{
    static QString pasta;
    return pasta;
}
} // namespace

QString PastaPrograma()
{
    if (!pastaDefinida().isEmpty()) return pastaDefinida();
    const QString env = qEnvironmentVariable("TERMINAL_PASTA");
    if (!env.isEmpty()) return QDir(env).absolutePath();
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void DefinirPastaPrograma(const QString& pasta)
{
    pastaDefinida() = pasta;
}

QString CaminhoConfiguracao(const QString& ficheiro)
{
    return QDir::isAbsolutePath(ficheiro) ? ficheiro : QDir(PastaPrograma()).filePath(ficheiro);
}
