#pragma once

#include "dataaccess/Registos.h"

class LigacaoDados;

// The suspension reasons of oka_Motivos.
class cl_Motivos
{
public:
    void setBid_lig(LigacaoDados* l) { m_bd = l; }
    LigacaoDados* bid_lig() const { return m_bd; }

    // Every reason: column 0 Motivo, column 1 codigo, ordered by the reason text.
    Registos Lista_Motivos();

private:
    LigacaoDados* m_bd = nullptr;
};
