// Allocation-failure injection over whole runs: the N-th allocation fails, for N = 1, 2, 3, ...
// until a run meets no failure. Every failing run reports the memory message once, ends with
// code 5 and a well-formed failure trail, and leaves every file as it was; the sanitized build
// adds that nothing leaks.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "consoleCapture.h"
#include "quorva/msgCatalog.h"
#include "quorva/psGlobals.h"
#include "quorva/rcFmtStmt.h"
#include "share/rcFmtOnConsole.h"
#include "share/rcFmtOnFile.h"

namespace fs = std::filesystem;

namespace {
const std::string sNoMem = "Error - メモリの取得に失敗しました。\n";
const std::string sTrailMid = "() が異常終了しました。(";

// A statement that passes through every phase: comments of both kinds, literals of every
// kind, nested parentheses with a subquery and many commas, a PL/SQL block with its nesting,
// and with -j a chunk that ends in a double-byte character before an empty line.
const char szEveryPhase[] =
    "  DECLARE -- head\n"
    "  x NUMBER := 1; s VARCHAR2(10) := q'[it's]'; t VARCHAR2(9) := '\x82\xa0\x82\xa0\n"
    "\n"
    "z';\n"
    "BEGIN /* block\n comment */\n"
    "  IF x > 0 THEN\n"
    "    SELECT a, b, \"C d\", f(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16) INTO x FROM t\n"
    "    WHERE a IN (SELECT c FROM u WHERE d = 'e''f' AND g = (1 + (2 * (3 - 4)))) AND /* c */ h = 1;\n"
    "  ELSIF x < 0 THEN NULL; ELSE LOOP EXIT WHEN x > 9; x := x + 1; END LOOP; END IF;\n"
    "EXCEPTION WHEN OTHERS THEN NULL;\n"
    "END;\n";

// One trail line: "関数 NAME() が異常終了しました。(MODULE-SITE)" with a module's source name
// (".\x" or "..\share\x") and a decimal site.
bool bIsTrailLine(const std::string &s, std::string *psFunc) {
    const std::string sHead = "関数 ";
    size_t iMid = s.find(sTrailMid);
    if (s.compare(0, sHead.size(), sHead) != 0 || iMid == std::string::npos || s.back() != ')') return false;
    std::string sFunc = s.substr(sHead.size(), iMid - sHead.size());
    std::string sWhere = s.substr(iMid + sTrailMid.size(), s.size() - iMid - sTrailMid.size() - 1);
    size_t iDash = sWhere.rfind('-');
    if (sFunc.empty() || sFunc.find(' ') != std::string::npos || iDash == std::string::npos ||
        iDash + 1 == sWhere.size())
        return false;
    for (size_t i = iDash + 1; i < sWhere.size(); ++i)
        if (sWhere[i] < '0' || sWhere[i] > '9') return false;
    if (sWhere.compare(0, 2, ".\\") != 0 && sWhere.compare(0, 3, "..\\") != 0) return false;
    *psFunc = sFunc;
    return true;
}

// The formatter's dump of its working text, when the text at p is one: the head with the two
// lengths, then each side as exactly that many bytes. Returns the dump's length, or 0.
size_t nDumpAt(const std::string &s, size_t p) {
    int b = -1, a = -1;
    if (std::sscanf(s.c_str() + p, szMsgDumpHead, &b, &a) != 2 || b < 0 || a < 0) return 0;
    char szHead[256], szBefore[64], szAfter[64];
    std::snprintf(szHead, sizeof szHead, szMsgDumpHead, b, a);
    std::snprintf(szBefore, sizeof szBefore, szMsgDumpBefore, b, "");
    std::snprintf(szAfter, sizeof szAfter, szMsgDumpAfter, a, "");
    std::string sBefore(szBefore, std::strlen(szBefore) - 1), sAfter(szAfter, std::strlen(szAfter) - 1);
    size_t q = p;
    if (s.compare(q, std::strlen(szHead), szHead) != 0) return 0;
    q += std::strlen(szHead);
    if (s.compare(q, sBefore.size(), sBefore) != 0) return 0;
    q += sBefore.size() + static_cast<size_t>(b);
    if (q >= s.size() || s[q] != '\n') return 0;
    ++q;
    if (s.compare(q, sAfter.size(), sAfter) != 0) return 0;
    q += sAfter.size() + static_cast<size_t>(a);
    if (q >= s.size() || s[q] != '\n') return 0;
    return q + 1 - p;
}

// The messages of a failing run: what came before the memory message (echoed paths), the
// memory message exactly once, then nothing but trail lines (the formatter's with its dump),
// the last naming szOuter.
void vExpectNoMemReport(const std::string &sMsgs, const char *szOuter, long n) {
    size_t iAt = sMsgs.find(sNoMem);
    ASSERT_NE(iAt, std::string::npos) << n << "\n" << sMsgs;
    EXPECT_EQ(sMsgs.find(sNoMem, iAt + 1), std::string::npos) << n << "\n" << sMsgs;
    EXPECT_TRUE(iAt == 0 || sMsgs[iAt - 1] == '\n') << n << "\n" << sMsgs;
    std::string sFunc;
    size_t p = iAt + sNoMem.size();
    int iTrails = 0;
    while (p < sMsgs.size()) {
        size_t e = sMsgs.find('\n', p);
        ASSERT_NE(e, std::string::npos) << n << "\n" << sMsgs;
        ASSERT_TRUE(bIsTrailLine(sMsgs.substr(p, e - p), &sFunc)) << n << ": " << sMsgs.substr(p);
        ++iTrails;
        p = e + 1;
        if (sFunc == "rcFmtStmt") p += nDumpAt(sMsgs, p);
    }
    EXPECT_GT(iTrails, 0) << n;
    EXPECT_EQ(sFunc, szOuter) << n << "\n" << sMsgs;
}

StmtStyle rStyle(int32_t iJoinAt) {
    StmtStyle r;
    vDefaultStmtStyle(&r);
    r.iJoinAt = iJoinAt;
    return r;
}

// A directory tree as it stands: every path with its bytes ("/" for a directory).
std::map<std::string, std::string> mTree(const fs::path &root) {
    std::map<std::string, std::string> m;
    for (const auto &e : fs::recursive_directory_iterator(root)) {
        std::string sRel = fs::relative(e.path(), root).generic_string();
        if (e.is_directory()) {
            m[sRel] = "/";
        } else {
            std::ifstream in(e.path(), std::ios::binary);
            std::ostringstream ss;
            ss << in.rdbuf();
            m[sRel] = ss.str();
        }
    }
    return m;
}

void vPut(const fs::path &p, const std::string &s) { std::ofstream(p, std::ios::binary) << s; }

const long MAX_RUNS = 5000;  // a run without failure comes long before
}  // namespace

