#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include "dataaccess/LigacaoDados.h"

class QThread;
class SondaLigacao;

// Waits for the database server to be reachable again, without holding up the thread that owns
// it: each try opens a connection of its own on a worker thread (with a short connection time
// limit) and runs "SELECT 1"; the owner's thread only starts tries and hears their answers. Tries
// are spaced by a bounded back-off (2 s, doubling up to 60 s by default). An SQLite database is
// reachable when its file is there. After the first try that succeeds, `alcancavel` is emitted
// and the monitor stops until started again.
class MonitorLigacao : public QObject
{
    Q_OBJECT

public:
    explicit MonitorLigacao(const ParametrosLigacao& parametros, QObject* parent = nullptr);
    // Waits for a try under way (bounded by its time limit).
    ~MonitorLigacao() override;

    void setEsperas(int primeiraMs, int maximaMs);
    // Starts trying (the first try after the first wait); while already trying, changes nothing.
    void Iniciar();
    void Parar();
    bool activo() const { return m_activo; }
    // The wait before the next try.
    int esperaMs() const { return m_espera; }

    // One try, on the calling thread: true when the server answered; otherwise the reason.
    static bool Sondar(const ParametrosLigacao& parametros, QString* erro = nullptr);

signals:
    void alcancavel();
    void tentativaFalhou(const QString& erro, int proximaEsperaMs);
    // Internal: asks the worker for one try.
    void pedirSondagem(quint64 geracao);

private:
    void tentar();
    void respondeu(quint64 geracao, bool ok, const QString& erro);

    QThread* m_fio = nullptr;
    SondaLigacao* m_sonda = nullptr;
    QTimer m_relogio;
    int m_primeira = 2000;
    int m_maxima = 60000;
    int m_espera = 2000;
    bool m_activo = false;
    bool m_emCurso = false;
    quint64 m_geracao = 0;
};
