// Clipboard mode against a clipboard kept in the test: the order of the calls, the report of
// each failing call and the clean-up after it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "consoleCapture.h"
#include "plat/platClip.h"
#include "plat/platError.h"
#include "runtime/psGlobals.h"
#include "formatter/rStmtStyle.h"
#include "formatter/rcFmtStmt.h"
#include "modes/rcFmtOnClipBoard.h"

namespace {
struct FakeBlock {
    std::string s;
    int iLocks = 0;
};
FakeBlock *pBlock(HCLIPTEXT h) { return reinterpret_cast<FakeBlock *>(h); }
HCLIPTEXT hBlock(FakeBlock *p) { return reinterpret_cast<HCLIPTEXT>(p); }

// The clipboard in the test and what the mode did with it.
struct FakeClip {
    bool bHasText = true;
    FakeBlock src;                 // the clipboard's text block
    FakeBlock *pPlaced = nullptr;  // a block handed over
    bool bOpen = false;
    int iOpens = 0, iCloses = 0, iAllocs = 0, iReleases = 0;
    std::string sFailing;  // the call that fails
    uint32_t uErr = 5;     // the last error it leaves
} fake;

bool bFails(const char *szCall) {
    if (fake.sFailing != szCall) return false;
    vPlatSetLastError(fake.uErr);
    return true;
}

bool bHasText() { return !bFails("has") && fake.bHasText; }
bool bOpen() {
    if (bFails("open")) return false;
    ++fake.iOpens;
    return fake.bOpen = true;
}
HCLIPTEXT hGetText() { return bFails("get") ? nullptr : hBlock(&fake.src); }
char *szLock(HCLIPTEXT h) {
    if (bFails(pBlock(h) == &fake.src ? "lock" : "lock new")) return nullptr;
    ++pBlock(h)->iLocks;
    return &pBlock(h)->s[0];
}
void vUnlock(HCLIPTEXT h) { --pBlock(h)->iLocks; }
size_t nSize(HCLIPTEXT h) { return pBlock(h)->s.size(); }
HCLIPTEXT hAlloc(size_t n) {
    if (bFails("alloc")) return nullptr;
    ++fake.iAllocs;
    return hBlock(new FakeBlock{std::string(n, 'x'), 0});
}
void vRelease(HCLIPTEXT h) {
    ++fake.iReleases;
    delete pBlock(h);
}
bool bEmpty() { return !bFails("empty"); }
HCLIPTEXT hSetText(HCLIPTEXT h) {
    if (bFails("set")) return nullptr;
    fake.pPlaced = pBlock(h);
    return h;
}
bool bClose() {
    ++fake.iCloses;
    fake.bOpen = false;
    return !bFails("close");
}

class ClipBoard : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = platClip;
        platClip = {bHasText, bOpen, hGetText, szLock, vUnlock, nSize, hAlloc, vRelease, bEmpty, hSetText, bClose};
        fake = FakeClip();
        vDefaultStmtStyle(&style_);
    }
    void TearDown() override {
        delete fake.pPlaced;
        platClip = saved_;
    }
    // The clipboard's text: the placed block's up to its NUL, else the original's.
    std::string sClipboard() const {
        const FakeBlock &b = fake.pPlaced != nullptr ? *fake.pPlaced : fake.src;
        return std::string(b.s.c_str());
    }
    StmtStyle style_;
    PlatClipApi saved_;
};

// What the formatter makes of szStmt, with CR LF line ends.
std::string sFormatted(const char *szStmt) {
    StmtStyle style;
    vDefaultStmtStyle(&style);
    char *szFmt = nullptr;
    EXPECT_EQ(rcFmtStmt(szStmt, &szFmt, &style), RC_OK);
    std::string s;
    for (const char *p = szFmt; p != nullptr && *p != '\0'; ++p) {
        if (*p == '\n') s += '\r';
        s += *p;
    }
    vFree(szFmt);
    return s;
}
}  // namespace

TEST_F(ClipBoard, FormatsTheTextInPlace) {
    fake.src.s = std::string("select a,\r\nb from t\r\n") + '\0';
    ConsoleCapture cap;
    EXPECT_EQ(rcFmtOnClipBoard(&style_), RC_OK);
    EXPECT_EQ(sClipboard(), sFormatted("select a,\nb from t\n"));
    EXPECT_EQ(fake.iOpens, 1);
    EXPECT_EQ(fake.iCloses, 1);
    EXPECT_EQ(fake.iReleases, 0);  // the placed block is the clipboard's
    EXPECT_EQ(fake.src.iLocks, 0);
    EXPECT_EQ(cap.sText(), "");
}

