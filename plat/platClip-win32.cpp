#include "plat/platClip.h"

#include <windows.h>

namespace {
HGLOBAL hGlobal(HCLIPTEXT hText) { return reinterpret_cast<HGLOBAL>(hText); }
HCLIPTEXT hClip(HANDLE h) { return reinterpret_cast<HCLIPTEXT>(h); }

bool bHasText() { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }
bool bOpen() { return OpenClipboard(NULL) != FALSE; }
// CF_UNICODETEXT is there whenever any text is: the system converts between the two.
bool bWideText() { return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE; }
HCLIPTEXT hGetText(bool bWide) { return hClip(GetClipboardData(bWide ? CF_UNICODETEXT : CF_TEXT)); }
char *szLock(HCLIPTEXT hText) { return static_cast<char *>(GlobalLock(hGlobal(hText))); }
// NOTE: GlobalUnlock() returns FALSE once the block is no longer locked, which is no failure.
void vUnlock(HCLIPTEXT hText) { GlobalUnlock(hGlobal(hText)); }
size_t nSize(HCLIPTEXT hText) { return GlobalSize(hGlobal(hText)); }
// 0x2002: movable and shareable, as the clipboard wants its blocks.
HCLIPTEXT hAlloc(size_t n) { return hClip(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, n)); }
void vRelease(HCLIPTEXT hText) { GlobalFree(hGlobal(hText)); }
bool bEmpty() { return EmptyClipboard() != FALSE; }
HCLIPTEXT hSetText(HCLIPTEXT hText, bool bWide) {
    return hClip(SetClipboardData(bWide ? CF_UNICODETEXT : CF_TEXT, hGlobal(hText)));
}
bool bClose() { return CloseClipboard() != FALSE; }
}  // namespace

PlatClipApi platClip = {bHasText, bOpen, bWideText, hGetText, szLock, vUnlock, nSize, hAlloc, vRelease, bEmpty, hSetText, bClose};
