#include "core/documentfile.h"

#include "core/windows1252.h"
#include "engine/wideunits.h"
#include "platform/largememory.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QSysInfo>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <limits>
#include <optional>
#include <system_error>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF", 3);
const QByteArray Utf16LeBom("\xFF\xFE", 2);
const QByteArray Utf16BeBom("\xFE\xFF", 2);

// Stateless so a truncated sequence at the end counts as an error; a second byte-order mark
// after ours is text and must be kept, not swallowed.
constexpr auto StrictFlags
    = QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

std::optional<QString> decodeStrictly(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, StrictFlags);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Qt's converter for an 8-bit system code page (Windows) does not report characters it had
// to replace, so a round trip tells instead. Qt takes the system encoding of every other
// system to be UTF-8, which reports them itself.
bool systemIsUtf8()
{
#ifdef Q_OS_WIN
    return false;
#else
    return true;
#endif
}

std::optional<QByteArray> encodeStrictly(QStringConverter::Encoding encoding, const QString &text);

std::optional<QString> decodeSystem(const QByteArray &bytes)
{
    std::optional<QString> text = decodeStrictly(QStringConverter::System, bytes);
    if (text && !systemIsUtf8() && encodeStrictly(QStringConverter::System, *text) != bytes)
        return std::nullopt;
    return text;
}

std::optional<QByteArray> encodeSystem(const QString &text)
{
    std::optional<QByteArray> bytes = encodeStrictly(QStringConverter::System, text);
    if (bytes && !systemIsUtf8() && decodeStrictly(QStringConverter::System, *bytes) != text)
        return std::nullopt;
    return bytes;
}

// The kind of the first line end, in decoded text or in the bytes of a one-byte file; a text
// without one is written with CR LF.
template<class View, class Unit>
LineEnding firstLineEnding(View text, Unit cr, Unit lf)
{
    const qsizetype lfAt = text.indexOf(lf);
    const qsizetype crAt = text.first(lfAt < 0 ? text.size() : lfAt).indexOf(cr);
    if (crAt >= 0)
        return crAt + 1 == lfAt ? LineEnding::CrLf : LineEnding::Cr;
    return lfAt >= 0 ? LineEnding::Lf : LineEnding::CrLf;
}

Failure unencodable()
{
    return { FailureNumber::UnencodableText,
        QStringLiteral("The text holds characters that this file's encoding cannot store; "
                       "the file was not changed") };
}

std::optional<QByteArray> encodeStrictly(QStringConverter::Encoding encoding, const QString &text)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

QByteArray byteOrderMark(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return Utf8Bom;
    case TextEncoding::Utf16LeBom:
        return Utf16LeBom;
    case TextEncoding::Utf16BeBom:
        return Utf16BeBom;
    case TextEncoding::System:
    case TextEncoding::Windows1252:
        break;
    }
    return QByteArray();
}

// The characters without the byte-order mark. Each of these encodes a character at a time,
// so a text can be encoded in parts as long as no part splits a surrogate pair.
std::optional<QByteArray> encodeCharacters(const QString &text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::System:
        return encodeSystem(text);
    case TextEncoding::Utf8Bom:
        return encodeStrictly(QStringConverter::Utf8, text);
    case TextEncoding::Utf16LeBom:
        return encodeStrictly(QStringConverter::Utf16LE, text);
    case TextEncoding::Utf16BeBom:
        return encodeStrictly(QStringConverter::Utf16BE, text);
    case TextEncoding::Windows1252:
        return encodeWindows1252(text);
    }
    return std::nullopt;
}

// Blocks of a UTF-8 file end before an ASCII byte, which never belongs to a longer sequence,
// and never between the CR and LF of a pair; so each block decodes on its own exactly as it
// does within the whole file. Windows-1252, a byte a character, can be cut anywhere else, so
// the same blocks serve it.
#ifdef OMRIK_SMALL_BLOCKS
// The fuzzer's inputs are short; tiny blocks put block borders everywhere in them.
constexpr qsizetype Utf8Block = 5;
#else
constexpr qsizetype Utf8Block = 64 * 1024;
#endif

