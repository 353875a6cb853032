#include "dataaccess/JornalLocal.h"

#include <sys/stat.h>

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "base/PastaPrograma.h"

namespace {

QAtomicInt contadorLigacoes;

const QString Colunas = QStringLiteral(
    "Sequencia, Token, Terminal, Destino, TipoTerminal, Funcao, DescricaoFuncao, Utilizador, NomeUtilizador, Obra,"
    " Operacao, DescricaoOperacao, Maquina, DescricaoMaquina, MotivoSuspensao, DataHora, Razao,"
    " VerificacoesOmitidas, Estado, Mensagem, Tentativas, UltimaFalha, Guardada, Tratada");

// Date-times are kept as local wall-clock text with milliseconds.
QVariant textoDataHora(const QDateTime& d)
{
    return d.isValid() ? QVariant(d.toString(Qt::ISODateWithMs)) : QVariant(QString());
}
QDateTime dataHoraDe(const QVariant& v)
{
    return v.isNull() ? QDateTime() : QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
}
// Empty text, never Null.
QVariant texto(const QString& s)
{
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

// Why SQLite failed, from its (extended) result code.
QString motivoSqlite(const QString& codigoNativo)
{
    switch (codigoNativo.toInt() & 0xff) {
    case 13:
        return QStringLiteral("disco cheio");
    case 8:
        return QStringLiteral("o ficheiro ou a pasta não permite escrita");
    case 14:
        return QStringLiteral("não foi possível criar ou abrir o ficheiro (verifique a pasta e as permissões)");
    case 10:
        return QStringLiteral("erro de leitura ou escrita no disco");
    case 5:
    case 6:
        return QStringLiteral("o ficheiro está ocupado por outro processo");
    case 11:
    case 26:
        return QStringLiteral("o ficheiro está danificado ou não é um jornal");
    case 3:
    case 23:
        return QStringLiteral("sem permissão");
    case 19:
        return QStringLiteral("o registo já está no jornal");
    default:
        return QStringLiteral("erro %1 do SQLite").arg(codigoNativo);
    }
}

bool identificacao(const QString& ficheiro, quint64& dispositivo, quint64& inode)
{
    struct stat s
    {
    };
    if (::stat(QFile::encodeName(ficheiro).constData(), &s) != 0) return false;
    dispositivo = quint64(s.st_dev);
    inode = quint64(s.st_ino);
    return true;
}

} // namespace

QString JornalLocal::FicheiroPadrao()
{
    return QDir(PastaPrograma()).filePath(QStringLiteral("jornal.db"));
}

JornalLocal::JornalLocal(const QString& ficheiro)
    : m_ficheiro(QFileInfo(ficheiro).absoluteFilePath()),
      m_nome(QStringLiteral("jornal_%1").arg(contadorLigacoes.fetchAndAddRelaxed(1)))
{
}

JornalLocal::~JornalLocal()
{
    fechar();
}

void JornalLocal::falhar(const QString& accao, const QSqlError& erro) const
{
    throw ErroJornal(QStringLiteral("Não foi possível %1 %2: %3 (%4).")
                         .arg(accao, m_ficheiro, motivoSqlite(erro.nativeErrorCode()), erro.text().trimmed()));
}

void JornalLocal::fechar()
{
    if (QSqlDatabase::contains(m_nome)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_nome, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_nome);
    }
    m_aberto = false;
}

void JornalLocal::ligar()
{
    if (m_aberto)
        verificarFicheiro();
    else
        abrirFicheiro();
}

bool JornalLocal::ligarSeExistir()
{
    if (!m_aberto && !QFileInfo::exists(m_ficheiro)) return false;
    ligar();
    return true;
}

