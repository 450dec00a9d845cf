// rcFmtStmt under option values taken from the first five input bytes (-i, -c, -s, -j,
// --encoding with --eol, --keyword-case and --blank-lines), the extremes that the command line lets through
// included.
#include "fuzz/fuzzCommon.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vQuietConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nData) {
    StmtStyle rStyle;
    if (bStyleFromBytes(&pData, &nData, &rStyle)) vFormatAndCheck(pData, nData, rStyle);
    return 0;
}
