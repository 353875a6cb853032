#pragma once

#include "base/Currency.h"

class LigacaoDados;

// Indirect-cost rate per hour from the settings row; Null or no row gives 0.
Currency LerCI(LigacaoDados& ligacao);
