// File and directory mode through the real executable, on temporary directories. Statement
// texts are compared with what console mode makes of the same statement, so the expectations
// hold whatever layout the formatter chooses.
#include <cstdint>
#if !defined(_WIN32)
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "e2eHarness.h"

namespace fs = std::filesystem;

namespace {
std::string sNum(int64_t v) {
    std::string s = std::to_string(v);
    for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3) s.insert(static_cast<size_t>(i), ",");
    return s;
}

// What console mode makes of one statement, as text (LF line ends).
std::string sFormatted(const std::string &sStmt) {
    RunResult r = rRunQuorva("-o", sStmt);
    EXPECT_EQ(0, r.iStatus) << sStmt;
    return sFromCrLf(r.sOut);
}

// Messages as text, without the elapsed-time line (its number varies).
std::string sMsgText(const std::string &sMsgs) {
    std::string s = sFromCrLf(sMsgs);
    size_t i = s.find(sSjis("所要時間は "));
    if (i != std::string::npos) s.erase(i, s.find('\n', i) + 1 - i);
    return s;
}
// Standard output of a file-mode run so.
std::string sOutText(const RunResult &r) { return sMsgText(r.sOut); }

// The closing summary and the normal-end line: iFiles rewritten with their bytes before and
// after (bCheck: that would change), iUnchanged left as they were, iPassed paths passed over.
std::string sSummary(int iDirs, int iFiles, int64_t iIn, int64_t iOut, int iStmts, int iUnchanged = 0, int iPassed = 0,
                     bool bCheck = false) {
    std::string s;
    if (iDirs > 0) s += sNum(iDirs) + " 個のディレクトリを参照しました。\n";
    if (iFiles > 0 && bCheck) s += sNum(iFiles) + " 個のファイルは整形すると変わります。\n";
    if (iFiles > 0 && !bCheck)
        s += sNum(iFiles) + " 個のファイルを整形しました。(I: " + sNum(iIn) + " Bytes/ O: " + sNum(iOut) + " Bytes)\n";
    if (iUnchanged > 0) s += sNum(iUnchanged) + " 個のファイルは整形済みで、変更しませんでした。\n";
    if (iPassed > 0) s += sNum(iPassed) + " 個のパスを飛ばしました。\n";
    if (iStmts > 0) s += sNum(iStmts) + " 個の文を整形しました。\n";
    return sSjis(s) + sNormalEnd;
}

bool bAt(const std::string &s, size_t i, const char *sz) { return s.compare(i, std::string(sz).size(), sz) == 0; }

// The line at i (LF lines) and where the next begins.
std::string sLineAt(const std::string &t, size_t i) { return t.substr(i, std::min(t.find('\n', i), t.size()) - i); }
size_t iNextLine(const std::string &t, size_t i) { return std::min(t.find('\n', i), t.size() - 1) + 1; }

// The statements of a report (bTrace false) or trace file (LF lines) as [start, end) pairs: the
// model of the document that the output is checked against. A trace's statement runs from the
// line after its cursor record to its "END OF STMT" line. A report's begins after a SQL ID
// record and its empty line, or at a line beginning with a statement keyword, and runs to the
// empty lines before its call table or separator line (its last line end kept when an empty
// line follows), else to its first empty line.
std::vector<std::pair<size_t, size_t>> vStmts(const std::string &t, bool bTrace) {
    static const char *const aszTop[] = {"SELECT", "INSERT", "UPDATE", "DELETE", "BEGIN", "DECLARE",
                                         "CREATE", "ALTER",  "DROP",   "(",      "/*"};
    std::vector<std::pair<size_t, size_t>> v;
    for (size_t p = 0; p < t.size(); p = iNextLine(t, p)) {
        const std::string l = sLineAt(t, p);
        size_t s = std::string::npos, e = std::string::npos;
        if (bTrace && bAt(l, 0, "PARSING IN CURSOR #")) {
            s = iNextLine(t, p);
            e = t.find("\nEND OF STMT\n", s - 1) + 1;
        } else if (!bTrace) {
            std::string sUp = l.substr(0, 7);
            for (char &c : sUp) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
            for (const char *sz : aszTop)
                if (bAt(sUp, 0, sz)) s = p;
            if (bAt(l, 0, "SQL ID: ") && l.find(" Plan Hash: ") != std::string::npos) s = p + l.size() + 2;
            if (s == std::string::npos) continue;
            size_t q = s, qLast = s, qEmpty = std::string::npos;
            for (q = iNextLine(t, s); q < t.size(); q = iNextLine(t, q)) {
                const std::string m = sLineAt(t, q);
                if (bAt(m, 0, "***") || (bAt(m, 0, "call ") && m.find("count") != std::string::npos)) break;
                if (m.empty() && qEmpty == std::string::npos) qEmpty = q;
                if (!m.empty()) qLast = q;
            }
            const size_t qLastEnd = qLast + sLineAt(t, qLast).size();
            e = q < t.size() ? (qLastEnd + 1 < q ? qLastEnd + 1 : qLastEnd) : qEmpty;
        }
        if (s == std::string::npos || e == std::string::npos) continue;
        v.emplace_back(s, e);
        p = e > 0 && t[e - 1] != '\n' ? e : e - 1;  // the scan goes on with the line after
    }
    return v;
}

