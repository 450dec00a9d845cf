// The platform's last error and its text.
#pragma once
#include <cstdint>

// The calling thread's last error: GetLastError() on Windows, errno on POSIX.
uint32_t uPlatLastError();
void vPlatSetLastError(uint32_t uErr);

// Sets the last error together with a readable reason for a failure the system has no text
// for (a helper program's exit status, a missing display). The next szPlatErrorText of that
// value returns the reason instead of the system's text; any other vPlatSetLastError drops it.
// Windows keeps its own texts and only sets the value.
void vPlatSetLastErrorReason(uint32_t uErr, const char *szReason);

// The system's text for an error value, ending with its own line end, in a block that
// vPlatFreeErrorText releases; null when the system has no text.
char *szPlatErrorText(uint32_t uErr);
void vPlatFreeErrorText(char *sz);

// The last-error values that callers test for.
extern const uint32_t uPlatErrHandleEof;    // end of file reached: not a failure
extern const uint32_t uPlatErrFileNotFound; // a search matched nothing
extern const uint32_t uPlatErrNoMoreFiles;  // a search has no further entry
