#include "modes/rcFmtOnConsole.h"

#include <cassert>
#include <cerrno>
#include <cstring>

#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtStmt.h"
#include "modes/rcTextCodec.h"
#include "plat/platConv.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

namespace {
const char szModule[] = "..\\share\\rcFmtOnConsole";
enum {
    SITE_GROW = 28,
    SITE_READ = 33,      // standard input could not be read to its end
    SITE_BAD_TEXT = 36,  // UTF-16 input that is not valid UTF-16
    SITE_FORMAT = 42,
    SITE_WRITE = 50,
};

int rcFail(int rc, int iLine) { return rcTrail(rc, "rcFmtOnConsole()", szModule, iLine); }

// What one run holds; released on every path.
struct ConsoleRun {
    char *pRaw = nullptr;  // standard input as read
    size_t nRaw = 0, capRaw = 0;
    char *pWide = nullptr;  // the text of UTF-16 input, as UTF-8
    char *szStmtFmt = nullptr;
    ~ConsoleRun() {
        vFree(pRaw);
        vFree(pWide);
        vFree(szStmtFmt);
    }
};

// The text of the input: UTF-16 as UTF-8, anything else as it came; line ends LF.
int rcDecodeInput(ConsoleRun *run, int32_t eWant, TextForm *pForm, const char **ppText, size_t *pnText) {
    size_t nBom = 0;
    vTextFormOf(run->pRaw, run->nRaw, eWant, 0, pForm, &nBom);
    char *pText = run->pRaw;
    size_t nText = run->nRaw;
    if (pForm->eUtf16 != 0) {
        int rc = rcUtf16ToUtf8(run->pRaw + nBom, run->nRaw - nBom, pForm->eUtf16, &run->pWide, &nText);
        if (rc == RC_NOMEM) return rcNoMem("rcFmtOnConsole()", szModule, SITE_GROW);
        if (rc != RC_OK) {
            iConPrintf(szMsgBadText, szErrorPrefix, pForm->eUtf16 == CS_UTF16LE ? "UTF-16LE" : "UTF-16BE", "stdin");
            return rcFail(RC_BADTEXT, SITE_BAD_TEXT);
        }
        pText = run->pWide;
    }
    *pnText = nCrLfToLf(pText, nText);
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
    TextForm rForm;
    const char *pText = nullptr;
    size_t nText = 0;
    int rc = rcDecodeInput(&run, rStmtStyle->iEncoding, &rForm, &pText, &nText);
    if (rc != RC_OK) return rc;

    StmtStyle rTextStyle = *rStmtStyle;
    rTextStyle.iEncoding = rForm.eEncoding;
    rc = rcFmtStmtLen(pText, nText, &run.szStmtFmt, &rTextStyle);
    if (rc != RC_OK) return rcFail(rc, SITE_FORMAT);
    rStmtStyle->iFmtLen = rTextStyle.iFmtLen;

    TextWriter out(stdout, rForm, std::fwrite);
    if (!out.bPut(run.szStmtFmt, static_cast<size_t>(rTextStyle.iFmtLen)) || !out.bFlush() || std::fflush(stdout) != 0) {
        iConPrintf(szMsgWrite, szErrorPrefix, "stdout", std::strerror(out.iErr != 0 ? out.iErr : errno), "");
        return rcFail(RC_WRITE, SITE_WRITE);
    }
    return RC_OK;
}
