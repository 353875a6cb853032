// Both terminals walked with a finger: every touch is a press and a release at a point of the
// shown window (page buttons included), every dialog is the terminal's own, answered the same
// way. Each function code is confirmed once and its effect read back from the database.
#include <gtest/gtest.h>

#include "controls/GrelhaConsumo.h"
#include "controls/NotaConfirmacao.h"
#include "controls/frmMotSus.h"
#include "controls/frmTecladoAlfa.h"
#include "controls/oka_input.h"
#include "screens/FixturaTerminal2.h"
#include "screens/PainelConsumo.h"
#include "screens/RegistoDiario.h"

namespace {

// A time of day kept as hh.mmss, as the confirmation shows it ("08:05").
QString HoraMinuto(const Currency& hora)
{
    return QStringLiteral("%1:%2")
        .arg(hora.raw() / 10000, 2, 10, QLatin1Char('0'))
        .arg((hora.raw() % 10000) / 100, 2, 10, QLatin1Char('0'));
}

// The confirmation shown over the screen, "" when none is.
QString Confirmacao(EcraTerminal* ecra)
{
    NotaConfirmacao* n = ecra->notaConfirmacao();
    return n && n->isVisible() ? n->texto() : QString();
}

// Captions of the marked buttons a panel shows.
QStringList Marcados(PainelBotoes* painel)
{
    QStringList r;
    for (okaBotao* b : painel->contentor()->findChildren<okaBotao*>())
        if (b->isVisible() && b->seleccionado()) r << b->text();
    return r;
}

class ToquesT0 : public FixturaTerminal
{
protected:
    // The terminal's own dialogs: no scripted operator.
    void SetUp() override
    {
        dialogosReais = true;
        FixturaTerminal::SetUp();
    }
    // More employees than the panel shows (the last reached with the page buttons), orders 1002 to
    // 1007 in production, a second reason.
    void dados() override
    {
        const auto funcionario = [&](const QString& id, const QString& nome) {
            bd().executar(QStringLiteral("INSERT INTO oka_Funcionarios (FuncId, FuncNome, Nivel, CustoHora) "
                                         "VALUES (?, ?, 0, '12')"),
                          {id, nome});
        };
        for (int i = 1; i <= 70; ++i)
            funcionario(QStringLiteral("P%1").arg(i, 2, 10, QLatin1Char('0')),
                        QStringLiteral("Operário %1").arg(i, 2, 10, QLatin1Char('0')));
        funcionario(QStringLiteral("F3"), QStringLiteral("Zélia Gomes"));
        bd().executar(QStringLiteral("UPDATE oka_CabOrc SET EstadoFo = 1 WHERE Fo = '1002'"));
        for (int fo = 1003; fo <= 1007; ++fo)
            bd().executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo, SubEstado) VALUES (?, 1, 0)"),
                          {QString::number(fo)});
        bd().executar(QStringLiteral("INSERT INTO oka_Motivos (codigo, Motivo) VALUES ('R2', 'Avaria')"));
    }

    // Employee, order typed on the keypad (when given), operation and machine.
    void selecionar(const QString& funcionario, const QString& obra, const QString& operacao = {},
                    const QString& maquina = {})
    {
        TocarBotao(ecra->PainelUtilizadores, funcionario);
        if (!obra.isEmpty()) {
            TeclarNumero(obra);
            TocarBotao(ecra->PainelObras, QStringLiteral("Obra"));
            ASSERT_EQ(ecra->lbObra->text(), QStringLiteral("Obra:") + obra);
        }
        if (!operacao.isEmpty()) TocarBotao(ecra->PainelOperacoes, operacao);
        if (!maquina.isEmpty()) TocarBotao(ecra->PainelMaquinas, maquina);
    }
    void confirmar() { Tocar(ecra->btConfirmar); }
    qint64 subEstado(const QString& fo)
    {
        return contar(QStringLiteral("SELECT SubEstado FROM oka_CabOrc WHERE Fo = ?"), {fo});
    }
    qint64 linhas(const QString& fo, int estado)
    {
        return contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE NoFo = ? AND Estado = ?"), {fo, estado});
    }
    // The end time written on the employee's lines in `estado`, the latest first.
    QString horaFim(const QString& func, int estado)
    {
        return HoraMinuto(bd().consultar(QStringLiteral("SELECT HoraFim FROM oka_LinFo_Ope WHERE Func = ? AND "
                                                        "Estado = ? ORDER BY HoraFim DESC"),
                                         {func, estado})
                              .primeira()
                              .moeda(0));
    }
};

