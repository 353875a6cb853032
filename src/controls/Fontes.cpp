#include "controls/Fontes.h"

#include <QFontDatabase>
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
} // namespace

QFont FonteTerminal(double pontos, bool negrito)
{
    QFont f(familiaTerminal());
    f.setPointSizeF(pontos);
    f.setBold(negrito);
    return f;
}

QFont FonteEscalada(double pontos, bool negrito)
{
    QFont f = FonteTerminal(pontos, negrito);
    f.setPixelSize(qMax(1, Twips::Px(pontos * 20)));
    return f;
}
