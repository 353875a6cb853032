#pragma once

#include <QString>

#include "dataaccess/Registos.h"

class LigacaoDados;

// One machine of oka_Maquinas, filled by Ler from Codigo, and the list of them.
class cl_Maquinas
{
public:
    QString Codigo;
    // The code as the table holds it, set by Ler (it may differ from Codigo in case or trailing
    // blanks where the database compares codes without them).
    QString CodigoLido;
    QString Descricao;

    void setBd_lig(LigacaoDados* l) { m_bd = l; }
    LigacaoDados* bd_lig() const { return m_bd; }

    // True when Codigo exists (Descricao its name); otherwise false, Descricao and CodigoLido "".
    bool Ler();
    // Every machine: column 0 MaqNome, column 1 MaqId, ordered by name.
    Registos Lista_maquinas();

private:
    LigacaoDados* m_bd = nullptr;
};
