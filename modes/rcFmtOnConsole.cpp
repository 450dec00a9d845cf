#include "modes/rcFmtOnConsole.h"

#include <cassert>
#include <cerrno>
#include <cstring>
#include <utility>

#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtStmt.h"
#include "modes/rcExtractStmt.h"
#include "modes/rcRunOptions.h"
#include "modes/rcTextCodec.h"
#include "plat/platConv.h"
#include "plat/platFile.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

namespace {
const char szModule[] = "..\\share\\rcFmtOnConsole";
enum {
    SITE_GROW = 28,
    SITE_READ = 33,      // standard input could not be read to its end
    SITE_BAD_TEXT = 36,  // UTF-16 input that is not valid UTF-16, or UTF-32 input
    SITE_SETTINGS = 38,  // the settings of the current directory cannot be used
    SITE_FORMAT = 42,
    SITE_EXTRACT = 45,  // the statements of a report or trace file
    SITE_WRITE = 50,
    SITE_KEEP = 55,  // the input could not be written back unchanged
};

int rcFail(int rc, int iLine) { return rcTrail(rc, "rcFmtOnConsole()", szModule, iLine); }

// What one run holds; released on every path.
struct ConsoleRun {
    char *pRaw = nullptr;  // standard input as read
    size_t nRaw = 0, capRaw = 0;
    bool bWhole = false;    // pRaw holds all of standard input, and nothing is written yet
    char *pText = nullptr;  // its text, when it is not pRaw itself: UTF-16 as UTF-8
    char *szStmtFmt = nullptr;
    const char *szName = nullptr;  // the name in messages
    ~ConsoleRun() {
        vFreeInput();
        vFree(szStmtFmt);
    }
    void vFreeInput() {
        vFree(pRaw);
        vFree(pText);
        pRaw = pText = nullptr;
        nRaw = capRaw = 0;
        bWhole = false;
    }
};

int rcWriteFailed(int iErr, const char *szFunc, int iLine) {
    iConPrintf(szMsgWrite, szErrorPrefix, "stdout", std::strerror(iErr), "");
    return rcTrail(RC_WRITE, szFunc, szModule, iLine);
}

// Standard input to its end, into *pRun. A read error is no end of input: a text cut short is
// neither formatted nor written back as if whole. Input from a file on a disk is read into a
// block made at once, a quarter larger than the text: the formatter may take the block for the
// layout's output, which is about that much longer than the text. A block that grows is touched
// twice, and a large one that moves loses its large pages.
int rcReadInput(ConsoleRun *pRun, const char *szFunc) {
    uint64_t uLeft = 0;
    if (iPlatStreamLeft(0, &uLeft) != 0) uLeft = 0;
    int iErr = iReadAllBytes(stdin, std::fread, std::ferror, &pRun->pRaw, &pRun->nRaw, &pRun->capRaw, uLeft,
                             size_t(uLeft / 4) + 65536);
    if (iErr == ENOMEM || iErr == EFBIG) return rcNoMem(szFunc, szModule, SITE_GROW);
    if (iErr != 0) {
        iConPrintf(szMsgOpen, szErrorPrefix, pRun->szName, std::strerror(iErr), "");
        return rcTrail(RC_OPEN, szFunc, szModule, SITE_READ);
    }
    pRun->bWhole = true;
    return RC_OK;
}

// The input's bytes as they came, to standard output.
int rcWriteUnchanged(const char *p, size_t n, const char *szFunc) {
    errno = 0;
    if (!bWriteAllBytes(stdout, std::fwrite, p, n) || std::fflush(stdout) != 0)
        return rcWriteFailed(errno != 0 ? errno : EIO, szFunc, SITE_KEEP);
    return RC_OK;
}

// The text of the input: UTF-16 as UTF-8, anything else as it came, line ends and all. UTF-32
// is refused. The input's own bytes stay as they are, to be compared with the result (--check,
// --diff) or written back (--keep-on-error).
int rcDecodeInput(ConsoleRun *run, int32_t eWant, TextForm *pForm, char **ppText, size_t *pnText) {
    int rc = rcTextOfStored(run->pRaw, run->nRaw, eWant, run->szName, pForm, &run->pText, pnText);
    if (rc == RC_NOMEM) return rcNoMem("rcFmtOnConsole()", szModule, SITE_GROW);
    if (rc != RC_OK) return rcFail(rc, SITE_BAD_TEXT);
    *ppText = run->pText != nullptr ? run->pText : run->pRaw;
    return RC_OK;
}

// A put into the writer failed before anything reached standard output, or while it did.
int rcPutFailed(const TextWriter &out) {
    if (out.bSinkFailed) return rcWriteFailed(out.iErr, "rcFmtOnConsole()", SITE_WRITE);
    if (out.iErr == ENOMEM) return rcNoMem("rcFmtOnConsole()", szModule, SITE_GROW);
    iConPrintf(szMsgBadText, szErrorPrefix, "UTF-16", "stdout");
    return rcFail(RC_BADTEXT, SITE_BAD_TEXT);
}

// Formats the input that run holds and writes, lists or shows the result.
int rcFmtInput(ConsoleRun *run, StmtStyle *rStmtStyle) {
    StmtStyle rTextStyle;
    int32_t eEol = EOL_KEEP;
    char szDir[MAX_PATH_LEN + 1] = "";
    if (rRunOptions.szStdinPath != nullptr) vDirOf(rRunOptions.szStdinPath, szDir, sizeof szDir);
    int rc = rcStyleFor(szDir, rStmtStyle, &rTextStyle, &eEol);
    if (rc != RC_OK) return rcFail(rc, SITE_SETTINGS);
    TextForm rForm;
    char *pText = nullptr;
    size_t nText = 0;
    rc = rcDecodeInput(run, rTextStyle.iEncoding, &rForm, &pText, &nText);
    if (rc != RC_OK) return rc;

    rTextStyle.iEncoding = rForm.eEncoding;
    rTextStyle.bCrLf = bCrLfFor(eEol, rForm);
    const bool bCompare = rRunOptions.iCheck || rRunOptions.iDiff;
    TextWriter out(rForm, rTextStyle.bCrLf);
    const int32_t iDocType = iIdentifyDocType(pText, nText);
    if (iDocType != DOC_SCRIPT) {
        // The whole result is made before any of it goes out: a statement that cannot be found
        // further on leaves standard output empty.
        int32_t iNumStmts = 0;
        rc = rcExtractStmts(pText, nText, iDocType, &out, run->szName, &rTextStyle, &iNumStmts, rcFmtStmtLen);
        if (rc != RC_OK) return rcFail(rc, SITE_EXTRACT);
    } else {
        // Input that nothing reads again (no comparison, no writing back) goes to the formatter,
        // which works in its block instead of a copy.
        if (!bCompare && !rRunOptions.iKeepOnError && run->pText == nullptr) {
            HeapPtr<char> spRaw(run->pRaw);
            const size_t nCap = run->capRaw;
            run->pRaw = nullptr;
            run->vFreeInput();
            rc = rcFmtStmtTake(std::move(spRaw), nText, nCap, &run->szStmtFmt, &rTextStyle);
        } else {
            rc = rcFmtStmtLen(pText, nText, &run->szStmtFmt, &rTextStyle);
        }
        if (rc != RC_OK) return rcFail(rc, SITE_FORMAT);
        rStmtStyle->iFmtLen = rTextStyle.iFmtLen;
        // Without a comparison the input is done with, and the result goes out as it is made.
        if (!bCompare && rForm.eUtf16 == 0) {
            run->vFreeInput();
            out.vSinkTo(stdout);
        }
        if (!out.bPut(run->szStmtFmt, static_cast<size_t>(rTextStyle.iFmtLen))) return rcPutFailed(out);
    }
    if (!out.bFlush()) return rcPutFailed(out);
    if (bCompare) {
        bool bWrite = false;
        rc = rcTakeResult(run->szName, run->pRaw, run->nRaw, out.p, out.n, &bWrite);
        return rc != RC_OK ? rcFail(rc, SITE_WRITE) : RC_OK;
    }
    run->bWhole = false;  // from here on, standard output holds the result
    errno = 0;
    if (!bWriteAllBytes(stdout, std::fwrite, out.p, out.n) || std::fflush(stdout) != 0)
        return rcWriteFailed(errno != 0 ? errno : EIO, "rcFmtOnConsole()", SITE_WRITE);
    return RC_OK;
}
}  // namespace

int rcFmtOnConsole(StmtStyle *rStmtStyle) {
    assert(rStmtStyle != nullptr && console != nullptr);
    ConsoleRun run;
    run.szName = rRunOptions.szStdinPath != nullptr ? rRunOptions.szStdinPath : "stdin";
    int rc = rcReadInput(&run, "rcFmtOnConsole()");
    if (rc != RC_OK) return rc;
    rc = rcFmtInput(&run, rStmtStyle);
    // A failure is reported before the input goes back; the status stays the failure's.
    if (rc != RC_OK && run.bWhole && rRunOptions.iKeepOnError && !rRunOptions.iCheck && !rRunOptions.iDiff)
        rcWriteUnchanged(run.pRaw, run.nRaw, "rcFmtOnConsole()");
    return rc;
}

int rcPassConsoleInput() {
    ConsoleRun run;
    run.szName = rRunOptions.szStdinPath != nullptr ? rRunOptions.szStdinPath : "stdin";
    int rc = rcReadInput(&run, "rcPassConsoleInput()");
    if (rc != RC_OK) return rc;
    return rcWriteUnchanged(run.pRaw, run.nRaw, "rcPassConsoleInput()");
}
