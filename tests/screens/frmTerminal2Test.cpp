// frmTerminal2 walked as an operator would: identification, work panels, Confirmar, Cancel.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "base/PastaPrograma.h"
#include "controls/GrelhaConsumo.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"
#include "controls/oka_input.h"
#include "dataaccess/EsquemaBD.h"
#include "screens/FixturaTerminal2.h"
#include "screens/PainelConsumo.h"
#include "screens/RegistoDiario.h"

class EcraT2 : public FixturaTerminal2
{
};

TEST_P(EcraT2, IdentificationThenLoginShowsTheWorkPanels)
{
    EXPECT_TRUE(emIdentificacao());
    EXPECT_TRUE(ecra->FrameDataHora->isVisible());
    EXPECT_EQ(ecra->PainelBotesUtilizadores->textos(),
              (QStringList{QStringLiteral("Ana Silva"), QStringLiteral("Bruno Costa")}));
    // The login control is centred, the employee buttons fill the space above it.
    EXPECT_EQ(ecra->ucLogin->x(), (ecra->width() - ecra->ucLogin->width()) / 2);
    EXPECT_EQ(ecra->ucLogin->y(), (ecra->height() - ecra->ucLogin->height()) / 2);
    EXPECT_EQ(ecra->PainelBotesUtilizadores->geometry(),
              QRect(ecra->ucLogin->x(), 0, ecra->ucLogin->width(), ecra->ucLogin->y()));

    entrar(QStringLiteral("Ana Silva"), QStringLiteral("999"));
    EXPECT_EQ(ecra->ucLogin->Combo1->currentText(), QStringLiteral("F1-Ana Silva"));
    EXPECT_EQ(op.textos(QStringLiteral("Aviso")), QStringList{QStringLiteral("Palavra passe errada !")});
    EXPECT_TRUE(emIdentificacao());
    // Every refused login is in the daily log (never the password typed).
    ASSERT_EQ(LinhasRegisto(base().pasta()).size(), 1);
    EXPECT_EQ(CamposRegisto(LinhasRegisto(base().pasta())[0]),
              (QStringList{QStringLiteral("Utilizador:F1-Ana Silva"), QString(), QString(), QString(),
                           QStringLiteral("Palavra passe errada !")}));
    EXPECT_FALSE(LinhasRegisto(base().pasta())[0].contains("999"));

    ecra->ucLogin->Reset();
    entrar(QStringLiteral("Ana Silva"));
    EXPECT_TRUE(emTrabalho());
    EXPECT_EQ(ecra->UtilizadorActual, QStringLiteral("F1"));
    EXPECT_EQ(ecra->lbNome->text(), QStringLiteral("Utilizador:Ana Silva"));
    EXPECT_EQ(ecra->PainelObra->textos(),
              (QStringList{QStringLiteral("Obra"), QStringLiteral("Obra 1001"), QStringLiteral("Obra 1003")}));
    EXPECT_EQ(ecra->PainelObra->codigos(),
              (QStringList{QStringLiteral("OB001"), QStringLiteral("1001"), QStringLiteral("1003")}));
    EXPECT_EQ(ecra->PainelFuncoes->textos().last(), QStringLiteral("Consumo de Materiais"));
    EXPECT_EQ(ecra->PainelOperacoes->textos(), (QStringList{QStringLiteral("Corte"), QStringLiteral("Soldadura")}));

    const auto g1920 = frmTerminal2::CalculaGeometria(28800, 16200, 1815);
    EXPECT_EQ(g1920.Obra, QRect(0, 0, 9216, 14265));
    EXPECT_EQ(g1920.Funcoes, QRect(9600, 0, 9216, 14265));
    EXPECT_EQ(g1920.Operacoes, QRect(19200, 0, 9216, 14265));
}

