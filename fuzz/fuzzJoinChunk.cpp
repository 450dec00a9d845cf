// rcJoinStmtChunk on any text with any glue limit (the first byte): the result never grows and
// keeps every byte other than the line feeds it drops and the "__" glue it puts in.
#include "fuzz/fuzzCommon.h"
#include "formatter/rcFmtInternal.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vQuietConsole();
    pfnIsLeadByte = iIsLeadByte;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nData) {
    if (nData < 1) return 0;
    uint32_t iJoinAt = static_cast<uint32_t>(iOptValue(pData[0]));
    HeapPtr<char> szIn(szHeapText(pData + 1, nData - 1));
    if (szIn == nullptr) return 0;
    size_t nIn = std::strlen(szIn.get());
    char *szText = szHeapText(reinterpret_cast<const uint8_t *>(szIn.get()), nIn);
    if (szText == nullptr) return 0;
    int rc = rcJoinStmtChunk(&szText, iJoinAt);
    HeapPtr<char> out(szText);
    if (rc != RC_OK) return 0;
    size_t nOut = std::strlen(szText);
    if (nOut > nIn) std::abort();
    // Every byte other than LF and '_' comes through in order.
    const char *p = szIn.get(), *q = szText;
    for (;;) {
        while (*p == '\n' || *p == '_') ++p;
        while (*q == '\n' || *q == '_') ++q;
        if (*p != *q) std::abort();
        if (*p == '\0') break;
        ++p;
        ++q;
    }
    return 0;
}
