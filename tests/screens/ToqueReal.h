#pragma once

// Touches as a finger makes them: a press and a release at a point of the window on screen,
// which the window hands to whatever widget is there. A panel that is hidden, cut, covered or
// misplaced fails the touch instead of being reached behind the operator's back.
#include <string>

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include "controls/AjudaModal.h"
#include "controls/PainelBotoes.h"
#include "controls/TeclandoNumerico.h"
#include "controls/TituloDialogo.h"
#include "controls/frmAviso.h"
#include "controls/frmTeclado.h"
#include "controls/okaBotao.h"
#include "controls/ucLogin.h"

// How a failure names a widget: its caption, else its object name, else its class.
inline std::string NomeWidget(const QWidget* w)
{
    if (const auto* b = qobject_cast<const QAbstractButton*>(w); b && !b->text().isEmpty())
        return "\"" + b->text().toStdString() + "\"";
    return w->objectName().isEmpty() ? std::string(w->metaObject()->className()) : w->objectName().toStdString();
}

// True when `w` is `alvo` or lies inside it.
inline bool DentroDe(const QWidget* w, const QWidget* alvo)
{
    for (; w; w = w->parentWidget())
        if (w == alvo) return true;
    return false;
}

// Touches the middle of `alvo`. Fails unless it is shown whole (inside every widget that holds
// it, up to its window) and its middle and corners are not covered by another widget.
inline void Tocar(QWidget* alvo)
{
    ASSERT_NE(alvo, nullptr);
    ASSERT_TRUE(alvo->isVisible()) << NomeWidget(alvo) << " is hidden";
    QWidget* janela = alvo->window();
    ASSERT_NE(janela->windowHandle(), nullptr);
    const QRect r(alvo->mapTo(janela, QPoint(0, 0)), alvo->size());
    for (const QWidget* pai = alvo->parentWidget(); pai; pai = pai->parentWidget()) {
        const QRect area = pai == janela ? janela->rect() : QRect(pai->mapTo(janela, QPoint(0, 0)), pai->size());
        ASSERT_TRUE(area.contains(r)) << NomeWidget(alvo) << " is cut by " << NomeWidget(pai);
        if (pai == janela) break;
    }
    const QRect dentro = r.adjusted(2, 2, -2, -2);
    for (const QPoint p :
         {dentro.center(), dentro.topLeft(), dentro.topRight(), dentro.bottomLeft(), dentro.bottomRight()}) {
        const QWidget* ali = janela->childAt(p);
        ASSERT_TRUE(DentroDe(ali, alvo)) << NomeWidget(alvo) << " covered at (" << p.x() << "," << p.y() << ") by "
                                         << (ali ? NomeWidget(ali) : std::string("nothing"));
    }
    QTest::mouseClick(janela->windowHandle(), Qt::LeftButton, {}, r.center());
}

// Touches the button of `painel` whose caption is `texto`, first paging with the panel's own
// page buttons (touched as well) until its row is shown.
inline void TocarBotao(PainelBotoes* painel, const QString& texto)
{
    const int k = int(painel->textos().indexOf(texto)) + 1;
    ASSERT_GT(k, 0) << texto.toStdString() << " not in " << painel->textos().join(u'|').toStdString();
    const auto mostrado = [&] {
        okaBotao* b = painel->botaoDoItem(k);
        if (!b || !b->isVisible()) return false;
        const QRect r(b->mapTo(painel->contentor(), QPoint(0, 0)), b->size());
        return painel->contentor()->rect().contains(r);
    };
    for (int vezes = 0; !mostrado(); ++vezes) {
        ASSERT_LT(vezes, 200) << texto.toStdString() << " never shown";
        const double topo = painel->geometriaItem(k).top() + painel->Deslocamento();
        Tocar(topo < 0 ? painel->btPageDown() : painel->btPageUp());
    }
    Tocar(painel->botaoDoItem(k));
}

// Types `texto` on the login control's keyboard, a touch per key, then touches enter.
inline void EscreverLogin(ucLogin* login, const QString& texto)
{
    static const QString ordem = QStringLiteral(" 1234567890_ASDFGHJKLÇZXCVBNMQWERTYUIOP");
    for (const QChar c : texto)
        Tocar(login->btAlfa[std::size_t(ordem.indexOf(c.toUpper()))]);
    Tocar(login->btAlfa[ucLogin::TeclaEnter]);
}

// The caption strip of a dialog holds its window title.
inline void ConferirLegenda(QWidget* f)
{
    auto* t = f->findChild<TituloDialogo*>();
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->isVisible());
    EXPECT_EQ(t->legenda()->text(), f->windowTitle());
}

// The keypad dialog, when it comes up, answers `numero`, typed key by key, then enter.
inline void TeclarNumero(const QString& numero)
{
    QuandoModal<frmTeclado>([numero](frmTeclado* f) {
        ConferirLegenda(f);
        for (const QChar c : numero)
            Tocar(f->teclado()->tecla(QString(c)));
        Tocar(f->teclado()->tecla(QStringLiteral("enter")));
    });
}

// The message dialog, when it comes up, is read into `texto` and closed with its button ("Sair",
// or "Confirma" for a question).
inline void ResponderAviso(QString* texto)
{
    QuandoModal<frmAviso>([texto](frmAviso* f) {
        if (texto) *texto = f->mensagem();
        Tocar(f->ModoAviso == 0 ? f->btSair() : f->btConf());
    });
}
