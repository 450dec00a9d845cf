#include "modes/rcExtractStmt.h"

#include <cassert>
#include <cerrno>
#include <cstring>

#include "formatter/rcFmtLex.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

namespace {
const char szModule[] = "..\\share\\rcFmtOnFile";
enum {
    SITE_WRITE_TEXT = 436,
    SITE_BAD_DOC = 452,  // the statements of a report or trace file cannot be found
    SITE_FMT_STMT = 469,
    SITE_WRITE_STMT = 476,
};

int rcFail(int rc, int iLine) { return rcTrail(rc, "rcFmtOnFile()", szModule, iLine); }

// The formatted text could not be put into its stored form: no memory, or a UTF-16 file whose
// text UTF-16 cannot hold.
int rcPutFailed(const char *szPath, int iErr, int iLine) {
    if (iErr == ENOMEM) return rcNoMem("rcFmtOnFile()", szModule, iLine);
    iConPrintf(szMsgBadText, szErrorPrefix, "UTF-16", szPath);
    return rcFail(RC_BADTEXT, iLine);
}

// A report or trace file whose statements cannot be found where its records say they are: it
// is left as it was. iLine is the line of the record, szWhy a short English key.
int rcBadDoc(const char *szPath, int32_t iLine, const char *szWhy) {
    iConPrintf(szMsgBadDoc, szErrorPrefix, szPath, static_cast<int>(iLine), szWhy);
    return rcFail(RC_BADTEXT, SITE_BAD_DOC);
}

// One line of the text: its bytes [p, pEnd) without the line end (LF or CR LF; the last line
// may have none), and pNext, where the next line begins.
struct Line {
    const char *p, *pEnd, *pNext;
    bool bEmpty() const { return p == pEnd; }
    bool bHasEnd() const { return pNext != pEnd; }
    size_t n() const { return static_cast<size_t>(pEnd - p); }
};

Line rLineAt(const char *p, const char *pTextEnd) {
    const char *pLf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(pTextEnd - p)));
    if (pLf == nullptr) return Line{p, pTextEnd, pTextEnd};
    return Line{p, pLf > p && pLf[-1] == '\r' ? pLf - 1 : pLf, pLf + 1};
}

// The line begins with the n bytes of sz.
bool bBegins(const Line &l, const char *sz, size_t n) { return l.n() >= n && std::memcmp(l.p, sz, n) == 0; }
template <size_t N>
bool bBegins(const Line &l, const char (&sz)[N]) { return bBegins(l, sz, N - 1); }
template <size_t N>
bool bIs(const Line &l, const char (&sz)[N]) { return l.n() == N - 1 && std::memcmp(l.p, sz, N - 1) == 0; }

bool bIsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads decimal digits at *pp (at least one) into *pn, saturating; false when there are none.
bool bReadNumber(const char **pp, const char *pEnd, size_t *pn) {
    const char *p = *pp;
    size_t n = 0;
    for (; p < pEnd && bIsDigit(*p); ++p) n = n > (SIZE_MAX - 9) / 10 ? SIZE_MAX : n * 10 + static_cast<size_t>(*p - '0');
    if (p == *pp) return false;
    *pp = p;
    *pn = n;
    return true;
}

// A record line of a trace file: the record's name, " #", the cursor's number and then szAfter
// ("" for any byte or none), as the database writes it: "PARSING IN CURSOR #140 len=55 dep=1
// ...", "PARSE ERROR #140:len=3885 dep=0 ...", "WAIT #140: nam=...". *pnLen receives the number
// after "len=" where szAfter ends in it.
bool bIsRecord(const Line &l, const char *szName, const char *szAfter, size_t *pnLen = nullptr) {
    const size_t nName = std::strlen(szName), nAfter = std::strlen(szAfter);
    if (!bBegins(l, szName, nName) || l.n() < nName + 2 || l.p[nName] != ' ' || l.p[nName + 1] != '#') return false;
    const char *p = l.p + nName + 2;
    size_t nCursor = 0;
    if (!bReadNumber(&p, l.pEnd, &nCursor)) return false;
    if (static_cast<size_t>(l.pEnd - p) < nAfter || std::memcmp(p, szAfter, nAfter) != 0) return false;
    if (pnLen == nullptr) return true;
    p += nAfter;
    return bReadNumber(&p, l.pEnd, pnLen) && (p == l.pEnd || *p == ' ');
}

const char szCursor[] = "PARSING IN CURSOR";
const char szParseError[] = "PARSE ERROR";

