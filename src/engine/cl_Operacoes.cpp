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
    const Registos r = m_bd->consultar(QStringLiteral("SELECT OperNome, OperId FROM oka_Operacoes WHERE OperId = ?"),
                                       {IdOperacaoBD(Codigo)});
    Descricao = r.vazio() ? QString() : r.primeira().texto(0);
    return !r.vazio();
}

Registos cl_Operacoes::Lista_Operacoes()
{
    return m_bd->consultar(
        QStringLiteral("SELECT OperNome, OperId FROM oka_Operacoes WHERE OperNome > '' ORDER BY OperNome"));
}
