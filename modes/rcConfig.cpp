// Team settings: the .quorva file, its search up the directory tree and its lines.
#include "modes/rcConfig.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "modes/rcTextCodec.h"
#include "plat/platDir.h"
#include "plat/platFile.h"
#include "plat/platStdio.h"
#include "runtime/psGlobals.h"

const char szConfigName[] = ".quorva";

namespace {
const char szModule[] = ".\\rcConfig";
enum {
    SITE_LOAD_GROW = 190,
    SITE_FIND_RESOLVE = 235,
    SITE_FIND_ALLOC = 250,
};

bool bIsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads one line (its end of line removed). Returns null, or the reason the line is refused.
const char *szParseLine(const char *p, size_t n, OptValues *pSet) {
    if (std::memchr(p, '\0', n) != nullptr) return "NUL byte";
    size_t i = 0;
    while (i < n && bIsBlank(p[i])) ++i;
    if (i == n || p[i] == '#') return nullptr;
    size_t iName = i;
    while (i < n && !bIsBlank(p[i]) && p[i] != '=' && p[i] != '#') ++i;
    if (i == iName) return "missing option name";
    const int32_t eOpt = iFindOptValue(p + iName, i - iName);
    if (eOpt == OPTV_COUNT) return "unknown option";
    while (i < n && bIsBlank(p[i])) ++i;
    if (i == n || p[i] != '=') return "missing =";
    ++i;
    while (i < n && bIsBlank(p[i])) ++i;
    const void *pHash = std::memchr(p + i, '#', n - i);
    size_t iEnd = pHash == nullptr ? n : static_cast<size_t>(static_cast<const char *>(pHash) - p);
    while (iEnd > i && bIsBlank(p[iEnd - 1])) --iEnd;
    if (iEnd == i) return "missing value";
    return szReadOptValue(eOpt, p + i, iEnd - i, pSet);
}
}  // namespace

int rcParseConfig(const char *p, size_t n, OptValues *pSet, ConfigError *pErr) {
    // Parses into a record of its own, so that a bad line leaves the caller's as it was.
    OptValues rSet{};
    std::strcpy(rSet.szIndent, "\t");
    size_t i = 0;
    if (n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) i = 3;
    for (int32_t iLine = 1; i < n; iLine += iLine < INT32_MAX ? 1 : 0) {
        const void *pLf = std::memchr(p + i, '\n', n - i);
        size_t iEnd = pLf == nullptr ? n : static_cast<size_t>(static_cast<const char *>(pLf) - p);
        size_t iNext = pLf == nullptr ? n : iEnd + 1;
        if (iEnd > i && p[iEnd - 1] == '\r') --iEnd;
        const char *szWhy = szParseLine(p + i, iEnd - i, &rSet);
        if (szWhy != nullptr) {
            *pErr = ConfigError{iLine, szWhy};
            return RC_CONFIG;
        }
        i = iNext;
    }
    *pSet = rSet;
    return RC_OK;
}


int rcLoadConfig(const char *szPath, OptValues *pSet, ConfigError *pErr) {
    // The file's bytes are ours for the call; *pSet and *pErr as rcParseConfig leaves them.
    FILE *fp = std::fopen(szPath, "rb");
    if (fp == nullptr) {
        *pErr = ConfigError{0, "cannot read"};
        return RC_OPEN;
    }
    char *pText = nullptr;
    ScopeExit release([&] {
        std::fclose(fp);
        vFree(pText);
    });
    size_t n = 0, nCap = 0;
    int iErr = iReadAllBytes(fp, std::fread, std::ferror, &pText, &n, &nCap);
    if (iErr == ENOMEM) return rcNoMem("rcLoadConfig()", szModule, SITE_LOAD_GROW);
    if (iErr != 0) {
        *pErr = ConfigError{0, "cannot read"};
        return RC_OPEN;
    }
    return rcParseConfig(pText, n, pSet, pErr);
}

