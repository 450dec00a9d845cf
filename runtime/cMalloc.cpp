#include "runtime/cMalloc.h"

#include "runtime/cCriticalSection.h"
#include "runtime/psGlobals.h"

namespace {
const char szModule[] = ".\\cMalloc";
enum { SITE_ALLOC = 33, SITE_LOCK = 39 };
}  // namespace

int rcMalloc(cMalloc **ppMalloc) {
    *ppMalloc = static_cast<cMalloc *>(pvAlloc(sizeof(cMalloc)));
    if (*ppMalloc == nullptr) return rcNoMem("rcMalloc()", szModule, SITE_ALLOC);
    int rc = rcCriticalSection(&(*ppMalloc)->pLock);
    if (rc != RC_OK) return rcTrail(rc, "rcMalloc()", szModule, SITE_LOCK);
    (*ppMalloc)->iReserved = 0;
    return RC_OK;
}

void vFreeMalloc(cMalloc **ppMalloc) {
    if (*ppMalloc == nullptr) return;
    vFreeCriticalSection(&(*ppMalloc)->pLock);
    vFree(*ppMalloc);
    *ppMalloc = nullptr;
}

void *pvAllocCounted(cMalloc *pMalloc, size_t n) {
    CsLock lock(pMalloc->pLock);
    ++pMalloc->iNumAlloc;
    return pvAlloc(n);
}

void *pvReallocCounted(cMalloc *pMalloc, void *pv, size_t n) {
    CsLock lock(pMalloc->pLock);
    ++pMalloc->iNumRealloc;
    return pvRealloc(pv, n);
}

void vFreeCounted(cMalloc *pMalloc, void *pv) {
    if (pv == nullptr) return;
    CsLock lock(pMalloc->pLock);
    vFree(pv);
    ++pMalloc->iNumFree;
}
