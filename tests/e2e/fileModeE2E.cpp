// File and directory mode through the real executable, on temporary directories. Statement
// texts are compared with what console mode makes of the same statement, so the expectations
// hold whatever layout the formatter chooses.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "e2eHarness.h"

namespace {
const std::string sBanner = "quorva version 1.0.0\nCopyright (C) 2026 The quorva developers\n";
const std::string sNormalEnd = "正常終了しました。                          \n";
const std::string sCorpus = QUORVA_CORPUS_DIR;

std::string sFromCrLf(const std::string &s) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i)
        if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) r += s[i];
    return r;
}

std::string sNum(int64_t v) {
    std::string s = std::to_string(v);
    for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3) s.insert(static_cast<size_t>(i), ",");
    return s;
}

// What console mode makes of one statement, as text (LF line ends).
std::string sFormatted(const std::string &sStmt) {
    RunResult r = rRunQuorva("-o", sStmt);
    EXPECT_EQ(r.iStatus, 0) << sStmt;
    return sFromCrLf(r.sOut);
}

// Standard output of a file-mode run as text, without the elapsed-time line (its number varies).
std::string sOutText(const RunResult &r) {
    std::string s = sFromCrLf(r.sOut);
    size_t i = s.find("所要時間は ");
    if (i != std::string::npos) s.erase(i, s.find('\n', i) + 1 - i);
    return s;
}

std::string sSummary(int iDirs, int iFiles, int64_t iIn, int64_t iOut, int iStmts) {
    std::string s;
    if (iDirs > 0) s += sNum(iDirs) + " 個のディレクトリを参照しました。\n";
    if (iFiles > 0)
        s += sNum(iFiles) + " 個のファイルを整形しました。(I: " + sNum(iIn) + " Bytes/ O: " + sNum(iOut) + " Bytes)\n";
    if (iStmts > 0) s += sNum(iStmts) + " 個の文を整形しました。\n";
    return s;
}

bool bAt(const std::string &s, size_t i, const char *sz) { return s.compare(i, std::string(sz).size(), sz) == 0; }

// The statements of a report (bTrace false) or trace file as [start, end) pairs: the model of
// the document that the output is checked against.
std::vector<std::pair<size_t, size_t>> vStmts(const std::string &t, bool bTrace) {
    static const char *const aszTop[] = {"SELECT", "INSERT", "UPDATE", "DELETE", "BEGIN", "DECLARE",
                                         "CREATE", "ALTER",  "DROP",   "(",      "/*"};
    std::vector<std::pair<size_t, size_t>> v;
    for (size_t p = 0; (p = t.find('\n', p)) != std::string::npos; ++p) {
        size_t s = std::string::npos;
        if (bTrace && bAt(t, p + 1, "PARSING IN CURSOR") && t.find('\n', p + 1) != std::string::npos)
            s = t.find('\n', p + 1) + 1;
        for (const char *sz : aszTop) {
            std::string sUp = t.substr(p + 1, std::string(sz).size());
            for (char &c : sUp) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
            if (!bTrace && sUp == sz) s = p + 1;
        }
        if (s == std::string::npos) continue;
        size_t q = s;
        while (q < t.size() &&
               !(bTrace ? bAt(t, q, "END OF STMT") : bAt(t, q, "\n\n") || bAt(t, q, "\ncall") || bAt(t, q, "\n***")))
            ++q;
        size_t e = q + (q + 1 < t.size() && t[q + 1] == '\n' ? 1 : 0);
        v.emplace_back(s, e);
        p = e - 1;
    }
    return v;
}

// Checks that the rewritten file holds every byte outside the statements unchanged, and the
// first nSample statements as console mode formats them. Returns the number of statements.
int iCheckSpans(const std::string &sIn, const std::string &sOut, bool bTrace, size_t nSample) {
    const auto v = vStmts(sIn, bTrace);
    size_t iIn = 0, iOut = 0;
    for (size_t k = 0; k < v.size(); ++k) {
        std::string sSpan = sIn.substr(iIn, v[k].first - iIn);
        EXPECT_EQ(sOut.compare(iOut, sSpan.size(), sSpan), 0) << "span before statement " << k;
        iOut += sSpan.size();
        size_t iNext = k + 1 < v.size() ? v[k + 1].first : sIn.size();
        std::string sAfter = sIn.substr(v[k].second, iNext - v[k].second);
        size_t iEnd = sAfter.empty() ? sOut.size() : sOut.find(sAfter, iOut);
        EXPECT_NE(iEnd, std::string::npos) << "span after statement " << k;
        if (iEnd == std::string::npos) return -1;
        std::string sStmt = sIn.substr(v[k].first, v[k].second - v[k].first);
        if (k < nSample && sStmt.find_first_not_of(" \t\r\n") != std::string::npos) {
            EXPECT_EQ(sOut.substr(iOut, iEnd - iOut), sFormatted(sStmt)) << "statement " << k;
        }
        iOut = iEnd;
        iIn = v[k].second;
    }
    EXPECT_EQ(sOut.substr(iOut), sIn.substr(iIn));
    return static_cast<int>(v.size());
}
}  // namespace

