// The extraction of statements from TKPROF reports and trace files: the first byte chooses the
// document type (bit 0: trace), -j (bit 1) and the formatter (bit 2: a stand-in that puts the
// statement between markers, whose output without the markers must be the input byte for byte;
// else the real formatter). The rest is the document's text, its line ends as stored.
#include "fuzz/fuzzCommon.h"
#include "modes/rcExtractStmt.h"

namespace {
int rcMark(const char *pStmt, size_t n, char **szStmtFmt, StmtStyle *rStmtStyle) {
    char *p = static_cast<char *>(pvAlloc(n + 3));
    if (p == nullptr) return RC_NOMEM;
    p[0] = '\x01';
    std::memcpy(p + 1, pStmt, n);
    p[n + 1] = '\x02';
    *szStmtFmt = p;
    rStmtStyle->iFmtLen = static_cast<int32_t>(n + 2);
    return RC_OK;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vQuietConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nData) {
    if (nData < 1) return 0;
    const bool bMark = (pData[0] & 4) != 0;
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    if (pData[0] & 2) rStyle.iJoinAt = 256;
    const size_t n = nData - 1;
    if (bMark && (std::memchr(pData + 1, '\x01', n) != nullptr || std::memchr(pData + 1, '\x02', n) != nullptr))
        return 0;
    // A heap block of the text's length and a NUL, as file mode reads it: a read beyond is caught.
    HeapPtr<char> text(static_cast<char *>(pvAlloc(nData)));
    if (text == nullptr) return 0;
    std::memcpy(text.get(), pData + 1, n);
    TextWriter out(TextForm{}, false);
    int32_t iNumStmts = 0;
    int rc = rcExtractStmts(text.get(), n, (pData[0] & 1) ? DOC_TRACE : DOC_TKPROF, &out, "fuzz.trc", &rStyle,
                            &iNumStmts, bMark ? rcMark : rcFmtStmtLen);
    if (!bMark || rc != RC_OK) return 0;
    // Back to the text without the markers: the same bytes, but that each CR LF around the
    // statements is written as LF (a statement's own bytes come back as they were).
    const char *pIn = text.get(), *pInEnd = pIn + n;
    bool bInStmt = false;
    for (size_t i = 0; i < out.n; ++i) {
        const char c = out.p[i];
        if (c == '\x01' || c == '\x02') {
            bInStmt = c == '\x01';
            continue;
        }
        if (!bInStmt && c == '\n' && pInEnd - pIn >= 2 && pIn[0] == '\r' && pIn[1] == '\n') ++pIn;
        if (pIn >= pInEnd || *pIn++ != c) std::abort();
    }
    if (pIn != pInEnd) std::abort();
    return 0;
}