TEST(AllocFault, FormatterEveryPhase) {
    for (int32_t iJoinAt : {0, 256}) {
        for (bool bPersist : {false, true}) {
            long n = 1;
            for (;; ++n) {
                ASSERT_LT(n, MAX_RUNS);
                StmtStyle r = rStyle(iJoinAt);
                char *szFmt = nullptr;
                ConsoleCapture cap;
                vFailAllocAt(n, bPersist);
                int rc = rcFmtStmt(szEveryPhase, &szFmt, &r);
                vFailAllocAt(0, false);
                vFree(szFmt);
                if (rc == RC_OK) break;
                ASSERT_EQ(rc, RC_NOMEM) << n << " " << iJoinAt << "\n" << cap.sLines();
                vExpectNoMemReport(cap.sLines(), "rcFmtStmt", n);
            }
            EXPECT_GT(n, iJoinAt ? 3 : 2) << iJoinAt;
        }
    }
}

// File mode with -r and the real formatter on a tree that holds a script, a TKPROF report and
// a trace file (all with CR LF), a nested directory and a file it passes over.
TEST(AllocFault, FileModeOnADirectory) {
    fs::path root = fs::temp_directory_path() / "quorva_allocfault";
    fs::remove_all(root);
    fs::create_directories(root / "n.sql");
    auto crlf = [](std::string s) {
        std::string r;
        for (char c : s) r += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return r;
    };
    vPut(root / "a.sql", crlf(szEveryPhase));
    vPut(root / "b.sql", crlf("\nTKPROF: Release 12.2\n\nSQL ID: 1\n\nselect a, b\nfrom\n t where (x = 1)\n\n\ncall  count\n"
                              "Parse 1\n\nSQL ID: 2\n\nBEGIN p(1); END;\n\n\ncall\n"));
    vPut(root / "n.sql" / "c.sql",
         crlf("*** 2018\nPARSING IN CURSOR #1 len=20 dep=0\nselect x -- c\nfrom dual\nEND OF STMT\nPARSE #1:c=0\n"));
    vPut(root / "n.sql" / "d.txt", "left alone\n");
    const std::map<std::string, std::string> mBefore = mTree(root);
    std::string sRoot = root.string();
    auto restore = [&] {
        for (const auto &kv : mBefore)
            if (kv.second != "/") vPut(root / kv.first, kv.second);
    };
    auto run = [&](int32_t *piFiles) {
        std::vector<char *> vArgs{&sRoot[0]};
        StmtStyle style = rStyle(0);
        int32_t iDirs = 0, iStmts = 0;
        int64_t iIn = 0, iOut = 0;
        return rcFmtOnFile(vArgs.data(), 1, &iDirs, piFiles, &iStmts, &iIn, &iOut, 1, &style);
    };
    std::map<std::string, std::string> mAfter;
    {
        ConsoleCapture cap;
        int32_t iFiles = 0;
        ASSERT_EQ(run(&iFiles), RC_OK) << cap.sLines();
        EXPECT_EQ(iFiles, 3);
        mAfter = mTree(root);
        restore();
    }
    for (bool bPersist : {false, true}) {
        long n = 1;
        for (;; ++n) {
            ASSERT_LT(n, MAX_RUNS);
            int32_t iFiles = 0;
            ConsoleCapture cap;
            vFailAllocAt(n, bPersist);
            int rc = run(&iFiles);
            vFailAllocAt(0, false);
            std::map<std::string, std::string> mNow = mTree(root);
            restore();
            if (rc == RC_OK) {
                EXPECT_EQ(mNow, mAfter);
                break;
            }
            ASSERT_EQ(rc, RC_NOMEM) << n << "\n" << cap.sLines();
            vExpectNoMemReport(cap.sLines(), "rcFmtOnFile", n);
            // The files finished before the failure are rewritten, all others are as they were;
            // no other file is there.
            ASSERT_EQ(mNow.size(), mBefore.size()) << n;
            int iDone = 0;
            for (const auto &kv : mNow) {
                EXPECT_TRUE(kv.second == mBefore.at(kv.first) || kv.second == mAfter.at(kv.first)) << n << kv.first;
                iDone += kv.second != mBefore.at(kv.first);
            }
            EXPECT_LE(iDone, iFiles) << n;
        }
        EXPECT_GT(n, 10);
    }
    fs::remove_all(root);
}