// The first block border at or after at, below limit.
qsizetype utf8Border(const char *bytes, qsizetype at, qsizetype limit)
{
    while (at < limit && (uchar(bytes[at]) >= 0x80 || (bytes[at] == '\n' && bytes[at - 1] == '\r')))
        ++at;
    return at;
}

qsizetype utf8BlockEnd(const char *bytes, qsizetype start, qsizetype limit)
{
    return utf8Border(bytes, std::min(limit, start + Utf8Block), limit);
}

// A file this large is checked and indexed by two threads, each taking one part of it.
#ifdef OMRIK_SMALL_BLOCKS
constexpr qsizetype TwoPartsFrom = 16;
#else
constexpr qsizetype TwoPartsFrom = 4 * 1024 * 1024;
#endif

// Where a UTF-8 or Windows-1252 file is cut in two parts: at a block border near its middle.
qsizetype utf8Seam(const char *bytes, qsizetype from, qsizetype to)
{
    return to - from < TwoPartsFrom ? to : utf8Border(bytes, from + (to - from) / 2, to);
}

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
    std::exception_ptr thrown;
    std::thread second;
    try {
        second = std::thread([&] {
            try {
                work(1, seam, to);
            } catch (...) {
                thrown = std::current_exception();
            }
        });
    } catch (const std::system_error &) {
        work(1, seam, to);
    }
    try {
        work(0, from, seam);
    } catch (...) {
        if (second.joinable())
            second.join();
        throw;
    }
    if (second.joinable())
        second.join();
    if (thrown)
        std::rethrow_exception(thrown);
}

bool isAscii(const char *data, qsizetype length)
{
    quint64 any = 0;
    qsizetype i = 0;
    for (; i + 8 <= length; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, sizeof word);
        any |= word;
    }
    for (; i < length; ++i)
        any |= uchar(data[i]);
    return (any & 0x8080808080808080ULL) == 0;
}

bool isValidUtf8(const QByteArray &bytes, qsizetype from)
{
    std::atomic<bool> valid { true };
    const qsizetype seam = utf8Seam(bytes.constData(), from, bytes.size());
    inTwoParts(from, seam, bytes.size(), [&](int, qsizetype partStart, qsizetype to) {
        for (qsizetype start = partStart, end; start < to && valid; start = end) {
            end = utf8BlockEnd(bytes.constData(), start, to);
            const QByteArrayView block(bytes.constData() + start, end - start);
            if (!isAscii(block.data(), block.size())
                && !decodeStrictly(QStringConverter::Utf8, block))
                valid = false;
        }
    });
    return valid;
}

bool isUtf8(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8Bom
        || (encoding == TextEncoding::System && systemIsUtf8());
}

struct Characters
{
    TextEncoding encoding = TextEncoding::System;
    // The decoded text, byte-order mark left out; none for UTF-8, UTF-16 and Windows-1252,
    // which are converted where they were read.
    QString text;
};

// How a file's bytes are read, decided in this one place: by a byte-order mark when what
// follows it is valid in that encoding, else in the system code page when every byte is valid
// there, else as Windows-1252, which takes any bytes.
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
    explicit Utf16Units(const QByteArray &bytes)
        : bytes(bytes.constData() + 2)
        , count((bytes.size() - 2) / 2)
        , littleEndian(bytes.startsWith(Utf16LeBom))
    { }
    char16_t at(qsizetype index) const
    {
        return littleEndian ? qFromLittleEndian<char16_t>(bytes + 2 * index)
                            : qFromBigEndian<char16_t>(bytes + 2 * index);
    }
    qsizetype seam() const
    {
        return utf16Seam(count, [this](qsizetype index) {
            return at(index);
        });
    }

    const char *bytes;
    qsizetype count;
    bool littleEndian;
};

// Whether units [from, to) pair every surrogate. Most text has none, which is looked at first.
bool pairsSurrogates(const Utf16Units &units, qsizetype from, qsizetype to)
{
    bool high = false;
    for (qsizetype start = from; start < to; start += 4096) {
        const qsizetype end = std::min(to, start + 4096);
        bool any = false;
        for (qsizetype i = start; i < end; ++i)
            any |= (units.at(i) & 0xF800) == 0xD800;
        if (!any && !high)
            continue;
        for (qsizetype i = start; i < end; ++i) {
            const char16_t unit = units.at(i);
            if (high != QChar::isLowSurrogate(unit))
                return false;
            high = QChar::isHighSurrogate(unit);
        }
    }
    return !high;
}

