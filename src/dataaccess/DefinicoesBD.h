#pragma once

#include <QString>

#include "dataaccess/LigacaoDados.h"

// The database settings kept in the configuration file, section "Base de Dados":
//   Driver        = SQLite | PostgreSQL | ODBC   (default SQLite)
//   Servidor      = host name (PostgreSQL, ODBC with "Driver ODBC")
//   Porta         = port number, 1 to 65535 (optional)
//   Base de Dados = SQLite file (relative to the program folder), PostgreSQL database,
//                   or ODBC data source name / full ODBC connection string
//   Utilizador    = user name
//   Palavra Passe = password
//   Driver ODBC   = ODBC driver name, e.g. FreeTDS (optional; without it Base de Dados is a DSN)
//   Tempo Limite Ligação   = seconds to open a connection (default 5)
//   Tempo Limite Instrução = seconds a statement or a lock wait may take (default 5)
class DefinicoesBD
{
public:
    static const QString Seccao;

    DefinicoesBD() = default;
    explicit DefinicoesBD(const QString& ficheiro) : Ficheiro(ficheiro) {}

    // Reads the settings; false with a message naming the file when it cannot be read, or when
    // the driver is unknown or the port is not a number from 1 to 65535.
    bool Ler(QString* erro = nullptr);
    // Writes the settings to the file, changing only their lines (a missing file is created,
    // readable by its owner only). False, with the reason in `erro`, when the port is not valid or
    // the file exists but could not be read: it is then left as it is.
    bool Gravar(QString* erro = nullptr) const;
    // True when a setting the driver needs is empty (SQLite: only the file).
    bool faltamDefinicoes() const;
    // The connection parameters for these settings (the connection-string builder).
    ParametrosLigacao CadeiaLigacao() const;

    QString Ficheiro;
    QString Driver = QStringLiteral("SQLite");
    QString Servidor;
    QString Porta;
    QString BaseDados;
    QString Utilizador;
    QString Password;
    QString DriverOdbc;
    int TempoLimiteLigacao = TempoLimitePadrao;
    int TempoLimiteInstrucao = TempoLimitePadrao;

    static constexpr int TempoLimitePadrao = 5;
    static constexpr int TempoLimiteMaximo = 3600;

private:
    bool portaValida(QString* erro) const;
};
