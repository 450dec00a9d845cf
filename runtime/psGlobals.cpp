#include "runtime/psGlobals.h"

#include <algorithm>
#include <cstdint>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "plat/platFile.h"
#include "plat/platMem.h"
#include "plat/platStdio.h"
#include "runtime/msgCatalog.h"

namespace {
const char szModule[] = ".\\psGlobals";

enum {
    SITE_EXEDIR_LEN = 119,
    SITE_EXENAME_LEN = 125,
    SITE_OPEN_NAMELEN = 396,
    SITE_OPEN_UNLINK = 428,
    SITE_OPEN_PROBE = 442,
    SITE_OPEN_CREATE = 452,
    SITE_WRITE_OPEN = 480,
    SITE_WRITE_WRITE = 485,
    SITE_UNLINK = 532,
};

long lFailAt = 0;        // countdown to the allocation that fails; 0: none
bool bFailPersist = false;
bool bFailing = false;

bool bAllocFails() {
    if (bFailing) return true;
    if (lFailAt == 0) return false;
    if (--lFailAt != 0) return false;
    bFailing = bFailPersist;
    return true;
}
}  // namespace

FILE *console = nullptr;
int iLastErrLine = 0;
char szExeDir[MAX_PATH_LEN + 1];
char szExeName[MAX_PATH_LEN + 1];

int iPutText(FILE *fp, const char *p, size_t n) {
    // Write the runs between line feeds as they stand and each line feed as CR LF.
    const char *pEnd = p + n;
    while (p < pEnd) {
        const char *pLf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(pEnd - p)));
        size_t nRun = (pLf == nullptr ? pEnd : pLf) - p;
        if (nRun > 0 && std::fwrite(p, 1, nRun, fp) != nRun) return -1;
        if (pLf == nullptr) break;
        if (std::fwrite("\r\n", 1, 2, fp) != 2) return -1;
        p = pLf + 1;
    }
    return 0;
}

int iConWriteErr = 0;

int iConPrintf(const char *szFmt, ...) {
    char szBuf[1024];
    va_list ap;
    va_start(ap, szFmt);
    int n = std::vsnprintf(szBuf, sizeof szBuf, szFmt, ap);
    va_end(ap);
    if (n < 0) return n;
    const char *p = szBuf;
    char *pHeap = nullptr;
    if (static_cast<size_t>(n) >= sizeof szBuf) {
        // A long message (a path, a dump) is formatted once more into a block of its size.
        pHeap = static_cast<char *>(std::malloc(static_cast<size_t>(n) + 1));
        if (pHeap == nullptr) return -1;
        va_start(ap, szFmt);
        std::vsnprintf(pHeap, static_cast<size_t>(n) + 1, szFmt, ap);
        va_end(ap);
        p = pHeap;
    }
    errno = 0;
    int rc = iPutText(console, p, static_cast<size_t>(n));
    std::free(pHeap);
    if (std::fflush(console) != 0) rc = -1;
    if (rc != 0 && iConWriteErr == 0) iConWriteErr = errno != 0 ? errno : EIO;
    return rc == 0 ? n : -1;
}

int rcTrail(int rc, const char *szFunc, const char *szModuleName, int iLine) {
    iLastErrLine = iLine;
    iConPrintf(szMsgTrail, szFunc, szModuleName, iLine);
    return rc;
}

int rcNoMem(const char *szFunc, const char *szModuleName, int iLine) {
    iConPrintf(szMsgNoMem, szErrorPrefix);
    return rcTrail(RC_NOMEM, szFunc, szModuleName, iLine);
}

// A block of a large text's size is advised onto large pages before it is filled.
void *pvAlloc(size_t n) {
    if (bAllocFails()) return nullptr;
    void *p = std::calloc(n == 0 ? 1 : n, 1);
    if (p != nullptr && n >= nPlatLargeBlock) vPlatAdviseLargeBlock(p, n);
    return p;
}

void *pvRealloc(void *p, size_t n) {
    if (bAllocFails()) return nullptr;
    void *pNew = std::realloc(p, n == 0 ? 1 : n);
    if (pNew != nullptr && n >= nPlatLargeBlock) vPlatAdviseLargeBlock(pNew, n);
    return pNew;
}

void vFree(void *p) { std::free(p); }

void vWillFill(void *p, size_t n) {
    if (n >= nPlatFillBlock) vPlatWillFill(p, n);
}

bool bGrowBlock(void **pp, size_t *pCap, size_t nNeed, size_t nSize) {
    if (nNeed <= *pCap) return true;
    size_t nCap = *pCap > SIZE_MAX / 2 ? nNeed : std::max(nNeed, *pCap * 2);
    if (nCap < 64) nCap = 64;
    if (nCap > SIZE_MAX / nSize) return false;
    void *pNew = pvRealloc(*pp, nCap * nSize);
    if (pNew == nullptr) return false;
    *pp = pNew;
    *pCap = nCap;
    return true;
}

void vFailAllocAt(long n, bool bPersist) {
    lFailAt = n;
    bFailPersist = bPersist;
    bFailing = false;
}

const char *szFmtNum(int64_t v, int iGroup) {
    static char szNum[32];
    char szRev[32];
    // The magnitude as unsigned, so that the most negative value has one too.
    uint64_t u = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    int n = 0, iDigits = 0;
    do {
        if (iGroup > 0 && iDigits > 0 && iDigits % iGroup == 0) szRev[n++] = ',';
        szRev[n++] = static_cast<char>('0' + u % 10);
        ++iDigits;
        u /= 10;
    } while (u != 0);
    if (v < 0) szRev[n++] = '-';
    for (int i = 0; i < n; ++i) szNum[i] = szRev[n - 1 - i];
    szNum[n] = '\0';
    return szNum;
}