namespace {
bool bIsSep(char c, char cSep) { return c == '/' || c == cSep; }

// The length of the root at the start of szDir: "/" on every system; with cSep '\\' also
// "C:", "C:\" and "\\server\share\". 0 for a relative path.
size_t nRootLen(const char *sz, size_t n, char cSep) {
    if (cSep == '\\' && n >= 2 && bIsSep(sz[0], cSep) && bIsSep(sz[1], cSep)) {
        size_t i = 2;
        for (int iPart = 0; iPart < 2; ++iPart) {  // the server, then the share
            while (i < n && !bIsSep(sz[i], cSep)) ++i;
            if (i < n) ++i;
        }
        return i;
    }
    if (n >= 1 && bIsSep(sz[0], cSep)) return 1;
    bool bDrive = cSep == '\\' && n >= 2 && sz[1] == ':' &&
                  ((sz[0] >= 'A' && sz[0] <= 'Z') || (sz[0] >= 'a' && sz[0] <= 'z'));
    if (!bDrive) return 0;
    return n >= 3 && bIsSep(sz[2], cSep) ? 3 : 2;
}
}  // namespace

size_t nConfigParentLen(const char *szDir, size_t n, char cSep) {
    size_t nRoot = nRootLen(szDir, n, cSep), e = n;
    while (e > nRoot && bIsSep(szDir[e - 1], cSep)) --e;
    if (e <= nRoot) return 0;
    while (e > nRoot && !bIsSep(szDir[e - 1], cSep)) --e;
    while (e > nRoot && bIsSep(szDir[e - 1], cSep)) --e;
    return e;
}

int rcFindConfig(const char *szStartDir, char **pszPath) {
    // The resolved directory is ours; the candidate block becomes the caller's only when a
    // file is found there.
    *pszPath = nullptr;
    HeapPtr<char> dir(static_cast<char *>(pvAlloc(nPlatPathCap)));
    if (dir == nullptr) return rcNoMem("rcFindConfig()", szModule, SITE_FIND_RESOLVE);
    char *szDir = dir.get();
    int iErrPath = iPlatResolvePath(*szStartDir == '\0' ? "." : szStartDir, szDir);
    if (iErrPath != 0) {
        errno = iErrPath;
        return RC_OPEN;
    }
    // Windows resolves names without looking at the disk: a missing start directory would
    // otherwise be searched above as if it were there. Its status refuses a trailing separator.
    size_t nDir = std::strlen(szDir), nRoot = nRootLen(szDir, nDir, cPlatPathSep);
    while (nDir > nRoot && bIsSep(szDir[nDir - 1], cPlatPathSep)) szDir[--nDir] = '\0';
    PlatStat rDir{};
    int iErr = iPlatStat(szDir, &rDir);
    if (iErr != 0 || !rDir.iIsDir) {
        errno = iErr != 0 ? iErr : ENOTDIR;
        return RC_OPEN;
    }
    HeapPtr<char> szCand(static_cast<char *>(pvAlloc(nDir + sizeof szConfigName + 1)));
    if (szCand == nullptr) return rcNoMem("rcFindConfig()", szModule, SITE_FIND_ALLOC);
    std::memcpy(szCand.get(), szDir, nDir);
    // Each step shortens the directory, so the name is written over the old one in place.
    for (size_t n = nDir; n != 0; n = nConfigParentLen(szDir, n, cPlatPathSep)) {
        size_t i = n;
        if (!bIsSep(szDir[n - 1], cPlatPathSep)) szCand.get()[i++] = cPlatPathSep;
        std::memcpy(szCand.get() + i, szConfigName, sizeof szConfigName);
        PlatStat rStat{};
        if (iPlatStat(szCand.get(), &rStat) == 0 && rStat.iIsReg) {
            *pszPath = szCand.release();
            return RC_OK;
        }
    }
    return RC_OK;
}
