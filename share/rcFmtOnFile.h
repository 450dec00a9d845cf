// File and directory mode: files named on the command line, and with -r the SQL entries of
// named directories, rewritten in place.
#pragma once
#include <cstdint>

#include "quorva/rStmtStyle.h"

// The counters are shared by every level of the recursion and only added to. The byte
// counters are 64-bit: a directory run can read more than 2 GiB.
int rcFmtOnFile(char **szArgv, int32_t iArgc, int32_t *iNumDirs, int32_t *iNumFiles, int32_t *iNumStmts,
                int64_t *iInBytes, int64_t *iOutBytes, int32_t iRecurently, StmtStyle *rStmtStyle);
