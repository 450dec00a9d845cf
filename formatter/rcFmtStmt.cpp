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
    SITE_OUT_NOMEM = 1480,  // the output buffer, here with the byte order mark, cannot be had
    SITE_DUMP_UNLINK = 2146,
};

const size_t DUMP_SIDE_LEN = 128;  // bytes shown on each side of the failure position
const char szBom[] = "\xEF\xBB\xBF";   // the UTF-8 byte order mark
const size_t BOM_LEN = 3;

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

// Puts the byte order mark that the text began with in front of its formatted text.
int rcPrependBom(FmtWork *pWork, char **szStmtFmt, int32_t *piFmtLen) {
    size_t nFmt = static_cast<size_t>(*piFmtLen);
    char *pNew = static_cast<char *>(pvAlloc(nFmt + BOM_LEN + 1));
    if (pNew == nullptr) {
        iConPrintf(szMsgNoMem, szErrorPrefix);
        pWork->iSite = SITE_OUT_NOMEM;
        return RC_NOMEM;
    }
    std::memcpy(pNew, szBom, BOM_LEN);
    std::memcpy(pNew + BOM_LEN, *szStmtFmt, nFmt + 1);
    vFree(*szStmtFmt);
    *szStmtFmt = pNew;
    *piFmtLen += BOM_LEN;
    return RC_OK;
}

// The statement as received goes to the dump file before anything changes; it is removed again
// only after success. An empty value names no file and counts as unset. *pbDump tells whether a
// dump was written to szDumpPath.
int rcDumpStmt(FmtWork *pWork, const char *pStmt, size_t nStmt, char *szDumpPath, size_t nPathCap, bool *pbDump) {
    const char *szOrgFnm = std::getenv("STMTORGFNM");
    *pbDump = szOrgFnm != nullptr && szOrgFnm[0] != '\0';
    if (!*pbDump) return RC_OK;
    int n = std::snprintf(szDumpPath, nPathCap, "%s%c%s", ".", cPlatPathSep, szOrgFnm);
    pWork->iSite = SITE_DUMP_WRITE;
    if (n < 0 || static_cast<size_t>(n) >= nPathCap) {
        // Too long for a path: refused like any over-long file name, nothing is written.
        iConPrintf(szMsgNameLen, n, MAX_PATH_LEN, szOrgFnm);
        return RC_NAMELEN;
    }
    return rcWriteStr(szDumpPath, pStmt, static_cast<uint32_t>(nStmt));
}
}  // namespace

int rcFmtStmt(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    return rcFmtStmtLen(szStmt, std::strlen(szStmt), szStmtFmt, rStmtStyle);
}

int rcFmtStmtLen(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    assert(pStmt != nullptr && szStmtFmt != nullptr && rStmtStyle != nullptr);
    if (console == nullptr) console = stdout;
    vSetUnitEncoding(rStmtStyle->iEncoding != ENC_AUTO ? rStmtStyle->iEncoding : eDetectEncoding(pStmt, nStmt));
    FmtWork rWork;

    char szDumpPath[MAX_PATH_LEN + 1];
    bool bDump = false;
    int rc = rcDumpStmt(&rWork, pStmt, nStmt, szDumpPath, sizeof szDumpPath, &bDump);
    if (rc != RC_OK) return rcFmtFail(&rWork, rc);

    // A byte order mark is no part of the statement: it stays in front, with nothing after it.
    bool bBom = nStmt >= BOM_LEN && std::memcmp(pStmt, szBom, BOM_LEN) == 0;
    if (bBom) {
        pStmt += BOM_LEN;
        nStmt -= BOM_LEN;
    }
    rc = rcNormStmt(&rWork, pStmt, nStmt, rStmtStyle);
    if (rc != RC_OK) return rcFmtFail(&rWork, rc);
    int32_t iFmtLen = 0;
    rc = rcLayoutStmt(&rWork, szStmtFmt, rStmtStyle, &iFmtLen);
    if (rc == RC_OK && bBom) rc = rcPrependBom(&rWork, szStmtFmt, &iFmtLen);
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
