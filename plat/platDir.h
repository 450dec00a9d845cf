// Directory search: the entries of one directory whose names end in "." and an extension, and
// files created anew beside another.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct PlatFind;  // a running search and its current entry

// Tries a search on the directory name alone. Non-zero when it succeeded; 0 with the last
// error set when the directory cannot be searched.
int iPlatProbeDir(const char *szDir);

// Starts the search for the entries of szDir whose names end in "." and szExt, letter case
// ignored. szPattern is the same search as one wildcard path (directory, separator, "*.",
// extension), which the platform uses where it matches wildcards itself. Returns the search
// with its first entry, or null with the last error set: uPlatErrFileNotFound when no entry
// matched.
PlatFind *pPlatFindFirst(const char *szPattern, const char *szDir, const char *szExt);

// The current entry's name, without directory.
const char *szPlatFindName(const PlatFind *pFind);

// Advances to the next entry. Non-zero on success; 0 with the last error set, which is
// uPlatErrNoMoreFiles after the last entry.
int iPlatFindNext(PlatFind *pFind);

// Ends the search and releases it; null is allowed.
void vPlatFindClose(PlatFind *pFind);

// Creates szPath anew for binary writing, with only the owner's read and write permission;
// fails (null, errno EEXIST) when the name is taken, so two runs never share a file.
FILE *pPlatCreateNew(const char *szPath);

// The path of the file itself that szPath leads to (links followed), written to szReal, a
// buffer of nPlatPathCap bytes that the caller provides. 0 or the C library's error number.
extern const size_t nPlatPathCap;
int iPlatResolvePath(const char *szPath, char *szReal);
