// The lexical layer: the questions every pass of the formatter (and the statement extraction of
// file mode) asks at a position in a text, answered in one place. The token reader
// (rcFmtTokens.h) cuts a text into tokens by the same answers.
//
// A text is a run of bytes [p, pEnd) held in a buffer that has a NUL byte at pEnd. Scans that
// look for an end mark (a line feed, a closing quote, "*/") stop at pEnd; comparisons with a
// keyword or a fixed mark may rely on the NUL at pEnd, which equals no keyword byte.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

// Character classes, one table for every pass.
enum : uint8_t {
    CC_WHITE = 0x01,  // blank, line feed, TAB, carriage return: the only white space
    CC_WORD = 0x02,   // ASCII letter, digit, "_", "$", "#": a byte that continues a word
    CC_OPER = 0x04,   // a byte that begins an operator (szOperatorBytes)
    CC_INWORD = 0x08, // a word byte but q and Q: inside a word no scan looks at it on its own
    CC_MPLAIN = 0x10, // CC_INWORD but the first letters of SELECT and AND: nor does the metric, which
                      // finds those anywhere
    CC_LINE_FIRST = 0x20, // the first letter of a line keyword, in either case
};
// The bytes that a scan steps over without looking at them one by one, a bit per scan. No byte
// of 0x80 or more is quiet (it may begin a character of several bytes).
enum : uint16_t {
    Q_NORM = 0x01,     // squeezing with blank insertion: all but white space, quotes, q, "-", "/",
                       // "(", ")", ",", ";", operators
    Q_MOVE = 0x04,     // comment moves: all but quotes, q, "-", "/", and the block headers' first letters
    Q_FLAT = 0x08,     // flattening: all but white space other than the blank, quotes, q, "-", "/", and
                       // the line keywords' first letters
    Q_FIND = 0x10,     // the script-command finder: all but quotes, q, "-", "/", ";", line feed
    Q_ENDS = 0x40,     // the finder inside a statement, stopped only by what may end it or hide
                       // its end: all but quotes, q, "-", "/", ";" (a "/" line is found at its "/")
    Q_METRIC = 0x20,   // the metric: all but quotes, q, "-", "/", "(", ")", ",", operators, and the
                       // first letters of the words it looks for (W_METRIC: SELECT, AND, IS NULL)
    Q_SCAN = 0x80,     // the layout's condition and CASE scans: all but white space, quotes, q, "-",
                       // "/", ",", ";", "<" (a label), and the first letters of the words they stop
                       // at (W_SCAN)
    Q_THEN = 0x100,    // the look for THEN (or $THEN, $END): all but quotes, q, "-", "/", ";", "<" (a
                       // label), and the first bytes of those words (W_THEN)
};
// White space: the blank, TAB, CR and LF; no other byte, and never a byte of a character of
// several bytes in any encoding read.
inline constexpr char arWhiteBytes[] = {' ', '\n', '\t', '\r'};
// The bytes of words: ASCII letters, digits, "_", "$", "#".
constexpr bool bWordByteOf(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#';
}
// The bytes that begin an operator.
inline constexpr char szOperatorBytes[] = ":<>!=|*+-^~";
constexpr bool bOperatorByteOf(int c) {
    for (const char *p = szOperatorBytes; *p != '\0'; ++p)
        if (*p == c) return true;
    return false;
}
constexpr bool bWhiteByte(int c) { return c == arWhiteBytes[0] || c == arWhiteBytes[1] || c == arWhiteBytes[2] || c == arWhiteBytes[3]; }

