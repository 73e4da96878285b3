#include "core/documentfile.h"
#include "core/windows1252.h"
#include "engine/texteditingmodel.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

// A file read into the editor, then a script of edits and undos, checked against a plain
// model of the file: its characters, and for each line break the bytes it stands for. Every
// save must write what the plain model says, and a saved file read back and saved again must
// give the same bytes.

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "editing round trip broken: %s\n", what);
    std::abort();
}

// What a line break stands for in the file.
enum class End { Usual, CrLf, Lf, Cr, Nothing };

struct PlainText
{
    QString text; // line breaks are '\n'
    std::vector<End> ends; // one for each '\n', in order

    qsizetype breaksBefore(qsizetype position) const
    {
        return text.first(position).count(QLatin1Char('\n'));
    }

    void replace(qsizetype from, qsizetype to, const QString &with)
    {
        const auto first = ends.begin() + breaksBefore(from);
        ends.erase(first, ends.begin() + breaksBefore(to));
        ends.insert(ends.begin() + breaksBefore(from),
            std::size_t(with.count(QLatin1Char('\n'))),
            End::Usual);
        text.replace(from, to - from, with);
    }
};

std::optional<QString> decodeExactly(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    // A mark after the one that chose the encoding is a character of the text.
    QStringDecoder decoder(
        encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The file's characters as they are, line ends included.
QString fileCharacters(const QByteArray &bytes, const DocumentFormat &format)
{
    std::optional<QString> text;
    switch (format.encoding) {
    case TextEncoding::System:
    case TextEncoding::Utf8:
        text = decodeExactly(QStringConverter::Utf8, bytes);
        break;
    case TextEncoding::Utf8Bom:
        text = decodeExactly(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3));
        break;
    case TextEncoding::Utf16LeBom:
        text = decodeExactly(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
        break;
    case TextEncoding::Utf16BeBom:
        text = decodeExactly(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));
        break;
    case TextEncoding::Windows1252:
        text = decodeWindows1252(bytes);
        break;
    case TextEncoding::Legacy: {
        QStringDecoder decoder(format.legacyName.constData(), QStringConverter::Flag::Stateless);
        text = decoder.decode(bytes);
        if (decoder.hasError())
            text.reset();
        break;
    }
    }
    if (!text)
        fail("the file does not decode in the encoding it was read in");
    return *text;
}

PlainText plainText(const QString &characters)
{
    PlainText plain;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const QChar unit = characters[i];
        if (unit == QLatin1Char('\r') && i + 1 < characters.size()
            && characters[i + 1] == QLatin1Char('\n')) {
            plain.ends.push_back(End::CrLf);
            ++i;
        } else if (unit == QLatin1Char('\r') || unit == QLatin1Char('\n')) {
            plain.ends.push_back(unit == QLatin1Char('\r') ? End::Cr : End::Lf);
        } else {
            plain.text.append(unit);
            continue;
        }
        plain.text.append(QLatin1Char('\n'));
    }
    if (!plain.text.isEmpty() && !plain.text.endsWith(QLatin1Char('\n'))) {
        plain.text.append(QLatin1Char('\n'));
        plain.ends.push_back(End::Nothing);
    }
    return plain;
}

QString endText(End end, LineEnding usual)
{
    switch (end) {
    case End::Usual:
        return usual == LineEnding::CrLf
            ? QStringLiteral("\r\n")
            : QString(QLatin1Char(usual == LineEnding::Lf ? '\n' : '\r'));
    case End::CrLf:
        return QStringLiteral("\r\n");
    case End::Lf:
        return QStringLiteral("\n");
    case End::Cr:
        return QStringLiteral("\r");
    case End::Nothing:
        break;
    }
    return QString();
}

// What a save must write, as characters: a last line that had no line end keeps none while
// it is the last line and not empty, and a text without a last line break gets one.
QString savedCharacters(const PlainText &plain, LineEnding usual)
{
    QString out;
    std::size_t end = 0;
    const qsizetype length = plain.text.size();
    for (qsizetype i = 0; i < length; ++i) {
        if (plain.text[i] != QLatin1Char('\n')) {
            out.append(plain.text[i]);
            continue;
        }
        End kind = plain.ends[end++];
        const bool lastOfLine = i + 1 == length && i > 0 && plain.text[i - 1] != QLatin1Char('\n');
        if (kind == End::Nothing && !lastOfLine)
            kind = End::Usual;
        out += endText(kind, usual);
    }
    if (length > 0 && !plain.text.endsWith(QLatin1Char('\n')))
        out += endText(End::Usual, usual);
    return out;
}

