// The layout engine: one walk over the normalised statement that writes the output into a block
// growing as it goes, the output actions the rules share, the text-carrying rules, and the
// finishing of the output (the first line's indentation put in front).
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtLayout.h"

// ---------------------------------------------------------------------------------------------
// Output actions. The output buffer grows as the walk writes; when it cannot, the walk goes on
// counting and its end reports the want of memory.

// Grows the buffer for n more bytes and a NUL.
bool bGrow(LayoutState *st, int64_t n) {
    size_t nCap = st->pOut != nullptr ? static_cast<size_t>(st->iCap) + 1 : 0;
    const int64_t nNeed = st->iDstLen + n + 1;
    if (st->bNoRoom || nNeed >= INT32_MAX || !bGrowTo(&st->pOut, &nCap, static_cast<size_t>(nNeed))) {
        st->bNoRoom = true;
        return false;
    }
    st->iCap = static_cast<int64_t>(nCap) - 1;
    return true;
}

// Whether the output line ends in a command: the statement's first word is R or L, and the
// script finder takes it with what follows it up to the reading position for one (R alone, L with
// its line numbers: L 3, L *). The layout may break a statement's first line that is none so
// (R CREATE ..., L 2 5, b), where a second run would read RUN or LIST. The first line break after
// the word settles its line: kept, the line goes on with more than a command; ended, what follows
// is no line where a command is read.
inline bool bCmdLetterLine(LayoutState *st) {
    if (st->pCmdLetter == nullptr || st->szSrc <= st->pCmdLetter) return false;
    const bool bCmd = bOneLetterCmd(st->pCmdLetter, st->szSrc);
    st->pCmdLetter = nullptr;
    return bCmd;
}

// The rest of the text stays on the line: after one blank, unless only white space is left (at
// the end of the text a "/" stands alone all the same: there it ends the text).
bool bKeepLineFor(LayoutState *st) {
    const char *p = st->szSrc;
    while (p < st->szTail && bIsWhite(*p)) ++p;
    if (p == st->szTail) return false;
    if (st->cLast != ' ') vPutBlank(st);
    return true;
}

// A line that holds nothing but a division sign, or that ends in a command where a statement
// begins, is not ended: the text after it stays on it, after one blank. Asked at every line break.
[[gnu::always_inline]] inline bool bKeepLine(LayoutState *st) {
    if (!st->iSlashLine && !bCmdLetterLine(st)) return false;
    return bKeepLineFor(st);
}

// No line ends in a blank: the white space at the end of the output goes before a line break.
void vDropTrailWhite(LayoutState *st) {
    st->iDstLen -= st->nTrailWhite;
    st->nTrailWhite = 0;
}

void vIndent(LayoutState *st, int32_t iLevel) {
    if (iLevel < 0) iLevel = 0;
    st->iLineIdt = iLevel;
    if (iLevel == 0) return;
    // One bookkeeping for the whole indentation, as vPut would leave it after each unit.
    const int64_t nUnit = st->iUnitLen, n = nUnit * iLevel;
    if (st->cIndentFill != 0 && n <= 16 && st->iDstLen + 16 <= st->iCap) {
        // Most lines: a few levels, written as sixteen bytes of the fill where the buffer holds
        // them (those past the indentation lie beyond the output's end, which later bytes
        // overwrite).
        const uint64_t uFill = 0x0101010101010101ull * static_cast<uint8_t>(st->cIndentFill);
        char *d = st->pOut + st->iDstLen;
        std::memcpy(d, &uFill, 8);
        std::memcpy(d + 8, &uFill, 8);
    } else if (bRoom(st, n)) {
        char *d = st->pOut + st->iDstLen;
        if (st->cIndentFill == 0)
            for (int32_t i = 0; i < iLevel; ++i, d += nUnit) std::memcpy(d, st->szIndent, static_cast<size_t>(nUnit));
        else
            std::memset(d, st->cIndentFill, static_cast<size_t>(n));
    }
    st->iDstLen += n;
    st->cLast = st->szIndent[nUnit - 1];
    if (st->cLast != ' ') st->iSlashLine = false;
    st->nTrailWhite += n;
}

