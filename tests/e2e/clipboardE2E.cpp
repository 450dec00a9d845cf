// Clipboard mode through the real executable and the real clipboard: the Windows clipboard
// (under Wine, one wineserver for the test process and quorva.exe), or an X server of the
// test's own with xclip on Linux.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "e2eHarness.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
extern char **environ;
#endif

namespace {
const std::string sBanner = "quorva version 1.0.0\nCopyright (C) 2026 The quorva developers\n";
const std::string sNormalEnd = "正常終了しました。                          \n";
const std::string sWin32Failed = "Error - Win32API の実行に失敗しました。Code=0x";

// The trail of a clipboard call that failed at the mode's site iSite, and the driver's end.
std::string sTrail(int iSite) {
    return "関数 rcChkWin32Api() が異常終了しました。(.\\rcChkWin32Api-30)\n"
           "関数 rcFmtOnClipBoard() が異常終了しました。(..\\share\\rcFmtOnClipBoard-" +
           std::to_string(iSite) + ")\n異常終了しました。(.\\quorva-217)                   \n";
}

bool bEndsWith(const std::string &s, const std::string &sEnd) {
    return s.size() >= sEnd.size() && s.compare(s.size() - sEnd.size(), sEnd.size(), sEnd) == 0;
}

#if defined(_WIN32)
// The Windows clipboard, set and read the way another program would.
struct Clipboard {
    bool bInstalled(std::string *) { return true; }
    bool bStart() { return true; }

    void vPut(const std::string &s) {
        ASSERT_TRUE(OpenClipboard(NULL));
        EmptyClipboard();
        if (!s.empty()) {
            HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1);
            char *p = static_cast<char *>(GlobalLock(h));
            memcpy(p, s.c_str(), s.size() + 1);
            GlobalUnlock(h);
            EXPECT_NE(SetClipboardData(CF_TEXT, h), nullptr);
        }
        CloseClipboard();
    }

    std::string sGet() {
        std::string s;
        if (!OpenClipboard(NULL)) return "(cannot open the clipboard)";
        HANDLE h = GetClipboardData(CF_TEXT);
        if (h != NULL) {
            const char *p = static_cast<const char *>(GlobalLock(h));
            if (p != nullptr) s = p;
            GlobalUnlock(h);
        }
        CloseClipboard();
        return s;
    }
};
#else
bool bOnPath(const char *szProgram) {
    return std::system(("command -v " + std::string(szProgram) + " >/dev/null 2>&1").c_str()) == 0;
}

// Sets (or, with null, removes) an environment variable until the end of the scope.
class EnvVar {
  public:
    EnvVar(const char *szName, const char *szValue) : sName_(szName) {
        const char *szOld = std::getenv(szName);
        bHad_ = szOld != nullptr;
        if (bHad_) sOld_ = szOld;
        if (szValue != nullptr)
            setenv(szName, szValue, 1);
        else
            unsetenv(szName);
    }
    ~EnvVar() {
        if (bHad_)
            setenv(sName_.c_str(), sOld_.c_str(), 1);
        else
            unsetenv(sName_.c_str());
    }

  private:
    std::string sName_, sOld_;
    bool bHad_ = false;
};

