// What every fuzz target shares: messages go to the null device, inputs become NUL-terminated
// heap texts, and the formatting options can be taken from the first input bytes.
#pragma once
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/psGlobals.h"
#include "formatter/rStmtStyle.h"

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
    if (b & 0x80) return aiExtreme[b & 7];
    return static_cast<int32_t>(b & 0x7f) - 4;  // -4 .. 123
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

// The promise of the formatter on success without joining: the bytes other than white space
// are the input's, as a multiset. Aborts (a finding) when they are not.
inline void vCheckSameNonWhite(const char *szIn, const char *szOut, size_t nOut) {
    long aCount[256] = {};
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(szIn); *p != 0; ++p) ++aCount[*p];
    for (size_t i = 0; i < nOut; ++i) --aCount[static_cast<unsigned char>(szOut[i])];
    for (int c = 0; c < 256; ++c) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        if (aCount[c] != 0) {
            std::fprintf(stderr, "byte 0x%02x: %ld more in the input than in the output\n", c, aCount[c]);
            std::abort();
        }
    }
}

inline bool bFuzzWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Bytes that continue a word: letters, digits, "_", "$", "#", non-ASCII bytes and the quotes.
inline bool bFuzzWordByte(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' || u == '$' ||
           u == '#' || u >= 0x80 || u == '\'' || u == '"';
}

// The other promise: two words that white space separated in the input never touch in the
// output (nor a pair that would open or close a comment). Checked when the output keeps the
// non-white bytes in their order, which it does unless a comment moved. Aborts on a finding.
inline void vCheckNoJoin(const char *szIn, const char *szOut) {
    const char *p = szIn, *q = szOut;
    char cPrev = 0;
    bool bFirst = true;
    // First pass: the same non-white bytes in the same order?
    for (;;) {
        while (*p != '\0' && bFuzzWhite(*p)) ++p;
        while (*q != '\0' && bFuzzWhite(*q)) ++q;
        if (*p != *q) return;  // a comment moved: the order differs
        if (*p == '\0') break;
        ++p;
        ++q;
    }
    p = szIn;
    q = szOut;
    for (;;) {
        bool bGapIn = false, bGapOut = false;
        while (*p != '\0' && bFuzzWhite(*p)) ++p, bGapIn = true;
        while (*q != '\0' && bFuzzWhite(*q)) ++q, bGapOut = true;
        if (*p == '\0') break;
        char c = *p;
        if (!bFirst && bGapIn && !bGapOut &&
            ((bFuzzWordByte(cPrev) && bFuzzWordByte(c)) || (cPrev == '-' && c == '-') || (cPrev == '/' && c == '*') ||
             (cPrev == '*' && c == '/'))) {
            std::fprintf(stderr, "words joined at output offset %ld\n", static_cast<long>(q - szOut));
            std::abort();
        }
        cPrev = c;
        bFirst = false;
        ++p;
        ++q;
    }
}
