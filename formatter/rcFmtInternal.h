// What the formatter's stages share: the working state of one call, chunk joining and the
// metric, normalisation and the layout passes. The lexical layer is rcFmtLex.h.
#pragma once
#include <climits>
#include <cstddef>
#include <cstdint>

#include "formatter/rStmtStyle.h"
#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtWords.h"
#include "runtime/psGlobals.h"

// The indentation of the line on which each block comment of several lines begins, as the text
// had it: the layout moves the comment's further lines by as much as it moved that line, so
// that they keep their indentation relative to it. One entry per such comment, in the order of
// the text (comments keep their order when they move), with the comment's length and a hash of
// its bytes to find it again; the indentations' bytes lie in one block.
struct CmtIndent {
    size_t nCmt;
    uint64_t uHash;
    size_t iIndent, nIndent;  // the indentation: nIndent bytes from pBytes + iIndent
};
struct CmtIndents {
    CmtIndent *p = nullptr;
    size_t n = 0, cap = 0;
    char *pBytes = nullptr;
    size_t nBytes = 0, capBytes = 0;
    size_t iFirst = 0, nFirst = 0;  // the indentation of the text's first line
    ~CmtIndents() {
        vFree(p);
        vFree(pBytes);
    }
    // Keeps the n bytes at pIndent (never inside pBytes); *piAt receives where. False for want of
    // memory.
    bool bKeepBytes(const char *pIndent, size_t nIndent, size_t *piAt);
    // Adds the comment [pCmt, pCmt + nCmt) whose line begins with the indentation given. False
    // for want of memory.
    bool bAdd(const char *pCmt, size_t nCmt, const char *pIndent, size_t nIndent);
    // The same for an indentation kept before (its bytes from pBytes + iIndent): never a pointer
    // into pBytes, which moves as it grows.
    bool bAddKept(const char *pCmt, size_t nCmt, size_t iIndent, size_t nIndent);
    // The entry of the comment [pCmt, pCmt + nCmt), looked for from entry *piNext on (a few
    // entries ahead at most), which then moves past it; null when it is not found.
    const CmtIndent *pFind(size_t *piNext, const char *pCmt, size_t nCmt) const;
};

// The offsets in the normalised text of the semicolons after which the author left an empty
// line before the next statement, declaration or subprogram, in the order of the text (kept only
// when blank lines are asked for).
struct BlankAfters {
    size_t *p = nullptr;
    size_t n = 0, cap = 0;
    ~BlankAfters() { vFree(p); }
    // Adds the offset iAt; false for want of memory.
    bool bAdd(size_t iAt) {
        if (!bGrowTo(&p, &cap, n + 1)) return false;
        p[n++] = iAt;
        return true;
    }
};

// The lines of a text as the bytes that are not white space before each of its line feeds: the
// line of a failure is found from them, also once the text itself is gone (the formatter may
// work in the block that held it, which the output then takes over).
struct LineInks {
    uint32_t *p = nullptr;  // per line feed, the bytes not white space before it (texts < 4 GiB)
    size_t n = 0, cap = 0;
    size_t nInk = 0;        // the bytes not white space in the whole text
    bool bBuilt = false;
    ~LineInks() { vFree(p); }
    // Reads the text [pText, pText + nText); false for want of memory.
    bool bBuild(const char *pText, size_t nText);
    // The line, the first being iFirstLine, of the text's byte that is not white space and has
    // iInk such bytes before it; past the last such byte, the last one's line.
    int32_t iLineOf(size_t iInk, int32_t iFirstLine) const;
};

// The block headers in a row (each word and its white-space byte) that the comments after the
// last of them moved in front of, last: where its first and last header begin (null: none).
struct HeaderRow {
    char *pFirst = nullptr, *pLast = nullptr;
};

