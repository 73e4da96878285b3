#include "platform/controlfont.h"

QFont ControlFont::toQFont() const
{
    QFont font;
    if (!name.isEmpty())
        font.setFamilies(QStringList { name });
    if (size > 0)
        font.setPointSizeF(size);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikethrough);
    return font;
}

bool ControlFont::operator==(const ControlFont &other) const
{
    return name == other.name && size == other.size && bold == other.bold && italic == other.italic
        && underline == other.underline && strikethrough == other.strikethrough;
}
