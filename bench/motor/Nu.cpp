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

} // namespace

Nu::Linhas Nu::sel(const QString& sql, const QVariantList& v)
{
    QSqlQuery q(m_l.bd());
    q.setForwardOnly(true);
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!q.prepare(sql)) throw ErroBD(q.lastError().text());
    for (const QVariant& x : v)
        q.addBindValue(x);
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
    return r;
}

int Nu::exec(const QString& sql, const QVariantList& v)
{
    QSqlQuery q(m_l.bd());
    if (!q.prepare(sql)) throw ErroBD(q.lastError().text());
    for (const QVariant& x : v)
        q.addBindValue(x);
    if (!q.exec()) throw ErroBD(q.lastError().text());
    return q.numRowsAffected();
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
        const Linhas prep = sel(QStringLiteral("SELECT NoLinha FROM oka_LinFo_Ope WHERE NoFo = ? AND Opera = ?"
                                               " AND HoraInicio = 0 AND Total = 0 ORDER BY NoLinha"),
                                {obra, op});
        if (prep.isEmpty() &&
            !sel(QStringLiteral("SELECT NoLinha FROM oka_LinFo_Ope WHERE NoFo = ? AND Data = ? AND Opera = ?"
                                " AND Func = ? AND Estado = 1"),
                 {obra, DataBD(t.date()), op, f})
                 .isEmpty())
            return;
        const Linhas nome = sel(QStringLiteral("SELECT OperNome, OperId FROM oka_Operacoes WHERE OperId = ?"), {op});
        const Linhas mx = sel(QStringLiteral("SELECT MAX(NoLinha) FROM oka_LinFo_Ope WHERE NoFo = ?"), {obra});
        const Linhas cm = sel(QStringLiteral("SELECT CustoHora FROM oka_Maquinas WHERE MaqId = ?"), {maq});
        const Linhas cf =
            sel(QStringLiteral("SELECT CustoHora, FuncNome, Senha, Nivel FROM oka_Funcionarios WHERE FuncId = ?"), {f});
        const QVariantList valores{DataBD(t.date()),
                                   hora.paraBD(),
                                   op,
                                   nome.isEmpty() ? QString() : nome[0][0].toString(),
                                   maq,
                                   f,
                                   (mx.isEmpty() ? 0 : mx[0][0].toInt()) + 1,
                                   (cm.isEmpty() ? Currency() : Currency::fromVariant(cm[0][0])).paraBD(),
                                   (cf.isEmpty() ? Currency() : Currency::fromVariant(cf[0][0])).paraBD(),
                                   obra};
        if (prep.isEmpty()) {
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
                 valores + QVariantList{prep[0][0]}) > 0)
            break;
    }
    exec(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = ?, DataActual = ? WHERE Fo = ?"), {1, DataHoraBD(t), obra});
    iniciou = true;
}

