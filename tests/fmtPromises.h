// The formatter's promises on every text it formats, checked by the corpus properties and the
// fuzz targets: the bytes other than white space are kept, two words that white space separated
// never touch, every literal keeps its bytes, and formatting the output again changes nothing;
// the letter case of keywords changes the letters of keywords alone.
#pragma once
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "formatter/rcFmtInternal.h"
#include "formatter/rcFmtLayout.h"
#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtTokens.h"

inline bool bPromiseWhite(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }
// Bytes that continue a word: letters, digits, "_", "$", "#", non-ASCII bytes, and the quotes
// (n 'x' joined would be a national literal).
inline bool bPromiseWord(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' || u == '$' ||
           u == '#' || u >= 0x80 || u == '\'' || u == '"';
}

// The bytes other than white space (and than "_" with bIgnoreGlue: the glue of -j), in order or
// sorted.
inline std::string sInk(const std::string &s, bool bSorted = false, bool bIgnoreGlue = false) {
    std::string r;
    for (char c : s)
        if (!bPromiseWhite(c) && !(bIgnoreGlue && c == '_')) r += c;
    if (bSorted) std::sort(r.begin(), r.end());
    return r;
}

// Where two words that white space separated in the input touch in the output (or two bytes that
// would open or close a comment): the output's offset, or npos. Exact when the output keeps the
// bytes other than white space in their order; when a comment moved, with bAnyOrder every run of
// word bytes of the output must be found in the input, else nothing is checked.
inline size_t iJoinedAt(const std::string &sIn0, const std::string &sOut0, bool bAnyOrder) {
    const size_t npos = std::string::npos;
    // A byte order mark in front (after white space) is no word: the text proper follows it.
    const size_t nInBom = nPastLeadBom(sIn0.data(), sIn0.size()), nOutBom = nPastLeadBom(sOut0.data(), sOut0.size());
    const std::string sIn = sIn0.substr(nInBom), sOut = sOut0.substr(nOutBom);
    if (sInk(sIn) == sInk(sOut)) {
        char a = 0;
        for (size_t p = 0, q = 0; p < sIn.size(); a = sIn[p++], ++q) {
            bool bGapIn = false, bGapOut = false;
            for (; p < sIn.size() && bPromiseWhite(sIn[p]); ++p) bGapIn = true;
            for (; q < sOut.size() && bPromiseWhite(sOut[q]); ++q) bGapOut = true;
            if (p == sIn.size()) break;
            const char b = sIn[p];
            if (a != 0 && bGapIn && !bGapOut &&
                ((bPromiseWord(a) && bPromiseWord(b)) || (a == '-' && b == '-') || (a == '/' && b == '*') ||
                 (a == '*' && b == '/')))
                return q + nOutBom;
        }
        return npos;
    }
    for (size_t i = 0; bAnyOrder && i < sOut.size();) {
        while (i < sOut.size() && !bPromiseWord(sOut[i])) ++i;
        size_t j = i;
        while (j < sOut.size() && bPromiseWord(sOut[j])) ++j;
        if (j > i && sIn.find(sOut.substr(i, j - i)) == npos) return i + nOutBom;
        i = j;
    }
    return npos;
}

// A block comment as its data: the indentation of its further lines is the layout's to move.
inline std::string sCmtData(const char *p, const char *q) {
    std::string r;
    for (bool bLineStart = false; p < q; ++p) {
        if (bLineStart && (*p == ' ' || *p == '\t')) continue;
        bLineStart = *p == '\n';
        r += *p;
    }
    return r;
}

