#include "platform/prefault.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>
#include <thread>
#endif

namespace {

// Smaller buffers come from the heap, where most pages are already in use.
constexpr qsizetype Worthwhile = 1024 * 1024;
constexpr qsizetype HugePage = 2 * 1024 * 1024;
constexpr qsizetype InTwoFrom = 64 * 1024 * 1024;
constexpr quintptr PopulateStep = 8 * 1024 * 1024;

} // namespace

void prefault(void *data, qsizetype size)
{
#ifdef Q_OS_LINUX
#ifndef MADV_POPULATE_WRITE
    constexpr int MADV_POPULATE_WRITE = 23; // Linux 5.14; older kernels refuse it harmlessly
#endif
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
    const auto page = quintptr(sysconf(_SC_PAGESIZE));
    const quintptr start = (quintptr(data) + page - 1) & ~(page - 1);
    const quintptr end = (quintptr(data) + quintptr(size)) & ~(page - 1);
    if (end <= start)
        return;
    // A few megabytes a call: the call holds the lock on the process's memory map, and any
    // thread that maps memory meanwhile, the window's too, waits for it.
    const auto populate = [](quintptr from, quintptr to) {
        for (quintptr at = from; at < to; at += PopulateStep)
            madvise(
                reinterpret_cast<void *>(at), std::min(PopulateStep, to - at), MADV_POPULATE_WRITE);
    };
    // The system backs the pages of two halves at once nearly twice as fast.
    const quintptr middle = (start + (end - start) / 2) & ~(page - 1);
    std::thread second;
    if (end - start >= quintptr(InTwoFrom)) {
        try {
            second = std::thread(populate, middle, end);
        } catch (const std::system_error &) { }
    }
    populate(start, second.joinable() ? middle : end);
    if (second.joinable())
        second.join();
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
