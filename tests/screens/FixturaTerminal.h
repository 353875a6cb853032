#pragma once

// The terminals on a test database: the screen shown with a scripted operator (or the terminal's
// own dialogs), its scan detector on the test's clock.
#include <memory>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "base/PastaPrograma.h"
#include "controls/PainelBotoes.h"
#include "controls/okaBotao.h"
#include "screens/TeclasLeitor.h"
#include "screens/TocarPainel.h"
#include "screens/frmTerminal.h"
#include "support/BaseDadosTeste.h"
#include "support/OperadorFalso.h"

// `ecra`, a screen of type Ecra on the test's database, and what drives it.
template <class Ecra> class FixturaEcra : public TesteBD
{
protected:
    void TearDown() override
    {
        ecra.reset();
        DefinirPastaPrograma(QString());
        TesteBD::TearDown();
    }
    // A new screen on `ligacao`, shown and loaded; the window fills the test screen.
    void mostrarEm(LigacaoDados& ligacao)
    {
        ecra.reset();
        ecra = std::make_unique<Ecra>();
        ecra->setLigacao(&ligacao);
        if (!dialogosReais) ecra->setOperador(&op);
        preparar(*ecra);
        if (HasFatalFailure()) return;
        ecra->Mostra();
        // Keys typed by the tests come at a person's pace unless a test scans.
        teclas.ligar(ecra->leitorCodigos());
        QCoreApplication::processEvents();
        ASSERT_TRUE(ecra->EcraCarregado);
        ASSERT_EQ(ecra->geometry(), ecra->screen()->geometry());
    }
    // A new screen on the test's database.
    virtual void mostrar() { mostrarEm(bd()); }
    // What the screen needs before it is shown.
    virtual void preparar(Ecra&) {}

    static void tocar(PainelBotoes* painel, const QString& texto) { TocarPainel(painel, texto); }
    void confirmar() { QTest::mouseClick(ecra->btConfirmar, Qt::LeftButton); }
    // A scan of `codigo`.
    void ler(const QString& codigo, Qt::Key fim = Qt::Key_Return) { teclas.ler(ecra.get(), codigo, fim); }
    // The information lines: employee, order, function, operation, machine.
    QStringList info() const
    {
        return {ecra->lbNome->text(), ecra->lbObra->text(), ecra->lbFuncao->text(), ecra->lbOperacao->text(),
                ecra->lbMaquina->text()};
    }

    OperadorFalso op;
    TeclasLeitor teclas;
    bool dialogosReais = false;
    std::unique_ptr<Ecra> ecra;
};

// The shop floor's rows: employees F1 "Ana Silva" and F2 "Bruno Costa", operations 10 "Corte" and
// 20 "Soldadura", machines M1 "Serra" and M2 "Prensa", order 1001 in production and 1002 not, one
// reason for suspending.
inline void DadosTerminal(LigacaoDados& bd)
{
    bd.executar(QStringLiteral("INSERT INTO oka_Contador (Id, CI) VALUES (1, 5)"));
    for (const auto& [id, nome] : {std::pair{"F1", "Ana Silva"}, std::pair{"F2", "Bruno Costa"}})
        bd.executar(QStringLiteral("INSERT INTO oka_Funcionarios (FuncId, FuncNome, Nivel, CustoHora) "
                                   "VALUES (?, ?, 0, '12')"),
                    {QString::fromLatin1(id), QString::fromUtf8(nome)});
    bd.executar(QStringLiteral("INSERT INTO oka_Operacoes (OperId, OperNome) VALUES (10, 'Corte')"));
    bd.executar(QStringLiteral("INSERT INTO oka_Operacoes (OperId, OperNome) VALUES (20, 'Soldadura')"));
    bd.executar(QStringLiteral("INSERT INTO oka_Maquinas (MaqId, MaqNome, CustoHora) VALUES ('M1', 'Serra', '20')"));
    bd.executar(QStringLiteral("INSERT INTO oka_Maquinas (MaqId, MaqNome, CustoHora) VALUES ('M2', 'Prensa', '8')"));
    bd.executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo, SubEstado) VALUES ('1001', 1, 0)"));
    bd.executar(QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo, SubEstado) VALUES ('1002', 4, 0)"));
    bd.executar(QStringLiteral("INSERT INTO oka_Motivos (codigo, Motivo) VALUES ('R1', 'Falta de material')"));
}

// The shop-floor terminal on the rows above (and those `dados` adds), shown.
class FixturaTerminal : public FixturaEcra<frmTerminal>
{
protected:
    void SetUp() override
    {
        TesteBD::SetUp();
        if (IsSkipped()) return;
        DefinirPastaPrograma(base().pasta());
        DadosTerminal(bd());
        dados();
        mostrar();
    }
    virtual void dados() {}
};
