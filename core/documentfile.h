#pragma once

#include "engine/textstorage.h"
#include "platform/failure.h"
#include "platform/progress.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <utility>

// Bytes on disk <-> the editor's text. This is the one place that knows encodings and line
// endings; it touches no file and shows nothing.

enum class TextEncoding {
    System, // UTF-8 on Linux, the ANSI code page on Windows; no byte-order mark
    Utf8Bom,
    Utf16LeBom,
    Utf16BeBom,
    Windows1252, // every byte value maps to a character and back, so any file survives
    Utf8, // no byte-order mark, where the system code page is another one (Windows)
    Legacy, // a pre-Unicode encoding a detector named and the file's bytes proved
};

enum class LineEnding { CrLf, Lf, Cr };

struct DocumentFormat
{
    DocumentFormat(TextEncoding encoding = TextEncoding::System,
        LineEnding lineEnding = LineEnding::CrLf,
        QByteArray legacyName = QByteArray())
        : encoding(encoding)
        , lineEnding(lineEnding)
        , legacyName(std::move(legacyName))
    { }

    TextEncoding encoding;
    LineEnding lineEnding;
    // Of a Legacy encoding, the name Qt's converter knows it by.
    QByteArray legacyName;

    bool operator==(const DocumentFormat &other) const
    {
        return encoding == other.encoding && lineEnding == other.lineEnding
            && legacyName == other.legacyName;
    }
};

struct LoadedDocument
{
    // Line breaks are '\n'; every line read ends with one, the last line too. Each break
    // whose line end in the file differs from the format's carries a mark saying what it was.
    TextStorage text;
    // The line ending is the file's first one, which new line breaks get.
    DocumentFormat format;
};

// A UTF-8 file is converted inside the bytes it was read into, so a large file is never held
// twice; pass the bytes in with std::move. The decoding counts the bytes it has dealt with
// into progress, as one stage.
LoadedDocument loadDocument(QByteArray bytes, Progress *progress = nullptr);

// Each line break is written with the line end it was read with, any other with the format's
// line ending; a text that does not end with a line break gets one. So a document that was
// not edited is written back byte for byte. Fails, rather than replacing a character, when
// the encoding cannot hold the text.
Result<QByteArray> encodeDocument(
    const TextStorage &text, const DocumentFormat &format, Progress *progress = nullptr);

// encodeDocument() a part at a time, so that a large file is written without its bytes ever
// being held at once. The text must not change while the writer lives.
class DocumentWriter
{
public:
    DocumentWriter(const TextStorage &text, const DocumentFormat &format, Progress *progress);
    ~DocumentWriter();
    DocumentWriter(const DocumentWriter &) = delete;
    DocumentWriter &operator=(const DocumentWriter &) = delete;

    // Appends the next part of the bytes to part, until it holds at least size bytes or the
    // text ends; true while more is to come. The characters encoded are counted into progress
    // as one stage.
    Result<bool> next(QByteArray &part, qsizetype size);

private:
    struct Encoding;

    const TextStorage &m_text;
    const DocumentFormat m_format;
    Progress *const m_progress;
    std::unique_ptr<Encoding> m_encoding;
    std::size_t m_run = 0;
    bool m_endsWithLine = false;
};
