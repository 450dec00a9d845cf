// The statement formatter's entry: set-up, the dump of the unformatted statement, the
// normalisation and the layout passes, and the one exit that every failure leaves through.
#include "formatter/rcFmtStmt.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plat/platStdio.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtCase.h"
#include "formatter/rcFmtInternal.h"

namespace {
const char szModule[] = ".\\rcFmtStmt";

enum {
    SITE_DUMP_WRITE = 456,
    SITE_SCRIPT_NOMEM = 470,  // the list of script commands cannot grow
    SITE_OUT_NOMEM = 1480,    // the output cannot grow
    SITE_UNCLOSED = 1484,     // a literal or block comment runs to the end of the text
    SITE_DUMP_UNLINK = 2146,
};

const size_t DUMP_SIDE_LEN = 128;  // bytes shown on each side of the failure position
const char szBom[] = "\xEF\xBB\xBF";   // the UTF-8 byte order mark
const size_t BOM_LEN = 3;

// Shows the working text around the failure position: up to 128 bytes before it and up to
// 128 bytes from it on, each as a text up to its first NUL.
void vDumpSrc(const FmtWork *pWork) {
    char szBefore[DUMP_SIDE_LEN + 1] = {};
    char szAfter[DUMP_SIDE_LEN + 1] = {};
    size_t nOff = static_cast<size_t>(pWork->szSrc - pWork->ssSrc);
    size_t nBefore = nOff < DUMP_SIDE_LEN ? nOff : DUMP_SIDE_LEN;
    size_t nRest = static_cast<size_t>(pWork->szTail - pWork->szSrc);
    size_t nAfter = nRest < DUMP_SIDE_LEN ? nRest : DUMP_SIDE_LEN;
    std::memcpy(szBefore, pWork->szSrc - nBefore, nBefore);
    std::memcpy(szAfter, pWork->szSrc, nAfter);
    int b = static_cast<int>(std::strlen(szBefore));
    int a = static_cast<int>(std::strlen(szAfter));
    iConPrintf(szMsgDumpHead, b, a);
    iConPrintf(szMsgDumpBefore, b, szBefore);
    iConPrintf(szMsgDumpAfter, a, szAfter);
}

int rcFmtNoMem(int iSite) {
    iConPrintf(szMsgNoMem, szErrorPrefix);
    return rcTrail(RC_NOMEM, "rcFmtStmt()", szModule, iSite);
}

bool bAllWhite(const char *p, size_t n) {
    for (const char *pEnd = p + n; p < pEnd; ++p)
        if (!bIsWhite(*p)) return false;
    return true;
}

// The line of the text on which the failure position of pWork lies: white space is all that
// normalisation changes, so the failure lies after as many non-white bytes in the text as it
// does in the working copy. A failure past the last word lies on that word's line.
int32_t iFailLine(const FmtWork *pWork) {
    size_t nInk = 0;
    for (const char *p = pWork->ssSrc; p < pWork->szSrc; ++p) nInk += !bIsWhite(*p);
    int32_t iLine = pWork->iFirstLine, iInkLine = iLine;
    for (const char *p = pWork->pText; p < pWork->pText + pWork->nText; ++p) {
        if (!bIsWhite(*p)) {
            if (nInk-- == 0) return iLine;
            iInkLine = iLine;
        }
        iLine += *p == '\n';
    }
    return iInkLine;
}

// The common exit of every failure: the trail line with the failure site, the dump of the
// working text when the failure position lies in it, and the release of the working copy.
// The output buffer, once stored in *szStmtFmt, stays with the caller.
int rcFmtFail(FmtWork *pWork, int rc) {
    rcTrail(rc, "rcFmtStmt()", szModule, pWork->iSite);
    if (pWork->ssSrc != nullptr && pWork->szSrc != nullptr && pWork->szTail != nullptr &&
        pWork->szSrc >= pWork->ssSrc && pWork->szSrc <= pWork->szTail) {
        vDumpSrc(pWork);
        // the line points the user at the text that defeated the layout; memory says nothing of it
        if (rc != RC_NOMEM && pWork->szTail > pWork->ssSrc) iConPrintf(szMsgFailLine, iFailLine(pWork));
    }
    vFree(pWork->ssSrc);
    pWork->ssSrc = nullptr;
    return rc;
}

// The statement as received goes to the dump file before anything changes; it is removed again
// only after success. An empty value names no file and counts as unset. A relative name is
// taken from the current directory, an absolute one (on Windows also a drive, a rooted or a
// UNC name) as it is. *pbDump tells whether a dump was written to szDumpPath.
int rcDumpStmt(FmtWork *pWork, const char *pStmt, size_t nStmt, char *szDumpPath, size_t nPathCap, bool *pbDump) {
    const char *szOrgFnm = std::getenv("STMTORGFNM");
    *pbDump = szOrgFnm != nullptr && szOrgFnm[0] != '\0';
    if (!*pbDump) return RC_OK;
    int n = bPlatAbsolutePath(szOrgFnm) ? std::snprintf(szDumpPath, nPathCap, "%s", szOrgFnm)
                                        : std::snprintf(szDumpPath, nPathCap, "%s%c%s", ".", cPlatPathSep, szOrgFnm);
    pWork->iSite = SITE_DUMP_WRITE;
    if (n < 0 || static_cast<size_t>(n) >= nPathCap) {
        // Too long for a path: refused like any over-long file name, nothing is written.
        iConPrintf(szMsgNameLen, n, MAX_PATH_LEN, szOrgFnm);
        return RC_NAMELEN;
    }
    return rcWriteStr(szDumpPath, pStmt, static_cast<uint32_t>(nStmt));
}
}  // namespace


