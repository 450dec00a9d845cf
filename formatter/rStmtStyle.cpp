#include "formatter/rStmtStyle.h"

void vDefaultStmtStyle(StmtStyle *pStyle) {
    *pStyle = StmtStyle{};
    pStyle->szIndent[0] = '\t';
    pStyle->iNumComma = 14;
    pStyle->iPartSize = 50;
    pStyle->iFmtLen = 0;
    pStyle->iJoinAt = 0;
    pStyle->iEncoding = 0;  // ENC_AUTO
    pStyle->bCrLf = false;
    pStyle->bKeepBlankLines = false;
    pStyle->eKeywordCase = KWCASE_KEEP;
}
