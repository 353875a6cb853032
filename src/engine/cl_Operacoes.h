#pragma once

#include <QString>

#include "dataaccess/Registos.h"

class LigacaoDados;

// One operation of oka_Operacoes (Codigo is the numeric OperId as text) and the list of them.
class cl_Operacoes
{
public:
    QString Codigo;
    // The id as the table holds it, set by Ler ("10" for a Codigo of "010").
    QString CodigoLido;
    QString Descricao;

    void setBd_lig(LigacaoDados* l) { m_bd = l; }
    LigacaoDados* bd_lig() const { return m_bd; }

    // True when Codigo exists (Descricao its name, possibly empty); otherwise false, Descricao and
    // CodigoLido "".
    bool Ler();
    // Operations with a name: column 0 OperNome, column 1 OperId, ordered by name.
    Registos Lista_Operacoes();

private:
    LigacaoDados* m_bd = nullptr;
};

// An operation id as bound into statements: the number when the text is one, else the text.
QVariant IdOperacaoBD(const QString& codigo);
