#include "DadosEngine.h"

using namespace dados;

namespace {
const QString E1 = QStringLiteral("E1"), E2 = QStringLiteral("E2"), M1 = QStringLiteral("M1");
}

class EstadosDia : public TesteEngine
{
protected:
    // Suspending, "por terminar", "por controlar" and "não conforme" find no running line of E1 on
    // `fo` at `t`: each refuses with its message.
    void nadaParaFecharDeE1(const QString& fo, const QDateTime& t)
    {
        const QString semFolhas = QStringLiteral("Não existem Folhas de Obra deste Operador iniciadas!");
        EXPECT_FALSE(eqp.Obra_Suspender(E1, fo, t, QStringLiteral("x"), msg));
        EXPECT_EQ(msg, QStringLiteral("Não existem Operações para suspender nesta Folhas de Obra deste Operador!"));
        EXPECT_FALSE(eqp.Obra_PorTerminar(E1, fo, t, msg));
        EXPECT_EQ(msg, semFolhas);
        EXPECT_FALSE(eqp.Obra_PorControlar(E1, fo, t, msg));
        EXPECT_EQ(msg, semFolhas);
        EXPECT_FALSE(eqp.Obra_NaoConforme(E1, fo, t, msg));
        EXPECT_EQ(msg, semFolhas);
    }
};

// Each member of the family on its own order: E1's running lines of any day are closed, E2's only
// by subcontracting, the interrupted line and the prepared line never; then sub-state, notes and
// costs.
TEST_P(EstadosDia, FamiliaDeMudancasDeEstado)
{
    struct Membro
    {
        QString nome;
        int estadoLinha, subEstado;
        std::function<bool(const QString&)> chamar;
    };
    const QDateTime t = Em(4, "10:00:00");
    const QString motivo = QStringLiteral("Falta d'água");
    const QList<Membro> membros{
        {QStringLiteral("Susp"), 9, 2, [&](const QString& fo) { return eqp.Obra_Suspender(E1, fo, t, motivo, msg); }},
        {QStringLiteral("PorT"), 2, 3, [&](const QString& fo) { return eqp.Obra_PorTerminar(E1, fo, t, msg); }},
        {QStringLiteral("PorC"), 2, 4, [&](const QString& fo) { return eqp.Obra_PorControlar(E1, fo, t, msg); }},
        {QStringLiteral("Term"), 2, 5, [&](const QString& fo) { return eqp.Obra_Terminar(E1, fo, t, msg); }},
        {QStringLiteral("NaoC"), 4, 7, [&](const QString& fo) { return eqp.Obra_NaoConforme(E1, fo, t, msg); }},
        {QStringLiteral("SubC"), 2, 6, [&](const QString& fo) { return eqp.Obra_SubContrato(fo, t, msg); }}};
    for (const Membro& m : membros) {
        SCOPED_TRACE(m.nome.toStdString());
        Obra(bd(), m.nome);
        Linha(bd(), m.nome, 1, QDate(2024, 3, 4), "8", "0", "0", 10, E1, 1);
        Linha(bd(), m.nome, 2, QDate(2024, 3, 3), "8", "17", "9", 20, E1, 8);
        Linha(bd(), m.nome, 3, QDate(2024, 3, 4), "9", "0", "0", 20, E2, 1);
        Linha(bd(), m.nome, 4, QDate(2024, 3, 4), "0", "0", "0", 20, E1, 1); // prepared, never started
        msg = QStringLiteral("antes");
        ASSERT_TRUE(m.chamar(m.nome));
        EXPECT_EQ(msg, QString());
        const Registos l = Linhas(bd(), m.nome);
        EXPECT_EQ(l[0].inteiro("Estado"), m.estadoLinha);
        EXPECT_EQ(l[0].moeda("HoraFim"), C("10"));
        EXPECT_EQ(l[0].moeda("Total"), C("2"));
        EXPECT_EQ(l[1].inteiro("Estado"), 8);
        EXPECT_EQ(l[2].inteiro("Estado"), m.subEstado == 6 ? 2 : 1);
        EXPECT_EQ(l[3].moeda("HoraFim"), C("0"));
        EXPECT_EQ(l[3].moeda("Total"), C("0"));
        EXPECT_EQ(l[3].inteiro("Estado"), 1);
        const Registos c = Cabecalho(bd(), m.nome);
        EXPECT_EQ(c[0].inteiro("SubEstado"), m.subEstado);
        EXPECT_EQ(c[0].texto("Notas"), m.subEstado == 2 ? motivo : QStringLiteral("notas antigas"));
        // Closed lines: 2 h + 9 h at 32/h (+ 1 h at 32/h for E2 when subcontracted).
        EXPECT_EQ(c[0].moeda("TotalCustoProd"), m.subEstado == 6 ? C("384") : C("352"));
        EXPECT_EQ(c[0].moeda("TotalCustoInd"), m.subEstado == 6 ? C("60") : C("55"));
    }
}

