#include "core/legacyencoding.h"

#include "core/encodingdetector.h"
#include "core/fileblocks.h"
#include "core/fileencoding.h"
#include "kernels/textkernels.h"
#include "platform/largememory.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace {

struct Accepted
{
    const char *detected; // as the detector spells it
    const char *converter; // as Qt's converter knows it
    bool singleByte = false;
};

// Each of these is stateless and keeps ASCII as it is, and none has a CR or LF byte inside a
// longer sequence: so a file can be decoded in parts cut after a line feed, and a document
// encoded a part at a time gives the bytes the whole would. Encodings with shift states
// (ISO-2022, HZ) would not, and Latin-script code pages are look-alikes of Windows-1252.
constexpr Accepted AcceptedEncodings[] = {
    { "SHIFT_JIS", "Shift_JIS" },
    { "EUC-JP", "EUC-JP" },
    { "GB18030", "GB18030" },
    { "BIG5", "Big5" },
    { "EUC-KR", "EUC-KR" },
    { "UHC", "windows-949" },
    { "WINDOWS-1251", "windows-1251", true },
    { "KOI8-R", "KOI8-R", true },
    { "ISO-8859-5", "ISO-8859-5", true },
    { "IBM855", "IBM855", true },
    { "IBM866", "IBM866", true },
    { "MAC-CYRILLIC", "x-mac-cyrillic", true },
    { "WINDOWS-1253", "windows-1253", true },
    { "ISO-8859-7", "ISO-8859-7", true },
    { "WINDOWS-1255", "windows-1255", true },
    { "ISO-8859-8", "ISO-8859-8", true },
    { "WINDOWS-1256", "windows-1256", true },
    { "ISO-8859-6", "ISO-8859-6", true },
    { "TIS-620", "TIS-620", true },
    { "ISO-8859-11", "ISO-8859-11", true },
};

QByteArray converterName(const QByteArray &detected)
{
    for (const Accepted &accepted : AcceptedEncodings) {
        if (detected.compare(accepted.detected, Qt::CaseInsensitive) == 0)
            return accepted.converter;
    }
    return QByteArray();
}

// A one-byte encoding as two tables, which convert a large file ten times as fast as the
// converter does. A byte that decodes alone to one character that encodes back to that byte
// is in both; any other byte, and any character no byte gives, in neither. Each byte then
// decodes on its own, so text converted through the tables is what the converter would give,
// and every conversion is exact both ways.
struct SingleByteTables
{
    char16_t toUnicode[256];
    std::vector<quint16> fromUnicode = std::vector<quint16>(65536, kernels::NoByte);
};

std::shared_ptr<const SingleByteTables> makeSingleByteTables(const char *encoding)
{
    auto tables = std::make_shared<SingleByteTables>();
    for (int byte = 0; byte < 256; ++byte) {
        tables->toUnicode[byte] = kernels::NoCharacter;
        const char single = char(byte);
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        const QString character = decoder.decode(QByteArrayView(&single, 1));
        QStringEncoder encoder(encoding, QStringConverter::Flag::Stateless);
        const QByteArray back = encoder.encode(character);
        if (decoder.hasError() || encoder.hasError() || character.size() != 1
            || back != QByteArrayView(&single, 1) || character[0] == kernels::NoCharacter)
            continue;
        tables->toUnicode[byte] = character[0].unicode();
        tables->fromUnicode[character[0].unicode()] = quint16(byte);
    }
    return tables;
}

// Made once for each encoding, on first use.
std::shared_ptr<const SingleByteTables> singleByteTables(const QByteArray &encoding)
{
    for (const Accepted &accepted : AcceptedEncodings) {
        if (!accepted.singleByte || encoding != accepted.converter)
            continue;
        static std::mutex made;
        static std::map<QByteArray, std::shared_ptr<const SingleByteTables>> tables;
        const std::lock_guard<std::mutex> lock(made);
        auto &entry = tables[encoding];
        if (!entry)
            entry = makeSingleByteTables(accepted.converter);
        return entry;
    }
    return nullptr;
}

// Detection looks at the start of the file and at the first bytes that are not UTF-8, which in
// a long file of ASCII may come late: enough text to judge by, many pages of it, while the
// detector takes about 0.4 ms a kilobyte.
constexpr qsizetype SampleSize = 64 * 1024;
constexpr qsizetype ErrorSurroundings = 8 * 1024;
// A few words say too little to choose between encodings whose byte ranges overlap.
constexpr qsizetype FewestCharacters = 32;

// Text holds no control characters but layout ones (and the escape of coloured terminal
// output); a file with others is binary, and keeps the Windows-1252 reading that holds any byte.
bool looksLikeText(QByteArrayView bytes)
{
    constexpr std::string_view layout("\t\n\v\f\r\x1b");
    return std::none_of(bytes.begin(), bytes.end(), [&](char byte) {
        return (byte >= 0 && byte < 0x20 && layout.find(byte) == std::string_view::npos)
            || byte == 0x7F;
    });
}

bool isUtf8(QByteArrayView bytes)
{
    return decodeStrictly(QStringConverter::Utf8, bytes).has_value();
}

// Whole lines around from..to, so that no character of a multi-byte encoding is cut.
QByteArrayView linesAround(const QByteArray &bytes, qsizetype from, qsizetype to)
{
    from = std::max<qsizetype>(0, from);
    to = std::min(bytes.size(), to);
    if (from > 0) {
        const qsizetype lineFeed = bytes.lastIndexOf('\n', from - 1);
        from = lineFeed < 0 ? 0 : lineFeed + 1;
    }
    if (to < bytes.size()) {
        const qsizetype lineFeed = bytes.lastIndexOf('\n', to - 1);
        to = lineFeed < from ? to : lineFeed + 1;
    }
    return QByteArrayView(bytes).sliced(from, to - from);
}

