#include "platform/textlayouts.h"

#include <QFontMetricsF>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace {

// More than a few screens of lines; beyond this the cache starts again.
constexpr std::size_t KeptLayouts = 2000;
// Wide enough for any line that is not wrapped, and within what QTextLine can measure.
constexpr qreal UnwrappedWidth = 1 << 24;

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
    clear();
}

void TextLayouts::setPreedit(qsizetype line,
    int position,
    const QString &text,
    const QList<QTextLayout::FormatRange> &formats)
{
    m_layouts.erase(m_preeditLine);
    m_preeditLine = line;
    m_preeditPosition = position;
    m_preeditText = text;
    m_preeditFormats = formats;
    m_layouts.erase(line);
}

void TextLayouts::clear()
{
    m_layouts.clear();
}

void TextLayouts::edited(qsizetype first, qsizetype lastBefore, qsizetype lineShift)
{
    std::unordered_map<qsizetype, std::unique_ptr<QTextLayout>> kept;
    kept.reserve(m_layouts.size());
    for (auto &[line, layout] : m_layouts) {
        // The composed text stays with its line number, not with the line's text.
        if (line == m_preeditLine)
            continue;
        if (line < first)
            kept.emplace(line, std::move(layout));
        else if (line > lastBefore)
            kept.emplace(line + lineShift, std::move(layout));
    }
    m_layouts = std::move(kept);
}

void TextLayouts::trim()
{
    if (m_layouts.size() > KeptLayouts)
        clear();
}

const QTextLayout &TextLayouts::layout(qsizetype line)
{
    std::unique_ptr<QTextLayout> &slot = m_layouts[line];
    if (slot)
        return *slot;
    slot = std::make_unique<QTextLayout>(displayText(m_storage.lineText(line)), m_font);
    QTextOption option;
    option.setWrapMode(wraps() ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    slot->setTextOption(option);
    slot->setCacheEnabled(true);
    if (line == preeditLine()) {
        slot->setPreeditArea(m_preeditPosition, m_preeditText);
        slot->setFormats(m_preeditFormats);
    }
    slot->beginLayout();
    for (int row = 0;; ++row) {
        QTextLine textLine = slot->createLine();
        if (!textLine.isValid())
            break;
        textLine.setLineWidth(wraps() ? m_wrapWidth : UnwrappedWidth);
        textLine.setPosition(QPointF(0, row * rowHeight()));
        m_widest = std::max(m_widest, textLine.naturalTextWidth());
    }
    slot->endLayout();
    return *slot;
}

int TextLayouts::rows(qsizetype line)
{
    if (!wraps())
        return 1;
    return std::max(1, layout(line).lineCount());
}

TextLayouts::Row TextLayouts::step(Row from, qsizetype by)
{
    const qsizetype last = m_storage.lineCount() - 1;
    if (!wraps()) {
        return { std::clamp<qsizetype>(from.line + by, 0, last), 0 };
    }
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

int TextLayouts::layoutPosition(qsizetype position)
{
    const qsizetype line = m_storage.lineOf(position);
    int inLine = int(position - m_storage.lineStart(line));
    if (line == preeditLine() && inLine >= m_preeditPosition)
        inLine += preeditLength();
    return inLine;
}

TextLayouts::Row TextLayouts::rowOf(qsizetype position)
{
    const qsizetype line = m_storage.lineOf(position);
    if (!wraps())
        return { line, 0 };
    const QTextLine textLine = layout(line).lineForTextPosition(layoutPosition(position));
    return { line, textLine.isValid() ? textLine.lineNumber() : 0 };
}
