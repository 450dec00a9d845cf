#include "runtime/cVersionInfo.h"

#include <cstdio>
#include <cstring>

#include "plat/platVersion.h"
#include "runtime/rcChkWin32Api.h"

namespace {
const char szModule[] = ".\\cVersionInfo";
enum {
    SITE_QUERY_VALUE = 51,
    SITE_ALLOC_RECORD = 84,
    SITE_MODULE_NAME = 93,
    SITE_INFO_SIZE = 101,
    SITE_ALLOC_BLOCK = 108,
    SITE_INFO = 111,
    SITE_TRANSLATION = 121,
    SITE_COPYRIGHT = 133,
    SITE_PRODUCT_NAME = 141,
    SITE_PRODUCT_VERSION = 149,
    SITE_ALLOC_OS = 157,
    SITE_OS_VERSION = 165,
};

int rcFail(int rc, int iLine) { return rcTrail(rc, "rcVersionInfo()", szModule, iLine); }
}  // namespace

int rcLocalVerQueryValue(const void *pvBlock, const uint16_t *pLangCp, const char *szName, const char **pszValue,
                         uint32_t *puLen) {
    char szSubBlock[80];
    // Each separator is two backslash characters.
    std::snprintf(szSubBlock, sizeof szSubBlock, "\\\\%s\\\\%04x%04x\\\\%s", "StringFileInfo", pLangCp[0], pLangCp[1],
                  szName);
    void *pv = nullptr;
    int rc = rcChkWin32Api(!iPlatVerQueryValue(pvBlock, szSubBlock, &pv, puLen));
    if (rc != RC_OK) return rcTrail(rc, "rcLocalVerQueryValue()", szModule, SITE_QUERY_VALUE);
    *pszValue = static_cast<const char *>(pv);
    return RC_OK;
}

int rcVersionInfo(rVersionInfo **ppInfo) {
    rVersionInfo *p = static_cast<rVersionInfo *>(pvAlloc(sizeof(rVersionInfo)));
    *ppInfo = p;
    if (p == nullptr) return rcNoMem("rcVersionInfo()", szModule, SITE_ALLOC_RECORD);

    p->uModulePathLen = uPlatModuleFileName(p->szModulePath, sizeof p->szModulePath);
    int rc = rcChkWin32Api(p->uModulePathLen == 0);
    if (rc != RC_OK) return rcFail(rc, SITE_MODULE_NAME);

    p->uBlockSize = uPlatVersionInfoSize(p->szModulePath, &p->uVersionHandle);
    rc = rcChkWin32Api(p->uBlockSize == 0);
    if (rc != RC_OK) return rcFail(rc, SITE_INFO_SIZE);

    p->pvBlock = pvAlloc(p->uBlockSize);
    if (p->pvBlock == nullptr) return rcNoMem("rcVersionInfo()", szModule, SITE_ALLOC_BLOCK);
    rc = rcChkWin32Api(!iPlatVersionInfo(p->szModulePath, p->uVersionHandle, p->uBlockSize, p->pvBlock));
    if (rc != RC_OK) return rcFail(rc, SITE_INFO);

    void *pvTranslation = nullptr;
    rc = rcChkWin32Api(!iPlatVerQueryValue(p->pvBlock, "\\VarFileInfo\\Translation", &pvTranslation,
                                           &p->uTranslationLen));
    if (rc != RC_OK) return rcFail(rc, SITE_TRANSLATION);
    p->pTranslation = static_cast<uint16_t *>(pvTranslation);

    // Each later translation overwrites the strings of the earlier one.
    for (uint32_t i = 0; i < p->uTranslationLen / 4; ++i) {
        const uint16_t *pLangCp = p->pTranslation + 2 * i;
        rc = rcLocalVerQueryValue(p->pvBlock, pLangCp, "LegalCopyright", &p->szCopyright, &p->uCopyrightLen);
        if (rc != RC_OK) return rcFail(rc, SITE_COPYRIGHT);
        rc = rcLocalVerQueryValue(p->pvBlock, pLangCp, "ProductName", &p->szProductName, &p->uProductNameLen);
        if (rc != RC_OK) return rcFail(rc, SITE_PRODUCT_NAME);
        rc = rcLocalVerQueryValue(p->pvBlock, pLangCp, "ProductVersion", &p->szProductVersion,
                                  &p->uProductVersionLen);
        if (rc != RC_OK) return rcFail(rc, SITE_PRODUCT_VERSION);
    }

    p->pvOsVersion = pvAlloc(PLAT_OSVERSION_SIZE);
    if (p->pvOsVersion == nullptr) return rcNoMem("rcVersionInfo()", szModule, SITE_ALLOC_OS);
    *static_cast<uint32_t *>(p->pvOsVersion) = PLAT_OSVERSION_SIZE;
    rc = rcChkWin32Api(!iPlatVersionEx(p->pvOsVersion));
    if (rc != RC_OK) return rcFail(rc, SITE_OS_VERSION);
    return RC_OK;
}

void vFreeVersionInfo(rVersionInfo **ppInfo) {
    rVersionInfo *p = *ppInfo;
    if (p == nullptr) return;
    vFree(p->pvOsVersion);
    vFree(p->pvBlock);
    vFree(p);
    *ppInfo = nullptr;
}
