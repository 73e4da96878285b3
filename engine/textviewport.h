#pragma once

#include "engine/textlayouts.h"
#include "engine/textnavigator.h"
#include "engine/textstorage.h"

#include <QRect>

class QAbstractScrollArea;
class QPainter;

// The window onto the text: which row is at the top, where each position is drawn, the two
// scroll bars, and the painting of the rows in view. The vertical scroll bar counts lines, so
// its range is known at once for a document of any length, wrapped or not.
class TextViewport
{
public:
    // A strip left of the text where a click selects the whole line.
    static constexpr int SelectionMargin = 8;

    struct Marks
    {
        qsizetype selectionStart = 0;
        qsizetype selectionEnd = 0;
        // Where the caret is drawn, or -1 when it is not.
        qsizetype caret = -1;
        // The caret's place in composed input-method text, or -1 when none is composed.
        int composedCaret = -1;
        bool selectionShown = false;
    };

    TextViewport(QAbstractScrollArea &area,
        const TextStorage &storage,
        TextLayouts &layouts,
        TextNavigator &navigator);

    TextLayouts::Row top() const { return m_top; }
    void reset();
    int visibleRows() const;
    int textWidth() const;
    void updateScrollBars(bool wrapped);
    void scrollToRow(TextLayouts::Row row);
    void scrollBy(qsizetype rows) { scrollToRow(m_layouts.step(m_top, rows)); }
    // One step of scrolling toward a point outside the view, as a drag past its edge does.
    void scrollTowards(const QPoint &point);
    // Takes the top line from the vertical scroll bar after the user moved it.
    void followScrollBar();
    void showPosition(qsizetype position, bool wrapped);

    bool inSelectionMargin(const QPointF &point) const;
    qsizetype positionAt(const QPoint &point);
    QRect cursorRect(qsizetype position);
    void paint(QPainter &painter, const QRect &exposed, const Marks &marks);

private:
    TextLayouts::Row lastTopRow();
    int rowY(TextLayouts::Row row);
    int horizontalOffset() const;
    int barValue(qsizetype line) const { return int(line / m_linesPerStep); }

    QAbstractScrollArea &m_area;
    const TextStorage &m_storage;
    TextLayouts &m_layouts;
    TextNavigator &m_navigator;
    TextLayouts::Row m_top;
    bool m_settingScrollBars = false;
    // A scroll bar counts in int; past that many lines each of its steps is several lines.
    qsizetype m_linesPerStep = 1;
};
