// frmTerminal walked as an operator would: real widgets, a real database, scripted dialogs.
#include "screens/frmTerminal.h"

#include <QAction>
#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "controls/Twips.h"
#include "screens/FixturaTerminal.h"
#include "screens/RegistoDiario.h"

namespace {

class EcraT0 : public FixturaTerminal
{
protected:
    // The log line expected for these captions, with the time stamp read from the line itself
    // (checked to be well formed and within the test's run).
    void esperarRegisto(const QByteArray& linha, const QStringList& campos, const QString& mensagem)
    {
        const QString texto = QString::fromLatin1(linha);
        static const QRegularExpression hora(QStringLiteral("^\\d\\d/\\d\\d/\\d{4} - \\d\\d:\\d\\d:\\d\\d\t"));
        ASSERT_TRUE(hora.match(texto).hasMatch()) << texto.toStdString();
        const QString quando = texto.left(21);
        const QDateTime t = QDateTime::fromString(quando, QStringLiteral("dd/MM/yyyy - hh:mm:ss"));
        EXPECT_LE(qAbs(t.secsTo(QDateTime::currentDateTime())), 60);
        const QByteArray esperada =
            (quando + u'\t' + campos.join(u'\t') + QStringLiteral("\tMensagem:") + mensagem + QStringLiteral("\r\n"))
                .toLatin1();
        EXPECT_EQ(linha.toStdString(), esperada.toStdString());
    }
    QList<QByteArray> linhasRegisto() { return LinhasRegisto(base().pasta()); }
    // Employee, order on the keypad, operation, machine, then "Iniciar Operação" confirmed.
    void iniciar(const QString& funcionario, const QString& obra, const QString& operacao, const QString& maquina)
    {
        tocar(ecra->PainelUtilizadores, funcionario);
        op.numerosDigitados << obra;
        tocar(ecra->PainelObras, QStringLiteral("Obra"));
        tocar(ecra->PainelOperacoes, operacao);
        tocar(ecra->PainelMaquinas, maquina);
        tocar(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
        confirmar();
    }
};

TEST_P(EcraT0, StartingAnOperationChecksTheOrderWritesTheLineClearsAndLogs)
{
    tocar(ecra->PainelUtilizadores, QStringLiteral("Ana Silva"));
    EXPECT_EQ(ecra->lbNome->text(), QStringLiteral("Utilizador:Ana Silva"));

    op.numerosDigitados << QStringLiteral("9999");
    tocar(ecra->PainelObras, QStringLiteral("Obra"));
    ASSERT_EQ(op.dialogos.size(), 2);
    EXPECT_EQ(op.dialogos[0].tipo, QStringLiteral("PedirNumero"));
    EXPECT_EQ(op.dialogos[0].texto, QStringLiteral("INTRODUZA O NUMERO DA ORDEM"));
    EXPECT_EQ(op.dialogos[1].texto, QStringLiteral("A Folha de Obra indicada não existe !"));
    EXPECT_EQ(op.dialogos[1].imagem, 0);
    EXPECT_EQ(op.dialogos[1].altura, 3345);
    EXPECT_EQ(ecra->lbObra->text(), QString());

    op.numerosDigitados << QStringLiteral("1002");
    tocar(ecra->PainelObras, QStringLiteral("Obra"));
    EXPECT_EQ(op.textos(QStringLiteral("Aviso")).last(), QStringLiteral("A Folha de Obra não está em Fabrico !"));
    EXPECT_EQ(ecra->lbObra->text(), QStringLiteral("Obra:1002"));

    op.dialogos.clear();
    op.numerosDigitados << QStringLiteral("1001");
    tocar(ecra->PainelObras, QStringLiteral("Obra"));
    EXPECT_TRUE(op.textos(QStringLiteral("Aviso")).isEmpty());
    tocar(ecra->PainelOperacoes, QStringLiteral("Corte"));
    tocar(ecra->PainelMaquinas, QStringLiteral("Serra"));
    tocar(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
    const QStringList antes{QStringLiteral("Utilizador:Ana Silva"), QStringLiteral("Obra:1001"),
                            QStringLiteral("Função:Iniciar Operação"), QStringLiteral("Operação:Corte"),
                            QStringLiteral("Maquina:Serra")};
    EXPECT_EQ(info(), antes);

    confirmar();
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE NoFo = '1001' AND Func = 'F1' "
                                    "AND Opera = 10 AND Maquina = 'M1' AND Estado = 1")),
              1);
    EXPECT_EQ(info(), QStringList(5, QString()));
    EXPECT_TRUE(op.textos(QStringLiteral("Aviso")).isEmpty());
    const QList<QByteArray> linhas = linhasRegisto();
    ASSERT_EQ(linhas.size(), 1);
    esperarRegisto(linhas[0],
                   {QStringLiteral("Utilizador:Ana Silva"), QStringLiteral("Obra:1001"),
                    QStringLiteral("Função:Iniciar Operação"), QStringLiteral("Maquina:Serra")},
                   QString());
}

