#include "engine/cl_Funcionarios.h"

#include "dataaccess/CifraSenha.h"
#include "dataaccess/LigacaoDados.h"

bool cl_Funcionarios::Ler()
{
    const Registos r = m_bd->consultar(
        QStringLiteral("SELECT CustoHora, FuncNome, Senha, Nivel, FuncId FROM oka_Funcionarios WHERE FuncId = ?"),
        {Codigo});
    if (r.vazio()) {
        CodigoLido.clear();
        CustoHora = Currency();
        Nivel = 0;
        m_senhaGuardada.clear();
        Nome.clear();
        return false;
    }
    const auto l = r.primeira();
    CustoHora = l.moeda("CustoHora");
    Nivel = qint16(l.inteiro("Nivel"));
    m_senhaGuardada = l.texto("Senha");
    Nome = l.texto("FuncNome");
    CodigoLido = l.texto("FuncId");
    return true;
}

Registos cl_Funcionarios::Lista_Funcionarios()
{
    return m_bd->consultar(
        QStringLiteral("SELECT FuncNome AS Nome, FuncId AS Codigo FROM oka_Funcionarios ORDER BY FuncNome"));
}

bool cl_Funcionarios::VerificarSenha(const QString& digitada) const
{
    return !m_senhaGuardada.isEmpty() && CifraSenha::Verificar(digitada, m_senhaGuardada);
}
