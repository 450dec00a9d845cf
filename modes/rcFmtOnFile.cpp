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
#include "plat/platSignal.h"
#include "plat/platStdio.h"
#include "runtime/cDirEntries.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtStmt.h"
#include "modes/rcDumpName.h"
#include "modes/rcExtractStmt.h"
#include "modes/rcRunOptions.h"
#include "modes/rcTextCodec.h"
#include "plat/platConv.h"
#include "formatter/rcFmtLex.h"

namespace {
const char szModule[] = "..\\share\\rcFmtOnFile";
enum {
    SITE_LIST_GROW = 43,
    SITE_PATH_ALLOC = 56,
    SITE_STAT = 270,
    SITE_NAME_LEN = 266,  // a path longer than the platform's file calls take
    SITE_DIR_ENTRIES = 291,
    SITE_FOR_EACH = 298,
    SITE_RECURSE = 322,
    SITE_OPEN = 357,
    SITE_OPEN_READ = 375,  // the file could not be read to its end
    SITE_BINARY = 378,    // a file that holds NUL bytes and is not UTF-16
    SITE_BAD_TEXT = 380,  // a UTF-16 file that is not valid UTF-16, or a UTF-32 file
    SITE_DUMP = 262,      // the file is the dump file of the formatter
    SITE_GROW = 388,
    SITE_OPEN_WRITE = 405,
    SITE_WRITE_TEXT = 436,
    SITE_FMT_SCRIPT = 491,
    SITE_WRITE_SCRIPT = 501,
    SITE_REPLACE = 509,  // the new file could not take the original's mode or name
    SITE_SETTINGS = 260,  // the settings of the file's directory cannot be used
    SITE_RESULT = 512,    // the result cannot be listed or shown
};
enum { TEMP_TRIES = 100 };

struct Counters {
    int32_t *iNumDirs, *iNumFiles, *iNumStmts;
    int64_t *iInBytes, *iOutBytes;
    FileTally *pTally;
};

// Why a path is passed over: each is named on standard error with its reason.
enum PassOver { PASS_UNREADABLE, PASS_NOT_WRITABLE, PASS_OWNER, PASS_DIRECTORY, PASS_NOT_REGULAR, PASS_LOOP };

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

// Each file and directory is named as its turn comes; quiet and check runs name only results.
void vAnnounce(const char *szPath) {
    if (!rRunOptions.iQuiet && !rRunOptions.iCheck) iConPrintf("%s\n", szPath);
}

// Names a path passed over and why, on standard error in every mode (with -q too): a run that
// leaves a path alone says so. A directory link that leads back into the walk is named but not
// counted: its files are walked anyway. Passing over is no failure: returns 0.
int rcPassOver(const char *szPath, PassOver eWhy, const Counters &rCnt) {
    static const char *const *const aszMsgs[] = {&szMsgPassUnreadable, &szMsgPassNotWritable, &szMsgPassOwner,
                                                 &szMsgPassDirectory,  &szMsgPassNotRegular,  &szMsgPassLoop};
    FILE *pOld = console;
    console = stderr;
    iConPrintf(*aszMsgs[eWhy], szWarningPrefix, szPath);
    console = pOld;
    if (eWhy != PASS_LOOP) ++rCnt.pTally->iPassedOver;
    return RC_OK;
}

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
        // Made and named for the interrupt handler in one step: an interrupt removes the new
        // file, and never a file of that name that another made.
        vPlatHoldInterrupts();
        errno = 0;
        *pfp = rFileModeCalls.pfnCreateNew(szTemp);
        int iErr = errno;
        if (*pfp != nullptr) vPlatSetDoomedFile(szTemp);
        vPlatAllowInterrupts();
        if (*pfp != nullptr) return RC_OK;
        if (iErr != EEXIST || iTry + 1 == TEMP_TRIES) return rcOpenFailed(szTemp, iErr, SITE_OPEN_WRITE);
    }
}

// The document: the file's bytes as stored, then its text as the formatter reads it.
struct DocText {
    char *pRaw = nullptr;   // the bytes as stored
    size_t nRaw = 0, capRaw = 0;
    const char *pText = nullptr;  // the text: a UTF-16 file as UTF-8, line ends as stored
    size_t nText = 0;
    char *pOwnText = nullptr;  // the text's own block (UTF-16 as UTF-8), else null: the stored bytes
    TextForm rForm;
    ~DocText() {
        vFree(pRaw);
        vFree(pOwnText);
    }
};

