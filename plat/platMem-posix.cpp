#include "plat/platMem.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace {
// Gives the advice iAdvice for the whole pages that the bytes [p, p + n) lie in.
[[maybe_unused]] void vAdvisePages(void *p, size_t n, int iAdvice) {
    const long lPage = sysconf(_SC_PAGESIZE);
    if (lPage <= 0 || n == 0) return;
    const uintptr_t uPage = static_cast<uintptr_t>(lPage);
    const uintptr_t uStart = reinterpret_cast<uintptr_t>(p) & ~(uPage - 1);
    const uintptr_t uEnd = (reinterpret_cast<uintptr_t>(p) + n + uPage - 1) & ~(uPage - 1);
    (void)madvise(reinterpret_cast<void *>(uStart), uEnd - uStart, iAdvice);
}
}  // namespace

// Transparent huge pages (Linux) back the 2 MiB-aligned stretches of the block. The advice
// covers the block's whole pages: the allocator most often maps a block of this size apart, and
// advice on a part of that mapping would split it, so that the allocator could no longer grow it
// in place. Systems without such pages have no MADV_HUGEPAGE, and there the advice is none.
void vPlatAdviseLargeBlock(void *p, size_t n) {
#if defined(MADV_HUGEPAGE)
    vAdvisePages(p, n, MADV_HUGEPAGE);
#else
    (void)p;
    (void)n;
#endif
}

// Linux (5.14 on) faults the pages in as writes would (MADV_POPULATE_WRITE), large pages where
// the block was advised onto them. The call covers the pages the block's bytes lie in, which
// are the program's; elsewhere, or where the system declines, there is no such call.
void vPlatWillFill(void *p, size_t n) {
#if defined(MADV_POPULATE_WRITE)
    vAdvisePages(p, n, MADV_POPULATE_WRITE);
#else
    (void)p;
    (void)n;
#endif
}
