#pragma once

#include "core/state/senderprofile.h"

#include <QString>

// The sender the envelope tests print: Jean Dupont, 12 rue des Roses, 75011 Paris, with
// `country` as the fifth line, in `font` at `size` points and `colour` (red + 256 green +
// 65536 blue); the other fields as `base` has them.
inline SenderProfile jeanDupont(SenderProfile base, const QString& font, double size, double colour,
                                const QString& country = QString())
{
    base.Ligne1 = QStringLiteral("Jean Dupont");
    base.Ligne2 = QStringLiteral("12 rue des Roses");
    base.Ligne4 = QStringLiteral("75011 Paris");
    base.Ligne5 = country;
    base.FontName = font;
    base.FontSize = size;
    base.TextColor = colour;
    return base;
}
