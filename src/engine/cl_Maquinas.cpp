#include "engine/cl_Maquinas.h"

#include "dataaccess/LigacaoDados.h"

bool cl_Maquinas::Ler()
{
    const Registos r =
        m_bd->consultar(QStringLiteral("SELECT MaqNome, MaqId FROM oka_Maquinas WHERE MaqId = ?"), {Codigo});
    Descricao = r.vazio() ? QString() : r.primeira().texto(0);
    CodigoLido = r.vazio() ? QString() : r.primeira().texto(1);
    return !r.vazio();
}

Registos cl_Maquinas::Lista_maquinas()
{
    return m_bd->consultar(QStringLiteral("SELECT MaqNome, MaqId FROM oka_Maquinas ORDER BY MaqNome"));
}
