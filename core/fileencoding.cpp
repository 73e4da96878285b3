#include "core/fileencoding.h"

#include "core/fileblocks.h"
#include "core/legacyencoding.h"
#include "core/windows1252.h"
#include "kernels/textkernels.h"
#include "platform/systemconventions.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <atomic>

const QByteArray Utf8Bom("\xEF\xBB\xBF", 3);
const QByteArray Utf16LeBom("\xFF\xFE", 2);
const QByteArray Utf16BeBom("\xFE\xFF", 2);

namespace {

// Stateless so a truncated sequence at the end counts as an error; a second byte-order mark
// after ours is text and must be kept, not swallowed.
constexpr auto StrictFlags
    = QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

std::optional<QByteArray> encodeStrictly(QStringConverter::Encoding encoding, const QString &text)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

// Qt's converter for an 8-bit system code page (Windows) does not report characters it had
// to replace, so a round trip tells instead. Qt takes the system encoding of every other
// system to be UTF-8, which reports them itself.
std::optional<QString> decodeSystem(const QByteArray &bytes)
{
    std::optional<QString> text = decodeStrictly(QStringConverter::System, bytes);
    if (text && !systemCodePageIsUtf8() && encodeStrictly(QStringConverter::System, *text) != bytes)
        return std::nullopt;
    return text;
}

std::optional<QByteArray> encodeSystem(const QString &text)
{
    std::optional<QByteArray> bytes = encodeStrictly(QStringConverter::System, text);
    if (bytes && !systemCodePageIsUtf8()
        && decodeStrictly(QStringConverter::System, *bytes) != text)
        return std::nullopt;
    return bytes;
}

bool isValidUtf8(const QByteArray &bytes, qsizetype from)
{
    std::atomic<bool> valid { true };
    const qsizetype seam = utf8Seam(bytes.constData(), from, bytes.size());
    inTwoParts(from, seam, bytes.size(), [&](int, qsizetype partStart, qsizetype to) {
        for (qsizetype start = partStart, end; start < to && valid; start = end) {
            end = utf8BlockEnd(bytes.constData(), start, to);
            const QByteArrayView block(bytes.constData() + start, end - start);
            if (!kernels::isAscii(block.data(), block.size())
                && !decodeStrictly(QStringConverter::Utf8, block))
                valid = false;
        }
    });
    return valid;
}

// Whether units [from, to) pair every surrogate. Most text has none, which is looked at first.
bool pairsSurrogates(const Utf16Units &units, qsizetype from, qsizetype to)
{
    bool high = false;
    for (qsizetype start = from; start < to; start += 4096) {
        const qsizetype end = std::min(to, start + 4096);
        if (!high
            && !kernels::anySurrogate(units.bytes + 2 * start, end - start, units.littleEndian))
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
bool holdsUtf16(const QByteArray &bytes)
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

} // namespace

bool isUtf8(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8Bom || encoding == TextEncoding::Utf8
        || (encoding == TextEncoding::System && systemCodePageIsUtf8());
}

bool isUtf16(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf16LeBom || encoding == TextEncoding::Utf16BeBom;
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
    case TextEncoding::Utf8:
    case TextEncoding::Legacy:
        break;
    }
    return QByteArray();
}

std::optional<QString> decodeStrictly(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, StrictFlags);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QByteArray> encodeCharacters(const QString &text, const DocumentFormat &format)
{
    switch (format.encoding) {
    case TextEncoding::System:
        return encodeSystem(text);
    case TextEncoding::Utf8Bom:
    case TextEncoding::Utf8:
        return encodeStrictly(QStringConverter::Utf8, text);
    case TextEncoding::Utf16LeBom:
        return encodeStrictly(QStringConverter::Utf16LE, text);
    case TextEncoding::Utf16BeBom:
        return encodeStrictly(QStringConverter::Utf16BE, text);
    case TextEncoding::Windows1252:
        return encodeWindows1252(text);
    case TextEncoding::Legacy:
        return encodeLegacyText(text, format.legacyName);
    }
    return std::nullopt;
}

Characters readCharacters(const QByteArray &bytes)
{
    if (bytes.startsWith(Utf8Bom) && isValidUtf8(bytes, Utf8Bom.size()))
        return Characters { TextEncoding::Utf8Bom };
    if (holdsUtf16(bytes))
        return Characters { bytes.startsWith(Utf16LeBom) ? TextEncoding::Utf16LeBom
                                                         : TextEncoding::Utf16BeBom };
    if (systemCodePageIsUtf8()) {
        if (isValidUtf8(bytes, 0))
            return Characters { TextEncoding::System };
        if (std::optional<LegacyText> legacy = readLegacyText(bytes))
            return Characters { TextEncoding::Legacy,
                legacy->encoding,
                std::move(legacy->text),
                std::move(legacy->units) };
    } else {
        if (!kernels::isAscii(bytes.constData(), bytes.size()) && isValidUtf8(bytes, 0))
            return Characters { TextEncoding::Utf8 };
        if (std::optional<QString> text = decodeSystem(bytes))
            return Characters { TextEncoding::System, {}, *text };
    }
    return Characters { TextEncoding::Windows1252 };
}

bool readsBackAs(const QByteArray &bytes, const DocumentFormat &format)
{
    if (isUtf16(format.encoding) || !(bytes.startsWith(Utf16LeBom) || bytes.startsWith(Utf16BeBom)))
        return true;
    return !holdsUtf16(bytes);
}