// Reads the file's bytes into pDoc. A file that cannot be read is reported as one that cannot
// be opened: nothing of it is written. The block is made for the size the file had when listed
// (and a read's worth more), so that a file that did not grow since is read in one go.
int rcReadDoc(const char *szPath, int64_t iSize, DocText *pDoc) {
    errno = 0;
    FILE *fp = rFileModeCalls.pfnOpen(szPath, "rb");
    if (fp == nullptr) return rcOpenFailed(szPath, errno, SITE_OPEN);
    ScopeExit closeIn([&] { rFileModeCalls.pfnClose(fp); });
    int iErr = iReadAllBytes(fp, rFileModeCalls.pfnRead, rFileModeCalls.pfnError, &pDoc->pRaw, &pDoc->nRaw,
                             &pDoc->capRaw, iSize > 0 ? static_cast<uint64_t>(iSize) : 0);
    if (iErr == ENOMEM || iErr == EFBIG) return rcNoMem("rcFmtOnFile()", szModule, SITE_GROW);
    if (iErr != 0) return rcOpenFailed(szPath, iErr, SITE_OPEN_READ);
    return RC_OK;
}

// The text of the document: a UTF-16 file as UTF-8, any other file as its bytes, line ends and
// all. The stored bytes stay as they are, to be compared with the result. A UTF-32 file, and a
// file that holds NUL bytes and is not UTF-16 (binary), are refused and stay as they are.
int rcDecodeDoc(const char *szPath, int32_t eWant, DocText *pDoc) {
    int rc = rcTextOfStored(pDoc->pRaw, pDoc->nRaw, eWant, szPath, &pDoc->rForm, &pDoc->pOwnText, &pDoc->nText);
    if (rc == RC_NOMEM) return rcNoMem("rcFmtOnFile()", szModule, SITE_GROW);
    if (rc != RC_OK) return rcFail(rc, SITE_BAD_TEXT);
    if (pDoc->rForm.eUtf16 == 0 && bHoldsNul(pDoc->pRaw, pDoc->nRaw)) {
        iConPrintf(szMsgBinary, szErrorPrefix, szPath);
        return rcFail(RC_BADTEXT, SITE_BINARY);
    }
    pDoc->pText = pDoc->pOwnText != nullptr ? pDoc->pOwnText : pDoc->pRaw;
    return RC_OK;
}

// Formats the document into pOut: a script as one text, the statements of a report or trace
// file one by one. The text is read in the document's own encoding.
int rcFmtDoc(const char *szPath, const DocText &doc, TextWriter *pOut, StmtStyle *rStmtStyle, int32_t *piNumStmts) {
    StmtStyle rDocStyle = *rStmtStyle;
    rDocStyle.iEncoding = doc.rForm.eEncoding;
    int32_t iDocType = iIdentifyDocType(doc.pText, doc.nText);
    if (iDocType == DOC_SCRIPT)
        return rcFmtOneStmt(doc.pText, doc.nText, pOut, szPath, &rDocStyle, piNumStmts, pfnFileFmtStmt, SITE_FMT_SCRIPT,
                            SITE_WRITE_SCRIPT);
    return rcExtractStmts(doc.pText, doc.nText, iDocType, pOut, szPath, &rDocStyle, piNumStmts, pfnFileFmtStmt);
}

// The new file that takes the original's place, beside it: closed and removed on every path
// until it has taken the place. While it stands there, an interrupt removes it.
struct TempFile {
    char *szTemp = nullptr;
    FILE *fp = nullptr;
    bool bCreated = false, bReplaced = false;
    ~TempFile() {
        if (fp != nullptr) rFileModeCalls.pfnClose(fp);
        // A name that could not be created may be another's file and is left alone.
        if (bCreated && !bReplaced) {
            vPlatHoldInterrupts();
            iPlatRemoveNew(szTemp);  // with the original's bits, which may lack the owner's write bit
            vPlatSetDoomedFile(nullptr);
            vPlatAllowInterrupts();
        }
        vFree(szTemp);
    }
};

