// The statement formatter's entry: set-up, the dump of the unformatted statement, the
// normalisation and the layout passes, and the one exit that every failure leaves through.
#include "formatter/rcFmtStmt.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plat/platStdio.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtInternal.h"

namespace {
const char szModule[] = ".\\rcFmtStmt";

enum {
    SITE_DUMP_WRITE = 456,
    SITE_DUMP_UNLINK = 2146,
};

const size_t DUMP_SIDE_LEN = 128;  // bytes shown on each side of the failure position

// Shows the working text around the failure position: up to 128 bytes before it and up to
// 128 bytes from it on, each as a text up to its first NUL.
void vDumpSrc(const FmtWork *pWork) {
    char szBefore[DUMP_SIDE_LEN + 1] = {};
    char szAfter[DUMP_SIDE_LEN + 1] = {};
    size_t nOff = static_cast<size_t>(pWork->szSrc - pWork->ssSrc);
    size_t nBefore = nOff < DUMP_SIDE_LEN ? nOff : DUMP_SIDE_LEN;
    size_t nRest = static_cast<size_t>(pWork->szTail - pWork->szSrc);
    size_t nAfter = nRest < DUMP_SIDE_LEN ? nRest : DUMP_SIDE_LEN;
    std::memcpy(szBefore, pWork->szSrc - nBefore, nBefore);
    std::memcpy(szAfter, pWork->szSrc, nAfter);
    int b = static_cast<int>(std::strlen(szBefore));
    int a = static_cast<int>(std::strlen(szAfter));
    iConPrintf(szMsgDumpHead, b, a);
    iConPrintf(szMsgDumpBefore, b, szBefore);
    iConPrintf(szMsgDumpAfter, a, szAfter);
}

// The common exit of every failure: the trail line with the failure site, the dump of the
// working text when the failure position lies in it, and the release of the working copy.
// The output buffer, once stored in *szStmtFmt, stays with the caller.
int rcFmtFail(FmtWork *pWork, int rc) {
    rcTrail(rc, "rcFmtStmt()", szModule, pWork->iSite);
    if (pWork->ssSrc != nullptr && pWork->szSrc != nullptr && pWork->szTail != nullptr &&
        pWork->szSrc >= pWork->ssSrc && pWork->szSrc <= pWork->szTail)
        vDumpSrc(pWork);
    vFree(pWork->ssSrc);
    pWork->ssSrc = nullptr;
    return rc;
}
}  // namespace

int rcFmtStmt(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    assert(szStmt != nullptr && szStmtFmt != nullptr && rStmtStyle != nullptr);
    pfnIsLeadByte = iIsLeadByte;
    if (console == nullptr) console = stdout;
    FmtWork rWork;

    // The statement as received goes to the dump file before anything changes; it is removed
    // again only after success. An empty value names no file and counts as unset.
    char szDumpPath[MAX_PATH_LEN + 1];
    const char *szOrgFnm = std::getenv("STMTORGFNM");
    bool bDump = szOrgFnm != nullptr && szOrgFnm[0] != '\0';
    if (bDump) {
        int n = std::snprintf(szDumpPath, sizeof szDumpPath, "%s%c%s", ".", cPlatPathSep, szOrgFnm);
        if (n < 0 || static_cast<size_t>(n) >= sizeof szDumpPath) {
            // Too long for a path: refused like any over-long file name, nothing is written.
            iConPrintf(szMsgNameLen, n, MAX_PATH_LEN, szOrgFnm);
            rWork.iSite = SITE_DUMP_WRITE;
            return rcFmtFail(&rWork, RC_NAMELEN);
        }
        int rc = rcWriteStr(szDumpPath, szStmt, static_cast<uint32_t>(std::strlen(szStmt)));
        if (rc != RC_OK) {
            rWork.iSite = SITE_DUMP_WRITE;
            return rcFmtFail(&rWork, rc);
        }
    }

    int rc = rcNormStmt(&rWork, szStmt, rStmtStyle);
    if (rc != RC_OK) return rcFmtFail(&rWork, rc);
    int32_t iFmtLen = 0;
    rc = rcLayoutStmt(&rWork, szStmtFmt, rStmtStyle, &iFmtLen);
    if (rc != RC_OK) return rcFmtFail(&rWork, rc);

    vFree(rWork.ssSrc);
    rWork.ssSrc = nullptr;
    if (bDump) {
        rc = rcUnlink(szDumpPath);
        if (rc != RC_OK) {
            rWork.iSite = SITE_DUMP_UNLINK;
            return rcFmtFail(&rWork, rc);
        }
    }
    rStmtStyle->iFmtLen = iFmtLen;
    return RC_OK;
}
