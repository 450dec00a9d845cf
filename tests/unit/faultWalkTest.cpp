// Failure walks through whole runs. Allocation: the N-th allocation fails, once and then for
// good, for N = 1, 2, ... until a run meets no failure. I/O: every call through which file mode
// reaches its files fails in turn at each of its calls in a run. Every failing run ends with its
// code, one message and a well-formed trail, and leaves every file it had not finished as it
// was; the sanitized build adds that nothing leaks.
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "formatter/rcFmtStmt.h"
#include "modes/rcExtractStmt.h"
#include "modes/rcFmtOnConsole.h"
#include "modes/rcFmtOnFile.h"
#include "unitHelpers.h"

#ifdef _WIN32  // after every other header: these names are members in the C++ library
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {
// Comments of both kinds, literals of every kind, nested parentheses with a subquery and many
// commas, a PL/SQL block with its nesting, and for -j a chunk that ends in a double-byte
// character (あ) before an empty line.
const char szEveryPhase[] =
    "  DECLARE -- head\n"
    "  x NUMBER := 1; s VARCHAR2(10) := 'it''s'; t VARCHAR2(9) := '\x82\xa0\x82\xa0\n\nz';\n"
    "BEGIN /* block\n comment */\n"
    "  IF x > 0 THEN\n"
    "    SELECT a, b, \"C d\", f(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16) INTO x FROM t\n"
    "    WHERE a IN (SELECT c FROM u WHERE d = 'e''f' AND g = (1 + (2 * (3 - 4)))) AND /* c */ h = 1;\n"
    "  ELSIF x < 0 THEN NULL; ELSE LOOP EXIT WHEN x > 9; x := x + 1; END LOOP; END IF;\n"
    "EXCEPTION WHEN OTHERS THEN NULL;\n"
    "END;\n";

// "NAME-SITE" of a trail line "関数 NAME() が異常終了しました。(MODULE-SITE)" whose module is a
// source name (".\x" or "..\share\x"); "" when the line is none.
std::string sTrailOf(const std::string &s) {
    static const std::string sHead = sSjis("関数 "), sMid = sSjis("() が異常終了しました。(");
    const size_t npos = std::string::npos, iMid = s.find(sMid), iDash = s.rfind('-');
    if (s.compare(0, sHead.size(), sHead) != 0 || iMid == npos || iDash == npos || iDash < iMid || s.back() != ')')
        return "";
    std::string sFunc = s.substr(sHead.size(), iMid - sHead.size()), sSite = s.substr(iDash + 1, s.size() - iDash - 2);
    std::string sModule = s.substr(iMid + sMid.size(), iDash - iMid - sMid.size());
    if (sFunc.empty() || sFunc.find(' ') != npos || (sModule.rfind(".\\", 0) != 0 && sModule.rfind("..\\", 0) != 0) ||
        sSite.empty() || sSite.size() > 5 || sSite.find_first_not_of("0123456789") != npos)
        return "";
    return sFunc + "-" + sSite;
}

// The length of the formatter's dump at p, or 0: a head that names the lengths of the two sides,
// then each side as that many bytes.
size_t nDumpAt(const std::string &s, size_t p) {
    static const std::string sHead = sSjis("ssSrc の前方 "), sMid = sSjis(" バイトから後方 ");
    size_t iMid = s.find(sMid, p);
    if (s.compare(p, sHead.size(), sHead) != 0 || iMid == std::string::npos) return 0;
    std::string sModel = sDump(std::string(std::strtoul(s.c_str() + p + sHead.size(), nullptr, 10), '\x01'),
                               std::string(std::strtoul(s.c_str() + iMid + sMid.size(), nullptr, 10), '\x01'));
    for (size_t i = 0; i < sModel.size(); ++i)
        if (p + i >= s.size() || (sModel[i] != '\x01' && sModel[i] != s[p + i])) return 0;
    return sModel.size();
}

// The messages of a failing run: whatever came before sMsg (echoed paths), sMsg once, and up to
// the end nothing but trail lines (the formatter's followed by its dump), the first on the
// message's own line when sMsg has no line end, the last naming sOuter. The first trail line.
std::string sExpectReport(const std::string &sMsgs, const std::string &sMsg, const std::string &sOuter,
                          const std::string &sWhat) {
    const size_t iAt = sMsgs.find(sMsg);
    EXPECT_TRUE(iAt != std::string::npos && sMsgs.find(sMsg, iAt + 1) == std::string::npos &&
                (iAt == 0 || sMsgs[iAt - 1] == '\n'))
        << sWhat << ": the message once, at a line's start\n" << sMsgs;
    if (iAt == std::string::npos) return "";
    size_t p = iAt + sMsg.size();
    if (sMsg.back() != '\n') p = std::min(sMsgs.find(sSjis("関数 "), p), sMsgs.find('\n', p));  // its fillers
    std::string sFirst, sLine;
    while (p < sMsgs.size()) {
        size_t e = std::min(sMsgs.find('\n', p), sMsgs.size());
        sLine = sTrailOf(sMsgs.substr(p, e - p));
        EXPECT_NE("", sLine) << sWhat << ": not a trail line: " << sMsgs.substr(p, e - p) << "\n" << sMsgs;
        if (sLine.empty()) return "";
        if (sFirst.empty()) sFirst = sLine;
        p = e + 1;
        if (sLine.rfind("rcFmtStmt-", 0) == 0) p += nDumpAt(sMsgs, p);
    }
    EXPECT_EQ(sOuter, sLine.substr(0, sLine.find('-'))) << sWhat << "\n" << sMsgs;
    return sFirst;
}

// Fails allocation N = 1, 2, ..., once and for good, until run() meets no failure; every failing
// run ends with code 5 and the memory message. The first trail lines seen.
std::set<std::string> setsAllocWalk(const std::function<int()> &run, const char *szOuter, long nMinRuns) {
    std::set<std::string> sets;
    for (bool bPersist : {false, true}) {
        long n = 1;
        for (;; ++n) {
            ConsoleCapture cap;
            vFailAllocAt(n, bPersist);
            int rc = run();
            vFailAllocAt(0, false);
            if (rc == RC_OK || n == 5000) break;
            EXPECT_EQ(RC_NOMEM, rc) << n << "\n" << cap.sLines();
            sets.insert(sExpectReport(cap.sLines(), sNoMem, szOuter, "allocation " + std::to_string(n)));
        }
        EXPECT_LT(n, 5000) << "no run without failure";
        EXPECT_GT(n, nMinRuns) << szOuter;
    }
    return sets;
}

// A directory tree as it stands: every path with its bytes ("/" for a directory).
std::map<std::string, std::string> mTree(const fs::path &root) {
    std::map<std::string, std::string> m;
    for (const auto &e : fs::recursive_directory_iterator(root))
        m[fs::relative(e.path(), root).generic_string()] = e.is_directory() ? "/" : sReadBytes(e.path());
    return m;
}

// The tree of the file-mode runs (-r): a script, a TKPROF report and a trace file, all with
// CR LF, a nested directory and a file that is passed over; sTraceExtra ends the trace.
struct FileTree {
    fs::path root;
    std::map<std::string, std::string> mBefore, mAfter;  // before and after a run without failure
    int32_t iFiles = 0;
    FileTally rTally{};
    explicit FileTree(const char *szName, const std::string &sTraceExtra = "")
        : root(fs::temp_directory_path() / szName) {
        fs::remove_all(root);
        fs::create_directories(root / "n.sql");
        vPut(root / "a.sql", sCrLf(szEveryPhase));
        vPut(root / "b.sql", sCrLf("\nTKPROF: Release 12.2\n\nSQL ID: 1\n\nselect a, b\nfrom\n t where (x = 1)\n\n\n"
                                   "call  count\nParse 1\n\nSQL ID: 2\n\nBEGIN p(1); END;\n\n\ncall\n"));
        vPut(root / "n.sql" / "c.sql", sCrLf("*** 2018\nPARSING IN CURSOR #1 len=20 dep=0\nselect x -- c\nfrom dual\n"
                                             "END OF STMT\nPARSE #1:c=0\n" + sTraceExtra));
        vPut(root / "n.sql" / "d.txt", "left alone\n");
        mBefore = mTree(root);
        ConsoleCapture cap;  // the paths it announces
        EXPECT_EQ(RC_OK, iRun()) << cap.sLines();
        // Without sTraceExtra the trace is formatted as it stands and is left as it was.
        EXPECT_EQ(sTraceExtra.empty() ? 2 : 3, iFiles) << "rewritten";
        EXPECT_EQ(sTraceExtra.empty() ? 1 : 0, rTally.iUnchanged);
        mAfter = mTree(root);
        vRestore();
    }
    ~FileTree() { fs::remove_all(root); }
    int iRun() {
        std::string sRoot = root.string();
        char *apArgs[] = {&sRoot[0]};
        StmtStyle style;
        vDefaultStmtStyle(&style);
        int32_t iDirs = 0, iStmts = 0;
        int64_t iIn = 0, iOut = 0;
        iFiles = 0;
        rTally = FileTally{};
        return rcFmtOnFile(apArgs, 1, &iDirs, &iFiles, &iStmts, &iIn, &iOut, 1, &style, &rTally);
    }
    void vRestore() {
        for (const auto &kv : mBefore)
            if (kv.second != "/") vPut(root / kv.first, kv.second);
    }
    // After a failing run: the files it finished are rewritten, all others as they were, and no
    // file is left behind. Restores the tree.
    void vCheckAndRestore(const std::string &sWhat, bool bAllFinishedCounted) {
        std::map<std::string, std::string> mNow = mTree(root);
        vRestore();
        EXPECT_EQ(mBefore.size(), mNow.size()) << sWhat;
        int iDone = 0;
        for (const auto &kv : mNow) {
            EXPECT_TRUE(kv.second == mBefore[kv.first] || kv.second == mAfter[kv.first]) << sWhat << " " << kv.first;
            iDone += kv.second != mBefore[kv.first];
        }
        EXPECT_TRUE(bAllFinishedCounted ? iDone == iFiles : iDone <= iFiles) << sWhat;
    }
};

// Standard input and output are the given files while it lives.
struct StdioSwap {
    int fdIn, fdOut;
    StdioSwap(FILE *fpIn, FILE *fpOut) : fdIn(dup(0)), fdOut((std::fflush(stdout), dup(1))) {
        dup2(fileno(fpIn), 0);
        dup2(fileno(fpOut), 1);
        std::clearerr(stdin);
        std::rewind(stdin);
    }
    ~StdioSwap() {
        std::fflush(stdout);
        dup2(fdIn, 0);
        dup2(fdOut, 1);
        close(fdIn);
        close(fdOut);
        std::clearerr(stdin);
        std::clearerr(stdout);
    }
};
}  // namespace