// A text as the formatter reads it in eEnc (ENC_AUTO: the encoding it shows, in rEnc): without a
// byte order mark in front (white space before it allowed: the text begins after it, where a
// script command may begin), its script lines found.
struct ReadText {
    std::string s;
    TextEnc rEnc;
    ScriptLines lines;
    bool bOk = false;
    size_t nFront = 0;  // the bytes of sAll in front of s (white space and a byte order mark)
    ReadText(const std::string &sAll, int32_t eEnc)
        : rEnc(rTextEnc(eEnc != ENC_AUTO ? eEnc : eDetectEncoding(sAll.data(), sAll.size()))) {
        nFront = nPastLeadBom(sAll.data(), sAll.size());
        s = sAll.substr(nFront);
        bOk = rcFindScriptLines(s.data(), s.size(), rEnc, &lines) == RC_OK;
    }
    // Calls fnPiece(pStart, p, pEnd) for each piece of statement text [p, pEnd) and
    // fnLine(pStart, line) for each script line after it (pStart: the text's start).
    template <class FnPiece, class FnLine>
    void vForEachPart(FnPiece fnPiece, FnLine fnLine) const {
        const char *const p0 = s.data();
        for (size_t i = 0, iPiece = 0; bOk && i <= lines.n; ++i) {
            fnPiece(p0, p0 + iPiece, p0 + (i < lines.n ? lines.p[i].iStart : s.size()));
            if (i == lines.n) break;
            fnLine(p0, lines.p[i]);
            iPiece = lines.p[i].iEnd;
        }
    }
};

// The end of the literal, the comment or the character unit at p, as the lexical layer reads it
// in rEnc.
inline const char *pLexEnd(const char *p0, const char *p, const char *pEnd, TextEnc rEnc) {
    return bLiteralAt(p, p0, pEnd) ? pLiteralEnd(p, pEnd, rEnc)
           : bCmtAt(p)             ? pCmtEnd(p, pEnd)
                                   : p + iUnitLen(p, pEnd, rEnc);
}

// The text [p, q) without the white space at its end.
inline std::string sTrimmed(const char *p, const char *q) {
    while (q > p && bPromiseWhite(q[-1])) --q;
    return std::string(p, q);
}

// A comment as its data: a block comment's (sCmtData), a line comment without its line end.
inline std::string sCmtToken(const char *p, const char *q) { return p[0] == '/' ? sCmtData(p, q) : sTrimmed(p, q); }

// Where the token reader reads a literal, a quoted name or a comment of a piece of statement text
// otherwise than the lexical layer does (a literal at each byte where one may begin, else a
// comment, else a character): the offset in sAll of the first such token of either, or npos. The
// letter case of keywords reads the formatted text with the token reader: a literal it missed
// would have its letters changed.
inline size_t iDataReadOtherwiseAt(const std::string &sAll, int32_t eEnc) {
    using Span = std::pair<size_t, size_t>;
    const ReadText r(sAll, eEnc);
    size_t iAt = std::string::npos;
    r.vForEachPart(
        [&](const char *p0, const char *p, const char *pEnd) {
            std::vector<Span> vLex, vTok;
            for (const char *s = p, *q; s < pEnd; s = q) {
                const bool bLit = bLiteralAt(s, p, pEnd), bCmt = !bLit && bCmtAtIn(s, pEnd);
                q = bLit ? pLiteralEnd(s, pEnd, r.rEnc) : bCmt ? pCmtEnd(s, pEnd) : s + iUnitLen(s, pEnd, r.rEnc);
                if (bLit || bCmt) vLex.emplace_back(s - p0, q - p0);
            }
            TokenReader reader(p, static_cast<size_t>(pEnd - p), r.rEnc, GRAIN_STATEMENTS);
            for (Token t; reader.bNext(&t);) {
                if (t.eKind != TK_LITERAL && t.eKind != TK_QQUOTE && t.eKind != TK_QNAME && t.eKind != TK_LINE_CMT &&
                    t.eKind != TK_BLOCK_CMT)
                    continue;
                const size_t iStart = static_cast<size_t>(p - p0) + t.iOff;
                // The n of nq'x...x' is a character of its own for the lexical layer.
                const size_t nN = t.eKind == TK_QQUOTE && (p[t.iOff] == 'n' || p[t.iOff] == 'N');
                vTok.emplace_back(iStart + nN, iStart + t.nLen);
            }
            size_t i = 0;
            while (i < vLex.size() && i < vTok.size() && vLex[i] == vTok[i]) ++i;
            if (i < vLex.size() || i < vTok.size()) {
                const size_t iHere = r.nFront + std::min(i < vLex.size() ? vLex[i].first : SIZE_MAX,
                                                         i < vTok.size() ? vTok[i].first : SIZE_MAX);
                iAt = std::min(iAt, iHere);
            }
        },
        [](const char *, const ScriptLine &) {});
    return iAt;
}

