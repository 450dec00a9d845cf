#include "runtime/cVector.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

#include "runtime/cCriticalSection.h"
#include "runtime/cMalloc.h"
#include "runtime/cSingleton.h"
#include "runtime/psGlobals.h"

namespace {
const char szModule[] = ".\\cVector";

enum {
    SITE_REUSE_ALLOC = 130,
    SITE_VEC_ALLOC = 186,
    SITE_VEC_SINGLETON = 194,
    SITE_VEC_REUSE = 200,
    SITE_BULK_REALLOC = 339,
    SITE_WALK = 661,
    SITE_MERGE_BULK = 714,
    SITE_MERGE_CALLBACK = 731,
};

const uint32_t iGrowthStart = 10;

char *pElem(const cVector *pVec, uint32_t i) {
    return static_cast<char *>(pVec->pBuf) + static_cast<size_t>(i) * pVec->iElemSize;
}

// Index of the first element not less than *pKey; *pbFound tells whether it equals the key.
uint32_t iLowerBound(const cVector *pVec, pfnCmpElement pfnCmp, const void *pKey, bool *pbFound) {
    uint32_t iLo = 0, iHi = pVec->iCount;
    while (iLo < iHi) {
        uint32_t iMid = iLo + (iHi - iLo) / 2;
        if (pfnCmp(pElem(pVec, iMid), pKey) < 0)
            iLo = iMid + 1;
        else
            iHi = iMid;
    }
    *pbFound = iLo < pVec->iCount && pfnCmp(pElem(pVec, iLo), pKey) == 0;
    return iLo;
}
}  // namespace

int rcVector(cVector **ppVec, uint32_t iElemSize, uint32_t iCount, uint32_t iSpare, void **ppBuf) {
    *ppVec = static_cast<cVector *>(pvAlloc(sizeof(cVector)));
    if (*ppVec == nullptr) return rcNoMem("rcVector()", szModule, SITE_VEC_ALLOC);
    cVector *pVec = *ppVec;
    int rc = rcSingleton(&pVec->pSingleton);
    if (rc != RC_OK) return rcTrail(rc, "rcVector()", szModule, SITE_VEC_SINGLETON);
    pVec->pMalloc = pVec->pSingleton->pMalloc;
    rc = rcReuseVector(pVec, iElemSize, iCount, iSpare, ppBuf);
    if (rc != RC_OK) return rcTrail(rc, "rcVector()", szModule, SITE_VEC_REUSE);
    return RC_OK;
}

int rcReuseVector(cVector *pVec, uint32_t iElemSize, uint32_t iCount, uint32_t iSpare, void **ppBuf) {
    assert(iElemSize > 0);
    // The sizes are 32-bit byte counts; a request beyond them cannot be had and is refused
    // like any allocation that fails, before it could wrap to a smaller block.
    uint64_t iOldSize = static_cast<uint64_t>(pVec->iElemSize) * pVec->iCapacity;
    uint64_t iNewSize = static_cast<uint64_t>(iElemSize) * iCount;
    if (iNewSize > UINT32_MAX) return rcNoMem("rcReuseVector()", szModule, SITE_REUSE_ALLOC);
    if (iOldSize >= iNewSize) {
        if (iOldSize != 0) std::memset(pVec->pBuf, 0, static_cast<size_t>(iOldSize));
        pVec->iCapacity = static_cast<uint32_t>(iOldSize / iElemSize);
    } else {
        vFreeCounted(pVec->pMalloc, pVec->pBuf);
        pVec->pBuf = nullptr;
        pVec->iCapacity = 0;
        pVec->iCount = 0;
        pVec->pBuf = pvAllocCounted(pVec->pMalloc, static_cast<size_t>(iNewSize));
        if (pVec->pBuf == nullptr) return rcNoMem("rcReuseVector()", szModule, SITE_REUSE_ALLOC);
        pVec->iCapacity = iCount;
    }
    if (ppBuf != nullptr) {
        pVec->iCount = iCount;
        *ppBuf = pVec->pBuf;
    } else {
        pVec->iCount = 0;
    }
    pVec->iElemSize = iElemSize;
    pVec->iBulk = iCount;
    pVec->iSpare = iSpare;
    pVec->iGrowth = iGrowthStart;
    return RC_OK;
}

