// File and directory mode: files named on the command line, and with -r the SQL entries of
// named directories, rewritten in place.
#pragma once
#include <cstddef>
#include <cstdint>

#include "formatter/rStmtStyle.h"

// The counters are shared by every level of the recursion and only added to. The byte
// counters are 64-bit: a directory run can read more than 2 GiB.
int rcFmtOnFile(char **szArgv, int32_t iArgc, int32_t *iNumDirs, int32_t *iNumFiles, int32_t *iNumStmts,
                int64_t *iInBytes, int64_t *iOutBytes, int32_t iRecurently, StmtStyle *rStmtStyle);

// The paths collected from one directory (oFnl); each text and the list are heap blocks.
struct FileNameList {
    char **aszPaths;
    int32_t iCount;
    int32_t iCap;
};

// The callback of the directory walk: collects "directory, separator, name" into the
// FileNameList at pvFnl, passing over "." and "..". Returns 0 or 5.
int rcOnRepeatDirEntry(void *pvFnl, const char *szDirName, const char *szFileName);

// The formatter that file mode calls: rcFmtStmtLen; tests put a stand-in here.
extern int (*pfnFileFmtStmt)(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle);