TEST_P(EcraT0, RunningOperationsListThenEndingWithItsConfirmar)
{
    tocar(ecra->PainelFuncoes, QStringLiteral("Lista de Operações"));
    ASSERT_EQ(op.dialogos.size(), 1);
    EXPECT_EQ(op.dialogos[0].texto, QStringLiteral("Deve indicar primeiro o utilizador"));
    EXPECT_EQ(ecra->Funcao, QString());
    EXPECT_EQ(ecra->lbFuncao->text(), QString());

    tocar(ecra->PainelUtilizadores, QStringLiteral("Ana Silva"));
    tocar(ecra->PainelFuncoes, QStringLiteral("Lista de Operações"));
    EXPECT_EQ(op.dialogos.last().texto, QStringLiteral("Não ha operações em curso"));
    EXPECT_EQ(op.dialogos.last().altura, 3345);

    iniciar(QStringLiteral("Ana Silva"), QStringLiteral("1001"), QStringLiteral("Corte"), QStringLiteral("Serra"));
    op.dialogos.clear();
    tocar(ecra->PainelUtilizadores, QStringLiteral("Ana Silva"));
    op.numerosDigitados << QStringLiteral("1001");
    tocar(ecra->PainelObras, QStringLiteral("Obra"));
    tocar(ecra->PainelOperacoes, QStringLiteral("Corte"));
    tocar(ecra->PainelMaquinas, QStringLiteral("Serra"));
    tocar(ecra->PainelFuncoes, QStringLiteral("Lista de Operações"));
    ASSERT_EQ(op.textos(QStringLiteral("Aviso")).size(), 1);
    EXPECT_EQ(op.dialogos.last().texto, QStringLiteral("\r\nObra 1001 operação Corte "));
    EXPECT_EQ(op.dialogos.last().imagem, 0);
    EXPECT_EQ(op.dialogos.last().altura, 6690);
    EXPECT_EQ(ecra->lbFuncao->text(), QStringLiteral("Função:Lista de Operações"));
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE Estado = 1")), 1);

    confirmar();
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE Estado = 2 AND Func = 'F1'")), 1);
    EXPECT_EQ(info(), QStringList(5, QString()));
}

