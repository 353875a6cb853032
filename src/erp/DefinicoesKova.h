#pragma once

#include <QString>

#include "base/InteraccaoOperador.h"

// The ERP link settings, kept in the configuration file in section "Kova":
//   Percurso Windows = folder of the ERP installation (must exist)
//   Percurso Log     = folder for the ERP link's log (optional; empty means no log)
//   Empresa          = ERP company
//   Utilizador       = ERP user
//   Palavra Passe    = ERP password
// Every read goes to the file named in Ficheiro, so values saved meanwhile are seen at once;
// a setting that is absent (or a file that cannot be read) reads as "".
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

    QString PercursoWindows() const { return ler(ChavePercursoWindows); }
    QString PercursoLog() const { return ler(ChavePercursoLog); }
    QString Empresa() const { return ler(ChaveEmpresa); }
    QString UtilizadorKova() const { return ler(ChaveUtilizador); }
    QString PasswordKova() const { return ler(ChavePassword); }
    ValoresKova Valores() const;

    // Opens the settings dialog with the current values; what the operator saves is written to
    // the file. True when new values were saved.
    bool EditarDefinicoes(InteraccaoOperador* op);
    // Writes the five settings, keeping the rest of the file; false with the reason in `erro`.
    bool Gravar(const ValoresKova& valores, QString* erro = nullptr);

    QString Ficheiro;

private:
    QString ler(const QString& chave) const;
};