TEST_P(EstadosDia, FamiliaRecusaSemEscrever)
{
    Obra(bd(), QStringLiteral("F1"));
    Linha(bd(), QStringLiteral("F1"), 1, QDate(2024, 3, 4), "8", "0", "0", 10, E2, 1);
    Linha(bd(), QStringLiteral("F1"), 2, QDate(2024, 3, 4), "0", "0", "0", 20, QStringLiteral(""), 0); // prepared
    const QString antes = Fotografia(bd());
    const QDateTime t = Em(4, "10:00:00");
    const QString f1 = QStringLiteral("F1");
    EXPECT_FALSE(eqp.Obra_Suspender({}, f1, t, {}, msg));
    EXPECT_EQ(msg, QStringLiteral("Operador não indentificado !"));
    EXPECT_FALSE(eqp.Obra_NaoConforme(E1, {}, t, msg));
    EXPECT_EQ(msg, QStringLiteral("Obra não indentificada !"));
    EXPECT_FALSE(eqp.Obra_SubContrato({}, t, msg));
    EXPECT_EQ(msg, QStringLiteral("Obra não indentificada !"));
    nadaParaFecharDeE1(f1, t);
    EXPECT_FALSE(eqp.Obra_Terminar({}, {}, t, msg));
    EXPECT_EQ(msg, QStringLiteral("Não existem Operações iniciadas nesta Folhas de Obra por este Operador !"));
    EXPECT_FALSE(eqp.Obra_Terminar({}, f1, t, msg)); // the prepared line's empty Func is no operator
    msg = QStringLiteral("fica");
    EXPECT_TRUE(eqp.Obra_SubContrato(QStringLiteral("F9"), t, msg));
    EXPECT_EQ(msg, QStringLiteral("fica"));
    EXPECT_EQ(Fotografia(bd()), antes);
}

// Lines the office prepared and nobody started (HoraInicio = 0 and Total = 0) are left as they are
// by every closer, also when they name the employee and are in state 1, and they are no running
// operation of his: a closer that finds only such lines finds nothing to close. Order F2 is like
// the demo's 26002, whose two prepared lines subcontracting used to book as 14.3 h each.
TEST_P(EstadosDia, LinhasPreparadasFicamComoEstao)
{
    const QString f1 = QStringLiteral("F1"), f2 = QStringLiteral("F2");
    Obra(bd(), f1);
    Obra(bd(), f2);
    Linha(bd(), f1, 1, QDate(2024, 3, 4), "0", "0", "0", 10, E1, 1);
    Linha(bd(), f1, 2, QDate(2024, 3, 4), "0", "0", "0", 20, E1, 0);
    Linha(bd(), f2, 1, QDate(2024, 3, 1), "0", "0", "0", 10, {}, 0, {});
    Linha(bd(), f2, 2, QDate(2024, 3, 1), "0", "0", "0", 20, {}, 0, {});
    const QString antes = Fotografia(bd());
    const QDateTime t = Em(4, "14:18:00");
    const QString semFolhas = QStringLiteral("Não existem Folhas de Obra deste Operador iniciadas!");
    nadaParaFecharDeE1(f1, t);
    EXPECT_FALSE(eqp.Obra_Terminar(E1, f1, t, msg));
    EXPECT_EQ(msg, QStringLiteral("Não existem Operações iniciadas nesta Folhas de Obra por este Operador !"));
    EXPECT_FALSE(eqp.Operacao_fim(E1, f1, QStringLiteral("10"), M1, t, msg));
    EXPECT_EQ(msg,
              QStringLiteral("Não existem operações iniciadas nesta Obra que correspondam a informação introduzida !"));
    EXPECT_FALSE(eqp.Dia_Fim(E1, t, msg));
    EXPECT_EQ(msg, semFolhas);
    EXPECT_FALSE(eqp.TerminaTodasOperacoes(E1, t, msg));
    EXPECT_EQ(msg, QStringLiteral("Não existem operações iniciadas por este Operador!"));
    msg = QStringLiteral("fica");
    EXPECT_TRUE(eqp.Obra_SubContrato(f1, t, msg));
    EXPECT_TRUE(eqp.Obra_SubContrato(f2, t, msg));
    EXPECT_EQ(msg, QStringLiteral("fica"));
    EXPECT_EQ(Fotografia(bd()), antes);
    EXPECT_EQ(eqp.ListaOperacoesUtilizador(E1).RecordCount(), 0);
    EXPECT_FALSE(eqp.Dia_Inicio(E1, t, msg));
    EXPECT_EQ(msg, QStringLiteral("Não existem operações para iniciar para este funcionario!"));
}

