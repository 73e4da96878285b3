#include "platform/freememory.h"

#include <QFile>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

qint64 availableMemory()
{
#if defined(Q_OS_LINUX)
    // MemAvailable counts the page cache that can be given back, which MemFree leaves out.
    QFile info(QStringLiteral("/proc/meminfo"));
    if (!info.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = info.readLine(); !line.isEmpty(); line = info.readLine()) {
        if (!line.startsWith("MemAvailable:"))
            continue;
        bool ok = false;
        const qint64 kib = line.mid(13).trimmed().split(' ').value(0).toLongLong(&ok);
        return ok ? kib * 1024 : -1;
    }
    return -1;
#elif defined(Q_OS_WIN)
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return -1;
    return qint64(std::min(status.ullAvailPhys, status.ullAvailVirtual));
#else
    return -1;
#endif
}
