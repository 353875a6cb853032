// bench_latencia: what each engine operation costs over a network of 1, 5 and 20 ms round trip.
// A delaying proxy on loopback (comum/ProxyAtraso.hpp) stands between the terminal and the
// throwaway PostgreSQL; the operations run through QPSQL and through QODBC + psqlODBC, and the
// proxy counts, per operation, the statements, preparations, releases and round trips at the
// wire. SQLite runs the same operations without a proxy. See bench/README.md.
//
//   bench_latencia [--idas-voltas 1,5,20] [--repeticoes 7] [--orcamento 2] [--caminhos qpsql,odbc,sqlite]
//                  [--operacoes A,B] [--rapido] [--fumo] [--referencia FILE|-] [--guardar FILE]
//                  [--odbc "Attr=V;..."] [--linhas N] [--traco]
#include <functional>
#include <map>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>

#include "comum/BancoMotor.hpp"
#include "comum/LigacaoBench.hpp"
#include "comum/Medicao.hpp"
#include "comum/ProxyAtraso.hpp"
#include "dataaccess/RegistosTerminal.h"

using namespace bench;

namespace {

QTextStream out(stdout);
QTextStream err(stderr);

struct Opcoes
{
    QList<int> idasVoltasMs{1, 5, 20};
    int repeticoes = 7;
    int repeticoesSqlite = 31;
    double orcamento = 2.0; // seconds per operation and delay, after the first three repetitions
    QStringList caminhos{QStringLiteral("qpsql"), QStringLiteral("odbc"), QStringLiteral("sqlite")};
    QStringList operacoes; // empty: all
    bool fumo = false;
    bool traco = false; // print what each operation sent, once per path
    QString referencia;
    QString guardar;
    QString odbcExtra;
    ParametrosGerador fabrica;
};

struct Caso
{
    QString nome;
    std::function<void(Alvo&)> preparar; // untimed, without delay
    std::function<bool(Alvo&)> correr;   // timed
    std::function<void(Alvo&)> limpar;   // untimed, without delay
};

class Banco : public BancoMotor
{
public:
    using BancoMotor::BancoMotor;
    std::vector<Caso> casos();

private:
    // A confirmed function as the terminals run it: with its token, written by the engine in the
    // operation's own transaction.
    Cl_EQP& comToken(const char* funcao)
    {
        m_eqp.setToken(RegistosTerminal::NovoToken(), QStringLiteral("bench"), QString::fromLatin1(funcao));
        return m_eqp;
    }
};

std::vector<Caso> Banco::casos()
{
    std::vector<Caso> c;
    auto nada = [](Alvo&) {};
    // A running line of a free employee to act on.
    auto comInicio = [this](Alvo& a) { iniciado(a); };
    // Two running lines of one employee on two orders.
    auto doisInicios = [this](Alvo& a) {
        novoAlvo(a);
        QString outra = obra();
        while (outra == a.obra && m_obras.size() > 1)
            outra = obra();
        inicio(a.func, a.obra, a.oper, a.maq);
        inicio(a.func, outra, oper(), a.maq);
        a.t = agora();
    };
    auto fimDe = [this](Alvo& a) { terminarTudo(a.func); };
    auto estado = [&](const char* nome, std::function<bool(Alvo&, QString&)> f) {
        c.push_back({QString::fromLatin1(nome), comInicio,
                     [f](Alvo& a) {
                         QString m;
                         return f(a, m);
                     },
                     nada});
    };

    c.push_back({QStringLiteral("Operacao_Inicio"), [this](Alvo& a) { paraIniciar(a); },
                 [this](Alvo& a) {
                     QString m;
                     return comToken("AC007").Operacao_Inicio(a.func, a.obra, a.oper, a.maq, a.t, m, true);
                 },
                 fimDe});
    c.push_back({QStringLiteral("Operacao_fim"), comInicio,
                 [this](Alvo& a) {
                     QString m;
                     return comToken("AC008").Operacao_fim(a.func, a.obra, a.oper, a.maq, a.t, m);
                 },
                 nada});
    estado("Obra_Suspender", [this](Alvo& a, QString& m) {
        return comToken("AC001").Obra_Suspender(a.func, a.obra, a.t, QStringLiteral("Falta de material"), m);
    });
    estado("Obra_PorTerminar",
           [this](Alvo& a, QString& m) { return comToken("AC002").Obra_PorTerminar(a.func, a.obra, a.t, m); });
    estado("Obra_PorControlar",
           [this](Alvo& a, QString& m) { return comToken("AC003").Obra_PorControlar(a.func, a.obra, a.t, m); });
    estado("Obra_Terminar",
           [this](Alvo& a, QString& m) { return comToken("AC004").Obra_Terminar(a.func, a.obra, a.t, m); });
    estado("Obra_NaoConforme",
           [this](Alvo& a, QString& m) { return comToken("AC005").Obra_NaoConforme(a.func, a.obra, a.t, m); });
    estado("Obra_SubContrato",
           [this](Alvo& a, QString& m) { return comToken("AC006").Obra_SubContrato(a.obra, a.t, m); });
    c.push_back({QStringLiteral("Dia_Fim"), doisInicios,
                 [this](Alvo& a) {
                     QString m;
                     return comToken("OB003").Dia_Fim(a.func, a.t, m);
                 },
                 [this](Alvo& a) { diaReaberto(a); }});
    c.push_back({QStringLiteral("Dia_Inicio"),
                 [this, doisInicios](Alvo& a) {
                     doisInicios(a);
                     diaFechado(a);
                 },
                 [this](Alvo& a) {
                     QString m;
                     return comToken("OB002").Dia_Inicio(a.func, a.t, m);
                 },
                 fimDe});
    c.push_back({QStringLiteral("TerminaTodasOperacoes"), doisInicios,
                 [this](Alvo& a) {
                     QString m;
                     return comToken("AC009").TerminaTodasOperacoes(a.func, a.t, m);
                 },
                 nada});
    c.push_back({QStringLiteral("GravaSaidas (2 linhas)"), [this](Alvo& a) { artigos(a, 2); },
                 [this](Alvo& a) { return gravar(a); }, nada});
    c.push_back({QStringLiteral("GravaSaidas (10 linhas)"), [this](Alvo& a) { artigos(a, 10); },
                 [this](Alvo& a) { return gravar(a); }, nada});
    c.push_back({QStringLiteral("Existe_FolhaObra"), [this](Alvo& a) { a.obra = qualquerObra(); },
                 [this](Alvo& a) {
                     qint32 e = 0, s = 0;
                     return m_eqp.Existe_FolhaObra(a.obra, e, s);
                 },
                 nada});
    c.push_back({QStringLiteral("aNumeroProcessoDaOrdem"), [this](Alvo& a) { a.obra = qualquerObra(); },
                 [this](Alvo& a) { return !m_eqp.aNumeroProcessoDaOrdem(a.obra).isEmpty(); }, nada});
    c.push_back({QStringLiteral("ListaOperacoesUtilizador"), comInicio,
                 [this](Alvo& a) { return !m_eqp.ListaOperacoesUtilizador(a.func).vazio(); }, fimDe});
    c.push_back({QStringLiteral("ListaOrdensPorFUncionario"), nada,
                 [this](Alvo& a) { return !m_eqp.ListaOrdensPorFUncionario(a.func).vazio(); }, nada});
    c.push_back({QStringLiteral("CM_ValidaArtigo"), [this](Alvo& a) { artigos(a, 1); },
                 [this](Alvo& a) {
                     QString d, m, u;
                     double f = 0;
                     return m_eqp.CM_ValidaArtigo(a.artigos[0], d, f, m, u);
                 },
                 nada});
    c.push_back({QStringLiteral("ExisteQuantidadeNoArmazem"), [this](Alvo& a) { artigos(a, 1); },
                 [this](Alvo& a) {
                     QString m, arm;
                     return m_eqp.ExisteQuantidadeNoArmazem(a.artigos[0], Currency(1), m, arm);
                 },
                 nada});
    return c;
}

// Round-trip and 5 ms targets of the operations that have them (0: none).
struct Alvos
{
    int idasVoltas = 0;
    double ms5 = 0;
};

Alvos alvosDe(const QString& op)
{
    if (op == QLatin1String("Operacao_Inicio")) return {10, 60};
    if (op == QLatin1String("Operacao_fim")) return {8, 50};
    if (op.startsWith(QLatin1String("Obra_"))) return {10, 0};
    if (op == QLatin1String("GravaSaidas (10 linhas)")) return {25, 150};
    return {};
}

// Results of one operation on one path.
struct Resultado
{
    std::map<int, Amostras> tempos; // round trip in ms (0: no proxy) -> samples
    std::vector<ContagemPg> contagens;
    int falhas = 0;

