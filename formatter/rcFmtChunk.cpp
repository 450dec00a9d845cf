// Chunk joining, which turns a statement that arrived cut into lines back into one text, and
// the metric that tells the layout passes whether a parenthesised part is broken.
#include <cassert>
#include <cstring>

#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtInternal.h"

namespace {
const char szModule[] = ".\\rcFmtStmt";

enum {
    SITE_JOIN_NOMEM = 315,
    SITE_JOIN_SKIPCMT = 331,
    SITE_METRIX_SKIPCMT = 176,
    SITE_METRIX_OVERRUN = 211,
};

const size_t METRIX_HEAD_LEN = 255;  // bytes of the part shown when it has no closing parenthesis

inline bool bCmtAt(const char *p) { return (p[0] == '-' && p[1] == '-') || (p[0] == '/' && p[1] == '*'); }

// The end position rcSkipCmt needs for the comment at p: just past its own end mark, or the
// text's NUL when the mark never comes. Looking no further keeps the metric linear in the length
// of its part; the result of rcSkipCmt is the one it gives with the text's end.
const char *pCmtEnd(const char *p) {
    const char *q = p + 2;
    if (p[0] == '-') {
        while (*q != '\0' && *q != '\n') q += iUnitAt(q);
        return *q == '\n' ? q + 1 : q;
    }
    while (*q != '\0' && !(q[0] == '*' && q[1] == '/')) q += iUnitAt(q);
    return *q == '\0' ? q : q + 2;
}
}  // namespace

// Joins the lines of the text into one: every line feed outside comments is dropped, except
// that a chunk ending in a double-byte character and followed by one empty line is glued to
// the next line with "__". On success *pszText is a new buffer and the old one is freed; on
// failure the text is unchanged and the code of the failure is returned after its report.
int rcJoinStmtChunk(char **pszText, uint32_t iJoinAt) {
    const char *szText = *pszText;
    size_t nText = std::strlen(szText);
    const char *pEnd = szText + nText;
    // The output never grows: the glue replaces the two line feeds it stands for.
    HeapPtr<char> out(static_cast<char *>(pvAlloc(nText + 1)));
    if (out == nullptr) return rcNoMem("rcJoinStmtChunk()", szModule, SITE_JOIN_NOMEM);
    char *d = out.get();
    const char *p = szText;
    for (;;) {
        const char *pChunk = p;
        while (p < pEnd && *p != '\n') {
            if (bCmtAt(p)) {
                // A line comment's own line feed belongs to the chunk, and line feeds inside a
                // block comment do not end it.
                uint32_t uLen = 0;
                int rc = rcSkipCmt(p, pEnd, &uLen);
                if (rc != RC_OK) return rcTrail(rc, "rcJoinStmtChunk()", szModule, SITE_JOIN_SKIPCMT);
                p += uLen;
            } else {
                p += iUnitAt(p);
            }
        }
        size_t nChunk = static_cast<size_t>(p - pChunk);
        if (nChunk == 0) {
            if (p >= pEnd) break;
            ++p;  // an empty line disappears
            continue;
        }
        std::memcpy(d, pChunk, nChunk);
        d += nChunk;
        if (p >= pEnd) break;
        // p is at the chunk's line feed, so p[1] lies in the text, and p[2] does when p[1]
        // is a second line feed.
        if (nChunk < iJoinAt && p - szText >= 2 && pfnIsLeadByte(static_cast<unsigned char>(p[-2])) &&
            p[1] == '\n' && p[2] != '\n' && p[2] != '\0') {
            // Glue: the next chunk begins with the first byte of the following line, so that
            // no byte of the statement is lost.
            *d++ = '_';
            *d++ = '_';
            p += 2;
        } else {
            ++p;
        }
    }
    *d = '\0';
    vFree(*pszText);
    *pszText = out.release();
    return RC_OK;
}

// Measures the part that begins at the opening parenthesis szParen: the depth of its deepest
// recent nesting plus its SELECT and AND keywords, one more when it holds iNumComma commas or
// more or is longer than iPartSize bytes. Sets *piMetrix only on success.
int rcGetMetrix(const char *szParen, int32_t *piMetrix, int32_t iNumComma, int32_t iPartSize) {
    assert(szParen[0] == '(');
    int32_t iDepth = 0, iCommas = 0, iMetrix = 0;
    const char *p = szParen;
    while (*p != '\0') {  // the end of the text is not measured first: the scan stops at its NUL
        char c = *p;
        if (iUnitAt(p) == 2) {
            p += 2;
        } else if (c == '\'' || c == '"') {
            p += iQuotedLen(p);
        } else if (bCmtAt(p)) {
            uint32_t uLen = 0;
            int rc = rcSkipCmt(p, pCmtEnd(p), &uLen);
            if (rc != RC_OK) return rcTrail(rc, "rcGetMetrix()", szModule, SITE_METRIX_SKIPCMT);
            p += uLen;
        } else if (c == '(') {
            iMetrix = iDepth++;
            ++p;
        } else if (c == ')') {
            if (--iDepth == 0) break;
            ++p;
        } else if (c == ',') {
            ++iCommas;
            ++p;
        } else if (iIsKeyword(p, "SELECT ", nullptr)) {
            ++iMetrix;
            p += 7;
        } else if (iIsKeyword(p, "AND ", nullptr)) {
            ++iMetrix;
            p += 4;
        } else {
            ++p;
        }
    }
    if (*p == '\0') {
        // No closing parenthesis: show the head of the part.
        char szHead[METRIX_HEAD_LEN + 1] = {};
        size_t nHead = 0;
        while (nHead < METRIX_HEAD_LEN && szParen[nHead] != '\0') ++nHead;
        std::memcpy(szHead, szParen, nHead);
        iConPrintf("%s", szMsgOverrun);
        iConPrintf(szMsgBufHead, szHead);
        return rcTrail(RC_OVERRUN, "rcGetMetrix()", szModule, SITE_METRIX_OVERRUN);
    }
    int64_t nSize = p - szParen;
    *piMetrix = (iCommas < iNumComma && nSize <= iPartSize) ? iMetrix : iMetrix + 1;
    return RC_OK;
}
