// Timing statistics: the elapsed-time arithmetic, every refusal with its bytes, several threads
// on one section.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "consoleCapture.h"
#include "plat/platTime.h"
#include "runtime/cVector.h"
#include "runtime/tTmStats.h"

namespace {

std::string sTrail(const char *szFunc, const char *szModule, int iLine) {
    return std::string("関数 ") + szFunc + " が異常終了しました。(" + szModule + "-" + std::to_string(iLine) + ")\n";
}

// The counter plays back a script; the frequency is whatever the test sets.
std::vector<int64_t> arTicks;
size_t iTick = 0;
int64_t iFreq = 0;
int64_t iScriptCounter() { return iTick < arTicks.size() ? arTicks[iTick++] : 0; }
int64_t iTestFreq() { return iFreq; }

void vUseClock(int64_t iFrequency, std::vector<int64_t> arScript) {
    iFreq = iFrequency;
    arTicks = std::move(arScript);
    iTick = 0;
    vTmSetClock(iScriptCounter, iTestFreq);
}

struct StatsGuard {
    tTmStats *p = nullptr;
    ~StatsGuard() { rcTmFinal(&p); }
};

tTmTerm *pTermOf(tTmStats *p, uint32_t i) { return static_cast<tTmTerm *>(p->pTerms->pBuf) + i; }

class TmStats : public ::testing::Test {
  protected:
    void TearDown() override { vTmSetClock(nullptr, nullptr); }
};

TEST_F(TmStats, ElapsedTimeIsTicksTimesThousandOverFrequencyInThousands) {
    struct rCase {
        const char *szName;
        int64_t iFrequency;
        std::vector<int64_t> arScript;  // start, stop, start, stop, ...
        int64_t iWantMicros;
    };
    const rCase arCases[] = {
        {"ten megahertz counter", 10000000, {100, 100 + 12345678}, 1234567},
        {"nanosecond clock", 1000000000, {5, 5 + 1500000}, 1500},
        {"slowest accepted counter", 1000, {0, 3}, 3000},
        {"frequency not a multiple of 1000 truncates", 3579545, {0, 3579545}, 1000152},
        {"intervals add up", 10000000, {0, 10000, 50000, 70000}, 3000},
        {"empty interval", 10000000, {42, 42}, 0},
    };
    for (const rCase &c : arCases) {
        SCOPED_TRACE(c.szName);
        vUseClock(c.iFrequency, c.arScript);
        StatsGuard g;
        ConsoleCapture cap;
        ASSERT_EQ(rcTmInitial(&g.p, 10), 0);
        for (size_t i = 0; i < c.arScript.size(); i += 2) {
            ASSERT_EQ(rcTmStart(g.p, 0), 0);
            ASSERT_EQ(rcTmStop(g.p, 0), 0);
        }
        int64_t iMicros = -1;
        ASSERT_EQ(rcTmGetElaps(g.p, 0, &iMicros), 0);
        EXPECT_EQ(iMicros, c.iWantMicros);
        EXPECT_EQ(pTermOf(g.p, 0)->iPasses, static_cast<int32_t>(c.arScript.size() / 2));
        EXPECT_EQ(g.p->iNumUsed, 1u);
        ASSERT_EQ(rcTmFinal(&g.p), 0);
        EXPECT_EQ(g.p, nullptr);
        EXPECT_EQ(cap.sLines(), "");
    }
}

TEST_F(TmStats, EveryMisuseIsRefusedWithItsMessage) {
    const std::string sTid = std::to_string(uPlatThreadId());
    const std::string sVec = sTrail("rcMergeIntoVector()", ".\\cVector", 731);
    struct rCase {
        const char *szName;
        uint32_t iTerm;
        const char *szOps;  // S start, T stop, E elapsed time, M passes at their maximum
        std::vector<int64_t> arScript;
        std::string sWant;  // what the last operation writes; it returns 35
        uint32_t iWantCnt;  // the thread's start/stop counter afterwards
        int64_t iWantElaps = 0;
    };
    const rCase arCases[] = {
        {"start while running", 1, "SS", {10, 20},
         "Error - 呼び出しが rcOnRepThrStop と対になっていません。Term=1 Tid=" + sTid + " Cnt=1 \n" +
             sTrail("rcOnRepThrStart()", ".\\tTmStats", 196) + sVec + sTrail("rcTmStart()", ".\\tTmStats", 377),
         1},
        {"stop without start", 1, "T", {},
         "Error - 呼び出しが rcOnRepThrStart と対になっていません。Term=1 Tid=" + sTid + " Cnt=0 \n" +
             sTrail("rcOnRepThrStop()", ".\\tTmStats", 247) + sVec + sTrail("rcTmStop()", ".\\tTmStats", 428),
         0},
        {"second stop", 0, "STT", {10, 20},
         "Error - 呼び出しが rcOnRepThrStart と対になっていません。Term=0 Tid=" + sTid + " Cnt=2 \n" +
             sTrail("rcOnRepThrStop()", ".\\tTmStats", 247) + sVec + sTrail("rcTmStop()", ".\\tTmStats", 428),
         2, 10},
        {"counter ran backwards", 0, "ST", {1000, 500},
         "Error - 経過時間の計算結果がマイナスです。Term=0 Tid=" + sTid + " Cnt=1 計算結果=ffffffff:fffffe0c \n" +
             sTrail("rcOnRepThrStop()", ".\\tTmStats", 262) + sVec + sTrail("rcTmStop()", ".\\tTmStats", 428),
         1},
        {"elapsed time while running", 1, "SE", {10},
         "Error - rcTmStop(1) よりも後に呼び出してください。\n" + sTrail("rcTmGetElaps()", ".\\tTmStats", 466), 1},
        {"elapsed time from a thread that never timed the section", 1, "E", {},
         "Error - rcTmStop(1) よりも後に呼び出してください。\n" + sTrail("rcTmGetElaps()", ".\\tTmStats", 461), 0},
        {"passes at their maximum", 1, "MS", {10},
         "Error - rcTmStart(1) の通過回数が最大値 2,147,483,647 を超えました 。\n" +
             sTrail("rcTmStart()", ".\\tTmStats", 385),
         1},
    };
    for (const rCase &c : arCases) {
        SCOPED_TRACE(c.szName);
        vUseClock(10000000, c.arScript);
        StatsGuard g;
        ASSERT_EQ(rcTmInitial(&g.p, 2), 0);
        tTmTerm *pT = pTermOf(g.p, c.iTerm);
        int64_t iMicros = -1;
        int rc = 0;
        ConsoleCapture cap;
        for (const char *p = c.szOps; *p != '\0'; ++p) {
            ASSERT_EQ(rc, 0) << "an operation before the last one failed";
            switch (*p) {
            case 'S': rc = rcTmStart(g.p, c.iTerm); break;
            case 'T': rc = rcTmStop(g.p, c.iTerm); break;
            case 'E': rc = rcTmGetElaps(g.p, c.iTerm, &iMicros); break;
            case 'M': pT->iPasses = 2147483647; break;
            }
        }
        EXPECT_EQ(rc, 35);
        EXPECT_EQ(cap.sLines(), c.sWant);
        EXPECT_EQ(iMicros, -1);
        EXPECT_EQ(pT->iElaps, c.iWantElaps);
        const tTmThread *pThr = static_cast<const tTmThread *>(pT->pThreads->pBuf);
        EXPECT_EQ(pT->pThreads->iCount == 0 ? 0u : pThr->iCnt, c.iWantCnt);
    }
}

TEST_F(TmStats, CounterMissingOrTooSlowIsRefused) {
    for (int64_t iFrequency : {0, 1, 999}) {
        SCOPED_TRACE(iFrequency);
        vUseClock(iFrequency, {});
        StatsGuard g;
        ConsoleCapture cap;
        EXPECT_EQ(rcTmInitial(&g.p, 10), 35);
        EXPECT_NE(g.p, nullptr);  // the handle is the caller's
        EXPECT_EQ(cap.sLines(), "Error - 高分解能パフォーマンスカウンタは実装されていません。\n" +
                                    sTrail("rcTmInitial()", ".\\tTmStats", 314));
    }
}

// Each thread's counter advances by 1 ms (10,000 ticks at 10 MHz) per reading.
int64_t iPerThreadCounter() {
    thread_local int64_t iNow = 0;
    return iNow += 10000;
}
int64_t iTenMegahertz() { return 10000000; }

TEST_F(TmStats, ThreadsTimingOneSectionAddUp) {
    vTmSetClock(iPerThreadCounter, iTenMegahertz);
    StatsGuard g;
    ASSERT_EQ(rcTmInitial(&g.p, 1), 0);
    std::atomic<int> iStarted(0);
    int arRc[2][2] = {};
    auto vTime = [&](int i) {
        arRc[i][0] = rcTmStart(g.p, 0);
        ++iStarted;
        while (iStarted.load() < 2) std::this_thread::yield();  // both intervals run at once
        arRc[i][1] = rcTmStop(g.p, 0);
    };
    ConsoleCapture cap;
    std::thread t1(vTime, 0), t2(vTime, 1);
    t1.join();
    t2.join();
    EXPECT_EQ(arRc[0][0] | arRc[0][1] | arRc[1][0] | arRc[1][1], 0);
    tTmTerm *pT = pTermOf(g.p, 0);
    EXPECT_EQ(pT->iPasses, 2);
    EXPECT_EQ(pT->iElaps, 20000);
    ASSERT_EQ(pT->pThreads->iCount, 2u);
    const tTmThread *pThr = static_cast<const tTmThread *>(pT->pThreads->pBuf);
    EXPECT_LT(pThr[0].iTid, pThr[1].iTid);
    EXPECT_EQ(pThr[0].iCnt, 2u);
    EXPECT_EQ(pThr[1].iCnt, 2u);
    EXPECT_EQ(cap.sLines(), "");
}

TEST_F(TmStats, PlatformCounterRuns) {
    StatsGuard g;
    ASSERT_EQ(rcTmInitial(&g.p, 1), 0);
    ASSERT_EQ(rcTmStart(g.p, 0), 0);
    int64_t iBefore = iPlatCounter();
    while (iPlatCounter() == iBefore) {
    }
    ASSERT_EQ(rcTmStop(g.p, 0), 0);
    int64_t iMicros = -1;
    ASSERT_EQ(rcTmGetElaps(g.p, 0, &iMicros), 0);
    EXPECT_GE(iMicros, 0);
    EXPECT_GT(pTermOf(g.p, 0)->iElaps, 0);
    EXPECT_GE(iPlatCounterFreq(), 1000);
}

TEST(TmCmpThreadId, ComparesIdsAsUnsigned) {
    tTmThread a = {0x7fffffffu, 0, 0}, b = {0x80000000u, 0, 0};
    EXPECT_LT(iCmpThreadId(&a, &b), 0);
    EXPECT_GT(iCmpThreadId(&b, &a), 0);
    EXPECT_EQ(iCmpThreadId(&a, &a), 0);
}

}  // namespace
