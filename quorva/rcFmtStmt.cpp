// Minimal entry until the formatter lands: the statement is returned unchanged.
#include "quorva/rcFmtStmt.h"

#include <cstring>

#include "quorva/psGlobals.h"

int rcFmtStmt(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    size_t n = std::strlen(szStmt);
    char *p = static_cast<char *>(pvAlloc(n + 1));
    *szStmtFmt = p;
    if (p == nullptr) return rcNoMem("rcFmtStmt()", ".\\rcFmtStmt", 1480);
    std::memcpy(p, szStmt, n);
    rStmtStyle->iFmtLen = static_cast<int32_t>(n);
    return RC_OK;
}
