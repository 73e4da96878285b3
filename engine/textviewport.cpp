#include "engine/textviewport.h"

#include <QAbstractScrollArea>
#include <QPainter>
#include <QScrollBar>
#include <QTextLine>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int TopMargin = 4;
constexpr int RightMargin = 4;

bool rowBefore(const TextLayouts::Row &a, const TextLayouts::Row &b)
{
    return a.line < b.line || (a.line == b.line && a.visual < b.visual);
}

} // namespace

TextViewport::TextViewport(QAbstractScrollArea &area,
    const TextStorage &storage,
    TextLayouts &layouts,
    TextNavigator &navigator)
    : m_area(area)
    , m_storage(storage)
    , m_layouts(layouts)
    , m_navigator(navigator)
{ }

void TextViewport::reset()
{
    m_top = {};
    m_area.horizontalScrollBar()->setValue(0);
}

int TextViewport::visibleRows() const
{
    return std::max(1, (m_area.viewport()->height() - TopMargin) / m_layouts.rowHeight());
}

int TextViewport::textWidth() const
{
    return std::max(1, m_area.viewport()->width() - SelectionMargin - RightMargin);
}

int TextViewport::horizontalOffset() const
{
    return m_area.horizontalScrollBar()->value();
}

TextLayouts::Row TextViewport::lastTopRow()
{
    const qsizetype last = m_storage.lineCount() - 1;
    const TextLayouts::Row end { last, m_layouts.rows(last) - 1 };
    return m_layouts.step(end, -(visibleRows() - 1));
}

void TextViewport::scrollToRow(TextLayouts::Row row)
{
    const TextLayouts::Row last = lastTopRow();
    if (rowBefore(last, row))
        row = last;
    m_top = row;
    m_settingScrollBars = true;
    m_area.verticalScrollBar()->setValue(barValue(m_top.line));
    m_settingScrollBars = false;
    m_area.viewport()->update();
}

void TextViewport::updateScrollBars(bool wrapped)
{
    m_settingScrollBars = true;
    m_top.line = std::min(m_top.line, m_storage.lineCount() - 1);
    m_top.visual = std::min(m_top.visual, m_layouts.rows(m_top.line) - 1);
    const TextLayouts::Row last = lastTopRow();
    if (rowBefore(last, m_top))
        m_top = last;
    QScrollBar *vertical = m_area.verticalScrollBar();
    m_linesPerStep = last.line / std::numeric_limits<int>::max() + 1;
    vertical->setRange(0, barValue(last.line));
    vertical->setPageStep(visibleRows());
    vertical->setSingleStep(1);
    vertical->setValue(barValue(m_top.line));
    QScrollBar *horizontal = m_area.horizontalScrollBar();
    if (wrapped) {
        // Wrapped rows fit; only the rows of a long line, cut by their length, may not.
        horizontal->setRange(0, std::max(0, int(std::ceil(m_layouts.widestLine())) - textWidth()));
    } else {
        // Lines not yet laid out are guessed from their length, so the bar reaches them. Once
        // a line is long, its rows are what is shown, and other lines count when painted.
        const qsizetype longest
            = m_layouts.mayHaveLongLines() ? m_layouts.longRowLength() : m_storage.longestLine();
        const qreal estimate = longest * m_layouts.averageCharWidth();
        const qreal widest = std::max(m_layouts.widestLine(), estimate);
        const int width
            = int(std::min<qreal>(std::ceil(widest), std::numeric_limits<int>::max() / 2));
        horizontal->setRange(0, std::max(0, width - textWidth()));
    }
    horizontal->setPageStep(textWidth());
    horizontal->setSingleStep(std::max(1, m_layouts.rowHeight()));
    m_settingScrollBars = false;
}

void TextViewport::scrollTowards(const QPoint &point)
{
    const QRect area = m_area.viewport()->rect();
    if (point.y() < area.top())
        scrollBy(-1);
    else if (point.y() > area.bottom())
        scrollBy(1);
    QScrollBar *horizontal = m_area.horizontalScrollBar();
    if (point.x() < area.left())
        horizontal->setValue(horizontal->value() - horizontal->singleStep());
    else if (point.x() > area.right())
        horizontal->setValue(horizontal->value() + horizontal->singleStep());
}

void TextViewport::followScrollBar()
{
    const int value = m_area.verticalScrollBar()->value();
    if (!m_settingScrollBars && value != barValue(m_top.line))
        m_top = { std::min(qsizetype(value) * m_linesPerStep, lastTopRow().line), 0 };
    m_area.viewport()->update();
}

