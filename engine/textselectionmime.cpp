#include "engine/textselectionmime.h"

#include "engine/textcontrol.h"

namespace {

const QString PlainText = QStringLiteral("text/plain");

} // namespace

TextSelectionMime::TextSelectionMime(const TextControl *control)
    : m_control(control)
{ }

void TextSelectionMime::keep(std::shared_ptr<const std::vector<TextPiece>> pieces)
{
    m_kept = std::move(pieces);
}

QStringList TextSelectionMime::formats() const
{
    return { PlainText };
}

bool TextSelectionMime::hasFormat(const QString &mimeType) const
{
    return mimeType == PlainText;
}

QVariant TextSelectionMime::retrieveData(const QString &mimeType, QMetaType) const
{
    // Kept pieces live in the control's buffers, so they go with it.
    if (mimeType != PlainText || !m_control)
        return QVariant();
    if (m_kept)
        return TextStorage::textOf(*m_kept);
    const QString selected = m_control->selectedText();
    return selected.isEmpty() ? QVariant() : QVariant(selected);
}
