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

// The end of the chunk that begins at p: the next line feed outside comments and literals, or
// pEnd. A line comment's own line feed belongs to the chunk, and line feeds inside a block
// comment or a literal do not end it: a literal's bytes are data. Reports a comment that cannot
// be stepped over.
int rcChunkEnd(const char *pStart, const char *p, const char *pEnd, const char **ppStop, int *piLastUnit) {
    *piLastUnit = 0;
    while (p < pEnd && *p != '\n') {
        if (bLiteralAt(p, pStart, pEnd)) {
            p = pLiteralEnd(p, pEnd);
            *piLastUnit = 0;
        } else if (bCmtAt(p)) {
            uint32_t uLen = 0;
            int rc = rcSkipCmt(p, pEnd, &uLen);
            if (rc != RC_OK) return rcTrail(rc, "rcJoinStmtChunk()", szModule, SITE_JOIN_SKIPCMT);
            p += uLen;
            *piLastUnit = 0;
        } else {
            *piLastUnit = iUnitLen(p, pEnd);
            p += *piLastUnit;
        }
    }
    *ppStop = p;
    return RC_OK;
}

// Whether a chunk of nChunk bytes that ends at the line feed pLf with a unit of iLastUnit bytes
// is glued to the next line: it is shorter than iJoinAt, ends in a multibyte character, and one
// empty line follows before a line that is not empty.
bool bGlued(const char *pLf, const char *pEnd, size_t nChunk, int iLastUnit, uint32_t iJoinAt) {
    return nChunk < iJoinAt && iLastUnit >= 2 && pEnd - pLf > 2 && pLf[1] == '\n' && pLf[2] != '\n';
}

// SELECT or AND with a blank after it, or before an operator (the layout writes the blank there):
// its length with the blank, else 0.
size_t nMetricWordAt(const char *p) {
    const char *szWord = iFold(*p) == 'S' ? "SELECT" : iFold(*p) == 'A' ? "AND" : nullptr;
    size_t n = szWord != nullptr ? nKwLen(p, szWord) : 0;
    if (n == 0) return 0;
    if (p[n] == ' ') return n + 1;
    return nOperatorAt(p + n) != 0 ? n : 0;
}

// Shows the head of a part that has no closing parenthesis and reports the overrun.
int rcNoCloseParen(const char *szParen, const char *pEnd) {
    char szHead[METRIX_HEAD_LEN + 1] = {};
    size_t nHead = static_cast<size_t>(pEnd - szParen) < METRIX_HEAD_LEN ? static_cast<size_t>(pEnd - szParen)
                                                                          : METRIX_HEAD_LEN;
    std::memcpy(szHead, szParen, nHead);
    iConPrintf("%s", szMsgOverrun);
    iConPrintf(szMsgBufHead, szHead);
    return rcTrail(RC_OVERRUN, "rcGetMetrix()", szModule, SITE_METRIX_OVERRUN);
}
}  // namespace

// Joins the lines of the text into one: every line feed outside comments is dropped, except
// that a chunk ending in a double-byte character and followed by one empty line is glued to
// the next line with "__". On success *pszText is a new buffer and the old one is freed; on
// failure the text is unchanged and the code of the failure is returned after its report.
int rcJoinStmtChunk(char **pszText, size_t *pnText, uint32_t iJoinAt) {
    const char *szText = *pszText;
    const char *pEnd = szText + *pnText;
    // The output never grows: the glue replaces the two line feeds it stands for.
    HeapPtr<char> out(static_cast<char *>(pvAlloc(static_cast<size_t>(pEnd - szText) + 1)));
    if (out == nullptr) return rcNoMem("rcJoinStmtChunk()", szModule, SITE_JOIN_NOMEM);
    char *d = out.get();
    for (const char *p = szText;;) {
        const char *pChunk = p;
        int iLastUnit = 0;
        int rc = rcChunkEnd(szText, pChunk, pEnd, &p, &iLastUnit);
        if (rc != RC_OK) return rc;
        size_t nChunk = static_cast<size_t>(p - pChunk);
        std::memcpy(d, pChunk, nChunk);
        d += nChunk;
        if (p >= pEnd) break;
        if (nChunk != 0 && bGlued(p, pEnd, nChunk, iLastUnit, iJoinAt)) {
            // The next chunk begins with the first byte of the following line, so that no
            // byte of the statement is lost.
            *d++ = '_';
            *d++ = '_';
            p += 2;
        } else {
            ++p;  // the line feed goes, and with it every empty line
        }
    }
    *d = '\0';
    *pnText = static_cast<size_t>(d - out.get());
    vFree(*pszText);
    *pszText = out.release();
    return RC_OK;
}

// Measures the part that begins at the opening parenthesis szParen: the depth of its deepest
// recent nesting plus its SELECT and AND keywords, one more when it holds iNumComma commas or
// more or is longer than iPartSize bytes. Sets *piMetrix only on success.
int rcGetMetrix(const char *szParen, const char *pEnd, int32_t *piMetrix, int32_t iNumComma, int32_t iPartSize) {
    assert(szParen[0] == '(');
    int32_t iDepth = 0, iCommas = 0, iMetrix = 0;
    // The part is measured as it will be written: with the blanks that the layout puts around
    // operators, before a null test and after a comma, so that a second run judges it alike.
    int64_t nBlanks = 0;
    char cOut = '(';  // the byte the layout will have written last
    auto blankBefore = [&] {
        if (cOut != ' ' && cOut != '\t' && cOut != '\n' && cOut != ')') ++nBlanks;
    };
    const char *p = szParen;
    while (p < pEnd) {
        char c = *p;
        const char *q = p + 1;
        size_t n = 0;
        bool bBlankAfter = false;
        if (bLiteralAt(p, szParen, pEnd)) {  // szParen: "(" begins no word
            q = pLiteralEnd(p, pEnd);
        } else if (bCmtAt(p)) {
            uint32_t uLen = 0;
            int rc = rcSkipCmt(p, pEnd, &uLen);
            if (rc != RC_OK) return rcTrail(rc, "rcGetMetrix()", szModule, SITE_METRIX_SKIPCMT);
            q = p + uLen;
        } else if (c == '(') {
            iMetrix = iDepth++;
        } else if (c == ')') {
            if (--iDepth == 0) break;
        } else if (c == ',') {
            ++iCommas;
            bBlankAfter = true;
        } else if ((n = nMetricWordAt(p)) != 0) {
            ++iMetrix;
            q = p + n;
        } else if ((n = nOperatorAt(p)) != 0 || (c == '/' && p[-1] != ';' && p[-1] != '\n' && (n = 1))) {
            blankBefore();
            q = p + n;
            bBlankAfter = true;
        } else if (iFold(c) == 'I' && !bIsWordByte(p[-1]) && (nKwLen(p, "IS NULL") || nKwLen(p, "IS NOT NULL"))) {
            blankBefore();
        } else {
            q = p + iUnitLen(p, pEnd);
        }
        cOut = q[-1];
        if (bBlankAfter && q < pEnd && *q != ' ') {
            ++nBlanks;  // the blank after a comma or an operator
            cOut = ' ';
        }
        p = q;
    }
    if (p >= pEnd) return rcNoCloseParen(szParen, pEnd);
    int64_t nSize = (p - szParen) + nBlanks;
    *piMetrix = (iCommas < iNumComma && nSize <= iPartSize) ? iMetrix : iMetrix + 1;
    return RC_OK;
}
