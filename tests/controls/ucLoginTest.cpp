#include "controls/ucLogin.h"

#include <tuple>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "base/PastaPrograma.h"
#include "dataaccess/CifraSenha.h"
#include "support/BaseDadosTeste.h"
#include "support/OperadorFalso.h"

// The login control on a real database: the list, the keyboard, the four checks in their order
// and the lockout after five wrong passwords.
class ucLoginTest : public TesteBD
{
protected:
    void SetUp() override
    {
        TesteBD::SetUp();
        if (IsSkipped()) return;
        DefinirPastaPrograma(base().pasta());
        for (const auto& [id, nome, senha, nivel] :
             {std::tuple{"7", "Rui Sá", "abç9", 3}, std::tuple{"2", "Ana", "1234", 1}})
            bd().executar(
                QStringLiteral("INSERT INTO oka_Funcionarios (FuncId, FuncNome, Senha, Nivel) VALUES (?, ?, ?, ?)"),
                {QString::fromUtf8(id), QString::fromUtf8(nome), CifraSenha::Cifrar(QString::fromUtf8(senha)), nivel});
        login = std::make_unique<ucLogin>();
        login->setLigacao(&bd());
        login->setOperador(&operador);
        login->setRelogio([this] { return agora; });
        QString c, p;
        qint16 n = 0;
        EXPECT_FALSE(login->ObterUtilizador(c, p, n));
    }

    void TearDown() override
    {
        login.reset();
        DefinirPastaPrograma(QString());
        TesteBD::TearDown();
    }

    void Teclar(const QString& teclas)
    {
        static const QString ordem = QStringLiteral(" 1234567890_ASDFGHJKLÇZXCVBNMQWERTYUIOP");
        for (QChar ch : teclas) {
            const int i = int(ordem.indexOf(ch.toUpper()));
            ASSERT_GT(i, 0) << "no key for " << ch.toLatin1();
            QTest::mouseClick(login->btAlfa[std::size_t(i)], Qt::LeftButton);
        }
    }
    void Enter() { QTest::mouseClick(login->btAlfa[ucLogin::TeclaEnter], Qt::LeftButton); }

    OperadorFalso operador;
    std::unique_ptr<ucLogin> login;
    QDateTime agora = QDateTime(QDate(2025, 3, 1), QTime(8, 0));
};

TEST_P(ucLoginTest, ListAndKeyboard)
{
    EXPECT_EQ(login->Combo1->itemText(0), QStringLiteral("2-Ana"));
    EXPECT_EQ(login->Combo1->itemText(1), QStringLiteral("7-Rui Sá"));
    EXPECT_FALSE(login->btAlfa[0]->isEnabled());
    EXPECT_FALSE(login->btAlfa[ucLogin::TeclaEspaco]->isEnabled());

    Teclar(QStringLiteral("Ç1"));
    EXPECT_EQ(login->Text1->text(), QStringLiteral("Ç1"));
    for (int k = 0; k < 3; ++k) // the third on an empty password changes nothing
        QTest::mouseClick(login->btAlfa[ucLogin::TeclaApagar], Qt::LeftButton);
    EXPECT_EQ(login->Text1->text(), QString());
    // A trailing space is trimmed by the following touch.
    login->TocarTecla(ucLogin::TeclaEspaco);
    Teclar(QStringLiteral("B"));
    EXPECT_EQ(login->Text1->text(), QStringLiteral("B"));

    QSignalSpy sair(login.get(), &ucLogin::Sair);
    QTest::mouseClick(login->btAlfa[ucLogin::TeclaSair], Qt::LeftButton);
    EXPECT_EQ(sair.count(), 1);
}

