#include "modes/rcFmtOnConsole.h"

#include <cassert>
#include <cerrno>
#include <cstring>

#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtStmt.h"
#include "modes/rcRunOptions.h"
#include "modes/rcTextCodec.h"
#include "plat/platConv.h"
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
    SITE_WRITE = 50,
};

int rcFail(int rc, int iLine) { return rcTrail(rc, "rcFmtOnConsole()", szModule, iLine); }

// What one run holds; released on every path.
struct ConsoleRun {
    char *pRaw = nullptr;  // standard input as read
    size_t nRaw = 0, capRaw = 0;
    char *pText = nullptr;  // its text, when it is not pRaw itself: UTF-16 as UTF-8
    char *szStmtFmt = nullptr;
    ~ConsoleRun() {
        vFreeInput();
        vFree(szStmtFmt);
    }
    void vFreeInput() {
        vFree(pRaw);
        vFree(pText);
        pRaw = pText = nullptr;
        nRaw = capRaw = 0;
    }
};

int rcWriteFailed(int iErr) {
    iConPrintf(szMsgWrite, szErrorPrefix, "stdout", std::strerror(iErr), "");
    return rcFail(RC_WRITE, SITE_WRITE);
}

// The text of the input: UTF-16 as UTF-8, anything else as it came, line ends and all. UTF-32
// is refused. The input's own bytes stay as they are, to be compared with the result (--check,
// --diff).
int rcDecodeInput(ConsoleRun *run, int32_t eWant, TextForm *pForm, char **ppText, size_t *pnText) {
    size_t nBom = 0;
    vTextFormOf(run->pRaw, run->nRaw, eWant, 0, pForm, &nBom);
    char *pText = run->pRaw;
    size_t nText = run->nRaw;
    if (pForm->bUtf32) {
        iConPrintf(szMsgBadText, szErrorPrefix, "UTF-32", "stdin");
        return rcFail(RC_BADTEXT, SITE_BAD_TEXT);
    }
    if (pForm->eUtf16 != 0) {
        int rc = rcUtf16ToUtf8(run->pRaw + nBom, run->nRaw - nBom, pForm->eUtf16, &run->pText, &nText);
        if (rc == RC_NOMEM) return rcNoMem("rcFmtOnConsole()", szModule, SITE_GROW);
        if (rc != RC_OK) {
            iConPrintf(szMsgBadText, szErrorPrefix, pForm->eUtf16 == CS_UTF16LE ? "UTF-16LE" : "UTF-16BE", "stdin");
            return rcFail(RC_BADTEXT, SITE_BAD_TEXT);
        }
        pText = run->pText;
    }
    pForm->bCrLf = bCrLfText(pText, nText);
    *pnText = nText;
    *ppText = pText;
    return RC_OK;
}
}  // namespace

int rcFmtOnConsole(StmtStyle *rStmtStyle) {
    assert(rStmtStyle != nullptr && console != nullptr);
    ConsoleRun run;
    int iErr = iReadAllBytes(stdin, std::fread, std::ferror, &run.pRaw, &run.nRaw, &run.capRaw);
    if (iErr == ENOMEM || iErr == EFBIG) return rcNoMem("rcFmtOnConsole()", szModule, SITE_GROW);
    if (iErr != 0) {
        // A read error is no end of input: a statement cut short must not be formatted as if whole.
        iConPrintf(szMsgOpen, szErrorPrefix, "stdin", std::strerror(iErr), "");
        return rcFail(RC_OPEN, SITE_READ);
    }
    StmtStyle rTextStyle;
    int32_t eEol = EOL_KEEP;
    int rc = rcStyleFor("", rStmtStyle, &rTextStyle, &eEol);
    if (rc != RC_OK) return rcFail(rc, SITE_SETTINGS);
    TextForm rForm;
    char *pText = nullptr;
    size_t nText = 0;
    rc = rcDecodeInput(&run, rTextStyle.iEncoding, &rForm, &pText, &nText);
    if (rc != RC_OK) return rc;

    rTextStyle.iEncoding = rForm.eEncoding;
    rTextStyle.bCrLf = bCrLfFor(eEol, rForm);
    rc = rcFmtStmtLen(pText, nText, &run.szStmtFmt, &rTextStyle);
    if (rc != RC_OK) return rcFail(rc, SITE_FORMAT);
    rStmtStyle->iFmtLen = rTextStyle.iFmtLen;

    // Without a comparison the input is done with, and the result goes out as it is made.
    const bool bCompare = rRunOptions.iCheck || rRunOptions.iDiff;
    TextWriter out(rForm, rTextStyle.bCrLf);
    if (!bCompare && rForm.eUtf16 == 0) {
        run.vFreeInput();
        out.vSinkTo(stdout);
    }
    if (!out.bPut(run.szStmtFmt, static_cast<size_t>(rTextStyle.iFmtLen)) || !out.bFlush()) {
        if (out.bSinkFailed) return rcWriteFailed(out.iErr);
        if (out.iErr == ENOMEM) return rcNoMem("rcFmtOnConsole()", szModule, SITE_GROW);
        iConPrintf(szMsgBadText, szErrorPrefix, "UTF-16", "stdout");
        return rcFail(RC_BADTEXT, SITE_BAD_TEXT);
    }
    if (bCompare) {
        bool bWrite = false;
        rc = rcTakeResult("stdin", run.pRaw, run.nRaw, out.p, out.n, &bWrite);
        return rc != RC_OK ? rcFail(rc, SITE_WRITE) : RC_OK;
    }
    if (!bWriteAllBytes(stdout, std::fwrite, out.p, out.n) || std::fflush(stdout) != 0) return rcWriteFailed(errno);
    return RC_OK;
}
