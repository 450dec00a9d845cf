#include "plat/platMem.h"

// Large pages on Windows need the "Lock pages in memory" privilege, which a user's account
// rarely holds, and memory that is committed at once: the block stays on small pages.
void vPlatAdviseLargeBlock(void *p, size_t n) {
    (void)p;
    (void)n;
}

// Windows gives a heap block's pages at their first touch and has no call that gives them
// before: the hint is none.
void vPlatWillFill(void *p, size_t n) {
    (void)p;
    (void)n;
}
