// The clipboard's plain text, in the terms of the Windows clipboard: a text block is reached
// through a handle, locked to read or fill it, and handed over to the clipboard.
//
// Every call that fails leaves the platform's last error (platError.h) as the one to report.
// The calls go through a record of function pointers so that tests can put in failures.
#pragma once
#include <cstddef>

struct PlatClipBlock;  // a text block: the clipboard's own, or a new one for it
typedef PlatClipBlock *HCLIPTEXT;

struct PlatClipApi {
    bool (*bHasText)();                       // is plain text on the clipboard?
    bool (*bOpen)();                          // open the clipboard, no owner window
    // Whether the open clipboard holds its text as UTF-16 (little-endian, with a NUL unit at
    // its end) rather than as bytes: Windows does, and then no character is lost to a code page.
    bool (*bWideText)();
    HCLIPTEXT (*hGetText)(bool bWide);        // the clipboard's text block; null on failure
    char *(*szLock)(HCLIPTEXT hText);         // the block's bytes; null on failure
    void (*vUnlock)(HCLIPTEXT hText);
    size_t (*nSize)(HCLIPTEXT hText);         // the block's size in bytes
    HCLIPTEXT (*hAlloc)(size_t nSize);        // a new block for the clipboard; null on failure
    void (*vRelease)(HCLIPTEXT hText);        // frees a new block that was not handed over
    bool (*bEmpty)();                         // discard the clipboard's contents
    // Hands a new block over: a text up to its NUL, or with bWide UTF-16 up to its NUL unit
    // (Windows: little-endian, without a byte order mark; POSIX: the bytes go to the tool as
    // they are, of either byte order). Null on failure, and the block stays the caller's.
    HCLIPTEXT (*hSetText)(HCLIPTEXT hText, bool bWide);
    bool (*bClose)();
};

// The platform's clipboard.
extern PlatClipApi platClip;
