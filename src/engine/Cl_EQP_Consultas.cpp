#include "base/Rotinas.h"
#include "dataaccess/LigacaoDados.h"
#include "engine/Cl_EQP.h"

bool Cl_EQP::Existe_FolhaObra(const QString& in_ordem, qint32& out_Estado, qint32& out_SubEstado)
{
    const Registos r =
        bd().consultar(QStringLiteral("SELECT Fo, EstadoFo, SubEstado FROM oka_CabOrc WHERE Fo = ?"), {in_ordem});
    if (r.vazio()) {
        out_Estado = 9;
        return false;
    }
    out_Estado = NumeroOuZero(r.primeira().valor("EstadoFo"));
    out_SubEstado = NumeroOuZero(r.primeira().valor("SubEstado"));
    return true;
}

QString Cl_EQP::aNumeroProcessoDaOrdem(const QString& CM_NumeroDaOrdem)
{
    try {
        const Registos r =
            bd().consultar(QStringLiteral("SELECT Processo FROM oka_CabOrc WHERE Fo = ?"), {CM_NumeroDaOrdem});
        return r.vazio() ? QString() : r.primeira().texto(0);
    } catch (const ErroBD& e) {
        MostrarErro(e, QStringLiteral("\r\n"), QStringLiteral("Na função aNumeroProcessoDaOrdem do Cl_EQP"));
        return QString();
    }
}

Registos Cl_EQP::ListaOperacoesUtilizador(const QString& funcionario)
{
    return bd().consultar(QStringLiteral("SELECT oka_CabOrc.Fo, oka_Operacoes.OperNome,"
                                         " CASE oka_CabOrc.EstadoFo WHEN 1 THEN '' ELSE ? END AS estado") +
                              LinhasEmCurso + QStringLiteral(" ORDER BY oka_LinFo_Ope.NoFo, oka_LinFo_Ope.NoLinha"),
                          {QStringLiteral("(ORDEM JÁ TERMINADA)"), funcionario});
}

Registos Cl_EQP::ListaOrdensPorFUncionario(const QString& UserId)
{
    Q_UNUSED(UserId);
    return bd().consultar(QStringLiteral("SELECT Fo FROM oka_CabOrc WHERE EstadoFo <> 4 AND Fo > '' ORDER BY Fo"));
}
