#include "controls/Twips.h"

#include <QByteArray>

namespace {

// TERMINAL_TWIPS_POR_PIXEL as a number above 0, or 0.
double variavelAmbiente()
{
    bool ok = false;
    const double v = qEnvironmentVariable("TERMINAL_TWIPS_POR_PIXEL").toDouble(&ok);
    return ok && v > 0 ? v : 0;
}

double padrao()
{
    const double v = variavelAmbiente();
    return v > 0 ? v : Twips::PorPixelDesenho;
}

double& densidade()
{
    static double valor = padrao();
    return valor;
}

} // namespace

double Twips::PorPixel()
{
    return densidade();
}

void Twips::DefinirPorPixel(double twipsPorPixel)
{
    densidade() = twipsPorPixel > 0 ? twipsPorPixel : padrao();
}

double Twips::Automatico(const QSize& ecra)
{
    if (ecra.width() <= 0 || ecra.height() <= 0) return PorPixelDesenho;
    return qMax(LarguraDesenho / ecra.width(), AlturaDesenho / ecra.height());
}

double Twips::Escolher(double configurado, const QSize& ecra)
{
    const double ambiente = variavelAmbiente();
    if (ambiente > 0) return ambiente;
    return configurado > 0 ? configurado : Automatico(ecra);
}

int Twips::Px(double twips)
{
    return qRound(twips / PorPixel());
}

double Twips::DePx(int pixeis)
{
    return pixeis * PorPixel();
}
