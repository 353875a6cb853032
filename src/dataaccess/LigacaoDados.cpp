#include "dataaccess/LigacaoDados.h"

#include <climits>
#include <sys/stat.h>

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QUrl>

#include "base/Actividade.h"

namespace {

QAtomicInt contadorLigacoes;

// psqlODBC by default prepares, describes, executes and releases each statement in separate round
// trips and surrounds every statement of a transaction with savepoints (more round trips). With a
// statement kept prepared and these settings, a statement is one Bind/Execute/Sync: one round trip.
// "Protocol=7.4-0": no savepoints; an error leaves the transaction failed until the rollback, as on
// QPSQL. Settings the connection string already names are left as they are.
QString comDefinicoesPsqlOdbc(const QString& ligacao)
{
    static const std::pair<const char*, const char*> definicoes[] = {{"Protocol", "7.4-0"},
                                                                     {"UseServerSidePrepare", "1"}};
    QString r = ligacao;
    for (const auto& [chave, valor] : definicoes) {
        const QRegularExpression jaTem(QStringLiteral("(^|;)\\s*%1\\s*=").arg(QLatin1String(chave)),
                                       QRegularExpression::CaseInsensitiveOption);
        if (!r.contains(jaTem)) r += QStringLiteral(";%1=%2").arg(QLatin1String(chave), QLatin1String(valor));
    }
    return r;
}

bool textoDeLigacaoPerdida(const QString& t)
{
    static const char* sinais[] = {"server closed the connection",
                                   "no connection to the server",
                                   "terminating connection",
                                   "connection to server",
                                   "could not connect",
                                   "Connection refused",
                                   "connection not open",
                                   "Communication link failure",
                                   "could not send data",
                                   "could not receive data",
                                   "SSL SYSCALL",
                                   "broken pipe",
                                   "the database system is shutting down",
                                   "the database system is starting up",
                                   "Connection is not open",
                                   "connection has been lost",
                                   "connection lost",
                                   "connection dead"};
    for (const char* s : sinais)
        if (t.contains(QLatin1String(s), Qt::CaseInsensitive)) return true;
    return false;
}

// A statement or lock timeout of the server, or a driver's query or connection timeout.
bool textoDeTempoEsgotado(const QString& t)
{
    static const char* sinais[] = {"canceling statement due to statement timeout",
                                   "canceling statement due to lock timeout",
                                   "Lock request time out period exceeded",
                                   "timeout expired",
                                   "HYT00",
                                   "HYT01"};
    for (const char* s : sinais)
        if (t.contains(QLatin1String(s), Qt::CaseInsensitive)) return true;
    return false;
}

} // namespace

