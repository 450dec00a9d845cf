// The lexical primitives of the statement formatter: the questions every pass asks at its
// reading position (lead byte, keyword, quoted literal, comment, END of a named block) and the
// in-place exchange of two adjacent pieces of text. No token is ever built.
#include <cassert>
#include <cstring>

#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtInternal.h"

namespace {
const char szFmtModule[] = ".\\rcFmtStmt";
const char szGlobalsModule[] = ".\\psGlobals";

enum {
    SITE_SKIPCMT_NOTCMT = 119,
    SITE_SKIPCMT_OVERRUN = 125,
    SITE_STRSWAP_NOMEM = 1011,
};

// Folds an ASCII lower-case letter to its capital; every other byte stays as it is.
inline unsigned char ucFold(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 0x20) : u;
}

// Compares the text with the keyword from their starts, both folded; returns the number of
// bytes that agreed. The text's NUL never equals a keyword byte, so the text is never overrun.
uint32_t uMatchFolded(const char *szText, const char *szKeyword) {
    uint32_t n = 0;
    while (szKeyword[n] != '\0' && ucFold(szText[n]) == ucFold(szKeyword[n])) ++n;
    return n;
}
}  // namespace

// Holds iIsLeadByte from the start, so that a scan made before the first formatter call is
// still sound; rcFmtStmt stores it again at every entry.
int (*pfnIsLeadByte)(int) = iIsLeadByte;

int iIsLeadByte(int iByte) {
    unsigned int u = static_cast<unsigned int>(iByte) & 0xFFu;
    return (u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xEF);
}

int iIsKeyword(const char *szText, const char *szKeyword, uint32_t *puMatched) {
    uint32_t n = uMatchFolded(szText, szKeyword);
    if (puMatched != nullptr) *puMatched = n;
    return szKeyword[n] == '\0';
}

int32_t iQuotedLen(const char *szText) {
    char q = szText[0];
    if (q != '\'' && q != '"') return 0;
    const char *p = szText + 1;
    // An opening quote without its partner: the literal runs to the end of the text.
    while (*p != '\0') {
        if (*p == q) {
            if (p[1] != q) return static_cast<int32_t>(p + 1 - szText);
            p += 2;  // a doubled quote stands for one
            continue;
        }
        p += iUnitAt(p);
    }
    return static_cast<int32_t>(p - szText);
}

// Measures the comment at szCmt, which must end by szEnd. Sets *puLen only on success;
// reports "not a comment" (36) and the overrun of a line comment without its line feed (26).
int rcSkipCmt(const char *szCmt, const char *szEnd, uint32_t *puLen) {
    const char *pStop;  // where the comment ends
    if (szCmt[0] == '-' && szCmt[1] == '-') {
        // A line comment keeps its line feed; without one before the end it overruns.
        const char *p = szCmt + 2;
        while (p < szEnd && *p != '\0' && *p != '\n') p += iUnitAt(p);
        pStop = (p < szEnd && *p == '\n') ? p + 1 : (p < szEnd ? szEnd + 1 : p + 1);
    } else if (szCmt[0] == '/' && szCmt[1] == '*') {
        // An unclosed block comment runs to the end without complaint.
        const char *p = szCmt + 2;
        pStop = nullptr;
        while (p < szEnd && *p != '\0') {
            if (p[0] == '*' && p + 1 < szEnd && p[1] == '/') {
                pStop = p + 2;
                break;
            }
            p += iUnitAt(p);
        }
        if (pStop == nullptr) pStop = p;
    } else {
        iConPrintf("%s", szMsgNotCmt);
        return rcTrail(RC_NOTCMT, "rcSkipCmt()", szFmtModule, SITE_SKIPCMT_NOTCMT);
    }
    if (pStop > szEnd) {
        iConPrintf("%s", szMsgOverrun);
        return rcTrail(RC_OVERRUN, "rcSkipCmt()", szFmtModule, SITE_SKIPCMT_OVERRUN);
    }
    *puLen = static_cast<uint32_t>(pStop - szCmt);
    return RC_OK;
}

int iIsCatSame(const char *szText, const char *szPrefix, const char *szName, uint32_t *puMatched) {
    // The prefix and the name are compared one after the other, so no joined copy is needed
    // and the test cannot fail.
    uint32_t n = uMatchFolded(szText, szPrefix);
    if (szPrefix[n] == '\0') n += uMatchFolded(szText + n, szName);
    if (puMatched != nullptr) *puMatched = n;
    size_t nPrefix = std::strlen(szPrefix);
    return n == nPrefix + std::strlen(szName);
}

// Exchanges [pFirst, pMiddle) and [pMiddle, pEnd) in place through a copy; when the copy
// cannot be obtained it reports the memory failure and leaves the text as it was.
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
