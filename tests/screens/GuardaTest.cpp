// A guarded terminal: Sair asks first when "Confirmar Sair" is on, and the settings open only
// with a supervisor's password. Real screens, the terminal's own dialogs, real touches.
#include <memory>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "base/PastaPrograma.h"
#include "controls/AjudaModal.h"
#include "controls/ConferirDialogo.h"
#include "controls/PainelBotoes.h"
#include "controls/TituloDialogo.h"
#include "controls/Twips.h"
#include "controls/frmAviso.h"
#include "controls/frmSupervisor.h"
#include "controls/frmTecladoAlfa.h"
#include "controls/okaBotao.h"
#include "controls/ucLogin.h"
#include "dataaccess/CifraSenha.h"
#include "dataaccess/LeitorConfiguracao.h"
#include "screens/ConferirEcra.h"
#include "screens/RegistoDiario.h"
#include "screens/ToqueReal.h"
#include "screens/frmDefinicoesBD.h"
#include "screens/frmDefinicoesKova.h"
#include "screens/frmTerminal.h"
#include "screens/frmTerminal2.h"
#include "support/BaseDadosTeste.h"
#include "support/OperadorFalso.h"

namespace {

// Counts the windows of type T shown while it lives, closing each at once: a dialog that must
// not open is noticed without leaving a wait behind for a later one.
template <class T> class Vigia : public QObject
{
public:
    Vigia() { qApp->installEventFilter(this); }
    ~Vigia() override { qApp->removeEventFilter(this); }
    int vezes = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show)
            if (auto* d = qobject_cast<T*>(o)) {
                ++vezes;
                QTimer::singleShot(0, d, &QDialog::reject);
            }
        return false;
    }
};

class Guarda : public ::testing::Test
{
protected:
    void SetUp() override
    {
        base = std::make_unique<BaseDadosTeste>(Backend::SQLite);
        DefinirPastaPrograma(base->pasta());
        LigacaoDados& bd = base->bd();
        bd.executar(QStringLiteral("INSERT INTO oka_Contador (Id, CI) VALUES (1, 5)"));
        for (const auto& [id, nome, senha, nivel] :
             {std::tuple{"F1", "Ana Silva", "1234", 0}, std::tuple{"F5", "Rui Encarregado", "1234", 5},
              std::tuple{"F9", "Sara Chefe", "CHEFE9", 9}})
            bd.executar(QStringLiteral("INSERT INTO oka_Funcionarios (FuncId, FuncNome, Senha, Nivel, CustoHora) "
                                       "VALUES (?, ?, ?, ?, '12')"),
                        {QString::fromLatin1(id), QString::fromUtf8(nome),
                         CifraSenha::Cifrar(QString::fromLatin1(senha)), nivel});
        QFile f(QDir(base->pasta()).filePath(QStringLiteral("Terminal_Obras.oka")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Ligação]\r\nTipo de Terminal=1\r\n[Base de Dados]\r\nDriver=SQLite\r\nBase de Dados=t.db\r\n");
    }
    void TearDown() override
    {
        ecra.reset();
        DefinirPastaPrograma(QString());
    }

    // A screen with the terminal's own dialogs (or `op` when `falso`), shown full screen.
    template <class Ecra> Ecra* mostrar(bool confirmarSair, bool falso = false)
    {
        ecra.reset();
        auto e = std::make_unique<Ecra>();
        e->setLigacao(&base->bd());
        if (falso) e->setOperador(&op);
        DefinicoesEcra d;
        d.ConfirmarSair = confirmarSair;
        e->setDefinicoesEcra(d);
        e->Mostra();
        QCoreApplication::processEvents();
        Ecra* r = e.get();
        ecra = std::move(e);
        return r;
    }
    // Answers the exit question with `sim`, checking it is the question meant.
    static void responderSair(bool sim)
    {
        QuandoModal<frmAviso>([sim](frmAviso* f) {
            EXPECT_EQ(f->mensagem(), QStringLiteral("Sair do terminal?"));
            EXPECT_NE(f->ModoAviso, 0);
            Tocar(sim ? f->btConf() : f->btCancelar());
        });
    }
    // Pops the configuration menu up with Configurar and touches `accao` in it.
    void tocarMenu(QAction* accao)
    {
        Tocar(ecra->btConfigurar);
        QMenu* menu = ecra->Menu;
        ASSERT_TRUE(menu->isVisible());
        // Its entries are touched like the panel buttons, and about as high.
        EXPECT_GE(menu->actionGeometry(accao).height(), Twips::Px(PainelBotoes::AlturaBotao) * 9 / 10);
        QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {}, menu->actionGeometry(accao).center());
    }
    // In the supervisor dialog: `nome` touched, `senha` typed; the refusal that follows answered.
    static void tentar(frmSupervisor* f, const QString& nome, const QString& senha, const QString& recusa)
    {
        TocarBotao(f->PainelFuncionarios, nome);
        if (!recusa.isEmpty())
            QuandoModal<frmAviso>([recusa](frmAviso* a) {
                EXPECT_TRUE(a->mensagem().contains(recusa)) << a->mensagem().toStdString();
                Tocar(a->btSair());
            });
        EscreverLogin(f->Login, senha);
    }
    QStringList registos() const
    {
        QStringList r;
        for (const QByteArray& l : LinhasRegisto(base->pasta()))
            r << CamposRegisto(l).join(u'|');
        return r;
    }

