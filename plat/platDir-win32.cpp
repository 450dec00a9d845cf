#include "plat/platDir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>


struct PlatFind {
    HANDLE hFind;
    WIN32_FIND_DATAA rFindData;
};

int iPlatProbeDir(const char *szDir) {
    // The attributes, unlike a search on the name, are found also for a name that ends in a
    // separator ("sql\\", "sql/") and for a root ("C:\\").
    DWORD uAttr = GetFileAttributesA(szDir);
    if (uAttr == INVALID_FILE_ATTRIBUTES) return 0;
    if ((uAttr & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    return 1;
}

PlatFind *pPlatFindFirst(const char *szPattern, const char *, const char *) {
    // The system's wildcard match decides, letter case ignored.
    PlatFind *pFind = static_cast<PlatFind *>(std::calloc(1, sizeof(PlatFind)));
    if (pFind == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pFind->hFind = FindFirstFileA(szPattern, &pFind->rFindData);
    if (pFind->hFind == INVALID_HANDLE_VALUE) {
        DWORD uErr = GetLastError();
        std::free(pFind);
        SetLastError(uErr);
        return nullptr;
    }
    return pFind;
}

const char *szPlatFindName(const PlatFind *pFind) { return pFind->rFindData.cFileName; }

int iPlatFindNext(PlatFind *pFind) { return FindNextFileA(pFind->hFind, &pFind->rFindData) ? 1 : 0; }

void vPlatFindClose(PlatFind *pFind) {
    if (pFind == nullptr) return;
    FindClose(pFind->hFind);
    std::free(pFind);
}

FILE *pPlatCreateNew(const char *szPath) {
    // A name the system's other file calls cannot take (MAX_PATH) is refused here, so that a
    // file made here can always be renamed and removed again.
    if (std::strlen(szPath) >= MAX_PATH) {
        errno = ENAMETOOLONG;
        return nullptr;
    }
    int fd = _open(szPath, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    FILE *fp = _fdopen(fd, "wb");
    if (fp == nullptr) {
        int iErr = errno;
        _close(fd);
        _unlink(szPath);
        errno = iErr;
    }
    return fp;
}

const size_t nPlatPathCap = _MAX_PATH;

int iPlatResolvePath(const char *szPath, char *szReal) {
    // A longer path could not be created beside anyway.
    errno = 0;
    if (_fullpath(szReal, szPath, _MAX_PATH) == nullptr) return errno != 0 ? errno : ENAMETOOLONG;
    return 0;
}
