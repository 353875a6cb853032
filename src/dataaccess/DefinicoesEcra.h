#pragma once

#include <QString>

class LeitorConfiguracao;

// The screen's settings in the configuration file, section "Ecrã":
//   Confirmar Sair    = 1: Sair asks "Sair do terminal?" before closing; 0 or absent: it closes
//   Nível Supervisor  = the lowest employee level (Nivel) whose password opens the settings
//                       (default 9, the demo's workshop manager)
//   Twips por Pixel   = the screen density, a number above 0 (a decimal point or comma); empty
//                       or absent: the design fills the screen (Twips::Automatico)
class DefinicoesEcra
{
public:
    static const QString Seccao;
    static const QString ChaveConfirmarSair;
    static const QString ChaveNivelSupervisor;
    static const QString ChaveTwipsPorPixel;
    static constexpr qint16 NivelSupervisorPadrao = 9;
    // Bounds of a density that still lays the screens out (5 is 3 times, 60 a quarter of the
    // design's 15).
    static constexpr double TwipsPorPixelMinimo = 2;
    static constexpr double TwipsPorPixelMaximo = 60;

    DefinicoesEcra() = default;
    explicit DefinicoesEcra(const QString& ficheiro) : Ficheiro(ficheiro) {}

    // Reads the file named by Ficheiro. False, with a message naming the file, when it cannot be
    // read or a value is not valid: such a value is replaced (an unreadable "Confirmar Sair" by 1,
    // so that a terminal meant to be guarded is; the others by their defaults) and the rest is
    // still read.
    bool Ler(QString* erro = nullptr);
    bool Ler(LeitorConfiguracao& leitor, QString* erro = nullptr);

    QString Ficheiro;
    bool ConfirmarSair = false;
    qint16 NivelSupervisor = NivelSupervisorPadrao;
    double TwipsPorPixel = 0; // 0: automatic
};
