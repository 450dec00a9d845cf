#include "plat/platSignal.h"

#include <windows.h>

namespace {
// The console's handler runs on a thread of its own: the lock keeps it out while the main
// thread makes, removes or renames the new file, and the handler never gives it back.
CRITICAL_SECTION rLock;
INIT_ONCE rLockOnce = INIT_ONCE_STATIC_INIT;
const char *volatile szDoomed = nullptr;
bool bCaught = false;

BOOL CALLBACK bInitLock(PINIT_ONCE, PVOID, PVOID *) {
    InitializeCriticalSection(&rLock);
    return TRUE;
}

void vInitLock() { InitOnceExecuteOnce(&rLockOnce, bInitLock, nullptr, nullptr); }

BOOL WINAPI bOnConsoleEvent(DWORD uEvent) {
    switch (uEvent) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        EnterCriticalSection(&rLock);
        if (szDoomed != nullptr) DeleteFileA(szDoomed);
        ExitProcess(static_cast<UINT>(0xC000013AL));  // STATUS_CONTROL_C_EXIT, as without a handler
    default: return FALSE;
    }
}
}  // namespace

void vPlatCatchInterrupts() {
    vInitLock();
    if (bCaught) return;
    bCaught = SetConsoleCtrlHandler(bOnConsoleEvent, TRUE) != 0;
}

void vPlatHoldInterrupts() {
    vInitLock();
    EnterCriticalSection(&rLock);
}

void vPlatAllowInterrupts() { LeaveCriticalSection(&rLock); }

void vPlatSetDoomedFile(const char *szPath) { szDoomed = szPath; }
