#include "dataaccess/CifraSenha.h"

#include <sodium.h>

#include "base/Actividade.h"

namespace {

QByteArray canonica(const QString& senha)
{
    return senha.normalized(QString::NormalizationForm_KC).toUpper().toUtf8();
}

bool iniciar()
{
    static const bool ok = sodium_init() >= 0;
    return ok;
}

} // namespace

QString CifraSenha::Cifrar(const QString& senha)
{
    if (!iniciar()) return {};
    const QByteArray texto = canonica(senha);
    char saida[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(saida, texto.constData(), quint64(texto.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return {};
    return QString::fromLatin1(saida);
}

bool CifraSenha::Verificar(const QString& digitada, const QString& guardada)
{
    if (!iniciar() || guardada.isEmpty()) return false;
    const QByteArray texto = canonica(digitada);
    const QByteArray hash = guardada.toLatin1();
    if (hash.size() >= crypto_pwhash_STRBYTES) return false;
    // The check takes a noticeable moment by design: one for the busy indicator before and after.
    Actividade::Pulsar();
    const bool certa = crypto_pwhash_str_verify(hash.constData(), texto.constData(), quint64(texto.size())) == 0;
    Actividade::Pulsar();
    return certa;
}