TEST_P(ucLoginTest, AsQuatroVerificacoesPorOrdem)
{
    QSignalSpy escolheu(login.get(), &ucLogin::EscolheuUtilizador);
    Enter();
    Teclar(QStringLiteral("1"));
    Enter(); // employee still empty: the first message wins
    login->Reset();
    login->IntroduzirNome(QStringLiteral("7-Rui Sá"));
    Enter();
    login->IntroduzirNome(QStringLiteral("99-Ninguém"));
    Teclar(QStringLiteral("1"));
    Enter();
    login->IntroduzirNome(QStringLiteral("7-Rui Sá"));
    Enter();
    EXPECT_EQ(
        operador.textos(QStringLiteral("Aviso")),
        (QStringList{QStringLiteral("Deve indicar o funcionario !"), QStringLiteral("Deve indicar o funcionario !"),
                     QStringLiteral("Deve indicar a palavra passe !"), QStringLiteral("O Funcionario não existe !"),
                     QStringLiteral("Palavra passe errada !")}));
    for (const auto& d : operador.dialogos) {
        EXPECT_EQ(d.imagem, 2);
        EXPECT_EQ(d.altura, 3345);
    }
    EXPECT_EQ(escolheu.count(), 0);

    // Typed in another case, with the code alone (no "-name").
    login->Reset();
    login->IntroduzirNome(QStringLiteral("7"));
    Teclar(QStringLiteral("ABÇ9"));
    Enter();
    ASSERT_EQ(escolheu.count(), 1);
    EXPECT_EQ(escolheu[0][0].toString(), QStringLiteral("7"));
    EXPECT_EQ(escolheu[0][1].toString(), QStringLiteral("Rui Sá"));
    EXPECT_EQ(escolheu[0][2].value<qint16>(), 3);
    // A successful login leaves the password for the screen to reset.
    EXPECT_EQ(login->Text1->text(), QStringLiteral("ABÇ9"));
}

TEST_P(ucLoginTest, CincoErradasBloqueiamOFuncionario30Segundos)
{
    QSignalSpy escolheu(login.get(), &ucLogin::EscolheuUtilizador);
    login->IntroduzirNome(QStringLiteral("2-Ana"));
    for (int k = 0; k < 5; ++k) {
        login->Reset();
        Teclar(QStringLiteral("9"));
        Enter();
    }
    ASSERT_EQ(operador.dialogos.size(), 5);
    EXPECT_EQ(operador.dialogos[3].texto, QStringLiteral("Palavra passe errada !"));
    EXPECT_TRUE(operador.dialogos[4].texto.startsWith(QStringLiteral("Palavra passe errada !\n")));
    EXPECT_TRUE(operador.dialogos[4].texto.contains(QStringLiteral("30 segundos")));

    // The right password is refused while locked; another employee is not affected.
    agora = agora.addSecs(29);
    Teclar(QStringLiteral("1234"));
    Enter();
    EXPECT_EQ(escolheu.count(), 0);
    EXPECT_TRUE(operador.dialogos.last().texto.contains(QStringLiteral("dentro de 1 segundo.")));
    login->IntroduzirNome(QStringLiteral("7-Rui Sá"));
    Teclar(QStringLiteral("ABÇ9"));
    Enter();
    EXPECT_EQ(escolheu.count(), 1);

    agora = agora.addSecs(1);
    login->Reset();
    login->IntroduzirNome(QStringLiteral("2-Ana"));
    Teclar(QStringLiteral("1234"));
    Enter();
    EXPECT_EQ(escolheu.count(), 2);
    // Nothing about the stored value in any message.
    for (const auto& d : operador.dialogos)
        EXPECT_FALSE(d.texto.contains(QStringLiteral("argon")));
}

