// Standard input through the real executable: the kind of standard input chooses console mode or
// the clipboard, reports and trace files through a pipe, --keep-on-error, --stdin-filepath, the
// one vocabulary of option values, and where -q sends what is still told.
#include "e2eHarness.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {
const std::string sRaw = "select a,b from t;\n";
const std::string sDone = sNative("select a\n, b\nfrom t;\n");
const std::string sBlockOpen = "BEGIN NULL; END\n";  // the layout fails: 24
// What the formatter reports for sBlockOpen, before the trail of the run mode.
const std::string sBlockOpenReport = sSjis("Error - 対応する閉じ括弧がありません。iIdt = 1, iOrgIdt = 0\n") +
                                     sTrail("rcFmtStmt", ".\\rcFmtStmt", 1466) + sDump("", "BEGIN NULL;END\n") +
                                     sSjis("整形できなかった位置は入力の 1 行目です。\n");
const std::string sConsoleTrail = sTrail("rcFmtOnConsole", "..\\share\\rcFmtOnConsole", 42) + sAbend(207);
const std::string sWin32Failed = sSjis("Error - Win32API の実行に失敗しました。Code=0x");
const std::string sClipTrail = sTrail("rcChkWin32Api", ".\\rcChkWin32Api", 30) +
                               sTrail("rcFmtOnClipBoard", "..\\share\\rcFmtOnClipBoard", 28) + sAbend(217);
const std::string sProgram = bWindows ? "quorva.exe" : "./quorva";
// A clipboard run that finds no clipboard: on Linux no display; on Windows an emptied clipboard.
const std::string sNoClipboard = bWindows ? "" : "env -u DISPLAY -u WAYLAND_DISPLAY ";
const std::string sNoDisplayMsg = "6, Msg=no desktop display: neither WAYLAND_DISPLAY nor DISPLAY is set\n";

std::string sBad(const std::string &sArg) { return sSjis("Error - オプション:'" + sArg + "' の値が正しくありません。\n"); }

void vEmptyClipboard() {
#if defined(_WIN32)
    if (OpenClipboard(NULL)) {
        EmptyClipboard();
        CloseClipboard();
    }
#endif
}

// Runs a command line of the platform's command interpreter, its standard output and error
// going to files; sIn is written to the file e2e_line.in, which the line may read.
RunResult rRunLine(const std::string &sLine, const std::string &sIn = std::string()) {
    vWriteFile("e2e_line.in", sIn);
    const std::string sCmd = sLine + " > e2e_line.out 2> e2e_line.err";
    int iRaw = std::system(sCmd.c_str());
    for (int iTry = 0; iRaw == -1 && iTry < 3; ++iTry) iRaw = std::system(sCmd.c_str());  // see rRunQuorva
#if defined(_WIN32)
    RunResult r{iRaw, sReadFile("e2e_line.out"), sReadFile("e2e_line.err")};
#else
    RunResult r{WIFEXITED(iRaw) ? WEXITSTATUS(iRaw) : -1, sReadFile("e2e_line.out"), sReadFile("e2e_line.err")};
#endif
    for (const char *sz : {"e2e_line.in", "e2e_line.out", "e2e_line.err"}) std::remove(sz);
    return r;
}
}  // namespace

