// rcFmtStmt under option values taken from the first four input bytes (-i, -c, -s, -j), the
// extremes that the command line lets through included.
#include "fuzz/fuzzCommon.h"
#include "formatter/rcFmtStmt.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vQuietConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nData) {
    StmtStyle rStyle;
    if (!bStyleFromBytes(&pData, &nData, &rStyle)) return 0;
    HeapPtr<char> szStmt(szHeapText(pData, nData));
    if (szStmt == nullptr) return 0;
    char *szFmt = nullptr;
    int rc = rcFmtStmt(szStmt.get(), &szFmt, &rStyle);
    HeapPtr<char> fmt(szFmt);
    if (rc == RC_OK) {
        if (szFmt == nullptr || szFmt[rStyle.iFmtLen] != '\0') std::abort();
        // Joining glues some chunks with "__"; without it the non-white bytes are kept.
        if (rStyle.iJoinAt == 0) {
            vCheckSameNonWhite(szStmt.get(), szFmt, static_cast<size_t>(rStyle.iFmtLen));
            vCheckNoJoin(szStmt.get(), szFmt);
        }
    }
    return 0;
}
