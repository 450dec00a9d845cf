// Frozen copy of formatter/rcFmtStmt.cpp made by tests/oracle/freeze.sh, which overwrites it.
// The statement formatter's entry: set-up, the dump of the unformatted statement, the
// normalisation and the layout passes, and the one exit that every failure leaves through.
#include "tests/oracle/engine/rcFmtStmt.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>  // every x86-64 processor has SSE2; elsewhere the lines are counted byte by byte
#endif
#include <utility>

#include "plat/platStdio.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "tests/oracle/engine/rcFmtCase.h"
#include "tests/oracle/engine/rcFmtInternal.h"

namespace oracle {

namespace {
const char szModule[] = ".\\rcFmtStmt";

enum {
    SITE_DUMP_WRITE = 456,
    SITE_SCRIPT_NOMEM = 470,  // the list of script commands cannot grow
    SITE_LINES_NOMEM = 472,   // the lines of the text cannot be counted
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

}  // namespace

namespace {
// The bits of a 16-bit mask that are set.
inline uint32_t uBitsIn(uint32_t u) {
    u = u - ((u >> 1) & 0x5555u);
    u = (u & 0x3333u) + ((u >> 2) & 0x3333u);
    u = (u + (u >> 4)) & 0x0F0Fu;
    return (u + (u >> 8)) & 0x1Fu;
}
}  // namespace

// One pass, sixteen bytes a step where SSE2 is there: a mask of the bytes that are not white space
// and one of the line feeds; the rest byte by byte.
bool LineInks::bBuild(const char *pText, size_t nText) {
    n = nInk = 0;
    size_t i = 0;
    auto bPush = [this](size_t nBefore) {
        if (n == cap && !bGrowTo(&p, &cap, n + 1)) return false;
        p[n++] = static_cast<uint32_t>(nBefore);
        return true;
    };
#if defined(__SSE2__)
    const __m128i vLf = _mm_set1_epi8('\n');
    for (; i + 16 <= nText; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(pText + i));
        __m128i vWhite = _mm_setzero_si128();
        for (char c : arWhiteBytes) vWhite = _mm_or_si128(vWhite, _mm_cmpeq_epi8(v, _mm_set1_epi8(c)));
        const uint32_t uInk = ~static_cast<uint32_t>(_mm_movemask_epi8(vWhite)) & 0xFFFFu;
        for (uint32_t uLf = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vLf))); uLf != 0; uLf &= uLf - 1)
            if (!bPush(nInk + uBitsIn(uInk & ((uLf & (0u - uLf)) - 1)))) return false;
        nInk += uBitsIn(uInk);
    }
#endif
    for (; i < nText; ++i) {
        if (pText[i] == '\n' && !bPush(nInk)) return false;
        nInk += !bWhiteByte(static_cast<unsigned char>(pText[i]));
    }
    bBuilt = true;
    return true;
}

int32_t LineInks::iLineOf(size_t iInk, int32_t iFirstLine) const {
    if (nInk == 0) return iFirstLine;
    if (iInk >= nInk) iInk = nInk - 1;
    // The line feeds that stand before that byte: those with at most iInk such bytes before them.
    const uint32_t *e = std::upper_bound(p, p + n, static_cast<uint32_t>(iInk));
    return iFirstLine + static_cast<int32_t>(e - p);
}

