// The unified diff of --diff. The lines of both sides get class numbers (equal lines, equal
// numbers), so that the comparison itself only compares integers. A range of lines is first
// trimmed of its common head and tail; then the lines that occur exactly once in the old part
// and once in the new part anchor it: the longest run of them in the same order on both sides
// is kept, and the pieces between the anchors are compared the same way. A piece without such
// lines (or one nested too deep) gets a shortest-edit search limited to a few edits, and is
// otherwise reported as deleted and inserted whole. Every step is linear in the range, and the
// levels are bounded, so a file where nearly every line changed costs no more than a few passes.
#include "modes/rcDiff.h"

#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "runtime/psGlobals.h"

namespace {
const char szModule[] = ".\\rcDiff";
enum {
    SITE_LINES = 385,
    SITE_CLASSES = 386,
    SITE_SCRATCH = 387,
    SITE_OUT = 392,
};

enum : uint32_t {
    MAX_LINES = 1u << 30,  // both sides together; beyond this the line arrays are not attempted
    MAX_DEPTH = 64,        // levels of anchoring before a piece goes to the bounded search
    MAX_EDITS = 64,        // edits the bounded search tries before giving up on a piece
    NO_PRED = 0xFFFFFFFFu,
};
const int32_t iUnreached = -(1 << 30);  // a diagonal the bounded search has not reached

struct Lines {
    const char *p;
    HeapPtr<size_t> pOff;     // line i is [pOff[i], pOff[i + 1]), LF included; nLines + 1 entries
    HeapPtr<uint32_t> pCls;   // class of each line
    HeapPtr<uint8_t> pKept;   // 1: the line is paired with an equal line of the other side
    uint32_t nLines;
};

struct ClassRec {
    uint64_t uHash;
    const char *p;  // the first line of the class
    size_t n;
};

struct Work {
    Lines a, b;                    // old, new
    HeapPtr<uint32_t> pSlots;      // hash table: class number + 1, or 0 for a free slot
    size_t nSlotMask;
    HeapPtr<ClassRec> pClasses;
    uint32_t nClasses;
    HeapPtr<uint8_t> pCntA, pCntB; // per class, occurrences in the range (0, 1, 2 = many)
    HeapPtr<uint32_t> pPosB;       // per class, its line in the new part of the range
    HeapPtr<uint32_t> pCandA, pCandB, pTails, pPred;  // anchor candidates and their ordering
    HeapPtr<uint32_t> pAnchA, pAnchB;  // anchors of the levels being compared, a stack
    uint32_t nAnch;
    HeapPtr<int32_t> pTrace;       // bounded search: furthest point per edit count and diagonal
};

template <class T>
bool bAllocArray(HeapPtr<T> *pp, size_t n) {
    if (n > SIZE_MAX / sizeof(T)) return false;
    pp->reset(static_cast<T *>(pvAlloc(n * sizeof(T))));
    return *pp != nullptr;
}

size_t nCountLines(const char *p, size_t n) {
    size_t nLines = 0, i = 0;
    while (i < n) {
        const void *pLf = std::memchr(p + i, '\n', n - i);
        ++nLines;
        if (pLf == nullptr) break;
        i = static_cast<size_t>(static_cast<const char *>(pLf) - p) + 1;
    }
    return nLines;
}

// Fills the line starts of one side; false when the arrays cannot be had.
bool bSplitLines(const DiffSide *pSide, size_t nLines, Lines *pL) {
    pL->p = pSide->p;
    pL->nLines = static_cast<uint32_t>(nLines);
    if (!bAllocArray(&pL->pOff, nLines + 1) || !bAllocArray(&pL->pCls, nLines) ||
        !bAllocArray(&pL->pKept, nLines))
        return false;
    size_t *pOff = pL->pOff.get();
    size_t i = 0;
    for (uint32_t k = 0; k < nLines; ++k) {
        pOff[k] = i;
        const void *pLf = std::memchr(pSide->p + i, '\n', pSide->n - i);
        i = pLf == nullptr ? pSide->n : static_cast<size_t>(static_cast<const char *>(pLf) - pSide->p) + 1;
    }
    pOff[nLines] = pSide->n;
    return true;
}

uint64_t uHashBytes(const char *p, size_t n) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<unsigned char>(p[i])) * 1099511628211ull;
    return h ^ (h >> 29);
}

