#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <algorithm>

// The loops that run over every byte of a large document, each with a plain scalar twin that
// gives the same result and serves as its reference. Which of them runs is decided once, by
// kernelLevel(); nothing else in the program looks at the processor.
namespace kernels {

// Whether every byte is below 0x80.
bool isAscii(const char *data, qsizetype length);
// Whether no byte lies in 0x80-0x9F, so every Windows-1252 byte means the Latin-1 character of
// the same value.
bool isLatin1In1252(const char *data, qsizetype length);
// Whether any of count UTF-16 units, stored in the given byte order, is a surrogate.
bool anySurrogate(const char *bytes, qsizetype count, bool littleEndian);

enum class LineEnd { CrLf, Lf, Cr };

// Told of every line end that differs from the usual one, with where its '\n' now stands.
class OddLineEnds
{
public:
    explicit OddLineEnds(LineEnd usual)
        : usual(usual)
    { }
    virtual ~OddLineEnds() = default;
    virtual void note(qsizetype out, LineEnd end) = 0;

    const LineEnd usual;
};

// Turns CR LF and lone CR in units [from, to) of data into '\n', moving the units down to out,
// and tells odd of each line end unlike its usual one; returns the new end. A CR LF pair never
// straddles `to`. Units are one byte (Latin-1) or two (UTF-16).
qsizetype compactLines(char *data, qsizetype from, qsizetype to, qsizetype out, OddLineEnds &odd);
qsizetype compactLines(
    char16_t *data, qsizetype from, qsizetype to, qsizetype out, OddLineEnds &odd);

// Writes Latin-1 text at out as UTF-8, with each '\n' turned into ending (one or two bytes);
// returns where the bytes end. out needs room for twice the text and sixteen bytes more.
char *latin1ToUtf8(const char *in, qsizetype length, QByteArrayView ending, char *out);

// A byte of a one-byte encoding that stands for no character.
constexpr char16_t NoCharacter = 0xFFFF;
// A character that no byte of a one-byte encoding stands for.
constexpr quint16 NoByte = 0x100;

// Writes the character table, a one-byte encoding's 256 entries, gives each byte at out; false
// where a byte has NoCharacter.
bool widenThroughTable(const char *in, qsizetype length, const char16_t *table, char16_t *out);
// Writes the byte table gives for each unit (65536 entries) at out; false where a unit has
// NoByte.
bool narrowThroughTable(const char16_t *in, qsizetype length, const quint16 *table, char *out);

// Where wanted (size bytes, at least one) first occurs in text[from, length), or -1.
qsizetype findBytes(
    const char *text, qsizetype length, qsizetype from, const char *wanted, qsizetype size);

// The lines of one-byte text as they are measured: their number, and the longest, which may
// have begun in earlier text. lineLength is that of the line before the text.
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

// Counts the line breaks of bytes[0, length) into lines and raises lines.longest to every line
// that ends there; what follows the last break is left to the caller.
void measureLines(const uchar *bytes, qint32 length, LineMeasure &lines);

// Scalar runs everywhere; Sse2 on every x86-64 processor; Avx2 where the processor has AVX2,
// POPCNT and the SSSE3 shuffles that came before them.
enum class KernelLevel { Scalar, Sse2, Avx2 };

// The best level this processor runs, lowered by OMRIK_KERNELS=scalar or sse2 in the
// environment so that the tests can run every path on any processor.
KernelLevel kernelLevel();
// For tests: runs the kernels at level from now on, or at the best level below it that this
// processor has. Returns the level now in force.
KernelLevel setKernelLevel(KernelLevel level);
KernelLevel bestKernelLevel();

} // namespace kernels
