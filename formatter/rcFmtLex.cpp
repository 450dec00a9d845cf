// The lexical layer: character classes, the character unit, keywords, literals and comments,
// and the in-place exchange of two adjacent pieces of text.
#include "formatter/rcFmtLex.h"

#include <cassert>
#include <cstring>

#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

namespace {
const char szFmtModule[] = ".\\rcFmtStmt";
const char szGlobalsModule[] = ".\\psGlobals";

enum {
    SITE_SKIPCMT_NOTCMT = 119,
    SITE_SKIPCMT_OVERRUN = 125,
    SITE_STRSWAP_NOMEM = 1011,
};

struct Tables {
    uint8_t arClass[256] = {};
    uint8_t arFold[256] = {};
    uint8_t arUnit[256] = {};
    constexpr Tables() {
        for (int c = 0; c < 256; ++c) {
            bool bUpper = c >= 'A' && c <= 'Z', bLower = c >= 'a' && c <= 'z';
            bool bWord = bUpper || bLower || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#';
            arClass[c] = static_cast<uint8_t>((c == ' ' || c == '\n' || c == '\t' || c == '\r' ? CC_WHITE : 0) |
                                              (bWord ? CC_WORD : 0));
            arFold[c] = static_cast<uint8_t>(bLower ? c - 0x20 : c);
            arUnit[c] = static_cast<uint8_t>((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF) ? 2 : 1);
        }
    }
};
constexpr Tables rTables;
}  // namespace

const uint8_t arCharClass[256] = {
#define Q(i) rTables.arClass[i]
#define R(i) Q(i), Q(i + 1), Q(i + 2), Q(i + 3), Q(i + 4), Q(i + 5), Q(i + 6), Q(i + 7)
#define S(i) R(i), R(i + 8), R(i + 16), R(i + 24), R(i + 32), R(i + 40), R(i + 48), R(i + 56)
    S(0), S(64), S(128), S(192)
#undef Q
};
const uint8_t arFoldUpper[256] = {
#define Q(i) rTables.arFold[i]
    S(0), S(64), S(128), S(192)
#undef Q
};
const uint8_t arUnitLen[256] = {
#define Q(i) rTables.arUnit[i]
    S(0), S(64), S(128), S(192)
#undef Q
#undef R
#undef S
};

int iIsLeadByte(int iByte) { return arUnitLen[static_cast<unsigned>(iByte) & 0xFFu] == 2; }

int (*pfnIsLeadByte)(int) = iIsLeadByte;

uint32_t uMatchFolded(const char *p, const char *szKw) {
    uint32_t n = 0;
    while (szKw[n] != '\0' && iFold(p[n]) == iFold(szKw[n])) ++n;
    return n;
}

size_t nKwLen(const char *p, const char *szKw) {
    uint32_t n = uMatchFolded(p, szKw);
    return szKw[n] == '\0' ? n : 0;
}

int iIsKeyword(const char *szText, const char *szKeyword, uint32_t *puMatched) {
    uint32_t n = uMatchFolded(szText, szKeyword);
    if (puMatched != nullptr) *puMatched = n;
    return szKeyword[n] == '\0';
}

int iIsCatSame(const char *szText, const char *szPrefix, const char *szName, uint32_t *puMatched) {
    // The prefix and the name are compared one after the other: no joined copy, no failure.
    uint32_t n = uMatchFolded(szText, szPrefix);
    if (szPrefix[n] == '\0') n += uMatchFolded(szText + n, szName);
    if (puMatched != nullptr) *puMatched = n;
    return n == std::strlen(szPrefix) + std::strlen(szName);
}

size_t nWordOfList(const char *p, const char *const *arWords, size_t nWords) {
    for (size_t i = 0; i < nWords; ++i) {
        size_t n = nKwLen(p, arWords[i]);
        if (n != 0) return bIsWhite(p[n]) ? n : 0;
    }
    return 0;
}

const char *pLiteralEnd(const char *p, const char *pEnd) {
    if (!bQuoteAt(p)) return p;
    const char q = *p;
    const char *s = p + 1;
    while (s < pEnd) {
        if (*s == q) {
            if (s + 1 >= pEnd || s[1] != q) return s + 1;
            s += 2;  // a doubled quote stands for one
        } else {
            s += iUnitLen(s, pEnd);
        }
    }
    return pEnd;
}

int32_t iQuotedLen(const char *p, const char *pEnd) { return static_cast<int32_t>(pLiteralEnd(p, pEnd) - p); }

const char *pCmtEnd(const char *p, const char *pEnd, bool *pbClosed) {
    const char *s = p + 2;
    bool bClosed = false;
    if (p[0] == '-') {
        while (s < pEnd && *s != '\n') s += iUnitLen(s, pEnd);
        if (s < pEnd) {
            ++s;  // a line comment keeps its line feed
            bClosed = true;
        }
    } else {
        while (s < pEnd && !(s[0] == '*' && s + 1 < pEnd && s[1] == '/')) s += iUnitLen(s, pEnd);
        if (s < pEnd) {
            s += 2;
            bClosed = true;
        }
    }
    if (pbClosed != nullptr) *pbClosed = bClosed;
    return s > pEnd ? pEnd : s;
}

int rcSkipCmt(const char *szCmt, const char *szEnd, uint32_t *puLen) {
    if (!bCmtAt(szCmt)) {
        iConPrintf("%s", szMsgNotCmt);
        return rcTrail(RC_NOTCMT, "rcSkipCmt()", szFmtModule, SITE_SKIPCMT_NOTCMT);
    }
    bool bClosed = false;
    const char *pStop = pCmtEnd(szCmt, szEnd, &bClosed);
    if (szCmt[0] == '-' && !bClosed) {
        iConPrintf("%s", szMsgOverrun);
        return rcTrail(RC_OVERRUN, "rcSkipCmt()", szFmtModule, SITE_SKIPCMT_OVERRUN);
    }
    *puLen = static_cast<uint32_t>(pStop - szCmt);
    return RC_OK;
}

int rcStrSwap(char *pFirst, char *pMiddle, char *pEnd) {
    assert(pFirst <= pMiddle && pMiddle <= pEnd);
    if (pFirst == pMiddle || pMiddle == pEnd) return RC_OK;  // nothing moves
    size_t nAll = static_cast<size_t>(pEnd - pFirst);
    size_t nA = static_cast<size_t>(pMiddle - pFirst);
    HeapPtr<char> tmp(static_cast<char *>(pvAlloc(nAll + 1)));
    if (tmp == nullptr) return rcNoMem("rcStrSwap()", szGlobalsModule, SITE_STRSWAP_NOMEM);
    std::memcpy(tmp.get(), pFirst, nAll);
    std::memcpy(pFirst, tmp.get() + nA, nAll - nA);
    std::memcpy(pFirst + (nAll - nA), tmp.get(), nA);
    return RC_OK;
}
