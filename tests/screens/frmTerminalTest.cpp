// frmTerminal walked as an operator would: real widgets, a real database, scripted dialogs.
#include "screens/frmTerminal.h"

#include <memory>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include "app/Rotinas.h"
#include "controls/PainelBotoes.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"
#include "support/BaseDadosTeste.h"
#include "support/OperadorFalso.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// A dialog as "kind image height: text".
QString dialogo(const OperadorFalso::Dialogo& d)
{
    return u"%1 %2 %3: %4"_s.arg(d.tipo).arg(d.imagem).arg(d.altura).arg(d.texto);
}

class EcraT0 : public TesteBD
{
protected:
    void SetUp() override
    {
        TesteBD::SetUp();
        if (IsSkipped()) return;
        DefinirPastaPrograma(base().pasta());
        for (const QString& sql :
             {u"INSERT INTO oka_Contador (Id, CI) VALUES (1, 5)"_s,
              u"INSERT INTO oka_Funcionarios (FuncId, FuncNome, CustoHora) VALUES ('F1', 'Ana Silva', 12)"_s,
              u"INSERT INTO oka_Funcionarios (FuncId, FuncNome, CustoHora) VALUES ('F2', 'Bruno Costa', 10)"_s,
              u"INSERT INTO oka_Operacoes (OperId, OperNome) VALUES (10, 'Corte')"_s,
              u"INSERT INTO oka_Operacoes (OperId, OperNome) VALUES (20, 'Soldadura')"_s,
              u"INSERT INTO oka_Maquinas (MaqId, MaqNome, CustoHora) VALUES ('M1', 'Serra', 20)"_s,
              u"INSERT INTO oka_Maquinas (MaqId, MaqNome, CustoHora) VALUES ('M2', 'Prensa', 8)"_s,
              u"INSERT INTO oka_CabOrc (Fo, EstadoFo, SubEstado) VALUES ('1001', 1, 0)"_s,
              u"INSERT INTO oka_CabOrc (Fo, EstadoFo, SubEstado) VALUES ('1002', 4, 0)"_s,
              u"INSERT INTO oka_Motivos (codigo, Motivo) VALUES ('R1', 'Falta de material')"_s})
            bd().executar(sql);
        ecra = std::make_unique<frmTerminal>();
        ecra->setLigacao(&bd());
        ecra->setOperador(&op);
        ecra->Mostra();
        QCoreApplication::processEvents();
        ASSERT_TRUE(ecra->EcraCarregado);
    }
    void TearDown() override
    {
        ecra.reset();
        DefinirPastaPrograma(QString());
        TesteBD::TearDown();
    }

    static void tocar(PainelBotoes* painel, const QString& texto)
    {
        const int k = int(painel->textos().indexOf(texto));
        ASSERT_GE(k, 0) << texto.toStdString();
        painel->tocarItem(k + 1);
    }
    void obra(const QString& numero)
    {
        op.numerosDigitados << numero;
        tocar(ecra->PainelObras, u"Obra"_s);
    }
    void confirmar() { QTest::mouseClick(ecra->btConfirmar, Qt::LeftButton); }
    QStringList info() const
    {
        return {ecra->lbNome->text(), ecra->lbObra->text(), ecra->lbFuncao->text(), ecra->lbOperacao->text(),
                ecra->lbMaquina->text()};
    }
    // The day's log lines as written (Latin-1), each with its CR LF.
    QList<QByteArray> registo()
    {
        QFile f(QDir(base().pasta()).filePath(u"log-%1.txt"_s.arg(QDate::currentDate().toString(u"yyyy-MM-dd"_s))));
        QList<QByteArray> linhas = f.open(QIODevice::ReadOnly) ? f.readAll().split('\n') : QList<QByteArray>{""};
        linhas.removeLast();
        for (QByteArray& l : linhas)
            l += '\n';
        return linhas;
    }
    // The line must be these captions and message, after a time stamp of this run.
    static void esperarLinha(const QByteArray& linha, const QStringList& campos, const QString& mensagem)
    {
        const QString quando = QString::fromLatin1(linha.left(21));
        const QDateTime t = QDateTime::fromString(quando, u"dd/MM/yyyy - hh:mm:ss"_s);
        ASSERT_TRUE(t.isValid()) << linha.toStdString();
        EXPECT_LE(qAbs(t.secsTo(QDateTime::currentDateTime())), 60);
        EXPECT_EQ(linha, (quando + u'\t' + campos.join(u'\t') + u"\tMensagem:"_s + mensagem + u"\r\n"_s).toLatin1());
    }
    qint64 contar(const QString& condicao)
    {
        return bd().consultar(u"SELECT COUNT(*) FROM oka_LinFo_Ope WHERE "_s + condicao).primeira().inteiro(0);
    }
    // Employee, order on the keypad, operation, machine, then "Iniciar Operação" confirmed.
    void iniciar(const QString& funcionario, const QString& numero, const QString& operacao, const QString& maquina)
    {
        tocar(ecra->PainelUtilizadores, funcionario);
        obra(numero);
        tocar(ecra->PainelOperacoes, operacao);
        tocar(ecra->PainelMaquinas, maquina);
        tocar(ecra->PainelFuncoes, u"Iniciar Operação"_s);
        confirmar();
    }

