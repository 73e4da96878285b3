#include "core/documentfile.h"

#include "core/windows1252.h"
#include "platform/prefault.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <optional>

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

std::optional<DecodedDocument> decodeWithBom(const QByteArray &bytes)
{
    struct Candidate
    {
        const QByteArray &bom;
        QStringConverter::Encoding encoding;
        TextEncoding format;
    };
    const Candidate candidates[] = {
        { Utf8Bom, QStringConverter::Utf8, TextEncoding::Utf8Bom },
        { Utf16LeBom, QStringConverter::Utf16LE, TextEncoding::Utf16LeBom },
        { Utf16BeBom, QStringConverter::Utf16BE, TextEncoding::Utf16BeBom },
    };
    for (const Candidate &candidate : candidates) {
        if (!bytes.startsWith(candidate.bom))
            continue;
        const QByteArrayView body = QByteArrayView(bytes).sliced(candidate.bom.size());
        if (candidate.format != TextEncoding::Utf8Bom && body.size() % 2 != 0)
            return std::nullopt;
        if (std::optional<QString> text = decodeStrictly(candidate.encoding, body))
            return DecodedDocument { *text, { candidate.format, LineEnding::CrLf } };
        return std::nullopt;
    }
    return std::nullopt;
}

DecodedDocument decodeCharacters(const QByteArray &bytes)
{
    if (std::optional<DecodedDocument> document = decodeWithBom(bytes))
        return *document;
    if (std::optional<QString> text = decodeSystem(bytes))
        return { *text, { TextEncoding::System, LineEnding::CrLf } };
    return { decodeWindows1252(bytes), { TextEncoding::Windows1252, LineEnding::CrLf } };
}

// The kind of the first line end, in decoded text or in the bytes of a UTF-8 file; a text
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

QString lineEndingText(LineEnding ending)
{
    switch (ending) {
    case LineEnding::Lf:
        return QStringLiteral("\n");
    case LineEnding::Cr:
        return QStringLiteral("\r");
    case LineEnding::CrLf:
        break;
    }
    return QStringLiteral("\r\n");
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

// Windows-1252 text that starts like a UTF-16 byte-order mark can, once its line endings are
// made uniform, form valid UTF-16 and would then open as different text.
bool readsBackAs(const QByteArray &bytes, const DocumentFormat &format)
{
    const bool utf16 = format.encoding == TextEncoding::Utf16LeBom
        || format.encoding == TextEncoding::Utf16BeBom;
    if (utf16 || !(bytes.startsWith(Utf16LeBom) || bytes.startsWith(Utf16BeBom)))
        return true;
    return !decodeWithBom(bytes).has_value();
}

Failure ambiguous()
{
    return { FailureNumber::AmbiguousEncoding,
        QStringLiteral(
            "This text would read back as UTF-16 after saving; the file was not changed. "
            "Copy the text into a new document to save it") };
}

// Blocks of a UTF-8 file end before an ASCII byte, which never belongs to a longer sequence,
// and never between the CR and LF of a pair; so each block decodes on its own exactly as it
// does within the whole file.
#ifdef OMRIK_SMALL_BLOCKS
// The fuzzer's inputs are short; tiny blocks put block borders everywhere in them.
constexpr qsizetype Utf8Block = 5;
#else
constexpr qsizetype Utf8Block = 64 * 1024;
#endif

qsizetype utf8BlockEnd(const QByteArray &bytes, qsizetype start)
{
    qsizetype end = std::min(bytes.size(), start + Utf8Block);
    while (end < bytes.size()
        && (uchar(bytes[end]) >= 0x80 || (bytes[end] == '\n' && bytes[end - 1] == '\r')))
        ++end;
    return end;
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
    for (qsizetype start = from, end; start < bytes.size(); start = end) {
        end = utf8BlockEnd(bytes, start);
        const QByteArrayView block(bytes.constData() + start, end - start);
        if (!isAscii(block.data(), block.size()) && !decodeStrictly(QStringConverter::Utf8, block))
            return false;
    }
    return true;
}

// Turns CR LF and lone CR into LF, moving the bytes down to out; returns the new end.
qsizetype compactAsciiLines(char *data, qsizetype from, qsizetype to, qsizetype out, qsizetype size)
{
    while (from < to) {
        const void *hit = std::memchr(data + from, '\r', std::size_t(to - from));
        const qsizetype cr = hit ? static_cast<const char *>(hit) - data : to;
        std::memmove(data + out, data + from, std::size_t(cr - from));
        out += cr - from;
        if (cr == to)
            break;
        data[out++] = '\n';
        from = cr + 1 < size && data[cr + 1] == '\n' ? cr + 2 : cr + 1;
    }
    return out;
}

std::optional<LoadedDocument> loadUtf8(QByteArray &bytes)
{
    const bool bom = bytes.startsWith(Utf8Bom);
    if ((!bom && !systemIsUtf8()) || bytes.startsWith(Utf16LeBom) || bytes.startsWith(Utf16BeBom))
        return std::nullopt;
    const qsizetype from = bom ? Utf8Bom.size() : 0;
    if (!isValidUtf8(bytes, from))
        return std::nullopt;
    LoadedDocument document { TextStorage(),
        { bom ? TextEncoding::Utf8Bom : TextEncoding::System,
            firstLineEnding(QByteArrayView(bytes).sliced(from), '\r', '\n') } };
    TextStorage::Builder builder;
    char *data = bytes.data();
    qsizetype out = 0;
    qsizetype runStart = 0;
    for (qsizetype start = from, end; start < bytes.size(); start = end) {
        end = utf8BlockEnd(bytes, start);
        if (isAscii(data + start, end - start)) {
            out = compactAsciiLines(data, start, end, out, bytes.size());
            continue;
        }
        const QString text = TextStorage::withNewlines(
            *decodeStrictly(QStringConverter::Utf8, QByteArrayView(data + start, end - start)));
        if (QtPrivate::isLatin1(text)) {
            const QByteArray narrow = text.toLatin1();
            std::memcpy(data + out, narrow.constData(), std::size_t(narrow.size()));
            out += narrow.size();
            continue;
        }
        builder.appendLatin1(data + runStart, out - runStart);
        builder.appendText(text);
        runStart = out;
    }
    builder.appendLatin1(data + runStart, out - runStart);
    const bool endsWithBreak = builder.lastUnit() == QLatin1Char('\n');
    const bool empty = builder.isEmpty();
    if (!empty && !endsWithBreak)
        builder.appendText(u"\n");
    builder.keep(std::move(bytes));
    document.text = builder.finish();
    return document;
}

// Writes parts of a text one after another; plain ASCII in one-byte runs is copied as it
// stands when the file is UTF-8, which is what nearly every large file is.
class PartEncoder
{
public:
    PartEncoder(QByteArray &bytes, const DocumentFormat &format)
        : m_bytes(bytes)
        , m_format(format)
        , m_ending(lineEndingText(format.lineEnding))
        , m_asciiEnding(m_ending.toLatin1())
        , m_utf8(format.encoding == TextEncoding::Utf8Bom
              || (format.encoding == TextEncoding::System && systemIsUtf8()))
    { }

    bool add(const TextStorage::Piece &piece)
    {
        const char *ascii = static_cast<const char *>(piece.data);
        if (!m_utf8 || piece.wide || !isAscii(ascii, piece.length)) {
            const QChar *units = static_cast<const QChar *>(piece.data);
            if (piece.wide)
                m_pending.append(units, piece.length);
            else
                m_pending.append(QLatin1StringView(ascii, piece.length));
            return m_pending.size() < Part || m_pending.back().isHighSurrogate() || flush();
        }
        if (!flush())
            return false;
        for (qsizetype from = 0; from < piece.length;) {
            const void *hit = std::memchr(ascii + from, '\n', std::size_t(piece.length - from));
            const qsizetype to = hit ? static_cast<const char *>(hit) - ascii : piece.length;
            m_bytes.append(ascii + from, to - from);
            if (hit)
                m_bytes.append(m_asciiEnding);
            from = to + 1;
        }
        return true;
    }

    bool flush()
    {
        if (m_pending.isEmpty())
            return true;
        if (m_format.lineEnding != LineEnding::Lf)
            m_pending.replace(QLatin1Char('\n'), m_ending);
        const std::optional<QByteArray> part = encodeCharacters(m_pending, m_format.encoding);
        m_pending.clear();
        if (!part)
            return false;
        m_bytes += *part;
        return true;
    }

private:
    static constexpr qsizetype Part = 1024 * 1024;
    QByteArray &m_bytes;
    const DocumentFormat m_format;
    const QString m_ending;
    const QByteArray m_asciiEnding;
    const bool m_utf8;
    QString m_pending;
};

} // namespace

