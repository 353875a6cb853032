// Both terminals fed key bursts at a scanner's pace and at a person's: a scan selects what the
// matching touch selects, through the same checks; what it cannot select is refused with a
// message and a daily-log line, and nothing changes.
#include <memory>

#include <QDialog>
#include <QTimer>

#include "controls/GrelhaConsumo.h"
#include "controls/oka_input.h"
#include "screens/FixturaTerminal2.h"
#include "screens/PainelConsumo.h"
#include "screens/RegistoDiario.h"

namespace {

// The captions of the marked buttons of a panel.
QStringList Marcados(const PainelBotoes* painel)
{
    QStringList r;
    for (const QString& c : painel->seleccionados()) {
        const qsizetype i = painel->codigos().indexOf(c);
        if (i >= 0) r << painel->textos()[i];
    }
    return r;
}

// A list as a failure shows it.
std::string S(const QStringList& l)
{
    return l.join(QStringLiteral(" | ")).toStdString();
}

// The fields of the daily log's lines (captions and message).
QList<QStringList> Registo(const QString& pasta)
{
    QList<QStringList> r;
    for (const QByteArray& l : LinhasRegisto(pasta))
        r << CamposRegisto(l);
    return r;
}

} // namespace

class LeituraT0 : public FixturaTerminal
{
protected:
    // An operation with no name: on file, but not one the terminal registers.
    void dados() override
    {
        bd().executar(QStringLiteral("INSERT INTO oka_Operacoes (OperId, OperNome) VALUES (5, NULL)"));
    }
};

TEST_P(LeituraT0, ScansSelectAsTouchesDoAndAPersonsTypingDoesNot)
{
    // A person typing a badge's text on a keyboard: nothing is read.
    teclas.teclar(ecra.get(), QStringLiteral("FUF1"), TeclasLeitor::Pessoa);
    EXPECT_EQ(info(), QStringList(5));

    ler(QStringLiteral("FUF1"));
    ler(QStringLiteral("ob1001")); // prefixes in small letters (Caps Lock on)
    ler(QStringLiteral("OP10"));
    ler(QStringLiteral("MQM1"), Qt::Key_Tab);
    EXPECT_EQ(info(), (QStringList{QStringLiteral("Utilizador:Ana Silva"), QStringLiteral("Obra:1001"), QString(),
                                   QStringLiteral("Operação:Corte"), QStringLiteral("Maquina:Serra")}));
    EXPECT_EQ(ecra->Utilizador, QStringLiteral("F1"));
    // Marked as a touch marks them: the employee, "Obra", the operation and the machine.
    EXPECT_EQ(Marcados(ecra->PainelUtilizadores), QStringList{QStringLiteral("Ana Silva")});
    EXPECT_EQ(Marcados(ecra->PainelObras), QStringList{QStringLiteral("Obra")});
    EXPECT_EQ(Marcados(ecra->PainelOperacoes), QStringList{QStringLiteral("Corte")});
    EXPECT_EQ(Marcados(ecra->PainelMaquinas), QStringList{QStringLiteral("Serra")});
    EXPECT_TRUE(op.dialogos.isEmpty());

    // A second badge replaces the first; an order that is not in production is reported and
    // kept, as on the keypad.
    ler(QStringLiteral("FUF2"));
    ler(QStringLiteral("OB1002"));
    EXPECT_EQ(ecra->lbNome->text(), QStringLiteral("Utilizador:Bruno Costa"));
    EXPECT_EQ(op.textos(QStringLiteral("Aviso")), QStringList{QStringLiteral("A Folha de Obra não está em Fabrico !")});
    EXPECT_EQ(ecra->lbObra->text(), QStringLiteral("Obra:1002"));
    ler(QStringLiteral("OB1001"));

    // What was scanned is what Confirmar starts.
    tocar(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
    confirmar();
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE NoFo = '1001' AND Func = 'F2' AND "
                                    "Opera = 10 AND Maquina = 'M1' AND Estado = 1")),
              1);
    // Only the confirmation is in the log: a scan that selects writes nothing.
    EXPECT_EQ(LinhasRegisto(base().pasta()).size(), 1);
}

