// The extraction of statements from TKPROF reports and trace files, with the real formatter:
// the first byte chooses the document type, the rest is the document's text (CR LF already
// read as LF). The output goes to the null device.
#include "fuzz/fuzzCommon.h"
#include "quorva/rcFmtStmt.h"
#include "share/rcExtractStmt.h"

namespace {
FILE *fpOut = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vQuietConsole();
    fpOut = std::fopen("/dev/null", "wb");
    if (fpOut == nullptr) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nData) {
    if (nData < 1) return 0;
    int32_t iDocType = (pData[0] & 1) ? DOC_TRACE : DOC_TKPROF;
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    if (pData[0] & 2) rStyle.iJoinAt = 256;
    // The text is a heap block of its length and a NUL, as file mode reads it: a read beyond
    // that is caught.
    HeapPtr<char> text(static_cast<char *>(pvAlloc(nData)));
    if (text == nullptr) return 0;
    std::memcpy(text.get(), pData + 1, nData - 1);
    static TextWriter rOut(nullptr);
    rOut.fp = fpOut;
    rOut.n = 0;
    rOut.iRawBytes = 0;
    int32_t iNumStmts = 0;
    rcExtractStmts(text.get(), nData - 1, iDocType, &rOut, "fuzz.trc", &rStyle, &iNumStmts, rcFmtStmt);
    return 0;
}
