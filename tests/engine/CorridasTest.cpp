// Two terminals acting on the same line at the same moment. A third connection holds the line
// locked until both terminals wait for it (each has read it by then), then lets them go: exactly
// one may close or take over the line, the other finds nothing and says so. PostgreSQL and the
// ODBC path only: SQLite runs one writer at a time, so these races cannot happen there.
#include <latch>
#include <thread>

#include <QElapsedTimer>
#include <QThread>

#include "DadosEngine.h"

using namespace dados;

namespace {

const QString M1 = QStringLiteral("M1");

// What one terminal did.
struct Feito
{
    bool ok = false;
    QString mensagem;
    QString erro; // an error that reached the caller
};

using Accao = std::function<bool(Cl_EQP&, QString&)>;

} // namespace

class Corridas : public TesteEngine
{
protected:
    void SetUp() override
    {
        TesteEngine::SetUp();
        if (IsSkipped()) return;
        if (GetParam() == Backend::SQLite) GTEST_SKIP() << "SQLite runs one writer at a time";
    }

    // Runs a and b on terminals of their own while line fo/noLinha is held; both were seen waiting.
    std::pair<Feito, Feito> Corrida(const QString& fo, int noLinha, const Accao& a, const Accao& b)
    {
        const QList<Feito> f = Corrida(fo, noLinha, {a, b});
        return {f[0], f[1]};
    }
    // The same for any number of terminals; `entretanto` runs in the holding transaction once they
    // all wait, before the line is let go.
    QList<Feito> Corrida(const QString& fo, int noLinha, const QList<Accao>& accoes,
                         const std::function<void(LigacaoDados&)>& entretanto = {})
    {
        QList<Feito> feitos(accoes.size());
        const ParametrosLigacao parametros = base().parametros();
        // Each terminal connects first (the ODBC driver manager may hold a new connection back
        // while another thread's call waits for a lock), then acts once the line is held.
        std::latch ligadas(accoes.size() + 1), linhaPresa(1);
        auto terminal = [&](const Accao& accao, Feito& feito) {
            LigacaoDados ligacao;
            const bool aberta = ligacao.Abrir(parametros, &feito.erro);
            ligadas.count_down();
            linhaPresa.wait();
            if (!aberta) return;
            OperadorFalso operador;
            Cl_EQP motor;
            motor.setBd_lig(&ligacao);
            motor.setOperador(&operador);
            try {
                feito.ok = accao(motor, feito.mensagem);
            } catch (const ErroBD& e) {
                feito.erro = e.texto();
            }
        };
        std::unique_ptr<LigacaoDados> guarda = base().novaLigacao();
        guarda->tentativasMaximas = 1;
        std::vector<std::thread> fios;
        for (int i = 0; i < accoes.size(); ++i)
            fios.emplace_back(terminal, accoes[i], std::ref(feitos[i]));
        ligadas.arrive_and_wait();
        int esperam = 0;
        QString sessoes; // what the server's sessions were doing when the two were not seen waiting
        bool soltas = false;
        auto soltar = [&] {
            if (!soltas) linhaPresa.count_down();
            soltas = true;
        };
        try {
            guarda->transacao([&] {
                guarda->consultar(
                    QStringLiteral("SELECT NoLinha FROM oka_LinFo_Ope WHERE NoFo = ? AND NoLinha = ? FOR UPDATE"),
                    {fo, noLinha});
                soltar();
                // Sessions waiting for this one, directly or behind a session that waits for it.
                QElapsedTimer relogio;
                relogio.start();
                while (esperam < accoes.size() && relogio.elapsed() < 5000) {
                    QThread::msleep(10);
                    esperam = int(guarda
                                      ->consultar(QStringLiteral(
                                          "SELECT COUNT(*) FROM pg_stat_activity a"
                                          " WHERE pg_backend_pid() = ANY(pg_blocking_pids(a.pid)) OR EXISTS ("
                                          "SELECT 1 FROM pg_stat_activity b WHERE b.pid = ANY(pg_blocking_pids(a.pid))"
                                          " AND pg_backend_pid() = ANY(pg_blocking_pids(b.pid)))"))
                                      .primeira()
                                      .inteiro(0));
                }
                if (esperam < accoes.size())
                    for (const auto& x : guarda->consultar(
                             QStringLiteral("SELECT pid, state, wait_event, pg_blocking_pids(pid)::text, query"
                                            " FROM pg_stat_activity WHERE datname = current_database()")))
                        sessoes +=
                            QStringLiteral("\n") +
                            QStringList{x.texto(0), x.texto(1), x.texto(2), x.texto(3), x.texto(4).left(100)}.join(
                                QStringLiteral(" | "));
                if (entretanto) entretanto(*guarda);
            });
        } catch (...) {
            soltar();
            for (auto& f : fios)
                f.join();
            throw;
        }
        for (auto& f : fios)
            f.join();
        EXPECT_EQ(esperam, accoes.size())
            << "the terminals did not all wait for the held line:" << sessoes.toStdString();
        for (const Feito& f : feitos)
            EXPECT_EQ(f.erro, QString());
        return feitos;
    }
};

