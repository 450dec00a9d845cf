// POSIX has no version resources. The executable's version block is built from the three
// strings the build compiled in, under one translation (Japanese, code page 932), and the
// queries read it with the sub-block paths the Windows functions take.
#include "plat/platVersion.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/utsname.h>
#include <unistd.h>

#ifndef QUORVA_PRODUCT_NAME
#define QUORVA_PRODUCT_NAME "quorva"
#endif
#ifndef QUORVA_PRODUCT_VERSION
#define QUORVA_PRODUCT_VERSION "0.0.0"
#endif
#ifndef QUORVA_COPYRIGHT
#define QUORVA_COPYRIGHT ""
#endif

namespace {

const char *const aszValues[][2] = {
    {"ProductName", QUORVA_PRODUCT_NAME},
    {"ProductVersion", QUORVA_PRODUCT_VERSION},
    {"LegalCopyright", QUORVA_COPYRIGHT},
    {"FileDescription", "Oracle SQL and PL/SQL statement formatter"},
};
const uint16_t aTranslation[2] = {0x0411, 932};
const char szStringPrefix[] = "StringFileInfo\\041103a4\\";

// The block: the translation pair, then name NUL value NUL for every string, then a NUL.
uint32_t uBlockSize() {
    uint32_t n = sizeof aTranslation + 1;
    for (const auto &pr : aszValues) n += static_cast<uint32_t>(std::strlen(pr[0]) + std::strlen(pr[1]) + 2);
    return n;
}

// Copies a sub-block path with every run of backslashes folded to one.
void vFoldPath(const char *szIn, char *szOut, size_t cap) {
    size_t n = 0;
    for (const char *p = szIn; *p != '\0' && n + 1 < cap; ++p) {
        if (*p == '\\' && n > 0 && szOut[n - 1] == '\\') continue;
        szOut[n++] = *p;
    }
    szOut[n] = '\0';
}

}  // namespace

uint32_t uPlatModuleFileName(char *szPath, uint32_t uCap) {
    if (uCap == 0) return 0;
    ssize_t n = readlink("/proc/self/exe", szPath, uCap - 1);
    if (n <= 0) return 0;
    szPath[n] = '\0';
    return static_cast<uint32_t>(n);
}

uint32_t uPlatVersionInfoSize(const char *szPath, uint32_t *puHandle) {
    *puHandle = 0;
    if (access(szPath, R_OK) != 0) return 0;  // errno tells why
    return uBlockSize();
}

int iPlatVersionInfo(const char *szPath, uint32_t uHandle, uint32_t uSize, void *pvBlock) {
    if (uSize < uBlockSize()) {
        errno = ENOBUFS;
        return 0;
    }
    char *p = static_cast<char *>(pvBlock);
    std::memcpy(p, aTranslation, sizeof aTranslation);
    p += sizeof aTranslation;
    for (const auto &pr : aszValues) {
        for (int i = 0; i < 2; ++i) {
            size_t n = std::strlen(pr[i]) + 1;
            std::memcpy(p, pr[i], n);
            p += n;
        }
    }
    *p = '\0';
    return 1;
}

int iPlatVerQueryValue(const void *pvBlock, const char *szSubBlock, void **ppv, uint32_t *puLen) {
    char szPath[256];
    vFoldPath(szSubBlock, szPath, sizeof szPath);
    const char *pBlock = static_cast<const char *>(pvBlock);
    if (std::strcmp(szPath, "\\VarFileInfo\\Translation") == 0) {
        *ppv = const_cast<char *>(pBlock);
        *puLen = sizeof aTranslation;
        return 1;
    }
    const size_t nPrefix = sizeof szStringPrefix - 1;
    if (szPath[0] == '\\' && std::strncmp(szPath + 1, szStringPrefix, nPrefix) == 0) {
        const char *szName = szPath + 1 + nPrefix;
        for (const char *p = pBlock + sizeof aTranslation; *p != '\0';) {
            const char *szValue = p + std::strlen(p) + 1;
            if (std::strcmp(p, szName) == 0) {
                *ppv = const_cast<char *>(szValue);
                *puLen = static_cast<uint32_t>(std::strlen(szValue) + 1);
                return 1;
            }
            p = szValue + std::strlen(szValue) + 1;
        }
    }
    errno = ENOENT;  // the resource has no such value
    return 0;
}

int iPlatVersionEx(void *pvOsVersion) {
    struct utsname un;
    if (uname(&un) != 0) return 0;
    // The extended record: size, major, minor, build, platform id (5 x 32 bits), then the
    // 128-byte service-pack text, which here receives the system's name and release.
    uint32_t *pu = static_cast<uint32_t *>(pvOsVersion);
    unsigned uMajor = 0, uMinor = 0, uBuild = 0;
    std::sscanf(un.release, "%u.%u.%u", &uMajor, &uMinor, &uBuild);
    pu[1] = uMajor;
    pu[2] = uMinor;
    pu[3] = uBuild;
    pu[4] = 0;
    char *szCsd = reinterpret_cast<char *>(pu + 5);
    std::snprintf(szCsd, 128, "%.60s %.60s", un.sysname, un.release);
    return 1;
}
