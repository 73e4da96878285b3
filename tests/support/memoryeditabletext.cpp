#include "tests/support/memoryeditabletext.h"

#include <QClipboard>
#include <QGuiApplication>

void MemoryEditableText::setText(TextStorage &&text)
{
    // Emptying an empty text is no change for its owner.
    const bool unchanged = text.isEmpty() && storage().isEmpty();
    m_model.setText(std::move(text));
    if (!unchanged && onChanged)
        onChanged();
}

void MemoryEditableText::setSelLength(qsizetype length)
{
    const qsizetype start = selStart();
    m_model.select(start, start + length);
}

void MemoryEditableText::cut()
{
    if (!m_model.hasSelection())
        return;
    copy();
    edited(m_model.removeSelection());
}

void MemoryEditableText::copy()
{
    if (m_model.hasSelection())
        QGuiApplication::clipboard()->setText(storage().mid(selStart(), selLength()));
}

void MemoryEditableText::paste()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty())
        edited(m_model.replaceSelection(TextStorage::withNewlines(text), TextHistory::Kind::Other));
}

void MemoryEditableText::type(const QString &text)
{
    const QString lines = TextStorage::withNewlines(text);
    const bool lineBreaks = lines.contains(QLatin1Char('\n'));
    const bool typing = !m_model.hasSelection() && !lineBreaks;
    edited(m_model.replaceSelection(
        lines, typing ? TextHistory::Kind::Typing : TextHistory::Kind::Other, !lineBreaks));
}

void MemoryEditableText::edited(const TextChange &change)
{
    if (!change.isEmpty() && onChanged)
        onChanged();
}
