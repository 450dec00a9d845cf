#include "plat/platSignal.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace {
// Read by the handler: a lock-free atomic is safe there, and the name's text stays unchanged
// while it is named.
std::atomic<const char *> aszDoomed{nullptr};
static_assert(ATOMIC_POINTER_LOCK_FREE == 2, "the handler reads the name without a lock");

const int aiSignals[] = {SIGINT, SIGTERM, SIGHUP};

// unlink and raise are async-signal-safe; the name was prepared before it was named here.
extern "C" void vOnInterrupt(int iSig) {
    const char *szPath = aszDoomed.load();
    if (szPath != nullptr) unlink(szPath);
    // SA_RESETHAND made the action the default one again: the signal, held back until this
    // handler returns, ends the program as it would have without the handler.
    raise(iSig);
}

sigset_t rSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int iSig : aiSignals) sigaddset(&set, iSig);
    return set;
}
}  // namespace

void vPlatCatchInterrupts() {
    for (int iSig : aiSignals) {
        struct sigaction rOld {};
        if (sigaction(iSig, nullptr, &rOld) != 0 || rOld.sa_handler == SIG_IGN) continue;
        struct sigaction rNew {};
        rNew.sa_handler = vOnInterrupt;
        sigfillset(&rNew.sa_mask);  // one interrupt at a time
        rNew.sa_flags = SA_RESETHAND;
        sigaction(iSig, &rNew, nullptr);
    }
}

void vPlatHoldInterrupts() {
    sigset_t set = rSignalSet();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

void vPlatAllowInterrupts() {
    sigset_t set = rSignalSet();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void vPlatSetDoomedFile(const char *szPath) { aszDoomed.store(szPath); }