// A UTF-16 byte-order mark with valid UTF-16 after it.
bool isUtf16(const QByteArray &bytes)
{
    if (!(bytes.startsWith(Utf16LeBom) || bytes.startsWith(Utf16BeBom)) || bytes.size() % 2 != 0)
        return false;
    const Utf16Units units(bytes);
    std::atomic<bool> valid { true };
    inTwoParts(0, units.seam(), units.count, [&](int, qsizetype from, qsizetype to) {
        if (!pairsSurrogates(units, from, to))
            valid = false;
    });
    return valid;
}

Characters readCharacters(const QByteArray &bytes)
{
    if (bytes.startsWith(Utf8Bom) && isValidUtf8(bytes, Utf8Bom.size()))
        return { TextEncoding::Utf8Bom, QString() };
    if (isUtf16(bytes))
        return { bytes.startsWith(Utf16LeBom) ? TextEncoding::Utf16LeBom : TextEncoding::Utf16BeBom,
            QString() };
    if (systemIsUtf8() && isValidUtf8(bytes, 0))
        return { TextEncoding::System, QString() };
    if (!systemIsUtf8()) {
        if (std::optional<QString> text = decodeSystem(bytes))
            return { TextEncoding::System, *text };
    }
    return { TextEncoding::Windows1252, QString() };
}

// Windows-1252 text that starts like a UTF-16 byte-order mark can, once its line endings are
// made uniform, form valid UTF-16 and would then open as different text.
bool readsBackAs(const QByteArray &bytes, const DocumentFormat &format)
{
    const bool utf16 = format.encoding == TextEncoding::Utf16LeBom
        || format.encoding == TextEncoding::Utf16BeBom;
    if (utf16 || !(bytes.startsWith(Utf16LeBom) || bytes.startsWith(Utf16BeBom)))
        return true;
    return !isUtf16(bytes);
}

Failure ambiguous()
{
    return { FailureNumber::AmbiguousEncoding,
        QStringLiteral(
            "This text would read back as UTF-16 after saving; the file was not changed. "
            "Copy the text into a new document to save it") };
}

// What the mark of a line break says about the bytes it was read from. A break without one
// is written with the document's line ending: most files have no other, and every break typed
// or pasted gets that one.
enum class ReadEnding : TextStorage::BreakMark { Usual, CrLf, Lf, Cr, Nothing };

ReadEnding readEnding(LineEnding ending)
{
    switch (ending) {
    case LineEnding::Lf:
        return ReadEnding::Lf;
    case LineEnding::Cr:
        return ReadEnding::Cr;
    case LineEnding::CrLf:
        break;
    }
    return ReadEnding::CrLf;
}

// Marks each line end that differs from the document's own one, so that it is written back
// as it was read.
class LineEndMarks
{
public:
    LineEndMarks(TextStorage::Builder &builder, LineEnding usual)
        : m_builder(builder)
        , m_usual(usual)
    { }

    LineEnding usual() const { return m_usual; }

    void note(qsizetype position, LineEnding ending)
    {
        if (ending != m_usual)
            m_builder.markBreak(position, TextStorage::BreakMark(readEnding(ending)));
    }

    // A last line read is followed by a line break like every other; a file that had no
    // line end there gets none when it is written.
    void endLastLine()
    {
        if (m_builder.isEmpty() || m_builder.lastUnit() == QLatin1Char('\n'))
            return;
        const qsizetype length = m_builder.length();
        m_builder.appendText(u"\n");
        m_builder.markBreak(length, TextStorage::BreakMark(ReadEnding::Nothing));
    }

private:
    TextStorage::Builder &m_builder;
    const LineEnding m_usual;
};

char16_t *units(QString &text)
{
    return reinterpret_cast<char16_t *>(text.data());
}

