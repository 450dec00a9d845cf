#include "runtime/tTmStats.h"

#include <cassert>
#include <cstdio>

#include "plat/platTime.h"
#include "runtime/cCriticalSection.h"
#include "runtime/cVector.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

namespace {
const char szModule[] = ".\\tTmStats";

enum {
    SITE_INIT_THREADS = 75,
    SITE_INIT_LOCK = 80,
    SITE_START_UNPAIRED = 196,
    SITE_STOP_UNPAIRED = 247,
    SITE_STOP_NEGATIVE = 262,
    SITE_TM_ALLOC = 308,
    SITE_TM_COUNTER = 314,
    SITE_TM_TERMS = 324,
    SITE_TM_WALK = 330,
    SITE_START_MERGE = 377,
    SITE_START_PASSES = 385,
    SITE_STOP_MERGE = 428,
    // A thread that never started or stopped the section has no record: it is refused with
    // the message that asks for rcTmStop first, at a site of its own just before the check of
    // a running interval.
    SITE_ELAPS_NO_THREAD = 461,
    SITE_ELAPS_RUNNING = 466,
};

enum { THREAD_ROOM = 10 };
const int32_t iMaxPasses = 2147483647;
// The elapsed time divides by the frequency in thousands: a slower counter would divide by 0.
const int64_t iMinFrequency = 1000;

int64_t iTmFreq = 0;  // ticks per second; 0 until rcTmInitial has read a usable value

tTmTerm *pTerm(tTmStats *pStats, uint32_t iTerm) {
    assert(pStats != nullptr && pStats->pTerms != nullptr && iTerm < pStats->pTerms->iCount);
    return static_cast<tTmTerm *>(pStats->pTerms->pBuf) + iTerm;
}

int rcOnRepeatInitial(void *, void *pElem, uint32_t iIndex) {
    tTmTerm *p = static_cast<tTmTerm *>(pElem);
    p->iTerm = iIndex;
    int rc = rcVector(&p->pThreads, sizeof(tTmThread), THREAD_ROOM, 0, nullptr);
    if (rc != RC_OK) return rcTrail(rc, "rcOnRepeatInitial()", szModule, SITE_INIT_THREADS);
    rc = rcCriticalSection(&p->pLock);
    if (rc != RC_OK) return rcTrail(rc, "rcOnRepeatInitial()", szModule, SITE_INIT_LOCK);
    return RC_OK;
}

int rcOnRepeatFinal(void *, void *pElem, uint32_t) {
    tTmTerm *p = static_cast<tTmTerm *>(pElem);
    vFreeCriticalSection(&p->pLock);
    vFreeVector(&p->pThreads);
    return RC_OK;
}

int rcOnRepThrStart(void *pCtx, void *pElem, uint32_t) {
    tTmTerm *pT = static_cast<tTmTerm *>(pCtx);
    tTmThread *p = static_cast<tTmThread *>(pElem);
    if (p->iCnt % 2 != 0) {
        iConPrintf(szMsgUnpaired, szErrorPrefix, "rcOnRepThrStop", pT->iTerm, p->iTid, p->iCnt);
        return rcTrail(RC_TMSTATS, "rcOnRepThrStart()", szModule, SITE_START_UNPAIRED);
    }
    p->iStartCnt = iPlatCounter();
    ++p->iCnt;
    return RC_OK;
}

int rcOnRepThrStop(void *pCtx, void *pElem, uint32_t) {
    tTmTerm *pT = static_cast<tTmTerm *>(pCtx);
    tTmThread *p = static_cast<tTmThread *>(pElem);
    if (p->iCnt % 2 == 0) {
        iConPrintf(szMsgUnpaired, szErrorPrefix, "rcOnRepThrStart", pT->iTerm, p->iTid, p->iCnt);
        return rcTrail(RC_TMSTATS, "rcOnRepThrStop()", szModule, SITE_STOP_UNPAIRED);
    }
    int64_t iDiff = iPlatCounter() - p->iStartCnt;
    if (iDiff < 0) {
        uint64_t u = static_cast<uint64_t>(iDiff);
        iConPrintf(szMsgNegElaps, szErrorPrefix, pT->iTerm, p->iTid, p->iCnt, static_cast<unsigned>(u >> 32),
                   static_cast<unsigned>(u & 0xffffffffu));
        return rcTrail(RC_TMSTATS, "rcOnRepThrStop()", szModule, SITE_STOP_NEGATIVE);
    }
    pT->iElaps += iDiff;
    ++p->iCnt;
    return RC_OK;
}
}  // namespace

int iCmpThreadId(const void *pv1, const void *pv2) {
    uint32_t i1 = static_cast<const tTmThread *>(pv1)->iTid;
    uint32_t i2 = static_cast<const tTmThread *>(pv2)->iTid;
    return i1 < i2 ? -1 : (i1 > i2 ? 1 : 0);
}

