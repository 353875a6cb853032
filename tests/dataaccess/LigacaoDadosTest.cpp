#include <atomic>
#include <condition_variable>
#include <latch>
#include <mutex>
#include <thread>

#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlQuery>

#include "base/Rotinas.h"
#include "support/BaseDadosTeste.h"
#include "support/ServidorMudo.h"

// The connection on every backend: bound values, exact money and dates, true row counts,
// all-or-nothing transactions with bounded retry, concurrent line numbers, reconnection.
class LigacaoDados_ : public TesteBD
{
protected:
    void cabecalho(const QString& fo)
    {
        bd().executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo, SubEstado) VALUES (?, 1, 0)"), {fo});
    }
};

TEST_P(LigacaoDados_, ValoresLigadosComApostrofos)
{
    const QStringList textos{QStringLiteral("O'1"), QStringLiteral("D'Ouro 100% _x"), QStringLiteral("Ç'ã\"é"),
                             QStringLiteral("x'); DELETE FROM oka_CabOrc; --")};
    for (const QString& t : textos)
        bd().executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo, Notas) VALUES (?, ?, ?)"),
                      {t.left(20), 1, t});
    for (const QString& t : textos) {
        const Registos r = bd().consultar(
            QStringLiteral("SELECT Fo, Notas AS Nota FROM oka_CabOrc WHERE Fo = ? AND Notas = ?"), {t.left(20), t});
        ASSERT_EQ(r.RecordCount(), 1) << t.toStdString();
        EXPECT_EQ(r.primeira().texto("NOTA"), t);
        EXPECT_EQ(r.primeira().texto(0), t.left(20));
    }
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc")), textos.size());
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc WHERE Notas LIKE ?"), {QStringLiteral("D'Ouro%")}),
              1);
}

TEST_P(LigacaoDados_, DinheiroDatasEContagens)
{
    const QDate dia(2026, 12, 5);
    const QDateTime momento(dia, QTime(13, 5, 7));
    const QList<const char*> valores{"0.1", "0.2", "12345678.9999", "-0.0001"};
    int linha = 0;
    for (const char* v : valores)
        bd().executar(QStringLiteral("INSERT INTO oka_LinFo_Ope (NoFo, NoLinha, Data, HoraInicio, CustoHomem, Opera) "
                                     "VALUES (?, ?, ?, ?, ?, ?)"),
                      {QStringLiteral("26001"), ++linha, DataBD(dia), Currency::parse(QLatin1String(v))->paraBD(),
                       Currency::parse(QLatin1String(v))->paraBD(), 7});
    bd().executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, DataActual) VALUES (?, ?)"),
                  {QStringLiteral("26001"), DataHoraBD(momento)});

    const Registos r = bd().consultar(QStringLiteral("SELECT NoLinha, CustoHomem, Data FROM oka_LinFo_Ope "
                                                     "WHERE NoFo = ? AND Data = ? AND Opera = ? ORDER BY NoLinha"),
                                      {QStringLiteral("26001"), DataBD(dia), 7});
    ASSERT_EQ(r.RecordCount(), valores.size());
    for (int i = 0; i < r.RecordCount(); ++i) {
        EXPECT_EQ(r[i].inteiro("nolinha"), i + 1);
        EXPECT_EQ(r[i].moeda("CustoHomem"), *Currency::parse(QLatin1String(valores[i])));
        EXPECT_EQ(r[i].data("Data"), dia);
    }
    EXPECT_EQ(bd().consultar(QStringLiteral("SELECT SUM(CustoHomem) FROM oka_LinFo_Ope")).primeira().moeda(0),
              *Currency::parse(QStringLiteral("12345679.2998")));
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE CustoHomem > ?"), {Currency(0).paraBD()}),
              3);

    const QVariant lido = bd().consultar(QStringLiteral("SELECT DataActual FROM oka_CabOrc")).primeira().valor(0);
    const QDateTime lida =
        lido.typeId() == QMetaType::QDateTime ? lido.toDateTime() : QDateTime::fromString(lido.toString(), Qt::ISODate);
    EXPECT_EQ(lida.date(), dia);
    EXPECT_EQ(lida.time(), QTime(13, 5, 7)); // wall clock, whatever the session's time zone
    EXPECT_TRUE(
        bd().consultar(QStringLiteral("SELECT Fo FROM oka_CabOrc WHERE Fo = ?"), {QStringLiteral("x")}).vazio());
}

