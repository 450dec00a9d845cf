// The statement formatter.
#pragma once
#include "formatter/rStmtStyle.h"

// Formats one statement. On success *szStmtFmt points to a new NUL-terminated text of
// rStmtStyle->iFmtLen bytes that the caller frees with vFree. Once the output buffer is
// allocated it is the caller's, also when the call fails afterwards: the caller sets
// *szStmtFmt to null before the call and frees whatever it finds there.
int rcFmtStmt(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle);