void JornalLocal::abrirFicheiro()
{
    const QFileInfo pasta(QFileInfo(m_ficheiro).absolutePath());
    if (!pasta.exists())
        throw ErroJornal(QStringLiteral("Não foi possível abrir o jornal %1: a pasta %2 não existe.")
                             .arg(m_ficheiro, pasta.filePath()));
    if (!pasta.isDir())
        throw ErroJornal(QStringLiteral("Não foi possível abrir o jornal %1: %2 não é uma pasta.")
                             .arg(m_ficheiro, pasta.filePath()));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_nome);
        db.setDatabaseName(m_ficheiro);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            const QSqlError e = db.lastError();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_nome);
            falhar(QStringLiteral("abrir o jornal"), e);
        }
    }
    m_aberto = true;
    // Two processes setting up the same file at once can meet in a lock upgrade that SQLite
    // refuses at once instead of waiting (it would deadlock): the setting up takes turns. A folder
    // where the turn cannot be marked is one where the journal cannot be written either; the
    // steps below then say why.
    QLockFile vez(m_ficheiro + QStringLiteral(".abrir"));
    vez.setStaleLockTime(30000);
    vez.tryLock(10000);
    try {
        const QString abrir = QStringLiteral("abrir o jornal");
        // Another program's database is left as it was: nothing is set before this look.
        QSqlQuery versao = executar(abrir, QStringLiteral("PRAGMA user_version"));
        const bool novo = versao.next() && versao.value(0).toInt() == 0;
        versao.finish();
        if (novo) semOutrasTabelas();
        // WAL: a commit appends to the log and never rewrites the database in place, and with
        // synchronous=FULL the log is flushed to the disk before the commit returns, so a
        // committed entry survives a power cut. (A rollback journal would need EXTRA for that.)
        QSqlQuery modo = executar(abrir, QStringLiteral("PRAGMA journal_mode=WAL"));
        const bool wal =
            modo.next() && modo.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
        modo.finish();
        executar(abrir, wal ? QStringLiteral("PRAGMA synchronous=FULL") : QStringLiteral("PRAGMA synchronous=EXTRA"));
        criarTabelas();
    } catch (...) {
        fechar();
        throw;
    }
    identificacao(m_ficheiro, m_dispositivo, m_inode);
}

// A journal deleted or replaced while open would take every later write with it unseen: the
// entries still readable through the open connection are carried into a journal at the path.
void JornalLocal::verificarFicheiro()
{
    quint64 dispositivo = 0, inode = 0;
    if (identificacao(m_ficheiro, dispositivo, inode) && dispositivo == m_dispositivo && inode == m_inode) return;
    const QList<EntradaJornal> salvas = lerEntradas(QStringLiteral("1 = 1"), {});
    fechar();
    abrirFicheiro();
    escrever(QStringLiteral("recuperar o jornal"), [&] {
        for (const EntradaJornal& e : salvas)
            gravarEntrada(e, true);
    });
}

void JornalLocal::criarTabelas()
{
    const QString abrir = QStringLiteral("abrir o jornal");
    auto versao = [&] {
        QSqlQuery q = executar(abrir, QStringLiteral("PRAGMA user_version"));
        return q.next() ? q.value(0).toInt() : 0;
    };
    if (versao() == 1) return;
    escrever(abrir, [&] {
        const int v = versao();
        if (v == 1) return;
        if (v > 1)
            throw ErroJornal(
                QStringLiteral("Não foi possível abrir o jornal %1: foi criado por uma versão mais recente "
                               "do programa.")
                    .arg(m_ficheiro));
        semOutrasTabelas();
        executar(abrir, QStringLiteral("CREATE TABLE Jornal ("
                                       " Sequencia INTEGER PRIMARY KEY AUTOINCREMENT,"
                                       " Token TEXT NOT NULL UNIQUE,"
                                       " Terminal TEXT NOT NULL DEFAULT '',"
                                       " Destino TEXT NOT NULL DEFAULT '',"
                                       " TipoTerminal INTEGER NOT NULL DEFAULT 0,"
                                       " Funcao TEXT NOT NULL,"
                                       " DescricaoFuncao TEXT NOT NULL DEFAULT '',"
                                       " Utilizador TEXT NOT NULL DEFAULT '',"
                                       " NomeUtilizador TEXT NOT NULL DEFAULT '',"
                                       " Obra TEXT NOT NULL DEFAULT '',"
                                       " Operacao TEXT NOT NULL DEFAULT '',"
                                       " DescricaoOperacao TEXT NOT NULL DEFAULT '',"
                                       " Maquina TEXT NOT NULL DEFAULT '',"
                                       " DescricaoMaquina TEXT NOT NULL DEFAULT '',"
                                       " MotivoSuspensao TEXT NOT NULL DEFAULT '',"
                                       " DataHora TEXT NOT NULL,"
                                       " Razao TEXT NOT NULL DEFAULT '',"
                                       " VerificacoesOmitidas TEXT NOT NULL DEFAULT '',"
                                       " Estado INTEGER NOT NULL DEFAULT 0,"
                                       " Mensagem TEXT NOT NULL DEFAULT '',"
                                       " Tentativas INTEGER NOT NULL DEFAULT 0,"
                                       " UltimaFalha TEXT NOT NULL DEFAULT '',"
                                       " Guardada TEXT NOT NULL,"
                                       " Tratada TEXT)"));
        executar(abrir, QStringLiteral("CREATE INDEX ix_jornal_estado ON Jornal (Estado, Sequencia)"));
        executar(abrir, QStringLiteral("PRAGMA user_version = 1"));
    });
}