// Start two operations, close the day, a refused start, open the next day (one resumption takes
// over a prepared line), then end one operation.
TEST_P(EstadosDia, DiaDeTrabalhoCompleto)
{
    const QString f1 = QStringLiteral("F1"), f2 = QStringLiteral("F2");
    Obra(bd(), f1);
    Obra(bd(), f2);
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, f1, QStringLiteral("10"), M1, Em(4, "08:00:00"), msg, true));
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, f2, QStringLiteral("20"), M1, Em(4, "09:00:00"), msg, true));
    EXPECT_FALSE(eqp.Dia_Inicio(E1, Em(4, "09:30:00"), msg));
    EXPECT_EQ(msg, QStringLiteral("Utilizador com uma ordem já inciada!\r\n Não é possivel abrir o dia !\r\n"
                                  "Existe uma operação (Corte) iniciada na obra F1\r\n"
                                  "Existe uma operação (Solda) iniciada na obra F2"));

    ASSERT_TRUE(eqp.Dia_Fim(E1, Em(4, "17:00:00"), msg));
    EXPECT_EQ(Linhas(bd(), f1)[0].inteiro("Estado"), 8);
    EXPECT_EQ(Linhas(bd(), f1)[0].moeda("Total"), C("9"));
    EXPECT_EQ(Cabecalho(bd(), f2)[0].inteiro("SubEstado"), 0);
    // Closing the day rolls up the orders it interrupts: 9 h at 12 + 20 per hour.
    EXPECT_EQ(Cabecalho(bd(), f1)[0].moeda("TotalCustoProd"), C("288"));
    EXPECT_FALSE(eqp.Dia_Fim(E1, Em(4, "17:01:00"), msg));
    EXPECT_EQ(msg, QStringLiteral("Não existem Folhas de Obra deste Operador iniciadas!"));
    EXPECT_FALSE(eqp.Operacao_Inicio(E1, f1, QStringLiteral("20"), M1, Em(4, "17:30:00"), msg, true));
    EXPECT_TRUE(msg.startsWith(QStringLiteral("Utilizador com ordens em Fim de Dia !")));

    Linha(bd(), f2, 5, QDate(2024, 3, 1), "0", "0", "0", 20, {}, 0, {});
    ASSERT_TRUE(eqp.Dia_Inicio(E1, Em(5, "08:00:00"), msg));
    const Registos l1 = Linhas(bd(), f1), l2 = Linhas(bd(), f2);
    ASSERT_EQ(l1.RecordCount(), 2);
    EXPECT_EQ(l1[0].inteiro("Estado"), 10);
    EXPECT_EQ(l1[1].inteiro("Estado"), 1);
    EXPECT_EQ(l1[1].data("Data"), QDate(2024, 3, 5));
    EXPECT_EQ(l1[1].moeda("HoraInicio"), C("8"));
    ASSERT_EQ(l2.RecordCount(), 2);
    EXPECT_EQ(l2[0].inteiro("Estado"), 10);
    EXPECT_EQ(l2[1].inteiro("NoLinha"), 6);
    EXPECT_EQ(l2[1].texto("Func"), E1);
    EXPECT_EQ(l2[1].inteiro("Estado"), 1);
    EXPECT_EQ(Cabecalho(bd(), f2)[0].inteiro("SubEstado"), 1);

    ASSERT_TRUE(eqp.Operacao_fim(E1, f1, QStringLiteral("10"), M1, Em(5, "12:00:00"), msg));
    EXPECT_EQ(Linhas(bd(), f1)[1].moeda("Total"), C("4"));
    EXPECT_EQ(Cabecalho(bd(), f1)[0].moeda("TotalCustoProd"), C("416"));
    EXPECT_FALSE(eqp.Dia_Inicio(E2, Em(5, "08:00:00"), msg));
    EXPECT_EQ(msg, QStringLiteral("Não existem operações para iniciar para este funcionario!"));
}