// Gives every line of pL its class, adding classes for lines not met before.
void vClassifySide(Work *w, Lines *pL) {
    const size_t *pOff = pL->pOff.get();
    for (uint32_t k = 0; k < pL->nLines; ++k) {
        const char *p = pL->p + pOff[k];
        size_t n = pOff[k + 1] - pOff[k];
        uint64_t h = uHashBytes(p, n);
        size_t s = static_cast<size_t>(h) & w->nSlotMask;
        for (;; s = (s + 1) & w->nSlotMask) {
            uint32_t iSlot = w->pSlots.get()[s];
            if (iSlot == 0) {
                w->pClasses.get()[w->nClasses] = ClassRec{h, p, n};
                w->pSlots.get()[s] = ++w->nClasses;
                pL->pCls.get()[k] = w->nClasses - 1;
                break;
            }
            const ClassRec &r = w->pClasses.get()[iSlot - 1];
            if (r.uHash == h && r.n == n && std::memcmp(r.p, p, n) == 0) {
                pL->pCls.get()[k] = iSlot - 1;
                break;
            }
        }
    }
}

bool bClassify(Work *w) {
    size_t nAll = static_cast<size_t>(w->a.nLines) + w->b.nLines, nSlots = 16;
    while (nSlots < 2 * nAll) nSlots *= 2;
    w->nSlotMask = nSlots - 1;
    if (!bAllocArray(&w->pSlots, nSlots) || !bAllocArray(&w->pClasses, nAll)) return false;
    vClassifySide(w, &w->a);
    vClassifySide(w, &w->b);
    w->pSlots.reset();  // only the class numbers are needed from here on
    return true;
}

bool bAllocScratch(Work *w) {
    uint32_t nMin = w->a.nLines < w->b.nLines ? w->a.nLines : w->b.nLines;
    return bAllocArray(&w->pCntA, w->nClasses) && bAllocArray(&w->pCntB, w->nClasses) &&
           bAllocArray(&w->pPosB, w->nClasses) && bAllocArray(&w->pCandA, nMin) &&
           bAllocArray(&w->pCandB, nMin) && bAllocArray(&w->pTails, nMin) && bAllocArray(&w->pPred, nMin) &&
           bAllocArray(&w->pAnchA, nMin) && bAllocArray(&w->pAnchB, nMin) &&
           bAllocArray(&w->pTrace, static_cast<size_t>(MAX_EDITS + 1) * (MAX_EDITS + 1));
}

void vKeep(Work *w, uint32_t i, uint32_t j) {
    assert(w->a.pCls.get()[i] == w->b.pCls.get()[j]);
    w->a.pKept.get()[i] = 1;
    w->b.pKept.get()[j] = 1;
}

// Pushes the longest run of the k candidates (ascending in the old part) that also ascends in
// the new part onto the anchor stack, in order; returns its length.
uint32_t nPushLongestRun(Work *w, uint32_t k) {
    const uint32_t *pCandB = w->pCandB.get();
    uint32_t *pTails = w->pTails.get(), *pPred = w->pPred.get(), nLen = 0;
    for (uint32_t c = 0; c < k; ++c) {
        uint32_t lo = 0, hi = nLen;  // first run end whose new line lies after this one
        while (lo < hi) {
            uint32_t m = lo + (hi - lo) / 2;
            if (pCandB[pTails[m]] < pCandB[c])
                lo = m + 1;
            else
                hi = m;
        }
        pPred[c] = lo > 0 ? pTails[lo - 1] : NO_PRED;
        pTails[lo] = c;
        if (lo == nLen) ++nLen;
    }
    uint32_t c = nLen > 0 ? pTails[nLen - 1] : NO_PRED;
    for (uint32_t m = nLen; m-- > 0; c = pPred[c]) {
        w->pAnchA.get()[w->nAnch + m] = w->pCandA.get()[c];
        w->pAnchB.get()[w->nAnch + m] = pCandB[c];
    }
    w->nAnch += nLen;
    return nLen;
}