// Standard input that is a pipe or a file, with no path and no -o, is formatted as with -o; a
// terminal or the null device leaves the run to the clipboard, as a shortcut or launcher starts
// it; path names, and -h, win over standard input.
TEST(StdinE2E, WhatStandardInputIsChoosesTheMode) {
    E2eDir d("stdin_kind");
    vWriteFile(d.s("a.sql"), sRaw);
    const std::string sPipe = bWindows ? "type e2e_line.in | " : "cat e2e_line.in | ";
    const std::string sConsoleErr = sCrLf(sBanner + sNormalEnd);
    const struct { const char *szName; std::string sLine; int iStatus; std::string sOut, sErr; } arCases[] = {
        {"a pipe", sPipe + sProgram, 0, sDone, sConsoleErr},
        {"a file", sProgram + " < e2e_line.in", 0, sDone, sConsoleErr},
        {"a pipe and -q", sPipe + sProgram + " -q", 0, sDone, ""},
        {"the null device: the clipboard", sNoClipboard + sProgram + " < " + szNullDevice, 44,
         sCrLf(sBanner) + sWin32Failed, ""},
        {"a path name wins over a pipe", sPipe + sProgram + " -q " + d.s("a.sql"), 0, "", ""},
        {"help wins over a file", sProgram + " -h < e2e_line.in", 0, sCrLf(sBanner + "Usage: "), ""},
    };
    for (const auto &c : arCases) {
        vEmptyClipboard();
        RunResult r = rRunLine(c.sLine, sRaw);
        EXPECT_EQ(c.iStatus, r.iStatus) << c.szName << r.sErr;
        EXPECT_EQ(c.sErr, r.sErr) << c.szName;
        if (c.iStatus == 44) {  // the system's own text follows on Windows
            EXPECT_EQ(0u, r.sOut.find(c.sOut)) << c.szName << r.sOut;
            if (!bWindows) {
                EXPECT_EQ(c.sOut + sCrLf(sNoDisplayMsg + sClipTrail), r.sOut) << c.szName;
            }
            EXPECT_EQ(sCrLf(sClipTrail), sLast(r.sOut, sCrLf(sClipTrail).size())) << c.szName;
        } else if (c.sLine.find(" -h ") != std::string::npos) {
            EXPECT_EQ(0u, r.sOut.find(c.sOut)) << c.szName << r.sOut;
        } else {
            EXPECT_EQ(c.sOut, r.sOut) << c.szName;
        }
    }
    EXPECT_EQ(sDone, sReadFile(d.s("a.sql"))) << "file mode ran";
}

#if !defined(_WIN32)
// A file that the shell has read in part before quorva starts is formatted from where it stands:
// its size tells the block to read it into, never where the text begins.
TEST(StdinE2E, AFileReadInPartIsFormattedFromWhereItStands) {
    const std::string sIn = "select 1 from dual;\nselect a,b from t;\n";
    const struct { const char *szName; std::string sLine, sOut; } arCases[] = {
        {"after its first line", "{ read -r x; " + sProgram + " -q -o; } < e2e_line.in", "select a\n, b\nfrom t;\n"},
        {"at its end", "{ cat > /dev/null; " + sProgram + " -q -o; } < e2e_line.in", ""},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunLine(c.sLine, sIn);
        EXPECT_EQ(c.sOut, r.sOut) << c.szName << r.sErr;
    }
}

// A terminal as standard input (a pseudo-terminal of script(1)) keeps the clipboard.
TEST(StdinE2E, ATerminalKeepsTheClipboard) {
    if (std::system("command -v script > /dev/null") != 0) GTEST_SKIP() << "*** SKIPPED: script(1) is not installed ***";
    RunResult r = rRunLine("env -u DISPLAY -u WAYLAND_DISPLAY script -qec ./quorva /dev/null < /dev/null");
    EXPECT_EQ(44, r.iStatus) << r.sOut;
    // The terminal writes each CR LF of the program as CR CR LF.
    EXPECT_NE(std::string::npos, r.sOut.find("Msg=no desktop display")) << r.sOut;
    EXPECT_NE(std::string::npos, r.sOut.find(sSjis("異常終了しました。(.\\quorva-217)"))) << r.sOut;
}
#endif

// With -q whatever is still told goes to standard error in every mode: standard output holds
// only results.
TEST(StdinE2E, QuietFailuresGoToStandardError) {
    E2eDir d("stdin_quiet");
    const struct { const char *szName; std::string sArgs, sPrefix; const char *szStdin; int iStatus; std::string sOut, sErr; }
        arCases[] = {
            {"file mode", "-q " + d.s("b.sql"), "", nullptr, 24, "",
             sBlockOpenReport + sTrail("rcFmtOnFile", "..\\share\\rcFmtOnFile", 491) + sAbend(250)},
            {"file mode without -q", d.s("b.sql"), "", nullptr, 24,
             sBanner + d.s("b.sql") + "\n" + sBlockOpenReport + sTrail("rcFmtOnFile", "..\\share\\rcFmtOnFile", 491) +
                 sAbend(250),
             ""},
            {"console mode", "-q -o", "", nullptr, 24, "", sBlockOpenReport + sConsoleTrail},
            {"clipboard mode", "-q", sNoClipboard, szNullDevice, 44, "", sWin32Failed},
            {"an option value", "-q -ix " + d.s("b.sql"), "", nullptr, 2, "", sBad("-ix") + sAbend(140)},
        };
    for (const auto &c : arCases) {
        vWriteFile(d.s("b.sql"), sBlockOpen);
        vEmptyClipboard();
        RunResult r = rRunQuorva(c.sArgs, sBlockOpen, nullptr, c.sPrefix, c.szStdin);
        EXPECT_EQ(c.iStatus, r.iStatus) << c.szName;
        EXPECT_EQ(sCrLf(c.sOut), r.sOut) << c.szName;
        if (c.iStatus == 44) {
            EXPECT_EQ(0u, r.sErr.find(c.sErr)) << c.szName << r.sErr;
            if (!bWindows) {
                EXPECT_EQ(sCrLf(c.sErr + sNoDisplayMsg + sClipTrail), r.sErr) << c.szName;
            }
            EXPECT_EQ(sCrLf(sClipTrail), sLast(r.sErr, sCrLf(sClipTrail).size())) << c.szName;
        } else {
            EXPECT_EQ(sCrLf(c.sErr), r.sErr) << c.szName;
        }
        EXPECT_EQ(sBlockOpen, sReadFile(d.s("b.sql"))) << c.szName;
    }
}

