#include "engine/textlayouts.h"

#include <QFontMetricsF>
#include <QTextBoundaryFinder>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace {

// More than a few screens of lines; beyond this the cache starts again.
constexpr std::size_t KeptLayouts = 2000;
// Wide enough for any line that is not wrapped, and within what QTextLine can measure.
constexpr qreal UnwrappedWidth = 1 << 24;
// Characters in a row of a long line that is not wrapped: a row costs little to lay out
// again after each keystroke, and a screenful of them still less than a frame.
constexpr qsizetype UnwrappedLongRow = 500;
// Farther than the characters of a row's first cluster reach back before it.
constexpr qsizetype ClusterReach = 32;

// A line separator would end the row inside the layout; it is shown as a visible mark of the
// same length, so positions in the layout stay those of the text.
QString displayText(QString text)
{
    for (QChar &unit : text) {
        if (unit == QChar::LineSeparator || unit == QChar::ParagraphSeparator)
            unit = QChar(0x21B5);
    }
    return text;
}

} // namespace

TextLayouts::TextLayouts(const TextStorage &storage)
    : m_storage(storage)
{ }

void TextLayouts::setFont(const QFont &font)
{
    m_font = font;
    m_rowHeight = 0;
    m_averageCharWidth = 0;
    m_widest = 0;
    clear();
}

int TextLayouts::rowHeight() const
{
    if (m_rowHeight == 0) {
        QTextLayout sample(QStringLiteral("X"), m_font);
        sample.beginLayout();
        const QTextLine line = sample.createLine();
        sample.endLayout();
        m_rowHeight = std::max(1, int(std::ceil(line.height())));
    }
    return m_rowHeight;
}

qreal TextLayouts::averageCharWidth() const
{
    if (m_averageCharWidth == 0)
        m_averageCharWidth = QFontMetricsF(m_font).averageCharWidth();
    return m_averageCharWidth;
}

void TextLayouts::setWrapWidth(qreal width)
{
    width = std::max<qreal>(0, width);
    if (width == m_wrapWidth)
        return;
    m_wrapWidth = width;
    m_widest = 0;
    clear();
}

void TextLayouts::setPreedit(qsizetype line,
    int position,
    const QString &text,
    const QList<QTextLayout::FormatRange> &formats)
{
    const auto forget = [this](qsizetype of) {
        m_layouts.erase(of);
        m_longRows.erase(m_longRows.lower_bound({ of, 0 }), m_longRows.lower_bound({ of + 1, 0 }));
    };
    forget(m_preeditLine);
    m_preeditLine = line;
    m_preeditPosition = position;
    m_preeditText = text;
    m_preeditFormats = formats;
    forget(line);
}

void TextLayouts::clear()
{
    m_layouts.clear();
    m_longRows.clear();
}

void TextLayouts::edited(qsizetype first, qsizetype lastBefore, qsizetype lineShift)
{
    // The line being composed in goes too: the composed text is drawn into its layout, and
    // the edit may have given its number to another line.
    const auto dropped = [&](qsizetype line) {
        return (line >= first && line <= lastBefore) || line == m_preeditLine;
    };
    if (lineShift == 0) {
        // Typing within a line: nothing is renumbered.
        for (auto it = m_layouts.begin(); it != m_layouts.end();)
            it = dropped(it->first) ? m_layouts.erase(it) : std::next(it);
        for (auto it = m_longRows.begin(); it != m_longRows.end();)
            it = dropped(it->first.first) ? m_longRows.erase(it) : std::next(it);
        return;
    }
    std::unordered_map<qsizetype, std::unique_ptr<QTextLayout>> kept;
    kept.reserve(m_layouts.size());
    for (auto &[line, layout] : m_layouts) {
        if (!dropped(line))
            kept.emplace(line > lastBefore ? line + lineShift : line, std::move(layout));
    }
    m_layouts = std::move(kept);
    std::map<std::pair<qsizetype, int>, std::unique_ptr<QTextLayout>> keptRows;
    for (auto &[row, layout] : m_longRows) {
        if (!dropped(row.first)) {
            const qsizetype line = row.first > lastBefore ? row.first + lineShift : row.first;
            keptRows.emplace(std::make_pair(line, row.second), std::move(layout));
        }
    }
    m_longRows = std::move(keptRows);
}

void TextLayouts::trim()
{
    if (m_layouts.size() + m_longRows.size() > KeptLayouts)
        clear();
}

bool TextLayouts::isLong(qsizetype line) const
{
    if (!mayHaveLongLines())
        return false;
    return m_storage.lineEnd(line) - m_storage.lineStart(line) > LongLine;
}

qsizetype TextLayouts::longRowLength() const
{
    if (!wraps())
        return UnwrappedLongRow;
    return std::max<qsizetype>(8, qsizetype(m_wrapWidth / std::max<qreal>(1, averageCharWidth())));
}

qsizetype TextLayouts::longRowStart(qsizetype line, qsizetype lineStart, int row) const
{
    const qsizetype lineEnd = m_storage.lineEnd(line);
    const qsizetype start = std::min(lineStart + row * longRowLength(), lineEnd);
    if (start == lineStart || start == lineEnd)
        return start;
    // A row begins where a character does: a surrogate pair, or a letter with its accents,
    // stays in one row. The next start is looked for nearby only, so rows stay in order.
    const qsizetype reach = std::min<qsizetype>(ClusterReach, (longRowLength() - 1) / 2);
    const qsizetype from = std::max(lineStart, start - reach);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme,
        m_storage.mid(from, std::min(lineEnd, start + reach) - from));
    finder.setPosition(int(start - from));
    if (finder.isAtBoundary())
        return start;
    const qsizetype next = finder.toNextBoundary();
    return next < 0 ? start : from + next;
}