TEST_P(LeituraT0, RefusedScansAreShownAndLoggedAndChangeNothing)
{
    TocarPainel(ecra->PainelUtilizadores, QStringLiteral("Ana Silva"));
    op.numerosDigitados << QStringLiteral("1001");
    TocarPainel(ecra->PainelObras, QStringLiteral("Obra"));
    TocarPainel(ecra->PainelOperacoes, QStringLiteral("Corte"));
    const QStringList antes = info();
    op.dialogos.clear();

    const QList<std::pair<QString, QString>> casos{
        {QStringLiteral("XY123"), QStringLiteral("O código lido \"XY123\" não é de nenhum tipo conhecido: os códigos "
                                                 "começam por FU (funcionário), OB (obra), OP (operação), MQ "
                                                 "(máquina) ou AR (artigo).")},
        {QStringLiteral("FUF9"), QStringLiteral("O funcionário F9 não existe (código lido \"FUF9\").")},
        {QStringLiteral("OP99"), QStringLiteral("A operação 99 não existe (código lido \"OP99\").")},
        {QStringLiteral("OPX1"), QStringLiteral("A operação X1 não existe (código lido \"OPX1\").")},
        {QStringLiteral("OP5"),
         QStringLiteral("A operação 5 não tem nome e não se regista no terminal (código lido \"OP5\").")},
        {QStringLiteral("MQM9"), QStringLiteral("A máquina M9 não existe (código lido \"MQM9\").")},
        {QStringLiteral("ARA1"), QStringLiteral("Este terminal não regista consumos de materiais: o código de artigo "
                                                "lido \"ARA1\" não serve aqui.")},
    };
    for (const auto& [codigo, mensagem] : casos) {
        SCOPED_TRACE(codigo.toStdString());
        op.dialogos.clear();
        ler(codigo);
        ASSERT_EQ(op.dialogos.size(), 1);
        EXPECT_EQ(op.dialogos[0].tipo, QStringLiteral("Aviso"));
        EXPECT_EQ(op.dialogos[0].texto, mensagem);
        EXPECT_EQ(op.dialogos[0].imagem, 2);
        EXPECT_EQ(S(info()), S(antes));
        EXPECT_EQ(S(Registo(base().pasta()).last()), S({antes[0], antes[1], antes[2], antes[4], mensagem}));
    }

    // An order that does not exist: the keypad's own message; the order chosen stays (the
    // keypad empties it, a scan changes nothing).
    op.dialogos.clear();
    ler(QStringLiteral("OB9999"));
    ASSERT_EQ(op.dialogos.size(), 1);
    EXPECT_EQ(op.dialogos[0].texto, QStringLiteral("A Folha de Obra indicada não existe !"));
    EXPECT_EQ(op.dialogos[0].imagem, 0);
    EXPECT_EQ(op.dialogos[0].altura, 3345);
    EXPECT_EQ(S(info()), S(antes));
    EXPECT_EQ(Registo(base().pasta()).last().last(),
              QStringLiteral("A Folha de Obra indicada não existe ! (código lido \"OB9999\")"));

    // While a dialog is open (here a plain one), a scan is not used, and says so.
    op.dialogos.clear();
    QDialog janela(ecra.get());
    QTimer::singleShot(0, &janela, [&] {
        ler(QStringLiteral("FUF2"));
        janela.reject();
    });
    janela.exec();
    EXPECT_EQ(op.textos(QStringLiteral("Aviso")),
              QStringList{QStringLiteral("O código \"FUF2\" foi lido com uma janela aberta e não foi usado: feche a "
                                         "janela e leia o código de novo.")});
    EXPECT_EQ(S(info()), S(antes));
    EXPECT_EQ(Registo(base().pasta()).size(), int(casos.size()) + 2);
}

INSTANCIAR_BACKENDS(LeituraT0);

