#pragma once

#include "core/documentfile.h"

#include <QByteArray>
#include <QString>
#include <QStringConverter>

#include <optional>

// Which encoding a file's bytes are read in, and the strict conversions that never replace a
// character silently.

extern const QByteArray Utf8Bom;
extern const QByteArray Utf16LeBom;
extern const QByteArray Utf16BeBom;

bool isUtf8(TextEncoding encoding);
bool isUtf16(TextEncoding encoding);
QByteArray byteOrderMark(TextEncoding encoding);

// Fails, rather than replacing a character, where the bytes are not valid in the encoding.
std::optional<QString> decodeStrictly(QStringConverter::Encoding encoding, QByteArrayView bytes);

// The characters without the byte-order mark. Each encoding encodes a character at a time, so
// a text can be encoded in parts as long as no part splits a surrogate pair.
std::optional<QByteArray> encodeCharacters(const QString &text, const DocumentFormat &format);

struct Characters
{
    explicit Characters(TextEncoding encoding,
        QByteArray legacyName = QByteArray(),
        QString text = QString(),
        QByteArray units = QByteArray())
        : encoding(encoding)
        , legacyName(std::move(legacyName))
        , text(std::move(text))
        , units(std::move(units))
    { }

    TextEncoding encoding;
    QByteArray legacyName;
    // The decoded text, byte-order mark left out; none for UTF-8, UTF-16 and Windows-1252,
    // which are converted where they were read.
    QString text;
    // Of a one-byte legacy encoding, in place of the text: its UTF-16 units.
    QByteArray units;
};

// How a file's bytes are read, decided in this one place: by a byte-order mark when what
// follows it is valid in that encoding; else as UTF-8 when every byte is valid there (on
// Windows only when some character is not ASCII, since ASCII is the same in the ANSI code
// page); else in the system code page where that is not UTF-8 and every byte is valid in it;
// else, where it is UTF-8, in the legacy encoding a detector names and the bytes prove; else
// as Windows-1252, which takes any bytes.
Characters readCharacters(const QByteArray &bytes);

// Windows-1252 text that starts like a UTF-16 byte-order mark can, once its line endings are
// made uniform, form valid UTF-16 and would then open as different text.
bool readsBackAs(const QByteArray &bytes, const DocumentFormat &format);
