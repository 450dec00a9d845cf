// Text conversion through iconv. A descriptor is opened for each call and closed before it
// returns, so no state outlives a call. The conversion asks for no transliteration: iconv fails
// with EILSEQ on a character the target lacks, and a count of irreversible conversions is
// refused as well, so that nothing silently changes.
#include "plat/platConv.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>

namespace {
const iconv_t cdNone = reinterpret_cast<iconv_t>(-1);  // what iconv_open returns on failure
const size_t nIconvFailed = static_cast<size_t>(-1);

// The iconv name of a codeset of ours. This function can't fail.
const char *szIconvName(PlatCodeset e) {
    switch (e) {
    case CS_CP932: return "CP932";
    case CS_UTF8: return "UTF-8";
    case CS_UTF16LE: return "UTF-16LE";
    case CS_UTF16BE: return "UTF-16BE";
    }
    return "";
}

// The result code for a failed iconv call, from errno: E2BIG is a full output, EILSEQ a bad or
// unrepresentable sequence, EINVAL a sequence cut off at the end of the input.
int iConvFailure() { return errno == E2BIG ? PLAT_CONV_NOSPACE : PLAT_CONV_ILSEQ; }

// Converts n bytes at p from szFrom to szTo into pOut (nCap bytes), then writes what ends the
// output's shift state (nothing for the codesets of ours). Returns 0 and the length in *pnOut,
// or an error code with *pnOut 0. Opens and closes its own descriptor; the buffers are the
// caller's.
int iIconvConvert(const char *szFrom, const char *szTo, const char *p, size_t n, char *pOut, size_t nCap,
                  size_t *pnOut) {
    *pnOut = 0;
    iconv_t cd = iconv_open(szTo, szFrom);
    if (cd == cdNone) return PLAT_CONV_UNAVAILABLE;
    char *pIn = const_cast<char *>(p);  // iconv's prototype lacks the const; it only reads
    size_t nInLeft = n;
    char *pAt = pOut;
    size_t nOutLeft = nCap;
    int iRc = 0;
    // NOTE: iconv() with a null input resets the state, so an empty input skips this call.
    size_t nIrreversible = n == 0 ? 0 : iconv(cd, &pIn, &nInLeft, &pAt, &nOutLeft);
    if (nIrreversible == nIconvFailed) iRc = iConvFailure();
    else if (nIrreversible != 0) iRc = PLAT_CONV_ILSEQ;
    else if (iconv(cd, nullptr, nullptr, &pAt, &nOutLeft) == nIconvFailed) iRc = iConvFailure();
    iconv_close(cd);
    if (iRc == 0) *pnOut = static_cast<size_t>(pAt - pOut);
    return iRc;
}

// Whether a codeset name, compared without letter case, '-' and '_', is one that shows all of
// the program's Japanese messages: UTF-8 or the EUC-JP family. This function can't fail.
bool bShowsJapanese(const char *szCodeset) {
    static const char *const aszNames[] = {"UTF8", "EUCJP", "EUCJPMS", "EUCJPWIN", "EUCJPOPEN", "UJIS"};
    char szKey[16];
    size_t nKey = 0;
    for (const char *s = szCodeset; *s != '\0'; ++s) {
        if (*s == '-' || *s == '_') continue;
        if (nKey + 1 == sizeof szKey) return false;  // longer than any name of the list
        char c = *s;
        szKey[nKey++] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    szKey[nKey] = '\0';
    for (const char *szName : aszNames)
        if (std::strcmp(szKey, szName) == 0) return true;
    return false;
}
}  // namespace

int iPlatConvert(PlatCodeset eFrom, PlatCodeset eTo, const char *p, size_t n, char *pOut, size_t nCap,
                 size_t *pnOut) {
    return iIconvConvert(szIconvName(eFrom), szIconvName(eTo), p, n, pOut, nCap, pnOut);
}

// Sets LC_CTYPE from the environment only for the moment it takes to read its codeset: the
// program's own character classes stay those of the locale it had (a Latin-1 locale's toupper
// would change Shift_JIS bytes). Returns a static copy of the name, or null as the header says,
// also when the locale cannot be set or the name is longer than any that qualifies.
const char *szPlatMessageCodeset() {
    static char szCodeset[64];
    char szSaved[256];
    const char *szNow = std::setlocale(LC_CTYPE, nullptr);
    if (szNow == nullptr || std::snprintf(szSaved, sizeof szSaved, "%s", szNow) >= int(sizeof szSaved))
        return nullptr;
    if (std::setlocale(LC_CTYPE, "") == nullptr) return nullptr;
    const char *szEnv = nl_langinfo(CODESET);
    bool bUse = szEnv != nullptr && bShowsJapanese(szEnv) &&
                std::snprintf(szCodeset, sizeof szCodeset, "%s", szEnv) < int(sizeof szCodeset);
    std::setlocale(LC_CTYPE, szSaved);
    return bUse ? szCodeset : nullptr;
}

int iPlatConvertToCodeset(const char *szCodeset, const char *p, size_t n, char *pOut, size_t nCap,
                          size_t *pnOut) {
    return iIconvConvert(szIconvName(CS_CP932), szCodeset, p, n, pOut, nCap, pnOut);
}
