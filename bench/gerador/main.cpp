// bench_gerador: fills a fresh database with a generated factory.
//   bench_gerador --bd sqlite:FILE|pg:SCHEMA [--ordens N] [--linhas N] [--funcionarios N]
//                 [--operacoes N] [--maquinas N] [--artigos N] [--semente N]
// The SQLite file or the PostgreSQL schema is created anew.
#include <QCoreApplication>
#include <QTextStream>

#include "comum/LigacaoBench.hpp"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList a = app.arguments().mid(1);
    QString bd;
    ParametrosGerador p;
    for (int i = 0; i + 1 < a.size(); i += 2) {
        const qint64 n = a[i + 1].toLongLong();
        if (a[i] == QLatin1String("--bd"))
            bd = a[i + 1];
        else if (a[i] == QLatin1String("--ordens"))
            p.ordens = int(n);
        else if (a[i] == QLatin1String("--linhas"))
            p.linhas = n;
        else if (a[i] == QLatin1String("--funcionarios"))
            p.funcionarios = int(n);
        else if (a[i] == QLatin1String("--operacoes"))
            p.operacoes = int(n);
        else if (a[i] == QLatin1String("--maquinas"))
            p.maquinas = int(n);
        else if (a[i] == QLatin1String("--artigos"))
            p.artigos = int(n);
        else if (a[i] == QLatin1String("--semente"))
            p.semente = quint32(n);
    }
    if (bd.isEmpty() || a.size() % 2) {
        err << "Uso: bench_gerador --bd sqlite:FICHEIRO|pg:ESQUEMA [--ordens N] [--linhas N] [--funcionarios N]"
               " [--operacoes N] [--maquinas N] [--artigos N] [--semente N]\n";
        return 2;
    }
    return bench::correrPrincipal([&] {
        const ParametrosLigacao par = bench::parametrosDe(bd);
        const ResultadoGerador r = bench::gerarDeNovo(par, p, [&](const QString& t) {
            out << t << "\n";
            out.flush();
        });
        out << bench::nomeBackend(par) << ": " << r.ordens << " ordens, " << r.linhas << " linhas, " << r.materiais
            << " linhas de material, " << r.artigos << " artigos em " << QString::number(r.segundos, 'f', 1) << " s\n";
        return 0;
    });
}
