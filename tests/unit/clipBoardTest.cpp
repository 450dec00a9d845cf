// Clipboard mode against a clipboard kept in the test (the order of the calls, the report of
// each failing call and the clean-up after it, the forms of its text and their line ends), and
// the two-pass line-end rewriting.
#include <cstring>

#include "formatter/rcFmtStmt.h"
#include "modes/rcFmtOnClipBoard.h"
#include "modes/rcReplaceStr.h"
#include "plat/platClip.h"
#include "plat/platError.h"
#include "plat/platStdio.h"
#include "unitHelpers.h"

namespace {
struct FakeBlock {
    std::string s;
    int iLocks = 0;
};
FakeBlock *pBlock(HCLIPTEXT h) { return reinterpret_cast<FakeBlock *>(h); }

// The clipboard in the test and what the mode did with it.
struct FakeClip {
    FakeBlock src;                 // the clipboard's text block
    bool bWide = false;            // it holds UTF-16 (as Windows does)
    FakeBlock *pPlaced = nullptr;  // a block handed over
    bool bPlacedWide = false;      // as UTF-16
    int iCloses = 0, iAllocs = 0, iReleases = 0;
    std::string sFailing;  // the call that fails
    uint32_t uErr = 5;     // the last error it leaves
} fake;

bool bFails(const char *szCall) {
    if (fake.sFailing != szCall) return false;
    vPlatSetLastError(fake.uErr);
    return true;
}

const PlatClipApi rFakeClip = {
    [] { return !bFails("has"); },
    [] { return !bFails("open"); },
    [] { return fake.bWide; },
    [](bool) { return bFails("get") ? nullptr : reinterpret_cast<HCLIPTEXT>(&fake.src); },
    [](HCLIPTEXT h) -> char * {
        if (bFails(pBlock(h) == &fake.src ? "lock" : "lock new")) return nullptr;
        ++pBlock(h)->iLocks;
        return &pBlock(h)->s[0];
    },
    [](HCLIPTEXT h) { --pBlock(h)->iLocks; },
    [](HCLIPTEXT h) { return pBlock(h)->s.size(); },
    [](size_t n) {
        if (bFails("alloc")) return HCLIPTEXT(nullptr);
        ++fake.iAllocs;
        return reinterpret_cast<HCLIPTEXT>(new FakeBlock{std::string(n, 'x'), 0});
    },
    [](HCLIPTEXT h) {
        ++fake.iReleases;
        delete pBlock(h);
    },
    [] { return !bFails("empty"); },
    [](HCLIPTEXT h, bool bWide) {
        if (bFails("set")) return HCLIPTEXT(nullptr);
        fake.pPlaced = pBlock(h);
        fake.bPlacedWide = bWide;
        return h;
    },
    [] {
        ++fake.iCloses;
        return !bFails("close");
    },
};

class ClipBoard : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = platClip;
        platClip = rFakeClip;
    }
    void TearDown() override { platClip = saved_; }
    // Runs the mode on the text; the clipboard's text afterwards (up to its NUL) in *psClip.
    int rcRun(const std::string &sText, std::string *psClip, std::string *psMsgs, const char *szFailing = "",
              uint32_t uErr = 5, bool bWide = false) {
        fake = FakeClip();
        fake.src.s = sText;
        fake.bWide = bWide;
        fake.sFailing = szFailing;
        fake.uErr = uErr;
        StmtStyle style;
        vDefaultStmtStyle(&style);
        ConsoleCapture cap;
        int rc = rcFmtOnClipBoard(&style);
        *psMsgs = cap.sLines();
        // The text up to its NUL, or up to its NUL unit where it was handed over as UTF-16.
        const std::string &s = (fake.pPlaced != nullptr ? fake.pPlaced : &fake.src)->s;
        size_t n = 0;
        if (fake.pPlaced != nullptr && fake.bPlacedWide)
            while (n + 1 < s.size() && (s[n] != '\0' || s[n + 1] != '\0')) n += 2;
        else
            n = std::strlen(s.c_str());
        *psClip = s.substr(0, n);
        delete fake.pPlaced;
        return rc;
    }
    PlatClipApi saved_;
};

