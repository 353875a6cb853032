#include "base/Rotinas.h"
#include "dataaccess/LigacaoDados.h"
#include "engine/Cl_EQP.h"
#include "engine/cl_Operacoes.h"

// Elapsed time as hh.mmss. Within the line's day, the difference of the two clock times; a started
// line closed on a later day counts the whole days between. Never negative: an end that is not
// after the start gives 0.
Currency Cl_EQP::Duracao(const LinhaAberta& linha, const QDateTime& fim)
{
    Currency horas = HoraParaDecimal(HoraEmNumero(fim)) - HoraParaDecimal(linha.HoraInicio);
    if (linha.HoraInicio > Currency() && linha.Data.isValid())
        horas += Currency(24) * Currency(int(linha.Data.daysTo(fim.date())));
    return horas > Currency() ? DecimalParaHora(horas) : Currency();
}

// The line is closed only while it is still open: two terminals that read the same line both try,
// the database lets one change it and the other changes no row.
bool Cl_EQP::FecharLinha(const LinhaAberta& linha, const QDateTime& fim, int estado)
{
    return bd().executar(
               QStringLiteral("UPDATE oka_LinFo_Ope SET HoraFim = ?, Total = ?, Estado = ?"
                              " WHERE NoFo = ? AND NoLinha = ? AND ") +
                   AbertaIniciada,
               {HoraEmNumero(fim).paraBD(), Duracao(linha, fim).paraBD(), estado, linha.NoFo, linha.NoLinha}) > 0;
}

int Cl_EQP::FecharLinhas(const QList<LinhaAberta>& linhas, const QDateTime& fim, int estado)
{
    if (linhas.size() == 1) return FecharLinha(linhas.first(), fim, estado) ? 1 : 0;
    // Each line's own Total by its number, in the same statement: lines of one order only.
    constexpr qsizetype PorInstrucao = 100;
    int fechadas = 0;
    for (qsizetype inicio = 0; inicio < linhas.size(); inicio += PorInstrucao) {
        const QList<LinhaAberta> parte = linhas.mid(inicio, PorInstrucao);
        QString casos, numeros;
        QVariantList valores{HoraEmNumero(fim).paraBD(), estado};
        for (const LinhaAberta& l : parte) {
            casos += QStringLiteral(" WHEN ? THEN CAST(? AS DECIMAL(19,4))");
            valores << l.NoLinha << Duracao(l, fim).paraBD();
        }
        valores << parte.first().NoFo;
        for (const LinhaAberta& l : parte) {
            numeros += numeros.isEmpty() ? QStringLiteral("?") : QStringLiteral(", ?");
            valores << l.NoLinha;
        }
        fechadas +=
            bd().executar(QStringLiteral("UPDATE oka_LinFo_Ope SET HoraFim = ?, Estado = ?, Total = CASE NoLinha") +
                              casos + QStringLiteral(" END WHERE NoFo = ? AND NoLinha IN (") + numeros +
                              QStringLiteral(") AND ") + AbertaIniciada,
                          valores);
    }
    return fechadas;
}

const QString Cl_EQP::ColunasLinhaAberta = QStringLiteral("NoFo, NoLinha, Data, HoraInicio");

QList<Cl_EQP::LinhaAberta> Cl_EQP::LinhasDe(const Registos& r)
{
    QList<LinhaAberta> linhas;
    for (const auto& l : r)
        linhas << LinhaAberta{l.texto("NoFo"), qint32(l.inteiro("NoLinha")), l.data("Data"), l.moeda("HoraInicio")};
    return linhas;
}

bool Cl_EQP::Operacao_fim(const QString& inUtilizador, const QString& inObra, const QString& inOperacao,
                          const QString& inMaquina, const QDateTime& inDataHora, QString& outMensagem)
{
    const TokenFuncao token = TomarToken();
    m_resultado = ResultadoEQP{};
    if (!OperadorEObraIdentificados(inUtilizador, inObra, outMensagem)) return false;
    if (inOperacao.trimmed().toInt() == 0) {
        outMensagem = QStringLiteral("Operacao não indentificada !");
        return false;
    }
    if (inMaquina.isEmpty()) {
        outMensagem = QStringLiteral("Maquina não indentificada !");
        return false;
    }
    bool fechou = false;
    LinhaAberta fechada;
    const Desfecho desfecho = Transacao(token, inDataHora, [&] {
        const QList<LinhaAberta> linhas = LinhasDe(bd().consultar(
            QStringLiteral("SELECT ") + ColunasLinhaAberta +
                QStringLiteral(" FROM oka_LinFo_Ope WHERE NoFo = ? AND Data = ? AND Maquina = ? AND Func = ?"
                               " AND Estado = 1 AND Opera = ? AND ") +
                AbertaIniciada + QStringLiteral(" ORDER BY NoLinha"),
            {inObra, DataBD(inDataHora.date()), inMaquina, inUtilizador, IdOperacaoBD(inOperacao)}));
        // The first that is still open once its turn comes: another terminal may close it meanwhile.
        fechou = false;
        for (const LinhaAberta& l : linhas)
            if ((fechou = FecharLinha(l, inDataHora, 2))) {
                fechada = l;
                break;
            }
        if (fechou) CalculaCustosObra(inObra);
        return fechou;
    });
    if (desfecho == Desfecho::JaFeito) return true;
    if (!fechou) {
        outMensagem =
            QStringLiteral("Não existem operações iniciadas nesta Obra que correspondam a informação introduzida !");
        return false;
    }
    m_resultado.DataHora = inDataHora;
    m_resultado.Obra = inObra;
    m_resultado.Obras = QStringList{inObra};
    m_resultado.NoLinha = fechada.NoLinha;
    m_resultado.Total = Duracao(fechada, inDataHora);
    m_resultado.Linhas = 1;
    return true;
}

// Production and indirect costs of the order from all its lines with Total > 0. The order is held
// first, so that a terminal closing another line of it meanwhile waits and then rolls up both.
bool Cl_EQP::CalculaCustosObra(const QString& obra, bool ordemPresa)
{
    if (!ordemPresa) BloquearOrdem(obra);
    // The indirect rate of the settings row (Tipo 0; none: 0) and the lines, in one query.
    const Registos r = bd().consultar(
        QStringLiteral("SELECT 0 AS Tipo, CI AS Total, NULL AS CustoHomem, NULL AS CustoMaquina FROM oka_Contador"
                       " UNION ALL SELECT 1, Total, CustoHomem, CustoMaquina FROM oka_LinFo_Ope"
                       " WHERE NoFo = ? AND Total > 0"),
        {obra});
    // Columns by position (an order may have many lines): Tipo, Total, CustoHomem, CustoMaquina.
    Currency ci;
    bool temCi = false;
    for (const auto& l : r)
        if (!temCi && l.inteiro(0) == 0) {
            ci = l.moeda(1);
            temCi = true;
        }
    Currency producao, indirecto;
    for (const auto& l : r) {
        if (l.inteiro(0) == 0) continue;
        const Currency h = HoraParaDecimal(l.moeda(1));
        producao += (l.moeda(2) + l.moeda(3)) * h;
        indirecto += h * ci;
    }
    bd().executar(QStringLiteral("UPDATE oka_CabOrc SET TotalCustoProd = ?, TotalCustoInd = ? WHERE Fo = ?"),
                  {producao.paraBD(), indirecto.paraBD(), obra});
    return true;
}
