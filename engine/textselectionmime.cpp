#include "engine/textselectionmime.h"

#include "engine/textcontrol.h"

namespace {

const QString PlainText = QStringLiteral("text/plain");

} // namespace

TextSelectionMime::TextSelectionMime(TextControl *control, qsizetype start, qsizetype length)
    : m_control(control)
    , m_revision(control->revision())
    , m_start(start)
    , m_length(length)
{ }

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
    if (mimeType != PlainText || !m_control || m_control->revision() != m_revision)
        return QVariant();
    return m_control->storage().mid(m_start, m_length);
}
