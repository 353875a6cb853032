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
        // A commit whose answer was lost is kept as well: its token tells the replay whether it
        // landed, so it is done once either way.
        if (!ServidorInacessivel(e)) throw;
        return guardar(funcao, e.texto());
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
