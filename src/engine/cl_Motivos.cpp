#include "engine/cl_Motivos.h"

#include "dataaccess/LigacaoDados.h"

Registos cl_Motivos::Lista_Motivos()
{
    return m_bd->consultar(QStringLiteral("SELECT Motivo, codigo FROM oka_Motivos ORDER BY Motivo"));
}
