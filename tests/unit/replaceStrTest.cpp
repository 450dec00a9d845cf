// Line-end conversion of the clipboard's text.
#include <gtest/gtest.h>

#include <cstring>

#include "consoleCapture.h"
#include "runtime/psGlobals.h"
#include "modes/rcReplaceStr.h"

namespace {
struct rCrCase {
    const char *szName, *szIn, *szWant;
};

// Runs op on a heap copy of szIn; the result text, or "rc=N" when it failed.
std::string sConvert(int (*op)(char **), const char *szIn) {
    size_t n = std::strlen(szIn);
    char *sz = static_cast<char *>(pvAlloc(n + 1));
    std::memcpy(sz, szIn, n);
    int rc = op(&sz);
    std::string s = rc == RC_OK ? std::string(sz) : "rc=" + std::to_string(rc);
    vFree(sz);
    return s;
}

const rCrCase arSubCrCases[] = {
    {"CR LF reads as LF", "a\r\nb", "a\nb"},
    {"a leading CR LF keeps its CR", "\r\nx", "\r\nx"},
    {"a lone CR stays", "a\rb\r", "a\rb\r"},
    {"CR CR LF becomes CR LF", "a\r\r\nb", "a\r\nb"},
    {"a trailing CR LF", "a\r\n", "a\n"},
    {"every line end", "a\r\nb\r\n\r\nc", "a\nb\n\nc"},
    {"nothing to do", "select 1 from dual", "select 1 from dual"},
    {"empty text", "", ""},
};

const rCrCase arAddCrCases[] = {
    {"LF gets a CR", "x\ny", "x\r\ny"},
    {"an existing CR LF gets no second CR", "x\r\ny", "x\r\ny"},
    {"a leading LF gets no CR", "\nx\n", "\nx\r\n"},
    {"empty lines", "a\n\n\nb", "a\r\n\r\n\r\nb"},
    {"empty text", "", ""},
};
}  // namespace

TEST(ReplaceStr, SubCrTable) {
    for (const rCrCase &c : arSubCrCases) EXPECT_EQ(sConvert(rcReplaceStrSubCr, c.szIn), c.szWant) << c.szName;
}

TEST(ReplaceStr, AddCrTable) {
    for (const rCrCase &c : arAddCrCases) EXPECT_EQ(sConvert(rcReplaceStrAddCr, c.szIn), c.szWant) << c.szName;
}

// The work buffer (first allocation) and the resize (second) fail: code 5, the memory message
// and the trail, and the caller's text stays valid and unchanged.
TEST(ReplaceStr, AllocationFailureKeepsText) {
    const struct {
        long iFailAt;
        int iSite;
    } arCases[] = {{1, 100}, {2, 114}};
    for (const auto &c : arCases) {
        ConsoleCapture cap;
        char *sz = static_cast<char *>(pvAlloc(8));
        std::memcpy(sz, "a\nb\nc", 5);
        vFailAllocAt(c.iFailAt, false);
        int rc = rcReplaceStrAddCr(&sz);
        vFailAllocAt(0, false);
        EXPECT_EQ(rc, RC_NOMEM) << c.iFailAt;
        EXPECT_STREQ(sz, "a\nb\nc") << c.iFailAt;
        EXPECT_EQ(cap.sLines(), "Error - メモリの取得に失敗しました。\n"
                                "関数 rcReplaceStr() が異常終了しました。(..\\share\\rcReplaceStr-" +
                                    std::to_string(c.iSite) +
                                    ")\n"
                                    "関数 rcReplaceStrAddCr() が異常終了しました。(..\\share\\rcReplaceStr-183)\n");
        EXPECT_EQ(iLastErrLine, 183);
        vFree(sz);
    }
}