bool Nu::Inicio(const QString& f, const QString& obra, const QString& oper, const QString& maq, const QDateTime& t,
                bool testes)
{
    if (testes) {
        sel(kIniciadas, {f});
        if (!sel(QStringLiteral("SELECT Estado, NoFo, NoLinha, Opera, Maquina, Func FROM oka_LinFo_Ope"
                                " WHERE (Estado = 8) AND (Func = ?) ORDER BY NoFo, NoLinha"),
                 {f})
                 .isEmpty())
            return false;
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

void Nu::custos(const QString& obra)
{
    if (m_l.dialecto() != Dialecto::SQLite) exec(QStringLiteral("UPDATE oka_CabOrc SET Fo = Fo WHERE Fo = ?"), {obra});
    const Linhas c = sel(QStringLiteral("SELECT CI FROM  oka_Contador"));
    const Currency ci = c.isEmpty() ? Currency() : Currency::fromVariant(c[0][0]);
    Currency producao, indirecto;
    for (const QVariantList& l :
         sel(QStringLiteral("SELECT Total, CustoHomem, CustoMaquina FROM oka_LinFo_Ope WHERE NoFo = ? AND Total > 0"),
             {obra})) {
        const Currency h = HoraParaDecimal(Currency::fromVariant(l[0]));
        producao += (Currency::fromVariant(l[1]) + Currency::fromVariant(l[2])) * h;
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
        if (fechou) custos(obra);
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
    houve = false;
    for (const QVariantList& x : l)
        houve = fechar(x, t, estadoLinha) || houve;
    if (!houve) return;
    exec(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = ?, DataActual = ? WHERE Fo = ?"),
         {subEstado, DataHoraBD(t), obra});
    if (notas) exec(QStringLiteral("UPDATE oka_CabOrc SET Notas = ? WHERE Fo = ?"), {*notas, obra});
    custos(obra);
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
            custos(o);
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
    if (sel(QStringLiteral("SELECT Fo FROM oka_CabOrc WHERE Fo = ?"), {obra}).isEmpty()) return false;
    const QString arm = sel(QStringLiteral("SELECT ArmMp FROM oka_Contador"))[0][0].toString().trimmed();
    const QString tipo = sel(QStringLiteral("SELECT DocSc FROM oka_Contador"))[0][0].toString().trimmed();
    const int serie = sel(QStringLiteral("SELECT SerieSc FROM oka_Contador"))[0][0].toInt();
    const QString sector = sel(QStringLiteral("SELECT SectorMp FROM oka_Contador"))[0][0].toString().trimmed();
    const QString moeda = sel(QStringLiteral("SELECT Moeda FROM oka_Contador"))[0][0].toString().trimmed();
    const QDate hoje = QDate::currentDate();
    const int ano = hoje.year();
    transacao([&] {
        for (const QString& a : artigos)
            sel(QStringLiteral("SELECT ARTOUDES FROM ARTIGOS WHERE CODIGO = ?"), {a});
        for (const QString& a : artigos)
            sel(QStringLiteral("SELECT EXISTENC FROM ARTARM WHERE ARTIGO = ? AND ARMAZEM = ?"), {a, arm});
        const QString maximo =
            QStringLiteral("SELECT MAX(NUMDOC) FROM STKDOC WHERE TIPODOC = ? AND SERIE = ? AND ANO = ?");
        Linhas m = sel(maximo, {tipo, serie, ano});
        const int ultimo = m.isEmpty() ? 0 : m[0][0].toInt();
        if (ultimo > 0) {
            exec(QStringLiteral(
                     "UPDATE STKDOC SET NUMDOC = NUMDOC WHERE TIPODOC = ? AND SERIE = ? AND ANO = ? AND NUMDOC = ?"),
                 {tipo, serie, ano, ultimo});
            m = sel(maximo, {tipo, serie, ano});
        }
        const int numero = (m.isEmpty() ? 0 : m[0][0].toInt()) + 1;
        exec(
            QStringLiteral("INSERT INTO STKDOC (TIPODOC, SERIE, ANO, NUMDOC, ARMAZEM, SECTOR, DATA, "
                           "MOEDA, PROCESSO, EMPRESA, UTILIZADOR, CRIADO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {tipo, serie, ano, numero, arm, sector, hoje, moeda, QStringLiteral("PR1"), QStringLiteral("BENCH"),
             QStringLiteral("bench"), QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))});
        int i = 0;
        for (const QString& a : artigos) {
            exec(QStringLiteral("INSERT INTO STKDOCLIN (TIPODOC, SERIE, ANO, NUMDOC, LINHA, ARTIGO, "
                                "ARMAZEM, QUANT, PRECO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 {tipo, serie, ano, numero, ++i, a, arm, q.paraBD(), preco.paraBD()});
            exec(QStringLiteral(
                     "UPDATE ARTARM SET EXISTENC = ROUND(EXISTENC - ?, 4) WHERE ARTIGO = ? AND ARMAZEM = ? AND "
                     "EXISTENC >= ?"),
                 {q.paraBD(), a, arm, q.paraBD()});
        }
        exec(QStringLiteral("UPDATE oka_CabOrc SET SubEstado = SubEstado WHERE Fo = ?"), {obra});
        const Linhas u = sel(QStringLiteral("SELECT MAX(NoLinha) FROM oka_LinFo_Apr WHERE NoFo = ?"), {obra});
        const int ultima = u.isEmpty() ? 0 : u[0][0].toInt();
        i = 0;
        for (const QString& a : artigos) {
            const QString un = sel(QStringLiteral("SELECT UNBASE FROM ARTIGOS WHERE CODIGO = ?"), {a})[0][0].toString();
            const QString fo = sel(QStringLiteral("SELECT Fornec FROM ARTIGOS WHERE CODIGO = ?"), {a})[0][0].toString();
            exec(QStringLiteral("INSERT INTO oka_LinFo_Apr (NoFo, Artigo, Nome, QtdOr, Comp, Unidade, Fornecedor, "
                                "DocSaida, NoLinha, PrUnit, VossoNum, Factor, Larg, Armazem) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 {obra, a, QStringLiteral("Artigo"), q.paraBD(), Currency().paraBD(), un, fo, QString::number(numero),
                  ultima + ++i, preco.paraBD(), QStringLiteral("0"), Currency().paraBD(), Currency().paraBD(), arm});
        }
        Currency mat, outros;
        for (const QVariantList& l :
             sel(QStringLiteral("SELECT a.QtdOr, a.PrUnit, r.ARTOUDES FROM oka_LinFo_Apr a "
                                "LEFT OUTER JOIN ARTIGOS r ON a.Artigo = r.CODIGO WHERE a.NoFo = ?"),
                 {obra})) {
            if (l[2].isNull()) continue;
            const Currency v = Currency::fromVariant(l[0]) * Currency::fromVariant(l[1]);
            (l[2].toInt() == 0 ? mat : outros) += v;
        }
        exec(QStringLiteral("UPDATE oka_CabOrc SET CustoMat = ?, TotalCustoOut = ?, DataActual = ? WHERE Fo = ?"),
             {mat.paraBD(), outros.paraBD(), DataHoraBD(QDateTime::currentDateTime()), obra});
    });
    return true;
}
