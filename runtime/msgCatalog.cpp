// The message catalogue: every message the program writes, as Shift_JIS bytes.
#include "runtime/msgCatalog.h"

#define QV_MSG(name, readable, sjis) const char *name = sjis;
#include "runtime/msgCatalog.def"
#undef QV_MSG

const MsgText arMsgTexts[] = {
#define QV_MSG(name, readable, sjis) {&name, readable},
#include "runtime/msgCatalog.def"
#undef QV_MSG
};
const int nMsgTexts = static_cast<int>(sizeof arMsgTexts / sizeof arMsgTexts[0]);
