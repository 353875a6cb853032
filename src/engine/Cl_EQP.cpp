#include "engine/Cl_EQP.h"

#include "base/InteraccaoOperador.h"
#include "base/Rotinas.h"
#include "dataaccess/LigacaoDados.h"
#include "engine/cl_Funcionarios.h"
#include "engine/cl_Operacoes.h"

namespace {
const QString CRLF = QStringLiteral("\r\n");
}

bool Cl_EQP::OperadorIdentificado(const QString& inOperador, QString& outMensagem)
{
    if (!inOperador.isEmpty()) return true;
    outMensagem = QStringLiteral("Operador não indentificado !");
    return false;
}

bool Cl_EQP::OperadorEObraIdentificados(const QString& inOperador, const QString& inObra, QString& outMensagem)
{
    if (!OperadorIdentificado(inOperador, outMensagem)) return false;
    if (!inObra.isEmpty()) return true;
    outMensagem = QStringLiteral("Obra não indentificada !");
    return false;
}

LigacaoDados& Cl_EQP::bd() const
{
    if (!m_bd) throw ErroBD(QStringLiteral("Cl_EQP sem ligação à base de dados"));
    return *m_bd;
}

// A line the office prepared (HoraInicio = 0 and Total = 0) is no running operation, whatever its
// state: nothing can end it, only a start takes it over.
const QString Cl_EQP::LinhasEmCurso =
    QStringLiteral(" FROM oka_CabOrc INNER JOIN"
                   " oka_LinFo_Ope ON oka_CabOrc.Fo = oka_LinFo_Ope.NoFo INNER JOIN"
                   " oka_Operacoes ON oka_LinFo_Ope.Opera = oka_Operacoes.OperId"
                   " WHERE (oka_LinFo_Ope.Func = ?) AND (oka_LinFo_Ope.Estado = 1)"
                   " AND NOT (oka_LinFo_Ope.HoraInicio = 0 AND oka_LinFo_Ope.Total = 0)");

const QString Cl_EQP::AbertaIniciada = QStringLiteral("HoraFim = 0 AND Total = 0 AND HoraInicio <> 0");

// Running lines (state 1) of the employee on orders that are not closed: Fo, OperNome.
Registos Cl_EQP::OperacoesIniciadas(const QString& funcionario)
{
    return bd().consultar(QStringLiteral("SELECT oka_CabOrc.Fo, oka_Operacoes.OperNome") + LinhasEmCurso +
                              QStringLiteral(" AND (oka_CabOrc.EstadoFo <> 4) ORDER BY oka_LinFo_Ope.NoFo, "
                                             "oka_LinFo_Ope.NoLinha"),
                          {funcionario});
}

bool Cl_EQP::ExisteOperacaoIniciada(const QString& funcionario, QString& outTexto)
{
    outTexto.clear();
    QStringList linhas;
    for (const auto& l : OperacoesIniciadas(funcionario))
        linhas << QStringLiteral("Existe uma operação (") + l.texto("OperNome") +
                      QStringLiteral(") iniciada na obra ") + l.texto("Fo");
    outTexto = linhas.join(CRLF);
    return !linhas.isEmpty();
}

bool Cl_EQP::ExisteObrasEmFimDia(const QString& funcionario, QString& outTexto)
{
    try {
        const Registos r = bd().consultar(QStringLiteral("SELECT Estado, NoFo, NoLinha, Opera, Maquina, Func"
                                                         " FROM oka_LinFo_Ope WHERE (Estado = 8) AND (Func = ?)"
                                                         " ORDER BY NoFo, NoLinha"),
                                          {funcionario});
        if (r.vazio()) return false;
        QStringList linhas;
        for (const auto& l : r)
            linhas << QStringLiteral("Obra ") + l.texto("NoFo") + QStringLiteral(" Operação:") + l.texto("Opera") +
                          QStringLiteral(" Maquina: ") + l.texto("Maquina");
        outTexto = linhas.join(CRLF);
        return true;
    } catch (const ErroBD& e) {
        MostrarErro(e, QStringLiteral(" "), QStringLiteral("Na função ExisteObrasEmFimDia do Módulo de classe Cl_EQP"));
        outTexto.clear();
        return false;
    }
}

// "Erro <n>" + separator + "(<text>)" + CR LF + footer, in the system message box.
void Cl_EQP::MostrarErro(const ErroBD& e, const QString& separador, const QString& rodape)
{
    if (!m_operador) return;
    const QString numero = e.codigoNativo().isEmpty() ? QStringLiteral("0") : e.codigoNativo();
    m_operador->MensagemSistema(QStringLiteral("Erro ") + numero + separador + QStringLiteral("(") + e.texto() +
                                    QStringLiteral(")") + CRLF + rodape,
                                2);
}

bool Cl_EQP::ActualizaSubEstado(const QString& obra, qint32 subEstado, const QDateTime& dataHora)
{
    return bd().executar(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = ?, DataActual = ? WHERE Fo = ?"),
                         {subEstado, DataHoraBD(dataHora), obra}) > 0;
}

QString Cl_EQP::LerNomeOperacao(const QString& operacao)
{
    cl_Operacoes op;
    op.setBd_lig(m_bd);
    op.Codigo = operacao;
    op.Ler();
    return op.Descricao;
}

// Serialises line numbering of one order: on SQLite the write transaction already holds the
// database; elsewhere the order's header row is locked until the transaction ends.
void Cl_EQP::BloquearOrdem(const QString& obra)
{
    if (bd().dialecto() != Dialecto::SQLite)
        bd().executar(QStringLiteral("UPDATE oka_CabOrc SET Fo = Fo WHERE Fo = ?"), {obra});
}

qint32 Cl_EQP::ProximoNumeroLinha(const QString& obra)
{
    const Registos r = bd().consultar(QStringLiteral("SELECT MAX(NoLinha) FROM oka_LinFo_Ope WHERE NoFo = ?"), {obra});
    return r.vazio() ? 1 : qint32(r.primeira().inteiro(0)) + 1;
}

Currency Cl_EQP::CustoHoraFuncionario(const QString& funcionario)
{
    cl_Funcionarios f;
    f.setBd_lig(m_bd);
    f.Codigo = funcionario;
    return f.Ler() ? f.CustoHora : Currency();
}

Currency Cl_EQP::CustoHoraMaquina(const QString& maquina)
{
    const Registos r = bd().consultar(QStringLiteral("SELECT CustoHora FROM oka_Maquinas WHERE MaqId = ?"), {maquina});
    return r.vazio() ? Currency() : r.primeira().moeda(0);
}

void Cl_EQP::GravaNotasObra(const QString& obra, const QString& texto)
{
    bd().executar(QStringLiteral("UPDATE oka_CabOrc SET Notas = ? WHERE Fo = ?"), {TextoBD(texto), obra});
}
