#pragma once

#include "platform/textstorage.h"

#include <QFont>
#include <QTextLayout>

#include <memory>
#include <unordered_map>

// Lays out only the lines that are looked at, one QTextLayout per line, and forgets them when
// the text, the font or the width changes. Every visual row has the same height, so where a
// line stands never depends on the layout of the lines above it, and a document of any size
// scrolls by its lines.
class TextLayouts
{
public:
    struct Row
    {
        qsizetype line = 0;
        int visual = 0;
    };

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
    int preeditPosition() const { return m_preeditPosition; }
    int preeditLength() const { return int(m_preeditText.size()); }

    void clear();
    // Lines first to lastBefore, numbered as before an edit, were edited; the lines after them
    // moved by lineShift. Only the edited lines are laid out again.
    void edited(qsizetype first, qsizetype lastBefore, qsizetype lineShift);
    // Forgets what is laid out when much is kept; references from layout() end here.
    void trim();

    const QTextLayout &layout(qsizetype line);
    int rows(qsizetype line);
    int rowHeight() const;
    qreal averageCharWidth() const;
    qreal widestLine() const { return m_widest; }

    Row step(Row from, qsizetype by);
    Row rowOf(qsizetype position);
    // Where position stands in its row of the layout, counting any composed text before it.
    int layoutPosition(qsizetype position);

private:
    const TextStorage &m_storage;
    QFont m_font;
    qreal m_wrapWidth = 0;
    // Measured when first asked for: a font set and replaced before the window shows is
    // never loaded.
    mutable int m_rowHeight = 0;
    mutable qreal m_averageCharWidth = 0;
    qreal m_widest = 0;
    std::unordered_map<qsizetype, std::unique_ptr<QTextLayout>> m_layouts;
    qsizetype m_preeditLine = -1;
    int m_preeditPosition = 0;
    QString m_preeditText;
    QList<QTextLayout::FormatRange> m_preeditFormats;
};
