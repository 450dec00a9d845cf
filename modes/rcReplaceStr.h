// Line-end conversion of the clipboard's text: a general two-pass replacement and its two uses.
#pragma once
#include <cstdint>

// Answers whether a step applies at position p of a NUL-terminated text. It may look at the
// bytes after p, but never past the terminating NUL.
typedef bool (*PfnReplaceTest)(const char *p);

// A counting or editing step: piDiff is the size change, szOut the output buffer, piDst and
// piSrc the destination and source indexes. A counting step changes only *piDiff; an editing
// step may advance either index and may store into szOut.
typedef void (*PfnReplaceStep)(int32_t *piDiff, char *szOut, int32_t *piDst, int32_t *piSrc);

// Rewrites the text *pszText, held in a block from pvAlloc/pvRealloc, in two passes: the first
// counts the size change at every position where pfnTest holds, the second edits a copy into
// the resized block. On success *pszText points to the rewritten block (the old pointer is no
// longer valid) and 0 is returned. On failure (memory, code 5) the text stays valid and unchanged.
int rcReplaceStr(char **pszText, PfnReplaceTest pfnTest, PfnReplaceStep pfnCount, PfnReplaceStep pfnEdit);

// Drops the CR of every CR LF except a CR at the very first position. Returns 0 or the code of
// rcReplaceStr.
int rcReplaceStrSubCr(char **pszText);

// Puts a CR before every LF that has none, except a LF at the very first position. *pszStmtFmt
// must be non-null. Returns 0 or the code of rcReplaceStr.
int rcReplaceStrAddCr(char **pszStmtFmt);
