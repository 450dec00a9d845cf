// The driver and console mode through the real executable: usage, warnings, layouts, failure
// reports and exit status, and the arguments a shell or the start-up hands over.
#include "e2eHarness.h"

namespace {
const std::string sUsage = sSjis(
    "Usage: \nquorva \n\t[-h|--help] \n\t[-ixx|-itab|--indent_width=xx|tab] \n\t[-cxx|--num_comma=xx] \n"
    "\t[-sxx|--part_size=xx] \n\t[-r|--recurently] \n\t[-o|--stdio] \n\t[-j[xx]|--join_at[=xx]] \n"
    "\t[--encoding=auto|sjis|utf8|latin1] \n\t[--eol=crlf|lf|keep] \n\t[--keyword-case=keep|upper|lower] \n\t[--blank-lines=keep|drop] \n"
    "\t[--check] \n\t[--diff] \n\t[-q|--quiet] \n"
    "\t[--no-config] \n\t[--version] \n\t[--keep-on-error] \n\t[--stdin-filepath=ファイル名] \n"
    "\t[[ディレクトリ名|ファイル名]...] \n\n"
    "-r: ディレクトリ内の名前が .sql で終わるエントリだけを対象とし、名前が .sql で終わるディレクトリにだけ入ります。\n\n");
std::string sWarn(const std::string &sArg) {
    return sSjis("Warning - オプション:'" + sArg + "' はサポートされていません。\n");
}
const std::string sConsoleFailed = sTrail("rcFmtOnConsole", "..\\share\\rcFmtOnConsole", 42) + sAbend(207);
}  // namespace

TEST(Driver, HelpForms) {
    const struct { const char *szArgs; std::string sErr; } arCases[] = {
        {"--HELP", ""}, {"-x -h", sWarn("-x")},
        {"-h --indent_width --join_at", sWarn("--indent_width") + sWarn("--join_at")},
        {"-h -o -r -i4", ""},  // help wins; -o only moves the messages to standard error
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(c.szArgs);
        const bool bStdio = std::string(c.szArgs).find("-o") != std::string::npos;
        const std::string sMessages = sCrLf(sBanner + sUsage + sNormalEnd);
        EXPECT_EQ(0, r.iStatus) << c.szArgs;
        EXPECT_EQ(bStdio ? "" : sMessages, r.sOut) << c.szArgs;
        EXPECT_EQ(sCrLf(c.sErr) + (bStdio ? sMessages : ""), r.sErr) << c.szArgs;
    }
    vWriteFile("drv_help.sql", "select a,b from t\n");
    EXPECT_EQ(sCrLf(sBanner + sUsage + sNormalEnd), rRunQuorva("drv_help.sql -h").sOut);
    EXPECT_EQ("select a,b from t\n", sReadFile("drv_help.sql"));  // help touches no file
    std::remove("drv_help.sql");
}

// The layouts come back with the input's own line end (CR LF on Windows, where it is the
// default).
TEST(Console, FormatsStandardInput) {
    const struct { const char *szName, *szArgs; std::string sIn, sOut; } arCases[] = {
        {"query with join, IN list and subquery", "-o",
         "SELECT a.id, b.name FROM tab_a a INNER JOIN tab_b b ON a.id = b.id WHERE a.x IN (1, 2, 3) AND a.y = "
         "(SELECT MAX(y) FROM tab_c);\n",
         "SELECT a.id\n, b.name\nFROM tab_a a\nINNER JOIN tab_b b\nON a.id = b.id\nWHERE a.x IN (1, 2, 3)\n"
         "AND a.y = (\n\tSELECT MAX(y)\n\tFROM tab_c\n);\n"},
        {"four blanks and a short comma limit", "-o -i4 -c2", "  select f(a, b, c), g(d, e) from t\n",
         "select f(\n    a\n    , b\n    , c\n)\n, g(d, e)\nfrom t\n"},
        {"joining, long options", "--stdio --join_at=", "select a,\nb\nfrom t\n", "select a\n, bfrom t\n"},
        {"CR LF line ends, Shift_JIS text (ソ)", "-o", "select '\x83\x5C'\r\nfrom dual\r\n",
         "select '\x83\x5C'\nfrom dual\n"},
        {"last line without line end", "-o", "select 1\nfrom dual", "select 1\nfrom dual\n"},
        {"a NUL is an ordinary byte", "-o", std::string("select 1\0junk\nfrom dual", 23),
         std::string("select 1\0junk\nfrom dual\n", 24)},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(c.szArgs, c.sIn);
        const bool bCrLfIn = c.sIn.find("\r\n") != std::string::npos && c.sIn.find("\r\n") < c.sIn.find('\n');
        EXPECT_EQ(0, r.iStatus) << c.szName;
        EXPECT_EQ(bCrLfIn ? sCrLf(c.sOut) : sNative(c.sOut), r.sOut) << c.szName;
        EXPECT_EQ(sCrLf(sBanner + sNormalEnd), r.sErr) << c.szName;
    }
}

