#include "plat/platVersion.h"

#include <windows.h>

uint32_t uPlatModuleFileName(char *szPath, uint32_t uCap) { return GetModuleFileNameA(nullptr, szPath, uCap); }

uint32_t uPlatVersionInfoSize(const char *szPath, uint32_t *puHandle) {
    DWORD dwHandle = 0;
    DWORD n = GetFileVersionInfoSizeA(szPath, &dwHandle);
    *puHandle = dwHandle;
    return n;
}

int iPlatVersionInfo(const char *szPath, uint32_t uHandle, uint32_t uSize, void *pvBlock) {
    return GetFileVersionInfoA(szPath, uHandle, uSize, pvBlock) ? 1 : 0;
}

int iPlatVerQueryValue(const void *pvBlock, const char *szSubBlock, void **ppv, uint32_t *puLen) {
    UINT uLen = 0;
    BOOL b = VerQueryValueA(pvBlock, szSubBlock, ppv, &uLen);
    *puLen = uLen;
    return b ? 1 : 0;
}

int iPlatVersionEx(void *pvOsVersion) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExA(static_cast<OSVERSIONINFOA *>(pvOsVersion)) ? 1 : 0;
#pragma GCC diagnostic pop
}

static_assert(sizeof(OSVERSIONINFOEXA) == PLAT_OSVERSION_SIZE, "extended version record");