// A failure half-way through opening the day (the second order's header refuses the update)
// leaves every line and header as before and reaches the caller.
TEST_P(EstadosDia, FalhaANoMeioDoInicioDoDiaNaoMudaNada)
{
    Obra(bd(), QStringLiteral("F1"));
    Obra(bd(), QStringLiteral("F2"));
    Linha(bd(), QStringLiteral("F1"), 1, QDate(2024, 3, 4), "8", "17", "9", 10, E1, 8);
    Linha(bd(), QStringLiteral("F2"), 1, QDate(2024, 3, 4), "8", "17", "9", 20, E1, 8);
    if (bd().dialecto() == Dialecto::SQLite) {
        bd().executar(QStringLiteral("CREATE TRIGGER falha BEFORE UPDATE ON oka_CabOrc WHEN NEW.Fo = 'F2'"
                                     " BEGIN SELECT RAISE(ABORT, 'falha provocada'); END"));
    } else {
        bd().executar(QStringLiteral("CREATE FUNCTION falha() RETURNS trigger AS $$ BEGIN"
                                     " RAISE EXCEPTION 'falha provocada'; END $$ LANGUAGE plpgsql"));
        bd().executar(QStringLiteral("CREATE TRIGGER falha BEFORE UPDATE ON oka_CabOrc FOR EACH ROW"
                                     " WHEN (NEW.Fo = 'F2') EXECUTE FUNCTION falha()"));
    }
    const QString antes = Fotografia(bd());
    EXPECT_THROW(eqp.Dia_Inicio(E1, Em(5, "08:00:00"), msg), ErroBD);
    EXPECT_EQ(Fotografia(bd()), antes);
}

TEST_P(EstadosDia, TerminaTodasOperacoes)
{
    for (const char* fo : {"F1", "F2"})
        Obra(bd(), QString::fromLatin1(fo));
    Obra(bd(), QStringLiteral("F3"), 4);
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, QStringLiteral("F1"), QStringLiteral("10"), M1, Em(4, "08:00:00"), msg));
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, QStringLiteral("F1"), QStringLiteral("20"), M1, Em(4, "08:00:00"), msg));
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, QStringLiteral("F2"), QStringLiteral("10"), M1, Em(4, "09:00:00"), msg));
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, QStringLiteral("F3"), QStringLiteral("10"), M1, Em(4, "09:00:00"), msg));
    ASSERT_TRUE(eqp.TerminaTodasOperacoes(E1, Em(4, "10:00:00"), msg));
    EXPECT_EQ(msg, QString());
    for (const char* fo : {"F1", "F2"}) {
        for (const auto& l : Linhas(bd(), QString::fromLatin1(fo)))
            EXPECT_EQ(l.inteiro("Estado"), 2);
        EXPECT_EQ(Cabecalho(bd(), QString::fromLatin1(fo))[0].inteiro("SubEstado"), 5);
    }
    EXPECT_EQ(Cabecalho(bd(), QStringLiteral("F1"))[0].moeda("TotalCustoProd"), C("128"));
    EXPECT_EQ(Linhas(bd(), QStringLiteral("F3"))[0].inteiro("Estado"), 1);

    EXPECT_FALSE(eqp.TerminaTodasOperacoes(E1, Em(4, "11:00:00"), msg));
    EXPECT_EQ(msg, QStringLiteral("Não existem operações iniciadas por este Operador!"));
    // A running line that already has an end time cannot be ended by Obra_Terminar.
    Linha(bd(), QStringLiteral("F2"), 9, QDate(2024, 3, 4), "8", "9", "1", 10, E1, 1);
    EXPECT_FALSE(eqp.TerminaTodasOperacoes(E1, Em(4, "11:00:00"), msg));
    EXPECT_EQ(msg, QStringLiteral("Não foi possivel terminar as operações da obra F2 !"));
}