int rcGetExeLoc(const char *szPath, char *szDir, char *szName) {
    const char *pSep = std::strrchr(szPath, cPlatPathSep);
    const char *pBase = pSep == nullptr ? szPath : pSep + 1;
    size_t nDir = pSep == nullptr ? 0 : static_cast<size_t>(pSep - szPath);
    // A base name without any dot is taken whole.
    const char *pDot = std::strrchr(pBase, '.');
    size_t nBase = pDot == nullptr ? std::strlen(pBase) : static_cast<size_t>(pDot - pBase);
    if (nDir > MAX_PATH_LEN) {
        iConPrintf(szMsgDirLen, MAX_PATH_LEN);
        return rcTrail(RC_EXELEN, "rcGetExeLoc()", szModule, SITE_EXEDIR_LEN);
    }
    if (nBase > MAX_PATH_LEN) {
        iConPrintf(szMsgFileLen, MAX_PATH_LEN);
        return rcTrail(RC_EXELEN, "rcGetExeLoc()", szModule, SITE_EXENAME_LEN);
    }
    std::memcpy(szDir, szPath, nDir);
    szDir[nDir] = '\0';
    std::memcpy(szName, pBase, nBase);
    szName[nBase] = '\0';
    return RC_OK;
}

int rcOpenDiag(FILE **pfp, const char *szName, const char *szMode) {
    size_t nName = std::strlen(szName);
    if (nName > MAX_PATH_LEN) {
        iConPrintf(szMsgNameLen, static_cast<int>(nName), MAX_PATH_LEN, szName);
        return rcTrail(RC_NAMELEN, "rcOpenDiag()", szModule, SITE_OPEN_NAMELEN);
    }
    FILE *fpProbe = std::fopen(szName, "rb");
    if (fpProbe != nullptr) {
        std::fclose(fpProbe);
        int rc = rcUnlink(szName);  // an existing file is replaced without a question
        if (rc != RC_OK) return rcTrail(rc, "rcOpenDiag()", szModule, SITE_OPEN_UNLINK);
    } else if (errno != ENOENT) {
        int iErr = errno;
        iConPrintf(szMsgSearch, szName, iErr, std::strerror(iErr), "");
        return rcTrail(RC_OPEN, "rcOpenDiag()", szModule, SITE_OPEN_PROBE);
    }
    FILE *fp = std::fopen(szName, szMode);
    if (fp == nullptr) {
        iConPrintf(szMsgOpen, szErrorPrefix, szName, std::strerror(errno), "");
        return rcTrail(RC_OPEN, "rcOpenDiag()", szModule, SITE_OPEN_CREATE);
    }
    *pfp = fp;
    return RC_OK;
}

int rcWriteStr(const char *szName, const char *buf, uint32_t size) {
    FILE *fp = nullptr;
    // Binary: the file holds the statement's bytes exactly as received.
    int rc = rcOpenDiag(&fp, szName, "wb");
    if (rc != RC_OK) return rcTrail(rc, "rcWriteStr()", szModule, SITE_WRITE_OPEN);
    // An empty buffer writes an empty file; that is no failure.
    bool bWritten = size == 0 || std::fwrite(buf, size, 1, fp) == 1;
    bool bClosed = std::fclose(fp) == 0;
    if (!bWritten || !bClosed) {
        iConPrintf(szMsgWrite, szErrorPrefix, szName, std::strerror(errno), "");
        return rcTrail(RC_WRITE, "rcWriteStr()", szModule, SITE_WRITE_WRITE);
    }
    return RC_OK;
}

int rcUnlink(const char *szName) {
    int iErr = iPlatUnlink(szName);
    if (iErr == 0) return RC_OK;
    int rc = RC_UNLINK;
    const char *szFmt = szMsgUnlink;
    if (iErr == EACCES) {
        rc = RC_READONLY;
        szFmt = szMsgReadOnly;
    } else if (iErr == ENOENT) {
        rc = RC_NOTFOUND;
        szFmt = szMsgNotFound;
    }
    iConPrintf(szFmt, szName, std::strerror(iErr), "");
    return rcTrail(rc, "rcUnlink()", szModule, SITE_UNLINK);
}

char *szJoinPath(const char *szDir, const char *szName) {
    size_t nDir = std::strlen(szDir), nName = std::strlen(szName);
    bool bSep = nDir > 0 && !bPlatIsPathSep(szDir[nDir - 1]);
    char *szPath = static_cast<char *>(pvAlloc(nDir + (bSep ? 1 : 0) + nName + 1));
    if (szPath == nullptr) return nullptr;
    std::memcpy(szPath, szDir, nDir);
    if (bSep) szPath[nDir++] = cPlatPathSep;
    std::memcpy(szPath + nDir, szName, nName + 1);
    return szPath;
}

int iCmpPrefix(const void *pv1, const void *pv2) {
    const char *sz1 = *static_cast<const char *const *>(pv1);
    const char *sz2 = *static_cast<const char *const *>(pv2);
    return std::strncmp(sz1, sz2, std::strlen(sz2));
}

void vSortPrefix(char **aszText, int32_t n) {
    // "Less" by iCmpPrefix is exactly the byte order of the texts, a strict weak order, so the
    // sort is well defined and the same on every platform. Texts that compare equal keep
    // their order.
    std::stable_sort(aszText, aszText + n, [](const char *a, const char *b) { return iCmpPrefix(&a, &b) < 0; });
}
