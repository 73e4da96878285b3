#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Files in the encodings that came before Unicode, for text in a script other than the Latin
// one: Japanese, Chinese, Korean, Cyrillic, Greek, Hebrew, Arabic, Thai.

struct LegacyText
{
    QByteArray encoding; // the name Qt's converter knows it by
    QString text;
    // Of a one-byte encoding, in place of the text: its UTF-16 units in this machine's byte
    // order, in a buffer the document can keep as it is.
    QByteArray units;
};

// The text of bytes that are not valid UTF-8, in the encoding a detector names, only when that
// encoding is one of those above, decodes every byte without an error and encodes the text back
// to exactly the same bytes, and the text looks like that script's. Latin-script look-alikes of
// Windows-1252 are never taken: a Western file read in one of them would show wrong letters
// where its bytes are right.
std::optional<LegacyText> readLegacyText(const QByteArray &bytes);

// Fails where the encoding cannot hold a character, rather than putting another in its place.
std::optional<QByteArray> encodeLegacyText(const QString &text, const QByteArray &encoding);