// The literals of a text read in eEnc, in their order, as the formatter sees them: script
// command lines are no statement text, and a literal ends at the end of its piece at the latest.
// With bAllData also the other data, in the order of the text: block comments (sCmtData), line
// comments without their line end, and the units that go through whole (wrapped, Java).
inline std::vector<std::string> vsLiterals(const std::string &sAll, int32_t eEnc, bool bAllData = false) {
    std::vector<std::string> v;
    const ReadText r(sAll, eEnc);
    r.vForEachPart(
        [&](const char *p0, const char *p, const char *pEnd) {
            for (const char *q; p < pEnd; p = q) {
                q = pLexEnd(p0, p, pEnd, r.rEnc);
                // an unclosed literal runs to the end of its piece, and the line end there is layout
                if (bLiteralAt(p, p0, pEnd)) v.push_back(q == pEnd ? sTrimmed(p, q) : std::string(p, q));
                else if (bAllData && bCmtAt(p)) v.push_back(sCmtToken(p, q));
            }
        },
        [&](const char *p0, const ScriptLine &line) {
            if (!bAllData || !line.bVerbatim) return;
            // A unit that ends the text gets a line end there: the output's, not the unit's.
            size_t iEnd = line.iEnd;
            if (iEnd == r.s.size()) {
                if (iEnd > line.iStart && p0[iEnd - 1] == '\n') --iEnd;
                while (iEnd > line.iStart && p0[iEnd - 1] == '\r') --iEnd;
            }
            v.emplace_back(p0 + line.iStart, p0 + iEnd);
        });
    return v;
}

// Whether every literal, line comment and unit carried whole of the input (as the formatter reads
// it in eEnc) stands in the output byte for byte, in its order: literals never move, and a comment
// moves in front of code alone, never past another comment or a literal. (The further lines of a
// block comment may move with its first, which the layout indents.)
inline bool bDataKept(const std::string &sIn, const std::string &sOut, int32_t eEnc) {
    size_t iAt = 0;
    for (const std::string &sDatum : vsLiterals(sIn, eEnc, true)) {
        if (sDatum.compare(0, 2, "/*") == 0) continue;
        iAt = sOut.find(sDatum, iAt);
        if (iAt == std::string::npos) return false;
        iAt += sDatum.size();
    }
    return true;
}

// The bytes other than white space outside comments, in their order, as the formatter reads the
// text in eEnc (script commands and units carried whole count whole): a comment moves in front of
// code, code never moves, nor does a byte go into a comment or come out of one.
inline std::string sCodeInk(const std::string &sAll, int32_t eEnc) {
    std::string r;
    const ReadText t(sAll, eEnc);
    auto ink = [&r](const char *p, const char *q) {
        for (; p < q; ++p)
            if (!bPromiseWhite(*p)) r += *p;
    };
    t.vForEachPart(
        [&](const char *p0, const char *p, const char *pEnd) {
            for (const char *q; p < pEnd; p = q) {
                q = pLexEnd(p0, p, pEnd, t.rEnc);
                if (bLiteralAt(p, p0, pEnd) || !bCmtAt(p)) ink(p, q);
            }
        },
        [&](const char *p0, const ScriptLine &line) { ink(p0 + line.iStart, p0 + line.iEnd); });
    return r;
}

