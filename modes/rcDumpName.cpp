// The dump file of the formatter held against the files of a run.
#include "modes/rcDumpName.h"

#include <cstdlib>
#include <cstring>

#include "modes/rcConfig.h"
#include "plat/platDir.h"
#include "plat/platFile.h"
#include "plat/platStdio.h"
#include "runtime/msgCatalog.h"

namespace {
const char szModule[] = "..\\share\\rcDumpName";
enum {
    SITE_NAME = 61,      // the dump file's place cannot be held
    SITE_SETTINGS = 72,  // the dump file is named like a settings file
    SITE_STREAM = 80,    // the dump file is a standard stream of the run
};

// The name after the last separator.
const char *szBaseName(const char *szPath) {
    const char *szBase = szPath;
    for (const char *p = szPath; *p != '\0'; ++p)
        if (*p == '/' || *p == cPlatPathSep) szBase = p + 1;
    return szBase;
}

// Where a dump file that is not there will be made: its directory resolved, a separator and its
// name, in *pszWhere (a new block); null when the directory is not there either, so that no
// file of the run can be the dump file.
int rcPlaceOf(const char *szName, char **pszWhere) {
    const char *szBase = szBaseName(szName);
    const size_t nDir = static_cast<size_t>(szBase - szName);
    HeapPtr<char> dir(static_cast<char *>(pvAlloc(nDir + 2)));
    HeapPtr<char> where(static_cast<char *>(pvAlloc(nPlatPathCap + std::strlen(szBase) + 2)));
    if (dir == nullptr || where == nullptr) return RC_NOMEM;
    if (nDir == 0)
        std::strcpy(dir.get(), ".");
    else
        std::memcpy(dir.get(), szName, nDir);  // the separator stays: "/" alone is the root
    if (iPlatResolvePath(dir.get(), where.get()) != 0) return RC_OK;
    size_t n = std::strlen(where.get());
    if (n == 0 || (where.get()[n - 1] != '/' && where.get()[n - 1] != cPlatPathSep)) where.get()[n++] = cPlatPathSep;
    std::strcpy(where.get() + n, szBase);
    *pszWhere = where.release();
    return RC_OK;
}
}  // namespace

int rcDumpNameOf(DumpName *pDump, const char *szFunc, const char *szCallerModule, int iSite) {
    const char *szName = std::getenv("STMTORGFNM");
    if (szName == nullptr || szName[0] == '\0') return RC_OK;
    pDump->szName = szName;
    if (iPlatFileId(szName, &pDump->uDevId, &pDump->uFileId) == 0) {
        pDump->bExists = true;
        return RC_OK;
    }
    if (rcPlaceOf(szName, &pDump->szWhere) != RC_OK) return rcNoMem(szFunc, szCallerModule, iSite);
    return RC_OK;
}

int rcIsDumpFile(const DumpName &rDump, const char *szPath, bool *pbSame) {
    *pbSame = false;
    if (rDump.szName == nullptr) return RC_OK;
    if (rDump.bExists) {
        uint64_t uDevId = 0, uFileId = 0;
        *pbSame = iPlatFileId(szPath, &uDevId, &uFileId) == 0 && uDevId == rDump.uDevId && uFileId == rDump.uFileId;
        return RC_OK;
    }
    // The dump file is not there: a path of the run meets it only where it would be made.
    if (rDump.szWhere == nullptr) return RC_OK;
    char *szWhere = nullptr;
    if (rcPlaceOf(szPath, &szWhere) != RC_OK) return RC_NOMEM;
    HeapPtr<char> where(szWhere);
    *pbSame = szWhere != nullptr && bPlatSamePathText(szWhere, rDump.szWhere);
    return RC_OK;
}

int rcRefuseDump(const DumpName &rDump, const char *szWhat, const char *szFunc, const char *szCallerModule, int iSite) {
    iConPrintf(szMsgDumpClash, szErrorPrefix, rDump.szName, szWhat);
    return rcTrail(RC_USAGE, szFunc, szCallerModule, iSite);
}

int rcCheckDumpName(bool bReadsStdin) {
    DumpName dump;
    int rc = rcDumpNameOf(&dump, "rcCheckDumpName()", szModule, SITE_NAME);
    if (rc != RC_OK || dump.szName == nullptr) return rc;
    if (bPlatSamePathText(szBaseName(dump.szName), szConfigName)) {
        iConPrintf(szMsgDumpConfig, szErrorPrefix, dump.szName);
        return rcTrail(RC_USAGE, "rcCheckDumpName()", szModule, SITE_SETTINGS);
    }
    // A standard stream that is a file is there: only a dump file that is there can be it.
    static const char *const aszStreams[] = {"stdin", "stdout", "stderr"};
    for (int i = bReadsStdin ? 0 : 1; i < 3 && dump.bExists; ++i) {
        uint64_t uDevId = 0, uFileId = 0;
        if (iPlatStreamId(i, &uDevId, &uFileId) == 0 && uDevId == dump.uDevId && uFileId == dump.uFileId)
            return rcRefuseDump(dump, aszStreams[i], "rcCheckDumpName()", szModule, SITE_STREAM);
    }
    return RC_OK;
}