// Creates the new file beside the file szPath leads to (links followed); *pReal receives that
// file's path.
int rcOpenTemp(const char *szPath, HeapPtr<char> *pReal, TempFile *pTemp) {
    // The resolved path comes from the program's allocator: its failure is a memory failure.
    pReal->reset(static_cast<char *>(pvAlloc(nPlatPathCap)));
    if (*pReal == nullptr) return rcNoMem("rcFmtOnFile()", szModule, SITE_OPEN_WRITE);
    int iErr = iPlatResolvePath(szPath, pReal->get());
    if (iErr != 0) return rcOpenFailed(szPath, iErr, SITE_OPEN_WRITE);
    int rc = rcCreateTemp(pReal->get(), &pTemp->szTemp, &pTemp->fp);
    if (rc != RC_OK) return rc;
    pTemp->bCreated = true;
    return RC_OK;
}

// The new bytes go to a new file beside the original, which takes the original's permission
// bits (and owner where it may), then its name. A failure after the new file's bytes are
// written is reported as a write failure of the original, which is still as it was.
int rcReplaceFile(const char *szPath, const PlatStat &rStat, const char *p, size_t n, int iSiteWrite) {
    HeapPtr<char> real;
    TempFile temp;
    int rc = rcOpenTemp(szPath, &real, &temp);
    if (rc != RC_OK) return rc;
    if (!bWriteAllBytes(temp.fp, rFileModeCalls.pfnWrite, p, n)) return rcWriteFailed(temp.szTemp, errno, iSiteWrite);
    FILE *fpClose = temp.fp;
    temp.fp = nullptr;
    errno = 0;
    if (rFileModeCalls.pfnClose(fpClose) != 0) return rcWriteFailed(temp.szTemp, errno, iSiteWrite);
    int iErr = rFileModeCalls.pfnSetMode(temp.szTemp, &rStat);
    if (iErr != 0) return rcWriteFailed(szPath, iErr, SITE_REPLACE);
    // The new file takes the original's name and is no longer the interrupt's to remove, in one
    // step.
    vPlatHoldInterrupts();
    iErr = rFileModeCalls.pfnReplace(temp.szTemp, real.get());
    if (iErr == 0) {
        temp.bReplaced = true;
        vPlatSetDoomedFile(nullptr);
    }
    vPlatAllowInterrupts();
    if (iErr != 0) return rcWriteFailed(szPath, iErr, SITE_REPLACE);
    return RC_OK;
}

// One file: announced, read, formatted in memory; unless the result equals what the file holds
// (then the file is left alone) it is listed, shown as a diff, or it replaces the file. The
// original is never opened for writing. An empty file has nothing to lay out: it is left as it
// is, unchanged.
int rcFmtFile(const char *szPath, const PlatStat &rStat, const Counters &rCnt, StmtStyle *rStmtStyle) {
    vAnnounce(szPath);
    DocText doc;
    int rc = rcReadDoc(szPath, rStat.iSize, &doc);
    if (rc != RC_OK) return rc;
    if (doc.nRaw == 0) {
        ++rCnt.pTally->iUnchanged;
        return RC_OK;
    }
    HeapPtr<char> dir(static_cast<char *>(pvAlloc(std::strlen(szPath) + 1)));
    if (dir == nullptr) return rcNoMem("rcFmtOnFile()", szModule, SITE_GROW);
    vDirOf(szPath, dir.get(), std::strlen(szPath) + 1);
    StmtStyle rFileStyle;
    int32_t eEol = EOL_KEEP;
    rc = rcStyleFor(dir.get(), rStmtStyle, &rFileStyle, &eEol);
    if (rc != RC_OK) return rcFail(rc, SITE_SETTINGS);
    rc = rcDecodeDoc(szPath, rFileStyle.iEncoding, &doc);
    if (rc != RC_OK) return rc;

    // The formatter writes the chosen line end, and the text around the statements of a report
    // or trace file gets it too.
    rFileStyle.bCrLf = bCrLfFor(eEol, doc.rForm);
    TextWriter out(doc.rForm, rFileStyle.bCrLf);
    int32_t iNumStmts = 0;
    rc = rcFmtDoc(szPath, doc, &out, &rFileStyle, &iNumStmts);
    if (rc != RC_OK) return rc;
    bool bWrite = false;
    rc = rcTakeResult(szPath, doc.pRaw, doc.nRaw, out.p, out.n, &bWrite);
    if (rc != RC_OK) return rcFail(rc, SITE_RESULT);
    if (bWrite) {
        rc = rcReplaceFile(szPath, rStat, out.p, out.n, SITE_WRITE_SCRIPT);
        if (rc != RC_OK) return rc;
    }
    *rCnt.iNumStmts += iNumStmts;
    if (bSameBytes(doc.pRaw, doc.nRaw, out.p, out.n)) {
        ++rCnt.pTally->iUnchanged;
        return RC_OK;
    }
    // Rewritten, or with --check and --diff one that would be.
    *rCnt.iInBytes += static_cast<int64_t>(doc.nRaw);
    *rCnt.iOutBytes += static_cast<int64_t>(out.n);
    ++*rCnt.iNumFiles;
    return RC_OK;
}

