// Allocation-failure injection over whole runs: the N-th allocation fails, for N = 1, 2, 3, ...
// until a run meets no failure. Every failing run reports the memory message once, ends with
// code 5 and a well-formed failure trail, and leaves every file as it was; the sanitized build
// adds that nothing leaks.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "consoleCapture.h"
#include "faultHelpers.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtStmt.h"
#include "modes/rcFmtOnConsole.h"
#include "modes/rcFmtOnFile.h"

using namespace fault;

namespace {
StmtStyle rStyle(int32_t iJoinAt) {
    StmtStyle r;
    vDefaultStmtStyle(&r);
    r.iJoinAt = iJoinAt;
    return r;
}

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
                iExpectReport(cap.sLines(), sNoMem, "rcFmtStmt", 0, std::to_string(n));
            }
            EXPECT_GT(n, iJoinAt ? 3 : 2) << iJoinAt;
        }
    }
}

// File mode with -r and the real formatter. A failing run may have rewritten the files it
// finished before the failure; every other file is as it was, and no other file is there.
TEST(AllocFault, FileModeOnADirectory) {
    fs::path root = fs::temp_directory_path() / "quorva_allocfault";
    vMakeTree(root);
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
    std::set<std::string> setsSites;  // the sites of file mode and of the directory search
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
            iExpectReport(cap.sLines(), sNoMem, "rcFmtOnFile", 0, std::to_string(n));
            std::string sSite = sFirstTrailAfter(cap.sLines(), sNoMem);
            std::string sFunc = sSite.substr(0, sSite.find('-'));
            if (sFunc == "rcFmtOnFile" || sFunc == "rcOnRepeatDirEntry" || sFunc == "rcDirEntries")
                setsSites.insert(sSite);
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
    EXPECT_EQ(setsSites, (std::set<std::string>{"rcDirEntries-41", "rcOnRepeatDirEntry-43", "rcOnRepeatDirEntry-56",
                                                "rcFmtOnFile-253", "rcFmtOnFile-388", "rcFmtOnFile-405",
                                                "rcFmtOnFile-456"}));
    fs::remove_all(root);
}

TEST(AllocFault, ConsoleMode) {
    FILE *fpIn = std::tmpfile(), *fpOut = std::tmpfile();
    ASSERT_TRUE(fpIn != nullptr && fpOut != nullptr);
    std::fputs(szEveryPhase, fpIn);
    std::fflush(fpIn);
    long n = 1;
    for (;; ++n) {
        ASSERT_LT(n, MAX_RUNS);
        StmtStyle style = rStyle(0);
        int rc;
        ConsoleCapture cap;
        {
            StdioSwap swap(fpIn, fpOut);
            vFailAllocAt(n, false);
            rc = rcFmtOnConsole(&style);
            vFailAllocAt(0, false);
        }
        if (rc == RC_OK) break;
        ASSERT_EQ(rc, RC_NOMEM) << n << "\n" << cap.sLines();
        iExpectReport(cap.sLines(), sNoMem, "rcFmtOnConsole", n == 1 ? 28 : 0, std::to_string(n));
    }
    EXPECT_GT(n, 3);
    std::fclose(fpIn);
    std::fclose(fpOut);
}

TEST(AllocFault, ConsoleReadingGrowsInSteps) {
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
