// Chunk joining, which turns a statement that arrived cut into lines back into one text, and
// the metric that tells the layout passes whether a parenthesised part is broken.
#include <algorithm>
#include <cassert>
#include <cstring>

#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtInternal.h"
#include "formatter/rcFmtWords.h"

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
int rcChunkEnd(const char *pStart, const char *p, const char *pEnd, TextEnc rEnc, const char **ppStop,
               int *piLastUnit) {
    *piLastUnit = 0;
    while (p < pEnd && *p != '\n') {
        if (bLiteralAt(p, pStart, pEnd)) {
            p = pLiteralEnd(p, pEnd, rEnc);
            *piLastUnit = 0;
        } else if (bCmtAt(p)) {
            uint32_t uLen = 0;
            int rc = rcSkipCmt(p, pEnd, &uLen);
            if (rc != RC_OK) return rcTrail(rc, "rcJoinStmtChunk()", szModule, SITE_JOIN_SKIPCMT);
            p += uLen;
            *piLastUnit = 0;
        } else {
            *piLastUnit = iUnitLen(p, pEnd, rEnc);
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

// SELECT or AND with a blank after it, or before an operator or a "/" (the layout writes the
// blank there) or a line feed, as the layout reads AND: its length with the blank, else 0.
size_t nMetricWordAt(const char *p) {
    const char *szKw = iFold(*p) == szWord(WORD_SELECT)[0] ? szWord(WORD_SELECT)
                       : iFold(*p) == szWord(WORD_AND)[0]  ? szWord(WORD_AND)
                                                            : nullptr;
    size_t n = szKw != nullptr ? nKwLen(p, szKw) : 0;
    if (n == 0) return 0;
    if (p[n] == ' ') return n + 1;
    return nOperatorAt(p + n) != 0 || p[n] == '/' || p[n] == '\n' ? n : 0;
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
int rcJoinStmtChunk(char **pszText, size_t *pnText, uint32_t iJoinAt, TextEnc rEnc) {
    const char *szText = *pszText;
    const char *pEnd = szText + *pnText;
    // The output never grows: the glue replaces the two line feeds it stands for.
    HeapPtr<char> out(static_cast<char *>(pvAlloc(static_cast<size_t>(pEnd - szText) + 1)));
    if (out == nullptr) return rcNoMem("rcJoinStmtChunk()", szModule, SITE_JOIN_NOMEM);
    char *d = out.get();
    for (const char *p = szText;;) {
        const char *pChunk = p;
        int iLastUnit = 0;
        int rc = rcChunkEnd(szText, pChunk, pEnd, rEnc, &p, &iLastUnit);
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

namespace {
// One step of the metric's walk over the text: what the unit at p is, and where the next
// begins. The walk of one part and the walk of a whole text take the same steps, so that both
// see the same parentheses, commas, keywords and blanks. A comma and an operator get a blank after
// them.
enum StepKind { STEP_OTHER, STEP_OPEN, STEP_CLOSE, STEP_COMMA, STEP_OPERATOR, STEP_KEYWORD, STEP_BAD_CMT };
struct MetricStep {
    StepKind eKind;
    const char *q;      // where the next step begins
    int32_t nBlanks;    // blanks the layout writes before and after the unit
};

// The blank the layout writes before an operator or a null test, after the byte cOut it wrote
// last.
inline int32_t nBlankBefore(char cOut) { return bBlankBeforeOperator(cOut) ? 1 : 0; }

// An operator of n bytes at p, with a blank on each side.
inline MetricStep rOperatorStep(const char *p, size_t n, char cOut) {
    return MetricStep{STEP_OPERATOR, p + n, nBlankBefore(cOut)};
}

// The step at a "-" or "/" (p in the text [pStart, pEnd)): a comment (with the blank the layout
// writes before it), an operator, or the "/" right after ";", which is the terminator; one that
// begins a line (after a block comment's line feed) is the division sign, as the layout reads it.
inline MetricStep rDashSlashStep(const char *pStart, const char *p, const char *pEnd, char cOut) {
    if (!bCmtAt(p)) {
        const bool bOperator = *p == '-' ? nOperatorIn(p, pStart) != 0 : p == pStart || p[-1] != ';';
        return bOperator ? rOperatorStep(p, 1, cOut) : MetricStep{STEP_OTHER, p + 1, 0};
    }
    bool bClosed = false;
    MetricStep r{STEP_OTHER, pCmtEnd(p, pEnd, &bClosed), bBlankBeforeCmt(cOut) ? 1 : 0};
    if (p[0] == '-' && !bClosed) {
        r.eKind = STEP_BAD_CMT;  // a line comment needs its line feed
    } else if (p[0] == '-') {
        // The carriage returns before its line feed count for nothing: the output writes that
        // line end as it is asked for, whatever the text had.
        for (const char *c = r.q - 1; c > p && c[-1] == '\r'; --c) --r.nBlanks;
        // A blank after its line feed (a header moved behind it left its blank there) stands at
        // the start of a line, where the layout writes none.
        if (r.q < pEnd && *r.q == ' ') --r.nBlanks;
    } else {  // the indentation of a block comment's further lines is the layout's to move
        r.nBlanks -= static_cast<int32_t>(nLineIndentsIn(p, r.q));
    }
    // A comment moved in front of a comma right after a ";" took a blank with it, which the layout
    // does not write (it breaks the line after the ";") and a second run finds no more.
    if (p - pStart >= 2 && p[-1] == ' ' && p[-2] == ';') --r.nBlanks;
    return r;
}

// The step at the unit p that neither a run of quiet bytes nor the inside of a word holds, in a
// text read in rEnc; cOut is the byte the layout will have written last.
[[gnu::always_inline]] inline MetricStep rUnitStep(const char *pStart, const char *p, const char *pEnd, TextEnc rEnc, char cOut) {
    MetricStep r{STEP_OTHER, p + 1, 0};
    size_t n = 0;
    switch (*p) {
    case '\'':
    case '"':
        r.q = pQuotedEnd(p, pEnd);
        break;
    case 'q':
    case 'Q':
        if (bLiteralAt(p, pStart, pEnd)) r.q = pLiteralEnd(p, pEnd, rEnc);
        break;
    case '-':
    case '/':
        return rDashSlashStep(pStart, p, pEnd, cOut);
    case '(':
        r.eKind = STEP_OPEN;
        break;
    case ')':
        r.eKind = STEP_CLOSE;
        break;
    case ',':
        r.eKind = STEP_COMMA;
        break;
    case 'S':
    case 's':
    case 'A':
    case 'a':
        if ((n = nMetricWordAt(p)) != 0) {
            r.eKind = STEP_KEYWORD;
            r.q = p + n;
        }
        break;
    case 'I':
    case 'i':
        if ((p == pStart || !bIsWordByte(p[-1])) && (nKwLen(p, szWord(WORD_IS_NULL)) || nKwLen(p, szWord(WORD_IS_NOT_NULL))))
            r.nBlanks = nBlankBefore(cOut);
        break;
    default:
        if ((n = nOperatorIn(p, pStart)) != 0) return rOperatorStep(p, n, cOut);
        r.q = p + iUnitLen(p, pEnd, rEnc);
        break;
    }
    return r;
}

// The blanks at the start of [p, q) that stand right after a blank (cOut: the byte before p).
int32_t nBlanksAfterBlank(const char *p, const char *q, char cOut) {
    int32_t n = 0;
    for (; p < q && *p == ' '; cOut = *p++) n += cOut == ' ';
    return n;
}

// Walks the unit at p in the text [pStart, pEnd) read in rEnc. *pcOut is the byte the layout will
// have written last, updated. Inline in both walks, which take a step for nearly every run of the
// text.
[[gnu::always_inline]] inline MetricStep rStep(const char *pStart, const char *p, const char *pEnd, TextEnc rEnc, char *pcOut) {
    if (bQuiet(*p, Q_METRIC)) {
        MetricStep r{STEP_OTHER, pQuietRunEnd(p + 1, pEnd, Q_METRIC), 0};
        *pcOut = r.q[-1];
        return r;
    }
    if (p > pStart && bIsWordByte(p[-1]) && (rLex.arClass[static_cast<uint8_t>(*p)] & CC_MPLAIN) != 0) {
        MetricStep r{STEP_OTHER, pClassRunEnd(p + 1, pEnd, CC_MPLAIN), 0};  // the inside of a word
        *pcOut = r.q[-1];
        return r;
    }
    MetricStep r = rUnitStep(pStart, p, pEnd, rEnc, *pcOut);
    if (r.eKind == STEP_BAD_CMT) return r;
    *pcOut = r.q[-1];
    if ((r.eKind == STEP_COMMA || r.eKind == STEP_OPERATOR) && r.q < pEnd && *r.q != ' ') {
        ++r.nBlanks;  // the blank after a comma or an operator
        *pcOut = ' ';
    } else if ((r.eKind == STEP_COMMA || r.eKind == STEP_KEYWORD) && *r.q == ' ' && (r.q[-1] == ' ' || r.q[1] == ' ')) {
        // A blank after a blank is not written: comment moves leave two side by side after a
        // comma or an AND.
        r.nBlanks -= nBlanksAfterBlank(r.q, pEnd, r.q[-1]);
    }
    return r;
}

int32_t iMetrixOf(int32_t iMetrix, int64_t nCommas, int64_t nSize, int32_t iNumComma, int32_t iPartSize) {
    return (nCommas < iNumComma && nSize <= iPartSize) ? iMetrix : iMetrix + 1;
}
}  // namespace

// Measures the part that begins at the opening parenthesis szParen: the depth of its deepest
// recent nesting plus its SELECT and AND keywords, one more when it holds iNumComma commas or
// more or is longer than iPartSize bytes. Sets *piMetrix only on success.
int rcGetMetrix(const char *szParen, const char *pEnd, TextEnc rEnc, int32_t *piMetrix, int32_t iNumComma,
                int32_t iPartSize) {
    assert(szParen[0] == '(');
    int32_t iDepth = 0, iMetrix = 0;
    int64_t iCommas = 0, nBlanks = 0;
    char cOut = '(';  // the byte the layout will have written last
    const char *p = szParen;
    while (p < pEnd) {
        MetricStep r = rStep(szParen, p, pEnd, rEnc, &cOut);  // szParen: "(" begins no word
        if (r.eKind == STEP_BAD_CMT) {
            uint32_t uLen = 0;
            int rc = rcSkipCmt(p, pEnd, &uLen);  // tells why
            return rcTrail(rc, "rcGetMetrix()", szModule, SITE_METRIX_SKIPCMT);
        }
        if (r.eKind == STEP_OPEN) iMetrix = iDepth++;
        if (r.eKind == STEP_CLOSE && --iDepth == 0) break;
        iCommas += r.eKind == STEP_COMMA;
        iMetrix += r.eKind == STEP_KEYWORD;
        nBlanks += r.nBlanks;
        p = r.q;
    }
    if (p >= pEnd) return rcNoCloseParen(szParen, pEnd);
    *piMetrix = iMetrixOf(iMetrix, iCommas, (p - szParen) + nBlanks, iNumComma, iPartSize);
    return RC_OK;
}

// The walk of rcGetMetrix over a part and the parts inside it at once, with a stack of the open
// parts. The metric of a part is the depth, relative to the part, of the last "(" opened inside it
// (its own counts, at depth 0) plus the keywords from there on; both come from counters running
// over the whole part, so each byte is walked once whatever the nesting.
int rcMeasurePart(const char *pText, const char *pParen, const char *pEnd, TextEnc rEnc, int32_t iNumComma,
                  int32_t iPartSize, MetricTable *pTable) {
    size_t nOpen = 0;
    int64_t iCommas = 0, nBlanks = 0, iKeywords = 0;
    int64_t iLastDepth = 0, iLastKeywords = 0;  // the last "(" opened: its depth, the keywords then
    char cOut = '\0';
    const char *p = pParen;
    while (p < pEnd) {
        MetricStep r = rStep(pText, p, pEnd, rEnc, &cOut);
        if (r.eKind == STEP_BAD_CMT) break;  // the parts still open are measured where met
        if (r.eKind == STEP_OPEN) {
            if (!bGrowTo(&pTable->p, &pTable->cap, pTable->n + 1) || !bGrowTo(&pTable->pOpen, &pTable->nOpenCap, nOpen + 1))
                return RC_NOMEM;
            pTable->p[pTable->n] = PartMetric{static_cast<uint32_t>(p - pText), METRIX_UNKNOWN};
            pTable->pOpen[nOpen] = MetricTable::Open{pTable->n++, iCommas, nBlanks};
            iLastDepth = static_cast<int64_t>(nOpen++);
            iLastKeywords = iKeywords;
        } else if (r.eKind == STEP_CLOSE && nOpen > 0) {
            const MetricTable::Open &o = pTable->pOpen[--nOpen];
            int64_t iMetrix = iLastDepth - static_cast<int64_t>(nOpen) + (iKeywords - iLastKeywords);
            int64_t nSize = static_cast<int64_t>(p - pText) - pTable->p[o.iEntry].uPos + (nBlanks - o.nBlanks);
            if (iMetrix < INT32_MAX)
                pTable->p[o.iEntry].iMetrix =
                    iMetrixOf(static_cast<int32_t>(iMetrix), iCommas - o.iCommas, nSize, iNumComma, iPartSize);
        }
        iCommas += r.eKind == STEP_COMMA;
        iKeywords += r.eKind == STEP_KEYWORD;
        nBlanks += r.nBlanks;
        p = r.q;
        if (nOpen == 0) break;  // the part is closed
    }
    // Past the "(" at least, so that a part is never measured twice.
    pTable->nMeasured = std::max(static_cast<size_t>(p - pText), static_cast<size_t>(pParen - pText) + 1);
    return RC_OK;
}
