// Timing statistics: per-section timers over the high-resolution counter. Each section keeps
// its own lock, its accumulated time, its number of passes and one record per thread, so that
// several threads may time the same section and their intervals add up.
#pragma once
#include <cstdint>

struct cVector;
struct cCriticalSection;

// One thread's state in one section: odd iCnt while its interval runs, even while stopped.
struct tTmThread {
    uint32_t iTid;       // platform thread id; the sort key
    int64_t iStartCnt;   // counter value at the thread's latest start
    uint32_t iCnt;       // successful starts and stops
};

// One section; every field is guarded by pLock.
struct tTmTerm {
    uint32_t iTerm;              // the section number, its index in the table
    int64_t iElaps;              // ticks of all completed intervals of all threads
    int32_t iPasses;             // starts, at most 2147483647
    cVector *pThreads;           // tTmThread records sorted by thread id
    cCriticalSection *pLock;
};

struct tTmStats {
    cVector *pTerms;      // tTmTerm records
    uint32_t iNumUsed;    // sections with at least one pass; read by nobody
};

// Creates a handle with iTerms sections, stored in *ppStats as soon as it is allocated; the
// caller frees it with rcTmFinal, also on failure. Refuses (code 35) a platform without a
// high-resolution counter or with one slower than 1000 ticks per second.
int rcTmInitial(tTmStats **ppStats, uint32_t iTerms);
// The calling thread's interval for section iTerm begins. Refuses (code 35) a start while the
// thread's interval runs, and counts the pass unless the passes are at their maximum (code 35,
// the interval has begun all the same).
int rcTmStart(tTmStats *pStats, uint32_t iTerm);
// The calling thread's running interval ends and is added to the section's time. Refuses
// (code 35) a stop without a start and an interval that would be negative.
int rcTmStop(tTmStats *pStats, uint32_t iTerm);
// The section's accumulated time in microseconds. Refuses (code 35) while the calling thread's
// interval runs, and for a thread that never timed the section.
int rcTmGetElaps(tTmStats *pStats, uint32_t iTerm, int64_t *piElaps);
// Destroys the handle and sets *ppStats to null. Returns 0 and prints nothing.
int rcTmFinal(tTmStats **ppStats);

// Orders per-thread records by thread id, ascending, as unsigned 32-bit numbers.
int iCmpThreadId(const void *pv1, const void *pv2);