// Checks that the rewritten text holds every byte outside the statements unchanged, and the
// first nSample statements as console mode formats them. Returns the number of statements.
int iCheckSpans(const std::string &sIn, const std::string &sOut, bool bTrace, size_t nSample) {
    const auto v = vStmts(sIn, bTrace);
    size_t iIn = 0, iOut = 0;
    for (size_t k = 0; k < v.size(); ++k) {
        std::string sSpan = sIn.substr(iIn, v[k].first - iIn);
        EXPECT_EQ(0, sOut.compare(iOut, sSpan.size(), sSpan)) << "span before statement " << k;
        iOut += sSpan.size();
        size_t iNext = k + 1 < v.size() ? v[k + 1].first : sIn.size();
        std::string sAfter = sIn.substr(v[k].second, iNext - v[k].second);
        size_t iEnd = sAfter.empty() ? sOut.size() : sOut.find(sAfter, iOut);
        EXPECT_NE(std::string::npos, iEnd) << "span after statement " << k;
        if (iEnd == std::string::npos) return -1;
        std::string sStmt = sIn.substr(v[k].first, v[k].second - v[k].first);
        if (k < nSample && sStmt.find_first_not_of(" \t\r\n") != std::string::npos) {
            EXPECT_EQ(sFormatted(sStmt), sOut.substr(iOut, iEnd - iOut)) << "statement " << k;
        }
        iOut = iEnd;
        iIn = v[k].second;
    }
    EXPECT_EQ(sIn.substr(iIn), sOut.substr(iOut));
    return static_cast<int>(v.size());
}
}  // namespace

// Each script keeps its own line end (Windows writes CR LF); a mention of a trace record in a
// script's comment makes no trace file of it.
TEST(FileMode, RewritesScriptsAndCountsBytesAsStored) {
    E2eDir d("fm_script");
    const std::string sLf = "select a,b from t where x=1 and y=2;\n";
    const std::string sMention = "-- PARSING IN CURSOR is only mentioned here\nselect 1 from dual;\n";
    vWriteFile(d.s("b.sql"), sCrLf(sLf));
    vWriteFile(d.s("a.txt"), sMention);  // LF only, any extension when named
    RunResult r = rRunQuorva(d.s("b.sql") + " " + d.s("a.txt"));
    EXPECT_EQ(0, r.iStatus) << r.sOut;
    const std::string sA = sNative(sFormatted(sMention)), sB = sCrLf(sFormatted(sLf));
    EXPECT_EQ(sA, sReadFile(d.s("a.txt")));
    EXPECT_EQ(sB, sReadFile(d.s("b.sql")));
    EXPECT_EQ(sBanner + d.s("a.txt") + "\n" + d.s("b.sql") + "\n" +
                  sSummary(0, 2, sMention.size() + sCrLf(sLf).size(), sA.size() + sB.size(), 2),
              sOutText(r));
    EXPECT_NE(std::string::npos, sFromCrLf(r.sOut).find(sSjis("所要時間は ")));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.sql"}), d.vsList());
}

