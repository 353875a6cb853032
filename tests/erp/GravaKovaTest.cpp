#include <thread>
#include <vector>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>

#include "FixturaErp.h"
#include "erp/LigacaoKovaBD.h"
#include "erp/cl_GravaKova.h"
#include "support/BaseDadosTeste.h"
#include "support/OperadorFalso.h"

using namespace FixturaErp;

namespace {

// A posting whose second material line fails after the ERP document was made.
class GravaKovaComFalha : public cl_GravaKova
{
protected:
    void GravaLinhaMaterial(const LinhaMaterial& linha) override
    {
        if (++chamadas == 2) throw ErroBD(QStringLiteral("falha simulada"), QStringLiteral("77"));
        cl_GravaKova::GravaLinhaMaterial(linha);
    }
    int chamadas = 0;
};

struct Lista
{
    QStringList artigos{QString()};
    QList<double> qtd{0};
    QList<double> preco{0};
    QStringList comp{QString()}, larg{QString()}, nome{QString()}, arm{QString()};

    Lista& linha(const QString& a, double q, double p = 0, const QString& c = {}, const QString& l = {},
                 const QString& n = QStringLiteral("Material"), const QString& ar = QStringLiteral("MP1"))
    {
        artigos << a;
        qtd << q;
        preco << p;
        comp << c;
        larg << l;
        nome << n;
        arm << ar;
        return *this;
    }
};

} // namespace

class GravaKova : public TesteBD
{
protected:
    void SetUp() override
    {
        TesteBD::SetUp();
        if (IsSkipped()) return;
        Contador(bd());
        Artigo(bd(), QStringLiteral("A'1"), 0, QStringLiteral("METRO"), QStringLiteral("F'9"));
        Artigo(bd(), QStringLiteral("B2"));
        Artigo(bd(), QStringLiteral("C3"), 0, QString(), QString());
        Artigo(bd(), QStringLiteral("D9"), 1);
        Stock(bd(), QStringLiteral("A'1"), "10");
        Stock(bd(), QStringLiteral("B2"), "5");
        Stock(bd(), QStringLiteral("C3"), "3");
        Ordem(bd(), QStringLiteral("OF1"));
        pastaLog = QDir(base().pasta()).filePath(QStringLiteral("log"));
        QDir().mkpath(pastaLog);
        kova.setBaseDados(&bd());
        ASSERT_TRUE(kova.Ligar(base().pasta(), pastaLog, QStringLiteral("Empresa"), QStringLiteral("util"),
                               QStringLiteral("pw")));
    }

