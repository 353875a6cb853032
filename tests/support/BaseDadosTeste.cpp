#include "support/BaseDadosTeste.h"

#include <chrono>
#include <thread>

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>

#include "dataaccess/EsquemaBD.h"

namespace {

QAtomicInt contador;

QString env(const char* nome)
{
    return qEnvironmentVariable(nome);
}

} // namespace

std::string NomeBackend(Backend b)
{
    switch (b) {
    case Backend::SQLite:
        return "SQLite";
    case Backend::PostgreSQL:
        return "PostgreSQL";
    case Backend::ODBC:
        return "ODBC";
    }
    return "?";
}

std::vector<Backend> TodosBackends()
{
    return {Backend::SQLite, Backend::PostgreSQL, Backend::ODBC};
}

std::string NomeParametroBackend(const ::testing::TestParamInfo<Backend>& info)
{
    return NomeBackend(info.param);
}

BaseDadosTeste::BaseDadosTeste(Backend backend, bool criarEsquema) : m_backend(backend)
{
    switch (backend) {
    case Backend::SQLite:
        m_parametros.driver = QStringLiteral("QSQLITE");
        m_parametros.baseDados = QDir(m_pasta.path()).filePath(QStringLiteral("teste.db"));
        m_parametros.criarFicheiro = true;
        break;
    case Backend::PostgreSQL:
    case Backend::ODBC: {
        if (env("TERMINAL_PG_HOST").isEmpty() || (backend == Backend::ODBC && env("TERMINAL_ODBC_DSN").isEmpty()))
            return;
        m_esquemaPg =
            QStringLiteral("t_%1_%2").arg(QCoreApplication::applicationPid()).arg(contador.fetchAndAddRelaxed(1));
        if (backend == Backend::PostgreSQL) {
            m_parametros.driver = QStringLiteral("QPSQL");
            m_parametros.servidor = env("TERMINAL_PG_HOST");
            m_parametros.porta = env("TERMINAL_PG_PORT").toInt();
            m_parametros.baseDados = env("TERMINAL_PG_DB");
        } else {
            m_parametros.driver = QStringLiteral("QODBC");
            m_parametros.baseDados = env("TERMINAL_ODBC_DSN");
        }
        m_parametros.utilizador = env("TERMINAL_PG_USER");
        m_parametros.password = env("TERMINAL_PG_PASSWORD");
        m_parametros.aoLigar << QStringLiteral("SET client_min_messages TO warning")
                             << QStringLiteral("SET search_path TO %1").arg(m_esquemaPg);
        // The schema must exist before a connection can select it.
        ParametrosLigacao admin = m_parametros;
        admin.aoLigar = QStringList{QStringLiteral("SET client_min_messages TO warning")};
        LigacaoDados ligacaoAdmin;
        QString erro;
        if (!ligacaoAdmin.Abrir(admin, &erro)) throw std::runtime_error(erro.toStdString());
        ligacaoAdmin.executar(QStringLiteral("CREATE SCHEMA %1").arg(m_esquemaPg));
        break;
    }
    }
    m_bd = std::make_unique<LigacaoDados>();
    QString erro;
    if (!m_bd->Abrir(m_parametros, &erro)) throw std::runtime_error(erro.toStdString());
    if (criarEsquema) EsquemaBD::Criar(*m_bd);
    m_disponivel = true;
}

BaseDadosTeste::~BaseDadosTeste()
{
    if (m_bd) m_bd->Fechar();
    m_bd.reset();
    if (!m_esquemaPg.isEmpty()) {
        ParametrosLigacao admin = m_parametros;
        admin.aoLigar = QStringList{QStringLiteral("SET client_min_messages TO warning")};
        LigacaoDados ligacaoAdmin;
        if (ligacaoAdmin.Abrir(admin)) {
            try {
                ligacaoAdmin.executar(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(m_esquemaPg));
            } catch (const ErroBD&) {
            }
        }
    }
}

std::unique_ptr<LigacaoDados> BaseDadosTeste::novaLigacao()
{
    auto l = std::make_unique<LigacaoDados>();
    QString erro;
    if (!l->Abrir(m_parametros, &erro)) throw std::runtime_error(erro.toStdString());
    return l;
}

void BaseDadosTeste::cortarSessao(LigacaoDados& ligacao)
{
    auto outra = novaLigacao();
    const qint64 pid = ligacao.consultar(QStringLiteral("SELECT pg_backend_pid()")).primeira().inteiro(0);
    outra->consultar(QStringLiteral("SELECT pg_terminate_backend(?)"), {pid});
    for (int i = 0; i < 200; ++i) {
        if (outra->consultar(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE pid = ?"), {pid})
                .primeira()
                .inteiro(0) == 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void TesteBD::SetUp()
{
    m_base = std::make_unique<BaseDadosTeste>(GetParam());
    if (!m_base->disponivel())
        GTEST_SKIP() << NomeBackend(GetParam()) << " not configured (TERMINAL_PG_HOST / TERMINAL_ODBC_DSN)";
}

void TesteBD::TearDown()
{
    m_base.reset();
}