// A line feed and iLevel units of indentation after the output's text, as vPut and vIndent would
// leave them: on most lines sixteen bytes of the fill, the line feed over the first, written as
// two stores where the buffer holds them.
inline void vNewLine(LayoutState *st, int32_t iLevel) {
    const int64_t n = static_cast<int64_t>(st->iUnitLen) * iLevel;
    if (iLevel <= 0 || st->cIndentFill == 0 || n > 15 || st->iDstLen + 16 > st->iCap) {
        vPut(st, "\n", 1);
        vIndent(st, iLevel);
        return;
    }
    const uint64_t uFill = 0x0101010101010101ull * static_cast<uint8_t>(st->cIndentFill);
    char *d = st->pOut + st->iDstLen;
    std::memcpy(d, &uFill, 8);
    std::memcpy(d + 8, &uFill, 8);
    d[0] = '\n';
    st->iDstLen += 1 + n;
    st->cLast = st->cIndentFill;
    st->iSlashLine = false;
    st->nTrailWhite = n;
    st->iLineIdt = iLevel;
}

// A line that holds nothing but indentation gets no line break: it is indented anew. The layout
// writes no empty line (a second run would not keep it).
void vLineBreak(LayoutState *st) {
    if (st->iDstLen == 0) return;  // the first line's indentation comes with the rotation
    if (bKeepLine(st)) return;
    vDropTrailWhite(st);
    if (st->iLineIdt < 0)
        vNewLine(st, st->iIdt);
    else
        vIndent(st, st->iIdt);
}

void vCopyNewline(LayoutState *st) {
    if (bKeepLine(st)) {
        st->szSrc += 1;
        return;
    }
    vDropTrailWhite(st);
    if (st->iLineIdt < 0)
        vCopy(st, 1);
    else
        st->szSrc += 1;
    vIndent(st, st->iIdt);
}

void vBreakForBlank(LayoutState *st) {
    if (st->szSrc >= st->szTail || *st->szSrc == '\n') return;  // the newline rule writes this one
    if (bIsWhite(*st->szSrc)) {
        st->szSrc += 1;
        vLineBreak(st);
    } else if (bWordEndsAt(st->szSrc)) {
        vLineBreak(st);  // an operator right after the keyword: a second run finds a blank there
    }
}

void vBreakBefore(LayoutState *st, int32_t iLevel) {
    // A keyword that already begins its line (after a line break or a kept newline) is not
    // broken again: overwriting a byte of bare indentation would only leave an empty line.
    if (st->iLineIdt >= 0 || bKeepLine(st)) return;
    vDropTrailWhite(st);  // the blank before the keyword becomes the line break
    vNewLine(st, iLevel);
}

void vStepBack(LayoutState *st) {
    // Takes back one unit only where the line holds nothing but indentation, at least one unit of
    // it; on a line that holds text or no indentation it takes back nothing.
    if (st->iLineIdt < 1) return;
    st->iDstLen -= st->iUnitLen;
    st->nTrailWhite = st->nTrailWhite > st->iUnitLen ? st->nTrailWhite - st->iUnitLen : 0;
    st->iLineIdt -= 1;
    st->cLast = (st->iLineIdt > 0 && st->iUnitLen > 0) ? st->szIndent[st->iUnitLen - 1] : '\n';
}

void vStepOut(LayoutState *st, int32_t iLevel) {
    // A branch word (ELSE, WHEN, EXCEPTION ...) never takes its line below the first line's level,
    // as END does not: in an indented selection it stays beside its IF.
    if (st->iLineIdt < 0)
        vBreakBefore(st, iLevel > st->iOrgIdt ? iLevel : st->iOrgIdt);
    else if (st->iLineIdt > st->iOrgIdt)
        vStepBack(st);
}

void vBlankAfter(LayoutState *st) {
    // A statement keyword after the blank would begin its line in a second run's normalised
    // text: it begins it now.
    // (where the output holds its bytes: one that could not grow is no text)
    if (st->szSrc < st->szTail && nLineKeywordAt(st->szSrc) != 0 && !bIsWordByte(st->szSrc[-1]) &&
        (st->bNoRoom || bLineKeywordBreaksAfter(st->pOut, st->pOut + st->iDstLen)))
        vLineBreak(st);
    else
        vPutBlank(st);
}

void vPutBlank(LayoutState *st) {
    vPut(st, " ", 1);
    st->iLineIdt = -1;
}

// A comment is found among the last ones carried by where it ends, also inside the white space
// walked over: a line comment's own blanks and CR before its line feed are its last bytes. A run
// of more comments than those ends the walk back at the last one it knows.
const char *pPastWhiteBefore(const LayoutState *st, const char *p) {
    auto iCmtEndingAt = [st](const char *q) {
        uint32_t i = 0;
        while (i < CMT_RUN && st->arCmtEnd[i] != q) ++i;
        return i;
    };
    for (uint32_t iPassed = 0;; ++iPassed) {
        uint32_t i;
        while ((i = iCmtEndingAt(p)) == CMT_RUN && p > st->ssSrc && bIsWhite(p[-1])) --p;
        if (i == CMT_RUN || iPassed == CMT_RUN) return p;
        p = st->arCmtStart[i];
    }
}

