// Directory enumeration: the entries of one directory whose names end in "." and an extension.
#pragma once
#include <cstdint>

#include "runtime/psGlobals.h"

struct PlatFind;

struct rDirEntries {
    char *szDirName;   // the directory as the caller named it, in the record's own block
    char *szExt;       // the extension searched for, without the dot, in the same block
    uint64_t uExtLen;  // characters of szExt
    PlatFind *pFind;   // the running search with its current entry; null: nothing matched
};

// Called once per entry with the context, the directory's name and the entry's name (no
// directory); 0 goes on, anything else stops the walk and is returned.
typedef int (*PfnOnDirEntry)(void *pvCtx, const char *szDirName, const char *szFileName);

// Starts the search for szDir's entries whose names end in "." and szExt. A directory name longer
// than the platform's paths (nPlatPathMax) is refused with the message of an overlong file name.
// The record is stored
// in *ppEntries as soon as it is allocated: the caller releases it with vFreeDirEntries on
// success and on failure. Reports its failures; returns 0, 5, 15 or 44.
int rcDirEntries(rDirEntries **ppEntries, const char *szDir, const char *szExt);

// Hands every entry of the search to pfnOnEntry, in the order the system yields them.
// Returns 0, the callback's first non-zero result (after its trail line), or 44.
int rcForEachDirEntries(rDirEntries *pEntries, PfnOnDirEntry pfnOnEntry, void *pvCtx);

// Closes the search when one is open, frees the record and sets *ppEntries to null.
void vFreeDirEntries(rDirEntries **ppEntries);
