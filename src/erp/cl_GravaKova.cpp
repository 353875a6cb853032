#include "erp/cl_GravaKova.h"

#include <cmath>
#include <optional>

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QLocale>

#include "base/InteraccaoOperador.h"
#include "base/Rotinas.h"
#include "dataaccess/LigacaoDados.h"

namespace {

// The ERP refused the posting: its number and text are in UltimoErro; nothing was written.
struct RecusaErp
{
};

// A failure already shown to the operator by the routine that met it.
struct ErroJaMostrado
{
};

// Values beyond this cannot be held as money.
constexpr double LimiteValor = 9.0e14;

bool valorValido(double v)
{
    return std::isfinite(v) && std::fabs(v) <= LimiteValor;
}

// A length or width as typed: blank is 0; decimal point or comma.
std::optional<Currency> medida(const QString& texto)
{
    const QString t = texto.trimmed();
    if (t.isEmpty()) return Currency();
    if (const auto c = Currency::parse(t)) return c;
    bool ok = false;
    double d = QLocale(QLocale::Portuguese, QLocale::Portugal).toDouble(t, &ok);
    if (!ok) d = QLocale::c().toDouble(t, &ok);
    if (!ok || !valorValido(d)) return std::nullopt;
    return Currency::fromDouble(d);
}

} // namespace

void cl_GravaKova::recusar(const QString& texto)
{
    if (m_operador) m_operador->MensagemSistema(texto, 2);
}

void cl_GravaKova::mostrarErro(const QString& numero, const QString& descricao, const QString& funcao)
{
    QString texto = QStringLiteral("Erro %1\r\n(%2)\r\nNa função %3 do cl_GravaKova").arg(numero, descricao, funcao);
    if (m_documentoPorRegistar != 0)
        texto += QStringLiteral("\r\nO documento %1 %2/%3 nº %4 ficou gravado no ERP sem as linhas da ordem.")
                     .arg(m_documento.TipoDoc)
                     .arg(m_documento.Serie)
                     .arg(m_documento.Ano)
                     .arg(m_documentoPorRegistar);
    if (m_operador) m_operador->MensagemSistema(texto, 2);
}

bool cl_GravaKova::GravaSaidas(const QStringList& ARTIGOS, const QList<double>& Quantidade,
                               const QList<double>& PrecoUnitario, const QStringList& Lotes, const QString& processo,
                               const QString& NumeroFolhaObra, const QStringList& Comprimeno,
                               const QStringList& Largura, const QStringList& Nome, const QStringList& Armazens)
{
    Q_UNUSED(Lotes);
    m_documento = ResultadoMovimento{};
    m_documentoPorRegistar = 0;
    try {
        return ExecutaGravacao(ARTIGOS, Quantidade, PrecoUnitario, processo, NumeroFolhaObra, Comprimeno, Largura, Nome,
                               Armazens);
    } catch (const ErroJaMostrado&) {
        return false;
    } catch (const ErroBD& e) {
        mostrarErro(e.codigoNativo().isEmpty() ? QStringLiteral("0") : e.codigoNativo(), e.texto(),
                    QStringLiteral("GravaSaidas"));
        return false;
    } catch (const std::exception& e) {
        mostrarErro(QStringLiteral("0"), QString::fromUtf8(e.what()), QStringLiteral("GravaSaidas"));
        return false;
    }
}

