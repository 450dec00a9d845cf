// Frozen copy of formatter/rcFmtStmt.h made by tests/oracle/freeze.sh, which overwrites it.
// The statement formatter.
#pragma once
#include <cstddef>

#include "formatter/rStmtStyle.h"
#include "runtime/psGlobals.h"

namespace oracle {

// Formats one text: a statement, a piece of one, or a script of statements and the tool's
// commands. On success *szStmtFmt receives a new NUL-terminated text of rStmtStyle->iFmtLen bytes,
// the caller's, freed with vFree; on failure *szStmtFmt is left as it was (the caller sets it to
// null) and the failure has been reported with its trail line. Only white space and line breaks
// change, and the letters of keywords where rStmtStyle->eKeywordCase asks for it: the bytes of
// literals, comments (a block comment's further lines may move with its first), quoted names,
// commands and the units carried whole (wrapped units, Java, XQuery) stay. Every line
// break the layout writes and every line end between tokens is CR LF when rStmtStyle->bCrLf is
// set, else LF; line ends inside literals, block comments and units carried whole stay as they
// came. No empty line is written outside that data, but where rStmtStyle->bKeepBlankLines asks
// for the author's (one between statements, declarations, subprograms and script commands). A
// text that ends inside a literal or a block comment is refused (26), naming the line it opened
// on; one whose blocks or parentheses stay open is refused (24), naming the line where the
// innermost one left open begins. The formatter keeps no state between calls: each text is read
// in its own encoding. When STMTORGFNM names a file, the text goes there first and is removed
// after success.
int rcFmtStmt(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle);

// The same for a text of nStmt bytes, in which a NUL byte is an ordinary byte; the formatted text
// may hold NUL bytes too, and has rStmtStyle->iFmtLen bytes before its terminating NUL. The text
// is read in rStmtStyle->iEncoding, or in the encoding it shows (ENC_AUTO). A UTF-8 byte order
// mark at its start stays at the start of the formatted text. No byte after the text is read.
int rcFmtStmtLen(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle);

// The same for a text in a block of the heap (nCap bytes, more than nStmt) that the caller gives
// up: the formatter works in it instead of a copy of the text, and frees it on every path. A
// text of one piece then takes the memory of its working copy and the layout's output, and no
// more.
int rcFmtStmtTake(HeapPtr<char> spStmt, size_t nStmt, size_t nCap, char **szStmtFmt, StmtStyle *rStmtStyle);
}  // namespace oracle