    bool gravar(cl_GravaKova& g, const Lista& l, const QString& fo = QStringLiteral("OF1"))
    {
        g.setBd(&bd());
        g.setLigKova(&kova);
        g.setOperador(&op);
        return g.GravaSaidas(l.artigos, l.qtd, l.preco, QStringList(l.artigos.size()), QStringLiteral("P-77"), fo,
                             l.comp, l.larg, l.nome, l.arm);
    }
    bool gravar(const Lista& l, const QString& fo = QStringLiteral("OF1"))
    {
        cl_GravaKova g;
        return gravar(g, l, fo);
    }
    QStringList linhasLog() const
    {
        QFile f(QDir(pastaLog).filePath(LigacaoKovaBD::NomeFicheiroLog(QDate::currentDate())));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
    // Nothing of a posting is left: no document, stock as set up, no material line, costs as set.
    void nadaGravado(int linhasAntes = 0)
    {
        EXPECT_EQ(Contar(bd(), QStringLiteral("STKDOC")), 0);
        EXPECT_EQ(Contar(bd(), QStringLiteral("STKDOCLIN")), 0);
        EXPECT_EQ(Contar(bd(), QStringLiteral("oka_LinFo_Apr")), linhasAntes);
        EXPECT_EQ(Existencia(bd(), QStringLiteral("A'1")), M("10"));
        EXPECT_EQ(Existencia(bd(), QStringLiteral("B2")), M("5"));
        EXPECT_EQ(Existencia(bd(), QStringLiteral("C3")), M("3"));
        const Registos c =
            bd().consultar(QStringLiteral("SELECT CustoMat, DataActual FROM oka_CabOrc WHERE Fo = 'OF1'"));
        EXPECT_EQ(c.primeira().moeda(0), M("0"));
        EXPECT_TRUE(c.primeira().nulo(1));
        EXPECT_TRUE(linhasLog().isEmpty());
    }

    LigacaoKovaBD kova;
    OperadorFalso op;
    QString pastaLog;
};

TEST_P(GravaKova, TresLinhasFormamUmDocumentoELinhasDaOrdem)
{
    // Lines already on the order: a descriptor (counts as outside cost) and an unknown article
    // (counts nowhere).
    LinhaMaterial(bd(), QStringLiteral("OF1"), 3, QStringLiteral("D9"), "2", "7.5");
    LinhaMaterial(bd(), QStringLiteral("OF1"), 4, QStringLiteral("ZZ"), "1", "100");
    const QString nomeLongo(60, u'N');
    Lista l;
    l.linha(QStringLiteral("A'1"), 2.5, 4, QString(), QStringLiteral("2"), nomeLongo)
        .linha(QStringLiteral("B2"), 1, 0.125, QStringLiteral("  5"), QStringLiteral(" "),
               QStringLiteral("Parafuso d'aço"))
        .linha(QStringLiteral("C3"), 3, 0, QStringLiteral("1,5"), QStringLiteral("0.25"));

    cl_GravaKova g;
    QStringList progresso;
    QObject::connect(&g, &cl_GravaKova::Progresso, [&](QString& t) { progresso << t; });
    const QDateTime antes = QDateTime::currentDateTime().addSecs(-1);
    ASSERT_TRUE(gravar(g, l));
    EXPECT_TRUE(op.dialogos.isEmpty());
    EXPECT_EQ(progresso, QStringList{QStringLiteral("Gravar Movimentos no KOVA")});
    EXPECT_TRUE(kova.opcaoGravacao1() && kova.opcaoGravacao2());
    EXPECT_EQ(g.documento().NumeroDocumento, 1);

    const int ano = QDate::currentDate().year();
    const Registos d =
        bd().consultar(QStringLiteral("SELECT TIPODOC, SERIE, ANO, NUMDOC, ARMAZEM, SECTOR, DATA, MOEDA, "
                                      "PROCESSO FROM STKDOC"));
    ASSERT_EQ(d.RecordCount(), 1);
    EXPECT_EQ(d.primeira().texto(0), QStringLiteral("SAI"));
    EXPECT_EQ(d.primeira().inteiro(1), 3);
    EXPECT_EQ(d.primeira().inteiro(2), ano);
    EXPECT_EQ(d.primeira().inteiro(3), 1);
    EXPECT_EQ(d.primeira().texto(4), QStringLiteral("MP1"));
    EXPECT_EQ(d.primeira().texto(5), QStringLiteral("PROD"));
    EXPECT_EQ(d.primeira().data(QStringLiteral("DATA")), QDate::currentDate());
    EXPECT_EQ(d.primeira().texto(7), QStringLiteral("EUR"));
    EXPECT_EQ(d.primeira().texto(8), QStringLiteral("P-77"));
    const Registos dl = bd().consultar(QStringLiteral("SELECT ARTIGO, QUANT, PRECO FROM STKDOCLIN ORDER BY LINHA"));
    ASSERT_EQ(dl.RecordCount(), 3);
    EXPECT_EQ(dl[1].texto(0), QStringLiteral("B2"));
    EXPECT_EQ(dl[1].moeda(2), M("0.125"));
    EXPECT_EQ(Existencia(bd(), QStringLiteral("A'1")), M("7.5"));
    EXPECT_EQ(Existencia(bd(), QStringLiteral("B2")), M("4"));
    EXPECT_EQ(Existencia(bd(), QStringLiteral("C3")), M("0"));

    const Registos a = bd().consultar(QStringLiteral("SELECT NoFo, Artigo, Nome, QtdOr, Comp, Unidade, Fornecedor, "
                                                     "DocSaida, NoLinha, PrUnit, VossoNum, Factor, Larg, Armazem "
                                                     "FROM oka_LinFo_Apr WHERE NoLinha > 4 ORDER BY NoLinha"));
    ASSERT_EQ(a.RecordCount(), 3);
    const auto p = a[0];
    EXPECT_EQ(p.texto(0), QStringLiteral("OF1"));
    EXPECT_EQ(p.texto(1), QStringLiteral("A'1"));
    EXPECT_EQ(p.texto(2), nomeLongo.left(50));
    EXPECT_EQ(p.moeda(3), M("2.5"));
    EXPECT_EQ(p.moeda(4), M("0"));
    EXPECT_EQ(p.texto(5), QStringLiteral("MET"));
    EXPECT_EQ(p.texto(6), QStringLiteral("F'9"));
    EXPECT_EQ(p.texto(7), QStringLiteral("1"));
    EXPECT_EQ(p.inteiro(8), 5);
    EXPECT_EQ(p.moeda(9), M("4"));
    EXPECT_EQ(p.texto(10), QStringLiteral("0"));
    EXPECT_EQ(p.moeda(11), M("0"));
    EXPECT_EQ(p.moeda(12), M("2"));
    EXPECT_EQ(p.texto(13), QStringLiteral("MP1"));
    EXPECT_EQ(a[1].texto(2), QStringLiteral("Parafuso d'aço"));
    EXPECT_EQ(a[1].moeda(4), M("5"));
    EXPECT_EQ(a[1].moeda(12), M("0"));
    EXPECT_EQ(a[2].inteiro(8), 7);
    EXPECT_EQ(a[2].moeda(4), M("1.5"));
    EXPECT_EQ(a[2].moeda(12), M("0.25"));
    EXPECT_EQ(a[2].texto(5), QString()); // Null base unit and supplier: empty, no message
    EXPECT_EQ(a[2].texto(6), QString());
    EXPECT_FALSE(a[2].nulo(5) || a[2].nulo(6)); // written as '', like every empty text

    const Registos c =
        bd().consultar(QStringLiteral("SELECT CustoMat, TotalCustoOut, DataActual FROM oka_CabOrc WHERE Fo = 'OF1'"));
    EXPECT_EQ(c.primeira().moeda(0), M("10.125"));
    EXPECT_EQ(c.primeira().moeda(1), M("15"));
    const QDateTime actual = QDateTime::fromString(c.primeira().texto(2).left(19), Qt::ISODate);
    EXPECT_TRUE(actual >= antes.addSecs(-1) && actual <= QDateTime::currentDateTime().addSecs(1))
        << c.primeira().texto(2).toStdString();

    const QStringList log = linhasLog();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains(QStringLiteral("SAI 3/%1 nº 1").arg(ano))) << log[0].toStdString();
}