// An X server of the test's own on a display that it finds free, stopped at the end.
class XServer {
  public:
    XServer() {
        int afd[2];
        if (pipe2(afd, O_CLOEXEC) != 0) return;
        // The write end goes to fd 3 of the server: it must not be fd 3 already, which would
        // stay close-on-exec.
        int fdWrite = fcntl(afd[1], F_DUPFD_CLOEXEC, 4);
        close(afd[1]);
        afd[1] = fdWrite;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&fa, afd[1], 3);  // where it writes its display number
        const char *argv[] = {"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "320x240x24", nullptr};
        if (posix_spawnp(&pid_, "Xvfb", &fa, nullptr, const_cast<char *const *>(argv), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(afd[1]);
        // The number ends with a line feed; the server stops when it cannot write all of it.
        std::string sNumber;
        struct pollfd pfd = {afd[0], POLLIN, 0};
        char ch = 0;
        while (pid_ > 0 && sNumber.size() < 8 && poll(&pfd, 1, 20000) == 1 && read(afd[0], &ch, 1) == 1 && ch != '\n')
            sNumber += ch;
        if (ch == '\n' && !sNumber.empty()) sDisplay_ = ":" + sNumber;
        close(afd[0]);
    }
    ~XServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string &sDisplay() const { return sDisplay_; }

  private:
    pid_t pid_ = -1;
    std::string sDisplay_;
};

// The clipboard of an X server of the test's own, set and read with xclip.
struct Clipboard {
    std::unique_ptr<XServer> pServer;
    std::unique_ptr<EnvVar> pDisplay, pWayland;

    bool bInstalled(std::string *psWhy) {
        *psWhy = "Xvfb or xclip is not installed: the clipboard round trip is NOT tested";
        return bOnPath("Xvfb") && bOnPath("xclip");
    }

    bool bStart() {
        pServer.reset(new XServer);
        if (pServer->sDisplay().empty()) return false;
        pDisplay.reset(new EnvVar("DISPLAY", pServer->sDisplay().c_str()));
        pWayland.reset(new EnvVar("WAYLAND_DISPLAY", nullptr));
        return true;
    }

    void vPut(const std::string &s) {
        vWriteFile("clip_e2e.in", s);
        // xclip stays behind to serve the text: its streams must not hold the test's output.
        EXPECT_EQ(std::system("xclip -selection clipboard -in < clip_e2e.in > /dev/null 2>&1"), 0);
        std::remove("clip_e2e.in");
    }

    std::string sGet() {
        std::system("xclip -selection clipboard -out > clip_e2e.out 2>/dev/null");
        std::string s = sReadFile("clip_e2e.out");
        std::remove("clip_e2e.out");
        return s;
    }
};
#endif

class ClipboardE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string sWhy;
        if (!clip_.bInstalled(&sWhy)) GTEST_SKIP() << "*** SKIPPED: " << sWhy << " ***";
        if (!clip_.bStart()) FAIL() << "the test's X server did not start";
    }
    Clipboard clip_;
};
}  // namespace

// The statement on the clipboard comes back formatted, with CR LF line ends: the same bytes
// that console mode writes for it.
TEST_F(ClipboardE2E, FormatsTheClipboardInPlace) {
    std::string sLong = "select c0";  // some hundred kilobytes: more than a pipe holds
    for (int i = 1; i < 20000; ++i) sLong += ",\nc" + std::to_string(i);
    const std::string arStmts[] = {
        "select a, 'テスト' x,\nb from t\nwhere x = 1 and y in (1,2)\n",
        sLong + "\nfrom t\n",
    };
    for (const std::string &sStmt : arStmts) {
        RunResult rWant = rRunQuorva("-o", sStmt);
        ASSERT_EQ(rWant.iStatus, 0) << rWant.sErr;
        ASSERT_NE(rWant.sOut.find("\r\n"), std::string::npos);

        clip_.vPut(sCrLf(sStmt));
        RunResult r = rRunQuorva("");
        EXPECT_EQ(r.iStatus, 0) << r.sOut;
        EXPECT_EQ(r.sOut, sCrLf(sBanner + sNormalEnd));
        EXPECT_TRUE(clip_.sGet() == rWant.sOut) << sStmt.size() << " bytes";
    }
}

// A clipboard without text: the Win32 failure at site 28, code 44.
TEST_F(ClipboardE2E, ClipboardWithoutTextFails) {
#if defined(_WIN32)
    clip_.vPut("");
#endif  // the test's own X server starts with nothing on the clipboard
    RunResult r = rRunQuorva("");
    EXPECT_EQ(r.iStatus, 44);
    EXPECT_EQ(r.sOut.find(sCrLf(sBanner + sWin32Failed)), 0u) << r.sOut;
    EXPECT_TRUE(bEndsWith(r.sOut, sCrLf(sTrail(28)))) << r.sOut;
#if !defined(_WIN32)
    // xclip reached the server and found no text there
    EXPECT_NE(r.sOut.find("Msg=xclip ended with exit status 1: Error: target "), std::string::npos) << r.sOut;
#endif
}

#if !defined(_WIN32)
namespace {
// A directory of stand-in tools, removed at the end.
struct ToolDir {
    char szDir[32] = "/tmp/quorva_clip_XXXXXX";
    ToolDir() { EXPECT_NE(mkdtemp(szDir), nullptr); }
    ~ToolDir() { std::system(("rm -rf " + std::string(szDir)).c_str()); }
    std::string sPath(const char *szName) const { return std::string(szDir) + "/" + szName; }
    void vAdd(const char *szName, const std::string &sScript) const {
        vWriteFile(sPath(szName), "#!/bin/sh\n" + sScript + "\n");
        chmod(sPath(szName).c_str(), 0755);
    }
};
}  // namespace

