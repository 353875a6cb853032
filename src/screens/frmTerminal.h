#pragma once

#include <QRect>

#include "screens/EcraTerminal.h"

class PainelBotoes;

// Terminal without login: employees, orders with the day functions above the functions,
// operations and machines side by side above the bottom strip.
class frmTerminal : public EcraTerminal
{
    Q_OBJECT
public:
    explicit frmTerminal(QWidget* parent = nullptr);

    // Panel rectangles in twips for a client area of W x H twips.
    struct Geometria
    {
        QRect Utilizadores;
        QRect Obras;
        QRect Funcoes;
        QRect Operacoes;
        QRect Maquinas;
    };
    static Geometria CalculaGeometria(double W, double H, double alturaFrameBase = 1815);

    void CarregaPainelUtilizador();
    void CarregaPainelObra();
    void CarregaPainelFuncoes();
    void CarregaPainelOperacoes();
    void CarregaPainelMaquinas();

    // Panel touches.
    void EscolheuUtilizador(const QString& Nome, const QString& Codigo);
    void EscolheuObra(const QString& Nome, const QString& Codigo);
    void EscolheuMaquina(const QString& Nome, const QString& Codigo);

    PainelBotoes* PainelUtilizadores;
    PainelBotoes* PainelObras;
    PainelBotoes* PainelFuncoes;
    PainelBotoes* PainelOperacoes;
    PainelBotoes* PainelMaquinas;

protected:
    void CarregaEcra() override;
    int TipoTerminal() const override { return 0; }
    void AposMotor(const QString& codigo, bool resultado, const QString& mensagem) override;
    bool EscolhaFuncaoEcra(const QString& Nome, QString& codigo) override;
    void MostraSeleccao() override;
    void CodigoLidoEcra(const CodigoLido& c) override;

private:
    // Places `painel` at `twips` within the client area.
    static void Colocar(PainelBotoes* painel, const QRect& twips);
    Geometria geometria() const;
};