// One line end at data[at], which is a CR or an LF, becomes '\n' at out; returns where the
// text goes on.
template<class Unit>
qsizetype compactLineEnd(
    Unit *data, qsizetype at, qsizetype to, qsizetype &out, LineEndMarks &marks, qsizetype shift)
{
    const bool pair = data[at] == Unit('\r') && at + 1 < to && data[at + 1] == Unit('\n');
    marks.note(out + shift,
        pair                         ? LineEnding::CrLf
            : data[at] == Unit('\r') ? LineEnding::Cr
                                     : LineEnding::Lf);
    data[out++] = Unit('\n');
    return at + (pair ? 2 : 1);
}

#ifdef OMRIK_WIDE_UNITS
// For each set of bytes to drop from eight, the shuffle that closes up the ones kept.
struct DropShuffles
{
    quint64 of[256] = {};
};

constexpr DropShuffles makeDropShuffles()
{
    DropShuffles table;
    for (unsigned drop = 0; drop < 256; ++drop) {
        unsigned kept = 0;
        for (unsigned i = 0; i < 8; ++i) {
            if (!(drop >> i & 1))
                table.of[drop] |= quint64(i) << (8 * kept++);
        }
    }
    return table;
}

constexpr DropShuffles dropShuffles = makeDropShuffles();

// In a text whose usual line end is CR LF, the blocks of sixteen bytes in which every CR begins
// a CR LF pair and every LF ends one lose their CRs at once, by a shuffle of each half, instead
// of line by line: most lines of such a file are that. Goes on from at while the blocks are
// like that and returns the new out; the rest, and any block of other ends, is left to the
// look at each line end.
__attribute__((target("ssse3,popcnt"))) qsizetype dropPairedCrs(
    char *data, qsizetype &at, qsizetype to, qsizetype out)
{
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (at + 16 <= to) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at));
        const unsigned crs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, cr)));
        const unsigned lfs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf)));
        // A CR last in the block may begin a pair that the next block ends.
        if (lfs != ((crs << 1) & 0xffff) || (crs & 0x8000) != 0)
            break;
        // out never passes at, and the block is loaded, so the stores cover nothing unread.
        const auto store = [data](qsizetype where, __m128i bytes) {
            std::memcpy(data + where, &bytes, 8);
        };
        const __m128i low
            = _mm_shuffle_epi8(block, _mm_set1_epi64x(qint64(dropShuffles.of[crs & 0xff])));
        const __m128i high = _mm_shuffle_epi8(
            _mm_srli_si128(block, 8), _mm_set1_epi64x(qint64(dropShuffles.of[crs >> 8])));
        store(out, low);
        out += 8 - __builtin_popcount(crs & 0xff);
        store(out, high);
        out += 8 - __builtin_popcount(crs >> 8);
        at += 16;
    }
    return out;
}
#endif

// Turns CR LF and lone CR into '\n', moving the units of [from, to) down to out, and marks the
// line ends unlike the usual one; the unit at offset k of data is at position k + shift of the
// text. Returns the new end. A CR LF pair never straddles `to`. Units are one byte (Latin-1)
// or two (UTF-16), looked at sixteen bytes at a time: most lines are a few dozen characters,
// too short for calls to find and move each to pay.
template<class Unit>
qsizetype compactLines(
    Unit *data, qsizetype from, qsizetype to, qsizetype out, LineEndMarks &marks, qsizetype shift)
{
    static_assert(sizeof(Unit) == 1 || sizeof(Unit) == 2);
    // Where LF is the usual line end, an LF stays as it is and needs no look.
    const bool lfIsOdd = marks.usual() != LineEnding::Lf;
    qsizetype at = from;
#if defined(__SSE2__)
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
    const __m128i lf = lfIsOdd ? all(u'\n') : cr;
#ifdef OMRIK_WIDE_UNITS
    // Every processor with AVX2 has the shuffles too.
    const bool pairsAtOnce
        = sizeof(Unit) == 1 && marks.usual() == LineEnding::CrLf && hasWideUnits();
#endif
    while (at + Units <= to) {
#ifdef OMRIK_WIDE_UNITS
        if constexpr (sizeof(Unit) == 1) {
            if (pairsAtOnce) {
                out = dropPairedCrs(data, at, to, out);
                if (at + Units > to)
                    break;
            }
        }
#endif
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at));
        const unsigned ends
            = unsigned(_mm_movemask_epi8(_mm_or_si128(same(block, cr), same(block, lf))));
        if (ends == 0) {
            // out never passes at, so the units stored cover none not yet loaded.
            if (out != at)
                _mm_storeu_si128(reinterpret_cast<__m128i *>(data + out), block);
            at += Units;
            out += Units;
            continue;
        }
        const qsizetype before = __builtin_ctz(ends) / qsizetype(sizeof(Unit));
        // Once a block's worth of line ends has gone, the whole block can be stored: what it
        // writes past the units kept lies below any unit not yet read. Before that, only those.
        if (at - out >= Units)
            _mm_storeu_si128(reinterpret_cast<__m128i *>(data + out), block);
        else if (out != at)
            std::memmove(data + out, data + at, std::size_t(before) * sizeof(Unit));
        at += before;
        out += before;
        at = compactLineEnd(data, at, to, out, marks, shift);
    }
