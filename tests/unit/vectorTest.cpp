// The vector, the allocation-accounting record and the singleton's reference count.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "consoleCapture.h"
#include "runtime/cMalloc.h"
#include "runtime/cSingleton.h"
#include "runtime/cVector.h"

namespace {

std::string sTrail(const char *szFunc, const char *szModule, int iLine) {
    return std::string("関数 ") + szFunc + " が異常終了しました。(" + szModule + "-" + std::to_string(iLine) + ")\n";
}
const std::string sNoMem = "Error - メモリの取得に失敗しました。\n";

struct rKeyed {
    uint32_t iKey;
    uint32_t iHits;
};

int iCmpKey(const void *pv1, const void *pv2) {
    uint32_t i1 = static_cast<const rKeyed *>(pv1)->iKey, i2 = static_cast<const rKeyed *>(pv2)->iKey;
    return i1 < i2 ? -1 : (i1 > i2 ? 1 : 0);
}

// Counts the hit on the element and notes its index; fails with the key's value from 1000 on.
int rcOnHit(void *pCtx, void *pElem, uint32_t iIndex) {
    static_cast<std::vector<uint32_t> *>(pCtx)->push_back(iIndex);
    rKeyed *p = static_cast<rKeyed *>(pElem);
    ++p->iHits;
    return p->iKey >= 1000 ? static_cast<int>(p->iKey) : 0;
}

bool bAllZero(const void *pv, size_t n) {
    const unsigned char *p = static_cast<const unsigned char *>(pv);
    for (size_t i = 0; i < n; ++i)
        if (p[i] != 0) return false;
    return true;
}

struct VectorGuard {
    cVector *pVec = nullptr;
    ~VectorGuard() { vFreeVector(&pVec); }
};

TEST(Vector, CreatedWithOrWithoutElementsInUse) {
    VectorGuard g1, g2;
    void *pBuf = nullptr;
    ASSERT_EQ(rcVector(&g1.pVec, 8, 10, 0, &pBuf), 0);
    EXPECT_EQ(g1.pVec->iCount, 10u);
    EXPECT_TRUE(bAllZero(pBuf, 80));
    ASSERT_EQ(rcVector(&g2.pVec, 8, 10, 0, nullptr), 0);
    EXPECT_EQ(g2.pVec->iCount, 0u);
    EXPECT_EQ(g2.pVec->iCapacity, 10u);
    // Dimensioned for no element: an insertion still finds room.
    VectorGuard g3;
    ASSERT_EQ(rcVector(&g3.pVec, sizeof(rKeyed), 0, 0, nullptr), 0);
    std::vector<uint32_t> arIdx;
    rKeyed rKey = {7, 0};
    ASSERT_EQ(rcMergeIntoVector(g3.pVec, &arIdx, iCmpKey, &rKey, rcOnHit), 0);
    EXPECT_EQ(g3.pVec->iCount, 1u);
    EXPECT_GE(g3.pVec->iCapacity, 1u);
}

TEST(Vector, GrowsByBulkTimesDoublingFactorWithZeroedRoom) {
    VectorGuard g;
    ASSERT_EQ(rcVector(&g.pVec, sizeof(rKeyed), 10, 0, nullptr), 0);
    std::vector<std::pair<uint32_t, uint32_t>> arGrowth;  // count before the insertion, new capacity
    std::vector<uint32_t> arIdx;
    for (uint32_t i = 0; i < 300; ++i) {
        uint32_t iCapacity = g.pVec->iCapacity, iCount = g.pVec->iCount;
        rKeyed rKey = {i, 0};
        ASSERT_EQ(rcMergeIntoVector(g.pVec, &arIdx, iCmpKey, &rKey, rcOnHit), 0);
        if (g.pVec->iCapacity != iCapacity) {
            arGrowth.emplace_back(iCount, g.pVec->iCapacity);
            const char *pFree = static_cast<char *>(g.pVec->pBuf) + sizeof(rKeyed) * g.pVec->iCount;
            EXPECT_TRUE(bAllZero(pFree, sizeof(rKeyed) * (g.pVec->iCapacity - g.pVec->iCount)));
        }
    }
    std::vector<std::pair<uint32_t, uint32_t>> arWant = {{1, 101}, {92, 292}, {283, 683}};
    EXPECT_EQ(arGrowth, arWant);
    EXPECT_EQ(g.pVec->iGrowth, 80u);
    const rKeyed *p = static_cast<const rKeyed *>(g.pVec->pBuf);
    for (uint32_t i = 0; i < 300; ++i) ASSERT_EQ(p[i].iKey, i);
}

TEST(Vector, MergeInsertsSortedAndCallsBackOnTheElement) {
    VectorGuard g;
    ASSERT_EQ(rcVector(&g.pVec, sizeof(rKeyed), 10, 0, nullptr), 0);
    std::vector<uint32_t> arIdx;
    for (uint32_t iKey : {30u, 10u, 20u, 20u}) {
        rKeyed rKey = {iKey, 0};
        ASSERT_EQ(rcMergeIntoVector(g.pVec, &arIdx, iCmpKey, &rKey, rcOnHit), 0);
    }
    EXPECT_EQ(arIdx, (std::vector<uint32_t>{0, 0, 1, 1}));
    ASSERT_EQ(g.pVec->iCount, 3u);
    const rKeyed *p = static_cast<const rKeyed *>(g.pVec->pBuf);
    EXPECT_EQ(p[0].iKey, 10u);
    EXPECT_EQ(p[1].iKey, 20u);
    EXPECT_EQ(p[2].iKey, 30u);
    EXPECT_EQ(p[1].iHits, 2u);  // the repeated key reached the existing element

    // A callback's failure is passed on with the merge's trail line.
    ConsoleCapture cap;
    rKeyed rKey = {1234, 0};
    EXPECT_EQ(rcMergeIntoVector(g.pVec, &arIdx, iCmpKey, &rKey, rcOnHit), 1234);
    EXPECT_EQ(cap.sLines(), sTrail("rcMergeIntoVector()", ".\\cVector", 731));
    EXPECT_EQ(g.pVec->iCount, 4u);
}

struct rWalk {
    std::vector<int> arResult;  // what the callback returns at each index
    uint32_t iCalls = 0;
};

int rcOnWalk(void *pCtx, void *, uint32_t iIndex) {
    rWalk *p = static_cast<rWalk *>(pCtx);
    EXPECT_EQ(iIndex, p->iCalls);
    ++p->iCalls;
    return p->arResult[iIndex];
}

TEST(Vector, WalkStopsAtTheFirstNonZeroResult) {
    struct rCase {
        const char *szName;
        std::vector<int> arResult;
        int iWantRc;
        uint32_t iWantCalls;
    };
    const rCase arCases[] = {
        {"empty vector", {}, 0, 0},
        {"every callback goes on", {0, 0, 0, 0}, 0, 4},
        {"third callback fails", {0, 0, 7, 5}, 7, 3},
        {"first callback fails", {-3, 0}, -3, 1},
    };
    for (const rCase &c : arCases) {
        SCOPED_TRACE(c.szName);
        VectorGuard g;
        void *pBuf = nullptr;
        ASSERT_EQ(rcVector(&g.pVec, 4, static_cast<uint32_t>(c.arResult.size()), 0, &pBuf), 0);
        rWalk rW;
        rW.arResult = c.arResult;
        ConsoleCapture cap;
        EXPECT_EQ(rcSimpleForEachVector(g.pVec, &rW, rcOnWalk), c.iWantRc);
        EXPECT_EQ(rW.iCalls, c.iWantCalls);
        EXPECT_EQ(cap.sLines(), c.iWantRc == 0 ? "" : sTrail("rcSimpleForEachVector()", ".\\cVector", 661));
    }
}

TEST(Vector, ReuseKeepsALargeEnoughBufferAndZeroesIt) {
    VectorGuard g;
    void *pBuf = nullptr;
    ASSERT_EQ(rcVector(&g.pVec, 8, 10, 0, &pBuf), 0);
    std::memset(pBuf, 0x5a, 80);
    void *pSmall = nullptr;
    ASSERT_EQ(rcReuseVector(g.pVec, 4, 5, 0, &pSmall), 0);
    EXPECT_EQ(pSmall, pBuf);
    EXPECT_TRUE(bAllZero(pSmall, 80));
    EXPECT_EQ(g.pVec->iCapacity, 20u);
    EXPECT_EQ(g.pVec->iCount, 5u);
    EXPECT_EQ(g.pVec->iBulk, 5u);

    ASSERT_EQ(rcReuseVector(g.pVec, 4, 30, 0, nullptr), 0);  // larger: a new buffer, empty
    EXPECT_EQ(g.pVec->iCount, 0u);
    EXPECT_EQ(g.pVec->iCapacity, 30u);
    EXPECT_TRUE(bAllZero(g.pVec->pBuf, 120));
}

TEST(Vector, RefusesSizesBeyondThirtyTwoBits) {
    VectorGuard g;
    ConsoleCapture cap;
    EXPECT_EQ(rcVector(&g.pVec, 0x10000, 0x10000, 0, nullptr), 5);
    EXPECT_EQ(cap.sLines(), sNoMem + sTrail("rcReuseVector()", ".\\cVector", 130) + sTrail("rcVector()", ".\\cVector", 200));
}

TEST(Vector, FailedGrowthKeepsTheElements) {
    VectorGuard g;
    ASSERT_EQ(rcVector(&g.pVec, sizeof(rKeyed), 1, 0, nullptr), 0);
    std::vector<uint32_t> arIdx;
    rKeyed rKey = {1, 0};
    ASSERT_EQ(rcMergeIntoVector(g.pVec, &arIdx, iCmpKey, &rKey, rcOnHit), 0);
    uint32_t iReallocs = g.pVec->pMalloc->iNumRealloc;
    ConsoleCapture cap;
    vFailAllocAt(1, false);
    rKey.iKey = 2;
    int rc = rcMergeIntoVector(g.pVec, &arIdx, iCmpKey, &rKey, rcOnHit);
    vFailAllocAt(0, false);
    EXPECT_EQ(rc, 5);
    EXPECT_EQ(cap.sLines(), sNoMem + sTrail("rcAddNumBulkNeeded()", ".\\cVector", 339) +
                                sTrail("rcMergeIntoVector()", ".\\cVector", 714));
    EXPECT_EQ(g.pVec->pMalloc->iNumRealloc, iReallocs + 1);
    ASSERT_EQ(g.pVec->iCount, 1u);
    EXPECT_EQ(static_cast<rKeyed *>(g.pVec->pBuf)->iKey, 1u);
}

TEST(Singleton, CountsLiveVectorsAndDirectReferences) {
    cSingleton *pS = nullptr;
    ASSERT_EQ(rcSingleton(&pS), 0);
    uint32_t iBase = pS->iRefs;
    cVector *arVec[3] = {};
    for (cVector *&pVec : arVec) ASSERT_EQ(rcVector(&pVec, 4, 2, 0, nullptr), 0);
    EXPECT_EQ(arVec[0]->pSingleton, pS);
    EXPECT_EQ(arVec[0]->pMalloc, pS->pMalloc);
    EXPECT_EQ(pS->iRefs, iBase + 3);
    vFreeVector(&arVec[0]);
    vFreeVector(&arVec[1]);
    EXPECT_EQ(pS->iRefs, iBase + 1);
    cSingleton *pAgain = nullptr;
    ASSERT_EQ(rcSingleton(&pAgain), 0);
    EXPECT_EQ(pAgain, pS);
    EXPECT_EQ(pS->iRefs, iBase + 2);
    vFreeVector(&arVec[2]);
    EXPECT_EQ(pS->iRefs, iBase + 1);
    vReleaseSingleton(pS);
    vReleaseSingleton(pS);
}

// Fails allocation N = 1, 2, ... of a singleton's creation (once, then persistently): every
// failure gives code 5, one memory message and a trail, leaves no half-built singleton behind
// and leaks nothing; a later call builds it whole.
TEST(Singleton, EveryAllocationFailureIsReportedAndUndone) {
    for (bool bPersist : {false, true}) {
        for (long n = 1;; ++n) {
            SCOPED_TRACE(std::to_string(n) + (bPersist ? " persistent" : " once"));
            vSingletonAtExit();
            ConsoleCapture cap;
            cVector *pVec = nullptr;
            vFailAllocAt(n, bPersist);
            int rc = rcVector(&pVec, 4, 2, 0, nullptr);
            vFailAllocAt(0, false);
            vFreeVector(&pVec);
            if (rc == 0) {
                EXPECT_EQ(cap.sLines(), "");
                break;
            }
            ASSERT_EQ(rc, 5);
            std::string s = cap.sLines();
            EXPECT_EQ(s.rfind(sNoMem, 0), 0u) << s;
            EXPECT_EQ(s.find(sNoMem, 1), std::string::npos) << s;
            const std::string sLast = "関数 rcVector() が異常終了しました。(.\\cVector-";
            // The chain ends with rcVector's own line: site 186, 194 or 200.
            ASSERT_GE(s.size(), sLast.size() + 5) << s;
            EXPECT_EQ(s.substr(s.size() - sLast.size() - 5, sLast.size()), sLast) << s;
            ASSERT_LT(n, 200);
        }
    }
    cSingleton *pS = nullptr;
    ASSERT_EQ(rcSingleton(&pS), 0);
    EXPECT_NE(pS->pStats, nullptr);
    vReleaseSingleton(pS);
}

}  // namespace