std::unique_ptr<QTextLayout> TextLayouts::lay(
    const QString &text, int preedit, int formatShift, bool wrap)
{
    auto layout = std::make_unique<QTextLayout>(displayText(text), m_font);
    QTextOption option;
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    if (preedit >= 0) {
        layout->setPreeditArea(preedit, m_preeditText);
        QList<QTextLayout::FormatRange> formats = m_preeditFormats;
        for (QTextLayout::FormatRange &format : formats)
            format.start -= formatShift;
        layout->setFormats(formats);
    }
    layout->beginLayout();
    for (int row = 0;; ++row) {
        QTextLine textLine = layout->createLine();
        if (!textLine.isValid())
            break;
        textLine.setLineWidth(wrap ? m_wrapWidth : UnwrappedWidth);
        textLine.setPosition(QPointF(0, row * rowHeight()));
        m_widest = std::max(m_widest, textLine.naturalTextWidth());
    }
    layout->endLayout();
    return layout;
}

const QTextLayout &TextLayouts::layout(qsizetype line)
{
    std::unique_ptr<QTextLayout> &slot = m_layouts[line];
    if (!slot)
        slot = lay(
            m_storage.lineText(line), line == preeditLine() ? m_preeditPosition : -1, 0, wraps());
    return *slot;
}

TextLayouts::Piece TextLayouts::longPiece(qsizetype line, int row)
{
    const qsizetype lineStart = m_storage.lineStart(line);
    const qsizetype lineEnd = m_storage.lineEnd(line);
    const int count = rows(line);
    row = std::clamp(row, 0, count - 1);
    Piece piece;
    piece.start = longRowStart(line, lineStart, row);
    piece.lastOfLine = row + 1 == count;
    piece.end = piece.lastOfLine ? lineEnd : longRowStart(line, lineStart, row + 1);
    piece.firstRow = row;
    if (line == preeditLine()) {
        const qsizetype at = lineStart + m_preeditPosition;
        if (at >= piece.start && (at < piece.end || (piece.lastOfLine && at == piece.end)))
            piece.preedit = int(at - piece.start);
    }
    std::unique_ptr<QTextLayout> &slot = m_longRows[{ line, row }];
    if (!slot) {
        // Each row of a long line is one row already.
        slot = lay(m_storage.mid(piece.start, piece.end - piece.start),
            piece.preedit,
            int(piece.start - lineStart),
            false);
    }
    piece.layout = slot.get();
    return piece;
}

TextLayouts::Piece TextLayouts::pieceOf(Row row)
{
    if (isLong(row.line))
        return longPiece(row.line, row.visual);
    Piece piece;
    piece.layout = &layout(row.line);
    piece.start = m_storage.lineStart(row.line);
    piece.end = m_storage.lineEnd(row.line);
    piece.preedit = row.line == preeditLine() ? m_preeditPosition : -1;
    return piece;
}

TextLayouts::Piece TextLayouts::pieceAt(qsizetype position)
{
    return pieceOf(rowOf(position));
}

int TextLayouts::rows(qsizetype line)
{
    if (isLong(line)) {
        const qsizetype lineStart = m_storage.lineStart(line);
        const qsizetype length = m_storage.lineEnd(line) - lineStart;
        const qsizetype rowLength = longRowLength();
        const int count = int((length + rowLength - 1) / rowLength);
        // A character that reaches over the last nominal start leaves that row empty.
        return longRowStart(line, lineStart, count - 1) == lineStart + length ? count - 1 : count;
    }
    if (!wraps())
        return 1;
    return std::max(1, layout(line).lineCount());
}

TextLayouts::Row TextLayouts::step(Row from, qsizetype by)
{
    const qsizetype last = m_storage.lineCount() - 1;
    if (!wraps() && !mayHaveLongLines())
        return { std::clamp<qsizetype>(from.line + by, 0, last), 0 };
    Row row = from;
    while (by > 0) {
        const int count = rows(row.line);
        if (row.visual + by < count) {
            row.visual += int(by);
            break;
        }
        if (row.line == last) {
            row.visual = count - 1;
            break;
        }
        by -= count - row.visual;
        row = { row.line + 1, 0 };
    }
    while (by < 0) {
        if (row.visual + by >= 0) {
            row.visual += int(by);
            break;
        }
        if (row.line == 0) {
            row.visual = 0;
            break;
        }
        by += row.visual + 1;
        row.line -= 1;
        row.visual = rows(row.line) - 1;
    }
    return row;
}

int TextLayouts::layoutPosition(const Piece &piece, qsizetype position) const
{
    int inPiece = int(position - piece.start);
    if (piece.preedit >= 0 && inPiece >= piece.preedit)
        inPiece += preeditLength();
    return inPiece;
}

TextLayouts::Row TextLayouts::rowOf(qsizetype position)
{
    const qsizetype line = m_storage.lineOf(position);
    if (isLong(line)) {
        const qsizetype lineStart = m_storage.lineStart(line);
        int row = std::min(int((position - lineStart) / longRowLength()), rows(line) - 1);
        // Inside a character that was kept in the row before.
        while (row > 0 && position < longRowStart(line, lineStart, row))
            --row;
        return { line, row };
    }
    if (!wraps())
        return { line, 0 };
    const Piece piece = pieceOf({ line, 0 });
    const QTextLine textLine = piece.layout->lineForTextPosition(layoutPosition(piece, position));
    return { line, textLine.isValid() ? textLine.lineNumber() : 0 };
}