// The byte tables of the lexical layer, made once at compile time.
struct LexTables {
    uint8_t arClass[256] = {};   // CC_ bits of each byte
    uint8_t arFold[256] = {};    // ASCII lower-case letters to capitals, every other byte as is
    uint8_t arSjis[256] = {};    // per first byte: 2 for a Shift_JIS lead byte, else 1
    uint8_t arUtf8[256] = {};    // per first byte: the length of the UTF-8 sequence it opens, else 1
    uint8_t arLatin1[256] = {};  // 1 for every byte
    uint32_t arLineKwSecond[26] = {};  // per first letter A to Z: the second letters of the line keywords, a bit each
    uint16_t arQuiet[256] = {};  // Q_ bits: the scans for which the byte needs no look of its own
    constexpr LexTables();
};
extern const LexTables rLex;

inline bool bIsWhite(int c) { return (rLex.arClass[static_cast<uint8_t>(c)] & CC_WHITE) != 0; }
// The bytes of [p, p + n) that are not white space.
inline size_t nInkIn(const char *p, size_t n) {
    size_t nInk = 0;
    for (size_t i = 0; i < n; ++i) nInk += !bWhiteByte(static_cast<unsigned char>(p[i]));
    return nInk;
}
inline bool bIsSep(int c) { return c == ';' || bIsWhite(c); }
inline bool bIsWordByte(int c) { return (rLex.arClass[static_cast<uint8_t>(c)] & CC_WORD) != 0; }
inline int iFold(int c) { return rLex.arFold[static_cast<uint8_t>(c)]; }
inline bool bIsOperByte(int c) { return (rLex.arClass[static_cast<uint8_t>(c)] & CC_OPER) != 0; }
inline bool bQuiet(int c, uint16_t q) { return (rLex.arQuiet[static_cast<uint8_t>(c)] & q) != 0; }
// The end of the run of bytes quiet for the scan q from p on.
// Both runs are walked four bytes a step.
template <class T, const T (LexTables::*arTable)[256]>
inline const char *pTableRunEnd(const char *p, const char *pEnd, T bits) {
    const T *t = rLex.*arTable;
    for (; pEnd - p >= 4; p += 4) {
        if ((t[static_cast<uint8_t>(p[0])] & bits) == 0) return p;
        if ((t[static_cast<uint8_t>(p[1])] & bits) == 0) return p + 1;
        if ((t[static_cast<uint8_t>(p[2])] & bits) == 0) return p + 2;
        if ((t[static_cast<uint8_t>(p[3])] & bits) == 0) return p + 3;
    }
    while (p < pEnd && (t[static_cast<uint8_t>(*p)] & bits) != 0) ++p;
    return p;
}
// The scans whose quiet runs are long (they stop at few bytes: a literal's or comment's first
// byte, a line feed or ";"): past a run's first four bytes they read sixteen bytes a step
// (pQuietRunEndWide).
enum : uint16_t { Q_WIDE = Q_FIND | Q_ENDS };
// The end of the run of bytes quiet for the scan q (one of Q_WIDE) from p on, at least sixteen
// bytes before pEnd.
const char *pQuietRunEndWide(const char *p, const char *pEnd, uint16_t q);
inline const char *pQuietRunEnd(const char *p, const char *pEnd, uint16_t q) {
    if ((q & Q_WIDE) != 0 && pEnd - p >= 20) {
        for (int i = 0; i < 4; ++i)
            if (!bQuiet(p[i], q)) return p + i;
        return pQuietRunEndWide(p + 4, pEnd, q);
    }
    return pTableRunEnd<uint16_t, &LexTables::arQuiet>(p, pEnd, q);
}
// The flattening's run from p on, sixteen bytes a step where SSE2 is there: the first byte that
// it looks at (one that is not quiet for it, but a line keyword's first letter only after a
// blank and before the keyword's second letter), or where the last bytes before pEnd begin that
// make no step (sixteen or fewer); p when none is passed.
const char *pFlatRunEnd(const char *pStart, const char *p, const char *pEnd);
// Whether p (in a text that begins at pStart) lies inside a word at a byte of CC_INWORD.
inline bool bInWordAt(const char *p, const char *pStart) {
    return p > pStart && bIsWordByte(p[-1]) && (rLex.arClass[static_cast<uint8_t>(*p)] & CC_INWORD) != 0;
}
// The end of the run of bytes of class cc from p on. Inside a word (a word byte before p) the
// bytes of CC_INWORD need no look of their own in any pass: no keyword, literal, comment or
// operator begins there (q' after n opens a literal, so q and Q are not among them).
inline const char *pClassRunEnd(const char *p, const char *pEnd, uint8_t cc) {
    return pTableRunEnd<uint8_t, &LexTables::arClass>(p, pEnd, cc);
}
// The end of the run of bytes at p that the scan q passes over without a look of its own (its
// quiet bytes, or the inside of a word), or null when p begins no such run.
inline const char *pPlainRunEnd(const char *pStart, const char *p, const char *pEnd, uint16_t q) {
    if (bQuiet(*p, q)) return pQuietRunEnd(p + 1, pEnd, q);
    if (bInWordAt(p, pStart)) return pClassRunEnd(p, pEnd, CC_INWORD);
    return nullptr;
}

