// Team settings: a file named .quorva in a file's directory, or in the nearest directory above
// it, supplies option values; what the command line gives wins over them.
//
// One "option = value" a line, with the options and values of the command line's long forms
// (modes/rcOptValue.h). Blanks and TABs around the name, the "=" and the value are ignored;
// empty lines and lines whose first non-blank byte is "#" are comments, and a "#" after a value
// starts a comment too. Lines end in LF or CR LF; a UTF-8 byte order mark at the start is
// skipped. A later line for the same option wins over an earlier one.
#pragma once
#include <cstddef>
#include <cstdint>

#include "modes/rcOptValue.h"

extern const char szConfigName[];  // ".quorva"

// Where a settings file went wrong: the line (1 for the first; 0 when the file could not be
// read) and a short English key naming the fault: "unknown option", "missing option name",
// "missing =", "missing value", "bad value", "out of range", "NUL byte", "cannot read".
struct ConfigError {
    int32_t iLine;
    const char *szReason;  // a static text
};

// Reads the settings in the n bytes at p. On success *pSet holds exactly the options the text
// set; on failure *pSet is untouched and *pErr names the first bad line. Returns RC_OK or
// RC_CONFIG. Allocates nothing and prints nothing.
int rcParseConfig(const char *p, size_t n, OptValues *pSet, ConfigError *pErr);

// Reads and parses the settings file szPath, as rcParseConfig does. A file that cannot be
// opened or read gives RC_OPEN with line 0 and "cannot read" (errno as the system left it).
// Prints nothing but the memory message and its trail line (RC_NOMEM).
int rcLoadConfig(const char *szPath, OptValues *pSet, ConfigError *pErr);

// Looks for a regular file named .quorva in szStartDir ("" is the current directory) and then
// in each directory above it up to the root. The start directory is made absolute first, by
// the platform's path resolution (POSIX resolves links, so the walk goes up from the directory
// itself; Windows composes the name with the current directory), and then shortened one
// component at a time. On success *pszPath is the path found,
// in a pvAlloc block that becomes the caller's, or null when there is none. On failure
// *pszPath is null: RC_OPEN when the start directory cannot be resolved or is no directory
// (errno set, nothing printed), RC_NOMEM with the memory message and a trail line.
int rcFindConfig(const char *szStartDir, char **pszPath);

// The length of the directory above the first n bytes of szDir, which name an absolute
// directory, or 0 when they name a root. Separators are '/' and cSep; with cSep '\\' a drive
// ("C:\") or a share ("\\server\share\") is a root.
size_t nConfigParentLen(const char *szDir, size_t n, char cSep);