    OperadorFalso op;
    std::unique_ptr<frmTerminal> ecra;
    const QStringList vazio = QStringList(5, QString());
};

TEST_P(EcraT0, StartingAnOperationChecksTheOrderWritesTheLineClearsAndLogs)
{
    tocar(ecra->PainelUtilizadores, u"Ana Silva"_s);
    obra(u"9999"_s);
    EXPECT_EQ(ecra->lbObra->text(), QString());
    obra(u"1002"_s);
    EXPECT_EQ(ecra->lbObra->text(), u"Obra:1002"_s);
    ASSERT_EQ(op.dialogos.size(), 4);
    EXPECT_EQ(dialogo(op.dialogos[0]), u"PedirNumero 0 0: INTRODUZA O NUMERO DA ORDEM"_s);
    EXPECT_EQ(dialogo(op.dialogos[1]), u"Aviso 0 3345: A Folha de Obra indicada não existe !"_s);
    EXPECT_EQ(dialogo(op.dialogos[3]), u"Aviso 0 3345: A Folha de Obra não está em Fabrico !"_s);

    op.dialogos.clear();
    obra(u"1001"_s);
    tocar(ecra->PainelOperacoes, u"Corte"_s);
    tocar(ecra->PainelMaquinas, u"Serra"_s);
    tocar(ecra->PainelFuncoes, u"Iniciar Operação"_s);
    EXPECT_EQ(info(), (QStringList{u"Utilizador:Ana Silva"_s, u"Obra:1001"_s, u"Função:Iniciar Operação"_s,
                                   u"Operação:Corte"_s, u"Maquina:Serra"_s}));
    confirmar();
    EXPECT_EQ(op.dialogos.size(), 1); // the keypad only
    EXPECT_EQ(contar(u"NoFo = '1001' AND Func = 'F1' AND Opera = 10 AND Maquina = 'M1' AND Estado = 1"_s), 1);
    EXPECT_EQ(info(), vazio);
    const QList<QByteArray> linhas = registo();
    ASSERT_EQ(linhas.size(), 1);
    esperarLinha(linhas[0],
                 {u"Utilizador:Ana Silva"_s, u"Obra:1001"_s, u"Função:Iniciar Operação"_s, u"Maquina:Serra"_s},
                 QString());
}

TEST_P(EcraT0, RunningOperationsListThenEndingWithItsConfirmar)
{
    tocar(ecra->PainelFuncoes, u"Lista de Operações"_s);
    EXPECT_EQ(dialogo(op.dialogos.last()), u"Aviso 0 3345: Deve indicar primeiro o utilizador"_s);
    EXPECT_EQ(ecra->Funcao, QString());
    tocar(ecra->PainelUtilizadores, u"Ana Silva"_s);
    tocar(ecra->PainelFuncoes, u"Lista de Operações"_s);
    EXPECT_EQ(dialogo(op.dialogos.last()), u"Aviso 0 3345: Não ha operações em curso"_s);

    iniciar(u"Ana Silva"_s, u"1001"_s, u"Corte"_s, u"Serra"_s);
    tocar(ecra->PainelUtilizadores, u"Ana Silva"_s);
    obra(u"1001"_s);
    tocar(ecra->PainelOperacoes, u"Corte"_s);
    tocar(ecra->PainelMaquinas, u"Serra"_s);
    tocar(ecra->PainelFuncoes, u"Lista de Operações"_s);
    EXPECT_EQ(dialogo(op.dialogos.last()), u"Aviso 0 6690: \r\nObra 1001 operação Corte "_s);
    EXPECT_EQ(ecra->lbFuncao->text(), u"Função:Lista de Operações"_s);
    EXPECT_EQ(contar(u"Estado = 1"_s), 1);

    confirmar();
    EXPECT_EQ(contar(u"Estado = 2 AND Func = 'F1'"_s), 1);
    EXPECT_EQ(info(), vazio);
}