// The working state of one call of rcFmtStmt.
struct FmtWork {
    char *ssSrc = nullptr;        // the working copy; owned by rcFmtStmt, freed on every path
    size_t nSrc = 0;              // bytes of text in ssSrc (NUL bytes are ordinary text)
    size_t nSrcCap = 0;           // bytes the block of ssSrc holds, its NUL included
    char *szTail = nullptr;       // the end of the normalised text, where a NUL follows it
    const char *szSrc = nullptr;  // where a failure was found, for the dump (null: none)
    int32_t iOrgIdt = 0;          // indentation level of the statement's first line
    int32_t iUnitLen = 0;         // length of szIndent
    int32_t iSite = 0;            // failure site, reported by the common exit
    const char *pText = nullptr;  // the text as handed over (null once the working copy took its
    size_t nText = 0;             // block), and the line it begins on, to name the line of a failure
    int32_t iFirstLine = 1;
    LineInks rLineInks;           // the text's lines, read from pText when a failure needs them
    TextEnc rEnc{};               // the encoding the text is read in, set by the caller
    bool bCmtFree = false;        // the script finder read no comment in the text: the squeeze may flatten
    bool bKeepBlankLines = false; // the semicolons an empty line follows are marked (rBlankAfters)
    // A block that the working copy has left, which the next pass writes into instead of taking a
    // new one (a block of the text's size taken anew costs its pages' first touch again), and the
    // bytes it holds at least.
    HeapPtr<char> spare;
    size_t nSpareCap = 0;
    CmtIndents rCmtIndents;  // the indentation of each block comment's first line
    BlankAfters rBlankAfters;  // the semicolons an empty line followed
    HeaderRow rHeaderRow;  // the comment moves' row of headers, while no other move came between

    void vKeepSpare(char *p, size_t nCap) {
        spare.reset(p);
        nSpareCap = nCap;
    }
    char *pTakeSpare(size_t *pnCap) {
        *pnCap = spare != nullptr ? nSpareCap : 0;
        nSpareCap = 0;
        return spare.release();
    }
};

// The script command lines of a text (rcFmtScript.cpp), as offsets: each line from its start
// to just past its line feed (or the text's end), continuation lines included; and the units
// that go through byte for byte (wrapped units, Java, XQuery), up to their "/" line.
struct ScriptLine {
    size_t iStart, iEnd;
    bool bVerbatim;  // a unit whose bytes, line ends included, are data
    bool bCmtBefore; // a comment stands in the text between the line before it (or the start) and it
};
struct ScriptLines {
    ScriptLine *p = nullptr;
    size_t n = 0, cap = 0;
    bool bCmtAfterLast = false;  // a comment stands in the text after the last line
    // Where a literal or block comment opens that the text never closes (SIZE_MAX: none); a line
    // comment at the end is closed by it.
    size_t iOpen = SIZE_MAX;
    ~ScriptLines() { vFree(p); }
};
// Finds the command lines of the text (read in rEnc) in their order, and where a literal or block
// comment opens that never closes; RC_OK, or RC_NOMEM (nothing reported).
int rcFindScriptLines(const char *pText, size_t nText, TextEnc rEnc, ScriptLines *pLines);

// The questions the script finder asks at a line start where no statement is read (rcFmtScript.cpp).
// The next word after the white space (line ends included) and comments at p; *pn its length.
const char *pNextWord(const char *p, const char *pEnd, size_t *pn);
// The end of the white space (line ends included) and comments at p.
const char *pPastWhiteAndCmts(const char *p, const char *pEnd);
// Whether the statement that begins at p is a PL/SQL unit, read up to its "/" line.
bool bPlsqlStart(const char *p, const char *pEnd);
// The same where the word at p is known to be e (WORD_NONE: none of the table).
bool bPlsqlStart(const char *p, const char *pEnd, WordId e);
// Whether the line at p holds nothing but "/" (blanks and TABs around it allowed).
bool bSlashLine(const char *p, const char *pEnd);
// Whether the one-letter word at p (pEnd: where its line or the text ends at the latest) is a
// command where a statement may begin: R alone, L with line numbers, C before its delimiter.
bool bOneLetterCmd(const char *p, const char *pEnd);
// Whether a "/" (not a comment's "/*") is the next byte after the white space at p.
bool bSlashAhead(const char *p, const char *pEnd);
// Where the command or the unit carried whole that begins at q ends, or null when none begins
// there; *pbWhole tells a unit carried whole.
const char *pCommandEnd(const char *q, const char *pEnd, bool *pbWhole);