const char *pWordBefore(const LayoutState *st, const char *p, size_t *pn) {
    p = pPastWhiteBefore(st, p);
    const char *q = p;
    while (q > st->ssSrc && bIsWordByte(q[-1])) --q;
    *pn = static_cast<size_t>(p - q);
    return q;
}

void vAtOpenLevel(LayoutState *st) {
    if (st->iIdt > 0 && st->iIdt < MAX_IDT_LEVELS && st->arIdtFrame[st->iIdt].pOpen != nullptr)
        st->szSrc = st->arIdtFrame[st->iIdt].pOpen;
}

int rcRaise(LayoutState *st) {
    if (st->iIdt + 1 >= MAX_IDT_LEVELS) {
        iConPrintf(szMsgMaxIdt, static_cast<int>(MAX_IDT_LEVELS));
        st->iSite = SITE_MAX_IDT;
        return RC_MAXIDT;
    }
    st->iIdt += 1;
    if (st->iIdt > st->iTopIdt) {  // a level not reached before starts empty
        st->iTopIdt = st->iIdt;
        std::memset(&st->arIdtFrame[st->iIdt], 0, sizeof st->arIdtFrame[0]);
    }
    st->arIdtFrame[st->iIdt].pOpen = st->szSrc;
    st->arIdtFrame[st->iIdt].bCallPart = false;
    return RC_OK;
}

bool bLower(LayoutState *st) {
    // More block ends than openings would take the rest of the text below the first line's
    // level (and a later ")" would then fail): a block word stops at iOrgIdt.
    if (st->iIdt <= st->iOrgIdt) return false;
    st->iIdt -= 1;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Text carried whole. Each scan stops at szTail when its end mark never comes, having copied
// everything up to there as it would have: the statement is still formatted.

void vCarryLiteral(LayoutState *st) {
    vCopy(st, pLiteralEnd(st->szSrc, st->szTail, st->rEnc) - st->szSrc, true);  // vCopy never goes past szTail
}

// A comment gets the blank before it that the normalisation gives every comment after a word
// (one that a comment move left without it has none yet).
void vBlankBeforeCmt(LayoutState *st) {
    if (st->iDstLen > 0 && bBlankBeforeCmt(st->cLast)) vPutBlank(st);
}

namespace {
void vNoteCmt(LayoutState *st, const char *pEnd) {
    st->arCmtStart[st->iCmtNext] = st->szSrc;
    st->arCmtEnd[st->iCmtNext] = pEnd;
    st->iCmtNext = (st->iCmtNext + 1) % CMT_RUN;
}
}  // namespace

// A line comment runs up to its line feed. No character of several bytes holds a line feed in
// any encoding the text is read in (a trail byte is 0x40 or more), so none is looked at.
void vCarryLineCmt(LayoutState *st) {
    vBlankBeforeCmt(st);
    const char *p = st->szSrc + 2;  // past "--"
    const char *pLf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(st->szTail - p)));
    p = pLf != nullptr ? pLf : st->szTail;
    vNoteCmt(st, p);
    vCopy(st, p - st->szSrc, true);
}

namespace {
// Whether the line at p (up to pEnd) holds nothing but white space.
bool bBlankLine(const char *p, const char *pEnd) {
    while (p < pEnd && (*p == ' ' || *p == '\t' || *p == '\r')) ++p;
    return p >= pEnd || *p == '\n';
}

// Whether every line after the first of [p, pEnd) that is not blank begins with the n bytes at
// pIndent.
bool bLinesBeginWith(const char *p, const char *pEnd, const char *pIndent, size_t n) {
    for (p = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(pEnd - p))); p != nullptr;
         p = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(pEnd - p)))) {
        ++p;
        if (!bBlankLine(p, pEnd) && (static_cast<size_t>(pEnd - p) < n || std::memcmp(p, pIndent, n) != 0)) return false;
    }
    return true;
}

// The output's own n bytes from iFrom on, written again at its end.
void vPutOwn(LayoutState *st, int64_t iFrom, int64_t n) {
    if (n <= 0) return;
    const bool bWritten = bRoom(st, n);
    if (bWritten) std::memcpy(st->pOut + st->iDstLen, st->pOut + iFrom, static_cast<size_t>(n));
    st->iDstLen += n;
    st->cLast = bWritten ? st->pOut[st->iDstLen - 1] : ' ';
    st->nTrailWhite = 0;
}

}  // namespace

