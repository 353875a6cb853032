#pragma once
// Multi-terminal load: T terminals (threads, each with its own connection, engine, ERP link and
// scripted operator) run random but valid operator flows against one generated database for a
// bounded time; then the database is checked. Header only: used by bench_carga and by the small
// load and fault tests of the regular suite.
//
// Each terminal serves employees of its own and, now and then, one of a few employees that every
// terminal serves (so two terminals act on the same employee's lines at the same moment). Before
// each step it reads the employee's running and interrupted lines, as the screen lists them. Each
// terminal keeps a clock of its own: terminal k of T stamps its n-th operation at second
// k + 1 + n * T of the run's day, so every stamp (and so every line's start or end time) names one
// operation. That is what lets the check tie every change of a line to the operation that
// reported it, and prove that refused or failed ones wrote nothing.
//
// Each terminal confirms the engine's functions as the screens do, through EnvioFuncoes with a
// journal of its own: with a token each, kept while the server is out of reach and sent later
// with their recorded stamps (retried with a short bounded back-off between steps, and at the end
// of the run until every journal is empty). The check then holds each function to its token:
// done exactly when its token is on the server, with its own date and time.

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>

#include <QDir>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include "LigacaoBench.hpp"
#include "Medicao.hpp"
#include "OperadorScript.hpp"
#include "base/Mod_log.h"
#include "base/Rotinas.h"
#include "dataaccess/GeradorDados.h"
#include "dataaccess/LerCI.h"
#include "dataaccess/RegistosTerminal.h"
#include "engine/Cl_EQP.h"
#include "engine/EnvioFuncoes.h"
#include "engine/Reenvio.h"
#include "erp/LigacaoKovaBD.h"
#include "erp/cl_GravaKova.h"

namespace bench {

enum class Tipo {
    Inicio,
    Fim,
    Suspender,
    PorTerminar,
    PorControlar,
    Terminar,
    NaoConforme,
    SubContrato,
    DiaFim,
    DiaInicio,
    TerminaTodas,
    Gravar,
    Consulta
};

inline QString nomeTipo(Tipo t)
{
    switch (t) {
    case Tipo::Inicio:
        return QStringLiteral("Operacao_Inicio");
    case Tipo::Fim:
        return QStringLiteral("Operacao_fim");
    case Tipo::Suspender:
        return QStringLiteral("Obra_Suspender");
    case Tipo::PorTerminar:
        return QStringLiteral("Obra_PorTerminar");
    case Tipo::PorControlar:
        return QStringLiteral("Obra_PorControlar");
    case Tipo::Terminar:
        return QStringLiteral("Obra_Terminar");
    case Tipo::NaoConforme:
        return QStringLiteral("Obra_NaoConforme");
    case Tipo::SubContrato:
        return QStringLiteral("Obra_SubContrato");
    case Tipo::DiaFim:
        return QStringLiteral("Dia_Fim");
    case Tipo::DiaInicio:
        return QStringLiteral("Dia_Inicio");
    case Tipo::TerminaTodas:
        return QStringLiteral("TerminaTodasOperacoes");
    case Tipo::Gravar:
        return QStringLiteral("GravaSaidas");
    case Tipo::Consulta:
        return QStringLiteral("consultas");
    }
    return {};
}

// Line state a successful closing operation writes (0: the operation closes nothing).
inline int estadoEscrito(Tipo t)
{
    switch (t) {
    case Tipo::Fim:
    case Tipo::PorTerminar:
    case Tipo::PorControlar:
    case Tipo::Terminar:
    case Tipo::SubContrato:
    case Tipo::TerminaTodas:
        return 2;
    case Tipo::NaoConforme:
        return 4;
    case Tipo::Suspender:
        return 9;
    case Tipo::DiaFim:
        return 8;
    default:
        return 0;
    }
}

struct Evento
{
    int terminal = 0;
    Tipo tipo = Tipo::Consulta;
    QString func, obra, oper, maq;
    QDateTime t;
    bool ok = false;
    bool deliberadamenteInvalido = false; // a refusal is the expected outcome
    bool excepcao = false;                // an error reached the caller
    bool ligacaoPerdida = false;          // lost before its COMMIT: nothing landed
    bool incerto = false;                 // lost during its COMMIT: it may have landed (a posting; an
                                          // engine function's token told at once whether it did)
    QString token;                        // an engine function's token
    bool guardada = false;                // kept in the terminal's journal while the server was away
    bool reenviada = false;               // sent from the journal later (ok and mensagem are that outcome)
    bool jaGravada = false;               // found done by its token when it was sent
    qint64 msReenvio = -1;                // when it was sent, in the run's elapsed ms
    QString mensagem;                     // the refusal, or the error text
    QStringList mensagensSistema;         // what the operator was shown
    double us = 0;
    qint64 msDesdeInicio = 0;
    QStringList artigos;
    QList<Currency> quantidades;
};

struct ParametrosCarga
{
    int terminais = 4;
    double segundos = 3;
    int funcionariosPorTerminal = 3;
    int funcionariosPartilhados = 2; // served by every terminal
    double partilha = 0.3;           // share of the steps on one of those
    quint32 semente = 1;
    QDate dia;               // the run's day; default: the day after the generated "today"
    bool escreverLog = true; // a log line per confirmed operation, as the screens do
    QString pastaKova;       // existing folder for the ERP link (a temporary one when empty)
    // Called by terminal 0 after each of its operations (fault injection), with the run's elapsed ms.
    std::function<void(qint64)> aposOperacao;
    // Called by any terminal after each entry it sent from its journal, with the run's elapsed ms.
    std::function<void(qint64)> aposReenvio;
    // Each increase restarts every terminal at its next step: its connection, engine and journal
    // objects made anew on the same journal file, as a terminal switched off and on again.
    std::shared_ptr<std::atomic<int>> reinicios = std::make_shared<std::atomic<int>>(0);
    // Waits between tries to send a journal (the screens wait 2 s doubling to 60 s).
    int esperaInicialMs = 50;
    int esperaMaximaMs = 800;
    // After the run's seconds, how long the terminals go on sending what their journals hold.
    double segundosEsvaziar = 30;
};

namespace detalhe {

inline Currency hh(const QDateTime& t)
{
    return HoraEmNumero(t);
}

// A line as the check sees it.
struct Linha
{
    QString func, obra;
    int noLinha = 0;
    QDate data;
    Currency inicio, fim, total;
    int estado = 0;
    int oper = 0;
    bool operator==(const Linha& o) const
    {
        return func == o.func && data == o.data && inicio == o.inicio && fim == o.fim && total == o.total &&
               estado == o.estado && oper == o.oper;
    }
};

// Lines by "order/line" from a statement that selects the columns of colunasLinha.
inline QHash<QString, Linha> linhasDe(LigacaoDados& l, const QString& sql, const QVariantList& v = {})
{
    QHash<QString, Linha> r;
    for (const auto& x : l.consultar(sql, v)) {
        Linha li{x.texto(0), x.texto(1), int(x.inteiro(2)), x.data("Data"),   x.moeda(4),
                 x.moeda(5), x.moeda(6), int(x.inteiro(7)), int(x.inteiro(8))};
        r.insert(li.obra + QLatin1Char('/') + QString::number(li.noLinha), li);
    }
    return r;
}
const QString colunasLinha = QStringLiteral("l.Func, l.NoFo, l.NoLinha, l.Data, l.HoraInicio, l.HoraFim, l.Total, "
                                            "l.Estado, l.Opera FROM oka_LinFo_Ope l");

// Every line of the given employees.
inline QHash<QString, Linha> linhasDe(LigacaoDados& l, const QStringList& funcs)
{
    QHash<QString, Linha> r;
    for (int i = 0; i < funcs.size(); i += 50) {
        const QStringList parte = funcs.mid(i, 50);
        QStringList marcas(parte.size(), QStringLiteral("?"));
        QVariantList v;
        for (const QString& f : parte)
            v << f;
        r.insert(linhasDe(l,
                          QStringLiteral("SELECT ") + colunasLinha +
                              QStringLiteral(" WHERE l.Func IN (%1)").arg(marcas.join(u',')),
                          v));
    }
    return r;
}

// Lines of the orders in production with no start time: those nobody started (prepared) or, with
// `soPreparadas` false, also any that a faulty closer gave an end or a duration.
inline QHash<QString, Linha> semInicio(LigacaoDados& l, bool soPreparadas)
{
    return linhasDe(l, QStringLiteral("SELECT ") + colunasLinha +
                           QStringLiteral(" INNER JOIN oka_CabOrc c ON c.Fo = l.NoFo WHERE c.EstadoFo = 1"
                                          " AND l.HoraInicio = 0") +
                           (soPreparadas ? QStringLiteral(" AND l.HoraFim = 0 AND l.Total = 0") : QString()));
}

struct Estado
{
    QHash<QString, Linha> linhas;     // lines of the test employees
    QHash<QString, Linha> preparadas; // prepared lines of the orders in production
    QHash<QString, Currency> stock;   // article -> EXISTENC in the raw-material warehouse
    QHash<QString, Currency> apr;     // article -> sum of QtdOr of material lines
    qint64 documentos = 0;
    qint64 linhasApr = 0;
};

inline Estado fotografia(LigacaoDados& l, const QStringList& funcs)
{
    Estado e;
    e.linhas = linhasDe(l, funcs);
    e.preparadas = semInicio(l, true);
    for (const auto& x : l.consultar(QStringLiteral("SELECT ARTIGO, EXISTENC FROM ARTARM WHERE ARMAZEM = ?"),
                                     {GeradorDados::Armazem()}))
        e.stock.insert(x.texto(0), x.moeda(1));
    for (const auto& x :
         l.consultar(QStringLiteral("SELECT Artigo, SUM(QtdOr), COUNT(*) FROM oka_LinFo_Apr GROUP BY Artigo"))) {
        e.apr.insert(x.texto(0), x.moeda(1));
        e.linhasApr += x.inteiro(2);
    }
    e.documentos = l.consultar(QStringLiteral("SELECT COUNT(*) FROM STKDOC")).primeira().inteiro(0);
    return e;
}

} // namespace detalhe

struct ResultadoCarga
{
    QList<Evento> eventos;
    QStringList violacoes;
    QStringList indeterminados; // commits whose answer was lost with the connection
    QStringList errosInesperados;
    int errosEsperados = 0; // errors while a fault was injected on purpose
    int guardadas = 0;      // functions kept in a journal
    int reenviadas = 0;     // of those, sent later (done or refused then)
    int jaGravadas = 0;     // sent, and found done by their token (a COMMIT whose answer was lost)
    int incertas = 0;       // COMMITs whose answer was lost, resolved at once by the token
    int porEnviar = 0;      // left in the journals at the end
    int reinicios = 0;      // terminal restarts
    int falhasLog = 0;
    QString primeiraFalhaLog;
    double segundos = 0;
    bool diaEsgotado = false; // every terminal stopped before the run's seconds: the day was used up
    std::map<QString, Amostras> latencias;
    std::map<QString, std::array<int, 3>> contagens; // done, refused, error
    // What the check compares against: the test employees (those every terminal serves among them)
    // and the database before the run.
    QStringList funcionarios, partilhados;
    detalhe::Estado antes;