TEST_P(EcraT0, SuspendingWithAReasonShowsItAndHandsItToTheEngineWithNoneOnFileNoDialog)
{
    iniciar(QStringLiteral("Bruno Costa"), QStringLiteral("1001"), QStringLiteral("Soldadura"),
            QStringLiteral("Prensa"));
    tocar(ecra->PainelUtilizadores, QStringLiteral("Bruno Costa"));
    op.numerosDigitados << QStringLiteral("1001");
    tocar(ecra->PainelObras, QStringLiteral("Obra"));
    op.motivoEscolhido = QStringLiteral("Falta de material");
    tocar(ecra->PainelFuncoes, QStringLiteral("Suspender"));
    EXPECT_EQ(op.dialogos.last().tipo, QStringLiteral("EscolherMotivo"));
    EXPECT_EQ(op.dialogos.last().texto, QStringLiteral("MOTIVO DA SUSPENSÃO"));
    EXPECT_EQ(ecra->lbFuncao->text(), QStringLiteral("Função:Suspender(Falta de material)"));

    confirmar();
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE Estado = 9")), 1);
    const Registos cab = bd().consultar(QStringLiteral("SELECT SubEstado, Notas FROM oka_CabOrc WHERE Fo = '1001'"));
    EXPECT_EQ(cab.primeira().inteiro(0), 2);
    EXPECT_EQ(cab.primeira().texto(1), QStringLiteral("Falta de material"));
    esperarRegisto(linhasRegisto().last(),
                   {QStringLiteral("Utilizador:Bruno Costa"), QStringLiteral("Obra:1001"),
                    QStringLiteral("Função:Suspender(Falta de material)"), QString()},
                   QString());

    // The reasons dialog left without a reason: no suspension is selected.
    tocar(ecra->PainelFuncoes, QStringLiteral("Por Terminar"));
    op.motivoEscolhido.clear();
    tocar(ecra->PainelFuncoes, QStringLiteral("Suspender"));
    EXPECT_EQ(op.dialogos.last().tipo, QStringLiteral("EscolherMotivo"));
    EXPECT_EQ(ecra->Funcao, QString());
    EXPECT_EQ(ecra->lbFuncao->text(), QString());

    bd().executar(QStringLiteral("DELETE FROM oka_Motivos"));
    op.dialogos.clear();
    tocar(ecra->PainelFuncoes, QStringLiteral("Suspender"));
    EXPECT_TRUE(op.dialogos.isEmpty());
    EXPECT_EQ(ecra->lbFuncao->text(), QStringLiteral("Função:Suspender()"));
}

