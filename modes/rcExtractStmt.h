// Document types of file mode and the extraction of the statements embedded in TKPROF reports
// and SQL trace files; the text streams that file mode reads and writes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "formatter/rStmtStyle.h"

enum { DOC_SCRIPT = 0, DOC_TKPROF = 1, DOC_TRACE = 2 };

// Every call through which file mode reaches its files: the C library's and the platform's,
// unless a test puts in its own to make one of them fail.
struct FileModeCalls {
    FILE *(*pfnOpen)(const char *szPath, const char *szMode);
    size_t (*pfnRead)(void *p, size_t nSize, size_t nCount, FILE *fp);
    int (*pfnError)(FILE *fp);
    int (*pfnSeek)(FILE *fp, long lOffset, int iWhence);
    size_t (*pfnWrite)(const void *p, size_t nSize, size_t nCount, FILE *fp);
    int (*pfnClose)(FILE *fp);
    FILE *(*pfnCreateNew)(const char *szPath);                // pPlatCreateNew
    int (*pfnSetMode)(const char *szPath, uint32_t uMode);    // iPlatSetMode
    int (*pfnReplace)(const char *szFrom, const char *szTo);  // iPlatReplaceFile
};
extern FileModeCalls rFileModeCalls;
enum { LINE_BUF_SIZE = 32768 };  // szLineBuf: one identification block, or a line read and its NUL

// A file read as a text stream, the same on every platform: the file is read in binary and
// CR LF arrives as LF; every other byte (a lone CR, a Ctrl-Z, a NUL) is data.
struct TextReader {
    FILE *fp = nullptr;
    int64_t iRawBytes = 0;  // bytes taken from the file, as stored
    bool bError = false;    // the file could not be read; errno tells why
    size_t i = 0, n = 0;
    unsigned char ab[65536];

    explicit TextReader(FILE *fpIn) : fp(fpIn) {}
    // The next byte of the text, or EOF at the end of the file or after a read error.
    int iGet() {
        if (i == n && !bFill()) return EOF;
        int c = ab[i++];
        if (c == '\r' && (i < n || bFill()) && ab[i] == '\n') {
            ++i;
            c = '\n';
        }
        return c;
    }
    // Back to the start of the file; false when the file cannot be repositioned.
    bool bRewind();
    // Appends the rest of the text to *pp (length *pn, capacity *pcap, NUL-terminated), growing
    // the block as needed; false when it cannot grow or the text would exceed 2 GiB.
    bool bReadAll(char **pp, size_t *pn, size_t *pcap);

  private:
    bool bFill();
};

// Bytes written to a file as a text stream: every LF becomes CR LF, every other byte is
// written as it is. Buffered: a failing write shows at this put or a later one, or at close.
struct TextWriter {
    FILE *fp = nullptr;
    int64_t iRawBytes = 0;  // bytes handed to the file, as stored
    size_t n = 0;
    char ab[65536];

    explicit TextWriter(FILE *fpOut) : fp(fpOut) {}
    // false when the file refused the bytes; errno tells why.
    bool bPut(const char *p, size_t nLen);
    bool bFlush();
};

// The statement formatter as the extraction calls it (rcFmtStmt, or a stand-in in tests).
typedef int (*PfnFmtStmt)(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle);

// Decides the document type of a file opened at its start: DOC_TKPROF when bytes 1 to 6 of
// its first block are "TKPROF", DOC_TRACE when one of its line reads begins with "PARSING IN
// CURSOR", else DOC_SCRIPT. Reads only as far as needed. A read error ends the reading with
// pIn->bError set (the caller reports it). Reports a failed rewind; returns 0 or 29.
int rcIdentifyDocType(TextReader *pIn, char *szLineBuf, int32_t *iDocType);

// True when the text is empty or holds nothing but blanks, TABs, CRs and LFs, or holds a NUL:
// such a text is written unchanged instead of being formatted.
bool bKeepUnformatted(const char *p, size_t n);

// Writes the text T of length L to pOut with every statement of a TKPROF report or trace file
// (iDocType 1 or 2) replaced by its formatted form; every other byte is copied. Adds one to
// *iNumStmts per statement found. szPath names the output file in messages. Reports its
// failures under rcFmtOnFile(); returns 0, 5, 7 or the formatter's code.
int rcExtractStmts(const char *T, size_t L, int32_t iDocType, TextWriter *pOut, const char *szPath,
                   StmtStyle *rStmtStyle, int32_t *iNumStmts, PfnFmtStmt pfnFmtStmt);

// Formats one statement text of n bytes (T[n] need not be NUL) with pfnFmtStmt and writes the
// result, or writes it unchanged when bKeepUnformatted; adds one to *iNumStmts. iSiteAlloc,
// iSiteFmt and iSiteWrite are the failure sites of the caller. Returns 0, 5, 7 or the
// formatter's code, after the trail line under rcFmtOnFile().
int rcFmtOneStmt(const char *p, size_t n, TextWriter *pOut, const char *szPath, StmtStyle *rStmtStyle,
                 int32_t *iNumStmts, PfnFmtStmt pfnFmtStmt, int iSiteAlloc, int iSiteFmt, int iSiteWrite);
