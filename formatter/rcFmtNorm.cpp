// Normalisation of a statement: the first phase of the formatter. It turns the statement as it
// was typed into a text whose white space outside literals and comments is single blanks and a
// few line feeds, with comments moved in front of block headers, AND and commas, blanks
// inserted where the layout passes expect them and statement keywords on lines of their own.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formatter/rcFmtInternal.h"
#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtTokens.h"
#include "formatter/rcFmtWords.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

namespace {

enum {
    SITE_COPY_NOMEM = 465,
    SITE_JOIN = 478,
    SITE_LEAD_OVERRUN = 506,
    SITE_EMPTY = 526,
    SITE_TRAIL_GROW = 539,
    SITE_WHITE_NOMEM = 559,
    SITE_WHITE_READ = 653,
    SITE_BLANK_NOMEM = 739,
    SITE_HDR_SKIPCMT = 862,
    SITE_HDR_SWAP = 873,
    SITE_CMT_SKIPCMT = 892,
    SITE_CMT_SWAP = 899,
    SITE_MOVE_OVERRUN = 911,
    SITE_FLAT_OVERRUN = 970,
};

// A blank or a TAB: the white space that stays on a line.
inline bool bBlankOrTab(char c) { return c == ' ' || c == '\t'; }

// The block headers whose comments move in front of them (longest first where one begins
// another), from the one table; the words after which a blank goes in before an opening
// parenthesis are its rows of W_PAREN, all single words, the longest nParenWordMax bytes.
constexpr auto arBlockWords = arWordsWith<W_MOVES>();
constexpr size_t nParenWordMax = nLongestWith(W_PAREN);

// The length of the block header szWord (in capitals) where the text at p begins with it, else 0.
// The words of a phrase (PACKAGE BODY) may stand on two lines: the flattening, after the moves,
// turns that line feed into the blank that the layout reads.
size_t nHeaderLen(const char *p, const char *szWord) {
    size_t n = 0;
    for (; szWord[n] != '\0'; ++n) {
        const bool bSame = iFold(p[n]) == static_cast<uint8_t>(szWord[n]) || (szWord[n] == ' ' && p[n] == '\n');
        if (!bSame) return 0;
    }
    return n;
}
// The length of the block header that begins at p and ends a word there, else 0.
size_t nBlockWordAt(const char *p) {
    const int c = iFold(*p);
    for (const char *szWord : arBlockWords) {
        if (szWord[0] != c) continue;
        const size_t n = nHeaderLen(p, szWord);
        if (n != 0) return bWordEndsAt(p + n) ? n : 0;
    }
    return 0;
}

// Records the failure site, and the position for the dump where one is known.
int rcFail(FmtWork *pWork, int rc, int iSite, const char *pPos) {
    pWork->iSite = iSite;
    if (pWork->ssSrc != nullptr) {
        if (pWork->szTail == nullptr) pWork->szTail = pWork->ssSrc + pWork->nSrc;
        pWork->szSrc = pPos != nullptr ? pPos : pWork->ssSrc;
    }
    return rc;
}

int rcFailOverrun(FmtWork *pWork, int iSite, const char *pPos) {
    iConPrintf("%s", szMsgOverrun);
    return rcFail(pWork, RC_OVERRUN, iSite, pPos);
}

int rcFailNoMem(FmtWork *pWork, int iSite) {
    iConPrintf(szMsgNoMem, szErrorPrefix);
    return rcFail(pWork, RC_NOMEM, iSite, nullptr);
}

// The leading white space gives iOrgIdt, the TABs and blanks of the first line, w blanks
// counting as one level (w: 4 with the TAB unit, else the unit's length).
int32_t iOrgIndent(const char *p, const char *pStop, const StmtStyle *rStmtStyle, int32_t iUnitLen) {
    int64_t nTabs = 0, nBlanks = 0;
    for (; p < pStop; ++p) {
        if (*p == '\t') ++nTabs;
        if (*p == ' ') ++nBlanks;
    }
    int64_t nPerLevel = rStmtStyle->szIndent[0] == '\t' ? 4 : (iUnitLen > 0 ? iUnitLen : 1);
    int64_t iOrgIdt = nTabs + nBlanks / nPerLevel;
    return iOrgIdt > INT32_MAX ? INT32_MAX : static_cast<int32_t>(iOrgIdt);
}

// Whether the text, read in rEnc, ends inside a line comment (literals and block comments passed
// over).
bool bEndsInLineCmt(const char *pStart, const char *pEnd, TextEnc rEnc) {
    // A line comment ends at its line feed: only one that begins on the last line can be open
    // at the end, and without "--" there the text need not be read.
    const char *pLine = pStart;
    for (const char *pLf; (pLf = static_cast<const char *>(std::memchr(pLine, '\n', static_cast<size_t>(pEnd - pLine)))) != nullptr;)
        pLine = pLf + 1;
    bool bDashes = false;
    for (const char *d; !bDashes && (d = static_cast<const char *>(std::memchr(pLine, '-', static_cast<size_t>(pEnd - pLine)))) != nullptr;) {
        bDashes = bCmtAtIn(d, pEnd);
        pLine = d + 1;
    }
    if (!bDashes) return false;
    const char *pOpen = pOpenAtEnd(pStart, pEnd, rEnc);
    return pOpen != nullptr && pOpen[0] == '-';
}

// The leading white space gives iOrgIdt and goes, trailing white space goes, and the text ends
// with a line feed unless it ends with a semicolon. *pnLen receives the length.
int rcTrimStmt(FmtWork *pWork, const StmtStyle *rStmtStyle, size_t *pnLen) {
    char *ssSrc = pWork->ssSrc;
    size_t nAll = pWork->nSrc;
    const char *p = ssSrc;
    while (p < ssSrc + nAll && bIsWhite(*p)) ++p;
    if (p > ssSrc + nAll) return rcFailOverrun(pWork, SITE_LEAD_OVERRUN, nullptr);
    // The first line's own TABs and blanks: those of the empty lines before it indent nothing.
    const char *pLine = p;
    while (pLine > ssSrc && pLine[-1] != '\n') --pLine;
    pWork->iOrgIdt = iOrgIndent(pLine, p, rStmtStyle, pWork->iUnitLen);
    // The first line's own indentation, for a block comment that begins on it.
    const char *pIndent = p;
    while (pIndent > ssSrc && (pIndent[-1] == ' ' || pIndent[-1] == '\t')) --pIndent;
    CmtIndents &r = pWork->rCmtIndents;
    r.nFirst = static_cast<size_t>(p - pIndent);
    if (!r.bKeepBytes(pIndent, r.nFirst, &r.iFirst)) return rcFailNoMem(pWork, SITE_COPY_NOMEM);
    size_t nLen = nAll - static_cast<size_t>(p - ssSrc);
    std::memmove(ssSrc, p, nLen + 1);

    pWork->nSrc = nLen;
    if (nLen == 0) return rcFailOverrun(pWork, SITE_EMPTY, nullptr);
    size_t nKeep = nLen;
    // The first byte is no white space, so the walk stops on it at the latest. White space is
    // never part of a multibyte character in any encoding read.
    while (bIsWhite(ssSrc[nKeep - 1])) --nKeep;
    // A line comment at the end keeps its bytes up to its line end, as it does anywhere else.
    bool bInLineCmt = bEndsInLineCmt(ssSrc, ssSrc + nKeep, pWork->rEnc);
    if (bInLineCmt)
        while (nKeep < nLen && bIsWhite(ssSrc[nKeep]) && ssSrc[nKeep] != '\n') ++nKeep;
    if (nKeep == nLen && nLen + 2 > pWork->nSrcCap) {
        // Room for the final line feed.
        char *pNew = static_cast<char *>(pvRealloc(ssSrc, nLen + 2));
        if (pNew == nullptr) return rcFailNoMem(pWork, SITE_TRAIL_GROW);
        pWork->ssSrc = ssSrc = pNew;
        pWork->nSrcCap = nLen + 2;
    }
    ssSrc[nKeep] = '\0';
    // A semicolon is never part of a character; one that ends a line comment is comment.
    bool bSemi = ssSrc[nKeep - 1] == ';' && !bInLineCmt;
    if (!bSemi) {
        ssSrc[nKeep++] = '\n';
        ssSrc[nKeep] = '\0';
    }
    *pnLen = pWork->nSrc = nKeep;
    return RC_OK;
}

// The end of the run of white space at s, and whether it holds a line feed.
const char *pWhiteRunEnd(const char *s, const char *sEnd, bool *pbLf) {
    bool bLf = false;
    for (; s < sEnd && bIsWhite(*s); ++s) bLf = bLf || *s == '\n';
    *pbLf = bLf;
    return s;
}

// Keeps the indentation of the line on which the block comment [pCmt, pCmtEnd) begins in the text
// that begins at pStart (its first line's indentation was taken off before: it was kept then).
bool bKeepCmtIndent(FmtWork *pWork, const char *pStart, const char *pCmt, const char *pCmtEnd) {
    const char *q = pCmt;
    while (q > pStart && q[-1] != '\n') --q;
    CmtIndents &r = pWork->rCmtIndents;
    const size_t nCmt = static_cast<size_t>(pCmtEnd - pCmt);
    if (q == pStart) return r.bAddKept(pCmt, nCmt, r.iFirst, r.nFirst);  // no copy: the block may move
    const char *e = q;
    while (bBlankOrTab(*e)) ++e;
    return r.bAdd(pCmt, nCmt, q, static_cast<size_t>(e - q));
}

// Whether an operator ends just before p: the layout writes a blank after it, so a word right
// after it counts as one after white space (a second run finds the blank there). pCmtEnd is the
// end of the last comment the walk stepped over: a "*/" that ends there closes a comment, any
// other "*/" is two operators.
inline bool bAfterOperator(const char *pStart, const char *p, const char *pCmtEnd) {
    if (p <= pStart || (!bIsOperByte(p[-1]) && p[-1] != '/')) return false;
    return p != pCmtEnd && !(p[-1] == '*' && bQualifiedStarAt(p - 1, pStart));
}

// Whether the word at p is the whole name of a label: "<<" before it and ">>" after it, white
// space between allowed. The layout carries a label whole, so no line break goes in before its
// name (<<execute>>: a label's name may be a line keyword that is no reserved word).
bool bLabelWordAt(const char *pStart, const char *p, const char *pEnd) {
    const char *q = p;
    while (q > pStart && bIsWhite(q[-1])) --q;
    if (q - pStart < 2 || q[-1] != '<' || q[-2] != '<') return false;
    const char *e = pClassRunEnd(p, pEnd, CC_INWORD);
    while (e < pEnd && bIsWhite(*e)) ++e;
    return pEnd - e >= 2 && e[0] == '>' && e[1] == '>';
}

// Whether the opening parenthesis at s directly follows one of the listed words that has white
// space (or a blank to come) before it. A word at the very start of the text has no byte before
// it: no blank then.
bool bParenWordBefore(const char *szText, const char *s, const char *pCmtEnd) {
    if (s == szText || (iFold(s[-1]) < 'A' || iFold(s[-1]) > 'Z')) return false;  // every word ends in a letter
    // The word that ends at s, when it is no longer than those words: a byte before it that
    // continues a word would be none of the bytes the blank needs before it.
    const char *w = s - 1;
    while (w > szText && s - w <= static_cast<ptrdiff_t>(nParenWordMax) && bIsWordByte(w[-1])) --w;
    if (w == szText || s - w > static_cast<ptrdiff_t>(nParenWordMax)) return false;
    const WordId eWord = eWordOf(w, static_cast<size_t>(s - w));
    if (eWord == WORD_NONE || (arWordDefs[eWord].uRoles & W_PAREN) == 0) return false;
    // A ")" or "," before the word has its blank after it already. A comment right before it
    // counts as white space: the comment moves may take it away (B,/**/AND() has ", AND" then).
    const char b = w[-1];
    return bIsWhite(b) || b == ')' || b == ',' || w == pCmtEnd || bAfterOperator(szText, w, pCmtEnd);
}

// No white space stays before a comma, a closing parenthesis or a semicolon.
inline bool bNoWhiteBefore(char c) { return c == ',' || c == ')' || c == ';'; }

// The run of white space at s (up to sEnd) squeezed: one line feed where it holds one, else one
// blank, and nothing where a ",", ")" or ";" follows it ('\0' then). *ppEnd receives the run's
// end. Every walk of the squeezing that meets white space asks this.
inline char cSqueezedWhite(const char *s, const char *sEnd, const char **ppEnd) {
    if (*s == ' ' && !bIsWhite(s[1])) {  // most runs: a lone blank (the text's NUL after sEnd ends one)
        *ppEnd = s + 1;
        return bNoWhiteBefore(s[1]) ? '\0' : ' ';
    }
    bool bLf = false;
    const char *e = pWhiteRunEnd(s, sEnd, &bLf);
    *ppEnd = e;
    return bNoWhiteBefore(*e) ? '\0' : bLf ? '\n' : ' ';
}

// The normalised text as it is written, in a block that grows (a NUL after its n bytes).
struct NormOut {
    char *p = nullptr;
    size_t n = 0, cap = 0;
    bool bNoMem = false;
    ~NormOut() { vFree(p); }
    bool bRoom(size_t nMore) {
        if (n + nMore < cap || bGrowTo(&p, &cap, n + nMore + 1)) return true;
        bNoMem = true;
        return false;
    }
    char cLast() const { return n > 0 ? p[n - 1] : '\0'; }
};

// The byte that follows at s once white space is squeezed: a run of white space stays white
// space (a blank here) unless a ",", ")" or ";" follows it, which then follows at once; -1 at
// the end of the text.
int iSqueezedAt(const char *s, const char *sEnd) {
    if (s >= sEnd) return -1;
    if (!bIsWhite(*s)) return static_cast<unsigned char>(*s);
    const char *e = nullptr;
    return cSqueezedWhite(s, sEnd, &e) != '\0' ? ' ' : *e;
}

// The length of the statement keyword at s that a blank or a line feed will follow (or an
// operator), else 0.
size_t nLineKeywordSqueezed(const char *s, const char *sEnd) {
    size_t n = nLineKeywordAt(s);
    return n != 0 && bIsWhite(s[n]) && iSqueezedAt(s + n, sEnd) != ' ' ? 0 : n;
}

// Whether the white space at p (up to pLast) holds an empty line before a statement, a
// declaration or a subprogram: not before what closes a block or a branch (END, EXCEPTION, ELSE,
// ELSIF, WHEN, $END, $ELSE, $ELSIF, ")"), nor at the end of the text.
bool bEmptyLineAhead(const char *p, const char *pLast) {
    const char *e = pClassRunEnd(p, pLast, CC_WHITE);
    if (!bEmptyLineIn(p, e, false) || e >= pLast || *e == ')') return false;
    const char *pWord = *e == '$' ? e + 1 : e;
    const size_t n = static_cast<size_t>(pClassRunEnd(pWord, pLast, CC_WORD) - pWord);
    for (WordId eCloser : {WORD_END, WORD_EXCEPTION, WORD_ELSE, WORD_ELSIF, WORD_WHEN})
        if (bWordIs(pWord, n, szWord(eCloser))) return false;
    return true;
}

constexpr bool bNoLineKeywordBeforeParen() {
    for (const WordDef &w : arWordDefs)
        if ((w.uRoles & W_LINE) != 0 && (w.uRoles & W_PAREN) != 0) return false;
    return true;
}
static_assert(bNoLineKeywordBeforeParen(), "a line keyword gets a blank before \"(\": the squeeze cannot flatten");

// The walk of rcSqueezeWhite: the text [sStart, sEnd) read at s, and the output written so far.
// Each blank is decided on the output, which is the squeezed text: a blank written after a ")"
// or "," counts there as the ")" or "," would. The steps are small and inline: the walk runs
// over every byte that is not passed in a run. The walk also flattens (rcFlatten) as it writes
// when bFlat, which it can only where it meets no comment: a line feed of white space becomes a
// blank (but the text's last byte), and the blank before a line keyword a line feed. At a comment
// it stops; the text is then squeezed anew without.
template <bool bFlat>
struct SqueezeWalk {
    FmtWork *pWork;
    const char *s;
    const char *sStart, *sEnd;
    // White space dropped after "(", ";" or a line comment never includes the last byte: the
    // final line feed stays, also after a statement that ends in "(".
    const char *sLast;
    TextEnc rEnc;  // the encoding the text is read in
    // The output, a block apart: its address goes to the allocator, the walk's own never leaves
    // the walk, which keeps its reading position in a register.
    NormOut &out;
    size_t iCmtEnd = SIZE_MAX;  // the end of the last comment written, in the output
    bool bCmt = false;          // a comment was met