TEST_P(EcraT0, SuspendingWithAReasonShowsItAndHandsItToTheEngine)
{
    iniciar(u"Bruno Costa"_s, u"1001"_s, u"Soldadura"_s, u"Prensa"_s);
    tocar(ecra->PainelUtilizadores, u"Bruno Costa"_s);
    obra(u"1001"_s);
    op.motivoEscolhido = u"Falta de material"_s;
    tocar(ecra->PainelFuncoes, u"Suspender"_s);
    EXPECT_EQ(dialogo(op.dialogos.last()), u"EscolherMotivo 0 0: MOTIVO DA SUSPENSÃO"_s);
    EXPECT_EQ(ecra->lbFuncao->text(), u"Função:Suspender(Falta de material)"_s);

    confirmar();
    EXPECT_EQ(contar(u"Estado = 9"_s), 1);
    const Registos cab = bd().consultar(u"SELECT SubEstado, Notas FROM oka_CabOrc WHERE Fo = '1001'"_s);
    EXPECT_EQ(cab.primeira().inteiro(0), 2);
    EXPECT_EQ(cab.primeira().texto(1), u"Falta de material"_s);
    esperarLinha(registo().last(),
                 {u"Utilizador:Bruno Costa"_s, u"Obra:1001"_s, u"Função:Suspender(Falta de material)"_s, QString()},
                 QString());

    // With no reasons on file no dialog opens and the parentheses stay empty.
    bd().executar(u"DELETE FROM oka_Motivos"_s);
    op.dialogos.clear();
    tocar(ecra->PainelFuncoes, u"Suspender"_s);
    EXPECT_TRUE(op.dialogos.isEmpty());
    EXPECT_EQ(ecra->lbFuncao->text(), u"Função:Suspender()"_s);
}

TEST_P(EcraT0, EndingAndOpeningTheDay)
{
    iniciar(u"Ana Silva"_s, u"1001"_s, u"Corte"_s, u"Serra"_s);
    tocar(ecra->PainelUtilizadores, u"Ana Silva"_s);
    obra(u"1001"_s);
    tocar(ecra->PainelObras, u"Terminar Dia"_s);
    EXPECT_EQ(ecra->lbObra->text(), QString());
    EXPECT_EQ(ecra->lbFuncao->text(), u"Função:Terminar Dia"_s);
    confirmar();
    EXPECT_EQ(contar(u"Estado = 8"_s), 1);
    EXPECT_EQ(info(), vazio);

    tocar(ecra->PainelUtilizadores, u"Ana Silva"_s);
    tocar(ecra->PainelObras, u"Iniciar Dia"_s);
    confirmar();
    EXPECT_EQ(contar(u"Estado = 10"_s), 1);
    EXPECT_EQ(contar(u"Estado = 1"_s), 1);
    EXPECT_TRUE(op.textos(u"Aviso"_s).isEmpty());
}

TEST_P(EcraT0, RefusalShowsTheEnginesMessageClearsAndLogsIt)
{
    obra(u"1001"_s);
    tocar(ecra->PainelFuncoes, u"Iniciar Operação"_s);
    confirmar();
    EXPECT_EQ(dialogo(op.dialogos.last()), u"Aviso 2 3345: Operador não indentificado !"_s);
    EXPECT_EQ(info(), vazio);
    esperarLinha(registo().last(), {QString(), u"Obra:1001"_s, u"Função:Iniciar Operação"_s, QString()},
                 u"Operador não indentificado !"_s);
    EXPECT_EQ(contar(u"1 = 1"_s), 0);
}

TEST_P(EcraT0, ConfirmarWithNothingSelectedWritesOneEmptyLogLine)
{
    confirmar();
    EXPECT_TRUE(op.dialogos.isEmpty());
    const QList<QByteArray> linhas = registo();
    ASSERT_EQ(linhas.size(), 1);
    esperarLinha(linhas[0], QStringList(4, QString()), QString());
}

TEST_P(EcraT0, RefusedEndOfAllOperationsKeepsTheSelection)
{
    obra(u"1001"_s);
    tocar(ecra->PainelMaquinas, u"Serra"_s);
    tocar(ecra->PainelFuncoes, u"Terminar Todas Operações"_s);
    confirmar();
    ASSERT_EQ(op.textos(u"Aviso"_s).size(), 1);
    EXPECT_EQ(op.dialogos.last().imagem, 2);
    EXPECT_EQ(info(), (QStringList{QString(), u"Obra:1001"_s, u"Função:Terminar Todas Operações"_s, QString(),
                                   u"Maquina:Serra"_s}));
}

