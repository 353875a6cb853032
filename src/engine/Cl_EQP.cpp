#include "engine/Cl_EQP.h"

#include <utility>

#include "base/InteraccaoOperador.h"
#include "base/Rotinas.h"
#include "dataaccess/LigacaoDados.h"
#include "dataaccess/RegistosTerminal.h"

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

void Cl_EQP::setToken(const QString& token, const QString& terminal, const QString& funcao)
{
    m_token = TokenFuncao{token, terminal, funcao};
}

Cl_EQP::TokenFuncao Cl_EQP::TomarToken()
{
    m_jaGravada = false;
    return std::exchange(m_token, TokenFuncao{});
}

Cl_EQP::Desfecho Cl_EQP::Transacao(const TokenFuncao& token, const QDateTime& dataHora,
                                   const std::function<bool()>& corpo)
{
    // Thrown out of the body to roll a refused operation back, token included.
    struct Recusa
    {
    };
    Desfecho d = Desfecho::Recusado;
    try {
        bd().transacao([&] {
            d = Desfecho::Recusado;
            if (!token.token.isEmpty() &&
                !RegistosTerminal::Gravar(bd(), token.token, token.terminal, token.funcao, dataHora)) {
                d = Desfecho::JaFeito;
                return;
            }
            if (corpo()) {
                d = Desfecho::Feito;
                return;
            }
            if (!token.token.isEmpty()) throw Recusa{};
        });
    } catch (const Recusa&) {
        d = Desfecho::Recusado;
    }
    if (!token.token.isEmpty()) m_jaGravada = d == Desfecho::JaFeito;
    return d;
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

void Cl_EQP::LinhasAntesDoInicio(const QString& funcionario, QString& outIniciadas, QString& outFimDia)
{
    const Registos r = bd().consultar(
        QStringLiteral("SELECT 1 AS Tipo, oka_CabOrc.Fo AS NoFo, oka_LinFo_Ope.NoLinha, oka_Operacoes.OperNome,"
                       " oka_LinFo_Ope.Opera, oka_LinFo_Ope.Maquina") +
            LinhasEmCurso +
            QStringLiteral(" AND (oka_CabOrc.EstadoFo <> 4)"
                           " UNION ALL SELECT 2, NoFo, NoLinha, NULL, Opera, Maquina FROM oka_LinFo_Ope"
                           " WHERE (Estado = 8) AND (Func = ?)"
                           " ORDER BY Tipo, NoFo, NoLinha"),
        {funcionario, funcionario});
    QStringList iniciadas, fimDia;
    for (const auto& l : r) {
        if (l.inteiro("Tipo") == 1)
            iniciadas << QStringLiteral("Existe uma operação (") + l.texto("OperNome") +
                             QStringLiteral(") iniciada na obra ") + l.texto("NoFo");
        else
            fimDia << QStringLiteral("Obra ") + l.texto("NoFo") + QStringLiteral(" Operação:") + l.texto("Opera") +
                          QStringLiteral(" Maquina: ") + l.texto("Maquina");
    }
    outIniciadas = iniciadas.join(CRLF);
    outFimDia = fimDia.join(CRLF);
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

bool Cl_EQP::ActualizaSubEstado(const QString& obra, qint32 subEstado, const QDateTime& dataHora, const QString* notas)
{
    if (notas)
        return bd().executar(
                   QStringLiteral("UPDATE oka_CabOrc SET SubEstado = ?, DataActual = ?, Notas = ? WHERE Fo = ?"),
                   {subEstado, DataHoraBD(dataHora), TextoBD(*notas), obra}) > 0;
    return bd().executar(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = ?, DataActual = ? WHERE Fo = ?"),
                         {subEstado, DataHoraBD(dataHora), obra}) > 0;
}

// Serialises line numbering of one order: on SQLite the write transaction already holds the
// database; elsewhere the order's header row is locked until the transaction ends.
void Cl_EQP::BloquearOrdem(const QString& obra)
{
    if (bd().dialecto() != Dialecto::SQLite)
        bd().executar(QStringLiteral("UPDATE oka_CabOrc SET Fo = Fo WHERE Fo = ?"), {obra});
}