    SqueezeWalk(FmtWork *pWork_, size_t nLen, NormOut &out_)
        : pWork(pWork_), s(pWork_->ssSrc), sStart(s), sEnd(s + nLen), sLast(sEnd - 1), rEnc(pWork_->rEnc),
          out(out_) {}

    // The output so far, and where its last comment ends (the block moves as it grows).
    const char *pWritten() const { return out.p + out.n; }
    const char *pOutCmtEnd() const { return iCmtEnd != SIZE_MAX ? out.p + iCmtEnd : nullptr; }

    void vSkipWhite() {
        while (s < sLast && bIsWhite(*s)) ++s;
    }
    // Copies the text from s to e as it is.
    void vCopyTo(const char *e) {
        const size_t n = static_cast<size_t>(e - s);
        if (out.bRoom(n)) {
            vCopyRun(out.p + out.n, s, n);
            out.n += n;
        }
        s = e;
    }
    void vPut(char c) {
        if (out.bRoom(1)) out.p[out.n++] = c;
    }
    // Writes the white space at s squeezed (cSqueezedWhite); true when that is a blank or a line
    // feed.
    bool bPutWhite() {
        const char *e = nullptr;
        const char cWhite = cSqueezedWhite(s, sEnd, &e);
        if (cWhite != '\0') vPut(bFlat && e != sEnd ? ' ' : cWhite);
        s = e;
        return cWhite != '\0';
    }
    // Whether the flattening puts a line feed for the blank before p, which stands at pBlank in the
    // text or the output that begins at pStart: a line keyword begins at p, as the squeezed text
    // will have it (the byte after the keyword is read before the squeeze has written it, so no
    // blank may go in before a "(" after a line keyword), where it begins its line (the words
    // before the blank are the same in the text and the output).
    bool bLineBreakAt(const char *p, const char *pStart, const char *pBlank) const {
        return bFlat && bLineKeywordPairAt(p) && bLineKeywordAt(p) && bLineKeywordBreaksAfter(pStart, pBlank);
    }
    // Whether a line keyword begins at p, as the squeezed text will have it, that gets a line of
    // its own: not a label's name, which the layout carries with its label.
    bool bLineKeywordAt(const char *p) const {
        return nLineKeywordSqueezed(p, sEnd) != 0 && !bLabelWordAt(sStart, p, sEnd);
    }
    // The byte c at s copied as it is, and the white space after it squeezed at once (most often
    // a lone blank before a word, an operator, a literal, a comment or "(", which stays): true
    // when a blank or a line feed followed it.
    bool bPutThenWhite(char c) {
        vPut(c);
        ++s;
        return bIsWhite(*s) && bPutWhite();
    }

