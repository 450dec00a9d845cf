// Console mode with real layouts, through the real executable.
#include <gtest/gtest.h>

#include "e2eHarness.h"

namespace {
const std::string sBanner = "quorva version 1.0.0\nCopyright (C) 2026 The quorva developers\n";
const std::string sNormalEnd = "正常終了しました。                          \n";
}  // namespace

TEST(LayoutE2E, ConsoleWritesTheLayout) {
    const struct { const char *szName, *szArgs, *szIn, *szWant; } arCases[] = {
        {"query with join, IN list and subquery", "-o",
         "SELECT a.id, b.name FROM tab_a a INNER JOIN tab_b b ON a.id = b.id WHERE a.x IN (1, 2, 3) AND a.y = "
         "(SELECT MAX(y) FROM tab_c);\n",
         "SELECT a.id\n, b.name\nFROM tab_a a\nINNER JOIN tab_b b\nON a.id = b.id\nWHERE a.x IN (1, 2, 3)\n"
         "AND a.y = (\n\tSELECT MAX(y)\n\tFROM tab_c\n);\n"},
        {"four blanks and a short comma limit", "-o -i4 -c2", "  select f(a, b, c), g(d, e) from t\n",
         "select f(\n    a\n    , b\n    , c\n) \n, g(d, e)\nfrom t\n"},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(c.szArgs, c.szIn);
        EXPECT_EQ(0, r.iStatus) << c.szName;
        EXPECT_EQ(sCrLf(c.szWant), r.sOut) << c.szName;
        EXPECT_EQ(sCrLf(sBanner + sNormalEnd), r.sErr) << c.szName;
    }
}

TEST(LayoutE2E, ConsoleReportsALayoutFailure) {
    RunResult r = rRunQuorva("-o", "BEGIN NULL; END\n");
    EXPECT_EQ(24, r.iStatus);
    EXPECT_EQ("", r.sOut);
    const std::string sReport =
        sCrLf("Error - 対応する閉じ括弧がありません。iIdt = 1, iOrgIdt = 0\n"
              "関数 rcFmtStmt() が異常終了しました。(.\\rcFmtStmt-1466)\n"
              "ssSrc の前方 15 バイトから後方 0 バイトまでをダンプします。\n前方 15 バイト：\nBEGIN NULL;END\n\n"
              "後方 0 バイト：\n\n");
    EXPECT_NE(std::string::npos, r.sErr.find(sReport)) << r.sErr;
}
