#pragma once
// Where a benchmark runs: "sqlite:FILE" or "pg:SCHEMA" (PostgreSQL named by the TERMINAL_PG_*
// variables, in a schema of its own). Header only.

#include <functional>
#include <stdexcept>

#include <QFile>
#include <QString>
#include <QTextStream>

#include "dataaccess/GeradorDados.h"
#include "dataaccess/LigacaoDados.h"

namespace bench {

inline bool pgConfigurado()
{
    return !qEnvironmentVariable("TERMINAL_PG_HOST").isEmpty();
}

// PostgreSQL parameters for `esquema` on the server named by host/port/db/user.
inline ParametrosLigacao parametrosPg(const QString& host, int porta, const QString& bd, const QString& utilizador,
                                      const QString& esquema)
{
    ParametrosLigacao p;
    p.driver = QStringLiteral("QPSQL");
    p.servidor = host;
    p.porta = porta;
    p.baseDados = bd;
    p.utilizador = utilizador;
    p.aoLigar << QStringLiteral("SET client_min_messages TO warning");
    if (!esquema.isEmpty()) p.aoLigar << QStringLiteral("SET search_path TO %1").arg(esquema);
    return p;
}

inline ParametrosLigacao parametrosPgAmbiente(const QString& esquema)
{
    ParametrosLigacao p =
        parametrosPg(qEnvironmentVariable("TERMINAL_PG_HOST"), qEnvironmentVariable("TERMINAL_PG_PORT").toInt(),
                     qEnvironmentVariable("TERMINAL_PG_DB"), qEnvironmentVariable("TERMINAL_PG_USER"), esquema);
    p.password = qEnvironmentVariable("TERMINAL_PG_PASSWORD");
    return p;
}

inline ParametrosLigacao parametrosSqlite(const QString& ficheiro)
{
    ParametrosLigacao p;
    p.driver = QStringLiteral("QSQLITE");
    p.baseDados = ficheiro;
    p.criarFicheiro = true; // the benchmarks generate their databases afresh
    return p;
}

// Empties the place a database will be generated in: removes the SQLite file (and its WAL), or
// drops and creates the PostgreSQL schema.
inline void recriar(const ParametrosLigacao& p)
{
    if (p.driver == QLatin1String("QSQLITE")) {
        for (const char* sufixo : {"", "-wal", "-shm", "-journal"})
            QFile::remove(p.baseDados + QLatin1String(sufixo));
        return;
    }
    QString esquema;
    for (const QString& s : p.aoLigar)
        if (s.startsWith(QLatin1String("SET search_path TO "))) esquema = s.mid(19);
    if (esquema.isEmpty()) return;
    ParametrosLigacao admin = p;
    admin.aoLigar = QStringList{QStringLiteral("SET client_min_messages TO warning")};
    LigacaoDados l;
    QString erro;
    if (!l.Abrir(admin, &erro)) throw std::runtime_error(erro.toStdString());
    l.executar(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(esquema));
    l.executar(QStringLiteral("CREATE SCHEMA %1").arg(esquema));
}

// "sqlite:FILE" or "pg:SCHEMA"; throws on anything else.
inline ParametrosLigacao parametrosDe(const QString& especificacao)
{
    if (especificacao.startsWith(QLatin1String("sqlite:"))) return parametrosSqlite(especificacao.mid(7));
    if (especificacao.startsWith(QLatin1String("pg:"))) {
        if (!pgConfigurado())
            throw std::runtime_error("pg: needs TERMINAL_PG_HOST, TERMINAL_PG_PORT, TERMINAL_PG_DB, TERMINAL_PG_USER");
        return parametrosPgAmbiente(especificacao.mid(3));
    }
    throw std::runtime_error("database must be sqlite:FILE or pg:SCHEMA");
}

// A new factory in the place `p` names, emptied first (see recriar).
inline ResultadoGerador gerarDeNovo(const ParametrosLigacao& p, const ParametrosGerador& g,
                                    const std::function<void(const QString&)>& progresso = {})
{
    recriar(p);
    LigacaoDados l;
    QString erro;
    if (!l.Abrir(p, &erro)) throw std::runtime_error(erro.toStdString());
    return GeradorDados::Gerar(l, g, progresso);
}

// The body of a benchmark's main: a database error or any other exception it lets out is printed
// on standard error and ends the program with 1.
inline int correrPrincipal(const std::function<int()>& corpo)
{
    QTextStream err(stderr);
    try {
        return corpo();
    } catch (const ErroBD& e) {
        err << "Erro da base de dados: " << e.texto() << "\n";
    } catch (const std::exception& e) {
        err << e.what() << "\n";
    }
    return 1;
}

inline QString nomeBackend(const ParametrosLigacao& p)
{
    return p.driver == QLatin1String("QSQLITE") ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL");
}

} // namespace bench
