// File and directory mode through the real executable, on temporary directories. Statement
// texts are compared with what console mode makes of the same statement, so the expectations
// hold whatever layout the formatter chooses.
#include <cstdint>

#include "e2eHarness.h"

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

// Standard output of a file-mode run as text, without the elapsed-time line (its number varies).
std::string sOutText(const RunResult &r) {
    std::string s = sFromCrLf(r.sOut);
    size_t i = s.find(sSjis("所要時間は "));
    if (i != std::string::npos) s.erase(i, s.find('\n', i) + 1 - i);
    return s;
}

std::string sSummary(int iDirs, int iFiles, int64_t iIn, int64_t iOut, int iStmts) {
    std::string s;
    if (iDirs > 0) s += sNum(iDirs) + " 個のディレクトリを参照しました。\n";
    if (iFiles > 0)
        s += sNum(iFiles) + " 個のファイルを整形しました。(I: " + sNum(iIn) + " Bytes/ O: " + sNum(iOut) + " Bytes)\n";
    if (iStmts > 0) s += sNum(iStmts) + " 個の文を整形しました。\n";
    return sSjis(s) + sNormalEnd;
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

TEST(FileMode, RewritesScriptsWithCrLfAndCountsBytesAsStored) {
    E2eDir d("fm_script");
    const std::string sLf = "select a,b from t where x=1 and y=2;\n";
    const std::string sMention = "-- PARSING IN CURSOR is only mentioned here\nselect 1 from dual;\n";
    vWriteFile(d.s("b.sql"), sCrLf(sLf));
    vWriteFile(d.s("a.txt"), sMention);  // LF only, any extension when named
    RunResult r = rRunQuorva(d.s("b.sql") + " " + d.s("a.txt"));
    EXPECT_EQ(0, r.iStatus) << r.sOut;
    const std::string sA = sCrLf(sFormatted(sMention)), sB = sCrLf(sFormatted(sLf));
    EXPECT_EQ(sA, sReadFile(d.s("a.txt")));
    EXPECT_EQ(sB, sReadFile(d.s("b.sql")));
    EXPECT_EQ(sBanner + d.s("a.txt") + "\n" + d.s("b.sql") + "\n" +
                  sSummary(0, 2, sMention.size() + sCrLf(sLf).size(), sA.size() + sB.size(), 2),
              sOutText(r));
    EXPECT_NE(std::string::npos, sFromCrLf(r.sOut).find(sSjis("所要時間は ")));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.sql"}), d.vsList());
}

TEST(FileMode, ReportsAndTracesKeepEveryByteOutsideTheirStatements) {
    const struct { const char *szFile; bool bTrace, bCrLf; size_t nSample; } arCases[] = {
        {"tkprof/javautil_9663.prf", false, false, 3},
        {"tkprof/javautil_dev12c_ora_31899_job_3.prf", false, true, 0},
        {"trace/js122a1_ora_9854.trc", true, false, 3},
        {"trace/js122a1_ora_9854_from_cursor.trc", true, true, 0},
        {"trace/javautil_9663.trc", true, true, 0},
        {"trace/trcsess_main.trc", true, false, 0},
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
        EXPECT_TRUE(sCrLf(sFromCrLf(sOut)) == sOut) << c.szFile << ": a LF without its CR";
        int iStmts = iCheckSpans(sFromCrLf(sIn), sFromCrLf(sOut), c.bTrace, c.nSample);
        EXPECT_GT(iStmts, 0) << c.szFile;
        EXPECT_EQ(sBanner + d.s("doc") + "\n" + sSummary(0, 1, sIn.size(), sOut.size(), iStmts), sOutText(r))
            << c.szFile;
    }
}

TEST(FileMode, RecursesIntoSqlEntriesInSortedOrder) {
    E2eDir d("fm_tree");
    const std::string sText = "select 1 from dual;\n";
    for (const char *sz : {"x.sql", "z"}) std::filesystem::create_directories(d.s(sz));
    for (const char *sz : {"a.sql", "B.SQL", "c.txt", "x.sql/y.sql", "z/w.sql"}) vWriteFile(d.s(sz), sText);
    RunResult r = rRunQuorva("-r " + d.s());
    EXPECT_EQ(0, r.iStatus) << r.sOut;
    const std::string sFmt = sCrLf(sFormatted(sText));
    EXPECT_EQ(sBanner + d.s() + "\n" + d.s("B.SQL") + "\n" + d.s("a.sql") + "\n" + d.s("x.sql") + "\n" +
                  d.s("x.sql/y.sql") + "\n" + sSummary(2, 3, 3 * sText.size(), 3 * sFmt.size(), 3),
              sOutText(r));
    for (const char *sz : {"a.sql", "B.SQL", "x.sql/y.sql"}) EXPECT_EQ(sFmt, sReadFile(d.s(sz))) << sz;
    for (const char *sz : {"c.txt", "z/w.sql"}) EXPECT_EQ(sText, sReadFile(d.s(sz))) << sz;
    EXPECT_EQ((std::vector<std::string>{"B.SQL", "a.sql", "c.txt", "x.sql/", "z/"}), d.vsList());
}

TEST(FileMode, PassesOverDirectoriesWithoutRReadOnlyAndEmptyFiles) {
    E2eDir d("fm_skip");
    std::filesystem::create_directories(d.s("dir"));
    for (const char *sz : {"dir/a.sql", "ro.sql"}) vWriteFile(d.s(sz), "select 1 from dual;\n");
    using std::filesystem::perms;
    std::filesystem::permissions(d.s("ro.sql"), perms::owner_write | perms::group_write | perms::others_write,
                                 std::filesystem::perm_options::remove);
    vWriteFile(d.s("empty.sql"), "");
    RunResult r = rRunQuorva(d.s("dir") + " " + d.s("ro.sql") + " " + d.s("empty.sql"));
    EXPECT_EQ(0, r.iStatus);
    EXPECT_EQ(sCrLf(sBanner + sNormalEnd), r.sOut);
    for (const char *sz : {"dir/a.sql", "ro.sql"}) EXPECT_EQ("select 1 from dual;\n", sReadFile(d.s(sz))) << sz;
}

TEST(FileMode, FailuresEndTheRunAndLeaveTheFileAsItWas) {
    E2eDir d("fm_fail");
    const std::string sBad = "select (a from dual\n";  // the "(" is never closed
    const std::string sTrace =
        "x\nPARSING IN CURSOR #1\nselect 1 from dual\nEND OF STMT\nPARSING IN CURSOR #2\n" + sBad + "END OF STMT\n";
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
