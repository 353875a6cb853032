#include "engine/ExecutorFuncoes.h"

#include <optional>

#include <QStringList>

#include "base/InteraccaoOperador.h"
#include "dataaccess/LigacaoDados.h"
#include "dataaccess/RegistosTerminal.h"
#include "engine/Cl_EQP.h"

namespace {

// Puts the replay's stand-in in the engine for one call and gives the engine its operator back.
class TrocaOperador
{
public:
    TrocaOperador(Cl_EQP& eqp, InteraccaoOperador* novo) : m_eqp(eqp), m_antes(eqp.operador())
    {
        m_eqp.setOperador(novo);
    }
    ~TrocaOperador() { m_eqp.setOperador(m_antes); }
    TrocaOperador(const TrocaOperador&) = delete;
    TrocaOperador& operator=(const TrocaOperador&) = delete;

private:
    Cl_EQP& m_eqp;
    InteraccaoOperador* m_antes;
};

} // namespace

ExecutorEQP::ExecutorEQP(Cl_EQP& eqp, const QString& terminal) : m_eqp(eqp), m_terminal(terminal) {}

ResultadoFuncao::Tipo ExecutorEQP::Natureza(const QString& funcao, TipoEcra ecra)
{
    using Tipo = ResultadoFuncao::Tipo;
    if (funcao.isEmpty()) return Tipo::Nenhuma;
    static const QStringList comuns{QStringLiteral("AC001"), QStringLiteral("AC002"), QStringLiteral("AC003"),
                                    QStringLiteral("AC004"), QStringLiteral("AC005"), QStringLiteral("AC006"),
                                    QStringLiteral("AC007"), QStringLiteral("OB002"), QStringLiteral("OB003")};
    if (comuns.contains(funcao)) return Tipo::Motor;
    if (funcao == QLatin1String("AC008")) return ecra == TipoEcra::Terminal ? Tipo::Motor : Tipo::DoEcra;
    if (funcao == QLatin1String("AC009") && ecra == TipoEcra::Terminal) return Tipo::Motor;
    return Tipo::Desconhecida;
}

QString ExecutorEQP::MensagemDesconhecida(const QString& funcao)
{
    return QStringLiteral("Função não implementada ! <") + funcao + QStringLiteral(">");
}

ResultadoFuncao ExecutorEQP::Despachar(const PedidoFuncao& p)
{
    ResultadoFuncao r;
    r.tipo = ResultadoFuncao::Tipo::Motor;
    const QString& f = p.Funcao;
    const QDateTime& quando = p.DataHora;
    QString& m = r.mensagem;
    if (f == QLatin1String("AC001"))
        r.resultado = m_eqp.Obra_Suspender(p.Utilizador, p.Obra, quando, p.MotivoSuspensao, m);
    else if (f == QLatin1String("AC002"))
        r.resultado = m_eqp.Obra_PorTerminar(p.Utilizador, p.Obra, quando, m);
    else if (f == QLatin1String("AC003"))
        r.resultado = m_eqp.Obra_PorControlar(p.Utilizador, p.Obra, quando, m);
    else if (f == QLatin1String("AC004"))
        r.resultado = m_eqp.Obra_Terminar(p.Utilizador, p.Obra, quando, m);
    else if (f == QLatin1String("AC005"))
        r.resultado = m_eqp.Obra_NaoConforme(p.Utilizador, p.Obra, quando, m);
    else if (f == QLatin1String("AC006"))
        r.resultado = m_eqp.Obra_SubContrato(p.Obra, quando, m);
    else if (f == QLatin1String("AC007"))
        r.resultado = m_eqp.Operacao_Inicio(p.Utilizador, p.Obra, p.Operacao, p.Maquina, quando, m, true);
    else if (f == QLatin1String("AC008"))
        r.resultado = m_eqp.Operacao_fim(p.Utilizador, p.Obra, p.Operacao, p.Maquina, quando, m);
    else if (f == QLatin1String("AC009"))
        r.resultado = m_eqp.TerminaTodasOperacoes(p.Utilizador, quando, m);
    else if (f == QLatin1String("OB002"))
        r.resultado = m_eqp.Dia_Inicio(p.Utilizador, quando, m);
    else if (f == QLatin1String("OB003"))
        r.resultado = m_eqp.Dia_Fim(p.Utilizador, quando, m);
    return r;
}

ResultadoFuncao ExecutorEQP::Executar(const PedidoFuncao& p)
{
    ResultadoFuncao r;
    r.tipo = Natureza(p.Funcao, p.Ecra);
    if (r.tipo == ResultadoFuncao::Tipo::Desconhecida) r.mensagem = MensagemDesconhecida(p.Funcao);
    if (r.tipo != ResultadoFuncao::Tipo::Motor) return r;

    // The operator while the journal is replayed: the question about operations already running
    // was skipped when the function was kept and the function was confirmed all the same, so it
    // is answered yes; what the engine would have shown is kept for the result's message.
    OperadorSemEcra substituto;
    std::optional<TrocaOperador> troca;
    if (p.Reenvio) troca.emplace(m_eqp, &substituto);
    if (!p.Token.isEmpty()) Preparar();
    if (p.Reenvio && !p.Obra.isEmpty() && p.VerificacoesOmitidas.contains(VerificacaoExistenciaObra())) {
        qint32 estado = 0, subEstado = 0;
        if (!m_eqp.Existe_FolhaObra(p.Obra, estado, subEstado))
            return {ResultadoFuncao::Tipo::Motor, false, MensagemObraInexistente()};
    }
    // The engine records the token inside the function's own transaction.
    m_eqp.setToken(p.Token, m_terminal, p.Funcao);
    r = Despachar(p);
    m_eqp.setToken({}, {}, {});
    if (!p.Token.isEmpty() && m_eqp.JaGravada()) return {ResultadoFuncao::Tipo::JaGravada, true, {}};
    if (!substituto.mostrado.isEmpty())
        r.mensagem = (QStringList{r.mensagem} + substituto.mostrado).join(QStringLiteral("\r\n")).trimmed();
    return r;
}

bool ExecutorEQP::Gravada(const QString& token)
{
    Preparar();
    return RegistosTerminal::Gravado(*m_eqp.bd_lig(), token);
}

void ExecutorEQP::Preparar()
{
    if (m_preparado) return;
    if (!m_eqp.bd_lig()) throw ErroBD(QStringLiteral("Cl_EQP sem ligação à base de dados"));
    RegistosTerminal::Garantir(*m_eqp.bd_lig());
    m_preparado = true;
}
