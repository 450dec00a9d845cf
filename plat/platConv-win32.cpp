// Text conversion through the system's UTF-16: every conversion decodes a piece of the input
// into UTF-16 units (MultiByteToWideChar, or a copy for UTF-16 input) and encodes them into
// the output (WideCharToMultiByte, or a copy). Pieces end on a character boundary and hold at
// most CHUNK units, so the working room is a small array on the stack, nothing is allocated,
// and no length handed to the system exceeds INT_MAX however long the text.
#include "plat/platConv.h"

#include <windows.h>

#include <climits>
#include <cstring>

namespace {
enum { CHUNK = 4096 };  // UTF-16 units of one piece
const UINT cpShiftJis = 932;

bool bIsWide(PlatCodeset e) { return e == CS_UTF16LE || e == CS_UTF16BE; }

// The result code for a failed conversion call, from the last error: the code page cannot be
// used, the output is full, or (anything else) the text is invalid.
int iSysFailure() {
    DWORD uErr = GetLastError();
    if (uErr == ERROR_INSUFFICIENT_BUFFER) return PLAT_CONV_NOSPACE;
    if (uErr == ERROR_INVALID_PARAMETER) return PLAT_CONV_UNAVAILABLE;
    return PLAT_CONV_ILSEQ;
}

// The length of the next piece of the n bytes at p (n > 0): at most CHUNK units after decoding,
// cut so that no character is split. Where no cut point exists in reach, the input is invalid
// anyway and the cut falls anywhere: one of the pieces fails. This function can't fail.
size_t nPieceLength(PlatCodeset e, const unsigned char *p, size_t n) {
    size_t nLimit = bIsWide(e) ? 2 * CHUNK : CHUNK;  // one unit per byte at most, or two bytes
    if (n <= nLimit) return n;
    if (bIsWide(e)) {
        unsigned uHigh = e == CS_UTF16LE ? p[nLimit - 1] : p[nLimit - 2];
        return (uHigh & 0xFC) == 0xD8 ? nLimit - 2 : nLimit;  // keep a surrogate pair together
    }
    size_t i = nLimit;
    if (e == CS_UTF8) {
        while (i > nLimit - 3 && (p[i] & 0xC0) == 0x80) --i;
        return i;  // the next piece starts at a lead byte
    }
    // A CP932 trail byte can look like a lead byte: walk from the start.
    for (i = 0; i < nLimit;) {
        size_t nStep = (p[i] >= 0x81 && p[i] <= 0x9F) || (p[i] >= 0xE0 && p[i] <= 0xFC) ? 2 : 1;
        if (i + nStep > nLimit) break;
        i += nStep;
    }
    return i;
}

// Whether nw units at aw hold one that Windows pairs with a single byte that is no character
// of CP932 under iconv: U+0080 (0x80) and U+F8F0 to U+F8F3 (0xA0, 0xFD to 0xFF). The program
// refuses them with CP932 on either side, as POSIX does. This function can't fail.
bool bHasStrayByteChar(const wchar_t *aw, size_t nw) {
    for (size_t i = 0; i < nw; ++i)
        if (aw[i] == 0x80 || (aw[i] >= 0xF8F0 && aw[i] <= 0xF8F3)) return true;
    return false;
}

// Copies n bytes of UTF-16 (n even) from p to pOut, swapping each byte pair when bSwap. The
// two may not overlap. This function can't fail.
void vCopyUnits(const char *p, size_t n, char *pOut, bool bSwap) {
    if (!bSwap) {
        std::memcpy(pOut, p, n);
        return;
    }
    for (size_t i = 0; i + 1 < n; i += 2) {
        pOut[i] = p[i + 1];
        pOut[i + 1] = p[i];
    }
}

// Decodes a piece of n bytes at p (n > 0, at most CHUNK units) into aw. Returns 0 and the
// number of units in *pnw, or an error code. Checks surrogate pairing of UTF-16 input itself:
// a copy checks nothing.
int iDecodePiece(PlatCodeset e, const char *p, size_t n, wchar_t *aw, size_t *pnw) {
    if (!bIsWide(e)) {
        UINT uCp = e == CS_UTF8 ? CP_UTF8 : cpShiftJis;
        int nw = MultiByteToWideChar(uCp, MB_ERR_INVALID_CHARS, p, int(n), aw, CHUNK);
        if (nw == 0) return iSysFailure();
        *pnw = size_t(nw);
        return 0;
    }
    vCopyUnits(p, n, reinterpret_cast<char *>(aw), e == CS_UTF16BE);
    *pnw = n / 2;
    for (size_t i = 0; i < *pnw; ++i) {
        bool bHigh = (aw[i] & 0xFC00) == 0xD800, bLow = (aw[i] & 0xFC00) == 0xDC00;
        if (bLow || (bHigh && (i + 1 == *pnw || (aw[i + 1] & 0xFC00) != 0xDC00))) return PLAT_CONV_ILSEQ;
        if (bHigh) ++i;
    }
    return 0;
}

// Encodes nw units of valid UTF-16 at aw into pOut (nCap bytes). Returns 0 and the length in
// *pnOut, or an error code. A character that CP932 lacks would come out as the default
// character: its use is the failure, and best-fit look-alikes are turned off so that none
// slips through as another character.
int iEncodePiece(PlatCodeset e, const wchar_t *aw, size_t nw, char *pOut, size_t nCap, size_t *pnOut) {
    if (bIsWide(e)) {
        if (2 * nw > nCap) return PLAT_CONV_NOSPACE;
        vCopyUnits(reinterpret_cast<const char *>(aw), 2 * nw, pOut, e == CS_UTF16BE);
        *pnOut = 2 * nw;
        return 0;
    }
    // NOTE: WideCharToMultiByte() with no room at all returns the length it needs, no failure.
    if (nCap == 0) return PLAT_CONV_NOSPACE;
    int nOutCap = nCap > INT_MAX ? INT_MAX : int(nCap);
    BOOL bUsedDefault = FALSE;
    int nOut = e == CS_UTF8
                   ? WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, aw, int(nw), pOut, nOutCap, nullptr, nullptr)
                   : WideCharToMultiByte(cpShiftJis, WC_NO_BEST_FIT_CHARS, aw, int(nw), pOut, nOutCap, nullptr,
                                         &bUsedDefault);
    if (nOut == 0) return iSysFailure();
    if (bUsedDefault) return PLAT_CONV_ILSEQ;
    *pnOut = size_t(nOut);
    return 0;
}
}  // namespace