TEST(AllocWalk, Formatter) {
    for (int32_t iJoinAt : {0, 256}) {
        setsAllocWalk(
            [&] {
                StmtStyle r;
                vDefaultStmtStyle(&r);
                r.iJoinAt = iJoinAt;
                char *szFmt = nullptr;
                int rc = rcFmtStmt(szEveryPhase, &szFmt, &r);
                vFree(szFmt);
                return rc;
            },
            "rcFmtStmt", iJoinAt ? 3 : 2);
    }
}

// File mode with -r and the real formatter: the failures of file mode and of the directory
// walk are all met.
TEST(AllocWalk, FileModeOnADirectory) {
    FileTree tree("quorva_allocwalk");
    long n = 0;
    std::set<std::string> sets = setsAllocWalk(
        [&] {
            int rc = tree.iRun();
            EXPECT_TRUE(rc != RC_OK || tree.mAfter == mTree(tree.root));
            tree.vCheckAndRestore("allocation " + std::to_string(++n), false);
            return rc;
        },
        "rcFmtOnFile", 10);
    // A script's result is not copied (the writer takes the formatter's block): its writing fails
    // only in the stream (the faults below), no allocation stands there.
    for (const char *sz : {"rcDirEntries-41", "rcOnRepeatDirEntry-43", "rcOnRepeatDirEntry-56", "rcFindConfig-235",
                           "rcFmtOnFile-388", "rcFmtOnFile-405", "rcFmtOnFile-436"})
        EXPECT_EQ(1u, sets.count(sz)) << sz;
}

