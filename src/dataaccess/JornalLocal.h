#pragma once

#include <functional>
#include <memory>
#include <stdexcept>

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class QLockFile;
class QSqlQuery;

// One confirmed function kept while the server could not be reached, with what is needed to run
// it later exactly as it was confirmed.
struct EntradaJornal
{
    enum class Estado { Pendente = 0, Enviada = 1, Recusada = 2 };

    qint64 Sequencia = 0; // order of confirmation, given by Acrescentar
    QString Token;        // the function's unique token: it is done at most once
    QString Terminal;     // the terminal that confirmed it
    QString Destino;      // the database it is meant for (the connection's description, no password)
    int TipoTerminal = 0; // "Tipo de Terminal": 0 frmTerminal, any other frmTerminal2
    QString Funcao;
    QString DescricaoFuncao;
    QString Utilizador;
    QString NomeUtilizador;
    QString Obra;
    QString Operacao;
    QString DescricaoOperacao;
    QString Maquina;
    QString DescricaoMaquina;
    QString MotivoSuspensao;
    QDateTime DataHora;               // the event's date and time: the function runs with it, not with the replay's
    QString Razao;                    // why it was kept instead of sent
    QStringList VerificacoesOmitidas; // the checks that needed the server and were skipped
    Estado estado = Estado::Pendente;
    QString Mensagem; // refused: the engine's message; sent: what the engine said, if anything
    int Tentativas = 0;
    QString UltimaFalha; // why the last try did not reach the server
    QDateTime Guardada;  // when it was written here
    QDateTime Tratada;   // when it was sent or refused
};

// The journal could not be read or written: the text names the file and the cause.
class ErroJornal : public std::runtime_error
{
public:
    explicit ErroJornal(const QString& texto) : std::runtime_error(texto.toStdString()), m_texto(texto) {}
    const QString& texto() const { return m_texto; }

private:
    QString m_texto;
};

// The local journal: an SQLite file of its own in the program folder that keeps the functions
// confirmed while the server was out of reach, in the order they were confirmed, until they are
// sent. WAL with synchronous=FULL: an entry is on the disk when Acrescentar returns and survives
// a power cut; a commit never leaves the file half written. Several processes may open the same
// file (SQLite's locks keep every write whole); ReservarReenvio lets only one of them replay.
// Use one object from one thread. Every failure throws ErroJornal.
class JornalLocal
{
public:
    // "jornal.db" in the program folder.
    static QString FicheiroPadrao();
    // What the operator is told when a function was kept here.
    static QString AvisoGuardado() { return QStringLiteral("Sem ligação ao servidor: registo guardado, será enviado"); }

    // Nothing is opened before the first call that needs the file.
    explicit JornalLocal(const QString& ficheiro = FicheiroPadrao());
    ~JornalLocal();
    JornalLocal(const JornalLocal&) = delete;
    JornalLocal& operator=(const JornalLocal&) = delete;

    const QString& ficheiro() const { return m_ficheiro; }

    // Writes the entry as waiting; on return it is on the disk. Gives the entry its sequence, its
    // time of writing and, when it has none, a new token.
    qint64 Acrescentar(EntradaJornal& entrada);

    // Waiting entries in the order they were confirmed; with a destination, only those meant for it.
    QList<EntradaJornal> Pendentes(const QString& destino = {});
    // Refused entries, oldest first, with the engine's message (the supervisor's list).
    QList<EntradaJornal> Recusadas(const QString& destino = {});
    int NumeroPendentes(const QString& destino = {});
    int NumeroRecusadas(const QString& destino = {});

    // The entry was done on the server (or had already been). Only a waiting entry changes.
    void MarcarEnviada(qint64 sequencia, const QString& mensagem = {});
    // The engine refused the entry: it leaves the waiting list, kept with the message.
    void MarcarRecusada(qint64 sequencia, const QString& mensagem);
    // A try that did not reach the server: the entry keeps waiting, its count of tries goes up.
    void ContarTentativa(qint64 sequencia, const QString& motivo);
    // Removes sent entries handled before `limite` (refused and waiting ones are kept).
    int ApagarEnviadasAntesDe(const QDateTime& limite);

    // The replay lock, held while the returned object lives; null when another process holds it.
    std::unique_ptr<QLockFile> ReservarReenvio() const;

private:
    void ligar();
    bool ligarSeExistir();
    void abrirFicheiro();
    void fechar();
    void verificarFicheiro();
    void criarTabelas();
    void semOutrasTabelas();
    QSqlQuery executar(const QString& accao, const QString& sql, const QVariantList& valores = {});
    void escrever(const QString& accao, const std::function<void()>& passos);
    QList<EntradaJornal> lerEntradas(const QString& condicao, const QVariantList& valores);
    int contar(int estado, const QString& destino);
    void gravarEntrada(const EntradaJornal& e, bool recuperada);
    [[noreturn]] void falhar(const QString& accao, const class QSqlError& erro) const;

    QString m_ficheiro;
    QString m_nome;
    bool m_aberto = false;
    quint64 m_dispositivo = 0;
    quint64 m_inode = 0;
};
