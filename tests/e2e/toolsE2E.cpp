// quorva among the tools around it, through the real executable: the terminal's codeset,
// files left alone when nothing changes, --check, --diff, --quiet, --eol, .quorva settings
// and --version.
#include <chrono>

#include "e2eHarness.h"

namespace fs = std::filesystem;

namespace {
const std::string sRaw = "select a,b from t;\n";
const std::string sDone = "select a\r\n, b\r\nfrom t;\r\n";  // what the default layout makes of it

// The named files of d with their bytes.
std::string sFiles(const E2eDir &d, std::initializer_list<const char *> names) {
    std::string s;
    for (const char *sz : names) s += std::string(sz) + "=" + sReadFile(d.s(sz)) + "|";
    return s;
}
}  // namespace

TEST(Tools, MessagesFollowTheTerminalCodeset) {
    if (bWindows) GTEST_SKIP() << "the console keeps its code page";
    RunResult rUtf8 = rRunQuorva("--help", "", nullptr, "LC_ALL=C.UTF-8 ");
    EXPECT_NE(std::string::npos, rUtf8.sOut.find("正常終了しました。")) << rUtf8.sOut;
    RunResult rC = rRunQuorva("--help", "", nullptr, "LC_ALL=C ");
    EXPECT_NE(std::string::npos, rC.sOut.find(sSjis("正常終了しました。"))) << rC.sOut;
}

TEST(Tools, AFormattedFileIsLeftAlone) {
    E2eDir d("tools_same");
    vWriteFile(d.s("a.sql"), sDone);
    const auto tOld = fs::last_write_time(d.s("a.sql")) - std::chrono::hours(48);
    fs::last_write_time(d.s("a.sql"), tOld);
    if (!bWindows) fs::create_hard_link(d.s("a.sql"), d.s("link.sql"));
    RunResult r = rRunQuorva(d.s("a.sql"));
    EXPECT_EQ(0, r.iStatus) << r.sOut;
    EXPECT_NE(std::string::npos, r.sOut.find(sSjis("1 個のファイルを整形しました。"))) << r.sOut;
    EXPECT_EQ(sDone, sReadFile(d.s("a.sql")));
    EXPECT_TRUE(fs::last_write_time(d.s("a.sql")) == tOld) << "the file was written";
    if (!bWindows) {
        EXPECT_EQ(2u, fs::hard_link_count(d.s("a.sql"))) << "the file was replaced";
    }
}

TEST(Tools, CheckListsWhatWouldChangeAndWritesNothing) {
    E2eDir d("tools_check");
    vWriteFile(d.s("a.sql"), sRaw);
    vWriteFile(d.s("b.sql"), sDone);
    const std::string sBefore = sFiles(d, {"a.sql", "b.sql"});
    const struct { std::string sArgs, sIn; int iStatus; std::string sOut; } arCases[] = {
        {"--check -q " + d.s("a.sql") + " " + d.s("b.sql"), "", 1, d.s("a.sql") + "\n"},
        {"--check -q " + d.s("b.sql"), "", 0, ""},
        {"--check -q -r " + d.s(), "", 1, d.s("a.sql") + "\n"},
        {"--check -q -o", sRaw, 1, "stdin\n"},
        {"--check -q -o", sDone, 0, ""},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(c.sArgs, c.sIn);
        EXPECT_EQ(c.iStatus, r.iStatus) << c.sArgs;
        EXPECT_EQ(c.sOut, r.sOut) << c.sArgs;
        EXPECT_EQ("", r.sErr) << c.sArgs;
    }
    RunResult r = rRunQuorva("--check " + d.s("a.sql"));  // messages go to standard error
    EXPECT_EQ(d.s("a.sql") + "\n", r.sOut);
    EXPECT_EQ(0u, r.sErr.find(sCrLf(sBanner))) << r.sErr;
    EXPECT_EQ(sBefore, sFiles(d, {"a.sql", "b.sql"}));
}

TEST(Tools, DiffShowsTheChangeThatPatchApplies) {
    E2eDir d("tools_diff");
    vWriteFile(d.s("a.sql"), sRaw);
    vWriteFile(d.s("b.trc"), "x\nPARSING IN CURSOR #1\nselect a,b from t\nEND OF STMT\n");
    RunResult r = rRunQuorva("--diff -q " + d.s("a.sql") + " " + d.s("b.trc"));
    EXPECT_EQ(0, r.iStatus);
    EXPECT_EQ(0u, r.sOut.find("--- " + d.s("a.sql") + "\n+++ " + d.s("a.sql") + "\n@@ -1 +1,3 @@\n-select a,b from t;\n"
                              "+select a\r\n+, b\r\n+from t;\r\n--- " + d.s("b.trc")))
        << r.sOut;
    EXPECT_EQ(sRaw, sReadFile(d.s("a.sql")));
    if (bWindows) return;  // no patch there
    vWriteFile(d.s("x.diff"), r.sOut);
    ASSERT_EQ(0, std::system(("patch -s -p0 < " + d.s("x.diff")).c_str()));
    EXPECT_EQ(sDone, sReadFile(d.s("a.sql")));
    EXPECT_EQ(0, rRunQuorva("--check -q " + d.s("b.trc")).iStatus) << "the patched trace is formatted";
}