// Only the statements change; every other line keeps its bytes and the document's line end (CR
// LF on Windows). A trace of nothing but parse errors keeps its text (on Windows its lines take
// CR LF, but for its statements, which are copied as they are).
TEST(FileMode, ReportsAndTracesKeepEveryByteOutsideTheirStatements) {
    const struct { const char *szFile; bool bTrace, bCrLf; size_t nSample; int iStmts; } arCases[] = {
        {"tkprof/javautil_9663.prf", false, false, 3, 1},
        {"tkprof/javautil_dev12c_ora_31899_job_3.prf", false, true, 0, 12},
        {"trace/js122a1_ora_9854.trc", true, false, 3, 9},
        {"trace/js122a1_ora_9854_from_cursor.trc", true, true, 1, 9},
        {"trace/javautil_9663.trc", true, true, 0, 1},
        {"trace/trcsess_main.trc", true, false, 0, 40},
        {"trace/javautil_job1_truncated.trc", true, false, 1, 1},
        {"trace/javautil_parse_error.trc", true, false, 0, 0},
    };
    for (const auto &c : arCases) {
        E2eDir d("fm_corpus");
        const std::string sFile = sReadFile(std::string(QUORVA_TEST_DATA) + "/" + c.szFile);
        const std::string sIn = c.bCrLf ? sCrLf(sFile) : sFile;
        ASSERT_FALSE(sIn.empty()) << c.szFile;
        vWriteFile(d.s("doc"), sIn);
        RunResult r = rRunQuorva(d.s("doc"));
        EXPECT_EQ(0, r.iStatus) << c.szFile << r.sOut;
        const std::string sOut = sReadFile(d.s("doc"));
        if (c.iStmts == 0) {
            EXPECT_TRUE(bWindows ? sFromCrLf(sIn) == sFromCrLf(sOut) : sIn == sOut) << c.szFile << ": its text changed";
        } else if (bWindows || c.bCrLf) {
            EXPECT_TRUE(sCrLf(sFromCrLf(sOut)) == sOut) << c.szFile << ": a LF without its CR";
        } else {
            EXPECT_EQ(std::string::npos, sOut.find('\r')) << c.szFile << ": a CR LF in a LF document";
        }
        int iStmts = iCheckSpans(sFromCrLf(sIn), sFromCrLf(sOut), c.bTrace, c.nSample);
        EXPECT_EQ(c.iStmts, iStmts) << c.szFile;
        // A document that formatting leaves as it was counts apart, without its bytes.
        const bool bSame = sIn == sOut;
        EXPECT_EQ(sBanner + d.s("doc") + "\n" +
                      sSummary(0, bSame ? 0 : 1, sIn.size(), sOut.size(), iStmts, bSame ? 1 : 0),
                  sOutText(r))
            << c.szFile;
        // Formatted once, the document is read again and stays as it is (its statements are
        // shorter than their len= now).
        RunResult r2 = rRunQuorva(d.s("doc"));
        EXPECT_EQ(0, r2.iStatus) << c.szFile << r2.sOut;
        EXPECT_TRUE(sOut == sReadFile(d.s("doc"))) << c.szFile << ": a second run changed it";
    }
}

TEST(FileMode, RecursesIntoSqlEntriesInSortedOrder) {
    E2eDir d("fm_tree");
    const std::string sText = "select 1 from dual;\n";
    for (const char *sz : {"x.sql", "z"}) std::filesystem::create_directories(d.s(sz));
    for (const char *sz : {"a.sql", "B.SQL", "c.txt", "x.sql/y.sql", "z/w.sql"}) vWriteFile(d.s(sz), sText);
    RunResult r = rRunQuorva("-r " + d.s());
    EXPECT_EQ(0, r.iStatus) << r.sOut;
    const std::string sFmt = sNative(sFormatted(sText));
    EXPECT_EQ(sBanner + d.s() + "\n" + d.s("B.SQL") + "\n" + d.s("a.sql") + "\n" + d.s("x.sql") + "\n" +
                  d.s("x.sql/y.sql") + "\n" + sSummary(2, 3, 3 * sText.size(), 3 * sFmt.size(), 3),
              sOutText(r));
    for (const char *sz : {"a.sql", "B.SQL", "x.sql/y.sql"}) EXPECT_EQ(sFmt, sReadFile(d.s(sz))) << sz;
    for (const char *sz : {"c.txt", "z/w.sql"}) EXPECT_EQ(sText, sReadFile(d.s(sz))) << sz;
    EXPECT_EQ((std::vector<std::string>{"B.SQL", "a.sql", "c.txt", "x.sql/", "z/"}), d.vsList());
}

TEST(FileMode, FailuresEndTheRunAndLeaveTheFileAsItWas) {
    E2eDir d("fm_fail");
    const std::string sBad = "select (a from dual\n";  // the "(" is never closed
    const std::string sTrace = "*** x\nPARSING IN CURSOR #1 len=18\nselect 1 from dual\nEND OF STMT\n"
                               "PARSING IN CURSOR #2 len=19\n" + sBad + "END OF STMT\n";
    vWriteFile(d.s("a.trc"), sTrace);
    vWriteFile(d.s("b.sql"), sBad);
    const struct { const char *szFile; int iStatus, iSite; } arCases[] = {
        {"a.trc", 26, 469}, {"b.sql", 26, 491}, {"none.sql", 6, 270}};
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(d.s(c.szFile));
        EXPECT_EQ(c.iStatus, r.iStatus) << c.szFile;
        const std::string s = sFromCrLf(r.sOut);
        const std::string sTail = sTrail("rcFmtOnFile", "..\\share\\rcFmtOnFile", c.iSite) + sAbend(250);
        EXPECT_EQ(sTail, sLast(s, sTail.size())) << s;
        if (c.iStatus == 6) {
            EXPECT_EQ(0u, s.find(sBanner + sSjis("Error - ファイルのオープンに失敗しました。") + d.s(c.szFile) + ":"))
                << s;
        }
    }
    EXPECT_EQ(sTrace, sReadFile(d.s("a.trc")));
    EXPECT_EQ(sBad, sReadFile(d.s("b.sql")));
    EXPECT_EQ((std::vector<std::string>{"a.trc", "b.sql"}), d.vsList());
}