// Finds the lines that occur once in old [a0, a1) and once in new [b0, b1), and pushes the
// anchors among them; returns how many were pushed.
uint32_t nFindAnchors(Work *w, uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1) {
    const uint32_t *pClsA = w->a.pCls.get(), *pClsB = w->b.pCls.get();
    uint8_t *pCntA = w->pCntA.get(), *pCntB = w->pCntB.get();
    for (uint32_t i = a0; i < a1; ++i)
        if (pCntA[pClsA[i]] < 2) ++pCntA[pClsA[i]];
    for (uint32_t j = b0; j < b1; ++j) {
        if (pCntB[pClsB[j]] < 2) ++pCntB[pClsB[j]];
        w->pPosB.get()[pClsB[j]] = j;
    }
    uint32_t k = 0;
    for (uint32_t i = a0; i < a1; ++i) {
        uint32_t c = pClsA[i];
        if (pCntA[c] != 1 || pCntB[c] != 1) continue;
        w->pCandA.get()[k] = i;
        w->pCandB.get()[k++] = w->pPosB.get()[c];
    }
    for (uint32_t i = a0; i < a1; ++i) pCntA[pClsA[i]] = 0;
    for (uint32_t j = b0; j < b1; ++j) pCntB[pClsB[j]] = 0;
    return nPushLongestRun(w, k);
}

// Shortest-edit search over old [a0, a0 + n) and new [b0, b0 + m), giving up after MAX_EDITS
// edits. Returns the number of edits, or -1. Row d of the trace holds diagonals -d..d.
int32_t iBoundedSearch(Work *w, uint32_t a0, int32_t n, uint32_t b0, int32_t m) {
    const uint32_t *pClsA = w->a.pCls.get() + a0, *pClsB = w->b.pCls.get() + b0;
    int32_t *pTrace = w->pTrace.get();
    for (int32_t d = 0; d <= static_cast<int32_t>(MAX_EDITS); ++d) {
        int32_t *pV = pTrace + d * d + d;                                // pV[k], k = -d..d
        const int32_t *pP = d > 0 ? pTrace + (d - 1) * (d - 1) + d - 1 : nullptr;
        for (int32_t k = -d; k <= d; k += 2) {
            int32_t x = 0;
            if (d > 0) x = k == -d || (k != d && pP[k - 1] < pP[k + 1]) ? pP[k + 1] : pP[k - 1] + 1;
            int32_t y = x - k;
            if (x < 0 || x > n || y > m) {
                pV[k] = iUnreached;
                continue;
            }
            while (x < n && y < m && pClsA[x] == pClsB[y]) ++x, ++y;
            pV[k] = x;
            if (x == n && y == m) return d;
        }
    }
    return -1;
}

// Walks the path of a search that needed nEdits edits back from its end and keeps its
// diagonal steps.
void vKeepSearchPath(Work *w, uint32_t a0, int32_t n, uint32_t b0, int32_t m, int32_t nEdits) {
    const int32_t *pTrace = w->pTrace.get();
    int32_t x = n, y = m, k = n - m;
    for (int32_t d = nEdits; d > 0; --d) {
        const int32_t *pP = pTrace + (d - 1) * (d - 1) + d - 1;
        bool bDown = k == -d || (k != d && pP[k - 1] < pP[k + 1]);
        int32_t kPrev = bDown ? k + 1 : k - 1, xPrev = pP[kPrev];
        int32_t xStart = bDown ? xPrev : xPrev + 1;
        while (x > xStart) --x, --y, vKeep(w, a0 + static_cast<uint32_t>(x), b0 + static_cast<uint32_t>(y));
        x = xPrev;
        y = xPrev - kPrev;
        k = kPrev;
    }
    while (x > 0) --x, --y, vKeep(w, a0 + static_cast<uint32_t>(x), b0 + static_cast<uint32_t>(y));
}

void vDiffLeaf(Work *w, uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1) {
    int32_t n = static_cast<int32_t>(a1 - a0), m = static_cast<int32_t>(b1 - b0);
    int32_t nEdits = iBoundedSearch(w, a0, n, b0, m);
    if (nEdits >= 0) vKeepSearchPath(w, a0, n, b0, m, nEdits);
}