namespace {
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
// does in the working copy. A failure past the last word lies on that word's line. Without the
// memory to count the text's lines, the line its first byte stands on.
int32_t iFailLine(FmtWork *pWork) {
    const size_t nInk = nInkIn(pWork->ssSrc, static_cast<size_t>(pWork->szSrc - pWork->ssSrc));
    LineInks &r = pWork->rLineInks;
    if (!r.bBuilt && (pWork->pText == nullptr || !r.bBuild(pWork->pText, pWork->nText))) return pWork->iFirstLine;
    return r.iLineOf(nInk, pWork->iFirstLine);
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
        if (bLineCmtAt(p)) {  // its line end is the layout's, its text no code
            const char *pLf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(pEnd - p)));
            p = pLf != nullptr ? pLf : pEnd;
            continue;
        }
        if (!bLit && !bBlockCmtAt(p)) {
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

// A block of the heap that holds the text and is the formatter's to work in, and its size.
struct TextBlock {
    HeapPtr<char> sp;
    size_t nCap = 0;
};

// Formats one piece of the text (all of it, or the part between two script commands), read in
// rEnc, and appends the result to pOut. Every failure leaves through the common exit. When
// pBlock holds the block the piece lies in, the piece is formatted in it (no copy is made) and
// its bytes are gone afterwards.
int rcFmtPiece(const char *pPiece, size_t nPiece, int32_t iFirstLine, StmtStyle *rStmtStyle, TextEnc rEnc,
               FmtOut *pOut, TextBlock *pBlock = nullptr) {
    FmtWork rWork;
    rWork.pText = pPiece;
    rWork.nText = nPiece;
    rWork.iFirstLine = iFirstLine;
    rWork.rEnc = rEnc;
    // The layout writes LF: a text that wants LF and holds no CR is taken over as it is.
    const bool bAsIs = !rStmtStyle->bCrLf && std::memchr(pPiece, '\r', nPiece) == nullptr;
    if (pBlock != nullptr) {
        // The lines are counted while the text is there to count them.
        if (!rWork.rLineInks.bBuild(pPiece, nPiece)) return rcFmtNoMem(SITE_LINES_NOMEM);
        rWork.pText = nullptr;
    }
    int rc = rcNormStmt(&rWork, pPiece, nPiece, rStmtStyle, pBlock != nullptr ? &pBlock->sp : nullptr,
                        pBlock != nullptr ? pBlock->nCap : 0);
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

// The walk over a script: its pieces formatted, its commands copied, each in its turn.
struct ScriptWalk {
    const char *pText;
    size_t nText;
    ScriptLines &lines;
    StmtStyle *rStmtStyle;
    TextEnc rEnc;
    FmtOut *pOut;
    size_t nBom;  // a byte order mark in front
    HeapPtr<char> spRest;  // the text after the piece formatted in the caller's block, put aside

    void vPutEol(bool *pbOk) { *pbOk = *pbOk && pOut->bAppend(rStmtStyle->bCrLf ? "\r\n" : "\n", rStmtStyle->bCrLf ? 2 : 1); }
    // The output's last line ended.
    bool bLineEnded() {
        bool bOk = true;
        if (pOut->n != nBom && pOut->p[pOut->n - 1] != '\n') vPutEol(&bOk);
        return bOk;
    }
    // One empty line after the output's last line, where the author had one between two
    // statements or commands of the script and asked for it.
    bool bKeepBlank(bool bEmpty) {
        bool bOk = true;
        if (rStmtStyle->bKeepBlankLines && pOut->n != nBom && bEmpty && (bOk = bLineEnded())) vPutEol(&bOk);
        return bOk;
    }
    // The piece [iPos, iStop), which holds more than white space and is followed by command i (or
    // the text's end), on line iLine; pBlock, when not null, is the block it lies in.
    int rcPiece(size_t i, size_t iPos, size_t iStop, int32_t iLine, TextBlock *pBlock) {
        // A piece begins at a line start (after a command, or at the text's start).
        const char *pInk = pText + iPos, *pEndInk = pText + iStop;
        while (pInk < pEndInk && bIsWhite(*pInk)) ++pInk;
        while (pEndInk > pInk && bIsWhite(pEndInk[-1])) --pEndInk;
        if (!bKeepBlank(bEmptyLineIn(pText + iPos, pInk, true))) return rcFmtNoMem(SITE_OUT_NOMEM);
        // What is read of the piece's bytes is read before a block that holds them is worked in.
        const bool bEmptyAfter = i < lines.n && bEmptyLineIn(pEndInk, pText + iStop, false);
        if (pBlock != nullptr && !bPutRestAside(i, iStop)) return rcFmtNoMem(SITE_SCRIPT_NOMEM);
        int rc = rcFmtPiece(pText + iPos, iStop - iPos, iLine, rStmtStyle, rEnc, pOut, pBlock);
        if (pBlock != nullptr) {  // from here on the text is the part put aside
            pText = spRest.get();
            nText -= iStop;
        }
        if (rc == RC_OK && !bKeepBlank(bEmptyAfter)) return rcFmtNoMem(SITE_OUT_NOMEM);
        return rc;
    }
    // The text after iStop, with command i and those after it, goes to a block of its own, and
    // their offsets count from its start.
    bool bPutRestAside(size_t i, size_t iStop) {
        spRest.reset(static_cast<char *>(pvAlloc(nText - iStop + 1)));
        if (spRest == nullptr) return false;
        std::memcpy(spRest.get(), pText + iStop, nText - iStop);
        for (size_t j = i; j < lines.n; ++j) {
            lines.p[j].iStart -= iStop;
            lines.p[j].iEnd -= iStop;
        }
        return true;
    }
    // Command cmd begins its line, also after a piece whose layout left its last line open. Its
    // line ends are written as asked; a wrapped unit's or a Java source's are its data (its last
    // line end is the line end before the "/" line).
    bool bCommand(const ScriptLine &cmd) {
        if (!bLineEnded()) return false;
        pOut->nFloor = pOut->n;
        bool bOk = cmd.bVerbatim ? pOut->bAppend(pText + cmd.iStart, cmd.iEnd - cmd.iStart)
                                 : pOut->bAppendLineEnds(pText + cmd.iStart, cmd.iEnd - cmd.iStart, rStmtStyle->bCrLf);
        if (pText[cmd.iEnd - 1] != '\n') {
            // A command line that ends the text gets its line end; carriage returns at its end
            // go with it, as they do before every line end of the command.
            while (!cmd.bVerbatim && bOk && pOut->n > pOut->nFloor && pOut->p[pOut->n - 1] == '\r') --pOut->n;
            vPutEol(&bOk);
        }
        pOut->nFloor = pOut->n;
        return bOk;
    }
};

// The piece that holds the most bytes: formatted in the caller's block, it leaves the least
// memory taken.
size_t iLargestPiece(const ScriptLines &lines, size_t nText) {
    size_t iBig = 0, nBig = 0, iPos = 0;
    for (size_t i = 0; i <= lines.n; ++i) {
        const size_t iStop = i < lines.n ? lines.p[i].iStart : nText;
        if (iStop - iPos > nBig) {
            nBig = iStop - iPos;
            iBig = i;
        }
        if (i < lines.n) iPos = lines.p[i].iEnd;
    }
    return iBig;
}

// Formats the text, read in rEnc, piece by piece between its script commands, which are copied
// as they are, each on a line of its own. When pBlock holds the text, its largest piece is
// formatted in it.
int rcFmtScript(const char *pText, size_t nText, StmtStyle *rStmtStyle, TextEnc rEnc, FmtOut *pOut,
                TextBlock *pBlock) {
    ScriptLines lines;
    if (rcFindScriptLines(pText, nText, rEnc, &lines) != RC_OK) return rcFmtNoMem(SITE_SCRIPT_NOMEM);
    // A literal or block comment that never closes would make the author's text after it code
    // (whose white space is squeezed) or code part of it: such a text is refused as it is.
    if (lines.iOpen != SIZE_MAX) {
        const int32_t iLine = 1 + iLinesIn(pText, lines.iOpen);
        iConPrintf(bCmtAt(pText + lines.iOpen) ? szMsgOpenComment : szMsgOpenLiteral, szErrorPrefix, iLine);
        return rcTrail(RC_OVERRUN, "rcFmtStmt()", szModule, SITE_UNCLOSED);
    }
    ScriptWalk w{pText, nText, lines, rStmtStyle, rEnc, pOut, pOut->n, nullptr};
    const size_t iBig = pBlock != nullptr ? iLargestPiece(lines, nText) : SIZE_MAX;
    size_t iPos = 0;
    int32_t iLine = 1;
    bool bAny = false;  // a piece or a command went out
    for (size_t i = 0; i <= lines.n; ++i) {
        size_t iStop = i < lines.n ? lines.p[i].iStart : w.nText;
        const int32_t nLines = iLinesIn(w.pText + iPos, iStop - iPos);
        if (!bAllWhite(w.pText + iPos, iStop - iPos)) {
            int rc = w.rcPiece(i, iPos, iStop, iLine, i == iBig ? pBlock : nullptr);
            if (rc != RC_OK) return rc;
            if (i == iBig) iStop = 0;  // the offsets count from the part put aside
            bAny = true;
        } else if (i < lines.n &&
                   !w.bKeepBlank(bEmptyLineIn(w.pText + iPos, w.pText + iStop, iPos == 0 || w.pText[iPos - 1] == '\n'))) {
            return rcFmtNoMem(SITE_OUT_NOMEM);
        }
        if (i == lines.n) break;
        const ScriptLine &cmd = lines.p[i];
        iLine += nLines + iLinesIn(w.pText + cmd.iStart, cmd.iEnd - cmd.iStart);
        bAny = true;
        if (!w.bCommand(cmd)) return rcFmtNoMem(SITE_OUT_NOMEM);
        iPos = cmd.iEnd;
    }
    // A text of nothing but white space and commands: the empty statement of an empty text.
    if (!bAny) return rcFmtPiece(pText, nText, 1, rStmtStyle, rEnc, pOut);
    return RC_OK;
}
}  // namespace

namespace {
// Formats the text [pStmt, pStmt + nStmt); pBlock, when not null, holds it and is the formatter's.
int rcFmtText(const char *pStmt, size_t nStmt, TextBlock *pBlock, char **szStmtFmt, StmtStyle *rStmtStyle) {
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
    rc = rcFmtScript(pStmt, nStmt, rStmtStyle, rEnc, &out, pBlock);
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

}  // namespace

int rcFmtStmtLen(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    return rcFmtText(pStmt, nStmt, nullptr, szStmtFmt, rStmtStyle);
}

int rcFmtStmtTake(HeapPtr<char> spStmt, size_t nStmt, size_t nCap, char **szStmtFmt, StmtStyle *rStmtStyle) {
    assert(spStmt != nullptr && nCap > nStmt);
    TextBlock rBlock;
    rBlock.nCap = nCap;
    const char *pStmt = spStmt.get();
    rBlock.sp = std::move(spStmt);
    return rcFmtText(pStmt, nStmt, &rBlock, szStmtFmt, rStmtStyle);
}

int rcFmtStmt(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    return rcFmtStmtLen(szStmt, std::strlen(szStmt), szStmtFmt, rStmtStyle);
}
}  // namespace oracle
