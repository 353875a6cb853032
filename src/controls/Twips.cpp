#include "controls/Twips.h"

#include <QByteArray>

double Twips::PorPixel()
{
    static const double valor = [] {
        bool ok = false;
        const double v = qEnvironmentVariable("TERMINAL_TWIPS_POR_PIXEL").toDouble(&ok);
        return ok && v > 0 ? v : 15.0;
    }();
    return valor;
}

int Twips::Px(double twips)
{
    return qRound(twips / PorPixel());
}

double Twips::DePx(int pixeis)
{
    return pixeis * PorPixel();
}
