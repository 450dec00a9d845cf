// The one process-wide record that owns the allocation-accounting record, some locks and a
// timing-statistics handle of its own. Every vector holds a reference to it; the exit handler
// tears it down after the driver returns.
#pragma once
#include <cstdint>

struct cMalloc;
struct cCriticalSection;
struct tTmStats;

struct cSingleton {
    uint32_t iRefs;               // references handed out and not yet released
    cMalloc *pMalloc;             // the allocation-accounting record
    cCriticalSection *pRefLock;   // guards iRefs
    cCriticalSection *pLock2;     // not entered by this program
    tTmStats *pStats;             // 10 sections, not started by this program
    cCriticalSection *pLock3;     // not entered by this program
    int32_t iFlag1;               // 1 after creation, otherwise unused
    int32_t iFlag0;               // 0 after creation, otherwise unused
};

// Stores the singleton in *ppSingleton, creating it on the first call, and takes one
// reference. The first call is made before any other thread exists. On failure the record
// built so far is torn down and *ppSingleton is null, so that a later call starts afresh.
int rcSingleton(cSingleton **ppSingleton);
// Gives back one reference (a vector being freed); nothing is done when the count reaches 0.
void vReleaseSingleton(cSingleton *pSingleton);
// The exit handler that rcSingleton registers: frees the singleton and everything it owns.
// Nothing when there is no singleton.
void vSingletonAtExit();
