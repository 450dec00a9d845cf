#include "plat/platStdio.h"

const char cPlatPathSep = '/';
const int iPlatSlashOption = 0;  // "/" begins an absolute path here

void vPlatBinaryStdio() {}  // POSIX streams never translate
