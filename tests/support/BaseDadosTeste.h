#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "dataaccess/LigacaoDados.h"

// The backends a data test runs on. SQLite always; PostgreSQL (QPSQL) and the ODBC path (QODBC
// through psqlODBC to the same server) when the test script has started a server and set
// TERMINAL_PG_HOST, TERMINAL_PG_PORT, TERMINAL_PG_DB, TERMINAL_PG_USER (and TERMINAL_ODBC_DSN).
enum class Backend { SQLite, PostgreSQL, ODBC };

std::string NomeBackend(Backend b);
// For INSTANTIATE_TEST_SUITE_P(..., ::testing::ValuesIn(TodosBackends()), NomeParametroBackend).
std::vector<Backend> TodosBackends();
std::string NomeParametroBackend(const ::testing::TestParamInfo<Backend>& info);

// A fresh, empty database with the schema, private to one test: a temporary SQLite file, or a
// schema of its own on the PostgreSQL server (dropped at the end). Further connections to the
// same database can be opened for concurrency tests.
class BaseDadosTeste
{
public:
    explicit BaseDadosTeste(Backend backend, bool criarEsquema = true);
    ~BaseDadosTeste();

    // False when the backend is not configured here (the test should GTEST_SKIP()).
    bool disponivel() const { return m_disponivel; }
    Backend backend() const { return m_backend; }
    LigacaoDados& bd() { return *m_bd; }
    // Parameters of this database (for another connection, possibly from another thread).
    const ParametrosLigacao& parametros() const { return m_parametros; }
    std::unique_ptr<LigacaoDados> novaLigacao();
    // Ends the server session of `ligacao` (to this database) from another connection, as a lost
    // network would, and waits until the server has let it go. PostgreSQL only.
    void cortarSessao(LigacaoDados& ligacao);
    // A folder that lives as long as the fixture (program folder for logs and configuration).
    QString pasta() const { return m_pasta.path(); }

private:
    Backend m_backend;
    bool m_disponivel = false;
    QTemporaryDir m_pasta;
    QString m_esquemaPg;
    ParametrosLigacao m_parametros;
    std::unique_ptr<LigacaoDados> m_bd;
};

// Base fixture for tests parameterised over the backends: `db` is a fresh database with the
// schema; the test is skipped when its backend is not configured.
class TesteBD : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override;
    void TearDown() override;
    LigacaoDados& bd() { return m_base->bd(); }
    BaseDadosTeste& base() { return *m_base; }
    // The first column of the first row of `sql` as a whole number (a count, mostly).
    qint64 contar(const QString& sql, const QVariantList& valores = {})
    {
        return bd().consultar(sql, valores).primeira().inteiro(0);
    }

private:
    std::unique_ptr<BaseDadosTeste> m_base;
};

#define INSTANCIAR_BACKENDS(Suite)                                                                                     \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite, ::testing::ValuesIn(TodosBackends()), NomeParametroBackend)
