#include "dataaccess/MonitorLigacao.h"

#include <QFileInfo>
#include <QThread>

// Lives on the worker thread: each try there opens and drops a connection of its own.
class SondaLigacao : public QObject
{
    Q_OBJECT

public:
    explicit SondaLigacao(const ParametrosLigacao& p) : m_parametros(p) {}

    void sondar(quint64 geracao)
    {
        QString erro;
        const bool ok = MonitorLigacao::Sondar(m_parametros, &erro);
        emit respondeu(geracao, ok, erro);
    }

signals:
    void respondeu(quint64 geracao, bool ok, const QString& erro);

private:
    ParametrosLigacao m_parametros;
};

namespace {

// A try gives up after this many seconds instead of the connection's usual limit.
constexpr int TempoLimiteSondagem = 2;

QString comOpcao(const QString& opcoes, const QString& chave, const QString& opcao)
{
    if (opcoes.contains(chave)) return opcoes;
    return opcoes.isEmpty() ? opcao : opcoes + QLatin1Char(';') + opcao;
}

} // namespace

bool MonitorLigacao::Sondar(const ParametrosLigacao& parametros, QString* erro)
{
    if (parametros.driver == QLatin1String("QSQLITE")) {
        // Opening would create a missing file: only look for it.
        const QFileInfo f(parametros.baseDados);
        if (f.isFile()) return true;
        if (erro) *erro = QStringLiteral("O ficheiro %1 não existe").arg(parametros.baseDados);
        return false;
    }
    ParametrosLigacao p = parametros;
    if (p.driver == QLatin1String("QPSQL"))
        p.opcoes = comOpcao(p.opcoes, QStringLiteral("connect_timeout"),
                            QStringLiteral("connect_timeout=%1").arg(TempoLimiteSondagem));
    else if (p.driver == QLatin1String("QODBC"))
        p.opcoes = comOpcao(p.opcoes, QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT"),
                            QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(TempoLimiteSondagem));
    LigacaoDados ligacao;
    QString texto;
    if (!ligacao.Abrir(p, &texto)) {
        if (erro) *erro = texto;
        return false;
    }
    try {
        ligacao.consultar(QStringLiteral("SELECT 1"));
    } catch (const ErroBD& e) {
        if (erro) *erro = e.texto();
        return false;
    }
    return true;
}

MonitorLigacao::MonitorLigacao(const ParametrosLigacao& parametros, QObject* parent) : QObject(parent)
{
    m_relogio.setSingleShot(true);
    connect(&m_relogio, &QTimer::timeout, this, &MonitorLigacao::tentar);
    m_fio = new QThread;
    m_sonda = new SondaLigacao(parametros);
    m_sonda->moveToThread(m_fio);
    connect(m_fio, &QThread::finished, m_sonda, &QObject::deleteLater);
    connect(this, &MonitorLigacao::pedirSondagem, m_sonda, &SondaLigacao::sondar);
    connect(m_sonda, &SondaLigacao::respondeu, this, &MonitorLigacao::respondeu);
    m_fio->start();
}

MonitorLigacao::~MonitorLigacao()
{
    m_relogio.stop();
    disconnect(m_sonda, nullptr, this, nullptr);
    m_fio->quit();
    // A try under way ends within its time limit; a server that accepted the connection and then
    // went silent could hold it longer: the thread is then left to end on its own.
    if (m_fio->wait((TempoLimiteSondagem + 3) * 1000)) {
        delete m_fio;
    } else {
        connect(m_fio, &QThread::finished, m_fio, &QObject::deleteLater);
    }
}

void MonitorLigacao::setEsperas(int primeiraMs, int maximaMs)
{
    m_primeira = qMax(1, primeiraMs);
    m_maxima = qMax(m_primeira, maximaMs);
    if (!m_activo) m_espera = m_primeira;
}

void MonitorLigacao::Iniciar()
{
    if (m_activo) return;
    m_activo = true;
    m_espera = m_primeira;
    ++m_geracao;
    m_relogio.start(m_espera);
}

void MonitorLigacao::Parar()
{
    m_activo = false;
    m_relogio.stop();
    ++m_geracao;
    m_emCurso = false;
}

void MonitorLigacao::tentar()
{
    if (!m_activo || m_emCurso) return;
    m_emCurso = true;
    emit pedirSondagem(m_geracao);
}

void MonitorLigacao::respondeu(quint64 geracao, bool ok, const QString& erro)
{
    if (geracao != m_geracao || !m_activo) return; // an answer to a try from before Parar
    m_emCurso = false;
    if (ok) {
        m_activo = false;
        emit alcancavel();
        return;
    }
    m_espera = qMin(m_espera * 2, m_maxima);
    m_relogio.start(m_espera);
    emit tentativaFalhou(erro, m_espera);
}

#include "MonitorLigacao.moc"
