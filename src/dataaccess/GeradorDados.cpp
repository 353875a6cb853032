#include "dataaccess/GeradorDados.h"

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>

#include "base/Rotinas.h"
#include "dataaccess/CifraSenha.h"
#include "dataaccess/EsquemaBD.h"

namespace {

// Multi-row INSERTs with bound values: a full statement of `porInsert` rows is prepared once and
// executed again and again; the remainder goes in one shorter statement.
class InsercaoEmMassa
{
public:
    InsercaoEmMassa(LigacaoDados& bd, const QString& tabela, const QStringList& colunas, int porInsert)
        : m_bd(bd), m_tabela(tabela), m_colunas(colunas), m_porInsert(std::max(1, porInsert))
    {
        m_valores.reserve(m_porInsert * colunas.size());
    }

    void adicionar(const QVariantList& linha)
    {
        Q_ASSERT(linha.size() == m_colunas.size());
        m_valores += linha;
        if (m_valores.size() >= m_porInsert * m_colunas.size()) despejar();
    }

    void despejar()
    {
        if (m_valores.isEmpty()) return;
        const int linhas = int(m_valores.size() / m_colunas.size());
        QSqlQuery* q;
        QSqlQuery resto(m_bd.bd());
        if (linhas == m_porInsert) {
            if (!m_cheia) {
                m_cheia = std::make_unique<QSqlQuery>(m_bd.bd());
                preparar(*m_cheia, linhas);
            }
            q = m_cheia.get();
        } else {
            preparar(resto, linhas);
            q = &resto;
        }
        for (int i = 0; i < m_valores.size(); ++i)
            q->bindValue(i, m_valores[i]);
        if (!q->exec())
            throw ErroBD(QStringLiteral("%1: %2").arg(m_tabela, q->lastError().text()),
                         q->lastError().nativeErrorCode());
        m_valores.clear();
    }

private:
    void preparar(QSqlQuery& q, int linhas)
    {
        const QString uma =
            QLatin1Char('(') + QStringList(m_colunas.size(), QStringLiteral("?")).join(u',') + QLatin1Char(')');
        QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(m_tabela, m_colunas.join(u','));
        sql.reserve(sql.size() + linhas * (uma.size() + 1));
        for (int i = 0; i < linhas; ++i) {
            if (i) sql += QLatin1Char(',');
            sql += uma;
        }
        if (!q.prepare(sql))
            throw ErroBD(QStringLiteral("%1: %2").arg(m_tabela, q.lastError().text()), q.lastError().nativeErrorCode());
    }

    LigacaoDados& m_bd;
    QString m_tabela;
    QStringList m_colunas;
    int m_porInsert;
    QVariantList m_valores;
    std::unique_ptr<QSqlQuery> m_cheia;
};

// The whole fill runs in one transaction: a generator stopped half way (killed, a lost connection,
// a full disk) leaves the database as empty as it found it, so that it can simply run again.
// Begun and ended here rather than through LigacaoDados::transacao, which would run the whole
// fill again after a busy error.
class TransacaoUnica
{
public:
    explicit TransacaoUnica(LigacaoDados& bd) : m_bd(bd)
    {
        if (m_bd.dialecto() == Dialecto::SQLite)
            executar(QStringLiteral("BEGIN IMMEDIATE"));
        else if (!m_bd.bd().transaction())
            throw ErroBD(QStringLiteral("BEGIN: %1").arg(m_bd.bd().lastError().text()),
                         m_bd.bd().lastError().nativeErrorCode());
        m_aberta = true;
    }
    ~TransacaoUnica()
    {
        if (!m_aberta) return;
        if (m_bd.dialecto() == Dialecto::SQLite)
            QSqlQuery(m_bd.bd()).exec(QStringLiteral("ROLLBACK"));
        else
            m_bd.bd().rollback();
    }
    TransacaoUnica(const TransacaoUnica&) = delete;
    TransacaoUnica& operator=(const TransacaoUnica&) = delete;