// The tokens of a text read in eEnc, white space left out: how the lexical layer reads the
// literals and comments, and how Oracle reads numbers (1e-5, .5E+3, 2.5f), words and operators.
// Script commands count as their runs of bytes other than white space, the units carried whole
// (wrapped, Java) as one token each, block comments as sCmtData, line comments without their line
// end. A formatter that only moves white space keeps this list as it is. With bMultibyteWord a
// character of several bytes continues a word, as in an Oracle name; without it, it stands
// alone, as the layout still reads it (a keyword right after one is taken for a keyword: the
// fuzz targets find such texts, real files have not shown one).
inline std::vector<std::string> vsTokens(const std::string &sAll, int32_t eEnc, bool bMultibyteWord = true) {
    std::vector<std::string> v;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    auto isWord = [bMultibyteWord](char c) { return bIsWordByte(c) || (bMultibyteWord && static_cast<unsigned char>(c) >= 0x80); };
    // "<<" opens a label; pairs are read from the left, as Oracle reads them: <<<<= is "<<", "<<", "=".
    static const char *const arOps[] = {":=", "=>", "<=", ">=", "<>", "!=", "^=", "~=", "||", "**", "..", "<<"};
    // The ">>" that closes the label whose "<<" ends at p, as the layout carries a label whole: before
    // a comment or a literal (a quoted name is read whole), within a name's bytes but its white space;
    // null where none does. That ">>" is one token (<<>>= is "<<", ">>", "="), any other ">" one of
    // its own.
    auto labelClose = [&](const char *p0, const char *p, const char *pEnd, TextEnc rEnc) -> const char * {
        size_t nName = 0;
        while (p < pEnd && !(p[0] == '>' && p + 1 < pEnd && p[1] == '>')) {
            if (bCmtAtIn(p, pEnd) || (*p != '"' && bLiteralAt(p, p0, pEnd))) return nullptr;
            const char *e = *p == '"' ? pQuotedEnd(p, pEnd - p > LABEL_MAX ? p + LABEL_MAX : pEnd) : p + iUnitLen(p, pEnd, rEnc);
            nName += *p == '"' ? static_cast<size_t>(e - p) : nInkIn(p, static_cast<size_t>(e - p));
            if (nName >= LABEL_MAX) return nullptr;
            p = e;
        }
        return p < pEnd ? p : nullptr;
    };
    const char *pLabelClose = nullptr;
    // The end of the number at p (digits, a point, an exponent with its sign, and what glues on).
    // A quoting may begin right after the point: the number ends there (1.q'[a'b]' is 1. and a
    // literal, 1.nq'[c]' too).
    auto numberEnd = [&](const char *p0, const char *q, const char *pEnd) {
        while (q < pEnd && isDigit(*q)) ++q;
        if (q < pEnd && *q == '.' && !(q + 1 < pEnd && q[1] == '.'))
            for (++q; q < pEnd && isDigit(*q);) ++q;
        if (q[-1] == '.' && q < pEnd && (bLiteralAt(q, p0, pEnd) || ((*q | 0x20) == 'n' && bLiteralAt(q + 1, p0, pEnd))))
            return q;
        if (q + 1 < pEnd && (*q == 'e' || *q == 'E')) {
            const char *r = q + 1;
            if (r < pEnd && (*r == '+' || *r == '-')) ++r;
            if (r < pEnd && isDigit(*r)) {
                while (r < pEnd && isDigit(*r)) ++r;
                q = r;
            }
        }
        while (q < pEnd && isWord(*q)) ++q;  // 2.5f, 1e-5d, and whatever glues on
        return q;
    };
    const ReadText r(sAll, eEnc);
    r.vForEachPart(
        [&](const char *p0, const char *p, const char *pEnd) {
            for (const char *q; p < pEnd; p = q) {
                q = p + 1;
                if (bIsWhite(*p)) continue;
                if (bLiteralAt(p, p0, pEnd) || bCmtAt(p)) {
                    q = pLexEnd(p0, p, pEnd, r.rEnc);
                    v.push_back(bCmtAt(p) ? sCmtToken(p, q) : std::string(p, q));
                } else if ((isDigit(*p) || (*p == '.' && p + 1 < pEnd && isDigit(p[1]))) &&
                           (p == p0 || (!isWord(p[-1]) && p[-1] != '.'))) {
                    q = numberEnd(p0, p, pEnd);
                    v.emplace_back(p, q);
                } else if (isWord(*p)) {
                    // by character units: a q inside one opens nothing; nq'...' ends the n
                    for (q = p + iUnitLen(p, pEnd, r.rEnc); q < pEnd && isWord(*q) && !bLiteralAt(q, p0, pEnd);)
                        q += iUnitLen(q, pEnd, r.rEnc);
                    v.emplace_back(p, q);
                } else {
                    q = p + iUnitLen(p, pEnd, r.rEnc);  // a character of several bytes is one token
                    for (const char *szOp : arOps)
                        if (q == p + 1 && q < pEnd && p[0] == szOp[0] && p[1] == szOp[1]) q = p + 2;
                    if (p == pLabelClose) q = p + 2;
                    v.emplace_back(p, q);
                    if (q == p + 2 && p[0] == '<' && p[1] == '<') pLabelClose = labelClose(p0, q, pEnd, r.rEnc);
                }
            }
        },
        [&](const char *p0, const ScriptLine &line) {
            const char *c = p0 + line.iStart, *cEnd = p0 + line.iEnd;
            if (line.bVerbatim) {
                v.push_back(sTrimmed(c, cEnd));
                return;
            }
            for (const char *e; c < cEnd; c = e) {
                while (c < cEnd && bPromiseWhite(*c)) ++c;
                for (e = c; e < cEnd && !bPromiseWhite(*e);) ++e;
                if (e > c) v.emplace_back(c, e);
            }
        });
    return v;
}

