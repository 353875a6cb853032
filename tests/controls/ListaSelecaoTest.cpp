#include "controls/ListaSelecao.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "AjudaModal.h"
#include "ConferirDialogo.h"
#include "controls/InteraccaoTouch.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"

namespace {
Registos artigos()
{
    const QStringList colunas{QStringLiteral("Codigo"), QStringLiteral("Descricao"), QStringLiteral("Familia")};
    return Registos(colunas, {
                                 {QStringLiteral("Z1"), QStringLiteral("Diverso"), QVariant()},
                                 {QStringLiteral("P-08"), QStringLiteral("Porca M8"), QStringLiteral("Fixação")},
                                 {QStringLiteral("P-10"), QStringLiteral("Parafuso M10"), QStringLiteral("Fixação")},
                                 {QStringLiteral("T-01"), QStringLiteral("Tinta Açúcar"), QStringLiteral("Tintas")},
                                 {QStringLiteral("T-02"), QStringLiteral("Tinta branca"), QStringLiteral("Tintas")},
                             });
}
const QList<int> larguras{2000, 5000, 2000};
} // namespace

TEST(ListaSelecao, AgrupaPelaFamiliaEFiltra)
{
    ListaSelecao l;
    l.setRegistos(artigos(), QStringLiteral("Familia"), larguras);
    EXPECT_EQ(l.grupos(), (QStringList{QStringLiteral("Familia: (sem família)"), QStringLiteral("Familia: Fixação"),
                                       QStringLiteral("Familia: Tintas")}));
    EXPECT_EQ(l.codigosDoGrupo(1), (QStringList{QStringLiteral("P-08"), QStringLiteral("P-10")}));
    EXPECT_EQ(l.linhasVisiveis(), 5);
    EXPECT_EQ(l.grelha()->horizontalHeader()->sectionSize(1), Twips::Px(5000));

    // By description, ignoring case and accents; groups left empty go.
    l.filtro()->setText(QStringLiteral("acucar"));
    EXPECT_EQ(l.grupos(), QStringList{QStringLiteral("Familia: Tintas")});
    EXPECT_EQ(l.codigosDoGrupo(0), QStringList{QStringLiteral("T-01")});
    // By part of the code; every word must match.
    l.filtro()->setText(QStringLiteral("p-1"));
    EXPECT_EQ(l.codigosDoGrupo(0), QStringList{QStringLiteral("P-10")});
    l.filtro()->setText(QStringLiteral("tinta BRANCA"));
    EXPECT_EQ(l.linhasVisiveis(), 1);
    l.filtro()->setText(QStringLiteral("nada disto"));
    EXPECT_EQ(l.linhasVisiveis(), 0);
    EXPECT_TRUE(l.grupos().isEmpty());
    l.filtro()->clear();
    EXPECT_EQ(l.linhasVisiveis(), 5);
}

TEST(ListaSelecao, ToqueDevolveCodigoEFecharDevolveVazio)
{
    InteraccaoTouch op;
    QString titulo;
    QuandoModal<ListaSelecao>([&](ListaSelecao* l) {
        titulo = l->windowTitle();
        ConferirTituloEMoldura(l, QStringLiteral("Lista de Artigos"));
        // Rows, group titles and buttons legible at arm's length; the buttons touch-sized.
        ConferirLegivel(l->grelha());
        EXPECT_GE(QFontInfo(l->grelha()->model()->index(0, 0).data(Qt::FontRole).value<QFont>()).pixelSize(),
                  QFontInfo(l->grelha()->font()).pixelSize());
        ConferirBotoesDeToque(l);
        QTest::keyClicks(l->filtro(), QStringLiteral("porca"));
        EXPECT_TRUE(l->tocarCodigo(QStringLiteral("P-08")));
    });
    EXPECT_EQ(
        op.ListaSelecao(QStringLiteral("Lista de Artigos"), 10000, artigos(), QStringLiteral("Familia"), larguras),
        QStringLiteral("P-08"));
    EXPECT_EQ(titulo, QStringLiteral("Lista de Artigos"));

    // A touch on a group title picks nothing; closing ("Fechar") gives "".
    QuandoModal<ListaSelecao>([](ListaSelecao* l) {
        QTableView* g = l->grelha();
        const QRect r = g->visualRect(g->model()->index(0, 0));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
        EXPECT_TRUE(l->isVisible());
        QTest::mouseClick(l->findChild<okaBotao*>(QStringLiteral("btFechar")), Qt::LeftButton);
    });
    EXPECT_EQ(
        op.ListaSelecao(QStringLiteral("Lista de Artigos"), 10000, artigos(), QStringLiteral("Familia"), larguras),
        QString());
}

TEST(ListaSelecao, VinteMilLinhas)
{
    QList<QVariantList> linhas;
    for (int i = 0; i < 20000; ++i)
        linhas.push_back({QStringLiteral("A%1").arg(i, 5, 10, QLatin1Char('0')),
                          QStringLiteral("Artigo número %1").arg(i), QStringLiteral("Família %1").arg(i / 100)});
    const Registos rs({QStringLiteral("Codigo"), QStringLiteral("Descricao"), QStringLiteral("Familia")}, linhas);

    ListaSelecao l;
    l.setTamanho(10000);
    QElapsedTimer t;
    t.start();
    l.setRegistos(rs, QStringLiteral("Familia"), larguras);
    l.show();
    QTest::keyClicks(l.filtro(), QStringLiteral("19999"));
    const qint64 ms = t.elapsed();
    EXPECT_EQ(l.grupos().size(), 1);
    EXPECT_EQ(l.codigosDoGrupo(0), QStringList{QStringLiteral("A19999")});
    EXPECT_TRUE(l.tocarCodigo(QStringLiteral("A19999")));
    EXPECT_EQ(l.Codigo, QStringLiteral("A19999"));
    std::printf("20,000 rows: load, show and 5 filter keystrokes in %lld ms\n", static_cast<long long>(ms));
}
