#include "dataaccess/LeitorConfiguracao.h"

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/PastaPrograma.h"
#include "base/Rotinas.h"
#include "dataaccess/DefinicoesBD.h"
#include "dataaccess/DefinicoesEcra.h"
#include "dataaccess/DefinicoesLeitor.h"

class Configuracao : public ::testing::Test
{
protected:
    QString escrever(const QString& nome, const QByteArray& bytes)
    {
        const QString caminho = QDir(m_pasta.path()).filePath(nome);
        QFile f(caminho);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return caminho;
    }
    QByteArray ler(const QString& caminho)
    {
        QFile f(caminho);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A section's settings (D) read from t.oka holding `texto`; Ler must give `esperado`.
    template <class D> D lerDefinicoes(const QByteArray& texto, bool esperado, QString* erro = nullptr)
    {
        D d(escrever(QStringLiteral("t.oka"), texto));
        QString e;
        EXPECT_EQ(d.Ler(&e), esperado) << e.toStdString();
        if (erro) *erro = e;
        return d;
    }
    QTemporaryDir m_pasta;
};

TEST_F(Configuracao, LeNomesComAcentosEmUtf8ELatin1)
{
    const QByteArray utf8 = "\xEF\xBB\xBF; terminal da serralharia\r\n"
                            "[Liga\xC3\xA7\xC3\xA3o]\r\n"
                            "Tipo de Terminal = 1 \r\n"
                            "\r\n"
                            "[Kova]\r\n"
                            "Utilizador=Jo\xC3\xA3o Gon\xC3\xA7\x61lves\r\n"
                            "Percurso Windows=\"C:\\Kova\\Empresa 1\"\r\n"
                            "# comment\r\n"
                            "Vazia=\r\n";
    const QByteArray latin1 = "[Liga\xE7\xE3o]\nTipo de Terminal=1\n[Kova]\nUtilizador=Jo\xE3o Gon\xE7\x61lves\n"
                              "Percurso Windows=C:\\Kova\\Empresa 1\nVazia=";
    for (const QByteArray& bytes : {utf8, latin1}) {
        LeitorConfiguracao l(escrever(QStringLiteral("t.oka"), bytes));
        QString erro;
        ASSERT_TRUE(l.carregar(&erro)) << erro.toStdString();
        EXPECT_EQ(l.Ler(QStringLiteral("Ligação"), QStringLiteral("Tipo de Terminal")), QStringLiteral("1"));
        EXPECT_EQ(l.Ler(QStringLiteral("LIGAÇÃO"), QStringLiteral("tipo de terminal")), QStringLiteral("1"));
        EXPECT_EQ(l.Ler(QStringLiteral("Kova"), QStringLiteral("Utilizador")), QStringLiteral("João Gonçalves"));
        EXPECT_EQ(l.Ler(QStringLiteral("Kova"), QStringLiteral("Percurso Windows")),
                  QStringLiteral("C:\\Kova\\Empresa 1"));
        EXPECT_TRUE(l.existe(QStringLiteral("Kova"), QStringLiteral("Vazia")));
        EXPECT_EQ(l.Ler(QStringLiteral("Kova"), QStringLiteral("Vazia")), QString());
        EXPECT_EQ(l.Ler(QStringLiteral("Kova"), QStringLiteral("Empresa")), QString());
        EXPECT_EQ(l.Ler(QStringLiteral("Ligacao"), QStringLiteral("Tipo de Terminal")), QString());
    }
}

TEST_F(Configuracao, FicheirosQueNaoServemSaoRecusadosComOCaminho)
{
    struct Caso
    {
        const char* nome;
        QByteArray bytes;
        const char* motivo;
    };
    const QList<Caso> casos{
        {"seccao.oka", "[Liga\xC3\xA7\xC3\xA3o\nTipo de Terminal=1\n", "linha 1"},
        {"sem_igual.oka", "[Base de Dados]\nDriver SQLite\n", "linha 2"},
        {"fora.oka", "Palavra Passe=Segr3do\n", "linha 1"},
        {"binario.oka", QByteArray("[A]\nx=1\n\0\x01\x02", 11), "texto"},
        {"enorme.oka", "[A]\n" + QByteArray(LeitorConfiguracao::TamanhoMaximo, ';'), "grande"},
    };
    for (const Caso& c : casos) {
        const QString caminho = escrever(QString::fromLatin1(c.nome), c.bytes);
        LeitorConfiguracao l(caminho);
        QString erro;
        EXPECT_FALSE(l.carregar(&erro)) << c.nome;
        EXPECT_TRUE(erro.contains(caminho)) << erro.toStdString();
        EXPECT_TRUE(erro.contains(QLatin1String(c.motivo))) << erro.toStdString();
        EXPECT_FALSE(erro.contains(QLatin1String("Segr3do"))) << erro.toStdString(); // values are never shown
        EXPECT_EQ(l.Ler(QStringLiteral("A"), QStringLiteral("x")), QString());
    }
    const QString emFalta = QDir(m_pasta.path()).filePath(QStringLiteral("nao_existe.oka"));
    LeitorConfiguracao l(emFalta);
    QString erro;
    EXPECT_FALSE(l.carregar(&erro));
    EXPECT_TRUE(erro.contains(emFalta)) << erro.toStdString();
    EXPECT_EQ(l.Ler(QStringLiteral("Ligação"), QStringLiteral("Tipo de Terminal")), QString());
}

TEST_F(Configuracao, GravaMantendoOResto)
{
    const QString caminho =
        escrever(QStringLiteral("t.oka"), "; notas do instalador\r\n[Liga\xE7\xE3o]\r\nTipo de Terminal=0\r\n\r\n"
                                          "[Kova]\r\nEmpresa=DEMO\r\n");
    LeitorConfiguracao l(caminho);
    l.Escrever(QStringLiteral("Ligação"), QStringLiteral("Tipo de Terminal"), QStringLiteral("1"));
    l.Escrever(QStringLiteral("Kova"), QStringLiteral("Utilizador"), QStringLiteral("José"));
    l.Escrever(QStringLiteral("Base de Dados"), QStringLiteral("Palavra Passe"), QStringLiteral("a=b;c"));
    QString erro;
    ASSERT_TRUE(l.gravar(&erro)) << erro.toStdString();
    // The file stays in Latin-1, as it was written.
    EXPECT_EQ(ler(caminho), QByteArray("; notas do instalador\r\n[Liga\xE7\xE3o]\r\nTipo de Terminal=1\r\n\r\n"
                                       "[Kova]\r\nEmpresa=DEMO\r\nUtilizador=Jos\xE9\r\n"
                                       "[Base de Dados]\r\nPalavra Passe=a=b;c\r\n"));
    LeitorConfiguracao relido(caminho);
    EXPECT_EQ(relido.Ler(QStringLiteral("Base de Dados"), QStringLiteral("Palavra Passe")), QStringLiteral("a=b;c"));
}

TEST_F(Configuracao, DefinicoesDaBaseDeDadosPorDriver)
{
    DefinirPastaPrograma(m_pasta.path());
    DefinicoesBD d(escrever(QStringLiteral("t.oka"), "[Base de Dados]\nBase de Dados=fabrica.db\n"));
    ASSERT_TRUE(d.Ler());
    EXPECT_EQ(d.Driver, QStringLiteral("SQLite"));
    EXPECT_FALSE(d.faltamDefinicoes());
    ParametrosLigacao p = d.CadeiaLigacao();
    EXPECT_EQ(p.driver, QStringLiteral("QSQLITE"));
    EXPECT_EQ(p.baseDados, QDir(m_pasta.path()).filePath(QStringLiteral("fabrica.db")));

    d = DefinicoesBD(escrever(QStringLiteral("t.oka"), "[Base de Dados]\nDriver=PostgreSQL\nServidor=srv\nPorta=5433\n"
                                                       "Base de Dados=fabrica\nUtilizador=ana\n"));
    ASSERT_TRUE(d.Ler());
    EXPECT_FALSE(d.faltamDefinicoes()); // the password alone may be empty
    p = d.CadeiaLigacao();
    EXPECT_EQ(p.driver, QStringLiteral("QPSQL"));
    EXPECT_EQ(p.servidor, QStringLiteral("srv"));
    EXPECT_EQ(p.porta, 5433);
    EXPECT_EQ(p.baseDados, QStringLiteral("fabrica"));
    for (QString DefinicoesBD::*campo :
         {&DefinicoesBD::Servidor, &DefinicoesBD::BaseDados, &DefinicoesBD::Utilizador}) {
        DefinicoesBD falta = d;
        falta.*campo = QString();
        EXPECT_TRUE(falta.faltamDefinicoes());
    }

    d = DefinicoesBD(escrever(QStringLiteral("t.oka"), "[Base de Dados]\nDriver=ODBC\nDriver ODBC=FreeTDS\n"
                                                       "Servidor=sqlsrv\nPorta=1433\nBase de Dados=Fabrica\n"
                                                       "Utilizador=sa\nPalavra Passe=x\n"));
    ASSERT_TRUE(d.Ler());
    p = d.CadeiaLigacao();
    EXPECT_EQ(p.driver, QStringLiteral("QODBC"));
    EXPECT_EQ(p.baseDados, QStringLiteral("DRIVER={FreeTDS};SERVER=sqlsrv;PORT=1433;DATABASE=Fabrica;"));
    d.Servidor.clear();
    EXPECT_TRUE(d.faltamDefinicoes());

    d = DefinicoesBD(escrever(QStringLiteral("t.oka"), "[Base de Dados]\nDriver=MSSQL\nBase de Dados=x\n"));
    QString erro;
    EXPECT_FALSE(d.Ler(&erro));
    EXPECT_TRUE(erro.contains(QStringLiteral("MSSQL")) && erro.contains(d.Ficheiro)) << erro.toStdString();
    DefinirPastaPrograma({});
}

// Saving the database settings over a file that could not be read would replace everything else
// in it (the terminal type, the ERP section, the comments) with one section.
TEST_F(Configuracao, NaoGravaPorCimaDeUmFicheiroQueNaoSeLeu)
{
    struct Caso
    {
        const char* nome;
        QByteArray bytes;
        const char* motivo;
    };
    const QByteArray resto = "; terminal do armaz\xC3\xA9m\r\n[Liga\xC3\xA7\xC3\xA3o]\r\nTipo de Terminal=1\r\n"
                             "[Kova]\r\nEmpresa=DEMO\r\n";
    const QList<Caso> casos{
        {"sem_igual.oka", resto + "Palavra Passe segredo\r\n", "linha 6"},
        {"binario.oka", resto + QByteArray("\0\x01\x02", 3), "texto"},
        {"enorme.oka", resto + QByteArray(LeitorConfiguracao::TamanhoMaximo, ';'), "grande"},
    };
    for (const Caso& c : casos) {
        const QString caminho = escrever(QString::fromLatin1(c.nome), c.bytes);
        DefinicoesBD d(caminho);
        EXPECT_FALSE(d.Ler()) << c.nome;
        d.BaseDados = QStringLiteral("fabrica.db");
        QString erro;
        EXPECT_FALSE(d.Gravar(&erro)) << c.nome;
        EXPECT_TRUE(erro.contains(caminho) && erro.contains(QLatin1String(c.motivo))) << erro.toStdString();
        EXPECT_EQ(ler(caminho), c.bytes) << c.nome;

        // The same guard for every writer of the file.
        LeitorConfiguracao l(caminho);
        l.Escrever(QStringLiteral("Kova"), QStringLiteral("Empresa"), QStringLiteral("OUTRA"));
        EXPECT_FALSE(l.gravar());
        EXPECT_FALSE(LeitorConfiguracao::Gravavel(caminho));
        EXPECT_EQ(ler(caminho), c.bytes) << c.nome;
    }
    EXPECT_TRUE(LeitorConfiguracao::Gravavel(QDir(m_pasta.path()).filePath(QStringLiteral("novo.oka"))));
}

// Only the lines of the settings that changed are written; every other byte stays as it was.
TEST_F(Configuracao, GravarMudaSoAsLinhasDasDefinicoesAlteradas)
{
    const QByteArray latin1 = "; instala\xE7\xE3o de 2019\n"
                              "[Liga\xE7\xE3o]\n"
                              "  Tipo de Terminal = 1   \n"
                              "\n"
                              "[Base de Dados]\n"
                              "Driver = PostgreSQL\n"
                              "Servidor = srv-velho\n"
                              "Base de Dados=\"f\xE1\x62rica\"\n"
                              "Utilizador=ana\n"
                              "Desconhecida=fica\n"
                              "# fim da base de dados\n"
                              "\n"
                              "[Kova]\n"
                              "Empresa=DEMO";
    const QString caminho = escrever(QStringLiteral("l1.oka"), latin1);
    DefinicoesBD d(caminho);
    ASSERT_TRUE(d.Ler());
    EXPECT_EQ(d.BaseDados, QStringLiteral("fábrica"));
    d.Servidor = QStringLiteral("srv-novo");
    d.Password = QStringLiteral(" com espaço ");
    QString erro;
    ASSERT_TRUE(d.Gravar(&erro)) << erro.toStdString();
    EXPECT_EQ(ler(caminho), QByteArray("; instala\xE7\xE3o de 2019\n"
                                       "[Liga\xE7\xE3o]\n"
                                       "  Tipo de Terminal = 1   \n"
                                       "\n"
                                       "[Base de Dados]\n"
                                       "Driver = PostgreSQL\n"
                                       "Servidor = srv-novo\n"
                                       "Base de Dados=\"f\xE1\x62rica\"\n"
                                       "Utilizador=ana\n"
                                       "Desconhecida=fica\n"
                                       "Palavra Passe=\" com espa\xE7o \"\n"
                                       "# fim da base de dados\n"
                                       "\n"
                                       "[Kova]\n"
                                       "Empresa=DEMO"));
    DefinicoesBD relido(caminho);
    ASSERT_TRUE(relido.Ler());
    EXPECT_EQ(relido.Password, QStringLiteral(" com espaço "));
    EXPECT_EQ(relido.Servidor, QStringLiteral("srv-novo"));

    // A value the file's Latin-1 cannot hold is refused rather than turned into '?'.
    relido.Password = QStringLiteral("€uro");
    EXPECT_FALSE(relido.Gravar(&erro));
    EXPECT_TRUE(erro.contains(caminho) && erro.contains(QStringLiteral("Palavra Passe"))) << erro.toStdString();

    // UTF-8 with a byte-order mark and CR LF: kept; a new section goes after the last line.
    const QByteArray utf8 = "\xEF\xBB\xBF[Liga\xC3\xA7\xC3\xA3o]\r\nTipo de Terminal=0";
    const QString outro = escrever(QStringLiteral("u8.oka"), utf8);
    DefinicoesBD n(outro);
    n.BaseDados = QStringLiteral("nova.db");
    ASSERT_TRUE(n.Gravar(&erro)) << erro.toStdString();
    EXPECT_EQ(ler(outro), utf8 + "\r\n[Base de Dados]\r\nDriver=SQLite\r\nBase de Dados=nova.db\r\n");
}

// The file may hold passwords: a new one is readable by its owner only; an existing one keeps
// the mode it was given.
TEST_F(Configuracao, FicheiroNovoSoParaODonoEModoDeUmExistenteMantido)
{
    const mode_t anterior = ::umask(022);
    const QString novo = QDir(m_pasta.path()).filePath(QStringLiteral("novo.oka"));
    DefinicoesBD d(novo);
    d.BaseDados = QStringLiteral("f.db");
    ASSERT_TRUE(d.Gravar());
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(novo).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    ASSERT_EQ(::chmod(QFile::encodeName(novo).constData(), 0640), 0);
    d.BaseDados = QStringLiteral("g.db");
    ASSERT_TRUE(d.Gravar());
    ASSERT_EQ(::stat(QFile::encodeName(novo).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ::umask(anterior);
}

TEST_F(Configuracao, PortaQueNaoEUmNumeroERecusada)
{
    for (const char* porta : {"49367x", "0", "65536", "-1", "5 432"}) {
        const QString caminho = escrever(
            QStringLiteral("p.oka"),
            QByteArray("[Base de Dados]\nDriver=PostgreSQL\nServidor=s\nBase de Dados=b\nUtilizador=u\nPorta=") +
                porta + "\n");
        DefinicoesBD d(caminho);
        QString erro;
        EXPECT_FALSE(d.Ler(&erro)) << porta;
        EXPECT_TRUE(erro.contains(caminho) && erro.contains(QStringLiteral("Porta"))) << erro.toStdString();
        d.Porta = QString::fromLatin1(porta);
        EXPECT_FALSE(d.Gravar(&erro)) << porta;
        EXPECT_TRUE(erro.contains(QStringLiteral("Porta"))) << erro.toStdString();
    }
    DefinicoesBD d(escrever(QStringLiteral("p.oka"), "[Base de Dados]\nDriver=PostgreSQL\nPorta=65535\n"));
    EXPECT_TRUE(d.Ler());
    EXPECT_EQ(d.CadeiaLigacao().porta, 65535);
}

// A "file" that is a pipe would block the reader until someone writes to it; a device or a folder
// is no configuration either.
TEST_F(Configuracao, PipeDispositivoOuPastaRecusadosSemEsperar)
{
    const QString fifo = QDir(m_pasta.path()).filePath(QStringLiteral("fifo.oka"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& caminho : {fifo, QStringLiteral("/dev/null"), m_pasta.path()}) {
        std::promise<std::pair<bool, QString>> resultado;
        auto futuro = resultado.get_future();
        std::thread leitor([&] {
            LeitorConfiguracao l(caminho);
            QString erro;
            const bool ok = l.carregar(&erro);
            resultado.set_value({ok, erro});
        });
        const bool aTempo = futuro.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
        if (!aTempo) {
            // Release the blocked reader before failing.
            const int fd = ::open(QFile::encodeName(caminho).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
        leitor.join();
        EXPECT_TRUE(aTempo) << caminho.toStdString() << " blocked the reader";
        const auto [ok, erro] = futuro.get();
        EXPECT_FALSE(ok) << caminho.toStdString();
        EXPECT_TRUE(erro.contains(caminho)) << erro.toStdString();
        EXPECT_FALSE(LeitorConfiguracao::Gravavel(caminho)) << caminho.toStdString();
    }
}

TEST_F(Configuracao, TemposLimiteDaBaseDeDados)
{
    // Absent: 5 s each; given: carried into the connection parameters.
    DefinicoesBD d(escrever(QStringLiteral("t.oka"), "[Base de Dados]\nDriver=PostgreSQL\nServidor=s\n"));
    ASSERT_TRUE(d.Ler());
    EXPECT_EQ(d.CadeiaLigacao().segundosLigacao, 5);
    EXPECT_EQ(d.CadeiaLigacao().segundosInstrucao, 5);
    d = DefinicoesBD(escrever(QStringLiteral("t.oka"), "[Base de Dados]\nDriver=ODBC\n"
                                                       "Tempo Limite Liga\xC3\xA7\xC3\xA3o= 12 \n"
                                                       "tempo limite instru\xC3\xA7\xC3\xA3o=3\n"));
    ASSERT_TRUE(d.Ler());
    EXPECT_EQ(d.CadeiaLigacao().segundosLigacao, 12);
    EXPECT_EQ(d.CadeiaLigacao().segundosInstrucao, 3);
    EXPECT_FALSE(d.CadeiaLigacao().criarFicheiro);

    // Anything but whole seconds from 1 to 3600 is refused, naming the file and the key.
    for (const QByteArray& mau :
         {QByteArray("0"), QByteArray("-1"), QByteArray("5s"), QByteArray("2.5"), QByteArray("3601")}) {
        d = DefinicoesBD(
            escrever(QStringLiteral("t.oka"),
                     "[Base de Dados]\nBase de Dados=x.db\nTempo Limite Instru\xC3\xA7\xC3\xA3o=" + mau + "\n"));
        QString erro;
        EXPECT_FALSE(d.Ler(&erro)) << mau.constData();
        EXPECT_TRUE(erro.contains(d.Ficheiro) && erro.contains(QStringLiteral("\"Tempo Limite Instrução\"")) &&
                    erro.contains(QString::fromUtf8(mau)))
            << erro.toStdString();
    }
}

// The terminal's screen settings ("Ecrã").
class DefinicoesEcraTest : public Configuracao
{
protected:
    DefinicoesEcra ler(const QByteArray& texto, bool esperado, QString* erro = nullptr)
    {
        return lerDefinicoes<DefinicoesEcra>(texto, esperado, erro);
    }
};

TEST_F(DefinicoesEcraTest, DefaultsValuesAndBadValuesNamedAndReplaced)
{
    // Absent: Sair closes at once, supervisors from level 9, the density automatic.
    DefinicoesEcra d = ler("[Ligação]\nTipo de Terminal=0\n", true);
    EXPECT_FALSE(d.ConfirmarSair);
    EXPECT_EQ(d.NivelSupervisor, 9);
    EXPECT_EQ(d.TwipsPorPixel, 0);

    d = ler("[Ecrã]\r\nConfirmar Sair=1\r\nnível supervisor = 5\r\nTwips por Pixel=12,5\r\n", true);
    EXPECT_TRUE(d.ConfirmarSair);
    EXPECT_EQ(d.NivelSupervisor, 5);
    EXPECT_EQ(d.TwipsPorPixel, 12.5);
    d = ler("[Ecrã]\nConfirmar Sair=0\nTwips por Pixel=\n", true);
    EXPECT_FALSE(d.ConfirmarSair);
    EXPECT_EQ(d.TwipsPorPixel, 0);

    // A word where 0/1 is meant guards the terminal; the file, the section and each key are named.
    QString erro;
    d = ler("[Ecrã]\nConfirmar Sair=sim\nNível Supervisor=chefe\nTwips por Pixel=0,5\n", false, &erro);
    EXPECT_TRUE(d.ConfirmarSair);
    EXPECT_EQ(d.NivelSupervisor, 9);
    EXPECT_EQ(d.TwipsPorPixel, 0);
    for (const char* parte : {"t.oka", "\"Ecrã\"", "\"Confirmar Sair\"", "\"sim\"", "\"Nível Supervisor\"", "\"chefe\"",
                              "\"Twips por Pixel\"", "\"0,5\""})
        EXPECT_TRUE(erro.contains(QString::fromUtf8(parte))) << parte << " in " << erro.toStdString();
}

// The barcode scanner's settings ("Leitor").
class DefinicoesLeitorTest : public Configuracao
{
protected:
    DefinicoesLeitor ler(const QByteArray& texto, bool esperado, QString* erro = nullptr)
    {
        return lerDefinicoes<DefinicoesLeitor>(texto, esperado, erro);
    }
    QString caminho() const { return QDir(m_pasta.path()).filePath(QStringLiteral("t.oka")); }
};

TEST_F(DefinicoesLeitorTest, DefaultsWhenTheSectionOrKeysAreMissing)
{
    for (const QByteArray& texto : {QByteArray("[Ligação]\nTipo de Terminal=0\n"),
                                    QByteArray("[Leitor]\nIntervalo Máximo=\nPrefixo Obra=  \n")}) {
        const DefinicoesLeitor d = ler(texto, true);
        EXPECT_EQ(d.IntervaloMaximo, 30);
        for (TipoCodigo t : ClassificadorCodigos::Tipos)
            EXPECT_EQ(d.Prefixos.prefixo(t), ClassificadorCodigos::PrefixoPadrao(t));
    }
}

TEST_F(DefinicoesLeitorTest, ReadsTheIntervalAndEachPrefix)
{
    const DefinicoesLeitor d = ler("[Leitor]\r\n"
                                   "Intervalo Máximo = 45\r\n"
                                   "Prefixo Funcionário=EMP\r\n"
                                   "prefixo obra=OF\r\n"
                                   "Prefixo Operação=OP\r\n"
                                   "Prefixo Máquina=MAQ\r\n"
                                   "Prefixo Artigo=ART\r\n",
                                   true);
    EXPECT_EQ(d.IntervaloMaximo, 45);
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Funcionario), QStringLiteral("EMP"));
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Obra), QStringLiteral("OF"));
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Maquina), QStringLiteral("MAQ"));
    EXPECT_EQ(d.Prefixos.Classificar(QStringLiteral("ART123")).tipo, TipoCodigo::Artigo);
}

