// Frozen copy of formatter/rcFmtNorm.cpp made by tests/oracle/freeze.sh, which overwrites it.
// Normalisation of a statement: the first phase of the formatter. It turns the statement as it
// was typed into a text whose white space outside literals and comments is single blanks and a
// few line feeds, with comments moved in front of block headers, AND and commas, blanks
// inserted where the layout passes expect them and statement keywords on lines of their own.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tests/oracle/engine/rcFmtInternal.h"
#include "tests/oracle/engine/rcFmtLex.h"
#include "tests/oracle/engine/rcFmtWords.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

namespace oracle {

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

// Words after which a blank goes in before an opening parenthesis, and the block headers whose
// comments move in front of them (longest first where one begins another): from the one table.
constexpr auto arParenWords = arWordsWith<W_PAREN>();
constexpr auto arBlockWords = arWordsWith<W_MOVES>();

// The length of the block header szWord (in capitals) where the text at p begins with it, else 0.
// The words of a phrase (PACKAGE BODY) may stand on two lines: the flattening, after the moves,
// turns that line feed into the blank that the layout reads.
size_t nHeaderLen(const char *p, const char *szWord) {
    size_t n = 0;
    while (szWord[n] != '\0' && (iFold(p[n]) == static_cast<uint8_t>(szWord[n]) || (szWord[n] == ' ' && p[n] == '\n'))) ++n;
    return szWord[n] == '\0' ? n : 0;
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
    if (nKeep == nLen) {
        // Room for the final line feed.
        char *pNew = static_cast<char *>(pvRealloc(ssSrc, nLen + 2));
        if (pNew == nullptr) return rcFailNoMem(pWork, SITE_TRAIL_GROW);
        pWork->ssSrc = ssSrc = pNew;
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
    while (*e == ' ' || *e == '\t') ++e;
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

inline bool bNoBlankNext(char c) { return c == ';' || c == '\n' || c == ' ' || c == '\t' || c == ')'; }

// Whether the opening parenthesis at s directly follows one of the listed words that has white
// space (or a blank to come) before it. A word at the very start of the text has no byte before
// it: no blank then.
bool bParenWordBefore(const char *szText, const char *s, const char *pCmtEnd) {
    if (s == szText || (iFold(s[-1]) < 'A' || iFold(s[-1]) > 'Z')) return false;  // every word ends in a letter
    for (const char *szWord : arParenWords) {
        size_t n = std::strlen(szWord);
        if (static_cast<size_t>(s - szText) < n + 1) continue;
        // A ")" or "," before the word has its blank after it already.
        char b = s[-1 - static_cast<ptrdiff_t>(n)];
        if (nKwLen(s - n, szWord) != 0 &&
            (bIsWhite(b) || b == ')' || b == ',' || s - n == pCmtEnd || bAfterOperator(szText, s - n, pCmtEnd)))
            return true;
    }
    return false;
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

// The walk of rcSqueezeWhite: the text [sStart, sEnd) read at s, and the output written so far.
// Each blank is decided on the output, which is the squeezed text: a blank written after a ")"
// or "," counts there as the ")" or "," would. The steps are small and inline: the walk runs
// over every byte that is not passed in a run.
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
        if (cWhite != '\0') vPut(cWhite);
        s = e;
        return cWhite != '\0';
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
    void vComment(char c);
    void vOpenOrSemi(char c);
    void vCloseOrComma(char c);
    void vStep();
};

// A run that needs no look of its own at each byte (pPlainRunEnd) up to e.
inline void SqueezeWalk::vPlainRun(const char *e) {
    // A statement keyword right after an operator gets the blank it would have after white space.
    if (bAfterOperator(out.p, pWritten(), pOutCmtEnd()) && nLineKeywordSqueezed(s, sEnd) != 0 && !bLabelWordAt(sStart, s, sEnd))
        vPut(' ');
    // A lone blank before a word stays as it is: the run goes on past it.
    while (e + 1 < sEnd && *e == ' ' && bQuiet(e[1], Q_NORM)) e = pQuietRunEnd(e + 2, sEnd, Q_NORM);
    vCopyTo(e);
}

// The comment at s, which begins with c, keeps its bytes with a blank before it (unless the
// output ends where none goes); a line comment drops the white space after it, and a block
// comment of several lines keeps in mind the indentation of the line it begins on.
inline void SqueezeWalk::vComment(char c) {
    bCmt = true;
    const char cOut = out.cLast();
    if (out.n > 0 && !bNoBlankNext(cOut) && cOut != ',') vPut(' ');
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
inline void SqueezeWalk::vOpenOrSemi(char c) {
    if (c == '(' && bParenWordBefore(out.p, pWritten(), pOutCmtEnd())) vPut(' ');
    vPut(c);
    ++s;
    if (c == ';' && pWork->bKeepBlankLines && bEmptyLineAhead(s, sLast) && !pWork->rBlankAfters.bAdd(out.n - 1))
        out.bNoMem = true;
    vSkipWhite();
}

// A blank goes after a ")" or "," unless white space, ";" or ")" follows it, or a point follows
// the ")": l_tab(i).sal and f(x).attr name a field of what the parenthesis closes.
inline void SqueezeWalk::vCloseOrComma(char c) {
    if (bPutThenWhite(c)) return;
    int iNext = iSqueezedAt(s, sEnd);
    if (iNext >= 0 && !bNoBlankNext(static_cast<char>(iNext)) && !(c == ')' && iNext == '.')) vPut(' ');
}

// One step of the walk at s.
inline void SqueezeWalk::vStep() {
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
        if (bCmtAt(s))
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

// One walk squeezes the white space and inserts the blanks the layout expects.
// Squeezing: runs of white space become one blank or one line feed, or nothing before a comma, a
// closing parenthesis or a semicolon and after an opening parenthesis, a semicolon or a line
// comment; literals and comments keep their bytes.
// Blanks: before comments, after closing parentheses and commas, between some words and an
// opening parenthesis, and before a statement keyword right after an operator.
// The text goes to a new block; the old one is kept for the layout. *pbCmt tells whether the
// text holds a comment.
int rcSqueezeWhite(FmtWork *pWork, size_t *pnLen, bool *pbCmt) {
    size_t nLen = *pnLen;
    NormOut out;
    if (!out.bRoom(nLen + nLen / 16)) return rcFailNoMem(pWork, SITE_WHITE_NOMEM);
    SqueezeWalk w(pWork, nLen, out);
    while (w.s < w.sEnd && !out.bNoMem) w.vStep();
    *pbCmt = w.bCmt;
    if (out.bNoMem) return rcFailNoMem(pWork, SITE_BLANK_NOMEM);
    if (w.s > w.sEnd) return rcFailOverrun(pWork, SITE_WHITE_READ, nullptr);
    out.p[out.n] = '\0';
    pWork->vKeepSpare(pWork->ssSrc, nLen + 1);  // the trimmed text's block, for the layout's output
    pWork->ssSrc = out.p;
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
    // They move in front of every header word that stands right before them, so that a second
    // run finds none after a header.
    *ppNext = q;
    char *pMoved = nullptr;  // where the word stands once its own comments moved in front of it
    while (q != pAfter && q < szTail && !(pAfter[0] == '-' && bMinusBefore(pWork->ssSrc, p))) {
        int rc = rcStrSwap(p, pAfter, q);
        if (rc != RC_OK) return rcFail(pWork, rc, SITE_HDR_SWAP, p);
        // The word now follows the comments; the blank before it becomes a line feed as well,
        // as it would in the text that a second run reads.
        char *pWord = p + (q - pAfter);
        // The word's white-space byte goes in front of it where a ",", ")" or ";" follows: no
        // white space stands before those. A word that had none keeps its letters.
        if (q < szTail && (*q == ',' || *q == ')' || *q == ';') && bIsWhite(q[-1])) {
            rc = rcStrSwap(pWord, q - 1, q);
            if (rc != RC_OK) return rcFail(pWork, rc, SITE_HDR_SWAP, pWord);
            ++pWord;
        }
        if (pWord[-1] == ' ') pWord[-1] = '\n';
        if (pMoved == nullptr) pMoved = pWord;
        q = pWord;
        pAfter = p;
        p = pHeaderBefore(pWork->ssSrc, p, pCmtEnd, *ppLineCmtEnd);
        if (p == nullptr) break;
        if (p > pWork->ssSrc && p[-1] == ' ') p[-1] = '\n';
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
        while (q > ssSrc && (q[-1] == ' ' || q[-1] == '\t')) --q;
        // Before ")", ";" or "," the blank after AND would be left where no blank stays: the
        // comment stays behind AND there. The comments after it count for nothing: one that
        // moves in front of that "," would leave it after AND with no "," behind it, and a second
        // run would move it.
        const char *pNext = pEnd;
        while (pNext < pWork->szTail && (bIsWhite(*pNext) || bCmtAt(pNext)))
            pNext = bCmtAt(pNext) ? oracle::pCmtEnd(pNext, pWork->szTail) : pNext + 1;
        const bool bCloses = *pNext == ')' || *pNext == ';' || *pNext == ',';
        const bool bAfterMinus = p[0] == '-' && q - ssSrc >= 4 && bMinusBefore(ssSrc, q - 3);
        if (q - ssSrc >= 4 && !bCloses && !bAfterMinus && nKwLen(q - 3, szWord(WORD_AND)) != 0 &&
            (bIsWhite(q[-4]) || bAfterOperator(ssSrc, q - 3, pCmtEnd))) {
            rc = rcStrSwap(q - 3, p, pEnd);
            p = q - 3;
        } else if (q - ssSrc >= 2 && q[-1] == ',' && q < p && pEnd < pWork->szTail && !bIsWhite(*pEnd) &&
                   !bNoBlankNext(*pEnd) && !(p[0] == '-' && q[-2] == '-')) {
            // A word right after the comment keeps white space before it: the blanks stay
            // after the comma, where a second run finds the blank the layout writes there. Before
            // a ")" or ";" it writes none, and a second run would drop one: none stays.
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

// Block headers go on lines of their own with the comments after them in front of them; a
// comment after AND or a comma moves in front of that AND or comma. In place.
int rcMoveComments(FmtWork *pWork) {
    char *ssSrc = pWork->ssSrc;
    char *szTail = pWork->szTail;
    const TextEnc rEnc = pWork->rEnc;
    char *p = ssSrc;
    const char *pUnitEnd = nullptr;  // just past the last double-byte unit stepped over
    const char *pCmtEnd = nullptr;   // the end of the last comment stepped over
    const char *pLineCmtEnd = nullptr;  // the end of the last line comment stepped over, where it now stands
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
        if (nWord != 0)
            rc = rcMoveHeaderComments(pWork, p, nWord, pCmtEnd, &pLineCmtEnd, &p);
        else if (bLiteralAt(p, ssSrc, szTail))
            p = const_cast<char *>(pLiteralEnd(p, szTail, rEnc));
        else if (bCmtAt(p))
            rc = rcMoveCommentBack(pWork, p, pCmtEnd, &pLineCmtEnd, &p, &pCmtEnd);
        else
            ++p;
        if (rc != RC_OK) return rc;
    }
    if (p > szTail) return rcFailOverrun(pWork, SITE_MOVE_OVERRUN, szTail);
    return RC_OK;
}

// Statement keywords begin a new line; every other white space byte outside literals and
// comments becomes a blank. The last byte (the final line feed or semicolon) stays.
int rcFlatten(FmtWork *pWork) {
    char *ssSrc = pWork->ssSrc;
    char *szTail = pWork->szTail;
    const TextEnc rEnc = pWork->rEnc;
    char *pLast = szTail - 1;
    char *p = ssSrc;
    while (p < pLast) {
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
        std::memmove(pWork->ssSrc, pStmt, nStmt);
    } else {
        pWork->ssSrc = static_cast<char *>(pvAlloc(nStmt + 1));
        if (pWork->ssSrc == nullptr) return rcFailNoMem(pWork, SITE_COPY_NOMEM);
        std::memcpy(pWork->ssSrc, pStmt, nStmt);
    }
    pWork->ssSrc[nStmt] = '\0';
    pWork->nSrc = nStmt;

    if (rStmtStyle->iJoinAt != 0) {
        int rc = rcJoinStmtChunk(&pWork->ssSrc, &pWork->nSrc, static_cast<uint32_t>(rStmtStyle->iJoinAt), pWork->rEnc);
        if (rc != RC_OK) return rcFail(pWork, rc, SITE_JOIN, nullptr);
    }
    size_t nLen = 0;
    bool bCmt = false;
    int rc = rcTrimStmt(pWork, rStmtStyle, &nLen);
    if (rc == RC_OK) rc = rcSqueezeWhite(pWork, &nLen, &bCmt);
    if (rc != RC_OK) return rc;
    pWork->szTail = pWork->ssSrc + nLen;
    // Without a comment the moves would only turn the blank before a block header into a line
    // feed, which the flattening turns back: they are left out.
    if (bCmt) rc = rcMoveComments(pWork);
    if (rc == RC_OK) rc = rcFlatten(pWork);
    return rc;
}
}  // namespace oracle
