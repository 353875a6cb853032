#include "engine/EnvioFuncoes.h"

#include "dataaccess/FalhaServidor.h"
#include "dataaccess/RegistosTerminal.h"
#include "engine/Reenvio.h"

EnvioFuncoes::EnvioFuncoes(ExecutorFuncoes& executor, JornalLocal& jornal, const QString& destino,
                           const QString& terminal)
    : m_executor(executor), m_jornal(jornal), m_destino(destino), m_terminal(terminal)
{
}

DesfechoConfirmacao EnvioFuncoes::Confirmar(EntradaJornal funcao)
{
    funcao.Terminal = m_terminal;
    funcao.Destino = m_destino;
    if (funcao.Token.isEmpty()) funcao.Token = RegistosTerminal::NovoToken();
    PedidoFuncao pedido = Reenvio::PedidoDe(funcao);
    pedido.Reenvio = false;

    DesfechoConfirmacao d;
    if (ExecutorEQP::Natureza(funcao.Funcao, pedido.Ecra) != ResultadoFuncao::Tipo::Motor) {
        pedido.Token.clear();
        d.resultado = m_executor.Executar(pedido);
        return d;
    }
    int pendentes = 0;
    try {
        pendentes = m_jornal.NumeroPendentes(m_destino);
    } catch (const ErroJornal&) {
        // A journal that cannot even be read holds nothing that could be replayed: the server
        // is tried as before the journal existed (keeping a function there would fail anyway).
    }
    if (pendentes > 0) return guardar(funcao, RazaoPendentes());
    try {
        d.resultado = m_executor.Executar(pedido);
        return d;
    } catch (const ErroBD& e) {
        if (!ServidorInacessivel(e)) throw;
        if (e.tipo() != ErroBD::Tipo::ResultadoIncerto) return guardar(funcao, e.texto());
        // The COMMIT went unanswered: the token tells whether it landed. The look-up opens the
        // connection again once; when the server does not answer it either, the function is kept
        // and the replay looks the token up before anything else, so it is done once either way.
        try {
            if (m_executor.Gravada(funcao.Token)) {
                d.incerta = true;
                d.resultado = ResultadoFuncao{ResultadoFuncao::Tipo::Motor, true, AvisoIncertoGravado()};
                return d;
            }
        } catch (const ErroBD& depois) {
            if (!ServidorInacessivel(depois)) throw;
            DesfechoConfirmacao g = guardar(funcao, e.texto());
            g.incerta = true;
            return g;
        }
        DesfechoConfirmacao g = guardar(
            funcao,
            QStringLiteral("O registo não ficou gravado quando a ligação se perdeu ao gravar (%1)").arg(e.texto()));
        g.incerta = true;
        g.resultado.mensagem = AvisoIncertoGuardado();
        return g;
    }
}

DesfechoConfirmacao EnvioFuncoes::guardar(EntradaJornal& funcao, const QString& razao)
{
    funcao.Razao = razao;
    if (funcao.Funcao == QLatin1String("AC007") &&
        !funcao.VerificacoesOmitidas.contains(VerificacaoOperacoesIniciadas()))
        funcao.VerificacoesOmitidas << VerificacaoOperacoesIniciadas();
    DesfechoConfirmacao d;
    d.sequencia = m_jornal.Acrescentar(funcao);
    d.guardada = true;
    d.resultado = ResultadoFuncao{ResultadoFuncao::Tipo::Motor, true, JornalLocal::AvisoGuardado()};
    return d;
}
