#include "engine/Reenvio.h"

#include <QLockFile>

#include "dataaccess/FalhaServidor.h"

namespace {

QString quando(const EntradaJornal& e)
{
    return e.DataHora.toString(QStringLiteral("dd/MM/yyyy - hh:mm:ss"));
}

} // namespace

Reenvio::Reenvio(JornalLocal& jornal, ExecutorFuncoes& executor, const QString& destino, QObject* parent)
    : QObject(parent), m_jornal(jornal), m_executor(executor), m_destino(destino)
{
}

PedidoFuncao Reenvio::PedidoDe(const EntradaJornal& e)
{
    PedidoFuncao p;
    p.Funcao = e.Funcao;
    p.Ecra = EcraDoTipo(e.TipoTerminal);
    p.Utilizador = e.Utilizador;
    p.Obra = e.Obra;
    p.Operacao = e.Operacao;
    p.Maquina = e.Maquina;
    p.MotivoSuspensao = e.MotivoSuspensao;
    p.DataHora = e.DataHora;
    p.Token = e.Token;
    p.Reenvio = true;
    p.VerificacoesOmitidas = e.VerificacoesOmitidas;
    return p;
}

QString Reenvio::TextoLog(const EventoReenvio& ev)
{
    const QString de = quando(ev.entrada);
    switch (ev.desfecho) {
    case EventoReenvio::Desfecho::Enviada:
        return QStringLiteral("Registo guardado sem ligação de %1 enviado").arg(de) +
               (ev.mensagem.isEmpty() ? QString() : QStringLiteral(": ") + ev.mensagem);
    case EventoReenvio::Desfecho::JaGravada:
        return QStringLiteral("Registo guardado sem ligação de %1 já estava gravado").arg(de);
    case EventoReenvio::Desfecho::Recusada:
        return QStringLiteral("Registo guardado sem ligação de %1 recusado: %2").arg(de, ev.mensagem);
    case EventoReenvio::Desfecho::Adiada:
        return QStringLiteral("Registo guardado sem ligação de %1 por enviar: %2").arg(de, ev.mensagem);
    }
    return {};
}

void Reenvio::contar(RelatorioReenvio& r)
{
    try {
        r.pendentes = m_jornal.NumeroPendentes(m_destino);
        r.totalRecusadas = m_jornal.NumeroRecusadas(m_destino);
    } catch (const ErroJornal& e) {
        if (r.falha.isEmpty()) r.falha = e.texto();
    }
}

RelatorioReenvio Reenvio::Executar(int maximo)
{
    RelatorioReenvio r;
    const auto trinco = m_jornal.ReservarReenvio();
    if (!trinco) {
        r.ocupado = true;
        contar(r);
        emit terminado(r);
        return r;
    }
    try {
        const QList<EntradaJornal> pendentes = m_jornal.Pendentes(m_destino);
        if (!pendentes.isEmpty()) m_executor.Preparar();
        int tratadas = 0;
        for (const EntradaJornal& e : pendentes) {
            if (maximo >= 0 && tratadas++ >= maximo) break;
            tratar(e, r);
            if (r.interrompido) break;
        }
    } catch (const ErroJornal& e) {
        // Whatever was done on the server has its token there: the next replay finds it.
        r.interrompido = true;
        r.falha = e.texto();
        r.falhaJornal = true;
    } catch (const ErroBD& e) {
        r.interrompido = true;
        r.falha = e.texto();
    }
    contar(r);
    emit terminado(r);
    return r;
}

void Reenvio::tratar(const EntradaJornal& e, RelatorioReenvio& r)
{
    EventoReenvio ev{e, EventoReenvio::Desfecho::Adiada, {}};
    auto recusar = [&](const QString& mensagem) {
        m_jornal.MarcarRecusada(e.Sequencia, mensagem);
        ev.desfecho = EventoReenvio::Desfecho::Recusada;
        ev.mensagem = mensagem;
        ++r.recusadas;
    };
    try {
        if (m_executor.Gravada(e.Token)) {
            m_jornal.MarcarEnviada(e.Sequencia);
            ev.desfecho = EventoReenvio::Desfecho::JaGravada;
            ++r.jaGravadas;
        } else {
            const ResultadoFuncao res = m_executor.Executar(PedidoDe(e));
            switch (res.tipo) {
            case ResultadoFuncao::Tipo::Motor:
                if (res.resultado) {
                    m_jornal.MarcarEnviada(e.Sequencia, res.mensagem);
                    ev.desfecho = EventoReenvio::Desfecho::Enviada;
                    ev.mensagem = res.mensagem;
                    ++r.enviadas;
                } else {
                    recusar(res.mensagem);
                }
                break;
            case ResultadoFuncao::Tipo::JaGravada:
                m_jornal.MarcarEnviada(e.Sequencia);
                ev.desfecho = EventoReenvio::Desfecho::JaGravada;
                ++r.jaGravadas;
                break;
            case ResultadoFuncao::Tipo::Nenhuma:
            case ResultadoFuncao::Tipo::DoEcra:
            case ResultadoFuncao::Tipo::Desconhecida:
                recusar(res.mensagem.isEmpty() ? ExecutorEQP::MensagemDesconhecida(e.Funcao) : res.mensagem);
                break;
            }
        }
    } catch (const ErroBD& erro) {
        const bool esperar = ServidorInacessivel(erro) ||
                             (erro.tipo() == ErroBD::Tipo::Repetivel && e.Tentativas + 1 < MaximoTentativasOcupada);
        if (!esperar) {
            recusar(erro.texto());
        } else {
            m_jornal.ContarTentativa(e.Sequencia, erro.texto());
            ev.mensagem = erro.texto();
            r.interrompido = true;
            r.falha = erro.texto();
        }
    } catch (const ErroJornal&) {
        throw;
    } catch (const std::exception& erro) {
        recusar(QString::fromStdString(erro.what()));
    }
    emit entradaTratada(ev);
}
