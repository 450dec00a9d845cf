// Console mode through the real executable: what reaches the formatter and what comes out.
#include <gtest/gtest.h>

#include <cstdio>

#include "e2eHarness.h"

namespace {
const std::string sBanner = "quorva version 1.0.0\nCopyright (C) 2026 The quorva developers\n";
const std::string sNormalEnd = "正常終了しました。                          \n";
}  // namespace

TEST(Console, FormatsStandardInput) {
    const struct {
        const char *szName, *szArgs;
        std::string sIn, sOut;
    } arCases[] = {
        {"blanks as the unit", "--stdio -i2", "select x from t where a in (select b from u);",
         "select x\nfrom t\nwhere a in (\n  select b\n  from u\n);\n"},
        {"CR LF line ends", "-o", "select 1\r\nfrom dual\r\n", "select 1\nfrom dual\n"},
        {"last line without line end", "-o", "select 1\nfrom dual", "select 1\nfrom dual\n"},
        {"a NUL loses the rest of its line", "-o", std::string("select 1\0junk\nfrom dual", 24), "select 1from dual\n"},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(c.szArgs, c.sIn);
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(r.iStatus, 0);
        EXPECT_EQ(r.sOut, sCrLf(c.sOut));
        EXPECT_EQ(r.sErr, sCrLf(sBanner + sNormalEnd));
    }
}

TEST(Console, SeveralMegabytes) {
    std::string sIn, sWant;
    while (sIn.size() < (4u << 20)) {
        sIn += "select 1 from dual;\r\n";
        sWant += "select 1\r\nfrom dual;\r\n";
    }
    RunResult r = rRunQuorva("-o", sIn);
    EXPECT_EQ(r.iStatus, 0);
    EXPECT_TRUE(r.sOut == sWant) << "output of " << r.sOut.size() << " bytes differs";
}

TEST(Console, EmptyInputFailsInTheFormatter) {
    RunResult r = rRunQuorva("-o", "");
    EXPECT_EQ(r.iStatus, 26);
    EXPECT_EQ(r.sOut, "");
    EXPECT_EQ(r.sErr.rfind(sCrLf(sBanner + "Error - バッファ領域のオーバー・ランが発生しました。\n"
                                           "関数 rcFmtStmt() が異常終了しました。(.\\rcFmtStmt-526)\n"),
                           0),
              0u)
        << r.sErr;
    const std::string sTail = sCrLf("関数 rcFmtOnConsole() が異常終了しました。(..\\share\\rcFmtOnConsole-42)\n"
                                    "異常終了しました。(.\\quorva-207)                   \n");
    EXPECT_EQ(sLast(r.sErr, sTail.size()), sTail);
}

TEST(Console, ReadFailureOnStandardInput) {
    // Standard input is a copy of the write-only standard output: the read fails and nothing
    // is formatted. Wine's command interpreter cannot redirect standard input that way.
    if (bWindows()) GTEST_SKIP() << "the shell cannot make standard input unreadable here";
    RunResult r = rRunQuorva("-o", "select 1 from dual\n", "> e2e_read_fail.out 0<&1");
    std::remove("e2e_read_fail.out");
    EXPECT_EQ(r.iStatus, 6);
    EXPECT_EQ(r.sErr.rfind(sCrLf(sBanner) + "Error - ファイルのオープンに失敗しました。stdin:", 0), 0u) << r.sErr;
    const std::string sTail = sCrLf("関数 rcFmtOnConsole() が異常終了しました。(..\\share\\rcFmtOnConsole-33)\n"
                                    "異常終了しました。(.\\quorva-207)                   \n");
    EXPECT_EQ(sLast(r.sErr, sTail.size()), sTail);
}
