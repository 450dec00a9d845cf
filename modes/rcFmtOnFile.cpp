// File and directory mode. Every file is rewritten safely: it is read and formatted whole, the
// result goes to a new file beside it, and that file takes the original's name only when every
// step succeeded. A failure leaves the original as it was and removes the new file.
#include "modes/rcFmtOnFile.h"

#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "plat/platDir.h"
#include "plat/platFile.h"
#include "plat/platStdio.h"
#include "runtime/cDirEntries.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtStmt.h"
#include "modes/rcExtractStmt.h"

namespace {
const char szModule[] = "..\\share\\rcFmtOnFile";
enum {
    SITE_LIST_GROW = 43,
    SITE_PATH_ALLOC = 56,
    SITE_LINE_BUF = 253,
    SITE_STAT = 270,
    SITE_DIR_ENTRIES = 291,
    SITE_FOR_EACH = 298,
    SITE_RECURSE = 322,
    SITE_OPEN_IDENTIFY = 357,
    SITE_IDENTIFY = 363,
    SITE_OPEN_READ = 375,
    SITE_GROW = 388,
    SITE_OPEN_WRITE = 405,
    SITE_WRITE_TEXT = 436,
    SITE_FMT_SCRIPT = 491,
    SITE_WRITE_SCRIPT = 501,
    SITE_REPLACE = 509,  // the new file could not take the original's mode or name
};
enum { TEMP_TRIES = 100 };

struct Counters {
    int32_t *iNumDirs, *iNumFiles, *iNumStmts;
    int64_t *iInBytes, *iOutBytes;
};

// The directories being walked, innermost first: a directory met again while inside it (a link
// leading back up) is not entered a second time.
struct DirChain {
    uint64_t uDevId, uFileId;
    const DirChain *pUp;
};

bool bInChain(const DirChain *pChain, uint64_t uDevId, uint64_t uFileId) {
    for (; pChain != nullptr; pChain = pChain->pUp)
        if (pChain->uDevId == uDevId && pChain->uFileId == uFileId) return true;
    return false;
}

int rcFail(int rc, int iLine) { return rcTrail(rc, "rcFmtOnFile()", szModule, iLine); }

int rcOpenFailed(const char *szPath, int iErr, int iLine) {
    iConPrintf(szMsgOpen, szErrorPrefix, szPath, std::strerror(iErr), "");
    return rcFail(RC_OPEN, iLine);
}

int rcWriteFailed(const char *szPath, int iErr, int iLine) {
    iConPrintf(szMsgWrite, szErrorPrefix, szPath, std::strerror(iErr), "");
    return rcFail(RC_WRITE, iLine);
}

void vFreeNames(FileNameList *pFnl) {
    for (int32_t i = 0; i < pFnl->iCount; ++i) vFree(pFnl->aszPaths[i]);
    vFree(pFnl->aszPaths);
    *pFnl = FileNameList{};
}

// The new file that receives the result, beside szReal (the file itself, links followed), with
// a name no other file has: it is created exclusively, and a name that is taken is skipped.
// On success *pszTemp and *pfp are the caller's; *pszTemp is the caller's also on failure.
int rcCreateTemp(const char *szReal, char **pszTemp, FILE **pfp) {
    // The name adds only a few characters to the file's own: the platform limits path lengths.
    size_t nCap = std::strlen(szReal) + 16;
    char *szTemp = static_cast<char *>(pvAlloc(nCap));
    if (szTemp == nullptr) return rcNoMem("rcFmtOnFile()", szModule, SITE_OPEN_WRITE);
    *pszTemp = szTemp;
    static uint32_t uSerial = 0;  // one run's names differ without asking the system
    for (int iTry = 0;; ++iTry) {
        std::snprintf(szTemp, nCap, "%s.~qv%u", szReal, ++uSerial);
        errno = 0;
        *pfp = rFileModeCalls.pfnCreateNew(szTemp);
        if (*pfp != nullptr) return RC_OK;
        if (errno != EEXIST || iTry + 1 == TEMP_TRIES) return rcOpenFailed(szTemp, errno, SITE_OPEN_WRITE);
    }
}

// The document: the whole file as one NUL-terminated text, CR LF read as LF.
struct DocText {
    char *p = nullptr;
    size_t n = 0, cap = 0;
    ~DocText() { vFree(p); }
};

int rcReadDoc(const char *szPath, char *szLineBuf, int32_t *piDocType, DocText *pDoc, int64_t *piInBytes) {
    FILE *fp = rFileModeCalls.pfnOpen(szPath, "rb");
    if (fp == nullptr) return rcOpenFailed(szPath, errno, SITE_OPEN_IDENTIFY);
    {
        ScopeExit closeIn([&] { rFileModeCalls.pfnClose(fp); });
        TextReader in(fp);
        int rc = rcIdentifyDocType(&in, szLineBuf, piDocType);
        if (rc != RC_OK) return rcFail(rc, SITE_IDENTIFY);
        // A file that cannot be read is reported as one that cannot be opened: nothing of it
        // is written.
        if (in.bError) return rcOpenFailed(szPath, errno, SITE_OPEN_IDENTIFY);
    }
    fp = rFileModeCalls.pfnOpen(szPath, "rb");
    if (fp == nullptr) return rcOpenFailed(szPath, errno, SITE_OPEN_READ);
    ScopeExit closeIn([&] { rFileModeCalls.pfnClose(fp); });
    TextReader in(fp);
    if (!in.bReadAll(&pDoc->p, &pDoc->n, &pDoc->cap)) return rcNoMem("rcFmtOnFile()", szModule, SITE_GROW);
    if (in.bError) return rcOpenFailed(szPath, errno, SITE_OPEN_READ);
    // The input counts each file's bytes once, as stored; the identification read is not
    // counted again.
    *piInBytes += in.iRawBytes;
    return RC_OK;
}

// One file: announced, identified, read, formatted into a new file, which then replaces it.
// Its stream buffers (some 200 KB) live in its own frame, never in a frame of the recursion.
__attribute__((noinline)) int rcFmtFile(const char *szPath, const PlatStat &rStat, char *szLineBuf,
                                        const Counters &rCnt, StmtStyle *rStmtStyle) {
    iConPrintf("%s\n", szPath);
    int32_t iDocType = DOC_SCRIPT;
    DocText doc;
    int rc = rcReadDoc(szPath, szLineBuf, &iDocType, &doc, rCnt.iInBytes);
    if (rc != RC_OK) return rc;

    char *szTemp = nullptr;
    FILE *fpTemp = nullptr;
    bool bCreated = false, bReplaced = false;
    // Until the new file has taken the original's place it is closed and removed on every
    // path; the original is never opened for writing. A name that could not be created may
    // be another's file and is left alone.
    ScopeExit dropTemp([&] {
        if (fpTemp != nullptr) rFileModeCalls.pfnClose(fpTemp);
        if (bCreated && !bReplaced) iPlatUnlink(szTemp);
        vFree(szTemp);
    });
    // The resolved path comes from the program's allocator: its failure is a memory failure.
    HeapPtr<char> real(static_cast<char *>(pvAlloc(nPlatPathCap)));
    if (real == nullptr) return rcNoMem("rcFmtOnFile()", szModule, SITE_OPEN_WRITE);
    const char *szReal = real.get();
    int iErrPath = iPlatResolvePath(szPath, real.get());
    if (iErrPath != 0) return rcOpenFailed(szPath, iErrPath, SITE_OPEN_WRITE);
    rc = rcCreateTemp(szReal, &szTemp, &fpTemp);
    if (rc != RC_OK) return rc;
    bCreated = true;

    TextWriter out(fpTemp);
    int32_t iNumStmts = 0;
    if (iDocType == DOC_SCRIPT)
        rc = rcFmtOneStmt(doc.p, doc.n, &out, szTemp, rStmtStyle, &iNumStmts, pfnFileFmtStmt, SITE_GROW,
                          SITE_FMT_SCRIPT, SITE_WRITE_SCRIPT);
    else
        rc = rcExtractStmts(doc.p, doc.n, iDocType, &out, szTemp, rStmtStyle, &iNumStmts, pfnFileFmtStmt);
    if (rc != RC_OK) return rc;
    // The last bytes reach the file here: a failure is one of the last write, which for a
    // report or trace file is text after the last statement.
    int iSiteLast = iDocType == DOC_SCRIPT ? SITE_WRITE_SCRIPT : SITE_WRITE_TEXT;
    errno = 0;
    if (!out.bFlush()) return rcWriteFailed(szTemp, errno, iSiteLast);
    FILE *fpClose = fpTemp;
    fpTemp = nullptr;
    if (rFileModeCalls.pfnClose(fpClose) != 0) return rcWriteFailed(szTemp, errno, iSiteLast);

    // The new file takes the original's permission bits, then its name. A failure here is
    // reported as a write failure of the original, which is still as it was.
    int iErr = rFileModeCalls.pfnSetMode(szTemp, rStat.uMode);
    if (iErr != 0) return rcWriteFailed(szPath, iErr, SITE_REPLACE);
    iErr = rFileModeCalls.pfnReplace(szTemp, szReal);
    if (iErr != 0) return rcWriteFailed(szPath, iErr, SITE_REPLACE);
    bReplaced = true;

    *rCnt.iNumStmts += iNumStmts;
    *rCnt.iOutBytes += out.iRawBytes;
    ++*rCnt.iNumFiles;
    return RC_OK;
}

int rcFmtPaths(char **szArgv, int32_t iArgc, const Counters &rCnt, int32_t iRecurently, StmtStyle *rStmtStyle,
               const DirChain *pChain);

// One directory: announced, its SQL entries collected, sorted and processed, then counted.
int rcFmtDir(const char *szPath, uint64_t uDevId, uint64_t uFileId, const Counters &rCnt, StmtStyle *rStmtStyle,
             const DirChain *pChain) {
    iConPrintf("%s\n", szPath);
    FileNameList oFnl{};
    ScopeExit freeNames([&] { vFreeNames(&oFnl); });
    {
        // The search is released before the entries are processed, so that a deep tree does
        // not hold one open search per level.
        rDirEntries *pEntries = nullptr;
        ScopeExit release([&] { vFreeDirEntries(&pEntries); });
        int rc = rcDirEntries(&pEntries, szPath, "SQL");
        if (rc != RC_OK) return rcFail(rc, SITE_DIR_ENTRIES);
        rc = rcForEachDirEntries(pEntries, rcOnRepeatDirEntry, &oFnl);
        if (rc != RC_OK) return rcFail(rc, SITE_FOR_EACH);
    }
    if (oFnl.iCount > 0) {
        vSortPrefix(oFnl.aszPaths, oFnl.iCount);
        DirChain rHere{uDevId, uFileId, pChain};
        int rc = rcFmtPaths(oFnl.aszPaths, oFnl.iCount, rCnt, 1, rStmtStyle, &rHere);
        if (rc != RC_OK) return rcFail(rc, SITE_RECURSE);
    }
    ++*rCnt.iNumDirs;
    return RC_OK;
}

int rcFmtPaths(char **szArgv, int32_t iArgc, const Counters &rCnt, int32_t iRecurently, StmtStyle *rStmtStyle,
               const DirChain *pChain) {
    HeapPtr<char> lineBuf(static_cast<char *>(pvAlloc(LINE_BUF_SIZE)));
    if (lineBuf == nullptr) return rcNoMem("rcFmtOnFile()", szModule, SITE_LINE_BUF);
    for (int32_t i = 0; i < iArgc; ++i) {
        const char *szPath = szArgv[i];
        PlatStat rStat{};
        int iErr = iPlatStat(szPath, &rStat);
        if (iErr != 0) return rcOpenFailed(szPath, iErr, SITE_STAT);
        if (iRecurently == 1 && rStat.iIsDir && rStat.iOwnerRead && rStat.iOwnerWrite) {
            // The directory's identity belongs to its status: not obtaining it fails the same way.
            uint64_t uDevId = 0, uFileId = 0;
            iErr = iPlatDirId(szPath, &uDevId, &uFileId);
            if (iErr != 0) return rcOpenFailed(szPath, iErr, SITE_STAT);
            // A link back into a directory being walked is passed over like any path that is
            // not handled.
            if (bInChain(pChain, uDevId, uFileId)) continue;
            int rc = rcFmtDir(szPath, uDevId, uFileId, rCnt, rStmtStyle, pChain);
            if (rc != RC_OK) return rc;
        } else if (rStat.iIsReg && rStat.iOwnerRead && rStat.iOwnerWrite && rStat.iSize > 0) {
            int rc = rcFmtFile(szPath, rStat, lineBuf.get(), rCnt, rStmtStyle);
            if (rc != RC_OK) return rc;
        }
        // Anything else (a directory without -r, a read-only or empty file, a device) is
        // passed over without a word.
    }
    return RC_OK;
}
}  // namespace

