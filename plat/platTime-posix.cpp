#include "plat/platTime.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace {
const int64_t iNsPerSec = 1000000000;
}  // namespace

int64_t iPlatCounter() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * iNsPerSec + ts.tv_nsec;
}

// The monotonic clock counts nanoseconds.
int64_t iPlatCounterFreq() {
    struct timespec ts;
    if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0) return 0;
    return iNsPerSec;
}

uint32_t uPlatThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

const size_t nPlatLockSize = sizeof(pthread_mutex_t);

// A recursive mutex, like a critical section. With the default attributes besides the type,
// initialisation does not fail on the systems the program runs on.
void vPlatLockInit(void *pLock) {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(static_cast<pthread_mutex_t *>(pLock), &attr);
    pthread_mutexattr_destroy(&attr);
}
void vPlatLockEnter(void *pLock) { pthread_mutex_lock(static_cast<pthread_mutex_t *>(pLock)); }
void vPlatLockLeave(void *pLock) { pthread_mutex_unlock(static_cast<pthread_mutex_t *>(pLock)); }
void vPlatLockDelete(void *pLock) { pthread_mutex_destroy(static_cast<pthread_mutex_t *>(pLock)); }
