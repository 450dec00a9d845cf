// The statement formatter's modules and what they share: the working state of one call, the
// lexical primitives, chunk joining and the metric, normalisation and the layout passes.
#pragma once
#include <cstdint>

#include "formatter/rStmtStyle.h"

// The working state of one call of rcFmtStmt.
struct FmtWork {
    char *ssSrc = nullptr;        // the working copy; owned by rcFmtStmt, freed on every path
    char *szTail = nullptr;       // the terminating NUL of the normalised text
    const char *szSrc = nullptr;  // where a failure was found, for the dump (null: none)
    int32_t iOrgIdt = 0;          // indentation level of the statement's first line
    int32_t iUnitLen = 0;         // length of szIndent
    int32_t iSite = 0;            // failure site, reported by the common exit
};

// Lexical primitives (rcFmtLex.cpp).
extern int (*pfnIsLeadByte)(int);
int iIsLeadByte(int iByte);
int iIsKeyword(const char *szText, const char *szKeyword, uint32_t *puMatched);
int32_t iQuotedLen(const char *szText);
int rcSkipCmt(const char *szCmt, const char *szEnd, uint32_t *puLen);
int iIsCatSame(const char *szText, const char *szPrefix, const char *szName, uint32_t *puMatched);
int rcStrSwap(char *pFirst, char *pMiddle, char *pEnd);

// White space of the formatter: blank, line feed, TAB and carriage return, nothing else.
inline int iIsWhite(int c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }

// Length of the unit at p: 2 for a lead byte with its companion, 1 otherwise (also for a lead
// byte directly before the terminating NUL, which forms no unit). p must not be the NUL.
inline int iUnitAt(const char *p) {
    return (pfnIsLeadByte(static_cast<unsigned char>(p[0])) && p[1] != '\0') ? 2 : 1;
}

// Chunk joining and the metric of a parenthesised part (rcFmtChunk.cpp).
int rcJoinStmtChunk(char **pszText, uint32_t iJoinAt);
int rcGetMetrix(const char *szParen, int32_t *piMetrix, int32_t iNumComma, int32_t iPartSize);

// Normalisation (rcFmtNorm.cpp): from the statement as handed over to the normalised text in
// pWork->ssSrc up to pWork->szTail, with iOrgIdt and iUnitLen. On failure returns the code
// with pWork->iSite (and pWork->szSrc where a position is known) set.
int rcNormStmt(FmtWork *pWork, const char *szStmt, const StmtStyle *rStmtStyle);

// The measuring and the writing pass (rcFmtLayout.cpp), through the check that the output
// did not overrun: *szStmtFmt receives the output buffer as soon as it is allocated, and
// *piFmtLen its length. On failure returns the code with pWork->iSite and pWork->szSrc set.
int rcLayoutStmt(FmtWork *pWork, char **szStmtFmt, const StmtStyle *rStmtStyle, int32_t *piFmtLen);
