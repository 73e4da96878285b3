#include "engine/textpiece.h"
#include "kernels/textkernels.h"

#include <algorithm>
#include <cstring>

QChar TextPiece::at(qint32 offset) const
{
    return wide ? QChar(units()[offset]) : QChar(bytes()[offset]);
}

qint32 TextPiece::findNewline(qint32 from, qint32 to, qsizetype k) const
{
    if (wide) {
        for (qint32 i = from; i < to; ++i) {
            if (units()[i] == u'\n' && --k == 0)
                return i;
        }
        return -1;
    }
    for (qint32 i = from; i < to; ++i) {
        const void *hit = std::memchr(bytes() + i, '\n', std::size_t(to - i));
        if (!hit)
            return -1;
        i = qint32(static_cast<const uchar *>(hit) - bytes());
        if (--k == 0)
            return i;
    }
    return -1;
}

qint32 TextPiece::countNewlines(qint32 from, qint32 to) const
{
    if (wide)
        return qint32(std::count(units() + from, units() + to, u'\n'));
    qint32 count = 0;
    for (qint32 at = from; (at = findNewline(at, to, 1)) >= 0; ++at)
        ++count;
    return count;
}

qint32 TextPiece::measureLines(qsizetype &lineLength, qsizetype &longest) const
{
    kernels::LineMeasure lines { lineLength, longest };
    if (wide) {
        for (qint32 i = 0; i < length; ++i) {
            if (units()[i] == u'\n')
                lines.lineEnds(i);
        }
    } else {
        kernels::measureLines(bytes(), length, lines);
    }
    lineLength += length - lines.lineStart;
    longest = std::max(longest, lineLength);
    return lines.count;
}

TextPiece TextPiece::slice(qint32 from, qint32 to) const
{
    TextPiece part = *this;
    part.data = wide ? static_cast<const void *>(units() + from)
                     : static_cast<const void *>(bytes() + from);
    part.length = to - from;
    // Only the smaller side is counted: slicing whole pieces, as copying a selection of all
    // the text does, then reads none of it.
    if (part.length > length / 2)
        part.newlines = newlines - countNewlines(0, from) - countNewlines(to, length);
    else
        part.newlines = countNewlines(from, to);
    return part;
}

void TextPiece::copyUnits(qint32 from, qint32 to, QChar *out) const
{
    if (wide) {
        std::memcpy(static_cast<void *>(out), units() + from, std::size_t(to - from) * 2);
        return;
    }
    char16_t *write = reinterpret_cast<char16_t *>(out);
    std::copy(bytes() + from, bytes() + to, write);
}

bool TextPiece::adjoins(const TextPiece &next) const
{
    const char *end = static_cast<const char *>(data) + qsizetype(length) * (wide ? 2 : 1);
    return wide == next.wide && end == next.data;
}
