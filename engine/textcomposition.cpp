#include "engine/textcomposition.h"

#include <QTextCharFormat>

#include <algorithm>

namespace {

// How much text on each side of the caret input methods see.
constexpr qsizetype SurroundingReach = 1000;

} // namespace

TextComposition::TextComposition(const TextEditingModel &model, TextLayouts &layouts)
    : m_model(model)
    , m_layouts(layouts)
{ }

std::pair<qsizetype, qsizetype> TextComposition::commitRange(const QInputMethodEvent &event) const
{
    const qsizetype length = m_model.storage().length();
    if (m_model.hasSelection() || event.replacementLength() <= 0)
        return { m_model.selectionStart(), m_model.selectionEnd() };
    const qsizetype from
        = std::clamp<qsizetype>(m_model.caret() + event.replacementStart(), 0, length);
    return { from, std::clamp<qsizetype>(from + event.replacementLength(), from, length) };
}

void TextComposition::show(const QInputMethodEvent &event)
{
    const TextStorage &storage = m_model.storage();
    m_preedit = event.preeditString();
    m_caret = int(m_preedit.size());
    const qsizetype line = storage.lineOf(m_model.caret());
    const int inLine = int(m_model.caret() - storage.lineStart(line));
    QList<QTextLayout::FormatRange> formats;
    for (const QInputMethodEvent::Attribute &attribute : event.attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor)
            m_caret = attribute.start;
        if (attribute.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
            if (format.isValid())
                formats.append({ inLine + attribute.start, attribute.length, format });
        }
    }
    m_layouts.setPreedit(m_preedit.isEmpty() ? -1 : line, inLine, m_preedit, formats);
}

void TextComposition::clear()
{
    m_preedit.clear();
    m_layouts.setPreedit(-1, 0, QString(), {});
}

QVariant TextComposition::query(Qt::InputMethodQuery query) const
{
    const TextStorage &storage = m_model.storage();
    const qsizetype caret = m_model.caret();
    // Input methods are told about the text near the caret, not about a whole line or
    // selection of megabytes, which some would copy on every keystroke.
    const auto [from, to] = storage.lineAround(caret, SurroundingReach);
    switch (query) {
    case Qt::ImCursorPosition:
        return int(caret - from);
    case Qt::ImAnchorPosition:
        return int(std::clamp(m_model.anchor(), from, to) - from);
    case Qt::ImSurroundingText:
        return storage.mid(from, to - from);
    case Qt::ImCurrentSelection: {
        const qsizetype start = m_model.selectionStart();
        const qsizetype end = std::min(m_model.selectionEnd(), start + SurroundingReach);
        return storage.mid(start, storage.wholeCodePoint(end, false) - start);
    }
    default:
        return QVariant();
    }
}
