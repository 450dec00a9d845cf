// The driver, through the real executable: banner, usage, warnings, status lines, exit status.
#include <gtest/gtest.h>

#include <cstdio>

#include "e2eHarness.h"

namespace {
const std::string sBanner = "quorva version 1.0.0\nCopyright (C) 2026 The quorva developers\n";
const std::string sNormalEnd = "正常終了しました。                          \n";
const std::string sUsage =
    "Usage: \nquorva \n\t[-h|--help] \n\t[-ixx|--indent_width=xx] \n\t[-cxx|--num_comma=xx] \n"
    "\t[-sxx|--part_size=xx] \n\t[-r|--recurently] \n\t[-o|--stdio] \n\t[-j[xx]|--join_at[=xx]] \n"
    "\t[[ディレクトリ名|ファイル名]...] \n\n";
std::string sWarn(const std::string &sArg) { return "Warning - オプション:'" + sArg + "' はサポートされていません。\n"; }
}  // namespace

TEST(Driver, HelpForms) {
    const struct {
        const char *szArgs;
        std::string sErr;
    } arCases[] = {
        {"-h", ""},
        {"--HELP", ""},
        {"-helpme", ""},
        {"-x -h", sWarn("-x")},
        {"-h --indent_width --join_at", sWarn("--indent_width") + sWarn("--join_at")},
        {"-h -o -r -i4", ""},  // help wins; -o only moves the messages to standard error
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(c.szArgs);
        SCOPED_TRACE(c.szArgs);
        EXPECT_EQ(r.iStatus, 0);
        bool bStdio = std::string(c.szArgs).find("-o") != std::string::npos;
        std::string sMessages = sCrLf(sBanner + sUsage + sNormalEnd);
        EXPECT_EQ(r.sOut, bStdio ? "" : sMessages);
        EXPECT_EQ(r.sErr, sCrLf(c.sErr) + (bStdio ? sMessages : ""));
    }
}

TEST(Driver, HelpWithPathsTouchesNoFile) {
    const std::string sScript = "select a,b from t\n";
    vWriteFile("drv_help.sql", sScript);
    RunResult r = rRunQuorva("drv_help.sql -h");
    EXPECT_EQ(r.iStatus, 0);
    EXPECT_EQ(r.sOut, sCrLf(sBanner + sUsage + sNormalEnd));
    EXPECT_EQ(sReadFile("drv_help.sql"), sScript);
    std::remove("drv_help.sql");
}

TEST(Console, WriteFailureOnStandardOutput) {
    // Standard output is a copy of the read-only standard input: every write fails.
    RunResult r = rRunQuorva("-o", "select 1 from dual\n", "1>&0");
    EXPECT_EQ(r.iStatus, 7);
    EXPECT_EQ(r.sErr.rfind(sCrLf(sBanner) + "Error - ファイルへの書込みに失敗しました。stdout:", 0), 0u) << r.sErr;
    const std::string sTail = sCrLf("関数 rcFmtOnConsole() が異常終了しました。(..\\share\\rcFmtOnConsole-50)\n"
                                    "異常終了しました。(.\\quorva-207)                   \n");
    EXPECT_EQ(sLast(r.sErr, sTail.size()), sTail);
}

TEST(Driver, WildcardArgumentsNameEveryMatchingFile) {
    // The shell expands the pattern on POSIX; on Windows the program's start-up does.
    E2eDir d("drv_wild");
    const std::string sOther = "select a,b from t\n";
    vWriteFile(d.s("a.sql"), "select a from t\n");
    vWriteFile(d.s("b.SQL"), "select b from t\n");
    vWriteFile(d.s("c.txt"), sOther);
    RunResult r = rRunQuorva(d.s() + cSep() + "*.sql");
    EXPECT_EQ(r.iStatus, 0) << r.sOut;
    const std::string sAnnounce = sCrLf(d.s("a.sql") + "\n"), sSummary = sCrLf("個のファイルを整形しました。");
    EXPECT_NE(r.sOut.find(sAnnounce), std::string::npos) << r.sOut;
    // Windows matches without regard to case, POSIX shells with it.
    EXPECT_NE(r.sOut.find((bWindows() ? "2 " : "1 ") + sSummary), std::string::npos) << r.sOut;
    EXPECT_EQ(sReadFile(d.s("c.txt")), sOther);
}

TEST(Driver, PathNamesTakePrecedenceOverStdio) {
    // File mode runs; -o only moves every message to standard error.
    E2eDir d("drv_stdio");
    vWriteFile(d.s("a.sql"), "select a,b from t\n");
    RunResult r = rRunQuorva("-o " + d.s("a.sql"));
    EXPECT_EQ(r.iStatus, 0);
    EXPECT_EQ(r.sOut, "");
    EXPECT_EQ(r.sErr.rfind(sCrLf(sBanner + d.s("a.sql") + "\n"), 0), 0u) << r.sErr;
    EXPECT_EQ(sReadFile(d.s("a.sql")), sCrLf("select a\n, b\nfrom t\n"));
}