QString ParametrosLigacao::descricao() const
{
    // An ODBC connection string may carry a password of its own.
    static const QRegularExpression senha(QStringLiteral("((?:PWD|PASSWORD)\\s*=)[^;]*"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString base = baseDados;
    base.replace(senha, QStringLiteral("\\1***"));
    return QStringLiteral("Driver %1, Servidor %2, Base de dados %3, Utilizador %4")
        .arg(driver, servidor, base, utilizador);
}

LigacaoDados::LigacaoDados() : m_nome(QStringLiteral("terminal_%1").arg(contadorLigacoes.fetchAndAddRelaxed(1))) {}

LigacaoDados::~LigacaoDados()
{
    Fechar();
    if (QSqlDatabase::contains(m_nome)) QSqlDatabase::removeDatabase(m_nome);
}

QSqlDatabase LigacaoDados::bd() const
{
    return QSqlDatabase::database(m_nome, false);
}

bool LigacaoDados::aberta() const
{
    return QSqlDatabase::contains(m_nome) && bd().isOpen();
}

bool LigacaoDados::Abrir(const ParametrosLigacao& parametros, QString* erro)
{
    Fechar();
    m_parametros = parametros;
    m_psqlOdbc = false;
    return abrirInterno(erro, parametros.criarFicheiro);
}

bool LigacaoDados::abrirInterno(QString* erro, bool podeCriar)
{
    const ParametrosLigacao& p = m_parametros;
    auto falhar = [&](const QString& motivo) {
        if (erro) *erro = QStringLiteral("Não foi possível abrir a base de dados (%1): %2").arg(p.descricao(), motivo);
        return false;
    };
    // Statements run while opening never reopen; this keeps an opening from starting another.
    if (m_aAbrir) return falhar(QStringLiteral("a ligação já está a ser aberta."));
    m_aAbrir = true;
    const auto fim = qScopeGuard([this] { m_aAbrir = false; });

    if (QSqlDatabase::contains(m_nome)) QSqlDatabase::removeDatabase(m_nome);
    m_temFicheiro = false;
    if (!QSqlDatabase::isDriverAvailable(p.driver)) return falhar(QStringLiteral("o driver não está instalado."));

    const bool sqlite = p.driver == QLatin1String("QSQLITE");
    const bool ficheiro = sqlite && !p.baseDados.isEmpty() && p.baseDados != QLatin1String(":memory:");
    QString opcoes = p.opcoes;
    auto acrescentar = [&opcoes](const QString& chave, const QString& valor) {
        if (!opcoes.contains(chave)) opcoes = chave + u'=' + valor + (opcoes.isEmpty() ? QString() : u';' + opcoes);
    };
    QString nomeBase = p.baseDados;
    if (ficheiro) {
        // QSQLITE creates a missing file: only an opening meant to create may do that.
        const QFileInfo info(p.baseDados);
        if (!info.exists() && !podeCriar)
            return falhar(QStringLiteral("o ficheiro %1 não existe. Verifique o nome do ficheiro nas definições da "
                                         "base de dados; uma base de dados nova cria-se com \"terminal-admin init\" "
                                         "ou com \"Criar Base de Dados\" nas definições.")
                              .arg(p.baseDados));
        if (info.exists() && !info.isFile())
            return falhar(QStringLiteral("%1 não é um ficheiro de base de dados.").arg(p.baseDados));
        if (info.exists() && !info.isWritable())
            return falhar(QStringLiteral("a base de dados %1 só pode ser lida e o terminal precisa de gravar nela. "
                                         "Verifique as permissões do ficheiro e se o disco não está montado só para "
                                         "leitura.")
                              .arg(p.baseDados));
        // An existing file is opened without the right to create ("mode=rw"), so that a file
        // removed meanwhile is not made anew.
        if (info.exists() && !opcoes.contains(QLatin1String("QSQLITE_OPEN_READONLY"))) {
            if (!opcoes.contains(QLatin1String("QSQLITE_OPEN_URI")))
                opcoes = QStringLiteral("QSQLITE_OPEN_URI") + (opcoes.isEmpty() ? QString() : u';' + opcoes);
            nomeBase = QStringLiteral("file:%1?mode=rw")
                           .arg(QString::fromLatin1(QUrl::toPercentEncoding(info.absoluteFilePath(), "/")));
        }
    }
    if (p.driver == QLatin1String("QODBC")) {
        acrescentar(QStringLiteral("SQL_ATTR_ODBC_VERSION"), QStringLiteral("SQL_OV_ODBC3"));
        if (p.segundosLigacao > 0)
            acrescentar(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT"), QString::number(p.segundosLigacao));
        // Requests other than statements (what ODBC means by this attribute); lock waits are
        // bounded by the server (lock_timeout, SET LOCK_TIMEOUT) once connected.
        if (p.segundosInstrucao > 0)
            acrescentar(QStringLiteral("SQL_ATTR_CONNECTION_TIMEOUT"), QString::number(p.segundosInstrucao));
    }
    if (p.driver == QLatin1String("QPSQL") && p.segundosLigacao > 0)
        acrescentar(QStringLiteral("connect_timeout"), QString::number(qMax(2, p.segundosLigacao)));

    auto ligar = [&](const QString& nome, QString* texto) {
        QSqlDatabase db = QSqlDatabase::addDatabase(p.driver, m_nome);
        db.setHostName(p.servidor);
        db.setDatabaseName(nome);
        db.setUserName(p.utilizador);
        db.setPassword(p.password);
        if (p.porta > 0) db.setPort(p.porta);
        db.setConnectOptions(opcoes);
        if (!db.open()) {
            *texto = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_nome);
            return false;
        }
        if (sqlite)
            m_dialecto = Dialecto::SQLite;
        else if (p.driver == QLatin1String("QPSQL") || db.driver()->dbmsType() == QSqlDriver::PostgreSQL)
            m_dialecto = Dialecto::PostgreSQL;
        else
            m_dialecto = Dialecto::SqlServer;
        return true;
    };
    const bool odbc = p.driver == QLatin1String("QODBC");
    QString texto;
    if (!ligar(odbc && m_psqlOdbc ? comDefinicoesPsqlOdbc(nomeBase) : nomeBase, &texto)) return falhar(texto);
    if (odbc && m_dialecto == Dialecto::PostgreSQL && !m_psqlOdbc) {
        // psqlODBC behind the data source: connect again with the settings that make each statement
        // one round trip (the data source of an installation does not carry them).
        m_psqlOdbc = true;
        const QString comDefinicoes = comDefinicoesPsqlOdbc(nomeBase);
        if (comDefinicoes != nomeBase) {
            bd().close();
            QSqlDatabase::removeDatabase(m_nome);
            if (!ligar(comDefinicoes, &texto)) return falhar(texto);
        }
    }
    if (ficheiro) {
        struct stat st;
        if (::stat(QFile::encodeName(p.baseDados).constData(), &st) == 0) {
            m_temFicheiro = true;
            m_dispositivo = quint64(st.st_dev);
            m_inode = quint64(st.st_ino);
        }
    }
    try {
        prepararSessao();
    } catch (const ErroBD& e) {
        if (erro) *erro = QStringLiteral("Não foi possível preparar a ligação (%1): %2").arg(p.descricao(), e.texto());
        Fechar();
        return false;
    }
    return true;
}

// Runs on every (re)connection, straight through the statement runner: a failure here ends the
// opening instead of asking for another one.
void LigacaoDados::prepararSessao()
{
    aplicarTempoLimite();
    if (m_dialecto == Dialecto::SQLite) {
        correr(QStringLiteral("PRAGMA journal_mode=WAL"), {}, true, false);
        correr(QStringLiteral("PRAGMA synchronous=NORMAL"), {}, false, false);
    }
    for (const QString& instrucao : m_parametros.aoLigar)
        correr(instrucao, {}, false, false);
}

void LigacaoDados::aplicarTempoLimite()
{
    const int s = qMax(0, m_parametros.segundosInstrucao);
    const qint64 ms = qint64(s) * 1000;
    switch (m_dialecto) {
    case Dialecto::SQLite:
        // Connect options that name a busy timeout of their own keep it.
        if (!m_parametros.opcoes.contains(QLatin1String("QSQLITE_BUSY_TIMEOUT")))
            correr(QStringLiteral("PRAGMA busy_timeout = %1").arg(s > 0 ? ms : qint64(INT_MAX)), {}, true, false);
        break;
    case Dialecto::PostgreSQL:
        correr(QStringLiteral("SET statement_timeout = %1").arg(ms), {}, false);
        correr(QStringLiteral("SET lock_timeout = %1").arg(ms), {}, false);
        break;
    case Dialecto::SqlServer:
        // SQL Server has no statement timeout of its own: the server bounds the lock waits.
        if (bd().driver()->dbmsType() == QSqlDriver::MSSqlServer)
            correr(QStringLiteral("SET LOCK_TIMEOUT %1").arg(s > 0 ? ms : qint64(-1)), {}, false);
        break;
    }
}

void LigacaoDados::definirTempoLimiteInstrucao(int segundos)
{
    m_parametros.segundosInstrucao = qMax(0, segundos);
    if (aberta()) aplicarTempoLimite();
}

void LigacaoDados::Fechar()
{
    if (QSqlDatabase::contains(m_nome)) {
        {
            QSqlDatabase db = bd();
            if (db.isOpen()) db.close();
        }
        // With the driver gone the kept statements are let go without a word to the server (which
        // dropped them with the session), also when the connection was lost.
        QSqlDatabase::removeDatabase(m_nome);
    }
    m_indicePreparadas.clear();
    m_preparadas.clear();
    m_esquecidas.clear();
    m_profundidade = 0;
}

bool LigacaoDados::reabrir()
{
    if (m_aAbrir) return false;
    Fechar();
    m_erroReabrir.clear();
    return abrirInterno(&m_erroReabrir, false);
}

void LigacaoDados::verificarFicheiro() const
{
    if (!m_temFicheiro) return;
    struct stat st;
    const QString& f = m_parametros.baseDados;
    if (::stat(QFile::encodeName(f).constData(), &st) != 0)
        throw ErroBD(QStringLiteral("O ficheiro da base de dados %1 foi apagado enquanto o terminal trabalhava; nada "
                                    "foi gravado. Reponha o ficheiro e reinicie o terminal.")
                         .arg(f));
    if (quint64(st.st_dev) != m_dispositivo || quint64(st.st_ino) != m_inode)
        throw ErroBD(QStringLiteral("O ficheiro da base de dados %1 foi substituído por outro enquanto o terminal "
                                    "trabalhava; nada foi gravado. Reinicie o terminal.")
                         .arg(f));
}

ErroBD LigacaoDados::erroDe(const QSqlError& e) const
{
    const QString codigo = e.nativeErrorCode();
    QString texto = e.text().trimmed();
    if (texto.isEmpty()) texto = QStringLiteral("Erro desconhecido da base de dados");
    const QString descricao = m_parametros.descricao();
    const int limite = m_parametros.segundosInstrucao;
    if (!aberta())
        return ErroBD(QStringLiteral("Sem ligação à base de dados (%1): %2").arg(descricao, texto), codigo,
                      ErroBD::Tipo::LigacaoPerdida);

    if (m_dialecto == Dialecto::SQLite) {
        // Qt reports every failed step as a connection error; only the SQLite result code tells a
        // busy database from a read-only, full or failing one. None of them is a lost connection.
        const QString daBase = e.databaseText().trimmed().isEmpty() ? texto : e.databaseText().trimmed();
        const QString& f = m_parametros.baseDados;
        auto esperaSqlite = [&] {
            static const QRegularExpression opcao(QStringLiteral("QSQLITE_BUSY_TIMEOUT\\s*=\\s*(\\d+)"));
            const QRegularExpressionMatch m = opcao.match(m_parametros.opcoes);
            const qint64 ms = m.hasMatch() ? m.captured(1).toLongLong() : qint64(limite) * 1000;
            return ms % 1000 == 0 ? QStringLiteral("%1 s").arg(ms / 1000) : QStringLiteral("%1 ms").arg(ms);
        };
        bool ok = false;
        const int primario = codigo.toInt(&ok) & 0xFF;
        auto erro = [&](const QString& explicacao, ErroBD::Tipo tipo = ErroBD::Tipo::Outro) {
            return ErroBD(QStringLiteral("%1 (%2)").arg(explicacao, daBase), codigo, tipo);
        };
        if (codigo == QLatin1String("1032")) // SQLITE_READONLY_DBMOVED
            return erro(
                QStringLiteral("O ficheiro da base de dados %1 foi apagado ou mudado de sítio enquanto o "
                               "terminal trabalhava; nada foi gravado. Reponha o ficheiro e reinicie o terminal")
                    .arg(f));
        switch (ok ? primario : -1) {
        case 5: // SQLITE_BUSY
        case 6: // SQLITE_LOCKED
            return erro(QStringLiteral("A base de dados %1 está bloqueada por outro programa (esperou %2)")
                            .arg(f, esperaSqlite()),
                        ErroBD::Tipo::Repetivel);
        case 8: // SQLITE_READONLY
            return erro(QStringLiteral("A base de dados %1 só pode ser lida; nada foi gravado. Verifique as permissões "
                                       "do ficheiro e da pasta e se o disco não está montado só para leitura")
                            .arg(f));
        case 10: // SQLITE_IOERR
            return erro(
                QStringLiteral("Erro de leitura ou escrita no ficheiro da base de dados %1; nada foi gravado").arg(f));
        case 13: // SQLITE_FULL
            return erro(
                QStringLiteral("O disco da base de dados %1 está cheio; nada foi gravado. Liberte espaço e repita")
                    .arg(f));
        case 14: // SQLITE_CANTOPEN
            return erro(QStringLiteral("Não foi possível abrir o ficheiro da base de dados %1 ou os seus ficheiros "
                                       "auxiliares (-wal, -shm); verifique as permissões da pasta")
                            .arg(f));
        case 11: // SQLITE_CORRUPT
        case 26: // SQLITE_NOTADB
            return erro(QStringLiteral("O ficheiro %1 não é uma base de dados válida ou está danificado").arg(f));
        default:
            return ErroBD(texto, codigo, ErroBD::Tipo::Outro);
        }
    }

    // The server gave up waiting (statement or lock timeout) or the driver did.
    if (codigo == QLatin1String("57014") || codigo == QLatin1String("55P03") || codigo == QLatin1String("1222") ||
        textoDeTempoEsgotado(texto))
        return ErroBD(
            QStringLiteral("Sem resposta da base de dados em %1 s (%2): %3").arg(limite).arg(descricao, texto), codigo,
            ErroBD::Tipo::SemResposta);
    if (e.type() == QSqlError::ConnectionError || textoDeLigacaoPerdida(texto) ||
        codigo.startsWith(QLatin1String("08")) || codigo == QLatin1String("57P01") ||
        codigo == QLatin1String("57P02") || codigo == QLatin1String("57P03"))
        return ErroBD(QStringLiteral("Sem ligação à base de dados (%1): %2").arg(descricao, texto), codigo,
                      ErroBD::Tipo::LigacaoPerdida);
    ErroBD::Tipo tipo = ErroBD::Tipo::Outro;
    if (m_dialecto == Dialecto::PostgreSQL) {
        if (codigo == QLatin1String("40001") || codigo == QLatin1String("40P01") || codigo == QLatin1String("23505"))
            tipo = ErroBD::Tipo::Repetivel;
    } else if (codigo == QLatin1String("1205") || codigo == QLatin1String("2627") || codigo == QLatin1String("2601") ||
               codigo == QLatin1String("3960")) {
        tipo = ErroBD::Tipo::Repetivel;
    }
    // Through ODBC the native code is often just "1": a failed write transaction is worth
    // another (bounded) try whatever the code.
    if (m_parametros.driver == QLatin1String("QODBC") && m_profundidade > 0) tipo = ErroBD::Tipo::Repetivel;
    return ErroBD(texto, codigo, tipo);
}

ErroBD LigacaoDados::semLigacao() const
{
    QString texto = QStringLiteral("Sem ligação à base de dados (%1)").arg(m_parametros.descricao());
    if (!m_erroReabrir.isEmpty()) texto += QStringLiteral(": ") + m_erroReabrir;
    return ErroBD(texto, {}, ErroBD::Tipo::LigacaoPerdida);
}

namespace {

// Reads what an executed query gave: every row, or the number of rows changed. False on a failure.
bool lerResultado(QSqlQuery& q, bool lerLinhas, Registos& linhasLidas, int& alteradas)
{
    if (!lerLinhas) {
        alteradas = q.numRowsAffected();
        return true;
    }
    QStringList colunas;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        colunas << rec.fieldName(i);
    QList<QVariantList> linhas;
    while (q.next()) {
        QVariantList linha;
        linha.reserve(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            linha << q.value(i);
        linhas << linha;
    }
    if (q.lastError().isValid() && q.lastError().type() != QSqlError::NoError) return false;
    linhasLidas = Registos(colunas, linhas);
    return true;
}

} // namespace

LigacaoDados::Execucao LigacaoDados::correr(const QString& sql, const QVariantList& valores, bool lerLinhas,
                                            bool guardar)
{
    // A moment between statements for the busy indicator of a screen waiting on this one.
    Actividade::Pulsar();
    Execucao r;
    // SQLite prepares any statement (BEGIN IMMEDIATE and COMMIT are kept too); the servers refuse to
    // prepare some (SET, DDL), so those without values or rows run as they stand.
    if (!guardar || (valores.isEmpty() && !lerLinhas && m_dialecto != Dialecto::SQLite)) {
        // Once only: as it stands, or prepared for this call.
        QSqlQuery q(bd());
        q.setForwardOnly(true);
        q.setNumericalPrecisionPolicy(QSql::HighPrecision);
        bool ok;
        if (valores.isEmpty()) {
            ok = q.exec(sql);
        } else {
            ok = q.prepare(sql);
            for (const QVariant& v : valores)
                q.addBindValue(v);
            ok = ok && q.exec();
        }
        if (!ok || !lerResultado(q, lerLinhas, r.linhas, r.alteradas)) throw erroDe(q.lastError());
        return r;
    }
    QSqlQuery& q = preparada(sql);
    // Every placeholder gets this call's value (Null past the end): nothing of an earlier call.
    const qsizetype lugares = qMax<qsizetype>(q.boundValues().size(), valores.size());
    for (qsizetype i = 0; i < lugares; ++i)
        q.bindValue(int(i), i < valores.size() ? valores[i] : QVariant());
    if (!q.exec() || !lerResultado(q, lerLinhas, r.linhas, r.alteradas)) {
        const ErroBD e = erroDe(q.lastError());
        esquecerPreparada(sql, e.tipo() == ErroBD::Tipo::LigacaoPerdida);
        throw e;
    }
    // The result is let go at once (SQLite's read snapshot, an open ODBC cursor) and the values too.
    q.finish();
    for (qsizetype i = 0; i < lugares; ++i)
        q.bindValue(int(i), QVariant());
    return r;
}

QSqlQuery& LigacaoDados::preparada(const QString& sql)
{
    const auto it = m_indicePreparadas.constFind(sql);
    if (it != m_indicePreparadas.cend()) {
        m_preparadas.splice(m_preparadas.begin(), m_preparadas, it.value());
        return *m_preparadas.front().second;
    }
    auto q = std::make_unique<QSqlQuery>(bd());
    q->setForwardOnly(true);
    q->setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!q->prepare(sql)) throw erroDe(q->lastError());
    ++m_preparacoes;
    m_preparadas.emplace_front(sql, std::move(q));
    m_indicePreparadas.insert(sql, m_preparadas.begin());
    // The least recently used goes (released on the server) once there are too many.
    while (m_preparadas.size() > std::size_t(qMax(1, maximoPreparadas))) {
        m_indicePreparadas.remove(m_preparadas.back().first);
        m_preparadas.pop_back();
    }
    return *m_preparadas.front().second;
}

void LigacaoDados::esquecerPreparada(const QString& sql, bool ligacaoPerdida)
{
    const auto it = m_indicePreparadas.find(sql);
    if (it == m_indicePreparadas.end()) return;
    std::unique_ptr<QSqlQuery> q = std::move(it.value()->second);
    m_preparadas.erase(it.value());
    m_indicePreparadas.erase(it);
    // Over a lost connection it is let go when the connection is replaced, without a word to it.
    if (m_profundidade > 0 || ligacaoPerdida) m_esquecidas.push_back(std::move(q));
}

void LigacaoDados::libertarEsquecidas()
{
    m_esquecidas.clear();
}

// Runs one statement; outside a transaction, a lost connection is reopened once and the statement
// run again. The step's query is gone when its error is caught, so the connection can be replaced.
template <typename Passo> auto LigacaoDados::comReligacao(Passo passo) -> decltype(passo())
{
    for (int tentativa = 0;; ++tentativa) {
        if (!aberta() && (m_profundidade > 0 || !reabrir())) throw semLigacao();
        try {
            return passo();
        } catch (const ErroBD& e) {
            if (e.tipo() != ErroBD::Tipo::LigacaoPerdida || m_profundidade > 0 || tentativa > 0 || !reabrir()) throw;
        }
    }
}

Registos LigacaoDados::consultar(const QString& sql, const QVariantList& valores)
{
    return comReligacao([&] { return correr(sql, valores, true).linhas; });
}

int LigacaoDados::executar(const QString& sql, const QVariantList& valores)
{
    return comReligacao([&] {
        // A write of its own (outside a transaction) lands at once: the file must still be there.
        if (m_profundidade == 0) verificarFicheiro();
        return correr(sql, valores, false).alteradas;
    });
}

void LigacaoDados::executarScript(const QString& script)
{
    // Each statement of a script runs once: none is kept prepared.
    auto executar = [this](const QString& sql) {
        comReligacao([&] {
            if (m_profundidade == 0) verificarFicheiro();
            return correr(sql, {}, false, false).alteradas;
        });
    };
    // Splits on ";" outside quotes and comments; blank statements are skipped.
    QString actual;
    bool emAspas = false;
    for (int i = 0; i < script.size(); ++i) {
        const QChar c = script[i];
        if (!emAspas && c == u'-' && i + 1 < script.size() && script[i + 1] == u'-') {
            while (i < script.size() && script[i] != u'\n')
                ++i;
            actual += u'\n';
            continue;
        }
        if (c == u'\'') emAspas = !emAspas;
        if (c == u';' && !emAspas) {
            if (!actual.trimmed().isEmpty()) executar(actual.trimmed());
            actual.clear();
            continue;
        }
        actual += c;
    }
    if (!actual.trimmed().isEmpty()) executar(actual.trimmed());
}

void LigacaoDados::comecar()
{
    if (!aberta() && !reabrir()) throw semLigacao();
    verificarFicheiro();
    if (m_dialecto == Dialecto::SQLite)
        correr(QStringLiteral("BEGIN IMMEDIATE"), {}, false);
    else if (!bd().transaction())
        throw erroDe(bd().lastError());
}

void LigacaoDados::confirmar()
{
    if (m_dialecto == Dialecto::SQLite)
        correr(QStringLiteral("COMMIT"), {}, false);
    else if (!bd().commit())
        throw erroDe(bd().lastError());
}

void LigacaoDados::desfazer()
{
    if (!aberta()) return;
    if (m_dialecto == Dialecto::SQLite) {
        try {
            correr(QStringLiteral("ROLLBACK"), {}, false);
        } catch (const ErroBD&) {
            // Nothing to undo (SQLite already rolled the transaction back).
        }
    } else {
        bd().rollback();
    }
}

void LigacaoDados::transacao(const std::function<void()>& corpo)
{
    if (m_profundidade > 0) {
        corpo();
        return;
    }
    // Retries stop after `tentativasMaximas` tries or once twice the statement limit has passed,
    // whichever comes first: a lock held for longer will not be let go by trying again.
    QElapsedTimer relogio;
    relogio.start();
    const qint64 limiteMs = qint64(m_parametros.segundosInstrucao) * 2000;
    bool jaReabriu = false;
    for (int tentativa = 1;; ++tentativa) {
        bool aConfirmar = false;
        try {
            comecar();
            m_profundidade = 1;
            corpo();
            m_profundidade = 0;
            // The last moment to notice a deleted SQLite file before the work is reported done.
            verificarFicheiro();
            aConfirmar = true;
            confirmar();
            libertarEsquecidas();
            return;
        } catch (const ErroBD& e) {
            m_profundidade = 0;
            desfazer();
            if (e.tipo() != ErroBD::Tipo::LigacaoPerdida) libertarEsquecidas();
            const bool semResposta = e.tipo() == ErroBD::Tipo::LigacaoPerdida || e.tipo() == ErroBD::Tipo::SemResposta;
            // Lost or unanswered while committing: a server may have kept the work, so running it
            // again could record it twice. Let the operator look instead. (SQLite answers every
            // COMMIT: its failures are certain.)
            if (aConfirmar && semResposta && m_dialecto != Dialecto::SQLite)
                throw ErroBD(
                    ErroBD::avisoResultadoIncerto() +
                        QStringLiteral("; verifique se o registo ficou feito antes de o repetir (%1)").arg(e.texto()),
                    e.codigoNativo(), ErroBD::Tipo::ResultadoIncerto);
            if (e.tipo() == ErroBD::Tipo::LigacaoPerdida) {
                if (jaReabriu || !reabrir()) throw;
                jaReabriu = true;
                continue;
            }
            if (!e.repetivel() || tentativa >= tentativasMaximas || (limiteMs > 0 && relogio.elapsed() >= limiteMs))
                throw;
            QThread::msleep(5 + QRandomGenerator::global()->bounded(20 * tentativa));
        } catch (...) {
            m_profundidade = 0;
            desfazer();
            libertarEsquecidas();
            throw;
        }
    }
}
