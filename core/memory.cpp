// SPDX-License-Identifier: MIT
#include "memory.h"

#include <atomic>
#include <cerrno>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace oq {

void tuneHeapForLargeBlocks()
{
#if defined(__GLIBC__)
    // Otherwise the C library raises this bound as large blocks are freed
    // and keeps later ones in the heap of the thread that read them, where
    // nothing else reuses them.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

void prefaultForWriting(void *begin, std::size_t bytes)
{
#if defined(__linux__)
    // Linux 5.14 and later; older kernels answer EINVAL once, and the pages
    // are then supplied as they are first written, as before.
    constexpr int PopulateWrite = 23; // MADV_POPULATE_WRITE
    // Below a few pages the call saves nothing.
    constexpr std::size_t Worthwhile = 16 * 1024;
    static std::atomic<bool> unsupported { false };
    if (!begin || bytes < Worthwhile || unsupported.load(std::memory_order_relaxed))
        return;
    static const std::uintptr_t page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    // Whole pages inside the range only: a page shared with memory outside
    // it is left to be supplied when first written.
    const std::uintptr_t from = (std::uintptr_t(begin) + page - 1) & ~(page - 1);
    const std::uintptr_t to = (std::uintptr_t(begin) + bytes) & ~(page - 1);
    if (to <= from)
        return;
    if (madvise(reinterpret_cast<void *>(from), to - from, PopulateWrite) != 0 && errno == EINVAL)
        unsupported.store(true, std::memory_order_relaxed);
#else
    (void)begin;
    (void)bytes;
#endif
}

void releaseFreeHeap()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace oq
