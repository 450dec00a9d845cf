// What the run modes do besides formatting: the team settings of a directory, and what becomes
// of a text that formatting changes (written, listed, or shown as a diff).
#include "modes/rcRunOptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "modes/rcConfig.h"
#include "modes/rcDiff.h"
#include "modes/rcTextCodec.h"
#include "plat/platStdio.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

RunOptions rRunOptions;

namespace {
const char szModule[] = "..\\share\\rcRunOptions";
enum {
    SITE_CONFIG_FIND = 41,
    SITE_CONFIG_LOAD = 47,
    SITE_LIST = 88,
    SITE_DIFF = 95,
    SITE_DIFF_WRITE = 99,
};

// The settings last read: files of one directory share them.
struct ConfigCache {
    char szDir[MAX_PATH_LEN + 1] = {};
    bool bValid = false;
    OptValues rSet{};
};
ConfigCache rCache;

int rcSettingsOf(const char *szDir, OptValues *pSet) {
    if (rCache.bValid && std::strcmp(rCache.szDir, szDir) == 0) {
        *pSet = rCache.rSet;
        return RC_OK;
    }
    *pSet = OptValues{};
    char *szFound = nullptr;
    errno = 0;
    int rc = rcFindConfig(szDir, &szFound);
    HeapPtr<char> found(szFound);
    // A directory that cannot be searched has no settings of its own: its files get the defaults.
    if (rc == RC_NOMEM) return rcTrail(rc, "rcStyleFor()", szModule, SITE_CONFIG_FIND);
    if (rc == RC_OK && szFound != nullptr) {
        ConfigError rErr{};
        rc = rcLoadConfig(szFound, pSet, &rErr);
        if (rc == RC_CONFIG) iConPrintf(szMsgConfig, szErrorPrefix, szFound, static_cast<int>(rErr.iLine), rErr.szReason);
        if (rc == RC_OPEN) iConPrintf(szMsgConfigRead, szErrorPrefix, szFound, std::strerror(errno));
        if (rc != RC_OK) return rcTrail(rc, "rcStyleFor()", szModule, SITE_CONFIG_LOAD);
    }
    std::snprintf(rCache.szDir, sizeof rCache.szDir, "%s", szDir);
    rCache.bValid = std::strlen(szDir) < sizeof rCache.szDir;
    rCache.rSet = *pSet;
    return RC_OK;
}

int rcFail(int rc, int iLine) { return rcTrail(rc, "rcTakeResult()", szModule, iLine); }

int rcStdoutFailed(int iLine) {
    iConPrintf(szMsgWrite, szErrorPrefix, "stdout", std::strerror(errno != 0 ? errno : EIO), "");
    return rcFail(RC_WRITE, iLine);
}
}  // namespace

void vDirOf(const char *szPath, char *szDir, size_t nCap) {
    const char *pSep = std::strrchr(szPath, '/');
    const char *pSep2 = std::strrchr(szPath, cPlatPathSep);
    if (pSep2 != nullptr && (pSep == nullptr || pSep2 > pSep)) pSep = pSep2;
    size_t n = pSep == nullptr ? 0 : static_cast<size_t>(pSep - szPath) + 1;
    if (n >= nCap) n = nCap - 1;
    std::memcpy(szDir, szPath, n);
    szDir[n] = '\0';
}

int rcStyleFor(const char *szDir, const StmtStyle *pCmdStyle, StmtStyle *pStyle, int32_t *peEol) {
    *pStyle = *pCmdStyle;
    *peEol = rRunOptions.eEol;
    if (rRunOptions.iNoConfig) return RC_OK;
    OptValues rSet{};
    int rc = rcSettingsOf(szDir, &rSet);
    if (rc != RC_OK) return rc;
    vApplyOptValues(&rSet, ~rRunOptions.uGiven, pStyle, peEol);
    return RC_OK;
}

bool bSameBytes(const char *p1, size_t n1, const char *p2, size_t n2) {
    return n1 == n2 && (n1 == 0 || std::memcmp(p1, p2, n1) == 0);
}

int rcTakeResult(const char *szName, const char *pOld, size_t nOld, const char *pNew, size_t nNew, bool *pbWrite) {
    *pbWrite = false;
    if (bSameBytes(pOld, nOld, pNew, nNew)) return RC_OK;  // left alone
    ++rRunOptions.iChanged;
    *pbWrite = !rRunOptions.iCheck && !rRunOptions.iDiff;
    errno = 0;
    if (rRunOptions.iCheck) {
        if (std::fputs(szName, stdout) < 0 || std::fputc('\n', stdout) == EOF || std::fflush(stdout) != 0)
            return rcStdoutFailed(SITE_LIST);
    }
    if (rRunOptions.iDiff) {
        DiffOut rOut{};
        ScopeExit freeOut([&] { vFreeDiffOut(&rOut); });
        DiffSide rOld{pOld, nOld, szName}, rNew{pNew, nNew, szName};
        int rc = rcDiff(&rOld, &rNew, DIFF_CONTEXT, &rOut);
        if (rc != RC_OK) return rcFail(rc, SITE_DIFF);
        if (!bWriteAllBytes(stdout, std::fwrite, rOut.p, rOut.n) || std::fflush(stdout) != 0)
            return rcStdoutFailed(SITE_DIFF_WRITE);
    }
    return RC_OK;
}
