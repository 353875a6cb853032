#include "base/InteraccaoOperador.h"
#include "base/Rotinas.h"
#include "dataaccess/LigacaoDados.h"
#include "engine/Cl_EQP.h"
#include "engine/cl_Operacoes.h"

// HoraInicio 0 marks a line nobody started: a start stamped 00:00:00 is written as 00:00:01.
Currency Cl_EQP::HoraDeInicio(const QDateTime& dataHora)
{
    const Currency hora = HoraEmNumero(dataHora);
    return hora == Currency() ? Currency::fromRaw(1) : hora;
}

// The order's prepared line for the operation (whoever starts it), the same operation already
// running for the employee on that day, the operation's name, the machine's and the employee's
// hourly rates and the order's next line number: what the start needs once the order is held.
Cl_EQP::DadosInicio Cl_EQP::LerDadosInicio(const QString& obra, const QVariant& operacao, const QString& maquina,
                                           const QString& funcionario, const QDate& dia)
{
    const Registos r = bd().consultar(
        QStringLiteral("SELECT (SELECT MIN(NoLinha) FROM oka_LinFo_Ope"
                       " WHERE NoFo = ? AND Opera = ? AND HoraInicio = 0 AND Total = 0) AS Preparada,"
                       " (SELECT COUNT(*) FROM oka_LinFo_Ope"
                       " WHERE NoFo = ? AND Data = ? AND Opera = ? AND Func = ? AND Estado = 1) AS Duplicadas,"
                       " (SELECT OperNome FROM oka_Operacoes WHERE OperId = ?) AS OperNome,"
                       " (SELECT CustoHora FROM oka_Maquinas WHERE MaqId = ?) AS CustoMaquina,"
                       " (SELECT CustoHora FROM oka_Funcionarios WHERE FuncId = ?) AS CustoHomem,"
                       " (SELECT MAX(NoLinha) FROM oka_LinFo_Ope WHERE NoFo = ?) AS Ultima"),
        {obra, operacao, obra, DataBD(dia), operacao, funcionario, operacao, maquina, funcionario, obra});
    DadosInicio d;
    const auto l = r.primeira();
    d.temPreparada = !l.nulo(QStringLiteral("Preparada"));
    d.preparada = l.inteiro(QStringLiteral("Preparada"));
    d.duplicada = l.inteiro(QStringLiteral("Duplicadas")) > 0;
    d.nomeOperacao = l.texto(QStringLiteral("OperNome"));
    d.custoMaquina = l.moeda(QStringLiteral("CustoMaquina"));
    d.custoHomem = l.moeda(QStringLiteral("CustoHomem"));
    d.proximaLinha = qint32(l.inteiro(QStringLiteral("Ultima"))) + 1;
    return d;
}

bool Cl_EQP::Operacao_Inicio(const QString& inUtilizador, const QString& inObra, const QString& inOperacao,
                             const QString& inMaquina, const QDateTime& inDataHora, QString& outMensagem,
                             bool FazTestes)
{
    const QString crlf = QStringLiteral("\r\n");
    const TokenFuncao token = TomarToken();
    m_resultado = ResultadoEQP{};
    if (FazTestes) {
        if (!OperadorEObraIdentificados(inUtilizador, inObra, outMensagem)) return false;
        if (inOperacao.isEmpty()) {
            outMensagem = QStringLiteral("Operacao não indentificada !");
            return false;
        }
        QString iniciadas, fimDia;
        LinhasAntesDoInicio(inUtilizador, iniciadas, fimDia);
        if (!iniciadas.isEmpty()) {
            outMensagem = QStringLiteral("Utilizador com uma ordem já inciada!") + crlf + iniciadas;
            if (m_operador && !m_operador->Confirmacao(outMensagem, 1, 3345)) {
                outMensagem.clear();
                return false;
            }
        }
        if (!fimDia.isEmpty()) {
            outMensagem = QStringLiteral("Utilizador com ordens em Fim de Dia !") + crlf +
                          QStringLiteral("Não é possivel inciar operações.") + crlf + fimDia;
            return false;
        }
    }

    const QVariant operacao = IdOperacaoBD(inOperacao);
    bool iniciou = false;
    qint32 noLinha = 0;
    QString descritivo;
    const Desfecho desfecho = Transacao(token, inDataHora, [&] {
        iniciou = false;
        BloquearOrdem(inObra);
        for (;;) {
            const DadosInicio d = LerDadosInicio(inObra, operacao, inMaquina, inUtilizador, inDataHora.date());
            if (!d.temPreparada && d.duplicada) return false;
            descritivo = d.nomeOperacao;
            noLinha = d.proximaLinha;
            const QVariantList valores{DataBD(inDataHora.date()),
                                       HoraDeInicio(inDataHora).paraBD(),
                                       operacao,
                                       TextoBD(d.nomeOperacao),
                                       TextoBD(inMaquina),
                                       TextoBD(inUtilizador),
                                       d.proximaLinha,
                                       d.custoMaquina.paraBD(),
                                       d.custoHomem.paraBD(),
                                       inObra};
            if (!d.temPreparada) {
                bd().executar(QStringLiteral("INSERT INTO oka_LinFo_Ope (Data, HoraInicio, Opera, Descritivo, Maquina,"
                                             " Func, NoLinha, CustoMaquina, CustoHomem, NoFo, Estado, HoraFim, Total)"
                                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, 0, 0)"),
                              valores);
                break;
            }
            // Taken over only while it is still prepared. On an order without a header row nothing
            // else holds two terminals apart: when the other took this line first, look again (its
            // line is no longer prepared, so each round finds one prepared line fewer).
            if (bd().executar(QStringLiteral("UPDATE oka_LinFo_Ope SET Data = ?, HoraInicio = ?, Opera = ?,"
                                             " Descritivo = ?, Maquina = ?, Func = ?, NoLinha = ?, CustoMaquina = ?,"
                                             " CustoHomem = ?, Estado = 1, HoraFim = 0, Total = 0"
                                             " WHERE NoFo = ? AND NoLinha = ? AND HoraInicio = 0 AND Total = 0"),
                              valores + QVariantList{d.preparada}) > 0)
                break;
        }
        ActualizaSubEstado(inObra, 1, inDataHora);
        iniciou = true;
        return true;
    });
    if (desfecho == Desfecho::JaFeito) return true;
    if (!iniciou) {
        outMensagem = QStringLiteral("Esta Ordem Fabrico já tem esta operação iniciada por este funcionário !");
        return false;
    }
    m_resultado.DataHora = inDataHora;
    m_resultado.Obra = inObra;
    m_resultado.Obras = QStringList{inObra};
    m_resultado.NoLinha = noLinha;
    m_resultado.Descritivo = descritivo;
    m_resultado.Linhas = 1;
    return true;
}