// Console and file mode read the same bytes alike: UTF-16 without a byte order mark as UTF-16
// (written back so), UTF-32 refused with status 30 and the file left as it was.
TEST(TextForms, ConsoleAndFileModeAlike) {
    const std::string sJa = "select '\xE6\x97\xA5\xE6\x9C\xAC' x, b from t;\n";  // 日本
    const std::string sJaOut = "select '\xE6\x97\xA5\xE6\x9C\xAC' x\n, b\nfrom t;\n";
    const std::string sUtf32Le("\xFF\xFE\0\0s\0\0\0", 8), sUtf32Be("\0\0\xFE\xFF\0\0\0s", 8);
    const struct { const char *szName; std::string sIn, sOut; int iStatus; std::string sMsg; } arCases[] = {
        {"UTF-16LE without a mark", sUtf16(sJa, CS_UTF16LE), sUtf16(sNative(sJaOut), CS_UTF16LE), 0, ""},
        {"UTF-16BE without a mark, CR LF", sUtf16(sCrLf(sJa), CS_UTF16BE), sUtf16(sCrLf(sJaOut), CS_UTF16BE), 0, ""},
        {"UTF-16LE with its mark", "\xFF\xFE" + sUtf16(sJa, CS_UTF16LE), "\xFF\xFE" + sUtf16(sNative(sJaOut), CS_UTF16LE),
         0, ""},
        {"UTF-32LE", sUtf32Le, "", 30, "Error - UTF-32 のテキストとして読み書きできません。"},
        {"UTF-32BE", sUtf32Be, "", 30, "Error - UTF-32 のテキストとして読み書きできません。"},
    };
    for (const auto &c : arCases) {
        RunResult rCon = rRunQuorva("-q -o", c.sIn);
        EXPECT_EQ(c.iStatus, rCon.iStatus) << c.szName;
        EXPECT_TRUE(c.sOut == rCon.sOut) << c.szName << ": console";
        EXPECT_EQ(c.sMsg.empty() ? "" : sCrLf(sSjis(c.sMsg + "stdin\n")) + sCrLf(sTrail("rcFmtOnConsole", "..\\share\\rcFmtOnConsole", 36)) +
                                      sCrLf(sAbend(207)),
                  rCon.sErr)
            << c.szName;
        E2eDir d("tf_alike");
        vWriteFile(d.s("a.sql"), c.sIn);
        RunResult rFile = rRunQuorva("-q " + d.s("a.sql"));
        EXPECT_EQ(c.iStatus, rFile.iStatus) << c.szName;
        EXPECT_TRUE((c.iStatus == 0 ? c.sOut : c.sIn) == sReadFile(d.s("a.sql"))) << c.szName << ": file";
        if (!c.sMsg.empty()) {  // -q: the failure goes to standard error, as in console mode
            EXPECT_EQ("", rFile.sOut) << c.szName;
            EXPECT_EQ(0u, rFile.sErr.find(sSjis(c.sMsg) + d.s("a.sql"))) << c.szName << rFile.sErr;
        }
    }
}

// A report or trace file whose statements cannot be found is named with the line of its record,
// left as it was, and ends the run with status 30.
TEST(FileMode, DocumentsWhoseStatementsCannotBeFound) {
    const struct { const char *szName, *szWhy; std::string sIn; int iLine; } arCases[] = {
        {"trace cut inside a statement", "statement never ends",
         "Trace file x.trc\n=====================\nPARSING IN CURSOR #1 len=30 dep=0\nselect a, b\nfrom t\n", 3},
        {"END OF STMT as a line of a literal", "statement shorter than its len=",
         "*** 2018\nPARSING IN CURSOR #1 len=40 dep=0\nselect 'a\nEND OF STMT\nb' x from dual\nEND OF STMT\n", 2},
        {"report cut inside a statement", "statement never ends",
         "\nTKPROF: Release 12.2.0.1.0\n\nSQL ID: 8ggw94h7mvxd7 Plan Hash: 0\n\nselect a, b\nfrom t\n", 6},
    };
    for (const auto &c : arCases) {
        E2eDir d("fm_baddoc");
        vWriteFile(d.s("a.trc"), c.sIn);
        RunResult r = rRunQuorva(d.s("a.trc"));
        EXPECT_EQ(30, r.iStatus) << c.szName;
        EXPECT_EQ(sBanner + d.s("a.trc") + "\n" +
                      sSjis("Error - " + d.s("a.trc") + " の " + std::to_string(c.iLine) + " 行目から文を取り出せません（" +
                            c.szWhy + "）。ファイルは変更しません。\n") +
                      sTrail("rcFmtOnFile", "..\\share\\rcFmtOnFile", 452) + sAbend(250),
                  sFromCrLf(r.sOut))
            << c.szName;
        EXPECT_EQ(c.sIn, sReadFile(d.s("a.trc"))) << c.szName;
        EXPECT_EQ((std::vector<std::string>{"a.trc"}), d.vsList()) << c.szName;
    }
}

