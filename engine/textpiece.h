#pragma once

#include <QChar>
#include <QtGlobal>

// One run of the storage's text in one of its buffers, which never change once written: one
// byte a character (Latin-1) or UTF-16. Copying a piece copies no text.
struct TextPiece
{
    const void *data = nullptr;
    qint32 length = 0;
    qint32 newlines = 0;
    bool wide = false;

    QChar at(qint32 offset) const;
    // The offset of the k-th '\n' (1-based) in [from, to), or -1.
    qint32 findNewline(qint32 from, qint32 to, qsizetype k) const;
    qint32 countNewlines(qint32 from, qint32 to) const;
    // Counts the piece's line breaks while following the length of the line they end:
    // lineLength is that of the line so far before the call and after it, and longest is
    // raised to the length of every line that ends or goes on in the piece.
    qint32 measureLines(qsizetype &lineLength, qsizetype &longest) const;
    TextPiece slice(qint32 from, qint32 to) const;
    void copyUnits(qint32 from, qint32 to, QChar *out) const;
    // Whether next's text was stored right after this one's, so the two can be one piece.
    bool adjoins(const TextPiece &next) const;

    const uchar *bytes() const { return static_cast<const uchar *>(data); }
    const char16_t *units() const { return static_cast<const char16_t *>(data); }
};