    void vPlainRun(const char *e);
    const char *pAsIsEnd(const char *e) const;
    void vComment(char c);
    void vOpenOrSemi(char c);
    void vCloseOrComma(char c);
    void vStep();
};

// A run that needs no look of its own at each byte (pPlainRunEnd) up to e.
template <bool bFlat>
inline void SqueezeWalk<bFlat>::vPlainRun(const char *e) {
    // A statement keyword right after an operator gets the blank it would have after white space.
    if (bAfterOperator(out.p, pWritten(), pOutCmtEnd()) && bLineKeywordAt(s)) vPut(' ');
    if (out.n > 0 && out.p[out.n - 1] == ' ' && bLineBreakAt(s, out.p, out.p + out.n - 1)) out.p[out.n - 1] = '\n';
    // A lone blank before a word stays as it is: the run goes on past it, and past what the
    // steps would copy as it is before a lone blank and a word; a blank the flattening makes a
    // line feed ends it.
    for (;;) {
        if (e + 1 < sEnd && *e == ' ' && bQuiet(e[1], Q_NORM)) {
            if (bLineBreakAt(e + 1, sStart, e)) break;
            e = pQuietRunEnd(e + 2, sEnd, Q_NORM);
            continue;
        }
        const char *o = e < sEnd ? pAsIsEnd(e) : e;
        if (o == e || o + 1 >= sEnd || *o != ' ' || !bQuiet(o[1], Q_NORM)) break;
        if (bLineBreakAt(o + 1, sStart, o)) {
            e = o;
            break;
        }
        e = pQuietRunEnd(o + 2, sEnd, Q_NORM);
    }
    vCopyTo(e);
}

// The end of the bytes at e (before sEnd) that the steps copy as they are where a lone blank
// follows them: a lone blank and an operator (but "-", which may begin a comment), a ")" or a
// ","; e where none stand.
template <bool bFlat>
inline const char *SqueezeWalk<bFlat>::pAsIsEnd(const char *e) const {
    if (*e == ')' || *e == ',') return e + 1;
    if (*e != ' ') return e;
    const char *o = e + 1;
    while (o < sEnd && bIsOperByte(*o) && *o != '-') ++o;
    return o > e + 1 ? o : e;
}

// The comment at s, which begins with c, keeps its bytes with a blank before it (unless the
// output ends where none goes); a line comment drops the white space after it, and a block
// comment of several lines keeps in mind the indentation of the line it begins on.
template <bool bFlat>
inline void SqueezeWalk<bFlat>::vComment(char c) {
    bCmt = true;
    const char cOut = out.cLast();
    if (out.n > 0 && !bNoBlankBeside(cOut) && cOut != ',') vPut(' ');
    const char *e = pCmtEnd(s, sEnd);
    if (c == '-') {
        vCopyTo(e);
        vSkipWhite();
    } else {
        if (std::memchr(s, '\n', static_cast<size_t>(e - s)) != nullptr && !bKeepCmtIndent(pWork, sStart, s, e))
            out.bNoMem = true;
        vCopyTo(e);
    }
    iCmtEnd = out.n;
}

// "(" (with a blank before it after some words) and ";" drop the white space after them.
template <bool bFlat>
inline void SqueezeWalk<bFlat>::vOpenOrSemi(char c) {
    if (c == '(' && bParenWordBefore(out.p, pWritten(), pOutCmtEnd())) vPut(' ');
    vPut(c);
    ++s;
    if (c == ';' && pWork->bKeepBlankLines && bEmptyLineAhead(s, sLast) && !pWork->rBlankAfters.bAdd(out.n - 1))
        out.bNoMem = true;
    vSkipWhite();
}

// A blank goes after a ")" or "," unless white space, ";" or ")" follows it, or a point follows
// the ")": l_tab(i).sal and f(x).attr name a field of what the parenthesis closes.
template <bool bFlat>
inline void SqueezeWalk<bFlat>::vCloseOrComma(char c) {
    if (bPutThenWhite(c)) return;
    int iNext = iSqueezedAt(s, sEnd);
    if (iNext >= 0 && !bNoBlankBeside(static_cast<char>(iNext)) && !(c == ')' && iNext == '.')) vPut(' ');
}

// One step of the walk at s.
template <bool bFlat>
inline void SqueezeWalk<bFlat>::vStep() {
    const char c = *s;
    if (const char *e = pPlainRunEnd(sStart, s, sEnd, Q_NORM)) {
        vPlainRun(e);
        return;
    }
    // No byte below 0x80 begins a unit of two bytes: those are looked at in the default case.
    switch (c) {
    case ' ':
    case '\n':
    case '\t':
    case '\r':
        bPutWhite();
        break;
    case '\'':
    case '"':
        vCopyTo(pQuotedEnd(s, sEnd));
        break;
    case 'q':
    case 'Q':
        if (bLiteralAt(s, sStart, sEnd)) {
            vCopyTo(pLiteralEnd(s, sEnd, rEnc));
        } else {
            vPut(c);
            ++s;
        }
        break;
    case '-':
    case '/':
        if (bCmtAt(s) && bFlat)
            bCmt = true;  // the walk stops here
        else if (bCmtAt(s))
            vComment(c);
        else
            bPutThenWhite(c);
        break;
    case '(':
    case ';':
        vOpenOrSemi(c);
        break;
    case ')':
    case ',':
        vCloseOrComma(c);
        break;
    default:
        if (iUnitLen(s, sEnd, rEnc) == 2) {
            vCopyTo(s + 2);
        } else if (!bPutThenWhite(c) && c == '*' && s < sEnd && bIsWordByte(*s) && bQualifiedStarAt(s - 1, sStart)) {
            vPut(' ');  // t.*FROM: the star of a name gets no blanks of the layout, the word after it one
        }
        break;
    }
}

// One walk over the text [pWork->ssSrc, + nLen) into out; *pbCmt tells whether it met a comment
// (a flattening walk stops there). False when it read past the text's end.
template <bool bFlat>
bool bSqueezeWalk(FmtWork *pWork, size_t nLen, NormOut &out, bool *pbCmt) {
    SqueezeWalk<bFlat> w(pWork, nLen, out);
    while (w.s < w.sEnd && !out.bNoMem && !(bFlat && w.bCmt)) w.vStep();
    *pbCmt = w.bCmt;
    return w.s <= w.sEnd;
}

// One walk squeezes the white space and inserts the blanks the layout expects.
// Squeezing: runs of white space become one blank or one line feed, or nothing before a comma, a
// closing parenthesis or a semicolon and after an opening parenthesis, a semicolon or a line
// comment; literals and comments keep their bytes.
// Blanks: before comments, after closing parentheses and commas, between some words and an
// opening parenthesis, and before a statement keyword right after an operator.
// The text goes to a new block; the old one is kept for the layout. *pbCmt tells whether the
// text holds a comment, *pbFlat whether the text is flattened as well (never one with a comment).
int rcSqueezeWhite(FmtWork *pWork, size_t *pnLen, bool *pbCmt, bool *pbFlat) {
    size_t nLen = *pnLen;
    NormOut out;
    if (!out.bRoom(nLen + nLen / 16)) return rcFailNoMem(pWork, SITE_WHITE_NOMEM);
    vWillFill(out.p, nLen);  // most texts lose few bytes
    // A text that may hold a comment is squeezed without flattening, which then follows the moves.
    *pbFlat = pWork->bCmtFree;
    bool bRead = *pbFlat ? bSqueezeWalk<true>(pWork, nLen, out, pbCmt) : bSqueezeWalk<false>(pWork, nLen, out, pbCmt);
    if (*pbFlat && *pbCmt && !out.bNoMem) {
        // A comment after all: squeezed anew from the start.
        out.n = 0;
        pWork->rBlankAfters.n = 0;
        *pbFlat = false;
        bRead = bSqueezeWalk<false>(pWork, nLen, out, pbCmt);
    }
    if (out.bNoMem) return rcFailNoMem(pWork, SITE_BLANK_NOMEM);
    if (!bRead) return rcFailOverrun(pWork, SITE_WHITE_READ, nullptr);
    out.p[out.n] = '\0';
    pWork->vKeepSpare(pWork->ssSrc, pWork->nSrcCap);  // the trimmed text's block, for the layout's output
    pWork->ssSrc = out.p;
    pWork->nSrcCap = out.cap;
    out.p = nullptr;
    *pnLen = pWork->nSrc = out.n;
    return RC_OK;
}

// Whether a block header may begin at p, in the text that begins at pStart: at the text's start,
// after white space or a ";", or after an operator (the layout writes a blank after it).
inline bool bHeaderMayStandAt(const char *pStart, const char *p, const char *pCmtEnd) {
    return p == pStart || bIsSep(p[-1]) || bAfterOperator(pStart, p, pCmtEnd);
}

// The block header word that ends with the one white-space byte before p, at a place where a
// header may stand; null when there is none. pLineCmtEnd is the end of the last line comment
// stepped over, where it now stands: a word that ends with its line feed is its text.
char *pHeaderBefore(char *ssSrc, char *p, const char *pCmtEnd, const char *pLineCmtEnd, bool bGlued = false) {
    // With bGlued the word may also end right at p (the layout writes the blank there).
    char *e = p > ssSrc && bIsWhite(p[-1]) ? p - 1 : bGlued ? p : nullptr;
    if (e == nullptr || e == ssSrc || (pLineCmtEnd != nullptr && e < pLineCmtEnd)) return nullptr;
    for (const char *szWord : arBlockWords) {
        size_t n = std::strlen(szWord);
        if (iFold(e[-1]) != szWord[n - 1] || static_cast<size_t>(e - ssSrc) < n) continue;  // its last letter first
        char *w = e - n;
        // A phrase whose first word ends that line comment (--PACKAGE, then BODY) is none.
        if (pLineCmtEnd != nullptr && w < pLineCmtEnd) continue;
        if (nHeaderLen(w, szWord) == n && bHeaderMayStandAt(ssSrc, w, pCmtEnd)) return w;
    }
    return nullptr;
}

// Whether a minus sign stands before p, white space between or not. A line comment never comes
// to stand after one: "---" would begin a byte earlier. Nor does it move to one that white space
// parts from the word before it: the layout writes such white space where the text had none
// ("a-AND" becomes "a -" and "AND" on the next line), and a second run must leave the comment
// where the first did.
bool bMinusBefore(const char *ssSrc, const char *p) {
    while (p > ssSrc && bIsWhite(p[-1])) --p;
    return p > ssSrc && p[-1] == '-';
}

// The comments that moved in front of the header word at p (now at pWord) move on in front of
// every header word that stands right before them, so that a second run finds none after a
// header: in front of the first of the row at once. A row that comments moved in front of before
// holds no other place to stop than its first header: the walk goes from its last header to its
// second at once (while no line comment stepped over, ending at pLineCmtEnd, ends inside the
// row, which no header move leaves there). *ppFirst receives where the comments now begin.
int rcMoveBeforeRow(FmtWork *pWork, char *p, char *pWord, const char *pCmtEnd, const char *pLineCmtEnd,
                    char **ppFirst) {
    HeaderRow &row = pWork->rHeaderRow;
    char *pFirst = p;  // the first header of the row, before the comments move
    for (char *h = pHeaderBefore(pWork->ssSrc, p, pCmtEnd, pLineCmtEnd); h != nullptr;
         h = pHeaderBefore(pWork->ssSrc, h, pCmtEnd, pLineCmtEnd)) {
        if (h > pWork->ssSrc && h[-1] == ' ') h[-1] = '\n';
        if (p[0] == '-' && bMinusBefore(pWork->ssSrc, h)) break;  // the comments begin at p
        pFirst = h;
        if (h == row.pLast && row.pFirst != row.pLast && (pLineCmtEnd == nullptr || pLineCmtEnd <= row.pFirst))
            h = pFirst = row.pFirst + nBlockWordAt(row.pFirst) + 1;
    }
    int rc = rcStrSwap(pFirst, p, pWord);
    if (rc != RC_OK) return rcFail(pWork, rc, SITE_HDR_SWAP, pFirst);
    row.pFirst = pFirst + (pWord - p);
    row.pLast = pWord;
    *ppFirst = pFirst;
    return RC_OK;
}

// A block header at p (its word nWord bytes long) goes on a line of its own, and the comments
// right after it move in front of it. *ppNext receives where the walk goes on. *ppLineCmtEnd is
// the end of the last line comment stepped over, where it now stands: the header's comments
// follow it, and it moves on to the last of them where that is a line comment.
int rcMoveHeaderComments(FmtWork *pWork, char *p, size_t nWord, const char *pCmtEnd, const char **ppLineCmtEnd,
                         char **ppNext) {
    char *szTail = pWork->szTail;
    if (p > pWork->ssSrc && p[-1] == ' ') p[-1] = '\n';
    char *pAfter = p + nWord + (bIsWhite(p[nWord]) ? 1 : 0);  // past the word and its white-space byte
    char *q = pAfter;
    size_t nLineCmtEnd = 0;  // the end of the last comment, a line comment, from pAfter on (0: none)
    while (q < szTail && bCmtAt(q)) {
        uint32_t uLen = 0;
        int rc = rcSkipCmt(q, szTail, &uLen);
        if (rc != RC_OK) return rcFail(pWork, rc, SITE_HDR_SKIPCMT, q);
        nLineCmtEnd = q[0] == '-' ? static_cast<size_t>(q + uLen - pAfter) : 0;
        q += uLen;
        if (q < szTail && bIsWhite(*q)) ++q;
    }
    // Comments that reach the end of the text stay where they are: moving the word behind them
    // would put it into an unclosed comment or after the final line feed.
    *ppNext = q;
    char *pMoved = nullptr;  // where the word stands once its own comments moved in front of it
    if (q != pAfter && q < szTail && !(pAfter[0] == '-' && bMinusBefore(pWork->ssSrc, p))) {
        int rc = rcStrSwap(p, pAfter, q);
        if (rc != RC_OK) return rcFail(pWork, rc, SITE_HDR_SWAP, p);
        // The word now follows the comments; the blank before it becomes a line feed as well,
        // as it would in the text that a second run reads.
        char *pWord = p + (q - pAfter);
        // The word's white-space byte goes in front of it where a ",", ")" or ";" follows: no
        // white space stands before those. A word that had none keeps its letters.
        if (q < szTail && bNoWhiteBefore(*q) && bIsWhite(q[-1])) {
            rc = rcStrSwap(pWord, q - 1, q);
            if (rc != RC_OK) return rcFail(pWork, rc, SITE_HDR_SWAP, pWord);
            ++pWord;
        }
        if (pWord[-1] == ' ') pWord[-1] = '\n';
        pMoved = pWord;
        rc = rcMoveBeforeRow(pWork, p, pWord, pCmtEnd, *ppLineCmtEnd, &pAfter);
        if (rc != RC_OK) return rc;
    }
    if (nLineCmtEnd != 0) *ppLineCmtEnd = pAfter + nLineCmtEnd;  // the comments begin at pAfter
    // A PACKAGE whose comments stood before BODY now begins PACKAGE BODY (with a blank between
    // them, as the layout writes them): the walk reads that header anew, and the comments after
    // BODY move in front of it too, as a second run moves them.
    if (pMoved != nullptr && bIsWhite(pMoved[nWord])) {
        const char cWhite = pMoved[nWord];
        pMoved[nWord] = ' ';
        if (nBlockWordAt(pMoved) > nWord)
            *ppNext = pMoved;
        else
            pMoved[nWord] = cWhite;
    }
    return RC_OK;
}

// Whether ")", ";" or "," comes next after pEnd, past white space and comments. Before those the
// blank after AND would be left where no blank stays: a comment stays behind AND there. The
// comments after it count for nothing: one that moves in front of that "," would leave it after
// AND with no "," behind it, and a second run would move it. Asked only after an AND, so that a
// run of comments is read once, not once for each of its comments.
bool bClosesAfter(const char *pEnd, const char *szTail) {
    const char *pNext = pEnd;
    while (pNext < szTail && (bIsWhite(*pNext) || bCmtAt(pNext))) pNext = bCmtAt(pNext) ? ::pCmtEnd(pNext, szTail) : pNext + 1;
    return bNoWhiteBefore(*pNext);
}

// Whether the blanks after a comma stay after it when the comment after them moves in front of
// it, the byte cAfter right after the comment: where the layout writes a blank after the comma
// (before a word, a literal, "(" ...). Before white space, ")" or ";" it writes none, and a
// second run would drop such a blank.
inline bool bCommaKeepsBlanks(char cAfter) { return !bIsWhite(cAfter) && !bNoBlankBeside(cAfter); }

// The comment at p moves in front of an AND or a comma that stands before it (blanks and TABs
// between them allowed). *ppNext receives the position after the comment, and *ppCmtEnd the
// comment's end where it now stands; pCmtEnd is that of the comment before it. *ppLineCmtEnd is
// the end of the last line comment stepped over, where it now stands, which the comment becomes
// where it is one.
int rcMoveCommentBack(FmtWork *pWork, char *p, const char *pCmtEnd, const char **ppLineCmtEnd, char **ppNext,
                      const char **ppCmtEnd) {
    char *ssSrc = pWork->ssSrc;
    uint32_t uLen = 0;
    int rc = rcSkipCmt(p, pWork->szTail, &uLen);
    if (rc != RC_OK) return rcFail(pWork, rc, SITE_CMT_SKIPCMT, p);
    char *pEnd = p + uLen;
    *ppNext = pEnd;
    *ppCmtEnd = pEnd;
    // A comment that reaches the end of the text is not moved (see above). The comment moves
    // until neither AND nor a comma stands before it, so that a second run moves it no further.
    while (pEnd < pWork->szTail) {
        char *q = p;  // the blanks and TABs before the comment start here
        while (q > ssSrc && bBlankOrTab(q[-1])) --q;
        const bool bAfterMinus = p[0] == '-' && q - ssSrc >= 4 && bMinusBefore(ssSrc, q - 3);
        if (q - ssSrc >= 4 && !bAfterMinus && nKwLen(q - 3, szWord(WORD_AND)) != 0 &&
            (bIsWhite(q[-4]) || bAfterOperator(ssSrc, q - 3, pCmtEnd)) && !bClosesAfter(pEnd, pWork->szTail)) {
            rc = rcStrSwap(q - 3, p, pEnd);
            p = q - 3;
        } else if (q - ssSrc >= 2 && q[-1] == ',' && q < p && pEnd < pWork->szTail && bCommaKeepsBlanks(*pEnd) &&
                   !(p[0] == '-' && q[-2] == '-')) {
            // A word right after the comment keeps white space before it: the blanks stay
            // after the comma, where a second run finds the blank the layout writes there.
            rc = rcStrSwap(q - 1, p, pEnd);
            p = q - 1;
        } else if (q - ssSrc >= 2 && q[-1] == ',' && p[0] == '-' && q[-2] == '-' && !bIsWhite(*pEnd)) {
            // After "-," the comment would need the comma's blank before it (no "---") and the
            // word after it one after the comma (a header word finds white space there in a second
            // run, and its comments move): the comment stays, as a second run leaves it.
            break;
        } else if (q - ssSrc >= 2 && q[-1] == ',') {
            // The last blank before the comment goes with it, the others stay after the comma.
            rc = rcStrSwap(q - 1, q < p ? p - 1 : p, pEnd);
            p = q < p ? q : q - 1;
        } else {
            // Moved behind a block header, the comment goes on in front of it, as the header's
            // own comments do.
            char *w = p != *ppNext - uLen ? pHeaderBefore(ssSrc, p, pCmtEnd, *ppLineCmtEnd, true) : nullptr;
            if (w == nullptr) break;
            char *pDummy = nullptr;
            *ppCmtEnd = nullptr;
            return rcMoveHeaderComments(pWork, w, static_cast<size_t>((bIsWhite(p[-1]) ? p - 1 : p) - w), pCmtEnd,
                                        ppLineCmtEnd, &pDummy);
        }
        if (rc != RC_OK) return rcFail(pWork, rc, SITE_CMT_SWAP, p);
        pEnd = p + uLen;
        *ppCmtEnd = pEnd;
    }
    if (p[0] == '-') *ppLineCmtEnd = pEnd;
    return RC_OK;
}

// The bytes of commas with the blanks and TABs after each, which comments move back over.
inline bool bCommaRunByte(char c) { return c == ',' || bBlankOrTab(c); }

// Whether [p, pEnd) holds commas, each with the blanks and TABs after it, and nothing else.
bool bCommasOnly(const char *p, const char *pEnd) {
    if (p >= pEnd || *p != ',') return false;
    for (; p < pEnd; ++p)
        if (!bCommaRunByte(*p)) return false;
    return true;
}

// A run [pFrom, pEnd) of comments (nCmtBytes of them) with commas or ANDs alone between them and
// before its first, put in the order their moves one by one leave it, at once: its comments, then
// the rest in its order. With bLastBlank, a blank or TAB before the last comment goes in front of
// the last comma (the one right before that comment), as that comment's first move leaves it.
// *ppNext receives the run's end, *ppCmtEnd the end of its last comment, *ppLineCmtEnd that of
// its last line comment where they now stand. False, and nothing moved, without the memory.
bool bCommentsFirst(FmtWork *pWork, char *pFrom, char *pEnd, size_t nCmtBytes, bool bLastBlank, char **ppNext,
                    const char **ppCmtEnd, const char **ppLineCmtEnd) {
    HeapPtr<char> spRun(static_cast<char *>(pvAlloc(static_cast<size_t>(pEnd - pFrom))));
    if (spRun == nullptr) return false;  // the usual way reports the want of memory
    char *pCmts = spRun.get(), *pRest = spRun.get() + nCmtBytes;
    const char *pLastLine = nullptr;  // the end of its last line comment, in spRun
    for (char *q = pFrom; q < pEnd;) {
        if (!bCmtAt(q)) {
            *pRest++ = *q++;
            continue;
        }
        const size_t nCmt = static_cast<size_t>(pCmtEnd(q, pWork->szTail) - q);
        std::memcpy(pCmts, q, nCmt);
        pCmts += nCmt;
        if (q[0] == '-') pLastLine = pCmts;
        if (bLastBlank && q + nCmt == pEnd && bBlankOrTab(q[-1])) {
            char *c = pRest - 1;
            while (*c != ',') --c;
            std::memmove(c + 1, c, static_cast<size_t>(pRest - 1 - c));
            *c = q[-1];
        }
        q += nCmt;
    }
    std::memcpy(pFrom, spRun.get(), static_cast<size_t>(pEnd - pFrom));
    *ppNext = pEnd;
    *ppCmtEnd = pFrom + nCmtBytes;
    if (pLastLine != nullptr) *ppLineCmtEnd = pFrom + (pLastLine - spRun.get());
    return true;
}

// A run of comments with nothing but commas between them and the comment before them ("a /* x */,
// /* y */, /* z */, b"): one by one, each would move back over every comma to the comment before
// it, a swap for each, n * n / 2 swaps for n of them. The run, from pFrom, the end of the comment
// before it, on (p its first comment), is put in order at once (bCommentsFirst): where the last
// comma keeps no blanks after it (bCommaKeepsBlanks), the last blank before the last comment goes
// in front of that comma. A run of fewer than two comments goes the usual way (*pbDone false), as
// does a comment that reaches the end of the text.
void vMoveCommaRun(FmtWork *pWork, char *pFrom, char *p, char **ppNext, const char **ppCmtEnd,
                   const char **ppLineCmtEnd, bool *pbDone) {
    const char *szTail = pWork->szTail;
    *pbDone = false;
    size_t nCmts = 0, nCmtBytes = 0;
    char *pEnd = p;  // the end of the run's last comment
    for (char *q = p; bCmtAt(q);) {
        const size_t nCmt = static_cast<size_t>(pCmtEnd(q, szTail) - q);
        if (q + nCmt >= szTail) break;  // it reaches the end of the text (or never closes): it stays
        ++nCmts;
        nCmtBytes += nCmt;
        pEnd = q + nCmt;
        if (*pEnd != ',') break;
        for (q = pEnd; q < szTail && bCommaRunByte(*q);) ++q;
    }
    if (nCmts < 2) return;
    *pbDone = bCommentsFirst(pWork, pFrom, pEnd, nCmtBytes, !bCommaKeepsBlanks(*pEnd), ppNext, ppCmtEnd, ppLineCmtEnd);
}

// The end of the ANDs at p (before pEnd), each with the blanks and TABs after it (one at least);
// p where none stands there.
const char *pAndsEnd(const char *p, const char *pEnd) {
    while (pEnd - p >= 4 && nKwLen(p, szWord(WORD_AND)) != 0 && bBlankOrTab(p[3]))
        for (p += 3; p < pEnd && bBlankOrTab(*p);) ++p;
    return p;
}

// Whether [p, pEnd) holds such ANDs and nothing else.
bool bAndsOnly(const char *p, const char *pEnd) { return p < pEnd && pAndsEnd(p, pEnd) == pEnd; }

// Whether a comment that moves back over ANDs goes on over those after the line comment that
// ends at pEnd: its line feed is white space before them, and no "-" ends its text (a line
// comment never comes to stand after a minus sign).
bool bAndsMayFollow(const char *pStart, const char *pEnd) {
    if (pEnd == pStart || pEnd[-1] != '\n') return false;
    const char *q = pEnd;
    while (q > pStart && bIsWhite(q[-1])) --q;
    return q > pStart && q[-1] != '-';
}

// A run of comments with ANDs alone between them, after a line comment ("-- x" / "AND -- y" /
// "AND -- z" / ...): one by one, each would move back over every AND to the comment before it,
// over all those that the comments before it moved over too, n * n / 2 swaps for n of them. The
// run, from pFrom, the end of the line comment before it, on (p its first comment), is put in
// order at once (bCommentsFirst). A comment goes on the run while it would move all the way: a
// line comment that no "-" ends, and ANDs, stand before it, and no ")", ";" or "," follows it. A
// run of fewer than two comments goes the usual way (*pbDone false).
void vMoveAndRun(FmtWork *pWork, char *pFrom, char *p, char **ppNext, const char **ppCmtEnd,
                 const char **ppLineCmtEnd, bool *pbDone) {
    const char *szTail = pWork->szTail;
    *pbDone = false;
    size_t nCmts = 0, nCmtBytes = 0;
    char *pEnd = p;  // the end of the run's last comment
    const char *pBefore = pFrom;  // the end of the comment before the one looked at
    for (char *q = p; bAndsMayFollow(pWork->ssSrc, pBefore);) {
        char *e = const_cast<char *>(pCmtEnd(q, szTail));
        if (e >= szTail) break;  // it reaches the end of the text (or never closes): it stays
        char *pAfter = const_cast<char *>(pAndsEnd(e, szTail));  // past the ANDs after it
        if (pAfter == e && bClosesAfter(e, szTail)) break;  // it stays behind the AND before it
        ++nCmts;
        nCmtBytes += static_cast<size_t>(e - q);
        pEnd = e;
        if (pAfter == e || !bCmtAt(pAfter)) break;
        pBefore = e;
        q = pAfter;
    }
    if (nCmts < 2) return;
    *pbDone = bCommentsFirst(pWork, pFrom, pEnd, nCmtBytes, false, ppNext, ppCmtEnd, ppLineCmtEnd);
}

// Block headers go on lines of their own with the comments after them in front of them; a
// comment after AND or a comma moves in front of that AND or comma. In place.
int rcMoveComments(FmtWork *pWork) {
    pWork->rHeaderRow = HeaderRow{};
    char *ssSrc = pWork->ssSrc;
    char *szTail = pWork->szTail;
    const TextEnc rEnc = pWork->rEnc;
    char *p = ssSrc;
    const char *pUnitEnd = nullptr;  // just past the last double-byte unit stepped over
    const char *pCmtEnd = nullptr;   // the end of the last comment stepped over
    const char *pLineCmtEnd = nullptr;  // that of the last line comment, where it now stands
    while (p < szTail) {
        int rc = RC_OK;
        if (const char *e = pPlainRunEnd(ssSrc, p, szTail, Q_MOVE)) {
            p = const_cast<char *>(e);
            continue;
        }
        if (iUnitLen(p, szTail, rEnc) == 2) {
            p += 2;
            pUnitEnd = p;
            continue;
        }
        // The second byte of a double-byte character is never taken for a separator, so it
        // is never overwritten either.
        size_t nWord = 0;
        if (p != pUnitEnd && bHeaderMayStandAt(ssSrc, p, pCmtEnd))
            nWord = nBlockWordAt(p);
        if (nWord != 0) {
            rc = rcMoveHeaderComments(pWork, p, nWord, pCmtEnd, &pLineCmtEnd, &p);
        } else if (bLiteralAt(p, ssSrc, szTail)) {
            p = const_cast<char *>(pLiteralEnd(p, szTail, rEnc));
        } else if (bCmtAt(p)) {
            pWork->rHeaderRow = HeaderRow{};  // the comments that move here may pass through a row
            // After a comment and commas alone, a run of such comments is put in order at once.
            bool bDone = false;
            if (pCmtEnd != nullptr && bCommasOnly(pCmtEnd, p))
                vMoveCommaRun(pWork, ssSrc + (pCmtEnd - ssSrc), p, &p, &pCmtEnd, &pLineCmtEnd, &bDone);
            else if (pCmtEnd != nullptr && bAndsOnly(pCmtEnd, p))
                vMoveAndRun(pWork, ssSrc + (pCmtEnd - ssSrc), p, &p, &pCmtEnd, &pLineCmtEnd, &bDone);
            if (!bDone) rc = rcMoveCommentBack(pWork, p, pCmtEnd, &pLineCmtEnd, &p, &pCmtEnd);
        } else {
            ++p;
        }
        if (rc != RC_OK) return rc;
    }
    if (p > szTail) return rcFailOverrun(pWork, SITE_MOVE_OVERRUN, szTail);
    return RC_OK;
}

// Statement keywords begin a new line; every other white space byte outside literals and
// comments becomes a blank. The last byte (the final line feed or semicolon) stays. A text that
// may hold comments is flattened after their moves; the squeeze flattens one in which the script
// finder read none as it writes it.
int rcFlatten(FmtWork *pWork) {
    char *ssSrc = pWork->ssSrc;
    char *szTail = pWork->szTail;
    const TextEnc rEnc = pWork->rEnc;
    char *pLast = szTail - 1;
    char *p = ssSrc;
    while (p < pLast) {
        if (const char *e = pFlatRunEnd(ssSrc, p, pLast); e != p) {
            p = const_cast<char *>(e);
            continue;
        }
        if (const char *e = pPlainRunEnd(ssSrc, p, pLast, Q_FLAT)) {
            p = const_cast<char *>(e);
            continue;
        }
        if (bIsWordByte(*p) && *p != 'q' && *p != 'Q') {
            // S, E, C, A or D: a statement keyword begins here only after a blank; any other
            // word is passed whole.
            size_t nWord = p > ssSrc && p[-1] == ' ' && !bLabelWordAt(ssSrc, p, pLast) && bLineKeywordBreaksAfter(ssSrc, p - 1)
                               ? nLineKeywordAt(p)
                               : 0;
            if (nWord != 0) {
                p[-1] = '\n';
                p += nWord;
            } else {
                p = const_cast<char *>(pClassRunEnd(p + 1, pLast, CC_INWORD));
            }
            continue;
        }
        if (iUnitLen(p, szTail, rEnc) == 2) {
            p += 2;
            continue;
        }
        if (bLiteralAt(p, ssSrc, szTail)) {
            p = const_cast<char *>(pLiteralEnd(p, szTail, rEnc));
            continue;
        }
        // A comment keeps the line feed before it, and a block comment the one after it.
        char *pCmt = bCmtAt(p) ? p : (p[0] == '\n' && bCmtAt(p + 1) ? p + 1 : nullptr);
        if (pCmt != nullptr) {
            char *e = const_cast<char *>(pCmtEnd(pCmt, szTail));
            if (pCmt[0] == '/' && e < szTail && *e == '\n') ++e;
            p = e;
            continue;
        }
        if (bIsWhite(*p)) *p = ' ';
        ++p;
    }
    if (p > szTail) return rcFailOverrun(pWork, SITE_FLAT_OVERRUN, szTail);
    return RC_OK;
}

}  // namespace