// The record that begins a statement and its number after "len=": the statement's length in
// bytes, its last line end not counted (one more where the database counted a final NUL).
bool bIsCursorRecord(const Line &l, size_t *pnLen) { return bIsRecord(l, szCursor, " len=", pnLen); }
bool bIsParseErrorRecord(const Line &l, size_t *pnLen) { return bIsRecord(l, szParseError, ":len=", pnLen); }

// The lines a trace file can begin with: those of its header (the file, the database, the
// system it ran on), the time and session lines "*** ", the separator of "=" and the records
// of the calls. None of them can begin an SQL*Plus script: no statement, comment or command
// begins so.
const char *const aszTraceHead[] = {
    "Trace file ", "Dump file ", "Oracle Database ", "Build label:", "ORACLE_HOME:", "System name:", "Node name:",
    "Instance name:", "Redo thread mounted by this instance:", "Oracle process number:", "Unix process pid:",
    "Windows thread id:", "*** ",
};
const char *const aszTraceRecords[] = {"PARSE", "EXEC", "FETCH", "WAIT", "CLOSE", "STAT", "BINDS", "ERROR"};
const size_t SEPARATOR_MIN = 10;  // a separator line is "=" 21 times

bool bIsTraceHead(const Line &l) {
    for (const char *sz : aszTraceHead)
        if (bBegins(l, sz, std::strlen(sz))) return true;
    const char *p = l.p;
    while (p < l.pEnd && *p == '=') ++p;
    if (p == l.pEnd && l.n() >= SEPARATOR_MIN) return true;
    size_t nLen = 0;
    if (bIsCursorRecord(l, &nLen) || bIsParseErrorRecord(l, &nLen)) return true;
    for (const char *sz : aszTraceRecords)
        if (bIsRecord(l, sz, ":") || bIsRecord(l, sz, " ")) return true;
    return false;
}

// The line a TKPROF report begins with, after an empty line, as the report writer writes it.
const char szTkprofHead[] = "TKPROF: Release ";

// The bytes of a line with its line end, a CR LF counted as one byte: what the database
// counted before the line ends were perhaps converted.
size_t nLfLength(const Line &l) {
    return static_cast<size_t>(l.pNext - l.p) - (l.pNext - l.pEnd == 2 ? 1 : 0);
}

int32_t iLinesIn(const char *p, const char *q) {
    int32_t i = 0;
    for (; (p = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(q - p)))) != nullptr; ++p) ++i;
    return i;
}

// What an extraction writes to and with.
struct ExtractRun {
    const char *T, *pEnd;
    TextWriter *pOut;
    const char *szPath;
    StmtStyle *rStmtStyle;
    int32_t *iNumStmts;
    PfnFmtStmt pfnFmtStmt;
    const char *c;  // the text up to here is written
};

// The encoding the statement [s, q) is read in: the one asked for, or the one it shows, as the
// formatter reads it.
TextEnc rStmtEnc(const ExtractRun *run, const char *s, const char *q) {
    const int32_t eEnc = run->rStmtStyle->iEncoding;
    return rTextEnc(eEnc != ENC_AUTO ? eEnc : eDetectEncoding(s, static_cast<size_t>(q - s)));
}

// The text between statements, [c, q): its line ends as the chosen one.
int rcPutAround(ExtractRun *run, const char *q) {
    if (!run->pOut->bPutLines(run->c, static_cast<size_t>(q - run->c)))
        return rcPutFailed(run->szPath, run->pOut->iErr, SITE_WRITE_TEXT);
    run->c = q;
    return RC_OK;
}

// The statement [s, q) formatted, after the text before it.
int rcPutStmt(ExtractRun *run, const char *s, const char *q) {
    int rc = rcPutAround(run, s);
    if (rc != RC_OK) return rc;
    rc = rcFmtOneStmt(s, static_cast<size_t>(q - s), run->pOut, run->szPath, run->rStmtStyle, run->iNumStmts,
                      run->pfnFmtStmt, SITE_FMT_STMT, SITE_WRITE_STMT);
    run->c = q;
    return rc;
}

