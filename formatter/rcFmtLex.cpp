// The lexical layer: character classes, the character unit, keywords, literals and comments,
// and the in-place exchange of two adjacent pieces of text.
#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtWords.h"

#include <cassert>
#include <cstring>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>  // every x86-64 processor has SSE2; elsewhere the wide scans read a byte at a time
#endif

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
        const bool bLineFirst = (bUpper || bLower) && ((uFirstLettersOf(W_LINE) >> (iFoldOf(c) - 'A')) & 1u) != 0;
        arClass[c] = static_cast<uint8_t>((bWhiteByte(c) ? CC_WHITE : 0) |
                                          (bWord ? CC_WORD : 0) | (bInWord ? CC_INWORD : 0) |
                                          (bMetricPlain ? CC_MPLAIN : 0) |
                                          (bOperatorByteOf(c) ? CC_OPER : 0) | (bLineFirst ? CC_LINE_FIRST : 0));
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
                                              (!in("'\"qQ-/;") ? Q_ENDS : 0) |
                                              (bCommon && !in("(),:<>!=|*+^~") && !bFirstByteOf(W_METRIC, c) ? Q_METRIC : 0) |
                                              (bCommon && !bWhite && !in(",;<") && !bFirstByteOf(W_SCAN, c) ? Q_SCAN : 0) |
                                              (bCommon && c != ';' && c != '<' && !bFirstByteOf(W_THEN, c) ? Q_THEN : 0));
        }
    }
}

constexpr LexTables rLex;

namespace {
const uint8_t *const arSjisUnit = rLex.arSjis;
const uint8_t *const arUtf8Unit = rLex.arUtf8;
const uint8_t *const arLatin1Unit = rLex.arLatin1;
}  // namespace

namespace {
// The bytes a wide scan stops at, as sixteen-byte steps compare them: each ASCII byte that is not
// quiet for it, a letter once for both its cases where both stop it (compared with the bytes'
// 0x20 bit set, which maps capitals onto small letters and no other byte onto a letter). Every
// byte of 0x80 or more stops every scan (the sign bit of each byte tells those).
struct StopBytes {
    char arRaw[16] = {}, arFolded[16] = {};
    size_t nRaw = 0, nFolded = 0;
};
constexpr StopBytes rStopsOf(uint16_t q) {
    StopBytes r;
    for (int c = 0; c < 0x80; ++c) {
        if ((rLex.arQuiet[c] & q) != 0) continue;
        const bool bSmall = c >= 'a' && c <= 'z', bCapital = c >= 'A' && c <= 'Z';
        const bool bBoth = (bSmall && (rLex.arQuiet[c - 0x20] & q) == 0) || (bCapital && (rLex.arQuiet[c + 0x20] & q) == 0);
        if (bBoth && bCapital) continue;  // its small letter stands for both
        char *ar = bBoth ? r.arFolded : r.arRaw;
        size_t &n = bBoth ? r.nFolded : r.nRaw;
        if (n < sizeof r.arRaw) ar[n] = static_cast<char>(c);
        ++n;  // more than fit: the static_assert of its scan says so
    }
    return r;
}
constexpr bool bHighStops() {
    for (int c = 0x80; c < 0x100; ++c)
        if (rLex.arQuiet[c] != 0) return false;
    return true;
}
static_assert(bHighStops(), "a byte of 0x80 or more is quiet for a scan");

#if defined(__SSE2__)
// The lanes of v that equal one of the bytes ar[I...], each compared in a step of its own.
template <size_t... I>
inline __m128i vAnyOf(__m128i v, const char *ar, std::index_sequence<I...>) {
    __m128i vAny = _mm_setzero_si128();
    ((vAny = _mm_or_si128(vAny, _mm_cmpeq_epi8(v, _mm_set1_epi8(ar[I])))), ...);
    return vAny;
}
#endif

template <uint16_t Q>
const char *pWideRunEnd(const char *p, const char *pEnd) {
    static constexpr StopBytes rStops = rStopsOf(Q);
    static_assert(rStops.nRaw + rStops.nFolded <= 12, "a wide scan stops at too many bytes");
#if defined(__SSE2__)
    for (; pEnd - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i vFolded = _mm_or_si128(v, _mm_set1_epi8(0x20));
        const __m128i vStop = _mm_or_si128(vAnyOf(v, rStops.arRaw, std::make_index_sequence<rStops.nRaw>()),
                                           vAnyOf(vFolded, rStops.arFolded, std::make_index_sequence<rStops.nFolded>()));
        const unsigned uStop = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(vStop, v)));
        if (uStop != 0) return p + __builtin_ctz(uStop);
    }
