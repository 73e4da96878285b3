#include "platform/standardoutput.h"

#include <cstdio>

bool writeStandardOutput(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    const bool written
        = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    return std::fflush(stdout) == 0 && written;
}