TEST(Console, SeveralMegabytes) {
    std::string sIn, sWant;
    while (sIn.size() < (4u << 20)) {
        sIn += "select 1 from dual;\r\n";
        sWant += "select 1\r\nfrom dual;\r\n";
    }
    RunResult r = rRunQuorva("-o", sIn);
    EXPECT_EQ(0, r.iStatus);
    EXPECT_TRUE(r.sOut == sWant) << "output of " << r.sOut.size() << " bytes differs";
}

TEST(Console, FormatterFailuresAreReportedWhole) {
    const struct { const char *szName; std::string sIn; int iStatus; std::string sReport; } arCases[] = {
        {"empty input", "", 26,
         sSjis("Error - バッファ領域のオーバー・ランが発生しました。\n") + sTrail("rcFmtStmt", ".\\rcFmtStmt", 526) +
             sDump("", "")},
        {"block left open", "BEGIN NULL; END\n", 24,
         sSjis("Error - 対応する閉じ括弧がありません。iIdt = 1, iOrgIdt = 0\n") +
             sTrail("rcFmtStmt", ".\\rcFmtStmt", 1466) + sDump("", "BEGIN NULL;END\n") +
             sSjis("整形できなかった位置は入力の 1 行目です。\n")},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva("-o", c.sIn);
        EXPECT_EQ(c.iStatus, r.iStatus) << c.szName;
        EXPECT_EQ("", r.sOut) << c.szName;
        EXPECT_EQ(sCrLf(sBanner + c.sReport + sConsoleFailed), r.sErr) << c.szName;
    }
}

TEST(Console, StandardStreamFailures) {
    // Standard output a copy of the read-only standard input: every write fails. Standard input
    // a copy of the write-only standard output: the read fails (Wine's command interpreter
    // cannot redirect standard input that way).
    const struct { const char *szRedirect, *szMsg; int iStatus, iSite; } arCases[] = {
        {"1>&0", "Error - ファイルへの書込みに失敗しました。stdout:", 7, 50},
        {"> e2e_read_fail.out 0<&1", "Error - ファイルのオープンに失敗しました。stdin:", 6, 33},
    };
    for (const auto &c : arCases) {
        if (bWindows && c.iSite == 33) continue;
        RunResult r = rRunQuorva("-o", "select 1 from dual\n", c.szRedirect);
        EXPECT_EQ(c.iStatus, r.iStatus) << c.szMsg;
        EXPECT_EQ(0u, r.sErr.rfind(sCrLf(sBanner) + sSjis(c.szMsg), 0)) << r.sErr;
        const std::string sTail = sCrLf(sTrail("rcFmtOnConsole", "..\\share\\rcFmtOnConsole", c.iSite) + sAbend(207));
        EXPECT_EQ(sTail, sLast(r.sErr, sTail.size()));
    }
    std::remove("e2e_read_fail.out");
}

TEST(Driver, WildcardArgumentsNameEveryMatchingFile) {
    // The shell expands the pattern on POSIX; on Windows the program's start-up does.
    E2eDir d("drv_wild");
    vWriteFile(d.s("a.sql"), "select a from t\n");
    vWriteFile(d.s("b.SQL"), "select b from t\n");
    vWriteFile(d.s("c.txt"), "select a,b from t\n");
    RunResult r = rRunQuorva(d.s() + cSep + "*.sql");
    EXPECT_EQ(0, r.iStatus) << r.sOut;
    EXPECT_NE(std::string::npos, r.sOut.find(sCrLf(d.s("a.sql") + "\n"))) << r.sOut;
    // Windows matches without regard to case, POSIX shells with it.
    const std::string sSummary = sSjis((bWindows ? "2" : "1") + std::string(" 個のファイルを整形しました。"));
    EXPECT_NE(std::string::npos, r.sOut.find(sCrLf(sSummary))) << r.sOut;
    EXPECT_EQ("select a,b from t\n", sReadFile(d.s("c.txt")));
}

TEST(Driver, PathNamesTakePrecedenceOverStdio) {
    // File mode runs; -o only moves every message to standard error.
    E2eDir d("drv_stdio");
    vWriteFile(d.s("a.sql"), "select a,b from t\n");
    RunResult r = rRunQuorva("-o " + d.s("a.sql"));
    EXPECT_EQ(0, r.iStatus);
    EXPECT_EQ("", r.sOut);
    EXPECT_EQ(0u, r.sErr.rfind(sCrLf(sBanner + d.s("a.sql") + "\n"), 0)) << r.sErr;
    EXPECT_EQ(sNative("select a\n, b\nfrom t\n"), sReadFile(d.s("a.sql")));
}
