// The program's messages, as the Shift_JIS (code page 932) bytes that it writes. The texts and
// their readable forms are listed in msgCatalog.def.
#pragma once

#define QV_MSG(name, readable, sjis) extern const char *name;
#include "runtime/msgCatalog.def"
#undef QV_MSG

// A message with its readable text, for checking the bytes and for writing the messages in
// another codeset.
struct MsgText {
    const char **pszMsg;   // the message in use
    const char *szUtf8;    // its readable text
};
extern const MsgText arMsgTexts[];
extern const int nMsgTexts;

// Where the user's terminal shows another codeset than Shift_JIS (a UTF-8 or EUC-JP locale on
// POSIX), every message is written in that codeset from now on; elsewhere nothing changes.
void vUseMessageCodeset();
