#include <QLabel>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include "AjudaModal.h"
#include "controls/InteraccaoTouch.h"
#include "controls/PainelBotoes.h"
#include "controls/TeclandoNumerico.h"
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
        EXPECT_TRUE(f->btSair()->isVisible());
        EXPECT_FALSE(f->btConf()->isVisible());
        EXPECT_EQ(f->btSair()->text(), QStringLiteral("&Sair"));
        EXPECT_TRUE(f->picture()->isVisible());
        QTest::mouseClick(f->btSair(), Qt::LeftButton);
    });
    Aviso(QStringLiteral("Falhou"), 2, 3345);
    EXPECT_TRUE(visto);

    // At any height: buttons 954 above the inner bottom, the label 1192.5 shorter.
    for (int altura : {3345, 6690}) {
        frmAviso f;
        f.ModoAviso = 1;
        f.setAltura(altura);
        f.show();
        const double interior = altura - frmAviso::MolduraVertical;
        EXPECT_EQ(f.height(), Twips::Px(interior));
        EXPECT_EQ(f.btConf()->y(), Twips::Px(interior - 954));
        EXPECT_EQ(f.btCancelar()->y(), Twips::Px(interior - 954));
        EXPECT_EQ(f.btConf()->x(), Twips::Px(240));
        EXPECT_EQ(f.btCancelar()->x(), Twips::Px(1680));
        EXPECT_EQ(f.lista()->height(), Twips::Px(interior - 1192.5));
        EXPECT_EQ(f.btConf()->text(), QStringLiteral("&Confirma"));
        EXPECT_EQ(f.btCancelar()->text(), QStringLiteral("C&ancelar"));
        EXPECT_EQ(f.Resposta, -1);
    }
}

TEST(MensagemSistema, CaixaDoSistemaPorTipo)
{
    InteraccaoTouch op;
    QString titulo;
    QMessageBox::Icon icone = QMessageBox::NoIcon;
    QuandoModal<QMessageBox>([&](QMessageBox* m) {
        titulo = m->windowTitle();
        icone = m->icon();
        QTest::mouseClick(m->button(QMessageBox::Ok), Qt::LeftButton);
    });
    EXPECT_EQ(op.MensagemSistema(QStringLiteral("Erro 5"), 2), 1);
    EXPECT_EQ(titulo, QStringLiteral("Terminal"));
    EXPECT_EQ(icone, QMessageBox::Critical);

    QuandoModal<QMessageBox>([&](QMessageBox* m) {
        icone = m->icon();
        m->close();
    });
    EXPECT_EQ(op.MensagemSistema(QStringLiteral("x"), 0), 1);
    EXPECT_EQ(icone, QMessageBox::Warning);

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
        PainelBotoes* p = f->PainelMotivo();
        EXPECT_EQ(p->geometry(), QRect(0, 0, f->width(), f->height()));
        EXPECT_EQ(p->numeroItens(), 7);
        // More reasons than fit: the page buttons reach the last one.
        EXPECT_TRUE(p->btPageUp()->isEnabled());
        for (int i = 0; i < 4; ++i)
            QTest::mouseClick(p->btPageUp(), Qt::LeftButton);
        ASSERT_NE(p->botaoDoItem(7), nullptr);
        QTest::mouseClick(p->botaoDoItem(7), Qt::LeftButton);
    });
    EXPECT_EQ(op.EscolherMotivo(motivos, QStringLiteral("MOTIVO DA SUSPENSÃO")), QStringLiteral("Ferramenta"));
    EXPECT_EQ(titulo, QStringLiteral("MOTIVO DA SUSPENSÃO"));

    QuandoModal<frmMotSus>([](frmMotSus* f) { f->close(); });
    EXPECT_EQ(op.EscolherMotivo(motivos, QStringLiteral("MOTIVO DA SUSPENSÃO")), QString());
}

TEST(frmTecladoAlfa, EscreveCodigosComLetrasEAcentos)
{
    InteraccaoTouch op;
    QuandoModal<frmTecladoAlfa>([](frmTecladoAlfa* f) {
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
}
