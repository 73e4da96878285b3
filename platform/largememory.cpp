#include "platform/largememory.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

// Smaller buffers come from the heap, where most pages are already in use.
constexpr qsizetype Worthwhile = 1024 * 1024;
constexpr qsizetype HugePage = 2 * 1024 * 1024;

} // namespace

void preferHugePages(void *data, qsizetype size)
{
#ifdef Q_OS_LINUX
    if (size < Worthwhile)
        return;
    // Where the system gives huge pages only to those who ask, a large buffer asks: each page
    // fault then brings in 2 MiB instead of 4 KiB, and in a virtual machine a fault can cost
    // as much as copying the page's bytes many times over.
    const quintptr huge = quintptr(HugePage);
    const quintptr hugeStart = (quintptr(data) + huge - 1) & ~(huge - 1);
    const quintptr hugeEnd = (quintptr(data) + quintptr(size)) & ~(huge - 1);
    if (hugeEnd > hugeStart)
        madvise(reinterpret_cast<void *>(hugeStart), hugeEnd - hugeStart, MADV_HUGEPAGE);
        // Not populated at once: a call that did would hold the lock on the process's memory map
        // throughout, and every other thread that maps memory, the window's among them, would
        // wait. Faults, each of a huge page, take no such lock.
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

void keepFreedBlocks()
{
#ifdef __GLIBC__
    // Larger blocks, a document's own bytes among them, still come straight from the system
    // and go straight back.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}