TEST(Tools, QuietLeavesOnlyTheText) {
    RunResult r = rRunQuorva("-q -o", sRaw);
    EXPECT_EQ(0, r.iStatus);
    EXPECT_EQ(sDone, r.sOut);
    EXPECT_EQ("", r.sErr);
    E2eDir d("tools_quiet");
    vWriteFile(d.s("a.sql"), sRaw);
    r = rRunQuorva("--quiet " + d.s("a.sql"));
    EXPECT_EQ("", r.sOut + r.sErr);
    EXPECT_EQ(sDone, sReadFile(d.s("a.sql")));
    r = rRunQuorva("-q -o", "select (a from t\n");  // errors are still told
    EXPECT_EQ(26, r.iStatus);
    EXPECT_NE(std::string::npos, r.sErr.find("Error - ")) << r.sErr;
}

TEST(Tools, LineEnds) {
    E2eDir d("tools_eol");
    const std::string sLf = "select a\n, b\nfrom t;\n";
    vWriteFile(d.s("lf.sql"), sRaw);
    vWriteFile(d.s("crlf.sql"), sCrLf(sRaw));
    vWriteFile(d.s("crlf2.sql"), sCrLf(sRaw));
    EXPECT_EQ(0, rRunQuorva("-q --eol=keep " + d.s("lf.sql") + " " + d.s("crlf.sql")).iStatus);
    EXPECT_EQ(0, rRunQuorva("-q --eol=lf " + d.s("crlf2.sql")).iStatus);
    EXPECT_EQ(sLf, sReadFile(d.s("lf.sql")));
    EXPECT_EQ(sCrLf(sLf), sReadFile(d.s("crlf.sql")));
    EXPECT_EQ(sLf, sReadFile(d.s("crlf2.sql")));
    EXPECT_EQ(sLf, rRunQuorva("-q -o --eol=keep", sRaw).sOut);
    EXPECT_EQ(2, rRunQuorva("-q -o --eol=cr", sRaw).iStatus);
}

TEST(Tools, TeamSettingsAndTheirPrecedence) {
    E2eDir d("tools_cfg");
    fs::create_directories(d.s("sub/deeper"));
    vWriteFile(d.s(".quorva"), "# team layout\nindent_width = 2\neol = lf   # for git\n");
    const std::string sBlock = "begin null; end;\n";
    const struct { std::string sArgs, sWant; } arCases[] = {
        {"", "begin\n  null;\nend;\n"},
        {"-i4", "begin\n    null;\nend;\n"},
        {"--eol=crlf", "begin\r\n  null;\r\nend;\r\n"},
        {"--no-config", "begin\r\n\tnull;\r\nend;\r\n"},
    };
    for (const auto &c : arCases) {
        vWriteFile(d.s("sub/deeper/a.sql"), sBlock);
        RunResult r = rRunQuorva("-q " + c.sArgs + " " + d.s("sub/deeper/a.sql"));
        EXPECT_EQ(0, r.iStatus) << c.sArgs << r.sOut;
        EXPECT_EQ(c.sWant, sReadFile(d.s("sub/deeper/a.sql"))) << c.sArgs;
    }
    vWriteFile(d.s("sub/.quorva"), "indent_width = 2\nindent = 3\n");
    vWriteFile(d.s("sub/deeper/a.sql"), sBlock);
    RunResult r = rRunQuorva("-q " + d.s("sub/deeper/a.sql"));
    EXPECT_EQ(40, r.iStatus);
    // the file is named by its absolute path
    const std::string sHead = sSjis("Error - 設定ファイル "), sTail = sSjis(" の 2 行目が正しくありません（unknown option）。\r\n");
    EXPECT_EQ(0u, r.sOut.find(sHead)) << r.sOut;
    EXPECT_NE(std::string::npos, r.sOut.find(d.s("sub/.quorva") + sTail)) << r.sOut;
    EXPECT_EQ(sBlock, sReadFile(d.s("sub/deeper/a.sql")));
}

TEST(Tools, Version) {
    RunResult r = rRunQuorva("--version");
    EXPECT_EQ(0, r.iStatus);
    EXPECT_EQ("quorva version 1.0.0\n", sFromCrLf(r.sOut));
}
