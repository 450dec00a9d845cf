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

// The document type of a text (LF line ends): DOC_TKPROF when its bytes 1 to 6 are "TKPROF" (a
// report begins with an empty line), DOC_TRACE when one of its lines begins with "PARSING IN
// CURSOR" (a line longer than 32767 bytes counting as several), else DOC_SCRIPT.
int32_t iIdentifyDocType(const char *T, size_t L);

// True when the text is empty or holds nothing but blanks, TABs, CRs and LFs: such a text is
// written unchanged instead of being formatted.
bool bKeepUnformatted(const char *p, size_t n);

// Writes the text T of length L to pOut with every statement of a TKPROF report or trace file
// (iDocType 1 or 2) replaced by its formatted form; every other byte is copied. Adds one to
// *iNumStmts per statement found. szPath names the output file in messages. Reports its
// failures under rcFmtOnFile(); returns 0, 7 or the formatter's code.
int rcExtractStmts(const char *T, size_t L, int32_t iDocType, TextWriter *pOut, const char *szPath,
                   StmtStyle *rStmtStyle, int32_t *iNumStmts, PfnFmtStmt pfnFmtStmt);

// Formats one statement text of n bytes with pfnFmtStmt and writes the result, or writes it
// unchanged when bKeepUnformatted; adds one to *iNumStmts. iSiteFmt and iSiteWrite are the
// failure sites of the caller. Returns 0, 7 or the formatter's code, after the trail line under
// rcFmtOnFile().
int rcFmtOneStmt(const char *p, size_t n, TextWriter *pOut, const char *szPath, StmtStyle *rStmtStyle,
                 int32_t *iNumStmts, PfnFmtStmt pfnFmtStmt, int iSiteFmt, int iSiteWrite);
