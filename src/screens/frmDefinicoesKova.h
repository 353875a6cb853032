#pragma once

#include <QDialog>

#include "base/InteraccaoOperador.h"

class QLineEdit;
class QPushButton;

// ERP link settings dialog: the five settings, the password hidden; a touch on a field opens the
// on-screen keyboard.
class frmDefinicoesKova : public QDialog
{
    Q_OBJECT
public:
    explicit frmDefinicoesKova(const ValoresKova& valores, QWidget* parent = nullptr);

    ValoresKova valores() const;

    QLineEdit* txtPercursoWindows;
    QLineEdit* txtPercursoLog;
    QLineEdit* txtEmpresa;
    QLineEdit* txtUtilizador;
    QLineEdit* txtPassword;
    QPushButton* btGravar;
    QPushButton* btCancelar;

protected:
    void showEvent(QShowEvent* e) override;
};