    // "35", or "34-36" when repetitions differ.
    QString faixa(qint64 ContagemPg::*campo) const
    {
        if (contagens.empty()) return QStringLiteral("-");
        qint64 mn = contagens.front().*campo, mx = mn;
        for (const ContagemPg& c : contagens) {
            mn = std::min(mn, c.*campo);
            mx = std::max(mx, c.*campo);
        }
        return mn == mx ? QString::number(mn) : QStringLiteral("%1-%2").arg(mn).arg(mx);
    }
    qint64 maximo(qint64 ContagemPg::*campo) const
    {
        qint64 mx = 0;
        for (const ContagemPg& c : contagens)
            mx = std::max(mx, c.*campo);
        return mx;
    }
};

struct Caminho
{
    QString nome;        // "QPSQL", "ODBC", "SQLite"
    QString descricao;   // for the table's title
    ParametrosLigacao p; // through the proxy for QPSQL and ODBC
    bool comProxy = true;
};

using Resultados = std::map<QString, std::map<QString, Resultado>>; // path -> operation -> result

// Runs every case on one path: per repetition, the case at each delay in turn (starting at a
// different one each time, so a slower moment weighs on every delay alike). Preparation and
// clean-up run without delay and uncounted.
void medir(const Caminho& cam, ProxyAtraso* proxy, const Opcoes& o, const QDate& hoje, Resultados& res,
           QStringList& ordem)
{
    LigacaoDados l;
    QString erro;
    if (proxy) proxy->definirIdaVolta(std::chrono::nanoseconds(0));
    if (!l.Abrir(cam.p, &erro)) throw std::runtime_error(erro.toStdString());
    QTemporaryDir pastaKova;
    Banco b(l, hoje, pastaKova.path());
    const QList<int> atrasos = cam.comProxy ? o.idasVoltasMs : QList<int>{0};
    const int repeticoes = cam.comProxy ? o.repeticoes : o.repeticoesSqlite;
    out << cam.descricao << ":\n";
    out.flush();
    for (Caso& c : b.casos()) {
        if (!o.operacoes.isEmpty() && !o.operacoes.contains(c.nome)) continue;
        if (!ordem.contains(c.nome)) ordem << c.nome;
        Resultado& r = res[cam.nome][c.nome];
        const auto inicio = Relogio::now();
        // One untimed round first (server caches, the drivers' first-use work, the preparations).
        for (int i = -1; i < repeticoes; ++i) {
            for (int k = 0; k < (i < 0 ? 1 : atrasos.size()); ++k) {
                const int ms = atrasos[(k + std::max(i, 0)) % atrasos.size()];
                Alvo a;
                c.preparar(a);
                b.operador().tirarErros();
                const bool comTraco = proxy && o.traco && i == 0 && k == 0;
                if (proxy) {
                    proxy->definirIdaVolta(std::chrono::microseconds(ms * 1000));
                    proxy->definirTraco(comTraco);
                    proxy->tirarTraco();
                }
                const ContagemPg antes = proxy ? proxy->contagem() : ContagemPg{};
                const auto t0 = Relogio::now();
                bool ok = false;
                try {
                    ok = c.correr(a);
                } catch (const ErroBD& e) {
                    b.operador().erros << e.texto();
                }
                const double t = microsDesde(t0);
                const ContagemPg depois = proxy ? proxy->contagem() : ContagemPg{};
                if (proxy) {
                    proxy->definirIdaVolta(std::chrono::nanoseconds(0));
                    proxy->definirTraco(false);
                    if (comTraco) {
                        out << "  --- " << c.nome << " (" << cam.nome << "), no fio:\n";
                        int n = 0;
                        for (const QByteArray& linha : proxy->tirarTraco())
                            out << "    "
                                << (linha == "<" ? QStringLiteral("<   ida e volta %1").arg(++n)
                                                 : QString::fromUtf8(linha))
                                << "\n";
                    }
                }
                const QStringList erros = b.operador().tirarErros();
                c.limpar(a);
                if (i < 0) continue;
                if (!ok || !erros.isEmpty()) {
                    ++r.falhas;
                    if (r.falhas == 1)
                        err << "  " << cam.nome << " " << c.nome << ": falhou" << (erros.isEmpty() ? "" : ": ")
                            << erros.join(QStringLiteral(" / ")) << "\n";
                }
                r.tempos[ms].adicionar(t);
                if (proxy) r.contagens.push_back(depois - antes);
            }
            // At least three repetitions; then as many as the time allowed for this operation.
            if (i >= 2 && microsDesde(inicio) > o.orcamento * 1e6 * double(atrasos.size())) break;
        }
        out << "  " << c.nome << ":";
        if (proxy)
            out << " " << r.faixa(&ContagemPg::instrucoes) << " instruções, " << r.faixa(&ContagemPg::idasVoltas)
                << " idas e voltas;";
        for (int ms : atrasos)
            out << "  " << (ms ? QStringLiteral("%1 ms: ").arg(ms) : QString()) << us(r.tempos[ms].mediana());
        out << "\n";
        out.flush();
    }
}

// --- Results kept between runs (--guardar / --referencia) ---

QJsonObject paraJson(const Resultados& res, const Opcoes& o)
{
    QJsonObject caminhos;
    for (const auto& [cam, ops] : res) {
        QJsonObject porOp;
        for (const auto& [op, r] : ops) {
            QJsonObject j;
            if (!r.contagens.empty()) {
                j[QStringLiteral("instrucoes")] = double(r.maximo(&ContagemPg::instrucoes));
                j[QStringLiteral("transaccao")] = double(r.maximo(&ContagemPg::transaccao));
                j[QStringLiteral("preparacoes")] = double(r.maximo(&ContagemPg::preparacoes));
                j[QStringLiteral("libertacoes")] = double(r.maximo(&ContagemPg::libertacoes));
                j[QStringLiteral("idasVoltas")] = double(r.maximo(&ContagemPg::idasVoltas));
            }
            QJsonObject med;
            for (const auto& [ms, a] : r.tempos)
                med[QString::number(ms)] = std::round(a.mediana());
            j[QStringLiteral("medianas_us")] = med;
            j[QStringLiteral("falhas")] = r.falhas;
            porOp[op] = j;
        }
        caminhos[cam] = porOp;
    }
    QJsonArray atrasos;
    for (int ms : o.idasVoltasMs)
        atrasos << ms;
    return QJsonObject{{QStringLiteral("data"), QDateTime::currentDateTime().toString(Qt::ISODate)},
                       {QStringLiteral("idasVoltasMs"), atrasos},
                       {QStringLiteral("caminhos"), caminhos}};
}

QJsonObject lerReferencia(const QString& ficheiro)
{
    QFile f(ficheiro);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

QString marca(bool fora)
{
    return fora ? QStringLiteral(" !") : QString();
}

void imprimir(const std::vector<Caminho>& caminhos, const Resultados& res, const QStringList& ordem, const Opcoes& o,
              const QJsonObject& ref, int* foraDosAlvos)
{
    const QJsonObject refCaminhos = ref.value(QStringLiteral("caminhos")).toObject();
    const QString refData = ref.value(QStringLiteral("data")).toString().left(10);
    // The 5 ms median of the reference, or its first delay when 5 ms was not measured.
    const int msRef = o.idasVoltasMs.contains(5) ? 5 : o.idasVoltasMs.value(0);
    for (const Caminho& cam : caminhos) {
        if (!res.count(cam.nome)) continue;
        const QJsonObject refOps = refCaminhos.value(cam.nome).toObject();
        QStringList cab{QStringLiteral("operação")};
        if (cam.comProxy) {
            cab << QStringLiteral("instr.") << QStringLiteral("transacç.") << QStringLiteral("prep.")
                << QStringLiteral("libert.") << QStringLiteral("idas-voltas");
            for (int ms : o.idasVoltasMs)
                cab << QStringLiteral("med %1 ms").arg(ms);
        } else {
            cab << QStringLiteral("mediana");
        }
        cab << QStringLiteral("falhas");
        if (!refOps.isEmpty()) {
            if (cam.comProxy)
                cab << QStringLiteral("ref. instr.") << QStringLiteral("ref. idas-voltas")
                    << QStringLiteral("ref. %1 ms").arg(msRef);
            else
                cab << QStringLiteral("ref. mediana") << QStringLiteral("/ ref.");
        }
        if (cam.comProxy) cab << QStringLiteral("alvo idas-voltas") << QStringLiteral("alvo 5 ms");
        Tabela t(cab);
        for (const QString& op : ordem) {
            auto it = res.at(cam.nome).find(op);
            if (it == res.at(cam.nome).end()) continue;
            const Resultado& r = it->second;
            const Alvos alvo = alvosDe(op);
            QStringList l{op};
            if (cam.comProxy) {
                const bool foraIv = alvo.idasVoltas && r.maximo(&ContagemPg::idasVoltas) > alvo.idasVoltas;
                const bool fora5 = alvo.ms5 > 0 && r.tempos.count(5) && r.tempos.at(5).mediana() > alvo.ms5 * 1000;
                *foraDosAlvos += int(foraIv) + int(fora5);
                l << r.faixa(&ContagemPg::instrucoes) << r.faixa(&ContagemPg::transaccao)
                  << r.faixa(&ContagemPg::preparacoes) << r.faixa(&ContagemPg::libertacoes)
                  << r.faixa(&ContagemPg::idasVoltas) + marca(foraIv);
                for (int ms : o.idasVoltasMs)
                    l << (r.tempos.count(ms) ? us(r.tempos.at(ms).mediana()) : QStringLiteral("-")) +
                             (ms == 5 ? marca(fora5) : QString());
            } else {
                l << us(r.tempos.at(0).mediana());
            }
            l << QString::number(r.falhas);
            if (!refOps.isEmpty()) {
                const QJsonObject j = refOps.value(op).toObject();
                const QJsonObject med = j.value(QStringLiteral("medianas_us")).toObject();
                auto num = [&](const char* k) {
                    return j.contains(QLatin1String(k)) ? QString::number(j.value(QLatin1String(k)).toInteger())
                                                        : QStringLiteral("-");
                };
                if (cam.comProxy) {
                    const QString k = QString::number(msRef);
                    l << num("instrucoes") << num("idasVoltas")
                      << (med.contains(k) ? us(med.value(k).toDouble()) : QStringLiteral("-"));
                } else {
                    // Slower than the reference beyond the run-to-run noise of a median (10 %).
                    const double antes = med.value(QStringLiteral("0")).toDouble();
                    const bool maisLento = antes > 0 && r.tempos.at(0).mediana() > antes * 1.10;
                    *foraDosAlvos += int(maisLento);
                    l << (antes > 0 ? us(antes) : QStringLiteral("-"))
                      << (antes > 0 ? razao(r.tempos.at(0).mediana(), antes) + marca(maisLento) : QStringLiteral("-"));
                }
            }
            if (cam.comProxy)
                l << (alvo.idasVoltas ? QString::number(alvo.idasVoltas) : QStringLiteral("-"))
                  << (alvo.ms5 > 0 ? QStringLiteral("%1 ms").arg(alvo.ms5) : QStringLiteral("-"));
            t.linha(l);
        }
        out << "\n" << cam.descricao << "\n" << t.texto();
    }
    if (!refCaminhos.isEmpty())
        out << "\nref.: " << o.referencia << (refData.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(refData))
            << "\n";
}

// The run's PostgreSQL schema, dropped when the run ends however it ends.
struct EsquemaDaCorrida
{
    QString nome;
    EsquemaDaCorrida() = default;
    EsquemaDaCorrida(const EsquemaDaCorrida&) = delete;
    EsquemaDaCorrida& operator=(const EsquemaDaCorrida&) = delete;
    ~EsquemaDaCorrida()
    {
        if (nome.isEmpty()) return;
        LigacaoDados admin;
        if (!admin.Abrir(parametrosPgAmbiente(QString()))) return;
        try {
            admin.executar(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(nome));
        } catch (const ErroBD&) {
        }
    }
};

int usar()
{
    err << "Uso: bench_latencia [--idas-voltas 1,5,20] [--repeticoes N] [--orcamento SEGUNDOS]\n"
           "                    [--caminhos qpsql,odbc,sqlite] [--operacoes A,B] [--rapido] [--fumo]\n"
           "                    [--referencia FICHEIRO|-] [--guardar FICHEIRO] [--odbc \"Atributo=valor;...\"]\n"
           "                    [--linhas N] [--traco]\n"
           "PostgreSQL: TERMINAL_PG_HOST, TERMINAL_PG_PORT, TERMINAL_PG_DB, TERMINAL_PG_USER; ODBC: "
           "TERMINAL_ODBC_DSN.\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments().mid(1);
    Opcoes o;
    o.referencia = QStringLiteral(TERMINAL_BENCH_DIR "/latencia/antes.json");
    o.fabrica.linhas = 20000;
    o.fabrica.ordens = 400;
    o.fabrica.ordensAbertas = 200;
    o.fabrica.funcionarios = 300;
    o.fabrica.operacoes = 200;
    o.fabrica.maquinas = 100;
    o.fabrica.artigos = 2000;
    o.fabrica.hoje = QDate(2026, 3, 2);
    auto inteiros = [](const QString& s) {
        QList<int> v;
        for (const QString& p : s.split(u',', Qt::SkipEmptyParts))
            v << p.toInt();
        return v;
    };
    for (int i = 0; i < a.size(); ++i) {
        const QString& x = a[i];
        const bool temValor = i + 1 < a.size();
        if (x == QLatin1String("--idas-voltas") && temValor)
            o.idasVoltasMs = inteiros(a[++i]);
        else if (x == QLatin1String("--repeticoes") && temValor)
            o.repeticoes = std::max(1, a[++i].toInt());
        else if (x == QLatin1String("--orcamento") && temValor)
            o.orcamento = a[++i].toDouble();
        else if (x == QLatin1String("--caminhos") && temValor)
            o.caminhos = a[++i].toLower().split(u',', Qt::SkipEmptyParts);
        else if (x == QLatin1String("--operacoes") && temValor)
            o.operacoes = a[++i].split(u',', Qt::SkipEmptyParts);
        else if (x == QLatin1String("--referencia") && temValor)
            o.referencia = a[++i] == QLatin1String("-") ? QString() : a[i];
        else if (x == QLatin1String("--guardar") && temValor)
            o.guardar = a[++i];
        else if (x == QLatin1String("--odbc") && temValor)
            o.odbcExtra = a[++i];
        else if (x == QLatin1String("--traco"))
            o.traco = true;
        else if (x == QLatin1String("--linhas") && temValor)
            o.fabrica.linhas = a[++i].toLongLong();
        else if (x == QLatin1String("--rapido")) {
            o.idasVoltasMs = {5};
            o.repeticoes = 3;
            o.repeticoesSqlite = 11;
        } else if (x == QLatin1String("--fumo")) {
            o.fumo = true;
            o.idasVoltasMs = {1};
            o.repeticoes = 1;
            o.repeticoesSqlite = 1;
            o.fabrica.linhas = 3000;
            o.fabrica.ordens = 60;
            o.fabrica.ordensAbertas = 30;
            o.fabrica.funcionarios = 60;
            o.fabrica.operacoes = 20;
            o.fabrica.maquinas = 8;
            o.fabrica.artigos = 300;
        } else
            return usar();
    }
    if (o.idasVoltasMs.isEmpty()) return usar();
    for (int ms : o.idasVoltasMs)
        if (ms <= 0 || ms > 200) return usar();

    const bool querPg = o.caminhos.contains(QLatin1String("qpsql")) || o.caminhos.contains(QLatin1String("odbc"));
    if (querPg && !pgConfigurado()) {
        if (o.fumo) {
            out << "PostgreSQL não configurado (TERMINAL_PG_HOST): ensaio saltado\n";
            return 77; // ctest: skipped
        }
        err << "PostgreSQL não configurado: defina TERMINAL_PG_HOST, TERMINAL_PG_PORT, TERMINAL_PG_DB, "
               "TERMINAL_PG_USER, ou use --caminhos sqlite\n";
        return 2;
    }

    std::vector<Caminho> caminhos;
    Resultados res;
    QStringList ordem;
    EsquemaDaCorrida esquema;
    std::unique_ptr<ProxyAtraso> proxy;
    QTemporaryDir pastaSqlite;
    const int estado = correrPrincipal([&] {
        if (querPg) {
            // A schema of our own for this run, dropped at the end.
            esquema.nome = QStringLiteral("latencia_%1").arg(QCoreApplication::applicationPid());
            const ParametrosLigacao direto = parametrosPgAmbiente(esquema.nome);
            const ResultadoGerador g = gerarDeNovo(direto, o.fabrica);
            out << "PostgreSQL: fábrica de " << g.linhas << " linhas, " << g.ordens << " ordens gerada em "
                << QString::number(g.segundos, 'f', 1) << " s (esquema " << esquema.nome << ")\n";

            proxy = std::make_unique<ProxyAtraso>(
                direto.servidor == QLatin1String("localhost") ? QStringLiteral("127.0.0.1") : direto.servidor,
                direto.porta);
            QString erro;
            if (!proxy->iniciar(&erro)) throw std::runtime_error(("proxy: " + erro).toStdString());
            if (o.caminhos.contains(QLatin1String("qpsql"))) {
                ParametrosLigacao p = direto;
                p.servidor = QStringLiteral("127.0.0.1");
                p.porta = proxy->porta();
                caminhos.push_back({QStringLiteral("QPSQL"), QStringLiteral("PostgreSQL através de QPSQL"), p, true});
            }
            const QString dsn = qEnvironmentVariable("TERMINAL_ODBC_DSN");
            if (o.caminhos.contains(QLatin1String("odbc"))) {
                if (dsn.isEmpty()) {
                    out << "ODBC: TERMINAL_ODBC_DSN não definido; caminho ODBC saltado\n";
                } else {
                    // The data source with its server and port pointed at the proxy ("Server=" also
                    // tells QODBC that this is a connection string, not a DSN name).
                    ParametrosLigacao p = direto;
                    p.driver = QStringLiteral("QODBC");
                    p.servidor.clear();
                    p.porta = -1;
                    p.baseDados = QStringLiteral("DSN=%1;Server=127.0.0.1;Port=%2").arg(dsn).arg(proxy->porta());
                    if (!o.odbcExtra.isEmpty()) p.baseDados += QLatin1Char(';') + o.odbcExtra;
                    caminhos.push_back(
                        {QStringLiteral("ODBC"), QStringLiteral("PostgreSQL através de QODBC e psqlODBC"), p, true});
                }
            }
        }
        if (o.caminhos.contains(QLatin1String("sqlite"))) {
            const ParametrosLigacao p = parametrosSqlite(pastaSqlite.filePath(QStringLiteral("latencia.db")));
            const ResultadoGerador g = gerarDeNovo(p, o.fabrica);
            out << "SQLite: fábrica de " << g.linhas << " linhas gerada em " << QString::number(g.segundos, 'f', 1)
                << " s\n";
            caminhos.push_back({QStringLiteral("SQLite"), QStringLiteral("SQLite (sem proxy)"), p, false});
        }
        out.flush();

        const auto t0 = Relogio::now();
        for (const Caminho& cam : caminhos)
            medir(cam, cam.comProxy ? proxy.get() : nullptr, o, o.fabrica.hoje, res, ordem);
        const QJsonObject ref = o.fumo || o.referencia.isEmpty() ? QJsonObject{} : lerReferencia(o.referencia);
        int fora = 0;
        imprimir(caminhos, res, ordem, o, ref, &fora);
        if (proxy && proxy->contagem().cifradas)
            out << "Aviso: " << proxy->contagem().cifradas
                << " ligação(ões) cifrada(s): o proxy não as pôde ler (instruções por contar)\n";
        out << "Medido em " << QString::number(microsDesde(t0) / 1e6, 'f', 0) << " s; "
            << (fora ? QStringLiteral("%1 valor(es) fora dos alvos (!)").arg(fora)
                     : QStringLiteral("todos os valores com alvo dentro dele"))
            << "\n";
        if (!o.guardar.isEmpty()) {
            QFile f(o.guardar);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw std::runtime_error(("não foi possível escrever " + o.guardar).toStdString());
            f.write(QJsonDocument(paraJson(res, o)).toJson());
            out << "Resultados guardados em " << o.guardar << "\n";
        }
        return 0;
    });
    if (estado) return estado;
    // The smoke run: every operation worked and, through the proxy, was seen at the wire within its
    // round-trip target.
    if (o.fumo) {
        int problemas = 0;
        for (const auto& [cam, ops] : res)
            for (const auto& [op, r] : ops) {
                const bool visto = r.contagens.empty() ||
                                   (r.maximo(&ContagemPg::idasVoltas) > 0 && r.maximo(&ContagemPg::instrucoes) > 0);
                const int alvo = alvosDe(op).idasVoltas;
                const bool demais = alvo > 0 && !r.contagens.empty() && r.maximo(&ContagemPg::idasVoltas) > alvo;
                if (r.falhas || !visto || demais) {
                    err << "fumo: " << cam << " " << op
                        << (r.falhas ? QStringLiteral(": falhou")
                            : !visto ? QStringLiteral(": nada visto no proxy")
                                     : QStringLiteral(": %1 idas e voltas, alvo %2")
                                           .arg(r.maximo(&ContagemPg::idasVoltas))
                                           .arg(alvo))
                        << "\n";
                    ++problemas;
                }
            }
        return problemas ? 1 : 0;
    }
    return 0;
}