class LeituraT2 : public FixturaTerminal2
{
};

TEST_P(LeituraT2, ABadgeScanPicksTheEmployeeAndThePasswordLogsIn)
{
    QApplication::setActiveWindow(ecra.get());
    ecra->ucLogin->Combo1->setFocus();
    // Nothing but a badge is read before someone is identified.
    ler(QStringLiteral("OB1001"));
    EXPECT_EQ(op.textos(QStringLiteral("Aviso")),
              QStringList{QStringLiteral(
                  "Identifique-se primeiro, com o seu cartão ou tocando no seu nome (código lido \"OB1001\").")});
    EXPECT_EQ(ecra->ucLogin->Combo1->currentText(), QString());

    op.dialogos.clear();
    ler(QStringLiteral("FUF2"));
    EXPECT_EQ(ecra->ucLogin->Combo1->currentText(), QStringLiteral("F2-Bruno Costa"));
    EXPECT_EQ(Marcados(ecra->PainelBotesUtilizadores), QStringList{QStringLiteral("Bruno Costa")});
    EXPECT_TRUE(ecra->ucLogin->Text1->hasFocus());
    // A badge never logs in alone.
    EXPECT_TRUE(emIdentificacao());
    EXPECT_TRUE(op.dialogos.isEmpty());

    // A password typed as fast as a scanner types is not taken, nor shown, nor logged.
    ler(QStringLiteral("1234"));
    EXPECT_EQ(op.textos(QStringLiteral("Aviso")),
              QStringList{QStringLiteral("A leitura no campo da palavra passe não foi usada: aqui só se lê o cartão de "
                                         "funcionário, e a palavra passe escreve-se no teclado.")});
    EXPECT_EQ(ecra->ucLogin->Text1->text(), QString());
    EXPECT_TRUE(emIdentificacao());
    for (const QByteArray& l : LinhasRegisto(base().pasta()))
        EXPECT_FALSE(l.contains("1234")) << l.toStdString();

    // Typed by a person on the keyboard, with Enter: logged in.
    teclas.teclar(ecra.get(), QStringLiteral("1234"), TeclasLeitor::Pessoa);
    EXPECT_TRUE(emTrabalho());
    EXPECT_EQ(ecra->UtilizadorActual, QStringLiteral("F2"));
    EXPECT_EQ(ecra->lbNome->text(), QStringLiteral("Utilizador:Bruno Costa"));
}

TEST_P(LeituraT2, OrdersAndOperationsAreScannedAtWorkAndTheRestRefused)
{
    entrar(QStringLiteral("Ana Silva"));
    ASSERT_TRUE(emTrabalho());
    ler(QStringLiteral("OB1003"));
    ler(QStringLiteral("OP20"));
    EXPECT_EQ(info(), (QStringList{QStringLiteral("Utilizador:Ana Silva"), QStringLiteral("Obra:1003"), QString(),
                                   QStringLiteral("Operação:Soldadura"), QString()}));
    EXPECT_EQ(Marcados(ecra->PainelObra), QStringList{QStringLiteral("Obra 1003")});
    EXPECT_EQ(Marcados(ecra->PainelOperacoes), QStringList{QStringLiteral("Soldadura")});
    EXPECT_TRUE(op.dialogos.isEmpty());

    // Orders are checked as on the keypad (an order button is trusted, a scan is not).
    ler(QStringLiteral("OB1002"));
    EXPECT_EQ(op.textos(QStringLiteral("Aviso")), QStringList{QStringLiteral("A Folha de Obra não está em Fabrico !")});
    EXPECT_EQ(ecra->lbObra->text(), QStringLiteral("Obra:1002"));
    EXPECT_EQ(Marcados(ecra->PainelObra), QStringList{QStringLiteral("Obra")});

    const QStringList antes = info();
    for (const auto& [codigo, mensagem] : QList<std::pair<QString, QString>>{
             {QStringLiteral("FUF2"), QStringLiteral("Já está um funcionário identificado: toque em Cancelar antes de "
                                                     "ler outro cartão (código lido \"FUF2\").")},
             {QStringLiteral("MQM1"), QStringLiteral("Este terminal não regista máquinas: o código de máquina lido "
                                                     "\"MQM1\" não serve aqui.")},
             {QStringLiteral("ARA1"),
              QStringLiteral("Os códigos de artigo só se lêem no Consumo de Materiais (código lido \"ARA1\").")}}) {
        SCOPED_TRACE(codigo.toStdString());
        op.dialogos.clear();
        ler(codigo);
        EXPECT_EQ(S(op.textos(QStringLiteral("Aviso"))), S({mensagem}));
        EXPECT_EQ(S(info()), S(antes));
        EXPECT_EQ(S(Registo(base().pasta()).last()), S({antes[0], antes[1], antes[2], antes[4], mensagem}));
    }
    EXPECT_TRUE(emTrabalho());
}

