#include "app/Arranque.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/PastaPrograma.h"
#include "base/Rotinas.h"
#include "support/OperadorFalso.h"
#include "support/ServidorMudo.h"

class Arranque_ : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pasta.isValid());
        DefinirPastaPrograma(m_pasta.path());
    }
    void TearDown() override { DefinirPastaPrograma({}); }
    void escrever(const QString& nome, const QByteArray& texto)
    {
        QFile f(QDir(m_pasta.path()).filePath(nome));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(texto);
    }
    QString caminho(const QString& nome) const { return QDir(m_pasta.path()).filePath(nome); }

    QTemporaryDir m_pasta;
};

namespace {
// A loopback port on which nothing listens.
int portaFechada()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr*>(&a), n);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
    ::close(s);
    return ntohs(a.sin_port);
}
} // namespace

TEST_F(Arranque_, FicheiroDaLinhaDeComando)
{
    EXPECT_EQ(Arranque::FicheiroConfiguracao({}), QStringLiteral("Terminal_Obras.oka"));
    EXPECT_EQ(Arranque::FicheiroConfiguracao({QStringLiteral("Outro.oka")}), QStringLiteral("Outro.oka"));
    EXPECT_EQ(Arranque::FicheiroConfiguracao({QStringLiteral("Minha"), QStringLiteral("Config.oka")}),
              QStringLiteral("Minha Config.oka"));
    EXPECT_EQ(Arranque::FicheiroConfiguracao({QStringLiteral("\"x.oka\"")}), QStringLiteral("\"x.oka\""));
    EXPECT_EQ(CaminhoConfiguracao(QStringLiteral("Outro.oka")), caminho(QStringLiteral("Outro.oka")));
    EXPECT_EQ(CaminhoConfiguracao(QStringLiteral("/etc/t.oka")), QStringLiteral("/etc/t.oka"));
}

TEST_F(Arranque_, TipoTerminal)
{
    const QList<std::pair<QByteArray, int>> casos{{"", 0},    {"A", 0},         {"1", 1},
                                                  {"-3", -3}, {" 2 ", 2},       {"2.5", 2},
                                                  {"3.5", 4}, {"99999", 32767}, {"-99999", -32768}};
    for (const auto& [valor, esperado] : casos) {
        escrever(QStringLiteral("t.oka"), "[Liga\xC3\xA7\xC3\xA3o]\r\nTipo de Terminal=" + valor + "\r\n");
        EXPECT_EQ(Arranque::TipoTerminal(QStringLiteral("t.oka")), esperado) << valor.constData();
    }
    escrever(QStringLiteral("sem_chave.oka"),
             "[Liga\xC3\xA7\xC3\xA3o]\r\nOutra=1\r\n[Base de Dados]\r\nDriver=SQLite\r\n");
    EXPECT_EQ(Arranque::TipoTerminal(QStringLiteral("sem_chave.oka")), 0);
    EXPECT_EQ(Arranque::TipoTerminal(QStringLiteral("nao_existe.oka")), 0);
    // The same file written by an older editor in Latin-1.
    escrever(QStringLiteral("latin1.oka"), "[Liga\xE7\xE3o]\r\nTipo de Terminal=1\r\n");
    EXPECT_EQ(Arranque::TipoTerminal(QStringLiteral("latin1.oka")), 1);
}

TEST_F(Arranque_, BaseDadosEmbutidaEmFaltaENomeadaNaoCriada)
{
    // A typo in the file name is reported, naming the path; only a creating opening makes the file.
    escrever(QStringLiteral("Terminal_Obras.oka"), "[Base de Dados]\nDriver=SQLite\nBase de Dados=demo.db\n");
    LigacaoDados bd;
    QString erro;
    EXPECT_EQ(Arranque::AbrirBaseDados(QStringLiteral("Terminal_Obras.oka"), bd, nullptr, &erro),
              Arranque::Resultado::FalhaLigacao);
    EXPECT_TRUE(erro.contains(caminho(QStringLiteral("demo.db"))) && erro.contains(QStringLiteral("não existe")))
        << erro.toStdString();
    EXPECT_FALSE(QFile::exists(caminho(QStringLiteral("demo.db"))));
    ASSERT_EQ(Arranque::AbrirBaseDados(QStringLiteral("Terminal_Obras.oka"), bd, nullptr, &erro, true),
              Arranque::Resultado::Aberta)
        << erro.toStdString();
    EXPECT_EQ(bd.dialecto(), Dialecto::SQLite);
    EXPECT_TRUE(QFile::exists(caminho(QStringLiteral("demo.db"))));
}

TEST_F(Arranque_, ServidorQueNaoRespondeNaoPrendeOArranque)
{
    // The file's time limit bounds the opening; the failure is the same clear one.
    ServidorMudo mudo(15);
    escrever(QStringLiteral("pg.oka"),
             "[Base de Dados]\nDriver=PostgreSQL\nServidor=127.0.0.1\nPorta=" + QByteArray::number(mudo.porta()) +
                 "\nBase de Dados=fabrica\nUtilizador=ana\n"
                 "Tempo Limite Liga\xC3\xA7\xC3\xA3o=2\n");
    LigacaoDados bd;
    QString erro;
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(Arranque::AbrirBaseDados(QStringLiteral("pg.oka"), bd, nullptr, &erro),
              Arranque::Resultado::FalhaLigacao);
    EXPECT_LT(t.elapsed(), 4000);
    EXPECT_TRUE(erro.contains(QStringLiteral("QPSQL")) && erro.contains(QStringLiteral("fabrica")))
        << erro.toStdString();
}

