#include "modes/rcExtractStmt.h"

#include <cassert>
#include <cerrno>
#include <cstring>

#include "formatter/rcFmtLex.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

namespace {
const char szModule[] = "..\\share\\rcFmtOnFile";
enum {
    SITE_WRITE_TEXT = 436,
    SITE_FMT_STMT = 469,
    SITE_WRITE_STMT = 476,
};
const size_t LINE_READ_MAX = 32767;  // the bytes of one line read of a text stream
enum { TEXT_MAX = 0x7fffffff };  // lengths of texts are 32-bit

const char szTkprof[] = "TKPROF";
const char szCursor[] = "PARSING IN CURSOR";
const char szEndOfStmt[] = "END OF STMT";

int rcFail(int rc, int iLine) { return rcTrail(rc, "rcFmtOnFile()", szModule, iLine); }

// The formatted text could not be put into its stored form: no memory, or a UTF-16 file whose
// text UTF-16 cannot hold.
int rcPutFailed(const char *szPath, int iErr, int iLine) {
    if (iErr == ENOMEM) return rcNoMem("rcFmtOnFile()", szModule, iLine);
    iConPrintf(szMsgBadText, szErrorPrefix, "UTF-16", szPath);
    return rcFail(RC_BADTEXT, iLine);
}

bool bBeginsWith(const char *p, const char *pEnd, const char *szWord, size_t nWord) {
    return static_cast<size_t>(pEnd - p) >= nWord && std::memcmp(p, szWord, nWord) == 0;
}

const char *const aszTkprofTop[] = {"SELECT", "INSERT", "UPDATE", "DELETE", "BEGIN", "DECLARE",
                                    "CREATE", "ALTER",  "DROP",   "(",      "/*"};

// iIsTkprofTop: a LF followed by a statement keyword, no word boundary needed. *pm is the
// marker's length: the LF.
bool bIsTkprofTop(const char *p, const char *pEnd, size_t *pm) {
    if (*p != '\n') return false;
    for (const char *szWord : aszTkprofTop) {
        if (nKwLen(p + 1, szWord) != 0) {  // the text ends in a NUL, which no keyword byte equals
            *pm = 1;
            return true;
        }
    }
    return false;
}

// The end of a report's statement: its call table or the separator line. The empty lines before
// it are not the statement's; empty lines inside a PL/SQL statement are.
bool bIsTkprofEnd(const char *p, const char *pEnd) {
    return bBeginsWith(p, pEnd, "\ncall", 5) || bBeginsWith(p, pEnd, "\n***", 4);
}

// iIsTraceTop: a LF followed by a cursor line; the marker runs to the cursor line's own LF. A
// cursor line without a LF after it starts no statement.
bool bIsTraceTop(const char *p, const char *pEnd, size_t *pm) {
    if (*p != '\n' || !bBeginsWith(p + 1, pEnd, szCursor, sizeof szCursor - 1)) return false;
    const char *pLf = static_cast<const char *>(std::memchr(p + 1, '\n', static_cast<size_t>(pEnd - p - 1)));
    if (pLf == nullptr) return false;
    *pm = static_cast<size_t>(pLf - p) + 1;
    return true;
}

bool bIsTraceEnd(const char *p, const char *pEnd) { return bBeginsWith(p, pEnd, szEndOfStmt, sizeof szEndOfStmt - 1); }

// The first statement start at or after p, with its marker length; pEnd when there is none.
// Every start begins with a LF, so only line feeds are tested.
const char *pFindTop(const char *p, const char *pEnd, int32_t iDocType, size_t *pm) {
    while (p < pEnd) {
        const char *pLf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(pEnd - p)));
        if (pLf == nullptr) return pEnd;
        if (iDocType == DOC_TKPROF ? bIsTkprofTop(pLf, pEnd, pm) : bIsTraceTop(pLf, pEnd, pm)) return pLf;
        p = pLf + 1;
    }
    return pEnd;
}

// The first end marker at or after p; pEnd when none comes.
const char *pFindEnd(const char *p, const char *pEnd, int32_t iDocType) {
    // Both kinds of marker begin with one known byte, so only those bytes are tested.
    const char cLead = iDocType == DOC_TKPROF ? '\n' : 'E';
    while (p < pEnd) {
        const char *pLead = static_cast<const char *>(std::memchr(p, cLead, static_cast<size_t>(pEnd - p)));
        if (pLead == nullptr) return pEnd;
        if (iDocType == DOC_TKPROF ? bIsTkprofEnd(pLead, pEnd) : bIsTraceEnd(pLead, pEnd)) return pLead;
        p = pLead + 1;
    }
    return pEnd;
}
// A report without call table after the statement: the statement ends at its first empty line.
const char *pFindEmptyLine(const char *p, const char *pEnd) {
    for (; p + 1 < pEnd; ++p)
        if (p[0] == '\n' && p[1] == '\n') return p + 1;
    return pEnd;
}
}  // namespace