// Copies n bytes (sizeof(T) <= n <= 2 * sizeof(T)) as a first and a last T, which may overlap.
template <class T>
inline void vCopyEnds(char *d, const char *p, size_t n) {
    T a, b;
    std::memcpy(&a, p, sizeof a);
    std::memcpy(&b, p + n - sizeof b, sizeof b);
    std::memcpy(d, &a, sizeof a);
    std::memcpy(d + n - sizeof b, &b, sizeof b);
}

// Copies the n bytes at p to d. Most runs the passes copy are a byte or a word: up to 16 bytes
// are copied in two overlapping moves of a fixed size, which need no call.
inline void vCopyRun(char *d, const char *p, size_t n) {
    if (n == 1) {
        *d = *p;
    } else if (n <= 3) {
        d[0] = p[0];
        d[n - 2] = p[n - 2];
        d[n - 1] = p[n - 1];
    } else if (n <= 8) {
        vCopyEnds<uint32_t>(d, p, n);
    } else if (n <= 16) {
        vCopyEnds<uint64_t>(d, p, n);
    } else {
        std::memcpy(d, p, n);
    }
}

// The character unit: the bytes that every scan steps over whole, so that no keyword, quote,
// comment mark, parenthesis or white space is ever seen inside a character. Which bytes form a
// unit depends on the text's encoding:
//   Shift_JIS: a lead byte (0x81 to 0x9F, 0xE0 to 0xEF) and the byte after it, unless that byte
//     lies below 0x40 (a quote, a blank, a line end, a parenthesis, a comma, a semicolon: such a
//     pair is never a character);
//   UTF-8: a whole multibyte sequence; a byte that begins none is a unit of its own;
//   Latin-1 (every single-byte code page): every byte.
enum : int32_t { ENC_AUTO = 0, ENC_SJIS = 1, ENC_UTF8 = 2, ENC_LATIN1 = 3 };
// The encoding a text is read in, as every function that steps over its character units takes
// it: a value that travels with the text (in the formatter's working state), never a setting
// that one text leaves behind for the next, so texts of different encodings may be read one after
// the other or at the same time. It is the encoding's table of unit lengths alone, a pointer
// passed in one register, whose common case is one look into the table.
struct TextEnc {
    const uint8_t *pUnitFirst;  // per first byte: 1, or the length of the unit it may open
};
// The encoding eEnc for the scans (ENC_AUTO is not one: the caller decides; any value but
// ENC_UTF8 and ENC_LATIN1 reads Shift_JIS).
TextEnc rTextEnc(int32_t eEnc);
// The UTF-8 byte order mark, and where the one that begins a text [p, p + n) ends, past the white
// space before it: the formatter drops that white space and keeps the mark in front, where a
// second run finds it. 0 where no mark begins the text.
inline constexpr char szUtf8Bom[] = "\xEF\xBB\xBF";
inline constexpr size_t UTF8_BOM_LEN = sizeof szUtf8Bom - 1;
size_t nPastLeadBom(const char *p, size_t n);
// The encoding a text of unknown encoding is read in: UTF-8 when it begins with a UTF-8 byte
// order mark (after white space or none) or is valid UTF-8 holding at least one multibyte
// sequence, else Shift_JIS.
int32_t eDetectEncoding(const char *p, size_t n);
// Whether [p, p + n) is valid UTF-8 (no overlong form, no surrogate, nothing above U+10FFFF).
bool bValidUtf8(const char *p, size_t n);

