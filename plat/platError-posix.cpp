#include "plat/platError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The POSIX side reports errno values; these three are the numbers the callers compare with
// and that no errno takes.
const uint32_t uPlatErrHandleEof = 0x7fff0026u;
const uint32_t uPlatErrFileNotFound = ENOENT;
const uint32_t uPlatErrNoMoreFiles = 0x7fff0012u;

namespace {
// The reason given with the last error, until it is read or another error is set.
bool bReasonSet = false;
uint32_t uReasonErr = 0;
char szReasonText[512];
}  // namespace

uint32_t uPlatLastError() { return static_cast<uint32_t>(errno); }

void vPlatSetLastError(uint32_t uErr) {
    bReasonSet = false;
    errno = static_cast<int>(uErr);
}

void vPlatSetLastErrorReason(uint32_t uErr, const char *szReason) {
    std::snprintf(szReasonText, sizeof szReasonText, "%s", szReason);
    bReasonSet = true;
    uReasonErr = uErr;
    errno = static_cast<int>(uErr);
}

char *szPlatErrorText(uint32_t uErr) {
    const char *szSys = std::strerror(static_cast<int>(uErr));
    if (bReasonSet && uErr == uReasonErr) szSys = szReasonText;
    bReasonSet = false;
    size_t n = std::strlen(szSys);
    char *sz = static_cast<char *>(std::malloc(n + 2));
    if (sz == nullptr) return nullptr;
    std::memcpy(sz, szSys, n);
    sz[n] = '\n';  // the system's text ends with its own line end, as on Windows
    sz[n + 1] = '\0';
    return sz;
}

void vPlatFreeErrorText(char *sz) { std::free(sz); }
