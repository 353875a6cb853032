#pragma once
// What a PostgreSQL connection does at the wire, as a proxy in the middle sees it: round trips
// and the statements the client runs. Pure logic, no sockets: the proxy feeds it the bytes of each
// direction in the order they reach it. Header only.
//
// Round trip: a burst of client bytes that the server answers. One is counted when the first
// server byte arrives after client bytes (since the server's previous bytes); server bytes with no
// client bytes before them (rows still streaming, a notice) are part of the answer already
// counted, and client bytes never answered (Terminate) count nothing. A client that sends several
// messages before it waits (the extended protocol's Parse/Bind/Execute/Sync, or a pipeline) pays
// one round trip for all of them; one that waits for each pays one per message.
//
// Statements, from the client's messages (protocol 3):
//  - simple query 'Q': each statement of the text (split at top-level ';'). "PREPARE n AS ..." is
//    a preparation, "EXECUTE n" a statement run, "DEALLOCATE n" a release; BEGIN, START, COMMIT,
//    END, ROLLBACK, ABORT, SAVEPOINT and RELEASE are transaction control; anything else is a
//    statement run;
//  - extended protocol: Parse 'P' is a preparation, the first Execute 'E' after a Bind 'B' of a
//    portal is a statement run (further Executes of the same portal fetch more rows), Close 'C' of
//    a statement is a release; FunctionCall 'F' is a statement run.
// Transaction control counts only in `transaccao`, however it is sent (its Parse, Close...
// included), so the other columns are about the operation's own statements.

#include <cctype>
#include <functional>

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

namespace bench {

struct ContagemPg
{
    qint64 idasVoltas = 0;     // round trips
    qint64 instrucoes = 0;     // statements run (transaction control apart)
    qint64 transaccao = 0;     // BEGIN, COMMIT, ROLLBACK, SAVEPOINT, RELEASE...
    qint64 preparacoes = 0;    // PREPARE texts and Parse messages
    qint64 libertacoes = 0;    // DEALLOCATE texts and Close of a statement
    qint64 sincronizacoes = 0; // Sync messages
    qint64 mensagens = 0;      // client messages, startup included
    qint64 prontos = 0;        // ReadyForQuery from the server
    qint64 erros = 0;          // ErrorResponse from the server
    qint64 bytesCliente = 0;
    qint64 bytesServidor = 0;
    qint64 cifradas = 0; // connections whose bytes could not be read (TLS or GSS encryption)

