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
    SITE_REWIND = 182,
    SITE_WRITE_TEXT = 436,
    SITE_ALLOC_STMT = 456,
    SITE_FMT_STMT = 469,
    SITE_WRITE_STMT = 476,
};
enum { TEXT_MAX = 0x7fffffff };  // lengths of texts are 32-bit

const char szTkprof[] = "TKPROF";
const char szCursor[] = "PARSING IN CURSOR";
const char szEndOfStmt[] = "END OF STMT";

int rcFail(int rc, int iLine) { return rcTrail(rc, "rcFmtOnFile()", szModule, iLine); }

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

bool bIsTkprofEnd(const char *p, const char *pEnd) {
    return bBeginsWith(p, pEnd, "\n\n", 2) || bBeginsWith(p, pEnd, "\ncall", 5) || bBeginsWith(p, pEnd, "\n***", 4);
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
}  // namespace

bool TextReader::bFill() {
    i = 0;
    n = rFileModeCalls.pfnRead(ab, 1, sizeof ab, fp);
    iRawBytes += static_cast<int64_t>(n);
    if (n == 0 && rFileModeCalls.pfnError(fp)) bError = true;
    return n > 0;
}

bool TextReader::bRewind() {
    if (rFileModeCalls.pfnSeek(fp, 0, SEEK_SET) != 0) return false;
    i = n = 0;
    iRawBytes = 0;
    return true;
}

bool TextReader::bReadAll(char **pp, size_t *pn, size_t *pcap) {
    bool bPendingCr = false;  // a CR ended the previous buffer: its LF may start the next
    for (;;) {
        if (i == n && !bFill()) break;
        // Room for this buffer's bytes, a pending CR and the NUL.
        size_t nNeed = *pn + (n - i) + 2;
        if (nNeed > *pcap) {
            if (nNeed - 1 > size_t(TEXT_MAX)) return false;
            size_t cap = *pcap * 2 < nNeed ? nNeed : *pcap * 2;  // geometric: linear time
            if (cap > size_t(TEXT_MAX) + 1) cap = size_t(TEXT_MAX) + 1;
            char *pNew = static_cast<char *>(pvRealloc(*pp, cap));
            if (pNew == nullptr) return false;
            *pp = pNew;
            *pcap = cap;
        }
        char *pDst = *pp + *pn;
        if (bPendingCr) {
            bPendingCr = false;
            if (ab[i] == '\n') {  // CR LF across the two buffers
                ++i;
                *pDst++ = '\n';
            } else {
                *pDst++ = '\r';
            }
        }
        while (i < n) {
            char c = static_cast<char>(ab[i++]);
            if (c == '\r') {
                if (i == n) {
                    bPendingCr = true;
                    break;
                }
                if (ab[i] == '\n') {
                    ++i;
                    c = '\n';
                }
            }
            *pDst++ = c;
        }
        *pn = static_cast<size_t>(pDst - *pp);
    }
    if (*pp == nullptr || *pn + 2 > *pcap) {  // an empty text still gets its NUL
        char *pNew = static_cast<char *>(pvRealloc(*pp, *pn + 2));
        if (pNew == nullptr) return false;
        *pp = pNew;
        *pcap = *pn + 2;
    }
    if (bPendingCr) (*pp)[(*pn)++] = '\r';
    (*pp)[*pn] = '\0';
    return true;
}

bool TextWriter::bPut(const char *p, size_t nLen) {
    for (const char *pEnd = p + nLen; p < pEnd; ++p) {
        if (n + 2 > sizeof ab && !bFlush()) return false;
        if (*p == '\n') ab[n++] = '\r';
        ab[n++] = *p;
    }
    return true;
}

bool TextWriter::bFlush() {
    if (n == 0) return true;
    size_t nDone = rFileModeCalls.pfnWrite(ab, 1, n, fp);
    iRawBytes += static_cast<int64_t>(nDone);
    bool bOk = nDone == n;
    n = 0;
    return bOk;
}

