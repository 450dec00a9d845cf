#include "plat/platDir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <climits>
#include <unistd.h>

#include "plat/platError.h"

struct PlatFind {
    DIR *pDir;
    const char *szExt;  // the caller's extension, alive as long as the search
    size_t nExt;
    const char *szName;  // the current entry's name, in the stream's own record
};

namespace {
// The name ends in "." and the extension, letter case ignored: the system's wildcard "*.SQL"
// without a wildcard matcher.
bool bMatches(const char *szName, const char *szExt, size_t nExt) {
    size_t n = std::strlen(szName);
    if (n < nExt + 1) return false;
    return szName[n - nExt - 1] == '.' && strncasecmp(szName + n - nExt, szExt, nExt) == 0;
}

// Moves to the next matching entry. errno stays 0 at the end of the directory.
bool bAdvance(PlatFind *pFind) {
    for (;;) {
        errno = 0;
        struct dirent *pEnt = readdir(pFind->pDir);
        if (pEnt == nullptr) return false;
        if (bMatches(pEnt->d_name, pFind->szExt, pFind->nExt)) {
            pFind->szName = pEnt->d_name;
            return true;
        }
    }
}
}  // namespace

int iPlatProbeDir(const char *szDir) {
    DIR *pDir = opendir(szDir);
    if (pDir == nullptr) return 0;
    closedir(pDir);
    return 1;
}

PlatFind *pPlatFindFirst(const char *, const char *szDir, const char *szExt) {
    PlatFind *pFind = static_cast<PlatFind *>(std::calloc(1, sizeof(PlatFind)));
    if (pFind == nullptr) {
        errno = ENOMEM;
        return nullptr;
    }
    pFind->pDir = opendir(szDir);
    if (pFind->pDir == nullptr) {
        int iErr = errno;
        std::free(pFind);
        errno = iErr;
        return nullptr;
    }
    pFind->szExt = szExt;
    pFind->nExt = std::strlen(szExt);
    if (!bAdvance(pFind)) {
        int iErr = errno;
        closedir(pFind->pDir);
        std::free(pFind);
        vPlatSetLastError(iErr == 0 ? uPlatErrFileNotFound : static_cast<uint32_t>(iErr));
        return nullptr;
    }
    return pFind;
}

const char *szPlatFindName(const PlatFind *pFind) { return pFind->szName; }

int iPlatFindNext(PlatFind *pFind) {
    if (bAdvance(pFind)) return 1;
    if (errno == 0) vPlatSetLastError(uPlatErrNoMoreFiles);
    return 0;
}

void vPlatFindClose(PlatFind *pFind) {
    if (pFind == nullptr) return;
    closedir(pFind->pDir);
    std::free(pFind);
}

FILE *pPlatCreateNew(const char *szPath) {
    int fd = open(szPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    FILE *fp = fdopen(fd, "wb");
    if (fp == nullptr) {
        int iErr = errno;
        close(fd);
        unlink(szPath);
        errno = iErr;
    }
    return fp;
}

const size_t nPlatPathCap = PATH_MAX;

int iPlatResolvePath(const char *szPath, char *szReal) {
    if (realpath(szPath, szReal) == nullptr) return errno;
    return 0;
}
