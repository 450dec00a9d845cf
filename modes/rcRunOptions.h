// How the run modes treat the formatted text: what the command line asks beyond the layout, and
// the team settings that a .quorva file gives for the files below it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "formatter/rStmtStyle.h"
#include "modes/rcOptValue.h"
#include "modes/rcTextCodec.h"

struct RunOptions {
    int32_t iCheck = 0;     // --check: nothing is written; each text that would change is listed
    int32_t iDiff = 0;      // --diff: nothing is written; what would change is shown as a diff
    int32_t iQuiet = 0;     // -q: no banner, announcements, summary or status line
    int32_t eEol = eDefaultEol();  // EOL_CRLF, EOL_LF or EOL_KEEP
    int32_t iNoConfig = 0;  // --no-config: settings files are not read
    // The valued options the command line gave (bits 1 << OptValueId): a settings file does
    // not change them.
    uint32_t uGiven = 0;
    // --keep-on-error: a console run that fails after reading its input whole writes the input
    // unchanged to standard output.
    int32_t iKeepOnError = 0;
    // --stdin-filepath: the file that standard input stands for in console mode, or null. Its
    // directory's settings apply, and messages name it.
    const char *szStdinPath = nullptr;
    int32_t iChanged = 0;   // out: texts that changed (or would change)
    int32_t iUnchecked = 0; // out: --check or --diff passed over a path
};
extern RunOptions rRunOptions;

// The layout and the line ends for a text in the directory szDir ("" is the current
// directory): the command line's (*pCmdStyle, rRunOptions.eEol), each option it did not give
// taken from the nearest settings file. Reports a settings file that cannot be read or holds a
// bad line; returns 0, 5, 6 or RC_CONFIG.
int rcStyleFor(const char *szDir, const StmtStyle *pCmdStyle, StmtStyle *pStyle, int32_t *peEol);

// Whether the n1 bytes at p1 are the n2 bytes at p2: a text that formatting left as it was.
bool bSameBytes(const char *p1, size_t n1, const char *p2, size_t n2);

// What becomes of a text whose stored bytes were pOld (nOld) and would now be pNew (nNew), named
// szName: nothing when they are the same bytes; else it counts as changed, and with --check
// its name is listed, with --diff the diff is shown, both on standard output. *pbWrite tells
// whether the caller writes the new bytes (neither --check nor --diff, and a change). Returns 0,
// 5 or 7 after its report.
int rcTakeResult(const char *szName, const char *pOld, size_t nOld, const char *pNew, size_t nNew, bool *pbWrite);

// The directory part of a path (up to its last separator), in szDir of nCap bytes.
void vDirOf(const char *szPath, char *szDir, size_t nCap);