// A block comment keeps its bytes. Its further lines keep their indentation relative to the line
// it begins on: where each of them begins with that line's indentation in the text, it is
// written with the indentation the layout gives the line instead. A comment with a line that is
// indented less (or otherwise) goes out as it is; so does one of one line.
void vCarryBlockCmt(LayoutState *st) {
    vBlankBeforeCmt(st);
    const char *pEnd = pCmtEnd(st->szSrc, st->szTail);
    st->pBlockCmtEnd = pEnd;
    vNoteCmt(st, pEnd);
    const size_t nCmt = static_cast<size_t>(pEnd - st->szSrc);
    const CmtIndent *pIndent = nullptr;
    if (std::memchr(st->szSrc, '\n', nCmt) != nullptr && st->pCmtIndents != nullptr && !st->bNoRoom)
        pIndent = st->pCmtIndents->pFind(&st->iNextCmt, st->szSrc, nCmt);
    const char *pOld = pIndent != nullptr ? st->pCmtIndents->pBytes + pIndent->iIndent : nullptr;
    if (pIndent == nullptr || !bLinesBeginWith(st->szSrc, pEnd, pOld, pIndent->nIndent)) {
        vCopy(st, static_cast<int64_t>(nCmt), true);
        return;
    }
    // The indentation of the line the comment begins on, as the layout wrote it: the first line's
    // also gets the statement's own, which the end puts in front of it.
    int64_t iLine = st->iDstLen;
    while (iLine > 0 && st->pOut[iLine - 1] != '\n') --iLine;
    int64_t iLineIndentEnd = iLine;
    while (iLineIndentEnd < st->iDstLen && (st->pOut[iLineIndentEnd] == ' ' || st->pOut[iLineIndentEnd] == '\t'))
        ++iLineIndentEnd;
    const int32_t nOrgUnits = iLine == 0 ? st->iOrgIdt : 0;
    for (const char *p = st->szSrc; p < pEnd;) {
        const char *pLf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(pEnd - p)));
        const char *e = pLf != nullptr ? pLf + 1 : pEnd;
        vCopy(st, e - p, true);
        p = e;
        if (p >= pEnd || bBlankLine(p, pEnd)) continue;
        if (st->bNoRoom) continue;  // the walk only counts now: the lines go out as they are
        for (int32_t k = 0; k < nOrgUnits; ++k) vPut(st, st->szIndent, st->iUnitLen, true);
        vPutOwn(st, iLine, iLineIndentEnd - iLine);
        st->szSrc += pIndent->nIndent;
        p += pIndent->nIndent;
    }
}

// The end of the label "<<name>>" whose "<<" stands at pAt, or null when no ">>" closes it
// within the length of a name, or a comment, a line end or a literal comes first: then "<<" is no
// label but two operators. A literal is no part of a name, and every other pass reads it whole (in
// <<q'#'>>;#' the literal runs to the last quote). The line feed that the flattening writes for
// the blank before a line keyword is none of the author's (<<a show>>): the label goes on.
const char *pLabelClose(const LayoutState *st, const char *pAt) {
    // The name's bytes count but its white space, which the normalisation squeezes and gives
    // commas and operators: a label stays one in the text the layout reads, and a second run's.
    // Its bytes in all stay within four times as many (no two white-space bytes in a row there).
    const char *p = pAt + 2, *pStop = st->szTail - p > 4 * LABEL_MAX ? p + 4 * LABEL_MAX : st->szTail;
    size_t nName = 0;
    // a quoted name inside (<<"a>>b">>) is read whole, and every byte of it counts
    while (p < pStop && !(p[0] == '>' && p + 1 < st->szTail && p[1] == '>')) {
        const bool bLineEnd = *p == '\n' && nLineKeywordAt(p + 1) == 0;  // one of the author's
        if (bCmtAt(p) || bLineEnd || (*p != '"' && bLiteralAt(p, st->ssSrc, st->szTail))) return nullptr;
        const char *e = *p == '"' ? pQuotedEnd(p, pStop) : p + iCharLen(st, p);
        nName += *p == '"' ? static_cast<size_t>(e - p) : nInkIn(p, static_cast<size_t>(e - p));
        if (nName >= LABEL_MAX) return nullptr;
        p = e;
    }
    return p < pStop ? p + 2 : nullptr;
}