int rcTmInitial(tTmStats **ppStats, uint32_t iTerms) {
    if (console == nullptr) console = stdout;
    *ppStats = static_cast<tTmStats *>(pvAlloc(sizeof(tTmStats)));
    if (*ppStats == nullptr) return rcNoMem("rcTmInitial()", szModule, SITE_TM_ALLOC);
    if (iTmFreq == 0) {
        // Only a usable frequency is kept; an unusable one is asked for again next time.
        int64_t iFreq = iPlatCounterFreq();
        if (iFreq >= iMinFrequency) iTmFreq = iFreq;
    }
    if (iTmFreq == 0) {
        iConPrintf(szMsgNoCounter, szErrorPrefix);
        return rcTrail(RC_TMSTATS, "rcTmInitial()", szModule, SITE_TM_COUNTER);
    }
    void *pBuf = nullptr;
    int rc = rcVector(&(*ppStats)->pTerms, sizeof(tTmTerm), iTerms, 0, &pBuf);
    if (rc != RC_OK) return rcTrail(rc, "rcTmInitial()", szModule, SITE_TM_TERMS);
    rc = rcSimpleForEachVector((*ppStats)->pTerms, nullptr, rcOnRepeatInitial);
    if (rc != RC_OK) return rcTrail(rc, "rcTmInitial()", szModule, SITE_TM_WALK);
    return RC_OK;
}

int rcTmStart(tTmStats *pStats, uint32_t iTerm) {
    tTmTerm *pT = pTerm(pStats, iTerm);
    CsLock lock(pT->pLock);
    tTmThread rKey = {uPlatThreadId(), 0, 0};
    int rc = rcMergeIntoVector(pT->pThreads, pT, iCmpThreadId, &rKey, rcOnRepThrStart);
    if (rc != RC_OK) return rcTrail(rc, "rcTmStart()", szModule, SITE_START_MERGE);
    if (pT->iPasses == iMaxPasses) {
        iConPrintf(szMsgMaxPass, szErrorPrefix, static_cast<int>(pT->iTerm), szFmtNum(iMaxPasses, 3));
        return rcTrail(RC_TMSTATS, "rcTmStart()", szModule, SITE_START_PASSES);
    }
    // The count of used sections belongs to the whole handle, which no one lock guards.
    if (++pT->iPasses == 1) __atomic_add_fetch(&pStats->iNumUsed, 1u, __ATOMIC_RELAXED);
    return RC_OK;
}

int rcTmStop(tTmStats *pStats, uint32_t iTerm) {
    tTmTerm *pT = pTerm(pStats, iTerm);
    CsLock lock(pT->pLock);
    tTmThread rKey = {uPlatThreadId(), 0, 0};
    int rc = rcMergeIntoVector(pT->pThreads, pT, iCmpThreadId, &rKey, rcOnRepThrStop);
    if (rc != RC_OK) return rcTrail(rc, "rcTmStop()", szModule, SITE_STOP_MERGE);
    return RC_OK;
}

int rcTmGetElaps(tTmStats *pStats, uint32_t iTerm, int64_t *piElaps) {
    tTmTerm *pT = pTerm(pStats, iTerm);
    CsLock lock(pT->pLock);
    tTmThread rKey = {uPlatThreadId(), 0, 0};
    const tTmThread *p = static_cast<const tTmThread *>(pvFindInVector(pT->pThreads, iCmpThreadId, &rKey));
    if (p == nullptr) {
        iConPrintf(szMsgStopFirst, szErrorPrefix, pT->iTerm);
        return rcTrail(RC_TMSTATS, "rcTmGetElaps()", szModule, SITE_ELAPS_NO_THREAD);
    }
    if (p->iCnt % 2 != 0) {
        iConPrintf(szMsgStopFirst, szErrorPrefix, pT->iTerm);
        return rcTrail(RC_TMSTATS, "rcTmGetElaps()", szModule, SITE_ELAPS_RUNNING);
    }
    assert(iTmFreq >= iMinFrequency);  // read before the handle's sections existed
    *piElaps = pT->iElaps * 1000 / (iTmFreq / 1000);
    return RC_OK;
}

int rcTmFinal(tTmStats **ppStats) {
    tTmStats *pStats = *ppStats;
    if (pStats == nullptr) return RC_OK;
    // A handle whose creation failed part way has sections without lock or thread records,
    // or no section table at all; each is released as far as it exists.
    if (pStats->pTerms != nullptr) rcSimpleForEachVector(pStats->pTerms, nullptr, rcOnRepeatFinal);
    vFreeVector(&pStats->pTerms);
    vFree(pStats);
    *ppStats = nullptr;
    return RC_OK;
}
