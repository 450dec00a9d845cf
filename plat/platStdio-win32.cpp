#include "plat/platStdio.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

// Expand wildcard arguments in the C run-time start-up, before main runs.
extern "C" {
int _dowildcard = -1;
}

const char cPlatPathSep = '\\';
const int iPlatSlashOption = 1;
const bool bPlatCrLfNative = true;

bool bPlatIsPathSep(char c) { return c == '/' || c == '\\'; }

bool bPlatAbsolutePath(const char *szPath) {
    // A drive letter and its colon name a place on that drive, even without a separator after
    // them: putting ".\\" in front would make no path of them.
    const char c = szPath[0];
    if (((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && szPath[1] == ':') return true;
    return c == '\\' || c == '/';  // rooted on the current drive, or a UNC name
}

bool bPlatSamePathText(const char *sz1, const char *sz2) { return _stricmp(sz1, sz2) == 0; }

void vPlatBinaryStdio() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

PlatStdinKind ePlatStdinKind() {
    HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
    if (h == NULL || h == INVALID_HANDLE_VALUE) return STDIN_NONE;
    switch (GetFileType(h)) {
    case FILE_TYPE_PIPE: return STDIN_PIPE;  // sockets too
    case FILE_TYPE_DISK: return STDIN_FILE;
    case FILE_TYPE_CHAR: {
        // A console answers for its mode; NUL and the serial ports do not.
        DWORD dwMode = 0;
        return GetConsoleMode(h, &dwMode) ? STDIN_TERMINAL : STDIN_NULL;
    }
    default: return STDIN_NONE;
    }
}
