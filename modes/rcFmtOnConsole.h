// Console mode: all of standard input is one statement; the formatted text goes to standard
// output, every message to console.
#pragma once
#include <cstddef>
#include <cstdio>

#include "formatter/rStmtStyle.h"

int rcFmtOnConsole(StmtStyle *rStmtStyle);

// Reads a whole stream the way console mode takes standard input: as a text stream read line by
// line (CR LF arrives as LF; a read ends after a LF or 2047 bytes, and a NUL ends that read's
// contribution). *pszText receives a NUL-terminated block that the caller frees with vFree;
// false when memory ran out (nothing is stored then).
bool bReadConsoleText(FILE *fp, char **pszText, size_t *pnText);
