#pragma once
// Fault injection: the PostgreSQL server stopped in the middle of a load run and started again;
// a SQLite database locked by another process beyond the busy timeout; the program folder made
// read-only; configuration files that are empty, binary or huge. Header only: bench_carga
// --avarias runs them at length, tests/carga briefly.

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
    recriar(par);
    LigacaoDados l;
    QString erro;
    if (!l.Abrir(par, &erro)) throw std::runtime_error(erro.toStdString());
    ParametrosGerador g;
    g.linhas = linhas;
    g.ordens = 80;
    g.ordensAbertas = 40;
    g.funcionarios = 40;
    g.operacoes = 30;
    g.maquinas = 10;
    g.artigos = 400;
    GeradorDados::Gerar(l, g);
}

// PostgreSQL stopped (immediately, as a crash would) a quarter into a run and started again a
// second later: operations fail with a clear error meanwhile, nothing is half-written, and every
// terminal records work again once the server is back, without being restarted.
inline ResultadoAvaria avariaPgReinicio(double segundos, int terminais = 4)
{
    ResultadoAvaria r;
    r.nome = QStringLiteral("PostgreSQL parado e reiniciado a meio da carga");
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
    std::atomic<qint64> parado{-1}, fimJanela{-1};
    ParametrosCarga p;
    p.terminais = terminais;
    p.segundos = segundos;
    p.escreverLog = false;
    const qint64 quando = qint64(segundos * 1000 / 4);
    bool reiniciou = false;
    // Terminal 0 stops the server, waits a second and starts it again; errors stamped from the stop
    // until 1.5 s after the start are expected, any other is not.
    p.aposOperacao = [&](qint64 ms) {
        if (parado >= 0 || ms < quando) return;
        const auto h0 = Relogio::now();
        parado = ms;
        s.parar(true);
        QThread::msleep(1000);
        reiniciou = s.arrancar();
        fimJanela = ms + qint64(microsDesde(h0) / 1000) + 1500;
    };
    const ResultadoCarga c = correrCarga(
        par, p, [&](qint64 ms) { return parado >= 0 && ms >= parado - 50 && (fimJanela < 0 || ms <= fimJanela); });
    // Every terminal did work after the window.
    QSet<int> depois;
    int errosObscuros = 0;
    for (const Evento& e : c.eventos) {
        if (e.ok && fimJanela >= 0 && e.msDesdeInicio > fimJanela) depois.insert(e.terminal);
        // An error that says nothing would leave the operator guessing.
        if ((e.excepcao && e.mensagem.trimmed().isEmpty()) ||
            (!e.mensagensSistema.isEmpty() && e.mensagensSistema.join(QString()).trimmed().isEmpty()))
            ++errosObscuros;
    }
    r.detalhe = c.relatorio() +
                QStringLiteral("Servidor parado aos %1 ms, de volta: %2; terminais com trabalho depois: %3 de %4\n")
                    .arg(parado.load())
                    .arg(reiniciou ? QStringLiteral("sim") : QStringLiteral("não"))
                    .arg(depois.size())
                    .arg(terminais);
    r.passou = reiniciou && c.violacoes.isEmpty() && c.errosInesperados.isEmpty() && c.errosEsperados > 0 &&
               errosObscuros == 0 && depois.size() == terminais;
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
    passo(QStringLiteral("... PostgreSQL parado e reiniciado"));
    r << avariaPgReinicio(segundos);
    return r;
}

} // namespace bench