// A label carried whole; one that begins a statement, or a unit, leaves a statement to begin
// after it (<<l>> CASE ...). A line feed in it outside a quoted name is the flattening's, before a
// line keyword (<<a show>>): it is written as the blank it was, so that the label stays on its
// line, where a second run reads it as this one did (and no command at the line's start).
void vCarryLabel(LayoutState *st, const char *pEnd) {
    const bool bStmt = bStmtBeginsHere(st) || bAtUnitStart(st);
    const int64_t iFrom = st->iDstLen;
    vCopy(st, pEnd - st->szSrc, true);
    if (bStmt) st->pStmtNext = st->szSrc;
    if (st->bNoRoom) return;  // the output holds no bytes to mend
    for (char *p = st->pOut + iFrom, *e = st->pOut + st->iDstLen; p < e;) {
        if (*p == '"') {
            p = const_cast<char *>(pQuotedEnd(p, e));
            continue;
        }
        if (*p == '\n') *p = ' ';
        ++p;
    }
}

namespace {
// A blank where the output already ends in white space (two blanks that comment moves left
// side by side) or at the start of a line is not written.
void vWalkBlank(LayoutState *st) {
    if (st->nTrailWhite == 0 && st->iLineIdt < 0) {
        // vCopy's bookkeeping for one blank after text
        if (bRoom(st, 1)) st->pOut[st->iDstLen] = ' ';
        st->iDstLen += 1;
        st->cLast = ' ';
        st->nTrailWhite = 1;
    }
    st->szSrc += 1;
}

// What the walk asks at a byte that stands at a word's start or outside a word.
enum WalkClass : uint8_t {
    WK_OTHER,    // no rule begins here
    WK_LETTER,   // a keyword's rules, where a keyword's first letters stand
    WK_Q,        // a q-quoted literal, or a keyword's rules
    WK_QUOTE,    // a literal or a quoted name
    WK_MINUS,    // a line comment, or an operator
    WK_SLASH,    // a block comment, or the terminator or the division sign
    WK_LT,       // a label, or an operator
    WK_OPER,     // an operator
    WK_OPEN,     // "(+)" and "(*)" carried whole, or a part opened
    WK_CLOSE,
    WK_COMMA,
    WK_SEMI,
    WK_DOLLAR,   // a directive of conditional compilation
    WK_NEWLINE,  // a line feed kept by the normalisation (around comments, before statement words)
    WK_HIGH,     // a character of two bytes is carried whole
};

struct WalkClasses {
    std::array<uint8_t, 256> ar{};
    constexpr WalkClasses() {
        for (const char *p = szOperatorBytes; *p != '\0'; ++p) ar[static_cast<uint8_t>(*p)] = WK_OPER;
        for (int c = 'A'; c <= 'Z'; ++c) ar[static_cast<size_t>(c)] = ar[static_cast<size_t>(c + 0x20)] = WK_LETTER;
        for (size_t c = 0x80; c < 256; ++c) ar[c] = WK_HIGH;
        ar['q'] = ar['Q'] = WK_Q;
        ar['\''] = ar['"'] = WK_QUOTE;
        ar['-'] = WK_MINUS;
        ar['/'] = WK_SLASH;
        ar['<'] = WK_LT;
        ar['('] = WK_OPEN;
        ar[')'] = WK_CLOSE;
        ar[','] = WK_COMMA;
        ar[';'] = WK_SEMI;
        ar['$'] = WK_DOLLAR;
        ar['\n'] = WK_NEWLINE;
    }
};
constexpr WalkClasses rWalkClasses;

// The rules of the byte at the reading position, in the order they are tried: RULE_PASS when
// none applies there.
int rcRulesAt(LayoutState *st) {
    const char *p = st->szSrc;
    switch (rWalkClasses.ar[static_cast<uint8_t>(*p)]) {
    case WK_LETTER:
        return bKeywordMayBeginAt(p) ? rcWordRules(st) : RULE_PASS;
    case WK_Q:
        if (!bLiteralAt(p, st->ssSrc, st->szTail)) return rcWordRules(st);
        vCarryLiteral(st);
        return RC_OK;
    case WK_QUOTE:
        vCarryLiteral(st);
        return RC_OK;
    case WK_MINUS:
        if (p[1] != '-') return rcOperatorRule(st);
        vCarryLineCmt(st);
        return RC_OK;
    case WK_SLASH:
        if (p[1] != '*') return rcSlash(st);
        vCarryBlockCmt(st);
        return RC_OK;
    case WK_LT: {
        const char *pEnd = pLabelEnd(st);
        if (pEnd == nullptr) return rcOperatorRule(st);
        vCarryLabel(st, pEnd);
        return RC_OK;
    }
    case WK_OPER:
        return rcOperatorRule(st);
    case WK_OPEN:
        if ((p[1] == '+' || p[1] == '*') && p[2] == ')') {
            vCopy(st, 3);
            return RC_OK;
        }
        return rcOpenParen(st);
    case WK_CLOSE:
        return rcCloseParen(st);
    case WK_COMMA:
        return rcComma(st);
    case WK_SEMI:
        return rcSemicolon(st);
    case WK_DOLLAR:
        return rcDollar(st);
    case WK_NEWLINE:
        vCopyNewline(st);
        return RC_OK;
    case WK_HIGH:
        if (iCharLen(st, p) != 2) return RULE_PASS;
        vCopy(st, 2);
        return RC_OK;
    default:
        return RULE_PASS;
    }
}

// The bytes that a run the walk copies as they are may hold: words that begin no keyword's rules
// (outside a statement, up to a statement word that ends one), blanks that the walk writes,
// operators with the blanks around them that the layout gives them, commas of a part that is not
// broken, literals and quoted names, and punctuation that no rule reads.
enum PlainClass : uint8_t { PL_STOP, PL_BLANK, PL_LETTER, PL_WORD, PL_OPER, PL_PUNCT, PL_COMMA, PL_QUOTE };
struct PlainClasses {
    std::array<uint8_t, 256> ar{};
    PlainClasses() {  // from the lexical tables, which are there before any table made at start
        ar[' '] = PL_BLANK;
        for (size_t c = 0x21; c < 0x7F; ++c) {
            const uint8_t k = rWalkClasses.ar[c];
            const bool bWord = (rLex.arClass[c] & CC_INWORD) != 0;
            ar[c] = k == WK_LETTER                                 ? PL_LETTER
                    : k == WK_OTHER && bWord                       ? PL_WORD
                    : k == WK_OTHER                                ? PL_PUNCT
                    : k == WK_OPER || k == WK_MINUS || k == WK_LT ? PL_OPER
                    : k == WK_COMMA                                ? PL_COMMA
                    : k == WK_QUOTE                                ? PL_QUOTE
                                                                   : PL_STOP;
        }
    }
};
const PlainClasses rPlainClasses;

// The end of the word bytes (CC_INWORD) from p on, inside a word; outside a statement the byte
// from which a statement word ends the word, where one does.
inline const char *pWordRestEnd(const LayoutState *st, const char *p) {
    const char *e = pClassRunEnd(p, st->szTail, CC_INWORD);
    return __builtin_expect(st->iInStmt != 0, 1) ? e : pStmtWordInWord(p, e);  // most words lie in a statement
}

// Where the run that begins at p ends, through which the walk would do nothing but
// copy each byte (cPrev: the byte written last before p, which is no blank): p when none does. A
// word goes whole (at its start no keyword's first letters stand), a blank is written after what
// is not white space, an operator that stands between blanks keeps them, a comma of a part that
// is not broken keeps the blank after it, a literal that closes goes whole, a "-" or "<" that
// begins a comment or a label ends the run. Every other byte ends it too: its rules decide.
const char *pPlainRunEnd(const LayoutState *st, const char *p, char cPrev) {
    const char *q = p;
    const char *const pTail = st->szTail;
    while (q < pTail) {
        const char *e;
        switch (rPlainClasses.ar[static_cast<uint8_t>(*q)]) {
        case PL_BLANK:
            if (cPrev == ' ') return q;  // a second blank is dropped
            cPrev = ' ';
            ++q;
            continue;
        case PL_LETTER:
            if (bKeywordMayBeginAt(q)) return q;
            e = pWordRestEnd(st, q + 1);
            break;
        case PL_WORD:
            e = pWordRestEnd(st, q + 1);
            break;
        case PL_OPER: {
            if ((*q == '-' || *q == '<') && q[1] == *q) return q;
            const size_t n = nOperatorIn(q, st->ssSrc);
            // no blank goes before it, and one stands after it (the text's NUL ends it)
            if (n != 0 && ((cPrev != ' ' && cPrev != ')') || q[n] != ' ')) return q;
            e = q + (n != 0 ? n : 1);
            break;
        }
        case PL_PUNCT:
            e = q + 1;
            break;
        case PL_COMMA:  // in a part that is not broken, before its blank
            if (bBroken(st) || q[1] != ' ') return q;
            e = q + 1;
            break;
        case PL_QUOTE: {  // a literal or a quoted name that closes
            bool bClosed = false;
            e = pLiteralEnd(q, pTail, st->rEnc, &bClosed);
            if (!bClosed) return q;
            break;
        }
        default:
            return q;
        }
        if (*e == ' ') ++e;  // the blank after it goes with it (the text's NUL ends it)
        cPrev = e[-1];
        q = e;
    }
    return q;
}

// The walk: at each position the rules of its byte decide; where none applies, the byte, or the
// word that begins there, is copied, and with it the run after it through which no rule applies.
int rcWalk(LayoutState *st) {
    while (st->szSrc < st->szTail) {
        const char *p = st->szSrc;
        if (*p == ' ') {  // no rule begins with a blank
            vWalkBlank(st);
            continue;
        }
        // Inside a word no rule applies (outside a statement, but where a statement word ends
        // it): the rest of the word is copied at once.
        const char *e = bInWordAt(p, st->ssSrc) ? pWordRestEnd(st, p) : nullptr;
        if (e == p) e = nullptr;
        if (e == nullptr) {
            const int rc = rcRulesAt(st);
            if (rc != RULE_PASS) {
                if (rc != RC_OK) return rc;
                continue;
            }
            const bool bWord = bIsWordByte(*p);
            if (!(bWord || rPlainClasses.ar[static_cast<uint8_t>(*p)] == PL_PUNCT)) {
                vCopy(st, 1);
                continue;
            }
            e = bWord ? pWordRestEnd(st, p + 1) : p + 1;
        }
        vCopyPlain(st, pPlainRunEnd(st, e, e[-1]));
        st->iSlashLine = false;  // as the copies of its pieces would leave it
    }
    return RC_OK;
}

}  // namespace