void TextViewport::showPosition(qsizetype position, bool wrapped)
{
    const qsizetype at = std::clamp<qsizetype>(position, 0, m_storage.length());
    const TextLayouts::Row row = m_layouts.rowOf(at);
    const TextLayouts::Row lowestTop = m_layouts.step(row, -(visibleRows() - 1));
    if (rowBefore(row, m_top))
        scrollToRow(row);
    else if (rowBefore(m_top, lowestTop))
        scrollToRow(lowestTop);
    const int x = int(m_navigator.x(at));
    const int available = textWidth();
    QScrollBar *horizontal = m_area.horizontalScrollBar();
    if (x > horizontal->maximum() + available)
        updateScrollBars(wrapped);
    if (x < horizontal->value())
        horizontal->setValue(std::max(0, x - available / 4));
    else if (x > horizontal->value() + available)
        horizontal->setValue(x - available + available / 4);
}

bool TextViewport::inSelectionMargin(const QPointF &point) const
{
    return point.x() < SelectionMargin - horizontalOffset();
}

int TextViewport::rowY(TextLayouts::Row row)
{
    if (rowBefore(row, m_top))
        return -m_layouts.rowHeight();
    // Counted wide: a long line in a narrow window may have more rows than pixels fit an int.
    qint64 y = TopMargin;
    TextLayouts::Row at = m_top;
    const int bottom = m_area.viewport()->height();
    while (at.line < row.line && y <= bottom) {
        y += qint64(m_layouts.rows(at.line) - at.visual) * m_layouts.rowHeight();
        at = { at.line + 1, 0 };
    }
    if (at.line < row.line)
        return bottom + m_layouts.rowHeight();
    y += qint64(row.visual - at.visual) * m_layouts.rowHeight();
    return int(std::min<qint64>(y, bottom + m_layouts.rowHeight()));
}

qsizetype TextViewport::positionAt(const QPoint &point)
{
    const qsizetype rows
        = qsizetype(std::floor(qreal(point.y() - TopMargin) / m_layouts.rowHeight()));
    const TextLayouts::Row row = m_layouts.step(m_top, rows);
    return m_navigator.positionInRow(row, point.x() - SelectionMargin + horizontalOffset());
}

QRect TextViewport::cursorRect(qsizetype position)
{
    const qsizetype at = std::clamp<qsizetype>(position, 0, m_storage.length());
    const int y = rowY(m_layouts.rowOf(at));
    const int x = int(m_navigator.x(at)) + SelectionMargin - horizontalOffset();
    return QRect(x, y, 1, m_layouts.rowHeight());
}

void TextViewport::paint(QPainter &painter, const QRect &exposed, const Marks &marks)
{
    m_layouts.trim();
    const QPalette &palette = m_area.palette();
    painter.setPen(palette.color(QPalette::Text));
    QTextCharFormat selected;
    selected.setBackground(palette.brush(QPalette::Active, QPalette::Highlight));
    selected.setForeground(palette.brush(QPalette::Active, QPalette::HighlightedText));
    const qsizetype from = marks.selectionShown ? marks.selectionStart : 0;
    const qsizetype to = marks.selectionShown ? marks.selectionEnd : 0;
    const qreal left = SelectionMargin - horizontalOffset();
    const int bottom = m_area.viewport()->height();
    const int height = m_layouts.rowHeight();
    // Rows of the top line that are scrolled away stay out of the margin above the text.
    const QRectF rows
        = QRectF(0, TopMargin + 1, m_area.viewport()->width(), bottom) & QRectF(exposed);
    int y = TopMargin;
    for (qsizetype line = m_top.line; line < m_storage.lineCount() && y < bottom; ++line) {
        const int rowCount = m_layouts.rows(line);
        for (int row = line == m_top.line ? m_top.visual : 0; row < rowCount && y < bottom;) {
            const TextLayouts::Piece piece = m_layouts.pieceOf({ line, row });
            const QTextLayout &layout = *piece.layout;
            // Rows of the layout above the view.
            const int above = row - piece.firstRow;
            const QPointF origin(left, y - above * height);
            QList<QTextLayout::FormatRange> selections;
            if (from < to && from <= piece.end && to > piece.start) {
                const qsizetype start = std::max(from, piece.start) - piece.start;
                selections.append(
                    { int(start), int(std::min(to, piece.end) - piece.start - start), selected });
            }
            layout.draw(&painter, origin, selections, rows);
            if (piece.lastOfLine && from <= piece.end && to > piece.end && layout.lineCount() > 0) {
                // The selected line break, as a space-wide mark after the last row.
                const QTextLine lastRow = layout.lineAt(layout.lineCount() - 1);
                const QRectF mark(origin.x() + lastRow.naturalTextWidth(),
                    origin.y() + lastRow.y(),
                    QFontMetricsF(m_area.font()).horizontalAdvance(QLatin1Char(' ')),
                    height);
                painter.fillRect(mark, selected.background());
            }
            if (marks.caret >= piece.start
                && (marks.caret < piece.end || (piece.lastOfLine && marks.caret == piece.end))) {
                const int position = marks.composedCaret >= 0 ? piece.preedit + marks.composedCaret
                                                              : int(marks.caret - piece.start);
                layout.drawCursor(&painter, origin, position, 1);
            }
            const int shown = std::max(1, layout.lineCount()) - above;
            y += shown * height;
            row += shown;
        }
    }
}