    std::unique_ptr<BaseDadosTeste> base;
    std::unique_ptr<EcraTerminal> ecra;
    OperadorFalso op;
};

TEST_F(Guarda, SairAsksWhenConfirmarSairIsOnAndClosesAtOnceWithout)
{
    // Without the setting every exit closes at once, as before.
    auto* t0 = mostrar<frmTerminal>(false, true);
    Tocar(t0->btSair);
    EXPECT_FALSE(t0->isVisible());
    EXPECT_TRUE(op.dialogos.isEmpty());

    // With it: declined, the terminal goes on; accepted, it closes. The button and the menu.
    t0 = mostrar<frmTerminal>(true);
    responderSair(false);
    Tocar(t0->btSair);
    EXPECT_TRUE(t0->isVisible());
    responderSair(false);
    tocarMenu(t0->Menu_exit);
    EXPECT_TRUE(t0->isVisible());
    responderSair(true);
    Tocar(t0->btSair);
    EXPECT_FALSE(t0->isVisible());

    // The ERP terminal: the login control's Sair and the menu's, then Sair accepted.
    auto* t2 = mostrar<frmTerminal2>(true);
    responderSair(false);
    Tocar(t2->ucLogin->btAlfa[ucLogin::TeclaSair]);
    EXPECT_TRUE(t2->isVisible());
    responderSair(false);
    tocarMenu(t2->Menu_exit);
    EXPECT_TRUE(t2->isVisible());
    responderSair(true);
    Tocar(t2->ucLogin->btAlfa[ucLogin::TeclaSair]);
    EXPECT_FALSE(t2->isVisible());
}

// Configurar's database settings: refused for an employee below the supervisor level and for a
// wrong password, each refusal shown and logged; opened with a supervisor's password, in a
// dialog inside the screen whose fields are typed on the on-screen keyboard.
TEST_F(Guarda, DatabaseSettingsOpenOnlyWithASupervisorPassword)
{
    auto* t0 = mostrar<frmTerminal>(false);
    QuandoModal<frmSupervisor>([&](frmSupervisor* f) {
        ConferirTituloEMoldura(f, QStringLiteral("Ligação ao Servidor SQL: palavra passe do supervisor"));
        EXPECT_TRUE(f->screen()->geometry().contains(f->frameGeometry()));
        ConferirBotoesInteiros<QPushButton>(f);
        tentar(f, QStringLiteral("Rui Encarregado"), QStringLiteral("1234"),
               QStringLiteral("Rui Encarregado não tem nível de supervisor (nível 5)"));
        tentar(f, QStringLiteral("Sara Chefe"), QStringLiteral("CHEFE8"), QStringLiteral("Palavra passe errada !"));
        EXPECT_TRUE(f->isVisible());
        Tocar(f->findChild<TituloDialogo*>()->botao());
    });
    {
        Vigia<frmDefinicoesBD> vigia;
        tocarMenu(t0->Menu_SQL);
        EXPECT_EQ(vigia.vezes, 0);
    }
    EXPECT_EQ(registos(),
              (QStringList{QStringLiteral("Utilizador:F5-Rui Encarregado||Função:Ligação ao Servidor SQL||"
                                          "Rui Encarregado não tem nível de supervisor (nível 5). | As definições só "
                                          "abrem com a palavra passe de um funcionário de nível 9 ou superior."),
                           QStringLiteral("Utilizador:F9-Sara Chefe||Função:Ligação ao Servidor SQL||"
                                          "Palavra passe errada !")}));

    // The supervisor's password: the dialog opens, centred, whole; its fields by keyboard.
    QuandoModal<frmSupervisor>([&](frmSupervisor* f) { tentar(f, QStringLiteral("Sara Chefe"), "chefe9", {}); });
    bool abriu = false;
    QuandoModal<frmDefinicoesBD>([&](frmDefinicoesBD* d) {
        abriu = true;
        ConferirTituloEMoldura(d, QStringLiteral("Ligação ao Servidor SQL"));
        const QRect ecraRect = d->screen()->geometry();
        EXPECT_TRUE(ecraRect.contains(d->frameGeometry()));
        EXPECT_NEAR(d->frameGeometry().center().x(), ecraRect.center().x(), 2);
        ConferirBotoesInteiros<QPushButton>(d);
        // The SQLite file, typed on from where it stands.
        QuandoModal<frmTecladoAlfa>([](frmTecladoAlfa* k) {
            EXPECT_EQ(k->windowTitle(), QStringLiteral("Ficheiro"));
            Tocar(k->tecla(QStringLiteral("X")));
            Tocar(k->tecla(QStringLiteral("enter")));
        });
        Tocar(d->txtBaseDados);
        EXPECT_EQ(d->txtBaseDados->text(), QStringLiteral("t.dbX"));
        d->cbDriver->setCurrentText(QStringLiteral("PostgreSQL"));
        QuandoModal<frmTecladoAlfa>([](frmTecladoAlfa* k) {
            EXPECT_EQ(k->windowTitle(), QStringLiteral("Servidor"));
            for (const char* t : {"D", "B", ".", "minusculas", "L", "A", "N"})
                Tocar(k->tecla(QString::fromLatin1(t)));
            Tocar(k->tecla(QStringLiteral("enter")));
        });
        Tocar(d->txtServidor);
        EXPECT_EQ(d->txtServidor->text(), QStringLiteral("DB.lan"));
        QuandoModal<frmTecladoAlfa>([](frmTecladoAlfa* k) {
            EXPECT_EQ(k->visor()->echoMode(), QLineEdit::Password);
            for (const char* t : {"minusculas", "S", "9", "enter"})
                Tocar(k->tecla(QString::fromLatin1(t)));
        });
        Tocar(d->txtPassword);
        EXPECT_EQ(d->txtPassword->text(), QStringLiteral("s9"));
        Tocar(d->btCancelar);
    });
    tocarMenu(t0->Menu_SQL);
    EXPECT_TRUE(abriu);
    EXPECT_EQ(registos().value(2), QStringLiteral("Utilizador:F9-Sara Chefe||Função:Ligação ao Servidor SQL||"
                                                  "Definições abertas com a palavra passe do supervisor."));
    EXPECT_TRUE(t0->isVisible());
}