// A trace file. The statement of a cursor record runs from the line after it to the line that
// is "END OF STMT" and nothing else; a statement shorter than the length its record gives that
// such a line cut inside a literal or a comment is refused with the file (one that formatting
// made shorter is not). The statement
// of a PARSE ERROR record is copied as it is, the lines that begin within the length its record
// gives: the database refused it, so it need not be a text the formatter can lay out, and no
// end marker closes it. Every other line is the trace's own and is copied.
int rcExtractTrace(ExtractRun *run) {
    int32_t iLine = 1;  // the line at p
    for (const char *p = run->T; p < run->pEnd;) {
        const Line l = rLineAt(p, run->pEnd);
        const bool bCursor = bBegins(l, szCursor), bParseError = bBegins(l, szParseError);
        if (!bCursor && !bParseError) {
            ++iLine;
            p = l.pNext;
            continue;
        }
        size_t nLen = 0;
        if (bCursor ? !bIsCursorRecord(l, &nLen) : !bIsParseErrorRecord(l, &nLen))
            return rcBadDoc(run->szPath, iLine, bCursor ? "cursor record cannot be read" : "parse error record cannot be read");
        const char *s = l.pNext, *q = s;
        size_t nStmt = 0;  // the statement's bytes up to q, as the database counts them
        int32_t nLines = 1;
        for (Line m; q < run->pEnd; q = m.pNext, ++nLines) {
            m = rLineAt(q, run->pEnd);
            if (bCursor ? bIs(m, "END OF STMT") : nStmt >= nLen) break;
            nStmt += nLfLength(m);
        }
        if (bCursor && (!l.bHasEnd() || q == run->pEnd)) return rcBadDoc(run->szPath, iLine, "statement never ends");
        // A statement formatted before is shorter than its len= too: only one that an END OF STMT
        // line cut inside a literal or a comment is refused.
        if (bCursor && nStmt < nLen && pOpenAtEnd(s, q, rStmtEnc(run, s, q)) != nullptr)
            return rcBadDoc(run->szPath, iLine, "statement shorter than its len=");
        int rc = RC_OK;
        if (bCursor) {
            rc = rcPutStmt(run, s, q);
        } else if ((rc = rcPutAround(run, s)) == RC_OK) {
            if (!run->pOut->bPut(s, static_cast<size_t>(q - s))) return rcPutFailed(run->szPath, run->pOut->iErr, SITE_WRITE_STMT);
            run->c = q;
        }
        if (rc != RC_OK) return rc;
        iLine += nLines;
        p = q;
    }
    return rcPutAround(run, run->pEnd);
}

// The lines of a TKPROF report that begin a statement: a statement keyword in any letter case
// (no word boundary needed), an opening parenthesis or a comment.
const char *const aszTkprofTop[] = {"SELECT", "INSERT", "UPDATE", "DELETE", "BEGIN", "DECLARE",
                                    "CREATE", "ALTER",  "DROP",   "(",      "/*"};

bool bIsTkprofTop(const Line &l) {
    for (const char *szWord : aszTkprofTop)
        if (l.n() >= std::strlen(szWord) && nKwLen(l.p, szWord) != 0) return true;
    return false;
}

// The record before a statement: "SQL ID: <id> Plan Hash: <digits>"; an empty line follows,
// then the statement, whatever its first word.
bool bIsSqlIdRecord(const Line &l) {
    const char szHead[] = "SQL ID: ", szHash[] = " Plan Hash: ";
    if (!bBegins(l, szHead)) return false;
    const char *p = l.p + sizeof szHead - 1;
    const char *pId = p;
    while (p < l.pEnd && ((*p >= 'a' && *p <= 'z') || bIsDigit(*p))) ++p;
    if (p == pId || static_cast<size_t>(l.pEnd - p) < sizeof szHash - 1 || std::memcmp(p, szHash, sizeof szHash - 1) != 0)
        return false;
    p += sizeof szHash - 1;
    size_t nHash = 0;
    return bReadNumber(&p, l.pEnd, &nHash) && p == l.pEnd;
}

// The line after a statement: the head of its call table ("call", blanks, "count": a CALL
// statement is no call table) or the separator line.
bool bIsTkprofEnd(const Line &l) {
    if (bBegins(l, "***")) return true;
    if (!bBegins(l, "call ")) return false;
    const char *p = l.p + 4;
    while (p < l.pEnd && *p == ' ') ++p;
    return static_cast<size_t>(l.pEnd - p) >= 5 && std::memcmp(p, "count", 5) == 0;
}

// Where the statement that begins at p ends: before the empty lines in front of its call table
// or the separator line (empty lines inside a PL/SQL statement are its own), keeping its last
// line end when an empty line follows; without either, at its first empty line, with its last
// line end. Null when it never ends.
const char *pTkprofStmtEnd(const char *p, const char *pEnd) {
    const char *pFirstEmpty = nullptr;
    Line last = rLineAt(p, pEnd);  // the last line that is not empty
    bool bEmptyAfter = false;
    for (const char *q = last.pNext; q < pEnd;) {
        const Line m = rLineAt(q, pEnd);
        if (bIsTkprofEnd(m)) return bEmptyAfter ? last.pNext : last.pEnd;
        if (m.bEmpty() && pFirstEmpty == nullptr) pFirstEmpty = q;
        bEmptyAfter = m.bEmpty();
        if (!m.bEmpty()) last = m;
        q = m.pNext;
    }
    return pFirstEmpty;
}

