#include "plat/platStdio.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

// Expand wildcard arguments in the C run-time start-up, before main runs.
extern "C" {
int _dowildcard = -1;
}

const char cPlatPathSep = '\\';
const int iPlatSlashOption = 1;

void vPlatBinaryStdio() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}
