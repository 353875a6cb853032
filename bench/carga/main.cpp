// bench_carga: T terminals (threads, one connection each) run random operator flows against one
// database for a bounded time; then the invariants are checked and printed.
//   bench_carga --bd sqlite:FILE|pg:SCHEMA [--terminais T] [--segundos S] [--funcionarios N]
//               [--partilhados N] [--partilha P] [--gerar LINHAS] [--semente N]
//   bench_carga --avarias [--bd sqlite:FILE|pg:SCHEMA] [--segundos S]
//   bench_carga --fora-de-alcance [--terminais T] [--segundos S] [--parado MS]
// --funcionarios: employees of each terminal's own; --partilhados: employees every terminal serves
// too, on a share P (0 to 1) of the steps. --gerar makes the database anew with that many labour
// lines (50 per order) first. --avarias runs the fault injections (see bench/README.md);
// --fora-de-alcance only the server out of reach under load, for MS milliseconds (default a
// quarter of the run), with every terminal restarted meanwhile and a second stop while the
// journals are sent. Exit status 0 only with no violation and no unexpected error.
#include <cstdio>

#include <QCoreApplication>
#include <QTextStream>

#include "comum/Avarias.hpp"
#include "comum/Carga.hpp"

using namespace bench;

namespace {

// QPSQL warns for every prepared statement it cannot free inside a transaction that already
// failed (the transaction is rolled back and run again): noise in a load run.
QtMessageHandler anterior = nullptr;

void filtrarAvisos(QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto)
{
    if (tipo == QtWarningMsg && texto.startsWith(QLatin1String("Unable to free statement"))) return;
    if (anterior)
        anterior(tipo, contexto, texto);
    else
        fprintf(stderr, "%s\n", qPrintable(texto));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    anterior = qInstallMessageHandler(filtrarAvisos);
    QTextStream out(stdout), err(stderr);
    const QStringList a = app.arguments().mid(1);
    QString bd;
    ParametrosCarga p;
    p.terminais = 8;
    p.segundos = 60;
    qint64 gerar = 0;
    bool avarias = false, foraDeAlcance = false;
    int parado = 0;
    for (int i = 0; i < a.size(); ++i) {
        const QString v = i + 1 < a.size() ? a[i + 1] : QString();
        if (a[i] == QLatin1String("--bd"))
            bd = v, ++i;
        else if (a[i] == QLatin1String("--terminais"))
            p.terminais = std::max(1, v.toInt()), ++i;
        else if (a[i] == QLatin1String("--segundos"))
            p.segundos = std::max(0.5, v.toDouble()), ++i;
        else if (a[i] == QLatin1String("--funcionarios"))
            p.funcionariosPorTerminal = std::max(1, v.toInt()), ++i;
        else if (a[i] == QLatin1String("--partilhados"))
            p.funcionariosPartilhados = std::max(0, v.toInt()), ++i;
        else if (a[i] == QLatin1String("--partilha"))
            p.partilha = std::clamp(v.toDouble(), 0.0, 1.0), ++i;
        else if (a[i] == QLatin1String("--gerar"))
            gerar = v.toLongLong(), ++i;
        else if (a[i] == QLatin1String("--semente"))
            p.semente = v.toUInt(), ++i;
        else if (a[i] == QLatin1String("--avarias"))
            avarias = true;
        else if (a[i] == QLatin1String("--fora-de-alcance"))
            foraDeAlcance = true;
        else if (a[i] == QLatin1String("--parado"))
            parado = std::max(100, v.toInt()), ++i;
        else {
            err << "Uso: bench_carga --bd sqlite:FICHEIRO|pg:ESQUEMA [--terminais T] [--segundos S] [--funcionarios N]"
                   " [--partilhados N] [--partilha P] [--gerar LINHAS] [--semente N]\n"
                   "       bench_carga --avarias [--bd ...] [--segundos S]\n"
                   "       bench_carga --fora-de-alcance [--terminais T] [--segundos S] [--parado MS]\n";
            return 2;
        }
    }
    return correrPrincipal([&] {
        if (foraDeAlcance) {
            OpcoesForaDeAlcance o;
            o.terminais = p.terminais;
            o.segundos = p.segundos;
            o.paradoMs = parado > 0 ? parado : int(p.segundos * 1000 / 4);
            out << "PostgreSQL fora de alcance durante " << o.paradoMs << " ms com " << o.terminais << " terminais em "
                << o.segundos << " s\n";
            out.flush();
            const ResultadoAvaria r = avariaPgForaDeAlcance(o);
            out << (r.passou ? "PASSOU " : r.saltado ? "SALTADO " : "FALHOU ") << r.nome << "\n" << r.detalhe << "\n";
            return r.passou ? 0 : 1;
        }
        if (avarias) {
            bool tudoBem = true;
            for (const ResultadoAvaria& r :
                 correrAvarias(bd, a.contains(QLatin1String("--segundos")) ? p.segundos : 6, [&](const QString& t) {
                     out << t;
                     out.flush();
                 })) {
                out << (r.passou    ? "PASSOU "
                        : r.saltado ? "SALTADO "
                                    : "FALHOU ")
                    << r.nome << "\n"
                    << r.detalhe << "\n";
                tudoBem = tudoBem && (r.passou || r.saltado);
            }
            return tudoBem ? 0 : 1;
        }
        if (bd.isEmpty()) {
            err << "Falta --bd\n";
            return 2;
        }
        const ParametrosLigacao par = parametrosDe(bd);
        if (gerar > 0) {
            ParametrosGerador g;
            g.linhas = gerar;
            g.ordens = int(std::max<qint64>(200, gerar / 50));
            const ResultadoGerador r = gerarDeNovo(par, g);
            out << "Gerado: " << r.ordens << " ordens, " << r.linhas << " linhas em "
                << QString::number(r.segundos, 'f', 1) << " s\n";
            out.flush();
        }
        out << nomeBackend(par) << ": " << p.terminais << " terminais durante " << p.segundos << " s, "
            << p.funcionariosPartilhados << " funcionários partilhados por todos em " << qRound(p.partilha * 100)
            << "% dos passos\n";
        out.flush();
        const ResultadoCarga r = correrCarga(par, p);
        out << r.relatorio();
        return r.violacoes.isEmpty() && r.errosInesperados.isEmpty() ? 0 : 1;
    });
}