TEST(FileMode, RewritesScriptsWithCrLfAndCountsBytesAsStored) {
    E2eDir d("fm_script");
    const std::string sLf = "select a,b from t where x=1 and y=2;\n";
    const std::string sMention = "-- PARSING IN CURSOR is only mentioned here\nselect 1 from dual;\n";
    vWriteFile(d.s("b.sql"), sCrLf(sLf));
    vWriteFile(d.s("a.txt"), sMention);  // LF only, any extension when named
    RunResult r = rRunQuorva(d.s("b.sql") + " " + d.s("a.txt"));
    EXPECT_EQ(r.iStatus, 0) << r.sOut;
    const std::string sA = sCrLf(sFormatted(sMention)), sB = sCrLf(sFormatted(sLf));
    EXPECT_EQ(sReadFile(d.s("a.txt")), sA);
    EXPECT_EQ(sReadFile(d.s("b.sql")), sB);
    EXPECT_EQ(sOutText(r), sBanner + d.s("a.txt") + "\n" + d.s("b.sql") + "\n" +
                               sSummary(0, 2, sMention.size() + sCrLf(sLf).size(), sA.size() + sB.size(), 2) +
                               sNormalEnd);
    EXPECT_NE(sFromCrLf(r.sOut).find("所要時間は "), std::string::npos);
    EXPECT_EQ(vsListDir(d.s()), (std::vector<std::string>{"a.txt", "b.sql"}));
}

TEST(FileMode, ReportsAndTracesKeepEveryByteOutsideTheirStatements) {
    const struct {
        const char *szFile;
        bool bTrace;
        size_t nSample;
    } arCases[] = {
        {"tkprof/javautil_9663.prf", false, 3},
        {"tkprof/javautil_dev12c_ora_31899_job_3.prf", false, 0},
        {"trace/javautil_dev12c_ora_31899_job_3.trc", true, 3},
        {"trace/trcsess_main.trc", true, 0},
        {"trace/dev18b_ora_6884_job_1.trc", true, 0},
    };
    for (const auto &c : arCases) {
        E2eDir d("fm_corpus");
        const std::string sIn = sReadFile(sCorpus + "/" + c.szFile);
        ASSERT_FALSE(sIn.empty()) << c.szFile;
        vWriteFile(d.s("doc"), sIn);
        RunResult r = rRunQuorva(d.s("doc"));
        EXPECT_EQ(r.iStatus, 0) << c.szFile << r.sOut;
        const std::string sOut = sReadFile(d.s("doc"));
        EXPECT_EQ(sCrLf(sFromCrLf(sOut)), sOut) << c.szFile;
        int iStmts = iCheckSpans(sFromCrLf(sIn), sFromCrLf(sOut), c.bTrace, c.nSample);
        EXPECT_GT(iStmts, 0) << c.szFile;
        EXPECT_EQ(sOutText(r),
                  sBanner + d.s("doc") + "\n" + sSummary(0, 1, sIn.size(), sOut.size(), iStmts) + sNormalEnd)
            << c.szFile;
    }
}

TEST(FileMode, TraceWhoseFirstLineIsACursorLine) {
    E2eDir d("fm_trace_first");
    const std::string sFirst = "PARSING IN CURSOR #1 len=20\nselect   1 from dual\nEND OF STMT\n";
    const std::string sStmt = "select  2 ,3  from dual\n";
    vWriteFile(d.s("t.trc"), sFirst + "PARSING IN CURSOR #2 len=22\n" + sStmt + "END OF STMT\nEXEC #2\n");
    RunResult r = rRunQuorva(d.s("t.trc"));
    EXPECT_EQ(r.iStatus, 0) << r.sOut;
    EXPECT_EQ(sReadFile(d.s("t.trc")),
              sCrLf(sFirst + "PARSING IN CURSOR #2 len=22\n" + sFormatted(sStmt) + "END OF STMT\nEXEC #2\n"));
    EXPECT_NE(sOutText(r).find("\n1 個の文を整形しました。\n"), std::string::npos) << sOutText(r);
}