TEST_P(GravaKova, DocumentosNumeradosSeguidosPorTipoSerieEAno)
{
    // Another year of the same type and series does not count.
    bd().executar(QStringLiteral("INSERT INTO STKDOC (TIPODOC, SERIE, ANO, NUMDOC) VALUES ('SAI', 3, ?, 40)"),
                  {QDate::currentDate().year() - 1});
    ASSERT_TRUE(gravar(Lista().linha(QStringLiteral("B2"), 1)));
    ASSERT_TRUE(gravar(Lista().linha(QStringLiteral("B2"), 1.5)));
    const Registos a = bd().consultar(QStringLiteral("SELECT NoLinha, DocSaida FROM oka_LinFo_Apr ORDER BY NoLinha"));
    ASSERT_EQ(a.RecordCount(), 2);
    EXPECT_EQ(a[0].inteiro(0), 1);
    EXPECT_EQ(a[0].texto(1), QStringLiteral("1"));
    EXPECT_EQ(a[1].inteiro(0), 2);
    EXPECT_EQ(a[1].texto(1), QStringLiteral("2"));
    EXPECT_EQ(Existencia(bd(), QStringLiteral("B2")), M("2.5"));
    EXPECT_EQ(linhasLog().size(), 2);
}

TEST_P(GravaKova, RecusaDoErpNaoEscreveNada)
{
    const struct
    {
        Lista lista;
        qint32 numero;
        const char* nomeado;
    } casos[] = {
        {Lista().linha(QStringLiteral("B2"), 1).linha(QStringLiteral("XX"), 1), LigacaoKovaBD::ArtigoInexistente, "XX"},
        {Lista().linha(QStringLiteral("B2"), 1).linha(QStringLiteral("D9"), 1), LigacaoKovaBD::ArtigoDescritivo, "D9"},
        {Lista().linha(QStringLiteral("B2"), 1).linha(QStringLiteral("C3"), 0), LigacaoKovaBD::QuantidadeInvalida,
         "C3"},
        {Lista().linha(QStringLiteral("B2"), 1).linha(QStringLiteral("C3"), 3.0001), LigacaoKovaBD::StockInsuficiente,
         "C3"},
        {Lista().linha(QStringLiteral("A'1"), 6).linha(QStringLiteral("A'1"), 4.5), LigacaoKovaBD::StockInsuficiente,
         "A'1"},
    };
    for (const auto& caso : casos) {
        op.dialogos.clear();
        EXPECT_FALSE(gravar(caso.lista));
        ASSERT_EQ(op.dialogos.size(), 1);
        EXPECT_EQ(op.dialogos[0].tipo, QStringLiteral("MensagemSistema"));
        EXPECT_EQ(op.dialogos[0].imagem, 2);
        const QString texto = op.dialogos[0].texto;
        EXPECT_TRUE(texto.startsWith(QStringLiteral("Erro: %1\r\n").arg(caso.numero))) << texto.toStdString();
        EXPECT_TRUE(texto.contains(QString::fromUtf8(caso.nomeado))) << texto.toStdString();
        nadaGravado();
    }
}

