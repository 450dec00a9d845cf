// Clipboard mode: the clipboard's text is formatted with the line end the run chooses (--eol)
// and replaces the clipboard's contents, in the form it came in.
#pragma once
#include "formatter/rStmtStyle.h"

int rcFmtOnClipBoard(StmtStyle *rStmtStyle);