int rcIdentifyDocType(TextReader *pIn, char *szLineBuf, int32_t *iDocType) {
    assert(pIn != nullptr && szLineBuf != nullptr && iDocType != nullptr);
    *iDocType = DOC_SCRIPT;
    // The first block: a TKPROF report begins with an empty line and "TKPROF".
    size_t nBlock = 0;
    int c;
    while (nBlock < LINE_BUF_SIZE && (c = pIn->iGet()) != EOF) szLineBuf[nBlock++] = static_cast<char>(c);
    if (pIn->bError) return RC_OK;
    if (nBlock >= 7 && std::memcmp(szLineBuf + 1, szTkprof, 6) == 0) {
        *iDocType = DOC_TKPROF;
        return RC_OK;
    }
    if (!pIn->bRewind()) {
        iConPrintf(szMsgSysErr, std::strerror(errno));
        return rcTrail(RC_SEEK, "rcIdentifyDocType()", szModule, SITE_REWIND);
    }
    // Line reads as a text stream hands them over: at most 32767 bytes, ending after a LF.
    std::memset(szLineBuf, 0, LINE_BUF_SIZE);
    for (;;) {
        size_t nLine = 0;
        while (nLine < LINE_BUF_SIZE - 1 && (c = pIn->iGet()) != EOF) {
            szLineBuf[nLine++] = static_cast<char>(c);
            if (c == '\n') break;
        }
        if (nLine == 0) return RC_OK;  // the end of the file, or a read error for the caller
        if (bBeginsWith(szLineBuf, szLineBuf + nLine, szCursor, sizeof szCursor - 1)) {
            *iDocType = DOC_TRACE;
            return RC_OK;
        }
    }
}

bool bKeepUnformatted(const char *p, size_t n) {
    bool bWhite = true;
    for (const char *pEnd = p + n; p < pEnd; ++p) {
        char c = *p;
        if (c == '\0') return true;  // the formatter would see only the part before it
        if (c != ' ' && c != '\n' && c != '\t' && c != '\r') bWhite = false;
    }
    return bWhite;
}

int rcFmtOneStmt(const char *p, size_t n, TextWriter *pOut, const char *szPath, StmtStyle *rStmtStyle,
                 int32_t *iNumStmts, PfnFmtStmt pfnFmtStmt, int iSiteAlloc, int iSiteFmt, int iSiteWrite) {
    const char *pOutText = p;
    size_t nOut = n;
    HeapPtr<char> copy;
    char *szStmtFmt = nullptr;  // ours once the formatter stores it, even if it fails afterwards
    ScopeExit freeFmt([&] { vFree(szStmtFmt); });
    // An empty or blank statement would make the formatter fail, and one holding a NUL would
    // lose the bytes after it: both are written as they are, and counted.
    if (!bKeepUnformatted(p, n)) {
        const char *szStmt = p;
        if (p[n] != '\0') {  // the statement is followed by more text: it gets its own copy
            copy.reset(static_cast<char *>(pvAlloc(n + 1)));
            if (copy == nullptr) return rcNoMem("rcFmtOnFile()", szModule, iSiteAlloc);
            std::memcpy(copy.get(), p, n);
            szStmt = copy.get();
        }
        int rc = pfnFmtStmt(szStmt, &szStmtFmt, rStmtStyle);
        if (rc != RC_OK) return rcFail(rc, iSiteFmt);
        assert(rStmtStyle->iFmtLen >= 0);
        pOutText = szStmtFmt;
        nOut = static_cast<size_t>(rStmtStyle->iFmtLen);
    }
    ++*iNumStmts;
    errno = 0;
    if (!pOut->bPut(pOutText, nOut)) {
        iConPrintf(szMsgWrite, szErrorPrefix, szPath, std::strerror(errno), "");
        return rcFail(RC_WRITE, iSiteWrite);
    }
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
        errno = 0;
        if (!pOut->bPut(c, static_cast<size_t>(s - c))) {
            iConPrintf(szMsgWrite, szErrorPrefix, szPath, std::strerror(errno), "");
            return rcFail(RC_WRITE, SITE_WRITE_TEXT);
        }
        if (pTop == pEnd) return RC_OK;
        // A statement whose end marker never comes runs to the end of the text. One ended by
        // an empty line keeps its own last LF.
        const char *q = pFindEnd(s, pEnd, iDocType);
        size_t n = static_cast<size_t>(q - s);
        if (q + 1 < pEnd && q[1] == '\n') ++n;
        int rc = rcFmtOneStmt(s, n, pOut, szPath, rStmtStyle, iNumStmts, pfnFmtStmt, SITE_ALLOC_STMT, SITE_FMT_STMT,
                              SITE_WRITE_STMT);
        if (rc != RC_OK) return rc;
        c = s + n;
    }
}
