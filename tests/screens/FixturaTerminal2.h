#pragma once

// The ERP terminal on a real database with the ERP stand-in: employees with passwords, orders,
// operations, articles with stock; the screen shown with a scripted operator.
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "base/Rotinas.h"
#include "controls/ucLogin.h"
#include "dataaccess/CifraSenha.h"
#include "erp/FixturaErp.h"
#include "erp/LigacaoKovaBD.h"
#include "screens/FixturaTerminal.h"
#include "screens/ToqueReal.h"
#include "screens/frmTerminal2.h"

class FixturaTerminal2 : public FixturaEcra<frmTerminal2>
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
    // The ERP stand-in on the fixture's database.
    void preparar(frmTerminal2& e) override
    {
        auto link = std::make_unique<LigacaoKovaBD>();
        link->setModo(2);
        ASSERT_TRUE(link->Ligar(QStringLiteral("."), QString(), QStringLiteral("Demo"), QStringLiteral("u"),
                                QStringLiteral("p")));
        link->setBaseDados(&bd());
        e.setLigKova(std::move(link));
    }

    // Touches the employee's button, types the password on the control's keyboard and enter.
    void entrar(const QString& nome, const QString& senha = QStringLiteral("1234"))
    {
        TocarBotao(ecra->PainelBotesUtilizadores, nome);
        EscreverLogin(ecra->ucLogin, senha);
    }
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
};