TEST_P(LeituraT2, TheConsumptionPanelFillsTheArticleFromAScan)
{
    entrar(QStringLiteral("Ana Silva"));
    TocarPainel(ecra->PainelObra, QStringLiteral("Obra 1001"));
    TocarPainel(ecra->PainelFuncoes, QStringLiteral("Consumo de Materiais"));
    confirmar();
    PainelConsumo* p = ecra->PainelDonsumo;
    ASSERT_TRUE(p->isVisible());
    QApplication::setActiveWindow(ecra.get());
    oka_input* codigo = p->Campo[PainelConsumo::CodArtigo];
    ASSERT_TRUE(codigo->hasFocus());

    // Ended by Tab, as by Enter: the field is filled and validated as from the list.
    ler(QStringLiteral("ARA2"), Qt::Key_Tab);
    EXPECT_EQ(codigo->text(), QStringLiteral("A2"));
    EXPECT_EQ(p->Campo[PainelConsumo::Descricao]->text(), QStringLiteral("Tubo"));
    EXPECT_EQ(p->lbUnidade->text(), QStringLiteral("Unidade Base:UN"));
    EXPECT_TRUE(codigo->hasFocus());
    EXPECT_TRUE(op.dialogos.isEmpty());

    // An article that cannot be moved: the validation's message, and the fields stay.
    for (const auto& [lido, mensagem] : QList<std::pair<QString, QString>>{
             {QStringLiteral("ARXX"), QStringLiteral("O Artigo indicado não existe !")},
             {QStringLiteral("ARD1"), QStringLiteral("Não é possivel movimentar descritores no terminal !")}}) {
        op.dialogos.clear();
        ler(lido);
        EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")), QStringList{mensagem});
        EXPECT_EQ(codigo->text(), QStringLiteral("A2"));
        EXPECT_EQ(p->Campo[PainelConsumo::Descricao]->text(), QStringLiteral("Tubo"));
        EXPECT_EQ(Registo(base().pasta()).last().last(), mensagem + QStringLiteral(" (código lido \"%1\")").arg(lido));
    }
    op.dialogos.clear();
    ler(QStringLiteral("OB1003"));
    EXPECT_EQ(
        op.textos(QStringLiteral("Aviso")),
        QStringList{QStringLiteral("No Consumo de Materiais só se lêem códigos de artigo (código lido \"OB1003\").")});
    EXPECT_EQ(p->ObraConsumo(), QStringLiteral("1001"));

    // The scanned article is added like a chosen one.
    p->Campo[PainelConsumo::Quantidade]->setText(QStringLiteral("2"));
    QTest::mouseClick(p->btAdd, Qt::LeftButton);
    ASSERT_EQ(p->CMGRmat->Linhas(), 1);
    EXPECT_EQ(p->CMGRmat->Texto(0, GrelhaConsumo::Artigo), QStringLiteral("A2"));
    EXPECT_EQ(p->CMGRmat->Texto(0, GrelhaConsumo::Descricao), QStringLiteral("Tubo"));
}

INSTANCIAR_BACKENDS(LeituraT2);
