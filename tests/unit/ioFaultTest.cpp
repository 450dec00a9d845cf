// I/O-failure injection: every call through which file mode reaches its files (open, read,
// rewind, write, close, create, mode, rename) fails in turn at each of its calls in a run; the
// run ends with the specified message, site and code, and every file it had not finished is
// byte for byte as it was. Console mode's output fails on a stream that refuses writes.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "consoleCapture.h"
#include "faultHelpers.h"
#include "runtime/psGlobals.h"
#include "modes/rcExtractStmt.h"
#include "modes/rcFmtOnConsole.h"
#include "modes/rcFmtOnFile.h"

using namespace fault;

namespace {
enum Kind { K_OPEN, K_READ, K_SEEK, K_WRITE, K_CLOSE, K_CREATE, K_SETMODE, K_REPLACE, K_COUNT };

// The injector: counts the calls of each kind and fails the lFailAt-th call of iFailKind.
long alCalls[K_COUNT];
int iFailKind = -1;
long lFailAt = 0;
FILE *fpReadFailed = nullptr;  // the stream whose read failed: its error indicator is set
FileModeCalls rReal;           // the calls of the program, which the injector passes on to

bool bFailNow(Kind k) { return ++alCalls[k] == lFailAt && k == iFailKind; }

FILE *fpOpen(const char *szPath, const char *szMode) {
    if (bFailNow(K_OPEN)) {
        errno = EIO;
        return nullptr;
    }
    return std::fopen(szPath, szMode);
}
size_t nRead(void *p, size_t nSize, size_t nCount, FILE *fp) {
    if (bFailNow(K_READ)) {
        fpReadFailed = fp;
        errno = EIO;
        return 0;
    }
    return std::fread(p, nSize, nCount, fp);
}
int iError(FILE *fp) { return fp == fpReadFailed || std::ferror(fp); }
int iSeek(FILE *fp, long lOffset, int iWhence) {
    if (bFailNow(K_SEEK)) {
        errno = EIO;
        return -1;
    }
    return std::fseek(fp, lOffset, iWhence);
}
size_t nWrite(const void *p, size_t nSize, size_t nCount, FILE *fp) {
    if (bFailNow(K_WRITE)) {
        errno = EIO;
        return 0;
    }
    return std::fwrite(p, nSize, nCount, fp);
}
int iClose(FILE *fp) {
    if (fp == fpReadFailed) fpReadFailed = nullptr;
    int rc = std::fclose(fp);
    if (bFailNow(K_CLOSE)) {
        errno = EIO;
        return EOF;
    }
    return rc;
}
FILE *fpCreate(const char *szPath) {
    if (bFailNow(K_CREATE)) {
        errno = EIO;
        return nullptr;
    }
    return rReal.pfnCreateNew(szPath);
}
int iSetMode(const char *szPath, uint32_t uMode) {
    return bFailNow(K_SETMODE) ? EIO : rReal.pfnSetMode(szPath, uMode);
}
int iReplace(const char *szFrom, const char *szTo) {
    return bFailNow(K_REPLACE) ? EIO : rReal.pfnReplace(szFrom, szTo);
}
}  // namespace

namespace {
struct Expect {
    int rc;
    const char *szMsg;  // the message's text after "Error - ", or null: the system's error text
    std::set<int> siSites;
};

// The sites each kind of failure may report; a close failure of an input stream is no failure.
const Expect arExpect[K_COUNT] = {
    /* open    */ {RC_OPEN, "ファイルのオープンに失敗しました。", {357, 375}},
    /* read    */ {RC_OPEN, "ファイルのオープンに失敗しました。", {357, 375}},
    /* seek    */ {RC_SEEK, nullptr, {182}},
    /* write   */ {RC_WRITE, "ファイルへの書込みに失敗しました。", {436, 476, 501}},
    /* close   */ {RC_WRITE, "ファイルへの書込みに失敗しました。", {436, 501}},
    /* create  */ {RC_OPEN, "ファイルのオープンに失敗しました。", {405}},
    /* mode    */ {RC_WRITE, "ファイルへの書込みに失敗しました。", {509}},
    /* rename  */ {RC_WRITE, "ファイルへの書込みに失敗しました。", {509}},
};

struct CallsGuard {
    CallsGuard() {
        rReal = rFileModeCalls;
        rFileModeCalls = {fpOpen, nRead, iError, iSeek, nWrite, iClose, fpCreate, iSetMode, iReplace};
    }
    ~CallsGuard() { rFileModeCalls = rReal; }
};
}  // namespace

