// rcFmtStmt under the default options: any text either formats, keeping its non-white bytes
// and its word boundaries, or fails with a code; never a crash, an out-of-bounds access or a leak.
#include "fuzz/fuzzCommon.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vQuietConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nData) {
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    vFormatAndCheck(pData, nData, rStyle);
    return 0;
}
