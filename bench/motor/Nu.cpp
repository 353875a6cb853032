#include "motor/Nu.h"

#include <set>

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "base/Rotinas.h"

namespace {

QVariant idOperacao(const QString& codigo)
{
    bool ok = false;
    const int n = codigo.trimmed().toInt(&ok);
    return ok ? QVariant(n) : QVariant(codigo);
}

Currency duracao(const QDate& data, Currency inicio, const QDateTime& fim)
{
    Currency horas = HoraParaDecimal(HoraEmNumero(fim)) - HoraParaDecimal(inicio);
    if (inicio > Currency() && data.isValid()) horas += Currency(24) * Currency(int(data.daysTo(fim.date())));
    return horas > Currency() ? DecimalParaHora(horas) : Currency();
}

const QString kIniciadas =
    QStringLiteral("SELECT oka_CabOrc.Fo, oka_Operacoes.OperNome FROM oka_CabOrc INNER JOIN"
                   " oka_LinFo_Ope ON oka_CabOrc.Fo = oka_LinFo_Ope.NoFo INNER JOIN"
                   " oka_Operacoes ON oka_LinFo_Ope.Opera = oka_Operacoes.OperId"
                   " WHERE (oka_LinFo_Ope.Func = ?) AND (oka_LinFo_Ope.Estado = 1)"
                   " AND NOT (oka_LinFo_Ope.HoraInicio = 0 AND oka_LinFo_Ope.Total = 0)"
                   " AND (oka_CabOrc.EstadoFo <> 4) ORDER BY oka_LinFo_Ope.NoFo, oka_LinFo_Ope.NoLinha");

// A started line still open.
const QString kAberta = QStringLiteral("HoraFim = 0 AND Total = 0 AND HoraInicio <> 0");

// The employee's running operations on open orders (1) and lines interrupted at day end (2).
const QString kAntesDoInicio =
    QStringLiteral("SELECT 1 AS Tipo, oka_CabOrc.Fo AS NoFo, oka_LinFo_Ope.NoLinha, oka_Operacoes.OperNome,"
                   " oka_LinFo_Ope.Opera, oka_LinFo_Ope.Maquina FROM oka_CabOrc INNER JOIN"
                   " oka_LinFo_Ope ON oka_CabOrc.Fo = oka_LinFo_Ope.NoFo INNER JOIN"
                   " oka_Operacoes ON oka_LinFo_Ope.Opera = oka_Operacoes.OperId"
                   " WHERE (oka_LinFo_Ope.Func = ?) AND (oka_LinFo_Ope.Estado = 1)"
                   " AND NOT (oka_LinFo_Ope.HoraInicio = 0 AND oka_LinFo_Ope.Total = 0)"
                   " AND (oka_CabOrc.EstadoFo <> 4)"
                   " UNION ALL SELECT 2, NoFo, NoLinha, NULL, Opera, Maquina FROM oka_LinFo_Ope"
                   " WHERE (Estado = 8) AND (Func = ?) ORDER BY Tipo, NoFo, NoLinha");

// "?, ?, ..." with n marks.
QString marcas(qsizetype n, const QString& uma = QStringLiteral("?"))
{
    QStringList l;
    for (qsizetype i = 0; i < n; ++i)
        l << uma;
    return l.join(QStringLiteral(", "));
}

} // namespace

QSqlQuery& Nu::preparada(const QString& sql)
{
    auto& q = m_preparadas[sql];
    if (!q) {
        auto nova = std::make_unique<QSqlQuery>(m_l.bd());
        nova->setForwardOnly(true);
        nova->setNumericalPrecisionPolicy(QSql::HighPrecision);
        if (!nova->prepare(sql)) {
            m_preparadas.erase(sql);
            throw ErroBD(nova->lastError().text());
        }
        q = std::move(nova);
    }
    return *q;
}

Nu::Linhas Nu::sel(const QString& sql, const QVariantList& v)
{
    QSqlQuery& q = preparada(sql);
    for (int i = 0; i < v.size(); ++i)
        q.bindValue(i, v[i]);
    if (!q.exec()) throw ErroBD(q.lastError().text());
    Linhas r;
    const int n = q.record().count();
    while (q.next()) {
        QVariantList l;
        l.reserve(n);
        for (int i = 0; i < n; ++i)
            l << q.value(i);
        r << l;
    }
    q.finish();
    return r;
}

