#pragma once

#include "controls/InteraccaoTouch.h"

// The touch dialogs of the terminal, with the two settings dialogs of the program.
class InteraccaoEcra : public InteraccaoTouch
{
public:
    using InteraccaoTouch::InteraccaoTouch;

    bool EditarDefinicoesKova(ValoresKova& valores) override;
    bool EditarDefinicoesBD(DefinicoesBD& definicoes, const QString& bdSql) override;
};
