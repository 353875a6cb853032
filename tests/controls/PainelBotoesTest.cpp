#include "controls/PainelBotoes.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "controls/Twips.h"
#include "controls/okaBotao.h"

namespace {

QStringList listaDe(int n, const QString& prefixo)
{
    QStringList l{QString()};
    for (int i = 1; i <= n; ++i)
        l << prefixo + QString::number(i);
    return l;
}

void carregar(PainelBotoes& p, int n)
{
    p.CarregarBotoes_Lista(listaDe(n, QStringLiteral("Item ")), listaDe(n, QStringLiteral("C")));
}

} // namespace

TEST(PainelBotoes, ColunasMargemEPosicoesEmTwips)
{
    PainelBotoes p;
    p.setTamanhoTwips(4400, PainelBotoes::BandaPaginas + 3 * 895);
    p.show();
    carregar(p, 7);

    EXPECT_EQ(p.colunas(), 3);
    EXPECT_EQ(p.margem(), 98); // (4400 - 4205) / 2 = 97.5, halves to even
    EXPECT_EQ(p.geometriaItem(1), QRectF(98, 0, 1335, 795));
    EXPECT_EQ(p.geometriaItem(3), QRectF(98 + 2 * 1435, 0, 1335, 795));
    EXPECT_EQ(p.geometriaItem(4), QRectF(98, 895, 1335, 795));
    EXPECT_EQ(p.geometriaItem(7), QRectF(98, 2 * 895, 1335, 795));
    EXPECT_EQ(p.alturaFaixa(), 3 * 895);

    // The live buttons sit where the twips say, inside the viewport below the page buttons.
    ASSERT_NE(p.botaoDoItem(5), nullptr);
    EXPECT_EQ(p.botaoDoItem(5)->geometry(), Twips::Rect(98 + 1435, 895, 1335, 795));
    EXPECT_EQ(p.contentor()->geometry(), Twips::Rect(0, 840, 4400, 3 * 895));
    EXPECT_EQ(p.btPageDown()->geometry(), Twips::Rect(0, 0, 2200, 795));
    EXPECT_EQ(p.btPageUp()->geometry(), Twips::Rect(2200, 0, 2200, 795));
}

TEST(PainelBotoes, VisorEstreitoDaZeroColunasUmBotaoPorLinha)
{
    PainelBotoes p;
    p.setTamanhoTwips(1400, 6000);
    carregar(p, 4);
    EXPECT_EQ(p.colunas(), 0);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(p.geometriaItem(k).top(), (k - 1) * 895) << k;
        EXPECT_EQ(p.geometriaItem(k).left(), 750) << k; // (1400 + 100) / 2
    }
}

TEST(PainelBotoes, BotoesDePaginaActivosQuandoAFaixaChegaAoVisor)
{
    PainelBotoes p;
    // Viewport exactly three rows high.
    p.setTamanhoTwips(4400, PainelBotoes::BandaPaginas + 3 * 895);
    EXPECT_FALSE(p.btPageUp()->isEnabled());
    carregar(p, 6); // two rows
    EXPECT_FALSE(p.btPageUp()->isEnabled());
    EXPECT_FALSE(p.btPageDown()->isEnabled());
    carregar(p, 7); // three rows: equal to the viewport
    EXPECT_TRUE(p.btPageUp()->isEnabled());
    EXPECT_TRUE(p.btPageDown()->isEnabled());

    p.setTamanhoTwips(4400, PainelBotoes::BandaPaginas + 3 * 895 + 1);
    carregar(p, 9);
    EXPECT_FALSE(p.btPageUp()->isEnabled());

    // An empty list keeps the template row's height.
    p.setTamanhoTwips(4400, PainelBotoes::BandaPaginas + 895);
    p.ResetBotoes();
    carregar(p, 0);
    EXPECT_EQ(p.alturaFaixa(), 895);
    EXPECT_EQ(p.botaoDoItem(1), nullptr);
}

TEST(PainelBotoes, PaginacaoParaNasDuasPontas)
{
    PainelBotoes p;
    p.setTamanhoTwips(4400, PainelBotoes::BandaPaginas + 2 * 895 + 300);
    p.show();
    carregar(p, 11); // 4 rows, strip 3580, viewport 2090

    QTest::mouseClick(p.btPageDown(), Qt::LeftButton);
    EXPECT_EQ(p.Deslocamento(), 0);
    QTest::mouseClick(p.btPageUp(), Qt::LeftButton);
    EXPECT_EQ(p.Deslocamento(), -895);
    for (int i = 0; i < 5; ++i)
        QTest::mouseClick(p.btPageUp(), Qt::LeftButton);
    EXPECT_EQ(p.Deslocamento(), 2090 - 3580); // last row at the bottom
    EXPECT_EQ(p.geometriaItem(11).bottom() + 100 + p.Deslocamento(), p.alturaVisor());
    ASSERT_NE(p.botaoDoItem(11), nullptr);
    EXPECT_EQ(p.botaoDoItem(11)->y(), Twips::Px(3 * 895 - 1490));

    QTest::mouseClick(p.btPageDown(), Qt::LeftButton);
    EXPECT_EQ(p.Deslocamento(), -1490 + 895);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(p.btPageDown(), Qt::LeftButton);
    EXPECT_EQ(p.Deslocamento(), 0);

    // A resize puts the strip back at the top; the list stays reachable.
    QTest::mouseClick(p.btPageUp(), Qt::LeftButton);
    p.setTamanhoTwips(4400, PainelBotoes::BandaPaginas + 2 * 895);
    EXPECT_EQ(p.Deslocamento(), 0);
    EXPECT_TRUE(p.btPageUp()->isEnabled());
}

