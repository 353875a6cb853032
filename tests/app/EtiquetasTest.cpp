#include "app/Etiquetas.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "base/PastaPrograma.h"
#include "dataaccess/DefinicoesLeitor.h"
#include "dataaccess/EsquemaBD.h"
#include "screens/TeclasLeitor.h"
#include "screens/frmTerminal.h"
#include "support/BaseDadosTeste.h"
#include "support/OperadorFalso.h"

namespace {

constexpr int Dpi = 300;

// Runs a tool of poppler-utils or zbar-tools; its standard output.
QByteArray correr(const QString& programa, const QStringList& argumentos)
{
    QProcess p;
    p.start(programa, argumentos);
    if (!p.waitForStarted()) {
        ADD_FAILURE() << programa.toStdString()
                      << " is missing: install poppler-utils and zbar-tools (scripts/setup.sh)";
        return {};
    }
    p.waitForFinished(120000);
    return p.readAllStandardOutput();
}

QRect pixeis(const QRectF& mm)
{
    const double k = Dpi / 25.4;
    return QRectF(mm.x() * k, mm.y() * k, mm.width() * k, mm.height() * k).toAlignedRect();
}

// What a label shows, read back from the PDF: the decoded bars, the text under the bars and the
// text above them.
struct Lida
{
    QString barras;
    QString debaixo;
    QString emCima;
};

// Renders every page (grey, uncompressed: quick), cuts each label out and decodes it with zbarimg; takes the words of
// each label from pdftotext by where they lie.
QList<Lida> lerEtiquetas(const QString& pdf, const Etiquetas::Folha& folha, int quantas, const QString& pasta)
{
    const QString prefixo = QDir(pasta).filePath(QStringLiteral("pagina"));
    correr(QStringLiteral("pdftoppm"),
           {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-gray"), pdf, prefixo});
    QStringList paginas = QDir(pasta).entryList({QStringLiteral("pagina-*.pgm")}, QDir::Files, QDir::Name);
    EXPECT_EQ(paginas.size(), (quantas + folha.porFolha() - 1) / folha.porFolha());

    QStringList recortes;
    for (int i = 0; i < quantas; ++i) {
        const QImage pagina(QDir(pasta).filePath(paginas.value(i / folha.porFolha())));
        const QString nome = QDir(pasta).filePath(QStringLiteral("etiqueta-%1.pgm").arg(i, 3, 10, QChar(u'0')));
        EXPECT_TRUE(pagina.copy(pixeis(folha.Celula(i))).save(nome));
        recortes << nome;
    }
    QList<Lida> lidas(quantas);
    const QString xml = QString::fromUtf8(
        correr(QStringLiteral("zbarimg"), QStringList{QStringLiteral("-q"), QStringLiteral("--xml")} + recortes));
    static const QRegularExpression fonte(QStringLiteral("<source href='[^']*etiqueta-(\\d+)\\.pgm'>(.*?)</source>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression dados(QStringLiteral("<data><!\\[CDATA\\[(.*?)\\]\\]></data>"));
    for (auto m = fonte.globalMatch(xml); m.hasNext();) {
        const auto f = m.next();
        QStringList codigos;
        for (auto d = dados.globalMatch(f.captured(2)); d.hasNext();)
            codigos << d.next().captured(1);
        EXPECT_EQ(codigos.size(), 1) << "label " << f.captured(1).toStdString();
        lidas[f.captured(1).toInt()].barras = codigos.join(u'|');
    }

    // Words with their boxes, in points; a word belongs to the label its centre lies in.
    const QString html =
        QString::fromUtf8(correr(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    static const QRegularExpression pagina(QStringLiteral("<page [^>]*>(.*?)</page>"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression palavra(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">(.*?)</word>"));
    int p = 0;
    for (auto m = pagina.globalMatch(html); m.hasNext(); ++p) {
        const QString corpo = m.next().captured(1);
        for (auto w = palavra.globalMatch(corpo); w.hasNext();) {
            const auto x = w.next();
            const QPointF centro((x.captured(1).toDouble() + x.captured(3).toDouble()) / 2 * 25.4 / 72,
                                 (x.captured(2).toDouble() + x.captured(4).toDouble()) / 2 * 25.4 / 72);
            for (int c = 0; c < folha.porFolha(); ++c) {
                const int i = p * folha.porFolha() + c;
                const QRectF celula = folha.Celula(c);
                if (i >= quantas || !celula.contains(centro)) continue;
                QString& onde = centro.y() > celula.center().y() ? lidas[i].debaixo : lidas[i].emCima;
                onde += (onde.isEmpty() ? QString() : QStringLiteral(" ")) +
                        x.captured(5).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            }
        }
    }
    return lidas;
}

} // namespace

// Labels printed from a real database, read back the way a scanner and a person would.
class EtiquetasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The terminal of the round trip writes its daily log here.
        DefinirPastaPrograma(pasta.path());
        ASSERT_TRUE(base.disponivel());
        EsquemaBD::CarregarDemo(bd(), QStringLiteral("1234"));
        configuracao = QDir(pasta.path()).filePath(QStringLiteral("t.oka"));
        QFile f(configuracao);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Leitor]\nPrefixo Obra=OF\n");
    }
    void TearDown() override { DefinirPastaPrograma(QString()); }
    LigacaoDados& bd() { return base.bd(); }
    QString ficheiro(const QString& nome) const { return QDir(pasta.path()).filePath(nome); }

    BaseDadosTeste base{Backend::SQLite};
    QTemporaryDir pasta;
    QString configuracao;
};

TEST_F(EtiquetasTest, EveryLabelDecodesToTheCodeUnderItAndNamesItsObject)
{
    // Beside the demo factory: a long employee code (narrow bars) and a machine code a scanner
    // could not type back.
    bd().executar(
        QStringLiteral("INSERT INTO oka_Funcionarios (FuncId, FuncNome, Nivel, CustoHora) VALUES (?, ?, 0, 10)"),
        {QStringLiteral("2024-00017-B"), QStringLiteral("Zé da Oficina")});
    bd().executar(QStringLiteral("INSERT INTO oka_Maquinas (MaqId, MaqNome, CustoHora) VALUES (?, ?, 1)"),
                  {QStringLiteral("PRENSA-Nº2"), QStringLiteral("Prensa")});

    const QString pdf = ficheiro(QStringLiteral("etiquetas.pdf"));
    ASSERT_EQ(Etiquetas::Comando(bd(), configuracao, {QStringLiteral("--saida"), pdf, QStringLiteral("--contornos")}),
              0);

    DefinicoesLeitor leitor(configuracao);
    ASSERT_TRUE(leitor.Ler());
    Etiquetas::Pedido todas{true, true, true, true, {}};
    QList<Etiquetas::Etiqueta> esperadas;
    QString erro;
    ASSERT_TRUE(Etiquetas::Recolher(bd(), leitor.Prefixos, todas, esperadas, erro));
    esperadas.removeIf([](const Etiquetas::Etiqueta& e) { return e.codigo == QStringLiteral("MQPRENSA-Nº2"); });
    // 13 employees, 14 operations with a name, 10 machines, the orders not closed.
    const Registos abertas = bd().consultar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc WHERE EstadoFo <> 4"));
    ASSERT_EQ(esperadas.size(), 13 + 14 + 10 + abertas.primeira().inteiro(0));

    EXPECT_TRUE(correr(QStringLiteral("pdfinfo"), {pdf}).contains("(A4)"));
    const QList<Lida> lidas = lerEtiquetas(pdf, Etiquetas::Folha(), int(esperadas.size()), pasta.path());

    // Each code read is scanned at a terminal running on the same database and configuration:
    // what it selects is what the label names.
    OperadorFalso op;
    frmTerminal ecra;
    ecra.setLigacao(&bd());
    ecra.setOperador(&op);
    ecra.setDefinicoesLeitor(leitor);
    ecra.Mostra();
    TeclasLeitor teclas;
    teclas.ligar(ecra.leitorCodigos());
    QCoreApplication::processEvents();
    ASSERT_TRUE(ecra.EcraCarregado);
    for (int i = 0; i < esperadas.size(); ++i) {
        const Lida& l = lidas[i];
        SCOPED_TRACE(esperadas[i].codigo.toStdString());
        EXPECT_EQ(l.barras, esperadas[i].codigo);
        EXPECT_EQ(l.debaixo, l.barras);

        op.dialogos.clear();
        teclas.ler(&ecra, l.barras);
        const CodigoLido c = leitor.Prefixos.Classificar(l.barras);
        QString nome;
        switch (c.tipo) {
        case TipoCodigo::Funcionario:
            EXPECT_EQ(ecra.Utilizador, c.codigo);
            nome = QStringLiteral("FUNCIONÁRIO ") + ecra.NomeUtilizador;
            break;
        case TipoCodigo::Operacao:
            EXPECT_EQ(ecra.Operacao, c.codigo);
            nome = QStringLiteral("OPERAÇÃO ") + ecra.DescricaoOperacao;
            break;
        case TipoCodigo::Maquina:
            EXPECT_EQ(ecra.Maquina, c.codigo);
            nome = QStringLiteral("MÁQUINA ") + ecra.DescricaoMaquina;
            break;
        case TipoCodigo::Obra:
            EXPECT_EQ(ecra.Obra, c.codigo);
            nome = QStringLiteral("OBRA Obra ") + ecra.Obra;
            break;
        default:
            ADD_FAILURE() << "not a known kind: " << l.barras.toStdString();
        }
        // Selected without a refusal (an open order not yet in production is reported, as on the
        // keypad).
        for (const QString& aviso : op.textos(QStringLiteral("Aviso")))
            EXPECT_EQ(aviso, QStringLiteral("A Folha de Obra não está em Fabrico !"));
        // NFKC: the name's font joins "fi" into one glyph, which pdftotext gives back as "ﬁ".
        EXPECT_EQ(l.emCima.normalized(QString::NormalizationForm_KC).toStdString(), nome.toStdString());
    }
    EXPECT_EQ(leitor.Prefixos.Classificar(lidas.last().barras).tipo, TipoCodigo::Obra);
    EXPECT_TRUE(lidas.last().barras.startsWith(QStringLiteral("OF")));
}

TEST_F(EtiquetasTest, GivenOrdersOnAnotherSheetAndRefusals)
{
    const QString pdf = ficheiro(QStringLiteral("obras.pdf"));
    ASSERT_EQ(Etiquetas::Comando(bd(), configuracao,
                                 {QStringLiteral("--saida"), pdf, QStringLiteral("--linhas"), QStringLiteral("3"),
                                  QStringLiteral("--colunas"), QStringLiteral("2"), QStringLiteral("--largura"),
                                  QStringLiteral("95,5"), QStringLiteral("--altura"), QStringLiteral("50"),
                                  QStringLiteral("obras"), QStringLiteral("26005"), QStringLiteral("26001")}),
              0);
    Etiquetas::Folha folha;
    folha.linhas = 3;
    folha.colunas = 2;
    folha.largura = 95.5;
    folha.altura = 50;
    const QList<Lida> lidas = lerEtiquetas(pdf, folha, 2, pasta.path());
    EXPECT_EQ(lidas[0].barras, QStringLiteral("OF26005"));
    EXPECT_EQ(lidas[1].barras, QStringLiteral("OF26001"));
    EXPECT_EQ(lidas[1].debaixo, QStringLiteral("OF26001"));

    // An order that does not exist: nothing is written.
    const QString outro = ficheiro(QStringLiteral("nada.pdf"));
    EXPECT_EQ(Etiquetas::Comando(bd(), configuracao,
                                 {QStringLiteral("--saida"), outro, QStringLiteral("obras"), QStringLiteral("26001"),
                                  QStringLiteral("99999")}),
              1);
    EXPECT_FALSE(QFile::exists(outro));
    Etiquetas::Pedido pedido;
    pedido.obras = true;
    pedido.numerosObras = {QStringLiteral("99999")};
    QList<Etiquetas::Etiqueta> e;
    QString erro;
    EXPECT_FALSE(Etiquetas::Recolher(bd(), ClassificadorCodigos(), pedido, e, erro));
    EXPECT_EQ(erro, QStringLiteral("A obra 99999 não existe; nenhuma etiqueta foi escrita."));

    // Where the labels lie: centred on the page by default, from the margins when given.
    folha = Etiquetas::Folha();
    EXPECT_EQ(folha.Celula(0), QRectF(0, 0.5, 70, 37));
    EXPECT_EQ(folha.Celula(5), QRectF(140, 37.5, 70, 37));
    EXPECT_EQ(folha.Celula(24 + 22), QRectF(70, 259.5, 70, 37));
    folha.colunas = 2;
    folha.linhas = 5;
    folha.largura = 90;
    folha.altura = 50;
    folha.margemTopo = 10;
    folha.espacoHorizontal = 5;
    folha.espacoVertical = 2;
    EXPECT_EQ(folha.Celula(3), QRectF(12.5 + 95, 10 + 52, 90, 50));

    // Sheets that do not fit on A4, and options that are not understood.
    folha = Etiquetas::Folha();
    folha.colunas = 4;
    EXPECT_EQ(folha.Validar(), QStringLiteral("As etiquetas não cabem na largura de uma folha A4: 4 colunas de 70 mm, "
                                              "com os espaços e a margem, ocupam 280 mm de 210 mm."));
    folha = Etiquetas::Folha();
    folha.espacoVertical = 2.5;
    EXPECT_EQ(folha.Validar(), QStringLiteral("As etiquetas não cabem na altura de uma folha A4: 8 linhas de 37 mm, "
                                              "com os espaços e a margem, ocupam 313,50 mm de 297 mm."));
    for (const QStringList& mau :
         {QStringList{QStringLiteral("--colunas"), QStringLiteral("4")},
          QStringList{QStringLiteral("--linhas"), QStringLiteral("2.5")}, QStringList{QStringLiteral("--largura")},
          QStringList{QStringLiteral("maquinass")}, QStringList{QStringLiteral("26001")}})
        EXPECT_EQ(Etiquetas::Comando(bd(), configuracao, QStringList{QStringLiteral("--saida"), outro} + mau), 2)
            << mau.join(u' ').toStdString();
    EXPECT_FALSE(QFile::exists(outro));
}