// What the formatter makes of szStmt, with CR LF line ends.
std::string sFormatted(const char *szStmt) {
    StmtStyle style;
    vDefaultStmtStyle(&style);
    char *szFmt = nullptr;
    EXPECT_EQ(RC_OK, rcFmtStmt(szStmt, &szFmt, &style));
    std::string s = sCrLf(szFmt != nullptr ? szFmt : "");
    vFree(szFmt);
    return s;
}
}  // namespace

// The text comes back formatted (a block without a NUL of its own is read up to its end only).
// Each call fails in turn (also with a last error that reads as end-of-file): its site, code
// 44, the clipboard closed once it was opened, its text unchanged before it was emptied, and
// the new block freed exactly when it was not handed over.
TEST_F(ClipBoard, EachCallFailsInTurn) {
    const struct { const char *szCall; uint32_t uErr; int iSite; int iCloses, iReleases; } arCases[] = {
        {"", 5, 0, 1, 0},       {"has", 5, 28, 0, 0},      {"open", 5, 32, 0, 0},    {"get", 5, 37, 1, 0},
        {"get", uPlatErrHandleEof, 37, 1, 0},               {"lock", 5, 40, 1, 0},    {"alloc", 5, 93, 1, 0},
        {"lock new", 5, 93, 1, 1}, {"empty", 5, 98, 1, 1}, {"set", 5, 102, 1, 1},    {"close", 5, 107, 1, 0},
    };
    const std::string sOld = "select\r\n1 from dual", sNew = sFormatted("select\n1 from dual");
    for (const std::string &sText : {sOld + '\0', sOld}) {
        for (const auto &c : arCases) {
            std::string sClip, sMsgs;
            EXPECT_EQ(c.iSite ? RC_WIN32 : RC_OK, rcRun(sText, &sClip, &sMsgs, c.szCall, c.uErr)) << c.szCall;
            const std::string sTrails = sTrail("rcChkWin32Api", ".\\rcChkWin32Api", 30) +
                                        sTrail("rcFmtOnClipBoard", "..\\share\\rcFmtOnClipBoard", c.iSite);
            EXPECT_EQ(c.iSite ? sTrails : "", sLast(sMsgs, c.iSite ? sTrails.size() : 0)) << c.szCall;
            const std::string sMsg = sSjis("Error - Win32API の実行に失敗しました。Code=0x");
            EXPECT_EQ(c.iSite ? 0u : std::string::npos, sMsgs.find(sMsg)) << c.szCall;
            EXPECT_EQ(c.iCloses, fake.iCloses) << c.szCall;
            EXPECT_EQ(0, fake.src.iLocks) << c.szCall;
            EXPECT_EQ(c.iReleases, fake.iReleases) << c.szCall;
            EXPECT_EQ(c.iSite && c.iSite < 102 ? sOld : c.iSite != 102 ? sNew : sClip, sClip) << c.szCall;
        }
    }
}

// The clipboard's text in each of its forms comes back in the same form: bytes, UTF-16 of the
// system's clipboard, UTF-16 bytes with or without their byte order mark; UTF-32 is refused
// and the clipboard keeps its text. The line end is the text's own (that of its first line), or
// the platform's for a text without one; on Windows CR LF, the default there.
TEST_F(ClipBoard, FormsOfTheTextAndTheirLineEnds) {
    const std::string sCrLfOut = sCrLf("select a\n, b\nfrom t\n");
    const std::string sLf = bPlatCrLfNative ? sCrLfOut : "select a\n, b\nfrom t\n", sOne = sLf;
    const std::string sBomLe = "\xFF\xFE", sBomBe = "\xFE\xFF";
    const struct { const char *szName; bool bWide; std::string sIn, sWant; int rc; } arCases[] = {
        {"bytes, CR LF", false, "select a, b\r\nfrom t", sCrLfOut, RC_OK},
        {"bytes, LF", false, "select a, b\nfrom t\r\n", sLf, RC_OK},
        {"bytes, one line", false, "select a, b from t", sOne, RC_OK},
        {"the system's UTF-16", true, sUtf16("select a, b\r\nfrom t", CS_UTF16LE) + std::string(2, '\0'),
         sUtf16(sCrLfOut, CS_UTF16LE), RC_OK},
        {"UTF-16LE bytes without a mark", false, sUtf16("select a, b\nfrom t", CS_UTF16LE) + std::string(2, '\0'),
         sUtf16(sLf, CS_UTF16LE), RC_OK},
        {"UTF-16BE bytes without a mark", false, sUtf16("select a, b\r\nfrom t", CS_UTF16BE),
         sUtf16(sCrLfOut, CS_UTF16BE), RC_OK},
        {"UTF-16BE bytes with their mark", false, sBomBe + sUtf16("select a, b\nfrom t", CS_UTF16BE),
         sBomBe + sUtf16(sLf, CS_UTF16BE), RC_OK},
        {"UTF-16LE bytes with their mark", false, sBomLe + sUtf16("select a, b from t", CS_UTF16LE),
         sBomLe + sUtf16(sOne, CS_UTF16LE), RC_OK},
        {"UTF-32", false, std::string("\xFF\xFE\0\0s\0\0\0", 8), "\xFF\xFE", RC_BADTEXT},
    };
    for (const auto &c : arCases) {
        std::string sClip, sMsgs;
        EXPECT_EQ(c.rc, rcRun(c.sIn, &sClip, &sMsgs, "", 5, c.bWide)) << c.szName << sMsgs;
        EXPECT_EQ(c.sWant, sClip) << c.szName;
        if (c.rc == RC_BADTEXT) {
            EXPECT_EQ(nullptr, fake.pPlaced) << c.szName;
            EXPECT_EQ(sSjis("Error - UTF-32 のテキストとして読み書きできません。clipboard\n") +
                          sTrail("rcFmtOnClipBoard", "..\\share\\rcFmtOnClipBoard", 46),
                      sMsgs)
                << c.szName;
        }
    }
}