    int feitas() const
    {
        int n = 0;
        for (const Evento& e : eventos)
            n += e.ok ? 1 : 0;
        return n;
    }

    QString relatorio() const
    {
        Tabela t({QStringLiteral("operação"), QStringLiteral("feitas"), QStringLiteral("recusadas"),
                  QStringLiteral("erros"), QStringLiteral("mediana"), QStringLiteral("p99"), QStringLiteral("máx")});
        Amostras todas;
        for (const auto& [nome, a] : latencias) {
            const auto& c = contagens.at(nome);
            t.linha({nome, QString::number(c[0]), QString::number(c[1]), QString::number(c[2]), us(a.mediana()),
                     us(a.p99()), us(a.maximo())});
            todas.juntar(a);
        }
        QString r = t.texto();
        r += QStringLiteral("%1 operações em %2 s: %3 por segundo; mediana %4, p99 %5\n")
                 .arg(eventos.size())
                 .arg(segundos, 0, 'f', 1)
                 .arg(segundos > 0 ? eventos.size() / segundos : 0, 0, 'f', 1)
                 .arg(us(todas.mediana()), us(todas.p99()));
        if (diaEsgotado) r += QStringLiteral("(os terminais esgotaram os segundos do dia da corrida antes do fim)\n");
        r += QStringLiteral("Violações de invariantes: %1\n").arg(violacoes.size());
        for (int i = 0; i < violacoes.size() && i < 20; ++i)
            r += QStringLiteral("  ") + violacoes[i] + QLatin1Char('\n');
        r += QStringLiteral("Erros inesperados: %1\n").arg(errosInesperados.size());
        for (int i = 0; i < errosInesperados.size() && i < 10; ++i)
            r += QStringLiteral("  ") + errosInesperados[i] + QLatin1Char('\n');
        if (errosEsperados) r += QStringLiteral("Erros durante a avaria provocada: %1\n").arg(errosEsperados);
        if (!indeterminados.isEmpty())
            r += QStringLiteral("Confirmações sem resposta (ligação perdida no COMMIT): %1\n")
                     .arg(indeterminados.size());
        if (guardadas || incertas || porEnviar)
            r += QStringLiteral("Guardadas sem ligação: %1, enviadas depois: %2 (já gravadas pelo token: %3); "
                                "COMMIT sem resposta resolvidos pelo token: %4; por enviar no fim: %5\n")
                     .arg(guardadas)
                     .arg(reenviadas)
                     .arg(jaGravadas)
                     .arg(incertas)
                     .arg(porEnviar);
        if (falhasLog)
            r += QStringLiteral("Falhas de escrita do registo diário notadas: %1 (%2)\n")
                     .arg(falhasLog)
                     .arg(primeiraFalhaLog);
        return r;
    }
};

namespace detalhe {

// One simulated terminal.
class Terminal
{
public:
    struct Aberta
    {
        QString obra, oper, maq;
        QDate dia;
    };
    // What the terminal knows of an employee when it serves him.
    struct Func
    {
        QString codigo;
        QList<Aberta> abertas;       // running lines
        QList<Aberta> interrompidas; // lines in state 8
    };

