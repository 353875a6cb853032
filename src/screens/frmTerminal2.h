#pragma once

#include <memory>

#include "screens/EcraTerminal.h"

class LigacaoKova;

// Terminal linked to the ERP: employees log in before recording, open orders as buttons,
// material consumption. For now the shared frame and its dispatch.
class frmTerminal2 : public EcraTerminal
{
    Q_OBJECT
public:
    explicit frmTerminal2(QWidget* parent = nullptr);
    ~frmTerminal2() override;

    // The ERP link opened at start-up; disconnected when the screen is destroyed.
    void setLigKova(std::unique_ptr<LigacaoKova> link);
    LigacaoKova* LigKova() const { return m_ligKova.get(); }

    using EcraTerminal::Limpar;
    // Clears the selection; with MudaUser the employee is logged out.
    void Limpar(bool MudaUser);
    void Cancelar() override;
    void Sair() override;

    // Employee who logged in last.
    QString UtilizadorActual;

protected:
    void CarregaEcra() override;
    Despacho Despachar(const QString& codigo, bool& resultado, QString& mensagem) override;
    void AntesDeDespachar() override;
    void AposMotor(const QString& codigo, bool resultado, const QString& mensagem) override;
    // Back to employee identification.
    virtual void MudaUtilizador() {}
    // Opens the material-consumption panel for ObraConsumo.
    virtual void MostraConsumo() {}

private:
    std::unique_ptr<LigacaoKova> m_ligKova;
};
