#include "core/documentfile.h"

#include "core/fileblocks.h"
#include "core/fileencoding.h"
#include "core/lineendmarks.h"
#include "core/windows1252.h"

#include <QSysInfo>

#include <algorithm>
#include <cstring>

// A file is converted inside the bytes it was read into wherever it can be: Latin-1 runs stay
// one byte a character where they are and UTF-16 units become the text's own, so a large file
// is never held twice.

namespace {

char16_t *units(QString &text)
{
    return reinterpret_cast<char16_t *>(text.data());
}

// Converts one part of a UTF-8 or Windows-1252 file from the part's start on.
TextStorage::Builder loadPartInPlace(
    char *data, qsizetype from, qsizetype to, LineEnding usual, bool utf8, Progress *progress)
{
    TextStorage::Builder builder;
    LineEndMarks marks(builder, usual);
    qsizetype out = from;
    qsizetype runStart = from;
    qsizetype built = 0; // characters handed to the builder
    const auto appendRun = [&](qsizetype length) {
        builder.appendLatin1(QLatin1StringView(data + runStart, length));
        built += length;
        runStart += length;
    };
    for (qsizetype start = from, end; start < to; start = end) {
        end = utf8BlockEnd(data, start, to);
        marks.shift = built - runStart;
        if (progress)
            progress->advance(end - start);
        // Most blocks are their characters already, one byte each.
        if (utf8 ? kernels::isAscii(data + start, end - start)
                 : kernels::isLatin1In1252(data + start, end - start)) {
            out = kernels::compactLines(data, start, end, out, marks);
            // Whole pieces are handed on while their bytes are still in the cache from
            // compacting them; read again later, they would come from memory once more.
            constexpr qsizetype Piece = TextStorage::MaximumPiece;
            if (out - runStart >= Piece)
                appendRun((out - runStart) / Piece * Piece);
            continue;
        }
        const QByteArrayView block(data + start, end - start);
        QString text
            = utf8 ? *decodeStrictly(QStringConverter::Utf8, block) : decodeWindows1252(block);
        marks.shift += out;
        text.truncate(kernels::compactLines(units(text), 0, text.size(), 0, marks));
        if (QtPrivate::isLatin1(text)) {
            const QByteArray narrow = text.toLatin1();
            std::memcpy(data + out, narrow.constData(), std::size_t(narrow.size()));
            out += narrow.size();
            continue;
        }
        appendRun(out - runStart);
        builder.appendText(text);
        built += text.size();
    }
    appendRun(out - runStart);
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

// A valid UTF-8 or any Windows-1252 file, by two threads when it is large.
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

// The units of a valid UTF-16 file, turned to this machine's byte order where they differ.
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

// UTF-16 units in this machine's byte order from offset on, a valid UTF-16 file's after its
// mark or a legacy file's widened where it was read: they become the text's own.
TextStorage loadUtf16InPlace(
    QByteArray &bytes, qsizetype offset, LineEnding usual, Progress *progress)
{
    auto *units = reinterpret_cast<char16_t *>(bytes.data() + offset);
    const qsizetype count = (bytes.size() - offset) / 2;
    const qsizetype seam = utf16Seam(count, [units](qsizetype index) {
        return units[index];
    });
    if (progress)
        progress->beginStage(count);
    TextStorage::Builder parts[2];
    inTwoParts(0, seam, count, [&](int part, qsizetype from, qsizetype to) {
        TextStorage::Builder &builder = parts[part];
        LineEndMarks marks(builder, usual);
        marks.shift = -from;
        qsizetype out = from;
        for (qsizetype start = from, end; start < to; start = end) {
            end = std::min(to, start + Utf8Block);
            if (end < to && units[end - 1] == u'\r' && units[end] == u'\n')
                ++end;
            out = kernels::compactLines(units, start, end, out, marks);
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
    text.truncate(kernels::compactLines(units(text), 0, text.size(), 0, marks));
    builder.appendText(text);
    marks.endLastLine();
    return builder.finish();
}

} // namespace

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
    if (isUtf16(encoding)) {
        const QStringView units = inHostOrder(bytes);
        const LineEnding ending = firstLineEnding(units, u'\r', u'\n');
        return { loadUtf16InPlace(bytes, 2, ending, progress), { encoding, ending } };
    }
    if (!characters.units.isEmpty()) {
        bytes = std::move(characters.units);
        const QStringView units(
            reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
        const LineEnding ending = firstLineEnding(units, u'\r', u'\n');
        return { loadUtf16InPlace(bytes, 0, ending, progress),
            { encoding, ending, characters.legacyName } };
    }
    bytes = QByteArray();
    const LineEnding ending = firstLineEnding(QStringView(characters.text), u'\r', u'\n');
    return { loadDecoded(std::move(characters.text), ending),
        { encoding, ending, characters.legacyName } };
}
