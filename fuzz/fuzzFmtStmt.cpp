// rcFmtStmt under the default options: any text either formats, keeping its non-white bytes
// and its word boundaries, or fails with a code; never a crash, an out-of-bounds access or a leak.
// Given in a block of its own, which the formatter works in, it formats to the same bytes.
#include "fuzz/fuzzCommon.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vQuietConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nData) {
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    int rcCopy = RC_OK;
    std::string sCopy, sGiven;
    vFormatAndCheck(pData, nData, rStyle, &rcCopy, &sCopy);  // the defaults keep keywords and drop empty lines
    const char *p = reinterpret_cast<const char *>(pData);
    if (rcCopy != rcFormatGiven(p, nData, rStyle, &sGiven) || sCopy != sGiven)
        vFinding("a text given in its block formats otherwise than a copy of it");
    return 0;
}