    ContagemPg& operator+=(const ContagemPg& o)
    {
        idasVoltas += o.idasVoltas;
        instrucoes += o.instrucoes;
        transaccao += o.transaccao;
        preparacoes += o.preparacoes;
        libertacoes += o.libertacoes;
        sincronizacoes += o.sincronizacoes;
        mensagens += o.mensagens;
        prontos += o.prontos;
        erros += o.erros;
        bytesCliente += o.bytesCliente;
        bytesServidor += o.bytesServidor;
        cifradas += o.cifradas;
        return *this;
    }
    ContagemPg operator-(const ContagemPg& o) const
    {
        ContagemPg r = *this;
        r.idasVoltas -= o.idasVoltas;
        r.instrucoes -= o.instrucoes;
        r.transaccao -= o.transaccao;
        r.preparacoes -= o.preparacoes;
        r.libertacoes -= o.libertacoes;
        r.sincronizacoes -= o.sincronizacoes;
        r.mensagens -= o.mensagens;
        r.prontos -= o.prontos;
        r.erros -= o.erros;
        r.bytesCliente -= o.bytesCliente;
        r.bytesServidor -= o.bytesServidor;
        r.cifradas -= o.cifradas;
        return r;
    }
};

enum class TipoInstrucao { Executar, Preparar, Libertar, Transaccao };

// Kind of one SQL statement, from its first words; `nome` receives the prepared statement's name
// of a PREPARE, EXECUTE or DEALLOCATE, and `interior` the statement a PREPARE prepares.
inline TipoInstrucao classificarSql(const QByteArray& sql, QByteArray* nome = nullptr, QByteArray* interior = nullptr)
{
    // Words after leading blanks and comments.
    int i = 0;
    const int n = int(sql.size());
    auto saltarBrancos = [&] {
        for (;;) {
            while (i < n && (sql[i] == ' ' || sql[i] == '\t' || sql[i] == '\n' || sql[i] == '\r' || sql[i] == '('))
                ++i;
            if (i + 1 < n && sql[i] == '-' && sql[i + 1] == '-') {
                while (i < n && sql[i] != '\n')
                    ++i;
            } else if (i + 1 < n && sql[i] == '/' && sql[i + 1] == '*') {
                const int fim = int(sql.indexOf("*/", i + 2));
                i = fim < 0 ? n : fim + 2;
            } else {
                return;
            }
        }
    };
    auto palavra = [&] {
        saltarBrancos();
        const int inicio = i;
        while (i < n && sql[i] != ' ' && sql[i] != '\t' && sql[i] != '\n' && sql[i] != '\r' && sql[i] != '(' &&
               sql[i] != ';')
            ++i;
        return sql.mid(inicio, i - inicio);
    };
    const QByteArray primeira = palavra().toUpper();
    if (primeira == "PREPARE" || primeira == "EXECUTE" || primeira == "DEALLOCATE") {
        QByteArray n1 = palavra();
        if (primeira == "DEALLOCATE" && n1.toUpper() == "PREPARE") n1 = palavra();
        if (nome) *nome = n1;
        if (primeira == "PREPARE") {
            // PREPARE name [(types)] AS statement
            const int as = int(sql.toUpper().indexOf(" AS ", i));
            if (interior && as >= 0) *interior = sql.mid(as + 4).trimmed();
            return TipoInstrucao::Preparar;
        }
        return primeira == "EXECUTE" ? TipoInstrucao::Executar : TipoInstrucao::Libertar;
    }
    static const char* transaccao[] = {"BEGIN", "START", "COMMIT", "END", "ROLLBACK", "ABORT", "SAVEPOINT", "RELEASE"};
    for (const char* t : transaccao)
        if (primeira == t) return TipoInstrucao::Transaccao;
    return TipoInstrucao::Executar;
}

// The statements of a simple-query text, split at ';' outside quotes, identifiers, dollar quotes
// and comments; blank ones dropped.
inline QList<QByteArray> dividirSql(const QByteArray& texto)
{
    QList<QByteArray> r;
    QByteArray actual;
    const int n = int(texto.size());
    for (int i = 0; i < n; ++i) {
        const char c = texto[i];
        if (c == '\'' || c == '"') {
            const int fim = int(texto.indexOf(c, i + 1));
            const int ate = fim < 0 ? n : fim + 1;
            actual += texto.mid(i, ate - i);
            i = ate - 1;
        } else if (c == '-' && i + 1 < n && texto[i + 1] == '-') {
            const int fim = int(texto.indexOf('\n', i));
            const int ate = fim < 0 ? n : fim;
            actual += texto.mid(i, ate - i);
            i = ate - 1;
        } else if (c == '/' && i + 1 < n && texto[i + 1] == '*') {
            const int fim = int(texto.indexOf("*/", i + 2));
            const int ate = fim < 0 ? n : fim + 2;
            actual += texto.mid(i, ate - i);
            i = ate - 1;
        } else if (c == '$') {
            // $tag$ ... $tag$
            int j = i + 1;
            while (j < n && (std::isalnum(static_cast<unsigned char>(texto[j])) || texto[j] == '_'))
                ++j;
            if (j < n && texto[j] == '$' && !(j > i + 1 && std::isdigit(static_cast<unsigned char>(texto[i + 1])))) {
                const QByteArray marca = texto.mid(i, j - i + 1);
                const int fim = int(texto.indexOf(marca, j + 1));
                const int ate = fim < 0 ? n : fim + int(marca.size());
                actual += texto.mid(i, ate - i);
                i = ate - 1;
            } else {
                actual += c;
            }
        } else if (c == ';') {
            if (!actual.trimmed().isEmpty()) r << actual.trimmed();
            actual.clear();
        } else {
            actual += c;
        }
    }
    if (!actual.trimmed().isEmpty()) r << actual.trimmed();
    return r;
}

// Follows one connection: feed it each chunk of bytes in the order the proxy receives them.
class ConversaPg
{
public:
    void doCliente(const char* dados, qint64 n)
    {
        if (n <= 0) return;
        m_c.bytesCliente += n;
        m_clienteFalou = true;
        if (m_cifrada) return;
        m_bufCliente.append(dados, n);
        lerCliente();
    }

    void doServidor(const char* dados, qint64 n)
    {
        if (n <= 0) return;
        m_c.bytesServidor += n;
        if (m_clienteFalou) {
            ++m_c.idasVoltas;
            m_clienteFalou = false;
            if (traco) traco("<");
        }
        if (m_cifrada) return;
        m_bufServidor.append(dados, n);
        lerServidor();
    }

