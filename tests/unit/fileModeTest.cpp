// Directory enumeration and file mode on temporary directories, with stand-in formatters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "consoleCapture.h"
#include "plat/platStdio.h"
#include "runtime/cDirEntries.h"
#include "runtime/psGlobals.h"
#include "modes/rcFmtOnFile.h"

namespace fs = std::filesystem;

namespace {
struct TempDir {
    fs::path path;
    explicit TempDir(const char *szName) : path(fs::temp_directory_path() / szName) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string s(const char *szRel = nullptr) const { return szRel ? (path / szRel).string() : path.string(); }
};

void vPut(const std::string &sPath, const std::string &sBytes) { std::ofstream(sPath, std::ios::binary) << sBytes; }

std::string sGet(const std::string &sPath) {
    std::ifstream in(sPath, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> vsNames(const fs::path &dir) {
    std::vector<std::string> v;
    for (const auto &e : fs::directory_iterator(dir)) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
}

int rcCollect(void *pv, const char *, const char *szName) {
    auto *pv2 = static_cast<std::vector<std::string> *>(pv);
    pv2->push_back(szName);
    return pv2->size() == 99 ? 7 : 0;
}

int rcStopAtSecond(void *pv, const char *, const char *) { return ++*static_cast<int *>(pv) == 2 ? 7 : 0; }

int rcFmtFails(const char *, char **, StmtStyle *) { return 24; }

// The identity, through the one allocation function, so that allocation failures reach it.
int rcFmtSame(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    size_t n = std::strlen(szStmt);
    char *p = static_cast<char *>(pvAlloc(n + 1));
    *szStmtFmt = p;
    if (p == nullptr) return rcNoMem("rcFmtStmt()", ".\\rcFmtStmt", 1);
    std::memcpy(p, szStmt, n);
    rStmtStyle->iFmtLen = static_cast<int32_t>(n);
    return 0;
}

struct RunResult {
    int rc;
    int32_t iDirs = 0, iFiles = 0, iStmts = 0;
    int64_t iIn = 0, iOut = 0;
};

RunResult rRun(std::vector<std::string> vsPaths, int32_t iRecurse) {
    std::vector<char *> v;
    for (auto &s : vsPaths) v.push_back(&s[0]);
    StmtStyle style;
    vDefaultStmtStyle(&style);
    RunResult r;
    r.rc = rcFmtOnFile(v.data(), static_cast<int32_t>(v.size()), &r.iDirs, &r.iFiles, &r.iStmts, &r.iIn, &r.iOut,
                       iRecurse, &style);
    return r;
}

struct FmtGuard {
    int (*pfnOld)(const char *, char **, StmtStyle *) = pfnFileFmtStmt;
    explicit FmtGuard(int (*pfn)(const char *, char **, StmtStyle *)) { pfnFileFmtStmt = pfn; }
    ~FmtGuard() {
        pfnFileFmtStmt = pfnOld;
        vFailAllocAt(0, false);
    }
};
}  // namespace

TEST(DirEntries, HandsOverTheEntriesWithTheExtension) {
    TempDir d("quorva_dirent");
    vPut(d.s("a.sql"), "x");
    vPut(d.s("B.SQL"), "x");
    vPut(d.s("c.txt"), "x");
    vPut(d.s("dsql"), "x");
    fs::create_directory(d.path / "x.sql");
    rDirEntries *p = nullptr;
    std::vector<std::string> vs;
    ASSERT_EQ(rcDirEntries(&p, d.s().c_str(), "SQL"), 0);
    EXPECT_EQ(rcForEachDirEntries(p, rcCollect, &vs), 0);
    vFreeDirEntries(&p);
    std::sort(vs.begin(), vs.end());
    EXPECT_EQ(vs, (std::vector<std::string>{"B.SQL", "a.sql", "x.sql"}));

    TempDir e("quorva_dirent_empty");
    ASSERT_EQ(rcDirEntries(&p, e.s().c_str(), "SQL"), 0);
    EXPECT_EQ(rcForEachDirEntries(p, rcCollect, &vs), 0);
    EXPECT_EQ(vs.size(), 3u);
    vFreeDirEntries(&p);
}

TEST(DirEntries, FailuresAreReported) {
    TempDir d("quorva_dirent_fail");
    vPut(d.s("a.sql"), "x");
    vPut(d.s("b.sql"), "x");
    rDirEntries *p = nullptr;
    {
        ConsoleCapture cap;
        int iCalls = 0;
        ASSERT_EQ(rcDirEntries(&p, d.s().c_str(), "SQL"), 0);
        EXPECT_EQ(rcForEachDirEntries(p, rcStopAtSecond, &iCalls), 7);
        EXPECT_EQ(cap.sLines(), "関数 rcForEachDirEntries() が異常終了しました。(.\\cDirEntries-145)\n");
        vFreeDirEntries(&p);
    }
    {
        ConsoleCapture cap;
        std::string sMissing = d.s("missing");
        EXPECT_EQ(rcDirEntries(&p, sMissing.c_str(), "SQL"), 44);
        std::string s = cap.sLines();
        size_t iWin = s.find("Win32API"), iFind = s.find("FindFirstFile() でエラーが発生しました。" + sMissing + " \n");
        EXPECT_LT(iWin, iFind) << s;
        EXPECT_NE(s.find("(.\\rcChkWin32Api-30)\n"), std::string::npos) << s;
        EXPECT_NE(s.find("関数 rcDirEntries() が異常終了しました。(.\\cDirEntries-66)\n"), std::string::npos) << s;
        vFreeDirEntries(&p);
    }
    {
        ConsoleCapture cap;
        EXPECT_EQ(rcDirEntries(&p, std::string(260, 'd').c_str(), "SQL"), 15);
        EXPECT_EQ(iLastErrLine, 58);
        EXPECT_EQ(p, nullptr);
    }
}

TEST(FileMode, AFailureLeavesEveryFileAsItWas) {
    TempDir d("quorva_filemode_fail");
    const std::string sScript = "select 1\r\nfrom dual;\r\n";
    const std::string sTrace = "x\r\nPARSING IN CURSOR #1\r\nselect 1\r\nEND OF STMT\r\n";
    vPut(d.s("a.sql"), sScript);
    vPut(d.s("b.trc"), sTrace);
    const struct {
        const char *szFile, *szWantTrail;
    } arCases[] = {
        {"a.sql", "関数 rcFmtOnFile() が異常終了しました。(..\\share\\rcFmtOnFile-491)\n"},
        {"b.trc", "関数 rcFmtOnFile() が異常終了しました。(..\\share\\rcFmtOnFile-469)\n"},
    };
    FmtGuard g(rcFmtFails);
    for (const auto &c : arCases) {
        ConsoleCapture cap;
        EXPECT_EQ(rRun({d.s(c.szFile)}, 0).rc, 24) << c.szFile;
        EXPECT_EQ(cap.sLines(), d.s(c.szFile) + "\n" + c.szWantTrail);
    }
    EXPECT_EQ(sGet(d.s("a.sql")), sScript);
    EXPECT_EQ(sGet(d.s("b.trc")), sTrace);
    EXPECT_EQ(vsNames(d.path), (std::vector<std::string>{"a.sql", "b.trc"}));
}

TEST(FileMode, ALinkBackIntoTheWalkIsNotFollowed) {
    TempDir d("quorva_filemode_loop");
    fs::create_directories(d.path / "a.sql" / "b.sql");
    vPut(d.s("a.sql/b.sql/x.sql"), "select 1;\n");
    std::error_code ec;
    fs::create_directory_symlink(d.path / "a.sql", d.path / "a.sql" / "b.sql" / "up.sql", ec);
    if (ec) GTEST_SKIP() << "no directory links here";
    FmtGuard g(rcFmtSame);
    ConsoleCapture cap;
    RunResult r = rRun({d.s("a.sql")}, 1);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.iDirs, 2);
    EXPECT_EQ(r.iFiles, 1);
    EXPECT_EQ(r.iIn, 10);
    EXPECT_EQ(r.iOut, 11);
}

TEST(FileMode, TheRewrittenFileKeepsItsModeAndLinksStayLinks) {
    TempDir d("quorva_filemode_keep");
    vPut(d.s("a.sql"), "select 1;\n");
    fs::permissions(d.path / "a.sql", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::perms perms = fs::status(d.path / "a.sql").permissions();
    std::error_code ec;
    fs::create_symlink("a.sql", d.path / "l.sql", ec);
    FmtGuard g(rcFmtSame);
    ConsoleCapture cap;
    RunResult r = rRun({ec ? d.s("a.sql") : d.s("l.sql")}, 0);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(sGet(d.s("a.sql")), "select 1;\r\n");
    EXPECT_EQ(fs::status(d.path / "a.sql").permissions(), perms);
    if (!ec) {
        EXPECT_TRUE(fs::is_symlink(d.path / "l.sql"));
    }
    const std::vector<std::string> vsWant =
        ec ? std::vector<std::string>{"a.sql"} : std::vector<std::string>{"a.sql", "l.sql"};
    EXPECT_EQ(vsNames(d.path), vsWant);
}