TEST_P(EcraT0, CancelMenuAndExit)
{
    tocar(ecra->PainelUtilizadores, u"Ana Silva"_s);
    tocar(ecra->PainelUtilizadores, u"Bruno Costa"_s);
    EXPECT_EQ(ecra->Utilizador, u"F2"_s);
    tocar(ecra->PainelFuncoes, u"Por Terminar"_s);
    obra(QString()); // keypad closed without a number
    EXPECT_EQ(ecra->Funcao, u"AC002"_s);
    EXPECT_EQ(ecra->lbFuncao->text(), u"Função:"_s);

    QTest::mouseClick(ecra->btCancelar, Qt::LeftButton);
    EXPECT_EQ(info(), vazio);
    EXPECT_EQ(ecra->Utilizador, QString());
    EXPECT_TRUE(registo().isEmpty());

    ecra->Menu_SQL->trigger();
    EXPECT_EQ(op.textos(u"BD"_s), QStringList{QDir(base().pasta()).filePath(u"Catalogos/bd.sql"_s)});
    QTest::mouseClick(ecra->btSair, Qt::LeftButton);
    EXPECT_FALSE(ecra->isVisible());
}

TEST_P(EcraT0, DatabaseErrorInAHandlerIsShownLoggedAndTheTerminalGoesOn)
{
    tocar(ecra->PainelUtilizadores, u"Ana Silva"_s);
    bd().executar(u"DROP TABLE oka_Motivos"_s);
    tocar(ecra->PainelFuncoes, u"Suspender"_s);
    ASSERT_EQ(op.textos(u"MensagemSistema"_s).size(), 1);
    EXPECT_TRUE(dialogo(op.dialogos.last()).startsWith(u"MensagemSistema 2 0: Erro"_s));
    ASSERT_EQ(registo().size(), 1);
    EXPECT_TRUE(registo()[0].contains("Mensagem:Erro"));

    bd().executar(u"DROP TABLE oka_LinFo_Ope"_s);
    obra(u"1001"_s);
    tocar(ecra->PainelOperacoes, u"Corte"_s);
    tocar(ecra->PainelFuncoes, u"Iniciar Operação"_s);
    confirmar();
    EXPECT_GE(op.textos(u"MensagemSistema"_s).size(), 2);
    EXPECT_EQ(bd().consultar(u"SELECT SubEstado FROM oka_CabOrc WHERE Fo = '1001'"_s).primeira().inteiro(0), 0);
    const QList<QByteArray> linhas = registo();
    ASSERT_EQ(linhas.size(), 2); // one line, the error on it
    EXPECT_TRUE(QString::fromLatin1(linhas[1]).contains(u"\tFunção:Iniciar Operação\t\tMensagem:Erro"_s));
    EXPECT_EQ(ecra->lbObra->text(), u"Obra:1001"_s);
}

TEST_P(EcraT0, UnwritableLogIsNoticedOnceAndTheFunctionStaysRecorded)
{
    DefinirPastaPrograma(QDir(base().pasta()).filePath(u"nao/existe"_s));
    iniciar(u"Ana Silva"_s, u"1001"_s, u"Corte"_s, u"Serra"_s);
    confirmar();
    confirmar();
    EXPECT_EQ(contar(u"Estado = 1"_s), 1);
    const QStringList avisos = op.textos(u"MensagemSistema"_s);
    ASSERT_EQ(avisos.size(), 1);
    EXPECT_TRUE(avisos[0].contains(u"registo diário"_s));
}

INSTANCIAR_BACKENDS(EcraT0);

