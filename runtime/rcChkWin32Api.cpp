#include "runtime/rcChkWin32Api.h"

#include "plat/platError.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

namespace {
const char szModule[] = ".\\rcChkWin32Api";
enum { SITE_FAILED = 30 };
}  // namespace

int rcReportWin32Error(unsigned uErr) {
    char *szText = szPlatErrorText(uErr);
    iConPrintf(szMsgWin32, szErrorPrefix, uErr, szText != nullptr ? szText : "\n");
    vPlatFreeErrorText(szText);
    return rcTrail(RC_WIN32, "rcChkWin32Api()", szModule, SITE_FAILED);
}

int rcChkWin32Api(int iFailed) {
    if (iFailed == 0) return RC_OK;
    uint32_t uErr = uPlatLastError();
    if (uErr == uPlatErrHandleEof) return RC_OK;
    return rcReportWin32Error(uErr);
}
