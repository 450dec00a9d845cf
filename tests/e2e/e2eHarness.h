// Runs the real quorva executable with arguments and standard input and collects its bytes;
// temporary directories and files for file mode; the texts every run writes.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#if !defined(_WIN32)
#include <sys/wait.h>
#endif

#include "testText.h"

#if defined(_WIN32)
const bool bWindows = true;
const char cSep = '\\';
const char szNullDevice[] = "NUL";
#else
const bool bWindows = false;
const char cSep = '/';
const char szNullDevice[] = "/dev/null";
#endif

inline const std::string sBanner = "quorva version 1.0.0\nCopyright (C) 2026 The quorva developers\n";
inline const std::string sNormalEnd = sSjis("正常終了しました。                          \n");
// The driver's last line after a failure at its site.
inline std::string sAbend(int iSite) {
    return sSjis("異常終了しました。(.\\quorva-" + std::to_string(iSite) + ")                   \n");
}

// A text of LF lines as a run writes it when no line end is named: CR LF on Windows; elsewhere
// each text keeps its own, and the formatter writes LF for it.
inline std::string sNative(const std::string &s) { return bWindows ? sCrLf(s) : s; }

// An environment variable of the test process, which the runs inherit, for as long as it lives.
class EnvSet {
  public:
    EnvSet(const char *szName, const std::string &sValue) : szName_(szName) { vSet(sValue); }
    ~EnvSet() { vSet(""); }
    EnvSet(const EnvSet &) = delete;
    EnvSet &operator=(const EnvSet &) = delete;

  private:
    void vSet(const std::string &sValue) {
#if defined(_WIN32)
        _putenv_s(szName_, sValue.c_str());  // an empty value removes it
#else
        if (sValue.empty())
            unsetenv(szName_);
        else
            setenv(szName_, sValue.c_str(), 1);
#endif
    }
    const char *szName_;
};

inline std::string sReadFile(const std::string &sPath) {
    std::ifstream in(sPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline void vWriteFile(const std::string &sPath, const std::string &sBytes) {
    std::ofstream(sPath, std::ios::binary | std::ios::trunc) << sBytes;
}

struct RunResult {
    int iStatus;       // exit status
    std::string sOut;  // standard output, as written
    std::string sErr;  // standard error, as written
};

// The exit status of a command line run through the system's command interpreter.
inline int iSystemStatus(const std::string &sCmd) {
    const int iRaw = std::system(sCmd.c_str());
#if defined(_WIN32)
    return iRaw;
#else
    return WIFEXITED(iRaw) ? WEXITSTATUS(iRaw) : -1;
#endif
}

// Runs quorva in the test's working directory. sArgs is appended to the command line as it
// stands (simple arguments only); sIn is written to a file that becomes standard input.
// szStdoutRedirect, when given, replaces "> file" for standard output; sPrefix goes before the
// program's name ("env ..."); szStdinFile, when given, is standard input instead of sIn (the
// null device, szNullDevice, for a run of clipboard mode: a file or a pipe would be read).
inline RunResult rRunQuorva(const std::string &sArgs, const std::string &sIn = std::string(),
                            const char *szStdoutRedirect = nullptr, const std::string &sPrefix = std::string(),
                            const char *szStdinFile = nullptr) {
    static int iRun = 0;
    const std::string sBase = "e2e_run_" + std::to_string(++iRun);
    vWriteFile(sBase + ".in", sIn);
    const std::string sStdin = szStdinFile != nullptr ? szStdinFile : sBase + ".in";
    const std::string sCmd = sPrefix + (bWindows ? "quorva.exe " : "./quorva ") + sArgs + " < " + sStdin + " " +
                             (szStdoutRedirect != nullptr ? szStdoutRedirect : "> " + sBase + ".out") + " 2> " +
                             sBase + ".err";
    // -1: the command interpreter itself did not start; 9009: it did not find the program in the
    // working directory, where it lies (Wine does both now and then under load). Neither is a run
    // of quorva, whose statuses are small numbers: it is tried again.
    auto bNoRun = [](int iRaw) { return iRaw == -1 || (bWindows && iRaw == 9009); };
    int iRaw = std::system(sCmd.c_str());
    for (int iTry = 0; bNoRun(iRaw) && iTry < 3; ++iTry) iRaw = std::system(sCmd.c_str());
#if defined(_WIN32)
    RunResult r{iRaw, sReadFile(sBase + ".out"), sReadFile(sBase + ".err")};
#else
    RunResult r{WIFEXITED(iRaw) ? WEXITSTATUS(iRaw) : -1, sReadFile(sBase + ".out"), sReadFile(sBase + ".err")};
#endif
    for (const char *szExt : {".in", ".out", ".err"}) std::remove((sBase + szExt).c_str());
    return r;
}

// A fresh directory below the working directory, removed with its content when the scope
// ends. Paths are relative and use the platform's separator, as the program composes them.
class E2eDir {
  public:
    explicit E2eDir(const std::string &sName) : sPath_("e2e_" + sName) {
        std::filesystem::remove_all(sPath_);
        std::filesystem::create_directories(sPath_);
    }
    ~E2eDir() {
        std::error_code ec;
        for (const auto &e : std::filesystem::recursive_directory_iterator(sPath_, ec))  // read-only files too
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(sPath_, ec);
    }
    E2eDir(const E2eDir &) = delete;
    E2eDir &operator=(const E2eDir &) = delete;
    // The directory itself, or sRel below it ("a/b.sql" gets the platform's separator).
    std::string s(const std::string &sRel = std::string()) const {
        std::string r = sRel.empty() ? sPath_ : sPath_ + "/" + sRel;
        std::replace(r.begin(), r.end(), '/', cSep);
        return r;
    }
    // The names in the directory, sorted; those of subdirectories end in "/".
    std::vector<std::string> vsList() const { return vsListOf(sPath_); }
    static std::vector<std::string> vsListOf(const std::string &sDir) {
        std::vector<std::string> v;
        for (const auto &e : std::filesystem::directory_iterator(sDir))
            v.push_back(e.path().filename().string() + (e.is_directory() ? "/" : ""));
        std::sort(v.begin(), v.end());
        return v;
    }

  private:
    std::string sPath_;
};
