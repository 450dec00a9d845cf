#include "modes/rcReplaceStr.h"

#include <cassert>
#include <cstring>

#include "runtime/psGlobals.h"

namespace {
const char szModule[] = "..\\share\\rcReplaceStr";
enum {
    SITE_WORK = 100,
    SITE_RESIZE = 114,
    SITE_SUBCR = 154,
    SITE_ADDCR = 183,
};

// The size change of one text can at most double it; a text of half the 32-bit index range or
// more cannot be indexed afterwards and is refused like a block that cannot be had.
const size_t nMaxText = 0x3fffffff;

// The position before a CR LF: the CR is the one to drop. The LF is looked at only when the
// byte after p is a CR, so the test never reads past the NUL.
bool bBeforeCrLf(const char *p) { return p[1] == '\r' && p[2] == '\n'; }
void vCountSubCr(int32_t *piDiff, char *, int32_t *, int32_t *) { --*piDiff; }
void vEditSubCr(int32_t *, char *, int32_t *, int32_t *piSrc) { ++*piSrc; }

// The position before a LF that is not preceded by a CR: a CR goes in after it.
bool bBeforeBareLf(const char *p) { return p[0] != '\r' && p[1] == '\n'; }
void vCountAddCr(int32_t *piDiff, char *, int32_t *, int32_t *) { ++*piDiff; }
void vEditAddCr(int32_t *, char *szOut, int32_t *piDst, int32_t *) {
    ++*piDst;
    szOut[*piDst] = '\r';
}
}  // namespace

int rcReplaceStr(char **pszText, PfnReplaceTest pfnTest, PfnReplaceStep pfnCount, PfnReplaceStep pfnEdit) {
    assert(pszText != nullptr && *pszText != nullptr);
    const char *szText = *pszText;
    size_t nLen = std::strlen(szText);
    if (nLen > nMaxText) return rcNoMem("rcReplaceStr()", szModule, SITE_WORK);
    int32_t iLen = static_cast<int32_t>(nLen);

    int32_t iDiff = 0;
    HeapPtr<char> szWork(static_cast<char *>(pvAlloc(nLen + 1)));
    if (szWork == nullptr) return rcNoMem("rcReplaceStr()", szModule, SITE_WORK);
    for (int32_t i = 0; i < iLen; ++i) {
        int32_t iDst = i, iSrc = i;
        szWork.get()[i] = szText[i];
        if (pfnTest(szText + i)) pfnCount(&iDiff, szWork.get(), &iDst, &iSrc);
    }

    size_t nOut = static_cast<size_t>(iLen + iDiff) + 1;
    char *szOut = static_cast<char *>(pvRealloc(*pszText, nOut));
    if (szOut == nullptr) return rcNoMem("rcReplaceStr()", szModule, SITE_RESIZE);
    std::memset(szOut, 0, nOut);
    int32_t iSrc = 0, iDst = 0;
    for (; iSrc < iLen; ++iSrc, ++iDst) {
        szOut[iDst] = szWork.get()[iSrc];
        if (pfnTest(szWork.get() + iSrc)) pfnEdit(&iDiff, szOut, &iDst, &iSrc);
    }
    assert(static_cast<size_t>(iDst) + 1 == nOut);  // both passes met the same positions
    *pszText = szOut;
    return RC_OK;
}

int rcReplaceStrSubCr(char **pszText) {
    int rc = rcReplaceStr(pszText, bBeforeCrLf, vCountSubCr, vEditSubCr);
    if (rc != RC_OK) return rcTrail(rc, "rcReplaceStrSubCr()", szModule, SITE_SUBCR);
    return RC_OK;
}

int rcReplaceStrAddCr(char **pszStmtFmt) {
    assert(pszStmtFmt != nullptr && *pszStmtFmt != nullptr);
    int rc = rcReplaceStr(pszStmtFmt, bBeforeBareLf, vCountAddCr, vEditAddCr);
    if (rc != RC_OK) return rcTrail(rc, "rcReplaceStrAddCr()", szModule, SITE_ADDCR);
    return RC_OK;
}