// What each operation reports for the operator's confirmation is what its rows now hold: the
// line started (a prepared one taken over and renumbered), the line ended and its time, the
// lines each order change, day change and "end all" closed or resumed; a refusal reports nothing.
TEST_P(EstadosDia, ResultadoNomeiaOQueFicouNaBaseDeDados)
{
    const QString f1 = QStringLiteral("F1"), f2 = QStringLiteral("F2");
    Obra(bd(), f1);
    Obra(bd(), f2);
    Linha(bd(), f1, 1, QDate(2024, 3, 1), "8", "9", "1", 10, E2, 2);
    Linha(bd(), f1, 7, QDate(2024, 3, 1), "0", "0", "0", 20, {}, 0); // prepared
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, f1, QStringLiteral("20"), M1, Em(4, "08:00:00"), msg, true));
    ResultadoEQP r = eqp.Resultado();
    Registos l = Linhas(bd(), f1);
    ASSERT_EQ(l.RecordCount(), 2);
    EXPECT_EQ(r.NoLinha, l[1].inteiro("NoLinha"));
    EXPECT_EQ(r.NoLinha, 8); // the following free number, MAX + 1
    EXPECT_EQ(r.Descritivo, l[1].texto("Descritivo"));
    EXPECT_EQ(r.Descritivo, QStringLiteral("Solda"));
    EXPECT_EQ(r.Obra, f1);
    EXPECT_EQ(r.DataHora, Em(4, "08:00:00"));
    EXPECT_EQ(r.Linhas, 1);

    ASSERT_TRUE(eqp.Operacao_Inicio(E1, f1, QStringLiteral("10"), M1, Em(4, "08:30:00"), msg, true));
    EXPECT_EQ(eqp.Resultado().NoLinha, 9);
    ASSERT_TRUE(eqp.Operacao_fim(E1, f1, QStringLiteral("20"), M1, Em(4, "10:15:30"), msg));
    r = eqp.Resultado();
    l = Linhas(bd(), f1);
    EXPECT_EQ(r.NoLinha, 8);
    EXPECT_EQ(r.Total, l[1].moeda("Total"));
    EXPECT_EQ(r.Total, C("2.153"));

    // A refusal leaves nothing from the operation before.
    EXPECT_FALSE(eqp.Operacao_fim(E1, f1, QStringLiteral("20"), M1, Em(4, "10:20:00"), msg));
    EXPECT_EQ(eqp.Resultado().Linhas, 0);
    EXPECT_EQ(eqp.Resultado().NoLinha, 0);

    // Suspending closes both of the employee's lines of the order, not the other employee's.
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, f1, QStringLiteral("20"), M1, Em(4, "10:30:00"), msg, true));
    ASSERT_TRUE(eqp.Operacao_Inicio(E2, f1, QStringLiteral("20"), M1, Em(4, "10:30:00"), msg, true));
    ASSERT_TRUE(eqp.Obra_Suspender(E1, f1, Em(4, "11:00:00"), QStringLiteral("Avaria"), msg));
    r = eqp.Resultado();
    EXPECT_EQ(r.Linhas, 2);
    EXPECT_EQ(r.Linhas, bd().consultar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE NoFo = 'F1' "
                                                      "AND Estado = 9"))
                            .primeira()
                            .inteiro(0));
    EXPECT_EQ(r.Obras, QStringList{f1});

    // The day: ended on two orders, resumed on both, then all ended at once.
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, f1, QStringLiteral("10"), M1, Em(4, "12:00:00"), msg, true));
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, f2, QStringLiteral("10"), M1, Em(4, "12:00:00"), msg, true));
    ASSERT_TRUE(eqp.Operacao_Inicio(E1, f2, QStringLiteral("20"), M1, Em(4, "12:00:00"), msg, true));
    ASSERT_TRUE(eqp.Dia_Fim(E1, Em(4, "17:00:00"), msg));
    EXPECT_EQ(eqp.Resultado().Linhas, 3);
    EXPECT_EQ(eqp.Resultado().Obras, (QStringList{f1, f2}));
    EXPECT_EQ(eqp.Resultado().DataHora, Em(4, "17:00:00"));
    ASSERT_TRUE(eqp.Dia_Inicio(E1, Em(5, "08:00:00"), msg));
    EXPECT_EQ(eqp.Resultado().Linhas, 3);
    EXPECT_EQ(eqp.Resultado().Obras, (QStringList{f1, f2}));
    EXPECT_EQ(eqp.Resultado().DataHora, Em(5, "08:00:00"));
    ASSERT_TRUE(eqp.TerminaTodasOperacoes(E1, Em(5, "09:00:00"), msg));
    EXPECT_EQ(eqp.Resultado().Linhas, 3);
    EXPECT_EQ(eqp.Resultado().Obras, (QStringList{f1, f2}));
    EXPECT_EQ(bd().consultar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE Func = 'E1' AND Estado = 1"))
                  .primeira()
                  .inteiro(0),
              0);
}

