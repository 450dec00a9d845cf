// The running executable's path, its version resource and the operating system's version.
// On Windows these are the version functions themselves; on POSIX the executable's version
// block is built from the strings the build compiled in and read the same way.
#pragma once
#include <cstdint>

// GetModuleFileNameA(NULL, ...): the length stored, 0 on failure.
uint32_t uPlatModuleFileName(char *szPath, uint32_t uCap);
// GetFileVersionInfoSizeA: the block size, 0 on failure; *puHandle receives the handle value.
uint32_t uPlatVersionInfoSize(const char *szPath, uint32_t *puHandle);
// GetFileVersionInfoA: non-zero on success.
int iPlatVersionInfo(const char *szPath, uint32_t uHandle, uint32_t uSize, void *pvBlock);
// VerQueryValueA: non-zero on success.
int iPlatVerQueryValue(const void *pvBlock, const char *szSubBlock, void **ppv, uint32_t *puLen);
// GetVersionExA on a 156-byte extended record whose size field is set: non-zero on success.
int iPlatVersionEx(void *pvOsVersion);

enum { PLAT_OSVERSION_SIZE = 156 };