int iUnitLenMulti(const char *p, const char *pEnd, TextEnc rEnc);

// Length of the unit at p (p < pEnd) in the encoding rEnc; a unit is never cut by pEnd.
inline int iUnitLen(const char *p, const char *pEnd, TextEnc rEnc) {
    return rEnc.pUnitFirst[static_cast<uint8_t>(*p)] == 1 ? 1 : iUnitLenMulti(p, pEnd, rEnc);
}

// Keywords. The text at p is compared with szKw byte by byte, ASCII letters of both folded to
// capitals and nothing else folded; there is no notion of words (ANDREW begins with AND).
// The number of leading bytes that agreed.
inline uint32_t uMatchFolded(const char *p, const char *szKw) {
    uint32_t n = 0;
    while (szKw[n] != '\0' && iFold(p[n]) == iFold(szKw[n])) ++n;
    return n;
}
// The same for a keyword written in capitals, as every keyword of the formatter's own lists is:
// only the text needs folding.
inline uint32_t uMatchCapitals(const char *p, const char *szKw) {
    uint32_t n = 0;
    while (szKw[n] != '\0' && iFold(p[n]) == static_cast<uint8_t>(szKw[n])) ++n;
    return n;
}
// The length of szKw (in capitals) when the text at p begins with it, else 0.
inline size_t nKwLen(const char *p, const char *szKw) {
    uint32_t n = uMatchCapitals(p, szKw);
    return szKw[n] == '\0' ? n : 0;
}
// Whether the n bytes at p begin szKw (in capitals; the text's letters in any case); no byte
// after them is read.
inline bool bKwBegins(const char *p, size_t n, const char *szKw) {
    for (size_t i = 0; i < n; ++i)
        if (szKw[i] == '\0' || iFold(p[i]) != static_cast<uint8_t>(szKw[i])) return false;
    return true;
}
// Whether the n bytes at p are the word szWord (in capitals; the text's letters in any case).
inline bool bWordIs(const char *p, size_t n, const char *szWord) {
    return n != 0 && iFold(*p) == static_cast<uint8_t>(szWord[0]) && n == std::strlen(szWord) && nKwLen(p, szWord) == n;
}
// The index of the letter c (A to Z in either case) in the alphabet, else -1.
inline int iLetter(int c) {
    const int f = iFold(c);
    return f >= 'A' && f <= 'Z' ? f - 'A' : -1;
}
// The indexes of a list's words by a key of each (their first letter, their first two), in the
// list's order, each list ending with -1; made at compile time, where a key with more than
// nPerKey words fails the build.
template <size_t nKeys, size_t nPerKey>
struct WordsByKey {
    int8_t ar[nKeys][nPerKey + 1];
    template <class FnKey>
    constexpr WordsByKey(size_t nWords, FnKey fnKey) : ar() {
        for (auto &list : ar)
            for (auto &i : list) i = -1;
        for (size_t i = 0; i < nWords; ++i) {
            int8_t *pList = ar[fnKey(i)];
            size_t n = 0;
            while (pList[n] >= 0) ++n;
            pList[n] = static_cast<int8_t>(i);
            const int8_t iEndMark = ar[fnKey(i)][n + 1];  // one word too many reads past the list
            static_cast<void>(iEndMark);
        }
    }
};
// 1 when the text begins with the keyword, else 0; *puMatched (when given) receives the number
// of leading bytes that agreed. An empty keyword matches.
int iIsKeyword(const char *szText, const char *szKeyword, uint32_t *puMatched);
// 1 when the text begins with szPrefix followed by szName (the END of a named block), else 0;
// *puMatched receives the number of leading bytes that agreed. Cannot fail.
int iIsCatSame(const char *szText, const char *szPrefix, const char *szName, uint32_t *puMatched);
// Whether a word that ends before p stands on its own: white space follows it, or an operator
// or a comment, which get a blank before them.
bool bWordEndsAt(const char *p);
// The same in a text that ends at pEnd, whose end ends a word too; no byte from pEnd on is read.
bool bWordEndsIn(const char *p, const char *pEnd);
// The length of the first keyword of the list that begins at p and stands on its own, else 0.
// The first keyword that agrees in full decides, whatever follows it.
size_t nWordOfList(const char *p, const char *const *arWords, size_t nWords);

