// Critical sections in memory of their own: created zero-filled and initialised by
// rcCriticalSection, deleted and freed by their owner with vFreeCriticalSection. A thread that
// holds a critical section may enter it again.
#pragma once

struct cCriticalSection;  // the platform's lock object

// Creates an initialised critical section and stores it in *ppCs (null when the memory could
// not be had). Reports a memory failure (code 5).
int rcCriticalSection(cCriticalSection **ppCs);
void vEnterCriticalSection(cCriticalSection *pCs);
void vLeaveCriticalSection(cCriticalSection *pCs);
// Deletes and frees the critical section and sets *ppCs to null; nothing for a null one.
void vFreeCriticalSection(cCriticalSection **ppCs);

// Holds a critical section for the rest of the scope.
class CsLock {
  public:
    explicit CsLock(cCriticalSection *pCs) : pCs_(pCs) { vEnterCriticalSection(pCs_); }
    ~CsLock() { vLeaveCriticalSection(pCs_); }
    CsLock(const CsLock &) = delete;
    CsLock &operator=(const CsLock &) = delete;

  private:
    cCriticalSection *pCs_;
};
