#pragma once

#include <QString>

#include "base/Currency.h"
#include "dataaccess/Registos.h"

class LigacaoDados;

// One employee of oka_Funcionarios, filled by Ler from Codigo.
class cl_Funcionarios
{
public:
    QString Codigo;
    // The code as the table holds it, set by Ler: it may differ from Codigo in case or trailing
    // blanks where the database compares codes without them.
    QString CodigoLido;
    QString Nome;
    qint16 Nivel = 0;
    Currency CustoHora;

    void setBd_lig(LigacaoDados* l) { m_bd = l; }
    LigacaoDados* bd_lig() const { return m_bd; }

    // True when Codigo exists; otherwise false with Nome, Nivel, CustoHora and the password reset.
    bool Ler();
    // Every employee: column 0 Nome, column 1 Codigo, ordered by name.
    Registos Lista_Funcionarios();
    // True when `digitada` is the password read by Ler (case-insensitive); false without one.
    bool VerificarSenha(const QString& digitada) const;

private:
    LigacaoDados* m_bd = nullptr;
    QString m_senhaGuardada;
};