namespace {
const std::string sRawSql = "select a,b from t;\n";
const std::string sDoneSql = sNative("select a\n, b\nfrom t;\n");  // what the default layout makes of it

// A warning of a path passed over, as standard error shows it.
std::string sPassed(const std::string &sPath, const char *szWhy) {
    return sCrLf(sSjis("Warning - " + sPath + " " + szWhy + "\n"));
}
const char szNotWritable[] = "は書き込みできないため飛ばしました。";
const char szUnreadable[] = "は読み取れないため飛ばしました。";
const char szOwner[] = "は書き換えると所有者かグループが変わるため飛ばしました。";
const char szDirectory[] = "はディレクトリのため飛ばしました（中のファイルは -r で整形します）。";
const char szNotRegular[] = "は通常のファイルではないため飛ばしました。";

// What --diff shows for sRawSql in sPath.
std::string sRawDiff(const std::string &sPath) {
    const std::string sEol = bWindows ? "\r\n" : "\n";
    return "--- " + sPath + "\n+++ " + sPath + "\n@@ -1 +1,3 @@\n-select a,b from t;\n+select a" + sEol + "+, b" + sEol +
           "+from t;" + sEol;
}

void vRemoveWriteBits(const std::string &sPath) {
    fs::permissions(sPath, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}
}  // namespace

// A path that a run does not read is named on standard error with the reason, in every mode;
// --check and --diff read a file whatever its write bits, and end with status 3 when a path
// was not checked. An empty file is a text with nothing to lay out: it stays as it is.
TEST(FileMode, PathsPassedOverAreNamedWithTheirReason) {
    E2eDir d("fm_skip");
    fs::create_directories(d.s("dir"));
    vWriteFile(d.s("dir/a.sql"), sRawSql);
    vWriteFile(d.s("ro.sql"), sRawSql);
    vRemoveWriteBits(d.s("ro.sql"));
    vWriteFile(d.s("empty.sql"), "");
    fs::create_directories(d.s("rodir.sql"));
    vWriteFile(d.s("rodir.sql/a.sql"), sRawSql);
    vRemoveWriteBits(d.s("rodir.sql"));
#if !defined(_WIN32)
    ASSERT_EQ(0, mkfifo(d.s("fifo.sql").c_str(), 0644));
#endif
    const struct {
        const char *szName, *szArgs;
        std::string sPath;
        int iStatus;
        std::string sOut, sErr;
        bool bPosix;
        const char *szStdin;
    } arCases[] = {
        {"directory without -r", "-q", d.s("dir"), 0, "", sPassed(d.s("dir"), szDirectory), false, nullptr},
        {"directory without -r, --check", "--check -q", d.s("dir"), 3, "", sPassed(d.s("dir"), szDirectory), false, nullptr},
        {"directory without -r, --diff", "--diff -q", d.s("dir"), 3, "", sPassed(d.s("dir"), szDirectory), false, nullptr},
        {"no write bit", "-q", d.s("ro.sql"), 0, "", sPassed(d.s("ro.sql"), szNotWritable), false, nullptr},
        {"no write bit, --check reads it", "--check -q", d.s("ro.sql"), 1, d.s("ro.sql") + "\n", "", false, nullptr},
        {"no write bit, --diff reads it", "--diff -q", d.s("ro.sql"), 0, sRawDiff(d.s("ro.sql")), "", false, nullptr},
        {"a directory without write bits, --check reads its files", "--check -q -r", d.s("rodir.sql"), 1,
         d.s("rodir.sql/a.sql") + "\n", "", true, nullptr},
        {"empty file", "-q", d.s("empty.sql"), 0, "", "", false, nullptr},
        {"empty file, --check", "--check -q", d.s("empty.sql"), 0, "", "", false, nullptr},
        {"a pipe", "-q", d.s("fifo.sql"), 0, "", sPassed(d.s("fifo.sql"), szNotRegular), true, nullptr},
        {"a pipe, --check", "--check -q", d.s("fifo.sql"), 3, "", sPassed(d.s("fifo.sql"), szNotRegular), true, nullptr},
        {"/dev/stdin, a device", "--check -q", "/dev/stdin", 3, "", sPassed("/dev/stdin", szNotRegular), true,
         "/dev/null"},
    };
    for (const auto &c : arCases) {
        if (c.bPosix && bWindows) continue;
        RunResult r = rRunQuorva(std::string(c.szArgs) + " " + c.sPath, "", nullptr, "", c.szStdin);
        EXPECT_EQ(c.iStatus, r.iStatus) << c.szName;
        EXPECT_EQ(c.sOut, r.sOut) << c.szName;
        EXPECT_EQ(c.sErr, r.sErr) << c.szName;
    }
    EXPECT_EQ(sRawSql, sReadFile(d.s("dir/a.sql")));
    EXPECT_EQ(sRawSql, sReadFile(d.s("ro.sql")));
    EXPECT_EQ("", sReadFile(d.s("empty.sql")));
    // Without -q the summary counts them; the warnings still go to standard error.
    RunResult r = rRunQuorva(d.s("dir") + " " + d.s("empty.sql") + " " + d.s("ro.sql"));
    EXPECT_EQ(0, r.iStatus);
    EXPECT_EQ(sCrLf(sBanner + d.s("empty.sql") + "\n" + sSummary(0, 0, 0, 0, 0, 1, 2)), r.sOut);
    EXPECT_EQ(sPassed(d.s("dir"), szDirectory) + sPassed(d.s("ro.sql"), szNotWritable), r.sErr);
}

// --check and --diff go on past a file that fails or cannot be read, and end with the first
// failure's status; a rewriting run ends at the first failure.
TEST(FileMode, CheckAndDiffGoOnPastAFailure) {
    E2eDir d("fm_goon");
    vWriteFile(d.s("a.sql"), std::string("select 1\0junk\nfrom dual\n", 24));  // binary: status 30
    vWriteFile(d.s("b.sql"), sRawSql);
    vWriteFile(d.s("c.sql"), sDoneSql);
    const std::string sBinary = sCrLf(sSjis("Error - NUL バイトを含むバイナリ・ファイルは整形しません。" + d.s("a.sql") + "\n") +
                                      sTrail("rcFmtOnFile", "..\\share\\rcFmtOnFile", 378));
    const std::string sMissing =
        sCrLf(sSjis("Error - ファイルのオープンに失敗しました。" + d.s("d.sql") + ":No such file or directory") +
              sTrail("rcFmtOnFile", "..\\share\\rcFmtOnFile", 270));
    const std::string sFiles = d.s("a.sql") + " " + d.s("b.sql") + " " + d.s("c.sql") + " " + d.s("d.sql");
    const struct { const char *szName; std::string sArgs; int iStatus; std::string sOut, sErr; } arCases[] = {
        {"--check", "--check -q " + sFiles, 30, d.s("b.sql") + "\n", sBinary + sMissing + sCrLf(sAbend(250))},
        {"--diff", "--diff -q " + sFiles, 30, sRawDiff(d.s("b.sql")), sBinary + sMissing + sCrLf(sAbend(250))},
        {"--check, the missing file first", "--check -q " + d.s("d.sql") + " " + d.s("b.sql"), 6, d.s("b.sql") + "\n",
         sMissing + sCrLf(sAbend(250))},
        {"--check without -q: the summary before the abnormal end", "--check " + sFiles, 30, d.s("b.sql") + "\n",
         sCrLf(sBanner) + sBinary + sMissing +
             sCrLf(sSjis("1 個のファイルは整形すると変わります。\n1 個のファイルは整形済みで、変更しませんでした。\n"
                         "2 個のファイルで失敗しました。\n2 個の文を整形しました。\n")) +
             sCrLf(sAbend(250))},
    };
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(c.sArgs);
        EXPECT_EQ(c.iStatus, r.iStatus) << c.szName;
        EXPECT_EQ(c.sOut, r.sOut) << c.szName;
        EXPECT_EQ(sFromCrLf(c.sErr), sMsgText(r.sErr)) << c.szName;
    }
    EXPECT_EQ(sRawSql, sReadFile(d.s("b.sql")));
    // Rewriting ends at the first failure: the files after it stay as they were.
    RunResult r = rRunQuorva("-q " + sFiles);
    EXPECT_EQ(30, r.iStatus);
    EXPECT_EQ(sBinary + sCrLf(sAbend(250)), r.sOut + r.sErr);
    EXPECT_EQ(sRawSql, sReadFile(d.s("b.sql")));
}