#endif
    return pTableRunEnd<uint16_t, &LexTables::arQuiet>(p, pEnd, Q);
}
}  // namespace

namespace {
// The first two letters of the line keywords, small (a pair may repeat).
struct LetterPairs {
    char arFirst[16] = {}, arSecond[16] = {};
    size_t n = 0;
};
constexpr LetterPairs rLineKwPairs() {
    LetterPairs r;
    for (const char *szKw : arLineKeywords) {
        if (r.n < sizeof r.arFirst) {
            r.arFirst[r.n] = static_cast<char>(szKw[0] | 0x20);
            r.arSecond[r.n] = static_cast<char>(szKw[1] | 0x20);
        }
        ++r.n;  // more than fit: the static_assert of the scan says so
    }
    return r;
}
// The bytes the flattening looks at wherever they stand: those that are not quiet for it, but
// the first letters of the line keywords, which it looks at only after a blank.
constexpr StopBytes rFlatStops() {
    const StopBytes r = rStopsOf(Q_FLAT);
    StopBytes rOut;
    for (size_t i = 0; i < r.nRaw; ++i) rOut.arRaw[rOut.nRaw++] = r.arRaw[i];
    for (size_t i = 0; i < r.nFolded; ++i)
        if (((uFirstLettersOf(W_LINE) >> (r.arFolded[i] - 'a')) & 1u) == 0) rOut.arFolded[rOut.nFolded++] = r.arFolded[i];
    return rOut;
}

#if defined(__SSE2__)
// The lanes of v whose byte and the next one (in v1, the same bytes a lane on) are one of the
// pairs ar1[I], ar2[I].
template <size_t... I>
inline __m128i vAnyPairOf(__m128i v, __m128i v1, const char *ar1, const char *ar2, std::index_sequence<I...>) {
    __m128i vAny = _mm_setzero_si128();
    ((vAny = _mm_or_si128(vAny, _mm_and_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(ar1[I])),
                                              _mm_cmpeq_epi8(v1, _mm_set1_epi8(ar2[I]))))), ...);
    return vAny;
}
#endif
}  // namespace

const char *pFlatRunEnd(const char *pStart, const char *p, const char *pEnd) {
#if defined(__SSE2__)
    static constexpr StopBytes rStops = rFlatStops();
    static constexpr LetterPairs rPairs = rLineKwPairs();
    static_assert(rStops.nRaw + rStops.nFolded <= 12 && rPairs.n <= 8, "the flattening's scan stops at too many bytes");
    const __m128i vCase = _mm_set1_epi8(0x20);
    for (; pEnd - p >= 17; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i vFolded = _mm_or_si128(v, vCase);
        const __m128i vFolded1 = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1)), vCase);
        const __m128i vStop = _mm_or_si128(vAnyOf(v, rStops.arRaw, std::make_index_sequence<rStops.nRaw>()),
                                           vAnyOf(vFolded, rStops.arFolded, std::make_index_sequence<rStops.nFolded>()));
        const unsigned uPair = static_cast<unsigned>(_mm_movemask_epi8(
            vAnyPairOf(vFolded, vFolded1, rPairs.arFirst, rPairs.arSecond, std::make_index_sequence<rPairs.n>())));
        // The lanes after a blank: the step's first lane after the byte before it (none at the start).
        const unsigned uBlank = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(' '))));
        const unsigned uAfterBlank = (uBlank << 1) | (p > pStart && p[-1] == ' ' ? 1u : 0u);
        const unsigned uStop = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(vStop, v))) | (uPair & uAfterBlank);
        if (uStop != 0) return p + __builtin_ctz(uStop);
    }
#endif
    (void)pStart;
    (void)pEnd;
    return p;
}

const char *pQuietRunEndWide(const char *p, const char *pEnd, uint16_t q) {
    switch (q) {
    case Q_FIND: return pWideRunEnd<Q_FIND>(p, pEnd);
    case Q_ENDS: return pWideRunEnd<Q_ENDS>(p, pEnd);
    default: return pTableRunEnd<uint16_t, &LexTables::arQuiet>(p, pEnd, q);
    }
}