namespace {
uint64_t uHashBytes(const char *p, size_t n) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (const char *e = p + n; p < e; ++p) h = (h ^ static_cast<uint8_t>(*p)) * 1099511628211ull;
    return h;
}
}  // namespace

bool CmtIndents::bKeepBytes(const char *pIndent, size_t nIndent, size_t *piAt) {
    if (!bGrowTo(&pBytes, &capBytes, nBytes + nIndent + 1)) return false;
    std::memcpy(pBytes + nBytes, pIndent, nIndent);
    *piAt = nBytes;
    nBytes += nIndent;
    return true;
}

bool CmtIndents::bAdd(const char *pCmt, size_t nCmt, const char *pIndent, size_t nIndent) {
    size_t iAt = 0;
    return bKeepBytes(pIndent, nIndent, &iAt) && bAddKept(pCmt, nCmt, iAt, nIndent);
}

bool CmtIndents::bAddKept(const char *pCmt, size_t nCmt, size_t iIndent, size_t nIndent) {
    if (!bGrowTo(&p, &cap, n + 1)) return false;
    p[n++] = CmtIndent{nCmt, uHashBytes(pCmt, nCmt), iIndent, nIndent};
    return true;
}

const CmtIndent *CmtIndents::pFind(size_t *piNext, const char *pCmt, size_t nCmt) const {
    const uint64_t uHash = uHashBytes(pCmt, nCmt);
    for (size_t i = *piNext; i < n && i < *piNext + 8; ++i) {
        if (p[i].nCmt == nCmt && p[i].uHash == uHash) {
            *piNext = i + 1;
            return &p[i];
        }
    }
    return nullptr;
}