// The summary counts the files rewritten (with their bytes) apart from those left as they
// were, and the paths passed over; --check counts those that would change.
TEST(FileMode, SummaryCountsRewrittenAndUnchangedFilesApart) {
    E2eDir d("fm_sum");
    vWriteFile(d.s("a.sql"), sRawSql);
    vWriteFile(d.s("b.sql"), sDoneSql);
    vWriteFile(d.s("c.sql"), sRawSql);
    vRemoveWriteBits(d.s("c.sql"));
    RunResult r = rRunQuorva("--check -r " + d.s());
    EXPECT_EQ(1, r.iStatus);
    EXPECT_EQ(d.s("a.sql") + "\n" + d.s("c.sql") + "\n", r.sOut);
    EXPECT_EQ(sBanner + sSummary(1, 2, 0, 0, 3, 1, 0, true), sMsgText(r.sErr));
    r = rRunQuorva("-r " + d.s());
    EXPECT_EQ(0, r.iStatus);
    EXPECT_EQ(sBanner + d.s() + "\n" + d.s("a.sql") + "\n" + d.s("b.sql") + "\n" +
                  sSummary(1, 1, sRawSql.size(), sDoneSql.size(), 2, 1, 1),
              sOutText(r));
    EXPECT_EQ(sPassed(d.s("c.sql"), szNotWritable), r.sErr);
    EXPECT_EQ(sDoneSql, sReadFile(d.s("a.sql")));
    EXPECT_EQ(sRawSql, sReadFile(d.s("c.sql")));
}