// Operators, so ordered that a two-byte operator is never split: the length of the operator at
// p, else 0. (The division sign "/" is not among them: it may be the SQL*Plus terminator.)
size_t nOperatorAt(const char *p);
// The same in a text that ends at pEnd (p before it); no byte from pEnd on is read.
size_t nOperatorAtIn(const char *p, const char *pEnd);
// Whether the "+" or "-" at p (in the text that begins at pStart) is the sign of a number's
// exponent (1e-5, 2.5E+3, .5e-3, 1.e-3): a digit follows it, and the e before it ends digits (with
// one point among them) that begin a word. Such a sign belongs to the number.
bool bExponentSignAt(const char *p, const char *pStart);
// Whether the "*" at p (in the text that begins at pStart) stands for every column of a table or
// view: right after the "." of a name (t.*, s.t.*, "T".*), not of a number (1.*2 multiplies) nor
// after a point that follows no name.
bool bQualifiedStarAt(const char *p, const char *pStart);
// The operator at p in the text that begins at pStart, as nOperatorAt, but none at a number's
// exponent sign or at the star of a qualified name: every scan that lays out or measures operators
// asks this.
inline size_t nOperatorIn(const char *p, const char *pStart) {
    const size_t n = nOperatorAt(p);
    if (n != 1) return n;
    if ((*p == '-' || *p == '+') && bExponentSignAt(p, pStart)) return 0;
    return *p == '*' && bQualifiedStarAt(p, pStart) ? 0 : n;
}

// The statement keywords that begin a line of their own wherever white space stands before them
// (SHOW, EXECUTE, CREATE, ALTER, DROP): the length of the one at p, else 0.
size_t nLineKeywordOf(const char *p);
// Whether a line keyword after the blank at pBlank (the text before it from pStart on) begins its
// line: not after a comma, nor after GRANT, REVOKE, AUDIT or NOAUDIT, where CREATE, ALTER, DROP
// and EXECUTE name privileges (GRANT CREATE SESSION, EXECUTE ON p) and no statement can begin.
bool bLineKeywordBreaksAfter(const char *pStart, const char *pBlank);
// Whether the first two bytes at p are those of a line keyword: every other word is passed over
// at once.
inline bool bLineKeywordPairAt(const char *p) {
    if ((rLex.arClass[static_cast<uint8_t>(p[0])] & CC_LINE_FIRST) == 0) return false;
    const unsigned c0 = static_cast<unsigned>(iFold(p[0]) - 'A'), c1 = static_cast<unsigned>(iFold(p[1]) - 'A');
    return c0 < 26 && c1 < 26 && ((rLex.arLineKwSecond[c0] >> c1) & 1u) != 0;
}
inline size_t nLineKeywordAt(const char *p) { return bLineKeywordPairAt(p) ? nLineKeywordOf(p) : 0; }