#endif
    while (at < to) {
        if (data[at] == Unit('\r') || (lfIsOdd && data[at] == Unit('\n')))
            at = compactLineEnd(data, at, to, out, marks, shift);
        else
            data[out++] = data[at++];
    }
    return out;
}

// Converts one part of a file inside the bytes it was read into, from the part's start on:
// Latin-1 runs stay one byte a character where they are, so a large file is never held twice.
TextStorage::Builder loadPartInPlace(
    char *data, qsizetype from, qsizetype to, LineEnding usual, bool utf8, Progress *progress)
{
    TextStorage::Builder builder;
    LineEndMarks marks(builder, usual);
    qsizetype out = from;
    qsizetype runStart = from;
    qsizetype built = 0; // characters handed to the builder
    const auto appendRun = [&] {
        builder.appendLatin1(QLatin1StringView(data + runStart, out - runStart));
        built += out - runStart;
        runStart = out;
    };
    for (qsizetype start = from, end; start < to; start = end) {
        end = utf8BlockEnd(data, start, to);
        const qsizetype shift = built - runStart;
        if (progress)
            progress->advance(end - start);
        // Most blocks are their characters already, one byte each.
        if (utf8 ? isAscii(data + start, end - start) : isLatin1In1252(data + start, end - start)) {
            out = compactLines(data, start, end, out, marks, shift);
            // Whole pieces are handed on while their bytes are still in the cache from
            // compacting them; read again later, they would come from memory once more.
            if (out - runStart >= TextStorage::MaximumPiece) {
                const qsizetype whole
                    = (out - runStart) / TextStorage::MaximumPiece * TextStorage::MaximumPiece;
                builder.appendLatin1(QLatin1StringView(data + runStart, whole));
                built += whole;
                runStart += whole;
            }
            continue;
        }
        const QByteArrayView block(data + start, end - start);
        QString text
            = utf8 ? *decodeStrictly(QStringConverter::Utf8, block) : decodeWindows1252(block);
        text.truncate(compactLines(units(text), 0, text.size(), 0, marks, out + shift));
        if (QtPrivate::isLatin1(text)) {
            const QByteArray narrow = text.toLatin1();
            std::memcpy(data + out, narrow.constData(), std::size_t(narrow.size()));
            out += narrow.size();
            continue;
        }
        appendRun();
        builder.appendText(text);
        built += text.size();
    }
    appendRun();
    return builder;
}

// The storage of a file whose two parts were converted inside its bytes.
TextStorage joinParts(TextStorage::Builder (&parts)[2], LineEnding usual, QByteArray &bytes)
{
    TextStorage::Builder &builder = parts[0];
    builder.appendBuilt(std::move(parts[1]));
    LineEndMarks(builder, usual).endLastLine();
    builder.keep(std::move(bytes));
    return builder.finish();
}

// A valid UTF-8 or any Windows-1252 file converted inside the bytes it was read into, by
// two threads when it is large.
TextStorage loadInPlace(
    QByteArray &bytes, qsizetype from, LineEnding usual, bool utf8, Progress *progress)
{
    if (progress)
        progress->beginStage(bytes.size() - from);
    char *data = bytes.data();
    TextStorage::Builder parts[2];
    inTwoParts(from,
        utf8Seam(data, from, bytes.size()),
        bytes.size(),
        [&](int part, qsizetype start, qsizetype to) {
            parts[part] = loadPartInPlace(data, start, to, usual, utf8, progress);
        });
    return joinParts(parts, usual, bytes);
}