    void confirmar()
    {
        if (m_bd.dialecto() == Dialecto::SQLite)
            executar(QStringLiteral("COMMIT"));
        else if (!m_bd.bd().commit())
            throw ErroBD(QStringLiteral("COMMIT: %1").arg(m_bd.bd().lastError().text()),
                         m_bd.bd().lastError().nativeErrorCode());
        m_aberta = false;
    }
    // One statement with bound values, inside the transaction.
    void executar(const QString& sql, const QVariantList& valores = {})
    {
        QSqlQuery q(m_bd.bd());
        bool ok = q.prepare(sql);
        for (int i = 0; ok && i < valores.size(); ++i)
            q.bindValue(i, valores[i]);
        if (!ok || !q.exec())
            throw ErroBD(QStringLiteral("%1: %2").arg(sql, q.lastError().text()), q.lastError().nativeErrorCode());
    }

private:
    LigacaoDados& m_bd;
    bool m_aberta = false;
};

Currency hhmmss(int segundosDoDia)
{
    const int h = segundosDoDia / 3600, m = (segundosDoDia / 60) % 60, s = segundosDoDia % 60;
    return Currency::fromRaw(qint64(h) * 10000 + m * 100 + s);
}

// Money with two decimals between a and b (in cents).
Currency centimos(std::mt19937& rng, int a, int b)
{
    return Currency::fromRaw(qint64(std::uniform_int_distribution<int>(a, b)(rng)) * 100);
}

const char* const kNomesOperacoes[] = {"Corte",       "Dobragem", "Soldadura", "Pintura",   "Montagem", "Furação",
                                       "Torneamento", "Fresagem", "Polimento", "Embalagem", "Controlo", "Rebarbagem"};
const char* const kNomesMaquinas[] = {"Guilhotina", "Quinadora", "Soldadora",        "Cabine de pintura",
                                      "Torno",      "Fresadora", "Engenho de furar", "Prensa",
                                      "Laser",      "Serrote"};
const char* const kMotivos[] = {
    "Falta de material",        "Avaria da máquina", "Aguarda desenho",         "Falta de ferramenta",
    "Prioridade de outra obra", "Aguarda controlo",  "Cliente pediu alteração", "Fim de turno"};
const char* const kUnidades[] = {"UN", "KG", "M", "M2", "L"};

} // namespace

QString GeradorDados::NumeroOrdem(int i)
{
    return QString::number(100000 + i);
}

QString GeradorDados::CodigoFuncionario(int i)
{
    return QStringLiteral("F%1").arg(i + 1, 4, 10, QLatin1Char('0'));
}

QString GeradorDados::CodigoMaquina(int i)
{
    return QStringLiteral("M%1").arg(i + 1, 3, 10, QLatin1Char('0'));
}

QString GeradorDados::CodigoArtigo(int i)
{
    return QStringLiteral("A%1").arg(i + 1, 6, 10, QLatin1Char('0'));
}

QString GeradorDados::Armazem()
{
    return QStringLiteral("A1");
}