// No display, no tool, a tool that fails or never ends: a clear failure at site 28, never a
// hang. The tools are stand-ins in a directory of their own that is the whole PATH.
TEST(ClipboardToolsE2E, MissingOrFailingToolFailsClearly) {
    const struct {
        const char *szName, *szDisplay, *szTool, *szScript, *szWant;
    } arCases[] = {
        {"no display", nullptr, nullptr, nullptr,
         "6, Msg=no desktop display: neither WAYLAND_DISPLAY nor DISPLAY is set\n"},
        {"no tool", ":99", nullptr, nullptr, "2, Msg=no clipboard tool found: install xclip or xsel\n"},
        {"tool fails", ":99", "xclip", "echo 'Error: target STRING not available' >&2; exit 3",
         "3, Msg=xclip ended with exit status 3: Error: target STRING not available\n"},
        {"tool never ends", ":99", "xclip", "exec /bin/sleep 60", "6e, Msg=xclip did not finish within 5 seconds\n"},
        {"xsel finds no text", ":99", "xsel", "exit 0", "3d, Msg=the clipboard holds no text\n"},
    };
    for (const auto &c : arCases) {
        ToolDir tools;
        if (c.szTool != nullptr) tools.vAdd(c.szTool, c.szScript);
        EnvVar display("DISPLAY", c.szDisplay), wayland("WAYLAND_DISPLAY", nullptr), path("PATH", tools.szDir);
        RunResult r = rRunQuorva("");
        EXPECT_EQ(r.iStatus, 44) << c.szName;
        EXPECT_EQ(r.sOut, sCrLf(sBanner + sWin32Failed + c.szWant + sTrail(28))) << c.szName;
    }
}

// The desktop's tools in their order: Wayland's when WAYLAND_DISPLAY is set, else xclip, else
// xsel. Stand-ins keep the clipboard in a file and note which of them ran.
TEST(ClipboardToolsE2E, ToolOfTheDesktopIsUsed) {
    const char szRead[] = "echo ${0##*/} >> \"${0%/*}/used\"; /bin/cat \"${0%/*}/clip\"";
    const char szWrite[] = "echo ${0##*/} >> \"${0%/*}/used\"; /bin/cat > \"${0%/*}/clip\"";
    const struct {
        const char *szName, *szWayland, *szDisplay, *szUsed;
        bool bWayland, bXclip, bXsel;
    } arCases[] = {
        {"Wayland", "wayland-0", ":99", "wl-paste\nwl-copy\n", true, true, true},
        {"X11 on Wayland without its tools", "wayland-0", ":99", "xclip\nxclip\n", false, true, true},
        {"xclip first", nullptr, ":99", "xclip\nxclip\n", true, true, true},
        {"xsel without xclip", nullptr, ":99", "xsel\nxsel\n", true, false, true},
    };
    for (const auto &c : arCases) {
        ToolDir tools;
        if (c.bWayland) tools.vAdd("wl-paste", szRead), tools.vAdd("wl-copy", szWrite);
        if (c.bXclip) tools.vAdd("xclip", "case \"$*\" in *-out*) " + std::string(szRead) + ";; *) " + szWrite + ";; esac");
        if (c.bXsel) tools.vAdd("xsel", "case \"$*\" in *--output*) " + std::string(szRead) + ";; *) " + szWrite + ";; esac");
        vWriteFile(tools.sPath("clip"), "select a,\r\nb from t");
        RunResult rWant = rRunQuorva("-o", "select a,\nb from t");
        EnvVar display("DISPLAY", c.szDisplay), wayland("WAYLAND_DISPLAY", c.szWayland), path("PATH", tools.szDir);
        RunResult r = rRunQuorva("");
        EXPECT_EQ(r.iStatus, 0) << c.szName << r.sOut;
        EXPECT_EQ(sReadFile(tools.sPath("clip")), rWant.sOut) << c.szName;
        EXPECT_EQ(sReadFile(tools.sPath("used")), c.szUsed) << c.szName;
    }
}
#endif
