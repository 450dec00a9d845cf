#include "runtime/cCriticalSection.h"

#include <cassert>

#include "plat/platTime.h"
#include "runtime/psGlobals.h"

namespace {
const char szModule[] = ".\\cCriticalSection";
enum { SITE_ALLOC = 18 };
}  // namespace

int rcCriticalSection(cCriticalSection **ppCs) {
    *ppCs = static_cast<cCriticalSection *>(pvAlloc(nPlatLockSize));
    if (*ppCs == nullptr) return rcNoMem("rcCriticalSection()", szModule, SITE_ALLOC);
    vPlatLockInit(*ppCs);
    return RC_OK;
}

void vEnterCriticalSection(cCriticalSection *pCs) {
    assert(pCs != nullptr);
    vPlatLockEnter(pCs);
}

void vLeaveCriticalSection(cCriticalSection *pCs) {
    assert(pCs != nullptr);
    vPlatLockLeave(pCs);
}

void vFreeCriticalSection(cCriticalSection **ppCs) {
    if (*ppCs == nullptr) return;
    vPlatLockDelete(*ppCs);
    vFree(*ppCs);
    *ppCs = nullptr;
}