// A TKPROF report or trace file on standard input is known by its first line, as in file mode,
// and comes out as file mode writes it: only its statements are laid out.
TEST(StdinE2E, ReportsAndTraceFilesThroughStandardInput) {
    const std::string sTrace = "Trace file /u01/diag/orcl_ora_4711.trc\n*** 2026-01-12 10:15:02.123\n"
                               "PARSING IN CURSOR #140 len=17 dep=0 uid=5 oct=3\nselect a,b from t\nEND OF STMT\n"
                               "EXEC #140:c=0,e=12\nWAIT #140: nam='SQL*Net message to client' ela= 2\n";
    const std::string sTraceOut = "Trace file /u01/diag/orcl_ora_4711.trc\n*** 2026-01-12 10:15:02.123\n"
                                  "PARSING IN CURSOR #140 len=17 dep=0 uid=5 oct=3\nselect a\n, b\nfrom t\nEND OF STMT\n"
                                  "EXEC #140:c=0,e=12\nWAIT #140: nam='SQL*Net message to client' ela= 2\n";
    const std::string sReport = "\nTKPROF: Release 19.0.0.0.0 - Development on Mon Jan 12 10:20:01 2026\n\n"
                                "SQL ID: 8ggw94h7mvxd7 Plan Hash: 2949544139\n\nselect a,b from t where x in (1,2)\n\n"
                                "call     count       cpu    elapsed\n------- ------  -------- ----------\n"
                                "Parse        1      0.00       0.00\n";
    const std::string sReportOut = "\nTKPROF: Release 19.0.0.0.0 - Development on Mon Jan 12 10:20:01 2026\n\n"
                                   "SQL ID: 8ggw94h7mvxd7 Plan Hash: 2949544139\n\nselect a\n, b\nfrom t\n"
                                   "where x in (1, 2)\n\ncall     count       cpu    elapsed\n"
                                   "------- ------  -------- ----------\nParse        1      0.00       0.00\n";
    const std::string sQuoting = "-- PARSING IN CURSOR #1 len=8\nselect a,b from t;\n";  // a script
    // The arguments of console mode, then of file mode.
    const struct { const char *szName, *szArgs, *szFileArgs; std::string sIn, sOut; } arCases[] = {
        {"trace file, -o", "-q -o", "-q", sTrace, sNative(sTraceOut)},
        {"trace file, CR LF, no -o", "-q", "-q", sCrLf(sTrace), sCrLf(sTraceOut)},
        {"trace file, --eol=crlf", "-q --eol=crlf", "-q --eol=crlf", sTrace, sCrLf(sTraceOut)},
        {"TKPROF report", "-q", "-q", sReport, sNative(sReportOut)},
        {"a script that quotes a record", "-q", "-q", sQuoting,
         sNative("-- PARSING IN CURSOR #1 len=8\nselect a\n, b\nfrom t;\n")},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(c.szArgs, c.sIn);
        EXPECT_EQ(0, r.iStatus) << c.szName << r.sErr;
        EXPECT_EQ(c.sOut, r.sOut) << c.szName;
        EXPECT_EQ("", r.sErr) << c.szName;
        E2eDir d("stdin_docs");
        vWriteFile(d.s("a.trc"), c.sIn);
        ASSERT_EQ(0, rRunQuorva(std::string(c.szFileArgs) + " " + d.s("a.trc")).iStatus) << c.szName;
        EXPECT_EQ(c.sOut, sReadFile(d.s("a.trc"))) << c.szName << ": file mode writes the same bytes";
    }
}