TEST_F(Arranque_, FicheiroEmFaltaOuMalFormado)
{
    LigacaoDados bd;
    QString erro;
    EXPECT_EQ(Arranque::AbrirBaseDados(QStringLiteral("nao_existe.oka"), bd, nullptr, &erro),
              Arranque::Resultado::FicheiroInvalido);
    EXPECT_TRUE(erro.contains(caminho(QStringLiteral("nao_existe.oka")))) << erro.toStdString();

    escrever(QStringLiteral("mau.oka"), "[Base de Dados\nDriver=SQLite\n");
    EXPECT_EQ(Arranque::AbrirBaseDados(QStringLiteral("mau.oka"), bd, nullptr, &erro),
              Arranque::Resultado::FicheiroInvalido);
    EXPECT_TRUE(erro.contains(caminho(QStringLiteral("mau.oka")))) << erro.toStdString();
}

TEST_F(Arranque_, DefinicoesEmFaltaAbremODialogo)
{
    // Server missing: without an operator it is reported; with one, the dialog gets the schema
    // file of the program folder, and what it saves is used and written to the file.
    escrever(QStringLiteral("pg.oka"), "[Base de Dados]\nDriver=PostgreSQL\nBase de Dados=fabrica\nUtilizador=ana\n");
    LigacaoDados bd;
    QString erro;
    EXPECT_EQ(Arranque::AbrirBaseDados(QStringLiteral("pg.oka"), bd, nullptr, &erro),
              Arranque::Resultado::DefinicoesEmFalta);
    EXPECT_TRUE(erro.contains(caminho(QStringLiteral("pg.oka")))) << erro.toStdString();
    EXPECT_TRUE(erro.contains(QStringLiteral("Base de Dados"))) << erro.toStdString();

    OperadorFalso operador;
    EXPECT_EQ(Arranque::AbrirBaseDados(QStringLiteral("pg.oka"), bd, &operador, &erro),
              Arranque::Resultado::DefinicoesEmFalta);
    ASSERT_EQ(operador.textos(QStringLiteral("BD")), QStringList{caminho(QStringLiteral("Catalogos/bd.sql"))});

    DefinicoesBD novas;
    novas.Driver = QStringLiteral("SQLite");
    novas.BaseDados = QStringLiteral("nova.db");
    escrever(QStringLiteral("nova.db"), {}); // as the dialog's "Criar Base de Dados" leaves it
    operador.novasDefinicoesBD = novas;
    EXPECT_EQ(Arranque::AbrirBaseDados(QStringLiteral("pg.oka"), bd, &operador, &erro), Arranque::Resultado::Aberta)
        << erro.toStdString();
    DefinicoesBD relidas(caminho(QStringLiteral("pg.oka")));
    ASSERT_TRUE(relidas.Ler());
    EXPECT_EQ(relidas.Driver, QStringLiteral("SQLite"));
    EXPECT_EQ(relidas.BaseDados, QStringLiteral("nova.db"));
}

TEST_F(Arranque_, FalhaDeLigacaoNomeiaTudoMenosAPalavraPasse)
{
    // An empty password alone does not open the dialog; the failure names driver, server,
    // database and user, and never the password.
    const int porta = portaFechada();
    for (const QByteArray& senha : {QByteArray(), QByteArray("Segr3do'X")}) {
        escrever(QStringLiteral("pg.oka"),
                 "[Base de Dados]\nDriver=PostgreSQL\nServidor=127.0.0.1\nPorta=" + QByteArray::number(porta) +
                     "\nBase de Dados=fabrica\nUtilizador=ana\nPalavra Passe=" + senha + "\n");
        OperadorFalso operador;
        LigacaoDados bd;
        QString erro;
        EXPECT_EQ(Arranque::AbrirBaseDados(QStringLiteral("pg.oka"), bd, &operador, &erro),
                  Arranque::Resultado::FalhaLigacao);
        EXPECT_TRUE(operador.dialogos.isEmpty());
        for (const char* parte : {"QPSQL", "127.0.0.1", "fabrica", "ana"})
            EXPECT_TRUE(erro.contains(QLatin1String(parte))) << parte << ": " << erro.toStdString();
        if (!senha.isEmpty()) {
            EXPECT_FALSE(erro.contains(QLatin1String("Segr3do"))) << erro.toStdString();
        }
        EXPECT_FALSE(bd.aberta());
    }

    escrever(QStringLiteral("odbc.oka"), "[Base de Dados]\nDriver=ODBC\nBase de Dados=fonte_inexistente\n"
                                         "Utilizador=ana\nPalavra Passe=Segr3do\n");
    LigacaoDados bd;
    QString erro;
    EXPECT_EQ(Arranque::AbrirBaseDados(QStringLiteral("odbc.oka"), bd, nullptr, &erro),
              Arranque::Resultado::FalhaLigacao);
    EXPECT_TRUE(erro.contains(QLatin1String("QODBC")) && erro.contains(QLatin1String("fonte_inexistente")))
        << erro.toStdString();
    EXPECT_FALSE(erro.contains(QLatin1String("Segr3do"))) << erro.toStdString();
    // A password inside an ODBC connection string is masked too.
    ParametrosLigacao p;
    p.driver = QStringLiteral("QODBC");
    p.baseDados = QStringLiteral("DRIVER={FreeTDS};SERVER=s;Pwd=Segr3do;DATABASE=f");
    EXPECT_EQ(p.descricao(), QStringLiteral("Driver QODBC, Servidor , Base de dados DRIVER={FreeTDS};SERVER=s;Pwd=***;"
                                            "DATABASE=f, Utilizador "));
}
