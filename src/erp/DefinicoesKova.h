#pragma once

#include <optional>

#include <QString>

#include "base/InteraccaoOperador.h"

// The ERP link settings, kept in the configuration file in section "Kova":
//   Percurso Windows = folder of the ERP installation (must exist)
//   Percurso Log     = folder for the ERP link's log (optional; empty means no log)
//   Empresa          = ERP company
//   Utilizador       = ERP user
//   Palavra Passe    = ERP password
// Every read goes to the file named in Ficheiro, so values saved meanwhile are seen at once;
// a setting that is absent (or a file that cannot be read) reads as "". Values the operator gave
// that could not be written are read from memory instead, for the rest of the run.
class DefinicoesKova
{
public:
    static const QString Seccao;
    static const QString ChavePercursoWindows;
    static const QString ChavePercursoLog;
    static const QString ChaveEmpresa;
    static const QString ChaveUtilizador;
    static const QString ChavePassword;

    DefinicoesKova() = default;
    explicit DefinicoesKova(const QString& ficheiro) : Ficheiro(ficheiro) {}

    QString PercursoWindows() const { return Valores().PercursoWindows; }
    QString PercursoLog() const { return Valores().PercursoLog; }
    QString Empresa() const { return Valores().Empresa; }
    QString UtilizadorKova() const { return Valores().UtilizadorKova; }
    QString PasswordKova() const { return Valores().PasswordKova; }
    ValoresKova Valores() const;

    // Opens the settings dialog with the current values; what the operator saves is written to
    // the file. When the file cannot be written the operator is told so (naming the file) and
    // the values are kept by this object for the run. True when the operator gave new values.
    bool EditarDefinicoes(InteraccaoOperador* op);
    // Writes the five settings, keeping the rest of the file; false with the reason in `erro`.
    bool Gravar(const ValoresKova& valores, QString* erro = nullptr);

    QString Ficheiro;

private:
    std::optional<ValoresKova> m_naoGravados;
};