namespace {
// The formatted text put together from its pieces, geometrically grown.
struct FmtOut {
    char *p = nullptr;
    size_t n = 0, cap = 0;
    ~FmtOut() { vFree(p); }
    bool bAppend(const char *pMore, size_t nMore) {
        if (!bGrowTo(&p, &cap, n + nMore + 1)) return false;
        std::memcpy(p + n, pMore, nMore);
        n += nMore;
        p[n] = '\0';
        return true;
    }
    // Appends [pMore, pMore + nMore) with each of its line feeds written as the line end asked
    // for: the carriage returns right before it go (white space, or the end of a line comment),
    // and one goes in front of it for CR LF. No byte before nFloor is taken back (the last bytes
    // of a literal, a block comment or an earlier piece).
    bool bAppendLineEnds(const char *pMore, size_t nMore, bool bCrLf) {
        if (!bGrowTo(&p, &cap, n + 2 * nMore + 1)) return false;
        const char *pEnd = pMore + nMore;
        while (pMore < pEnd) {
            const char *pLf = static_cast<const char *>(std::memchr(pMore, '\n', static_cast<size_t>(pEnd - pMore)));
            const char *e = pLf != nullptr ? pLf : pEnd;
            std::memcpy(p + n, pMore, static_cast<size_t>(e - pMore));
            n += static_cast<size_t>(e - pMore);
            pMore = e;
            if (pLf == nullptr) break;
            while (n > nFloor && p[n - 1] == '\r') --n;
            if (bCrLf) p[n++] = '\r';
            p[n++] = '\n';
            ++pMore;
        }
        p[n] = '\0';
        return true;
    }
    size_t nFloor = 0;
};

// Appends the formatted piece [p, p + n), read in rEnc, to pOut with the line ends asked for: the
// line ends the layout wrote and those between tokens; those inside literals and block comments
// are data.
bool bAppendPiece(FmtOut *pOut, const char *p, size_t n, TextEnc rEnc, bool bCrLf) {
    const char *const pStart = p, *pEnd = p + n, *pRun = p;
    pOut->nFloor = pOut->n;
    while (p < pEnd) {
        if (const char *e = pPlainRunEnd(pStart, p, pEnd, Q_FIND)) {
            p = e;
            continue;
        }
        const bool bLit = bLiteralAt(p, pStart, pEnd);
        if (p[0] == '-' && p[1] == '-') {  // its line end is the layout's, its text no code
            const char *pLf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(pEnd - p)));
            p = pLf != nullptr ? pLf : pEnd;
            continue;
        }
        if (!bLit && !(p[0] == '/' && p[1] == '*')) {
            p += iUnitLen(p, pEnd, rEnc);
            continue;
        }
        // The code before it with its line ends, then the literal or comment as it is.
        const char *e = bLit ? pLiteralEnd(p, pEnd, rEnc) : pCmtEnd(p, pEnd);
        if (!pOut->bAppendLineEnds(pRun, static_cast<size_t>(p - pRun), bCrLf) || !pOut->bAppend(p, static_cast<size_t>(e - p)))
            return false;
        pOut->nFloor = pOut->n;
        pRun = p = e;
    }
    return pOut->bAppendLineEnds(pRun, static_cast<size_t>(pEnd - pRun), bCrLf);
}