TEST(EcraT0Geometria, ColumnsAreTwentyTwentyTwentyThirtyAndOrdersWithFunctionsTake073HPlus120)
{
    for (const auto& [W, H] : {std::pair{28800.0, 16200.0}, std::pair{12000.0, 9000.0}, std::pair{19215.0, 10245.0}}) {
        const frmTerminal::Geometria g = frmTerminal::CalculaGeometria(W, H);
        const int P = qRound(H - (1815 + 120));
        EXPECT_EQ(g.Utilizadores, QRect(0, 0, qRound(W * 0.2), P));
        EXPECT_EQ(g.Obras.topLeft(), QPoint(g.Utilizadores.width(), 0));
        EXPECT_EQ(g.Funcoes.x(), g.Obras.x());
        EXPECT_EQ(g.Funcoes.width(), g.Obras.width());
        EXPECT_EQ(g.Operacoes, QRect(g.Obras.x() + g.Obras.width(), 0, g.Obras.width(), P));
        EXPECT_EQ(g.Maquinas.topLeft(), QPoint(g.Operacoes.x() + g.Operacoes.width(), 0));
        EXPECT_NEAR(g.Maquinas.width(), W * 0.3, 0.5);
        EXPECT_EQ(g.Maquinas.height(), P);
        EXPECT_NEAR(g.Funcoes.y() + g.Funcoes.height() - g.Obras.y(), 0.73 * H + 120, 1.0);
    }
    EXPECT_EQ(frmTerminal::CalculaGeometria(12352.5, 9000).Utilizadores.width(), 2470); // half to even
}

TEST(EcraT0Geometria, ShownScreenPlacesPanelsAndStripFromItsClientAreaOnce)
{
    BaseDadosTeste base(Backend::SQLite);
    OperadorFalso op;
    frmTerminal ecra;
    ecra.setLigacao(&base.bd());
    ecra.setOperador(&op);
    ecra.Mostra();
    QCoreApplication::processEvents();
    ASSERT_TRUE(ecra.EcraCarregado);
    const frmTerminal::Geometria g = frmTerminal::CalculaGeometria(ecra.Largura(), ecra.Altura());
    const auto px = [](const QRect& t) { return Twips::Rect(t.x(), t.y(), t.width(), t.height()); };
    EXPECT_EQ(ecra.PainelUtilizadores->geometry(), px(g.Utilizadores));
    EXPECT_EQ(ecra.PainelObras->geometry(), px(g.Obras));
    EXPECT_EQ(ecra.PainelFuncoes->geometry(), px(g.Funcoes));
    EXPECT_EQ(ecra.PainelOperacoes->geometry(), px(g.Operacoes));
    EXPECT_EQ(ecra.PainelMaquinas->geometry(), px(g.Maquinas));
    EXPECT_EQ(ecra.FrameBase->geometry().bottom(), ecra.height() - 1);
    EXPECT_NEAR(ecra.FrameBase->geometry().center().x(), ecra.width() / 2.0, 1.0);
    EXPECT_EQ(ecra.FrameDataHora->geometry().bottomRight(), QPoint(ecra.width() - 1, ecra.height() - 1));
    EXPECT_NEAR(ecra.PainelInfo->geometry().right(), ecra.FrameBase->x() - Twips::Px(140), 1.0);
    EXPECT_EQ(ecra.PainelFuncoes->textos(), (QStringList{u"Suspender"_s, u"Por Terminar"_s, u"Por Controlar"_s,
                                                         u"Obra Controlada"_s, u"Não Conforme"_s, u"Iniciar Operação"_s,
                                                         u"Lista de Operações"_s, u"Terminar Todas Operações"_s}));

    const QRect antes = ecra.PainelMaquinas->geometry();
    ecra.showNormal();
    ecra.resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(ecra.PainelMaquinas->geometry(), antes);
    EXPECT_TRUE(ecra.windowState() & Qt::WindowFullScreen);
}

TEST(EcraT0Info, LinesShowOnlyWhatHasACodeAndTheDateIsPortugueseWhateverTheLocale)
{
    const QLocale antes;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    frmTerminal ecra;
    QLocale::setDefault(antes);
    ecra.Funcao = u"AC002"_s;
    ecra.DescricaoFuncao = u"Por Terminar"_s;
    ecra.DescricaoOperacao = u"Corte"_s; // no code: not shown
    ecra.MostraInfo();
    EXPECT_EQ(ecra.lbFuncao->text(), u"Função:Por Terminar"_s);
    EXPECT_EQ(ecra.lbOperacao->text(), QString());

    const QDate hoje = QDate::currentDate();
    const QLocale pt(QLocale::Portuguese, QLocale::Portugal);
    if (QDate::currentDate() == hoje) {
        EXPECT_EQ(ecra.lbData->text(), pt.dayName(hoje.dayOfWeek()) + u" %1 de "_s.arg(hoje.day(), 2, 10, QChar(u'0')) +
                                           pt.monthName(hoje.month()) + u"  %1"_s.arg(hoje.year()));
    }
    EXPECT_TRUE(QRegularExpression(u"^\\d\\d:\\d\\d:\\d\\d$"_s).match(ecra.lbHora->text()).hasMatch());
}

} // namespace
