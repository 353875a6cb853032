#include "dataaccess/LigacaoDados.h"

#include <QAtomicInt>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

namespace {

QAtomicInt contadorLigacoes;

bool textoDeLigacaoPerdida(const QString& t)
{
    static const char* sinais[] = {"server closed the connection", "no connection to the server",
                                   "terminating connection", "connection to server",
                                   "could not connect", "Connection refused", "connection not open",
                                   "Communication link failure", "could not send data", "could not receive data",
                                   "SSL SYSCALL", "broken pipe", "the database system is shutting down",
                                   "the database system is starting up", "Connection is not open",
                                   "connection has been lost", "connection lost", "connection dead"};
    for (const char* s : sinais)
        if (t.contains(QLatin1String(s), Qt::CaseInsensitive))
            return true;
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

LigacaoDados::LigacaoDados()
    : m_nome(QStringLiteral("terminal_%1").arg(contadorLigacoes.fetchAndAddRelaxed(1)))
{
}

LigacaoDados::~LigacaoDados()
{
    Fechar();
    if (QSqlDatabase::contains(m_nome))
        QSqlDatabase::removeDatabase(m_nome);
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
    return abrirInterno(erro);
}

bool LigacaoDados::abrirInterno(QString* erro)
{
    if (QSqlDatabase::contains(m_nome))
        QSqlDatabase::removeDatabase(m_nome);
    const ParametrosLigacao& p = m_parametros;
    if (!QSqlDatabase::isDriverAvailable(p.driver)) {
        if (erro)
            *erro = QStringLiteral("Não foi possível abrir a base de dados (%1): o driver não está instalado.")
                        .arg(p.descricao());
        return false;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(p.driver, m_nome);
        db.setHostName(p.servidor);
        db.setDatabaseName(p.baseDados);
        db.setUserName(p.utilizador);
        db.setPassword(p.password);
        if (p.porta > 0)
            db.setPort(p.porta);
        QString opcoes = p.opcoes;
        if (p.driver == QLatin1String("QSQLITE") && !opcoes.contains(QLatin1String("QSQLITE_BUSY_TIMEOUT")))
            opcoes = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000") + (opcoes.isEmpty() ? QString() : ";" + opcoes);
        if (p.driver == QLatin1String("QODBC") && !opcoes.contains(QLatin1String("SQL_ATTR_ODBC_VERSION")))
            opcoes = QStringLiteral("SQL_ATTR_ODBC_VERSION=SQL_OV_ODBC3") + (opcoes.isEmpty() ? QString() : ";" + opcoes);
        if (p.driver == QLatin1String("QPSQL") && !opcoes.contains(QLatin1String("connect_timeout")))
            opcoes = QStringLiteral("connect_timeout=5") + (opcoes.isEmpty() ? QString() : ";" + opcoes);
        db.setConnectOptions(opcoes);
        if (!db.open()) {
            if (erro)
                *erro = QStringLiteral("Não foi possível abrir a base de dados (%1): %2")
                            .arg(p.descricao(), db.lastError().text());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_nome);
            return false;
        }
        if (p.driver == QLatin1String("QSQLITE"))
            m_dialecto = Dialecto::SQLite;
        else if (p.driver == QLatin1String("QPSQL") || db.driver()->dbmsType() == QSqlDriver::PostgreSQL)
            m_dialecto = Dialecto::PostgreSQL;
        else
            m_dialecto = Dialecto::SqlServer;
    }
    try {
        if (m_dialecto == Dialecto::SQLite) {
            consultar(QStringLiteral("PRAGMA journal_mode=WAL"));
            executar(QStringLiteral("PRAGMA synchronous=NORMAL"));
        }
        for (const QString& instrucao : m_parametros.aoLigar)
            executar(instrucao);
    } catch (const ErroBD& e) {
        if (erro)
            *erro = QStringLiteral("Não foi possível preparar a ligação (%1): %2").arg(p.descricao(), e.texto());
        Fechar();
        return false;
    }
    return true;
}

void LigacaoDados::Fechar()
{
    if (QSqlDatabase::contains(m_nome)) {
        QSqlDatabase db = bd();
        if (db.isOpen())
            db.close();
    }
    m_profundidade = 0;
}

bool LigacaoDados::reabrir()
{
    Fechar();
    return abrirInterno(nullptr);
}

ErroBD LigacaoDados::erroDe(const QSqlError& e) const
{
    const QString codigo = e.nativeErrorCode();
    QString texto = e.text().trimmed();
    if (texto.isEmpty())
        texto = QStringLiteral("Erro desconhecido da base de dados");
    ErroBD::Tipo tipo = ErroBD::Tipo::Outro;
    if (e.type() == QSqlError::ConnectionError || textoDeLigacaoPerdida(texto) || !aberta() ||
        codigo.startsWith(QLatin1String("08")) || codigo == QLatin1String("57P01")) {
        tipo = ErroBD::Tipo::LigacaoPerdida;
    } else {
        switch (m_dialecto) {
        case Dialecto::SQLite:
            if (codigo == QLatin1String("5") || codigo == QLatin1String("6") || codigo == QLatin1String("517") ||
                codigo == QLatin1String("261") || codigo == QLatin1String("262"))
                tipo = ErroBD::Tipo::Repetivel;
            break;
        case Dialecto::PostgreSQL:
            if (codigo == QLatin1String("40001") || codigo == QLatin1String("40P01") || codigo == QLatin1String("23505"))
                tipo = ErroBD::Tipo::Repetivel;
            break;
        case Dialecto::SqlServer:
            if (codigo == QLatin1String("1205") || codigo == QLatin1String("2627") || codigo == QLatin1String("2601") ||
                codigo == QLatin1String("3960"))
                tipo = ErroBD::Tipo::Repetivel;
            break;
        }
        // Through ODBC the native code is often just "1": a failed write transaction is worth
        // another (bounded) try whatever the code.
        if (m_parametros.driver == QLatin1String("QODBC") && m_profundidade > 0)
            tipo = ErroBD::Tipo::Repetivel;
    }
    return ErroBD(texto, codigo, tipo);
}

ErroBD LigacaoDados::semLigacao() const
{
    return ErroBD(QStringLiteral("Sem ligação à base de dados (%1)").arg(m_parametros.descricao()), {},
                  ErroBD::Tipo::LigacaoPerdida);
}

// Runs one statement; outside a transaction, a lost connection is reopened once and the statement
// run again. The step's query is gone when its error is caught, so the connection can be replaced.
template <typename Passo>
auto LigacaoDados::comReligacao(Passo passo) -> decltype(passo())
{
    for (int tentativa = 0;; ++tentativa) {
        if (!aberta() && (m_profundidade > 0 || !reabrir()))
            throw semLigacao();
        try {
            return passo();
        } catch (const ErroBD& e) {
            if (e.tipo() != ErroBD::Tipo::LigacaoPerdida || m_profundidade > 0 || tentativa > 0 || !reabrir())
                throw;
        }
    }
}

Registos LigacaoDados::consultar(const QString& sql, const QVariantList& valores)
{
    return comReligacao([&] {
        QSqlQuery q(bd());
        q.setForwardOnly(true);
        q.setNumericalPrecisionPolicy(QSql::HighPrecision);
        bool ok = q.prepare(sql);
        if (ok) {
            for (const QVariant& v : valores)
                q.addBindValue(v);
            ok = q.exec();
        }
        if (ok) {
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
            if (!q.lastError().isValid() || q.lastError().type() == QSqlError::NoError)
                return Registos(colunas, linhas);
        }
        throw erroDe(q.lastError());
    });
}

int LigacaoDados::executar(const QString& sql, const QVariantList& valores)
{
    return comReligacao([&] {
        QSqlQuery q(bd());
        q.setForwardOnly(true);
        bool ok;
        if (valores.isEmpty()) {
            ok = q.exec(sql);
        } else {
            ok = q.prepare(sql);
            if (ok) {
                for (const QVariant& v : valores)
                    q.addBindValue(v);
                ok = q.exec();
            }
        }
        if (!ok)
            throw erroDe(q.lastError());
        return q.numRowsAffected();
    });
}

void LigacaoDados::executarScript(const QString& script)
{
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
        if (c == u'\'')
            emAspas = !emAspas;
        if (c == u';' && !emAspas) {
            if (!actual.trimmed().isEmpty())
                executar(actual.trimmed());
            actual.clear();
            continue;
        }
        actual += c;
    }
    if (!actual.trimmed().isEmpty())
        executar(actual.trimmed());
}

