// Clipboard mode through the real executable: the Windows clipboard (under Wine, one wineserver
// for the test process and quorva.exe), or on Linux an X server of the test's own (xvfb-run)
// with xclip, and stand-ins for the desktop's clipboard tools.
#include "e2eHarness.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
const std::string sWin32Failed = sSjis("Error - Win32API の実行に失敗しました。Code=0x");
// The trail of a clipboard call that failed at the mode's site iSite, and the driver's end.
std::string sClipTrail(int iSite) {
    return sTrail("rcChkWin32Api", ".\\rcChkWin32Api", 30) +
           sTrail("rcFmtOnClipBoard", "..\\share\\rcFmtOnClipBoard", iSite) + sAbend(217);
}

struct ClipRun {
    RunResult r;        // quorva's exit status and standard output
    std::string sClip;  // the clipboard's text afterwards
};

// For each text: puts it on the clipboard (an empty text: none, as on a new X server), runs
// quorva in clipboard mode, and reads the clipboard back the way another program would. Empty
// when no clipboard can be had here.
std::vector<ClipRun> vRunOnClipboard(const std::vector<std::string> &vsTexts) {
    std::vector<ClipRun> v;
#if defined(_WIN32)
    for (const std::string &s : vsTexts) {
        EXPECT_TRUE(OpenClipboard(NULL));
        EmptyClipboard();
        if (!s.empty()) {
            HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1);
            memcpy(GlobalLock(h), s.c_str(), s.size() + 1);
            GlobalUnlock(h);
            EXPECT_NE(nullptr, SetClipboardData(CF_TEXT, h));
        }
        CloseClipboard();
        ClipRun c{rRunQuorva("", "", nullptr, "", szNullDevice), ""};
        HANDLE h = OpenClipboard(NULL) ? GetClipboardData(CF_TEXT) : NULL;
        const char *p = h != NULL ? static_cast<const char *>(GlobalLock(h)) : nullptr;
        if (p != nullptr) c.sClip = p, GlobalUnlock(h);
        CloseClipboard();
        v.push_back(c);
    }
#else
    if (std::system("command -v xvfb-run >/dev/null && command -v xclip >/dev/null") != 0) return v;
    // One script in one X server; xclip stays behind to serve a text, so its streams are closed.
    std::string sScript = "unset WAYLAND_DISPLAY\n";
    for (size_t i = 0; i < vsTexts.size(); ++i) {
        const std::string n = "clip_e2e_" + std::to_string(i);
        vWriteFile(n + ".in", vsTexts[i]);
        if (!vsTexts[i].empty()) sScript += "xclip -selection clipboard -in < " + n + ".in > /dev/null 2>&1\n";
        sScript += "./quorva < /dev/null > " + n + ".out 2> /dev/null; echo $? > " + n + ".st\n";
        sScript += "xclip -selection clipboard -out > " + n + ".clip 2> /dev/null\n";
    }
    vWriteFile("clip_e2e.sh", sScript);
    EXPECT_EQ(0, std::system("xvfb-run -a sh clip_e2e.sh"));
    for (size_t i = 0; i < vsTexts.size(); ++i) {
        const std::string n = "clip_e2e_" + std::to_string(i);
        v.push_back({{std::atoi(sReadFile(n + ".st").c_str()), sReadFile(n + ".out"), ""}, sReadFile(n + ".clip")});
        for (const char *szExt : {".in", ".out", ".st", ".clip"}) std::remove((n + szExt).c_str());
    }
    std::remove("clip_e2e.sh");
#endif
    return v;
}
}  // namespace

// A clipboard without text fails at site 28 with code 44. A statement on the clipboard comes
// back formatted with its own line ends: the same bytes that console mode writes for it (テスト
// in Shift_JIS below); a text of UTF-16 bytes without a byte order mark (a desktop tool may
// hand such bytes over; Windows hands over UTF-16 as its own) comes back as UTF-16 too.
TEST(ClipboardE2E, RoundTrip) {
    std::string sLong = "select c0";  // some hundred kilobytes: more than a pipe holds
    for (int i = 1; i < 20000; ++i) sLong += ",\nc" + std::to_string(i);
    std::string sUtf16Le;
    for (char c : std::string("select a,\nb from t\n")) sUtf16Le += std::string(1, c) + '\0';
    std::vector<std::string> vsStmts = {sCrLf("select a, '\x83\x65\x83\x58\x83\x67' x,\nwhere y in (1,2)\n"),
                                        sCrLf(sLong + "\nfrom t\n"), "select a,\nb from t\n"};
    if (!bWindows) vsStmts.push_back(sUtf16Le);
    std::vector<std::string> vsClips = {""};
    vsClips.insert(vsClips.end(), vsStmts.begin(), vsStmts.end());
    std::vector<ClipRun> v = vRunOnClipboard(vsClips);
    if (v.empty()) GTEST_SKIP() << "*** SKIPPED: xvfb-run or xclip is not installed: the clipboard is NOT tested ***";
    EXPECT_EQ(44, v[0].r.iStatus);
    EXPECT_EQ(0u, v[0].r.sOut.find(sCrLf(sBanner) + sWin32Failed)) << v[0].r.sOut;
    EXPECT_EQ(sCrLf(sClipTrail(28)), sLast(v[0].r.sOut, sCrLf(sClipTrail(28)).size())) << v[0].r.sOut;
    for (size_t i = 1; i < v.size(); ++i) {
        EXPECT_EQ(0, v[i].r.iStatus) << v[i].r.sOut;
        EXPECT_EQ(sCrLf(sBanner + sNormalEnd), v[i].r.sOut);
        EXPECT_TRUE(rRunQuorva("-o", vsStmts[i - 1]).sOut == v[i].sClip) << i << ": " << v[i].sClip.size() << " bytes";
    }
}

