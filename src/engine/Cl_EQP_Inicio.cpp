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

bool Cl_EQP::Operacao_Inicio(const QString& inUtilizador, const QString& inObra, const QString& inOperacao,
                             const QString& inMaquina, const QDateTime& inDataHora, QString& outMensagem,
                             bool FazTestes)
{
    const QString crlf = QStringLiteral("\r\n");
    m_resultado = ResultadoEQP{};
    if (FazTestes) {
        if (!OperadorEObraIdentificados(inUtilizador, inObra, outMensagem)) return false;
        if (inOperacao.isEmpty()) {
            outMensagem = QStringLiteral("Operacao não indentificada !");
            return false;
        }
        QString lista;
        if (ExisteOperacaoIniciada(inUtilizador, lista)) {
            outMensagem = QStringLiteral("Utilizador com uma ordem já inciada!") + crlf + lista;
            if (m_operador && !m_operador->Confirmacao(outMensagem, 1, 3345)) {
                outMensagem.clear();
                return false;
            }
        }
        if (ExisteObrasEmFimDia(inUtilizador, lista)) {
            outMensagem = QStringLiteral("Utilizador com ordens em Fim de Dia !") + crlf +
                          QStringLiteral("Não é possivel inciar operações.") + crlf + lista;
            return false;
        }
    }

    const QVariant operacao = IdOperacaoBD(inOperacao);
    bool iniciou = false;
    qint32 noLinha = 0;
    QString descritivo;
    bd().transacao([&] {
        iniciou = false;
        BloquearOrdem(inObra);
        for (;;) {
            // The office's prepared line for this operation, whoever starts it.
            const Registos preparada = bd().consultar(QStringLiteral("SELECT NoLinha FROM oka_LinFo_Ope"
                                                                     " WHERE NoFo = ? AND Opera = ? AND HoraInicio = 0"
                                                                     " AND Total = 0 ORDER BY NoLinha"),
                                                      {inObra, operacao});
            if (preparada.vazio()) {
                const Registos duplicada = bd().consultar(
                    QStringLiteral("SELECT NoLinha FROM oka_LinFo_Ope"
                                   " WHERE NoFo = ? AND Data = ? AND Opera = ? AND Func = ? AND Estado = 1"),
                    {inObra, DataBD(inDataHora.date()), operacao, inUtilizador});
                if (!duplicada.vazio()) return;
            }
            descritivo = LerNomeOperacao(inOperacao);
            noLinha = ProximoNumeroLinha(inObra);
            const QVariantList valores{DataBD(inDataHora.date()),
                                       HoraDeInicio(inDataHora).paraBD(),
                                       operacao,
                                       TextoBD(descritivo),
                                       TextoBD(inMaquina),
                                       TextoBD(inUtilizador),
                                       noLinha,
                                       CustoHoraMaquina(inMaquina).paraBD(),
                                       CustoHoraFuncionario(inUtilizador).paraBD(),
                                       inObra};
            if (preparada.vazio()) {
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
                              valores + QVariantList{preparada.primeira().inteiro(0)}) > 0)
                break;
        }
        ActualizaSubEstado(inObra, 1, inDataHora);
        iniciou = true;
    });
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