// The units of a valid UTF-16 file, turned to this machine's byte order where they differ,
// inside the bytes it was read into.
QStringView inHostOrder(QByteArray &bytes)
{
    const Utf16Units file(bytes);
    auto *units = reinterpret_cast<char16_t *>(bytes.data() + 2);
    if (file.littleEndian != (QSysInfo::ByteOrder == QSysInfo::LittleEndian)) {
        inTwoParts(0, file.seam(), file.count, [&](int, qsizetype from, qsizetype to) {
            std::transform(units + from, units + to, units + from, [](char16_t unit) {
                return char16_t(qbswap(quint16(unit)));
            });
        });
    }
    return QStringView(units, file.count);
}

// A valid UTF-16 file in this machine's byte order, converted inside the bytes it was read
// into: its units become the text's own.
TextStorage loadUtf16InPlace(QByteArray &bytes, LineEnding usual, Progress *progress)
{
    auto *units = reinterpret_cast<char16_t *>(bytes.data() + 2);
    const qsizetype count = (bytes.size() - 2) / 2;
    const qsizetype seam = utf16Seam(count, [units](qsizetype index) {
        return units[index];
    });
    if (progress)
        progress->beginStage(count);
    TextStorage::Builder parts[2];
    inTwoParts(0, seam, count, [&](int part, qsizetype from, qsizetype to) {
        TextStorage::Builder &builder = parts[part];
        LineEndMarks marks(builder, usual);
        qsizetype out = from;
        for (qsizetype start = from, end; start < to; start = end) {
            end = std::min(to, start + Utf8Block);
            if (end < to && units[end - 1] == u'\r' && units[end] == u'\n')
                ++end;
            out = compactLines(units, start, end, out, marks, -from);
            if (progress)
                progress->advance(end - start);
        }
        builder.appendKeptText(QStringView(units + from, out - from));
    });
    return joinParts(parts, usual, bytes);
}

TextStorage loadDecoded(QString text, LineEnding usual)
{
    TextStorage::Builder builder;
    LineEndMarks marks(builder, usual);
    text.truncate(compactLines(units(text), 0, text.size(), 0, marks, 0));
    builder.appendText(text);
    marks.endLastLine();
    return builder.finish();
}

QByteArray endingBytes(ReadEnding ending, LineEnding usual)
{
    switch (ending) {
    case ReadEnding::Usual:
        return endingBytes(readEnding(usual), usual);
    case ReadEnding::CrLf:
        return QByteArrayLiteral("\r\n");
    case ReadEnding::Lf:
        return QByteArrayLiteral("\n");
    case ReadEnding::Cr:
        return QByteArrayLiteral("\r");
    case ReadEnding::Nothing:
        break;
    }
    return QByteArray();
}

// Writes Latin-1 text at out as UTF-8, with each '\n' turned into ending (one or two bytes);
// returns where the bytes end. out needs room for twice the text and sixteen bytes more. Most
// of a text is ASCII in lines a few dozen characters long, so it is looked at sixteen bytes
// at a time and stored a block at once up to the next byte that changes.
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
    qsizetype at = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    while (at + 16 <= length) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + at));
        const unsigned wide = unsigned(_mm_movemask_epi8(block));
        const unsigned ends = lfStays ? 0 : unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), block);
        if (crlf && ((ends & (ends - 1)) | wide) == 0 && at + 32 <= length) {
            // A block of ASCII with at most one line break, as nearly every block of a text
            // is, is written without a jump that depends on where the break falls: with lines
            // of random lengths such a jump is mispredicted once a line, and that cost more
            // than the rest of the conversion. What follows the break is stored again one
            // byte on, from the '\n' on; bytes stored past the block are written over by the
            // next one.
            const int kept = __builtin_ctz(ends | 0x10000);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + kept + 1),
                _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + at + kept)));
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
#endif
    for (; at < length; ++at) {
        const uchar unit = uchar(in[at]);
        if (unit < 0x80 && (unit != '\n' || lfStays))
            *out++ = char(unit);
        else
            convert(unit);
    }
    return out;
}

