#include "erp/LigacaoKovaBD.h"

#include <cmath>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include "base/Rotinas.h"
#include "dataaccess/LigacaoDados.h"

namespace {

// A refusal found while checking a posting; nothing has been written when it is thrown.
struct Recusa
{
    qint32 numero;
    QString texto;
};

// Widths of the document's text columns.
constexpr int LarguraTipoDoc = 10;
constexpr int LarguraArmazem = 6;
constexpr int LarguraSector = 20;
constexpr int LarguraMoeda = 5;
constexpr int LarguraProcesso = 30;
constexpr int LarguraEmpresa = 50;

// Values beyond this cannot be held as money.
constexpr double LimiteValor = 9.0e14;

// Document lines per INSERT: 9 values each, within every server's limit of values per statement.
constexpr int LinhasPorInsercao = 100;

} // namespace

QString LigacaoKovaBD::NomeFicheiroLog(const QDate& dia)
{
    return QStringLiteral("kova-%1.log").arg(dia.toString(QStringLiteral("yyyy-MM-dd")));
}

bool LigacaoKovaBD::falha(qint32 numero, const QString& texto)
{
    m_erro = numero;
    m_textoErro = texto;
    return false;
}

void LigacaoKovaBD::UltimoErro(qint32& numero, QString& texto)
{
    numero = m_erro;
    texto = m_textoErro;
}

bool LigacaoKovaBD::baseDadosResponde()
{
    if (!m_bd) return falha(BaseDadosIndisponivel, QStringLiteral("Não foi indicada a base de dados do ERP."));
    try {
        m_bd->consultar(QStringLiteral("SELECT COUNT(*) FROM STKDOC"));
        return true;
    } catch (const ErroBD& e) {
        return falha(BaseDadosIndisponivel, QStringLiteral("A base de dados do ERP não responde: %1").arg(e.texto()));
    }
}

void LigacaoKovaBD::setBaseDados(LigacaoDados* bd)
{
    m_bd = bd;
    // Given after Ligar (as start-up does): the database is checked now.
    if (m_ligado && !baseDadosResponde()) m_ligado = false;
}

bool LigacaoKovaBD::Ligar(const QString& PercursoWindows, const QString& PercursoLog, const QString& Empresa,
                          const QString& Utilizador, const QString& Password)
{
    m_ligado = false;
    m_erro = SemErro;
    m_textoErro.clear();
    m_logPendente.clear();
    if (PercursoWindows.isEmpty() || !QFileInfo(PercursoWindows).isDir())
        return falha(PercursoInexistente, QStringLiteral("O percurso \"%1\" não existe.").arg(PercursoWindows));
    if (Empresa.trimmed().isEmpty()) return falha(DadosLigacaoEmFalta, QStringLiteral("Não foi indicada a empresa."));
    if (Utilizador.trimmed().isEmpty())
        return falha(DadosLigacaoEmFalta, QStringLiteral("Não foi indicado o utilizador."));
    if (Password.isEmpty()) return falha(DadosLigacaoEmFalta, QStringLiteral("Não foi indicada a password."));
    if (m_bd && !baseDadosResponde()) return false;
    m_percursoLog = PercursoLog;
    m_empresa = Empresa.left(LarguraEmpresa);
    m_utilizador = Utilizador.left(LarguraEmpresa);
    m_ligado = true;
    return true;
}

void LigacaoKovaBD::Desligar()
{
    m_ligado = false;
    m_logPendente.clear();
}