int32_t iLinesIn(const char *p, size_t n) {
    int32_t i = 0;
    for (const char *pEnd = p + n; (p = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(pEnd - p)))) != nullptr; ++p) ++i;
    return i;
}

// Formats one piece of the text (all of it, or the part between two script commands), read in
// rEnc, and appends the result to pOut. Every failure leaves through the common exit.
int rcFmtPiece(const char *pPiece, size_t nPiece, int32_t iFirstLine, StmtStyle *rStmtStyle, TextEnc rEnc,
               FmtOut *pOut) {
    FmtWork rWork;
    rWork.pText = pPiece;
    rWork.nText = nPiece;
    rWork.iFirstLine = iFirstLine;
    rWork.rEnc = rEnc;
    int rc = rcNormStmt(&rWork, pPiece, nPiece, rStmtStyle);
    char *szPieceFmt = nullptr;
    int32_t iFmtLen = 0;
    if (rc == RC_OK) rc = rcLayoutStmt(&rWork, &szPieceFmt, rStmtStyle, &iFmtLen);
    if (rc != RC_OK) {
        vFree(szPieceFmt);
        return rcFmtFail(&rWork, rc);
    }
    vFree(rWork.ssSrc);
    rWork.ssSrc = nullptr;
    // The keywords' case, on the piece alone: the layout read the words as they were written, and
    // no command line of the script is ever read as statement text.
    vSetKeywordCase(szPieceFmt, static_cast<size_t>(iFmtLen), rEnc, rStmtStyle->eKeywordCase);
    // The layout writes LF: a text that wants LF and holds no CR is taken over as it is.
    const bool bAsIs = !rStmtStyle->bCrLf && std::memchr(pPiece, '\r', nPiece) == nullptr;
    if (pOut->p == nullptr && bAsIs) {  // the first piece's text is taken over as it is
        pOut->p = szPieceFmt;
        pOut->n = pOut->cap = static_cast<size_t>(iFmtLen);
        return RC_OK;
    }
    bool bOk = bAsIs ? pOut->bAppend(szPieceFmt, static_cast<size_t>(iFmtLen))
                     : bAppendPiece(pOut, szPieceFmt, static_cast<size_t>(iFmtLen), rEnc, rStmtStyle->bCrLf);
    vFree(szPieceFmt);
    if (!bOk) return rcFmtNoMem(SITE_OUT_NOMEM);
    return RC_OK;
}

