#pragma once

#include "engine/textstorage.h"
#include "platform/failure.h"

#include <QByteArray>
#include <QString>

// Bytes on disk <-> the editor's text. This is the one place that knows encodings and line
// endings; it touches no file and shows nothing.

enum class TextEncoding {
    System, // UTF-8 on Linux, the ANSI code page on Windows; no byte-order mark
    Utf8Bom,
    Utf16LeBom,
    Utf16BeBom,
    Windows1252, // every byte value maps to a character and back, so any file survives
};

enum class LineEnding { CrLf, Lf, Cr };

struct DocumentFormat
{
    TextEncoding encoding = TextEncoding::System;
    LineEnding lineEnding = LineEnding::CrLf;

    bool operator==(const DocumentFormat &other) const
    {
        return encoding == other.encoding && lineEnding == other.lineEnding;
    }
};

struct DecodedDocument
{
    // Line breaks are '\n'; every line read ends with one, the last line too.
    QString text;
    DocumentFormat format;
};

DecodedDocument decodeDocument(const QByteArray &bytes);

struct LoadedDocument
{
    TextStorage text;
    DocumentFormat format;
};

// The same reading as decodeDocument(), straight into the editor's storage. A UTF-8 file is
// converted inside the bytes it was read into, so a large file is never held twice; pass the
// bytes in with std::move.
LoadedDocument loadDocument(QByteArray bytes);

// Each '\n' becomes the format's line ending, and a text that does not end with a line break
// gets one. Fails, rather than replacing a character, when the encoding cannot hold the text.
Result<QByteArray> encodeDocument(const QString &text, const DocumentFormat &format);
Result<QByteArray> encodeDocument(const TextStorage &text, const DocumentFormat &format);
