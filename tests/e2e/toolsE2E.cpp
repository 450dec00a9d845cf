// quorva among the tools around it, through the real executable: the terminal's codeset,
// files left alone when nothing changes, --check, --diff, --quiet, --eol, --keyword-case, --blank-lines,
// .quorva settings, --version, and the formatter's dump file (STMTORGFNM).
#include <chrono>
#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include "e2eHarness.h"

namespace fs = std::filesystem;

namespace {
const std::string sRaw = "select a,b from t;\n";
const std::string sDone = sNative("select a\n, b\nfrom t;\n");  // what the default layout makes of it

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
    EXPECT_NE(std::string::npos, r.sOut.find(sSjis("1 個のファイルは整形済みで、変更しませんでした。"))) << r.sOut;
    EXPECT_EQ(std::string::npos, r.sOut.find(sSjis("個のファイルを整形しました。"))) << r.sOut;
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
    vWriteFile(d.s("b.trc"), "*** x\nPARSING IN CURSOR #1 len=17\nselect a,b from t\nEND OF STMT\n");
    RunResult r = rRunQuorva("--diff -q " + d.s("a.sql") + " " + d.s("b.trc"));
    EXPECT_EQ(0, r.iStatus);
    const std::string sEol = bWindows ? "\r\n" : "\n";
    EXPECT_EQ(0u, r.sOut.find("--- " + d.s("a.sql") + "\n+++ " + d.s("a.sql") + "\n@@ -1 +1,3 @@\n-select a,b from t;\n"
                              "+select a" + sEol + "+, b" + sEol + "+from t;" + sEol + "--- " + d.s("b.trc")))
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

// The line end each --eol writes, in console and in file mode: the formatter's line breaks and
// those between tokens; a line end inside a literal or a block comment stays as it came. Without
// --eol a text keeps its own (that of its first line end outside literals and block comments),
// and on Windows gets CR LF.
TEST(Tools, LineEnds) {
    const std::string sLit = "select 'a\nb' x, c /* d\r\n */ from t;\n";
    const std::string sLitLf = "select 'a\nb' x\n, c /* d\r\n */\nfrom t;\n";
    const std::string sLitCrLf = "select 'a\nb' x\r\n, c /* d\r\n */\r\nfrom t;\r\n";
    const std::string sKeepLf = bWindows ? sCrLf("select a\n, b\nfrom t;\n") : "select a\n, b\nfrom t;\n";
    const struct { const char *szName, *szArgs; std::string sIn, sWant; } arCases[] = {
        {"lf from CR LF", "--eol=lf", sCrLf(sRaw), "select a\n, b\nfrom t;\n"},
        {"crlf from LF", "--eol=crlf", sRaw, sCrLf("select a\n, b\nfrom t;\n")},
        {"keep CR LF", "--eol=keep", sCrLf(sRaw), sCrLf("select a\n, b\nfrom t;\n")},
        {"keep LF", "--eol=keep", sRaw, "select a\n, b\nfrom t;\n"},
        {"keep: the first line decides", "--eol=keep", "select a,\r\nb\nfrom t;\n", sCrLf("select a\n, b\nfrom t;\n")},
        {"keep: a block comment's line end tells nothing", "--eol=keep", "/* a\n */ select a,\r\nb from t;\n",
         "/* a\n */ select a\r\n, b\r\nfrom t;\r\n"},
        {"keep: nor a literal's", "--eol=keep", "select 'a\nb' x,\r\nc from t;", "select 'a\nb' x\r\n, c\r\nfrom t;\r\n"},
        {"default keeps LF (Windows: CR LF)", "", sRaw, sKeepLf},
        {"default keeps CR LF", "", sCrLf(sRaw), sCrLf("select a\n, b\nfrom t;\n")},
        {"literal and comment keep theirs, lf", "--eol=lf", sLit, sLitLf},
        {"literal and comment keep theirs, crlf", "--eol=crlf", sLit, sLitCrLf},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(std::string("-q -o ") + c.szArgs, c.sIn);
        EXPECT_EQ(0, r.iStatus) << c.szName << r.sErr;
        EXPECT_EQ(c.sWant, r.sOut) << c.szName << ": console";
        E2eDir d("tools_eol");
        vWriteFile(d.s("a.sql"), c.sIn);
        EXPECT_EQ(0, rRunQuorva(std::string("-q ") + c.szArgs + " " + d.s("a.sql")).iStatus) << c.szName;
        EXPECT_EQ(c.sWant, sReadFile(d.s("a.sql"))) << c.szName << ": file";
    }
    EXPECT_EQ(2, rRunQuorva("-q -o --eol=cr", sRaw).iStatus);
}

// The lines of a trace file around its statements take the chosen line end too.
TEST(Tools, LineEndsOfATraceFile) {
    const std::string sTrace = "*** 2018\nPARSING IN CURSOR #1 len=17 dep=0\nselect a,b from t\nEND OF STMT\nEXEC #1:c=0\n";
    const std::string sWant = "*** 2018\nPARSING IN CURSOR #1 len=17 dep=0\nselect a\n, b\nfrom t\nEND OF STMT\nEXEC #1:c=0\n";
    const struct { const char *szArgs; std::string sIn, sWant; } arCases[] = {
        {"--eol=lf", sCrLf(sTrace), sWant}, {"--eol=crlf", sTrace, sCrLf(sWant)}, {"", sCrLf(sTrace), sCrLf(sWant)},
        {"", sTrace, sNative(sWant)},
    };
    for (const auto &c : arCases) {
        E2eDir d("tools_eol_trc");
        vWriteFile(d.s("a.trc"), c.sIn);
        EXPECT_EQ(0, rRunQuorva(std::string("-q ") + c.szArgs + " " + d.s("a.trc")).iStatus) << c.szArgs;
        EXPECT_EQ(c.sWant, sReadFile(d.s("a.trc"))) << c.szArgs;
    }
}

// --keyword-case in console and in file mode, keyword_case in a settings file and the command
// line that overrides it, --check of a text whose keywords alone would change, and a value that
// cannot be used: refused before anything is read (status 2; 40 in a settings file).
TEST(Tools, KeywordCase) {
    const std::string sIn = "Select a, \"Select\" From t Where x Is Null; -- select\nprompt select\n";
    const std::string sUpper = "SELECT a\n, \"Select\"\nFROM t\nWHERE x IS NULL;\n-- select\nprompt select\n";
    const std::string sLower = "select a\n, \"Select\"\nfrom t\nwhere x is null;\n-- select\nprompt select\n";
    const std::string sKeep = "Select a\n, \"Select\"\nFrom t\nWhere x Is Null;\n-- select\nprompt select\n";
    const struct { const char *szArgs; std::string sWant; } arCases[] = {
        {"--keyword-case=upper", sUpper}, {"--keyword-case=LOWER", sLower}, {"--keyword_case=Upper", sUpper},
        {"--keyword-case=keep", sKeep},   {"", sKeep},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(std::string("-q -o --eol=lf ") + c.szArgs, sIn);
        EXPECT_EQ(0, r.iStatus) << c.szArgs << r.sErr;
        EXPECT_EQ(c.sWant, r.sOut) << c.szArgs << ": console";
        E2eDir d("tools_kwcase");
        vWriteFile(d.s("a.sql"), sIn);
        EXPECT_EQ(0, rRunQuorva(std::string("-q --eol=lf ") + c.szArgs + " " + d.s("a.sql")).iStatus) << c.szArgs;
        EXPECT_EQ(c.sWant, sReadFile(d.s("a.sql"))) << c.szArgs << ": file";
    }

    E2eDir d("tools_kwcase_cfg");
    vWriteFile(d.s(".quorva"), "eol = lf\nkeyword_case = upper   # the team's\n");
    const struct { const char *szArgs; std::string sWant; } arSettings[] = {
        {"", sUpper}, {"--keyword-case=lower", sLower}, {"--keyword-case=keep", sKeep}, {"--no-config --eol=lf", sKeep},
    };
    for (const auto &c : arSettings) {
        vWriteFile(d.s("a.sql"), sIn);
        EXPECT_EQ(0, rRunQuorva(std::string("-q ") + c.szArgs + " " + d.s("a.sql")).iStatus) << c.szArgs;
        EXPECT_EQ(c.sWant, sReadFile(d.s("a.sql"))) << c.szArgs << ": settings file";
    }
    // A text laid out already whose keywords are in small letters would change in capitals only.
    vWriteFile(d.s("a.sql"), sLower);
    RunResult r = rRunQuorva("--check -q " + d.s("a.sql"));
    EXPECT_EQ(1, r.iStatus);
    EXPECT_EQ(d.s("a.sql") + "\n", sFromCrLf(r.sOut));
    EXPECT_EQ(0, rRunQuorva("--check -q --keyword-case=lower " + d.s("a.sql")).iStatus);
    EXPECT_EQ(sLower, sReadFile(d.s("a.sql")));

    // Values that cannot be used.
    for (const char *szValue : {"caps", "up", "", "upper,lower"}) {
        const std::string sArg = std::string("--keyword-case=") + szValue;
        r = rRunQuorva("-q -o " + sArg, sIn);
        EXPECT_EQ(2, r.iStatus) << sArg;
        EXPECT_EQ("", r.sOut) << sArg;
        EXPECT_EQ(sSjis("Error - オプション:'" + sArg + "' の値が正しくありません。\n") + sAbend(140), sFromCrLf(r.sErr))
            << sArg;
    }
    vWriteFile(d.s(".quorva"), "keyword_case = capitals\n");
    vWriteFile(d.s("a.sql"), sIn);
    r = rRunQuorva("-q " + d.s("a.sql"));
    EXPECT_EQ(40, r.iStatus);
    EXPECT_NE(std::string::npos,
              r.sErr.find(d.s(".quorva") + sSjis(" の 1 行目が正しくありません（bad value）。\r\n")))
        << r.sErr;
    EXPECT_EQ(sIn, sReadFile(d.s("a.sql")));
}

// --blank-lines in console and in file mode, blank_lines in a settings file and the command line
// that overrides it, CR LF line ends, and a value that cannot be used (status 2).
TEST(Tools, BlankLines) {
    const std::string sIn = "select 1 from dual;\n\n\nselect 2 from dual;\n\nbegin x;\n\n  y; end;\n/\n";
    const std::string sKeep = "select 1\nfrom dual;\n\nselect 2\nfrom dual;\n\nbegin\n\tx;\n\n\ty;\nend;\n/\n";
    const std::string sDrop = "select 1\nfrom dual;\nselect 2\nfrom dual;\nbegin\n\tx;\n\ty;\nend;\n/\n";
    const struct { const char *szArgs; std::string sWant; } arCases[] = {
        {"--eol=lf --blank-lines=keep", sKeep}, {"--eol=lf --blank_lines=Keep", sKeep},
        {"--eol=lf --blank-lines=drop", sDrop}, {"--eol=lf", sDrop}, {"--blank-lines=keep --eol=crlf", sCrLf(sKeep)},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(std::string("-q -o ") + c.szArgs, sIn);
        EXPECT_EQ(0, r.iStatus) << c.szArgs << r.sErr;
        EXPECT_EQ(c.sWant, r.sOut) << c.szArgs << ": console";
    }
    E2eDir d("tools_blank_cfg");
    vWriteFile(d.s(".quorva"), "eol = lf\nblank_lines = keep\n");
    for (const auto &c : {std::make_pair("", sKeep), std::make_pair("--blank-lines=drop", sDrop)}) {
        vWriteFile(d.s("a.sql"), sIn);
        EXPECT_EQ(0, rRunQuorva(std::string("-q ") + c.first + " " + d.s("a.sql")).iStatus) << c.first;
        EXPECT_EQ(c.second, sReadFile(d.s("a.sql"))) << c.first << ": settings file";
    }
    for (const char *szValue : {"one", "yes", ""}) {
        const std::string sArg = std::string("--blank-lines=") + szValue;
        RunResult r = rRunQuorva("-q -o " + sArg, sIn);
        EXPECT_EQ(2, r.iStatus) << sArg;
        EXPECT_EQ(sSjis("Error - オプション:'" + sArg + "' の値が正しくありません。\n") + sAbend(140), sFromCrLf(r.sErr))
            << sArg;
    }
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
        {"--no-config", sNative("begin\n\tnull;\nend;\n")},
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
    // the file is named by its absolute path; -q sends the failure to standard error
    const std::string sHead = sSjis("Error - 設定ファイル "), sTail = sSjis(" の 2 行目が正しくありません（unknown option）。\r\n");
    EXPECT_EQ("", r.sOut);
    EXPECT_EQ(0u, r.sErr.find(sHead)) << r.sErr;
    EXPECT_NE(std::string::npos, r.sErr.find(d.s("sub/.quorva") + sTail)) << r.sErr;
    EXPECT_EQ(sBlock, sReadFile(d.s("sub/deeper/a.sql")));
}

// The README's recipe for a whole repository, run as written: -r enters only directories named
// *.sql, find walks them all.
TEST(Tools, CheckingAWholeRepositoryWithFind) {
    if (bWindows) GTEST_SKIP() << "a POSIX shell recipe";
    E2eDir d("tools_repo");
    fs::create_directories(d.s("db/migrations"));
    vWriteFile(d.s("db/migrations/v1.sql"), "select a,b from t;\n");
    vWriteFile(d.s("ok.sql"), "select a\nfrom t;\n");
    vWriteFile(d.s("notes.txt"), "select a,b from t;\n");
    // -r at the top sees only ok.sql: the subdirectories are no *.sql entries.
    RunResult r = rRunQuorva("--check -q -r " + d.s());
    EXPECT_EQ(0, r.iStatus);
    const std::string sRecipe = "find . -name '*.sql' -type f -print0 | xargs -0 -r quorva --check -q";
    const std::string sCmd = "cd " + d.s() + " && PATH=\"$PWD/..:$PATH\" sh -c \"" + sRecipe + "\" > ../" + d.s() +
                             ".out 2>&1";
    EXPECT_EQ(123, iSystemStatus(sCmd));
    EXPECT_EQ("./db/migrations/v1.sql\n", sFromCrLf(sReadFile(d.s() + ".out")));
    std::remove((d.s() + ".out").c_str());
    EXPECT_EQ("select a,b from t;\n", sReadFile(d.s("db/migrations/v1.sql")));
}

// What standard output does not take (a full disk) is reported on standard error, with status 7,
// in every mode that writes there.
TEST(Tools, AFullStandardOutputIsNoNormalEnd) {
    if (bWindows) GTEST_SKIP() << "Windows has no full device";
    const std::string sFull = sSjis("Error - ファイルへの書込みに失敗しました。stdout:No space left on device");
    const std::string sConsole = sTrail("rcFmtOnConsole", "..\\share\\rcFmtOnConsole", 50) + sAbend(207);
    const struct { const char *szName, *szArgs, *szIn; std::string sErr; } arCases[] = {
        {"the usage", "-h", "", sFull + sAbend(290)},
        {"console mode", "-q -o", "select a,b from t", sFull + sConsole},
        {"the version", "--version", "", sFull + sAbend(165)},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(c.szArgs, c.szIn, "> /dev/full");
        EXPECT_EQ(7, r.iStatus) << c.szName;
        EXPECT_EQ(c.sErr, sFromCrLf(r.sErr)) << c.szName;
    }
}

TEST(Tools, Version) {
    RunResult r = rRunQuorva("--version");
    EXPECT_EQ(0, r.iStatus);
    EXPECT_EQ("quorva version 1.0.0\n", sFromCrLf(r.sOut));
}

// The formatter's dump file (STMTORGFNM) may be no file the run reads or writes: such a run is
// refused with status 2 before anything is touched. An absolute name is used as it is.
TEST(Tools, TheDumpFileIsNoFileOfTheRun) {
    E2eDir d("tools_dump");
    const std::string sAbs = fs::absolute(d.s("dump.sql")).string();
    const struct { const char *szName; std::string sDump, sArgs, sIn, sRedirect, sClash; int iStatus; } arCases[] = {
        {"the file formatted", d.s("x.sql"), d.s("x.sql"), "", "", d.s("x.sql"), 2},
        {"the second file named", d.s("y.sql"), d.s("x.sql") + " " + d.s("y.sql"), "", "", d.s("y.sql"), 2},
        {"another spelling", d.s("s.sql") + cSep + ".." + cSep + "y.sql", d.s("x.sql") + " " + d.s("y.sql"), "", "",
         d.s("y.sql"), 2},
        {"a file found with -r", d.s("s.sql/z.sql"), "-r " + d.s(), "", "", d.s("s.sql/z.sql"), 2},
        {"standard input", d.s("x.sql"), "-o", "", "<", "stdin", 2},
        {"standard output", d.s("out.sql"), "-o", sRaw, "> " + d.s("out.sql"), "stdout", 2},
        {"a settings file", d.s(".quorva"), "-o", sRaw, "", "", 2},
        {"another file, absolute", sAbs, d.s("x.sql"), "", "", "", 0},
    };
    for (const auto &c : arCases) {
        for (const char *sz : {"x.sql", "y.sql", "s.sql/z.sql"}) {
            fs::create_directories(d.s("s.sql"));
            vWriteFile(d.s(sz), sRaw);
        }
        vWriteFile(d.s("out.sql"), "");
        const std::string sBefore = sFiles(d, {"x.sql", "y.sql", "s.sql/z.sql"});
        EnvSet dump("STMTORGFNM", c.sDump);
        RunResult r;
        if (c.sRedirect == "<") {
            r = rRunQuorva(c.sArgs, "", nullptr, "", c.sDump.c_str());
        } else {
            r = rRunQuorva(c.sArgs, c.sIn, c.sRedirect.empty() ? nullptr : c.sRedirect.c_str());
        }
        EXPECT_EQ(c.iStatus, r.iStatus) << c.szName << r.sOut << r.sErr;
        if (c.iStatus == 2) {
            EXPECT_EQ(sBefore, sFiles(d, {"x.sql", "y.sql", "s.sql/z.sql"})) << c.szName;
            const std::string sMsgs = sFromCrLf(r.sOut + r.sErr);
            const std::string sMsg = c.sClash.empty()
                                         ? "Error - 環境変数 STMTORGFNM のファイル " + c.sDump + " は設定ファイルと同じ名前です。"
                                         : "Error - 環境変数 STMTORGFNM のファイル " + c.sDump +
                                               " は、この実行が読み書きするファイル " + c.sClash + " と同じです。";
            EXPECT_NE(std::string::npos, sMsgs.find(sSjis(sMsg))) << c.szName << sMsgs;
            EXPECT_EQ(sAbend(c.sClash.empty() || c.sClash.rfind("std", 0) == 0 ? 200 : 250), sLast(sMsgs, sAbend(200).size()))
                << c.szName;
        } else {
            EXPECT_EQ(sDone, sReadFile(d.s("x.sql"))) << c.szName;
        }
        EXPECT_FALSE(fs::exists(sAbs)) << c.szName << ": the dump file was left behind";
    }
}

// An absolute dump file name is taken as it is: a text that fails leaves itself there.
TEST(Tools, AnAbsoluteDumpFileHoldsTheTextThatFailed) {
    E2eDir d("tools_dump_abs");
    const std::string sAbs = fs::absolute(d.s("dump.sql")).string(), sBad = "select (a from t\n";
    EnvSet dump("STMTORGFNM", sAbs);
    RunResult r = rRunQuorva("-q -o", sBad);
    EXPECT_EQ(26, r.iStatus) << r.sErr;
    EXPECT_EQ(sBad, sReadFile(sAbs));
    r = rRunQuorva("-q -o", sRaw);
    EXPECT_EQ(0, r.iStatus) << r.sErr;
    EXPECT_FALSE(fs::exists(sAbs));
}

namespace {
// PATH with the build directory (the working directory) in front, for as long as it lives: the
// README's commands name the program as an installed one.
class PathWithBuildDir {
  public:
    PathWithBuildDir() : sOld_(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "") {
        vSet(fs::current_path().string() + (bWindows ? ";" : ":") + sOld_);
    }
    ~PathWithBuildDir() { vSet(sOld_); }
    PathWithBuildDir(const PathWithBuildDir &) = delete;
    PathWithBuildDir &operator=(const PathWithBuildDir &) = delete;