// An order with more running lines than one closing statement takes: subcontracting closes all of
// them, each with its own duration, exactly as closing them one at a time does on a twin order.
TEST_P(EstadosDia, MuitasLinhasFechadasComoUmaAUma)
{
    const QDateTime t = Em(4, "16:00:00");
    bd().transacao([&] {
        for (const QString& fo : {QStringLiteral("JUNTAS"), QStringLiteral("UMAAUMA")}) {
            Obra(bd(), fo);
            for (int i = 1; i <= 130; ++i)
                Linha(
                    bd(), fo, i, QDate(2024, 3, 4),
                    QStringLiteral("%1.%2").arg(6 + i % 3).arg(i % 60, 2, 10, QLatin1Char('0')).toLatin1().constData(),
                    "0", "0", 10, QStringLiteral("F%1").arg(i), 1);
        }
    });
    ASSERT_TRUE(eqp.Obra_SubContrato(QStringLiteral("JUNTAS"), t, msg));
    for (int i = 1; i <= 130; ++i)
        ASSERT_TRUE(eqp.Obra_Suspender(QStringLiteral("F%1").arg(i), QStringLiteral("UMAAUMA"), t, {}, msg)) << i;
    const Registos juntas = Linhas(bd(), QStringLiteral("JUNTAS")), umaAUma = Linhas(bd(), QStringLiteral("UMAAUMA"));
    ASSERT_EQ(juntas.RecordCount(), 130);
    for (int i = 0; i < 130; ++i) {
        EXPECT_EQ(juntas[i].inteiro("Estado"), 2) << i;
        EXPECT_EQ(juntas[i].moeda("HoraFim"), C("16")) << i;
        EXPECT_EQ(juntas[i].moeda("Total"), umaAUma[i].moeda("Total")) << i;
        EXPECT_GT(juntas[i].moeda("Total"), C("0")) << i;
    }
    EXPECT_EQ(Cabecalho(bd(), QStringLiteral("JUNTAS"))[0].moeda("TotalCustoProd"),
              Cabecalho(bd(), QStringLiteral("UMAAUMA"))[0].moeda("TotalCustoProd"));
    EXPECT_EQ(Cabecalho(bd(), QStringLiteral("JUNTAS"))[0].inteiro("SubEstado"), 6);
}

INSTANCIAR_BACKENDS(EstadosDia);