// Makes the working copy of the statement in pWork->ssSrc (in the block given with it, where one
// is) and normalises it. pWork->ssSrc belongs to the caller on success and on failure; a failure has written its message (or its callee
// has) and leaves the site, and where known the position, in pWork for the common exit.
int rcNormStmt(FmtWork *pWork, const char *pStmt, size_t nStmt, const StmtStyle *rStmtStyle,
               HeapPtr<char> *pspBlock, size_t nBlockCap) {
    pWork->iUnitLen = static_cast<int32_t>(std::strlen(rStmtStyle->szIndent));
    pWork->bKeepBlankLines = rStmtStyle->bKeepBlankLines;
    if (pspBlock != nullptr && *pspBlock != nullptr && pStmt >= pspBlock->get() &&
        static_cast<size_t>(pStmt - pspBlock->get()) + nStmt < nBlockCap) {
        // The statement's own block: it moves to the block's start.
        pWork->ssSrc = pspBlock->release();
        pWork->nSrcCap = nBlockCap;
        std::memmove(pWork->ssSrc, pStmt, nStmt);
    } else {
        // The copy's block later takes the layout's output, about a quarter longer than the text.
        const size_t nCap = nStmt <= SIZE_MAX / 2 ? nStmt + nStmt / 4 + 64 : nStmt + 2;
        pWork->ssSrc = static_cast<char *>(pvAlloc(nCap));
        if (pWork->ssSrc == nullptr) return rcFailNoMem(pWork, SITE_COPY_NOMEM);
        pWork->nSrcCap = nCap;
        vWillFill(pWork->ssSrc, nStmt);
        std::memcpy(pWork->ssSrc, pStmt, nStmt);
    }
    pWork->ssSrc[nStmt] = '\0';
    pWork->nSrc = nStmt;

    if (rStmtStyle->iJoinAt != 0) {
        int rc = rcJoinStmtChunk(&pWork->ssSrc, &pWork->nSrc, static_cast<uint32_t>(rStmtStyle->iJoinAt), pWork->rEnc);
        if (rc != RC_OK) return rcFail(pWork, rc, SITE_JOIN, nullptr);
        pWork->nSrcCap = pWork->nSrc + 1;  // the joined text's block
    }
    size_t nLen = 0;
    bool bCmt = false, bFlat = false;
    int rc = rcTrimStmt(pWork, rStmtStyle, &nLen);
    if (rc == RC_OK) rc = rcSqueezeWhite(pWork, &nLen, &bCmt, &bFlat);
    if (rc != RC_OK) return rc;
    pWork->szTail = pWork->ssSrc + nLen;
    // Without a comment the moves would only turn the blank before a block header into a line
    // feed, which the flattening turns back: they are left out.
    if (bCmt) rc = rcMoveComments(pWork);
    if (!bFlat && rc == RC_OK) rc = rcFlatten(pWork);
    return rc;
}
