#include "kernels/levelkernels.h"

#ifdef OMRIK_X86_KERNELS
#include <immintrin.h>

#include <cstring>

namespace kernels::sse2 {

namespace {

__m128i load(const void *at)
{
    return _mm_loadu_si128(static_cast<const __m128i *>(at));
}

void store(void *at, __m128i bytes)
{
    _mm_storeu_si128(static_cast<__m128i *>(at), bytes);
}

unsigned maskOf(__m128i bytes)
{
    return unsigned(_mm_movemask_epi8(bytes));
}

} // namespace

bool isAscii(const char *data, qsizetype length)
{
    __m128i any = _mm_setzero_si128();
    qsizetype i = 0;
    for (; i + 16 <= length; i += 16)
        any = _mm_or_si128(any, load(data + i));
    return maskOf(any) == 0 && scalar::isAscii(data + i, length - i);
}

bool isLatin1In1252(const char *data, qsizetype length)
{
    const __m128i topBits = _mm_set1_epi8(char(0xE0));
    const __m128i control = _mm_set1_epi8(char(0x80));
    __m128i any = _mm_setzero_si128();
    qsizetype i = 0;
    for (; i + 16 <= length; i += 16)
        any = _mm_or_si128(any, _mm_cmpeq_epi8(_mm_and_si128(load(data + i), topBits), control));
    return maskOf(any) == 0 && scalar::isLatin1In1252(data + i, length - i);
}

bool anySurrogate(const char *bytes, qsizetype count, bool littleEndian)
{
    const __m128i topBits = _mm_set1_epi8(char(0xF8));
    const __m128i surrogate = _mm_set1_epi8(char(0xD8));
    // Only the high byte of each unit tells.
    const unsigned highBytes = littleEndian ? 0xAAAA : 0x5555;
    unsigned any = 0;
    qsizetype i = 0;
    for (; i + 8 <= count; i += 8)
        any |= maskOf(_mm_cmpeq_epi8(_mm_and_si128(load(bytes + 2 * i), topBits), surrogate));
    return (any & highBytes) != 0 || scalar::anySurrogate(bytes + 2 * i, count - i, littleEndian);
}

namespace {

// Looked at sixteen bytes at a time: most lines are a few dozen characters, too short for calls
// to find and move each to pay.
template<class Unit>
qsizetype compactUnits(Unit *data,
    qsizetype at,
    qsizetype to,
    qsizetype out,
    OddLineEnds &odd,
    [[maybe_unused]] bool pairsAtOnce)
{
    static_assert(sizeof(Unit) == 1 || sizeof(Unit) == 2);
    constexpr qsizetype Units = 16 / sizeof(Unit);
    const auto same = [](__m128i a, __m128i b) {
        if constexpr (sizeof(Unit) == 1)
            return _mm_cmpeq_epi8(a, b);
        else
            return _mm_cmpeq_epi16(a, b);
    };
    const auto all = [](char16_t unit) {
        if constexpr (sizeof(Unit) == 1)
            return _mm_set1_epi8(char(unit));
        else
            return _mm_set1_epi16(short(unit));
    };
    const __m128i cr = all(u'\r');
    // Where LF is the usual line end, an LF stays as it is and needs no look.
    const __m128i lf = odd.usual != LineEnd::Lf ? all(u'\n') : cr;
    while (at + Units <= to) {
        if constexpr (sizeof(Unit) == 1) {
            if (pairsAtOnce) {
                out = avx2::dropPairedCrs(data, at, to, out);
                if (at + Units > to)
                    break;
            }
        }
        const __m128i block = load(data + at);
        const unsigned ends = maskOf(_mm_or_si128(same(block, cr), same(block, lf)));
        if (ends == 0) {
            // out never passes at, so the units stored cover none not yet loaded.
            if (out != at)
                store(data + out, block);
            at += Units;
            out += Units;
            continue;
        }
        const qsizetype before = __builtin_ctz(ends) / qsizetype(sizeof(Unit));
        // Once a block's worth of line ends has gone, the whole block can be stored: what it
        // writes past the units kept lies below any unit not yet read. Before that, only those.
        if (at - out >= Units)
            store(data + out, block);
        else if (out != at)
            std::memmove(data + out, data + at, std::size_t(before) * sizeof(Unit));
        at += before;
        out += before;
        at = compactLineEnd(data, at, to, out, odd);
    }
    return scalar::compactLines(data, at, to, out, odd);
}

} // namespace

qsizetype compactLines(
    char *data, qsizetype from, qsizetype to, qsizetype out, OddLineEnds &odd, bool pairsAtOnce)
{
    return compactUnits(data, from, to, out, odd, pairsAtOnce);
}

qsizetype compactLines(
    char16_t *data, qsizetype from, qsizetype to, qsizetype out, OddLineEnds &odd)
{
    return compactUnits(data, from, to, out, odd, false);
}

// Most of a text is ASCII in lines a few dozen characters long, so it is looked at sixteen
// bytes at a time and stored a block at once up to the next byte that changes.
char *latin1ToUtf8(const char *in, qsizetype length, QByteArrayView ending, char *out)
{
    const bool lfStays = ending.size() == 1 && ending.front() == '\n';
    const bool crlf = ending == QByteArrayView("\r\n");
    const auto convert = [&](uchar unit) {
        if (unit == '\n') {
            *out++ = ending.front();
            if (ending.size() == 2)
                *out++ = ending.back();
        } else {
            *out++ = char(0xC0 | (unit >> 6));
            *out++ = char(0x80 | (unit & 0x3F));
        }
    };
    const __m128i lf = _mm_set1_epi8('\n');
    qsizetype at = 0;
    while (at + 16 <= length) {
        const __m128i block = load(in + at);
        const unsigned wide = maskOf(block);
        const unsigned ends = lfStays ? 0 : maskOf(_mm_cmpeq_epi8(block, lf));
        store(out, block);
        if (crlf && ((ends & (ends - 1)) | wide) == 0 && at + 32 <= length) {
            // A block of ASCII with at most one line break, as nearly every block of a text
            // is, is written without a jump that depends on where the break falls: with lines
            // of random lengths such a jump is mispredicted once a line, and that cost more
            // than the rest of the conversion. What follows the break is stored again one
            // byte on, from the '\n' on; bytes stored past the block are written over by the
            // next one.
            const int kept = __builtin_ctz(ends | 0x10000);
            store(out + kept + 1, load(in + at + kept));
            out[kept] = '\r';
            at += 16;
            out += 16 + (ends != 0);
            continue;
        }
        if ((wide | ends) == 0) {
            at += 16;
            out += 16;
            continue;
        }
        const int kept = __builtin_ctz(wide | ends);
        at += kept + 1;
        out += kept;
        convert(uchar(in[at - 1]));
    }
    return scalar::latin1ToUtf8(in + at, length - at, ending, out);
}

// Sixteen places are tried at once by the needle's first and last bytes, and only where both
// match is the rest compared: over prose that takes a third less time than the C library's
// memmem.
qsizetype findBytes(
    const char *text, qsizetype length, qsizetype from, const char *wanted, qsizetype size)
{
    qsizetype at = from;
    if (size > 1) {
        const __m128i first = _mm_set1_epi8(wanted[0]);
        const __m128i last = _mm_set1_epi8(wanted[size - 1]);
        for (; at + 16 + size - 1 <= length; at += 16) {
            const __m128i both = _mm_and_si128(_mm_cmpeq_epi8(load(text + at), first),
                _mm_cmpeq_epi8(load(text + at + size - 1), last));
            for (unsigned mask = maskOf(both); mask != 0; mask &= mask - 1) {
                const qsizetype candidate = at + __builtin_ctz(mask);
                if (std::memcmp(text + candidate + 1, wanted + 1, std::size_t(size - 2)) == 0)
                    return candidate;
            }
        }
    }
    return scalar::findBytes(text, length, at, wanted, size);
}

// Sixteen bytes at a time: documents of short lines have a break every few dozen bytes, too
// often for a call to memchr each.
void measureLines(const uchar *bytes, qint32 length, qint32 from, LineMeasure &lines)
{
    const __m128i newline = _mm_set1_epi8('\n');
    qint32 i = from;
    for (; i + 16 <= length; i += 16) {
        for (unsigned mask = maskOf(_mm_cmpeq_epi8(load(bytes + i), newline)); mask != 0;
             mask &= mask - 1)
            lines.lineEnds(i + qint32(__builtin_ctz(mask)));
    }
    scalar::measureLines(bytes, length, i, lines);
}

} // namespace kernels::sse2
#endif