TextEnc rTextEnc(int32_t eEnc) {
    return TextEnc{eEnc == ENC_UTF8 ? arUtf8Unit : eEnc == ENC_LATIN1 ? arLatin1Unit : arSjisUnit};
}

int iUnitLenMulti(const char *p, const char *pEnd, TextEnc rEnc) {
    int n = rEnc.pUnitFirst[static_cast<uint8_t>(*p)];
    if (pEnd - p < n) return 1;
    if (rEnc.pUnitFirst == arSjisUnit) return static_cast<uint8_t>(p[1]) >= 0x40 ? 2 : 1;  // the table tells the encoding
    for (int i = 1; i < n; ++i)
        if ((static_cast<uint8_t>(p[i]) & 0xC0) != 0x80) return 1;
    return n;
}

namespace {
// The end of the run of ASCII bytes at s: 64 bytes a step where SSE2 is there (the sign bits of
// four blocks of sixteen at once), else 32, then eight bytes at a time.
const uint8_t *pAsciiRunEnd(const uint8_t *s, const uint8_t *e) {
#if defined(__SSE2__)
    for (; e - s >= 64; s += 64) {
        const __m128i *v = reinterpret_cast<const __m128i *>(s);
        const __m128i vAny = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(v), _mm_loadu_si128(v + 1)),
                                          _mm_or_si128(_mm_loadu_si128(v + 2), _mm_loadu_si128(v + 3)));
        if (_mm_movemask_epi8(vAny) != 0) break;
    }
#endif
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

size_t nPastLeadBom(const char *p, size_t n) {
    size_t nLead = 0;
    while (nLead < n && bIsWhite(p[nLead])) ++nLead;
    return n - nLead >= UTF8_BOM_LEN && std::memcmp(p + nLead, szUtf8Bom, UTF8_BOM_LEN) == 0 ? nLead + UTF8_BOM_LEN : 0;
}

int32_t eDetectEncoding(const char *p, size_t n) {
    if (nPastLeadBom(p, n) != 0) return ENC_UTF8;
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
    while (w > pStart && bIsWordByte(w[-1]) && pBlank - w <= static_cast<ptrdiff_t>(nLongestWith(W_PRIVILEGES))) --w;
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

namespace {
constexpr ptrdiff_t NEAR_QUOTE = 16;  // the bytes after a quote that pQuotedEnd looks at one by one
}  // namespace

// Quotes, line feeds, "*" and "/" all lie below 0x40: no character unit of any encoding read
// holds one after its first byte, so the scans for them look at bytes, not units.
const char *pQuotedEnd(const char *p, const char *pEnd, bool *pbClosed) {
    bool bClosed = false;
    if (pbClosed == nullptr) pbClosed = &bClosed;
    const char q = *p;
    for (const char *s = p + 1; s < pEnd;) {
        // Most literals and quoted names are short: their first bytes are looked at here, the
        // rest by memchr.
        const char *pNear = pEnd - s > NEAR_QUOTE ? s + NEAR_QUOTE : pEnd;
        while (s < pNear && *s != q) ++s;
        if (s == pNear && (s = static_cast<const char *>(std::memchr(s, q, static_cast<size_t>(pEnd - s)))) == nullptr)
            break;
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
    const size_t nAll = static_cast<size_t>(pEnd - pFirst);
    const size_t nA = static_cast<size_t>(pMiddle - pFirst);
    // Most swaps move a comment past a word: their copy needs no block of the heap.
    char arSmall[256];
    HeapPtr<char> spLarge(nAll > sizeof arSmall ? static_cast<char *>(pvAlloc(nAll + 1)) : nullptr);
    char *pTmp = nAll > sizeof arSmall ? spLarge.get() : arSmall;
    if (pTmp == nullptr) return rcNoMem("rcStrSwap()", szGlobalsModule, SITE_STRSWAP_NOMEM);
    std::memcpy(pTmp, pFirst, nAll);
    std::memcpy(pFirst, pTmp + nA, nAll - nA);
    std::memcpy(pFirst + (nAll - nA), pTmp, nA);
    return RC_OK;
}