int (*pfnFileFmtStmt)(const char *, char **, StmtStyle *) = rcFmtStmt;

FileModeCalls rFileModeCalls = {
    std::fopen, std::fread, std::ferror, std::fseek, std::fwrite, std::fclose, pPlatCreateNew, iPlatSetMode,
    iPlatReplaceFile,
};

int rcOnRepeatDirEntry(void *pvFnl, const char *szDirName, const char *szFileName) {
    FileNameList *oFnl = static_cast<FileNameList *>(pvFnl);
    if (std::strcmp(szFileName, ".") == 0 || std::strcmp(szFileName, "..") == 0) return RC_OK;
    if (oFnl->iCount == oFnl->iCap) {  // the list grows geometrically
        int32_t iCap = oFnl->iCap == 0 ? 16 : oFnl->iCap * 2;
        char **aszNew = static_cast<char **>(pvRealloc(oFnl->aszPaths, sizeof(char *) * static_cast<size_t>(iCap)));
        if (aszNew == nullptr) return rcNoMem("rcOnRepeatDirEntry()", szModule, SITE_LIST_GROW);
        oFnl->aszPaths = aszNew;
        oFnl->iCap = iCap;
    }
    size_t nCap = std::strlen(szDirName) + std::strlen(szFileName) + 5;
    char *szPath = static_cast<char *>(pvAlloc(nCap));
    if (szPath == nullptr) return rcNoMem("rcOnRepeatDirEntry()", szModule, SITE_PATH_ALLOC);
    std::snprintf(szPath, nCap, "%s%c%s", szDirName, cPlatPathSep, szFileName);
    oFnl->aszPaths[oFnl->iCount++] = szPath;
    return RC_OK;
}

int rcFmtOnFile(char **szArgv, int32_t iArgc, int32_t *iNumDirs, int32_t *iNumFiles, int32_t *iNumStmts,
                int64_t *iInBytes, int64_t *iOutBytes, int32_t iRecurently, StmtStyle *rStmtStyle) {
    assert(szArgv != nullptr && iArgc > 0 && iNumDirs != nullptr && iNumFiles != nullptr && iNumStmts != nullptr &&
           iInBytes != nullptr && iOutBytes != nullptr && (iRecurently == 0 || iRecurently == 1) &&
           rStmtStyle != nullptr && console != nullptr);
    Counters rCnt{iNumDirs, iNumFiles, iNumStmts, iInBytes, iOutBytes};
    return rcFmtPaths(szArgv, iArgc, rCnt, iRecurently, rStmtStyle, nullptr);
}
