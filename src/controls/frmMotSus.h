#pragma once

#include <QDialog>
#include <QString>

#include "dataaccess/Registos.h"

class PainelBotoes;

// Modal choice of a suspension reason from a paged button panel; Motivo is the text of the
// reason touched, "" when the window was closed without a choice.
class frmMotSus : public QDialog
{
    Q_OBJECT

public:
    static constexpr int LarguraInterior = 3975;
    static constexpr int AlturaInterior = 3915;

    explicit frmMotSus(QWidget* pai = nullptr);

    QString Motivo;

    void setListaMotivos(const Registos& motivos) { m_listaMotivos = motivos; }
    // Lays the panel over the whole window and fills it; the caller then shows the dialog.
    void Mostra();

    PainelBotoes* PainelMotivo() const { return m_painel; }

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void ajustarPainel();

    PainelBotoes* m_painel = nullptr;
    Registos m_listaMotivos;
};
