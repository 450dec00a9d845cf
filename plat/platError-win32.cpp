#include "plat/platError.h"

#include <windows.h>

const uint32_t uPlatErrHandleEof = ERROR_HANDLE_EOF;        // 38
const uint32_t uPlatErrFileNotFound = ERROR_FILE_NOT_FOUND; // 2
const uint32_t uPlatErrNoMoreFiles = ERROR_NO_MORE_FILES;   // 18

uint32_t uPlatLastError() { return GetLastError(); }

void vPlatSetLastError(uint32_t uErr) { SetLastError(uErr); }

void vPlatSetLastErrorReason(uint32_t uErr, const char *) { SetLastError(uErr); }

char *szPlatErrorText(uint32_t uErr) {
    char *sz = nullptr;
    // 0x1100: the system allocates the buffer and takes the text from its message table.
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, uErr,
                             MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&sz), 0, nullptr);
    return n == 0 ? nullptr : sz;
}

void vPlatFreeErrorText(char *sz) {
    if (sz != nullptr) LocalFree(sz);
}