TEST_P(GravaKova, FalhaDepoisDoLancamentoDesfazTudoEConfirmarDeNovoLancaUmaVez)
{
    const Lista l =
        Lista().linha(QStringLiteral("A'1"), 1).linha(QStringLiteral("B2"), 2).linha(QStringLiteral("C3"), 3);
    GravaKovaComFalha comFalha;
    EXPECT_FALSE(gravar(comFalha, l));
    ASSERT_EQ(op.textos(QStringLiteral("MensagemSistema")),
              QStringList{QStringLiteral("Erro 77\r\n(falha simulada)\r\nNa função GravaSaidas do cl_GravaKova")});
    nadaGravado();

    ASSERT_TRUE(gravar(l));
    EXPECT_EQ(Contar(bd(), QStringLiteral("STKDOC")), 1);
    EXPECT_EQ(Contar(bd(), QStringLiteral("oka_LinFo_Apr")), 3);
    EXPECT_EQ(Existencia(bd(), QStringLiteral("A'1")), M("9"));
    EXPECT_EQ(bd().consultar(QStringLiteral("SELECT MAX(NUMDOC) FROM STKDOC")).primeira().inteiro(0), 1);
    EXPECT_EQ(linhasLog().size(), 1);
}

TEST_P(GravaKova, ErpProprioGuardaONumeroDoDocumentoPorRegistar)
{
    // On a connection of its own the stand-in behaves as an outside ERP: its document stays.
    auto outraLigacao = base().novaLigacao();
    LigacaoKovaBD erp;
    erp.setBaseDados(outraLigacao.get());
    ASSERT_TRUE(erp.Ligar(base().pasta(), {}, QStringLiteral("E"), QStringLiteral("U"), QStringLiteral("P")));
    GravaKovaComFalha g;
    g.setBd(&bd());
    g.setLigKova(&erp);
    g.setOperador(&op);
    const Lista l = Lista().linha(QStringLiteral("A'1"), 1).linha(QStringLiteral("B2"), 2);
    EXPECT_FALSE(g.GravaSaidas(l.artigos, l.qtd, l.preco, {}, QStringLiteral("P-77"), QStringLiteral("OF1"), l.comp,
                               l.larg, l.nome, l.arm));
    EXPECT_EQ(g.documentoPorRegistar(), 1);
    const QStringList m = op.textos(QStringLiteral("MensagemSistema"));
    ASSERT_EQ(m.size(), 1);
    EXPECT_TRUE(m[0].endsWith(QStringLiteral("Na função GravaSaidas do cl_GravaKova\r\nO documento SAI 3/%1 nº 1 "
                                             "ficou gravado no ERP sem as linhas da ordem.")
                                  .arg(QDate::currentDate().year())))
        << m[0].toStdString();
    EXPECT_EQ(Contar(bd(), QStringLiteral("STKDOC")), 1);
    EXPECT_EQ(Contar(bd(), QStringLiteral("oka_LinFo_Apr")), 0);
}

