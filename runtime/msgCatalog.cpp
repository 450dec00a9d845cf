// The message catalogue: every message the program writes, as Shift_JIS bytes.
#include "runtime/msgCatalog.h"

#include <cstring>

#include "plat/platConv.h"

#define QV_MSG(name, readable, sjis) const char *name = sjis;
#include "runtime/msgCatalog.def"
#undef QV_MSG

const MsgText arMsgTexts[] = {
#define QV_MSG(name, readable, sjis) {&name, readable},
#include "runtime/msgCatalog.def"
#undef QV_MSG
};
const int nMsgTexts = static_cast<int>(sizeof arMsgTexts / sizeof arMsgTexts[0]);

void vUseMessageCodeset() {
    const char *szCodeset = szPlatMessageCodeset();
    if (szCodeset == nullptr) return;
    // On a UTF-8 terminal a message is its readable text, which is the UTF-8 form of its bytes:
    // nothing to convert (a test holds the two alike).
    if (bPlatUtf8Codeset(szCodeset)) {
        for (int i = 0; i < nMsgTexts; ++i) *arMsgTexts[i].pszMsg = arMsgTexts[i].szUtf8;
        return;
    }
    // The converted catalogue lives as long as the process: one block of static storage, filled
    // once. A message that does not convert, or does not fit, stays Shift_JIS.
    static char abMessages[24576];
    size_t nUsed = 0;
    for (int i = 0; i < nMsgTexts; ++i) {
        const char *szSjis = *arMsgTexts[i].pszMsg;
        size_t nIn = std::strlen(szSjis), nOut = 0;
        char *pOut = abMessages + nUsed;
        size_t nRoom = sizeof abMessages - nUsed;
        if (nRoom < 1 || iPlatConvertToCodeset(szCodeset, szSjis, nIn, pOut, nRoom - 1, &nOut) != 0) continue;
        pOut[nOut] = '\0';
        *arMsgTexts[i].pszMsg = pOut;
        nUsed += nOut + 1;
    }
}