// Pairs equal lines of old [a0, a1) and new [b0, b1). This function can't fail.
void vDiffRange(Work *w, uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1, uint32_t iDepth) {
    const uint32_t *pClsA = w->a.pCls.get(), *pClsB = w->b.pCls.get();
    for (; a0 < a1 && b0 < b1 && pClsA[a0] == pClsB[b0]; ++a0, ++b0) vKeep(w, a0, b0);
    for (; a0 < a1 && b0 < b1 && pClsA[a1 - 1] == pClsB[b1 - 1]; --a1, --b1) vKeep(w, a1 - 1, b1 - 1);
    if (a0 == a1 || b0 == b1) return;
    uint32_t nAnch = iDepth < MAX_DEPTH ? nFindAnchors(w, a0, a1, b0, b1) : 0;
    if (nAnch == 0) {
        vDiffLeaf(w, a0, a1, b0, b1);
        return;
    }
    uint32_t iBase = w->nAnch - nAnch;  // deeper levels push above these and pop back
    for (uint32_t k = iBase; k < iBase + nAnch; ++k) {
        uint32_t i = w->pAnchA.get()[k], j = w->pAnchB.get()[k];
        vDiffRange(w, a0, i, b0, j, iDepth + 1);
        vKeep(w, i, j);
        a0 = i + 1;
        b0 = j + 1;
    }
    vDiffRange(w, a0, a1, b0, b1, iDepth + 1);
    w->nAnch = iBase;
}

bool bPut(DiffOut *pOut, const char *p, size_t n) {
    if (n > SIZE_MAX - pOut->n || !bGrowTo(&pOut->p, &pOut->cap, pOut->n + n)) return false;
    if (n > 0) std::memcpy(pOut->p + pOut->n, p, n);
    pOut->n += n;
    return true;
}

bool bPutLine(DiffOut *pOut, char cMark, const Lines *pL, uint32_t k) {
    size_t iOff = pL->pOff.get()[k], n = pL->pOff.get()[k + 1] - iOff;
    static const char szNoLf[] = "\n\\ No newline at end of file\n";
    bool bLf = n > 0 && pL->p[iOff + n - 1] == '\n';
    return bPut(pOut, &cMark, 1) && bPut(pOut, pL->p + iOff, n) &&
           (bLf || bPut(pOut, szNoLf, sizeof szNoLf - 1));
}

struct Hunk {
    uint32_t a0, a1, b0, b1;  // old [a0, a1) and new [b0, b1), context included
};

// Finds the next hunk at or after old line *pi and new line *pj, merging changes whose
// unchanged gap is at most twice the context; false when no change is left.
bool bNextHunk(const Work *w, uint32_t nCtx, uint32_t *pi, uint32_t *pj, Hunk *pH) {
    const uint8_t *pKeptA = w->a.pKept.get(), *pKeptB = w->b.pKept.get();
    uint32_t i = *pi, j = *pj, nA = w->a.nLines, nB = w->b.nLines, nRun = 0;
    for (; i < nA && j < nB && pKeptA[i] && pKeptB[j]; ++i, ++j) ++nRun;
    if (i == nA && j == nB) return false;
    uint32_t nLead = nRun < nCtx ? nRun : nCtx;
    pH->a0 = i - nLead;
    pH->b0 = j - nLead;
    for (;;) {
        while (i < nA && !pKeptA[i]) ++i;
        while (j < nB && !pKeptB[j]) ++j;
        uint32_t n = 0;
        while (i + n < nA && j + n < nB && pKeptA[i + n] && pKeptB[j + n]) ++n;
        if ((i + n == nA && j + n == nB) || n > 2 * nCtx) {
            uint32_t nTrail = n < nCtx ? n : nCtx;
            *pi = pH->a1 = i + nTrail;
            *pj = pH->b1 = j + nTrail;
            return true;
        }
        i += n;
        j += n;
    }
}