// Paths as long as the platform takes them, and names joined with one separator.
TEST(FileMode, LongPathsAndJoinedNames) {
    E2eDir d("fm_long");
    fs::create_directories(d.s("sql"));
    vWriteFile(d.s("sql/x.sql"), sRawSql);
    RunResult r = rRunQuorva("--check -q -r " + d.s("sql") + cSep);
    EXPECT_EQ(1, r.iStatus);
    EXPECT_EQ(d.s("sql") + cSep + "x.sql\n", r.sOut) << "one separator between the directory and its entry";
    r = rRunQuorva("--check -q -r " + d.s("sql") + "/");
    EXPECT_EQ(d.s("sql") + "/x.sql\n", r.sOut);
    // A path longer than the platform's calls take (259 bytes on Windows, PATH_MAX less one on
    // Linux) is refused by its length; --check goes on with the next.
    const size_t nMax = bWindows ? 259 : 4095;
    const std::string sLong = d.s("") + cSep + std::string(nMax + 1 - d.s("").size() - 1, 'q');
    r = rRunQuorva("--check -q " + sLong + " " + d.s("sql/x.sql"));
    EXPECT_EQ(15, r.iStatus);
    EXPECT_EQ(d.s("sql/x.sql") + "\n", r.sOut);
    EXPECT_EQ(sCrLf(sSjis("Error - ファイル名が長すぎます。現在の長さは " + std::to_string(nMax + 1) + " です。半角文字 " +
                          std::to_string(nMax) + " 字以内で指定して下さい。" + sLong + "\n") +
                    sTrail("rcFmtOnFile", "..\\share\\rcFmtOnFile", 266) + sAbend(250)),
              r.sErr);
    if (bWindows) return;  // paths there are bound to 259 bytes
    // Three levels of 100 bytes each below the directory: over 300 bytes in all.
    const std::string sPart(96, 'p');
    const std::string sDir = d.s(sPart + ".sql/" + sPart + ".sql/" + sPart + ".sql");
    fs::create_directories(sDir);
    vWriteFile(sDir + "/x.sql", sRawSql);
    ASSERT_GT(sDir.size(), 300u);
    r = rRunQuorva("--check -q -r " + d.s());
    EXPECT_EQ(1, r.iStatus) << r.sErr;
    EXPECT_EQ(sDir + "/x.sql\n", r.sOut);
    EXPECT_EQ("", r.sErr);
    r = rRunQuorva("-q " + sDir + "/x.sql");
    EXPECT_EQ(0, r.iStatus) << r.sOut << r.sErr;
    EXPECT_EQ(sDoneSql, sReadFile(sDir + "/x.sql"));
}