TEST_P(ToquesT0, EveryFunctionByTouchWithItsEffectInTheDatabase)
{
    // AC007, the last employee reached with the page buttons; the order on the keypad.
    selecionar(QStringLiteral("Zélia Gomes"), QStringLiteral("1001"), QStringLiteral("Corte"), QStringLiteral("Serra"));
    EXPECT_EQ(ecra->lbNome->text(), QStringLiteral("Utilizador:Zélia Gomes"));
    TocarBotao(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
    confirmar();
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE NoFo = '1001' AND Func = 'F3' AND "
                                    "Opera = 10 AND Maquina = 'M1' AND Estado = 1")),
              1);
    EXPECT_EQ(subEstado(QStringLiteral("1001")), 1);
    EXPECT_EQ(ecra->lbNome->text(), QString());
    // The confirmation names the line as the database holds it: its operation, its start, its
    // order and machine, and who started it.
    Registos linha = bd().consultar(QStringLiteral("SELECT l.Descritivo, l.HoraInicio, m.MaqNome FROM oka_LinFo_Ope l "
                                                   "JOIN oka_Maquinas m ON m.MaqId = l.Maquina WHERE l.NoFo = '1001' "
                                                   "AND l.Func = 'F3' AND l.Estado = 1"));
    EXPECT_EQ(Confirmacao(ecra.get()), QStringLiteral("Operação %1 iniciada às %2 — obra 1001, máquina %3\nZélia Gomes")
                                           .arg(linha[0].texto(0), HoraMinuto(linha[0].moeda(1)), linha[0].texto(2)));
    // It takes no touch: the next one reaches the panel below at once and takes it away.
    TocarBotao(ecra->PainelUtilizadores, QStringLiteral("Ana Silva"));
    EXPECT_EQ(ecra->lbNome->text(), QStringLiteral("Utilizador:Ana Silva"));
    EXPECT_EQ(Confirmacao(ecra.get()), QString());
    Tocar(ecra->btCancelar);

    // AC008 ("Lista de Operações"): the running operations read in the message dialog, then
    // Confirmar ends the operation.
    selecionar(QStringLiteral("Zélia Gomes"), QStringLiteral("1001"), QStringLiteral("Corte"), QStringLiteral("Serra"));
    QString lista;
    ResponderAviso(&lista);
    TocarBotao(ecra->PainelFuncoes, QStringLiteral("Lista de Operações"));
    EXPECT_EQ(lista, QStringLiteral("\r\nObra 1001 operação Corte "));
    confirmar();
    EXPECT_EQ(linhas(QStringLiteral("1001"), 1), 0);
    EXPECT_EQ(linhas(QStringLiteral("1001"), 2), 1);
    linha = bd().consultar(QStringLiteral("SELECT HoraFim, Total FROM oka_LinFo_Ope WHERE NoFo = '1001' AND "
                                          "Estado = 2"));
    EXPECT_EQ(Confirmacao(ecra.get()),
              QStringLiteral("Operação Corte terminada às %1 — obra 1001, %2h%3 de trabalho\nZélia Gomes")
                  .arg(HoraMinuto(linha[0].moeda(0)))
                  .arg(linha[0].moeda(1).raw() / 10000)
                  .arg((linha[0].moeda(1).raw() % 10000) / 100, 2, 10, QLatin1Char('0')));

    // Nothing left to end: the engine's refusal in the message dialog, word for word, and no
    // confirmation.
    selecionar(QStringLiteral("Zélia Gomes"), QStringLiteral("1001"), QStringLiteral("Corte"), QStringLiteral("Serra"));
    ResponderAviso(&lista);
    TocarBotao(ecra->PainelFuncoes, QStringLiteral("Lista de Operações"));
    EXPECT_EQ(lista, QStringLiteral("Não ha operações em curso"));
    QString recusa;
    ResponderAviso(&recusa);
    confirmar();
    EXPECT_EQ(recusa,
              QStringLiteral("Não existem operações iniciadas nesta Obra que correspondam a informação introduzida !"));
    EXPECT_EQ(Confirmacao(ecra.get()), QString());

    // One employee on orders 1002 to 1007: from the second start on, the engine's question
    // (she already has an order started) is confirmed in the message dialog.
    for (int fo = 1002; fo <= 1007; ++fo) {
        selecionar(QStringLiteral("Ana Silva"), QString::number(fo), QStringLiteral("Soldadura"),
                   QStringLiteral("Prensa"));
        TocarBotao(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
        QString pergunta;
        if (fo > 1002) ResponderAviso(&pergunta);
        confirmar();
        if (fo > 1002) {
            EXPECT_TRUE(pergunta.startsWith(QStringLiteral("Utilizador com uma ordem já inciada!")));
        }
        EXPECT_EQ(linhas(QString::number(fo), 1), 1) << fo;
    }

    // AC001 with the reason touched in the reasons dialog.
    selecionar(QStringLiteral("Ana Silva"), QStringLiteral("1002"));
    QuandoModal<frmMotSus>([](frmMotSus* f) {
        ConferirLegenda(f);
        TocarBotao(f->PainelMotivo(), QStringLiteral("Falta de material"));
    });
    TocarBotao(ecra->PainelFuncoes, QStringLiteral("Suspender"));
    EXPECT_EQ(ecra->lbFuncao->text(), QStringLiteral("Função:Suspender(Falta de material)"));
    confirmar();
    EXPECT_EQ(subEstado(QStringLiteral("1002")), 2);
    EXPECT_EQ(linhas(QStringLiteral("1002"), 9), 1);
    EXPECT_EQ(bd().consultar(QStringLiteral("SELECT Notas FROM oka_CabOrc WHERE Fo = '1002'")).primeira().texto(0),
              QStringLiteral("Falta de material"));
    EXPECT_EQ(Confirmacao(ecra.get()),
              QStringLiteral("Obra 1002 suspensa às %1 (Falta de material) — 1 operação suspensa\nAna Silva")
                  .arg(horaFim(QStringLiteral("F1"), 9)));

    // AC002 to AC005: each order's state and its line.
    const struct
    {
        const char* funcao;
        const char* obra;
        int subEstado;
        int estadoLinha;
        const char* confirmacao;
    } estados[] = {{"Por Terminar", "1003", 3, 2, "Obra 1003 por terminar às %1 — 1 operação terminada"},
                   {"Por Controlar", "1004", 4, 2, "Obra 1004 por controlar às %1 — 1 operação terminada"},
                   {"Obra Controlada", "1005", 5, 2, "Obra 1005 controlada às %1 — 1 operação terminada"},
                   {"Não Conforme", "1006", 7, 4, "Obra 1006 não conforme às %1 — 1 operação não conforme"}};
    for (const auto& e : estados) {
        selecionar(QStringLiteral("Ana Silva"), QString::fromLatin1(e.obra));
        TocarBotao(ecra->PainelFuncoes, QString::fromUtf8(e.funcao));
        confirmar();
        EXPECT_EQ(subEstado(QString::fromLatin1(e.obra)), e.subEstado) << e.funcao;
        EXPECT_EQ(linhas(QString::fromLatin1(e.obra), e.estadoLinha), 1) << e.funcao;
        const QString hora = HoraMinuto(bd().consultar(QStringLiteral("SELECT HoraFim FROM oka_LinFo_Ope WHERE "
                                                                      "NoFo = ?"),
                                                       {QString::fromLatin1(e.obra)})
                                            .primeira()
                                            .moeda(0));
        EXPECT_EQ(Confirmacao(ecra.get()), QString::fromUtf8(e.confirmacao).arg(hora) + QStringLiteral("\nAna Silva"));
    }

    // AC006 has no button on either screen: the code is set as the dispatch would find it.
    selecionar(QStringLiteral("Ana Silva"), QStringLiteral("1007"));
    ecra->Funcao = QStringLiteral("AC006");
    confirmar();
    EXPECT_EQ(subEstado(QStringLiteral("1007")), 6);
    EXPECT_EQ(linhas(QStringLiteral("1007"), 2), 1);
    EXPECT_TRUE(Confirmacao(ecra.get()).startsWith(QStringLiteral("Obra 1007 subcontratada às ")));

    // OB003 and OB002: the day ends (the running line interrupted) and starts again (resumed).
    selecionar(QStringLiteral("Bruno Costa"), QStringLiteral("1001"), QStringLiteral("Corte"), QStringLiteral("Serra"));
    TocarBotao(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
    confirmar();
    // A day function takes the order's place.
    selecionar(QStringLiteral("Bruno Costa"), QStringLiteral("1001"));
    TocarBotao(ecra->PainelObras, QStringLiteral("Terminar Dia"));
    EXPECT_EQ(ecra->lbObra->text(), QString());
    EXPECT_EQ(ecra->lbFuncao->text(), QStringLiteral("Função:Terminar Dia"));
    confirmar();
    EXPECT_EQ(info(), QStringList(5, QString()));
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE Func = 'F2' AND Estado = 8")), 1);
    EXPECT_EQ(Confirmacao(ecra.get()),
              QStringLiteral("Dia terminado às %1 — 1 operação interrompida (obra 1001)\nBruno Costa")
                  .arg(horaFim(QStringLiteral("F2"), 8)));
    selecionar(QStringLiteral("Bruno Costa"), QString());
    TocarBotao(ecra->PainelObras, QStringLiteral("Iniciar Dia"));
    EXPECT_EQ(ecra->lbFuncao->text(), QStringLiteral("Função:Iniciar Dia"));
    confirmar();
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE Func = 'F2' AND Estado = 10")), 1);
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE Func = 'F2' AND Estado = 1")), 1);
    const QString retomada = HoraMinuto(
        bd().consultar(QStringLiteral("SELECT HoraInicio FROM oka_LinFo_Ope WHERE Func = 'F2' AND Estado = 1"))
            .primeira()
            .moeda(0));
    EXPECT_EQ(Confirmacao(ecra.get()),
              QStringLiteral("Dia iniciado às %1 — 1 operação retomada (obra 1001)\nBruno Costa").arg(retomada));

    // AC009 ends all of his operations.
    selecionar(QStringLiteral("Bruno Costa"), QString());
    TocarBotao(ecra->PainelFuncoes, QStringLiteral("Terminar Todas Operações"));
    confirmar();
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE Func = 'F2' AND Estado = 1")), 0);
    EXPECT_EQ(
        Confirmacao(ecra.get()),
        QStringLiteral("1 operação terminada às %1 — obra 1001\nBruno Costa").arg(horaFim(QStringLiteral("F2"), 2)));

    // Cancelar clears by touch too; one log line per Confirmar, each one line.
    selecionar(QStringLiteral("Ana Silva"), QString(), QStringLiteral("Corte"));
    Tocar(ecra->btCancelar);
    EXPECT_EQ(ecra->lbNome->text(), QString());
    EXPECT_EQ(ecra->lbOperacao->text(), QString());
    const QList<QByteArray> registo = LinhasRegisto(base().pasta());
    EXPECT_EQ(registo.size(), 19);
    for (const QByteArray& l : registo)
        EXPECT_EQ(CamposRegisto(l).size(), 5) << l.toStdString();
}

// Each touched employee, order, function, operation and machine stays marked, one per panel,
// also when paged out of view and back, until Cancelar clears the selection.
TEST_P(ToquesT0, TheSelectionStaysMarkedUntilCleared)
{
    selecionar(QStringLiteral("Ana Silva"), QStringLiteral("1001"), QStringLiteral("Corte"), QStringLiteral("Serra"));
    TocarBotao(ecra->PainelFuncoes, QStringLiteral("Por Terminar"));
    EXPECT_EQ(Marcados(ecra->PainelUtilizadores), QStringList{QStringLiteral("Ana Silva")});
    EXPECT_EQ(Marcados(ecra->PainelObras), QStringList{QStringLiteral("Obra")});
    EXPECT_EQ(Marcados(ecra->PainelFuncoes), QStringList{QStringLiteral("Por Terminar")});
    EXPECT_EQ(Marcados(ecra->PainelOperacoes), QStringList{QStringLiteral("Corte")});
    EXPECT_EQ(Marcados(ecra->PainelMaquinas), QStringList{QStringLiteral("Serra")});

    // Paged away, her button shows other employees unmarked; paged back, she is marked again.
    PainelBotoes* p = ecra->PainelUtilizadores;
    while (p->btPageUp()->isEnabled() && p->botaoDoItem(1)) {
        Tocar(p->btPageUp());
        EXPECT_TRUE(Marcados(p).isEmpty() || Marcados(p) == QStringList{QStringLiteral("Ana Silva")});
    }
    ASSERT_EQ(p->botaoDoItem(1), nullptr) << "the first row never left the view";
    // Another employee, reached down the list, takes the mark.
    TocarBotao(p, QStringLiteral("Zélia Gomes"));
    EXPECT_EQ(Marcados(p), QStringList{QStringLiteral("Zélia Gomes")});
    TocarBotao(p, QStringLiteral("Ana Silva"));
    EXPECT_EQ(Marcados(p), QStringList{QStringLiteral("Ana Silva")});
    TocarBotao(p, QStringLiteral("Zélia Gomes"));
    EXPECT_EQ(Marcados(p), QStringList{QStringLiteral("Zélia Gomes")});

    // A day function replaces the order and the function.
    TocarBotao(ecra->PainelObras, QStringLiteral("Iniciar Dia"));
    EXPECT_EQ(Marcados(ecra->PainelObras), QStringList{QStringLiteral("Iniciar Dia")});
    EXPECT_TRUE(Marcados(ecra->PainelFuncoes).isEmpty());

    Tocar(ecra->btCancelar);
    for (PainelBotoes* painel : {ecra->PainelUtilizadores, ecra->PainelObras, ecra->PainelFuncoes,
                                 ecra->PainelOperacoes, ecra->PainelMaquinas})
        EXPECT_TRUE(Marcados(painel).isEmpty()) << NomeWidget(painel);
    TocarBotao(p, QStringLiteral("Ana Silva"));
    EXPECT_EQ(Marcados(p), QStringList{QStringLiteral("Ana Silva")});
}

INSTANCIAR_BACKENDS(ToquesT0);

class ToquesT2 : public FixturaTerminal2
{
protected:
    void SetUp() override
    {
        dialogosReais = true;
        FixturaTerminal2::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // More open orders than the panel shows: the last ones are reached with the page buttons.
        for (int fo = 2001; fo <= 2100; ++fo)
            FixturaErp::Ordem(bd(), QString::number(fo));
    }
};

TEST_P(ToquesT2, LoginOrderFunctionConfirmarAndConsumptionByTouch)
{
    // AC007 on an order button.
    entrar(QStringLiteral("Ana Silva"));
    ASSERT_TRUE(emTrabalho());
    TocarBotao(ecra->PainelObra, QStringLiteral("Obra 1001"));
    TocarBotao(ecra->PainelOperacoes, QStringLiteral("Corte"));
    TocarBotao(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
    confirmar();
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE NoFo = '1001' AND Func = 'F1' AND "
                                    "Opera = 10 AND Estado = 1")),
              1);
    EXPECT_TRUE(emIdentificacao());
    const Currency inicio =
        bd().consultar(QStringLiteral("SELECT HoraInicio FROM oka_LinFo_Ope WHERE NoFo = '1001'")).primeira().moeda(0);
    EXPECT_EQ(Confirmacao(ecra.get()),
              QStringLiteral("Operação Corte iniciada às %1 — obra 1001\nAna Silva").arg(HoraMinuto(inicio)));

    // OB001 on this screen: the order typed on the keypad, then AC002 on it.
    entrar(QStringLiteral("Ana Silva"));
    TeclarNumero(QStringLiteral("1001"));
    TocarBotao(ecra->PainelObra, QStringLiteral("Obra"));
    EXPECT_EQ(ecra->lbObra->text(), QStringLiteral("Obra:1001"));
    TocarBotao(ecra->PainelFuncoes, QStringLiteral("Por Terminar"));
    confirmar();
    EXPECT_EQ(contar(QStringLiteral("SELECT SubEstado FROM oka_CabOrc WHERE Fo = '1001'")), 3);

    // A code this screen does not know: the message, nothing written, the employee stays.
    entrar(QStringLiteral("Bruno Costa"));
    TocarBotao(ecra->PainelObra, QStringLiteral("Obra 1003"));
    ecra->Funcao = QStringLiteral("AC009");
    QString aviso;
    ResponderAviso(&aviso);
    const qint64 antes = contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope"));
    confirmar();
    EXPECT_EQ(aviso, QStringLiteral("Função não implementada ! <AC009>"));
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope")), antes);
    EXPECT_TRUE(emTrabalho());

    // AC008 on an order reached with the page buttons: article on the keyboard, quantity on the
    // keypad, "Adicionar Artigo", Confirmar: the document, the stock and the order's line.
    TocarBotao(ecra->PainelObra, QStringLiteral("Obra 2100"));
    TocarBotao(ecra->PainelFuncoes, QStringLiteral("Consumo de Materiais"));
    confirmar();
    PainelConsumo* p = ecra->PainelDonsumo;
    ASSERT_TRUE(p->isVisible());
    QuandoModal<frmTecladoAlfa>([](frmTecladoAlfa* f) {
        ConferirLegenda(f);
        for (const char* t : {"A", "2", "enter"})
            Tocar(f->tecla(QString::fromLatin1(t)));
    });
    Tocar(p->Campo[PainelConsumo::CodArtigo]);
    EXPECT_EQ(p->Campo[PainelConsumo::Descricao]->text(), QStringLiteral("Tubo"));
    TeclarNumero(QStringLiteral("1.25"));
    Tocar(p->Campo[PainelConsumo::Quantidade]);
    Tocar(p->btAdd);
    ASSERT_EQ(p->CMGRmat->Linhas(), 1);
    Tocar(p->btCMConf);
    EXPECT_EQ(FixturaErp::Contar(bd(), QStringLiteral("STKDOC")), 1);
    EXPECT_EQ(FixturaErp::Existencia(bd(), QStringLiteral("A2")), FixturaErp::M("3.75"));
    const Registos l = bd().consultar(QStringLiteral("SELECT Artigo, QtdOr FROM oka_LinFo_Apr WHERE NoFo = '2100'"));
    ASSERT_EQ(l.RecordCount(), 1);
    EXPECT_EQ(l[0].texto(0), QStringLiteral("A2"));
    EXPECT_EQ(l[0].moeda(1), FixturaErp::M("1.25"));
    EXPECT_TRUE(emIdentificacao());
    // Back at identification, the document the ERP now holds and its lines are in sight.
    const Registos doc = bd().consultar(QStringLiteral("SELECT d.TIPODOC, d.SERIE, d.ANO, d.NUMDOC, COUNT(*) "
                                                       "FROM STKDOC d JOIN STKDOCLIN n ON n.TIPODOC = d.TIPODOC AND "
                                                       "n.SERIE = d.SERIE AND n.ANO = d.ANO AND n.NUMDOC = d.NUMDOC "
                                                       "GROUP BY d.TIPODOC, d.SERIE, d.ANO, d.NUMDOC"));
    ASSERT_EQ(doc.RecordCount(), 1);
    EXPECT_EQ(Confirmacao(ecra.get()),
              QStringLiteral("Documento %1 %2/%3 nº %4 lançado — %5 artigo, obra 2100\n"
                             "Bruno Costa")
                  .arg(doc[0].texto(0), doc[0].texto(1), doc[0].texto(2), doc[0].texto(3), doc[0].texto(4)));

    // Cancelar by touch logs out.
    entrar(QStringLiteral("Bruno Costa"));
    Tocar(ecra->btCancelar);
    EXPECT_TRUE(emIdentificacao());
}

