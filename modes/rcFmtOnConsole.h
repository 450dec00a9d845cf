// Console mode: all of standard input is one statement; the formatted text goes to standard
// output, every message to console.
#pragma once
#include "formatter/rStmtStyle.h"

// Reads standard input to its end, formats it with the line end the run chooses (--eol) and
// writes the result to standard output in the form the input came in (UTF-16 of its byte order,
// with its byte order mark where it had one, when the input was UTF-16). A NUL byte is an
// ordinary byte; UTF-32 is refused. Returns 0, 5, 6, 7, 30 or the formatter's code after its
// report.
int rcFmtOnConsole(StmtStyle *rStmtStyle);