ResultadoGerador GeradorDados::Gerar(LigacaoDados& bd, const ParametrosGerador& p,
                                     const std::function<void(const QString&)>& progresso)
{
    QElapsedTimer relogio;
    relogio.start();
    auto avisar = [&](const QString& t) {
        if (progresso) progresso(QStringLiteral("[%1 s] %2").arg(relogio.elapsed() / 1000.0, 0, 'f', 1).arg(t));
    };
    if (p.ordens < 1 || p.ordens > 899999 || p.linhas < 0 || p.funcionarios < 1 || p.operacoes < 1 || p.maquinas < 1 ||
        p.artigos < 1 || p.funcionarios > 9999 || p.maquinas > 999 || p.artigos > 999999)
        throw ErroBD(QStringLiteral("Dimensões fora dos limites do gerador"));
    // A bulk load runs statements far longer than an operator's; the connection's limit returns after.
    const int limiteAntes = bd.parametros().segundosInstrucao;
    bd.definirTempoLimiteInstrucao(0);
    const auto repor = qScopeGuard([&] {
        try {
            bd.definirTempoLimiteInstrucao(limiteAntes);
        } catch (const ErroBD&) {
        }
    });
    if (!EsquemaBD::Existe(bd)) EsquemaBD::Criar(bd);
    // Every table it fills must be empty.
    const Registos ja = bd.consultar(QStringLiteral(
        "SELECT (SELECT COUNT(*) FROM oka_Funcionarios), (SELECT COUNT(*) FROM oka_CabOrc), "
        "(SELECT COUNT(*) FROM oka_LinFo_Ope), (SELECT COUNT(*) FROM ARTIGOS), (SELECT COUNT(*) FROM oka_Contador) + "
        "(SELECT COUNT(*) FROM oka_Motivos) + (SELECT COUNT(*) FROM oka_Operacoes) + (SELECT COUNT(*) FROM "
        "oka_Maquinas) + (SELECT COUNT(*) FROM FAMILIA) + (SELECT COUNT(*) FROM ARTARM) + (SELECT COUNT(*) FROM "
        "oka_LinFo_Apr)"));
    const Registos::Linha c = ja.primeira();
    if (c.inteiro(0) + c.inteiro(1) + c.inteiro(2) + c.inteiro(3) + c.inteiro(4) > 0)
        throw ErroBD(QStringLiteral("A base de dados já tem dados (%1 funcionários, %2 ordens, %3 linhas de mão de "
                                    "obra, %4 artigos); o gerador só preenche uma base de dados vazia. Use uma base "
                                    "de dados nova, ou apague estes dados primeiro.")
                         .arg(c.inteiro(0))
                         .arg(c.inteiro(1))
                         .arg(c.inteiro(2))
                         .arg(c.inteiro(3)));
    if (bd.dialecto() == Dialecto::SQLite) bd.executar(QStringLiteral("PRAGMA cache_size=-200000"));

    std::mt19937 rng(p.semente);
    auto uniforme = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    auto probabilidade = [&] { return std::uniform_real_distribution<double>(0, 1)(rng); };
    ResultadoGerador r;
    const Currency ci = Currency(5);
    const int porIns = p.linhasPorInsert;

    TransacaoUnica transacao(bd);
    // Settings, reasons, employees, operations, machines.
    transacao.executar(QStringLiteral("INSERT INTO oka_Contador (Id, CI, ArmMp, Artigos, DocSc, SerieSc, SectorMp, "
                                      "Moeda) VALUES (1, ?, ?, ?, ?, 1, ?, ?)"),
                       {ci.paraBD(), Armazem(), QStringLiteral("G10"), QStringLiteral("SC"), QStringLiteral("PROD"),
                        QStringLiteral("EUR")});
    int motivo = 0;
    for (const char* m : kMotivos)
        transacao.executar(QStringLiteral("INSERT INTO oka_Motivos (codigo, Motivo) VALUES (?, ?)"),
                           {QString::number(++motivo), QString::fromUtf8(m)});
    const QString hash = CifraSenha::Cifrar(p.senha);
    std::vector<Currency> custoFunc(p.funcionarios), custoMaq(p.maquinas);
    std::vector<QString> nomeOper(p.operacoes);
    {
        InsercaoEmMassa ins(bd, QStringLiteral("oka_Funcionarios"),
                            {"FuncId", "FuncNome", "Senha", "Nivel", "CustoHora"}, porIns);
        for (int i = 0; i < p.funcionarios; ++i) {
            custoFunc[i] = centimos(rng, 850, 2500);
            ins.adicionar({CodigoFuncionario(i), QStringLiteral("Funcionário %1").arg(i + 1), hash, i % 25 == 0 ? 1 : 0,
                           custoFunc[i].paraBD()});
        }
        ins.despejar();
    }
    {
        InsercaoEmMassa ins(bd, QStringLiteral("oka_Operacoes"), {"OperId", "OperNome"}, porIns);
        for (int i = 0; i < p.operacoes; ++i) {
            nomeOper[i] = QStringLiteral("%1 %2").arg(QString::fromUtf8(kNomesOperacoes[i % 12])).arg(i / 12 + 1);
            ins.adicionar({i + 1, nomeOper[i]});
        }
        ins.despejar();
    }
    {
        InsercaoEmMassa ins(bd, QStringLiteral("oka_Maquinas"), {"MaqId", "MaqNome", "CustoHora"}, porIns);
        for (int i = 0; i < p.maquinas; ++i) {
            custoMaq[i] = centimos(rng, 500, 6000);
            ins.adicionar({CodigoMaquina(i),
                           QStringLiteral("%1 %2").arg(QString::fromUtf8(kNomesMaquinas[i % 10])).arg(i / 10 + 1),
                           custoMaq[i].paraBD()});
        }
        ins.despejar();
    }
    avisar(QStringLiteral("catálogos"));

    // Articles, families and stock: one article in twenty is a descriptor (no stock).
    std::vector<bool> descritor(p.artigos);
    std::vector<QString> nomeArt(p.artigos), unidadeArt(p.artigos), fornecArt(p.artigos);
    {
        InsercaoEmMassa fam(bd, QStringLiteral("FAMILIA"), {"GRUPO", "COD", "DESCR"}, porIns);
        for (int g = 1; g <= 10; ++g)
            for (int f = 1; f <= 5; ++f)
                fam.adicionar({QStringLiteral("G%1").arg(g, 2, 10, QLatin1Char('0')), QStringLiteral("F%1").arg(f),
                               QStringLiteral("Família %1.%2").arg(g).arg(f)});
        fam.despejar();
        InsercaoEmMassa art(bd, QStringLiteral("ARTIGOS"),
                            {"CODIGO", "NOME", "GRUPO", "FAMILIA", "FACTEMB", "ARTOUDES", "UNBASE", "Fornec"}, porIns);
        for (int i = 0; i < p.artigos; ++i) {
            descritor[i] = i % 20 == 19;
            nomeArt[i] = QStringLiteral("Artigo %1").arg(i + 1);
            unidadeArt[i] = QString::fromLatin1(kUnidades[i % 5]);
            fornecArt[i] = QStringLiteral("FOR%1").arg(i % 50 + 1, 3, 10, QLatin1Char('0'));
            art.adicionar({CodigoArtigo(i), nomeArt[i], QStringLiteral("G%1").arg(i % 10 + 1, 2, 10, QLatin1Char('0')),
                           QStringLiteral("F%1").arg((i / 10) % 5 + 1), 1.0, descritor[i] ? 1 : 0, unidadeArt[i],
                           fornecArt[i]});
        }
        art.despejar();
        InsercaoEmMassa stk(bd, QStringLiteral("ARTARM"), {"ARTIGO", "ARMAZEM", "EXISTENC"}, porIns);
        for (int i = 0; i < p.artigos; ++i)
            if (!descritor[i]) stk.adicionar({CodigoArtigo(i), Armazem(), Currency(uniforme(1000, 100000)).paraBD()});
        stk.despejar();
        r.artigos = p.artigos;
    }
    avisar(QStringLiteral("%1 artigos").arg(p.artigos));

    // Orders: the newest tenth is in production, the rest is closed history over two years.
    const int nOrdens = p.ordens;
    const int nAbertas = std::clamp(p.ordensAbertas > 0 ? p.ordensAbertas : nOrdens / 10, 1, nOrdens);
    const int nFechadas = nOrdens - nAbertas;
    // Employees [0, emCurso) have one running line today; [emCurso, emCurso + fimDia) one line
    // interrupted at yesterday's day end; the others none.
    const int emCurso = std::min(p.funcionarios * 2 / 5, nAbertas * 3);
    const int fimDia = std::min(p.funcionarios / 20, p.funcionarios - emCurso);
    std::vector<std::vector<int>> comTrabalhoPorOrdem(nAbertas);
    for (int e = 0; e < emCurso + fimDia; ++e)
        comTrabalhoPorOrdem[e % nAbertas].push_back(e);

    std::vector<Currency> prod(nOrdens), ind(nOrdens);
    std::vector<QDate> ultimoDia(nOrdens);
    {
        InsercaoEmMassa ins(bd, QStringLiteral("oka_LinFo_Ope"),
                            {"NoFo", "NoLinha", "Data", "HoraInicio", "HoraFim", "Total", "Opera", "Descritivo",
                             "Maquina", "Func", "CustoHomem", "CustoMaquina", "Estado"},
                            porIns);
        const qint64 base = p.linhas / nOrdens, resto = p.linhas % nOrdens;
        for (int o = 0; o < nOrdens; ++o) {
            const QString fo = NumeroOrdem(o);
            const qint64 k = base + (o < resto ? 1 : 0);
            const bool aberta = o >= nFechadas;
            QDate diaOrdem = aberta ? p.hoje.addDays(-uniforme(1, 10))
                                    : p.hoje.addDays(-11 - qint64(730) * (nFechadas - 1 - o) / std::max(1, nFechadas));
            ultimoDia[o] = diaOrdem;
            int linha = 0;
            auto escrever = [&](const QVariant& data, Currency ini, Currency fim, int oper, int maq,
                                const QVariant& func, int funcIdx, int estado) {
                const Currency total =
                    fim == Currency() ? Currency() : DecimalParaHora(HoraParaDecimal(fim) - HoraParaDecimal(ini));
                const Currency ch = funcIdx >= 0 ? custoFunc[funcIdx] : Currency();
                const Currency cm = maq >= 0 ? custoMaq[maq] : Currency();
                if (total > Currency()) {
                    const Currency h = HoraParaDecimal(total);
                    prod[o] += (ch + cm) * h;
                    ind[o] += h * ci;
                }
                ins.adicionar({fo, ++linha, data, ini.paraBD(), fim.paraBD(), total.paraBD(), oper + 1, nomeOper[oper],
                               maq >= 0 ? QVariant(CodigoMaquina(maq)) : QVariant(QMetaType(QMetaType::QString)), func,
                               ch.paraBD(), cm.paraBD(), estado});
                ++r.linhas;
            };
            qint64 restantes = k;
            if (aberta) {
                // Prepared lines come first (the office writes them when the order is released).
                for (int j = 0; j < 2 && restantes >= 4; ++j, --restantes) {
                    escrever(DataBD(diaOrdem), Currency(), Currency(), uniforme(0, p.operacoes - 1), -1,
                             QVariant(QMetaType(QMetaType::QString)), -1, 0);
                    ++r.linhasPreparadas;
                }
                for (int e : comTrabalhoPorOrdem[o - nFechadas]) {
                    if (restantes < 1) break;
                    --restantes;
                    const int oper = uniforme(0, p.operacoes - 1), maq = uniforme(0, p.maquinas - 1);
                    if (e < emCurso) {
                        escrever(DataBD(p.hoje), hhmmss(uniforme(6 * 3600, 8 * 3600)), Currency(), oper, maq,
                                 CodigoFuncionario(e), e, 1);
                        ++r.linhasEmCurso;
                    } else {
                        const int ini = uniforme(13 * 3600, 15 * 3600);
                        escrever(DataBD(p.hoje.addDays(-1)), hhmmss(ini), hhmmss(ini + uniforme(600, 3 * 3600)), oper,
                                 maq, CodigoFuncionario(e), e, 8);
                        ++r.linhasFimDia;
                    }
                }
            }
            for (; restantes > 0; --restantes) {
                const int f = uniforme(0, p.funcionarios - 1), maq = uniforme(0, p.maquinas - 1);
                const int ini = uniforme(6 * 3600, 17 * 3600);
                const int fim = std::min(ini + uniforme(300, 4 * 3600), 23 * 3600 + 59 * 60 + 59);
                const double pe = probabilidade();
                const int estado = pe < 0.85 ? 2 : pe < 0.88 ? 4 : pe < 0.93 ? 9 : 10;
                const QDate dia = diaOrdem.addDays(-uniforme(0, 5));
                escrever(DataBD(dia), hhmmss(ini), hhmmss(fim), uniforme(0, p.operacoes - 1), maq, CodigoFuncionario(f),
                         f, estado);
            }
        }
        ins.despejar();
    }
    avisar(QStringLiteral("%1 linhas de mão de obra").arg(r.linhas));

    // Material lines, then the headers with their costs.
    std::vector<Currency> mat(nOrdens), out(nOrdens);
    {
        InsercaoEmMassa ins(bd, QStringLiteral("oka_LinFo_Apr"),
                            {"NoFo", "NoLinha", "Artigo", "Nome", "QtdOr", "Comp", "Unidade", "Fornecedor", "DocSaida",
                             "PrUnit", "VossoNum", "Factor", "Larg", "Armazem"},
                            porIns);
        for (int o = 0; o < nOrdens; ++o)
            for (int j = 0; j < p.materiaisPorOrdem; ++j) {
                const int a = uniforme(0, p.artigos - 1);
                const Currency q = Currency(uniforme(1, 20));
                const Currency pu = centimos(rng, 50, 9999);
                (descritor[a] ? out[o] : mat[o]) += q * pu;
                ins.adicionar({NumeroOrdem(o), j + 1, CodigoArtigo(a), nomeArt[a], q.paraBD(), Currency().paraBD(),
                               unidadeArt[a], fornecArt[a], QStringLiteral("%1").arg(o % 100000), pu.paraBD(),
                               QStringLiteral("0"), Currency().paraBD(), Currency().paraBD(), Armazem()});
                ++r.materiais;
            }
        ins.despejar();
    }
    {
        InsercaoEmMassa ins(bd, QStringLiteral("oka_CabOrc"),
                            {"Fo", "EstadoFo", "SubEstado", "DataActual", "Notas", "Processo", "TotalCustoProd",
                             "TotalCustoInd", "CustoMat", "TotalCustoOut"},
                            porIns);
        for (int o = 0; o < nOrdens; ++o) {
            const bool aberta = o >= nFechadas;
            ins.adicionar({NumeroOrdem(o), aberta ? 1 : 4, aberta ? uniforme(0, 4) : 5,
                           DataHoraBD(QDateTime(ultimoDia[o], QTime(18, 0))), QVariant(QMetaType(QMetaType::QString)),
                           QStringLiteral("PR%1").arg(o + 1), prod[o].paraBD(), ind[o].paraBD(), mat[o].paraBD(),
                           out[o].paraBD()});
            ++r.ordens;
            if (aberta) ++r.ordensAbertas;
        }
        ins.despejar();
    }
    transacao.confirmar();
    avisar(QStringLiteral("%1 ordens, %2 linhas de material").arg(r.ordens).arg(r.materiais));
    // Statistics for the planner; on PostgreSQL also the visibility map and hint bits, so that the
    // first readers do not pay for the load.
    if (bd.dialecto() == Dialecto::PostgreSQL) {
        for (const char* tabela : {"oka_LinFo_Ope", "oka_CabOrc", "oka_LinFo_Apr", "ARTIGOS", "ARTARM", "FAMILIA",
                                   "oka_Funcionarios", "oka_Operacoes", "oka_Maquinas", "oka_Motivos", "oka_Contador"})
            bd.executar(QStringLiteral("VACUUM ANALYZE %1").arg(QLatin1String(tabela)));
    } else if (bd.dialecto() == Dialecto::SQLite)
        bd.executar(QStringLiteral("ANALYZE"));
    r.segundos = relogio.elapsed() / 1000.0;
    return r;
}