bool cl_GravaKova::ExecutaGravacao(const QStringList& ARTIGOS, const QList<double>& Quantidade,
                                   const QList<double>& PrecoUnitario, const QString& processo,
                                   const QString& NumeroFolhaObra, const QStringList& Comprimeno,
                                   const QStringList& Largura, const QStringList& Nome, const QStringList& Armazens)
{
    if (!m_bd) {
        recusar(QStringLiteral("Não existe ligação à base de dados."));
        return false;
    }
    if (!LigKova) {
        recusar(QStringLiteral("Não existe ligação ao ERP."));
        return false;
    }

    // Everything that would not fit is refused before anything is posted.
    const int n = int(qMax<qsizetype>(0, ARTIGOS.size() - 1));
    const QString& fo = NumeroFolhaObra;
    if (fo.size() > LarguraOrdem) {
        recusar(QStringLiteral("O número da ordem \"%1\" tem mais de %2 caracteres.").arg(fo).arg(LarguraOrdem));
        return false;
    }
    if (n > 0 && (Quantidade.size() <= n || PrecoUnitario.size() <= n || Comprimeno.size() <= n ||
                  Largura.size() <= n || Nome.size() <= n || Armazens.size() <= n)) {
        recusar(QStringLiteral("Faltam dados nas linhas a gravar."));
        return false;
    }
    QList<Currency> qtd(n + 1), preco(n + 1), comp(n + 1), larg(n + 1);
    QList<double> qtdErp(n + 1, 0.0), precoErp(n + 1, 0.0);
    for (int i = 1; i <= n; ++i) {
        if (ARTIGOS[i].size() > LarguraArtigo) {
            recusar(QStringLiteral("O código de artigo \"%1\" (linha %2) tem mais de %3 caracteres.")
                        .arg(ARTIGOS[i])
                        .arg(i)
                        .arg(LarguraArtigo));
            return false;
        }
        if (Armazens[i].size() > LarguraArmazem) {
            recusar(QStringLiteral("O armazém \"%1\" (linha %2) tem mais de %3 caracteres.")
                        .arg(Armazens[i])
                        .arg(i)
                        .arg(LarguraArmazem));
            return false;
        }
        if (!valorValido(Quantidade[i])) {
            recusar(QStringLiteral("A quantidade da linha %1 não é um número válido.").arg(i));
            return false;
        }
        if (!valorValido(PrecoUnitario[i])) {
            recusar(QStringLiteral("O preço unitário da linha %1 não é um número válido.").arg(i));
            return false;
        }
        const auto c = medida(Comprimeno[i]);
        if (!c) {
            recusar(QStringLiteral("O comprimento \"%1\" (linha %2) não é um número.").arg(Comprimeno[i]).arg(i));
            return false;
        }
        const auto l = medida(Largura[i]);
        if (!l) {
            recusar(QStringLiteral("A largura \"%1\" (linha %2) não é um número.").arg(Largura[i]).arg(i));
            return false;
        }
        qtd[i] = Currency::fromDouble(Quantidade[i]);
        preco[i] = Currency::fromDouble(PrecoUnitario[i]);
        comp[i] = *c;
        larg[i] = *l;
        qtdErp[i] = qtd[i].toDouble();
        precoErp[i] = preco[i].toDouble();
    }
    // The order, with the document's settings (read once, from the settings row).
    const Registos ordem =
        m_bd->consultar(QStringLiteral("SELECT c.Fo, k.ArmMp, k.DocSc, k.SerieSc, k.SectorMp, k.Moeda"
                                       " FROM oka_CabOrc c LEFT OUTER JOIN oka_Contador k ON 1 = 1 WHERE c.Fo = ?"),
                        {fo});
    if (ordem.vazio()) {
        recusar(QStringLiteral("A ordem \"%1\" não existe.").arg(fo));
        return false;
    }
    const auto contador = ordem.primeira();

    const QDate hoje = QDate::currentDate();
    CabecalhoMovimento cabecalho;
    cabecalho.Armazem = contador.texto("ArmMp").trimmed();
    cabecalho.TipoDoc = contador.texto("DocSc").trimmed();
    cabecalho.Serie = NumeroOuZero(contador.valor("SerieSc"));
    cabecalho.Sector = contador.texto("SectorMp").trimmed();
    cabecalho.Ano = qint16(hoje.year());
    cabecalho.Moeda = contador.texto("Moeda").trimmed();
    cabecalho.Data = hoje.toString(QStringLiteral("yyyy-MM-dd"));

    QString progresso = QStringLiteral("Gravar Movimentos no KOVA");
    emit Progresso(progresso);

    LigKova->setOpcaoGravacao2(true);
    LigKova->setOpcaoGravacao1(true);
    const QStringList artigosErp = ARTIGOS.isEmpty() ? QStringList{QString()} : ARTIGOS;
    auto lancar = [&] {
        CabecalhoMovimento cab = cabecalho;
        AuxiliarMovimento aux;
        ResultadoMovimento res;
        const bool ok =
            LigKova->GravarMovimento(LigacaoKova::SaidaStock, cab, processo, artigosErp, qtdErp, precoErp, aux, res);
        m_documento = ok ? res : ResultadoMovimento{};
        return ok;
    };
    auto mostrarRecusa = [&] {
        qint32 numero = 0;
        QString texto;
        LigKova->UltimoErro(numero, texto);
        if (m_operador) m_operador->MensagemSistema(QStringLiteral("Erro: %1\r\n%2").arg(numero).arg(texto), 2);
    };
    auto gravar = [&](const Preparacao& preparacao) {
        gravarLinhasECustos(artigosErp, qtd, preco, comp, larg, Nome, Armazens, fo, preparacao,
                            QString::number(m_documento.NumeroDocumento));
    };

    if (LigKova->PartilhaTransacao(m_bd)) {
        // The document, the stock, the lines and the costs commit together, or none of them. What
        // the lines need besides the document's number is read first: the ERP numbers documents
        // while holding its series, and every other terminal's posting waits for that.
        int tentativa = 0;
        try {
            m_bd->transacao([&] {
                if (tentativa++ > 0) LigKova->TransacaoTerminada(false);
                const Preparacao preparacao = PrepararLinhas(fo, artigosErp);
                if (!lancar()) throw RecusaErp{};
                gravar(preparacao);
            });
        } catch (const RecusaErp&) {
            LigKova->TransacaoTerminada(false);
            mostrarRecusa();
            return false;
        } catch (...) {
            LigKova->TransacaoTerminada(false);
            m_documento = ResultadoMovimento{};
            throw;
        }
        LigKova->TransacaoTerminada(true);
        return true;
    }

    // An ERP of its own keeps its document whatever happens here: it is posted once, outside the
    // transaction (which may run again), and its number is reported if the recording fails.
    if (!lancar()) {
        mostrarRecusa();
        return false;
    }
    m_documentoPorRegistar = m_documento.NumeroDocumento;
    m_bd->transacao([&] { gravar(PrepararLinhas(fo, artigosErp)); });
    m_documentoPorRegistar = 0;
    return true;
}

