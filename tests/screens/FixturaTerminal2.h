#pragma once

// The ERP terminal on a real database with the ERP stand-in: employees with passwords, orders,
// operations, articles with stock; the screen shown with a scripted operator.
#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTest>

#include "base/PastaPrograma.h"
#include "base/Rotinas.h"
#include "controls/PainelBotoes.h"
#include "controls/okaBotao.h"
#include "controls/ucLogin.h"
#include "dataaccess/CifraSenha.h"
#include "erp/FixturaErp.h"
#include "erp/LigacaoKovaBD.h"
#include "screens/TeclasLeitor.h"
#include "screens/TocarPainel.h"
#include "screens/frmTerminal2.h"
#include "support/BaseDadosTeste.h"
#include "support/OperadorFalso.h"

class FixturaTerminal2 : public TesteBD
{
protected:
    void SetUp() override
    {
        TesteBD::SetUp();
        if (IsSkipped()) return;
        DefinirPastaPrograma(base().pasta());
        using namespace FixturaErp;
        Contador(bd());
        const QString senha = CifraSenha::Cifrar(QStringLiteral("1234"));
        for (const auto& [id, nome] : {std::pair{"F1", "Ana Silva"}, std::pair{"F2", "Bruno Costa"}})
            bd().executar(QStringLiteral("INSERT INTO oka_Funcionarios (FuncId, FuncNome, Senha, Nivel, CustoHora) "
                                         "VALUES (?, ?, ?, 1, '12')"),
                          {QString::fromLatin1(id), QString::fromUtf8(nome), senha});
        bd().executar(QStringLiteral("INSERT INTO oka_Operacoes (OperId, OperNome) VALUES (10, 'Corte')"));
        bd().executar(QStringLiteral("INSERT INTO oka_Operacoes (OperId, OperNome) VALUES (20, 'Soldadura')"));
        Ordem(bd(), QStringLiteral("1001"));
        Ordem(bd(), QStringLiteral("1003"), QStringLiteral("P-78"));
        bd().executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo, SubEstado) VALUES ('1002', 4, 0)"));
        Artigo(bd(), QStringLiteral("A1"), 0, QStringLiteral("M2"), QStringLiteral("F01"), QStringLiteral("Chapa"));
        Artigo(bd(), QStringLiteral("A2"), 0, QStringLiteral("UN"), QStringLiteral("F01"), QStringLiteral("Tubo"));
        Artigo(bd(), QStringLiteral("A3"), 0, QStringLiteral("UN"), QStringLiteral("F02"), QStringLiteral("Parafuso"));
        Artigo(bd(), QStringLiteral("D1"), 1, QStringLiteral("UN"), QStringLiteral("F01"), QStringLiteral("Pintura"));
        Stock(bd(), QStringLiteral("A1"), "10");
        Stock(bd(), QStringLiteral("A2"), "5");
        Stock(bd(), QStringLiteral("A3"), "100");
        mostrar();
    }
    // A new screen on the fixture's database, shown and laid out at 1920 x 1080.
    void mostrar()
    {
        using namespace FixturaErp;
        ecra.reset();
        auto link = std::make_unique<LigacaoKovaBD>();
        link->setModo(2);
        ASSERT_TRUE(link->Ligar(QStringLiteral("."), QString(), QStringLiteral("Demo"), QStringLiteral("u"),
                                QStringLiteral("p")));
        link->setBaseDados(&bd());
        ecra = std::make_unique<frmTerminal2>();
        ecra->setLigacao(&bd());
        // The scripted operator, or the terminal's own touch dialogs.
        if (!dialogosReais) ecra->setOperador(&op);
        ecra->setLigKova(std::move(link));
        ecra->Mostra();
        // Keys typed by the tests come at a person's pace unless a test scans.
        teclas.ligar(ecra->leitorCodigos());
        QCoreApplication::processEvents();
        ASSERT_TRUE(ecra->EcraCarregado);
        // The test screen is the terminal's panel, 1920 x 1080; the window fills it.
        ASSERT_EQ(ecra->geometry(), ecra->screen()->geometry());
    }
    void TearDown() override
    {
        ecra.reset();
        DefinirPastaPrograma(QString());
        TesteBD::TearDown();
    }

    static void tocar(PainelBotoes* painel, const QString& texto) { TocarPainel(painel, texto); }
    // Touches the employee's button, types the password on the control's keyboard and enter.
    void entrar(const QString& nome, const QString& senha = QStringLiteral("1234"))
    {
        tocar(ecra->PainelBotesUtilizadores, nome);
        static const QString ordem = QStringLiteral(" 1234567890_ASDFGHJKLÇZXCVBNMQWERTYUIOP");
        for (QChar c : senha)
            QTest::mouseClick(ecra->ucLogin->btAlfa[std::size_t(ordem.indexOf(c.toUpper()))], Qt::LeftButton);
        QTest::mouseClick(ecra->ucLogin->btAlfa[ucLogin::TeclaEnter], Qt::LeftButton);
    }
    void confirmar() { QTest::mouseClick(ecra->btConfirmar, Qt::LeftButton); }
    bool emIdentificacao() const
    {
        return ecra->ucLogin->isVisible() && ecra->PainelBotesUtilizadores->isVisible() &&
               !ecra->FrameBase->isVisible() && !ecra->PainelObra->isVisible() && !ecra->PainelFuncoes->isVisible() &&
               !ecra->PainelOperacoes->isVisible();
    }
    bool emTrabalho() const
    {
        return !ecra->ucLogin->isVisible() && !ecra->PainelBotesUtilizadores->isVisible() &&
               ecra->FrameBase->isVisible() && ecra->PainelInfo->isVisible() && ecra->PainelObra->isVisible() &&
               ecra->PainelFuncoes->isVisible() && ecra->PainelOperacoes->isVisible();
    }
    qint64 contar(const QString& sql, const QVariantList& valores = {})
    {
        return bd().consultar(sql, valores).primeira().inteiro(0);
    }

    OperadorFalso op;
    TeclasLeitor teclas;
    bool dialogosReais = false;
    std::unique_ptr<frmTerminal2> ecra;
};
