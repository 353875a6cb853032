// Touch to repaint on frmTerminal over the demo database: the time from a touch delivered to the
// window until the line that shows the answer (the user line, set by the touch or cleared after
// Confirmar) has been repainted, for a touch on the employees panel and for Confirmar starting
// and ending an operation. Medians, 90th percentile
// and the slowest, in milliseconds.
//   bench_ecra [--ecra 1920x1080] [--vezes 40]
// Offscreen at the size asked by default; with QT_QPA_PLATFORM set (xcb under Xvfb, say) on that
// platform's screen.
#include <algorithm>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "base/InteraccaoOperador.h"
#include "base/PastaPrograma.h"
#include "controls/PainelBotoes.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"
#include "dataaccess/EsquemaBD.h"
#include "dataaccess/LigacaoDados.h"
#include "screens/frmTerminal.h"

namespace {

// An operator who types the order asked for and confirms every question; nothing is shown.
class OperadorBench : public InteraccaoOperador
{
public:
    QString obra;
    int avisos = 0;
    void Aviso(const QString&, int tipo, int) override { avisos += tipo == 2; }
    bool Confirmacao(const QString&, int, int) override { return true; }
    int MensagemSistema(const QString&, int) override
    {
        ++avisos;
        return 1;
    }
    QString ListaSelecao(const QString&, int, const Registos&, const QString&, const QList<int>&) override
    {
        return {};
    }
    QString PedirNumero(const QString&) override { return obra; }
    QString PedirTexto(const QString&) override { return {}; }
    QString EscolherMotivo(const Registos&, const QString&) override { return {}; }
    bool EditarDefinicoesKova(ValoresKova&) override { return false; }
    bool EditarDefinicoesBD(DefinicoesBD&, const QString&) override { return false; }
};

struct Tempos
{
    std::vector<double> ms;
    void juntar(double v) { ms.push_back(v); }
    double quantil(double q) const
    {
        std::vector<double> v = ms;
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[std::min(v.size() - 1, size_t(q * double(v.size())))];
    }
};

// Notes the first paint of a widget.
class Pintura : public QObject
{
public:
    explicit Pintura(QWidget* w) : m_w(w) { w->installEventFilter(this); }
    ~Pintura() override { m_w->removeEventFilter(this); }
    bool pintado = false;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == m_w && e->type() == QEvent::Paint) pintado = true;
        return false;
    }

private:
    QWidget* m_w;
};

