// The high-resolution counter, thread ids and locks.
#pragma once
#include <cstddef>
#include <cstdint>

// The counter's current value in ticks.
int64_t iPlatCounter();
// Ticks per second of the counter; 0 when the platform has none.
int64_t iPlatCounterFreq();
// The calling thread's id as the system numbers it.
uint32_t uPlatThreadId();

// A lock is a block of nPlatLockSize bytes that the caller allocates (zero-filled, suitably
// aligned for any object) and hands to these functions. It may be entered again by the
// thread that holds it.
extern const size_t nPlatLockSize;
void vPlatLockInit(void *pLock);
void vPlatLockEnter(void *pLock);
void vPlatLockLeave(void *pLock);
void vPlatLockDelete(void *pLock);
