// rcFmtStmt under the default options: any text either formats, keeping its non-white bytes
// and its word boundaries, or fails with a code; never a crash, an out-of-bounds access or a leak.
#include "fuzz/fuzzCommon.h"
#include "formatter/rcFmtStmt.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vQuietConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nData) {
    HeapPtr<char> szStmt(szHeapText(pData, nData));
    if (szStmt == nullptr) return 0;
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    char *szFmt = nullptr;
    int rc = rcFmtStmt(szStmt.get(), &szFmt, &rStyle);
    HeapPtr<char> fmt(szFmt);
    if (rc == RC_OK) {
        if (szFmt == nullptr || szFmt[rStyle.iFmtLen] != '\0') std::abort();
        vCheckSameNonWhite(szStmt.get(), szFmt, static_cast<size_t>(rStyle.iFmtLen));
        vCheckNoJoin(szStmt.get(), szFmt);
    }
    return 0;
}