// Console mode on a text that needs more than one block of the reader and more than one growth
// of the text.
TEST(AllocWalk, ConsoleMode) {
    std::string sIn = szEveryPhase;
    while (sIn.size() < 200000) sIn += "select a, b from t where c = 1;\r\n";
    FILE *fpIn = std::tmpfile(), *fpOut = std::tmpfile();
    ASSERT_TRUE(fpIn != nullptr && fpOut != nullptr);
    std::fwrite(sIn.data(), 1, sIn.size(), fpIn);
    std::fflush(fpIn);
    std::set<std::string> sets = setsAllocWalk(
        [&] {
            StmtStyle style;
            vDefaultStmtStyle(&style);
            StdioSwap swap(fpIn, fpOut);
            return rcFmtOnConsole(&style);
        },
        "rcFmtOnConsole", 5);
    EXPECT_EQ(1u, sets.count("rcFmtOnConsole-28"));
    std::fclose(fpIn);
    std::fclose(fpOut);
}

namespace {
enum Kind { K_OPEN, K_READ, K_WRITE, K_CLOSE, K_CREATE, K_SETMODE, K_REPLACE, K_COUNT };

// The injector: counts the calls of each kind and fails the lFailAt-th call of iFailKind.
long alCalls[K_COUNT];
int iFailKind = -1;
long lFailAt = 0;
FILE *fpReadFailed = nullptr;  // the stream whose read failed: its error indicator is set
FileModeCalls rReal;           // the program's calls, which the injector passes on to

bool bFailNow(Kind k) {
    bool b = ++alCalls[k] == lFailAt && k == iFailKind;
    if (b) errno = EIO;
    return b;
}
FileModeCalls rInjector = {
    [](const char *szPath, const char *szMode) { return bFailNow(K_OPEN) ? nullptr : rReal.pfnOpen(szPath, szMode); },
    [](void *p, size_t nSize, size_t nCount, FILE *fp) -> size_t {
        if (!bFailNow(K_READ)) return rReal.pfnRead(p, nSize, nCount, fp);
        fpReadFailed = fp;
        return 0;
    },
    [](FILE *fp) { return static_cast<int>(fp == fpReadFailed || rReal.pfnError(fp)); },
    [](const void *p, size_t nSize, size_t nCount, FILE *fp) {
        return bFailNow(K_WRITE) ? 0 : rReal.pfnWrite(p, nSize, nCount, fp);
    },
    [](FILE *fp) {
        if (fp == fpReadFailed) fpReadFailed = nullptr;
        int rc = rReal.pfnClose(fp);
        return bFailNow(K_CLOSE) ? EOF : rc;
    },
    [](const char *szPath) { return bFailNow(K_CREATE) ? nullptr : rReal.pfnCreateNew(szPath); },
    [](const char *szPath, const PlatStat *pStat) { return bFailNow(K_SETMODE) ? EIO : rReal.pfnSetMode(szPath, pStat); },
    [](const char *szFrom, const char *szTo) { return bFailNow(K_REPLACE) ? EIO : rReal.pfnReplace(szFrom, szTo); },
};
}  // namespace