int rcAddNumBulkNeeded(cVector *pVec, uint32_t n, void **ppSlot) {
    if (static_cast<uint64_t>(pVec->iCount) + n > pVec->iCapacity) {
        uint64_t iExtra = static_cast<uint64_t>(n) * pVec->iGrowth;
        uint64_t iCapacity = pVec->iCount + iExtra;
        // A capacity or byte count beyond 32 bits is refused like a failed reallocation.
        if (iCapacity > UINT32_MAX || iCapacity * pVec->iElemSize > UINT32_MAX)
            return rcNoMem("rcAddNumBulkNeeded()", szModule, SITE_BULK_REALLOC);
        size_t nBytes = static_cast<size_t>(iCapacity * pVec->iElemSize);
        void *pNew = pvReallocCounted(pVec->pMalloc, pVec->pBuf, nBytes);
        // The old buffer stays with the vector, so that freeing the vector frees it.
        if (pNew == nullptr) return rcNoMem("rcAddNumBulkNeeded()", szModule, SITE_BULK_REALLOC);
        pVec->pBuf = pNew;
        uint32_t iOldCapacity = pVec->iCapacity;
        pVec->iCapacity = static_cast<uint32_t>(iCapacity);
        std::memset(pElem(pVec, iOldCapacity), 0,
                    static_cast<size_t>(pVec->iCapacity - iOldCapacity) * pVec->iElemSize);
        if (pVec->iGrowth <= UINT32_MAX / 2) pVec->iGrowth *= 2;
    }
    *ppSlot = pElem(pVec, pVec->iCount);
    return RC_OK;
}

int rcMergeIntoVector(cVector *pVec, void *pCtx, pfnCmpElement pfnCmp, const void *pKey, pfnOnElement pfnOn) {
    bool bFound = false;
    uint32_t iIndex = iLowerBound(pVec, pfnCmp, pKey, &bFound);
    if (!bFound) {
        // A vector dimensioned for no element has a bulk of 0; the key still needs room.
        void *pSlot = nullptr;
        int rc = rcAddNumBulkNeeded(pVec, pVec->iBulk > 0 ? pVec->iBulk : 1, &pSlot);
        if (rc != RC_OK) return rcTrail(rc, "rcMergeIntoVector()", szModule, SITE_MERGE_BULK);
        // The vector is sorted, so the key goes in at its lower bound: the order a full sort
        // after appending it would give.
        std::memmove(pElem(pVec, iIndex + 1), pElem(pVec, iIndex),
                     static_cast<size_t>(pVec->iCount - iIndex) * pVec->iElemSize);
        std::memcpy(pElem(pVec, iIndex), pKey, pVec->iElemSize);
        ++pVec->iCount;
    }
    int rc = pfnOn(pCtx, pElem(pVec, iIndex), iIndex);
    if (rc != RC_OK) return rcTrail(rc, "rcMergeIntoVector()", szModule, SITE_MERGE_CALLBACK);
    return RC_OK;
}

void *pvFindInVector(const cVector *pVec, pfnCmpElement pfnCmp, const void *pKey) {
    bool bFound = false;
    uint32_t iIndex = iLowerBound(pVec, pfnCmp, pKey, &bFound);
    return bFound ? pElem(pVec, iIndex) : nullptr;
}

int rcSimpleForEachVector(cVector *pVec, void *pCtx, pfnOnElement pfnOn) {
    for (uint32_t i = 0; i < pVec->iCount; ++i) {
        int rc = pfnOn(pCtx, pElem(pVec, i), i);
        if (rc != RC_OK) return rcTrail(rc, "rcSimpleForEachVector()", szModule, SITE_WALK);
    }
    return RC_OK;
}

void vFreeVector(cVector **ppVec) {
    cVector *pVec = *ppVec;
    if (pVec == nullptr) return;
    // A buffer exists only once the vector holds its reference and the accounting record.
    if (pVec->pBuf != nullptr) vFreeCounted(pVec->pMalloc, pVec->pBuf);
    if (pVec->pSingleton != nullptr) vReleaseSingleton(pVec->pSingleton);
    vFree(pVec);
    *ppVec = nullptr;
}
