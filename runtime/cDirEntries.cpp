#include "runtime/cDirEntries.h"

#include <cassert>
#include <cstdio>
#include <cstring>

#include "plat/platDir.h"
#include "plat/platError.h"
#include "plat/platFile.h"
#include "plat/platStdio.h"
#include "runtime/msgCatalog.h"
#include "runtime/rcChkWin32Api.h"

namespace {
const char szModule[] = ".\\cDirEntries";
enum {
    SITE_ALLOC = 41,
    SITE_NAME_LEN = 58,  // a directory name that does not fit the record
    SITE_PROBE = 66,
    SITE_SEARCH = 80,
    SITE_CALLBACK = 145,
    SITE_NEXT = 152,
};
}  // namespace

int rcDirEntries(rDirEntries **ppEntries, const char *szDir, const char *szExt) {
    assert(ppEntries != nullptr && szDir != nullptr && szExt != nullptr);
    size_t nDir = std::strlen(szDir), nExt = std::strlen(szExt);
    // A name longer than the platform's paths is refused before anything is searched, with the
    // message of an overlong file name; no record is made.
    if (nDir > nPlatPathMax) {
        iConPrintf(szMsgNameLen, static_cast<int>(nDir), static_cast<int>(nPlatPathMax), szDir);
        return rcTrail(RC_NAMELEN, "rcDirEntries()", szModule, SITE_NAME_LEN);
    }
    // The record, the directory's name and the extension in one block.
    rDirEntries *pEntries = static_cast<rDirEntries *>(pvAlloc(sizeof(rDirEntries) + nDir + 1 + nExt + 1));
    if (pEntries == nullptr) return rcNoMem("rcDirEntries()", szModule, SITE_ALLOC);
    *ppEntries = pEntries;
    pEntries->szDirName = reinterpret_cast<char *>(pEntries + 1);
    pEntries->szExt = pEntries->szDirName + nDir + 1;
    std::memcpy(pEntries->szExt, szExt, nExt + 1);
    std::memcpy(pEntries->szDirName, szDir, nDir + 1);
    pEntries->uExtLen = nExt;

    int rc = rcChkWin32Api(iPlatProbeDir(szDir) ? 0 : 1);
    if (rc != RC_OK) {
        iConPrintf(szMsgFindFirst, szDir);
        return rcTrail(rc, "rcDirEntries()", szModule, SITE_PROBE);
    }

    // The pattern: directory, a separator unless it ends in one, "*.", extension.
    char *szMask = static_cast<char *>(pvAlloc(nExt + 3));
    if (szMask == nullptr) return rcNoMem("rcDirEntries()", szModule, SITE_ALLOC);
    std::snprintf(szMask, nExt + 3, "*.%s", szExt);
    HeapPtr<char> pattern(szJoinPath(szDir, szMask));
    vFree(szMask);
    if (pattern == nullptr) return rcNoMem("rcDirEntries()", szModule, SITE_ALLOC);
    pEntries->pFind = pPlatFindFirst(pattern.get(), pEntries->szDirName, pEntries->szExt);
    if (pEntries->pFind != nullptr) return RC_OK;
    if (uPlatLastError() == uPlatErrFileNotFound) return RC_OK;  // nothing matches
    rc = rcChkWin32Api(1);
    if (rc == RC_OK) return RC_OK;  // the system called it the end of the data: nothing found
    iConPrintf(szMsgFindFirst, pattern.get());
    return rcTrail(rc, "rcDirEntries()", szModule, SITE_SEARCH);
}

int rcForEachDirEntries(rDirEntries *pEntries, PfnOnDirEntry pfnOnEntry, void *pvCtx) {
    assert(pEntries != nullptr && pfnOnEntry != nullptr);
    if (pEntries->pFind == nullptr) return RC_OK;
    for (;;) {
        int rc = pfnOnEntry(pvCtx, pEntries->szDirName, szPlatFindName(pEntries->pFind));
        if (rc != RC_OK) return rcTrail(rc, "rcForEachDirEntries()", szModule, SITE_CALLBACK);
        if (iPlatFindNext(pEntries->pFind)) continue;
        uint32_t uErr = uPlatLastError();
        if (uErr == uPlatErrNoMoreFiles) return RC_OK;
        int rcWin = rcReportWin32Error(uErr);
        return rcTrail(rcWin, "rcForEachDirEntries()", szModule, SITE_NEXT);
    }
}

void vFreeDirEntries(rDirEntries **ppEntries) {
    if (*ppEntries == nullptr) return;
    vPlatFindClose((*ppEntries)->pFind);
    vFree(*ppEntries);
    *ppEntries = nullptr;
}
