#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

#include "controls/TituloDialogo.h"

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
    EXPECT_TRUE(titulo->rect().contains(l->geometry()));
    // The edge: the bottom corners are drawn in the edge's colour.
    const QImage imagem = dialogo->grab().toImage();
    for (const QPoint p : {QPoint(1, imagem.height() - 2), QPoint(imagem.width() - 2, imagem.height() - 2)})
        EXPECT_EQ(imagem.pixelColor(p).rgb(), QColor(0x2b, 0x4a, 0x72).rgb()) << caption.toStdString();
}

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