// --keep-on-error: a console run that fails writes its input back unchanged, byte for byte, and
// still reports the failure on standard error with its status; a run that succeeds, and the
// list of --check, are as without it.
TEST(StdinE2E, KeepOnErrorGivesTheInputBack) {
    E2eDir d("stdin_keep");
    vWriteFile(d.s(".quorva"), "eol = cr\n");
    const std::string sUtf32Le("\xFF\xFE\0\0s\0\0\0", 8);
    const std::string sCutTrace = "*** 2026\r\nPARSING IN CURSOR #1 len=30 dep=0\r\nselect '\x83\x5C', b\r\nfrom t\r\n";
    const std::string sKeep = "-q --keep-on-error ";
    const struct { const char *szName; std::string sArgs, sIn; int iStatus; std::string sOut, sErr; } arCases[] = {
        {"the layout fails", sKeep + "-o", sBlockOpen, 24, sBlockOpen, sBlockOpenReport + sConsoleTrail},
        {"a trace whose statement never ends (CR LF, Shift_JIS)", sKeep, sCutTrace, 30, sCutTrace,
         sSjis("Error - stdin の 2 行目から文を取り出せません（statement never ends）。ファイルは変更しません。\n") +
             sTrail("rcFmtOnFile", "..\\share\\rcFmtOnFile", 452) +
             sTrail("rcFmtOnConsole", "..\\share\\rcFmtOnConsole", 45) + sAbend(207)},
        {"UTF-32", sKeep, sUtf32Le, 30, sUtf32Le,
         sSjis("Error - UTF-32 のテキストとして読み書きできません。stdin\n") +
             sTrail("rcFmtOnConsole", "..\\share\\rcFmtOnConsole", 36) + sAbend(207)},
        {"an option value", sKeep + "--encoding=utf16", sRaw, 2, sRaw, sBad("--encoding=utf16") + sAbend(140)},
        {"the text formats", sKeep, sRaw, 0, sDone, ""},
        {"--check lists alone", sKeep + "--check", sBlockOpen, 24, "", sBlockOpenReport + sConsoleTrail},
        {"no --keep-on-error", "-q", sBlockOpen, 24, "", sBlockOpenReport + sConsoleTrail},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(c.sArgs, c.sIn);
        EXPECT_EQ(c.iStatus, r.iStatus) << c.szName;
        EXPECT_TRUE(c.sOut == r.sOut) << c.szName << ": " << r.sOut;
        EXPECT_EQ(sCrLf(c.sErr), r.sErr) << c.szName;
    }
    // A settings line that cannot be used, for the file standard input stands for.
    RunResult r = rRunQuorva(sKeep + "--stdin-filepath=" + d.s("x.sql"), sBlockOpen);
    EXPECT_EQ(40, r.iStatus);
    EXPECT_EQ(sBlockOpen, r.sOut);
    const std::string sTail = sCrLf(sSjis(" の 1 行目が正しくありません（bad value）。\n") +
                                    sTrail("rcStyleFor", "..\\share\\rcRunOptions", 47) +
                                    sTrail("rcFmtOnConsole", "..\\share\\rcFmtOnConsole", 38) + sAbend(207));
    EXPECT_EQ(0u, r.sErr.find(sSjis("Error - 設定ファイル "))) << r.sErr;
    EXPECT_EQ(sTail, sLast(r.sErr, sTail.size())) << r.sErr;
    EXPECT_NE(std::string::npos, r.sErr.find(d.s(".quorva") + sSjis(" の 1 行目"))) << r.sErr;
}

