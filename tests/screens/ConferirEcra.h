#pragma once

// Where the parts of a terminal screen lie: shown, whole inside what holds them, none over
// another.
#include <QList>
#include <QWidget>

#include <gtest/gtest.h>

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
