// Frozen copy of formatter/rcFmtLex.cpp made by tests/oracle/freeze.sh, which overwrites it.
// The lexical layer: character classes, the character unit, keywords, literals and comments,
// and the in-place exchange of two adjacent pieces of text.
#include "tests/oracle/engine/rcFmtLex.h"
#include "tests/oracle/engine/rcFmtWords.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <string>

#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

namespace oracle {

namespace {
const char szFmtModule[] = ".\\rcFmtStmt";
const char szGlobalsModule[] = ".\\psGlobals";

enum {
    SITE_SKIPCMT_NOTCMT = 119,
    SITE_SKIPCMT_OVERRUN = 125,
    SITE_STRSWAP_NOMEM = 1011,
};
}  // namespace

// The statement keywords that begin a line of their own wherever white space stands before them.
constexpr auto arLineKeywords = arWordsWith<W_LINE>();

namespace {
constexpr int iFoldOf(int c) { return c >= 'a' && c <= 'z' ? c - 0x20 : c; }
}  // namespace

constexpr LexTables::LexTables() {
    for (const char *szKw : arLineKeywords) arLineKwSecond[szKw[0] - 'A'] |= 1u << (szKw[1] - 'A');
    for (int c = 0; c < 256; ++c) {
        bool bUpper = c >= 'A' && c <= 'Z', bLower = c >= 'a' && c <= 'z';
        bool bWord = bWordByteOf(c);
        bool bInWord = bWord && c != 'q' && c != 'Q';
        // The metric finds SELECT and AND inside words too.
        bool bMetricPlain = bInWord && iFoldOf(c) != szWord(WORD_SELECT)[0] && iFoldOf(c) != szWord(WORD_AND)[0];
        auto in = [c](const char *sz) {
            for (; *sz != '\0'; ++sz)
                if (*sz == c) return true;
            return false;
        };
        arClass[c] = static_cast<uint8_t>((bWhiteByte(c) ? CC_WHITE : 0) |
                                          (bWord ? CC_WORD : 0) | (bInWord ? CC_INWORD : 0) |
                                          (bMetricPlain ? CC_MPLAIN : 0) |
                                          (bOperatorByteOf(c) ? CC_OPER : 0));
        arFold[c] = static_cast<uint8_t>(bLower ? c - 0x20 : c);
        arSjis[c] = static_cast<uint8_t>((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF) ? 2 : 1);
        arUtf8[c] = static_cast<uint8_t>(c >= 0xC2 && c <= 0xDF   ? 2
                                         : c >= 0xE0 && c <= 0xEF ? 3
                                         : c >= 0xF0 && c <= 0xF4 ? 4
                                                                  : 1);
        arLatin1[c] = 1;
        if (c != 0 && c < 0x80) {
            const bool bCommon = !in("'\"qQ-/");  // literals and comments begin with these
            const bool bWhite = bWhiteByte(c);
            // The letters the comment moves and the flattening stop at: the first letters of the
            // block headers and of the line keywords.
            const int iLetter = bUpper ? c - 'A' : bLower ? c - 'a' : -1;
            auto firstOf = [iLetter](uint32_t uRole) { return iLetter >= 0 && ((uFirstLettersOf(uRole) >> iLetter) & 1u) != 0; };
            arQuiet[c] = static_cast<uint16_t>((bCommon && !bWhite && !in("(),;:<>!=|*+^~") ? Q_NORM : 0) |
                                              (bCommon && !firstOf(W_MOVES) ? Q_MOVE : 0) |
                                              (bCommon && (c == ' ' || !bWhite) && !firstOf(W_LINE) ? Q_FLAT : 0) |
                                              (bCommon && !in(";\n") ? Q_FIND : 0) |
                                              (bCommon && !in("(),:<>!=|*+^~") && !bFirstByteOf(W_METRIC, c) ? Q_METRIC : 0) |
                                              (bCommon && c != '(' ? Q_PARTS : 0) |
                                              (bCommon && !bWhite && !in(",;<") && !bFirstByteOf(W_SCAN, c) ? Q_SCAN : 0) |
                                              (bCommon && c != ';' && c != '<' && !bFirstByteOf(W_THEN | W_BLOCK_START, c) ? Q_THEN : 0));
        }
    }
}

constexpr LexTables rLex;

namespace {
const uint8_t *const arSjisUnit = rLex.arSjis;
const uint8_t *const arUtf8Unit = rLex.arUtf8;
const uint8_t *const arLatin1Unit = rLex.arLatin1;
}  // namespace

TextEnc rTextEnc(int32_t eEnc) {
    return TextEnc{eEnc == ENC_UTF8 ? arUtf8Unit : eEnc == ENC_LATIN1 ? arLatin1Unit : arSjisUnit};
}

int iIsLeadByte(int iByte) { return arSjisUnit[static_cast<unsigned>(iByte) & 0xFFu] == 2; }

int iUnitLenMulti(const char *p, const char *pEnd, TextEnc rEnc) {
    int n = rEnc.pUnitFirst[static_cast<uint8_t>(*p)];
    if (pEnd - p < n) return 1;
    if (rEnc.pUnitFirst == arSjisUnit) return static_cast<uint8_t>(p[1]) >= 0x40 ? 2 : 1;  // the table tells the encoding
    for (int i = 1; i < n; ++i)
        if ((static_cast<uint8_t>(p[i]) & 0xC0) != 0x80) return 1;
    return n;
}

namespace {
// The end of the run of ASCII bytes at s, 32 and then eight bytes at a time.
const uint8_t *pAsciiRunEnd(const uint8_t *s, const uint8_t *e) {
    for (uint64_t w[4]; e - s >= 32; s += 32) {
        std::memcpy(w, s, 32);
        if (((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ull) != 0) break;
    }
    for (uint64_t w; e - s >= 8; s += 8) {
        std::memcpy(&w, s, 8);
        if ((w & 0x8080808080808080ull) != 0) break;
    }
    while (s < e && *s < 0x80) ++s;
    return s;
}
}  // namespace

bool bValidUtf8(const char *p, size_t n) {
    const uint8_t *s = reinterpret_cast<const uint8_t *>(p);
    const uint8_t *e = s + n;
    while (s < e) {
        uint8_t c = *s;
        if (c < 0x80) {
            s = pAsciiRunEnd(s, e);
            continue;
        }
        int k = arUtf8Unit[c];
        if (k == 1 || e - s < k) return false;
        // The second byte's range rules out overlong forms, surrogates and values past U+10FFFF.
        uint8_t lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
        uint8_t hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
        if (s[1] < lo || s[1] > hi) return false;
        for (int i = 2; i < k; ++i)
            if ((s[i] & 0xC0) != 0x80) return false;
        s += k;
    }
    return true;
}

int32_t eDetectEncoding(const char *p, size_t n) {
    // The mark may follow white space: the formatter drops that and keeps the mark in front, where
    // a second run finds it.
    size_t nLead = 0;
    while (nLead < n && bIsWhite(p[nLead])) ++nLead;
    if (n - nLead >= 3 && std::memcmp(p + nLead, "\xEF\xBB\xBF", 3) == 0) return ENC_UTF8;
    const uint8_t *s = reinterpret_cast<const uint8_t *>(p);
    bool bMulti = pAsciiRunEnd(s, s + n) != s + n;
    return bMulti && bValidUtf8(p, n) ? ENC_UTF8 : ENC_SJIS;
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
    const int c = iFold(*p);
    for (size_t i = 0; i < nWords; ++i) {
        if (arWords[i][0] != c) continue;
        size_t n = nKwLen(p, arWords[i]);
        if (n != 0) return bWordEndsAt(p + n) ? n : 0;
    }
    return 0;
}

size_t nLineKeywordOf(const char *p) {
    return nWordOfList(p, arLineKeywords.data(), arLineKeywords.size());
}

bool bLineKeywordBreaksAfter(const char *pStart, const char *pBlank) {
    if (pBlank == pStart) return true;
    if (pBlank[-1] == ',') return false;
    const char *w = pBlank;
    constexpr size_t nLongest = [] {
        size_t m = 0;
        for (const char *sz : arWordsWith<W_PRIVILEGES>()) m = std::max(m, std::char_traits<char>::length(sz));
        return m;
    }();
    while (w > pStart && bIsWordByte(w[-1]) && pBlank - w <= static_cast<ptrdiff_t>(nLongest)) --w;
    const size_t n = static_cast<size_t>(pBlank - w);
    for (const char *szWord : arWordsWith<W_PRIVILEGES>())
        if (bWordIs(w, n, szWord)) return false;
    return true;
}

bool bWordEndsAt(const char *p) { return bIsWhite(*p) || nOperatorAt(p) != 0 || *p == '/'; }

bool bWordEndsIn(const char *p, const char *pEnd) {
    return p >= pEnd || bIsWhite(*p) || nOperatorAtIn(p, pEnd) != 0 || *p == '/';
}

size_t nOperatorAtIn(const char *p, const char *pEnd) {
    if (pEnd - p >= 2) return nOperatorAt(p);
    const char abLast[2] = {*p, '\0'};  // the text's last byte: an operator of one byte or none
    return nOperatorAt(abLast);
}

size_t nOperatorAt(const char *p) {
    // The operators ":=", "<=", "<>", ">=", "!=", "^=", "~=", "=>", "||", "**" and "<", ">", "=",
    // "*", "+", "-": the two-byte one where its second byte follows. A "<<" that begins no label
    // is one operator too: split, it would no longer begin a PL/SQL unit for a second run.
    switch (p[0]) {
    case ':':
    case '!':
    case '^':
    case '~':
        return p[1] == '=' ? 2 : 0;
    case '|':
        return p[1] == '|' ? 2 : 0;
    case '<':
        return p[1] == '=' || p[1] == '>' || p[1] == '<' ? 2 : 1;
    case '>':
        return p[1] == '=' ? 2 : 1;
    case '=':
        return p[1] == '>' ? 2 : 1;
    case '*':
        return p[1] == '*' ? 2 : 1;
    case '+':
    case '-':
        return 1;
    default:
        return 0;
    }
}

bool bExponentSignAt(const char *p, const char *pStart) {
    auto bDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (!bDigit(p[1]) || p - pStart < 2 || iFold(p[-1]) != 'E') return false;
    const char *q = p - 1;
    bool bPoint = false, bDigits = false;
    while (q > pStart && (bDigit(q[-1]) || (q[-1] == '.' && !bPoint))) {
        bPoint = bPoint || q[-1] == '.';
        bDigits = bDigits || q[-1] != '.';
        --q;
    }
    // The number begins a word: no word byte or point before it (t1.e-5 is a column minus 5).
    return bDigits && (q == pStart || (!bIsWordByte(q[-1]) && q[-1] != '.'));
}

bool bQualifiedStarAt(const char *p, const char *pStart) {
    if (p - pStart < 2 || p[-1] != '.') return false;
    if (p[-2] == '"') return true;  // a quoted name's
    const char *q = p - 1;
    while (q > pStart && bIsWordByte(q[-1])) --q;
    return q < p - 1 && (q[0] < '0' || q[0] > '9');  // a word's that is no number
}

bool bAltQuoteAt(const char *p, const char *pStart, const char *pEnd) {
    // The delimiter: any character after the quote but white space.
    if (p + 2 >= pEnd || bIsWhite(p[2])) return false;
    if (p == pStart || !bIsWordByte(p[-1])) return true;
    return (p[-1] == 'n' || p[-1] == 'N') && (p - 1 == pStart || !bIsWordByte(p[-2]));
}

namespace {
// End of the alternative quoting q'x...x' at p: just past the x and the quote that close it.
const char *pAltQuoteEnd(const char *p, const char *pEnd, TextEnc rEnc, bool *pbClosed) {
    const char *pDelim = p + 2;
    int nDelim = iUnitLen(pDelim, pEnd, rEnc);
    char cClose = *pDelim;
    switch (cClose) {
    case '[': cClose = ']'; break;
    case '{': cClose = '}'; break;
    case '(': cClose = ')'; break;
    case '<': cClose = '>'; break;
    default: break;
    }
    for (const char *s = pDelim + nDelim; s < pEnd;) {
        int n = iUnitLen(s, pEnd, rEnc);
        if (n == nDelim && s + n < pEnd && s[n] == '\'' &&
            (nDelim == 1 ? *s == cClose : std::memcmp(s, pDelim, static_cast<size_t>(n)) == 0)) {
            *pbClosed = true;
            return s + n + 1;
        }
        s += n;
    }
    *pbClosed = false;
    return pEnd;
}
}  // namespace

const char *pLiteralEnd(const char *p, const char *pEnd, TextEnc rEnc, bool *pbClosed) {
    if (bQuoteAt(p)) return pQuotedEnd(p, pEnd, pbClosed);
    bool bClosed = false;
    return pAltQuoteEnd(p, pEnd, rEnc, pbClosed != nullptr ? pbClosed : &bClosed);
}

// Quotes, line feeds, "*" and "/" all lie below 0x40: no character unit of any encoding read
// holds one after its first byte, so the scans for them look at bytes, not units.
const char *pQuotedEnd(const char *p, const char *pEnd, bool *pbClosed) {
    bool bClosed = false;
    if (pbClosed == nullptr) pbClosed = &bClosed;
    const char q = *p;
    for (const char *s = p + 1; s < pEnd;) {
        s = static_cast<const char *>(std::memchr(s, q, static_cast<size_t>(pEnd - s)));
        if (s == nullptr) break;
        if (s + 1 >= pEnd || s[1] != q) {
            *pbClosed = true;
            return s + 1;
        }
        s += 2;  // a doubled quote stands for one
    }
    *pbClosed = false;
    return pEnd;
}

const char *pOpenAtEnd(const char *pStart, const char *pEnd, TextEnc rEnc) {
    bool bClosed = true;
    for (const char *p = pStart; p < pEnd;) {
        if (const char *e = pPlainRunEnd(pStart, p, pEnd, Q_FIND)) {
            p = e;  // no literal or comment begins inside the run
        } else if (bLiteralAt(p, pStart, pEnd)) {
            const char *e = pLiteralEnd(p, pEnd, rEnc, &bClosed);
            if (!bClosed) return p;
            p = e;
        } else if (bCmtAt(p)) {
            const char *e = pCmtEnd(p, pEnd, &bClosed);
            if (!bClosed) return p;
            p = e;
        } else {
            p += iUnitLen(p, pEnd, rEnc);
        }
    }
    return nullptr;
}

const char *pCmtEnd(const char *p, const char *pEnd, bool *pbClosed) {
    const char *s = p + 2 < pEnd ? p + 2 : pEnd;
    const char *pStop = nullptr;  // just past the end mark
    if (p[0] == '-') {
        const char *pLf = static_cast<const char *>(std::memchr(s, '\n', static_cast<size_t>(pEnd - s)));
        if (pLf != nullptr) pStop = pLf + 1;  // a line comment keeps its line feed
    } else {
        for (; s < pEnd; ++s) {
            s = static_cast<const char *>(std::memchr(s, '*', static_cast<size_t>(pEnd - s)));
            if (s == nullptr) break;
            if (s + 1 < pEnd && s[1] == '/') {
                pStop = s + 2;
                break;
            }
        }
    }
    if (pbClosed != nullptr) *pbClosed = pStop != nullptr;
    return pStop != nullptr ? pStop : pEnd;
}

size_t nLineIndentsIn(const char *p, const char *pEnd) {
    size_t n = 0;
    while ((p = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(pEnd - p)))) != nullptr)
        for (++p; p < pEnd && (*p == ' ' || *p == '\t'); ++p) ++n;
    return n;
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
}  // namespace oracle
