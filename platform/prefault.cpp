#include "platform/prefault.h"

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// Smaller buffers come from the heap, where most pages are already in use.
constexpr qsizetype Worthwhile = 1024 * 1024;

} // namespace

void prefault(void *data, qsizetype size)
{
#ifdef Q_OS_LINUX
#ifndef MADV_POPULATE_WRITE
    constexpr int MADV_POPULATE_WRITE = 23; // Linux 5.14; older kernels refuse it harmlessly
#endif
    if (size < Worthwhile)
        return;
    const auto page = quintptr(sysconf(_SC_PAGESIZE));
    const quintptr start = (quintptr(data) + page - 1) & ~(page - 1);
    const quintptr end = (quintptr(data) + quintptr(size)) & ~(page - 1);
    if (end > start)
        madvise(reinterpret_cast<void *>(start), end - start, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}