// The database compares codes without case, as SQL Server usually does: every spelling that
// finds the employee counts against him, and the lock outlives a restart of the terminal.
TEST_P(ucLoginTest, BloqueioPorFuncionarioResolvidoSobreviveAoReinicio)
{
    try {
        if (GetParam() == Backend::SQLite) {
            bd().executar(QStringLiteral("DROP TABLE oka_Funcionarios"));
            bd().executar(QStringLiteral("CREATE TABLE oka_Funcionarios (FuncId VARCHAR(20) COLLATE NOCASE NOT NULL "
                                         "PRIMARY KEY, FuncNome VARCHAR(50), Senha VARCHAR(128), Nivel SMALLINT, "
                                         "CustoHora NUMERIC(19,4))"));
        } else {
            bd().executar(QStringLiteral("CREATE COLLATION IF NOT EXISTS sem_caixa "
                                         "(provider = icu, locale = 'und-u-ks-level2', deterministic = false)"));
            bd().executar(QStringLiteral("ALTER TABLE oka_Funcionarios ALTER COLUMN FuncId TYPE VARCHAR(20) "
                                         "COLLATE sem_caixa"));
        }
    } catch (const ErroBD& e) {
        GTEST_SKIP() << "no case-insensitive codes here: " << e.texto().toStdString();
    }
    bd().executar(QStringLiteral("INSERT INTO oka_Funcionarios (FuncId, FuncNome, Senha, Nivel) VALUES (?, ?, ?, 2)"),
                  {QStringLiteral("F1"), QStringLiteral("Ana Silva"), CifraSenha::Cifrar(QStringLiteral("1234"))});
    QSignalSpy escolheu(login.get(), &ucLogin::EscolheuUtilizador);
    QSignalSpy recusado(login.get(), &ucLogin::Recusado);
    for (const char* escrito : {"F1-Ana Silva", "f1-Ana Silva", "f1"}) {
        login->IntroduzirNome(QString::fromLatin1(escrito));
        login->Reset();
        Teclar(QStringLiteral("9"));
        Enter();
    }
    EXPECT_EQ(operador.textos(QStringLiteral("Aviso")), QStringList(3, QStringLiteral("Palavra passe errada !")));
    ASSERT_EQ(recusado.count(), 3);
    EXPECT_EQ(recusado[2][0].toString(), QStringLiteral("F1-Ana Silva"));
    EXPECT_EQ(recusado[2][1].toString(), QStringLiteral("Palavra passe errada !"));

    // The terminal restarts: two more wrong tries lock the employee, whatever the spelling.
    login = std::make_unique<ucLogin>();
    login->setLigacao(&bd());
    login->setOperador(&operador);
    login->setRelogio([this] { return agora; });
    QSignalSpy recusado2(login.get(), &ucLogin::Recusado);
    for (const char* escrito : {"F1", "f1-Ana"}) {
        login->IntroduzirNome(QString::fromLatin1(escrito));
        login->Reset();
        Teclar(QStringLiteral("9"));
        Enter();
    }
    ASSERT_EQ(operador.dialogos.size(), 5);
    EXPECT_TRUE(operador.dialogos[4].texto.contains(QStringLiteral("bloqueado durante 30 segundos")));
    ASSERT_EQ(recusado2.count(), 2);
    EXPECT_EQ(recusado2[1][1].toString(), operador.dialogos[4].texto);

    // Restarted again during the lock: the right password is still refused until it ends.
    agora = agora.addSecs(20);
    login = std::make_unique<ucLogin>();
    login->setLigacao(&bd());
    login->setOperador(&operador);
    login->setRelogio([this] { return agora; });
    QSignalSpy escolheu3(login.get(), &ucLogin::EscolheuUtilizador);
    QSignalSpy recusado3(login.get(), &ucLogin::Recusado);
    login->IntroduzirNome(QStringLiteral("f1"));
    Teclar(QStringLiteral("1234"));
    Enter();
    EXPECT_EQ(escolheu3.count(), 0);
    EXPECT_TRUE(operador.dialogos.last().texto.contains(QStringLiteral("dentro de 10 segundos.")));
    EXPECT_EQ(recusado3.count(), 1);
    agora = agora.addSecs(10);
    login->Reset();
    Teclar(QStringLiteral("1234"));
    Enter();
    ASSERT_EQ(escolheu3.count(), 1);
    // The employee as the database holds him.
    EXPECT_EQ(escolheu3[0][0].toString(), QStringLiteral("F1"));
    EXPECT_EQ(escolheu.count(), 0);
}

TEST_P(ucLoginTest, RelogioAtrasadoNaoProlongaOBloqueio)
{
    login->IntroduzirNome(QStringLiteral("2-Ana"));
    for (int k = 0; k < 5; ++k) {
        login->Reset();
        Teclar(QStringLiteral("9"));
        Enter();
    }
    // The clock is set back an hour: the lock still ends 30 seconds from now at the latest.
    agora = agora.addSecs(-3600);
    Teclar(QStringLiteral("1234"));
    Enter();
    EXPECT_TRUE(operador.dialogos.last().texto.contains(QStringLiteral("dentro de 30 segundos.")))
        << operador.dialogos.last().texto.toStdString();
    agora = agora.addSecs(30);
    QSignalSpy escolheu(login.get(), &ucLogin::EscolheuUtilizador);
    login->Reset();
    Teclar(QStringLiteral("1234"));
    Enter();
    EXPECT_EQ(escolheu.count(), 1);
}

INSTANCIAR_BACKENDS(ucLoginTest);