void vStartUnit(LayoutState *st) {
    st->iIdt = st->iOrgIdt;
    st->iMetrix = 1;
    st->iBlkKind = st->iInExcept = st->iAsOpens = st->iInCursor = st->iInBetween = st->iInStmt = 0;
    st->iTypeSpec = st->iHdrPending = st->nParens = 0;
    st->iHdrRecord = 1;
    st->pStmtNext = nullptr;  // no statement of the unit has begun
    st->pEndCaseLook = nullptr;
    std::memset(st->szBlkName, 0, sizeof st->szBlkName);
    // The stack is emptied up to the highest level used; the levels above it are emptied when
    // first reached.
    int32_t iTop = st->iTopIdt > st->iOrgIdt ? st->iTopIdt : st->iOrgIdt;
    if (iTop >= MAX_IDT_LEVELS) iTop = MAX_IDT_LEVELS - 1;
    std::memset(st->arIdtFrame, 0, static_cast<size_t>(iTop + 1) * sizeof st->arIdtFrame[0]);
    st->iTopIdt = iTop;
}

void vNoteCmdLetter(LayoutState *st, const char *p) {
    size_t n = 0;
    p = pNextWord(p, st->szTail, &n);
    const int c = n == 1 ? iFold(*p) : 0;
    st->pCmdLetter = c == 'R' || c == 'L' ? p : nullptr;
}

