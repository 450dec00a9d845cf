// Clipboard mode: the clipboard's text, line ends and all, is formatted as one statement and
// replaces the clipboard's contents; the formatter writes the line end the run chooses. Where
// the clipboard holds its text as UTF-16 it is formatted as UTF-8 and goes back as UTF-16.
#include "modes/rcFmtOnClipBoard.h"

#include <cassert>
#include <cstring>

#include "plat/platClip.h"
#include "plat/platError.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "runtime/rcChkWin32Api.h"
#include "formatter/rcFmtStmt.h"
#include "formatter/rcFmtLex.h"
#include "modes/rcRunOptions.h"
#include "modes/rcTextCodec.h"
#include "plat/platConv.h"

namespace {
const char szModule[] = "..\\share\\rcFmtOnClipBoard";
enum {
    SITE_NO_TEXT = 28,
    SITE_OPEN = 32,
    SITE_GET_TEXT = 37,
    SITE_LOCK_TEXT = 40,  // the clipboard's block cannot be locked
    SITE_COPY = 43,
    SITE_BAD_TEXT = 46,   // the clipboard's UTF-16 is not valid UTF-16, or its bytes are UTF-32
    SITE_FORMAT = 78,
    SITE_NEW_BLOCK = 93,  // the new block cannot be had or locked
    SITE_EMPTY = 98,
    SITE_SET_TEXT = 102,
    SITE_CLOSE = 107,
};

int rcFail(int rc, int iLine) { return rcTrail(rc, "rcFmtOnClipBoard()", szModule, iLine); }

// A clipboard call has failed: its report. A failed call stays a failure even when its last
// error reads as end-of-file, which rcChkWin32Api lets pass.
int rcCallFailed() {
    int rc = rcChkWin32Api(1);
    return rc != RC_OK ? rc : rcReportWin32Error(uPlatLastError());
}

// What a run holds; released in one place after the failure report.
struct ClipRun {
    bool bOpen = false;          // the clipboard is open
    bool bWide = false;          // the clipboard holds its text as UTF-16 (Windows)
    bool bSrcLocked = false;     // the clipboard's own block is locked
    HCLIPTEXT hSrc = nullptr;    // the clipboard's block: never changed or freed here
    HCLIPTEXT hNew = nullptr;    // the new block until the clipboard takes it
    TextForm rForm;              // how the text is stored: UTF-16 (formatted as UTF-8) or bytes
    char *szText = nullptr;      // the copy of the clipboard's text
    char *szStmtFmt = nullptr;   // the formatted text
};

// The clipboard's text as the formatter reads it, a new block in run->szText. A UTF-16 block
// (Windows) is read up to its NUL unit. A block of bytes is read as the other run modes read
// bytes: UTF-32 is refused; UTF-16, with its byte order mark or known by its NUL pattern, is
// read up to its NUL unit; any other text up to its NUL (or the block's end when it has none).
int rcTextOfBlock(ClipRun *run, const char *pBlock, size_t nSize) {
    size_t nBom = 0;
    if (run->bWide) {
        run->rForm = TextForm{};
        run->rForm.eUtf16 = CS_UTF16LE;
        run->rForm.eEncoding = ENC_UTF8;  // read as the UTF-8 it is converted to
    } else {
        // The NUL that ends the block is no part of the text whose form is looked at.
        vTextFormOf(pBlock, nSize > 0 && pBlock[nSize - 1] == '\0' ? nSize - 1 : nSize, ENC_AUTO, 0, &run->rForm, &nBom);
    }
    if (run->rForm.bUtf32) {
        iConPrintf(szMsgBadText, szErrorPrefix, "UTF-32", "clipboard");
        return rcFail(RC_BADTEXT, SITE_BAD_TEXT);
    }
    size_t nText = 0;
    if (run->rForm.eUtf16 == 0) {
        nText = strnlen(pBlock, nSize);
        run->szText = static_cast<char *>(pvAlloc(nText + 1));
        if (run->szText == nullptr) return rcNoMem("rcFmtOnClipBoard()", szModule, SITE_COPY);
        std::memcpy(run->szText, pBlock, nText);
    } else {
        size_t nLen = nBom;
        while (nLen + 1 < nSize && (pBlock[nLen] != '\0' || pBlock[nLen + 1] != '\0')) nLen += 2;
        int rc = rcUtf16ToUtf8(pBlock + nBom, nLen - nBom, run->rForm.eUtf16, &run->szText, &nText);
        if (rc == RC_NOMEM) return rcNoMem("rcFmtOnClipBoard()", szModule, SITE_COPY);
        if (rc != RC_OK) {
            iConPrintf(szMsgBadText, szErrorPrefix, szUtf16Name(run->rForm.eUtf16), "clipboard");
            return rcFail(rc, SITE_BAD_TEXT);
        }
    }
    run->rForm.bCrLf = bCrLfText(run->szText, nText, run->rForm.eEncoding);
    return RC_OK;
}

// Copies the clipboard's text into run->szText.
int rcCopyText(ClipRun *run) {
    const char *szSrc = platClip.szLock(run->hSrc);
    if (szSrc == nullptr) return rcFail(rcCallFailed(), SITE_LOCK_TEXT);
    run->bSrcLocked = true;
    int rc = rcTextOfBlock(run, szSrc, platClip.nSize(run->hSrc));
    if (rc != RC_OK) return rc;
    run->bSrcLocked = false;
    platClip.vUnlock(run->hSrc);
    return RC_OK;
}

// Puts run->szStmtFmt into a new block for the clipboard, in run->hNew, in the form the text
// came in: bytes with a NUL, or UTF-16 of its byte order (its byte order mark first where it had
// one) with a NUL unit.
int rcFillNewBlock(ClipRun *run) {
    const size_t nText = std::strlen(run->szStmtFmt);
    const bool bUtf16 = run->rForm.eUtf16 != 0;
    const size_t nBom = run->rForm.bBom ? 2 : 0;
    size_t nSize = nText + 1;
    if (bUtf16) {
        nSize = nPlatConvBound(CS_UTF8, static_cast<PlatCodeset>(run->rForm.eUtf16), nText) + nBom + 2;
        if (nSize < nText) return rcNoMem("rcFmtOnClipBoard()", szModule, SITE_NEW_BLOCK);
    }
    run->hNew = platClip.hAlloc(nSize);
    if (run->hNew == nullptr) return rcFail(rcCallFailed(), SITE_NEW_BLOCK);
    char *p = platClip.szLock(run->hNew);
    if (p == nullptr) return rcFail(rcCallFailed(), SITE_NEW_BLOCK);
    size_t nOut = nText;
    int iConv = 0;
    if (bUtf16) {
        if (nBom != 0) std::memcpy(p, run->rForm.eUtf16 == CS_UTF16LE ? "\xFF\xFE" : "\xFE\xFF", 2);
        iConv = iPlatConvert(CS_UTF8, static_cast<PlatCodeset>(run->rForm.eUtf16), run->szStmtFmt, nText, p + nBom,
                             nSize - nBom - 2, &nOut);
        nOut += nBom;
    } else {
        std::memcpy(p, run->szStmtFmt, nText);
    }
    p[nOut] = '\0';
    if (bUtf16) p[nOut + 1] = '\0';
    platClip.vUnlock(run->hNew);
    if (iConv != 0) {
        iConPrintf(szMsgBadText, szErrorPrefix, szUtf16Name(run->rForm.eUtf16), "clipboard");
        return rcFail(RC_BADTEXT, SITE_BAD_TEXT);
    }
    return RC_OK;
}

// The steps in their order; on a failure the report is written and the code returned, and
// the caller releases what run holds.
int rcRunSteps(ClipRun *run, StmtStyle *rStmtStyle) {
    if (!platClip.bHasText()) return rcFail(rcCallFailed(), SITE_NO_TEXT);
    if (!platClip.bOpen()) return rcFail(rcCallFailed(), SITE_OPEN);
    run->bOpen = true;
    run->bWide = platClip.bWideText();
    run->hSrc = platClip.hGetText(run->bWide);
    if (run->hSrc == nullptr) return rcFail(rcCallFailed(), SITE_GET_TEXT);
    int rc = rcCopyText(run);
    if (rc != RC_OK) return rc;

    StmtStyle rTextStyle;
    int32_t eEol = EOL_KEEP;
    rc = rcStyleFor("", rStmtStyle, &rTextStyle, &eEol);
    if (rc != RC_OK) return rcFail(rc, SITE_FORMAT);
    if (run->rForm.eUtf16 != 0) rTextStyle.iEncoding = ENC_UTF8;
    rTextStyle.bCrLf = bCrLfFor(eEol, run->rForm);
    rc = rcFmtStmt(run->szText, &run->szStmtFmt, &rTextStyle);
    if (rc != RC_OK) return rcFail(rc, SITE_FORMAT);
    rStmtStyle->iFmtLen = rTextStyle.iFmtLen;
    // With --check or --diff the clipboard's text is only compared with the result.
    if (rRunOptions.iCheck || rRunOptions.iDiff) {
        bool bWrite = false;
        rc = rcTakeResult("clipboard", run->szText, std::strlen(run->szText), run->szStmtFmt,
                          std::strlen(run->szStmtFmt), &bWrite);
        if (rc != RC_OK) return rcFail(rc, SITE_FORMAT);
        run->bOpen = false;
        if (!platClip.bClose()) return rcFail(rcCallFailed(), SITE_CLOSE);
        return RC_OK;
    }

    rc = rcFillNewBlock(run);
    if (rc != RC_OK) return rc;
    // Up to here the clipboard's contents are as they were.
    if (!platClip.bEmpty()) return rcFail(rcCallFailed(), SITE_EMPTY);
    if (platClip.hSetText(run->hNew, run->rForm.eUtf16 != 0) == nullptr) return rcFail(rcCallFailed(), SITE_SET_TEXT);
    run->hNew = nullptr;  // the clipboard's now
    run->bOpen = false;
    if (!platClip.bClose()) return rcFail(rcCallFailed(), SITE_CLOSE);
    return RC_OK;
}
}  // namespace

int rcFmtOnClipBoard(StmtStyle *rStmtStyle) {
    assert(rStmtStyle != nullptr && console != nullptr);
    ClipRun run;
    int rc = rcRunSteps(&run, rStmtStyle);
    if (run.bSrcLocked) platClip.vUnlock(run.hSrc);
    if (run.bOpen) rcChkWin32Api(!platClip.bClose());  // a failure is reported, nothing else changes
    if (run.hNew != nullptr) platClip.vRelease(run.hNew);  // never handed over
    vFree(run.szText);
    vFree(run.szStmtFmt);
    return rc;
}
