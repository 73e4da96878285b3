#pragma once

#include "platform/parallel.h"

#include <QByteArray>
#include <QChar>
#include <QtEndian>

// How the bytes of a file are cut into blocks, which are converted one at a time, and into two
// parts, which two threads convert at once.

// Blocks of a UTF-8 file end before an ASCII byte, which never belongs to a longer sequence,
// and never between the CR and LF of a pair; so each block decodes on its own exactly as it
// does within the whole file. Windows-1252, a byte a character, can be cut anywhere else, so
// the same blocks serve it.
#ifdef OMRIK_SMALL_BLOCKS
// The fuzzer's inputs are short; tiny blocks put block borders everywhere in them.
constexpr qsizetype Utf8Block = 5;
constexpr qsizetype TwoPartsFrom = 16;
#else
constexpr qsizetype Utf8Block = 64 * 1024;
// A file this large is checked and indexed by two threads, each taking one part of it.
constexpr qsizetype TwoPartsFrom = 4 * 1024 * 1024;
#endif

// The first block border at or after at, below limit.
qsizetype utf8Border(const char *bytes, qsizetype at, qsizetype limit);
qsizetype utf8BlockEnd(const char *bytes, qsizetype start, qsizetype limit);
// Where a UTF-8 or Windows-1252 file is cut in two parts: at a block border near its middle.
qsizetype utf8Seam(const char *bytes, qsizetype from, qsizetype to);

// Where count UTF-16 units, read with at(), are cut in two parts: near the middle, neither
// inside a surrogate pair nor between the CR and LF of a pair.
template<class At>
qsizetype utf16Seam(qsizetype count, At at)
{
    if (count < TwoPartsFrom / 2)
        return count;
    qsizetype seam = count / 2;
    while (seam < count
        && (QChar::isHighSurrogate(at(seam - 1)) || (at(seam - 1) == u'\r' && at(seam) == u'\n')))
        ++seam;
    return seam;
}

// The units of a UTF-16 file, after its byte-order mark, as the file has them.
struct Utf16Units
{
    explicit Utf16Units(const QByteArray &bytes);
    char16_t at(qsizetype index) const
    {
        return littleEndian ? qFromLittleEndian<char16_t>(bytes + 2 * index)
                            : qFromBigEndian<char16_t>(bytes + 2 * index);
    }
    qsizetype seam() const;

    const char *bytes;
    qsizetype count;
    bool littleEndian;
};

// Runs work(part, start, end) on the two parts of [from, to), which meet at seam, the later
// part on a thread of its own; what either throws is thrown here.
template<class Work>
void inTwoParts(qsizetype from, qsizetype seam, qsizetype to, Work work)
{
    if (seam == to) {
        work(0, from, to);
        work(1, to, to);
        return;
    }
    runBoth(
        [&] {
            work(0, from, seam);
        },
        [&] {
            work(1, seam, to);
        });
}