// The login's lock after five wrong passwords in a row holds for the settings too, and the ERP
// terminal's "Ligação ao ERP" is guarded like the database's.
TEST_F(Guarda, TheLoginLockAppliesAndTheErpSettingsAreGuarded)
{
    auto* t2 = mostrar<frmTerminal2>(false);
    QuandoModal<frmSupervisor>([](frmSupervisor* f) {
        for (int i = 0; i < ucLogin::TentativasAteBloqueio; ++i)
            tentar(f, QStringLiteral("Sara Chefe"), QStringLiteral("ERRADA"), QStringLiteral("Palavra passe errada !"));
        tentar(f, QStringLiteral("Sara Chefe"), QStringLiteral("CHEFE9"), QStringLiteral("Demasiadas palavras passe"));
        Tocar(f->Login->btAlfa[ucLogin::TeclaSair]);
    });
    {
        Vigia<frmDefinicoesKova> vigia;
        tocarMenu(t2->Menu_ERP);
        EXPECT_EQ(vigia.vezes, 0);
    }
    EXPECT_TRUE(registos().last().contains(QStringLiteral("Demasiadas palavras passe")));

    // Another employee's password is not locked; the ERP dialog's fields by keyboard.
    DefinicoesEcra d;
    d.NivelSupervisor = 5;
    t2->setDefinicoesEcra(d);
    QuandoModal<frmSupervisor>([](frmSupervisor* f) { tentar(f, QStringLiteral("Rui Encarregado"), "1234", {}); });
    bool abriu = false;
    QuandoModal<frmDefinicoesKova>([&](frmDefinicoesKova* k) {
        abriu = true;
        EXPECT_TRUE(k->screen()->geometry().contains(k->frameGeometry()));
        QuandoModal<frmTecladoAlfa>([](frmTecladoAlfa* t) {
            for (const char* c : {"E", "M", "P", "1", "enter"})
                Tocar(t->tecla(QString::fromLatin1(c)));
        });
        Tocar(k->txtEmpresa);
        EXPECT_EQ(k->txtEmpresa->text(), QStringLiteral("EMP1"));
        Tocar(k->btGravar);
    });
    tocarMenu(t2->Menu_ERP);
    EXPECT_TRUE(abriu);
    LeitorConfiguracao leitor(QDir(base->pasta()).filePath(QStringLiteral("Terminal_Obras.oka")));
    EXPECT_EQ(leitor.Ler(QStringLiteral("Kova"), QStringLiteral("Empresa")), QStringLiteral("EMP1"));
}

} // namespace
