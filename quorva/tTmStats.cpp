// Placeholder until the timing statistics land: every call refuses.
#include "quorva/tTmStats.h"

#include "quorva/psGlobals.h"

int rcTmInitial(tTmStats **ppStats, uint32_t) {
    *ppStats = nullptr;
    return rcTrail(RC_TMSTATS, "rcTmInitial()", ".\\tTmStats", 314);
}
int rcTmStart(tTmStats *, uint32_t) { return RC_TMSTATS; }
int rcTmStop(tTmStats *, uint32_t) { return RC_TMSTATS; }
int rcTmGetElaps(tTmStats *, uint32_t, int64_t *) { return RC_TMSTATS; }
int rcTmFinal(tTmStats **ppStats) {
    *ppStats = nullptr;
    return RC_OK;
}