// Writes parts of a text one after another; plain ASCII in one-byte runs is copied as it
// stands when the file is UTF-8, which is what nearly every large file is.
class PartEncoder
{
public:
    explicit PartEncoder(const DocumentFormat &format)
        : m_format(format)
        , m_asciiEnding(endingBytes(ReadEnding::Usual, format.lineEnding))
        , m_ending(QString::fromLatin1(m_asciiEnding))
        , m_utf8(isUtf8(format.encoding))
    { }

    // The run's line breaks get the usual line ending, except those marked with their own.
    // A last line that had no line end keeps none only while it is still the last line and
    // not empty: otherwise leaving it out would join two lines or drop one.
    bool add(const TextStorage::Run &run,
        const std::vector<TextStorage::MarkedBreak> &marks,
        bool endsText = false)
    {
        const qsizetype length = run.latin1 ? run.narrow.size() : run.wide.size();
        qint32 from = 0;
        for (const TextStorage::MarkedBreak &mark : marks) {
            ReadEnding ending = ReadEnding(mark.mark);
            if (ending == ReadEnding::Nothing && !(endsText && mark.offset + 1 == length))
                ending = ReadEnding::Usual;
            if (!addPart(run, from, mark.offset)
                || !addEnding(endingBytes(ending, m_format.lineEnding)))
                return false;
            from = mark.offset + 1;
        }
        return addPart(run, from, length);
    }

    // Where the bytes go from now on.
    void writeTo(QByteArray &bytes) { m_bytes = &bytes; }

    bool flush()
    {
        if (m_pending.isEmpty())
            return true;
        const std::optional<QByteArray> part = encodeCharacters(m_pending, m_format.encoding);
        m_pending.clear();
        if (!part)
            return false;
        *m_bytes += *part;
        return true;
    }

private:
    bool addPart(const TextStorage::Run &run, qsizetype from, qsizetype to)
    {
        if (from == to)
            return true;
        const qsizetype length = to - from;
        if (!m_utf8 || !run.latin1) {
            if (run.latin1)
                appendPending(run.narrow.sliced(from, length));
            else
                appendPending(run.wide.sliced(from, length));
            return m_pending.size() < Part || m_pending.back().isHighSurrogate() || flush();
        }
        if (!flush())
            return false;
        // Written in place: a call to append for each of a million short lines costs more
        // than converting them.
        const qsizetype at = m_bytes->size();
        m_bytes->resize(at + 2 * length + 16);
        char *const end
            = latin1ToUtf8(run.narrow.data() + from, length, m_asciiEnding, m_bytes->data() + at);
        m_bytes->resize(end - m_bytes->data());
        return true;
    }

    bool addEnding(const QByteArray &ending)
    {
        if (!m_utf8) {
            m_pending.append(QLatin1StringView(ending));
            return true;
        }
        if (!flush())
            return false;
        m_bytes->append(ending);
        return true;
    }

    template<class View>
    void appendPending(View text)
    {
        if (m_format.lineEnding == LineEnding::Lf) {
            m_pending.append(text);
            return;
        }
        for (qsizetype done = 0; done < text.size();) {
            qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), done);
            if (lineEnd < 0)
                lineEnd = text.size();
            m_pending.append(text.sliced(done, lineEnd - done));
            if (lineEnd < text.size())
                m_pending.append(m_ending);
            done = lineEnd + 1;
        }
    }

    static constexpr qsizetype Part = 1024 * 1024;
    QByteArray *m_bytes = nullptr;
    const DocumentFormat m_format;
    const QByteArray m_asciiEnding;
    const QString m_ending;
    const bool m_utf8;
    QString m_pending;
};

} // namespace

DecodedDocument decodeDocument(const QByteArray &bytes)
{
    const LoadedDocument loaded = loadDocument(bytes);
    return { loaded.text.toString(), loaded.format };
}

Result<QByteArray> encodeDocument(const QString &text, const DocumentFormat &format)
{
    return encodeDocument(TextStorage::fromText(text), format);
}

struct DocumentWriter::Encoding
{
    explicit Encoding(const DocumentFormat &format)
        : encoder(format)
    { }
    PartEncoder encoder;
    std::vector<TextStorage::MarkedBreak> marks;
};

