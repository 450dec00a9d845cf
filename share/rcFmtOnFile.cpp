// Placeholder until file mode lands: it refuses, never a silent success.
#include "share/rcFmtOnFile.h"

#include "quorva/msgCatalog.h"
#include "quorva/psGlobals.h"

int rcFmtOnFile(char **szArgv, int32_t, int32_t *, int32_t *, int32_t *, int64_t *, int64_t *, int32_t,
                StmtStyle *) {
    iConPrintf(szMsgOpen, szErrorPrefix, szArgv[0], "not built\n", "");
    return rcTrail(RC_OPEN, "rcFmtOnFile()", "..\\share\\rcFmtOnFile", 270);
}
