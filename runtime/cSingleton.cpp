#include "runtime/cSingleton.h"

#include <cstdlib>

#include "runtime/cCriticalSection.h"
#include "runtime/cMalloc.h"
#include "runtime/psGlobals.h"
#include "runtime/tTmStats.h"

namespace {
const char szModule[] = ".\\cSingleton";

enum {
    SITE_ALLOC = 302,
    SITE_MALLOC = 308,
    SITE_REFLOCK = 313,
    SITE_LOCK2 = 317,
    SITE_STATS = 322,
    SITE_LOCK3 = 327,
};

enum { SINGLETON_SECTIONS = 10 };

cSingleton *pTheSingleton = nullptr;
bool bAtExitRegistered = false;

// Frees the singleton's members in the order their users need them: the statistics first,
// whose vectors still take the reference lock and the accounting lock, the accounting record
// last. Members that were never created are null.
void vTearDown(cSingleton *p) {
    rcTmFinal(&p->pStats);
    vFreeCriticalSection(&p->pRefLock);
    vFreeCriticalSection(&p->pLock2);
    vFreeCriticalSection(&p->pLock3);
    vFreeMalloc(&p->pMalloc);
    vFree(p);
}

void vAddRef(cSingleton *p) {
    CsLock lock(p->pRefLock);
    ++p->iRefs;
}

// Creates the members in their fixed order; the statistics handle creates vectors, whose
// rcVector finds the process-wide pointer set and only takes references.
int rcCreateMembers(cSingleton *p) {
    int rc = rcMalloc(&p->pMalloc);
    if (rc != RC_OK) return rcTrail(rc, "rcSingleton()", szModule, SITE_MALLOC);
    rc = rcCriticalSection(&p->pRefLock);
    if (rc != RC_OK) return rcTrail(rc, "rcSingleton()", szModule, SITE_REFLOCK);
    rc = rcCriticalSection(&p->pLock2);
    if (rc != RC_OK) return rcTrail(rc, "rcSingleton()", szModule, SITE_LOCK2);
    rc = rcTmInitial(&p->pStats, SINGLETON_SECTIONS);
    if (rc != RC_OK) return rcTrail(rc, "rcSingleton()", szModule, SITE_STATS);
    rc = rcCriticalSection(&p->pLock3);
    if (rc != RC_OK) return rcTrail(rc, "rcSingleton()", szModule, SITE_LOCK3);
    p->iFlag1 = 1;
    p->iFlag0 = 0;
    return RC_OK;
}
}  // namespace

int rcSingleton(cSingleton **ppSingleton) {
    if (pTheSingleton != nullptr) {
        *ppSingleton = pTheSingleton;
        vAddRef(pTheSingleton);
        return RC_OK;
    }
    *ppSingleton = pTheSingleton = static_cast<cSingleton *>(pvAlloc(sizeof(cSingleton)));
    if (pTheSingleton == nullptr) return rcNoMem("rcSingleton()", szModule, SITE_ALLOC);
    int rc = rcCreateMembers(pTheSingleton);
    if (rc != RC_OK) {
        // A half-built singleton would hand out missing locks to every later caller: it goes,
        // and the next call builds it again.
        cSingleton *p = pTheSingleton;
        vTearDown(p);
        pTheSingleton = nullptr;
        *ppSingleton = nullptr;
        return rc;
    }
    if (!bAtExitRegistered) bAtExitRegistered = std::atexit(vSingletonAtExit) == 0;
    vAddRef(pTheSingleton);
    return RC_OK;
}

void vReleaseSingleton(cSingleton *pSingleton) {
    CsLock lock(pSingleton->pRefLock);
    --pSingleton->iRefs;
}

void vSingletonAtExit() {
    if (pTheSingleton == nullptr) return;
    vTearDown(pTheSingleton);
    pTheSingleton = nullptr;
}
