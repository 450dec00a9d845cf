// Document types of file mode and the extraction of the statements embedded in TKPROF reports
// and SQL trace files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "formatter/rStmtStyle.h"
#include "plat/platFile.h"
#include "modes/rcTextCodec.h"

enum { DOC_SCRIPT = 0, DOC_TKPROF = 1, DOC_TRACE = 2 };

// Every call through which file mode reaches its files: the C library's and the platform's,
// unless a test puts in its own to make one of them fail.
struct FileModeCalls {
    FILE *(*pfnOpen)(const char *szPath, const char *szMode);
    size_t (*pfnRead)(void *p, size_t nSize, size_t nCount, FILE *fp);
    int (*pfnError)(FILE *fp);
    size_t (*pfnWrite)(const void *p, size_t nSize, size_t nCount, FILE *fp);
    int (*pfnClose)(FILE *fp);
    FILE *(*pfnCreateNew)(const char *szPath);                // pPlatCreateNew
    int (*pfnSetMode)(const char *szPath, const PlatStat *pStat);  // iPlatCopyAttributes
    int (*pfnReplace)(const char *szFrom, const char *szTo);  // iPlatReplaceFile
};
extern FileModeCalls rFileModeCalls;

// The statement formatter as the extraction calls it (rcFmtStmtLen, or a stand-in in tests).
typedef int (*PfnFmtStmt)(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle);

// The document type of a text (lines ending in LF or CR LF), known from its first line that is
// not empty, as the tools that write these files begin them: DOC_TKPROF for "TKPROF: Release ",
// DOC_TRACE for a line of a trace file's header ("Trace file ", "Oracle Database ", "*** ", the
// system lines, a separator of "="), or a record of a call ("PARSING IN CURSOR #1 len=22 ...",
// "PARSE ERROR #1:len=9 ...", "WAIT #1: ..."), else DOC_SCRIPT. No script can begin with one of
// them, and nothing further into a text (inside a comment or a literal) counts.
int32_t iIdentifyDocType(const char *T, size_t L);

// True when the text is empty or holds nothing but blanks, TABs, CRs and LFs: such a text is
// written unchanged instead of being formatted.
bool bKeepUnformatted(const char *p, size_t n);

// Writes the text T of length L to pOut with every statement of a TKPROF report or trace file
// (iDocType 1 or 2) replaced by its formatted form; the text around the statements is copied
// with each line end as pOut's chosen one (they stand between records, never inside a literal).
// Adds one to *iNumStmts per statement formatted. The statement of a trace's PARSE ERROR
// record is copied as it is. A document whose statements cannot be found where its records say
// (a statement that never ends, one cut short of the length its record gives, a record that
// cannot be read, a SQL ID record without statement) is refused with RC_BADTEXT: nothing of it
// may be written. szPath names the output file in messages. Reports its failures under
// rcFmtOnFile(); returns 0, 5, 7, 30 or the formatter's code.
int rcExtractStmts(const char *T, size_t L, int32_t iDocType, TextWriter *pOut, const char *szPath,
                   StmtStyle *rStmtStyle, int32_t *iNumStmts, PfnFmtStmt pfnFmtStmt);

// Formats one statement text of n bytes with pfnFmtStmt and writes the result as the formatter
// made it; a text of nothing but white space (bKeepUnformatted) is written with its line ends
// as the chosen one. Adds one to *iNumStmts. iSiteFmt and iSiteWrite are the
// failure sites of the caller. Returns 0, 7 or the formatter's code, after the trail line under
// rcFmtOnFile().
int rcFmtOneStmt(const char *p, size_t n, TextWriter *pOut, const char *szPath, StmtStyle *rStmtStyle,
                 int32_t *iNumStmts, PfnFmtStmt pfnFmtStmt, int iSiteFmt, int iSiteWrite);