bool LigacaoKovaBD::GravarMovimento(qint32 tipo, CabecalhoMovimento& cab, const QString& processo,
                                    const QStringList& artigos, const QList<double>& quantidades,
                                    const QList<double>& precos, AuxiliarMovimento& aux, ResultadoMovimento& res)
{
    Q_UNUSED(aux);
    res = ResultadoMovimento{};
    m_erro = SemErro;
    m_textoErro.clear();
    if (!m_ligado || !m_bd) return falha(NaoLigado, QStringLiteral("Não existe ligação ao ERP."));
    if (tipo != SaidaStock)
        return falha(TipoNaoSuportado, QStringLiteral("O tipo de movimento %1 não é suportado.").arg(tipo));

    // The header.
    const QDate data = QDate::fromString(cab.Data, QStringLiteral("yyyy-MM-dd"));
    if (cab.TipoDoc.trimmed().isEmpty())
        return falha(CabecalhoIncompleto, QStringLiteral("Não foi indicado o tipo de documento."));
    if (cab.Armazem.trimmed().isEmpty())
        return falha(CabecalhoIncompleto, QStringLiteral("Não foi indicado o armazém."));
    if (!data.isValid())
        return falha(CabecalhoIncompleto, QStringLiteral("A data do movimento \"%1\" não é válida.").arg(cab.Data));
    const struct
    {
        const QString& valor;
        int largura;
        const char* nome;
    } campos[] = {{cab.TipoDoc, LarguraTipoDoc, "tipo de documento"},
                  {cab.Armazem, LarguraArmazem, "armazém"},
                  {cab.Sector, LarguraSector, "sector"},
                  {cab.Moeda, LarguraMoeda, "moeda"},
                  {processo, LarguraProcesso, "processo"}};
    for (const auto& c : campos)
        if (c.valor.size() > c.largura)
            return falha(CabecalhoIncompleto, QStringLiteral("O %1 \"%2\" tem mais de %3 caracteres.")
                                                  .arg(QString::fromUtf8(c.nome), c.valor)
                                                  .arg(c.largura));

    // The lines, from index 1; quantities and prices become money before anything else.
    const int n = int(qMax<qsizetype>(0, artigos.size() - 1));
    if (quantidades.size() <= n || precos.size() <= n)
        return falha(LinhasIncompletas, QStringLiteral("Faltam quantidades ou preços nas linhas do movimento."));
    QList<Currency> qtd(n + 1), preco(n + 1);
    for (int i = 1; i <= n; ++i) {
        if (!std::isfinite(quantidades[i]) || std::fabs(quantidades[i]) > LimiteValor)
            return falha(QuantidadeInvalida, QStringLiteral("A quantidade da linha %1 não é válida.").arg(i));
        if (!std::isfinite(precos[i]) || std::fabs(precos[i]) > LimiteValor)
            return falha(LinhasIncompletas, QStringLiteral("O preço da linha %1 não é válido.").arg(i));
        qtd[i] = Currency::fromDouble(quantidades[i]);
        preco[i] = Currency::fromDouble(precos[i]);
    }

    const bool transacaoDeFora = m_bd->emTransacao();
    QString linhaLog;
    try {
        m_bd->transacao([&] {
            res = ResultadoMovimento{};
            // Every check before the first write. Each article's kind and its stock in the document's
            // warehouse are read for all articles at once; the rows come back by position, so that
            // each article is the row its own code finds, however the server compares codes.
            QStringList ordem;
            QHash<QString, Currency> pedido;
            for (int i = 1; i <= n; ++i) {
                if (!pedido.contains(artigos[i])) ordem << artigos[i];
                pedido[artigos[i]] += qtd[i];
            }
            struct Artigo
            {
                qint64 ARTOUDES = 0;
                Currency EXISTENC;
            };
            QHash<QString, Artigo> lidos;
            constexpr qsizetype PorInstrucao = 250;
            for (qsizetype inicio = 0; inicio < ordem.size(); inicio += PorInstrucao) {
                QStringList ramos;
                QVariantList valores;
                for (qsizetype k = inicio; k < qMin(ordem.size(), inicio + PorInstrucao); ++k) {
                    ramos << QStringLiteral("SELECT %1 AS Pos, ARTOUDES, (SELECT EXISTENC FROM ARTARM"
                                            " WHERE ARTIGO = ? AND ARMAZEM = ?) AS EXISTENC FROM ARTIGOS"
                                            " WHERE CODIGO = ?")
                                 .arg(k);
                    valores << ordem[k] << cab.Armazem << ordem[k];
                }
                for (const auto& l : m_bd->consultar(ramos.join(QStringLiteral(" UNION ALL ")), valores))
                    lidos.insert(ordem[int(l.inteiro("Pos"))], Artigo{l.inteiro("ARTOUDES"), l.moeda("EXISTENC")});
            }
            for (int i = 1; i <= n; ++i) {
                const QString& artigo = artigos[i];
                if (qtd[i] <= Currency())
                    throw Recusa{QuantidadeInvalida, QStringLiteral("A quantidade %1 do artigo %2 (linha %3) não é "
                                                                    "superior a zero.")
                                                         .arg(qtd[i].toString(), artigo)
                                                         .arg(i)};
                if (!lidos.contains(artigo))
                    throw Recusa{ArtigoInexistente, QStringLiteral("O artigo %1 não existe.").arg(artigo)};
                if (lidos.value(artigo).ARTOUDES != 0)
                    throw Recusa{ArtigoDescritivo,
                                 QStringLiteral("O artigo %1 é um descritivo e não movimenta stock.").arg(artigo)};
            }
            for (const QString& artigo : ordem) {
                const Currency existe = lidos.value(artigo).EXISTENC;
                if (existe < pedido[artigo])
                    throw Recusa{StockInsuficiente,
                                 QStringLiteral("Stock insuficiente do artigo %1 no armazém %2: existem %3, pedido %4.")
                                     .arg(artigo, cab.Armazem, existe.toString(), pedido[artigo].toString())};
            }

            // The stock first: numbering holds the series, which every other posting waits for.
            baixarStock(ordem, pedido, cab.Armazem);

            // Number after the series' last document while holding the series: every posting holds
            // the series' first document (which never changes) before it reads the last number, so
            // a second posting waits here and then reads the number this one wrote, instead of
            // clashing on the key (only the series' first document can clash, and the transaction
            // runs again).
            m_bd->executar(
                QStringLiteral("UPDATE STKDOC SET NUMDOC = NUMDOC WHERE TIPODOC = ? AND SERIE = ? AND ANO = ?"
                               " AND NUMDOC = (SELECT MIN(NUMDOC) FROM STKDOC"
                               " WHERE TIPODOC = ? AND SERIE = ? AND ANO = ?)"),
                {cab.TipoDoc, int(cab.Serie), int(cab.Ano), cab.TipoDoc, int(cab.Serie), int(cab.Ano)});
            const Registos m = m_bd->consultar(
                QStringLiteral("SELECT MAX(NUMDOC) FROM STKDOC WHERE TIPODOC = ? AND SERIE = ? AND ANO = ?"),
                {cab.TipoDoc, int(cab.Serie), int(cab.Ano)});
            const qint64 ultimo = m.vazio() ? qint64(0) : m.primeira().inteiro(0);
            const qint32 numero = qint32(ultimo + 1);
            m_bd->executar(QStringLiteral("INSERT INTO STKDOC (TIPODOC, SERIE, ANO, NUMDOC, ARMAZEM, SECTOR, DATA, "
                                          "MOEDA, PROCESSO, EMPRESA, UTILIZADOR, CRIADO) "
                                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                           {cab.TipoDoc, int(cab.Serie), int(cab.Ano), numero, cab.Armazem, TextoBD(cab.Sector), data,
                            TextoBD(cab.Moeda), TextoBD(processo), m_empresa, m_utilizador,
                            DataHoraBD(QDateTime::currentDateTime())});
            // The document's lines, many to a statement.
            for (int inicio = 1; inicio <= n; inicio += LinhasPorInsercao) {
                const int ate = qMin(n, inicio + LinhasPorInsercao - 1);
                QStringList tuplos;
                QVariantList valores;
                for (int i = inicio; i <= ate; ++i) {
                    tuplos << QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?)");
                    valores << cab.TipoDoc << int(cab.Serie) << int(cab.Ano) << numero << i << artigos[i] << cab.Armazem
                            << qtd[i].paraBD() << preco[i].paraBD();
                }
                m_bd->executar(QStringLiteral("INSERT INTO STKDOCLIN (TIPODOC, SERIE, ANO, NUMDOC, LINHA, ARTIGO, "
                                              "ARMAZEM, QUANT, PRECO) VALUES ") +
                                   tuplos.join(QStringLiteral(", ")),
                               valores);
            }
            res.TipoDoc = cab.TipoDoc;
            res.Serie = cab.Serie;
            res.Ano = cab.Ano;
            res.NumeroDocumento = numero;
            res.Linhas = n;
            linhaLog = QStringLiteral("%1\t%2\t%3\tDocumento %4 %5/%6 nº %7\tArmazém %8\tProcesso %9\t%10 linha(s)")
                           .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), m_empresa,
                                m_utilizador, cab.TipoDoc)
                           .arg(cab.Serie)
                           .arg(cab.Ano)
                           .arg(numero)
                           .arg(cab.Armazem, processo)
                           .arg(n);
        });
    } catch (const Recusa& r) {
        res = ResultadoMovimento{};
        return falha(r.numero, r.texto);
    } catch (const ErroBD& e) {
        // Inside the caller's transaction the caller decides (run it again, or undo it).
        if (transacaoDeFora) throw;
        res = ResultadoMovimento{};
        return falha(ErroBaseDados, QStringLiteral("Erro da base de dados: %1").arg(e.texto()));
    }
    if (transacaoDeFora)
        m_logPendente << linhaLog;
    else
        escreverLog({linhaLog});
    return true;
}

