#include "plat/platTime.h"

#include <windows.h>

int64_t iPlatCounter() {
    LARGE_INTEGER li;
    QueryPerformanceCounter(&li);
    return static_cast<int64_t>(li.QuadPart);
}

int64_t iPlatCounterFreq() {
    LARGE_INTEGER li;
    if (!QueryPerformanceFrequency(&li)) return 0;
    return static_cast<int64_t>(li.QuadPart);
}

uint32_t uPlatThreadId() { return static_cast<uint32_t>(GetCurrentThreadId()); }

const size_t nPlatLockSize = sizeof(CRITICAL_SECTION);

void vPlatLockInit(void *pLock) { InitializeCriticalSection(static_cast<CRITICAL_SECTION *>(pLock)); }
void vPlatLockEnter(void *pLock) { EnterCriticalSection(static_cast<CRITICAL_SECTION *>(pLock)); }
void vPlatLockLeave(void *pLock) { LeaveCriticalSection(static_cast<CRITICAL_SECTION *>(pLock)); }
void vPlatLockDelete(void *pLock) { DeleteCriticalSection(static_cast<CRITICAL_SECTION *>(pLock)); }
