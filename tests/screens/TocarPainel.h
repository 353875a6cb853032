#pragma once

#include <QStringList>

#include <gtest/gtest.h>

#include "controls/PainelBotoes.h"

// Touches the button of `painel` whose caption is `texto` (the panel counts items from 1).
inline void TocarPainel(PainelBotoes* painel, const QString& texto)
{
    const QStringList textos = painel->textos();
    const int k = int(textos.indexOf(texto));
    ASSERT_GE(k, 0) << texto.toStdString() << " not in " << textos.join(u'|').toStdString();
    painel->tocarItem(k + 1);
}