// Takes each article's quantity (the sum of its lines) from its stock in the warehouse. The guard
// keeps stock from going negative when another posting took it meanwhile; the whole transaction
// then runs again and the check before refuses it. ROUND keeps the stored stock exact to 4
// decimals where the column is a binary float (SQLite), so that the comparison of the next
// posting is exact too. Many articles go in one statement, unless two of the codes could be one
// article to the server (letters' case, trailing blanks): then one statement each.
void LigacaoKovaBD::baixarStock(const QStringList& artigos, const QHash<QString, Currency>& quantidades,
                                const QString& armazem)
{
    QSet<QString> chaves;
    for (const QString& a : artigos) {
        QString chave = a.toUpper();
        while (chave.endsWith(u' '))
            chave.chop(1);
        chaves.insert(chave);
    }
    const qsizetype porInstrucao = chaves.size() == artigos.size() ? 150 : 1;
    for (qsizetype inicio = 0; inicio < artigos.size(); inicio += porInstrucao) {
        const QStringList parte = artigos.mid(inicio, porInstrucao);
        int mudou = 0;
        if (parte.size() == 1) {
            const QString& artigo = parte.first();
            mudou = m_bd->executar(QStringLiteral("UPDATE ARTARM SET EXISTENC = ROUND(EXISTENC - ?, 4) "
                                                  "WHERE ARTIGO = ? AND ARMAZEM = ? AND EXISTENC >= ?"),
                                   {quantidades[artigo].paraBD(), artigo, armazem, quantidades[artigo].paraBD()});
        } else {
            QString casos, codigos;
            QVariantList porArtigo, lista;
            for (const QString& artigo : parte) {
                casos += QStringLiteral(" WHEN ? THEN CAST(? AS DECIMAL(19,4))");
                porArtigo << artigo << quantidades[artigo].paraBD();
                codigos += codigos.isEmpty() ? QStringLiteral("?") : QStringLiteral(", ?");
                lista << artigo;
            }
            mudou = m_bd->executar(QStringLiteral("UPDATE ARTARM SET EXISTENC = ROUND(EXISTENC - CASE ARTIGO") + casos +
                                       QStringLiteral(" END, 4) WHERE ARMAZEM = ? AND ARTIGO IN (") + codigos +
                                       QStringLiteral(") AND EXISTENC >= CASE ARTIGO") + casos + QStringLiteral(" END"),
                                   porArtigo + QVariantList{armazem} + lista + porArtigo);
        }
        if (mudou != parte.size())
            throw ErroBD(
                QStringLiteral("O stock do artigo %1 mudou durante a gravação.").arg(parte.join(QStringLiteral(", "))),
                {}, ErroBD::Tipo::Repetivel);
    }
}

void LigacaoKovaBD::TransacaoTerminada(bool confirmada)
{
    const QStringList linhas = m_logPendente;
    m_logPendente.clear();
    if (confirmada) escreverLog(linhas);
}

void LigacaoKovaBD::escreverLog(const QStringList& linhas)
{
    if (linhas.isEmpty() || m_percursoLog.isEmpty() || !QFileInfo(m_percursoLog).isDir()) return;
    // The log is a courtesy: a posting stands even when its line cannot be written.
    QFile f(QDir(m_percursoLog).filePath(NomeFicheiroLog(QDate::currentDate())));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    for (const QString& l : linhas)
        f.write((l + QStringLiteral("\r\n")).toUtf8());
}
