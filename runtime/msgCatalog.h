// The program's messages. Every text is stored as the Shift_JIS (code page 932) bytes that the
// program writes; msgCatalog.cpp keeps them readable and is compiled to that code page.
#pragma once

extern const char szErrorPrefix[];    // "Error -"
extern const char szWarningPrefix[];  // "Warning -"

// Status lines of the driver and the failure trail.
extern const char szMsgTrail[];       // function %s failed (%s-%d)
extern const char szMsgAbend[];       // abnormal end (%s-%d) and 19 blanks
extern const char szMsgNormalEnd[];   // normal end and 26 blanks
extern const char szMsgBanner[];      // "%s%s version %s\n%s\n"
extern const char szMsgUsage[];
extern const char szMsgUnsupported[]; // unsupported option warning

// Closing summary of file mode.
extern const char szMsgSumDirs[];
extern const char szMsgSumFiles[];
extern const char szMsgSumIn[];
extern const char szMsgSumOut[];
extern const char szMsgSumStmts[];
extern const char szMsgElapsed[];

// Failures.
extern const char szMsgNoMem[];
extern const char szMsgOpen[];
extern const char szMsgSearch[];
extern const char szMsgWrite[];
extern const char szMsgUnlink[];
extern const char szMsgNameLen[];
extern const char szMsgReadOnly[];
extern const char szMsgNotFound[];
extern const char szMsgDirLen[];
extern const char szMsgFileLen[];
extern const char szMsgWin32[];
extern const char szMsgFindFirst[];
extern const char szMsgNoCounter[];
extern const char szMsgUnpaired[];
extern const char szMsgNegElaps[];
extern const char szMsgMaxPass[];
extern const char szMsgStopFirst[];
extern const char szMsgSysErr[];
extern const char szMsgNotCmt[];
extern const char szMsgOverrun[];
extern const char szMsgBufHead[];
// The pointer values of these three are passed as (unsigned long long) and print as 16 hex digits.
extern const char szMsgOverrunPtr[];
extern const char szMsgOverrunSrc[];
extern const char szMsgOverrunDst[];
extern const char szMsgMaxIdt[];
extern const char szMsgNoOpenParen[];
extern const char szMsgNoCloseParen[];
extern const char szMsgDumpHead[];
extern const char szMsgDumpBefore[];
extern const char szMsgDumpAfter[];