std::optional<QByteArray> encodeExactly(QStringConverter::Encoding encoding, const QString &text)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> fileBytes(const QString &characters, const DocumentFormat &format)
{
    switch (format.encoding) {
    case TextEncoding::System:
    case TextEncoding::Utf8:
        return encodeExactly(QStringConverter::Utf8, characters);
    case TextEncoding::Utf8Bom:
        if (auto bytes = encodeExactly(QStringConverter::Utf8, characters))
            return QByteArray("\xEF\xBB\xBF") + *bytes;
        return std::nullopt;
    case TextEncoding::Utf16LeBom:
        if (auto bytes = encodeExactly(QStringConverter::Utf16LE, characters))
            return QByteArray("\xFF\xFE") + *bytes;
        return std::nullopt;
    case TextEncoding::Utf16BeBom:
        if (auto bytes = encodeExactly(QStringConverter::Utf16BE, characters))
            return QByteArray("\xFE\xFF") + *bytes;
        return std::nullopt;
    case TextEncoding::Windows1252:
        return encodeWindows1252(characters);
    case TextEncoding::Legacy: {
        // A character the encoding lacks must fail the save, even where the converter has a
        // similar one to put in its place.
        QStringEncoder encoder(format.legacyName.constData(), QStringConverter::Flag::Stateless);
        QByteArray bytes = encoder.encode(characters);
        if (encoder.hasError() || fileCharacters(bytes, format) != characters)
            return std::nullopt;
        return bytes;
    }
    }
    return std::nullopt;
}

QString insertion(FuzzedDataProvider &in)
{
    // Line ends of every kind, which the editor takes as its one line break, whole and half
    // surrogate pairs, and characters that one encoding or another cannot hold.
    static const char16_t *const parts[] = { u"a",
        u"\r\n",
        u"\r",
        u"\n",
        u"\U0001F600",
        u"\xD83D",
        u"\xDE00",
        u"\u00E9",
        u"\u20AC",
        u"\u65E5",
        u"\x81",
        u"\uFEFF",
        u" " };
    QString text;
    for (int count = in.ConsumeIntegralInRange(0, 6); count > 0; --count)
        text += QStringView(parts[in.ConsumeIntegralInRange<std::size_t>(0, std::size(parts) - 1)]);
    return TextStorage::withNewlines(text);
}

// Saves the document and checks the bytes against the plain model's; returns them, or
// nothing when the save was rightly refused.
std::optional<QByteArray> save(
    const TextStorage &storage, const DocumentFormat &format, const PlainText &plain)
{
    const Result<QByteArray> written = encodeDocument(storage, format);
    const std::optional<QByteArray> expected
        = fileBytes(savedCharacters(plain, format.lineEnding), format);
    if (!written.ok()) {
        const int number = written.failure().number;
        if (number == FailureNumber::UnencodableText && !expected)
            return std::nullopt;
        if (number == FailureNumber::AmbiguousEncoding && expected
            && (expected->startsWith("\xFF\xFE") || expected->startsWith("\xFE\xFF")))
            return std::nullopt;
        fail("a save was refused that should have been written");
    }
    if (!expected || written.value() != *expected)
        fail("a save wrote other bytes than the line ends and the text say");
    return written.value();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::size_t fileLength = in.ConsumeIntegralInRange<std::size_t>(0, in.remaining_bytes());
    const std::vector<char> file = in.ConsumeBytes<char>(fileLength);
    const QByteArray bytes(file.data(), qsizetype(file.size()));

    LoadedDocument loaded = loadDocument(bytes);
    const DocumentFormat format = loaded.format;
    PlainText plain = plainText(fileCharacters(bytes, format));
    TextEditingModel model;
    model.setText(std::move(loaded.text));
    if (model.storage().toString() != plain.text)
        fail("the file was read as other text");
    if (save(model.storage(), format, plain) != bytes)
        fail("an unedited file was not written back byte for byte");

    std::optional<PlainText> beforeLastEdit;
    for (int step = 0; step < 32 && in.remaining_bytes() > 0; ++step) {
        const qsizetype length = plain.text.size();
        const qsizetype from = in.ConsumeIntegralInRange<qsizetype>(0, length);
        const qsizetype to = in.ConsumeIntegralInRange<qsizetype>(from, length);
        switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0:
        case 1: {
            const QString text = insertion(in);
            // Removing nothing is no edit, and leaves the last one to undo.
            if (from != to || !text.isEmpty())
                beforeLastEdit = plain;
            plain.replace(from, to, text);
            if (text.isEmpty())
                model.remove(from, to, TextHistory::Kind::Other, false);
            else
                model.replace(from, to, text, TextHistory::Kind::Other, false);
            break;
        }
        default:
            // Undo takes the last edit back, and a second undo puts it back.
            if (beforeLastEdit)
                std::swap(plain, *beforeLastEdit);
            model.undo();
            break;
        }
        if (model.storage().toString() != plain.text)
            fail("the edited text differs from the plain model's");
    }

    const std::optional<QByteArray> saved = save(model.storage(), format, plain);
    if (!saved)
        return 0;
    const LoadedDocument reread = loadDocument(*saved);
    // Edits can make a file read in another encoding, as any such file is; its bytes must
    // still come back as they were saved.
    if (reread.format.encoding == format.encoding
        && reread.format.legacyName == format.legacyName) {
        QString text = savedCharacters(plain, format.lineEnding);
        if (reread.text.toString() != plainText(text).text)
            fail("the saved file reads back as other text");
    }
    const Result<QByteArray> again = encodeDocument(reread.text, reread.format);
    if (!again.ok() || again.value() != *saved)
        fail("a saved file read back and saved again gives other bytes");
    return 0;
}