TEST_P(GravaKova, ValoresQueNaoCabemSaoRecusadosAntesDeLancar)
{
    Ordem(bd(), QStringLiteral("1234567"));
    EXPECT_FALSE(gravar(Lista().linha(QStringLiteral("B2"), 1), QStringLiteral("1234567")));
    EXPECT_FALSE(gravar(Lista().linha(QStringLiteral("B2"), 1).linha(QStringLiteral("ARTIGO-COM-16-CH"), 1)));
    EXPECT_FALSE(gravar(Lista().linha(QStringLiteral("B2"), 1, 0, {}, {}, {}, QStringLiteral("ARMAZEM"))));
    EXPECT_FALSE(gravar(Lista().linha(QStringLiteral("B2"), 1, 0, QStringLiteral("dez"))));
    const QStringList m = op.textos(QStringLiteral("MensagemSistema"));
    ASSERT_EQ(m.size(), 4);
    EXPECT_EQ(m[0], QStringLiteral("O número da ordem \"1234567\" tem mais de 6 caracteres."));
    EXPECT_EQ(m[1], QStringLiteral("O código de artigo \"ARTIGO-COM-16-CH\" (linha 2) tem mais de 15 caracteres."));
    EXPECT_EQ(m[2], QStringLiteral("O armazém \"ARMAZEM\" (linha 1) tem mais de 6 caracteres."));
    EXPECT_EQ(m[3], QStringLiteral("O comprimento \"dez\" (linha 1) não é um número."));
    nadaGravado();
}

TEST_P(GravaKova, LimiteSuperiorZeroLancaDocumentoVazioERecalculaCustos)
{
    LinhaMaterial(bd(), QStringLiteral("OF1"), 1, QStringLiteral("A'1"), "2", "4");
    ASSERT_TRUE(gravar(Lista()));
    EXPECT_TRUE(op.dialogos.isEmpty());
    EXPECT_EQ(Contar(bd(), QStringLiteral("STKDOC")), 1);
    EXPECT_EQ(Contar(bd(), QStringLiteral("STKDOCLIN")), 0);
    EXPECT_EQ(Contar(bd(), QStringLiteral("oka_LinFo_Apr")), 1);
    const Registos c =
        bd().consultar(QStringLiteral("SELECT CustoMat, TotalCustoOut, DataActual FROM oka_CabOrc WHERE Fo = 'OF1'"));
    EXPECT_EQ(c.primeira().moeda(0), M("8"));
    EXPECT_EQ(c.primeira().moeda(1), M("0"));
    EXPECT_FALSE(c.primeira().nulo(2));
}

TEST_P(GravaKova, LigacaoFechadaNaoAceitaLancamentos)
{
    kova.Desligar();
    EXPECT_FALSE(gravar(Lista().linha(QStringLiteral("B2"), 1)));
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")),
              QStringList{QStringLiteral("Erro: %1\r\nNão existe ligação ao ERP.").arg(LigacaoKovaBD::NaoLigado)});
    nadaGravado();

    // The database may be given after connecting, as start-up does.
    LigacaoKovaBD outra;
    ASSERT_TRUE(outra.Ligar(base().pasta(), {}, QStringLiteral("E"), QStringLiteral("U"), QStringLiteral("P")));
    outra.setBaseDados(&bd());
    EXPECT_TRUE(outra.ligado());
    EXPECT_FALSE(outra.Ligar(base().pasta(), {}, QStringLiteral("E"), QStringLiteral("U"), QString()));
    qint32 numero = 0;
    QString texto;
    outra.UltimoErro(numero, texto);
    EXPECT_EQ(numero, LigacaoKovaBD::DadosLigacaoEmFalta);
}

