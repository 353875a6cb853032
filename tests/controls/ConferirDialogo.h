#pragma once

#include <cmath>

#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QList>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include "controls/TituloDialogo.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"

// Every visible child button of `area` lies whole inside it.
template <class Botao> void ConferirBotoesInteiros(QWidget* area)
{
    for (Botao* b : area->findChildren<Botao*>()) {
        if (!b->isVisible()) continue;
        const QRect r(b->mapTo(area, QPoint(0, 0)), b->size());
        if (!r.intersects(area->rect())) continue;
        EXPECT_TRUE(area->rect().contains(r)) << b->text().toStdString() << " cut";
    }
}

// Text read at arm's length: at least 14 points of the layout's scale (20 twips a point, mapped
// to pixels like every other size, so 14 points at the design's 15 twips a pixel).
inline void ConferirLegivel(const QWidget* w)
{
    EXPECT_GE(QFontInfo(w->font()).pixelSize(), int(std::floor(14 * 20 / Twips::PorPixel())))
        << w->objectName().toStdString();
}

// The shown touch buttons among `botoes`: at least as large as a panel button (1335 x 795 twips),
// their captions whole at the legible size, each inside its dialog and the dialog on the screen.
inline void ConferirBotoesDeToque(QWidget* dialogo, const QList<okaBotao*>& botoes)
{
    const QRect ecra = dialogo->screen()->geometry();
    EXPECT_TRUE(ecra.contains(dialogo->frameGeometry())) << dialogo->metaObject()->className();
    for (okaBotao* b : botoes) {
        if (!b->isVisible()) continue;
        const std::string nome = b->text().toStdString();
        EXPECT_GE(b->width(), Twips::Px(1335)) << nome;
        EXPECT_GE(b->height(), Twips::Px(795)) << nome;
        ConferirLegivel(b);
        EXPECT_EQ(b->fonteDaLegenda(), b->font()) << nome << ": the caption had to shrink";
        const QRect r(b->mapTo(dialogo, QPoint(0, 0)), b->size());
        EXPECT_TRUE(dialogo->rect().contains(r)) << nome << " outside its dialog";
        EXPECT_TRUE(ecra.contains(r.translated(dialogo->mapToGlobal(QPoint(0, 0))))) << nome << " off the screen";
    }
}

// The same for the caption strip's button and the message dialog's three buttons.
inline void ConferirBotoesDeToque(QWidget* dialogo)
{
    QList<okaBotao*> botoes;
    for (okaBotao* b : dialogo->findChildren<okaBotao*>())
        if (qobject_cast<TituloDialogo*>(b->parentWidget()) || b->parentWidget() == dialogo) botoes << b;
    ConferirBotoesDeToque(dialogo, botoes);
}

// A dialog as a kiosk shows it, without a window manager: its caption drawn inside it, whole,
// on a strip along its top edge, and its edge drawn round it.
inline void ConferirTituloEMoldura(QWidget* dialogo, const QString& caption)
{
    auto* titulo = dialogo->findChild<TituloDialogo*>();
    ASSERT_NE(titulo, nullptr) << caption.toStdString();
    EXPECT_TRUE(titulo->isVisible());
    EXPECT_EQ(titulo->legenda()->text(), caption);
    EXPECT_EQ(titulo->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(titulo->width(), dialogo->width());
    EXPECT_TRUE(dialogo->rect().contains(titulo->geometry()));
    // The caption is not cut: its wrapped text fits its label, and the label fits the strip.
    QLabel* l = titulo->legenda();
    EXPECT_LE(l->heightForWidth(l->width()), l->height()) << caption.toStdString();
    for (const QString& palavra : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        EXPECT_LE(l->fontMetrics().horizontalAdvance(palavra), l->width()) << palavra.toStdString() << " cut";
    if (titulo->botao()) {
        EXPECT_FALSE(titulo->botao()->geometry().intersects(l->geometry())) << caption.toStdString();
    }
    EXPECT_TRUE(titulo->rect().contains(l->geometry()));
    // Read at arm's length, and its button (a way out) a touch button.
    ConferirLegivel(l);
    if (titulo->botao()) ConferirBotoesDeToque(dialogo, {titulo->botao()});
    // The edge: the bottom corners are drawn in the edge's colour.
    const QImage imagem = dialogo->grab().toImage();
    for (const QPoint p : {QPoint(1, imagem.height() - 2), QPoint(imagem.width() - 2, imagem.height() - 2)})
        EXPECT_EQ(imagem.pixelColor(p).rgb(), QColor(0x2b, 0x4a, 0x72).rgb()) << caption.toStdString();
}