TEST_P(LigacaoDados_, TransacaoTudoOuNada)
{
    const QString inserir = QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo) VALUES (?, 1)");
    bd().tentativasMaximas = 2;
    // A failing statement after a good one: neither lands.
    EXPECT_THROW(bd().transacao([&] {
        bd().executar(inserir, {QStringLiteral("A")});
        bd().executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo) VALUES (NULL)"));
    }),
                 ErroBD);
    // A nested call joins the outer transaction: its failure undoes the outer writes too.
    EXPECT_THROW(bd().transacao([&] {
        bd().executar(inserir, {QStringLiteral("B")});
        bd().transacao([&] {
            bd().executar(inserir, {QStringLiteral("C")});
            throw std::runtime_error("falha");
        });
    }),
                 std::runtime_error);
    EXPECT_FALSE(bd().emTransacao());
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc")), 0);

    // The connection is usable afterwards and a good transaction commits everything.
    bd().transacao([&] {
        bd().executar(inserir, {QStringLiteral("A")});
        bd().executar(inserir, {QStringLiteral("B")});
    });
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc")), 2);
}

TEST_P(LigacaoDados_, RepeteSoOQueValeAPenaRepetir)
{
    int vezes = 0;
    bd().transacao([&] {
        ++vezes;
        bd().executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo) VALUES (?, 1)"), {QStringLiteral("R")});
        if (vezes == 1) throw ErroBD(QStringLiteral("deadlock"), QStringLiteral("40P01"), ErroBD::Tipo::Repetivel);
    });
    EXPECT_EQ(vezes, 2);
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc")), 1);

    vezes = 0;
    EXPECT_THROW(bd().transacao([&] {
        ++vezes;
        throw ErroBD(QStringLiteral("outro"), {}, ErroBD::Tipo::Outro);
    }),
                 ErroBD);
    EXPECT_EQ(vezes, 1);

    vezes = 0;
    bd().tentativasMaximas = 3;
    EXPECT_THROW(bd().transacao([&] {
        ++vezes;
        throw ErroBD(QStringLiteral("ocupada"), QStringLiteral("5"), ErroBD::Tipo::Repetivel);
    }),
                 ErroBD);
    EXPECT_EQ(vezes, 3);

    // A real key clash inside a transaction is reported (after the bounded retries), not written.
    EXPECT_THROW(bd().transacao([&] {
        bd().executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo) VALUES (?, 1)"), {QStringLiteral("R")});
    }),
                 ErroBD);
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc")), 1);
}

