// The layout rules for "(", ")" and ",": which parenthesised parts are broken over several
// lines, and where their parentheses and commas go.
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtLayout.h"

namespace {
// The attribute list of an object type (AS OBJECT (, UNDER supertype () is laid out like a
// parameter list: one attribute or method per line.
bool bAttributeList(const LayoutState *st) {
    if (st->iTypeSpec != 1) return false;
    size_t n = 0;
    const char *p = pWordBefore(st, st->szSrc, &n);
    if (bWordIs(p, n, szWord(WORD_OBJECT))) return true;
    p = pWordBefore(st, p, &n);
    return bWordIs(p, n, szWord(WORD_UNDER));
}

// The metric of the part at the reading position: from the table, where a part outside those
// measured before is measured first with the parts inside it; measured here alone when the table
// has none for it (then the measure also reports why it cannot be had), or when the table cannot
// grow (from then on every part is measured where it is met).
int rcPartMetric(LayoutState *st) {
    if (MetricTable *t = st->pParts) {
        const uint32_t uPos = static_cast<uint32_t>(st->szSrc - st->ssSrc);
        if (uPos >= t->nMeasured &&
            rcMeasurePart(st->ssSrc, st->szSrc, st->szTail, st->rEnc, st->iNumComma, st->iPartSize, t) != RC_OK)
            st->pParts = t = nullptr;
    }
    if (const MetricTable *t = st->pParts) {
        const uint32_t uPos = static_cast<uint32_t>(st->szSrc - st->ssSrc);
        while (st->iNextPart < t->n && t->p[st->iNextPart].uPos < uPos) ++st->iNextPart;
        if (st->iNextPart < t->n && t->p[st->iNextPart].uPos == uPos && t->p[st->iNextPart].iMetrix != METRIX_UNKNOWN) {
            st->iMetrix = t->p[st->iNextPart].iMetrix;
            return RC_OK;
        }
    }
    return rcGetMetrix(st->szSrc, st->szTail, st->rEnc, &st->iMetrix, st->iNumComma, st->iPartSize);
}

// Whether the part whose "(" was just read holds a query: SELECT or WITH begins it, or another
// "(" does (a set of queries in parentheses); after a comment it is taken for one, as before.
bool bQueryAhead(const LayoutState *st) {
    const char *p = st->szSrc;
    while (p < st->szTail && (bIsWhite(*p) || *p == '(')) ++p;
    const size_t n = static_cast<size_t>(pClassRunEnd(p, st->szTail, CC_WORD) - p);
    return bWordIs(p, n, szWord(WORD_SELECT)) || bWordIs(p, n, szWord(WORD_WITH)) || p[0] == '-' || p[0] == '/';
}

}  // namespace

int rcOpenParen(LayoutState *st) {
    int rc = rcPartMetric(st);
    if (rc != RC_OK) {
        st->iSite = SITE_METRIX_MEASURE;
        return rc;
    }
    if (bAttributeList(st) && st->iMetrix < 1) st->iMetrix = 1;
    vCopyPlain(st, st->szSrc + 1);
    ++st->nParens;
    if (!bBroken(st)) return RC_OK;
    st->arIdtFrame[st->iIdt].iMetrix = st->iMetrix;
    rc = rcRaise(st);
    if (rc != RC_OK) return rc;
    st->arIdtFrame[st->iIdt].bCallPart = !bQueryAhead(st);
    vLineBreak(st);
    return RC_OK;
}

int rcCloseParen(LayoutState *st) {
    if (st->nParens > 0) --st->nParens;
    if (!bBroken(st)) {
        vCopyPlain(st, st->szSrc + 1);
        st->iMetrix = 1;
        return RC_OK;
    }
    st->iIdt -= 1;
    if (st->iIdt < st->iOrgIdt) {
        iConPrintf(szMsgNoOpenParen, st->iIdt, st->iOrgIdt);
        st->iSite = SITE_NO_OPEN_PAREN;
        return RC_PAREN;
    }
    int c = iPrevByte(st);
    if (c == ';' || c == '\n')
        vStepBack(st);
    else
        vLineBreak(st);
    vCopyPlain(st, st->szSrc + 1);
    st->iMetrix = st->arIdtFrame[st->iIdt].iMetrix;
    return RC_OK;
}

int rcComma(LayoutState *st) {
    if (bBroken(st) && iPrevByte(st) != '\n') vLineBreak(st);
    vCopyPlain(st, st->szSrc + 1);
    if (st->szSrc >= st->szTail || *st->szSrc != ' ') vBlankAfter(st);
    return RC_OK;
}