// --stdin-filepath: standard input stands for the file PATH: the settings of PATH's directory
// apply (the command line still wins), and messages, the list of --check and the diff name PATH.
TEST(StdinE2E, StdinFilepathStandsForAFile) {
    E2eDir d("stdin_path");
    fs::create_directories(d.s("sub"));
    vWriteFile(d.s(".quorva"), "indent_width = 2\n");
    const std::string sPath = d.s("sub/x.sql"), sArg = "--stdin-filepath=" + sPath;  // x.sql need not exist
    const std::string sBlock = "begin null; end;\n";
    const std::string sUtf32Le("\xFF\xFE\0\0s\0\0\0", 8);
    const struct { const char *szName; std::string sArgs, sIn; int iStatus; std::string sOut, sErr; } arCases[] = {
        {"its directory's settings", "-q " + sArg, sBlock, 0, sNative("begin\n  null;\nend;\n"), ""},
        {"the command line wins", "-q -i4 " + sArg, sBlock, 0, sNative("begin\n    null;\nend;\n"), ""},
        {"without it, the current directory's", "-q", sBlock, 0, sNative("begin\n\tnull;\nend;\n"), ""},
        {"--check names it", "-q --check " + sArg, sBlock, 1, sPath + "\n", ""},
        {"--diff names it", "-q --diff " + sArg, "select a,b from t;\n", 0,
         "--- " + sPath + "\n+++ " + sPath + "\n@@ -1 +1,3 @@\n-select a,b from t;\n+select a" + sNative("\n") + "+, b" +
             sNative("\n") + "+from t;" + sNative("\n"),
         ""},
        {"a message names it", "-q " + sArg, sUtf32Le, 30, "",
         sCrLf(sSjis("Error - UTF-32 のテキストとして読み書きできません。" + sPath + "\n") +
               sTrail("rcFmtOnConsole", "..\\share\\rcFmtOnConsole", 36) + sAbend(207))},
        {"an empty path", "-q --stdin-filepath=", sBlock, 2, "", sCrLf(sBad("--stdin-filepath=") + sAbend(140))},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(c.sArgs, c.sIn);
        EXPECT_EQ(c.iStatus, r.iStatus) << c.szName << r.sErr;
        EXPECT_EQ(c.sOut, r.sOut) << c.szName;
        EXPECT_EQ(c.sErr, r.sErr) << c.szName;
    }
    EXPECT_FALSE(fs::exists(sPath)) << "the file standard input stands for was written";
}

// The valued options take the same names and values on the command line and in a settings file:
// each value gives the same text in both places, and a value refused in one is refused in the
// other (status 2 on the command line, 40 in a settings file).
TEST(StdinE2E, OneVocabularyOnTheCommandLineAndInSettings) {
    const std::string sBlock = "begin null; end;\n";
    const std::string sTabbed = sNative("begin\n\tnull;\nend;\n");
    const struct { const char *szName, *szValue; std::string sOut; } arCases[] = {
        {"indent_width", "TAB", sTabbed},
        {"indent_width", "3", sNative("begin\n   null;\nend;\n")},
        {"INDENT_WIDTH", "2", sNative("begin\n  null;\nend;\n")},
        {"eol", "CRLF", sCrLf("begin\n\tnull;\nend;\n")},
        {"eol", "lf", "begin\n\tnull;\nend;\n"},
        {"encoding", "Shift_JIS", sTabbed},
        {"encoding", "cp932", sTabbed},
        {"encoding", "UTF-8", sTabbed},
        {"encoding", "iso-8859-1", sTabbed},
        {"num_comma", "0", sTabbed},
        {"join_at", "256", sTabbed},
        {"keyword_case", "Upper", sNative("BEGIN\n\tNULL;\nEND;\n")},
        {"keyword_case", "keep", sTabbed},
        {"encoding", "utf16", ""},  // refused
        {"keyword_case", "capitals", ""},
        {"indent_width", "33", ""},
        {"part_size", "-1", ""},
    };
    for (const auto &c : arCases) {
        const std::string sCase = std::string(c.szName) + "=" + c.szValue;
        E2eDir d("stdin_vocab");
        vWriteFile(d.s(".quorva"), std::string(c.szName) + " = " + c.szValue + "\n");
        RunResult rCmd = rRunQuorva("-q -o --no-config --" + sCase, sBlock);
        RunResult rSet = rRunQuorva("-q -o --stdin-filepath=" + d.s("x.sql"), sBlock);
        EXPECT_EQ(c.sOut.empty() ? 2 : 0, rCmd.iStatus) << sCase << ": command line";
        EXPECT_EQ(c.sOut.empty() ? 40 : 0, rSet.iStatus) << sCase << ": settings file";
        EXPECT_EQ(c.sOut, rCmd.sOut) << sCase << ": command line";
        EXPECT_EQ(c.sOut, rSet.sOut) << sCase << ": settings file";
    }
}
