#pragma once

#include <memory>

#include <QRect>

#include "screens/EcraTerminal.h"

class LigacaoKova;
class PainelBotoes;
class PainelConsumo;
class ucLogin;

// Terminal linked to the ERP. Two states: identification (employee buttons above the login
// control) and work (open orders, functions and operations side by side above the bottom
// strip). Function AC008 opens the material-consumption panel over the whole screen.
class frmTerminal2 : public EcraTerminal
{
    Q_OBJECT
public:
    explicit frmTerminal2(QWidget* parent = nullptr);
    ~frmTerminal2() override;

    // The ERP link opened at start-up; disconnected when the screen is destroyed.
    void setLigKova(std::unique_ptr<LigacaoKova> link);
    LigacaoKova* LigKova() const { return m_ligKova.get(); }

    void Mostra() override;

    // Work-state panel rectangles in twips for a client area of W x H twips.
    struct Geometria
    {
        QRect Obra;
        QRect Funcoes;
        QRect Operacoes;
    };
    static Geometria CalculaGeometria(double W, double H, double alturaFrameBase = 1815);

    void CarregaListaUtilizadores();
    void MostraEscolhaUtilizador();
    void MudaUtilizador();
    void MostraPaineisTrabalho();
    void CarregaPainelObra();
    void CarregaPainelFuncoes();
    void CarregaPainelOperacoes();
    void MostraConsumo();
    void EscondeConsumo();

    using EcraTerminal::Limpar;
    // Clears the selection; with MudaUser the employee is logged out.
    void Limpar(bool MudaUser);
    void Cancelar() override;
    void Sair() override;
    // The ERP link settings (menu "Ligação ao ERP"), once a supervisor gave his password; they
    // take effect at the next start.
    void AbrirDefinicoesKova();

    // Touches and the login control's events.
    void EscolheuUtilizadorPainel(const QString& Nome, const QString& Codigo);
    void EscolheuObra(const QString& Nome, const QString& Codigo);
    void Login(const QString& Codigo, const QString& Nome, qint16 Nivel);

    // Employee who logged in last (kept after logout), and the two values handed to the login
    // control, which leaves them as they are.
    QString UtilizadorActual;
    QString PasswordActual;
    qint16 NivelActual = 0;

    ::ucLogin* ucLogin;
    PainelBotoes* PainelBotesUtilizadores;
    PainelBotoes* PainelObra;
    PainelBotoes* PainelFuncoes;
    PainelBotoes* PainelOperacoes;
    PainelConsumo* PainelDonsumo;
    QAction* Menu_ERP;

protected:
    void CarregaEcra() override;
    Despacho Despachar(const QString& codigo, bool& resultado, QString& mensagem) override;
    void AntesDeDespachar() override;
    int TipoTerminal() const override { return 1; }
    void AposMotor(const QString& codigo, bool resultado, const QString& mensagem) override;
    void MostraSeleccao() override;
    void CodigoLidoEcra(const CodigoLido& c) override;

private:
    Geometria geometria() const;
    void CentrarLogin();
    void MarcarFuncionarioDoLogin();

    std::unique_ptr<LigacaoKova> m_ligKova;
    // Name of the employee logged in, shown on the user line while he is.
    QString m_nomeActual;
    // The information lines (user, order, function, machine) when the consumption panel opened.
    QStringList m_registoConsumo;
    // The confirmation of a posting, shown once the panel has closed.
    QString m_lancamento;
};