// Formats the text, read in rEnc, piece by piece between its script commands, which are copied
// as they are, each on a line of its own.
int rcFmtScript(const char *pText, size_t nText, StmtStyle *rStmtStyle, TextEnc rEnc, FmtOut *pOut) {
    ScriptLines lines;
    if (rcFindScriptLines(pText, nText, rEnc, &lines) != RC_OK) return rcFmtNoMem(SITE_SCRIPT_NOMEM);
    // A literal or block comment that never closes would make the author's text after it code
    // (whose white space is squeezed) or code part of it: such a text is refused as it is.
    if (lines.iOpen != SIZE_MAX) {
        const int32_t iLine = 1 + iLinesIn(pText, lines.iOpen);
        iConPrintf(bCmtAt(pText + lines.iOpen) ? szMsgOpenComment : szMsgOpenLiteral, szErrorPrefix, iLine);
        return rcTrail(RC_OVERRUN, "rcFmtStmt()", szModule, SITE_UNCLOSED);
    }
    size_t iPos = 0;
    int32_t iLine = 1;
    bool bAny = false;  // a piece or a command went out
    const size_t nBom = pOut->n;  // a byte order mark in front
    const bool bCrLf = rStmtStyle->bCrLf;
    const char *szEol = bCrLf ? "\r\n" : "\n";
    // The output's last line ended; and one empty line after it where the author had one between
    // two statements or commands of the script.
    auto bLineEnded = [&] { return pOut->n == nBom || pOut->p[pOut->n - 1] == '\n' || pOut->bAppend(szEol, bCrLf ? 2 : 1); };
    auto bKeepBlank = [&](const char *p, const char *pEnd, bool bLineStart) {
        return !rStmtStyle->bKeepBlankLines || pOut->n == nBom || !bEmptyLineIn(p, pEnd, bLineStart) ||
               (bLineEnded() && pOut->bAppend(szEol, bCrLf ? 2 : 1));
    };
    for (size_t i = 0; i <= lines.n; ++i) {
        size_t iStop = i < lines.n ? lines.p[i].iStart : nText;
        if (!bAllWhite(pText + iPos, iStop - iPos)) {
            // A piece begins at a line start (after a command, or at the text's start).
            const char *pInk = pText + iPos;
            while (pInk < pText + iStop && bIsWhite(*pInk)) ++pInk;
            if (!bKeepBlank(pText + iPos, pInk, true)) return rcFmtNoMem(SITE_OUT_NOMEM);
            int rc = rcFmtPiece(pText + iPos, iStop - iPos, iLine, rStmtStyle, rEnc, pOut);
            if (rc != RC_OK) return rc;
            bAny = true;
            const char *pEndInk = pText + iStop;
            while (pEndInk > pInk && bIsWhite(pEndInk[-1])) --pEndInk;
            if (i < lines.n && !bKeepBlank(pEndInk, pText + iStop, false)) return rcFmtNoMem(SITE_OUT_NOMEM);
        } else if (i < lines.n && !bKeepBlank(pText + iPos, pText + iStop, iPos == 0 || pText[iPos - 1] == '\n')) {
            return rcFmtNoMem(SITE_OUT_NOMEM);
        }
        if (i == lines.n) break;
        const ScriptLine &cmd = lines.p[i];
        iLine += iLinesIn(pText + iPos, cmd.iEnd - iPos);
        bool bLf = pText[cmd.iEnd - 1] == '\n';
        bAny = true;
        // A command begins its line, also after a piece whose layout left its last line open.
        // Its line ends are written as asked; a wrapped unit's or a Java source's are its data
        // (its last line end is the line end before the "/" line).
        if (!bLineEnded()) return rcFmtNoMem(SITE_OUT_NOMEM);
        pOut->nFloor = pOut->n;
        bool bOk = cmd.bVerbatim ? pOut->bAppend(pText + cmd.iStart, cmd.iEnd - cmd.iStart)
                                 : pOut->bAppendLineEnds(pText + cmd.iStart, cmd.iEnd - cmd.iStart, bCrLf);
        if (!bOk || (!bLf && !pOut->bAppend(szEol, bCrLf ? 2 : 1))) return rcFmtNoMem(SITE_OUT_NOMEM);
        pOut->nFloor = pOut->n;
        iPos = cmd.iEnd;
    }
    // A text of nothing but white space and commands: the empty statement of an empty text.
    if (!bAny) return rcFmtPiece(pText, nText, 1, rStmtStyle, rEnc, pOut);
    return RC_OK;
}
}  // namespace

int rcFmtStmtLen(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    assert(pStmt != nullptr && szStmtFmt != nullptr && rStmtStyle != nullptr);
    if (console == nullptr) console = stdout;
    // The encoding goes with the text to every stage that reads it: nothing of it outlives the call.
    const TextEnc rEnc =
        rTextEnc(rStmtStyle->iEncoding != ENC_AUTO ? rStmtStyle->iEncoding : eDetectEncoding(pStmt, nStmt));
    FmtWork rWork;

    char szDumpPath[MAX_PATH_LEN + 1];
    bool bDump = false;
    int rc = rcDumpStmt(&rWork, pStmt, nStmt, szDumpPath, sizeof szDumpPath, &bDump);
    if (rc != RC_OK) return rcFmtFail(&rWork, rc);

    // A byte order mark is no part of the statement: it stays in front, and white space before
    // it is dropped like any before the first word (else a second run would find it in front).
    FmtOut out;
    size_t nLead = 0;
    while (nLead < nStmt && bIsWhite(pStmt[nLead])) ++nLead;
    if (nStmt - nLead >= BOM_LEN && std::memcmp(pStmt + nLead, szBom, BOM_LEN) == 0) {
        if (!out.bAppend(szBom, BOM_LEN)) return rcFmtNoMem(SITE_OUT_NOMEM);
        pStmt += nLead + BOM_LEN;
        nStmt -= nLead + BOM_LEN;
    }
    rc = rcFmtScript(pStmt, nStmt, rStmtStyle, rEnc, &out);
    if (rc != RC_OK) return rc;

    if (bDump) {
        rc = rcUnlink(szDumpPath);
        if (rc != RC_OK) {
            rWork.iSite = SITE_DUMP_UNLINK;
            return rcFmtFail(&rWork, rc);
        }
    }
    rStmtStyle->iFmtLen = static_cast<int32_t>(out.n);
    *szStmtFmt = out.p;
    out.p = nullptr;
    return RC_OK;
}

int rcFmtStmt(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    return rcFmtStmtLen(szStmt, std::strlen(szStmt), szStmtFmt, rStmtStyle);
}