void JornalLocal::semOutrasTabelas()
{
    QSqlQuery tabelas = executar(QStringLiteral("abrir o jornal"),
                                 QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table'"));
    if (tabelas.next() && tabelas.value(0).toInt() > 0)
        throw ErroJornal(
            QStringLiteral("Não foi possível abrir o jornal %1: o ficheiro não é um jornal deste programa.")
                .arg(m_ficheiro));
}

QSqlQuery JornalLocal::executar(const QString& accao, const QString& sql, const QVariantList& valores)
{
    QSqlQuery q(QSqlDatabase::database(m_nome, false));
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
    if (!ok) falhar(accao, q.lastError());
    return q;
}

void JornalLocal::escrever(const QString& accao, const std::function<void()>& passos)
{
    executar(accao, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        passos();
        executar(accao, QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(QSqlDatabase::database(m_nome, false)).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void JornalLocal::gravarEntrada(const EntradaJornal& e, bool recuperada)
{
    executar(QStringLiteral("guardar o registo no jornal"),
             (recuperada ? QStringLiteral("INSERT OR IGNORE") : QStringLiteral("INSERT")) +
                 QStringLiteral(" INTO Jornal (Token, Terminal, Destino, TipoTerminal, Funcao, DescricaoFuncao,"
                                " Utilizador, NomeUtilizador, Obra, Operacao, DescricaoOperacao, Maquina,"
                                " DescricaoMaquina, MotivoSuspensao, DataHora, Razao, VerificacoesOmitidas, Estado,"
                                " Mensagem, Tentativas, UltimaFalha, Guardada, Tratada)"
                                " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             {e.Token,
              texto(e.Terminal),
              texto(e.Destino),
              e.TipoTerminal,
              texto(e.Funcao),
              texto(e.DescricaoFuncao),
              texto(e.Utilizador),
              texto(e.NomeUtilizador),
              texto(e.Obra),
              texto(e.Operacao),
              texto(e.DescricaoOperacao),
              texto(e.Maquina),
              texto(e.DescricaoMaquina),
              texto(e.MotivoSuspensao),
              textoDataHora(e.DataHora),
              texto(e.Razao),
              texto(e.VerificacoesOmitidas.join(u'\n')),
              int(e.estado),
              texto(e.Mensagem),
              e.Tentativas,
              texto(e.UltimaFalha),
              textoDataHora(e.Guardada),
              e.Tratada.isValid() ? textoDataHora(e.Tratada) : QVariant()});
}

qint64 JornalLocal::Acrescentar(EntradaJornal& entrada)
{
    if (!entrada.DataHora.isValid())
        throw ErroJornal(
            QStringLiteral("Não foi possível guardar o registo no jornal %1: o registo não tem data e hora.")
                .arg(m_ficheiro));
    ligar();
    if (entrada.Token.isEmpty()) entrada.Token = QUuid::createUuid().toString(QUuid::WithoutBraces);
    entrada.estado = EntradaJornal::Estado::Pendente;
    entrada.Guardada = QDateTime::currentDateTime();
    entrada.Tratada = QDateTime();
    qint64 sequencia = 0;
    escrever(QStringLiteral("guardar o registo no jornal"), [&] {
        gravarEntrada(entrada, false);
        QSqlQuery q = executar(QStringLiteral("guardar o registo no jornal"),
                               QStringLiteral("SELECT Sequencia FROM Jornal WHERE Token = ?"), {entrada.Token});
        if (q.next()) sequencia = q.value(0).toLongLong();
    });
    entrada.Sequencia = sequencia;
    return sequencia;
}

QList<EntradaJornal> JornalLocal::lerEntradas(const QString& condicao, const QVariantList& valores)
{
    QSqlQuery q = executar(QStringLiteral("ler o jornal"),
                           QStringLiteral("SELECT ") + Colunas + QStringLiteral(" FROM Jornal WHERE ") + condicao +
                               QStringLiteral(" ORDER BY Sequencia"),
                           valores);
    QList<EntradaJornal> r;
    while (q.next()) {
        EntradaJornal e;
        int i = 0;
        e.Sequencia = q.value(i++).toLongLong();
        e.Token = q.value(i++).toString();
        e.Terminal = q.value(i++).toString();
        e.Destino = q.value(i++).toString();
        e.TipoTerminal = q.value(i++).toInt();
        e.Funcao = q.value(i++).toString();
        e.DescricaoFuncao = q.value(i++).toString();
        e.Utilizador = q.value(i++).toString();
        e.NomeUtilizador = q.value(i++).toString();
        e.Obra = q.value(i++).toString();
        e.Operacao = q.value(i++).toString();
        e.DescricaoOperacao = q.value(i++).toString();
        e.Maquina = q.value(i++).toString();
        e.DescricaoMaquina = q.value(i++).toString();
        e.MotivoSuspensao = q.value(i++).toString();
        e.DataHora = dataHoraDe(q.value(i++));
        e.Razao = q.value(i++).toString();
        const QString omitidas = q.value(i++).toString();
        e.VerificacoesOmitidas = omitidas.isEmpty() ? QStringList() : omitidas.split(u'\n');
        e.estado = EntradaJornal::Estado(q.value(i++).toInt());
        e.Mensagem = q.value(i++).toString();
        e.Tentativas = q.value(i++).toInt();
        e.UltimaFalha = q.value(i++).toString();
        e.Guardada = dataHoraDe(q.value(i++));
        e.Tratada = dataHoraDe(q.value(i++));
        r << e;
    }
    return r;
}

QList<EntradaJornal> JornalLocal::Pendentes(const QString& destino)
{
    if (!ligarSeExistir()) return {};
    if (destino.isEmpty()) return lerEntradas(QStringLiteral("Estado = 0"), {});
    return lerEntradas(QStringLiteral("Estado = 0 AND Destino = ?"), {destino});
}

QList<EntradaJornal> JornalLocal::Recusadas(const QString& destino)
{
    if (!ligarSeExistir()) return {};
    if (destino.isEmpty()) return lerEntradas(QStringLiteral("Estado = 2"), {});
    return lerEntradas(QStringLiteral("Estado = 2 AND Destino = ?"), {destino});
}

int JornalLocal::contar(int estado, const QString& destino)
{
    if (!ligarSeExistir()) return 0;
    QSqlQuery q = destino.isEmpty()
                      ? executar(QStringLiteral("ler o jornal"),
                                 QStringLiteral("SELECT COUNT(*) FROM Jornal WHERE Estado = ?"), {estado})
                      : executar(QStringLiteral("ler o jornal"),
                                 QStringLiteral("SELECT COUNT(*) FROM Jornal WHERE Estado = ? AND Destino = ?"),
                                 {estado, destino});
    return q.next() ? q.value(0).toInt() : 0;
}

int JornalLocal::NumeroPendentes(const QString& destino)
{
    return contar(0, destino);
}

int JornalLocal::NumeroRecusadas(const QString& destino)
{
    return contar(2, destino);
}

void JornalLocal::MarcarEnviada(qint64 sequencia, const QString& mensagem)
{
    ligar();
    executar(QStringLiteral("actualizar o jornal"),
             QStringLiteral("UPDATE Jornal SET Estado = 1, Mensagem = ?, Tentativas = Tentativas + 1, Tratada = ?"
                            " WHERE Sequencia = ? AND Estado = 0"),
             {texto(mensagem), textoDataHora(QDateTime::currentDateTime()), sequencia});
}

void JornalLocal::MarcarRecusada(qint64 sequencia, const QString& mensagem)
{
    ligar();
    executar(QStringLiteral("actualizar o jornal"),
             QStringLiteral("UPDATE Jornal SET Estado = 2, Mensagem = ?, Tentativas = Tentativas + 1, Tratada = ?"
                            " WHERE Sequencia = ? AND Estado = 0"),
             {texto(mensagem), textoDataHora(QDateTime::currentDateTime()), sequencia});
}

void JornalLocal::ContarTentativa(qint64 sequencia, const QString& motivo)
{
    ligar();
    executar(QStringLiteral("actualizar o jornal"),
             QStringLiteral("UPDATE Jornal SET Tentativas = Tentativas + 1, UltimaFalha = ?"
                            " WHERE Sequencia = ? AND Estado = 0"),
             {texto(motivo), sequencia});
}

int JornalLocal::ApagarEnviadasAntesDe(const QDateTime& limite)
{
    if (!ligarSeExistir()) return 0;
    return executar(QStringLiteral("actualizar o jornal"),
                    QStringLiteral("DELETE FROM Jornal WHERE Estado = 1 AND Tratada < ?"), {textoDataHora(limite)})
        .numRowsAffected();
}

std::unique_ptr<QLockFile> JornalLocal::ReservarReenvio() const
{
    auto trinco = std::make_unique<QLockFile>(m_ficheiro + QStringLiteral(".reenvio"));
    // Never stale by age (a replay may take long); a lock left by a process that died is taken over.
    trinco->setStaleLockTime(0);
    if (!trinco->tryLock(0)) return nullptr;
    return trinco;
}