    Terminal(int k, const ParametrosCarga& p, const ParametrosLigacao& par, QStringList funcs, QStringList partilhados,
             QStringList obras, QStringList artigos, QStringList descritores, int nOper, QStringList maquinas,
             QString pastaKova, QDateTime arranque, QString ficheiroJornal)
        : m_k(k), m_p(p), m_par(par), m_funcs(std::move(funcs)), m_partilhados(std::move(partilhados)),
          m_obras(std::move(obras)), m_artigos(std::move(artigos)), m_descritores(std::move(descritores)),
          m_nOper(nOper), m_maqs(std::move(maquinas)), m_pastaKova(std::move(pastaKova)), m_arranque(arranque),
          m_ficheiroJornal(std::move(ficheiroJornal)), m_rng(p.semente * 7919u + unsigned(k))
    {
    }

    QList<Evento> eventos;
    int falhasLog = 0;
    QString primeiraFalhaLog;
    QString erroArranque;
    int porEnviar = 0;
    int reinicios = 0;
    QStringList errosJornal;

    static QString Nome(int k) { return QStringLiteral("carga-%1").arg(k); }

    void correr(const std::atomic<bool>& parar, const bench::Relogio::time_point& t0)
    {
        m_t0 = t0;
        std::unique_ptr<Sessao> s = abrir(false);
        if (!s) return;
        int reiniciosVistos = m_p.reinicios->load();
        const int T = m_p.terminais;
        for (qint64 n = 0; !parar.load(); ++n) {
            const qint64 segundo = m_k + 1 + n * T;
            if (segundo >= 86400) break; // the run's day is used up
            if (m_p.reinicios->load() != reiniciosVistos) {
                // Switched off and on again: everything but the journal's file is made anew.
                reiniciosVistos = m_p.reinicios->load();
                s.reset();
                s = abrir(true);
                ++reinicios;
            }
            reenviarSeDevido(*s, false);
            const QDateTime t(m_p.dia, QTime(0, 0).addSecs(int(segundo)));
            Evento e = passo(*s, t);
            e.msDesdeInicio = qint64(microsDesde(t0) / 1000);
            if (m_p.escreverLog && e.tipo != Tipo::Consulta) {
                QString erro;
                if (!EscreverLog(t.toString(QStringLiteral("hh:mm:ss")), QStringLiteral("Utilizador: ") + e.func,
                                 QStringLiteral("Obra: ") + e.obra, QStringLiteral("Função: ") + nomeTipo(e.tipo),
                                 QStringLiteral("Operação: ") + e.oper, e.mensagem, &erro)) {
                    if (!falhasLog++) primeiraFalhaLog = erro;
                }
            }
            if (!e.token.isEmpty()) m_porToken.insert(e.token, int(eventos.size()));
            eventos << e;
            if (e.excepcao) QThread::msleep(100); // the operator reads the error before touching again
            if (m_k == 0 && m_p.aposOperacao) m_p.aposOperacao(e.msDesdeInicio);
        }
        // Whatever waits is sent once the server answers, as the terminal would go on doing.
        const auto fim = Relogio::now() + std::chrono::milliseconds(qint64(m_p.segundosEsvaziar * 1000));
        while ((porEnviar = pendentes(*s)) > 0 && Relogio::now() < fim) {
            reenviarSeDevido(*s, true);
            QThread::msleep(10);
        }
        porEnviar = pendentes(*s);
    }

private:
    // What a terminal holds while it runs; made anew at a restart.
    struct Sessao
    {
        LigacaoDados l;
        Cl_EQP eqp;
        LigacaoKovaBD kova;
        std::unique_ptr<JornalLocal> jornal;
        std::unique_ptr<ExecutorEQP> executor;
        std::unique_ptr<EnvioFuncoes> envio;
        std::unique_ptr<Reenvio> reenvio;
    };

    // Opens the connection (a restart while the server is away goes on without it: each statement
    // tries to open it again), the engine, the ERP link and the journal.
    std::unique_ptr<Sessao> abrir(bool reinicio)
    {
        auto s = std::make_unique<Sessao>();
        QString erro;
        if (!s->l.Abrir(m_par, &erro) && !reinicio) {
            erroArranque = erro;
            return nullptr;
        }
        s->eqp.setBd_lig(&s->l);
        s->eqp.setOperador(&m_op);
        s->kova.setBaseDados(&s->l);
        s->kova.Ligar(m_pastaKova, QString(), QStringLiteral("CARGA"), QStringLiteral("terminal%1").arg(m_k),
                      QStringLiteral("x"));
        const QString destino = m_par.descricao();
        s->jornal = std::make_unique<JornalLocal>(m_ficheiroJornal);
        s->executor = std::make_unique<ExecutorEQP>(s->eqp, Nome(m_k));
        s->envio = std::make_unique<EnvioFuncoes>(*s->executor, *s->jornal, destino, Nome(m_k));
        s->reenvio = std::make_unique<Reenvio>(*s->jornal, *s->executor, destino);
        QObject::connect(s->reenvio.get(), &Reenvio::entradaTratada,
                         [this](const EventoReenvio& ev) { tratarReenvio(ev); });
        m_proximoReenvio = Relogio::now();
        return s;
    }

    int pendentes(Sessao& s)
    {
        try {
            return s.jornal->NumeroPendentes();
        } catch (const ErroJornal& e) {
            errosJornal << e.texto();
            return 0;
        }
    }

    // Sends a few waiting entries when the back-off allows (`tudo`: all that can go now).
    void reenviarSeDevido(Sessao& s, bool tudo)
    {
        if (Relogio::now() < m_proximoReenvio || pendentes(s) == 0) return;
        const RelatorioReenvio r = s.reenvio->Executar(tudo ? -1 : 3);
        if (r.falhaJornal) errosJornal << r.falha;
        if (r.interrompido || r.ocupado) {
            m_espera = std::min(m_espera * 2, m_p.esperaMaximaMs);
            m_proximoReenvio = Relogio::now() + std::chrono::milliseconds(m_espera);
        } else {
            m_espera = m_p.esperaInicialMs;
        }
    }

    void tratarReenvio(const EventoReenvio& ev)
    {
        if (ev.desfecho == EventoReenvio::Desfecho::Adiada) return;
        const int i = m_porToken.value(ev.entrada.Token, -1);
        if (i < 0) return;
        Evento& e = eventos[i];
        e.reenviada = true;
        e.ok = ev.desfecho != EventoReenvio::Desfecho::Recusada;
        e.jaGravada = ev.desfecho == EventoReenvio::Desfecho::JaGravada;
        e.mensagem = ev.mensagem;
        e.msReenvio = qint64(microsDesde(m_t0) / 1000);
        if (m_p.aposReenvio) m_p.aposReenvio(e.msReenvio);
    }

