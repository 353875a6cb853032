#include "engine/cl_Maquinas.h"

#include "dataaccess/LigacaoDados.h"

Registos cl_Maquinas::Lista_maquinas()
{
    return m_bd->consultar(QStringLiteral("SELECT MaqNome, MaqId FROM oka_Maquinas ORDER BY MaqNome"));
}
