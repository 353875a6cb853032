#pragma once

// Where the parts of a terminal screen lie: shown, whole inside what holds them, none over
// another.
#include <QLabel>
#include <QList>
#include <QWidget>

#include <gtest/gtest.h>

#include "controls/EtiquetaAjustada.h"
#include "controls/Fontes.h"
#include "screens/ToqueReal.h"

// Geometry of `w` in the coordinates of `referencia` (an ancestor).
inline QRect RectEm(const QWidget* w, const QWidget* referencia)
{
    return QRect(w->mapTo(referencia, QPoint(0, 0)), w->size());
}

// Each of `filhos` is shown and lies whole inside `pai`; unless `sobrepostos` allows it, no two
// of them overlap.
inline void ConferirPecas(QWidget* pai, const QList<QWidget*>& filhos, bool sobrepostos = false)
{
    for (int i = 0; i < filhos.size(); ++i) {
        QWidget* a = filhos[i];
        ASSERT_NE(a, nullptr);
        EXPECT_TRUE(a->isVisible()) << NomeWidget(a) << " hidden";
        const QRect ra = RectEm(a, pai);
        EXPECT_TRUE(pai->rect().contains(ra))
            << NomeWidget(a) << " (" << ra.x() << "," << ra.y() << " " << ra.width() << "x" << ra.height()
            << ") outside " << NomeWidget(pai) << " " << pai->width() << "x" << pai->height();
        for (int j = i + 1; j < filhos.size() && !sobrepostos; ++j)
            EXPECT_FALSE(ra.intersects(RectEm(filhos[j], pai)))
                << NomeWidget(a) << " overlaps " << NomeWidget(filhos[j]);
    }
}

// The text of a label is shown whole: at the font it is drawn with, it fits the label.
inline void ConferirTextoInteiro(QLabel* l)
{
    ASSERT_NE(l, nullptr);
    const auto* ajustada = qobject_cast<EtiquetaAjustada*>(l);
    const bool cabe = ajustada ? ajustada->cabe()
                               : TextoCabe(l->font(), l->text(), l->contentsRect(),
                                           int(l->alignment()) | (l->wordWrap() ? int(Qt::TextWordWrap) : 0));
    EXPECT_TRUE(cabe) << NomeWidget(l) << " cuts \"" << l->text().toStdString() << "\" (" << l->width() << "x"
                      << l->height() << ")";
}

// Every button a panel shows lies whole inside its viewport and its panel: no row half hidden.
inline void ConferirPainelInteiro(PainelBotoes* p)
{
    int mostrados = 0;
    for (okaBotao* b : p->contentor()->findChildren<okaBotao*>()) {
        if (!b->isVisible()) continue;
        ++mostrados;
        EXPECT_TRUE(p->contentor()->rect().contains(RectEm(b, p->contentor())))
            << NomeWidget(b) << " cut in " << NomeWidget(p);
        EXPECT_TRUE(p->rect().contains(RectEm(b, p))) << NomeWidget(b) << " outside " << NomeWidget(p);
    }
    EXPECT_EQ(mostrados > 0, p->numeroItens() > 0) << NomeWidget(p);
}
