// The lexical layer: the questions every pass of the formatter (and the statement extraction of
// file mode) asks at a position in a text, answered in one place. No token is ever built.
//
// A text is a run of bytes [p, pEnd) held in a buffer that has a NUL byte at pEnd. Scans that
// look for an end mark (a line feed, a closing quote, "*/") stop at pEnd; comparisons with a
// keyword or a fixed mark may rely on the NUL at pEnd, which equals no keyword byte.
#pragma once
#include <cstddef>
#include <cstdint>

// Character classes, one table for every pass.
enum : uint8_t {
    CC_WHITE = 0x01,  // blank, line feed, TAB, carriage return: the only white space
    CC_WORD = 0x02,   // ASCII letter, digit, "_", "$", "#": a byte that continues a word
};
extern const uint8_t arCharClass[256];
extern const uint8_t arFoldUpper[256];  // ASCII lower-case letters to capitals, all else as is

inline bool bIsWhite(int c) { return (arCharClass[static_cast<uint8_t>(c)] & CC_WHITE) != 0; }
inline bool bIsSep(int c) { return c == ';' || bIsWhite(c); }
inline bool bIsWordByte(int c) { return (arCharClass[static_cast<uint8_t>(c)] & CC_WORD) != 0; }
inline int iFold(int c) { return arFoldUpper[static_cast<uint8_t>(c)]; }

// The character unit. A Shift_JIS lead byte (0x81 to 0x9F, 0xE0 to 0xEF) and the byte after it
// are one unit, which every scan steps over whole, so that no keyword, quote, comment mark,
// parenthesis or white space is ever seen in its second byte.
int iIsLeadByte(int iByte);
extern int (*pfnIsLeadByte)(int);    // the lead-byte test in use; always iIsLeadByte
extern const uint8_t arUnitLen[256]; // 2 for a byte that opens a double-byte unit, else 1

// Length of the unit at p (p < pEnd): 2 for a lead byte with its companion, else 1. A lead byte
// that is the text's last byte forms no unit.
inline int iUnitLen(const char *p, const char *pEnd) {
    return (arUnitLen[static_cast<uint8_t>(*p)] == 2 && p + 1 < pEnd) ? 2 : 1;
}

// Keywords. The text at p is compared with szKw byte by byte, ASCII letters of both folded to
// capitals and nothing else folded; there is no notion of words (ANDREW begins with AND).
// The number of leading bytes that agreed.
uint32_t uMatchFolded(const char *p, const char *szKw);
// The length of szKw when the text at p begins with it, else 0.
size_t nKwLen(const char *p, const char *szKw);
// 1 when the text begins with the keyword, else 0; *puMatched (when given) receives the number
// of leading bytes that agreed. An empty keyword matches.
int iIsKeyword(const char *szText, const char *szKeyword, uint32_t *puMatched);
// 1 when the text begins with szPrefix followed by szName (the END of a named block), else 0;
// *puMatched receives the number of leading bytes that agreed. Cannot fail.
int iIsCatSame(const char *szText, const char *szPrefix, const char *szName, uint32_t *puMatched);
// The length of the first keyword of the list that begins at p and is followed by white space,
// else 0. The first keyword that agrees in full decides, whatever follows it.
size_t nWordOfList(const char *p, const char *const *arWords, size_t nWords);

// Quoted literals: '...' or "...", a doubled quote of the opening kind standing for one.
inline bool bQuoteAt(const char *p) { return *p == '\'' || *p == '"'; }
// End of the literal that begins at p, just past its closing quote; an opening quote without its
// partner runs to pEnd. p itself when no literal begins there.
const char *pLiteralEnd(const char *p, const char *pEnd);
// The literal's length in bytes, quotes included; 0 when no literal begins at p.
int32_t iQuotedLen(const char *p, const char *pEnd);

// Comments: "--" to the end of the line, "/*" to "*/".
inline bool bCmtAt(const char *p) { return (p[0] == '-' && p[1] == '-') || (p[0] == '/' && p[1] == '*'); }
// End of the comment at p: a line comment just past its line feed, a block comment just past
// its "*/". One without its end mark runs to pEnd; *pbClosed (when given) tells which.
const char *pCmtEnd(const char *p, const char *pEnd, bool *pbClosed = nullptr);
// Measures the comment at szCmt within [szCmt, szEnd) into *puLen. Reports and returns 36 when
// no comment begins there, 26 when a line comment has no line feed before szEnd; an unclosed
// block comment runs to szEnd without complaint. *puLen is set only on success.
int rcSkipCmt(const char *szCmt, const char *szEnd, uint32_t *puLen);

// Exchanges the adjacent pieces [pFirst, pMiddle) and [pMiddle, pEnd) in place. Reports and
// returns 5 when its temporary copy cannot be had, leaving the text as it was.
int rcStrSwap(char *pFirst, char *pMiddle, char *pEnd);