// The statement ends of a text as its tokens read: each ";" and each "/" (also a command's).
inline size_t nStatementsIn(const std::string &s, int32_t eEnc) {
    size_t n = 0;
    for (const std::string &t : vsTokens(s, eEnc, false)) n += t == ";" || t == "/";
    return n;
}

// Where the text holds empty lines outside its data (literals, block comments, the units carried
// whole, the script commands with their continuation lines): the offset of each line feed before
// one.
inline std::vector<size_t> vEmptyLinesAt(const std::string &sAll, int32_t eEnc) {
    const ReadText r(sAll, eEnc);
    std::string s = r.s;  // the data blanked out, so that its empty lines count for nothing
    auto blank = [&](const char *p0, const char *p, const char *q) {
        std::fill(s.begin() + (p - p0), s.begin() + (q - p0), 'x');
    };
    r.vForEachPart(
        [&](const char *p0, const char *p, const char *pEnd) {
            for (const char *q; p < pEnd; p = q) {
                q = pLexEnd(p0, p, pEnd, r.rEnc);
                if (bLiteralAt(p, p0, pEnd) || (p[0] == '/' && p[1] == '*')) blank(p0, p, q);  // a line comment keeps its line end
            }
        },
        // A command's lines, continuation lines included, are the author's, as is a unit carried
        // whole: one line of data each.
        [&](const char *p0, const ScriptLine &line) {
            const char *q = p0 + line.iEnd;
            if (q > p0 + line.iStart && q[-1] == '\n') --q;
            blank(p0, p0 + line.iStart, q);
        });
    std::vector<size_t> v;
    for (size_t i = s.find('\n'); i != std::string::npos; i = s.find('\n', i + 1)) {
        size_t j = i + 1;
        while (j < s.size() && (s[j] == ' ' || s[j] == '\t' || s[j] == '\r')) ++j;
        if (j < s.size() && s[j] == '\n') v.push_back(r.nFront + i);
    }
    return v;
}

// The first of them, npos when there is none: the layout writes none unless asked to keep them.
inline size_t iEmptyLineAt(const std::string &sAll, int32_t eEnc) {
    const std::vector<size_t> v = vEmptyLinesAt(sAll, eEnc);
    return v.empty() ? std::string::npos : v[0];
}

// Where a text formatted with a keyword case (sCased) differs from the same text formatted with
// keep (sKeep) in more than the letters of keywords: the first byte that differs otherwise, or
// that lies in a run of word bytes that is no keyword of the table of words (W_KEYWORD); the
// length of the shorter text when the lengths differ; npos when there is none.
inline size_t iNotKeywordCaseAt(const std::string &sKeep, const std::string &sCased) {
    if (sKeep.size() != sCased.size()) return std::min(sKeep.size(), sCased.size());
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; };
    for (size_t i = 0; i < sKeep.size(); ++i) {
        if (sKeep[i] == sCased[i]) continue;
        if (lower(sKeep[i]) != lower(sCased[i])) return i;
        size_t iStart = i, iEnd = i;
        while (iStart > 0 && bIsWordByte(sKeep[iStart - 1])) --iStart;
        while (iEnd < sKeep.size() && bIsWordByte(sKeep[iEnd])) ++iEnd;
        const WordId eWord = eWordOf(sKeep.data() + iStart, iEnd - iStart);
        if (eWord == WORD_NONE || (arWordDefs[eWord].uRoles & W_KEYWORD) == 0) return i;
    }
    return std::string::npos;
}
