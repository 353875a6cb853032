#include "controls/Fontes.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QStringList>

#include "controls/Twips.h"

namespace {
const QString& familiaTerminal()
{
    static const QString familia = [] {
        const QStringList familias = QFontDatabase::families();
        for (const QString& f : familias)
            if (f.compare(QLatin1String("Verdana"), Qt::CaseInsensitive) == 0) return f;
        return QStringLiteral("DejaVu Sans");
    }();
    return familia;
}

// Points of the design to points of the screen: a point is 20 twips, a twip 1 / PorPixel pixel,
// and the screen turns points into pixels at its logical dots per inch.
double escala()
{
    const QScreen* ecra = QGuiApplication::primaryScreen();
    const double dpi = ecra && ecra->logicalDotsPerInchY() > 0 ? ecra->logicalDotsPerInchY() : 96.0;
    return 1440.0 / (Twips::PorPixel() * dpi);
}
} // namespace

QFont FonteTerminal(double pontos, bool negrito)
{
    QFont f(familiaTerminal());
    f.setPointSizeF(pontos * escala());
    f.setBold(negrito);
    return f;
}

bool TextoCabe(const QFont& fonte, const QString& texto, const QRect& area, int flags)
{
    const QFontMetrics m(fonte);
    if (flags & Qt::TextWordWrap) {
        QString semMarca = texto;
        if (flags & Qt::TextShowMnemonic) semMarca.remove(QLatin1Char('&'));
        for (const QString& p : semMarca.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
            if (m.horizontalAdvance(p) > area.width()) return false;
        return m.boundingRect(area, flags, texto).height() <= area.height();
    }
    const QRect r =
        m.boundingRect(QRect(area.topLeft(), QSize(1 << 20, area.height())), flags & ~Qt::AlignRight, texto);
    return r.width() <= area.width() && m.height() <= area.height();
}

QFont FonteQueCabe(QFont fonte, const QString& texto, const QRect& area, int flags, double minimo)
{
    for (double pontos = fonte.pointSizeF(); pontos > minimo; pontos -= 0.5) {
        fonte.setPointSizeF(pontos);
        if (TextoCabe(fonte, texto, area, flags)) break;
    }
    return fonte;
}