DecodedDocument decodeDocument(const QByteArray &bytes)
{
    DecodedDocument document = decodeCharacters(bytes);
    QString &text = document.text;
    document.format.lineEnding = firstLineEnding(QStringView(text), u'\r', u'\n');
    // Every kind of line end is a line break to the editor; the file's own kind comes back
    // when it is written.
    text = TextStorage::withNewlines(std::move(text));
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text.append(QLatin1Char('\n'));
    return document;
}

Result<QByteArray> encodeDocument(const QString &text, const DocumentFormat &format)
{
    return encodeDocument(TextStorage::fromText(text), format);
}

Result<QByteArray> encodeDocument(const TextStorage &text, const DocumentFormat &format)
{
    const bool utf16 = format.encoding == TextEncoding::Utf16LeBom
        || format.encoding == TextEncoding::Utf16BeBom;
    QByteArray bytes = byteOrderMark(format.encoding);
    // Most documents need no more than this, and one buffer of the right size saves copying
    // a large file as it grows.
    const qsizetype expected = (text.length() + text.lineCount() * 2 + 8) * (utf16 ? 2 : 1);
    bytes.reserve(expected);
    prefault(bytes.data(), expected);
    PartEncoder encoder(bytes, format);
    for (const TextStorage::Piece &piece : text.pieces()) {
        if (!encoder.add(piece))
            return unencodable();
    }
    if (!text.isEmpty() && text.at(text.length() - 1) != QLatin1Char('\n')) {
        TextStorage::Piece lineBreak;
        const char newline = '\n';
        lineBreak.data = &newline;
        lineBreak.length = 1;
        if (!encoder.add(lineBreak))
            return unencodable();
    }
    if (!encoder.flush())
        return unencodable();
    if (!readsBackAs(bytes, format))
        return ambiguous();
    return bytes;
}

LoadedDocument loadDocument(QByteArray bytes)
{
    if (std::optional<LoadedDocument> document = loadUtf8(bytes))
        return std::move(*document);
    DecodedDocument decoded = decodeDocument(bytes);
    bytes = QByteArray();
    return { TextStorage::fromText(decoded.text), decoded.format };
}
