// Frozen copy of formatter/rcFmtLayout.h made by tests/oracle/freeze.sh, which overwrites it.
// The layout engine's own state and output actions, shared by its walk (rcFmtLayout.cpp), its
// keyword rules (rcFmtLayoutKw.cpp) and its parenthesis and comma rules (rcFmtLayoutParen.cpp).
//
// One walk over the normalised text applies the rules at each position; the output actions
// append to an output buffer that grows as needed.
#pragma once
#include <cstdint>
#include <cstring>

#include "tests/oracle/engine/rcFmtInternal.h"
#include "tests/oracle/engine/rcFmtLex.h"
#include "tests/oracle/engine/rcFmtWords.h"

namespace oracle {

enum {
    MAX_IDT_LEVELS = 512,  // levels 0 to 511
    BLK_NAME_LEN = 30,     // bytes of a block name kept in szBlkName
    LABEL_MAX = 260,       // bytes a label's name may take but white space (a quoted name of 128 characters)
    RULE_PASS = -1,        // a rule's answer when it does not apply at the reading position
};

// Failure sites of the layout engine (reported by the common exit of rcFmtStmt).
enum {
    SITE_METRIX_MEASURE = 1034,  // rcGetMetrix failed
    SITE_MAX_IDT = 1043,         // the indentation would leave the 512 levels
    SITE_NO_OPEN_PAREN = 1058,   // a ")" takes the level below the first line's
    SITE_SRC_OVERRUN = 1454,     // the walk read past the end of the text
    SITE_NO_CLOSE_PAREN = 1466,  // levels left open at the end of the text
    SITE_OUT_NOMEM = 1480,       // the output buffer cannot be obtained
    SITE_PARTS_NOMEM = 1476,     // the table of the parts' metrics cannot be obtained
};

// One entry of the indentation stack: what was opened while iIdt was its index.
struct rIdtFrame {
    int32_t iMetrix;                    // metric of the broken part opened at this level
    int32_t iBlkKind;                   // block kind recorded at this level
    int32_t iInExcept;                  // iInExcept saved by BEGIN at this level
    char szBlkName[BLK_NAME_LEN + 1];   // block name recorded at this level
    const char *pOpen;                  // where the word or "(" that raised the level to this one stands
    bool bCallPart;                     // the level is a broken part that holds no query (a call's
                                        // arguments): FROM there is no clause (EXTRACT(HOUR FROM d))
};

// How many of the last comments carried the word before a position is read past.
constexpr uint32_t CMT_RUN = 4;

struct LayoutState {
    // The rules' state, started afresh for each text (and, in part, after each "/" terminator).
    const char *szSrc;     // reading position in ssSrc
    const char *pUnitStart;  // where the text or the unit after its last "/" terminator begins
    const MetricTable *pParts;  // the metrics of the text's parts, or null
    size_t iNextPart;           // the first entry of pParts not yet passed
    const CmtIndents *pCmtIndents;  // the indentation each block comment's first line had
    size_t iNextCmt;                // the first entry of pCmtIndents not yet passed
    const BlankAfters *pBlankAfters;  // the semicolons an empty line follows
    size_t iNextBlank;                // the first entry of pBlankAfters not yet passed
    int64_t iDstLen;       // output bytes so far
    int32_t iIdt;          // current indentation level
    int32_t iMetrix;       // break metric of the innermost open part (1 or more: broken)
    int32_t iBlkKind;      // 0 none or block body, 1 declaration section, 2 header before IS/AS
    char szBlkName[BLK_NAME_LEN + 1];
    int32_t iInExcept;     // 1 after EXCEPTION in the current block
    int32_t iAsOpens;      // 1 when AS as well as IS ends the pending header
    int32_t iHdrRecord;    // 1 while block headers are recorded, 0 after a package spec header
    int32_t iInCursor;     // 1 from CURSOR to its ";"
    int32_t iInBetween;    // 1 after BETWEEN until the next AND
    int32_t iInStmt;       // 1 from the first statement word to the SQL*Plus terminator
    int32_t iTypeSpec;     // 1 from CREATE TYPE (not TYPE BODY) to its ";": no block headers in it
    int32_t nParens;       // "(" read and not yet closed, broken or not
    // What a pending header replaced (its level's entry, the block kind and name), put back when
    // ";" comes before its IS or AS: it was a declaration (FUNCTION f RETURN x; DROP PACKAGE p;).
    int32_t iHdrPending;   // 1 from a recorded header to its IS or AS
    rIdtFrame rFrameBeforeHdr;
    int32_t iKindBeforeHdr;
    char szNameBeforeHdr[BLK_NAME_LEN + 1];
    // How the current output line stands: -1 it holds text; n >= 0 it holds nothing but n units
    // of indentation. A step back takes back only such indentation, never text.
    int32_t iLineIdt;
    char cLast;            // the last byte written (0: none yet)
    int64_t nTrailWhite;   // blanks and TABs at the output's end that a line break drops
    bool iSlashLine;       // the output line holds nothing but a division sign (and a blank)
    const char *pCmdLetter;  // the statement's first word where it is R or L alone, else null
    const char *pStmtStart;  // where the statement being read begins, as the script finder reads it
    int32_t iStmtKind;       // what it is (iStmtKindOf): -1 not asked yet
    const char *pBlockCmtEnd;  // just past the last block comment carried: a word there begins after it
    const char *pEndTail;  // the LOOP, IF or CASE that comments part from its END: it opens nothing
    // Where a PL/SQL statement may begin: after a ";", a branch's THEN, ELSE, LOOP, BEGIN, a header's
    // IS or AS, a label or a directive around statements; null before the first in the unit.
    const char *pStmtNext;
    const char *pEndCaseLook;  // where the last look for END CASE in the unit ended (null: none yet)
    bool bEndCaseFound;        // whether it ended at one
    // The last comments carried, [arCmtStart[i], arCmtEnd[i]) in turn (iCmtNext: the next to
    // fill): the word before a position is read past them, as PL/SQL reads it.
    const char *arCmtStart[CMT_RUN], *arCmtEnd[CMT_RUN];
    uint32_t iCmtNext;

