// Console mode: all of standard input is one statement; the formatted text goes to standard
// output, every message to console.
#pragma once
#include "quorva/rStmtStyle.h"

int rcFmtOnConsole(StmtStyle *rStmtStyle);
