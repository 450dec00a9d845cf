// rcReplaceStr through both of its uses, checked against a plain one-pass reference: the CR of
// every CR LF dropped (but a CR at the first position), and a CR put before every bare LF (but
// a LF at the first position).
#include "fuzz/fuzzCommon.h"
#include "modes/rcReplaceStr.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vQuietConsole();
    return 0;
}

namespace {
void vExpectSame(const char *szGot, const char *szWant) {
    if (std::strcmp(szGot, szWant) != 0) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nData) {
    HeapPtr<char> szIn(szHeapText(pData, nData));
    if (szIn == nullptr) return 0;
    const char *s = szIn.get();
    size_t n = std::strlen(s);

    HeapPtr<char> want(static_cast<char *>(pvAlloc(2 * n + 1)));
    if (want == nullptr) return 0;
    char *d = want.get();
    for (size_t i = 0; i < n; ++i)
        if (!(i >= 1 && s[i] == '\r' && s[i + 1] == '\n')) *d++ = s[i];
    *d = '\0';
    char *szText = szHeapText(pData, n);
    if (szText == nullptr) return 0;
    int rc = rcReplaceStrSubCr(&szText);
    HeapPtr<char> got(szText);
    if (rc == RC_OK) vExpectSame(szText, want.get());

    d = want.get();
    for (size_t i = 0; i < n; ++i) {
        *d++ = s[i];
        if (s[i] != '\r' && s[i + 1] == '\n') *d++ = '\r';
    }
    *d = '\0';
    szText = szHeapText(pData, n);
    if (szText == nullptr) return 0;
    rc = rcReplaceStrAddCr(&szText);
    HeapPtr<char> got2(szText);
    if (rc == RC_OK) vExpectSame(szText, want.get());
    return 0;
}