// Ending one running line at two terminals: by Operacao_fim, a state change, the day end and
// TerminaTodasOperacoes. One closes it (its end time and state are on the line, the order's costs
// count it once), the other says there is nothing to close.
TEST_P(Corridas, DuasTerminaisFechamAMesmaLinha)
{
    struct Lado
    {
        QString nome;
        std::function<bool(Cl_EQP&, const QString&, const QString&, const QDateTime&, QString&)> chamar;
        int estado;
        QString semLinhas;
    };
    const QString semFolhas = QStringLiteral("Não existem Folhas de Obra deste Operador iniciadas!");
    const Lado fim{
        QStringLiteral("Operacao_fim"),
        [](Cl_EQP& e, const QString& f, const QString& o, const QDateTime& t, QString& m) {
            return e.Operacao_fim(f, o, QStringLiteral("10"), M1, t, m);
        },
        2, QStringLiteral("Não existem operações iniciadas nesta Obra que correspondam a informação introduzida !")};
    const Lado diaFim{
        QStringLiteral("Dia_Fim"),
        [](Cl_EQP& e, const QString& f, const QString&, const QDateTime& t, QString& m) { return e.Dia_Fim(f, t, m); },
        8, semFolhas};
    const Lado suspender{QStringLiteral("Obra_Suspender"),
                         [](Cl_EQP& e, const QString& f, const QString& o, const QDateTime& t, QString& m) {
                             return e.Obra_Suspender(f, o, t, QStringLiteral("Avaria"), m);
                         },
                         9,
                         QStringLiteral("Não existem Operações para suspender nesta Folhas de Obra deste Operador!")};
    const Lado naoConforme{QStringLiteral("Obra_NaoConforme"),
                           [](Cl_EQP& e, const QString& f, const QString& o, const QDateTime& t, QString& m) {
                               return e.Obra_NaoConforme(f, o, t, m);
                           },
                           4, semFolhas};
    const Lado todas{QStringLiteral("TerminaTodasOperacoes"),
                     [](Cl_EQP& e, const QString& f, const QString&, const QDateTime& t, QString& m) {
                         return e.TerminaTodasOperacoes(f, t, m);
                     },
                     2, QStringLiteral("Não existem operações iniciadas por este Operador!")};
    const QList<std::pair<Lado, Lado>> pares{{fim, diaFim}, {suspender, fim}, {todas, naoConforme}, {diaFim, todas}};
    for (int i = 0; i < pares.size(); ++i) {
        const Lado& a = pares[i].first;
        const Lado& b = pares[i].second;
        SCOPED_TRACE((a.nome + QStringLiteral(" / ") + b.nome).toStdString());
        const QString func = QStringLiteral("P%1").arg(i), fo = QStringLiteral("F%1").arg(i);
        Funcionario(bd(), func, func);
        Obra(bd(), fo);
        Linha(bd(), fo, 1, QDate(2024, 3, 4), "8", "0", "0", 10, func, 1);
        const QDateTime ta = Em(4, "10:00:00"), tb = Em(4, "11:00:00");
        const auto [fa, fb] = Corrida(
            fo, 1, [&](Cl_EQP& e, QString& m) { return a.chamar(e, func, fo, ta, m); },
            [&](Cl_EQP& e, QString& m) { return b.chamar(e, func, fo, tb, m); });
        ASSERT_NE(fa.ok, fb.ok) << "both or neither reported the line closed";
        const Lado& ganhou = fa.ok ? a : b;
        const Lado& perdeu = fa.ok ? b : a;
        EXPECT_EQ(fa.ok ? fb.mensagem : fa.mensagem, perdeu.semLinhas);
        const Registos l = Linhas(bd(), fo);
        ASSERT_EQ(l.RecordCount(), 1);
        EXPECT_EQ(l[0].moeda("HoraFim"), fa.ok ? C("10") : C("11"));
        EXPECT_EQ(l[0].inteiro("Estado"), ganhou.estado);
        // 2 or 3 hours at 12 + 20 per hour.
        EXPECT_EQ(Cabecalho(bd(), fo)[0].moeda("TotalCustoProd"), fa.ok ? C("64") : C("96"));
    }
}

