#pragma once
// Fault injection: the PostgreSQL server stopped in the middle of a load run and started again
// (the terminals keep what they confirm meanwhile in their journals, and are restarted);
// a SQLite database locked by another process beyond the busy timeout; the program folder made
// read-only; configuration files that are empty, binary or huge. Header only: bench_carga
// --avarias runs them at length, tests/carga briefly.

#include <limits>
#include <mutex>
#include <sys/stat.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "Carga.hpp"
#include "ServidorPg.hpp"
#include "app/Arranque.h"
#include "base/PastaPrograma.h"
#include "dataaccess/LeitorConfiguracao.h"

namespace bench {

struct ResultadoAvaria
{
    QString nome;
    bool passou = false;
    bool saltado = false;
    QString detalhe;
};

// A small factory for the fault runs.
inline void gerarPequena(const ParametrosLigacao& par, qint64 linhas = 4000)
{
    ParametrosGerador g;
    g.linhas = linhas;
    g.ordens = 80;
    g.ordensAbertas = 40;
    g.funcionarios = 40;
    g.operacoes = 30;
    g.maquinas = 10;
    g.artigos = 400;
    gerarDeNovo(par, g);
}

// The server out of reach in the middle of a load run: PostgreSQL stopped (immediately, as a
// crash or a pulled cable would) a quarter into the run, for `paradoMs`, while the terminals go on
// confirming. What they confirm meanwhile is kept in their journals; with `reiniciar` every
// terminal is restarted half way through the outage (its objects made anew on its journal); with
// `queda` the server is stopped again for half a second as soon as a terminal has sent its first
// kept entry. Once it is back for good every journal empties: every function confirmed is done
// exactly once or refused, with its own date and time (the check's tokens), nothing is left, no
// line is doubled, and the totals equal a fresh roll-up.
struct OpcoesForaDeAlcance
{
    double segundos = 6;
    int terminais = 4;
    int paradoMs = 1500;
    bool reiniciar = true;
    bool queda = true;
};

inline ResultadoAvaria avariaPgForaDeAlcance(const OpcoesForaDeAlcance& o)
{
    ResultadoAvaria r;
    r.nome = QStringLiteral("PostgreSQL fora de alcance a meio da carga (jornal, reinício, queda no envio)");
    const QString impedimento = ServidorPg::impedimento();
    if (!impedimento.isEmpty()) {
        r.saltado = true;
        r.detalhe = impedimento;
        return r;
    }
    ServidorPg s;
    QString erro;
    if (!s.iniciar(&erro)) {
        r.detalhe = erro;
        return r;
    }
    const ParametrosLigacao par = s.parametros(QStringLiteral("carga"));
    gerarPequena(par);
    ParametrosCarga p;
    p.terminais = o.terminais;
    p.segundos = o.segundos;
    p.escreverLog = false;
    p.esperaInicialMs = 50;
    p.esperaMaximaMs = 400;
    // Errors stamped within a window (from the stop to 1.5 s after the start) are expected.
    std::mutex mutex;
    QList<std::pair<qint64, qint64>> janelas;
    const auto t0 = Relogio::now();
    auto agora = [&] { return qint64(microsDesde(t0) / 1000); };
    auto abrirJanela = [&](qint64 ms) {
        std::lock_guard<std::mutex> g(mutex);
        janelas << std::pair{ms - 50, std::numeric_limits<qint64>::max()};
    };
    auto fecharJanela = [&](qint64 ms) {
        std::lock_guard<std::mutex> g(mutex);
        janelas.last().second = ms + 1500;
    };
    std::atomic<qint64> parado{-1}, fimParagem{-1};
    std::atomic<bool> deVolta{false}, quedaFeita{false}, voltouDaQueda{!o.queda};
    const qint64 quando = qint64(o.segundos * 1000 / 4);
    bool reiniciou = false;
    p.aposOperacao = [&](qint64 ms) {
        if (parado >= 0 || ms < quando) return;
        parado = ms;
        abrirJanela(agora());
        s.parar(true);
        QThread::msleep(unsigned(o.paradoMs / 2));
        if (o.reiniciar) ++*p.reinicios;
        QThread::msleep(unsigned(o.paradoMs / 2));
        reiniciou = s.arrancar();
        deVolta = true;
        fimParagem = agora();
        fecharJanela(fimParagem);
    };
    p.aposReenvio = [&](qint64) {
        if (!o.queda || !deVolta || quedaFeita.exchange(true)) return;
        abrirJanela(agora());
        s.parar(true);
        QThread::msleep(500);
        voltouDaQueda = s.arrancar();
        fecharJanela(agora());
    };
    const ResultadoCarga c = correrCarga(par, p, [&](qint64 ms) {
        std::lock_guard<std::mutex> g(mutex);
        for (const auto& [de, ate] : janelas)
            if (ms >= de && ms <= ate) return true;
        return false;
    });
    // Every terminal did work after the outage.
    QSet<int> depois;
    int errosObscuros = 0;
    qint64 ultimoEnvio = -1;
    for (const Evento& e : c.eventos) {
        ultimoEnvio = std::max(ultimoEnvio, e.msReenvio);
        if (e.ok && !e.reenviada && fimParagem >= 0 && e.msDesdeInicio > fimParagem + 1500) depois.insert(e.terminal);
        if ((e.excepcao && e.mensagem.trimmed().isEmpty()) ||
            (!e.mensagensSistema.isEmpty() && e.mensagensSistema.join(QString()).trimmed().isEmpty()))
            ++errosObscuros;
    }
    r.detalhe = c.relatorio() + QStringLiteral("Servidor parado aos %1 ms durante %2 ms, de volta: %3; terminais "
                                               "reiniciados: %4; segunda paragem durante o envio: %5; terminais com "
                                               "trabalho depois: %6 de %7; último registo guardado enviado %8 ms "
                                               "depois de o servidor voltar\n")
                                    .arg(parado.load())
                                    .arg(o.paradoMs)
                                    .arg(reiniciou ? QStringLiteral("sim") : QStringLiteral("não"))
                                    .arg(c.reinicios)
                                    .arg(quedaFeita ? QStringLiteral("sim") : QStringLiteral("não"))
                                    .arg(depois.size())
                                    .arg(o.terminais)
                                    .arg(ultimoEnvio - fimParagem.load());
    r.passou = reiniciou && voltouDaQueda && (!o.queda || quedaFeita) && c.violacoes.isEmpty() &&
               c.errosInesperados.isEmpty() && c.guardadas > 0 && c.reenviadas == c.guardadas && c.porEnviar == 0 &&
               (!o.reiniciar || c.reinicios == o.terminais) && errosObscuros == 0 && depois.size() == o.terminais;
    return r;
}

// Another process holds the SQLite database (BEGIN EXCLUSIVE) for longer than the busy timeout and
// every retry: the start fails with a clear error and writes nothing; once the lock is gone the same
// start works and nothing recorded before is lost.
inline ResultadoAvaria avariaSqliteBloqueada()
{
    ResultadoAvaria r;
    r.nome = QStringLiteral("SQLite bloqueada por outro processo além do tempo de espera");
    QTemporaryDir pasta;
    ParametrosLigacao par = parametrosSqlite(pasta.filePath(QStringLiteral("bloqueio.db")));
    gerarPequena(par, 1000);
    par.opcoes = QStringLiteral("QSQLITE_BUSY_TIMEOUT=200");
    LigacaoDados l;
    QString erro;
    if (!l.Abrir(par, &erro)) {
        r.detalhe = erro;
        return r;
    }
    const QString func = GeradorDados::CodigoFuncionario(39), obra = GeradorDados::NumeroOrdem(79);
    Cl_EQP eqp;
    OperadorScript op;
    eqp.setBd_lig(&l);
    eqp.setOperador(&op);
    const QDateTime t(QDate::currentDate().addDays(1), QTime(9, 0, 1));
    QString msg;
    const bool antes =
        eqp.Operacao_Inicio(func, obra, QStringLiteral("3"), GeradorDados::CodigoMaquina(0), t, msg, true);
    auto contar = [&] {
        return l.consultar(QStringLiteral("SELECT COUNT(*), SUM(NoLinha) FROM oka_LinFo_Ope")).primeira().inteiro(0);
    };
    const qint64 linhasAntes = contar();

    // The other process: python's sqlite3 when there is one, else a second connection of ours.
    const int segurar = 5000;
    QProcess outro;
    bool deFora = false;
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (!python.isEmpty()) {
        outro.start(python, {QStringLiteral("-c"),
                             QStringLiteral("import sqlite3,sys,time\n"
                                            "c=sqlite3.connect(sys.argv[1],isolation_level=None)\n"
                                            "c.execute('BEGIN EXCLUSIVE')\n"
                                            "print('ok',flush=True)\n"
                                            "time.sleep(%1)\n"
                                            "c.execute('ROLLBACK')\n")
                                 .arg(segurar / 1000.0),
                             par.baseDados});
        deFora = outro.waitForReadyRead(10000) && outro.readAll().startsWith("ok");
    }
    std::unique_ptr<QThread> fio;
    if (!deFora) {
        outro.kill();
        outro.waitForFinished();
        fio.reset(QThread::create([par, segurar] {
            LigacaoDados x;
            if (!x.Abrir(par)) return;
            x.executar(QStringLiteral("BEGIN EXCLUSIVE"));
            QThread::msleep(segurar);
            x.executar(QStringLiteral("ROLLBACK"));
        }));
        fio->start();
        QThread::msleep(300);
    }
    const auto t0 = Relogio::now();
    QString textoErro;
    bool falhou = false;
    try {
        eqp.Operacao_Inicio(func, obra, QStringLiteral("4"), GeradorDados::CodigoMaquina(0), t.addSecs(1), msg, true);
    } catch (const ErroBD& e) {
        falhou = true;
        textoErro = e.texto() + QStringLiteral(" [%1]").arg(e.codigoNativo());
    }
    const double esperou = microsDesde(t0) / 1e6;
    if (deFora) outro.waitForFinished(segurar + 10000);
    if (fio) fio->wait();
    const qint64 linhasDurante = contar();
    const bool depois =
        eqp.Operacao_Inicio(func, obra, QStringLiteral("4"), GeradorDados::CodigoMaquina(0), t.addSecs(2), msg, true);
    const qint64 linhasDepois = contar();
    r.detalhe = QStringLiteral("bloqueio por %1; início bloqueado: %2 após %3 s (\"%4\"); linhas %5 -> %6 -> %7; "
                               "início depois do bloqueio: %8\n")
                    .arg(deFora ? QStringLiteral("outro processo (python3 sqlite3)") : QStringLiteral("outra ligação"))
                    .arg(falhou ? QStringLiteral("erro") : QStringLiteral("sem erro"))
                    .arg(esperou, 0, 'f', 1)
                    .arg(textoErro)
                    .arg(linhasAntes)
                    .arg(linhasDurante)
                    .arg(linhasDepois)
                    .arg(depois ? QStringLiteral("feito") : msg);
    r.passou = antes && falhou && textoErro.contains(QLatin1String("locked"), Qt::CaseInsensitive) &&
               linhasDurante == linhasAntes && depois && linhasDepois == linhasAntes + 1;
    return r;
}

// The program folder cannot be written: every operation is still recorded and each failed log
// line is noticed (with the file named).
inline ResultadoAvaria avariaPastaSoLeitura(double segundos, const ParametrosLigacao* pg = nullptr)
{
    ResultadoAvaria r;
    r.nome = QStringLiteral("Pasta do programa só de leitura");
    QTemporaryDir bdPasta, programa;
    const ParametrosLigacao par = pg ? *pg : parametrosSqlite(bdPasta.filePath(QStringLiteral("pasta.db")));
    gerarPequena(par, 2000);
    ::chmod(QFile::encodeName(programa.path()).constData(), 0555);
    // Root writes anyway: then the day's log name is taken by a folder, which fails the same way.
    QString como = QStringLiteral("chmod 555");
    {
        QFile sonda(programa.filePath(QStringLiteral("sonda")));
        if (sonda.open(QIODevice::WriteOnly)) {
            sonda.close();
            sonda.remove();
            QDir(programa.path())
                .mkdir(QStringLiteral("log-%1.txt").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
            QDir(programa.path())
                .mkdir(QStringLiteral("log-%1.txt")
                           .arg(QDate::currentDate().addDays(1).toString(QStringLiteral("yyyy-MM-dd"))));
            como += QStringLiteral(" (root: o nome do registo do dia ocupado por uma pasta)");
        }
    }
    DefinirPastaPrograma(programa.path());
    ParametrosCarga p;
    p.terminais = 2;
    p.segundos = segundos;
    p.escreverLog = true;
    ResultadoCarga c;
    try {
        c = correrCarga(par, p);
    } catch (...) {
        DefinirPastaPrograma(QString());
        ::chmod(QFile::encodeName(programa.path()).constData(), 0755);
        throw;
    }
    DefinirPastaPrograma(QString());
    ::chmod(QFile::encodeName(programa.path()).constData(), 0755);
    int registadas = 0;
    for (const Evento& e : c.eventos)
        registadas += e.tipo != Tipo::Consulta ? 1 : 0;
    r.detalhe = c.relatorio() + QStringLiteral("%1; %2 operações a registar, %3 falhas de registo notadas\n")
                                    .arg(como)
                                    .arg(registadas)
                                    .arg(c.falhasLog);
    r.passou = c.feitas() > 0 && c.violacoes.isEmpty() && c.errosInesperados.isEmpty() && c.falhasLog == registadas &&
               c.primeiraFalhaLog.contains(programa.path());
    return r;
}

// Configuration files that are empty, binary or huge: a clear refusal naming the file, quickly,
// and no connection opened.
inline ResultadoAvaria avariaConfiguracao()
{
    ResultadoAvaria r;
    r.nome = QStringLiteral("Ficheiro de configuração vazio, binário ou enorme");
    QTemporaryDir pasta;
    struct Caso
    {
        QString nome;
        std::function<void(QFile&)> escrever;
    };
    const QList<Caso> casos{
        {QStringLiteral("vazio.oka"), [](QFile&) {}},
        {QStringLiteral("binario.oka"),
         [](QFile& f) {
             std::mt19937 g(3);
             QByteArray b(64 * 1024, '\0');
             for (char& c : b)
                 c = char(g() & 0xff);
             f.write(b);
         }},
        {QStringLiteral("enorme.oka"),
         [](QFile& f) {
             f.write("[Base de Dados]\r\nDriver=SQLite\r\nBase de Dados=x.db\r\n");
             f.resize(512LL * 1024 * 1024); // sparse: 512 MiB without the disk
         }},
        {QStringLiteral("linha-enorme.oka"),
         [](QFile& f) {
             f.write("[Ligação]\r\nTipo de Terminal=");
             f.write(QByteArray(LeitorConfiguracao::TamanhoMaximo - 100, '9'));
         }},
    };
    bool tudo = true;
    for (const Caso& c : casos) {
        const QString caminho = pasta.filePath(c.nome);
        QFile f(caminho);
        f.open(QIODevice::WriteOnly);
        c.escrever(f);
        f.close();
        LigacaoDados l;
        QString erro;
        const auto t0 = Relogio::now();
        const Arranque::Resultado res = Arranque::AbrirBaseDados(caminho, l, nullptr, &erro);
        const qint16 tipo = Arranque::TipoTerminal(caminho);
        const double ms = microsDesde(t0) / 1000;
        const bool ok = res != Arranque::Resultado::Aberta && !l.aberta() && erro.contains(caminho) && ms < 5000;
        r.detalhe += QStringLiteral("%1: %2 em %3 ms, tipo de terminal %4: %5\n")
                         .arg(c.nome, ok ? QStringLiteral("recusado") : QStringLiteral("NÃO recusado"))
                         .arg(ms, 0, 'f', 1)
                         .arg(tipo)
                         .arg(erro);
        tudo = tudo && ok;
    }
    r.passou = tudo;
    return r;
}

// All of them. `bd` (optional) names a PostgreSQL schema for the read-only folder run.
inline QList<ResultadoAvaria> correrAvarias(const QString& bd, double segundos,
                                            const std::function<void(const QString&)>& progresso = {})
{
    QList<ResultadoAvaria> r;
    auto passo = [&](const QString& t) {
        if (progresso) progresso(t + QLatin1Char('\n'));
    };
    passo(QStringLiteral("... ficheiros de configuração"));
    r << avariaConfiguracao();
    passo(QStringLiteral("... SQLite bloqueada"));
    r << avariaSqliteBloqueada();
    passo(QStringLiteral("... pasta só de leitura"));
    if (bd.startsWith(QLatin1String("pg:"))) {
        const ParametrosLigacao pg = parametrosDe(bd);
        r << avariaPastaSoLeitura(std::min(segundos, 5.0), &pg);
    } else {
        r << avariaPastaSoLeitura(std::min(segundos, 5.0));
    }
    passo(QStringLiteral("... PostgreSQL fora de alcance"));
    OpcoesForaDeAlcance o;
    o.segundos = segundos;
    o.terminais = 8;
    o.paradoMs = int(std::max(1500.0, segundos * 1000 / 4));
    r << avariaPgForaDeAlcance(o);
    return r;
}

} // namespace bench
