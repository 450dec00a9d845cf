#include "plat/platStdio.h"

#include <cstring>

const char cPlatPathSep = '/';
const int iPlatSlashOption = 0;  // "/" begins an absolute path here

const bool bPlatCrLfNative = false;

void vPlatBinaryStdio() {}  // POSIX streams never translate

bool bPlatIsPathSep(char c) { return c == '/'; }

bool bPlatAbsolutePath(const char *szPath) { return szPath[0] == '/'; }

bool bPlatSamePathText(const char *sz1, const char *sz2) { return std::strcmp(sz1, sz2) == 0; }