TEST(IoWalk, FileModeEveryCallFailsInTurn) {
    // What each kind of failure reports: code, message (null: the system's text alone) and the
    // sites it may name; a close failure of an input stream is no failure.
    const struct { int rc; const char *szMsg; std::set<int> siSites; } arExpect[K_COUNT] = {
        /* open    */ {RC_OPEN, "Error - ファイルのオープンに失敗しました。", {357}},
        /* read    */ {RC_OPEN, "Error - ファイルのオープンに失敗しました。", {375}},
        /* write   */ {RC_WRITE, "Error - ファイルへの書込みに失敗しました。", {501}},
        /* close   */ {RC_WRITE, "Error - ファイルへの書込みに失敗しました。", {501}},
        /* create  */ {RC_OPEN, "Error - ファイルのオープンに失敗しました。", {405}},
        /* mode    */ {RC_WRITE, "Error - ファイルへの書込みに失敗しました。", {509}},
        /* rename  */ {RC_WRITE, "Error - ファイルへの書込みに失敗しました。", {509}},
    };
    std::string sBig = "PARSING IN CURSOR #2 len=9 dep=0\nselect c0";
    for (int i = 1; sBig.size() < 70000; ++i) sBig += ", c" + std::to_string(i);
    rReal = rFileModeCalls;
    rFileModeCalls = rInjector;
    ScopeExit restore([] { rFileModeCalls = rReal; });
    std::fill(alCalls, alCalls + K_COUNT, 0);
    FileTree tree("quorva_iowalk", sBig + "\nEND OF STMT\nEXEC #2:c=0\n");
    const std::vector<long> alTotal(alCalls, alCalls + K_COUNT);
    std::set<int> siSeen;
    for (int k = 0; k < K_COUNT; ++k) {
        EXPECT_GT(alTotal[k], 0) << k;
        for (long n = 1; n <= alTotal[k]; ++n) {
            const std::string sWhat = "kind " + std::to_string(k) + " call " + std::to_string(n);
            std::fill(alCalls, alCalls + K_COUNT, 0);
            iFailKind = k;
            lFailAt = n;
            fpReadFailed = nullptr;
            ConsoleCapture cap;
            int rc = tree.iRun();
            iFailKind = -1;
            if (rc == RC_OK && k == K_CLOSE) {
                EXPECT_EQ(tree.mAfter, mTree(tree.root)) << sWhat;
                tree.vRestore();
                continue;
            }
            EXPECT_EQ(arExpect[k].rc, rc) << sWhat << "\n" << cap.sLines();
            // The message's fillers are a path, then the system's text for the error.
            const std::string sSys = std::strerror(EIO);
            const std::string sMsg = arExpect[k].szMsg ? sSjis(arExpect[k].szMsg) : sSys + "\n";
            EXPECT_TRUE(!arExpect[k].szMsg || cap.sLines().find(":" + sSys + sSjis("関数 ")) != std::string::npos)
                << sWhat << cap.sLines();
            std::string sFirst = sExpectReport(cap.sLines(), sMsg, "rcFmtOnFile", sWhat);
            int iSite = std::atoi(sFirst.c_str() + sFirst.find('-') + 1);
            EXPECT_EQ(1u, arExpect[k].siSites.count(iSite)) << sWhat << " site " << iSite << "\n" << cap.sLines();
            siSeen.insert(iSite);
            tree.vCheckAndRestore(sWhat, true);
        }
    }
    EXPECT_EQ((std::set<int>{357, 375, 405, 501, 509}), siSeen);
}
