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

bool isUtf8(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8Bom
        || (encoding == TextEncoding::System && systemIsUtf8());
}

struct Characters
{
    TextEncoding encoding = TextEncoding::System;
    // The decoded text, byte-order mark left out; for UTF-8 only when it was asked for.
    QString text;
};

// How a file's bytes are read, decided in this one place: by a byte-order mark when what
// follows it is valid in that encoding, else in the system code page when every byte is valid
// there, else as Windows-1252, which takes any bytes.
// A UTF-16 byte-order mark with valid UTF-16 after it.
std::optional<Characters> readUtf16(const QByteArray &bytes)
{
    const bool littleEndian = bytes.startsWith(Utf16LeBom);
    if (!(littleEndian || bytes.startsWith(Utf16BeBom)) || bytes.size() % 2 != 0)
        return std::nullopt;
    std::optional<QString> text
        = decodeStrictly(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
            QByteArrayView(bytes).sliced(2));
    if (!text)
        return std::nullopt;
    return Characters { littleEndian ? TextEncoding::Utf16LeBom : TextEncoding::Utf16BeBom,
        std::move(*text) };
}

Characters readCharacters(const QByteArray &bytes, bool decodeUtf8)
{
    // Bytes that pass the check in blocks decode as a whole as well; should the two ever
    // disagree, the bytes are read as Windows-1252 rather than lost.
    const auto utf8 = [&](TextEncoding encoding, qsizetype from) -> std::optional<Characters> {
        if (!decodeUtf8)
            return Characters { encoding, QString() };
        std::optional<QString> text
            = decodeStrictly(QStringConverter::Utf8, QByteArrayView(bytes).sliced(from));
        if (!text)
            return std::nullopt;
        return Characters { encoding, std::move(*text) };
    };
    if (bytes.startsWith(Utf8Bom) && isValidUtf8(bytes, Utf8Bom.size())) {
        if (std::optional<Characters> characters = utf8(TextEncoding::Utf8Bom, Utf8Bom.size()))
            return std::move(*characters);
    }
    if (std::optional<Characters> characters = readUtf16(bytes))
        return std::move(*characters);
    if (systemIsUtf8() && isValidUtf8(bytes, 0)) {
        if (std::optional<Characters> characters = utf8(TextEncoding::System, 0))
            return std::move(*characters);
    }
    if (!systemIsUtf8()) {
        if (std::optional<QString> text = decodeSystem(bytes))
            return { TextEncoding::System, *text };
    }
    return { TextEncoding::Windows1252, decodeWindows1252(bytes) };
}

// Windows-1252 text that starts like a UTF-16 byte-order mark can, once its line endings are
// made uniform, form valid UTF-16 and would then open as different text.
bool readsBackAs(const QByteArray &bytes, const DocumentFormat &format)
{
    const bool utf16 = format.encoding == TextEncoding::Utf16LeBom
        || format.encoding == TextEncoding::Utf16BeBom;
    if (utf16 || !(bytes.startsWith(Utf16LeBom) || bytes.startsWith(Utf16BeBom)))
        return true;
    return !readUtf16(bytes).has_value();
}

Failure ambiguous()
{
    return { FailureNumber::AmbiguousEncoding,
        QStringLiteral(
            "This text would read back as UTF-16 after saving; the file was not changed. "
            "Copy the text into a new document to save it") };
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

// Converts a valid UTF-8 file inside the bytes it was read into: ASCII and other Latin-1 runs
// stay one byte a character where they are, so a large file is never held twice.
TextStorage loadUtf8(QByteArray &bytes, qsizetype from)
{
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
        builder.appendLatin1(QLatin1StringView(data + runStart, out - runStart));
        builder.appendText(text);
        runStart = out;
    }
    builder.appendLatin1(QLatin1StringView(data + runStart, out - runStart));
    const bool endsWithBreak = builder.lastUnit() == QLatin1Char('\n');
    const bool empty = builder.isEmpty();
    if (!empty && !endsWithBreak)
        builder.appendText(u"\n");
    builder.keep(std::move(bytes));
    return builder.finish();
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

    bool add(const TextStorage::Run &run)
    {
        const char *ascii = run.narrow.data();
        const qsizetype length = run.narrow.size();
        if (!m_utf8 || !run.latin1 || !isAscii(ascii, length)) {
            if (run.latin1)
                m_pending.append(run.narrow);
            else
                m_pending.append(run.wide);
            return m_pending.size() < Part || m_pending.back().isHighSurrogate() || flush();
        }
        if (!flush())
            return false;
        for (qsizetype from = 0; from < length;) {
            const void *hit = std::memchr(ascii + from, '\n', std::size_t(length - from));
            const qsizetype to = hit ? static_cast<const char *>(hit) - ascii : length;
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

DecodedDocument withLineBreaks(Characters characters)
{
    DecodedDocument document { std::move(characters.text), { characters.encoding } };
    QString &text = document.text;
    document.format.lineEnding = firstLineEnding(QStringView(text), u'\r', u'\n');
    // Every kind of line end is a line break to the editor; the file's own kind comes back
    // when it is written.
    text = TextStorage::withNewlines(std::move(text));
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text.append(QLatin1Char('\n'));
    return document;
}

} // namespace

DecodedDocument decodeDocument(const QByteArray &bytes)
{
    return withLineBreaks(readCharacters(bytes, true));
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
    for (std::size_t run = 0; run < text.runCount(); ++run) {
        if (!encoder.add(text.run(run)))
            return unencodable();
    }
    if (!text.isEmpty() && text.at(text.length() - 1) != QLatin1Char('\n')) {
        TextStorage::Run lineBreak;
        lineBreak.latin1 = true;
        lineBreak.narrow = QLatin1StringView("\n");
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
    Characters characters = readCharacters(bytes, false);
    const TextEncoding encoding = characters.encoding;
    if (isUtf8(encoding)) {
        const qsizetype from = encoding == TextEncoding::Utf8Bom ? Utf8Bom.size() : 0;
        const LineEnding ending = firstLineEnding(QByteArrayView(bytes).sliced(from), '\r', '\n');
        return { loadUtf8(bytes, from), { encoding, ending } };
    }
    bytes = QByteArray();
    const DecodedDocument decoded = withLineBreaks(std::move(characters));
    return { TextStorage::fromText(decoded.text), decoded.format };
}
