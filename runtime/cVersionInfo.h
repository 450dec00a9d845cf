// The running executable's version information: its path, the product name, version and
// copyright line of its version resource, and the operating system's version.
#pragma once
#include <cstdint>

#include "runtime/psGlobals.h"

struct rVersionInfo {
    char szModulePath[MAX_PATH_LEN];
    uint32_t uModulePathLen;
    uint32_t uVersionHandle;
    uint32_t uBlockSize;
    void *pvBlock;            // owned: the whole version resource
    uint16_t *pTranslation;   // into the block: language/code-page pairs
    uint32_t uTranslationLen; // in bytes
    const char *szCopyright;  // into the block; null without translation entry
    uint32_t uCopyrightLen;
    const char *szProductName;
    uint32_t uProductNameLen;
    const char *szProductVersion;
    uint32_t uProductVersionLen;
    void *pvOsVersion;        // owned: the 156-byte extended version record
};

// Fills a new record, stored in *ppInfo at once: the caller frees it with vFreeVersionInfo on
// success and on failure.
int rcVersionInfo(rVersionInfo **ppInfo);

// Reads one string of one translation ("\\StringFileInfo\\llllcccc\\name").
int rcLocalVerQueryValue(const void *pvBlock, const uint16_t *pLangCp, const char *szName, const char **pszValue,
                         uint32_t *puLen);

// Frees the operating-system record, the version block and the record; sets *ppInfo to null.
void vFreeVersionInfo(rVersionInfo **ppInfo);