    const ContagemPg& contagem() const { return m_c; }
    bool cifrada() const { return m_cifrada; }
    // COMMIT (or END) statements the client has sent so far, however it sent them.
    qint64 commits() const { return m_commits; }

    // When set, receives a line per client message ("> Q BEGIN", "> P s1 SELECT ...") and "<"
    // where a round trip is counted, for looking at what a driver sends.
    std::function<void(const QByteArray&)> traco;

private:
    struct Portal
    {
        TipoInstrucao tipo = TipoInstrucao::Executar;
        bool executado = false;
        bool commit = false;
    };

    static bool ehCommit(const QByteArray& sql)
    {
        const QByteArray t = sql.trimmed().toUpper();
        for (const char* p : {"COMMIT", "END"})
            if (t.startsWith(p) &&
                (t.size() == qsizetype(qstrlen(p)) || !std::isalpha(static_cast<unsigned char>(t[qstrlen(p)]))))
                return true;
        return false;
    }

    static quint32 int32(const QByteArray& b, int pos)
    {
        return (quint32(quint8(b[pos])) << 24) | (quint32(quint8(b[pos + 1])) << 16) |
               (quint32(quint8(b[pos + 2])) << 8) | quint32(quint8(b[pos + 3]));
    }
    // A NUL-terminated string from `pos`; `pos` moves past it.
    static QByteArray cadeia(const QByteArray& b, int& pos)
    {
        const int fim = int(b.indexOf('\0', pos));
        if (fim < 0) {
            const QByteArray r = b.mid(pos);
            pos = int(b.size());
            return r;
        }
        const QByteArray r = b.mid(pos, fim - pos);
        pos = fim + 1;
        return r;
    }

    void lerCliente()
    {
        int pos = 0;
        for (;;) {
            const int resta = int(m_bufCliente.size()) - pos;
            if (m_arranque) {
                // Untyped: length (itself included) and a code.
                if (resta < 8) break;
                const quint32 len = int32(m_bufCliente, pos);
                if (len < 8 || len > (1u << 30)) {
                    marcarIlegivel();
                    return;
                }
                if (quint32(resta) < len) break;
                const quint32 codigo = int32(m_bufCliente, pos + 4);
                pos += int(len);
                ++m_c.mensagens;
                // SSLRequest / GSSENCRequest: a one-byte answer, then another startup message.
                if (codigo == 80877103 || codigo == 80877104)
                    m_esperaRespostaCifra = true;
                else
                    m_arranque = false;
                continue;
            }
            if (resta < 5) break;
            const quint32 len = int32(m_bufCliente, pos + 1);
            if (len < 4 || len > (1u << 30)) {
                marcarIlegivel();
                return;
            }
            if (quint32(resta) < len + 1) break;
            const char tipo = m_bufCliente[pos];
            const QByteArray corpo = m_bufCliente.mid(pos + 5, int(len) - 4);
            pos += int(len) + 1;
            ++m_c.mensagens;
            mensagemCliente(tipo, corpo);
        }
        m_bufCliente.remove(0, pos);
    }

    void contar(TipoInstrucao t)
    {
        switch (t) {
        case TipoInstrucao::Executar:
            ++m_c.instrucoes;
            break;
        case TipoInstrucao::Preparar:
            ++m_c.preparacoes;
            break;
        case TipoInstrucao::Libertar:
            ++m_c.libertacoes;
            break;
        case TipoInstrucao::Transaccao:
            ++m_c.transaccao;
            break;
        }
    }