// 375 postings of 0.1 take a stock of 37.5 exactly to 0: the stock stored, compared by the
// posting's guard and read back stays exact to 4 decimals on every backend.
TEST_P(GravaKova, StockBaixaSemDerivaAte0)
{
    Stock(bd(), QStringLiteral("E5"), "37.5");
    Artigo(bd(), QStringLiteral("E5"));
    CabecalhoMovimento cab;
    cab.Armazem = QStringLiteral("MP1");
    cab.TipoDoc = QStringLiteral("SAI");
    cab.Serie = 3;
    cab.Data = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    cab.Ano = qint16(QDate::currentDate().year());
    int feitas = 0;
    QString recusa;
    for (int i = 0; i < 375 && recusa.isEmpty(); ++i) {
        AuxiliarMovimento aux;
        ResultadoMovimento res;
        if (kova.GravarMovimento(LigacaoKova::SaidaStock, cab, QStringLiteral("P-77"),
                                 {QString(), QStringLiteral("E5")}, {0, 0.1}, {0, 1}, aux, res)) {
            ++feitas;
        } else {
            qint32 n = 0;
            kova.UltimoErro(n, recusa);
        }
        if (feitas == 374) {
            // What the database holds, as the driver gives it, is 0.1 itself.
            const QVariant v =
                bd().consultar(QStringLiteral("SELECT EXISTENC FROM ARTARM WHERE ARTIGO = 'E5'")).primeira().valor(0);
            EXPECT_EQ(Currency::parse(v.toString()), M("0.1")) << v.toString().toStdString();
        }
    }
    EXPECT_EQ(feitas, 375) << recusa.toStdString();
    EXPECT_EQ(Existencia(bd(), QStringLiteral("E5")), M("0"));
    EXPECT_EQ(bd().consultar(QStringLiteral("SELECT COUNT(*) FROM ARTARM WHERE ARTIGO = 'E5' AND EXISTENC = 0"))
                  .primeira()
                  .inteiro(0),
              1);
    // A 376th is refused by the check, with the stock as it is.
    AuxiliarMovimento aux;
    ResultadoMovimento res;
    EXPECT_FALSE(kova.GravarMovimento(LigacaoKova::SaidaStock, cab, QStringLiteral("P-77"),
                                      {QString(), QStringLiteral("E5")}, {0, 0.1}, {0, 1}, aux, res));
    qint32 n = 0;
    kova.UltimoErro(n, recusa);
    EXPECT_EQ(n, LigacaoKovaBD::StockInsuficiente) << recusa.toStdString();
}

