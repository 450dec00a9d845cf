// A growable array of fixed-size elements with a sorted find-or-insert and walks with
// callbacks. All element memory is zero-filled when it is obtained. The vector takes no lock
// for its own fields: its user holds a lock of its own around every call. Heap calls on the
// buffer hold the accounting lock of the process-wide singleton, which every vector references.
#pragma once
#include <cstdint>

struct cSingleton;
struct cMalloc;

struct cVector {
    uint32_t iElemSize;     // bytes of one element
    uint32_t iCount;        // elements in use
    uint32_t iCapacity;     // elements the buffer holds
    uint32_t iBulk;         // free elements an insertion demands
    uint32_t iSpare;        // kept as given; every caller passes 0
    uint32_t iGrowth;       // 10 after dimensioning, doubled by every growth
    cSingleton *pSingleton; // one reference held by the vector
    cMalloc *pMalloc;       // the singleton's accounting record
    void *pBuf;             // the elements
};

// Called on one element with the walk's context, the element's address and its index; 0 goes on.
typedef int (*pfnOnElement)(void *pCtx, void *pElem, uint32_t iIndex);
// Orders two elements: negative, zero or positive, as for the C library's sort and search.
typedef int (*pfnCmpElement)(const void *pv1, const void *pv2);

// Creates a vector of iCount elements of iElemSize (> 0) bytes and stores it in *ppVec at
// once; the caller frees it with vFreeVector, also on failure. With ppBuf, all iCount elements
// are in use (all zero) and the buffer is stored there; without it the vector is empty with
// room for iCount. The bulk of later insertions is iCount.
int rcVector(cVector **ppVec, uint32_t iElemSize, uint32_t iCount, uint32_t iSpare, void **ppBuf);
// Re-dimensions the vector as rcVector does, keeping (and zeroing) the buffer when it is large
// enough. After a failure the vector is only freed.
int rcReuseVector(cVector *pVec, uint32_t iElemSize, uint32_t iCount, uint32_t iSpare, void **ppBuf);
// Makes room for n further elements and stores the address of element [count] in *ppSlot; the
// count stays as it was. On failure the buffer stays as it was.
int rcAddNumBulkNeeded(cVector *pVec, uint32_t n, void **ppSlot);
// Finds the element equal to *pKey in the sorted vector, inserting a copy of the key where it
// belongs if there is none, and calls pfnOn on it. Returns the callback's result or a failure.
int rcMergeIntoVector(cVector *pVec, void *pCtx, pfnCmpElement pfnCmp, const void *pKey, pfnOnElement pfnOn);
// The element equal to *pKey in the sorted vector, or null; nothing is inserted.
void *pvFindInVector(const cVector *pVec, pfnCmpElement pfnCmp, const void *pKey);
// Calls pfnOn on every element in index order; returns 0 or the first non-zero result.
int rcSimpleForEachVector(cVector *pVec, void *pCtx, pfnOnElement pfnOn);
// Frees the vector, releases its singleton reference and sets *ppVec to null; nothing for null.
void vFreeVector(cVector **ppVec);