  private:
    static void vSet(const std::string &s) {
#if defined(_WIN32)
        _putenv_s("PATH", s.c_str());
#else
        setenv("PATH", s.c_str(), 1);
#endif
    }
    std::string sOld_;
};

// Runs sCommand as written in the directory sDir; its standard output and error are collected.
RunResult rRunInDir(const std::string &sDir, const std::string &sCommand) {
    const std::string sOut = fs::absolute("e2e_recipe.out").string(), sErr = fs::absolute("e2e_recipe.err").string();
    int iRaw = std::system(("cd " + sDir + " && " + sCommand + " > " + sOut + " 2> " + sErr).c_str());
#if defined(_WIN32)
    RunResult r{iRaw, sReadFile(sOut), sReadFile(sErr)};
#else
    RunResult r{WIFEXITED(iRaw) ? WEXITSTATUS(iRaw) : -1, sReadFile(sOut), sReadFile(sErr)};
#endif
    std::remove(sOut.c_str());
    std::remove(sErr.c_str());
    return r;
}
}  // namespace

// The README's commands for CI and a pre-commit hook, as written there, on trees of every kind:
// formatted, one file that would change, one that fails, and a path that cannot be checked.
TEST(Tools, TheReadmeRecipesForCi) {
    E2eDir d("tools_recipe");
    PathWithBuildDir path;
    const std::string sCheck = "quorva --check -q -r sql/", sDiff = "quorva --diff -q -r sql/ | less";
    const std::string sEol = bWindows ? "\r\n" : "\n";
    const std::string sDiffA = "--- sql/a.sql\n+++ sql/a.sql\n@@ -1 +1,3 @@\n-select a,b from t;\n+select a" + sEol +
                               "+, b" + sEol + "+from t;" + sEol;
    const std::string sBinary = sCrLf(sSjis("Error - NUL バイトを含むバイナリ・ファイルは整形しません。sql/c.sql\n") +
                                      sTrail("rcFmtOnFile", "..\\share\\rcFmtOnFile", 378) + sAbend(250));
    const struct {
        const char *szName;
        std::vector<std::pair<const char *, std::string>> vFiles;  // below sql/
        std::string sCommand;
        int iStatus;
        std::string sOut, sErr;
    } arCases[] = {
        {"formatted", {{"a.sql", sDone}, {"b.sql", sDone}}, sCheck, 0, "", ""},
        {"a file that would change", {{"a.sql", sRaw}, {"b.sql", sDone}}, sCheck, 1, "sql/a.sql\n", ""},
        {"a file that fails, and one after it that would change", {{"a.sql", sRaw}, {"c.sql", std::string("x\0y;\n", 5)}},
         sCheck, 30, "sql/a.sql\n", sBinary},
        {"the diff", {{"a.sql", sRaw}, {"b.sql", sDone}}, sDiff, 0, sDiffA, ""},
    };
    for (const auto &c : arCases) {
        if (bWindows && c.sCommand == sDiff) continue;  // no less there
        fs::remove_all(d.s("sql"));
        fs::create_directories(d.s("sql"));
        for (const auto &f : c.vFiles) vWriteFile(d.s("sql/" + std::string(f.first)), f.second);
        RunResult r = rRunInDir(d.s(), c.sCommand);
        EXPECT_EQ(c.iStatus, r.iStatus) << c.szName;
        EXPECT_EQ(c.sOut, r.sOut) << c.szName;
        EXPECT_EQ(c.sErr, r.sErr) << c.szName;
        for (const auto &f : c.vFiles)
            EXPECT_EQ(f.second, sReadFile(d.s("sql/" + std::string(f.first)))) << c.szName << ": written";
    }
#if !defined(_WIN32)
    // A path that cannot be checked: status 3, named on standard error.
    fs::remove_all(d.s("sql"));
    fs::create_directories(d.s("sql"));
    vWriteFile(d.s("sql/a.sql"), sRaw);
    ASSERT_EQ(0, mkfifo(d.s("sql/p.sql").c_str(), 0644));
    RunResult r = rRunInDir(d.s(), sCheck);
    EXPECT_EQ(3, r.iStatus);
    EXPECT_EQ("sql/a.sql\n", r.sOut);
    EXPECT_EQ(sCrLf(sSjis("Warning - sql/p.sql は通常のファイルではないため飛ばしました。\n")), r.sErr);
#endif
}
