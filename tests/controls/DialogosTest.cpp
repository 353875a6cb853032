#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "AjudaModal.h"
#include "ConferirDialogo.h"
#include "controls/InteraccaoTouch.h"
#include "controls/PainelBotoes.h"
#include "controls/TeclandoNumerico.h"
#include "controls/TituloDialogo.h"
#include "controls/Twips.h"
#include "controls/frmAviso.h"
#include "controls/frmMotSus.h"
#include "controls/frmTeclado.h"
#include "controls/frmTecladoAlfa.h"
#include "controls/okaBotao.h"

TEST(frmAviso, ConfirmacaoVerdadeSoEmConfirma)
{
    InteraccaoTouch op;
    QString titulo;
    QString texto;
    QuandoModal<frmAviso>([&](frmAviso* f) {
        titulo = f->windowTitle();
        texto = f->mensagem();
        EXPECT_FALSE(f->btSair()->isVisible());
        QTest::mouseClick(f->btConf(), Qt::LeftButton);
    });
    EXPECT_TRUE(op.Confirmacao(QStringLiteral("Iniciar?"), 1, 3345));
    EXPECT_EQ(titulo, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(texto, QStringLiteral("Iniciar?"));

    QuandoModal<frmAviso>([](frmAviso* f) { QTest::mouseClick(f->btCancelar(), Qt::LeftButton); });
    EXPECT_FALSE(op.Confirmacao(QStringLiteral("Iniciar?"), 1, 3345));

    // The window's own close control.
    QuandoModal<frmAviso>([](frmAviso* f) { f->close(); });
    EXPECT_FALSE(op.Confirmacao(QStringLiteral("Iniciar?"), 1, 3345));
    QuandoModal<frmAviso>([](frmAviso* f) { QTest::keyClick(f, Qt::Key_Escape); });
    EXPECT_FALSE(op.Confirmacao(QStringLiteral("Iniciar?"), 1, 3345));
}

TEST(frmAviso, AvisoFechaComSairEDisposicaoPelaAltura)
{
    bool visto = false;
    QuandoModal<frmAviso>([&](frmAviso* f) {
        visto = true;
        ConferirTituloEMoldura(f, QStringLiteral("ATENÇÃO"));
        EXPECT_TRUE(f->btSair()->isVisible());
        EXPECT_FALSE(f->btConf()->isVisible());
        EXPECT_EQ(f->btSair()->text(), QStringLiteral("&Sair"));
        EXPECT_TRUE(f->picture()->isVisible());
        QTest::mouseClick(f->btSair(), Qt::LeftButton);
    });
    Aviso(QStringLiteral("Falhou"), 2, 3345);
    EXPECT_TRUE(visto);

    // At any height the window is as high as the caller asked, its caption strip taking the
    // place of a title bar; inside: buttons 954 above the bottom, the message area 1192.5 shorter.
    for (int altura : {3345, 6690}) {
        frmAviso f;
        f.ModoAviso = 1;
        f.setAltura(altura);
        f.show();
        const double interior = altura - frmAviso::MolduraVertical;
        const int topo = Twips::Px(frmAviso::MolduraVertical);
        EXPECT_EQ(f.height(), Twips::Px(altura));
        EXPECT_EQ(f.width(), Twips::Px(frmAviso::LarguraInterior));
        EXPECT_EQ(f.findChild<TituloDialogo*>()->height(), topo);
        EXPECT_EQ(f.btConf()->y(), topo + Twips::Px(interior - 954));
        EXPECT_EQ(f.btCancelar()->y(), topo + Twips::Px(interior - 954));
        EXPECT_EQ(f.btConf()->x(), Twips::Px(240));
        // "Cancelar" where designed, or just right of a "Confirma" grown for its caption.
        EXPECT_GE(f.btCancelar()->x(), Twips::Px(1680));
        EXPECT_FALSE(f.btConf()->geometry().intersects(f.btCancelar()->geometry()));
        EXPECT_EQ(f.areaMensagem()->y(), topo + Twips::Px(120));
        EXPECT_EQ(f.areaMensagem()->height(), Twips::Px(interior - 1192.5));
        EXPECT_EQ(f.btConf()->text(), QStringLiteral("&Confirma"));
        EXPECT_EQ(f.btCancelar()->text(), QStringLiteral("C&ancelar"));
        EXPECT_EQ(f.Resposta, -1);
    }
}

// Read at arm's length: the message at 14 points or more of the layout's scale, the buttons at
// least as large as the panel buttons with their captions whole, and a long message never cut:
// the window grows within the screen, then the text scrolls.
TEST(frmAviso, TextoLegivelEBotoesDeToqueMensagemLongaNaoCortada)
{
    const QRect ecra = QGuiApplication::primaryScreen()->availableGeometry();
    const auto linhas = [](int n) {
        QStringList l;
        for (int i = 1; i <= n; ++i)
            l << QStringLiteral("Obra 26%1 operação Corte (ORDEM JÁ TERMINADA)").arg(i, 3, 10, QLatin1Char('0'));
        return l.join(QStringLiteral("\r\n"));
    };
    for (const int n : {1, 8, 200}) {
        SCOPED_TRACE(n);
        for (int modo : {0, 1}) {
            frmAviso f;
            f.ModoAviso = modo;
            f.setMensagem(linhas(n));
            f.setAltura(3345);
            f.show();
            ConferirLegivel(f.lista());
            ConferirBotoesDeToque(&f);
            EXPECT_TRUE(ecra.contains(f.geometry()));
            QScrollArea* area = f.areaMensagem();
            EXPECT_GE(f.height(), Twips::Px(3345));
            if (n < 100) {
                // It fits once the window has grown: nothing to scroll.
                EXPECT_EQ(area->verticalScrollBar()->maximum(), 0);
                EXPECT_LE(f.lista()->heightForWidth(f.lista()->width()), area->viewport()->height());
            } else {
                // As tall as the screen allows, and the rest is reached by scrolling.
                EXPECT_EQ(f.height(), ecra.height());
                EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
                EXPECT_TRUE(area->verticalScrollBar()->isVisible());
            }
        }
    }
    // At the asked height when the text fits it.
    frmAviso f;
    f.setMensagem(QStringLiteral("A Folha de Obra indicada não existe !"));
    f.setAltura(3345);
    f.show();
    EXPECT_EQ(f.height(), Twips::Px(3345));
}

// The system messages in the touch dialog: the program's title, the picture of their kind, one
// large "OK".
TEST(MensagemSistema, DialogoDeToqueComImagemPorTipo)
{
    InteraccaoTouch op;
    for (const auto& [tipo, imagem] : {std::pair{0, int(frmAviso::ImagemAlerta)}, std::pair{1, 0}, std::pair{2, 2}}) {
        SCOPED_TRACE(tipo);
        bool visto = false;
        QuandoModal<frmAviso>([&, imagem = imagem](frmAviso* f) {
            visto = true;
            ConferirTituloEMoldura(f, QStringLiteral("Terminal"));
            EXPECT_EQ(f->mensagem(), QStringLiteral("Erro 5\r\nNa função GravaSaidas do cl_GravaKova"));
            EXPECT_EQ(f->picture()->pixmap().toImage(), frmAviso::Desenho(imagem, Twips::Px(720)).toImage());
            EXPECT_FALSE(f->btConf()->isVisible());
            EXPECT_EQ(f->btSair()->text(), QStringLiteral("OK"));
            ConferirLegivel(f->lista());
            ConferirBotoesDeToque(f);
            QTest::mouseClick(f->btSair(), Qt::LeftButton);
        });
        EXPECT_EQ(op.MensagemSistema(QStringLiteral("Erro 5\r\nNa função GravaSaidas do cl_GravaKova"), tipo), 1);
        EXPECT_TRUE(visto);
    }
    // The four pictures differ; a notice (the running-operations list) is not drawn as a warning.
    QList<QImage> desenhos;
    for (int k : {0, 1, 2, int(frmAviso::ImagemAlerta)})
        desenhos << frmAviso::Desenho(k).toImage();
    for (int a = 0; a < desenhos.size(); ++a)
        for (int b = a + 1; b < desenhos.size(); ++b)
            EXPECT_NE(desenhos[a], desenhos[b]) << a << " " << b;

    // Any other kind shows nothing.
    EXPECT_EQ(op.MensagemSistema(QStringLiteral("x"), 3), 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(frmTeclado, DevolveOQueFoiTecladoOuVazio)
{
    InteraccaoTouch op;
    QString titulo;
    QuandoModal<frmTeclado>([&](frmTeclado* f) {
        titulo = f->windowTitle();
        ConferirTituloEMoldura(f, QStringLiteral("INTRODUZA O NUMERO DA ORDEM"));
        // The keypad as designed, under the caption.
        const int topo = f->findChild<TituloDialogo*>()->height();
        EXPECT_EQ(f->teclado()->pos(), QPoint(Twips::Px(120), topo + Twips::Px(120)));
        EXPECT_EQ(f->size(),
                  QSize(Twips::Px(frmTeclado::LarguraInterior), topo + Twips::Px(frmTeclado::AlturaInterior)));
        EXPECT_TRUE(f->rect().contains(QRect(f->teclado()->pos(), f->teclado()->size())));
        for (const char* t : {"0", "4", "2", "enter"})
            QTest::mouseClick(f->teclado()->tecla(QString::fromLatin1(t)), Qt::LeftButton);
    });
    EXPECT_EQ(op.PedirNumero(QStringLiteral("INTRODUZA O NUMERO DA ORDEM")), QStringLiteral("042"));
    EXPECT_EQ(titulo, QStringLiteral("INTRODUZA O NUMERO DA ORDEM"));

    QuandoModal<frmTeclado>([](frmTeclado* f) {
        QTest::mouseClick(f->teclado()->tecla("7"), Qt::LeftButton);
        f->close();
    });
    EXPECT_EQ(op.PedirNumero(QStringLiteral("X")), QString());

    QuandoModal<frmTeclado>([](frmTeclado* f) { QTest::mouseClick(f->teclado()->tecla("enter"), Qt::LeftButton); });
    EXPECT_EQ(op.PedirNumero(QStringLiteral("X")), QString());

    // The cancel key leaves with nothing, whatever was typed; the caption of the field it is for.
    QuandoModal<frmTeclado>([](frmTeclado* f) {
        ConferirTituloEMoldura(f, QStringLiteral("INTRODUZA A QUANTIDADE"));
        QTest::mouseClick(f->teclado()->tecla("7"), Qt::LeftButton);
        okaBotao* cancelar = f->findChild<TituloDialogo*>()->botao();
        ASSERT_NE(cancelar, nullptr);
        EXPECT_EQ(cancelar->text(), QStringLiteral("Cancelar"));
        EXPECT_TRUE(f->rect().contains(QRect(cancelar->mapTo(f, QPoint(0, 0)), cancelar->size())));
        QTest::mouseClick(cancelar, Qt::LeftButton);
    });
    EXPECT_EQ(op.PedirNumero(QStringLiteral("INTRODUZA A QUANTIDADE")), QString());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(frmMotSus, DevolveOTextoDoMotivoOuVazio)
{
    InteraccaoTouch op;
    const Registos motivos({QStringLiteral("Descricao"), QStringLiteral("Codigo")},
                           {{QStringLiteral("Falta de material"), 1},
                            {QStringLiteral("Avaria"), 2},
                            {QStringLiteral("Aguarda cliente"), 3},
                            {QStringLiteral("Outro"), 4},
                            {QStringLiteral("Férias"), 5},
                            {QStringLiteral("Qualidade"), 6},
                            {QStringLiteral("Ferramenta"), 7}});
    QString titulo;
    QuandoModal<frmMotSus>([&](frmMotSus* f) {
        titulo = f->windowTitle();
        ConferirTituloEMoldura(f, QStringLiteral("MOTIVO DA SUSPENSÃO"));
        PainelBotoes* p = f->PainelMotivo();
        // Under the caption, the panel as wide as designed and as high as whole rows allow.
        const int topo = f->findChild<TituloDialogo*>()->height();
        EXPECT_EQ(p->geometry(), QRect(0, topo, Twips::Px(frmMotSus::LarguraInterior),
                                       Twips::Px(PainelBotoes::BandaPaginas + 3 * PainelBotoes::PassoLinha)));
        EXPECT_EQ(f->size(), QSize(p->width(), topo + p->height()));
        EXPECT_EQ(p->numeroItens(), 7);
        // More reasons than fit: the page buttons reach the last one, and no row is ever cut
        // or hidden under the page buttons.
        EXPECT_TRUE(p->btPageUp()->isEnabled());
        ConferirBotoesInteiros<okaBotao>(p->contentor());
        for (int i = 0; i < 4; ++i) {
            QTest::mouseClick(p->btPageUp(), Qt::LeftButton);
            ConferirBotoesInteiros<okaBotao>(p->contentor());
        }
        ASSERT_NE(p->botaoDoItem(7), nullptr);
        QTest::mouseClick(p->botaoDoItem(7), Qt::LeftButton);
    });
    EXPECT_EQ(op.EscolherMotivo(motivos, QStringLiteral("MOTIVO DA SUSPENSÃO")), QStringLiteral("Ferramenta"));
    EXPECT_EQ(titulo, QStringLiteral("MOTIVO DA SUSPENSÃO"));

    QuandoModal<frmMotSus>([](frmMotSus* f) { f->close(); });
    EXPECT_EQ(op.EscolherMotivo(motivos, QStringLiteral("MOTIVO DA SUSPENSÃO")), QString());

    // A touch button leaves without a reason.
    QuandoModal<frmMotSus>([](frmMotSus* f) {
        okaBotao* cancelar = f->findChild<TituloDialogo*>()->botao();
        ASSERT_NE(cancelar, nullptr);
        EXPECT_EQ(cancelar->text(), QStringLiteral("Cancelar"));
        QTest::mouseClick(cancelar, Qt::LeftButton);
    });
    EXPECT_EQ(op.EscolherMotivo(motivos, QStringLiteral("MOTIVO DA SUSPENSÃO")), QString());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(frmTecladoAlfa, EscreveCodigosComLetrasEAcentos)
{
    InteraccaoTouch op;
    QuandoModal<frmTecladoAlfa>([](frmTecladoAlfa* f) {
        ConferirTituloEMoldura(f, QStringLiteral("Artigo"));
        for (const QString& t : {QStringLiteral("A"), QStringLiteral("Ç"), QStringLiteral("-"), QStringLiteral("9"),
                                 QStringLiteral("backspace"), QStringLiteral("1"), QStringLiteral(" "),
                                 QStringLiteral("Z"), QStringLiteral("enter")}) {
            okaBotao* b = f->tecla(t);
            ASSERT_NE(b, nullptr) << t.toStdString();
            QTest::mouseClick(b, Qt::LeftButton);
        }
    });
    EXPECT_EQ(op.PedirTexto(QStringLiteral("Artigo")), QStringLiteral("AÇ-1 Z"));

    QuandoModal<frmTecladoAlfa>([](frmTecladoAlfa* f) {
        QTest::mouseClick(f->tecla("B"), Qt::LeftButton);
        f->close();
    });
    EXPECT_EQ(op.PedirTexto(QStringLiteral("Artigo")), QString());

    QuandoModal<frmTecladoAlfa>([](frmTecladoAlfa* f) {
        QTest::mouseClick(f->tecla("B"), Qt::LeftButton);
        QTest::mouseClick(f->findChild<TituloDialogo*>()->botao(), Qt::LeftButton);
    });
    EXPECT_EQ(op.PedirTexto(QStringLiteral("Artigo")), QString());
}
