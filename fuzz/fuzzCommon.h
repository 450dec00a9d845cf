// What every fuzz target shares: messages go to the null device, inputs become NUL-terminated
// heap texts, the formatting options can be taken from the first input bytes, and the promises
// of the formatter are checked (a finding aborts).
#pragma once
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "formatter/rStmtStyle.h"
#include "formatter/rcFmtStmt.h"
#include "runtime/psGlobals.h"
#include "tests/fmtPromises.h"

// Messages of the program under test cost time and tell the fuzzer nothing.
inline void vQuietConsole() {
    static FILE *fpNull = std::fopen("/dev/null", "wb");
    if (fpNull == nullptr) std::abort();
    console = fpNull;
}

// The bytes up to the first NUL (or all of them) as a text from pvAlloc; null when memory ran out.
inline char *szHeapText(const uint8_t *p, size_t n) {
    char *sz = static_cast<char *>(pvAlloc(n + 1));
    if (sz != nullptr) std::memcpy(sz, p, n);
    return sz;
}

// A 32-bit option value from one byte: small values near the interesting limits mostly, and now
// and then an extreme that the command line also lets through (no range check).
inline int32_t iOptValue(uint8_t b) {
    static const int32_t aiExtreme[] = {0, -1, INT_MIN, INT_MAX, 1000, 100000, -100, 256};
    return (b & 0x80) ? aiExtreme[b & 7] : static_cast<int32_t>(b & 0x7f) - 4;  // -4 .. 123
}

// Takes four bytes off the front of the input as the -i, -c, -s and -j values. Returns false
// when the input is too short.
inline bool bStyleFromBytes(const uint8_t **pp, size_t *pn, StmtStyle *pStyle) {
    if (*pn < 4) return false;
    const uint8_t *p = *pp;
    vDefaultStmtStyle(pStyle);
    int iWidth = p[0] % 34;  // 0 or 33: the TAB; 1..32 blanks
    if (iWidth >= 1 && iWidth <= MAX_INDENT_WIDTH) {
        std::memset(pStyle->szIndent, ' ', static_cast<size_t>(iWidth));
        pStyle->szIndent[iWidth] = '\0';
    }
    pStyle->iNumComma = iOptValue(p[1]);
    pStyle->iPartSize = iOptValue(p[2]);
    pStyle->iJoinAt = (p[3] & 0x40) ? 0 : iOptValue(p[3]);
    *pp += 4;
    *pn -= 4;
    return true;
}

// The formatter's promises on success: the output is NUL-terminated at its length, its bytes
// other than white space (and than "_", which joining's glue adds) are the input's, and without
// joining no two words are joined where they kept their order. A finding aborts.
inline void vCheckFormatted(const char *szIn, const char *szOut, const StmtStyle &rStyle) {
    if (szOut == nullptr || szOut[rStyle.iFmtLen] != '\0') std::abort();
    const std::string sIn = szIn, sOut(szOut, static_cast<size_t>(rStyle.iFmtLen));
    if (sInk(sIn, true, rStyle.iJoinAt != 0) != sInk(sOut, true, rStyle.iJoinAt != 0)) {
        std::fprintf(stderr, "the bytes other than white space differ\n");
        std::abort();
    }
    size_t i = rStyle.iJoinAt != 0 ? std::string::npos : iJoinedAt(sIn, sOut, false);
    if (i != std::string::npos) {
        std::fprintf(stderr, "words joined at output offset %zu\n", i);
        std::abort();
    }
}

// Formats the text with the options and checks the promises.
inline void vFormatAndCheck(const uint8_t *pData, size_t nData, StmtStyle *pStyle) {
    HeapPtr<char> szStmt(szHeapText(pData, nData));
    if (szStmt == nullptr) return;
    char *szFmt = nullptr;
    int rc = rcFmtStmt(szStmt.get(), &szFmt, pStyle);
    HeapPtr<char> fmt(szFmt);
    if (rc == RC_OK) vCheckFormatted(szStmt.get(), szFmt, *pStyle);
}