namespace {

// A new labour line of `fo` numbered MAX + 1, taken after the order is held: SQLite holds the
// whole database from BEGIN IMMEDIATE; the servers lock the order's header row first.
void novaLinha(LigacaoDados& l, const QString& fo, bool bloquearCabecalho)
{
    l.transacao([&] {
        if (bloquearCabecalho && l.dialecto() != Dialecto::SQLite)
            l.executar(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = SubEstado WHERE Fo = ?"), {fo});
        const qint64 n = l.consultar(QStringLiteral("SELECT MAX(NoLinha) FROM oka_LinFo_Ope WHERE NoFo = ?"), {fo})
                             .primeira()
                             .inteiro(0) +
                         1;
        l.executar(QStringLiteral("INSERT INTO oka_LinFo_Ope (NoFo, NoLinha, Estado) VALUES (?, ?, 1)"), {fo, n});
    });
}

} // namespace

TEST_P(LigacaoDados_, DuasLigacoesNaoDuplicamNumerosDeLinha)
{
    const QString fo = QStringLiteral("26'01");
    cabecalho(fo);
    constexpr int porLigacao = 40;
    for (bool bloquear : {true, false}) {
        // Without the header lock only the primary key and the retry stand between the two.
        const QString obra = bloquear ? fo : QStringLiteral("SEMCAB");
        std::latch partida(2);
        std::atomic<int> falhas{0};
        const ParametrosLigacao parametros = base().parametros();
        auto trabalhar = [&] {
            LigacaoDados l; // each thread its own connection
            if (!l.Abrir(parametros)) {
                ++falhas;
                partida.count_down();
                return;
            }
            l.tentativasMaximas = 30;
            partida.arrive_and_wait();
            for (int i = 0; i < porLigacao; ++i) {
                try {
                    novaLinha(l, obra, bloquear);
                } catch (const ErroBD&) {
                    ++falhas;
                }
            }
        };
        std::thread a(trabalhar), b(trabalhar);
        a.join();
        b.join();
        EXPECT_EQ(falhas.load(), 0);
        const Registos r = bd().consultar(QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT NoLinha), MAX(NoLinha) "
                                                         "FROM oka_LinFo_Ope WHERE NoFo = ?"),
                                          {obra});
        EXPECT_EQ(r.primeira().inteiro(0), 2 * porLigacao);
        EXPECT_EQ(r.primeira().inteiro(1), 2 * porLigacao);
        EXPECT_EQ(r.primeira().inteiro(2), 2 * porLigacao);
    }
}

TEST_P(LigacaoDados_, ReligaDepoisDePerderALigacao)
{
    if (bd().dialecto() == Dialecto::SQLite) {
        // Nothing can cut an embedded database off; a closed connection is reopened the same way.
        bd().Fechar();
        cabecalho(QStringLiteral("A"));
        bd().Fechar();
        bd().transacao([&] { cabecalho(QStringLiteral("B")); });
        EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc")), 2);
        return;
    }
    auto matar = [&] { base().cortarSessao(bd()); };

    matar();
    cabecalho(QStringLiteral("A")); // a statement on its own: reopened once and run
    matar();
    bd().transacao([&] { cabecalho(QStringLiteral("B")); }); // a transaction: begun again on a new connection
    matar();
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc")), 2); // the test's schema again

    // Lost while committing: not run again (it may have landed), and the error says so.
    int vezes = 0;
    try {
        bd().transacao([&] {
            ++vezes;
            cabecalho(QStringLiteral("C"));
            matar();
        });
        ADD_FAILURE() << "a COMMIT on a dead connection was reported as done";
    } catch (const ErroBD& e) {
        EXPECT_EQ(e.tipo(), ErroBD::Tipo::ResultadoIncerto) << e.texto().toStdString();
        EXPECT_FALSE(e.repetivel());
        EXPECT_TRUE(e.texto().startsWith(ErroBD::avisoResultadoIncerto())) << e.texto().toStdString();
    }
    EXPECT_EQ(vezes, 1);
    EXPECT_FALSE(bd().emTransacao());
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc")), 2);
}