cl_GravaKova::Preparacao cl_GravaKova::PrepararLinhas(const QString& fo, const QStringList& ARTIGOS)
{
    // Hold the order before its last line number is read, so that two terminals cannot take the
    // same number.
    if (m_bd->executar(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = SubEstado WHERE Fo = ?"), {fo}) < 1)
        throw ErroBD(QStringLiteral("A ordem \"%1\" não existe.").arg(fo));
    Preparacao p;
    p.ultima = PesquisarUltimoNumeroLinha(fo);
    p.artigos = DadosArtigos(ARTIGOS);
    return p;
}

void cl_GravaKova::gravarLinhasECustos(const QStringList& ARTIGOS, const QList<Currency>& quantidades,
                                       const QList<Currency>& precos, const QList<Currency>& comprimentos,
                                       const QList<Currency>& larguras, const QStringList& Nome,
                                       const QStringList& Armazens, const QString& NumeroFolhaObra,
                                       const Preparacao& preparacao, const QString& documento)
{
    const QString& fo = NumeroFolhaObra;
    const qint32 ultima = preparacao.ultima;
    m_porGravar.clear();
    const int n = int(ARTIGOS.size() - 1);
    for (int i = 1; i <= n; ++i) {
        const DadosArtigo a = preparacao.artigos.value(ARTIGOS[i]);
        LinhaMaterial l;
        l.NoFo = fo;
        l.Artigo = ARTIGOS[i];
        l.Nome = Nome[i].left(LarguraNome);
        l.QtdOr = quantidades[i];
        l.Comp = comprimentos[i];
        l.Unidade = a.unidade.left(LarguraUnidade);
        l.Fornecedor = a.fornecedor.left(LarguraFornecedor);
        l.DocSaida = documento;
        l.NoLinha = ultima + i;
        l.PrUnit = precos[i];
        l.VossoNum = QStringLiteral("0");
        l.Factor = Currency();
        l.Larg = larguras[i];
        l.Armazem = Armazens[i];
        GravaLinhaMaterial(l);
    }
    gravarLinhasMaterial();

    // Material cost of the order: stock articles in CustoMat, descriptors in TotalCustoOut; lines
    // whose article is unknown count in neither. Summed exactly, each product to 4 decimals.
    Currency custoMat, custoOut;
    const Registos linhas =
        m_bd->consultar(QStringLiteral("SELECT a.QtdOr, a.PrUnit, r.ARTOUDES FROM oka_LinFo_Apr a "
                                       "LEFT OUTER JOIN ARTIGOS r ON a.Artigo = r.CODIGO WHERE a.NoFo = ?"),
                        {fo});
    for (const Registos::Linha l : linhas) {
        if (l.nulo(2)) continue;
        const Currency valor = l.moeda(0) * l.moeda(1);
        if (l.inteiro(2) == 0)
            custoMat += valor;
        else
            custoOut += valor;
    }
    m_bd->executar(QStringLiteral("UPDATE oka_CabOrc SET CustoMat = ?, TotalCustoOut = ?, DataActual = ? WHERE Fo = ?"),
                   {custoMat.paraBD(), custoOut.paraBD(), DataHoraBD(QDateTime::currentDateTime()), fo});
}

void cl_GravaKova::GravaLinhaMaterial(const LinhaMaterial& l)
{
    m_porGravar << l;
}

void cl_GravaKova::gravarLinhasMaterial()
{
    // 14 values a line: 64 lines stay within every server's limit of values per statement.
    constexpr qsizetype PorInsercao = 64;
    for (qsizetype inicio = 0; inicio < m_porGravar.size(); inicio += PorInsercao) {
        QStringList tuplos;
        QVariantList valores;
        for (const LinhaMaterial& l : m_porGravar.mid(inicio, PorInsercao)) {
            tuplos << QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
            valores << TextoBD(l.NoFo) << TextoBD(l.Artigo) << TextoBD(l.Nome) << l.QtdOr.paraBD() << l.Comp.paraBD()
                    << TextoBD(l.Unidade) << TextoBD(l.Fornecedor) << TextoBD(l.DocSaida) << l.NoLinha
                    << l.PrUnit.paraBD() << TextoBD(l.VossoNum) << l.Factor.paraBD() << l.Larg.paraBD()
                    << TextoBD(l.Armazem);
        }
        m_bd->executar(
            QStringLiteral("INSERT INTO oka_LinFo_Apr (NoFo, Artigo, Nome, QtdOr, Comp, Unidade, Fornecedor, "
                           "DocSaida, NoLinha, PrUnit, VossoNum, Factor, Larg, Armazem) VALUES ") +
                tuplos.join(QStringLiteral(", ")),
            valores);
    }
    m_porGravar.clear();
}

// The look-ups below show their own database errors, naming themselves. Inside the
// posting's transaction nothing can go on after one, so the whole posting is undone; a busy
// database or a lost connection is left to the transaction, which runs again.
void cl_GravaKova::erroNaFuncao(const ErroBD& e, const QString& funcao)
{
    if (e.repetivel()) throw e;
    mostrarErro(e.codigoNativo().isEmpty() ? QStringLiteral("0") : e.codigoNativo(), e.texto(), funcao);
    throw ErroJaMostrado{};
}

qint32 cl_GravaKova::PesquisarUltimoNumeroLinha(const QString& fo)
{
    try {
        const Registos r =
            m_bd->consultar(QStringLiteral("SELECT MAX(NoLinha) FROM oka_LinFo_Apr WHERE NoFo = ?"), {fo});
        return r.vazio() ? 0 : qint32(r.primeira().inteiro(0));
    } catch (const ErroBD& e) {
        erroNaFuncao(e, QStringLiteral("PesquisarUltimoNumeroLinha"));
    }
}

// Base unit and supplier of every article of the posting (Null or no row give ""), read at once;
// the rows come back by position, so that each article is the row its own code finds. A failure is
// shown naming UnidadeBaseArtigo, the look-up that comes first.
QHash<QString, cl_GravaKova::DadosArtigo> cl_GravaKova::DadosArtigos(const QStringList& ARTIGOS)
{
    QStringList distintos;
    for (qsizetype i = 1; i < ARTIGOS.size(); ++i)
        if (!distintos.contains(ARTIGOS[i])) distintos << ARTIGOS[i];
    QHash<QString, DadosArtigo> dados;
    try {
        constexpr qsizetype PorInstrucao = 500;
        for (qsizetype inicio = 0; inicio < distintos.size(); inicio += PorInstrucao) {
            QStringList ramos;
            QVariantList valores;
            for (qsizetype k = inicio; k < qMin(distintos.size(), inicio + PorInstrucao); ++k) {
                ramos << QStringLiteral("SELECT %1 AS Pos, UNBASE, Fornec FROM ARTIGOS WHERE CODIGO = ?").arg(k);
                valores << distintos[k];
            }
            for (const auto& l : m_bd->consultar(ramos.join(QStringLiteral(" UNION ALL ")), valores))
                dados.insert(distintos[int(l.inteiro("Pos"))], DadosArtigo{l.texto("UNBASE"), l.texto("Fornec")});
        }
    } catch (const ErroBD& e) {
        erroNaFuncao(e, QStringLiteral("UnidadeBaseArtigo"));
    }
    return dados;
}
