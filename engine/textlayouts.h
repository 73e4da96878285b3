#pragma once

#include "engine/textstorage.h"

#include <QFont>
#include <QTextLayout>

#include <map>
#include <memory>
#include <unordered_map>

// Lays out only the lines that are looked at, one QTextLayout per line. An edit forgets the
// layouts of the lines it touched; a new font or width forgets them all. Every visual row has the same height, so where a
// line stands never depends on the layout of the lines above it, and a document of any size
// scrolls by its lines.
//
// A line longer than LongLine is never laid out whole: shaping a line of megabytes takes
// seconds, on every keystroke in it. It is shown in rows of a fixed number of characters
// instead (as many as fit the width when lines wrap), each row laid out on its own when it is
// looked at.
class TextLayouts
{
public:
    struct Row
    {
        qsizetype line = 0;
        int visual = 0;
    };

    // Text laid out on its own: a whole line, or one row of a long line.
    struct Piece
    {
        const QTextLayout *layout = nullptr;
        // Where its text begins and ends in the storage, the line break not counted.
        qsizetype start = 0;
        qsizetype end = 0;
        // The visual row of the line that the layout's first row is.
        int firstRow = 0;
        bool lastOfLine = true;
        // Where composed text stands in the layout, or -1.
        int preedit = -1;
    };

    static constexpr qsizetype LongLine = 20000;

    explicit TextLayouts(const TextStorage &storage);

    void setFont(const QFont &font);
    // Zero or less: lines are not wrapped.
    void setWrapWidth(qreal width);
    bool wraps() const { return m_wrapWidth > 0; }
    // Text being composed by an input method, shown in the line at position but not yet part
    // of the storage.
    void setPreedit(qsizetype line,
        int position,
        const QString &text,
        const QList<QTextLayout::FormatRange> &formats);
    qsizetype preeditLine() const { return m_preeditText.isEmpty() ? -1 : m_preeditLine; }
    int preeditLength() const { return int(m_preeditText.size()); }

    void clear();
    // Lines first to lastBefore, numbered as before an edit, were edited; the lines after them
    // moved by lineShift. Only the edited lines are laid out again.
    void edited(qsizetype first, qsizetype lastBefore, qsizetype lineShift);
    // Forgets what is laid out when much is kept; references from layout() end here.
    void trim();

    // The piece that shows position. Where two rows of a long line meet, that is the later one.
    Piece pieceAt(qsizetype position);
    Piece pieceOf(Row row);
    int rows(qsizetype line);
    int rowHeight() const;
    qreal averageCharWidth() const;
    qreal widestLine() const { return m_widest; }

    Row step(Row from, qsizetype by);
    Row rowOf(qsizetype position);
    // Where position stands in the layout of piece, counting any composed text before it.
    int layoutPosition(const Piece &piece, qsizetype position) const;

    // Characters in each row of a long line.
    qsizetype longRowLength() const;
    // Whether any line may be long. The longest line is only ever raised by edits, so while it
    // is short no line is long and nothing need be looked up.
    bool mayHaveLongLines() const { return m_storage.longestLine() > LongLine; }

private:
    bool isLong(qsizetype line) const;
    qsizetype longRowStart(qsizetype line, qsizetype lineStart, int row) const;
    const QTextLayout &layout(qsizetype line);
    Piece longPiece(qsizetype line, int row);
    // formatShift: where the text starts in its line, which the composing formats count from.
    std::unique_ptr<QTextLayout> lay(const QString &text, int preedit, int formatShift, bool wrap);

    const TextStorage &m_storage;
    QFont m_font;
    qreal m_wrapWidth = 0;
    // Measured when first asked for: a font set and replaced before the window shows is
    // never loaded.
    mutable int m_rowHeight = 0;
    mutable qreal m_averageCharWidth = 0;
    qreal m_widest = 0;
    std::unordered_map<qsizetype, std::unique_ptr<QTextLayout>> m_layouts;
    // Rows of long lines, by line and row.
    std::map<std::pair<qsizetype, int>, std::unique_ptr<QTextLayout>> m_longRows;
    qsizetype m_preeditLine = -1;
    int m_preeditPosition = 0;
    QString m_preeditText;
    QList<QTextLayout::FormatRange> m_preeditFormats;
};
