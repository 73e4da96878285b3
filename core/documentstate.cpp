#include "core/documentstate.h"

QString DocumentState::untitledTitle()
{
    return QStringLiteral("OmrikNote (Untitled)");
}

void DocumentState::adopt(const QString &path, const DocumentFormat &format, const FileStamp &stamp)
{
    m_currentFile = path;
    m_format = format;
    m_diskStamp = stamp;
    m_textChanged = false;
    setTitle(
        path.isEmpty() ? untitledTitle() : QStringLiteral("OmrikNote (") + path + QLatin1Char(')'));
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