    // The walk and its output.
    char *pOut;            // the output buffer (null until the first byte)
    int64_t iCap;          // bytes the output buffer takes before its terminating NUL
    bool bNoRoom;          // the buffer could not grow: the walk only counts from there
    const char *ssSrc;     // start of the normalised text
    const char *szTail;    // its terminating NUL
    TextEnc rEnc;          // the encoding the text is read in
    const char *szIndent;  // the indentation unit
    char cIndentFill;      // the byte every byte of the unit is, or 0 when they differ
    int32_t iUnitLen;
    int32_t iOrgIdt;
    int32_t iNumComma;
    int32_t iPartSize;
    int32_t iSite;         // failure site, when a rule fails

    // The indentation stack, last: only its levels up to iTopIdt hold anything (the higher ones
    // are emptied when first reached), so a statement does not clear all of it.
    int32_t iTopIdt;
    rIdtFrame arIdtFrame[MAX_IDT_LEVELS];
};

// The byte before the reading position, or -1 at the start of the statement.
// At the start of the text, or of a unit after a "/" terminator (its blank passed over): where
// a second run, which finds the "/" on a line of its own, starts a text afresh.
inline bool bAtUnitStart(const LayoutState *st) {
    return st->szSrc == st->pUnitStart || (st->szSrc == st->pUnitStart + 1 && *st->pUnitStart == ' ');
}
inline int iPrevByte(const LayoutState *st) {
    return st->szSrc > st->ssSrc ? static_cast<unsigned char>(st->szSrc[-1]) : -1;
}
// The byte at p (p lies within the text up to its terminating NUL).
inline int iByteAt(const char *p) { return static_cast<unsigned char>(*p); }
// True where a word begins at the reading position (no letter, digit, "_", "$", "#" before it).
inline bool bAtWordStart(const LayoutState *st) {
    int c = iPrevByte(st);
    return c < 0 || !bIsWordByte(c);
}

// The length of szKw when the text at p begins with it, else 0 (the lexical keyword rule).
inline int32_t iKw(const char *p, const char *szKw) { return static_cast<int32_t>(nKwLen(p, szKw)); }
// The length of the word (or phrase) e of the table and the blank after it when the text at p
// begins with both, else 0.
inline int32_t iKwThenBlank(const char *p, WordId e) {
    const int32_t n = iKw(p, szWord(e));
    return n > 0 && p[n] == ' ' ? n + 1 : 0;
}

// The length of the character unit at p, within the text.
inline int32_t iCharLen(const LayoutState *st, const char *p) { return iUnitLen(p, st->szTail, st->rEnc); }

// Output actions.
// bData: the bytes belong to a literal or a comment, whose white space is never dropped.
// Grows the output for n more bytes and a NUL; false (and the walk only counts from then on)
// when it cannot.
bool bGrow(LayoutState *st, int64_t n);
inline void vPut(LayoutState *st, const char *p, int64_t n, bool bData = false);
inline void vCopy(LayoutState *st, int64_t n, bool bData = false);  // copy n bytes of the text (never past szTail)
void vIndent(LayoutState *st, int32_t iLevel);      // iLevel units of indentation (none below 1)
void vLineBreak(LayoutState *st);                   // newline and iIdt units
void vCopyNewline(LayoutState *st);                 // copy the text's newline, then iIdt units
void vBreakForBlank(LayoutState *st);               // line break for the blank after a keyword
void vBreakBefore(LayoutState *st, int32_t iLevel); // the blank last written becomes a line break
void vStepBack(LayoutState *st);                    // take back one unit of bare indentation
void vStepOut(LayoutState *st, int32_t iLevel);     // step back, or break before when there is text
void vPutBlank(LayoutState *st);
void vBlankAfter(LayoutState *st);  // the blank after an operator or comma

// Where the white space and the comments carried last that stand before p begin, as PL/SQL reads
// the text (a comment is white space).
const char *pPastWhiteBefore(const LayoutState *st, const char *p);
// The word that ends before p, past the white space and the comments carried last before p; *pn
// its length (0: none).
const char *pWordBefore(const LayoutState *st, const char *p, size_t *pn);

// The block state of a new unit (a statement after the SQL*Plus terminator starts afresh).
void vStartUnit(LayoutState *st);
// Where a statement may begin (the text's start, after ";" and after the terminator): notes
// whether its first word is R or L alone. Most statements begin with a word of more letters, and
// one look at the byte after the white space tells them ("-" and "/": a comment before the word).
void vNoteCmdLetter(LayoutState *st, const char *p);
inline void vNoteStmtStart(LayoutState *st) {
    const char *p = st->szSrc;
    while (p < st->szTail && bIsWhite(*p)) ++p;
    st->pStmtStart = p;
    st->iStmtKind = -1;
    const int c = p < st->szTail ? iFold(*p) : 0;
    if (c == 'R' || c == 'L' || c == '-' || c == '/')
        vNoteCmdLetter(st, p);
    else
        st->pCmdLetter = nullptr;
}

// Level changes. A raise that would reach level 512 fails (site 1043). A block word never takes
// the level below the first line's; bLower tells whether it lowered, for a block word whose
// lowering stopped there takes back no indentation either.
int rcRaise(LayoutState *st);
bool bLower(LayoutState *st);
// For a failure report: the reading position goes back to where the innermost level still open
// was raised (the block or "(" that was never closed).
void vAtOpenLevel(LayoutState *st);

// Text carried whole, shared by the walk and the scans of the keyword rules; each stops at
// szTail when its end mark never comes.
void vCarryLiteral(LayoutState *st);
void vCarryLineCmt(LayoutState *st);   // up to, not including, its newline
void vCarryBlockCmt(LayoutState *st);  // its further lines moved as far as its first line
void vCarryLabel(LayoutState *st, const char *pEnd);  // the label up to pEnd
// The end of the label "<<name>>" at p, or null where "<<" begins none there.
const char *pLabelEndAt(const LayoutState *st, const char *p);
inline const char *pLabelEnd(const LayoutState *st) { return pLabelEndAt(st, st->szSrc); }

// Whether what stands at the reading position begins a PL/SQL statement: only white space and
// comments stand between it and the place pStmtNext records.
inline bool bStmtBeginsHere(const LayoutState *st) {
    size_t n = 0;
    return st->pStmtNext != nullptr && pNextWord(st->pStmtNext, st->szTail, &n) == st->szSrc;
}

// The rules: RULE_PASS when they do not apply, 0 when they consumed bytes, else a failure code
// with st->iSite set.
int rcParenRules(LayoutState *st);
int rcKeywordRules(LayoutState *st);

// The output actions that run for every piece, inline.
// Room for n more bytes and a NUL.
inline bool bRoom(LayoutState *st, int64_t n) { return st->iDstLen + n <= st->iCap || bGrow(st, n); }

inline void vPut(LayoutState *st, const char *p, int64_t n, bool bData) {
    if (n <= 0) return;
    if (bRoom(st, n)) {
        char *d = st->pOut + st->iDstLen;
        vCopyRun(d, p, static_cast<size_t>(n));
    }
    st->iDstLen += n;
    st->cLast = p[n - 1];
    // A blank after "/" keeps its line; a literal or a comment is more than a division sign, and
    // a line comment's blanks end its line.
    if (bData || p[n - 1] != ' ') st->iSlashLine = false;
    // The blanks and TABs at the end of the output that a line break may drop: those the layout
    // wrote or kept between words, never bytes of a literal or a comment.
    if (bData) {
        st->nTrailWhite = 0;
        return;
    }
    int64_t i = n;
    while (i > 0 && (p[i - 1] == ' ' || p[i - 1] == '\t')) --i;
    st->nTrailWhite = i == 0 ? st->nTrailWhite + n : n - i;
}

inline void vCopy(LayoutState *st, int64_t n, bool bData) {
    int64_t nLeft = st->szTail - st->szSrc;
    if (n > nLeft) n = nLeft;
    if (n <= 0) return;
    vPut(st, st->szSrc, n, bData);
    st->szSrc += n;
    st->iLineIdt = -1;
}
}  // namespace oracle