// Two starts of the operation that the order's one prepared line is for, on an order without a
// header row (nothing else holds them apart). One takes the prepared line over; the other finds it
// gone and starts a line of its own, or, for the same employee, is refused as a duplicate.
TEST_P(Corridas, DuasTerminaisTomamAMesmaLinhaPreparada)
{
    const QString E1 = QStringLiteral("E1"), E2 = QStringLiteral("E2");
    for (const bool mesmoFuncionario : {false, true}) {
        SCOPED_TRACE(mesmoFuncionario ? "mesmo funcionário" : "dois funcionários");
        const QString fo = mesmoFuncionario ? QStringLiteral("S2") : QStringLiteral("S1");
        Linha(bd(), fo, 1, QDate(2024, 3, 1), "0", "0", "0", 10, {}, 0, {});
        const QString outro = mesmoFuncionario ? E1 : E2;
        const auto [fa, fb] = Corrida(
            fo, 1,
            [&](Cl_EQP& e, QString& m) {
                return e.Operacao_Inicio(E1, fo, QStringLiteral("10"), M1, Em(4, "08:00:00"), m);
            },
            [&](Cl_EQP& e, QString& m) {
                return e.Operacao_Inicio(outro, fo, QStringLiteral("10"), M1, Em(4, "08:00:01"), m);
            });
        const Registos l = Linhas(bd(), fo);
        QStringList funcs;
        for (const auto& x : l) {
            EXPECT_EQ(x.inteiro("Estado"), 1);
            EXPECT_NE(x.moeda("HoraInicio"), C("0"));
            funcs << x.texto("Func");
        }
        if (mesmoFuncionario) {
            ASSERT_NE(fa.ok, fb.ok);
            EXPECT_EQ(fa.ok ? fb.mensagem : fa.mensagem,
                      QStringLiteral("Esta Ordem Fabrico já tem esta operação iniciada por este funcionário !"));
            EXPECT_EQ(funcs.join(u','), E1);
        } else {
            EXPECT_TRUE(fa.ok && fb.ok);
            funcs.sort();
            EXPECT_EQ(funcs.join(u','), QStringLiteral("E1,E2"));
        }
    }
}

// "Terminar Todas Operações" while, at another terminal, the employee ends the operation it is
// about to end and starts another on the same order: it finds nothing left to end and says so,
// rather than naming the order as one it could not end.
TEST_P(Corridas, TerminaTodasDepoisDeOutroTerminalAcabarEComecar)
{
    const QString E1 = QStringLiteral("E1"), F1 = QStringLiteral("F1");
    Obra(bd(), F1);
    Linha(bd(), F1, 1, QDate(2024, 3, 4), "8", "0", "0", 10, E1, 1);
    const QList<Feito> f =
        Corrida(F1, 1, {[&](Cl_EQP& e, QString& m) { return e.TerminaTodasOperacoes(E1, Em(4, "10:00:00"), m); }},
                [&](LigacaoDados& outro) {
                    Cl_EQP motor;
                    motor.setBd_lig(&outro);
                    QString m;
                    ASSERT_TRUE(motor.Operacao_fim(E1, F1, QStringLiteral("10"), M1, Em(4, "09:00:00"), m));
                    ASSERT_TRUE(motor.Operacao_Inicio(E1, F1, QStringLiteral("20"), M1, Em(4, "09:30:00"), m));
                });
    EXPECT_FALSE(f[0].ok);
    EXPECT_EQ(f[0].mensagem, QStringLiteral("Não existem operações iniciadas por este Operador!"));
    const Registos l = Linhas(bd(), F1);
    ASSERT_EQ(l.RecordCount(), 2);
    EXPECT_EQ(l[0].moeda("HoraFim"), C("9"));
    EXPECT_EQ(l[1].inteiro("Estado"), 1);
}

// "Iniciar Dia" for one employee at two terminals: each interrupted line is resumed once.
TEST_P(Corridas, DuasTerminaisRetomamOMesmoDia)
{
    const QString E1 = QStringLiteral("E1"), F1 = QStringLiteral("F1");
    Obra(bd(), F1);
    Linha(bd(), F1, 1, QDate(2024, 3, 4), "8", "17", "9", 10, E1, 8);
    const auto [fa, fb] = Corrida(
        F1, 1, [&](Cl_EQP& e, QString& m) { return e.Dia_Inicio(E1, Em(5, "08:00:00"), m); },
        [&](Cl_EQP& e, QString& m) { return e.Dia_Inicio(E1, Em(5, "08:00:01"), m); });
    ASSERT_NE(fa.ok, fb.ok);
    EXPECT_EQ(fa.ok ? fb.mensagem : fa.mensagem,
              QStringLiteral("Não existem operações para iniciar para este funcionario!"));
    const Registos l = Linhas(bd(), F1);
    ASSERT_EQ(l.RecordCount(), 2);
    EXPECT_EQ(l[0].inteiro("Estado"), 10);
    EXPECT_EQ(l[1].inteiro("Estado"), 1);
}

INSTANCIAR_BACKENDS(Corridas);
