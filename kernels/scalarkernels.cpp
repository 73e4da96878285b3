#include "kernels/levelkernels.h"

#include <cstring>
#include <string_view>

namespace kernels::scalar {

bool isAscii(const char *data, qsizetype length)
{
    uchar any = 0;
    for (qsizetype i = 0; i < length; ++i)
        any |= uchar(data[i]);
    return any < 0x80;
}

bool isLatin1In1252(const char *data, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i) {
        if ((uchar(data[i]) & 0xE0) == 0x80)
            return false;
    }
    return true;
}

bool anySurrogate(const char *bytes, qsizetype count, bool littleEndian)
{
    const qsizetype high = littleEndian ? 1 : 0;
    for (qsizetype i = 0; i < count; ++i) {
        if ((uchar(bytes[2 * i + high]) & 0xF8) == 0xD8)
            return true;
    }
    return false;
}

template<class Unit>
qsizetype compactUnits(Unit *data, qsizetype at, qsizetype to, qsizetype out, OddLineEnds &odd)
{
    // Where LF is the usual line end, an LF stays as it is and needs no look.
    const bool lfIsOdd = odd.usual != LineEnd::Lf;
    while (at < to) {
        if (data[at] == Unit('\r') || (lfIsOdd && data[at] == Unit('\n')))
            at = compactLineEnd(data, at, to, out, odd);
        else
            data[out++] = data[at++];
    }
    return out;
}

qsizetype compactLines(char *data, qsizetype from, qsizetype to, qsizetype out, OddLineEnds &odd)
{
    return compactUnits(data, from, to, out, odd);
}

qsizetype compactLines(
    char16_t *data, qsizetype from, qsizetype to, qsizetype out, OddLineEnds &odd)
{
    return compactUnits(data, from, to, out, odd);
}

char *latin1ToUtf8(const char *in, qsizetype length, QByteArrayView ending, char *out)
{
    const bool lfStays = ending.size() == 1 && ending.front() == '\n';
    for (qsizetype at = 0; at < length; ++at) {
        const uchar unit = uchar(in[at]);
        if (unit == '\n' && !lfStays) {
            for (const char byte : ending)
                *out++ = byte;
        } else if (unit < 0x80) {
            *out++ = char(unit);
        } else {
            *out++ = char(0xC0 | (unit >> 6));
            *out++ = char(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

qsizetype findBytes(
    const char *text, qsizetype length, qsizetype from, const char *wanted, qsizetype size)
{
    if (size == 1) {
        const void *hit = std::memchr(text + from, wanted[0], std::size_t(length - from));
        return hit ? static_cast<const char *>(hit) - text : -1;
    }
    // The standard library's search looks at every place where the needle's first byte occurs,
    // which in text is often; the C library's memmem, where there is one, does better.
#ifdef __GLIBC__
    const void *hit = memmem(text + from, std::size_t(length - from), wanted, std::size_t(size));
    return hit ? static_cast<const char *>(hit) - text : -1;
#else
    const std::string_view haystack(text, std::size_t(length));
    const std::size_t found
        = haystack.find(std::string_view(wanted, std::size_t(size)), std::size_t(from));
    return found == std::string_view::npos ? -1 : qsizetype(found);
#endif
}

void measureLines(const uchar *bytes, qint32 length, qint32 from, LineMeasure &lines)
{
    for (qint32 at = from; at < length; ++at) {
        const void *hit = std::memchr(bytes + at, '\n', std::size_t(length - at));
        if (!hit)
            return;
        at = qint32(static_cast<const uchar *>(hit) - bytes);
        lines.lineEnds(at);
    }
}

} // namespace kernels::scalar
