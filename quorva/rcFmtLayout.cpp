// TEMPORARY stand-in for the layout passes, so that the formatter links and runs while the
// real layout engine is written: the normalised text is handed out as it stands. The real
// rcFmtLayout.cpp replaces this file whole.
#include <cstring>

#include "quorva/msgCatalog.h"
#include "quorva/psGlobals.h"
#include "quorva/rcFmtInternal.h"

int rcLayoutStmt(FmtWork *pWork, char **szStmtFmt, const StmtStyle *rStmtStyle, int32_t *piFmtLen) {
    size_t n = static_cast<size_t>(pWork->szTail - pWork->ssSrc);
    char *p = static_cast<char *>(pvAlloc(n + 1));
    *szStmtFmt = p;
    if (p == nullptr) {
        iConPrintf(szMsgNoMem, szErrorPrefix);
        pWork->iSite = 1480;
        return RC_NOMEM;
    }
    std::memcpy(p, pWork->ssSrc, n);
    *piFmtLen = static_cast<int32_t>(n);
    return RC_OK;
}
