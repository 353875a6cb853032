#pragma once

#include "dataaccess/LigacaoDados.h"

// The schema and the demo data, kept as resources (db/ in the source tree).
namespace EsquemaBD {

// The schema script for a dialect.
QString Script(Dialecto dialecto);
// Creates every table and index on an empty database.
void Criar(LigacaoDados& ligacao);
// True when the shop-floor tables exist.
bool Existe(LigacaoDados& ligacao);
// Loads the demo factory; employees get `senhaDemo` as password. One transaction.
void CarregarDemo(LigacaoDados& ligacao, const QString& senhaDemo);

} // namespace EsquemaBD
