// Timing statistics: per-section timers over the high-resolution counter.
#pragma once
#include <cstdint>

struct tTmStats;

// Creates a handle with iTerms sections, stored in *ppStats as soon as it is allocated.
int rcTmInitial(tTmStats **ppStats, uint32_t iTerms);
// The calling thread's interval for section iTerm begins.
int rcTmStart(tTmStats *pStats, uint32_t iTerm);
// The calling thread's running interval ends and is added to the section's time.
int rcTmStop(tTmStats *pStats, uint32_t iTerm);
// The section's accumulated time in microseconds.
int rcTmGetElaps(tTmStats *pStats, uint32_t iTerm, int64_t *piElaps);
// Destroys the handle and sets *ppStats to null. Returns 0.
int rcTmFinal(tTmStats **ppStats);