int Nu::exec(const QString& sql, const QVariantList& v)
{
    QSqlQuery& q = preparada(sql);
    for (int i = 0; i < v.size(); ++i)
        q.bindValue(i, v[i]);
    if (!q.exec()) throw ErroBD(q.lastError().text());
    const int n = q.numRowsAffected();
    q.finish();
    return n;
}

void Nu::comecar()
{
    if (m_l.dialecto() == Dialecto::SQLite)
        QSqlQuery(m_l.bd()).exec(QStringLiteral("BEGIN IMMEDIATE"));
    else
        m_l.bd().transaction();
}

void Nu::confirmar()
{
    if (m_l.dialecto() == Dialecto::SQLite)
        QSqlQuery(m_l.bd()).exec(QStringLiteral("COMMIT"));
    else
        m_l.bd().commit();
}

void Nu::desfazer()
{
    if (m_l.dialecto() == Dialecto::SQLite)
        QSqlQuery(m_l.bd()).exec(QStringLiteral("ROLLBACK"));
    else
        m_l.bd().rollback();
}

void Nu::inicioSemTestes(const QString& f, const QString& obra, const QString& oper, const QString& maq,
                         const QDateTime& t, bool& iniciou)
{
    iniciou = false;
    const QVariant op = idOperacao(oper);
    if (m_l.dialecto() != Dialecto::SQLite) exec(QStringLiteral("UPDATE oka_CabOrc SET Fo = Fo WHERE Fo = ?"), {obra});
    const Currency hora = HoraEmNumero(t) == Currency() ? Currency::fromRaw(1) : HoraEmNumero(t);
    for (;;) {
        const QVariantList d =
            sel(QStringLiteral("SELECT (SELECT MIN(NoLinha) FROM oka_LinFo_Ope"
                               " WHERE NoFo = ? AND Opera = ? AND HoraInicio = 0 AND Total = 0) AS Preparada,"
                               " (SELECT COUNT(*) FROM oka_LinFo_Ope"
                               " WHERE NoFo = ? AND Data = ? AND Opera = ? AND Func = ? AND Estado = 1) AS Duplicadas,"
                               " (SELECT OperNome FROM oka_Operacoes WHERE OperId = ?) AS OperNome,"
                               " (SELECT CustoHora FROM oka_Maquinas WHERE MaqId = ?) AS CustoMaquina,"
                               " (SELECT CustoHora FROM oka_Funcionarios WHERE FuncId = ?) AS CustoHomem,"
                               " (SELECT MAX(NoLinha) FROM oka_LinFo_Ope WHERE NoFo = ?) AS Ultima"),
                {obra, op, obra, DataBD(t.date()), op, f, op, maq, f, obra})
                .value(0);
        const bool preparada = !d[0].isNull();
        if (!preparada && d[1].toInt() > 0) return;
        const QVariantList valores{DataBD(t.date()),
                                   hora.paraBD(),
                                   op,
                                   d[2].isNull() ? QString() : d[2].toString(),
                                   maq,
                                   f,
                                   d[5].toInt() + 1,
                                   Currency::fromVariant(d[3]).paraBD(),
                                   Currency::fromVariant(d[4]).paraBD(),
                                   obra};
        if (!preparada) {
            exec(QStringLiteral("INSERT INTO oka_LinFo_Ope (Data, HoraInicio, Opera, Descritivo, Maquina,"
                                " Func, NoLinha, CustoMaquina, CustoHomem, NoFo, Estado, HoraFim, Total)"
                                " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, 0, 0)"),
                 valores);
            break;
        }
        if (exec(QStringLiteral("UPDATE oka_LinFo_Ope SET Data = ?, HoraInicio = ?, Opera = ?, Descritivo = ?,"
                                " Maquina = ?, Func = ?, NoLinha = ?, CustoMaquina = ?, CustoHomem = ?,"
                                " Estado = 1, HoraFim = 0, Total = 0"
                                " WHERE NoFo = ? AND NoLinha = ? AND HoraInicio = 0 AND Total = 0"),
                 valores + QVariantList{d[0]}) > 0)
            break;
    }
    exec(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = ?, DataActual = ? WHERE Fo = ?"), {1, DataHoraBD(t), obra});
    iniciou = true;
}

bool Nu::Inicio(const QString& f, const QString& obra, const QString& oper, const QString& maq, const QDateTime& t,
                bool testes)
{
    if (testes) {
        bool fimDia = false;
        for (const QVariantList& l : sel(kAntesDoInicio, {f, f}))
            fimDia = fimDia || l[0].toInt() == 2;
        if (fimDia) return false;
    }
    bool iniciou = false;
    transacao([&] { inicioSemTestes(f, obra, oper, maq, t, iniciou); });
    return iniciou;
}

// Row: NoFo, NoLinha, Data, HoraInicio.
bool Nu::fechar(const QVariantList& l, const QDateTime& t, int estado)
{
    return exec(QStringLiteral("UPDATE oka_LinFo_Ope SET HoraFim = ?, Total = ?, Estado = ?"
                               " WHERE NoFo = ? AND NoLinha = ? AND ") +
                    kAberta,
                {HoraEmNumero(t).paraBD(), duracao(l[2].toDate(), Currency::fromVariant(l[3]), t).paraBD(), estado,
                 l[0], l[1]}) > 0;
}

int Nu::fecharVarias(const Linhas& l, const QDateTime& t, int estado)
{
    if (l.size() == 1) return fechar(l[0], t, estado) ? 1 : 0;
    QString casos;
    QVariantList v{HoraEmNumero(t).paraBD(), estado};
    for (const QVariantList& x : l) {
        casos += QStringLiteral(" WHEN ? THEN CAST(? AS DECIMAL(19,4))");
        v << x[1] << duracao(x[2].toDate(), Currency::fromVariant(x[3]), t).paraBD();
    }
    v << l[0][0];
    for (const QVariantList& x : l)
        v << x[1];
    return exec(QStringLiteral("UPDATE oka_LinFo_Ope SET HoraFim = ?, Estado = ?, Total = CASE NoLinha") + casos +
                    QStringLiteral(" END WHERE NoFo = ? AND NoLinha IN (") + marcas(l.size()) +
                    QStringLiteral(") AND ") + kAberta,
                v);
}

void Nu::custos(const QString& obra, bool presa)
{
    if (!presa && m_l.dialecto() != Dialecto::SQLite)
        exec(QStringLiteral("UPDATE oka_CabOrc SET Fo = Fo WHERE Fo = ?"), {obra});
    const Linhas r =
        sel(QStringLiteral("SELECT 0 AS Tipo, CI AS Total, NULL AS CustoHomem, NULL AS CustoMaquina FROM oka_Contador"
                           " UNION ALL SELECT 1, Total, CustoHomem, CustoMaquina FROM oka_LinFo_Ope"
                           " WHERE NoFo = ? AND Total > 0"),
            {obra});
    Currency ci;
    for (const QVariantList& l : r)
        if (l[0].toInt() == 0) {
            ci = Currency::fromVariant(l[1]);
            break;
        }
    Currency producao, indirecto;
    for (const QVariantList& l : r) {
        if (l[0].toInt() == 0) continue;
        const Currency h = HoraParaDecimal(Currency::fromVariant(l[1]));
        producao += (Currency::fromVariant(l[2]) + Currency::fromVariant(l[3])) * h;
        indirecto += h * ci;
    }
    exec(QStringLiteral("UPDATE oka_CabOrc SET TotalCustoProd = ?, TotalCustoInd = ? WHERE Fo = ?"),
         {producao.paraBD(), indirecto.paraBD(), obra});
}

bool Nu::Fim(const QString& f, const QString& obra, const QString& oper, const QString& maq, const QDateTime& t)
{
    bool fechou = false;
    transacao([&] {
        const Linhas l = sel(QStringLiteral("SELECT NoFo, NoLinha, Data, HoraInicio FROM oka_LinFo_Ope"
                                            " WHERE NoFo = ? AND Data = ? AND Maquina = ? AND Func = ? AND Estado = 1"
                                            " AND Opera = ? AND ") +
                                 kAberta + QStringLiteral(" ORDER BY NoLinha"),
                             {obra, DataBD(t.date()), maq, f, idOperacao(oper)});
        fechou = false;
        for (const QVariantList& x : l)
            if ((fechou = fechar(x, t, 2))) break;
        if (fechou) custos(obra, false);
    });
    return fechou;
}

void Nu::mudarEstadoDentro(const QString* f, const QString& obra, const QDateTime& t, int estadoLinha, int subEstado,
                           const QString* notas, bool& houve)
{
    QString sql =
        QStringLiteral("SELECT NoFo, NoLinha, Data, HoraInicio FROM oka_LinFo_Ope WHERE NoFo = ? AND ") + kAberta;
    QVariantList v{obra};
    if (f) {
        sql += QStringLiteral(" AND Func = ?");
        v << *f;
    }
    const Linhas l = sel(sql + QStringLiteral(" ORDER BY NoLinha"), v);
    houve = !l.isEmpty() && fecharVarias(l, t, estadoLinha) > 0;
    if (!houve) return;
    if (notas)
        exec(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = ?, DataActual = ?, Notas = ? WHERE Fo = ?"),
             {subEstado, DataHoraBD(t), *notas, obra});
    else
        exec(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = ?, DataActual = ? WHERE Fo = ?"),
             {subEstado, DataHoraBD(t), obra});
    custos(obra, true);
}

bool Nu::MudarEstado(const QString* f, const QString& obra, const QDateTime& t, int estadoLinha, int subEstado,
                     const QString* notas)
{
    bool houve = false;
    transacao([&] { mudarEstadoDentro(f, obra, t, estadoLinha, subEstado, notas, houve); });
    return houve || !f;
}

bool Nu::DiaFim(const QString& f, const QDateTime& t)
{
    bool houve = false;
    transacao([&] {
        const Linhas l =
            sel(QStringLiteral("SELECT NoFo, NoLinha, Data, HoraInicio FROM oka_LinFo_Ope WHERE Func = ? AND ") +
                    kAberta + QStringLiteral(" ORDER BY NoFo, NoLinha"),
                {f});
        houve = false;
        std::set<QString> obras;
        for (const QVariantList& x : l) {
            if (!fechar(x, t, 8)) continue;
            houve = true;
            exec(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = ?, DataActual = ? WHERE Fo = ?"),
                 {0, DataHoraBD(t), x[0]});
            obras.insert(x[0].toString());
        }
        for (const QString& o : obras)
            custos(o, true);
    });
    return houve;
}

bool Nu::DiaInicio(const QString& f, const QDateTime& t)
{
    if (!sel(kIniciadas, {f}).isEmpty()) return false;
    bool houve = false;
    transacao([&] {
        const Linhas r = sel(QStringLiteral("SELECT NoFo, NoLinha, Opera, Maquina FROM oka_LinFo_Ope"
                                            " WHERE Estado = 8 AND Func = ? ORDER BY NoFo, NoLinha"),
                             {f});
        houve = false;
        for (const QVariantList& x : r) {
            if (exec(QStringLiteral(
                         "UPDATE oka_LinFo_Ope SET Estado = 10 WHERE NoFo = ? AND NoLinha = ? AND Estado = 8"),
                     {x[0], x[1]}) == 0)
                continue;
            houve = true;
            bool iniciou = false;
            inicioSemTestes(f, x[0].toString(), x[2].toString(), x[3].toString(), t, iniciou);
        }
    });
    return houve;
}

bool Nu::TerminaTodas(const QString& f, const QDateTime& t)
{
    bool todas = true, alguma = false;
    QStringList obras;
    transacao([&] {
        for (const QVariantList& x : sel(kIniciadas, {f}))
            if (!obras.contains(x[0].toString())) obras << x[0].toString();
        for (const QString& o : obras) {
            bool houve = false;
            mudarEstadoDentro(&f, o, t, 2, 5, nullptr, houve);
            todas = todas && houve;
            alguma = alguma || houve;
        }
        if (!todas) sel(kIniciadas, {f});
    });
    return todas && alguma;
}

bool Nu::ExisteFolhaObra(const QString& obra)
{
    return !sel(QStringLiteral("SELECT Fo, EstadoFo, SubEstado FROM oka_CabOrc WHERE Fo = ?"), {obra}).isEmpty();
}

bool Nu::NumeroProcesso(const QString& obra)
{
    return !sel(QStringLiteral("SELECT Processo FROM oka_CabOrc WHERE Fo = ?"), {obra}).isEmpty();
}

bool Nu::ListaOperacoes(const QString& f)
{
    sel(QStringLiteral("SELECT oka_CabOrc.Fo, oka_Operacoes.OperNome,"
                       " CASE oka_CabOrc.EstadoFo WHEN 1 THEN '' ELSE ? END AS estado"
                       " FROM oka_CabOrc INNER JOIN"
                       " oka_LinFo_Ope ON oka_CabOrc.Fo = oka_LinFo_Ope.NoFo INNER JOIN"
                       " oka_Operacoes ON oka_LinFo_Ope.Opera = oka_Operacoes.OperId"
                       " WHERE (oka_LinFo_Ope.Func = ?) AND (oka_LinFo_Ope.Estado = 1)"
                       " AND NOT (oka_LinFo_Ope.HoraInicio = 0 AND oka_LinFo_Ope.Total = 0)"
                       " ORDER BY oka_LinFo_Ope.NoFo, oka_LinFo_Ope.NoLinha"),
        {QStringLiteral("(ORDEM JÁ TERMINADA)"), f});
    return true;
}

bool Nu::ListaOrdens()
{
    return !sel(QStringLiteral("SELECT Fo FROM oka_CabOrc WHERE EstadoFo <> 4 AND Fo > '' ORDER BY Fo")).isEmpty();
}

bool Nu::ValidaArtigo(const QString& artigo)
{
    const Linhas r = sel(QStringLiteral("SELECT CODIGO AS Codigo, NOME AS Descricao, FACTEMB AS factor,"
                                        " ARTOUDES, UNBASE FROM ARTIGOS WHERE CODIGO = ?"),
                         {artigo});
    return !r.isEmpty() && r[0][3].toInt() == 0;
}

bool Nu::ExisteQuantidade(const QString& artigo, Currency q)
{
    const Linhas c = sel(QStringLiteral("SELECT ArmMp FROM oka_Contador"));
    const QString arm = c.isEmpty() ? QString() : c[0][0].toString().trimmed();
    const Linhas r = sel(
        QStringLiteral("SELECT ARTIGO, ARMAZEM, EXISTENC FROM ARTARM WHERE ARTIGO = ? AND ARMAZEM = ?"), {artigo, arm});
    return !r.isEmpty() && Currency::fromVariant(r[0][2]) >= q;
}

bool Nu::GravaSaidas(const QString& obra, const QStringList& artigos, Currency q, Currency preco)
{
    const Linhas c = sel(QStringLiteral("SELECT c.Fo, k.ArmMp, k.DocSc, k.SerieSc, k.SectorMp, k.Moeda"
                                        " FROM oka_CabOrc c LEFT OUTER JOIN oka_Contador k ON 1 = 1 WHERE c.Fo = ?"),
                         {obra});
    if (c.isEmpty()) return false;
    const QString arm = c[0][1].toString().trimmed();
    const QString tipo = c[0][2].toString().trimmed();
    const int serie = c[0][3].toInt();
    const QString sector = c[0][4].toString().trimmed();
    const QString moeda = c[0][5].toString().trimmed();
    const QDate hoje = QDate::currentDate();
    const int ano = hoje.year();
    // Distinct articles of the test posting, one line each.
    auto ramos = [&](const QString& ramo) {
        QStringList r;
        for (int k = 0; k < artigos.size(); ++k)
            r << ramo.arg(k);
        return r.join(QStringLiteral(" UNION ALL "));
    };
    transacao([&] {
        // The material lines' look-ups with the order held, before the ERP's part.
        exec(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = SubEstado WHERE Fo = ?"), {obra});
        const Linhas u = sel(QStringLiteral("SELECT MAX(NoLinha) FROM oka_LinFo_Apr WHERE NoFo = ?"), {obra});
        const int ultima = u.isEmpty() ? 0 : u[0][0].toInt();
        QVariantList v;
        for (const QString& a : artigos)
            v << a;
        std::map<int, QVariantList> dados;
        if (!artigos.isEmpty())
            for (const QVariantList& l :
                 sel(ramos(QStringLiteral("SELECT %1 AS Pos, UNBASE, Fornec FROM ARTIGOS WHERE CODIGO = ?")), v))
                dados[l[0].toInt()] = l;
        // The ERP: checks, stock, then the number while holding the series' first document.
        v.clear();
        for (const QString& a : artigos)
            v << a << arm << a;
        if (!artigos.isEmpty())
            sel(ramos(QStringLiteral("SELECT %1 AS Pos, ARTOUDES, (SELECT EXISTENC FROM ARTARM WHERE ARTIGO = ? AND"
                                     " ARMAZEM = ?) AS EXISTENC FROM ARTIGOS WHERE CODIGO = ?")),
                v);
        if (artigos.size() == 1) {
            exec(QStringLiteral("UPDATE ARTARM SET EXISTENC = ROUND(EXISTENC - ?, 4) WHERE ARTIGO = ? AND ARMAZEM = ?"
                                " AND EXISTENC >= ?"),
                 {q.paraBD(), artigos[0], arm, q.paraBD()});
        } else if (!artigos.isEmpty()) {
            QString casos;
            QVariantList porArtigo, lista;
            for (const QString& a : artigos) {
                casos += QStringLiteral(" WHEN ? THEN CAST(? AS DECIMAL(19,4))");
                porArtigo << a << q.paraBD();
                lista << a;
            }
            exec(QStringLiteral("UPDATE ARTARM SET EXISTENC = ROUND(EXISTENC - CASE ARTIGO") + casos +
                     QStringLiteral(" END, 4) WHERE ARMAZEM = ? AND ARTIGO IN (") + marcas(artigos.size()) +
                     QStringLiteral(") AND EXISTENC >= CASE ARTIGO") + casos + QStringLiteral(" END"),
                 porArtigo + QVariantList{arm} + lista + porArtigo);
        }
        exec(QStringLiteral(
                 "UPDATE STKDOC SET NUMDOC = NUMDOC WHERE TIPODOC = ? AND SERIE = ? AND ANO = ?"
                 " AND NUMDOC = (SELECT MIN(NUMDOC) FROM STKDOC WHERE TIPODOC = ? AND SERIE = ? AND ANO = ?)"),
             {tipo, serie, ano, tipo, serie, ano});
        const Linhas m =
            sel(QStringLiteral("SELECT MAX(NUMDOC) FROM STKDOC WHERE TIPODOC = ? AND SERIE = ? AND ANO = ?"),
                {tipo, serie, ano});
        const int numero = (m.isEmpty() ? 0 : m[0][0].toInt()) + 1;
        exec(
            QStringLiteral("INSERT INTO STKDOC (TIPODOC, SERIE, ANO, NUMDOC, ARMAZEM, SECTOR, DATA, "
                           "MOEDA, PROCESSO, EMPRESA, UTILIZADOR, CRIADO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {tipo, serie, ano, numero, arm, sector, hoje, moeda, QStringLiteral("PR1"), QStringLiteral("BENCH"),
             QStringLiteral("bench"), QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))});
        v.clear();
        int i = 0;
        for (const QString& a : artigos)
            v << tipo << serie << ano << numero << ++i << a << arm << q.paraBD() << preco.paraBD();
        if (!artigos.isEmpty())
            exec(QStringLiteral("INSERT INTO STKDOCLIN (TIPODOC, SERIE, ANO, NUMDOC, LINHA, ARTIGO, ARMAZEM, QUANT,"
                                " PRECO) VALUES ") +
                     marcas(artigos.size(), QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?)")),
                 v);
        v.clear();
        i = 0;
        for (const QString& a : artigos) {
            const QVariantList& d = dados[i];
            v << obra << a << QStringLiteral("Artigo") << q.paraBD() << Currency().paraBD()
              << (d.isEmpty() ? QString() : d[1].toString()) << (d.isEmpty() ? QString() : d[2].toString())
              << QString::number(numero) << ultima + ++i << preco.paraBD() << QStringLiteral("0") << Currency().paraBD()
              << Currency().paraBD() << arm;
        }
        if (!artigos.isEmpty())
            exec(QStringLiteral("INSERT INTO oka_LinFo_Apr (NoFo, Artigo, Nome, QtdOr, Comp, Unidade, Fornecedor, "
                                "DocSaida, NoLinha, PrUnit, VossoNum, Factor, Larg, Armazem) VALUES ") +
                     marcas(artigos.size(), QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")),
                 v);
        Currency mat, outros;
        for (const QVariantList& l :
             sel(QStringLiteral("SELECT a.QtdOr, a.PrUnit, r.ARTOUDES FROM oka_LinFo_Apr a "
                                "LEFT OUTER JOIN ARTIGOS r ON a.Artigo = r.CODIGO WHERE a.NoFo = ?"),
                 {obra})) {
            if (l[2].isNull()) continue;
            const Currency valor = Currency::fromVariant(l[0]) * Currency::fromVariant(l[1]);
            (l[2].toInt() == 0 ? mat : outros) += valor;
        }
        exec(QStringLiteral("UPDATE oka_CabOrc SET CustoMat = ?, TotalCustoOut = ?, DataActual = ? WHERE Fo = ?"),
             {mat.paraBD(), outros.paraBD(), DataHoraBD(QDateTime::currentDateTime()), obra});
    });
    return true;
}
