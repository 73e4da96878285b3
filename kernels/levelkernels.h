#pragma once

#include "kernels/textkernels.h"

// The kernels of each level, for the dispatch in textkernels.cpp and the shared steps; nothing
// else calls them. Each level's kernel leaves what its wide steps cannot take to the level
// below, down to the scalar one, so each takes its start where it differs from zero.
#if defined(__GNUC__) && defined(__x86_64__)
#define OMRIK_X86_KERNELS 1
#endif

namespace kernels {

namespace scalar {
bool isAscii(const char *data, qsizetype length);
bool isLatin1In1252(const char *data, qsizetype length);
bool anySurrogate(const char *bytes, qsizetype count, bool littleEndian);
qsizetype compactLines(char *data, qsizetype from, qsizetype to, qsizetype out, OddLineEnds &odd);
qsizetype compactLines(
    char16_t *data, qsizetype from, qsizetype to, qsizetype out, OddLineEnds &odd);
char *latin1ToUtf8(const char *in, qsizetype length, QByteArrayView ending, char *out);
qsizetype findBytes(
    const char *text, qsizetype length, qsizetype from, const char *wanted, qsizetype size);
void measureLines(const uchar *bytes, qint32 length, qint32 from, LineMeasure &lines);
} // namespace scalar

#ifdef OMRIK_X86_KERNELS
namespace sse2 {
bool isAscii(const char *data, qsizetype length);
bool isLatin1In1252(const char *data, qsizetype length);
bool anySurrogate(const char *bytes, qsizetype count, bool littleEndian);
// pairsAtOnce: in text whose usual line end is CR LF, blocks of pairs go at once, by the AVX2
// level's shuffles.
qsizetype compactLines(
    char *data, qsizetype from, qsizetype to, qsizetype out, OddLineEnds &odd, bool pairsAtOnce);
qsizetype compactLines(
    char16_t *data, qsizetype from, qsizetype to, qsizetype out, OddLineEnds &odd);
char *latin1ToUtf8(const char *in, qsizetype length, QByteArrayView ending, char *out);
qsizetype findBytes(
    const char *text, qsizetype length, qsizetype from, const char *wanted, qsizetype size);
void measureLines(const uchar *bytes, qint32 length, qint32 from, LineMeasure &lines);
} // namespace sse2

namespace avx2 {
bool supported();
// Each goes on from at while its wide step fits and leaves at where it stopped.
qsizetype dropPairedCrs(char *data, qsizetype &at, qsizetype to, qsizetype out);
qsizetype findBytes(
    const char *text, qsizetype length, qsizetype &at, const char *wanted, qsizetype size);
void measureLines(const uchar *bytes, qint32 length, qint32 &at, LineMeasure &lines);
} // namespace avx2
#endif

// One line end at data[at], a CR or an LF, becomes '\n' at out; returns where the text goes on.
template<class Unit>
qsizetype compactLineEnd(Unit *data, qsizetype at, qsizetype to, qsizetype &out, OddLineEnds &odd)
{
    const bool pair = data[at] == Unit('\r') && at + 1 < to && data[at + 1] == Unit('\n');
    const LineEnd end = pair ? LineEnd::CrLf : data[at] == Unit('\r') ? LineEnd::Cr : LineEnd::Lf;
    if (end != odd.usual)
        odd.note(out, end);
    data[out++] = Unit('\n');
    return at + (pair ? 2 : 1);
}

} // namespace kernels