// A touch in the middle of `alvo`; milliseconds from the press until `mostra` (the widget that
// shows the answer) has been repainted and the event loop has nothing left to do.
double tocar(QWidget* alvo, QWidget* mostra = nullptr)
{
    QWidget* janela = alvo->window();
    const QPoint p = alvo->mapTo(janela, alvo->rect().center());
    Pintura pintura(mostra ? mostra : alvo);
    QElapsedTimer t;
    t.start();
    QTest::mouseClick(janela->windowHandle(), Qt::LeftButton, {}, p);
    while (!pintura.pintado && t.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    QApplication::processEvents();
    return pintura.pintado ? double(t.nsecsElapsed()) / 1e6 : 2000.0;
}

// Touches the item `texto` of `painel`, paging to it first (untimed).
double tocarItem(PainelBotoes* painel, const QString& texto, QWidget* mostra = nullptr)
{
    const int k = int(painel->textos().indexOf(texto)) + 1;
    if (k < 1) return -1;
    for (int vezes = 0; vezes < 100; ++vezes) {
        okaBotao* b = painel->botaoDoItem(k);
        if (b && b->isVisible()) return tocar(b, mostra);
        const double topo = painel->geometriaItem(k).top() + painel->Deslocamento();
        tocar(topo < 0 ? painel->btPageDown() : painel->btPageUp());
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QString ecra = QStringLiteral("1920x1080");
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--ecra") ecra = QString::fromLatin1(argv[i + 1]);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QStringLiteral("offscreen:configfile=%1/../tests/screens/ecra-%2.json")
                                       .arg(QStringLiteral(TERMINAL_BENCH_DIR), ecra)
                                       .toLocal8Bit());
    QApplication app(argc, argv);
    QCommandLineParser opcoes;
    opcoes.addOption(
        {QStringLiteral("ecra"), QStringLiteral("screen size of the offscreen platform"), QStringLiteral("LxA"), ecra});
    opcoes.addOption(
        {QStringLiteral("vezes"), QStringLiteral("touches of each kind"), QStringLiteral("n"), QStringLiteral("40")});
    opcoes.addHelpOption();
    opcoes.process(app);
    const int vezes = qMax(5, opcoes.value(QStringLiteral("vezes")).toInt());

    QTemporaryDir pasta;
    DefinirPastaPrograma(pasta.path());
    const QSize tamanho = QGuiApplication::primaryScreen()->size();
    Twips::DefinirPorPixel(Twips::Automatico(tamanho));
    LigacaoDados bd;
    ParametrosLigacao p;
    p.driver = QStringLiteral("QSQLITE");
    p.baseDados = pasta.filePath(QStringLiteral("demo.db"));
    p.criarFicheiro = true;
    QString erro;
    if (!bd.Abrir(p, &erro)) {
        std::fprintf(stderr, "%s\n", qPrintable(erro));
        return 1;
    }
    EsquemaBD::Criar(bd);
    EsquemaBD::CarregarDemo(bd, QStringLiteral("1234"));

    OperadorBench op;
    frmTerminal t0;
    t0.setLigacao(&bd);
    t0.setOperador(&op);
    t0.Mostra();
    QApplication::processEvents();

    const QStringList funcionarios = t0.PainelUtilizadores->textos();
    const QStringList operacoes = t0.PainelOperacoes->textos();
    const QString maquina = t0.PainelMaquinas->textos().value(0);
    Tempos painel, inicio, fim;
    // Warm-up: fonts, the first statements.
    tocarItem(t0.PainelUtilizadores, funcionarios.value(0));
    tocar(t0.btCancelar);

    for (int i = 0; i < vezes; ++i) {
        const QString funcionario = funcionarios.value(i % funcionarios.size());
        const QString operacao = operacoes.value(i % operacoes.size());
        op.obra = QStringLiteral("260%1").arg(10 + i % 20);
        // Start: the employee touch is the one timed for the panels.
        painel.juntar(tocarItem(t0.PainelUtilizadores, funcionario, t0.lbNome));
        tocarItem(t0.PainelObras, QStringLiteral("Obra"));
        tocarItem(t0.PainelOperacoes, operacao);
        tocarItem(t0.PainelMaquinas, maquina);
        tocarItem(t0.PainelFuncoes, QStringLiteral("Iniciar Operação"));
        inicio.juntar(tocar(t0.btConfirmar, t0.lbNome));
        // End of the same operation ("Lista de Operações" selects the end on this screen).
        tocarItem(t0.PainelUtilizadores, funcionario);
        tocarItem(t0.PainelObras, QStringLiteral("Obra"));
        tocarItem(t0.PainelOperacoes, operacao);
        tocarItem(t0.PainelMaquinas, maquina);
        tocarItem(t0.PainelFuncoes, QStringLiteral("Lista de Operações"));
        fim.juntar(tocar(t0.btConfirmar, t0.lbNome));
    }

    std::printf("frmTerminal on the demo database (SQLite), %dx%d at %.2f twips per pixel, %s; %d of each\n",
                tamanho.width(), tamanho.height(), Twips::PorPixel(), qPrintable(QGuiApplication::platformName()),
                vezes);
    std::printf("%-40s %10s %10s %10s\n", "touch to repaint (ms)", "median", "p90", "max");
    const auto linha = [](const char* nome, const Tempos& t) {
        std::printf("%-40s %10.1f %10.1f %10.1f\n", nome, t.quantil(0.5), t.quantil(0.9), t.quantil(1.0));
    };
    linha("employee panel touch", painel);
    linha("Confirmar, Iniciar Operação", inicio);
    linha("Confirmar, end of the operation", fim);
    std::printf("refusals and errors: %d\n", op.avisos);
    return 0;
}