// A TKPROF report. A statement begins after a SQL ID record and its empty line, or at a line
// that begins like a statement (for reports without those records).
int rcExtractTkprof(ExtractRun *run) {
    int32_t iLine = 1;  // the line at p
    for (const char *p = run->T; p < run->pEnd;) {
        const Line l = rLineAt(p, run->pEnd);
        const char *s = nullptr;  // the statement's first line
        int32_t iStmtLine = iLine;
        if (bIsSqlIdRecord(l)) {
            const Line lEmpty = rLineAt(l.pNext, run->pEnd);
            const Line lStmt = rLineAt(lEmpty.pNext, run->pEnd);
            if (!l.bHasEnd() || !lEmpty.bEmpty() || !lEmpty.bHasEnd() || lStmt.bEmpty() || bIsTkprofEnd(lStmt))
                return rcBadDoc(run->szPath, iLine, "no statement after its SQL ID");
            s = lStmt.p;
            iStmtLine = iLine + 2;
        } else if (bIsTkprofTop(l)) {
            s = p;
        } else {
            ++iLine;
            p = l.pNext;
            continue;
        }
        const char *q = pTkprofStmtEnd(s, run->pEnd);
        if (q == nullptr) return rcBadDoc(run->szPath, iStmtLine, "statement never ends");
        int rc = rcPutStmt(run, s, q);
        if (rc != RC_OK) return rc;
        // The scan goes on at the line after the statement's last; its line end may be no part
        // of it.
        const char *pNext = q < run->pEnd && (*q == '\r' || *q == '\n') ? rLineAt(q, run->pEnd).pNext : q;
        iLine += iLinesIn(p, pNext);
        p = pNext;
    }
    return rcPutAround(run, run->pEnd);
}
}  // namespace

int32_t iIdentifyDocType(const char *T, size_t L) {
    const char *pEnd = T + L;
    const char *p = T;
    while (p < pEnd && rLineAt(p, pEnd).bEmpty()) p = rLineAt(p, pEnd).pNext;
    if (p == pEnd) return DOC_SCRIPT;
    const Line l = rLineAt(p, pEnd);
    if (bBegins(l, szTkprofHead)) return DOC_TKPROF;
    if (bIsTraceHead(l)) return DOC_TRACE;
    return DOC_SCRIPT;
}

bool bKeepUnformatted(const char *p, size_t n) {
    for (const char *pEnd = p + n; p < pEnd; ++p)
        if (*p != ' ' && *p != '\n' && *p != '\t' && *p != '\r') return false;
    return true;
}

int rcFmtOneStmt(const char *p, size_t n, TextWriter *pOut, const char *szPath, StmtStyle *rStmtStyle,
                 int32_t *iNumStmts, PfnFmtStmt pfnFmtStmt, int iSiteFmt, int iSiteWrite) {
    ++*iNumStmts;
    // An empty or blank statement would make the formatter fail: it is white space like the
    // text around it, and is written so.
    if (bKeepUnformatted(p, n)) {
        if (!pOut->bPutLines(p, n)) return rcPutFailed(szPath, pOut->iErr, iSiteWrite);
        return RC_OK;
    }
    char *szStmtFmt = nullptr;  // ours once the formatter stores it, even if it fails afterwards
    ScopeExit freeFmt([&] { vFree(szStmtFmt); });
    int rc = pfnFmtStmt(p, n, &szStmtFmt, rStmtStyle);
    if (rc != RC_OK) return rcFail(rc, iSiteFmt);
    assert(rStmtStyle->iFmtLen >= 0);
    char *pFmt = szStmtFmt;
    szStmtFmt = nullptr;  // the writer's now
    if (!pOut->bPutBlock(pFmt, static_cast<size_t>(rStmtStyle->iFmtLen))) return rcPutFailed(szPath, pOut->iErr, iSiteWrite);
    return RC_OK;
}

int rcExtractStmts(const char *T, size_t L, int32_t iDocType, TextWriter *pOut, const char *szPath,
                   StmtStyle *rStmtStyle, int32_t *iNumStmts, PfnFmtStmt pfnFmtStmt) {
    assert(iDocType == DOC_TKPROF || iDocType == DOC_TRACE);
    pOut->vExpect(L + L / 8, L);  // the whole result, the statements' layout a little longer
    ExtractRun run{T, T + L, pOut, szPath, rStmtStyle, iNumStmts, pfnFmtStmt, T};
    return iDocType == DOC_TKPROF ? rcExtractTkprof(&run) : rcExtractTrace(&run);
}
