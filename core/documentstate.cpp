#include "core/documentstate.h"

QString DocumentState::untitledTitle()
{
    return QStringLiteral("OmrikNote (Untitled)");
}

void DocumentState::showUntitledTitle()
{
    setTitle(untitledTitle());
}

void DocumentState::showFileTitle()
{
    setTitle(QStringLiteral("OmrikNote (") + m_currentFile + QLatin1Char(')'));
}

void DocumentState::setTitle(const QString &title)
{
    m_title = title;
    Q_EMIT titleChanged(title);
}

QString DocumentState::saveChangesPrompt() const
{
    const QString name = m_currentFile.isEmpty() ? QStringLiteral("(Untitled)") : m_currentFile;
    return QStringLiteral("The file ") + name
        + QStringLiteral(" has changed.\rDo you wish to save changes?");
}
