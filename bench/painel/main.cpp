// Loading and paging PainelBotoes with 100 and with 10,000 items: medians over repeated runs,
// their ratios and the number of button widgets alive.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>

#include "controls/PainelBotoes.h"
#include "controls/okaBotao.h"

namespace {

struct Lista
{
    QStringList textos;
    QStringList codigos;
    Registos registos;
};

Lista lista(int n)
{
    Lista l;
    l.textos << QString();
    l.codigos << QString();
    QList<QVariantList> linhas;
    for (int i = 1; i <= n; ++i) {
        l.textos << QStringLiteral("Funcionário %1").arg(i);
        l.codigos << QString::number(1000 + i);
        linhas.push_back({l.textos.last(), 1000 + i});
    }
    l.registos = Registos({QStringLiteral("Nome"), QStringLiteral("Codigo")}, linhas);
    return l;
}

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Median in microseconds of `vezes` runs of `f`, each followed by the pending layout and paint.
double medir(int vezes, const std::function<void()>& preparar, const std::function<void()>& f)
{
    std::vector<double> t;
    for (int i = 0; i < vezes; ++i) {
        preparar();
        QElapsedTimer r;
        r.start();
        f();
        QApplication::processEvents();
        t.push_back(double(r.nsecsElapsed()) / 1000.0);
    }
    return mediana(t);
}

int botoesVivos(const PainelBotoes& p)
{
    return int(p.contentor()->findChildren<okaBotao*>().size());
}

struct Resultado
{
    double carregarLista = 0;
    double carregarRecordset = 0;
    double painelNovo = 0;
    double pagina = 0;
    int paginas = 0;
    int vivos = 0;
};

Resultado correr(int n)
{
    const Lista l = lista(n);
    Resultado r;
    // A panel the size of a screen column: 3 buttons a row, 8 rows in view.
    const double largura = 4400;
    const double altura = PainelBotoes::BandaPaginas + 8 * PainelBotoes::PassoLinha;

    PainelBotoes p;
    p.setTamanhoTwips(largura, altura);
    p.show();
    QApplication::processEvents();

    r.carregarLista = medir(
        41, [&] { p.ResetBotoes(); }, [&] { p.CarregarBotoes_Lista(l.textos, l.codigos); });
    r.carregarRecordset = medir(
        41, [&] { p.ResetBotoes(); }, [&] { p.CarregarBotoes_Recordset(l.registos); });

    std::vector<double> novos;
    for (int i = 0; i < 21; ++i) {
        QElapsedTimer t;
        t.start();
        PainelBotoes q;
        q.setTamanhoTwips(largura, altura);
        q.show();
        q.CarregarBotoes_Lista(l.textos, l.codigos);
        QApplication::processEvents();
        novos.push_back(double(t.nsecsElapsed()) / 1000.0);
    }
    r.painelNovo = mediana(novos);

    // Page through the whole list with the real page button, back and forth.
    int maxVivos = botoesVivos(p);
    std::vector<double> paginas;
    for (int volta = 0; volta < 3; ++volta) {
        for (okaBotao* b : {p.btPageUp(), p.btPageDown()}) {
            int anterior = 1;
            while (anterior != p.Deslocamento()) {
                anterior = p.Deslocamento();
                QElapsedTimer t;
                t.start();
                b->click();
                QApplication::processEvents();
                paginas.push_back(double(t.nsecsElapsed()) / 1000.0);
                maxVivos = std::max(maxVivos, botoesVivos(p));
            }
        }
    }
    r.pagina = mediana(paginas);
    r.paginas = int(paginas.size());
    r.vivos = maxVivos;
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const Resultado a = correr(100);
    const Resultado b = correr(10000);

    std::printf("PainelBotoes, 3 columns x 8 rows in view; medians in microseconds\n");
    std::printf("%-34s %12s %12s %8s\n", "", "100 items", "10000 items", "ratio");
    auto linha = [](const char* nome, double x, double y) {
        std::printf("%-34s %12.1f %12.1f %8.2f\n", nome, x, y, x > 0 ? y / x : 0.0);
    };
    linha("load from lists (reset + load)", a.carregarLista, b.carregarLista);
    linha("load from a recordset", a.carregarRecordset, b.carregarRecordset);
    linha("new panel, load and first paint", a.painelNovo, b.painelNovo);
    linha("one page-button touch", a.pagina, b.pagina);
    std::printf("%-34s %12d %12d\n", "page touches timed", a.paginas, b.paginas);
    std::printf("%-34s %12d %12d\n", "most button widgets alive", a.vivos, b.vivos);
    return 0;
}