namespace {
void vStartWalk(LayoutState *st, const FmtWork *pWork, const StmtStyle *rStmtStyle) {
    MetricTable *pParts = st->pParts;
    std::memset(st, 0, offsetof(LayoutState, arIdtFrame));  // the stack is emptied by vStartUnit
    st->pParts = pParts;
    st->pCmtIndents = &pWork->rCmtIndents;
    st->pBlankAfters = &pWork->rBlankAfters;
    st->szSrc = st->pUnitStart = pWork->ssSrc;
    st->iOrgIdt = pWork->iOrgIdt;
    vStartUnit(st);
    st->iLineIdt = 0;  // the first line is written without indentation; the rotation adds it
    st->ssSrc = pWork->ssSrc;
    st->szTail = pWork->szTail;
    st->rEnc = pWork->rEnc;
    st->szIndent = rStmtStyle->szIndent;
    st->cIndentFill = st->szIndent[0];
    for (const char *p = st->szIndent; *p != '\0'; ++p)
        if (*p != st->cIndentFill) st->cIndentFill = '\0';
    st->iUnitLen = pWork->iUnitLen;
    st->iOrgIdt = pWork->iOrgIdt;
    st->iNumComma = rStmtStyle->iNumComma;
    st->iPartSize = rStmtStyle->iPartSize;
    vNoteStmtStart(st);
}

unsigned long long ullPtr(const void *p) { return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)); }

int rcFail(FmtWork *pWork, const LayoutState *st, int iSite, int rc) {
    pWork->iSite = iSite;
    pWork->szSrc = st->szSrc;
    return rc;
}

// The indentation of the statement's first line, which the output gets in front at its end.
int64_t iFirstIndent(const LayoutState *st) { return static_cast<int64_t>(st->iIdt) * st->iUnitLen; }