int32_t iIdentifyDocType(const char *T, size_t L) {
    if (L >= 7 && std::memcmp(T + 1, szTkprof, 6) == 0) return DOC_TKPROF;
    const char *pEnd = T + L;
    // The line reads of a text stream: each ends after a LF or after 32767 bytes.
    for (const char *p = T; p < pEnd;) {
        if (bBeginsWith(p, pEnd, szCursor, sizeof szCursor - 1)) return DOC_TRACE;
        size_t nMax = static_cast<size_t>(pEnd - p) < LINE_READ_MAX ? static_cast<size_t>(pEnd - p) : LINE_READ_MAX;
        const char *pLf = static_cast<const char *>(std::memchr(p, '\n', nMax));
        p = pLf != nullptr ? pLf + 1 : p + nMax;
    }
    return DOC_SCRIPT;
}

bool bKeepUnformatted(const char *p, size_t n) {
    for (const char *pEnd = p + n; p < pEnd; ++p)
        if (*p != ' ' && *p != '\n' && *p != '\t' && *p != '\r') return false;
    return true;
}

int rcFmtOneStmt(const char *p, size_t n, TextWriter *pOut, const char *szPath, StmtStyle *rStmtStyle,
                 int32_t *iNumStmts, PfnFmtStmt pfnFmtStmt, int iSiteFmt, int iSiteWrite) {
    const char *pOutText = p;
    size_t nOut = n;
    char *szStmtFmt = nullptr;  // ours once the formatter stores it, even if it fails afterwards
    ScopeExit freeFmt([&] { vFree(szStmtFmt); });
    // An empty or blank statement would make the formatter fail: it is written as it is.
    if (!bKeepUnformatted(p, n)) {
        int rc = pfnFmtStmt(p, n, &szStmtFmt, rStmtStyle);
        if (rc != RC_OK) return rcFail(rc, iSiteFmt);
        assert(rStmtStyle->iFmtLen >= 0);
        pOutText = szStmtFmt;
        nOut = static_cast<size_t>(rStmtStyle->iFmtLen);
    }
    ++*iNumStmts;
    if (!pOut->bPut(pOutText, nOut)) return rcPutFailed(szPath, pOut->iErr, iSiteWrite);
    return RC_OK;
}

int rcExtractStmts(const char *T, size_t L, int32_t iDocType, TextWriter *pOut, const char *szPath,
                   StmtStyle *rStmtStyle, int32_t *iNumStmts, PfnFmtStmt pfnFmtStmt) {
    assert(iDocType == DOC_TKPROF || iDocType == DOC_TRACE);
    assert(T[L] == '\0');
    const char *pEnd = T + L;
    const char *c = T;
    for (;;) {
        size_t m = 0;
        const char *pTop = pFindTop(c, pEnd, iDocType, &m);
        const char *s = pTop == pEnd ? pEnd : pTop + m;  // the text up to here stays as it is
        if (!pOut->bPut(c, static_cast<size_t>(s - c))) return rcPutFailed(szPath, pOut->iErr, SITE_WRITE_TEXT);
        if (pTop == pEnd) return RC_OK;
        // A statement whose end marker never comes runs to the end of the text. One ended by
        // an empty line keeps its own last LF.
        const char *q = pFindEnd(s, pEnd, iDocType);
        if (iDocType == DOC_TKPROF && q == pEnd) q = pFindEmptyLine(s, pEnd);
        // The empty lines before the end marker stay with the text after the statement, which
        // keeps its own last LF.
        const char *qFirst = q;
        while (iDocType == DOC_TKPROF && qFirst > s && qFirst[-1] == '\n') --qFirst;
        size_t n = static_cast<size_t>(qFirst - s) + (qFirst < q ? 1 : 0);
        int rc = rcFmtOneStmt(s, n, pOut, szPath, rStmtStyle, iNumStmts, pfnFmtStmt, SITE_FMT_STMT, SITE_WRITE_STMT);
        if (rc != RC_OK) return rc;
        c = s + n;
    }
}
