#include "dataaccess/LigacaoDados.h"
#include "engine/Cl_EQP.h"

bool Cl_EQP::Dia_Fim(const QString& inOperador, const QDateTime& inDataHora, QString& outMensagem)
{
    const TokenFuncao token = TomarToken();
    m_resultado = ResultadoEQP{};
    if (!OperadorIdentificado(inOperador, outMensagem)) return false;
    bool houve = false;
    int interrompidas = 0;
    QStringList obras;
    const Desfecho desfecho = Transacao(token, inDataHora, [&] {
        const QList<LinhaAberta> linhas = LinhasDe(bd().consultar(
            QStringLiteral("SELECT ") + ColunasLinhaAberta + QStringLiteral(" FROM oka_LinFo_Ope WHERE Func = ? AND ") +
                AbertaIniciada + QStringLiteral(" ORDER BY NoFo, NoLinha"),
            {inOperador}));
        houve = false;
        interrompidas = 0;
        obras.clear();
        for (const LinhaAberta& l : linhas) {
            if (!FecharLinha(l, inDataHora, 8)) continue; // closed at another terminal meanwhile
            houve = true;
            ++interrompidas;
            ActualizaSubEstado(l.NoFo, 0, inDataHora);
            if (!obras.contains(l.NoFo)) obras << l.NoFo;
        }
        // The interrupted lines now have a Total: the orders' costs include them at once (each
        // order already held by its SubEstado).
        for (const QString& obra : obras)
            CalculaCustosObra(obra, true);
        return houve;
    });
    if (desfecho == Desfecho::JaFeito) return true;
    if (houve)
        outMensagem.clear();
    else
        outMensagem = QStringLiteral("Não existem Folhas de Obra deste Operador iniciadas!");
    m_resultado.DataHora = inDataHora;
    m_resultado.Obras = obras;
    m_resultado.Linhas = interrompidas;
    return houve;
}

bool Cl_EQP::Dia_Inicio(const QString& inUtilizador, const QDateTime& inDataHora, QString& outMensagemErro)
{
    const TokenFuncao token = TomarToken();
    m_resultado = ResultadoEQP{};
    if (!OperadorIdentificado(inUtilizador, outMensagemErro)) return false;
    QString lista;
    bool houve = false;
    const QString mensagemAntes = outMensagemErro;
    // The resumptions, gathered here: each start below keeps only its own.
    ResultadoEQP retomadas;
    // The check of running work is made after the token: a day opened before is found done.
    const Desfecho desfecho = Transacao(token, inDataHora, [&] {
        outMensagemErro = mensagemAntes;
        retomadas = ResultadoEQP{};
        houve = false;
        if (ExisteOperacaoIniciada(inUtilizador, lista)) return false;
        const Registos r = bd().consultar(QStringLiteral("SELECT NoFo, NoLinha, Opera, Maquina FROM oka_LinFo_Ope"
                                                         " WHERE Estado = 8 AND Func = ? ORDER BY NoFo, NoLinha"),
                                          {inUtilizador});
        houve = false;
        for (const auto& l : r) {
            // The interrupted line is marked resumed first, while it is still interrupted: when
            // another terminal opens the same employee's day meanwhile, each line is resumed once.
            if (bd().executar(QStringLiteral("UPDATE oka_LinFo_Ope SET Estado = 10"
                                             " WHERE NoFo = ? AND NoLinha = ? AND Estado = 8"),
                              {l.texto("NoFo"), l.inteiro("NoLinha")}) == 0)
                continue;
            houve = true;
            if (Operacao_Inicio(inUtilizador, l.texto("NoFo"), l.texto("Opera"), l.texto("Maquina"), inDataHora,
                                outMensagemErro, false)) {
                ++retomadas.Linhas;
                if (!retomadas.Obras.contains(l.texto("NoFo"))) retomadas.Obras << l.texto("NoFo");
            }
        }
        return houve;
    });
    if (desfecho == Desfecho::JaFeito) {
        outMensagemErro = mensagemAntes;
        m_resultado = ResultadoEQP{};
        return true;
    }
    if (!lista.isEmpty()) {
        outMensagemErro =
            QStringLiteral("Utilizador com uma ordem já inciada!\r\n Não é possivel abrir o dia !\r\n") + lista;
        return false;
    }
    if (!houve) outMensagemErro = QStringLiteral("Não existem operações para iniciar para este funcionario!");
    m_resultado = retomadas;
    m_resultado.DataHora = inDataHora;
    return houve;
}

bool Cl_EQP::TerminaTodasOperacoes(const QString& inUtilizador, QString& outMensagem)
{
    return TerminaTodasOperacoes(inUtilizador, QDateTime::currentDateTime(), outMensagem);
}

bool Cl_EQP::TerminaTodasOperacoes(const QString& inUtilizador, const QDateTime& inDataHora, QString& outMensagem)
{
    const TokenFuncao token = TomarToken();
    m_resultado = ResultadoEQP{};
    QStringList terminadas, falhadas;
    int fechadas = 0;
    const Desfecho desfecho = Transacao(token, inDataHora, [&] {
        terminadas.clear();
        falhadas.clear();
        fechadas = 0;
        QStringList obras;
        for (const auto& l : OperacoesIniciadas(inUtilizador))
            if (!obras.contains(l.texto("Fo"))) obras << l.texto("Fo");
        for (const QString& obra : obras) {
            QString mensagem;
            const bool terminou = Obra_Terminar(inUtilizador, obra, inDataHora, mensagem);
            (terminou ? terminadas : falhadas) << obra;
            if (terminou) fechadas += m_resultado.Linhas;
        }
        // An order found nothing to end either because another terminal ended its lines meanwhile
        // (nothing is left to this call) or because its running line already has an end or a
        // duration, which no closer touches: only the latter is named. What was ended stays ended
        // (and keeps the token) also when another order could not be.
        if (falhadas.isEmpty()) return !terminadas.isEmpty();
        QStringList porFechar;
        for (const auto& l :
             bd().consultar(QStringLiteral("SELECT oka_CabOrc.Fo") + LinhasEmCurso +
                                QStringLiteral(" AND NOT (oka_LinFo_Ope.HoraFim = 0 AND oka_LinFo_Ope.Total = 0)"),
                            {inUtilizador}))
            if (falhadas.contains(l.texto("Fo")) && !porFechar.contains(l.texto("Fo"))) porFechar << l.texto("Fo");
        falhadas = porFechar;
        return !terminadas.isEmpty();
    });
    m_resultado = ResultadoEQP{};
    if (desfecho == Desfecho::JaFeito) return true;
    m_resultado.DataHora = inDataHora;
    m_resultado.Obras = terminadas;
    m_resultado.Linhas = fechadas;
    if (terminadas.isEmpty() && falhadas.isEmpty()) {
        outMensagem = QStringLiteral("Não existem operações iniciadas por este Operador!");
        return false;
    }
    if (!falhadas.isEmpty()) {
        outMensagem = QStringLiteral("Não foi possivel terminar as operações da obra ") +
                      falhadas.join(QStringLiteral(", ")) + QStringLiteral(" !");
        return false;
    }
    outMensagem.clear();
    return true;
}
