#include "platform/systemconventions.h"

bool systemCodePageIsUtf8()
{
#ifdef Q_OS_WIN
    return false;
#else
    return true;
#endif
}

bool argumentsComeFromWideCommandLine()
{
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

QString programFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("OmrikNote.exe");
#else
    return QStringLiteral("OmrikNote");
#endif
}