TEST(PainelBotoes, ToqueDaNomeECodigoEUmaNovaCargaSubstitui)
{
    PainelBotoes p;
    p.setTamanhoTwips(4400, 4000);
    p.show();
    QSignalSpy spy(&p, &PainelBotoes::clicou);

    const Registos rs({QStringLiteral("Nome"), QStringLiteral("Codigo")},
                      {{QStringLiteral("Corte & Vinco"), 12}, {QStringLiteral("Sem código"), QVariant()}});
    p.CarregarBotoes_Recordset(rs);
    EXPECT_EQ(p.botaoDoItem(1)->text(), QStringLiteral("Corte && Vinco"));
    QTest::mouseClick(p.botaoDoItem(1), Qt::LeftButton);
    QTest::mouseClick(p.botaoDoItem(2), Qt::LeftButton);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[0][0].toString(), QStringLiteral("Corte & Vinco"));
    EXPECT_EQ(spy[0][1].toString(), QStringLiteral("12"));
    EXPECT_EQ(spy[1][0].toString(), QStringLiteral("Sem código"));
    EXPECT_EQ(spy[1][1].toString(), QString());

    // Loading again without a reset replaces the buttons.
    p.CarregarBotoes_Lista({QString(), QStringLiteral("Outro")}, {QString(), QStringLiteral("X9")});
    EXPECT_EQ(p.numeroItens(), 1);
    EXPECT_EQ(p.textos(), QStringList{QStringLiteral("Outro")});
    EXPECT_EQ(p.botaoDoItem(2), nullptr);
    QTest::mouseClick(p.botaoDoItem(1), Qt::LeftButton);
    EXPECT_EQ(spy.last()[1].toString(), QStringLiteral("X9"));
    EXPECT_EQ(p.botaoDoItem(1)->text(), QStringLiteral("Outro"));

    p.ResetBotoes();
    EXPECT_EQ(p.numeroItens(), 0);
    EXPECT_EQ(p.botaoDoItem(1), nullptr);
}

// The mark of a chosen item stays with the item: paged out of view, its button reused for other
// items shows none of it, and paged back the item's button is marked again.
TEST(PainelBotoes, MarcaDoEscolhidoSegueOItemAoPaginar)
{
    PainelBotoes p;
    p.setTamanhoTwips(4400, PainelBotoes::BandaPaginas + 3 * 895);
    p.show();
    carregar(p, 60); // 20 rows of 3, a viewport of 3 rows
    // The codes shown by marked buttons, and whether item 2's button (when shown) is marked.
    const auto marcados = [&p] {
        QStringList r;
        for (okaBotao* b : p.contentor()->findChildren<okaBotao*>())
            if (b->isVisible() && b->seleccionado()) r << b->tag();
        return r;
    };
    const auto doisMarcado = [&p] { return !p.botaoDoItem(2) || p.botaoDoItem(2)->seleccionado(); };
    p.setSeleccionados({QStringLiteral("C2"), QString()});
    EXPECT_EQ(marcados(), QStringList{QStringLiteral("C2")});
    okaBotao* botao = p.botaoDoItem(2);

    bool reutilizado = false;
    for (int i = 0; i < 10; ++i) {
        QTest::mouseClick(p.btPageUp(), Qt::LeftButton);
        reutilizado = reutilizado || (botao->isVisible() && botao->tag() != QStringLiteral("C2"));
        EXPECT_TRUE(marcados().isEmpty() || marcados() == QStringList{QStringLiteral("C2")}) << i;
        EXPECT_TRUE(doisMarcado()) << i;
    }
    EXPECT_TRUE(reutilizado);
    for (int i = 0; i < 10; ++i)
        QTest::mouseClick(p.btPageDown(), Qt::LeftButton);
    ASSERT_NE(p.botaoDoItem(2), nullptr);
    EXPECT_EQ(marcados(), QStringList{QStringLiteral("C2")});

    // Another choice moves the mark; none, or a new list, clears it.
    p.setSeleccionados({QStringLiteral("C4")});
    EXPECT_EQ(marcados(), QStringList{QStringLiteral("C4")});
    p.setSeleccionados({});
    EXPECT_TRUE(marcados().isEmpty());
    p.setSeleccionados({QStringLiteral("C5")});
    p.ResetBotoes();
    carregar(p, 60);
    EXPECT_TRUE(marcados().isEmpty());
    EXPECT_TRUE(p.temCodigo(QStringLiteral("C60")));
    EXPECT_FALSE(p.temCodigo(QStringLiteral("C61")));
}

