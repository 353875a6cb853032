#pragma once

#include <functional>
#include <list>
#include <memory>
#include <vector>

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include "dataaccess/ErroBD.h"
#include "dataaccess/Registos.h"

// SQL family of the server behind a connection; statements are written to run on all three.
enum class Dialecto { SQLite, PostgreSQL, SqlServer };

// Everything needed to open one connection (what the connection-string builder yields).
struct ParametrosLigacao
{
    QString driver; // "QSQLITE", "QPSQL" or "QODBC"
    QString servidor;
    QString baseDados; // SQLite: the file; ODBC: a DSN name or a full ODBC connection string
    QString utilizador;
    QString password;
    int porta = -1;
    QString opcoes;      // driver connect options
    QStringList aoLigar; // statements run after every (re)connection, e.g. SET search_path
    // Seconds to open a connection (PostgreSQL, ODBC; 0: the driver's own) and seconds a statement
    // or a lock wait may take on every backend (SQLite: the busy wait; 0: no limit).
    int segundosLigacao = 5;
    int segundosInstrucao = 5;
    // SQLite: create the file when it does not exist. Only the first opening creates; reopening
    // a connection never does.
    bool criarFicheiro = false;

    // "Driver ..., Servidor ..., Base de dados ..., Utilizador ...": never the password.
    QString descricao() const;
};

// The one database connection of a terminal. Every statement binds its values; rows are read
// completely before the call returns. Statements with values or rows are prepared once per
// connection and run again with new values (one round trip each on a server); the most recently
// used `maximoPreparadas` are kept, and all of them are forgotten when the connection is closed or
// reopened. Errors are thrown as ErroBD, classified by the driver's
// code: on SQLite a busy, read-only, full or failing disk is never taken for a lost connection.
// On SQLite the file must stay the one opened: a write after it was deleted or replaced is refused.
class LigacaoDados
{
public:
    LigacaoDados();
    ~LigacaoDados();
    LigacaoDados(const LigacaoDados&) = delete;
    LigacaoDados& operator=(const LigacaoDados&) = delete;

    // Opens the connection; on failure returns false and puts in `erro` the settings (never the
    // password) and the driver's text.
    bool Abrir(const ParametrosLigacao& parametros, QString* erro = nullptr);
    void Fechar();
    bool aberta() const;
    const ParametrosLigacao& parametros() const { return m_parametros; }
    Dialecto dialecto() const { return m_dialecto; }
    QString nomeLigacao() const { return m_nome; }
    QSqlDatabase bd() const;

    // A statement that returns rows (AbrirRecordset / AbrirConsulta). Values bind to "?" in order.
    Registos consultar(const QString& sql, const QVariantList& valores = {});
    // A statement without rows (Executar); returns the number of rows it changed.
    int executar(const QString& sql, const QVariantList& valores = {});
    // Runs several statements separated by ";" at line ends (schema and data scripts).
    void executarScript(const QString& script);

    // Runs `corpo` as one transaction: every write lands or none does. When the database reports
    // a busy database, a deadlock or a key clash (or, on ODBC, any failure) the whole body runs
    // again after a short random pause, at most `tentativasMaximas` times and while less than
    // twice the statement time limit has gone by; a lost connection is reopened once. A COMMIT
    // whose answer is lost or late throws ResultadoIncerto and is not run again. A call inside a
    // running transaction joins it. Other exceptions roll back and pass on.
    void transacao(const std::function<void()>& corpo);
    bool emTransacao() const { return m_profundidade > 0; }

    // Changes the statement time limit of this connection (0: none), kept when it is reopened.
    void definirTempoLimiteInstrucao(int segundos);

    int tentativasMaximas = 8;
    // How many prepared statements are kept per connection.
    int maximoPreparadas = 100;
    // Statements kept prepared now, and preparations made by this object since it was created.
    int preparadasGuardadas() const { return int(m_preparadas.size()); }
    int preparacoes() const { return m_preparacoes; }

private:
    struct Execucao
    {
        Registos linhas;
        int alteradas = 0;
    };
    // The one place a statement runs: bound to a statement kept prepared (or, when it has no values
    // and returns no rows or is not to be kept, run once), every row read, a failure thrown as
    // ErroBD. Never reopens.
    Execucao correr(const QString& sql, const QVariantList& valores, bool lerLinhas, bool guardar = true);
    // The statement prepared on this connection: kept from an earlier call, or prepared now.
    QSqlQuery& preparada(const QString& sql);
    // A statement that failed is prepared afresh next time. Inside a transaction its query is let
    // go only once the transaction has ended (the server refuses anything else until then); over a
    // lost connection, when the connection is replaced.
    void esquecerPreparada(const QString& sql, bool ligacaoPerdida);
    void libertarEsquecidas();
    bool abrirInterno(QString* erro, bool podeCriar);
    void prepararSessao();
    void aplicarTempoLimite();
    bool reabrir();
    void verificarFicheiro() const;
    ErroBD erroDe(const class QSqlError& e) const;
    ErroBD semLigacao() const;
    template <typename Passo> auto comReligacao(Passo passo) -> decltype(passo());
    void comecar();
    void confirmar();
    void desfazer();

    // Prepared statements, the most recently used first, and where each is in the list.
    using Preparadas = std::list<std::pair<QString, std::unique_ptr<QSqlQuery>>>;
    Preparadas m_preparadas;
    QHash<QString, Preparadas::iterator> m_indicePreparadas;
    std::vector<std::unique_ptr<QSqlQuery>> m_esquecidas;
    int m_preparacoes = 0;
    // psqlODBC found behind an ODBC connection: its per-statement settings go with every opening.
    bool m_psqlOdbc = false;

    QString m_nome;
    ParametrosLigacao m_parametros;
    Dialecto m_dialecto = Dialecto::SQLite;
    int m_profundidade = 0;
    bool m_aAbrir = false;
    QString m_erroReabrir;
    // The SQLite file opened (device and inode), to notice it deleted or replaced.
    bool m_temFicheiro = false;
    quint64 m_dispositivo = 0;
    quint64 m_inode = 0;
};
