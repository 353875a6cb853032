#include "screens/InteraccaoEcra.h"

#include <QGuiApplication>

#include "screens/frmDefinicoesBD.h"
#include "screens/frmDefinicoesKova.h"

namespace {

// A dialog opened while start-up shows the busy pointer gets the normal one.
class PonteiroNormal
{
public:
    PonteiroNormal() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~PonteiroNormal() { QGuiApplication::restoreOverrideCursor(); }
};

} // namespace

bool InteraccaoEcra::EditarDefinicoesKova(ValoresKova& valores)
{
    PonteiroNormal ponteiro;
    frmDefinicoesKova dialogo(valores, pai());
    if (dialogo.exec() != QDialog::Accepted) return false;
    valores = dialogo.valores();
    return true;
}

bool InteraccaoEcra::EditarDefinicoesBD(DefinicoesBD& definicoes, const QString& bdSql)
{
    PonteiroNormal ponteiro;
    frmDefinicoesBD dialogo(definicoes, bdSql, pai());
    if (dialogo.exec() != QDialog::Accepted) return false;
    definicoes = dialogo.definicoes();
    return true;
}
