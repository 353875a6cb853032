#include "dataaccess/LerCI.h"

#include "dataaccess/LigacaoDados.h"

Currency LerCI(LigacaoDados& ligacao)
{
    const Registos r = ligacao.consultar(QStringLiteral("SELECT CI FROM  oka_Contador"));
    if (r.vazio()) return Currency();
    return r.primeira().moeda(0);
}