// Console mode as a whole: standard input and output are files for the run.
struct StdioSwap {
    int fdIn = -1, fdOut = -1;
    StdioSwap(FILE *fpIn, FILE *fpOut) {
        std::fflush(stdout);
        fdIn = dup(0);
        fdOut = dup(1);
        dup2(fileno(fpIn), 0);
        dup2(fileno(fpOut), 1);
        std::clearerr(stdin);
    }
    ~StdioSwap() {
        std::fflush(stdout);
        dup2(fdIn, 0);
        dup2(fdOut, 1);
        close(fdIn);
        close(fdOut);
        std::clearerr(stdin);
    }
};

TEST(AllocFault, ConsoleMode) {
    FILE *fpIn = std::tmpfile(), *fpOut = std::tmpfile();
    ASSERT_TRUE(fpIn != nullptr && fpOut != nullptr);
    std::fputs(szEveryPhase, fpIn);
    std::fflush(fpIn);
    long n = 1;
    for (;; ++n) {
        ASSERT_LT(n, MAX_RUNS);
        std::rewind(fpIn);
        StmtStyle style = rStyle(0);
        int rc;
        ConsoleCapture cap;
        {
            StdioSwap swap(fpIn, fpOut);
            std::rewind(stdin);
            vFailAllocAt(n, false);
            rc = rcFmtOnConsole(&style);
            vFailAllocAt(0, false);
        }
        if (rc == RC_OK) break;
        ASSERT_EQ(rc, RC_NOMEM) << n << "\n" << cap.sLines();
        vExpectNoMemReport(cap.sLines(), "rcFmtOnConsole", n);
    }
    EXPECT_GT(n, 3);
    std::fclose(fpIn);
    std::fclose(fpOut);
}

TEST(AllocFault, ConsoleReading) {
    // More than one block of the reader and more than one growth of the text.
    std::string sIn;
    while (sIn.size() < 200000) sIn += "select a, b from t where c = 1\r\n";
    FILE *fp = std::tmpfile();
    ASSERT_NE(fp, nullptr);
    std::fwrite(sIn.data(), 1, sIn.size(), fp);
    long n = 1;
    for (;; ++n) {
        ASSERT_LT(n, MAX_RUNS);
        std::rewind(fp);
        char *szText = nullptr;
        size_t nText = 0;
        vFailAllocAt(n, false);
        bool bOk = bReadConsoleText(fp, &szText, &nText);
        vFailAllocAt(0, false);
        if (bOk) {
            EXPECT_EQ(nText, sIn.size() / 32 * 31);
            vFree(szText);
            break;
        }
        EXPECT_EQ(szText, nullptr) << n;
    }
    EXPECT_GE(n, 3);
    std::fclose(fp);
}
