// File and directory mode: files named on the command line, and with -r the SQL entries of
// named directories, rewritten in place.
#pragma once
#include <cstddef>
#include <cstdint>

#include "formatter/rStmtStyle.h"

// What a walk met besides the files it rewrote: the files whose formatted text equals their
// bytes (left as they were), the paths passed over (each named on standard error with its
// reason), and, with --check or --diff, the files that failed: such a walk goes on past them.
struct FileTally {
    int32_t iUnchanged;
    int32_t iPassedOver;  // paths not read: not readable, not writable, a directory without -r, no regular file
    int32_t iFailed;
    int rcFirstFailure;   // the result code of the first file that failed, 0 for none
};

// The counters are shared by every level of the recursion and only added to. iNumFiles counts
// the files rewritten (with --check or --diff: that would be), iInBytes and iOutBytes their
// bytes before and after; iNumStmts the statements of every file formatted. The byte counters
// are 64-bit: a directory run can read more than 2 GiB. Returns 0 when the walk went to its end
// (failures that it went on past are in *pTally), else the code of the failure that ended it:
// without --check and --diff the first failure; with them a memory failure or standard output
// that cannot be written.
int rcFmtOnFile(char **szArgv, int32_t iArgc, int32_t *iNumDirs, int32_t *iNumFiles, int32_t *iNumStmts,
                int64_t *iInBytes, int64_t *iOutBytes, int32_t iRecurently, StmtStyle *rStmtStyle, FileTally *pTally);

// The paths collected from one directory (oFnl); each text and the list are heap blocks.
struct FileNameList {
    char **aszPaths;
    int32_t iCount;
    int32_t iCap;
};

// The callback of the directory walk: collects the entry's path (directory, a separator unless
// the directory's name ends in one, name) into the FileNameList at pvFnl, passing over "." and
// "..". Returns 0 or 5.
int rcOnRepeatDirEntry(void *pvFnl, const char *szDirName, const char *szFileName);

// The formatter that file mode calls: rcFmtStmtLen; tests put a stand-in here.
extern int (*pfnFileFmtStmt)(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle);
