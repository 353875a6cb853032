#pragma once

#include <QDialog>
#include <QString>

#include "dataaccess/Registos.h"

class PainelBotoes;
class TituloDialogo;

// Modal choice of a suspension reason from a paged button panel under the dialog's caption;
// Motivo is the text of the reason touched, "" when the dialog was left without a choice (its
// "Cancelar" button, or the window closed).
class frmMotSus : public QDialog
{
    Q_OBJECT

public:
    static constexpr int LarguraInterior = 3975;
    static constexpr int AlturaInterior = 3915;

    explicit frmMotSus(QWidget* pai = nullptr);

    QString Motivo;

    void setListaMotivos(const Registos& motivos) { m_listaMotivos = motivos; }
    // Lays the panel out under the caption and fills it; the caller then shows the dialog.
    void Mostra();

    PainelBotoes* PainelMotivo() const { return m_painel; }
    // Height in twips of a panel of whole rows that fits in `alturaTwips`.
    static int AlturaPainel(double alturaTwips);

protected:
    void showEvent(QShowEvent* e) override;

private:
    void dispor();

    TituloDialogo* m_titulo = nullptr;
    PainelBotoes* m_painel = nullptr;
    Registos m_listaMotivos;
};