    // Confirms engine function `codigo` as the screens do: with a new token, kept when the server
    // is out of reach. True when it was done now.
    bool enviar(Sessao& s, Evento& e, const QString& codigo, QString& msg, const QString& motivo = {})
    {
        EntradaJornal f;
        f.Funcao = codigo;
        f.Utilizador = e.func;
        f.Obra = e.obra;
        f.Operacao = e.oper;
        f.Maquina = e.maq;
        f.MotivoSuspensao = motivo;
        f.DataHora = e.t;
        f.Token = RegistosTerminal::NovoToken();
        e.token = f.Token;
        const DesfechoConfirmacao d = s.envio->Confirmar(f);
        e.incerto = d.incerta;
        e.guardada = d.guardada;
        msg = d.resultado.mensagem;
        return !d.guardada && d.resultado.resultado;
    }

private:
    int aleatorio(int n) { return std::uniform_int_distribution<int>(0, std::max(0, n - 1))(m_rng); }
    bool sorte(double p) { return std::uniform_real_distribution<double>(0, 1)(m_rng) < p; }

    // The employee's running and interrupted lines, as they are now (another terminal may be changing
    // them). When they cannot be read, the terminal knows of none.
    static Func conhecer(LigacaoDados& l, const QString& codigo)
    {
        Func f{codigo, {}, {}};
        try {
            for (const auto& x :
                 l.consultar(QStringLiteral("SELECT NoFo, Opera, Maquina, Data, Estado FROM oka_LinFo_Ope"
                                            " WHERE Func = ? AND HoraFim = 0 AND Total = 0"
                                            " AND HoraInicio <> 0 UNION ALL"
                                            " SELECT NoFo, Opera, Maquina, Data, Estado FROM oka_LinFo_Ope"
                                            " WHERE Func = ? AND Estado = 8 ORDER BY 1, 2, 3"),
                             {codigo, codigo})) {
                const Aberta a{x.texto(0), x.texto(1), x.texto(2), x.data("Data")};
                (x.inteiro(4) == 8 ? f.interrompidas : f.abertas) << a;
            }
        } catch (const ErroBD&) {
        }
        return f;
    }

    Evento passo(Sessao& s, const QDateTime& t)
    {
        Cl_EQP& eqp = s.eqp;
        OperadorScript& op = m_op;
        LigacaoKovaBD& kova = s.kova;
        LigacaoDados& l = s.l;
        const bool partilhado = !m_partilhados.isEmpty() && sorte(m_p.partilha);
        const QStringList& quem = partilhado || m_funcs.isEmpty() ? m_partilhados : m_funcs;
        const Func f = conhecer(l, quem[aleatorio(int(quem.size()))]);
        Evento e;
        e.terminal = m_k;
        e.func = f.codigo;
        e.t = t;
        QList<Aberta> hoje;
        for (const Aberta& a : f.abertas)
            if (a.dia == t.date()) hoje << a;
        const int r = aleatorio(100);
        if (!f.interrompidas.isEmpty() && f.abertas.isEmpty())
            e.tipo = r < 85 ? Tipo::DiaInicio : Tipo::Inicio; // a start is refused while the day is closed
        else if (r < 30 || (f.abertas.isEmpty() && r < 60))
            e.tipo = Tipo::Inicio;
        else if (r < 55)
            e.tipo = Tipo::Fim;
        else if (r < 61)
            e.tipo = Tipo::Suspender;
        else if (r < 64)
            e.tipo = Tipo::PorTerminar;
        else if (r < 66)
            e.tipo = Tipo::PorControlar;
        else if (r < 68)
            e.tipo = Tipo::Terminar;
        else if (r < 70)
            e.tipo = Tipo::NaoConforme;
        else if (r < 76)
            e.tipo = Tipo::DiaFim;
        else if (r < 78)
            e.tipo = Tipo::TerminaTodas;
        else if (r < 79)
            e.tipo = Tipo::SubContrato;
        else if (r < 91)
            e.tipo = Tipo::Gravar;
        else
            e.tipo = Tipo::Consulta;

        // Mostly valid choices from what the terminal knows; about one in ten is wrong on purpose.
        const bool errado = sorte(0.1);
        QString msg;
        op.tirarErros();
        const auto t0 = Relogio::now();
        try {
            switch (e.tipo) {
            case Tipo::Inicio: {
                if (errado && !hoje.isEmpty()) {
                    const Aberta& a = hoje[aleatorio(int(hoje.size()))];
                    e.obra = a.obra, e.oper = a.oper, e.maq = a.maq; // already running today: refused
                    e.deliberadamenteInvalido = true;
                } else {
                    e.obra = m_obras[aleatorio(int(m_obras.size()))];
                    e.oper = QString::number(1 + aleatorio(m_nOper));
                    e.maq = m_maqs[aleatorio(int(m_maqs.size()))];
                }
                e.ok = enviar(s, e, QStringLiteral("AC007"), msg);
                break;
            }
            case Tipo::Fim: {
                if (hoje.isEmpty() || errado) {
                    e.obra = m_obras[aleatorio(int(m_obras.size()))];
                    e.oper = QString::number(1 + aleatorio(m_nOper));
                    e.maq = QStringLiteral("SEM_MAQ");
                    e.deliberadamenteInvalido = true;
                } else {
                    const Aberta& a = hoje[aleatorio(int(hoje.size()))];
                    e.obra = a.obra, e.oper = a.oper, e.maq = a.maq;
                }
                e.ok = enviar(s, e, QStringLiteral("AC008"), msg);
                break;
            }
            case Tipo::Suspender:
            case Tipo::PorTerminar:
            case Tipo::PorControlar:
            case Tipo::Terminar:
            case Tipo::NaoConforme:
            case Tipo::SubContrato: {
                if (f.abertas.isEmpty() || errado) {
                    e.obra = m_obras[aleatorio(int(m_obras.size()))];
                    e.deliberadamenteInvalido = true;
                    for (const Aberta& a : f.abertas)
                        if (a.obra == e.obra) e.deliberadamenteInvalido = false;
                } else {
                    e.obra = f.abertas[aleatorio(int(f.abertas.size()))].obra;
                }
                switch (e.tipo) {
                case Tipo::Suspender:
                    e.ok = enviar(s, e, QStringLiteral("AC001"), msg, QStringLiteral("Avaria da máquina"));
                    break;
                case Tipo::PorTerminar:
                    e.ok = enviar(s, e, QStringLiteral("AC002"), msg);
                    break;
                case Tipo::PorControlar:
                    e.ok = enviar(s, e, QStringLiteral("AC003"), msg);
                    break;
                case Tipo::Terminar:
                    e.ok = enviar(s, e, QStringLiteral("AC004"), msg);
                    break;
                case Tipo::SubContrato:
                    e.ok = enviar(s, e, QStringLiteral("AC006"), msg);
                    break;
                default:
                    e.ok = enviar(s, e, QStringLiteral("AC005"), msg);
                    break;
                }
                break;
            }
            case Tipo::DiaFim:
                e.deliberadamenteInvalido = f.abertas.isEmpty();
                e.ok = enviar(s, e, QStringLiteral("OB003"), msg);
                break;
            case Tipo::DiaInicio:
                e.ok = enviar(s, e, QStringLiteral("OB002"), msg);
                break;
            case Tipo::TerminaTodas:
                e.deliberadamenteInvalido = f.abertas.isEmpty();
                e.ok = enviar(s, e, QStringLiteral("AC009"), msg);
                break;
            case Tipo::Gravar: {
                e.obra = m_obras[aleatorio(int(m_obras.size()))];
                const int n = 1 + aleatorio(5);
                while (e.artigos.size() < n) {
                    const QString a = m_artigos[aleatorio(int(m_artigos.size()))];
                    if (!e.artigos.contains(a)) {
                        e.artigos << a;
                        e.quantidades << Currency(1 + aleatorio(3));
                    }
                }
                if (errado) {
                    e.deliberadamenteInvalido = true;
                    if (sorte(0.5) && !m_descritores.isEmpty()) {
                        e.artigos << m_descritores[aleatorio(int(m_descritores.size()))];
                        e.quantidades << Currency(1);
                    } else {
                        e.quantidades.last() = Currency(10000000); // more than any stock
                    }
                }
                // A terminal restarted while the server was away links to the ERP once it answers.
                if (!kova.ligado())
                    kova.Ligar(m_pastaKova, QString(), QStringLiteral("CARGA"), QStringLiteral("terminal%1").arg(m_k),
                               QStringLiteral("x"));
                cl_GravaKova g;
                g.setBd(&l);
                g.setLigKova(&kova);
                g.setOperador(&op);
                QStringList arts{QString()}, vazios{QString()}, nomes{QString()}, arms{QString()};
                QList<double> q{0}, pu{0};
                for (int i = 0; i < e.artigos.size(); ++i) {
                    arts << e.artigos[i];
                    vazios << QString();
                    nomes << QStringLiteral("Artigo");
                    arms << GeradorDados::Armazem();
                    q << e.quantidades[i].toDouble();
                    pu << 1.25;
                }
                e.ok = g.GravaSaidas(arts, q, pu, vazios, QStringLiteral("PR"), e.obra, vazios, vazios, nomes, arms);
                break;
            }
            case Tipo::Consulta: {
                qint32 est = 0, sub = 0;
                e.obra = m_obras[aleatorio(int(m_obras.size()))];
                e.ok = eqp.Existe_FolhaObra(e.obra, est, sub);
                eqp.ListaOperacoesUtilizador(e.func);
                QString m, arm;
                eqp.ExisteQuantidadeNoArmazem(m_artigos[aleatorio(int(m_artigos.size()))], Currency(1), m, arm);
                break;
            }
            }
            e.mensagem = msg;
        } catch (const ErroBD& x) {
            e.ok = false;
            e.excepcao = true;
            e.ligacaoPerdida = x.tipo() == ErroBD::Tipo::LigacaoPerdida;
            e.incerto = x.tipo() == ErroBD::Tipo::ResultadoIncerto;
            e.mensagem =
                QStringLiteral("Erro ") + x.codigoNativo() + QStringLiteral(" (") + x.texto() + QStringLiteral(")");
        } catch (const ErroJornal& x) {
            e.ok = false;
            e.excepcao = true;
            e.mensagem = x.texto();
        } catch (const std::exception& x) {
            e.ok = false;
            e.excepcao = true;
            e.mensagem = QString::fromLocal8Bit(x.what());
        }
        e.us = microsDesde(t0);
        e.mensagensSistema = op.tirarErros();
        // A posting traps its errors and shows them; the text tells a lost COMMIT.
        for (const QString& m : e.mensagensSistema)
            if (m.contains(ErroBD::avisoResultadoIncerto())) e.incerto = true;
        return e;
    }