// Every allocation fails in turn until a run meets none: code 5, the clipboard closed and its
// text unchanged, the source block unlocked, no new block left behind.
TEST_F(ClipBoard, AllocationFailuresLeaveTheClipboardAsItWas) {
    for (long n = 1; n < 1000; ++n) {
        std::string sClip, sMsgs;
        vFailAllocAt(n, false);
        int rc = rcRun(std::string("select a\r\nfrom t") + '\0', &sClip, &sMsgs);
        vFailAllocAt(0, false);
        if (rc == RC_OK) break;
        EXPECT_EQ(RC_NOMEM, rc) << n;
        EXPECT_EQ(0u, sMsgs.find(sNoMem)) << n;
        EXPECT_EQ("select a\r\nfrom t", sClip) << n;
        EXPECT_EQ(1, fake.iCloses) << n;
        EXPECT_EQ(0, fake.src.iLocks) << n;
        EXPECT_EQ(fake.iAllocs, fake.iReleases) << n;
    }
}

// The line ends of the clipboard's text: CR LF read as LF, and written back as CR LF. A text's
// first byte stays as it is; when memory runs out the text stays as it was.
TEST(ReplaceStr, LineEnds) {
    const struct { int (*op)(char **); const char *szIn, *szWant; int iFailAt, iSite; } arCases[] = {
        {rcReplaceStrSubCr, "a\r\nb\r\n\r\nc\rd\r\r\n", "a\nb\n\nc\rd\r\n", 0, 0},
        {rcReplaceStrSubCr, "\r\nx", "\r\nx", 0, 0},
        {rcReplaceStrAddCr, "\nx\ny\r\nz\n\n", "\nx\r\ny\r\nz\r\n\r\n", 0, 0},
        {rcReplaceStrAddCr, "", "", 0, 0},
        {rcReplaceStrAddCr, "a\nb\nc", "a\nb\nc", 1, 100},  // the work buffer
        {rcReplaceStrAddCr, "a\nb\nc", "a\nb\nc", 2, 114},  // its resize
    };
    for (const auto &c : arCases) {
        size_t n = std::strlen(c.szIn);
        char *sz = static_cast<char *>(pvAlloc(n + 1));
        std::memcpy(sz, c.szIn, n);
        ConsoleCapture cap;
        vFailAllocAt(c.iFailAt, false);
        EXPECT_EQ(c.iFailAt ? RC_NOMEM : RC_OK, c.op(&sz)) << c.szIn;
        vFailAllocAt(0, false);
        EXPECT_STREQ(c.szWant, sz);
        EXPECT_EQ(c.iFailAt ? sNoMem + sTrail("rcReplaceStr", "..\\share\\rcReplaceStr", c.iSite) +
                                  sTrail("rcReplaceStrAddCr", "..\\share\\rcReplaceStr", 183)
                            : "",
                  cap.sLines());
        vFree(sz);
    }
}