void LigacaoDados::comecar()
{
    if (!aberta() && !reabrir())
        throw semLigacao();
    if (m_dialecto == Dialecto::SQLite) {
        QSqlQuery q(bd());
        if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
            throw erroDe(q.lastError());
    } else if (!bd().transaction()) {
        throw erroDe(bd().lastError());
    }
}

void LigacaoDados::confirmar()
{
    if (m_dialecto == Dialecto::SQLite) {
        QSqlQuery q(bd());
        if (!q.exec(QStringLiteral("COMMIT")))
            throw erroDe(q.lastError());
    } else if (!bd().commit()) {
        throw erroDe(bd().lastError());
    }
}

void LigacaoDados::desfazer()
{
    if (!aberta())
        return;
    if (m_dialecto == Dialecto::SQLite) {
        QSqlQuery q(bd());
        q.exec(QStringLiteral("ROLLBACK"));
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
    bool jaReabriu = false;
    for (int tentativa = 1;; ++tentativa) {
        bool aConfirmar = false;
        try {
            comecar();
            m_profundidade = 1;
            corpo();
            m_profundidade = 0;
            aConfirmar = true;
            confirmar();
            return;
        } catch (const ErroBD& e) {
            m_profundidade = 0;
            desfazer();
            if (e.tipo() == ErroBD::Tipo::LigacaoPerdida) {
                // Lost while committing: the server may have kept the work, so running it again
                // could record it twice. Let the operator look instead.
                if (aConfirmar)
                    throw ErroBD(ErroBD::avisoResultadoIncerto() +
                                     QStringLiteral("; verifique se o registo ficou feito antes de o repetir (%1)")
                                         .arg(e.texto()),
                                 e.codigoNativo(), ErroBD::Tipo::ResultadoIncerto);
                if (jaReabriu || !reabrir())
                    throw;
                jaReabriu = true;
                continue;
            }
            if (!e.repetivel() || tentativa >= tentativasMaximas)
                throw;
            QThread::msleep(5 + QRandomGenerator::global()->bounded(20 * tentativa));
        } catch (...) {
            m_profundidade = 0;
            desfazer();
            throw;
        }
    }
}
