#pragma once

#include "dataaccess/Registos.h"

class LigacaoDados;

// The machines of oka_Maquinas.
class cl_Maquinas
{
public:
    void setBd_lig(LigacaoDados* l) { m_bd = l; }
    LigacaoDados* bd_lig() const { return m_bd; }

    // Every machine: column 0 MaqNome, column 1 MaqId, ordered by name.
    Registos Lista_maquinas();

private:
    LigacaoDados* m_bd = nullptr;
};
