#include "plat/platClip.h"

#include <windows.h>

namespace {
HGLOBAL hGlobal(HCLIPTEXT hText) { return reinterpret_cast<HGLOBAL>(hText); }
HCLIPTEXT hClip(HANDLE h) { return reinterpret_cast<HCLIPTEXT>(h); }

bool bHasText() { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }
bool bOpen() { return OpenClipboard(NULL) != FALSE; }
HCLIPTEXT hGetText() { return hClip(GetClipboardData(CF_TEXT)); }
char *szLock(HCLIPTEXT hText) { return static_cast<char *>(GlobalLock(hGlobal(hText))); }
// NOTE: GlobalUnlock() returns FALSE once the block is no longer locked, which is no failure.
void vUnlock(HCLIPTEXT hText) { GlobalUnlock(hGlobal(hText)); }
size_t nSize(HCLIPTEXT hText) { return GlobalSize(hGlobal(hText)); }
// 0x2002: movable and shareable, as the clipboard wants its blocks.
HCLIPTEXT hAlloc(size_t n) { return hClip(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, n)); }
void vRelease(HCLIPTEXT hText) { GlobalFree(hGlobal(hText)); }
bool bEmpty() { return EmptyClipboard() != FALSE; }
HCLIPTEXT hSetText(HCLIPTEXT hText) { return hClip(SetClipboardData(CF_TEXT, hGlobal(hText))); }
bool bClose() { return CloseClipboard() != FALSE; }
}  // namespace

PlatClipApi platClip = {bHasText, bOpen, hGetText, szLock, vUnlock, nSize, hAlloc, vRelease, bEmpty, hSetText, bClose};