TEST(IoFault, FileModeEveryCallFailsInTurn) {
    fs::path root = fs::temp_directory_path() / "quorva_iofault";
    // A second statement larger than the output buffer, so that a write fails inside it.
    std::string sBig = "PARSING IN CURSOR #2 len=9 dep=0\nselect c0";
    for (int i = 1; sBig.size() < 70000; ++i) sBig += ", c" + std::to_string(i);
    vMakeTree(root, sBig + "\nEND OF STMT\nEXEC #2:c=0\n");
    const std::map<std::string, std::string> mBefore = mTree(root);
    std::string sRoot = root.string();
    CallsGuard guard;
    auto restore = [&] {
        for (const auto &kv : mBefore)
            if (kv.second != "/") vPut(root / kv.first, kv.second);
    };
    auto run = [&](int iKind, long lAt, int32_t *piFiles) {
        std::fill(alCalls, alCalls + K_COUNT, 0);
        iFailKind = iKind;
        lFailAt = lAt;
        fpReadFailed = nullptr;
        std::vector<char *> vArgs{&sRoot[0]};
        StmtStyle style;
        vDefaultStmtStyle(&style);
        int32_t iDirs = 0, iStmts = 0;
        int64_t iIn = 0, iOut = 0;
        int rc = rcFmtOnFile(vArgs.data(), 1, &iDirs, piFiles, &iStmts, &iIn, &iOut, 1, &style);
        iFailKind = -1;
        return rc;
    };

    long alTotal[K_COUNT];
    std::map<std::string, std::string> mAfter;
    {
        ConsoleCapture cap;
        int32_t iFiles = 0;
        ASSERT_EQ(run(-1, 0, &iFiles), RC_OK) << cap.sLines();
        ASSERT_EQ(iFiles, 3);
        std::copy(alCalls, alCalls + K_COUNT, alTotal);
        mAfter = mTree(root);
        restore();
    }
    std::set<int> siSeen;
    for (int k = 0; k < K_COUNT; ++k) {
        EXPECT_GT(alTotal[k], 0) << k;
        const Expect &e = arExpect[k];
        for (long n = 1; n <= alTotal[k]; ++n) {
            const std::string sWhat = "kind " + std::to_string(k) + " call " + std::to_string(n);
            int32_t iFiles = 0;
            ConsoleCapture cap;
            int rc = run(k, n, &iFiles);
            std::map<std::string, std::string> mNow = mTree(root);
            restore();
            if (rc == RC_OK && k == K_CLOSE) {
                EXPECT_EQ(mNow, mAfter) << sWhat;
                continue;
            }
            ASSERT_EQ(rc, e.rc) << sWhat << "\n" << cap.sLines();
            std::string sMsgs = cap.sLines();
            std::string sMsg = e.szMsg != nullptr ? std::string("Error - ") + e.szMsg
                                                  : std::string(std::strerror(EIO)) + "\n";
            if (e.szMsg != nullptr) {
                // The fillers: a path, then the system's text for the error.
                size_t iMsg = sMsgs.find(sMsg);
                EXPECT_NE(sMsgs.find(std::string(":") + std::strerror(EIO) + "関数 ", iMsg), std::string::npos)
                    << sWhat << "\n" << sMsgs;
            }
            int iSite = iFirstSiteAfter(sMsgs, sMsg);
            EXPECT_EQ(e.siSites.count(iSite), 1u) << sWhat << " site " << iSite << "\n" << sMsgs;
            siSeen.insert(iSite);
            iExpectReport(sMsgs, sMsg, "rcFmtOnFile", iSite, sWhat);
            if (k == K_SEEK) {
                EXPECT_NE(sMsgs.find("rcIdentifyDocType() が異常終了しました。(..\\share\\rcFmtOnFile-182)\n"
                                     "関数 rcFmtOnFile() が異常終了しました。(..\\share\\rcFmtOnFile-363)"),
                          std::string::npos)
                    << sMsgs;
            }
            // The files finished before the failure are rewritten; all others are as they were,
            // and no new file is left behind.
            ASSERT_EQ(mNow.size(), mBefore.size()) << sWhat;
            int iDone = 0;
            for (const auto &kv : mNow) {
                EXPECT_TRUE(kv.second == mBefore.at(kv.first) || kv.second == mAfter.at(kv.first)) << sWhat << kv.first;
                iDone += kv.second != mBefore.at(kv.first);
            }
            EXPECT_EQ(iDone, iFiles) << sWhat;
        }
    }
    EXPECT_EQ(siSeen, (std::set<int>{182, 357, 375, 405, 436, 476, 501, 509}));
    fs::remove_all(root);
}

TEST(IoFault, ConsoleOutputRefused) {
    fs::path pOut = fs::temp_directory_path() / "quorva_iofault_out";
    vPut(pOut, "");
    FILE *fpIn = std::tmpfile(), *fpOut = std::fopen(pOut.string().c_str(), "rb");  // refuses every write
    ASSERT_TRUE(fpIn != nullptr && fpOut != nullptr);
    std::fputs("select a from t", fpIn);
    std::fflush(fpIn);
    StmtStyle style;
    vDefaultStmtStyle(&style);
    int rc;
    ConsoleCapture cap;
    {
        StdioSwap swap(fpIn, fpOut);
        rc = rcFmtOnConsole(&style);
    }
    EXPECT_EQ(rc, RC_WRITE);
    std::string sMsg = "Error - ファイルへの書込みに失敗しました。stdout:";
    iExpectReport(cap.sLines(), sMsg, "rcFmtOnConsole", 50, "stdout");
    std::fclose(fpIn);
    std::fclose(fpOut);
    fs::remove(pOut);
}