TEST_F(DefinicoesLeitorTest, BadValuesAreNamedAndReplacedByTheirDefaults)
{
    QString erro;
    DefinicoesLeitor d =
        ler("[Leitor]\nIntervalo Máximo=rápido\nPrefixo Obra=OBRA Nº\nPrefixo Artigo=REF\n", false, &erro);
    EXPECT_EQ(erro, QStringLiteral("Ficheiro de configuração %1, secção \"Leitor\": \"Intervalo Máximo\" tem de ser "
                                   "um número inteiro de milissegundos entre 1 e 1000 (está \"rápido\"); vale 30; "
                                   "\"Prefixo Obra\" só pode ter letras, algarismos e sinais sem acentos nem espaços "
                                   "(está \"OBRA Nº\"); vale OB. Corrija o ficheiro.")
                        .arg(caminho()));
    EXPECT_EQ(d.IntervaloMaximo, 30);
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Obra), QStringLiteral("OB"));
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Artigo), QStringLiteral("REF")); // the good one is kept

    // Two prefixes that cannot be told apart: all five go back to their defaults.
    d = ler("[Leitor]\nIntervalo Máximo=0\nPrefixo Funcionário=F\nPrefixo Obra=FO\n", false, &erro);
    EXPECT_EQ(erro, QStringLiteral("Ficheiro de configuração %1, secção \"Leitor\": \"Intervalo Máximo\" tem de ser "
                                   "um número inteiro de milissegundos entre 1 e 1000 (está \"0\"); vale 30; o "
                                   "prefixo de funcionário (\"F\") começa o de obra (\"FO\"), e um código lido não se "
                                   "distinguiria; valem os cinco prefixos de origem (FU, OB, OP, MQ, AR). Corrija o "
                                   "ficheiro.")
                        .arg(caminho()));
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Funcionario), QStringLiteral("FU"));
    EXPECT_EQ(d.Prefixos.prefixo(TipoCodigo::Obra), QStringLiteral("OB"));

    // A file that cannot be read says so, as for every other section.
    DefinicoesLeitor falta(QDir(m_pasta.path()).filePath(QStringLiteral("nao-existe.oka")));
    EXPECT_FALSE(falta.Ler(&erro));
    EXPECT_TRUE(erro.contains(QStringLiteral("nao-existe.oka"))) << erro.toStdString();
}
