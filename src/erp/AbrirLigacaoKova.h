#pragma once

#include <memory>

#include <QString>

#include "erp/LigacaoKova.h"

class InteraccaoOperador;
class LigacaoDados;

// The ERP link this build ships: the stand-in that lives in the shop-floor database.
std::unique_ptr<LigacaoKova> CriarLigacaoKova();

// Opens the run's ERP link from the settings in `ficheiroConfiguracao` (a relative name is taken
// from the program folder). When the Windows path, company, user or password is missing the
// settings dialog is offered once and the settings read again (the values typed, when they could
// not be saved; the operator is told so). Always puts a new link into
// `link`, with Modo 2; `bd`, when given, becomes its BaseDados before it connects (it can also be
// given afterwards). True when connected. On failure the operator is shown, in the touch message
// dialog, "Não foi possível ligar ao Tarn !" and the five settings, the password as asterisks;
// the same text is put into `mensagem` when given.
bool AbrirLigacaoKova(std::unique_ptr<LigacaoKova>& link, const QString& ficheiroConfiguracao,
                      InteraccaoOperador* operador, LigacaoDados* bd = nullptr, QString* mensagem = nullptr);