// The lines around the first block of the file after the sample that is not valid UTF-8.
QByteArrayView firstErrorAfter(const QByteArray &bytes, qsizetype from)
{
    for (qsizetype start = from, end; start < bytes.size(); start = end) {
        end = utf8BlockEnd(bytes.constData(), start, bytes.size());
        if (!isUtf8(QByteArrayView(bytes).sliced(start, end - start)))
            return linesAround(bytes, start - ErrorSurroundings, end + ErrorSurroundings);
    }
    return QByteArrayView();
}

// Stateless, so that a sequence cut off at the end counts as an error; a sample may be cut
// anywhere, and reads with its last sequence left out.
std::optional<QString> decodeStrictly(const QByteArray &encoding,
    QByteArrayView bytes,
    QStringConverter::Flags flags = QStringConverter::Flag::Stateless)
{
    QStringDecoder decoder(encoding.constData(), flags);
    QString text = decoder.decode(bytes);
    if (!decoder.isValid() || decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QByteArray> encodeStrictly(const QString &text, const QByteArray &encoding)
{
    QStringEncoder encoder(encoding.constData(), QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.isValid() || encoder.hasError())
        return std::nullopt;
    return bytes;
}

// Letters of these scripts come in words, and Chinese and Japanese characters one after
// another; a Western text misread in such an encoding gets a lone character for each accented
// letter among ASCII ones.
bool looksLikeItsScript(QStringView text)
{
    qsizetype others = 0;
    qsizetype inRuns = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() < 0x80)
            continue;
        ++others;
        if ((i > 0 && text[i - 1].unicode() >= 0x80)
            || (i + 1 < text.size() && text[i + 1].unicode() >= 0x80))
            ++inRuns;
    }
    return others >= FewestCharacters && 2 * inRuns >= others;
}

std::optional<QByteArray> widenThroughTables(
    const SingleByteTables &tables, const QByteArray &bytes)
{
    QByteArray units(2 * bytes.size(), Qt::Uninitialized);
    preferHugePages(units.data(), units.size());
    auto *out = reinterpret_cast<char16_t *>(units.data());
    std::atomic<bool> all { true };
    inTwoParts(0,
        bytes.size() < TwoPartsFrom ? bytes.size() : bytes.size() / 2,
        bytes.size(),
        [&](int, qsizetype from, qsizetype to) {
            if (!kernels::widenThroughTable(
                    bytes.constData() + from, to - from, tables.toUnicode, out + from))
                all = false;
        });
    if (!all)
        return std::nullopt;
    return units;
}

// The text of bytes when every one of them decodes and the text encodes back to the same
// bytes. A large file is done in two parts at once, cut after a line feed.
std::optional<QString> decodeExactly(const QByteArray &encoding, const QByteArray &bytes)
{
    qsizetype seam = bytes.size();
    if (bytes.size() >= TwoPartsFrom) {
        const qsizetype lineFeed = bytes.indexOf('\n', bytes.size() / 2);
        seam = lineFeed < 0 ? bytes.size() : lineFeed + 1;
    }
    QString parts[2];
    std::atomic<bool> exact { true };
    inTwoParts(0, seam, bytes.size(), [&](int part, qsizetype from, qsizetype to) {
        const QByteArrayView view = QByteArrayView(bytes).sliced(from, to - from);
        std::optional<QString> text = decodeStrictly(encoding, view);
        // Bytes that come back the same also prove the text reads back the same.
        const std::optional<QByteArray> back
            = text ? encodeStrictly(*text, encoding) : std::nullopt;
        if (!back || *back != view)
            exact = false;
        else
            parts[part] = std::move(*text);
    });
    if (!exact)
        return std::nullopt;
    if (parts[1].isEmpty())
        return std::move(parts[0]);
    return parts[0] + parts[1];
}

} // namespace

std::optional<LegacyText> readLegacyText(const QByteArray &bytes)
{
    QByteArray sample = linesAround(bytes, 0, SampleSize).toByteArray();
    if (isUtf8(sample))
        sample += firstErrorAfter(bytes, sample.size());
    if (!looksLikeText(sample))
        return std::nullopt;
    const QByteArray encoding = converterName(guessEncoding(sample));
    if (encoding.isEmpty())
        return std::nullopt;
    const std::optional<QString> sampleText
        = decodeStrictly(encoding, sample, QStringConverter::Flag::Default);
    if (!sampleText || !looksLikeItsScript(*sampleText))
        return std::nullopt;
    if (const std::shared_ptr<const SingleByteTables> tables = singleByteTables(encoding)) {
        std::optional<QByteArray> units = widenThroughTables(*tables, bytes);
        if (!units)
            return std::nullopt;
        return LegacyText { encoding, QString(), std::move(*units) };
    }
    std::optional<QString> text = decodeExactly(encoding, bytes);
    if (!text)
        return std::nullopt;
    return LegacyText { encoding, std::move(*text), QByteArray() };
}

std::optional<QByteArray> encodeLegacyText(const QString &text, const QByteArray &encoding)
{
    if (const std::shared_ptr<const SingleByteTables> tables = singleByteTables(encoding)) {
        QByteArray bytes(text.size(), Qt::Uninitialized);
        if (!kernels::narrowThroughTable(reinterpret_cast<const char16_t *>(text.constData()),
                text.size(),
                tables->fromUnicode.data(),
                bytes.data()))
            return std::nullopt;
        return bytes;
    }
    std::optional<QByteArray> bytes = encodeStrictly(text, encoding);
    // A converter may map a character it lacks to a similar one without calling it an error;
    // only reading the bytes back tells.
    if (bytes && decodeStrictly(encoding, *bytes) != text)
        return std::nullopt;
    return bytes;
}