// A block without a NUL of its own is read up to its end only.
TEST_F(ClipBoard, TextBlockWithoutNulStopsAtItsEnd) {
    fake.src.s = "select 1 from dual";
    ConsoleCapture cap;
    EXPECT_EQ(rcFmtOnClipBoard(&style_), RC_OK);
    EXPECT_EQ(sClipboard(), sFormatted("select 1 from dual"));
}

// Each call fails in turn: its site, code 44, the clipboard closed once it was opened, its
// text unchanged before emptying, and the new block freed exactly when it was not handed over.
TEST_F(ClipBoard, EachFailingCallIsReportedAndCleanedUp) {
    const struct {
        const char *szCall;
        int iSite;
        bool bOpened, bNewBlock;
    } arCases[] = {
        {"has", 28, false, false},  {"open", 32, false, false},    {"get", 37, true, false},
        {"lock", 40, true, false},  {"alloc", 93, true, false},    {"lock new", 93, true, true},
        {"empty", 98, true, true},  {"set", 102, true, true},      {"close", 107, true, false},
    };
    const std::string sOld = std::string("select\r\n1 from dual") + '\0';
    for (const auto &c : arCases) {
        fake = FakeClip();
        fake.src.s = sOld;
        fake.sFailing = c.szCall;
        ConsoleCapture cap;
        EXPECT_EQ(rcFmtOnClipBoard(&style_), RC_WIN32) << c.szCall;
        EXPECT_EQ(iLastErrLine, c.iSite) << c.szCall;
        EXPECT_EQ(cap.sLines().find("Error - Win32API の実行に失敗しました。Code=0x5, Msg="), 0u) << c.szCall;
        std::string sTrail = "関数 rcChkWin32Api() が異常終了しました。(.\\rcChkWin32Api-30)\n"
                             "関数 rcFmtOnClipBoard() が異常終了しました。(..\\share\\rcFmtOnClipBoard-" +
                             std::to_string(c.iSite) + ")\n";
        std::string sLines = cap.sLines();
        EXPECT_EQ(sLines.substr(sLines.size() - std::min(sLines.size(), sTrail.size())), sTrail) << c.szCall;
        EXPECT_EQ(fake.iCloses, c.bOpened ? 1 : 0) << c.szCall;
        EXPECT_EQ(fake.src.iLocks, 0) << c.szCall;
        EXPECT_EQ(fake.iReleases, c.bNewBlock ? 1 : 0) << c.szCall;
        if (c.iSite < 102) {
            EXPECT_EQ(sClipboard(), std::string("select\r\n1 from dual")) << c.szCall;
        }
        if (c.iSite == 107) {
            EXPECT_EQ(sClipboard(), sFormatted("select\n1 from dual")) << c.szCall;
        }
        delete fake.pPlaced;
        fake.pPlaced = nullptr;
    }
}

// A failed call whose last error reads as end-of-file still fails the mode.
TEST_F(ClipBoard, FailedCallWithEndOfFileErrorStillFails) {
    fake.src.s = std::string("x") + '\0';
    fake.sFailing = "get";
    fake.uErr = uPlatErrHandleEof;
    ConsoleCapture cap;
    EXPECT_EQ(rcFmtOnClipBoard(&style_), RC_WIN32);
    EXPECT_EQ(iLastErrLine, 37);
    EXPECT_EQ(fake.iCloses, 1);
}

// Every allocation fails in turn until a run meets none: code 5, the clipboard closed and its
// text unchanged, the source block unlocked, no new block left behind.
TEST_F(ClipBoard, AllocationFailuresLeaveTheClipboardAsItWas) {
    const std::string sOld = std::string("select a\r\nfrom t") + '\0';
    for (long n = 1;; ++n) {
        fake = FakeClip();
        fake.src.s = sOld;
        ConsoleCapture cap;
        vFailAllocAt(n, false);
        int rc = rcFmtOnClipBoard(&style_);
        vFailAllocAt(0, false);
        if (rc == RC_OK) break;
        EXPECT_EQ(rc, RC_NOMEM) << n;
        EXPECT_EQ(cap.sLines().find("Error - メモリの取得に失敗しました。\n"), 0u) << n;
        EXPECT_EQ(fake.pPlaced, nullptr) << n;
        EXPECT_EQ(fake.iCloses, 1) << n;
        EXPECT_EQ(fake.src.iLocks, 0) << n;
        EXPECT_EQ(fake.iReleases, fake.iAllocs) << n;
        ASSERT_LT(n, 1000);
    }
}
