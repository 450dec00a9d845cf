// rcFmtStmt with chunk joining (-j) always on, the glue limit from the first byte: a statement
// that arrives cut into lines keeps every byte but its line feeds, with "__" as the only glue.
#include "fuzz/fuzzCommon.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vQuietConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nData) {
    if (nData < 1) return 0;
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    rStyle.iJoinAt = iOptValue(pData[0]);
    if (rStyle.iJoinAt == 0) rStyle.iJoinAt = 256;
    vFormatAndCheck(pData + 1, nData - 1, rStyle);
    return 0;
}