TEST_P(EcraT2, FiveWrongPasswordsLockTheEmployeeAndEveryRefusalIsLogged)
{
    for (int k = 0; k < 5; ++k) {
        ecra->ucLogin->Reset();
        entrar(QStringLiteral("Bruno Costa"), QStringLiteral("12"));
    }
    ecra->ucLogin->Reset();
    entrar(QStringLiteral("Bruno Costa"));
    EXPECT_TRUE(emIdentificacao());
    const QList<QByteArray> linhas = LinhasRegisto(base().pasta());
    ASSERT_EQ(linhas.size(), 6);
    EXPECT_EQ(CamposRegisto(linhas[3]).last(), QStringLiteral("Palavra passe errada !"));
    EXPECT_EQ(CamposRegisto(linhas[4]).last(),
              QStringLiteral("Palavra passe errada ! | O funcionário fica bloqueado durante 30 segundos após 5 "
                             "tentativas erradas seguidas."));
    EXPECT_TRUE(CamposRegisto(linhas[5]).last().startsWith(QStringLiteral(
        "Demasiadas palavras passe erradas seguidas para este funcionário. | Tente de novo dentro de ")));
    for (const QByteArray& l : linhas)
        EXPECT_EQ(CamposRegisto(l).first(), QStringLiteral("Utilizador:F2-Bruno Costa"));
}

TEST_P(EcraT2, StartingAnOperationReturnsToIdentificationARefusalKeepsTheEmployee)
{
    entrar(QStringLiteral("Ana Silva"));
    TocarPainel(ecra->PainelObra, QStringLiteral("Obra 1001"));
    EXPECT_EQ(ecra->lbObra->text(), QStringLiteral("Obra:1001"));
    TocarPainel(ecra->PainelOperacoes, QStringLiteral("Corte"));
    TocarPainel(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
    confirmar();
    EXPECT_TRUE(emIdentificacao());
    EXPECT_EQ(ecra->PainelObra->numeroItens(), 0);
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE NoFo = '1001' AND Func = 'F1' AND "
                                    "Opera = 10 AND Estado = 1 AND (Maquina IS NULL OR Maquina = '')")),
              1);
    EXPECT_EQ(ecra->UtilizadorActual, QStringLiteral("F1"));

    // The same start again is refused: the message, and the employee stays logged in.
    entrar(QStringLiteral("Ana Silva"));
    TocarPainel(ecra->PainelObra, QStringLiteral("Obra 1001"));
    TocarPainel(ecra->PainelOperacoes, QStringLiteral("Corte"));
    TocarPainel(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
    op.dialogos.clear();
    confirmar();
    EXPECT_EQ(op.textos(QStringLiteral("Aviso")),
              QStringList{QStringLiteral("Esta Ordem Fabrico já tem esta operação iniciada por este funcionário !")});
    EXPECT_TRUE(emTrabalho());
    EXPECT_EQ(ecra->lbObra->text(), QString());
    EXPECT_EQ(ecra->lbFuncao->text(), QString());
    EXPECT_EQ(ecra->lbNome->text(), QStringLiteral("Utilizador:Ana Silva"));
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope")), 1);
}

TEST_P(EcraT2, OrderEntryCancelAndConsumptionWithoutOrder)
{
    entrar(QStringLiteral("Bruno Costa"));
    op.numerosDigitados << QStringLiteral("1002");
    TocarPainel(ecra->PainelObra, QStringLiteral("Obra"));
    EXPECT_EQ(op.textos(QStringLiteral("Aviso")), QStringList{QStringLiteral("A Folha de Obra não está em Fabrico !")});
    EXPECT_EQ(ecra->lbObra->text(), QStringLiteral("Obra:1002"));
    op.numerosDigitados << QStringLiteral("4242");
    TocarPainel(ecra->PainelObra, QStringLiteral("Obra"));
    EXPECT_EQ(op.dialogos.last().texto, QStringLiteral("A Folha de Obra indicada não existe !"));
    EXPECT_EQ(op.dialogos.last().imagem, 0);
    EXPECT_EQ(ecra->lbObra->text(), QString());

    // AC008 with no order: the message, still at work, no panel.
    TocarPainel(ecra->PainelFuncoes, QStringLiteral("Consumo de Materiais"));
    confirmar();
    EXPECT_EQ(op.dialogos.last().texto, QStringLiteral("Deve Indicar a Obra"));
    EXPECT_EQ(op.dialogos.last().imagem, 2);
    EXPECT_TRUE(emTrabalho());
    EXPECT_FALSE(ecra->PainelDonsumo->isVisible());
    // Logged with its refusal.
    EXPECT_EQ(
        CamposRegisto(LinhasRegisto(base().pasta()).last()),
        (QStringList{QStringLiteral("Utilizador:Bruno Costa"), QString(), QStringLiteral("Função:Consumo de Materiais"),
                     QString(), QStringLiteral("Deve Indicar a Obra")}));

    // Cancel in the work state (still logged in after the refusal) logs out and empties the panels.
    TocarPainel(ecra->PainelObra, QStringLiteral("Obra 1001"));
    QTest::mouseClick(ecra->btCancelar, Qt::LeftButton);
    EXPECT_TRUE(emIdentificacao());
    EXPECT_EQ(ecra->PainelFuncoes->numeroItens(), 0);
    EXPECT_EQ(ecra->lbObra->text(), QString());
    EXPECT_EQ(ecra->UtilizadorActual, QStringLiteral("F2"));
}