// Literals: '...' and "...", a doubled quote of the opening kind standing for one; and the
// alternative quoting q'x...x' (also nq'...', letters in either case), whose delimiter x is any
// character but white space, with [ ] { } ( ) < > closing as pairs, and no doubling inside.
inline bool bQuoteAt(const char *p) { return *p == '\'' || *p == '"'; }
// Whether q' at p (in the text that begins at pStart) opens an alternative quoting: q begins a
// word, or follows an n that does, and a delimiter follows the quote.
bool bAltQuoteAt(const char *p, const char *pStart, const char *pEnd);
// Whether a literal begins at p.
inline bool bLiteralAt(const char *p, const char *pStart, const char *pEnd) {
    return bQuoteAt(p) || ((*p == 'q' || *p == 'Q') && pEnd - p >= 2 && p[1] == '\'' && bAltQuoteAt(p, pStart, pEnd));
}
// End of the literal that begins at p (where bLiteralAt holds) in a text read in rEnc, just past
// its closing quote; a literal without its end runs to pEnd. *pbClosed (when given) tells which.
const char *pLiteralEnd(const char *p, const char *pEnd, TextEnc rEnc, bool *pbClosed = nullptr);
// The same for a literal that begins with a quote (where bQuoteAt holds), in any encoding: no
// character unit holds a quote after its first byte.
const char *pQuotedEnd(const char *p, const char *pEnd, bool *pbClosed = nullptr);

// Comments: "--" to the end of the line, "/*" to "*/".
inline bool bLineCmtAt(const char *p) { return p[0] == '-' && p[1] == '-'; }
inline bool bBlockCmtAt(const char *p) { return p[0] == '/' && p[1] == '*'; }
inline bool bCmtAt(const char *p) { return bLineCmtAt(p) || bBlockCmtAt(p); }
// The same in a text that ends at pEnd (p before it), whose end may be followed by anything.
inline bool bCmtAtIn(const char *p, const char *pEnd) { return pEnd - p >= 2 && bCmtAt(p); }
// End of the comment at p: a line comment just past its line feed, a block comment just past
// its "*/". One without its end mark runs to pEnd; *pbClosed (when given) tells which.
const char *pCmtEnd(const char *p, const char *pEnd, bool *pbClosed = nullptr);
// The literal or comment of [pStart, pEnd), read in rEnc, that is still open at pEnd (its end
// mark never comes: a closing quote, "*/", a line comment's line feed), or null when every one
// closes.
const char *pOpenAtEnd(const char *pStart, const char *pEnd, TextEnc rEnc);
// Whether the white space [p, pEnd) holds an empty line: a line feed after which only blanks,
// TABs and CRs come before the next line feed; bLineStart: p begins a line, so that a line feed
// there ends an empty line already.
inline bool bEmptyLineIn(const char *p, const char *pEnd, bool bLineStart) {
    bool bEmptySoFar = bLineStart;
    for (; p < pEnd; ++p) {
        if (*p != '\n') continue;
        if (bEmptySoFar) return true;
        bEmptySoFar = true;
    }
    return false;
}
// The blanks and TABs at the starts of the lines after the first of [p, pEnd): the indentation
// of a block comment's further lines, which the layout may move and nothing measures.
size_t nLineIndentsIn(const char *p, const char *pEnd);
// Measures the comment at szCmt within [szCmt, szEnd) into *puLen. Reports and returns 36 when
// no comment begins there, 26 when a line comment has no line feed before szEnd; an unclosed
// block comment runs to szEnd without complaint. *puLen is set only on success.
int rcSkipCmt(const char *szCmt, const char *szEnd, uint32_t *puLen);

// Exchanges the adjacent pieces [pFirst, pMiddle) and [pMiddle, pEnd) in place. Reports and
// returns 5 when its temporary copy cannot be had, leaving the text as it was.
int rcStrSwap(char *pFirst, char *pMiddle, char *pEnd);