    int m_k;
    ParametrosCarga m_p;
    ParametrosLigacao m_par;
    QStringList m_funcs, m_partilhados;
    QStringList m_obras, m_artigos, m_descritores;
    int m_nOper;
    QStringList m_maqs;
    QString m_pastaKova;
    QDateTime m_arranque;
    QString m_ficheiroJornal;
    std::mt19937 m_rng;
    OperadorScript m_op;
    QHash<QString, int> m_porToken; // event by its token
    Relogio::time_point m_proximoReenvio{};
    Relogio::time_point m_t0{};
    int m_espera = 50;
};

class FioTerminal : public QThread
{
public:
    FioTerminal(Terminal* t, const std::atomic<bool>* parar, bench::Relogio::time_point t0)
        : m_t(t), m_parar(parar), m_t0(t0)
    {
    }
    void run() override { m_t->correr(*m_parar, m_t0); }

private:
    Terminal* m_t;
    const std::atomic<bool>* m_parar;
    bench::Relogio::time_point m_t0;
};

} // namespace detalhe

// The checks after a run (or at any quiet moment).
inline void verificar(LigacaoDados& l, const QStringList& funcs, const detalhe::Estado& antes, ResultadoCarga& r)
{
    using namespace detalhe;
    QStringList& v = r.violacoes;
    // 1. No duplicate line numbers.
    for (const char* tabela : {"oka_LinFo_Ope", "oka_LinFo_Apr"})
        for (const auto& x : l.consultar(QStringLiteral("SELECT NoFo, NoLinha, COUNT(*) FROM %1 GROUP BY NoFo, NoLinha "
                                                        "HAVING COUNT(*) > 1")
                                             .arg(QLatin1String(tabela))))
            v << QStringLiteral("%1: linha %2/%3 repetida %4 vezes")
                     .arg(QLatin1String(tabela), x.texto(0), x.texto(1), x.texto(2));
    // 2. Running lines have no end.
    const qint64 abertasComFim =
        l.consultar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE Estado = 1 AND HoraFim <> 0"))
            .primeira()
            .inteiro(0);
    if (abertasComFim) v << QStringLiteral("%1 linhas em estado 1 com HoraFim diferente de 0").arg(abertasComFim);
    // 3. Every order's costs equal a fresh roll-up.
    {
        const Currency ci = LerCI(l);
        QHash<QString, std::array<Currency, 3>> c;
        for (const auto& x : l.consultar(
                 QStringLiteral("SELECT NoFo, Total, CustoHomem, CustoMaquina FROM oka_LinFo_Ope WHERE Total > 0"))) {
            const Currency h = HoraParaDecimal(x.moeda(1));
            auto& s = c[x.texto(0)];
            s[0] += (x.moeda(2) + x.moeda(3)) * h;
            s[1] += h * ci;
        }
        for (const auto& x :
             l.consultar(QStringLiteral("SELECT a.NoFo, a.QtdOr, a.PrUnit FROM oka_LinFo_Apr a "
                                        "INNER JOIN ARTIGOS r ON a.Artigo = r.CODIGO WHERE r.ARTOUDES = 0")))
            c[x.texto(0)][2] += x.moeda(1) * x.moeda(2);
        int erradas = 0;
        for (const auto& x :
             l.consultar(QStringLiteral("SELECT Fo, TotalCustoProd, TotalCustoInd, CustoMat FROM oka_CabOrc"))) {
            const auto s = c.value(x.texto(0));
            if (x.moeda(1) != s[0] || x.moeda(2) != s[1] || x.moeda(3) != s[2]) {
                if (erradas++ < 10)
                    v << QStringLiteral("ordem %1: custos %2/%3/%4, recalculados %5/%6/%7")
                             .arg(x.texto(0), x.moeda(1).toString(), x.moeda(2).toString(), x.moeda(3).toString(),
                                  s[0].toString(), s[1].toString(), s[2].toString());
            }
        }
        if (erradas > 10) v << QStringLiteral("... %1 ordens com custos errados ao todo").arg(erradas);
    }
    // 4. Every change of a test employee's lines is explained by an operation reported done, and
    //    every operation reported done left its mark.
    {
        const QHash<QString, Linha> depois = linhasDe(l, funcs);
        QHash<QString, const Evento*> porInicio, porFim; // func + stamp (order + stamp for subcontracting)
        QSet<QString> comDiaInicio;
        for (const Evento& e : r.eventos) {
            const QString chave = e.func + QLatin1Char('@') + e.t.toString(Qt::ISODate);
            if (e.ok && (e.tipo == Tipo::Inicio || e.tipo == Tipo::DiaInicio)) porInicio.insert(chave, &e);
            if (e.ok && estadoEscrito(e.tipo))
                porFim.insert((e.tipo == Tipo::SubContrato ? e.obra : e.func) + QLatin1Char('@') + hh(e.t).toSql(), &e);
            if ((e.ok || (e.incerto && e.token.isEmpty())) && e.tipo == Tipo::DiaInicio) comDiaInicio.insert(e.func);
        }
        // Events without a token whose connection was lost: when it went during the COMMIT the
        // work may have landed unanswered, so their marks are neither required nor unexplained.
        // An engine function's token settles it (section 6).
        QHash<QString, const Evento*> perdidosInicio, perdidosFim;
        for (const Evento& e : r.eventos)
            if (!e.ok && e.token.isEmpty() && (e.ligacaoPerdida || e.incerto)) {
                perdidosInicio.insert(e.func + QLatin1Char('@') + e.t.toString(Qt::ISODate), &e);
                perdidosFim.insert((e.tipo == Tipo::SubContrato ? e.obra : e.func) + QLatin1Char('@') + hh(e.t).toSql(),
                                   &e);
            }
        QSet<const Evento*> vistos;
        int inexplicadas = 0;
        auto inexplicada = [&](const QString& texto) {
            if (inexplicadas++ < 10) v << texto;
        };
        for (auto it = depois.cbegin(); it != depois.cend(); ++it) {
            const Linha& d = it.value();
            const auto a = antes.linhas.constFind(it.key());
            const bool nova = a == antes.linhas.cend();
            if (!nova && *a == d) continue;
            if (nova || a->data != d.data || a->inicio != d.inicio) {
                const qint64 raw = d.inicio.raw();
                const QDateTime t(d.data, QTime(int(raw / 10000), int(raw / 100 % 100), int(raw % 100)));
                const QString k = d.func + QLatin1Char('@') + t.toString(Qt::ISODate);
                const Evento* e = porInicio.value(k);
                if (e && e->obra == d.obra && QString::number(d.oper) == e->oper.trimmed())
                    vistos.insert(e);
                else if (e && e->tipo == Tipo::DiaInicio)
                    vistos.insert(e);
                else if (perdidosInicio.contains(k))
                    r.indeterminados << QStringLiteral("início %1 %2").arg(d.func, k);
                else
                    inexplicada(QStringLiteral("linha %1 de %2 iniciada às %3 sem operação que a explique")
                                    .arg(it.key(), d.func, t.toString(Qt::ISODate)));
            }
            const bool fimMudou = nova ? d.fim != Currency() : (a->fim != d.fim || a->total != d.total);
            if (fimMudou) {
                const QString k = d.func + QLatin1Char('@') + d.fim.toSql(),
                              kObra = d.obra + QLatin1Char('@') + d.fim.toSql();
                const Evento* e = porFim.value(k, porFim.value(kObra));
                const bool estadoBate =
                    e && (estadoEscrito(e->tipo) == d.estado || (e->tipo == Tipo::DiaFim && d.estado == 10));
                const bool ordemBate = e && (e->obra.isEmpty() || e->tipo == Tipo::DiaFim ||
                                             e->tipo == Tipo::TerminaTodas || e->obra == d.obra);
                if (estadoBate && ordemBate)
                    vistos.insert(e);
                else if (perdidosFim.contains(k) || perdidosFim.contains(kObra))
                    r.indeterminados << QStringLiteral("fecho %1 %2").arg(it.key(), k);
                else
                    inexplicada(QStringLiteral("linha %1 de %2 fechada (fim %3, estado %4) sem operação que o explique")
                                    .arg(it.key(), d.func, d.fim.toString())
                                    .arg(d.estado));
            } else if (!nova && a->estado != d.estado) {
                if (!(a->estado == 8 && d.estado == 10 && comDiaInicio.contains(d.func)))
                    inexplicada(QStringLiteral("linha %1 de %2 mudou de estado %3 para %4 sem operação que o explique")
                                    .arg(it.key(), d.func)
                                    .arg(a->estado)
                                    .arg(d.estado));
            }
        }
        for (auto it = antes.linhas.cbegin(); it != antes.linhas.cend(); ++it)
            if (!depois.contains(it.key()) && !(it->inicio == Currency() && it->total == Currency()))
                inexplicada(QStringLiteral("linha %1 de %2 desapareceu").arg(it.key(), it->func));
        // Prepared lines: every closer leaves them as they are; one that is gone was taken over by a
        // start (and renumbered), so a start of its operation on its order made a new line.
        {
            const QHash<QString, Linha> agora = semInicio(l, false);
            QHash<QString, int> tomadas, iniciadas; // order/operation -> lines
            auto chave = [](const Linha& x) { return x.obra + QLatin1Char('/') + QString::number(x.oper); };
            for (auto it = antes.preparadas.cbegin(); it != antes.preparadas.cend(); ++it) {
                const auto d = agora.constFind(it.key());
                if (d == agora.cend())
                    ++tomadas[chave(*it)];
                else if (!(*d == *it))
                    inexplicada(
                        QStringLiteral("linha preparada %1 mudou sem ser iniciada (fim %2, total %3, estado %4)")
                            .arg(it.key(), d->fim.toString(), d->total.toString())
                            .arg(d->estado));
            }
            for (auto it = depois.cbegin(); it != depois.cend(); ++it)
                if (!antes.linhas.contains(it.key())) ++iniciadas[chave(*it)];
            for (auto it = tomadas.cbegin(); it != tomadas.cend(); ++it)
                if (it.value() > iniciadas.value(it.key()))
                    inexplicada(QStringLiteral("%1 linhas preparadas de %2 desapareceram e só %3 foram iniciadas")
                                    .arg(it.value())
                                    .arg(it.key())
                                    .arg(iniciadas.value(it.key())));
        }
        if (inexplicadas > 10) v << QStringLiteral("... %1 mudanças sem explicação ao todo").arg(inexplicadas);
        int semMarca = 0;
        for (const Evento& e : r.eventos)
            if (e.ok && (e.tipo == Tipo::Inicio || e.tipo == Tipo::DiaInicio || estadoEscrito(e.tipo)) &&
                !vistos.contains(&e)) {
                // Dia_Inicio whose every resume met a running duplicate writes only state 10;
                // subcontracting an order with no running line is done and changes nothing.
                if (e.tipo == Tipo::DiaInicio || e.tipo == Tipo::SubContrato) continue;
                if (semMarca++ < 10)
                    v << QStringLiteral("%1 de %2 às %3 na obra %4 dada como feita, sem rasto na base de dados")
                             .arg(nomeTipo(e.tipo), e.func, e.t.toString(Qt::ISODate), e.obra);
            }
        if (semMarca > 10) v << QStringLiteral("... %1 operações sem rasto ao todo").arg(semMarca);
    }
    // 5. Stock: what the ERP holds is the initial stock less what the terminals saw posted, plus
    //    any of the postings whose COMMIT went unanswered (each one landed whole or not at all).
    {
        struct Lancamentos
        {
            QHash<QString, Currency> quantidade;
            qint64 documentos = 0, linhas = 0;
            void somar(const Evento& e)
            {
                ++documentos;
                for (int i = 0; i < e.artigos.size(); ++i) {
                    quantidade[e.artigos[i]] += e.quantidades[i];
                    ++linhas;
                }
            }
        };
        Lancamentos certos;
        QList<const Evento*> incertos;
        for (const Evento& e : r.eventos)
            if (e.tipo == Tipo::Gravar && e.ok)
                certos.somar(e);
            else if (e.tipo == Tipo::Gravar && e.incerto)
                incertos << &e;
        const detalhe::Estado agora = fotografia(l, {});
        auto diferencas = [&](const Lancamentos& p) {
            QStringList d;
            if (agora.documentos - antes.documentos != p.documentos)
                d << QStringLiteral("documentos do ERP: %1 novos, %2 gravações dadas como feitas")
                         .arg(agora.documentos - antes.documentos)
                         .arg(p.documentos);
            if (agora.linhasApr - antes.linhasApr != p.linhas)
                d << QStringLiteral("linhas de material: %1 novas, %2 dadas como gravadas")
                         .arg(agora.linhasApr - antes.linhasApr)
                         .arg(p.linhas);
            int erradas = 0;
            for (auto it = antes.stock.cbegin(); it != antes.stock.cend(); ++it) {
                const Currency esperado = it.value() - p.quantidade.value(it.key());
                const Currency aprEsperado = antes.apr.value(it.key()) + p.quantidade.value(it.key());
                if (agora.stock.value(it.key()) != esperado || agora.apr.value(it.key()) != aprEsperado)
                    if (erradas++ < 10)
                        d << QStringLiteral("artigo %1: stock %2 (esperado %3), material %4 (esperado %5)")
                                 .arg(it.key(), agora.stock.value(it.key()).toString(), esperado.toString(),
                                      agora.apr.value(it.key()).toString(), aprEsperado.toString());
            }
            return d;
        };
        QStringList d = diferencas(certos);
        // A handful at most in a run; every subset of them is tried.
        const int n = int(std::min<qsizetype>(incertos.size(), 12));
        for (quint32 m = 1; !d.isEmpty() && m < (1u << n); ++m) {
            Lancamentos p = certos;
            for (int i = 0; i < n; ++i)
                if (m & (1u << i)) p.somar(*incertos[i]);
            if (diferencas(p).isEmpty()) {
                d.clear();
                for (int i = 0; i < n; ++i)
                    r.indeterminados << QStringLiteral("gravação de %1 na obra %2: %3")
                                            .arg(incertos[i]->func, incertos[i]->obra,
                                                 (m & (1u << i)) ? QStringLiteral("ficou feita")
                                                                 : QStringLiteral("não ficou"));
            }
        }
        v << d;
    }
    // 6. Tokens: an engine function is done exactly when its token is on the server, recorded
    //    with the function's own date and time; nothing kept is left unsent; no token without
    //    its function.
    {
        QHash<QString, QString> noServidor; // token -> DataHora as "yyyy-MM-dd hh:mm:ss"
        for (const auto& x : l.consultar(QStringLiteral("SELECT Token, DataHora FROM oka_RegistosTerminal"
                                                        " WHERE Terminal LIKE 'carga-%'")))
            noServidor.insert(x.texto(0), x.texto(1).left(19).replace(u'T', u' '));
        int erradas = 0;
        auto errada = [&](const QString& texto) {
            if (erradas++ < 10) v << texto;
        };
        QSet<QString> vistos;
        for (const Evento& e : r.eventos) {
            if (e.token.isEmpty()) continue;
            vistos.insert(e.token);
            const QString qual = QStringLiteral("%1 de %2 às %3")
                                     .arg(nomeTipo(e.tipo), e.func, e.t.toString(QStringLiteral("hh:mm:ss")));
            if (e.guardada && !e.reenviada) errada(qual + QStringLiteral(" guardada sem ligação e nunca enviada"));
            const auto it = noServidor.constFind(e.token);
            const bool la = it != noServidor.cend();
            // What TerminaTodasOperacoes ended stays ended when another order could not be.
            const bool parcial = e.tipo == Tipo::TerminaTodas &&
                                 e.mensagem.startsWith(QLatin1String("Não foi possivel terminar as operações da obra"));
            if (e.ok && !la) errada(qual + QStringLiteral(" dada como feita sem o seu token no servidor"));
            if (!e.ok && la && !parcial)
                errada(qual + QStringLiteral(" não feita (%1), mas o seu token está no servidor").arg(e.mensagem));
            if (la && *it != e.t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
                errada(qual + QStringLiteral(" gravada com a data e hora %1").arg(*it));
        }
        for (auto it = noServidor.cbegin(); it != noServidor.cend(); ++it)
            if (!vistos.contains(it.key())) errada(QStringLiteral("token %1 sem função que o explique").arg(it.key()));
        if (erradas > 10) v << QStringLiteral("... %1 funções em desacordo com os seus tokens ao todo").arg(erradas);
    }
}

// Runs the terminals on the database `par` (generated beforehand) and checks it. `avaria` tells
// which errors are expected: those of events stamped while it returns true for their ms.
inline ResultadoCarga correrCarga(const ParametrosLigacao& par, ParametrosCarga p,
                                  const std::function<bool(qint64)>& avaria = {})
{
    using namespace detalhe;
    ResultadoCarga r;
    LigacaoDados l;
    QString erro;
    if (!l.Abrir(par, &erro)) throw std::runtime_error(erro.toStdString());
    l.definirTempoLimiteInstrucao(0); // the snapshot and the checks read whole tables
    QTemporaryDir pastaTemp, pastaJornais;
    if (p.pastaKova.isEmpty()) p.pastaKova = pastaTemp.path();
    if (!p.dia.isValid()) {
        const Registos d = l.consultar(QStringLiteral("SELECT MAX(Data) AS Dia FROM oka_LinFo_Ope"));
        p.dia = d.primeira().data(QStringLiteral("Dia")).isValid() ? d.primeira().data(QStringLiteral("Dia")).addDays(1)
                                                                   : QDate::currentDate();
    }
    QStringList obras, artigos, descritores, maquinas;
    for (const auto& x : l.consultar(QStringLiteral("SELECT Fo FROM oka_CabOrc WHERE EstadoFo = 1 ORDER BY Fo")))
        obras << x.texto(0);
    for (const auto& x :
         l.consultar(QStringLiteral("SELECT ARTIGO FROM ARTARM WHERE ARMAZEM = ? AND EXISTENC > 1000 ORDER BY ARTIGO"),
                     {GeradorDados::Armazem()}))
        artigos << x.texto(0);
    for (const auto& x : l.consultar(QStringLiteral("SELECT CODIGO FROM ARTIGOS WHERE ARTOUDES <> 0 ORDER BY CODIGO")))
        descritores << x.texto(0);
    for (const auto& x : l.consultar(QStringLiteral("SELECT MaqId FROM oka_Maquinas ORDER BY MaqId")))
        maquinas << x.texto(0);
    const int nOper = int(l.consultar(QStringLiteral("SELECT COUNT(*) FROM oka_Operacoes")).primeira().inteiro(0));
    QStringList todos;
    for (const auto& x : l.consultar(QStringLiteral("SELECT FuncId FROM oka_Funcionarios ORDER BY FuncId")))
        todos << x.texto(0);
    if (obras.isEmpty() || artigos.isEmpty() || todos.isEmpty())
        throw std::runtime_error("the database has no open orders, stock or employees: generate it first");

    // Employees dealt out to the terminals, then the few that every terminal serves.
    QStringList funcs, partilhados;
    std::vector<QStringList> porTerminal(p.terminais);
    for (int k = 0; k < p.terminais; ++k)
        for (int j = 0; j < p.funcionariosPorTerminal; ++j) {
            const int i = (k + j * p.terminais) % int(todos.size());
            if (funcs.contains(todos[i])) continue;
            porTerminal[k] << todos[i];
            funcs << todos[i];
        }
    for (int i = p.terminais * p.funcionariosPorTerminal;
         partilhados.size() < p.funcionariosPartilhados && funcs.size() < todos.size(); ++i)
        if (!funcs.contains(todos[i % todos.size()])) {
            partilhados << todos[i % todos.size()];
            funcs << todos[i % todos.size()];
        }
    const Estado antes = fotografia(l, funcs);

    std::vector<std::unique_ptr<Terminal>> terminais;
    std::vector<std::unique_ptr<FioTerminal>> fios;
    std::atomic<bool> parar{false};
    const auto t0 = Relogio::now();
    for (int k = 0; k < p.terminais; ++k)
        terminais.push_back(std::make_unique<Terminal>(
            k, p, par, porTerminal[k], partilhados, obras, artigos, descritores, nOper, maquinas, p.pastaKova,
            QDateTime::currentDateTime(), pastaJornais.filePath(QStringLiteral("jornal-%1.db").arg(k))));
    for (int k = 0; k < p.terminais; ++k) {
        fios.push_back(std::make_unique<FioTerminal>(terminais[k].get(), &parar, t0));
        fios.back()->start();
    }
    // The run's seconds, or less when every terminal has used up the run's day (each second of it
    // stamps one step): the rate is then that of the steps actually run.
    const auto limite = t0 + std::chrono::milliseconds(qint64(p.segundos * 1000));
    while (Relogio::now() < limite &&
           !std::all_of(fios.begin(), fios.end(), [](const auto& f) { return f->isFinished(); }))
        QThread::msleep(20);
    r.diaEsgotado = std::all_of(fios.begin(), fios.end(), [](const auto& f) { return f->isFinished(); });
    parar = true;
    for (auto& f : fios)
        f->wait();
    r.segundos = microsDesde(t0) / 1e6;

    for (auto& t : terminais) {
        if (!t->erroArranque.isEmpty())
            r.errosInesperados << QStringLiteral("terminal sem ligação: ") + t->erroArranque;
        r.eventos += t->eventos;
        r.falhasLog += t->falhasLog;
        if (r.primeiraFalhaLog.isEmpty()) r.primeiraFalhaLog = t->primeiraFalhaLog;
        r.porEnviar += t->porEnviar;
        r.reinicios += t->reinicios;
        for (const QString& e : t->errosJornal)
            r.errosInesperados << QStringLiteral("jornal: ") + e;
    }
    for (const Evento& e : r.eventos) {
        r.guardadas += e.guardada ? 1 : 0;
        r.reenviadas += e.reenviada ? 1 : 0;
        r.jaGravadas += e.jaGravada ? 1 : 0;
        r.incertas += e.incerto && !e.token.isEmpty() && !e.guardada ? 1 : 0;
    }
    for (const Evento& e : r.eventos) {
        const QString nome = nomeTipo(e.tipo);
        r.latencias[nome].adicionar(e.us);
        auto& c = r.contagens[nome];
        // A refused posting shows the ERP's answer in the system message box: expected when the
        // posting was wrong on purpose.
        const bool mensagemEsperada = e.tipo == Tipo::Gravar && !e.ok && e.deliberadamenteInvalido && !e.excepcao &&
                                      e.mensagensSistema.size() == 1 &&
                                      e.mensagensSistema[0].startsWith(QLatin1String("Erro: "));
        const bool erro = e.excepcao || (!e.mensagensSistema.isEmpty() && !mensagemEsperada);
        c[e.ok ? 0 : erro ? 2 : 1]++;
        if (!erro) continue;
        if (avaria && avaria(e.msDesdeInicio)) {
            ++r.errosEsperados;
            continue;
        }
        r.errosInesperados << QStringLiteral("%1 (terminal %2, %3 às %4): %5")
                                  .arg(nomeTipo(e.tipo))
                                  .arg(e.terminal)
                                  .arg(e.func, e.t.toString(QStringLiteral("hh:mm:ss")),
                                       e.excepcao ? e.mensagem : e.mensagensSistema.join(QStringLiteral(" | ")));
    }
    r.funcionarios = funcs;
    r.partilhados = partilhados;
    r.antes = antes;
    verificar(l, funcs, antes, r);
    return r;
}

} // namespace bench