    void mensagemCliente(char tipo, const QByteArray& corpo)
    {
        if (traco) {
            // The type and the readable start of the body (names and SQL), NULs as spaces.
            QByteArray t = corpo.left(160);
            for (char& c : t)
                if (c == '\0' || c == '\n' || c == '\r')
                    c = ' ';
                else if (static_cast<unsigned char>(c) < 32)
                    c = '.';
            traco("> " + QByteArray(1, tipo) + " " + t.simplified());
        }
        int pos = 0;
        switch (tipo) {
        case 'Q':
            for (const QByteArray& sql : dividirSql(cadeia(corpo, pos))) {
                if (ehCommit(sql)) ++m_commits;
                QByteArray nome, interior;
                TipoInstrucao t = classificarSql(sql, &nome, &interior);
                if (t == TipoInstrucao::Preparar) {
                    const TipoInstrucao dentro = classificarSql(interior);
                    m_preparadasSql.insert(nome, dentro);
                    if (dentro == TipoInstrucao::Transaccao) t = dentro;
                } else if (t == TipoInstrucao::Executar && sql.left(7).toUpper() == "EXECUTE") {
                    t = m_preparadasSql.value(nome, TipoInstrucao::Executar);
                } else if (t == TipoInstrucao::Libertar) {
                    if (m_preparadasSql.value(nome, TipoInstrucao::Executar) == TipoInstrucao::Transaccao)
                        t = TipoInstrucao::Transaccao;
                    m_preparadasSql.remove(nome);
                    if (t == TipoInstrucao::Transaccao)
                        break; // releasing a prepared BEGIN is not a statement of the operation
                }
                contar(t);
            }
            break;
        case 'P': {
            const QByteArray nome = cadeia(corpo, pos);
            const QByteArray sql = cadeia(corpo, pos);
            const TipoInstrucao t = classificarSql(sql);
            if (ehCommit(sql))
                m_commitsPreparados.insert(nome);
            else
                m_commitsPreparados.remove(nome);
            m_preparadas.insert(nome, t);
            if (t != TipoInstrucao::Transaccao) ++m_c.preparacoes;
            break;
        }
        case 'B': {
            const QByteArray portal = cadeia(corpo, pos);
            const QByteArray instrucao = cadeia(corpo, pos);
            m_portais.insert(portal, Portal{m_preparadas.value(instrucao, TipoInstrucao::Executar), false,
                                            m_commitsPreparados.contains(instrucao)});
            break;
        }
        case 'E': {
            const QByteArray portal = cadeia(corpo, pos);
            auto it = m_portais.find(portal);
            if (it == m_portais.end()) {
                ++m_c.instrucoes;
            } else if (!it->executado) {
                it->executado = true;
                if (it->commit) ++m_commits;
                contar(it->tipo == TipoInstrucao::Transaccao ? TipoInstrucao::Transaccao : TipoInstrucao::Executar);
            }
            break;
        }
        case 'C': {
            if (corpo.isEmpty()) break;
            const char qual = corpo[0];
            pos = 1;
            const QByteArray nome = cadeia(corpo, pos);
            if (qual == 'S') {
                if (m_preparadas.value(nome, TipoInstrucao::Executar) != TipoInstrucao::Transaccao) ++m_c.libertacoes;
                m_preparadas.remove(nome);
            } else {
                m_portais.remove(nome);
            }
            break;
        }
        case 'F':
            ++m_c.instrucoes;
            break;
        case 'S':
            ++m_c.sincronizacoes;
            break;
        default:
            break; // Describe, Flush, Terminate, password, copy data...
        }
    }

    void lerServidor()
    {
        int pos = 0;
        for (;;) {
            const int resta = int(m_bufServidor.size()) - pos;
            if (m_esperaRespostaCifra) {
                if (resta < 1) break;
                const char r = m_bufServidor[pos++];
                m_esperaRespostaCifra = false;
                if (r == 'S' || r == 'G') {
                    marcarIlegivel();
                    return;
                }
                continue;
            }
            if (resta < 5) break;
            const quint32 len = int32(m_bufServidor, pos + 1);
            if (len < 4 || len > (1u << 30)) {
                marcarIlegivel();
                return;
            }
            if (quint32(resta) < len + 1) break;
            const char tipo = m_bufServidor[pos];
            pos += int(len) + 1;
            if (tipo == 'Z')
                ++m_c.prontos;
            else if (tipo == 'E')
                ++m_c.erros;
        }
        m_bufServidor.remove(0, pos);
    }

    void marcarIlegivel()
    {
        if (!m_cifrada) ++m_c.cifradas;
        m_cifrada = true;
        m_bufCliente.clear();
        m_bufServidor.clear();
    }

    ContagemPg m_c;
    bool m_clienteFalou = false;
    bool m_arranque = true;
    bool m_esperaRespostaCifra = false;
    bool m_cifrada = false;
    QByteArray m_bufCliente, m_bufServidor;
    QHash<QByteArray, TipoInstrucao> m_preparadas;    // extended protocol: statement name -> kind
    QHash<QByteArray, TipoInstrucao> m_preparadasSql; // PREPARE name AS ... -> kind
    QHash<QByteArray, Portal> m_portais;
    QSet<QByteArray> m_commitsPreparados; // extended protocol: statements that are a COMMIT
    qint64 m_commits = 0;
};

} // namespace bench