// Converts piece by piece, each straight into the caller's block after the one before.
int iPlatConvert(PlatCodeset eFrom, PlatCodeset eTo, const char *p, size_t n, char *pOut, size_t nCap,
                 size_t *pnOut) {
    *pnOut = 0;
    if (bIsWide(eFrom) && n % 2 != 0) return PLAT_CONV_ILSEQ;
    size_t nDone = 0;
    for (size_t nAt = 0; nAt < n;) {
        size_t nPiece = nPieceLength(eFrom, reinterpret_cast<const unsigned char *>(p + nAt), n - nAt);
        wchar_t aw[CHUNK];
        size_t nw = 0, nOut = 0;
        int iRc = iDecodePiece(eFrom, p + nAt, nPiece, aw, &nw);
        if (iRc == 0 && (eFrom == CS_CP932 || eTo == CS_CP932) && bHasStrayByteChar(aw, nw)) iRc = PLAT_CONV_ILSEQ;
        if (iRc == 0) iRc = iEncodePiece(eTo, aw, nw, pOut + nDone, nCap - nDone, &nOut);
        if (iRc != 0) return iRc;
        nAt += nPiece;
        nDone += nOut;
    }
    *pnOut = nDone;
    return 0;
}

// Messages on Windows stay in the console's Shift_JIS.
const char *szPlatMessageCodeset() { return nullptr; }

bool bPlatUtf8Codeset(const char *) { return false; }

int iPlatConvertToCodeset(const char *, const char *, size_t, char *, size_t, size_t *pnOut) {
    *pnOut = 0;
    return PLAT_CONV_UNAVAILABLE;
}