#if !defined(_WIN32)
// The desktop's tools, stand-ins in a directory of their own that is the whole PATH: Wayland's
// when WAYLAND_DISPLAY is set, else xclip, else xsel; they keep the clipboard in a file and note
// which of them ran. No display, no tool, a tool that fails or never ends: a clear failure at
// site 28, never a hang.
TEST(ClipboardToolsE2E, ToolsOfTheDesktop) {
    const std::string sRead = "echo ${0##*/} >> \"${0%/*}/used\"; /bin/cat \"${0%/*}/clip\"";
    const std::string sWrite = "echo ${0##*/} >> \"${0%/*}/used\"; /bin/cat > \"${0%/*}/clip\"";
    const std::string sXclip = "case \"$*\" in *-out*) " + sRead + ";; *) " + sWrite + ";; esac";
    const std::string sXsel = "case \"$*\" in *--output*) " + sRead + ";; *) " + sWrite + ";; esac";
    const struct { const char *szName, *szEnv; std::vector<std::pair<const char *, std::string>> vTools;
                   const char *szUsedOrMsg; } arCases[] = {
        {"Wayland", "WAYLAND_DISPLAY=wl-0 DISPLAY=:99", {{"wl-paste", sRead}, {"wl-copy", sWrite}, {"xclip", sXclip}},
         "wl-paste\nwl-copy\n"},
        {"X11 on Wayland without its tools", "WAYLAND_DISPLAY=wl-0 DISPLAY=:99", {{"xclip", sXclip}, {"xsel", sXsel}},
         "xclip\nxclip\n"},
        {"xclip first", "DISPLAY=:99", {{"xclip", sXclip}, {"xsel", sXsel}}, "xclip\nxclip\n"},
        {"xsel without xclip", "DISPLAY=:99", {{"xsel", sXsel}}, "xsel\nxsel\n"},
        {"no display", "", {}, "6, Msg=no desktop display: neither WAYLAND_DISPLAY nor DISPLAY is set\n"},
        {"no tool", "DISPLAY=:99", {}, "2, Msg=no clipboard tool found: install xclip or xsel\n"},
        {"tool fails", "DISPLAY=:99", {{"xclip", "echo 'Error: target STRING not available' >&2; exit 3"}},
         "3, Msg=xclip ended with exit status 3: Error: target STRING not available\n"},
        {"tool never ends", "DISPLAY=:99", {{"xclip", "exec /bin/sleep 60"}},
         "6e, Msg=xclip did not finish within 5 seconds\n"},
        {"xsel finds no text", "DISPLAY=:99", {{"xsel", "exit 0"}}, "3d, Msg=the clipboard holds no text\n"},
    };
    const RunResult rWant = rRunQuorva("-o", "select a,\r\nb from t");
    for (const auto &c : arCases) {
        char szDir[] = "/tmp/quorva_clip_XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(szDir));
        const std::string sDir = szDir;
        for (const auto &t : c.vTools) {
            vWriteFile(sDir + "/" + t.first, "#!/bin/sh\n" + t.second + "\n");
            chmod((sDir + "/" + t.first).c_str(), 0755);
        }
        vWriteFile(sDir + "/clip", "select a,\r\nb from t");
        const std::string sEnv = "env -u WAYLAND_DISPLAY -u DISPLAY PATH=" + sDir + " " + c.szEnv + " ";
        RunResult r = rRunQuorva("", "", nullptr, sEnv, szNullDevice);
        if (std::string(c.szUsedOrMsg).find("Msg=") == std::string::npos) {
            EXPECT_EQ(0, r.iStatus) << c.szName << r.sOut;
            EXPECT_EQ(rWant.sOut, sReadFile(sDir + "/clip")) << c.szName;
            EXPECT_EQ(c.szUsedOrMsg, sReadFile(sDir + "/used")) << c.szName;
        } else {
            EXPECT_EQ(44, r.iStatus) << c.szName;
            EXPECT_EQ(sCrLf(sBanner + sWin32Failed + c.szUsedOrMsg + sClipTrail(28)), r.sOut) << c.szName;
        }
        std::filesystem::remove_all(sDir);
    }
}
#endif
