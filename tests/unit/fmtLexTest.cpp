// The formatter's lexical primitives: lead bytes, keywords, literals, comments, END names and
// the exchange of two pieces of text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "consoleCapture.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtInternal.h"

namespace {

TEST(LexLeadByte, RangesAndBounds) {
    const struct { int iByte, iWant; } arCases[] = {
        {0x80, 0}, {0x81, 1}, {0x9F, 1}, {0xA0, 0}, {0xDF, 0}, {0xE0, 1},
        {0xEF, 1}, {0xF0, 0}, {0xFC, 0}, {0x41, 0}, {0x00, 0}, {0x5C, 0},
    };
    for (const auto &c : arCases) EXPECT_EQ(c.iWant, iIsLeadByte(c.iByte)) << std::hex << c.iByte;
    EXPECT_EQ(pfnIsLeadByte, &iIsLeadByte);
}

TEST(LexKeyword, MatchAndCount) {
    const struct { const char *szName, *szText, *szKeyword; int iWant; uint32_t uMatched; } arCases[] = {
        {"keyword with blank", "select * from t", "SELECT ", 1, 7},
        {"longer word", "SELECTED", "SELECT ", 0, 6},
        {"empty keyword", "x", "", 1, 0},
        {"no word boundary", "ANDREW", "AND", 1, 3},
        {"text ends first", "AN", "AND", 0, 2},
        {"0xE0 is not folded to 0xC0", "\xE0", "\xC0", 0, 0},
        {"[ is not folded to {", "[", "{", 0, 0},
        {"only letters fold", "end loop1;", "END LOOP1", 1, 9},
    };
    for (const auto &c : arCases) {
        uint32_t u = 99;
        EXPECT_EQ(c.iWant, iIsKeyword(c.szText, c.szKeyword, &u)) << c.szName;
        EXPECT_EQ(c.uMatched, u) << c.szName;
    }
}

TEST(LexQuotedLen, Literals) {
    const struct { const char *szName, *szText; int32_t iWant; } arCases[] = {
        {"doubled apostrophe", "'It''s' x", 7},
        {"apostrophe inside double quotes", "\"a'b\" x", 5},
        {"doubled double quote", "\"a\"\"b\"x", 6},
        {"not a quote", "x'a'", 0},
        {"line feed inside", "'a\nb' c", 5},
        {"second byte is a quote", "'\x83'' x", 4},        // 0x83 0x27 is one character
        {"unclosed runs to the end", "'abc", 4},
        {"lead byte before the NUL", "'ab\x82", 4},
        {"empty literal", "''", 2},
        {"doubled quote at the end", "'a''", 4},
    };
    for (const auto &c : arCases) EXPECT_EQ(c.iWant, iQuotedLen(c.szText, c.szText + std::strlen(c.szText))) << c.szName;
}

const char szOverrun125[] = "Error - バッファ領域のオーバー・ランが発生しました。\n"
                            "関数 rcSkipCmt() が異常終了しました。(.\\rcFmtStmt-125)\n";
const char szNotCmt119[] = "Error - コメント開始の文字列ではありません。\n"
                           "関数 rcSkipCmt() が異常終了しました。(.\\rcFmtStmt-119)\n";

TEST(LexSkipCmt, LengthsAndFailures) {
    // iEndAt: -1 for the terminating NUL, else an offset; uWant 77: the length stays unset.
    const struct { const char *szName, *szText; int iEndAt; int rc; uint32_t uWant; const char *szMsg; } arCases[] = {
        {"line comment keeps its line feed", "-- x\nSELECT", -1, RC_OK, 5, ""},
        {"block comment", "/* a */b", -1, RC_OK, 7, ""},
        {"unclosed block comment runs to end", "/* a b", -1, RC_OK, 6, ""},
        {"second byte is a star", "/* \x81* */x", -1, RC_OK, 8, ""},  // 0x81 0x2A is one character
        {"second byte is a line feed", "-- \x82\nx\ny", -1, RC_OK, 7, ""},
        {"block comment ends at given end", "/* a */ b", 4, RC_OK, 4, ""},
        {"star slash across end", "/* a */", 6, RC_OK, 6, ""},
        {"line comment without line feed", "-- x", -1, RC_OVERRUN, 77, szOverrun125},
        {"line feed beyond end", "-- x\n", 4, RC_OVERRUN, 77, szOverrun125},
        {"not a comment", "x -- y\n", -1, RC_NOTCMT, 77, szNotCmt119},
        {"single dash", "-x\n", -1, RC_NOTCMT, 77, szNotCmt119},
    };
    for (const auto &c : arCases) {
        uint32_t u = 77;
        const char *pEnd = c.iEndAt < 0 ? c.szText + std::strlen(c.szText) : c.szText + c.iEndAt;
        ConsoleCapture cap;
        EXPECT_EQ(c.rc, rcSkipCmt(c.szText, pEnd, &u)) << c.szName;
        EXPECT_EQ(c.uWant, u) << c.szName;
        EXPECT_EQ(c.szMsg, cap.sLines()) << c.szName;
    }
}

TEST(LexCatSame, EndNames) {
    const struct { const char *szName, *szText, *szBlk; int iWant; uint32_t uMatched; } arCases[] = {
        {"matches in any case", "end LOOP1;", "LOOP1", 1, 9},
        {"other name", "END LOOP2", "LOOP1", 0, 8},
        {"lower-case name from the statement", "END pk;", "pk", 1, 6},
        {"prefix differs", "ENDLOOP1", "LOOP1", 0, 3},
        {"text ends early", "END LO", "LOOP1", 0, 6},
        {"empty name", "END ;", "", 1, 4},
    };
    for (const auto &c : arCases) {
        uint32_t u = 99;
        EXPECT_EQ(c.iWant, iIsCatSame(c.szText, "END ", c.szBlk, &u)) << c.szName;
        EXPECT_EQ(c.uMatched, u) << c.szName;
    }
}

TEST(LexStrSwap, Rotations) {
    const struct { const char *szName, *szText; int iFirst, iMiddle, iEnd; const char *szWant; } arCases[] = {
        {"two pieces", "ABCxyz", 0, 3, 6, "xyzABC"},
        {"middle at first", "ABCxyz", 0, 0, 6, "ABCxyz"},
        {"middle at end", "ABCxyz", 0, 6, 6, "ABCxyz"},
        {"inside the text", "[AB|c]", 1, 3, 5, "[|cAB]"},
    };
    for (const auto &c : arCases) {
        std::string s = c.szText;
        EXPECT_EQ(RC_OK, rcStrSwap(&s[0] + c.iFirst, &s[0] + c.iMiddle, &s[0] + c.iEnd)) << c.szName;
        EXPECT_EQ(c.szWant, s) << c.szName;
    }
}

TEST(LexStrSwap, NoMemoryLeavesTextUnchanged) {
    std::string s = "ABCxyz";
    ConsoleCapture cap;
    vFailAllocAt(1, false);
    int rc = rcStrSwap(&s[0], &s[0] + 3, &s[0] + 6);
    vFailAllocAt(0, false);
    EXPECT_EQ(RC_NOMEM, rc);
    EXPECT_EQ("ABCxyz", s);
    EXPECT_EQ("Error - メモリの取得に失敗しました。\n"
              "関数 rcStrSwap() が異常終了しました。(.\\psGlobals-1011)\n",
              cap.sLines());
    EXPECT_EQ(1011, iLastErrLine);
}

}  // namespace