DocumentWriter::DocumentWriter(
    const TextStorage &text, const DocumentFormat &format, Progress *progress)
    : m_text(text)
    , m_format(format)
    , m_progress(progress)
    , m_encoding(std::make_unique<Encoding>(format))
{
    const qsizetype length = text.length();
    m_endsWithLine = length >= 2 && text.at(length - 1) == QLatin1Char('\n')
        && text.at(length - 2) != QLatin1Char('\n');
    if (m_progress)
        m_progress->beginStage(length);
}

DocumentWriter::~DocumentWriter() = default;

Result<bool> DocumentWriter::next(QByteArray &part, qsizetype size)
{
    PartEncoder &encoder = m_encoding->encoder;
    encoder.writeTo(part);
    const bool first = m_run == 0;
    if (first)
        part += byteOrderMark(m_format.encoding);
    for (qsizetype limit = size; m_run < m_text.runCount() && part.size() < limit;) {
        m_text.marksIn(m_run, m_encoding->marks);
        const TextStorage::Run run = m_text.run(m_run);
        ++m_run;
        if (!encoder.add(run, m_encoding->marks, m_endsWithLine && m_run == m_text.runCount()))
            return unencodable();
        if (m_progress)
            m_progress->advance(run.latin1 ? run.narrow.size() : run.wide.size());
        // Whether text that starts like a UTF-16 mark would read back as UTF-16 can only be
        // told once all of it is there, so it comes in one part.
        if (first && limit == size && part.size() >= 2 && !readsBackAs(part.first(2), m_format))
            limit = std::numeric_limits<qsizetype>::max();
    }
    if (m_run < m_text.runCount())
        return true;
    // A text that does not end with a line break gets one, which a save always gave it.
    if (!m_text.isEmpty() && m_text.at(m_text.length() - 1) != QLatin1Char('\n')) {
        TextStorage::Run lineBreak;
        lineBreak.latin1 = true;
        lineBreak.narrow = QLatin1StringView("\n");
        if (!encoder.add(lineBreak, {}))
            return unencodable();
    }
    if (!encoder.flush())
        return unencodable();
    if (first && !readsBackAs(part, m_format))
        return ambiguous();
    return false;
}

Result<QByteArray> encodeDocument(
    const TextStorage &text, const DocumentFormat &format, Progress *progress)
{
    const bool utf16 = format.encoding == TextEncoding::Utf16LeBom
        || format.encoding == TextEncoding::Utf16BeBom;
    QByteArray bytes;
    // Most documents need no more than this, and one buffer of the right size saves copying
    // a large file as it grows.
    const qsizetype expected = (text.length() + text.lineCount() * 2 + 8) * (utf16 ? 2 : 1);
    bytes.reserve(expected);
    preferHugePages(bytes.data(), expected);
    DocumentWriter writer(text, format, progress);
    const Result<bool> more = writer.next(bytes, std::numeric_limits<qsizetype>::max());
    if (!more.ok())
        return more.failure();
    Q_ASSERT(!more.value());
    return bytes;
}

LoadedDocument loadDocument(QByteArray bytes, Progress *progress)
{
    Characters characters = readCharacters(bytes);
    const TextEncoding encoding = characters.encoding;
    if (isUtf8(encoding) || encoding == TextEncoding::Windows1252) {
        const qsizetype from = encoding == TextEncoding::Utf8Bom ? Utf8Bom.size() : 0;
        const LineEnding ending = firstLineEnding(QByteArrayView(bytes).sliced(from), '\r', '\n');
        return { loadInPlace(bytes, from, ending, isUtf8(encoding), progress),
            { encoding, ending } };
    }
    if (encoding == TextEncoding::Utf16LeBom || encoding == TextEncoding::Utf16BeBom) {
        const QStringView units = inHostOrder(bytes);
        const LineEnding ending = firstLineEnding(units, u'\r', u'\n');
        return { loadUtf16InPlace(bytes, ending, progress), { encoding, ending } };
    }
    bytes = QByteArray();
    const LineEnding ending = firstLineEnding(QStringView(characters.text), u'\r', u'\n');
    return { loadDecoded(std::move(characters.text), ending), { encoding, ending } };
}
