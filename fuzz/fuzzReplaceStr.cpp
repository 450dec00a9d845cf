// The line-end conversions of clipboard mode, checked against a plain one-pass reference: the CR
// of every CR LF dropped (but a CR at the first position), and a CR put before every bare LF
// (but a LF at the first position).
#include <string>

#include "fuzz/fuzzCommon.h"
#include "modes/rcReplaceStr.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vQuietConsole();
    return 0;
}

namespace {
void vExpect(int (*pfnOp)(char **), const char *szIn, const std::string &sWant) {
    const size_t n = std::strlen(szIn);
    char *szText = static_cast<char *>(pvAlloc(n + 1));
    if (szText == nullptr) return;
    std::memcpy(szText, szIn, n);
    int rc = pfnOp(&szText);
    HeapPtr<char> got(szText);
    if (rc == RC_OK && sWant != szText) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nData) {
    const std::string s(reinterpret_cast<const char *>(pData), strnlen(reinterpret_cast<const char *>(pData), nData));
    std::string sSub, sAdd;
    for (size_t i = 0; i < s.size(); ++i) {
        if (!(i >= 1 && s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) sSub += s[i];
        sAdd += s[i];
        if (s[i] != '\r' && i + 1 < s.size() && s[i + 1] == '\n') sAdd += '\r';
    }
    vExpect(rcReplaceStrSubCr, s.c_str(), sSub);
    vExpect(rcReplaceStrAddCr, s.c_str(), sAdd);
    return 0;
}
