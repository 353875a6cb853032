// The connection keeps each statement prepared and runs it again with new values: one preparation
// per statement text and connection, bounded in number, forgotten when the connection is reopened,
// never carrying rows or values from one call into the next, and still usable after a failure.
#include "support/BaseDadosTeste.h"

class Preparadas : public TesteBD
{
protected:
    bool servidor() const { return GetParam() != Backend::SQLite; }

    // Statements this session holds prepared on the server whose text contains `trecho`.
    qint64 noServidor(const QString& trecho)
    {
        return bd()
            .consultar(QStringLiteral("SELECT COUNT(*) FROM pg_prepared_statements WHERE statement LIKE ?"),
                       {QStringLiteral("%") + trecho + QStringLiteral("%")})
            .primeira()
            .inteiro(0);
    }
    void cabecalho(const QString& fo, int estado)
    {
        bd().executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo) VALUES (?, ?)"), {fo, estado});
    }
    void cortar() { base().cortarSessao(bd()); }

    const QString porEstado = QStringLiteral("SELECT Fo FROM oka_CabOrc WHERE EstadoFo = ? ORDER BY Fo");
};

TEST_P(Preparadas, CadaInstrucaoPreparadaUmaVezSemArrastarLinhas)
{
    const int antes = bd().preparacoes();
    for (const char* fo : {"A", "B", "C"})
        cabecalho(QString::fromLatin1(fo), 1);
    cabecalho(QStringLiteral("D"), 2);
    EXPECT_EQ(bd().preparacoes() - antes, 1);

    // The same query again and again: its rows are those of each call, none left over.
    for (int volta = 0; volta < 2; ++volta) {
        const Registos um = bd().consultar(porEstado, {1});
        ASSERT_EQ(um.RecordCount(), 3);
        EXPECT_EQ(um[2].texto(0), QStringLiteral("C"));
        const Registos dois = bd().consultar(porEstado, {2});
        ASSERT_EQ(dois.RecordCount(), 1);
        EXPECT_EQ(dois.primeira().texto(0), QStringLiteral("D"));
        EXPECT_TRUE(bd().consultar(porEstado, {7}).vazio());
        // Another statement in between, read in full before the next one runs.
        EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc WHERE Fo > ?"), {QStringLiteral("A")}), 3);
    }
    EXPECT_EQ(bd().preparacoes() - antes, 3);
    // A Null value and then a value in the same place.
    bd().executar(QStringLiteral("UPDATE oka_CabOrc SET Notas = ? WHERE Fo = ?"),
                  {QVariant(QMetaType(QMetaType::QString)), QStringLiteral("A")});
    bd().executar(QStringLiteral("UPDATE oka_CabOrc SET Notas = ? WHERE Fo = ?"),
                  {QStringLiteral("nota"), QStringLiteral("B")});
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc WHERE Notas IS NULL")), 3);

    // The server keeps the statement between calls (it is not prepared and released each time).
    if (servidor()) {
        EXPECT_EQ(noServidor(QStringLiteral("FROM oka_CabOrc WHERE EstadoFo =")), 1);
    }
}

TEST_P(Preparadas, LimitadasAsMaisRecentes)
{
    bd().maximoPreparadas = 3;
    for (int i = 0; i < 6; ++i)
        bd().consultar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc WHERE EstadoFo = ? AND %1 = %1").arg(i), {1});
    EXPECT_EQ(bd().preparadasGuardadas(), 3);
    if (servidor()) {
        EXPECT_LE(noServidor(QStringLiteral("oka_CabOrc")), 3);
    }
    // The most recent ones are kept: running one again prepares nothing.
    const int antes = bd().preparacoes();
    bd().consultar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc WHERE EstadoFo = ? AND 5 = 5"), {1});
    EXPECT_EQ(bd().preparacoes(), antes);
    bd().consultar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc WHERE EstadoFo = ? AND 0 = 0"), {1});
    EXPECT_EQ(bd().preparacoes(), antes + 1);
}

TEST_P(Preparadas, UmaFalhaNaoEstragaAInstrucao)
{
    const QString inserir = QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo) VALUES (?, ?)");
    bd().executar(inserir, {QStringLiteral("X"), 1});
    EXPECT_THROW(bd().executar(inserir, {QStringLiteral("X"), 1}), ErroBD);
    bd().executar(inserir, {QStringLiteral("Y"), 1});

    // Inside a transaction: the failure undoes it, and the same statements work in the next one.
    bd().tentativasMaximas = 1;
    EXPECT_THROW(bd().transacao([&] {
        bd().executar(inserir, {QStringLiteral("Z"), 1});
        bd().executar(inserir, {QStringLiteral("Z"), 1});
    }),
                 ErroBD);
    bd().transacao([&] {
        bd().executar(inserir, {QStringLiteral("Z"), 2});
        EXPECT_EQ(bd().consultar(porEstado, {2}).RecordCount(), 1);
    });
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc")), 3);
    EXPECT_EQ(bd().consultar(porEstado, {1}).RecordCount(), 2);
    // A statement the server refuses to prepare is not kept.
    EXPECT_THROW(bd().consultar(QStringLiteral("SELECT NaoExiste FROM oka_CabOrc WHERE Fo = ?"), {1}), ErroBD);
    EXPECT_THROW(bd().consultar(QStringLiteral("SELECT NaoExiste FROM oka_CabOrc WHERE Fo = ?"), {1}), ErroBD);
    EXPECT_EQ(bd().consultar(porEstado, {1}).RecordCount(), 2);
}

TEST_P(Preparadas, ReabrirPreparaDeNovo)
{
    cabecalho(QStringLiteral("A"), 1);
    ASSERT_EQ(bd().consultar(porEstado, {1}).RecordCount(), 1);
    bd().Fechar();
    EXPECT_EQ(bd().preparadasGuardadas(), 0);
    const int antes = bd().preparacoes();
    EXPECT_EQ(bd().consultar(porEstado, {1}).RecordCount(), 1);
    EXPECT_EQ(bd().preparacoes(), antes + 1);
    if (!servidor()) return;

    // Cut off between two runs of a kept statement: the statement runs on a new connection, prepared
    // there, alone and inside a transaction.
    cortar();
    cabecalho(QStringLiteral("B"), 1);
    EXPECT_EQ(bd().consultar(porEstado, {1}).RecordCount(), 2);
    EXPECT_EQ(noServidor(QStringLiteral("FROM oka_CabOrc WHERE EstadoFo =")), 1);
    int vezes = 0;
    bd().transacao([&] {
        if (++vezes == 1) {
            cabecalho(QStringLiteral("C"), 1);
            cortar();
        }
        cabecalho(QStringLiteral("D"), 1);
    });
    EXPECT_EQ(vezes, 2);
    const Registos r = bd().consultar(porEstado, {1});
    ASSERT_EQ(r.RecordCount(), 3);
    EXPECT_EQ(r[2].texto(0), QStringLiteral("D"));
}

INSTANCIAR_BACKENDS(Preparadas);
