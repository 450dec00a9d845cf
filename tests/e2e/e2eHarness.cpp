#include "e2eHarness.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#if !defined(_WIN32)
#include <sys/wait.h>
#endif

namespace {
#if defined(_WIN32)
const char szExe[] = "quorva.exe";
#else
const char szExe[] = "./quorva";
#endif
int iCounter = 0;
}  // namespace

bool bWindows() {
#if defined(_WIN32)
    return true;
#else
    return false;
#endif
}

std::string sReadFile(const std::string &sPath) {
    std::ifstream in(sPath, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void vWriteFile(const std::string &sPath, const std::string &sBytes) {
    std::ofstream out(sPath, std::ios::binary | std::ios::trunc);
    out.write(sBytes.data(), static_cast<std::streamsize>(sBytes.size()));
}

std::string sLast(const std::string &s, size_t n) { return n >= s.size() ? s : s.substr(s.size() - n); }

std::string sCrLf(const std::string &s) {
    std::string r;
    for (char c : s) {
        if (c == '\n') r += '\r';
        r += c;
    }
    return r;
}

RunResult rRunQuorva(const std::string &sArgs, const std::string &sIn, const char *szStdoutRedirect) {
    std::string sBase = "e2e_run_" + std::to_string(++iCounter);
    std::string sInFile = sBase + ".in", sOutFile = sBase + ".out", sErrFile = sBase + ".err";
    vWriteFile(sInFile, sIn);
    std::string sCmd = std::string(szExe) + " " + sArgs + " < " + sInFile + " " +
                       (szStdoutRedirect != nullptr ? std::string(szStdoutRedirect) : "> " + sOutFile) + " 2> " +
                       sErrFile;
    int iRaw = std::system(sCmd.c_str());
    RunResult r;
#if defined(_WIN32)
    r.iStatus = iRaw;
#else
    r.iStatus = WIFEXITED(iRaw) ? WEXITSTATUS(iRaw) : -1;
#endif
    r.sOut = sReadFile(sOutFile);
    r.sErr = sReadFile(sErrFile);
    std::remove(sInFile.c_str());
    std::remove(sOutFile.c_str());
    std::remove(sErrFile.c_str());
    return r;
}

namespace fs = std::filesystem;

char cSep() { return bWindows() ? '\\' : '/'; }

E2eDir::E2eDir(const std::string &sName) : sPath_("e2e_" + sName) {
    std::error_code ec;
    fs::remove_all(sPath_, ec);
    fs::create_directories(sPath_);
}

E2eDir::~E2eDir() {
    std::error_code ec;
    for (const auto &e : fs::recursive_directory_iterator(sPath_, ec))  // read-only files too
        fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove_all(sPath_, ec);
}

std::string E2eDir::s(const std::string &sRel) const {
    std::string r = sPath_;
    if (!sRel.empty()) r += cSep() + sRel;
    std::replace(r.begin(), r.end(), '/', cSep());
    return r;
}

std::vector<std::string> vsListDir(const std::string &sDir) {
    std::vector<std::string> v;
    for (const auto &e : fs::directory_iterator(sDir))
        v.push_back(e.path().filename().string() + (e.is_directory() ? "/" : ""));
    std::sort(v.begin(), v.end());
    return v;
}

void vMakeDir(const std::string &sPath) { fs::create_directories(sPath); }

void vSetReadOnly(const std::string &sPath) {
    fs::permissions(sPath, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}
