// Chunk joining and the metric of a parenthesised part.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "consoleCapture.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtInternal.h"

namespace {

char *szHeapCopy(const std::string &s) {
    char *p = static_cast<char *>(pvAlloc(s.size() + 1));
    std::memcpy(p, s.data(), s.size());
    return p;
}

TEST(ChunkJoin, Texts) {
    const struct { const char *szName, *szIn; uint32_t iJoinAt; const char *szWant; } arCases[] = {
        {"empty lines vanish", "a\n\n\nb", 256, "ab"},
        {"clauses run together", "SELECT a\nFROM t\nWHERE b", 256, "SELECT aFROM tWHERE b"},
        {"line comment keeps its line feed", "a -- c\nb", 256, "a -- c\nb"},
        {"block comment spans lines", "/* x\ny */\nz", 256, "/* x\ny */z"},
        {"literal spanning lines loses its line feed", "'a\nb'", 256, "'ab'"},
        {"dash dash inside a literal is a comment", "'--'\nx\n", 256, "'--'\nx"},
        {"last chunk without line feed", "a\nb c", 256, "ab c"},
        {"only line feeds", "\n\n\n", 256, ""},
        {"empty text", "", 256, ""},
        {"line feed as second byte", "\x82\nx\ny", 256, "\x82\nxy"},
        // Glue: a chunk ending in a double-byte character, one empty line, then more text.
        {"glue keeps the next line whole", "ab\x82\xA0\n\nxyz", 256, "ab\x82\xA0__xyz"},
        {"glue only below the limit", "ab\x82\xA0\n\nxyz", 4, "ab\x82\xA0xyz"},
        {"glue at one below the limit", "ab\x82\xA0\n\nxyz", 5, "ab\x82\xA0__xyz"},
        {"no glue after two empty lines", "ab\x82\xA0\n\n\nxyz", 256, "ab\x82\xA0xyz"},
        {"no glue at the end of the text", "ab\x82\xA0\n\n", 256, "ab\x82\xA0"},
        {"no glue after a single-byte end", "abc\n\nxyz", 256, "abcxyz"},
        {"glue then a one-byte line", "\x82\xA0\n\nx", 256, "\x82\xA0__x"},
    };
    for (const auto &c : arCases) {
        char *p = szHeapCopy(c.szIn);
        ConsoleCapture cap;
        EXPECT_EQ(RC_OK, rcJoinStmtChunk(&p, c.iJoinAt)) << c.szName;
        EXPECT_EQ(std::string(c.szWant), std::string(p)) << c.szName;
        EXPECT_EQ("", cap.sText()) << c.szName;
        vFree(p);
    }
}

TEST(ChunkJoin, Failures) {
    {
        char *p = szHeapCopy("a\nb -- c");
        const char *pOld = p;
        ConsoleCapture cap;
        EXPECT_EQ(RC_OVERRUN, rcJoinStmtChunk(&p, 256));
        EXPECT_EQ(pOld, p);
        EXPECT_STREQ("a\nb -- c", p);
        EXPECT_EQ("Error - バッファ領域のオーバー・ランが発生しました。\n"
                  "関数 rcSkipCmt() が異常終了しました。(.\\rcFmtStmt-125)\n"
                  "関数 rcJoinStmtChunk() が異常終了しました。(.\\rcFmtStmt-331)\n",
                  cap.sLines());
        vFree(p);
    }
    {
        char *p = szHeapCopy("a\nb");
        ConsoleCapture cap;
        vFailAllocAt(1, false);
        int rc = rcJoinStmtChunk(&p, 256);
        vFailAllocAt(0, false);
        EXPECT_EQ(RC_NOMEM, rc);
        EXPECT_STREQ("a\nb", p);
        EXPECT_EQ("Error - メモリの取得に失敗しました。\n"
                  "関数 rcJoinStmtChunk() が異常終了しました。(.\\rcFmtStmt-315)\n",
                  cap.sLines());
        vFree(p);
    }
}

TEST(ChunkMetrix, Values) {
    const std::string s14Commas = "(a,a,a,a,a,a,a,a,a,a,a,a,a,a,a)";
    const struct { std::string sName, sIn; int32_t iNumComma, iPartSize, iWant; } arCases[] = {
        {"simple", "(a, b)", 14, 50, 0},
        {"subquery", "(SELECT x FROM t)", 14, 50, 1},
        {"two ANDs", "(a AND b AND c)", 14, 50, 2},
        {"nested part", "(a, (b))", 14, 50, 1},
        {"commas below limit", "(a, b)", 2, 50, 0},
        {"commas at limit", "(a, b, c)", 2, 50, 1},
        {"13 commas", "(" + s14Commas.substr(3), 14, 50, 0},
        {"14 commas", s14Commas, 14, 50, 1},
        {"size at limit", "(abcd)", 14, 5, 0},
        {"size above limit", "(abcde)", 14, 5, 1},
        {"closing parenthesis 50 bytes on", "(" + std::string(49, 'x') + ")", 14, 50, 0},
        {"closing parenthesis 51 bytes on", "(" + std::string(50, 'x') + ")", 14, 50, 1},
        {"parenthesis inside a literal", "(SELECT 'a)' FROM t)", 14, 50, 1},
        {"comment hides a parenthesis", "(a /* ) */ b) x", 14, 50, 0},
        {"line comment hides a parenthesis", "(a -- )\n b)", 14, 50, 0},
        {"keywords in lower case", "(select x from t where a and b)", 14, 50, 2},
        {"stops at its partner", "(a) AND (SELECT", 14, 50, 0},
        {"double-byte second byte is a parenthesis", "(\x81)x)", 14, 50, 0},
        {"nested commas count", "(a, (b, c))", 2, 50, 2},
    };
    for (const auto &c : arCases) {
        int32_t iMetrix = -1;
        ConsoleCapture cap;
        EXPECT_EQ(RC_OK, rcGetMetrix(c.sIn.c_str(), c.sIn.c_str() + c.sIn.size(), &iMetrix, c.iNumComma, c.iPartSize)) << c.sName;
        EXPECT_EQ(c.iWant, iMetrix) << c.sName;
        EXPECT_EQ("", cap.sText()) << c.sName;
    }
}

TEST(ChunkMetrix, Failures) {
    const std::string sHead = "Error - バッファ領域のオーバー・ランが発生しました。\n"
                              "関数に渡されたバッファ領域の先端部：\n";
    const std::string sTrail211 = "関数 rcGetMetrix() が異常終了しました。(.\\rcFmtStmt-211)\n";
    std::string sLong = "(" + std::string(300, 'y');
    const struct { std::string sName, sIn, sWant; int rc; } arCases[] = {
        {"unclosed", "(a, b", sHead + "(a, b\n" + sTrail211, RC_OVERRUN},
        {"unclosed literal", "(a, 'b)", sHead + "(a, 'b)\n" + sTrail211, RC_OVERRUN},
        {"first 255 bytes", sLong, sHead + sLong.substr(0, 255) + "\n" + sTrail211, RC_OVERRUN},
        {"line comment without line feed", "(a -- b)",
         "Error - バッファ領域のオーバー・ランが発生しました。\n"
         "関数 rcSkipCmt() が異常終了しました。(.\\rcFmtStmt-125)\n"
         "関数 rcGetMetrix() が異常終了しました。(.\\rcFmtStmt-176)\n",
         RC_OVERRUN},
    };
    for (const auto &c : arCases) {
        int32_t iMetrix = -1;
        ConsoleCapture cap;
        EXPECT_EQ(c.rc, rcGetMetrix(c.sIn.c_str(), c.sIn.c_str() + c.sIn.size(), &iMetrix, 14, 50)) << c.sName;
        EXPECT_EQ(-1, iMetrix) << c.sName;
        EXPECT_EQ(c.sWant, cap.sLines()) << c.sName;
    }
}

}  // namespace
