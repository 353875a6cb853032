// The latency benchmark's wire counting (bench/comum/ProtocoloPg.hpp) on scripted exchanges in
// the shapes QPSQL and psqlODBC use, and the delaying proxy (bench/comum/ProxyAtraso.hpp) between
// a real client and a small fake server on loopback.
#include "../../bench/comum/ProxyAtraso.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace bench;

namespace {

QByteArray int32(quint32 v)
{
    QByteArray b(4, '\0');
    b[0] = char(v >> 24);
    b[1] = char(v >> 16);
    b[2] = char(v >> 8);
    b[3] = char(v);
    return b;
}
QByteArray cstr(const QByteArray& s)
{
    return s + '\0';
}
QByteArray msg(char tipo, const QByteArray& corpo)
{
    return QByteArray(1, tipo) + int32(quint32(corpo.size() + 4)) + corpo;
}
QByteArray sslRequest()
{
    return int32(8) + int32(80877103);
}
QByteArray arranque()
{
    const QByteArray corpo = int32(196608) + cstr("user") + cstr("terminal") + cstr("database") + cstr("t") + '\0';
    return int32(quint32(corpo.size() + 4)) + corpo;
}
QByteArray query(const QByteArray& sql)
{
    return msg('Q', cstr(sql));
}
QByteArray parse(const QByteArray& nome, const QByteArray& sql)
{
    return msg('P', cstr(nome) + cstr(sql) + QByteArray(2, '\0'));
}
QByteArray bind(const QByteArray& portal, const QByteArray& nome)
{
    return msg('B', cstr(portal) + cstr(nome) + QByteArray(6, '\0'));
}
QByteArray execute(const QByteArray& portal, quint32 linhas = 0)
{
    return msg('E', cstr(portal) + int32(linhas));
}
QByteArray describe(char qual, const QByteArray& nome)
{
    return msg('D', QByteArray(1, qual) + cstr(nome));
}
QByteArray closeMsg(char qual, const QByteArray& nome)
{
    return msg('C', QByteArray(1, qual) + cstr(nome));
}
QByteArray sync()
{
    return msg('S', {});
}
QByteArray pronto()
{
    return msg('Z', "I");
}
QByteArray linhas(int n)
{
    QByteArray b = msg('T', QByteArray(2, '\0'));
    for (int i = 0; i < n; ++i)
        b += msg('D', QByteArray(2, '\0'));
    return b + msg('C', cstr("SELECT 1"));
}

// A connection past its startup (SSL refused, trust authentication), counters taken after it.
struct Conversa
{
    ConversaPg c;
    ContagemPg base;
    Conversa()
    {
        cliente(sslRequest());
        servidor("N");
        cliente(arranque());
        servidor(msg('R', int32(0)) + msg('S', cstr("client_encoding") + cstr("UTF8")) + pronto());
        base = c.contagem();
    }
    void cliente(const QByteArray& b) { c.doCliente(b.constData(), b.size()); }
    void servidor(const QByteArray& b) { c.doServidor(b.constData(), b.size()); }
    ContagemPg visto() const { return c.contagem() - base; }
};

TEST(ProtocoloPg, QpsqlPrepareExecuteDeallocateSaoTresIdasEVoltasDeUmaInstrucao)
{
    Conversa k;
    EXPECT_EQ(k.base.idasVoltas, 2); // SSLRequest, startup
    EXPECT_EQ(k.base.prontos, 1);
    k.cliente(query("PREPARE qpsqlpstmt_1 AS SELECT Fo FROM oka_CabOrc WHERE Fo = $1"));
    k.servidor(msg('C', cstr("PREPARE")) + pronto());
    k.cliente(query("EXECUTE qpsqlpstmt_1 ('100001')"));
    // The answer in pieces (single-row mode streams rows): still one round trip.
    const QByteArray resposta = linhas(3) + pronto();
    for (int i = 0; i < resposta.size(); i += 7)
        k.servidor(resposta.mid(i, 7));
    k.cliente(query("DEALLOCATE qpsqlpstmt_1"));
    k.servidor(msg('C', cstr("DEALLOCATE")) + pronto());
    const ContagemPg v = k.visto();
    EXPECT_EQ(v.idasVoltas, 3);
    EXPECT_EQ(v.instrucoes, 1);
    EXPECT_EQ(v.preparacoes, 1);
    EXPECT_EQ(v.libertacoes, 1);
    EXPECT_EQ(v.transaccao, 0);
    EXPECT_EQ(v.prontos, 3);
    EXPECT_EQ(v.erros, 0);

    // BEGIN and COMMIT count apart, also when prepared and executed; an error answer is seen.
    k.cliente(query("BEGIN"));
    k.servidor(msg('C', cstr("BEGIN")) + pronto());
    k.cliente(query("PREPARE p2 AS COMMIT"));
    k.servidor(pronto());
    k.cliente(query("EXECUTE p2"));
    k.servidor(msg('E', cstr("SERROR")) + pronto());
    k.cliente(query("DEALLOCATE p2"));
    k.servidor(pronto());
    const ContagemPg w = k.visto() - v;
    EXPECT_EQ(w.idasVoltas, 4);
    EXPECT_EQ(w.transaccao, 3);
    EXPECT_EQ(w.instrucoes + w.preparacoes + w.libertacoes, 0);
    EXPECT_EQ(w.erros, 1);
}

TEST(ProtocoloPg, PsqlOdbcPassosPorInstrucaoESavepoints)
{
    Conversa k;
    // What psqlODBC sends for one statement inside a transaction: Parse, Describe, Bind/Execute,
    // each with its Sync and answer, then the release of the plan between savepoints.
    k.cliente(query("BEGIN"));
    k.servidor(pronto());
    k.cliente(query("SAVEPOINT _EXEC_SVP_1"));
    k.servidor(pronto());
    k.cliente(parse("_PLAN1", "UPDATE oka_CabOrc SET Fo = Fo WHERE Fo = $1") + sync());
    k.servidor(msg('1', {}) + pronto());
    k.cliente(describe('S', "_PLAN1") + sync());
    k.servidor(msg('t', QByteArray(2, '\0')) + msg('n', {}) + pronto());
    k.cliente(bind("", "_PLAN1") + describe('P', "") + execute("") + sync());
    k.servidor(msg('2', {}) + msg('n', {}) + msg('C', cstr("UPDATE 1")) + pronto());
    k.cliente(query("SAVEPOINT _per_query_svp_;DEALLOCATE \"_PLAN1\";RELEASE _per_query_svp_"));
    k.servidor(pronto());
    k.cliente(query("RELEASE _EXEC_SVP_1;SAVEPOINT _EXEC_SVP_1"));
    k.servidor(pronto());
    k.cliente(query("COMMIT"));
    k.servidor(pronto());
    const ContagemPg v = k.visto();
    EXPECT_EQ(v.idasVoltas, 8);
    EXPECT_EQ(v.instrucoes, 1);
    EXPECT_EQ(v.preparacoes, 1);
    EXPECT_EQ(v.libertacoes, 1);
    EXPECT_EQ(v.transaccao, 2 + 2 + 2 + 1);
    EXPECT_EQ(v.sincronizacoes, 3);
}

TEST(ProtocoloPg, MensagensSeguidasSemEsperaSaoUmaIdaEVolta)
{
    Conversa k;
    // Three statements pipelined in one write, the answers in three: one round trip.
    QByteArray lote;
    for (const char* nome : {"a", "b", "c"})
        lote += parse(nome, "SELECT 1") + bind("", nome) + execute("") + sync();
    k.cliente(lote);
    for (int i = 0; i < 3; ++i)
        k.servidor(msg('1', {}) + msg('2', {}) + linhas(1) + pronto());
    ContagemPg v = k.visto();
    EXPECT_EQ(v.idasVoltas, 1);
    EXPECT_EQ(v.instrucoes, 3);
    EXPECT_EQ(v.preparacoes, 3);

    // The same bytes one at a time decode alike; a further Execute of a portal fetches rows,
    // it is not another statement; Close of a statement is a release, of a portal nothing.
    Conversa m;
    const QByteArray tudo = lote + execute("", 10) + closeMsg('S', "a") + closeMsg('P', "") + sync();
    for (char c : tudo)
        m.cliente(QByteArray(1, c));
    m.servidor(pronto());
    v = m.visto();
    EXPECT_EQ(v.idasVoltas, 1);
    EXPECT_EQ(v.instrucoes, 3);
    EXPECT_EQ(v.libertacoes, 1);
    EXPECT_EQ(v.mensagens, 3 * 4 + 4);

    // Transaction control through the extended protocol counts only as such.
    Conversa t;
    t.cliente(parse("", "BEGIN") + bind("", "") + execute("") + closeMsg('S', "") + sync());
    t.servidor(pronto());
    v = t.visto();
    EXPECT_EQ(v.transaccao, 1);
    EXPECT_EQ(v.instrucoes + v.preparacoes + v.libertacoes, 0);

    // Bytes the server never answers (Terminate) are no round trip; server bytes alone neither.
    Conversa f;
    f.servidor(msg('N', cstr("SNOTICE")));
    f.cliente(msg('X', {}));
    EXPECT_EQ(f.visto().idasVoltas, 0);
}

TEST(ProtocoloPg, LigacaoCifradaContaIdasEVoltasMasNaoInstrucoes)
{
    ConversaPg c;
    const QByteArray ssl = sslRequest();
    c.doCliente(ssl.constData(), ssl.size());
    c.doServidor("S", 1);
    EXPECT_TRUE(c.cifrada());
    const QByteArray q = query("SELECT 1");
    c.doCliente(q.constData(), q.size());
    c.doServidor("xyz", 3);
    EXPECT_EQ(c.contagem().idasVoltas, 2);
    EXPECT_EQ(c.contagem().instrucoes, 0);
    EXPECT_EQ(c.contagem().cifradas, 1);
}

TEST(ProtocoloPg, ClassificaEDivideSql)
{
    QByteArray nome, interior;
    EXPECT_EQ(classificarSql("  -- nota\n /* x */ prepare P1 (int) AS select $1", &nome, &interior),
              TipoInstrucao::Preparar);
    EXPECT_EQ(nome, "P1");
    EXPECT_EQ(interior, "select $1");
    EXPECT_EQ(classificarSql("DEALLOCATE PREPARE p9", &nome), TipoInstrucao::Libertar);
    EXPECT_EQ(nome, "p9");
    for (const char* t : {"start transaction", "end", "Rollback to savepoint s", "release s", "ABORT"})
        EXPECT_EQ(classificarSql(t), TipoInstrucao::Transaccao) << t;
    for (const char* t : {"WITH x AS (SELECT 1) SELECT * FROM x", "(SELECT 1)", "SET search_path TO a", "Beginning"})
        EXPECT_EQ(classificarSql(t), TipoInstrucao::Executar) << t;

    const QList<QByteArray> partes =
        dividirSql("SELECT ';' AS \"a;b\"; -- c;d\nSELECT $q$ ; $q$ /* ; */;;  SELECT $1 ; ");
    ASSERT_EQ(partes.size(), 3);
    EXPECT_EQ(partes[0], "SELECT ';' AS \"a;b\"");
    EXPECT_EQ(partes[1], "-- c;d\nSELECT $q$ ; $q$ /* ; */");
    EXPECT_EQ(partes[2], "SELECT $1");
}

// A fake server on loopback: answers the startup message, each simple query and each Sync with a
// ReadyForQuery.
class ServidorFalso
{
public:
    ServidorFalso()
    {
        m_escuta = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_escuta, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(m_escuta, 4);
        socklen_t t = sizeof a;
        ::getsockname(m_escuta, reinterpret_cast<sockaddr*>(&a), &t);
        m_porta = ntohs(a.sin_port);
        m_fio = std::thread([this] { servir(); });
    }
    ~ServidorFalso()
    {
        ::shutdown(m_escuta, SHUT_RDWR);
        ::close(m_escuta);
        m_fio.join();
    }
    int porta() const { return m_porta; }

private:
    void servir()
    {
        const int c = ::accept(m_escuta, nullptr, nullptr);
        if (c < 0) return;
        int um = 1; // no Nagle wait for the second of two small answers
        ::setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &um, sizeof um);
        QByteArray buf;
        bool arranque = true;
        char b[4096];
        for (;;) {
            const ssize_t n = ::read(c, b, sizeof b);
            if (n <= 0) break;
            buf.append(b, int(n));
            for (;;) {
                const int cab = arranque ? 0 : 1;
                if (buf.size() < cab + 4) break;
                const int len = int((quint8(buf[cab]) << 24) | (quint8(buf[cab + 1]) << 16) |
                                    (quint8(buf[cab + 2]) << 8) | quint8(buf[cab + 3]));
                if (buf.size() < cab + len) break;
                const char tipo = arranque ? '\0' : buf[0];
                buf.remove(0, cab + len);
                arranque = false;
                if (tipo == 'X') break;
                if (tipo != '\0' && tipo != 'Q' && tipo != 'S') continue;
                const QByteArray z = pronto();
                ::send(c, z.constData(), size_t(z.size()), MSG_NOSIGNAL);
            }
        }
        ::close(c);
    }

