// The statement formatter.
#pragma once
#include <cstddef>

#include "formatter/rStmtStyle.h"

// Formats one statement. On success *szStmtFmt points to a new NUL-terminated text of
// rStmtStyle->iFmtLen bytes that the caller frees with vFree. Once the output buffer is
// allocated it is the caller's, also when the call fails afterwards: the caller sets
// *szStmtFmt to null before the call and frees whatever it finds there.
int rcFmtStmt(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle);

// The same for a text of nStmt bytes, in which a NUL byte is an ordinary byte; the formatted text
// may hold NUL bytes too, and has rStmtStyle->iFmtLen bytes before its terminating NUL. The text
// is read in rStmtStyle->iEncoding, or in the encoding it shows (ENC_AUTO). A UTF-8 byte order
// mark at its start stays at the start of the formatted text.
int rcFmtStmtLen(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle);
