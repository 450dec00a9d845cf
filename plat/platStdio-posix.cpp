#include "plat/platStdio.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

const char cPlatPathSep = '/';
const int iPlatSlashOption = 0;  // "/" begins an absolute path here

const bool bPlatCrLfNative = false;

void vPlatBinaryStdio() {}  // POSIX streams never translate

bool bPlatIsPathSep(char c) { return c == '/'; }

bool bPlatAbsolutePath(const char *szPath) { return szPath[0] == '/'; }

bool bPlatSamePathText(const char *sz1, const char *sz2) { return std::strcmp(sz1, sz2) == 0; }

PlatStdinKind ePlatStdinKind() {
    struct stat st {};
    if (fstat(STDIN_FILENO, &st) != 0) return STDIN_NONE;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return STDIN_PIPE;
    if (S_ISREG(st.st_mode)) return STDIN_FILE;
    if (!S_ISCHR(st.st_mode)) return STDIN_OTHER;
    if (isatty(STDIN_FILENO)) return STDIN_TERMINAL;
    struct stat stNull {};
    if (stat("/dev/null", &stNull) == 0 && S_ISCHR(stNull.st_mode) && stNull.st_rdev == st.st_rdev) return STDIN_NULL;
    return STDIN_OTHER;
}