// One walk over the named paths: the pass that formats, or, before it, the pass that only
// looks for the dump file of the formatter among the files (pDump set).
struct Walk {
    Counters rCnt;
    StmtStyle *pStyle;
    const DumpName *pDump;
};

// A file the walk meets in the pass that looks for the dump file: refused when it is that file.
int rcCheckFile(const char *szPath, const DumpName &rDump) {
    bool bSame = false;
    if (rcIsDumpFile(rDump, szPath, &bSame) != RC_OK) return rcNoMem("rcFmtOnFile()", szModule, SITE_DUMP);
    return bSame ? rcRefuseDump(rDump, szPath, "rcFmtOnFile()", szModule, SITE_DUMP) : RC_OK;
}

int rcWalkPaths(char **szArgv, int32_t iArgc, const Walk &rWalk, int32_t iRecurently, const DirChain *pChain);

// One directory: announced, its SQL entries collected, sorted and processed, then counted.
int rcWalkDir(const char *szPath, uint64_t uDevId, uint64_t uFileId, const Walk &rWalk, const DirChain *pChain) {
    if (rWalk.pDump == nullptr) vAnnounce(szPath);
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
        int rc = rcWalkPaths(oFnl.aszPaths, oFnl.iCount, rWalk, 1, &rHere);
        if (rc != RC_OK) return rcFail(rc, SITE_RECURSE);
    }
    if (rWalk.pDump == nullptr) ++*rWalk.rCnt.iNumDirs;
    return RC_OK;
}

// After a failure of one path: with --check or --diff the walk goes on (the failure is counted
// and the first one's code kept for the run's status), unless memory ran out or standard output
// cannot be written, which no later path escapes. Returns the code that ends the walk, or 0.
int rcGoOn(int rc, const Walk &rWalk) {
    if (rc == RC_OK) return RC_OK;
    if (rWalk.pDump != nullptr || (!rRunOptions.iCheck && !rRunOptions.iDiff) || rc == RC_NOMEM || rc == RC_WRITE)
        return rc;
    FileTally *pTally = rWalk.rCnt.pTally;
    if (pTally->iFailed++ == 0) pTally->rcFirstFailure = rc;
    return RC_OK;
}

// A path of the pass that looks for the dump file: every file met counts, also one the
// formatting pass would pass over (a dump written over it would remove it). A path that cannot
// be examined is left to the formatting pass, which reports it.
int rcCheckPath(const char *szPath, const Walk &rWalk, int32_t iRecurently, const DirChain *pChain) {
    PlatStat rStat{};
    if (iPlatStat(szPath, &rStat) != 0) return RC_OK;
    if (rStat.iIsReg) return rcCheckFile(szPath, *rWalk.pDump);
    if (iRecurently != 1 || !rStat.iIsDir || iPlatMayRead(szPath, &rStat) != 0) return RC_OK;
    uint64_t uDevId = 0, uFileId = 0;
    if (iPlatFileId(szPath, &uDevId, &uFileId) != 0 || bInChain(pChain, uDevId, uFileId)) return RC_OK;
    return rcWalkDir(szPath, uDevId, uFileId, rWalk, pChain);
}