// The employees cannot be read at start: the identification state shows an empty list until the
// clock finds the database answering again; a work panel whose list fails at login is loaded the
// same way, and the others are there at once.
TEST_P(EcraT2, PanelsThatFailedToLoadAreLoadedAgainByTheClock)
{
    bd().executar(QStringLiteral("ALTER TABLE oka_Funcionarios RENAME TO oka_Func_Fora"));
    op.dialogos.clear();
    mostrar();
    ecra->IntervaloRecarga = 0;
    EXPECT_TRUE(emIdentificacao());
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")).size(), 1);
    EXPECT_EQ(ecra->PainelBotesUtilizadores->numeroItens(), 0);
    EXPECT_EQ(ecra->ucLogin->Combo1->count(), 0);
    ecra->Timer1_Timer();
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")).size(), 1);
    bd().executar(QStringLiteral("ALTER TABLE oka_Func_Fora RENAME TO oka_Funcionarios"));
    ecra->Timer1_Timer();
    EXPECT_EQ(ecra->PainelBotesUtilizadores->textos(),
              (QStringList{QStringLiteral("Ana Silva"), QStringLiteral("Bruno Costa")}));
    EXPECT_EQ(ecra->ucLogin->Combo1->count(), 2);

    bd().executar(QStringLiteral("ALTER TABLE oka_Operacoes RENAME TO oka_Oper_Fora"));
    entrar(QStringLiteral("Ana Silva"));
    EXPECT_TRUE(emTrabalho());
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")).size(), 2);
    EXPECT_EQ(ecra->PainelObra->numeroItens(), 3);
    EXPECT_EQ(ecra->PainelFuncoes->numeroItens(), 7);
    EXPECT_EQ(ecra->PainelOperacoes->numeroItens(), 0);
    bd().executar(QStringLiteral("ALTER TABLE oka_Oper_Fora RENAME TO oka_Operacoes"));
    ecra->Timer1_Timer();
    EXPECT_EQ(ecra->PainelOperacoes->textos(), (QStringList{QStringLiteral("Corte"), QStringLiteral("Soldadura")}));
}

namespace {
// The stand-in, noting when it is disconnected.
class LigacaoEspiao : public LigacaoKovaBD
{
public:
    explicit LigacaoEspiao(bool& desligado) : m_desligado(desligado) {}
    void Desligar() override
    {
        m_desligado = true;
        LigacaoKovaBD::Desligar();
    }

private:
    bool& m_desligado;
};
} // namespace

TEST_P(EcraT2, SairClosesTheScreenTeardownDisconnectsTheErpLink)
{
    bool desligado = false;
    ecra->setLigKova(std::make_unique<LigacaoEspiao>(desligado));
    // The login control's "Sair" closes the screen.
    QTest::mouseClick(ecra->ucLogin->btAlfa[ucLogin::TeclaSair], Qt::LeftButton);
    EXPECT_FALSE(ecra->isVisible());
    EXPECT_FALSE(desligado);
    ecra.reset();
    EXPECT_TRUE(desligado);
}

INSTANCIAR_BACKENDS(EcraT2);