// "-a,b": the first line and the count; the count 1 is left out, and an empty range names the
// line before it.
void vFmtRange(char *sz, size_t nSz, uint32_t i0, uint32_t n) {
    if (n == 1)
        std::snprintf(sz, nSz, "%lu", static_cast<unsigned long>(i0) + 1);
    else
        std::snprintf(sz, nSz, "%lu,%lu", static_cast<unsigned long>(n == 0 ? i0 : i0 + 1),
                      static_cast<unsigned long>(n));
}

bool bPutHunk(const Work *w, const Hunk *pH, DiffOut *pOut) {
    char szOld[32], szNew[32], szHead[80];
    vFmtRange(szOld, sizeof szOld, pH->a0, pH->a1 - pH->a0);
    vFmtRange(szNew, sizeof szNew, pH->b0, pH->b1 - pH->b0);
    int nHead = std::snprintf(szHead, sizeof szHead, "@@ -%s +%s @@\n", szOld, szNew);
    if (!bPut(pOut, szHead, static_cast<size_t>(nHead))) return false;
    const uint8_t *pKeptA = w->a.pKept.get(), *pKeptB = w->b.pKept.get();
    uint32_t i = pH->a0, j = pH->b0;
    while (i < pH->a1 || j < pH->b1) {
        bool bOk;
        if (i < pH->a1 && !pKeptA[i]) {
            bOk = bPutLine(pOut, '-', &w->a, i++);
        } else if (j < pH->b1 && !pKeptB[j]) {
            bOk = bPutLine(pOut, '+', &w->b, j++);
        } else {
            assert(i < pH->a1 && j < pH->b1);
            bOk = bPutLine(pOut, ' ', &w->a, i++);
            ++j;
        }
        if (!bOk) return false;
    }
    return true;
}

bool bPutDiff(const Work *w, const DiffSide *pOld, const DiffSide *pNew, uint32_t nCtx, DiffOut *pOut) {
    if (!bPut(pOut, "--- ", 4) || !bPut(pOut, pOld->szLabel, std::strlen(pOld->szLabel)) ||
        !bPut(pOut, "\n+++ ", 5) || !bPut(pOut, pNew->szLabel, std::strlen(pNew->szLabel)) ||
        !bPut(pOut, "\n", 1))
        return false;
    uint32_t i = 0, j = 0;
    Hunk h;
    while (bNextHunk(w, nCtx, &i, &j, &h))
        if (!bPutHunk(w, &h, pOut)) return false;
    return true;
}
}  // namespace

int rcDiff(const DiffSide *pOld, const DiffSide *pNew, int iContext, DiffOut *pOut) {
    // Line arrays, class table and scratch are all owned by w and released on every return.
    assert(iContext >= 0 && pOld->szLabel != nullptr && pNew->szLabel != nullptr);
    if (pOld->n == pNew->n && (pOld->n == 0 || std::memcmp(pOld->p, pNew->p, pOld->n) == 0)) return RC_OK;
    size_t nAtCall = pOut->n;
    size_t nLinesA = nCountLines(pOld->p, pOld->n), nLinesB = nCountLines(pNew->p, pNew->n);
    Work w{};
    if (nLinesA + nLinesB > MAX_LINES || !bSplitLines(pOld, nLinesA, &w.a) || !bSplitLines(pNew, nLinesB, &w.b))
        return rcNoMem("rcDiff()", szModule, SITE_LINES);
    if (!bClassify(&w)) return rcNoMem("rcDiff()", szModule, SITE_CLASSES);
    if (!bAllocScratch(&w)) return rcNoMem("rcDiff()", szModule, SITE_SCRATCH);
    vDiffRange(&w, 0, w.a.nLines, 0, w.b.nLines, 0);
    uint32_t nCtx = iContext > (1 << 28) ? 1u << 28 : static_cast<uint32_t>(iContext);
    if (!bPutDiff(&w, pOld, pNew, nCtx, pOut)) {
        pOut->n = nAtCall;
        return rcNoMem("rcDiff()", szModule, SITE_OUT);
    }
    return RC_OK;
}

void vFreeDiffOut(DiffOut *pOut) {
    vFree(pOut->p);
    *pOut = DiffOut{};
}
