// Text conversion through iconv. A descriptor is opened for each call and closed before it
// returns, so no state outlives a call. The conversion asks for no transliteration: iconv fails
// with EILSEQ on a character the target lacks, and a count of irreversible conversions is
// refused as well, so that nothing silently changes.
#include "plat/platConv.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <cstdint>
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

// Whether the n bytes at p, text of eFrom, hold a character that iconv's CP932 takes one way
// only, as a look-alike that comes back as another character: ¢ £ ¥ ¬ — ‖ ‾ − 〜. Windows
// has no CP932 form for them either. Only the form of a valid character is looked for: in
// invalid text a match is as good as the failure iconv would report. This function can't fail.
bool bHasOneWayChar(PlatCodeset eFrom, const unsigned char *p, size_t n) {
    static const uint32_t auOneWay[] = {0xA2, 0xA3, 0xA5, 0xAC, 0x2014, 0x2016, 0x203E, 0x2212, 0x301C};
    size_t nStep = eFrom == CS_UTF8 ? 1 : 2;
    for (size_t i = 0; i + nStep <= n; i += nStep) {
        uint32_t u = 0;
        if (eFrom == CS_UTF16LE) u = p[i] | uint32_t(p[i + 1]) << 8;
        else if (eFrom == CS_UTF16BE) u = uint32_t(p[i]) << 8 | p[i + 1];
        else if ((p[i] & 0xE0) == 0xC0 && i + 1 < n && (p[i + 1] & 0xC0) == 0x80)
            u = (p[i] & 0x1Fu) << 6 | (p[i + 1] & 0x3Fu);
        else if ((p[i] & 0xF0) == 0xE0 && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80)
            u = (p[i] & 0x0Fu) << 12 | (p[i + 1] & 0x3Fu) << 6 | (p[i + 2] & 0x3Fu);
        for (uint32_t uOneWay : auOneWay)
            if (u == uOneWay) return true;
    }
    return false;
}

enum { CODESET_OTHER, CODESET_UTF8, CODESET_EUCJP };

// The family of a codeset name, compared without letter case, '-' and '_': UTF-8, the EUC-JP
// family, or any other. This function can't fail.
int iCodesetFamily(const char *szCodeset) {
    static const char *const aszEucJp[] = {"EUCJP", "EUCJPMS", "EUCJPWIN", "EUCJPOPEN", "UJIS"};
    char szKey[16];
    size_t nKey = 0;
    for (const char *s = szCodeset; *s != '\0'; ++s) {
        if (*s == '-' || *s == '_') continue;
        if (nKey + 1 == sizeof szKey) return CODESET_OTHER;  // longer than any name of ours
        char c = *s;
        szKey[nKey++] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    szKey[nKey] = '\0';
    if (std::strcmp(szKey, "UTF8") == 0) return CODESET_UTF8;
    for (const char *szName : aszEucJp)
        if (std::strcmp(szKey, szName) == 0) return CODESET_EUCJP;
    return CODESET_OTHER;
}
}  // namespace

int iPlatConvert(PlatCodeset eFrom, PlatCodeset eTo, const char *p, size_t n, char *pOut, size_t nCap,
                 size_t *pnOut) {
    *pnOut = 0;
    if (eTo == CS_CP932 && eFrom != CS_CP932 && bHasOneWayChar(eFrom, reinterpret_cast<const unsigned char *>(p), n))
        return PLAT_CONV_ILSEQ;
    return iIconvConvert(szIconvName(eFrom), szIconvName(eTo), p, n, pOut, nCap, pnOut);
}

bool bPlatUtf8Codeset(const char *szCodeset) { return iCodesetFamily(szCodeset) == CODESET_UTF8; }

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
    bool bUse = szEnv != nullptr && iCodesetFamily(szEnv) != CODESET_OTHER &&
                std::snprintf(szCodeset, sizeof szCodeset, "%s", szEnv) < int(sizeof szCodeset);
    std::setlocale(LC_CTYPE, szSaved);
    return bUse ? szCodeset : nullptr;
}

// An EUC-JP codeset is written as iconv's EUC-JP-MS where iconv has it: its JIS X 0208 rows are
// those of every EUC-JP, and it keeps the CP932 characters where a Japanese terminal shows them
// (～ at A1C1, － ∥ ￠ ￡ ￢ and the circled digits at all), which plain EUC-JP refuses or moves
// into JIS X 0212.
int iPlatConvertToCodeset(const char *szCodeset, const char *p, size_t n, char *pOut, size_t nCap,
                          size_t *pnOut) {
    const char *szFrom = szIconvName(CS_CP932);
    int iRc = PLAT_CONV_UNAVAILABLE;
    if (iCodesetFamily(szCodeset) == CODESET_EUCJP) iRc = iIconvConvert(szFrom, "EUC-JP-MS", p, n, pOut, nCap, pnOut);
    if (iRc == PLAT_CONV_UNAVAILABLE) iRc = iIconvConvert(szFrom, szCodeset, p, n, pOut, nCap, pnOut);
    return iRc;
}
