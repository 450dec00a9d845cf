// Clipboard mode: the clipboard's text is formatted and replaces the clipboard's contents.
#pragma once
#include "quorva/rStmtStyle.h"

int rcFmtOnClipBoard(StmtStyle *rStmtStyle);
