// The allocation-accounting record: its lock serialises the vectors' heap calls, which it
// counts.
#pragma once
#include <cstddef>
#include <cstdint>

struct cCriticalSection;

struct cMalloc {
    cCriticalSection *pLock;  // held around every heap call on a vector's buffer
    uint32_t iReserved;       // set to 0 at creation, otherwise unused
    uint32_t iNumAlloc;       // zero-filled allocation attempts
    uint32_t iNumRealloc;     // reallocation attempts
    uint32_t iNumFree;        // blocks actually freed
};

// Creates the record with its lock and stores it in *ppMalloc at once; the caller frees what
// was created with vFreeMalloc, also on failure. Reports a memory failure (code 5).
int rcMalloc(cMalloc **ppMalloc);
// Deletes the record's lock, frees the record and sets *ppMalloc to null; nothing for null.
void vFreeMalloc(cMalloc **ppMalloc);

// The counted heap calls. Each holds the record's lock (which the caller may already hold) and
// counts the attempt; the allocation is zero-filled, and both return null on failure, when a
// reallocated block stays as it was.
void *pvAllocCounted(cMalloc *pMalloc, size_t n);
void *pvReallocCounted(cMalloc *pMalloc, void *pv, size_t n);
// Frees one block, if there is one, and counts it.
void vFreeCounted(cMalloc *pMalloc, void *pv);