// The employee touched for the login, then the order (its own button, or "Obra" for one typed that
// has none), the function and the operation stay marked until the logout.
TEST_P(ToquesT2, TheSelectionStaysMarkedUntilCleared)
{
    TocarBotao(ecra->PainelBotesUtilizadores, QStringLiteral("Bruno Costa"));
    EXPECT_EQ(Marcados(ecra->PainelBotesUtilizadores), QStringList{QStringLiteral("Bruno Costa")});
    ecra->ucLogin->Reset();
    entrar(QStringLiteral("Ana Silva"));
    ASSERT_TRUE(emTrabalho());
    TocarBotao(ecra->PainelObra, QStringLiteral("Obra 2100"));
    TocarBotao(ecra->PainelOperacoes, QStringLiteral("Soldadura"));
    TocarBotao(ecra->PainelFuncoes, QStringLiteral("Por Controlar"));
    EXPECT_EQ(Marcados(ecra->PainelObra), QStringList{QStringLiteral("Obra 2100")});
    EXPECT_EQ(Marcados(ecra->PainelOperacoes), QStringList{QStringLiteral("Soldadura")});
    EXPECT_EQ(Marcados(ecra->PainelFuncoes), QStringList{QStringLiteral("Por Controlar")});

    // Back to the first orders and down again: the mark is on 2100 only, wherever it shows.
    PainelBotoes* p = ecra->PainelObra;
    while (p->btPageDown()->isEnabled() && !p->botaoDoItem(1)) {
        Tocar(p->btPageDown());
        EXPECT_TRUE(Marcados(p).isEmpty() || Marcados(p) == QStringList{QStringLiteral("Obra 2100")});
    }
    TocarBotao(p, QStringLiteral("Obra 1003"));
    EXPECT_EQ(Marcados(p), QStringList{QStringLiteral("Obra 1003")});
    TocarBotao(p, QStringLiteral("Obra 2100"));
    EXPECT_EQ(Marcados(p), QStringList{QStringLiteral("Obra 2100")});

    // An order typed that has no button of its own (closed): "Obra" is marked.
    QString aviso;
    ResponderAviso(&aviso);
    TeclarNumero(QStringLiteral("1002"));
    TocarBotao(p, QStringLiteral("Obra"));
    EXPECT_EQ(aviso, QStringLiteral("A Folha de Obra não está em Fabrico !"));
    EXPECT_EQ(ecra->lbObra->text(), QStringLiteral("Obra:1002"));
    EXPECT_EQ(Marcados(p), QStringList{QStringLiteral("Obra")});

    // A refusal clears the selection and its marks; the employee stays.
    ResponderAviso(&aviso);
    Tocar(ecra->btConfirmar);
    EXPECT_EQ(aviso, QStringLiteral("Não existem Folhas de Obra deste Operador iniciadas!"));
    ASSERT_TRUE(emTrabalho());
    for (PainelBotoes* painel : {ecra->PainelObra, ecra->PainelFuncoes, ecra->PainelOperacoes})
        EXPECT_TRUE(Marcados(painel).isEmpty()) << NomeWidget(painel);
}

INSTANCIAR_BACKENDS(ToquesT2);

} // namespace
