#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class LigacaoDados;
class QTextStream;

// Read-only check of a configured database: every statement the terminal runs, run once by the
// engine, catalogue and posting code itself on throwaway rows (an employee, an order, an
// operation, a machine, a reason, an article) inside a transaction that is always rolled back.
// Nothing is ever committed, and no file is written (the ERP link runs without its log).
namespace VerificarBD {

enum class Estado { Ok, Erro, NaoVerificado };

struct Resultado
{
    QString nome; // the operation checked, e.g. "Cl_EQP::Operacao_Inicio (linha nova)"
    Estado estado = Estado::Ok;
    QString texto; // why it failed or was not checked
};

// Runs every check on `bd`. The material consumption and the ERP posting are checked only for an
// ERP terminal ("Tipo de Terminal" not 0 in `ficheiroConfiguracao`), through the ERP link set in
// that file.
QList<Resultado> Verificar(LigacaoDados& bd, const QString& ficheiroConfiguracao);

// terminal-admin verificar: one line per check on `out`; 0 when every check passed, 1 when one
// failed, 2 (usage on `err`) for any argument.
int Comando(LigacaoDados& bd, const QString& ficheiroConfiguracao, const QStringList& argumentos, QTextStream& out,
            QTextStream& err);

} // namespace VerificarBD
