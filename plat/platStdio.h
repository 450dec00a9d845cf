// Standard streams, path syntax, the platform's line end and the start-up of the program.
#pragma once

// Puts standard input, output and error into binary mode: the program converts line ends
// itself, the same way on every platform.
void vPlatBinaryStdio();

// The separator of composed paths: '\\' on Windows, '/' on POSIX.
extern const char cPlatPathSep;

// Whether c separates the parts of a path: '/' on every platform, '\\' on Windows too.
bool bPlatIsPathSep(char c);

// Whether an argument beginning with "/" is an option form (Windows) or an absolute path (POSIX).
extern const int iPlatSlashOption;

// Whether a path names its place from a root rather than from the current directory: "/..." on
// POSIX; on Windows a drive ("C:..."), a rooted name ("\\..." or "/...") and a UNC name
// ("\\\\server\\share...").
bool bPlatAbsolutePath(const char *szPath);

// Whether two resolved paths are the same text as the file system reads names: byte for byte
// on POSIX, letter case ignored on Windows.
bool bPlatSamePathText(const char *sz1, const char *sz2);

// The platform's own line end: CR LF on Windows, LF on POSIX.
extern const bool bPlatCrLfNative;

// What standard input is. A pipe (or socket) and a regular file carry a text to read; a
// terminal, the null device, anything else or no standard input at all carry none.
enum PlatStdinKind : int {
    STDIN_NONE,      // closed, or its kind cannot be had
    STDIN_TERMINAL,  // a terminal or console
    STDIN_NULL,      // the null device
    STDIN_PIPE,      // a pipe or a socket
    STDIN_FILE,      // a regular file
    STDIN_OTHER,     // another device, a directory
};
PlatStdinKind ePlatStdinKind();