TEST_P(GravaKova, TerminaisEmSimultaneoNaoRepetemNumeros)
{
    constexpr int terminais = 3, vezes = 5;
    std::vector<std::thread> threads;
    std::vector<int> falhas(terminais, 0);
    for (int t = 0; t < terminais; ++t)
        threads.emplace_back([&, t] {
            LigacaoDados ligacao;
            if (!ligacao.Abrir(base().parametros())) {
                falhas[t] = vezes;
                return;
            }
            LigacaoKovaBD erp;
            erp.setBaseDados(&ligacao);
            erp.Ligar(base().pasta(), pastaLog, QStringLiteral("E"), QStringLiteral("U"), QStringLiteral("P"));
            OperadorFalso operador;
            const Lista l = Lista().linha(QStringLiteral("B2"), 0.1);
            for (int i = 0; i < vezes; ++i) {
                cl_GravaKova g;
                g.setBd(&ligacao);
                g.setLigKova(&erp);
                g.setOperador(&operador);
                if (!g.GravaSaidas(l.artigos, l.qtd, l.preco, {}, {}, QStringLiteral("OF1"), l.comp, l.larg, l.nome,
                                   l.arm))
                    ++falhas[t];
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(falhas, std::vector<int>(terminais, 0));
    const int total = terminais * vezes;
    const Registos d = bd().consultar(QStringLiteral("SELECT COUNT(*), MAX(NUMDOC) FROM STKDOC"));
    EXPECT_EQ(d.primeira().inteiro(0), total);
    EXPECT_EQ(d.primeira().inteiro(1), total);
    const Registos a = bd().consultar(QStringLiteral(
        "SELECT COUNT(*), MAX(NoLinha), COUNT(DISTINCT DocSaida) FROM oka_LinFo_Apr WHERE NoFo = 'OF1'"));
    EXPECT_EQ(a.primeira().inteiro(0), total);
    EXPECT_EQ(a.primeira().inteiro(1), total);
    EXPECT_EQ(a.primeira().inteiro(2), total);
    EXPECT_EQ(Existencia(bd(), QStringLiteral("B2")), M("5") - M("0.1") * Currency(total));
    EXPECT_EQ(linhasLog().size(), total);
}

// A posting of more lines than one statement takes (each server's limit of values per statement):
// 300 lines of 260 articles, some twice, two of them codes that differ only in letters' case.
TEST_P(GravaKova, MuitasLinhasEmVariasInstrucoes)
{
    Lista l;
    bd().transacao([&] {
        for (int i = 0; i < 260; ++i) {
            const QString a = i == 259 ? QStringLiteral("b2") : QStringLiteral("M%1").arg(i, 3, 10, QLatin1Char('0'));
            Artigo(bd(), a, 0, QStringLiteral("U%1").arg(i % 7), QStringLiteral("F%1").arg(i));
            Stock(bd(), a, "100");
            l.linha(a, 1.5, 2);
        }
    });
    for (int i = 0; i < 40; ++i)
        l.linha(QStringLiteral("M%1").arg(i * 5, 3, 10, QLatin1Char('0')), 0.5, 2);
    l.linha(QStringLiteral("B2"), 2);
    ASSERT_TRUE(gravar(l)) << op.textos(QStringLiteral("MensagemSistema")).join(u' ').toStdString();
    EXPECT_EQ(Contar(bd(), QStringLiteral("STKDOCLIN")), 301);
    EXPECT_EQ(Contar(bd(), QStringLiteral("oka_LinFo_Apr")), 301);
    EXPECT_EQ(Existencia(bd(), QStringLiteral("M000")), M("98"));
    EXPECT_EQ(Existencia(bd(), QStringLiteral("M001")), M("98.5"));
    EXPECT_EQ(Existencia(bd(), QStringLiteral("M258")), M("98.5"));
    EXPECT_EQ(Existencia(bd(), QStringLiteral("b2")), M("98.5"));
    EXPECT_EQ(Existencia(bd(), QStringLiteral("B2")), M("3"));
    const Registos a = bd().consultar(
        QStringLiteral("SELECT NoLinha, Artigo, Unidade, Fornecedor FROM oka_LinFo_Apr ORDER BY NoLinha"));
    ASSERT_EQ(a.RecordCount(), 301);
    for (int i = 0; i < 301; ++i) {
        EXPECT_EQ(a[i].inteiro(0), i + 1);
        EXPECT_EQ(a[i].texto(1), l.artigos[i + 1]);
    }
    EXPECT_EQ(a[257].texto(2), QStringLiteral("U5"));
    EXPECT_EQ(a[257].texto(3), QStringLiteral("F257"));
    EXPECT_EQ(a[300].texto(2), QStringLiteral("UN"));
    EXPECT_EQ(a[300].texto(3), QStringLiteral("F01"));
    const Registos c = bd().consultar(QStringLiteral("SELECT CustoMat FROM oka_CabOrc WHERE Fo = 'OF1'"));
    EXPECT_EQ(c.primeira().moeda(0), M("820"));
}

INSTANCIAR_BACKENDS(GravaKova);
