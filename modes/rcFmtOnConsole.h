// Console mode: all of standard input is one text; the formatted text goes to standard output,
// every message to console.
#pragma once
#include "formatter/rStmtStyle.h"

// Reads standard input to its end and formats it with the line end the run chooses (--eol): a
// script as one text, a TKPROF report or SQL trace file (known by its first line, as in file
// mode) statement by statement with the lines around them kept. The result goes to standard
// output in the form the input came in (UTF-16 of its byte order, with its byte order mark
// where it had one, when the input was UTF-16); nothing of it is written when the text fails.
// A NUL byte is an ordinary byte; UTF-32 is refused. The settings, and the name in messages,
// are those of --stdin-filepath when it is given, else of the current directory and "stdin".
// With --keep-on-error (and neither --check nor --diff) a failure after the input was read
// whole writes the input unchanged to standard output; the status is still the failure's.
// Returns 0, 5, 6, 7, 30, 40 or the formatter's code after its report.
int rcFmtOnConsole(StmtStyle *rStmtStyle);

// For a console run that fails before it reads its input, with --keep-on-error: reads standard
// input to its end and writes it unchanged to standard output. Returns 0, 5, 6 or 7 after its
// report.
int rcPassConsoleInput();
