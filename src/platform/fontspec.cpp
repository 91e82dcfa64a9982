#include "platform/fontspec.h"

FontSpec fontSpecOf(const QFont& font)
{
    FontSpec spec;
    spec.name = font.family();
    spec.size = font.pointSizeF();
    spec.bold = font.bold();
    spec.italic = font.italic();
    spec.underline = font.underline();
    spec.strikethru = font.strikeOut();
    return spec;
}

QFont fontWithSpec(QFont base, const FontSpec& spec)
{
    if (!spec.name.trimmed().isEmpty())
        base.setFamily(spec.name);
    if (spec.size > 0 && spec.size < 2000)
        base.setPointSizeF(spec.size);
    base.setBold(spec.bold);
    base.setItalic(spec.italic);
    base.setUnderline(spec.underline);
    base.setStrikeOut(spec.strikethru);
    return base;
}