// The bytes beside which the layout and the squeeze write no blank of their own: white space, ";"
// and ")". None goes in after one of them before a comment, nor before one of them after a ")" or
// a ",".
inline bool bNoBlankBeside(char c) { return c == ';' || c == '\n' || c == ' ' || c == '\t' || c == ')'; }
// Whether the layout writes a blank before a comment after the byte cLast it wrote last (a comment
// that a move left glued to a word gets its blank there). The metric counts that blank.
inline bool bBlankBeforeCmt(char cLast) { return !bNoBlankBeside(cLast); }
// The same before an operator or a null test, after a ";" too: two operators in a row get one
// blank between them. The metric counts that blank.
inline bool bBlankBeforeOperator(char cLast) { return cLast == ';' || !bNoBlankBeside(cLast); }

// Chunk joining and the metric of a parenthesised part (rcFmtChunk.cpp), each of a text read in
// rEnc. *pnText is the text's length in and out.
int rcJoinStmtChunk(char **pszText, size_t *pnText, uint32_t iJoinAt, TextEnc rEnc);
// The metric of the part whose "(" is at szParen, in the text that ends at pEnd.
int rcGetMetrix(const char *szParen, const char *pEnd, TextEnc rEnc, int32_t *piMetrix, int32_t iNumComma,
                int32_t iPartSize);

// The metrics of the parts of a text, in the order of their "(": each part the layout meets
// outside those measured before is measured with the parts inside it in one walk, so that the
// text between parts is never read for them. A part left open, or one whose measure fails, has
// METRIX_UNKNOWN: rcGetMetrix measures it where it is met and reports why it cannot.
enum : int32_t { METRIX_UNKNOWN = INT32_MIN };
struct PartMetric {
    uint32_t uPos;    // offset of the "(" in the text
    int32_t iMetrix;
};
struct MetricTable {
    PartMetric *p = nullptr;
    size_t n = 0, cap = 0;
    size_t nMeasured = 0;  // the text before this offset has been measured
    struct Open {          // a part open during a measure: its entry, the counters after its "("
        size_t iEntry;
        int64_t iCommas, nBlanks;
    };
    Open *pOpen = nullptr;
    size_t nOpenCap = 0;
    ~MetricTable() {
        vFree(p);
        vFree(pOpen);
    }
};
// Measures the part whose "(" is at pParen in the text [pText, pEnd) (at most UINT32_MAX bytes),
// and the parts inside it, into *pTable, whose nMeasured then lies past it; RC_OK, or RC_NOMEM
// (nothing reported). The metric of each part is the one rcGetMetrix gives it.
int rcMeasurePart(const char *pText, const char *pParen, const char *pEnd, TextEnc rEnc, int32_t iNumComma,
                  int32_t iPartSize, MetricTable *pTable);

// Normalisation (rcFmtNorm.cpp): from the statement as handed over (read in pWork->rEnc) to the
// normalised text in pWork->ssSrc up to pWork->szTail, with iOrgIdt and iUnitLen. On failure
// returns the code with pWork->iSite (and pWork->szSrc where a position is known) set. When
// pspBlock holds a block (of nBlockCap bytes) in which the statement lies, the working copy is
// made in that block, which moves to pWork; else the statement is copied.
int rcNormStmt(FmtWork *pWork, const char *pStmt, size_t nStmt, const StmtStyle *rStmtStyle,
               HeapPtr<char> *pspBlock = nullptr, size_t nBlockCap = 0);

// The layout walk (rcFmtLayout.cpp) and its end checks: *szStmtFmt receives the output block
// as soon as there is one (the caller's from then on, also after a failure), and *piFmtLen its
// length. On failure returns the code with pWork->iSite and pWork->szSrc set.
int rcLayoutStmt(FmtWork *pWork, char **szStmtFmt, const StmtStyle *rStmtStyle, int32_t *piFmtLen);
