// Clipboard mode: the clipboard's text is formatted and replaces the clipboard's contents.
#pragma once
#include "formatter/rStmtStyle.h"

int rcFmtOnClipBoard(StmtStyle *rStmtStyle);