TEST_P(EcraT0, RefusalShowsTheEnginesMessageClearsAndLogsIt)
{
    op.numerosDigitados << QStringLiteral("1001");
    tocar(ecra->PainelObras, QStringLiteral("Obra"));
    tocar(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
    confirmar();
    ASSERT_EQ(op.textos(QStringLiteral("Aviso")), QStringList{QStringLiteral("Operador não indentificado !")});
    EXPECT_EQ(op.dialogos.last().imagem, 2);
    EXPECT_EQ(op.dialogos.last().altura, 3345);
    EXPECT_EQ(info(), QStringList(5, QString()));
    esperarRegisto(linhasRegisto().last(),
                   {QString(), QStringLiteral("Obra:1001"), QStringLiteral("Função:Iniciar Operação"), QString()},
                   QStringLiteral("Operador não indentificado !"));
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope")), 0);
}

TEST_P(EcraT0, ConfirmarWithNothingSelectedWritesOneEmptyLogLine)
{
    confirmar();
    EXPECT_TRUE(op.dialogos.isEmpty());
    const QList<QByteArray> linhas = linhasRegisto();
    ASSERT_EQ(linhas.size(), 1);
    esperarRegisto(linhas[0], QStringList(4, QString()), QString());
}

TEST_P(EcraT0, RefusedEndOfAllOperationsKeepsTheSelection)
{
    op.numerosDigitados << QStringLiteral("1001");
    tocar(ecra->PainelObras, QStringLiteral("Obra"));
    tocar(ecra->PainelMaquinas, QStringLiteral("Serra"));
    tocar(ecra->PainelFuncoes, QStringLiteral("Terminar Todas Operações"));
    confirmar();
    ASSERT_EQ(op.textos(QStringLiteral("Aviso")).size(), 1);
    EXPECT_EQ(op.dialogos.last().imagem, 2);
    EXPECT_EQ(info(),
              (QStringList{QString(), QStringLiteral("Obra:1001"), QStringLiteral("Função:Terminar Todas Operações"),
                           QString(), QStringLiteral("Maquina:Serra")}));
}

TEST_P(EcraT0, CancelClearsAndOrderKeypadClosedEmptyKeepsTheFunctionCode)
{
    tocar(ecra->PainelUtilizadores, QStringLiteral("Ana Silva"));
    tocar(ecra->PainelUtilizadores, QStringLiteral("Bruno Costa"));
    EXPECT_EQ(ecra->Utilizador, QStringLiteral("F2"));
    tocar(ecra->PainelFuncoes, QStringLiteral("Por Terminar"));
    tocar(ecra->PainelObras, QStringLiteral("Obra")); // keypad closed without a number
    EXPECT_EQ(ecra->Funcao, QStringLiteral("AC002"));
    EXPECT_EQ(ecra->lbFuncao->text(), QStringLiteral("Função:"));
    EXPECT_EQ(ecra->lbObra->text(), QString());

    QTest::mouseClick(ecra->btCancelar, Qt::LeftButton);
    EXPECT_EQ(info(), QStringList(5, QString()));
    EXPECT_EQ(ecra->Utilizador, QString());
    EXPECT_TRUE(linhasRegisto().isEmpty());

    // The SQL menu entry opens the settings dialog with the catalogue script once a supervisor
    // gave his password (refused: nothing opens).
    ecra->Menu_SQL->trigger();
    EXPECT_EQ(op.textos(QStringLiteral("Supervisor")), QStringList{QStringLiteral("Ligação ao Servidor SQL")});
    EXPECT_TRUE(op.textos(QStringLiteral("BD")).isEmpty());
    op.supervisor = QStringLiteral("F9-Chefe");
    ecra->Menu_SQL->trigger();
    EXPECT_EQ(op.textos(QStringLiteral("BD")),
              QStringList{QDir(base().pasta()).filePath(QStringLiteral("Catalogos/bd.sql"))});
}

// A database failure inside a touch is reported and logged; the terminal carries on.
TEST_P(EcraT0, DatabaseErrorInAHandlerIsShownLoggedAndTheTerminalGoesOn)
{
    tocar(ecra->PainelUtilizadores, QStringLiteral("Ana Silva"));
    bd().executar(QStringLiteral("DROP TABLE oka_Motivos"));
    tocar(ecra->PainelFuncoes, QStringLiteral("Suspender"));
    ASSERT_EQ(op.textos(QStringLiteral("MensagemSistema")).size(), 1);
    EXPECT_EQ(op.dialogos.last().imagem, 2);
    EXPECT_TRUE(op.dialogos.last().texto.startsWith(QStringLiteral("Erro")));
    ASSERT_EQ(linhasRegisto().size(), 1);
    EXPECT_TRUE(linhasRegisto()[0].contains("Mensagem:Erro"));

    bd().executar(QStringLiteral("DROP TABLE oka_LinFo_Ope"));
    op.numerosDigitados << QStringLiteral("1001");
    tocar(ecra->PainelObras, QStringLiteral("Obra"));
    tocar(ecra->PainelOperacoes, QStringLiteral("Corte"));
    tocar(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
    confirmar();
    EXPECT_GE(op.textos(QStringLiteral("MensagemSistema")).size(), 2);
    EXPECT_EQ(contar(QStringLiteral("SELECT SubEstado FROM oka_CabOrc WHERE Fo = '1001'")), 0);
    const QList<QByteArray> linhas = linhasRegisto();
    ASSERT_EQ(linhas.size(), 2);
    EXPECT_TRUE(QString::fromLatin1(linhas[1]).contains(QStringLiteral("\tFunção:Iniciar Operação\t")));
    EXPECT_TRUE(linhas[1].contains("Mensagem:Erro"));
    EXPECT_EQ(linhas[1].count("\r\n"), 1);
    EXPECT_EQ(ecra->lbObra->text(), QStringLiteral("Obra:1001"));
}

// The order lookup fails with a database error: the previous order is gone from the information
// lines at once, so neither the screen nor the next log line names an order that is not selected.
TEST_P(EcraT0, FailedOrderLookupRedrawsTheInformationLines)
{
    tocar(ecra->PainelUtilizadores, QStringLiteral("Ana Silva"));
    op.numerosDigitados << QStringLiteral("1001");
    tocar(ecra->PainelObras, QStringLiteral("Obra"));
    tocar(ecra->PainelFuncoes, QStringLiteral("Por Terminar"));
    ASSERT_EQ(ecra->lbObra->text(), QStringLiteral("Obra:1001"));

    bd().executar(QStringLiteral("DROP TABLE oka_CabOrc"));
    op.numerosDigitados << QStringLiteral("1002");
    tocar(ecra->PainelObras, QStringLiteral("Obra"));
    ASSERT_EQ(op.textos(QStringLiteral("MensagemSistema")).size(), 1);
    EXPECT_EQ(ecra->Obra, QString());
    EXPECT_EQ(ecra->lbObra->text(), QString());
    EXPECT_EQ(ecra->lbFuncao->text(), QStringLiteral("Função:Por Terminar"));

    confirmar();
    const QStringList campos = CamposRegisto(linhasRegisto().last());
    ASSERT_EQ(campos.size(), 5);
    EXPECT_EQ(campos[1], QString());
    EXPECT_EQ(campos[2], QStringLiteral("Função:Por Terminar"));
    EXPECT_EQ(campos[4], QStringLiteral("Obra não indentificada !"));
}

TEST_P(EcraT0, UnwritableLogIsNoticedOnceAndTheFunctionStaysRecorded)
{
    DefinirPastaPrograma(QDir(base().pasta()).filePath(QStringLiteral("nao/existe")));
    iniciar(QStringLiteral("Ana Silva"), QStringLiteral("1001"), QStringLiteral("Corte"), QStringLiteral("Serra"));
    confirmar();
    confirmar();
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE Estado = 1")), 1);
    const QStringList avisos = op.textos(QStringLiteral("MensagemSistema"));
    ASSERT_EQ(avisos.size(), 1);
    EXPECT_TRUE(avisos[0].contains(QStringLiteral("registo diário")));
}

INSTANCIAR_BACKENDS(EcraT0);

// The frame: information lines, clock, strip and panel geometry, on an empty database (SQLite).
class EcraT0Frame : public FixturaEcra<frmTerminal>
{
protected:
    void SetUp() override
    {
        TesteBD::SetUp();
        bd().executar(QStringLiteral("INSERT INTO oka_Contador (Id, CI) VALUES (1, 5)"));
        DefinirPastaPrograma(base().pasta());
    }
};

TEST_P(EcraT0Frame, ColumnsAreTwentyTwentyTwentyThirtyAndOrdersWithFunctionsTake073HPlus120)
{
    for (const auto& [W, H] : {std::pair{28800.0, 16200.0}, std::pair{12000.0, 9000.0}, std::pair{19215.0, 10245.0}}) {
        const frmTerminal::Geometria g = frmTerminal::CalculaGeometria(W, H);
        const double P = H - (1815 + 120);
        EXPECT_EQ(g.Utilizadores, QRect(0, 0, qRound(W * 0.2), qRound(P)));
        EXPECT_EQ(g.Obras.x(), g.Utilizadores.width());
        EXPECT_EQ(g.Funcoes.x(), g.Obras.x());
        EXPECT_EQ(g.Funcoes.width(), g.Obras.width());
        EXPECT_EQ(g.Operacoes.x(), g.Obras.x() + g.Obras.width());
        EXPECT_EQ(g.Maquinas.x(), g.Operacoes.x() + g.Operacoes.width());
        EXPECT_NEAR(g.Maquinas.width(), W * 0.3, 0.5);
        EXPECT_NEAR(g.Funcoes.y() + g.Funcoes.height() - g.Obras.y(), 0.73 * H + 120, 1.0);
        EXPECT_EQ(g.Operacoes.height(), qRound(P));
        EXPECT_EQ(g.Maquinas.height(), qRound(P));
    }
    // Halves round to the even twip.
    EXPECT_EQ(frmTerminal::CalculaGeometria(12352.5, 9000).Utilizadores.width(), 2470);
}

TEST_P(EcraT0Frame, ShownScreenPlacesPanelsAndStripFromItsClientArea)
{
    mostrar();
    EXPECT_TRUE(ecra->windowState() & Qt::WindowFullScreen);
    const double W = Twips::DePx(ecra->width());
    const double H = Twips::DePx(ecra->height());
    const frmTerminal::Geometria g = frmTerminal::CalculaGeometria(W, H);
    const auto px = [](const QRect& t) { return Twips::Rect(t.x(), t.y(), t.width(), t.height()); };
    EXPECT_EQ(ecra->PainelUtilizadores->geometry(), px(g.Utilizadores));
    EXPECT_EQ(ecra->PainelObras->geometry(), px(g.Obras));
    EXPECT_EQ(ecra->PainelFuncoes->geometry(), px(g.Funcoes));
    EXPECT_EQ(ecra->PainelOperacoes->geometry(), px(g.Operacoes));
    EXPECT_EQ(ecra->PainelMaquinas->geometry(), px(g.Maquinas));

    EXPECT_EQ(ecra->FrameBase->geometry().bottom(), ecra->height() - 1);
    EXPECT_NEAR(ecra->FrameBase->geometry().center().x(), ecra->width() / 2.0, 1.0);
    EXPECT_EQ(ecra->FrameDataHora->geometry().bottomRight(), QPoint(ecra->width() - 1, ecra->height() - 1));
    EXPECT_EQ(ecra->PainelInfo->x(), 0);
    EXPECT_NEAR(ecra->PainelInfo->width(), ecra->FrameBase->x() - Twips::Px(140), 1.0);

    // The function panel holds the eight functions of this screen, in order.
    EXPECT_EQ(ecra->PainelFuncoes->textos(),
              (QStringList{QStringLiteral("Suspender"), QStringLiteral("Por Terminar"), QStringLiteral("Por Controlar"),
                           QStringLiteral("Obra Controlada"), QStringLiteral("Não Conforme"),
                           QStringLiteral("Iniciar Operação"), QStringLiteral("Lista de Operações"),
                           QStringLiteral("Terminar Todas Operações")}));

    // A later resize moves nothing.
    const QRect antes = ecra->PainelMaquinas->geometry();
    ecra->showNormal();
    ecra->resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(ecra->PainelMaquinas->geometry(), antes);
    EXPECT_TRUE(ecra->windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized));
}

// The employee list cannot be read at start: the other panels are placed and loaded all the
// same, and the employees come at the next Cancelar, without a restart.
TEST_P(EcraT0Frame, PanelsLoadEachOnItsOwnAndAFailedOneIsLoadedAgainAtCancelar)
{
    bd().executar(QStringLiteral("INSERT INTO oka_Funcionarios (FuncId, FuncNome) VALUES ('F1', 'Ana Silva')"));
    bd().executar(QStringLiteral("INSERT INTO oka_Maquinas (MaqId, MaqNome) VALUES ('M1', 'Serra')"));
    bd().executar(QStringLiteral("ALTER TABLE oka_Funcionarios RENAME TO oka_Func_Fora"));
    mostrar();
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")).size(), 1);
    EXPECT_EQ(ecra->PainelUtilizadores->numeroItens(), 0);
    EXPECT_EQ(ecra->PainelObras->textos().size(), 3);
    EXPECT_EQ(ecra->PainelFuncoes->textos().size(), 8);
    EXPECT_EQ(ecra->PainelMaquinas->textos(), QStringList{QStringLiteral("Serra")});
    const frmTerminal::Geometria g =
        frmTerminal::CalculaGeometria(Twips::DePx(ecra->width()), Twips::DePx(ecra->height()));
    EXPECT_EQ(ecra->PainelObras->geometry(), Twips::Rect(g.Obras.x(), g.Obras.y(), g.Obras.width(), g.Obras.height()));
    EXPECT_EQ(ecra->PainelUtilizadores->geometry(),
              Twips::Rect(g.Utilizadores.x(), g.Utilizadores.y(), g.Utilizadores.width(), g.Utilizadores.height()));
    EXPECT_TRUE(ecra->PainelObras->isVisible());
    EXPECT_EQ(ecra->PaineisPorCarregar(), QStringList{QStringLiteral("PainelUtilizadores")});

    // Still failing: Cancelar tries again and says so.
    QTest::mouseClick(ecra->btCancelar, Qt::LeftButton);
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")).size(), 2);
    EXPECT_EQ(ecra->PainelUtilizadores->numeroItens(), 0);

    bd().executar(QStringLiteral("ALTER TABLE oka_Func_Fora RENAME TO oka_Funcionarios"));
    QTest::mouseClick(ecra->btCancelar, Qt::LeftButton);
    EXPECT_EQ(ecra->PainelUtilizadores->textos(), QStringList{QStringLiteral("Ana Silva")});
    EXPECT_TRUE(ecra->PaineisPorCarregar().isEmpty());
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")).size(), 2);
}

// Once the database answers again the clock loads the panel, with no touch at all.
TEST_P(EcraT0Frame, AFailedPanelIsLoadedByTheClockOnceTheDatabaseAnswers)
{
    bd().executar(QStringLiteral("INSERT INTO oka_Operacoes (OperId, OperNome) VALUES (10, 'Corte')"));
    bd().executar(QStringLiteral("ALTER TABLE oka_Operacoes RENAME TO oka_Oper_Fora"));
    mostrar();
    ecra->IntervaloRecarga = 0;
    ASSERT_EQ(ecra->PaineisPorCarregar(), QStringList{QStringLiteral("PainelOperacoes")});
    // Tries by the clock that fail again are not shown.
    ecra->Timer1_Timer();
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")).size(), 1);
    bd().executar(QStringLiteral("ALTER TABLE oka_Oper_Fora RENAME TO oka_Operacoes"));
    ecra->Timer1_Timer();
    EXPECT_EQ(ecra->PainelOperacoes->textos(), QStringList{QStringLiteral("Corte")});
    EXPECT_TRUE(ecra->PaineisPorCarregar().isEmpty());
}

TEST_P(EcraT0Frame, InformationLinesClockAndDateInPortugueseWhateverTheLocale)
{
    const QLocale antes;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    frmTerminal t;
    QLocale::setDefault(antes);

    t.Funcao = QStringLiteral("AC002");
    t.DescricaoFuncao = QStringLiteral("Por Terminar");
    t.DescricaoOperacao = QStringLiteral("Corte"); // no code: not shown
    t.MostraInfo();
    EXPECT_EQ(t.lbNome->text(), QString());
    EXPECT_EQ(t.lbFuncao->text(), QStringLiteral("Função:Por Terminar"));
    EXPECT_EQ(t.lbOperacao->text(), QString());

    const QDate hoje = QDate::currentDate();
    const QLocale pt(QLocale::Portuguese, QLocale::Portugal);
    const QString esperada = pt.dayName(hoje.dayOfWeek()) +
                             QStringLiteral(" %1 de ").arg(hoje.day(), 2, 10, QChar(u'0')) +
                             pt.monthName(hoje.month()) + QStringLiteral("  %1").arg(hoje.year());
    if (QDate::currentDate() == hoje) {
        EXPECT_EQ(t.lbData->text(), esperada);
    }
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$")).match(t.lbHora->text()).hasMatch());
}

INSTANTIATE_TEST_SUITE_P(Backends, EcraT0Frame, ::testing::Values(Backend::SQLite), NomeParametroBackend);

} // namespace