// A path of the formatting pass: a directory walked (with -r), a file formatted, or the path
// passed over with its reason. Rewriting needs the right to replace the file; --check and
// --diff only read it.
int rcFmtPath(const char *szPath, const Walk &rWalk, int32_t iRecurently, const DirChain *pChain) {
    const Counters &rCnt = rWalk.rCnt;
    size_t nPath = std::strlen(szPath);
    if (nPath > nPlatPathMax) {
        iConPrintf(szMsgNameLen, static_cast<int>(nPath), static_cast<int>(nPlatPathMax), szPath);
        return rcFail(RC_NAMELEN, SITE_NAME_LEN);
    }
    PlatStat rStat{};
    int iErr = iPlatStat(szPath, &rStat);
    if (iErr != 0) return rcOpenFailed(szPath, iErr, SITE_STAT);
    if (rStat.iIsDir) {
        if (iRecurently != 1) return rcPassOver(szPath, PASS_DIRECTORY, rCnt);
        if (iPlatMayRead(szPath, &rStat) != 0) return rcPassOver(szPath, PASS_UNREADABLE, rCnt);
        // The directory's identity belongs to its status: not obtaining it fails the same way.
        uint64_t uDevId = 0, uFileId = 0;
        iErr = iPlatFileId(szPath, &uDevId, &uFileId);
        if (iErr != 0) return rcOpenFailed(szPath, iErr, SITE_STAT);
        if (bInChain(pChain, uDevId, uFileId)) return rcPassOver(szPath, PASS_LOOP, rCnt);
        return rcWalkDir(szPath, uDevId, uFileId, rWalk, pChain);
    }
    if (!rStat.iIsReg) return rcPassOver(szPath, PASS_NOT_REGULAR, rCnt);
    if (iPlatMayRead(szPath, &rStat) != 0) return rcPassOver(szPath, PASS_UNREADABLE, rCnt);
    if (!rRunOptions.iCheck && !rRunOptions.iDiff) {
        iErr = iPlatMayReplace(szPath, &rStat);
        if (iErr == EPERM) return rcPassOver(szPath, PASS_OWNER, rCnt);
        if (iErr != 0) return rcPassOver(szPath, PASS_NOT_WRITABLE, rCnt);
    }
    return rcFmtFile(szPath, rStat, rCnt, rWalk.pStyle);
}

int rcWalkPaths(char **szArgv, int32_t iArgc, const Walk &rWalk, int32_t iRecurently, const DirChain *pChain) {
    for (int32_t i = 0; i < iArgc; ++i) {
        int rc = rWalk.pDump != nullptr ? rcCheckPath(szArgv[i], rWalk, iRecurently, pChain)
                                        : rcFmtPath(szArgv[i], rWalk, iRecurently, pChain);
        rc = rcGoOn(rc, rWalk);
        if (rc != RC_OK) return rc;
    }
    return RC_OK;
}
}  // namespace

PfnFmtStmt pfnFileFmtStmt = rcFmtStmtLen;

FileModeCalls rFileModeCalls = {
    std::fopen, std::fread, std::ferror, std::fwrite, std::fclose, pPlatCreateNew, iPlatCopyAttributes, iPlatReplaceFile,
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
    char *szPath = szJoinPath(szDirName, szFileName);
    if (szPath == nullptr) return rcNoMem("rcOnRepeatDirEntry()", szModule, SITE_PATH_ALLOC);
    oFnl->aszPaths[oFnl->iCount++] = szPath;
    return RC_OK;
}

int rcFmtOnFile(char **szArgv, int32_t iArgc, int32_t *iNumDirs, int32_t *iNumFiles, int32_t *iNumStmts,
                int64_t *iInBytes, int64_t *iOutBytes, int32_t iRecurently, StmtStyle *rStmtStyle, FileTally *pTally) {
    assert(szArgv != nullptr && iArgc > 0 && iNumDirs != nullptr && iNumFiles != nullptr && iNumStmts != nullptr &&
           iInBytes != nullptr && iOutBytes != nullptr && (iRecurently == 0 || iRecurently == 1) &&
           rStmtStyle != nullptr && pTally != nullptr && console != nullptr);
    Counters rCnt{iNumDirs, iNumFiles, iNumStmts, iInBytes, iOutBytes, pTally};
    // An interrupt while a new file stands beside its original removes the new file.
    if (!rRunOptions.iCheck && !rRunOptions.iDiff) vPlatCatchInterrupts();
    // With a dump file named, the whole walk is first made to find it among the files, before
    // any file is touched.
    DumpName dump;
    int rc = rcDumpNameOf(&dump, "rcFmtOnFile()", szModule, SITE_DUMP);
    if (rc != RC_OK) return rc;
    if (dump.szName != nullptr) {
        rc = rcWalkPaths(szArgv, iArgc, Walk{rCnt, rStmtStyle, &dump}, iRecurently, nullptr);
        if (rc != RC_OK) return rc;
    }
    return rcWalkPaths(szArgv, iArgc, Walk{rCnt, rStmtStyle, nullptr}, iRecurently, nullptr);
}