// Whether the output ends with a line break and that indentation after it.
bool bEndsIndented(const LayoutState *st) {
    int64_t k = iFirstIndent(st);
    return k == 0 || (st->iLineIdt >= st->iIdt && st->iDstLen > k);
}

// The walk and its end checks.
int rcWalkAll(FmtWork *pWork, LayoutState *st) {
    if (st->iIdt >= MAX_IDT_LEVELS) {
        // A first line indented by 512 levels or more has no entry in the stack.
        iConPrintf(szMsgMaxIdt, static_cast<int>(MAX_IDT_LEVELS));
        return rcFail(pWork, st, SITE_MAX_IDT, RC_MAXIDT);
    }
    int rc = rcWalk(st);
    if (rc != RC_OK) return rcFail(pWork, st, st->iSite, rc);
    if (st->szSrc > st->szTail) {
        iConPrintf(szMsgOverrunPtr, ullPtr(st->szTail), ullPtr(st->szSrc),
                   static_cast<int>(static_cast<int32_t>(st->szTail - st->szSrc)));
        return rcFail(pWork, st, SITE_SRC_OVERRUN, RC_OVERRUN);
    }
    if (st->iIdt > st->iOrgIdt) {
        iConPrintf(szMsgNoCloseParen, st->iIdt, st->iOrgIdt);
        vAtOpenLevel(st);
        return rcFail(pWork, st, SITE_NO_CLOSE_PAREN, RC_PAREN);
    }
    return RC_OK;
}

// The statement's own indentation goes in front of its first line. When the output ends with
// it (written after the final newline) those k bytes move to the front; an output without a
// final newline (its end inside a literal or comment that is never closed) gets it in front.
int rcFinish(LayoutState *st) {
    int64_t k = iFirstIndent(st);
    if (k > 0) {
        bool bRotate = bEndsIndented(st);
        if (!bRotate && !bRoom(st, k)) return RC_NOMEM;
        int64_t nText = bRotate ? st->iDstLen - k : st->iDstLen;
        std::memmove(st->pOut + k, st->pOut, static_cast<size_t>(nText));
        for (int64_t i = 0; i < k; i += st->iUnitLen)
            std::memcpy(st->pOut + i, st->szIndent, static_cast<size_t>(st->iUnitLen));
        st->iDstLen = nText + k;
    }
    st->pOut[st->iDstLen] = '\0';
    return RC_OK;
}
}  // namespace

// Lays out the normalised text of pWork in one walk into an output buffer that grows as it is
// written. *szStmtFmt receives the output buffer (the caller's from then on, also when a later
// step fails) and *piFmtLen the output length on success. On failure returns the code with
// pWork->iSite and pWork->szSrc set; the message has been written, the trail and the dump are
// the caller's.
int rcLayoutStmt(FmtWork *pWork, char **szStmtFmt, const StmtStyle *rStmtStyle, int32_t *piFmtLen) {
    LayoutState rState;  // the call's own storage
    LayoutState *st = &rState;
    // The parts are measured as the walk meets them; a text too long for the table has each part
    // measured where it is met.
    MetricTable rParts;
    st->pParts = static_cast<uint64_t>(pWork->szTail - pWork->ssSrc) <= UINT32_MAX ? &rParts : nullptr;
    vStartWalk(st, pWork, rStmtStyle);
    size_t nSpare = 0;
    st->pOut = pWork->pTakeSpare(&nSpare);
    st->iCap = nSpare > 0 ? static_cast<int64_t>(nSpare) - 1 : 0;
    // The output is about as long as the text; (first line's levels + 2) units more leave room
    // for the indentation the end puts in front.
    const int64_t nText = pWork->szTail - pWork->ssSrc;
    if (bRoom(st, nText + nText / 4 + static_cast<int64_t>(st->iIdt + 2) * st->iUnitLen))
        vWillFill(st->pOut, static_cast<size_t>(nText));  // the output is at least about as long
    int rc = rcWalkAll(pWork, st);
    if (rc == RC_OK) rc = st->bNoRoom ? RC_NOMEM : rcFinish(st);
    *szStmtFmt = st->pOut;  // the caller frees it, also after a failure
    if (rc == RC_NOMEM) {
        iConPrintf(szMsgNoMem, szErrorPrefix);
        return rcFail(pWork, st, SITE_OUT_NOMEM, RC_NOMEM);
    }
    if (rc != RC_OK) return rc;
    *piFmtLen = static_cast<int32_t>(st->iDstLen);
    return RC_OK;
}
