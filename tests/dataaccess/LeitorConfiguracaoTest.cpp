#include "dataaccess/LeitorConfiguracao.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/PastaPrograma.h"
#include "base/Rotinas.h"
#include "dataaccess/DefinicoesBD.h"

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
    EXPECT_EQ(ler(caminho), QByteArray("; notas do instalador\r\n[Liga\xC3\xA7\xC3\xA3o]\r\nTipo de Terminal=1\r\n\r\n"
                                       "[Kova]\r\nEmpresa=DEMO\r\nUtilizador=Jos\xC3\xA9\r\n"
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