// Another connection, on a thread of its own, holds the order's header row (SQLite: the whole
// database) in an open transaction until `largar` or for at most 10 s.
class Retentor
{
public:
    Retentor(const ParametrosLigacao& p, const QString& fo)
    {
        m_fio = std::thread([this, p, fo] {
            LigacaoDados l;
            if (l.Abrir(p)) {
                QSqlQuery q(l.bd());
                if (l.dialecto() == Dialecto::SQLite) {
                    m_preso = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
                } else {
                    l.bd().transaction();
                    q.prepare(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = 9 WHERE Fo = ?"));
                    q.addBindValue(fo);
                    m_preso = q.exec();
                }
            }
            std::unique_lock<std::mutex> t(m_m);
            m_pronto = true;
            m_cv.notify_all();
            m_cv.wait_for(t, std::chrono::seconds(10), [this] { return m_largar; });
            if (l.dialecto() == Dialecto::SQLite)
                QSqlQuery(l.bd()).exec(QStringLiteral("ROLLBACK"));
            else
                l.bd().rollback();
        });
        std::unique_lock<std::mutex> t(m_m);
        m_cv.wait(t, [this] { return m_pronto; });
    }
    ~Retentor() { largar(); }
    bool preso() const { return m_preso; }
    void largar()
    {
        {
            std::lock_guard<std::mutex> t(m_m);
            m_largar = true;
        }
        m_cv.notify_all();
        if (m_fio.joinable()) m_fio.join();
    }

private:
    std::mutex m_m;
    std::condition_variable m_cv;
    bool m_pronto = false, m_largar = false;
    std::atomic<bool> m_preso{false};
    std::thread m_fio;
};

TEST_P(LigacaoDados_, EsperaPorLinhaPresaTemLimite)
{
    cabecalho(QStringLiteral("P1"));
    Retentor outro(base().parametros(), QStringLiteral("P1"));
    ASSERT_TRUE(outro.preso());
    ParametrosLigacao p = base().parametros();
    p.segundosInstrucao = 1;
    LigacaoDados l;
    ASSERT_TRUE(l.Abrir(p));
    QElapsedTimer t;
    t.start();
    int vezes = 0;
    try {
        l.transacao([&] {
            ++vezes;
            l.executar(QStringLiteral("UPDATE oka_CabOrc SET EstadoFo = 2 WHERE Fo = ?"), {QStringLiteral("P1")});
        });
        ADD_FAILURE() << "the update went through a held row";
    } catch (const ErroBD& e) {
        if (l.dialecto() == Dialecto::SQLite) {
            // A busy database is tried again, but only for twice the limit.
            EXPECT_EQ(e.tipo(), ErroBD::Tipo::Repetivel) << e.texto().toStdString();
        } else {
            // A lock wait that runs out is not tried again, and says which database did not answer.
            EXPECT_EQ(e.tipo(), ErroBD::Tipo::SemResposta) << e.texto().toStdString();
            EXPECT_EQ(vezes, 1);
            EXPECT_TRUE(
                e.texto().startsWith(QStringLiteral("Sem resposta da base de dados em 1 s (%1)").arg(p.descricao())))
                << e.texto().toStdString();
        }
    }
    EXPECT_LT(t.elapsed(), 3500);
    outro.largar();
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc WHERE EstadoFo = 2")), 0);
    // The connection works on once the row is free.
    l.transacao(
        [&] { l.executar(QStringLiteral("UPDATE oka_CabOrc SET EstadoFo = 2 WHERE Fo = ?"), {QStringLiteral("P1")}); });
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc WHERE EstadoFo = 2")), 1);
}

INSTANCIAR_BACKENDS(LigacaoDados_);

// A server that accepts and never answers keeps an opening no longer than its time limit.
TEST(LigacaoDadosServidorMudo, AberturaDesisteNoTempoLimite)
{
    ServidorMudo mudo(15);
    std::vector<ParametrosLigacao> casos{mudo.parametrosPg()};
    // The ODBC driver named by the test script's driver list.
    if (!qEnvironmentVariable("TERMINAL_ODBC_DSN").isEmpty()) {
        ParametrosLigacao odbc;
        odbc.driver = QStringLiteral("QODBC");
        odbc.baseDados =
            QStringLiteral("DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=%1;DATABASE=fabrica;UID=ana;")
                .arg(mudo.porta());
        casos.push_back(odbc);
    }
    for (ParametrosLigacao p : casos) {
        p.segundosLigacao = 2;
        LigacaoDados l;
        QString erro;
        QElapsedTimer t;
        t.start();
        EXPECT_FALSE(l.Abrir(p, &erro)) << p.driver.toStdString();
        EXPECT_LT(t.elapsed(), 4000) << p.driver.toStdString() << ": " << erro.toStdString();
        EXPECT_TRUE(erro.contains(QString::number(mudo.porta()))) << erro.toStdString();
    }
}
