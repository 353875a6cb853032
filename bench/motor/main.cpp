// bench_motor: times each engine operation a terminal uses (median and 99th percentile) on
// generated databases of growing history, against the same statements run bare through QtSql.
//   bench_motor --bd sqlite:FOLDER|pg:PREFIX [--tamanhos 10000,100000,1000000] [--repeticoes N]
//               [--reutilizar]
// Each size gets its own database (FOLDER/motor_<size>.db or schema PREFIX_<size>), generated
// anew unless --reutilizar finds it already there.
#include <functional>
#include <map>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

#include "base/Rotinas.h"
#include "comum/BancoMotor.hpp"
#include "comum/LigacaoBench.hpp"
#include "comum/Medicao.hpp"
#include "dataaccess/EsquemaBD.h"
#include "motor/Nu.h"

using namespace bench;

namespace {

QTextStream out(stdout);

struct Caso
{
    QString nome;
    std::function<void(Alvo&)> preparar; // untimed, through the engine
    std::function<bool(Alvo&)> motor;    // timed
    std::function<bool(Alvo&)> nu;       // timed
    std::function<void(Alvo&)> limpar;   // untimed
};

struct Resultado
{
    Amostras motor, nu;
    int falhas = 0;
};

// The engine and the same statements bare, on one connection.
class Banco : public BancoMotor
{
public:
    Banco(LigacaoDados& l, const QDate& dia, const QString& pastaKova) : BancoMotor(l, dia, pastaKova), m_nu(l) {}
    std::vector<Caso> casos();

private:
    Nu m_nu;
};

std::vector<Caso> Banco::casos()
{
    std::vector<Caso> c;
    auto nada = [](Alvo&) {};
    auto comInicio = [this](Alvo& a) { iniciado(a); };
    auto fimDe = [this](Alvo& a) { terminarTudo(a.func); };

    c.push_back({QStringLiteral("Operacao_Inicio"), [this](Alvo& a) { paraIniciar(a); },
                 [this](Alvo& a) {
                     QString m;
                     return m_eqp.Operacao_Inicio(a.func, a.obra, a.oper, a.maq, a.t, m, true);
                 },
                 [this](Alvo& a) { return m_nu.Inicio(a.func, a.obra, a.oper, a.maq, a.t, true); }, fimDe});
    c.push_back({QStringLiteral("Operacao_fim"), comInicio,
                 [this](Alvo& a) {
                     QString m;
                     return m_eqp.Operacao_fim(a.func, a.obra, a.oper, a.maq, a.t, m);
                 },
                 [this](Alvo& a) { return m_nu.Fim(a.func, a.obra, a.oper, a.maq, a.t); }, nada});
    c.push_back({QStringLiteral("Obra_Suspender"), comInicio,
                 [this](Alvo& a) {
                     QString m;
                     return m_eqp.Obra_Suspender(a.func, a.obra, a.t, QStringLiteral("Falta de material"), m);
                 },
                 [this](Alvo& a) {
                     const QString motivo = QStringLiteral("Falta de material");
                     return m_nu.MudarEstado(&a.func, a.obra, a.t, 9, 2, &motivo);
                 },
                 nada});
    c.push_back({QStringLiteral("Obra_PorTerminar"), comInicio,
                 [this](Alvo& a) {
                     QString m;
                     return m_eqp.Obra_PorTerminar(a.func, a.obra, a.t, m);
                 },
                 [this](Alvo& a) { return m_nu.MudarEstado(&a.func, a.obra, a.t, 2, 3, nullptr); }, nada});
    c.push_back({QStringLiteral("Obra_PorControlar"), comInicio,
                 [this](Alvo& a) {
                     QString m;
                     return m_eqp.Obra_PorControlar(a.func, a.obra, a.t, m);
                 },
                 [this](Alvo& a) { return m_nu.MudarEstado(&a.func, a.obra, a.t, 2, 4, nullptr); }, nada});
    c.push_back({QStringLiteral("Obra_Terminar"), comInicio,
                 [this](Alvo& a) {
                     QString m;
                     return m_eqp.Obra_Terminar(a.func, a.obra, a.t, m);
                 },
                 [this](Alvo& a) { return m_nu.MudarEstado(&a.func, a.obra, a.t, 2, 5, nullptr); }, nada});
    c.push_back({QStringLiteral("Obra_NaoConforme"), comInicio,
                 [this](Alvo& a) {
                     QString m;
                     return m_eqp.Obra_NaoConforme(a.func, a.obra, a.t, m);
                 },
                 [this](Alvo& a) { return m_nu.MudarEstado(&a.func, a.obra, a.t, 4, 7, nullptr); }, nada});
    c.push_back({QStringLiteral("Obra_SubContrato"), comInicio,
                 [this](Alvo& a) {
                     QString m;
                     return m_eqp.Obra_SubContrato(a.obra, a.t, m);
                 },
                 [this](Alvo& a) { return m_nu.MudarEstado(nullptr, a.obra, a.t, 2, 6, nullptr); }, nada});
    auto doisInicios = [this](Alvo& a) {
        novoAlvo(a);
        a.obras = QStringList{obra(), obra()};
        if (a.obras[0] == a.obras[1]) a.obras.removeLast();
        a.opers = QStringList{oper(), oper()};
        for (int i = 0; i < a.obras.size(); ++i)
            inicio(a.func, a.obras[i], a.opers[i], a.maq);
        a.t = agora();
    };
    c.push_back({QStringLiteral("Dia_Fim"), doisInicios,
                 [this](Alvo& a) {
                     QString m;
                     return m_eqp.Dia_Fim(a.func, a.t, m);
                 },
                 [this](Alvo& a) { return m_nu.DiaFim(a.func, a.t); }, [this](Alvo& a) { diaReaberto(a); }});
    c.push_back({QStringLiteral("Dia_Inicio"),
                 [this, doisInicios](Alvo& a) {
                     doisInicios(a);
                     diaFechado(a);
                 },
                 [this](Alvo& a) {
                     QString m;
                     return m_eqp.Dia_Inicio(a.func, a.t, m);
                 },
                 [this](Alvo& a) { return m_nu.DiaInicio(a.func, a.t); }, fimDe});
    c.push_back({QStringLiteral("TerminaTodasOperacoes"), doisInicios,
                 [this](Alvo& a) {
                     QString m;
                     return m_eqp.TerminaTodasOperacoes(a.func, a.t, m);
                 },
                 [this](Alvo& a) { return m_nu.TerminaTodas(a.func, a.t); }, nada});
    c.push_back({QStringLiteral("Existe_FolhaObra"), [this](Alvo& a) { a.obra = qualquerObra(); },
                 [this](Alvo& a) {
                     qint32 e = 0, s = 0;
                     return m_eqp.Existe_FolhaObra(a.obra, e, s);
                 },
                 [this](Alvo& a) { return m_nu.ExisteFolhaObra(a.obra); }, nada});
    c.push_back({QStringLiteral("aNumeroProcessoDaOrdem"), [this](Alvo& a) { a.obra = qualquerObra(); },
                 [this](Alvo& a) { return !m_eqp.aNumeroProcessoDaOrdem(a.obra).isEmpty(); },
                 [this](Alvo& a) { return m_nu.NumeroProcesso(a.obra); }, nada});
    c.push_back({QStringLiteral("ListaOperacoesUtilizador"),
                 [this](Alvo& a) { a.func = GeradorDados::CodigoFuncionario(aleatorio(100)); },
                 [this](Alvo& a) { return m_eqp.ListaOperacoesUtilizador(a.func).size() >= 0; },
                 [this](Alvo& a) { return m_nu.ListaOperacoes(a.func); }, nada});
    c.push_back({QStringLiteral("ListaOrdensPorFUncionario"), nada,
                 [this](Alvo& a) { return !m_eqp.ListaOrdensPorFUncionario(a.func).vazio(); },
                 [this](Alvo&) { return m_nu.ListaOrdens(); }, nada});
    c.push_back({QStringLiteral("CM_ValidaArtigo"), [this](Alvo& a) { a.artigos = QStringList{artigo()}; },
                 [this](Alvo& a) {
                     QString d, m, u;
                     double f = 0;
                     return m_eqp.CM_ValidaArtigo(a.artigos[0], d, f, m, u);
                 },
                 [this](Alvo& a) { return m_nu.ValidaArtigo(a.artigos[0]); }, nada});
    c.push_back({QStringLiteral("ExisteQuantidadeNoArmazem"), [this](Alvo& a) { a.artigos = QStringList{artigo()}; },
                 [this](Alvo& a) {
                     QString m, arm;
                     return m_eqp.ExisteQuantidadeNoArmazem(a.artigos[0], Currency(1), m, arm);
                 },
                 [this](Alvo& a) { return m_nu.ExisteQuantidade(a.artigos[0], Currency(1)); }, nada});
    c.push_back({QStringLiteral("GravaSaidas (10 linhas)"), [this](Alvo& a) { artigos(a, 10); },
                 [this](Alvo& a) { return gravar(a); },
                 [this](Alvo& a) { return m_nu.GravaSaidas(a.obra, a.artigos, Currency(1), Currency::fromRaw(15000)); },
                 nada});
    return c;
}

// Every case runs on every size in turn, a repetition of one size after a repetition of the other,
// so that a slower moment of the machine weighs on all sizes alike.
std::map<qint64, std::map<QString, Resultado>> medir(std::map<qint64, std::unique_ptr<Banco>>& bancos, int repeticoes,
                                                     QStringList& ordem)
{
    std::map<qint64, std::map<QString, Resultado>> res;
    std::map<qint64, std::vector<Caso>> casos;
    for (auto& [n, b] : bancos)
        casos[n] = b->casos();
    const std::size_t nCasos = casos.begin()->second.size();
    for (std::size_t ci = 0; ci < nCasos; ++ci) {
        const QString nome = casos.begin()->second[ci].nome;
        ordem << nome;
        // A few untimed rounds first, so caches and prepared plans are warm for both sides.
        for (int i = -3; i < repeticoes; ++i)
            for (auto& [n, b] : bancos) {
                Caso& c = casos[n][ci];
                Resultado& r = res[n][nome];
                for (int lado = 0; lado < 2; ++lado) {
                    const bool motor = (lado == 0) == (i % 2 == 0);
                    Alvo a;
                    c.preparar(a);
                    b->operador().tirarErros();
                    const auto t0 = Relogio::now();
                    const bool ok = motor ? c.motor(a) : c.nu(a);
                    const double t = microsDesde(t0);
                    if (!ok || !b->operador().tirarErros().isEmpty()) ++r.falhas;
                    if (i >= 0) (motor ? r.motor : r.nu).adicionar(t);
                    c.limpar(a);
                }
            }
        out << "  " << nome << ":";
        for (auto& [n, b] : bancos)
            out << "  " << n << " " << us(res[n][nome].motor.mediana()) << " / " << us(res[n][nome].nu.mediana());
        out << "\n";
        out.flush();
    }
    return res;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList a = app.arguments().mid(1);
    QString especificacao;
    QList<qint64> tamanhos{10000, 100000, 1000000};
    int repeticoes = 100;
    bool reutilizar = false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i] == QLatin1String("--bd") && i + 1 < a.size())
            especificacao = a[++i];
        else if (a[i] == QLatin1String("--tamanhos") && i + 1 < a.size()) {
            tamanhos.clear();
            for (const QString& t : a[++i].split(u','))
                tamanhos << t.toLongLong();
        } else if (a[i] == QLatin1String("--repeticoes") && i + 1 < a.size())
            repeticoes = std::max(5, a[++i].toInt());
        else if (a[i] == QLatin1String("--reutilizar"))
            reutilizar = true;
    }
    if (especificacao.isEmpty()) {
        err << "Uso: bench_motor --bd sqlite:PASTA|pg:PREFIXO [--tamanhos 10000,100000,1000000] [--repeticoes N]"
               " [--reutilizar]\n";
        return 2;
    }
    return correrPrincipal([&] {
        QStringList ordem;
        QString backend;
        QTemporaryDir pastaKova;
        std::vector<std::unique_ptr<LigacaoDados>> ligacoes;
        std::map<qint64, std::unique_ptr<Banco>> bancos;
        for (qint64 n : tamanhos) {
            ParametrosLigacao p;
            if (especificacao.startsWith(QLatin1String("sqlite:"))) {
                QDir().mkpath(especificacao.mid(7));
                p = parametrosSqlite(QDir(especificacao.mid(7)).filePath(QStringLiteral("motor_%1.db").arg(n)));
            } else {
                p = parametrosDe(especificacao + QStringLiteral("_%1").arg(n));
            }
            backend = nomeBackend(p);
            // A constant 50 lines per order and 200 orders in production at every size: what grows is
            // the closed history.
            ParametrosGerador g;
            g.linhas = n;
            g.ordens = int(std::max<qint64>(200, n / 50));
            g.ordensAbertas = 200;
            g.hoje = QDate(2026, 3, 2);
            bool gerar = true;
            if (reutilizar) {
                LigacaoDados l;
                if (l.Abrir(p) && EsquemaBD::Existe(l) &&
                    l.consultar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc")).primeira().inteiro(0) == g.ordens)
                    gerar = false;
            }
            if (gerar) {
                const ResultadoGerador r = gerarDeNovo(p, g);
                out << backend << ": gerado " << n << " linhas em " << QString::number(r.segundos, 'f', 1) << " s\n";
                out.flush();
            }
            ligacoes.push_back(std::make_unique<LigacaoDados>());
            QString erro;
            if (!ligacoes.back()->Abrir(p, &erro)) throw std::runtime_error(erro.toStdString());
            bancos[n] = std::make_unique<Banco>(*ligacoes.back(), g.hoje, pastaKova.path());
        }
        out << backend << " (motor / nu):\n";
        auto porTamanho = medir(bancos, repeticoes, ordem);
        for (auto& [n, b] : bancos)
            if (b->falhasPreparacao())
                out << "  (" << n << ": preparações recusadas: " << b->falhasPreparacao() << ")\n";

        // Table: median and p99 per size, growth from the smallest to the largest, engine / bare.
        QStringList cab{QStringLiteral("operação")};
        for (qint64 n : tamanhos)
            cab << QStringLiteral("med %1").arg(n) << QStringLiteral("p99 %1").arg(n);
        cab << QStringLiteral("nu med %1").arg(tamanhos.last()) << QStringLiteral("cresc.")
            << QStringLiteral("motor/nu") << QStringLiteral("falhas");
        Tabela t(cab);
        int fora = 0;
        for (const QString& op : ordem) {
            QStringList l{op};
            int falhas = 0;
            for (qint64 n : tamanhos) {
                const Resultado& r = porTamanho[n][op];
                l << us(r.motor.mediana()) << us(r.motor.p99());
                falhas += r.falhas;
            }
            const Resultado& pri = porTamanho[tamanhos.first()][op];
            const Resultado& ult = porTamanho[tamanhos.last()][op];
            const double cresc = ult.motor.mediana() / pri.motor.mediana();
            const double rz = ult.motor.mediana() / ult.nu.mediana();
            l << us(ult.nu.mediana()) << razao(ult.motor.mediana(), pri.motor.mediana()) + (cresc > 1.5 ? " !" : "  ")
              << razao(ult.motor.mediana(), ult.nu.mediana()) + (rz > 2.0 ? " !" : "  ") << QString::number(falhas);
            if (cresc > 1.5 || rz > 2.0) ++fora;
            t.linha(l);
        }
        out << "\n" << backend << ", " << repeticoes << " repetições por operação e por lado\n" << t.texto();
        out << (fora ? QStringLiteral("%1 operação(ões) fora dos alvos (crescimento <= 1.5x, motor/nu <= 2x)\n")
                           .arg(fora)
                     : QStringLiteral("Todas as operações dentro dos alvos (crescimento <= 1.5x, motor/nu <= 2x)\n"));
        return 0;
    });
}