// Long single words on the 1335 x 795 twip buttons were drawn cut ("orneament").
TEST(PainelBotoes, PalavrasLongasCabemNoBotao)
{
    PainelBotoes p;
    p.setTamanhoTwips(4400, 4000);
    p.show();
    const QStringList nomes{QString(), QStringLiteral("Torneamento"), QStringLiteral("Rebarbagem"),
                            QStringLiteral("Centro de Maquinação"), QStringLiteral("Corte")};
    p.CarregarBotoes_Lista(nomes, nomes);
    for (int i = 1; i < nomes.size(); ++i) {
        const okaBotao* b = p.botaoDoItem(i);
        const QFontMetrics m(b->fonteDaLegenda());
        for (const QString& palavra : nomes[i].split(u' '))
            EXPECT_LE(m.horizontalAdvance(palavra), b->width() - 10) << palavra.toStdString();
    }
    // A caption that fits keeps the panel's font.
    EXPECT_EQ(p.botaoDoItem(4)->fonteDaLegenda(), p.botaoDoItem(4)->font());
}

TEST(PainelBotoes, ListaDeDezMilChegaAoUltimoComBotoesLimitados)
{
    PainelBotoes p;
    p.setTamanhoTwips(4400, PainelBotoes::BandaPaginas + 4 * 895);
    p.show();
    carregar(p, 10000);
    QSignalSpy spy(&p, &PainelBotoes::clicou);

    const int limite = (4 + 4) * 3; // rows in view, one either side and the pool's spare
    int maxVivos = p.botoesVivos();
    int toques = 0;
    int anterior = 1;
    while (anterior != p.Deslocamento() && toques < 5000) {
        anterior = p.Deslocamento();
        QTest::mouseClick(p.btPageUp(), Qt::LeftButton);
        maxVivos = qMax(maxVivos, p.botoesVivos());
        ++toques;
    }
    EXPECT_EQ(toques, 3334 - 4 + 1); // one row per touch, plus the touch that finds the end
    EXPECT_LE(maxVivos, limite);
    EXPECT_EQ(p.Deslocamento(), 4 * 895 - 3334 * 895);

    okaBotao* ultimo = p.botaoDoItem(10000);
    ASSERT_NE(ultimo, nullptr);
    EXPECT_TRUE(ultimo->isVisible());
    EXPECT_EQ(ultimo->text(), QStringLiteral("Item 10000"));
    QTest::mouseClick(ultimo, Qt::LeftButton);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toString(), QStringLiteral("Item 10000"));
    EXPECT_EQ(spy[0][1].toString(), QStringLiteral("C10000"));

    // Back to the start by tocarItem, which scrolls and touches the real button.
    p.tocarItem(2);
    EXPECT_EQ(p.Deslocamento(), 0);
    EXPECT_EQ(spy.last()[1].toString(), QStringLiteral("C2"));
    EXPECT_LE(p.botoesVivos(), limite);
}

TEST(PainelBotoes, DeslizarRolaPorLinhasSemTocar)
{
    PainelBotoes p;
    p.setTamanhoTwips(4400, PainelBotoes::BandaPaginas + 3 * 895);
    p.show();
    carregar(p, 60);
    QSignalSpy spy(&p, &PainelBotoes::clicou);

    okaBotao* b = p.botaoDoItem(4);
    ASSERT_NE(b, nullptr);
    QPoint origem = b->mapToGlobal(b->rect().center());
    const int passo = Twips::Px(895);
    // The finger moves on the screen; the button it pressed moves with the strip.
    auto enviar = [&](QEvent::Type tipo, int dy, Qt::MouseButtons botoes) {
        const QPoint global = origem + QPoint(0, dy);
        QMouseEvent e(tipo, b->mapFromGlobal(global), global, Qt::LeftButton, botoes, Qt::NoModifier);
        QApplication::sendEvent(b, &e);
    };
    enviar(QEvent::MouseButtonPress, 0, Qt::LeftButton);
    for (int dy = -5; dy >= -(2 * passo + 5); dy -= 5)
        enviar(QEvent::MouseMove, dy, Qt::LeftButton);
    enviar(QEvent::MouseButtonRelease, -(2 * passo + 5), Qt::NoButton);
    EXPECT_EQ(p.Deslocamento(), -2 * 895);
    EXPECT_EQ(spy.count(), 0);

    // Finger down brings the first rows back.
    b = p.botaoDoItem(10);
    ASSERT_NE(b, nullptr);
    origem = b->mapToGlobal(b->rect().center());
    enviar(QEvent::MouseButtonPress, 0, Qt::LeftButton);
    for (int dy = 5; dy <= 3 * passo; dy += 5)
        enviar(QEvent::MouseMove, dy, Qt::LeftButton);
    enviar(QEvent::MouseButtonRelease, 3 * passo, Qt::NoButton);
    EXPECT_EQ(p.Deslocamento(), 0);
    EXPECT_EQ(spy.count(), 0);

    // A plain touch still clicks.
    QTest::mouseClick(p.botaoDoItem(1), Qt::LeftButton);
    EXPECT_EQ(spy.count(), 1);
}