    int m_escuta = -1;
    int m_porta = 0;
    std::thread m_fio;
};

bool enviarEReceber(int s, const QByteArray& pedido)
{
    if (::send(s, pedido.constData(), size_t(pedido.size()), MSG_NOSIGNAL) != pedido.size()) return false;
    char b[6];
    int lidos = 0;
    while (lidos < 6) {
        const ssize_t n = ::read(s, b + lidos, size_t(6 - lidos));
        if (n <= 0) return false;
        lidos += int(n);
    }
    return b[0] == 'Z';
}

TEST(ProxyAtraso, AtrasaCadaSentidoEContaNoFio)
{
    ServidorFalso servidor;
    ProxyAtraso proxy(QStringLiteral("127.0.0.1"), servidor.porta());
    QString erro;
    ASSERT_TRUE(proxy.iniciar(&erro)) << erro.toStdString();
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(quint16(proxy.porta()));
    ASSERT_EQ(::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_TRUE(enviarEReceber(s, arranque()));

    // Three statements, each waiting for its answer, at 40 ms round trip.
    proxy.definirIdaVolta(std::chrono::milliseconds(40));
    const ContagemPg antes = proxy.contagem();
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(enviarEReceber(s, query("SELECT 1")));
    const qint64 ms = t.elapsed();
    ContagemPg v = proxy.contagem() - antes;
    EXPECT_GE(ms, 120);
    EXPECT_LT(ms, 120 + 200); // a loaded machine wakes late, but not by a round trip per step
    EXPECT_EQ(v.idasVoltas, 3);
    EXPECT_EQ(v.instrucoes, 3);
    EXPECT_EQ(v.prontos, 3);

    // Two messages in one write are one round trip; back at no delay it takes less than one.
    proxy.definirIdaVolta(std::chrono::nanoseconds(0));
    t.restart();
    ASSERT_TRUE(enviarEReceber(s, query("BEGIN") + parse("", "SELECT 2") + bind("", "") + execute("") + sync()));
    char resto[6];
    ASSERT_EQ(::recv(s, resto, 6, MSG_WAITALL), 6); // the second ReadyForQuery
    EXPECT_LT(t.elapsed(), 40);
    v = proxy.contagem() - antes;
    EXPECT_EQ(v.idasVoltas, 4);
    EXPECT_EQ(v.instrucoes, 4);
    EXPECT_EQ(v.transaccao, 1);

    // Counts outlive the connection.
    const QByteArray fim = msg('X', {});
    ::send(s, fim.constData(), size_t(fim.size()), MSG_NOSIGNAL);
    ::close(s);
    for (int i = 0; i < 200 && proxy.ligacoesAbertas() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(proxy.ligacoesAbertas(), 0);
    EXPECT_EQ(proxy.contagem().instrucoes, antes.instrucoes + 4);
    EXPECT_EQ(proxy.contagem().mensagens, antes.mensagens + 3 + 5 + 1);
    EXPECT_EQ(proxy.ligacoesAceites(), 1);
    proxy.parar();
}

} // namespace
