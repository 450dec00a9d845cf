// Placeholder until clipboard mode lands: it refuses, never a silent success.
#include "share/rcFmtOnClipBoard.h"

#include "quorva/psGlobals.h"
#include "quorva/rcChkWin32Api.h"

int rcFmtOnClipBoard(StmtStyle *) {
    int rc = rcReportWin32Error(1);
    return rcTrail(rc, "rcFmtOnClipBoard()", "..\\share\\rcFmtOnClipBoard", 28);
}
