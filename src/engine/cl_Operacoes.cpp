#include "engine/cl_Operacoes.h"

#include "dataaccess/LigacaoDados.h"

QVariant IdOperacaoBD(const QString& codigo)
{
    bool ok = false;
    const int n = codigo.trimmed().toInt(&ok);
    return ok ? QVariant(n) : QVariant(codigo);
}

bool cl_Operacoes::Ler()
{
    // Ids are whole numbers: other text names no operation (and a server would refuse to compare
    // it with the numeric column).
    if (IdOperacaoBD(Codigo).typeId() != QMetaType::Int) {
        Descricao.clear();
        CodigoLido.clear();
        return false;
    }
    const Registos r = m_bd->consultar(QStringLiteral("SELECT OperNome, OperId FROM oka_Operacoes WHERE OperId = ?"),
                                       {IdOperacaoBD(Codigo)});
    Descricao = r.vazio() ? QString() : r.primeira().texto(0);
    CodigoLido = r.vazio() ? QString() : r.primeira().texto(1);
    return !r.vazio();
}

Registos cl_Operacoes::Lista_Operacoes()
{
    return m_bd->consultar(
        QStringLiteral("SELECT OperNome, OperId FROM oka_Operacoes WHERE OperNome > '' ORDER BY OperNome"));
}