#if !defined(_WIN32)
// The caller's right to write a file decides whether it is rewritten, not the owner's write
// bit; a file without any write bit is never rewritten, by root neither; a rewrite keeps the
// file's owner, group and mode, and a file whose new copy could not keep them is passed over.
// The rows run as root, and as the unprivileged uid 65534 where setpriv is there.
TEST(FileMode, TheCallersRightDecidesARewrite) {
    if (geteuid() != 0) GTEST_SKIP() << "giving files to another owner needs root";
    const std::string sAsNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    // The unprivileged rows need setpriv and a build directory that every user may enter.
    const bool bSetpriv = std::system((sAsNobody + "./quorva --version >/dev/null 2>&1").c_str()) == 0;
    const struct {
        const char *szName;
        uid_t uid;
        gid_t gid;
        mode_t uMode, uDirMode;
        bool bNobody;
        const char *szArgs;
        int iStatus;
        bool bRewritten;
        const char *szWhy;
    } arCases[] = {
        {"no write bit, root", 0, 0, 0444, 0755, false, "-q", 0, false, szNotWritable},
        {"no write bit, another's file, root", 65534, 65534, 0555, 0755, false, "-q", 0, false, szNotWritable},
        {"a group write bit only, root", 0, 0, 0464, 0755, false, "-q", 0, true, nullptr},
        {"another's file: root keeps its owner, group and mode", 65534, 65534, 0640, 0755, false, "-q", 0, true, nullptr},
        {"the owner's write bit, but not the caller's right", 0, 0, 0644, 0777, true, "-q", 0, false, szNotWritable},
        {"the caller may write, but its new copy would be the caller's", 0, 0, 0666, 0777, true, "-q", 0, false, szOwner},
        {"the caller's own file", 65534, 65534, 0644, 0777, true, "-q", 0, true, nullptr},
        {"the caller's own file in a directory it may not write", 65534, 65534, 0644, 0755, true, "-q", 0, false,
         szNotWritable},
        {"--check: a file the caller may not read", 0, 0, 0600, 0755, true, "--check -q", 3, false, szUnreadable},
        {"--check: a file the caller may read but not write", 0, 0, 0644, 0755, true, "--check -q", 1, false, nullptr},
    };
    for (const auto &c : arCases) {
        if (c.bNobody && !bSetpriv) continue;
        E2eDir d("fm_right");
        fs::create_directories(d.s("w"));
        const std::string sFile = d.s("w/a.sql");
        vWriteFile(sFile, sRawSql);
        ASSERT_EQ(0, chown(sFile.c_str(), c.uid, c.gid)) << c.szName;
        ASSERT_EQ(0, chmod(sFile.c_str(), c.uMode)) << c.szName;
        ASSERT_EQ(0, chmod(d.s("w").c_str(), c.uDirMode)) << c.szName;
        RunResult r = rRunQuorva(std::string(c.szArgs) + " " + sFile, "", nullptr, c.bNobody ? sAsNobody : "");
        EXPECT_EQ(c.iStatus, r.iStatus) << c.szName;
        EXPECT_EQ(c.szWhy != nullptr ? sPassed(sFile, c.szWhy) : "", r.sErr) << c.szName;
        EXPECT_EQ(c.iStatus == 1 ? sFile + "\n" : "", r.sOut) << c.szName;
        EXPECT_EQ(c.bRewritten ? sDoneSql : sRawSql, sReadFile(sFile)) << c.szName;
        struct stat st {};
        ASSERT_EQ(0, stat(sFile.c_str(), &st)) << c.szName;
        EXPECT_EQ(c.uid, st.st_uid) << c.szName;
        EXPECT_EQ(c.gid, st.st_gid) << c.szName;
        EXPECT_EQ(c.uMode, st.st_mode & 07777) << c.szName;
        EXPECT_EQ(std::vector<std::string>{"a.sql"}, E2eDir::vsListOf(d.s("w"))) << c.szName << ": a file left behind";
        chmod(d.s("w").c_str(), 0755);
    }
}

// An interrupt while a file is being rewritten removes the new file beside it, leaves the file
// as it was, and ends the program as the signal ends programs (a shell reports 130 for SIGINT,
// 143 for SIGTERM). The signal is sent as soon as the new file shows; a try in which the run
// was quicker is made again.
TEST(FileMode, AnInterruptDuringARewriteLeavesTheFileAsItWas) {
    E2eDir d("fm_sig");
    std::string sBig;
    for (int i = 0; i < 400000; ++i) sBig += "select a,b,c from t where x=1 and y=" + std::to_string(i) + ";\n";
    for (int iSig : {SIGINT, SIGTERM, SIGHUP}) {
        bool bCaught = false;
        for (int iTry = 0; iTry < 6 && !bCaught; ++iTry) {
            vWriteFile(d.s("big.sql"), sBig);
            const std::string sTemp = fs::canonical(d.s("big.sql")).string() + ".~qv1";
            const std::string sPath = d.s("big.sql");
            pid_t pid = fork();
            ASSERT_NE(-1, pid);
            if (pid == 0) {
                int fd = open("/dev/null", O_WRONLY);
                dup2(fd, 1);
                dup2(fd, 2);
                execl("./quorva", "./quorva", "-q", sPath.c_str(), static_cast<char *>(nullptr));
                _exit(127);
            }
            int iStatus = 0;
            bool bEnded = false, bSeen = false;
            while (!bSeen && !bEnded) {
                bSeen = access(sTemp.c_str(), F_OK) == 0;
                bEnded = !bSeen && waitpid(pid, &iStatus, WNOHANG) == pid;
            }
            if (bSeen) {
                kill(pid, iSig);
                ASSERT_EQ(pid, waitpid(pid, &iStatus, 0));
            }
            const std::string sNow = sReadFile(d.s("big.sql"));
            EXPECT_EQ(std::vector<std::string>{"big.sql"}, d.vsList()) << iSig << ": the new file was left behind";
            // The run was over before the new file could be seen, or before the signal came (the
            // file rewritten whole).
            if (!bSeen || (WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0 && sNow != sBig)) continue;
            EXPECT_TRUE(WIFSIGNALED(iStatus) && WTERMSIG(iStatus) == iSig) << iSig << " " << iStatus;
            bCaught = sNow == sBig;  // else the signal came after the new file took the name
            EXPECT_TRUE(bCaught || sNow.find("\n, b\n") != std::string::npos) << iSig << ": the file is neither";
        }
        EXPECT_TRUE(bCaught) << iSig << ": no try met the rewrite";
    }
}
#endif
