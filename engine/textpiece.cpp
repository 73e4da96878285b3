#include "engine/textpiece.h"
#include "engine/wideunits.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace {

// The lines of a piece as they are measured: their number, and the longest, which may have begun
// in an earlier piece.
struct LineMeasure
{
    qsizetype &lineLength;
    qsizetype &longest;
    qint32 count = 0;
    qint32 lineStart = 0;

    void lineEnds(qint32 at)
    {
        longest = std::max(longest, lineLength + at - lineStart);
        lineLength = 0;
        lineStart = at + 1;
        ++count;
    }
};

#ifdef OMRIK_WIDE_UNITS
// Measures the lines in bytes[i, length), 64 bytes at a time while a whole block fits, and leaves
// i where it stopped: loading a file of gigabytes measures every line of it. A line that begins
// and ends inside one block is shorter than 64, so once a line that long has been seen, the
// block's other lines are only counted.
__attribute__((target("avx2,popcnt"))) void measureBlocks64(
    const uchar *bytes, qint32 length, qint32 &i, LineMeasure &lines)
{
    const __m256i newline = _mm256_set1_epi8('\n');
    for (; i + 64 <= length; i += 64) {
        const auto *const block = reinterpret_cast<const __m256i *>(bytes + i);
        quint64 mask
            = quint32(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_loadu_si256(block), newline)))
            | quint64(quint32(
                  _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_loadu_si256(block + 1), newline))))
                << 32;
        if (mask == 0)
            continue;
        lines.lineEnds(i + qint32(__builtin_ctzll(mask)));
        mask &= mask - 1;
        if (lines.longest < 64) {
            for (; mask != 0; mask &= mask - 1)
                lines.lineEnds(i + qint32(__builtin_ctzll(mask)));
        } else if (mask != 0) {
            lines.count += __builtin_popcountll(mask);
            lines.lineStart = i + 64 - qint32(__builtin_clzll(mask));
        }
    }
}

#endif

} // namespace

qint32 TextPiece::measureLines(qsizetype &lineLength, qsizetype &longest) const
{
    LineMeasure lines { lineLength, longest };
    const auto lineEnds = [&lines](qint32 at) {
        lines.lineEnds(at);
    };
    qint32 i = 0;
    if (wide) {
        for (; i < length; ++i) {
            if (units()[i] == u'\n')
                lineEnds(i);
        }
    } else {
#ifdef OMRIK_WIDE_UNITS
        if (hasWideUnits())
            measureBlocks64(bytes(), length, i, lines);
#endif
#if defined(__SSE2__)
        // Sixteen bytes at a time: documents of short lines have a break every few dozen
        // bytes, too often for a call to memchr each.
        const __m128i newline = _mm_set1_epi8('\n');
        for (; i + 16 <= length; i += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes() + i));
            for (unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, newline)));
                 mask != 0;
                 mask &= mask - 1)
                lineEnds(i + qint32(__builtin_ctz(mask)));
        }
#endif
        for (qint32 at; (at = findNewline(i, length, 1)) >= 0; i = at + 1)
            lineEnds(at);
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