TEST(FileMode, RecursesIntoSqlEntriesInSortedOrder) {
    E2eDir d("fm_tree");
    const std::string sText = "select 1 from dual;\n";
    vMakeDir(d.s("x.sql"));
    vMakeDir(d.s("z"));
    for (const char *sz : {"a.sql", "B.SQL", "c.txt", "x.sql/y.sql", "z/w.sql"}) vWriteFile(d.s(sz), sText);
    RunResult r = rRunQuorva("-r " + d.s());
    EXPECT_EQ(r.iStatus, 0) << r.sOut;
    const std::string sFmt = sCrLf(sFormatted(sText));
    EXPECT_EQ(sOutText(r), sBanner + d.s() + "\n" + d.s("B.SQL") + "\n" + d.s("a.sql") + "\n" + d.s("x.sql") + "\n" +
                               d.s("x.sql/y.sql") + "\n" + sSummary(2, 3, 3 * sText.size(), 3 * sFmt.size(), 3) +
                               sNormalEnd);
    for (const char *sz : {"a.sql", "B.SQL", "x.sql/y.sql"}) EXPECT_EQ(sReadFile(d.s(sz)), sFmt) << sz;
    for (const char *sz : {"c.txt", "z/w.sql"}) EXPECT_EQ(sReadFile(d.s(sz)), sText) << sz;
    EXPECT_EQ(vsListDir(d.s()), (std::vector<std::string>{"B.SQL", "a.sql", "c.txt", "x.sql/", "z/"}));
}

TEST(FileMode, PassesOverDirectoriesWithoutRReadOnlyAndEmptyFiles) {
    E2eDir d("fm_skip");
    vMakeDir(d.s("dir"));
    vWriteFile(d.s("dir/a.sql"), "select 1 from dual;\n");
    vWriteFile(d.s("ro.sql"), "select 1 from dual;\n");
    vSetReadOnly(d.s("ro.sql"));
    vWriteFile(d.s("empty.sql"), "");
    RunResult r = rRunQuorva(d.s("dir") + " " + d.s("ro.sql") + " " + d.s("empty.sql"));
    EXPECT_EQ(r.iStatus, 0);
    EXPECT_EQ(sFromCrLf(r.sOut), sBanner + sNormalEnd);
    EXPECT_EQ(sReadFile(d.s("dir/a.sql")), "select 1 from dual;\n");
    EXPECT_EQ(sReadFile(d.s("ro.sql")), "select 1 from dual;\n");
}

TEST(FileMode, AMissingPathEndsTheRun) {
    E2eDir d("fm_missing");
    RunResult r = rRunQuorva(d.s("none.sql"));
    EXPECT_EQ(r.iStatus, 6);
    const std::string s = sFromCrLf(r.sOut);
    EXPECT_EQ(s.find(sBanner + "Error - ファイルのオープンに失敗しました。" + d.s("none.sql") + ":"), 0u) << s;
    const std::string sTail =
        "関数 rcFmtOnFile() が異常終了しました。(..\\share\\rcFmtOnFile-270)\n"
        "異常終了しました。(.\\quorva-250)                   \n";
    EXPECT_EQ(sLast(s, sTail.size()), sTail) << s;
}

TEST(FileMode, AStatementThatFailsToFormatLeavesTheFileAsItWas) {
    const std::string sBad = "select (a from dual\n";
    RunResult rConsole = rRunQuorva("-o", sBad);
    ASSERT_EQ(rConsole.iStatus, 26);  // the "(" is never closed
    E2eDir d("fm_fail");
    const std::string sTrace =
        "x\nPARSING IN CURSOR #1\nselect 1 from dual\nEND OF STMT\n"
        "PARSING IN CURSOR #2\n" +
        sBad + "END OF STMT\n";
    vWriteFile(d.s("a.trc"), sTrace);
    vWriteFile(d.s("b.sql"), sBad);
    const struct {
        const char *szFile;
        const char *szSite;
    } arCases[] = {{"a.trc", "(..\\share\\rcFmtOnFile-469)\n"}, {"b.sql", "(..\\share\\rcFmtOnFile-491)\n"}};
    for (const auto &c : arCases) {
        RunResult r = rRunQuorva(d.s(c.szFile));
        EXPECT_EQ(r.iStatus, rConsole.iStatus) << c.szFile;
        const std::string s = sFromCrLf(r.sOut);
        const std::string sTail = std::string("関数 rcFmtOnFile() が異常終了しました。") + c.szSite +
                                  "異常終了しました。(.\\quorva-250)                   \n";
        EXPECT_EQ(sLast(s, sTail.size()), sTail) << s;
    }
    EXPECT_EQ(sReadFile(d.s("a.trc")), sTrace);
    EXPECT_EQ(sReadFile(d.s("b.sql")), sBad);
    EXPECT_EQ(vsListDir(d.s()), (std::vector<std::string>{"a.trc", "b.sql"}));
}
