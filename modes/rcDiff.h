// The program's own unified diff: what formatting would change in a file, written so that
// the patch programs turn the old bytes into the new ones. Lines end at LF; every other byte
// (CR, NUL, bytes that are not UTF-8) is line content and is reproduced as it stands.
#pragma once
#include <cstddef>

// A growable run of output bytes. Start it zeroed; the block p is the owner's, who releases
// it with vFreeDiffOut. p is not NUL-terminated.
struct DiffOut {
    char *p;     // the bytes, null until the first append
    size_t n;    // bytes in use
    size_t cap;  // bytes the block holds
};

// One side of the comparison: the file's bytes and the name written after "---" or "+++".
struct DiffSide {
    const char *p;        // may be null when n is 0
    size_t n;
    const char *szLabel;  // NUL-terminated, written as it stands
};

enum { DIFF_CONTEXT = 3 };  // unchanged lines around each change

// Compares the lines of pOld and pNew and appends to pOut the header lines and the hunks
// that turn the old text into the new one, with iContext (>= 0) unchanged lines around each
// change; identical texts append nothing. pOut's block stays its owner's on success and on
// failure; a failure leaves pOut->n as it was at the call (the block may have grown).
// Reports RC_NOMEM with the memory message and a trail line; never prints anything else.
int rcDiff(const DiffSide *pOld, const DiffSide *pNew, int iContext, DiffOut *pOut);

// Releases pOut's block and zeroes the record. This function can't fail.
void vFreeDiffOut(DiffOut *pOut);
