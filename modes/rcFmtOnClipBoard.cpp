// Clipboard mode: the clipboard's text, its CR LF line ends read as LF, is formatted as one
// statement and replaces the clipboard's contents with CR LF line ends. Where the clipboard
// holds its text as UTF-16 it is formatted as UTF-8 and goes back as UTF-16.
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
#include "modes/rcReplaceStr.h"
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
    SITE_BAD_TEXT = 46,   // the clipboard's UTF-16 is not valid UTF-16
    SITE_SUB_CR = 55,
    SITE_FORMAT = 78,
    SITE_ADD_CR = 89,
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
    bool bWide = false;          // its text is UTF-16, formatted as UTF-8
    bool bSrcLocked = false;     // the clipboard's own block is locked
    HCLIPTEXT hSrc = nullptr;    // the clipboard's block: never changed or freed here
    HCLIPTEXT hNew = nullptr;    // the new block until the clipboard takes it
    char *szText = nullptr;      // the copy of the clipboard's text
    char *szStmtFmt = nullptr;   // the formatted text
};

// The clipboard's text up to its NUL (or the block's end when it has none), as UTF-8 when the
// block holds UTF-16; a new block in *ppText.
int rcTextOfBlock(bool bWide, const char *pBlock, size_t nSize, char **ppText) {
    if (!bWide) {
        size_t nLen = strnlen(pBlock, nSize);
        *ppText = static_cast<char *>(pvAlloc(nLen + 1));
        if (*ppText == nullptr) return rcNoMem("rcFmtOnClipBoard()", szModule, SITE_COPY);
        std::memcpy(*ppText, pBlock, nLen);
        return RC_OK;
    }
    size_t nLen = 0;
    while (nLen + 1 < nSize && (pBlock[nLen] != '\0' || pBlock[nLen + 1] != '\0')) nLen += 2;
    size_t nText = 0;
    int rc = rcUtf16ToUtf8(pBlock, nLen, CS_UTF16LE, ppText, &nText);
    if (rc == RC_NOMEM) return rcNoMem("rcFmtOnClipBoard()", szModule, SITE_COPY);
    if (rc != RC_OK) {
        iConPrintf(szMsgBadText, szErrorPrefix, "UTF-16LE", "clipboard");
        return rcFail(rc, SITE_BAD_TEXT);
    }
    return RC_OK;
}

// Copies the clipboard's text into run->szText.
int rcCopyText(ClipRun *run) {
    const char *szSrc = platClip.szLock(run->hSrc);
    if (szSrc == nullptr) return rcFail(rcCallFailed(), SITE_LOCK_TEXT);
    run->bSrcLocked = true;
    int rc = rcTextOfBlock(run->bWide, szSrc, platClip.nSize(run->hSrc), &run->szText);
    if (rc != RC_OK) return rc;
    run->bSrcLocked = false;
    platClip.vUnlock(run->hSrc);
    return RC_OK;
}

// Puts run->szStmtFmt with its NUL into a new block for the clipboard, in run->hNew: as UTF-16
// with a NUL unit when the clipboard's text was UTF-16.
int rcFillNewBlock(ClipRun *run) {
    size_t nText = std::strlen(run->szStmtFmt);
    size_t nSize = nText + 1;
    if (run->bWide) {
        nSize = nPlatConvBound(CS_UTF8, CS_UTF16LE, nText) + 2;
        if (nSize < nText) return rcNoMem("rcFmtOnClipBoard()", szModule, SITE_NEW_BLOCK);
    }
    run->hNew = platClip.hAlloc(nSize);
    if (run->hNew == nullptr) return rcFail(rcCallFailed(), SITE_NEW_BLOCK);
    char *p = platClip.szLock(run->hNew);
    if (p == nullptr) return rcFail(rcCallFailed(), SITE_NEW_BLOCK);
    size_t nOut = nText;
    int iConv = 0;
    if (run->bWide)
        iConv = iPlatConvert(CS_UTF8, CS_UTF16LE, run->szStmtFmt, nText, p, nSize - 2, &nOut);
    else
        std::memcpy(p, run->szStmtFmt, nText);
    p[nOut] = '\0';
    if (run->bWide) p[nOut + 1] = '\0';
    platClip.vUnlock(run->hNew);
    if (iConv != 0) {
        iConPrintf(szMsgBadText, szErrorPrefix, "UTF-16LE", "clipboard");
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

    // With --check or --diff the clipboard's text is only compared with the result.
    HeapPtr<char> orig;
    if (rRunOptions.iCheck || rRunOptions.iDiff) {
        orig.reset(static_cast<char *>(pvAlloc(std::strlen(run->szText) + 1)));
        if (orig == nullptr) return rcNoMem("rcFmtOnClipBoard()", szModule, SITE_COPY);
        std::strcpy(orig.get(), run->szText);
    }
    rc = rcReplaceStrSubCr(&run->szText);
    if (rc != RC_OK) return rcFail(rc, SITE_SUB_CR);
    StmtStyle rTextStyle;
    int32_t eEol = EOL_CRLF;  // the clipboard's lines end in CR LF
    rc = rcStyleFor("", rStmtStyle, &rTextStyle, &eEol);
    if (rc != RC_OK) return rcFail(rc, SITE_FORMAT);
    if (run->bWide) rTextStyle.iEncoding = ENC_UTF8;
    rc = rcFmtStmt(run->szText, &run->szStmtFmt, &rTextStyle);
    if (rc != RC_OK) return rcFail(rc, SITE_FORMAT);
    rStmtStyle->iFmtLen = rTextStyle.iFmtLen;
    rc = rcReplaceStrAddCr(&run->szStmtFmt);
    if (rc != RC_OK) return rcFail(rc, SITE_ADD_CR);
    if (orig != nullptr) {
        bool bWrite = false;
        rc = rcTakeResult("clipboard", orig.get(), std::strlen(orig.get()), run->szStmtFmt, std::strlen(run->szStmtFmt), &bWrite);
        if (rc != RC_OK) return rcFail(rc, SITE_FORMAT);
        run->bOpen = false;
        if (!platClip.bClose()) return rcFail(rcCallFailed(), SITE_CLOSE);
        return RC_OK;
    }

    rc = rcFillNewBlock(run);
    if (rc != RC_OK) return rc;
    // Up to here the clipboard's contents are as they were.
    if (!platClip.bEmpty()) return rcFail(rcCallFailed(), SITE_EMPTY);
    if (platClip.hSetText(run->hNew, run->bWide) == nullptr) return rcFail(rcCallFailed(), SITE_SET_TEXT);
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
