// Shared globals and helpers of the program: the message stream and failure trail, the result
// codes, the one allocation function, number formatting, the executable's location and the
// file helpers of the statement dump.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>

// Result codes: every operation that can fail returns one of these; 0 is success.
enum : int {
    RC_OK = 0,
    RC_CHANGED = 1,    // --check: a text would change
    RC_USAGE = 2,      // an option's value cannot be used
    RC_UNCHECKED = 3,  // --check or --diff: a path was passed over, so not everything was checked
    RC_NOMEM = 5,      // memory allocation failed
    RC_OPEN = 6,       // opening, examining or searching a file failed
    RC_WRITE = 7,      // writing to a file or to standard output failed
    RC_UNLINK = 10,    // deleting a file failed
    RC_NAMELEN = 15,   // a file name is longer than 260 characters
    RC_READONLY = 17,  // the path names a read-only file
    RC_NOTFOUND = 18,  // a file or path name was not found
    RC_MAXIDT = 23,    // the maximum indentation was exceeded
    RC_PAREN = 24,     // a parenthesis has no partner
    RC_EXELEN = 25,    // the executable's directory or base name is too long
    RC_OVERRUN = 26,   // a buffer overrun was detected
    RC_SEEK = 29,      // repositioning an input file failed
    RC_BADTEXT = 30,   // a file is binary, or its text is not valid in its encoding
    RC_TMSTATS = 35,   // the timing statistics were misused or cannot work
    RC_NOTCMT = 36,    // the text at the given position does not start a comment
    RC_CONFIG = 40,    // a line of a settings file cannot be used
    RC_WIN32 = 44,     // a platform call failed
};

enum { MAX_PATH_LEN = 260 };  // the longest file name the helpers accept

extern FILE *console;     // every message of the program goes here
extern int iLastErrLine;  // failure site of the most recent trail line

// The error number of the first write to the message stream that failed (0: none failed): a
// message that standard output did not take is reported at the end of the run.
extern int iConWriteErr;

// Writes formatted text to console. Every LF becomes CR LF, so the message bytes are the same
// on every platform. Returns the number of bytes written or a negative value.
int iConPrintf(const char *szFmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Writes n bytes to a stream, every LF as CR LF. Returns 0, or -1 when the stream refused.
int iPutText(FILE *fp, const char *p, size_t n);

// Stores the site in iLastErrLine, writes the trail line naming the function ("name()"), its
// module's source name and the site, and returns rc unchanged.
int rcTrail(int rc, const char *szFunc, const char *szModule, int iLine);

// Writes the memory message ("Error -" prefix) and the trail line; returns RC_NOMEM.
int rcNoMem(const char *szFunc, const char *szModule, int iLine);

// The one allocation function: zero-filled blocks, null on failure, never throws.
void *pvAlloc(size_t n);
void *pvRealloc(void *p, size_t n);  // on failure the old block stays valid
void vFree(void *p);
// The caller is about to write every byte of [p, p + n), of a block of its own: a large one gets
// its pages at once where the system can give them so. The bytes stay as they are.
void vWillFill(void *p, size_t n);

// Grows the block *pp of *pCap elements of nSize bytes to hold nNeed elements or more, at least
// doubling it so that many appends take linear time. False, with the block as it was, when
// memory is short or the size cannot be had.
bool bGrowBlock(void **pp, size_t *pCap, size_t nNeed, size_t nSize);
template <class T>
bool bGrowTo(T **pp, size_t *pCap, size_t nNeed) {
    if (nNeed <= *pCap) return true;  // most calls find room
    void *pv = *pp;
    if (!bGrowBlock(&pv, pCap, nNeed, sizeof(T))) return false;
    *pp = static_cast<T *>(pv);
    return true;
}

// Test hook: make the n-th allocation from now fail (n >= 1), and every later one too when
// bPersist is set; n == 0 switches failures off.
void vFailAllocAt(long n, bool bPersist);

struct FreeDeleter {
    void operator()(void *p) const { vFree(p); }
};
template <class T>
using HeapPtr = std::unique_ptr<T, FreeDeleter>;

// Runs a callable when the scope ends: guards streams, handles and blocks whose ownership is
// not a plain pointer.
template <class F>
class ScopeExit {
  public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit &) = delete;
    ScopeExit &operator=(const ScopeExit &) = delete;

  private:
    F f_;
};

// Decimal text of v with a comma between groups of iGroup digits, in one process-wide buffer
// that the next call overwrites.
const char *szFmtNum(int64_t v, int iGroup);

extern char szExeDir[MAX_PATH_LEN + 1];
extern char szExeName[MAX_PATH_LEN + 1];

// Splits the executable's path at its last path separator into directory and base name (the
// base name without its extension).
int rcGetExeLoc(const char *szPath, char *szDir, char *szName);

// Creates (or replaces) a file and stores the opened stream in *pfp.
int rcOpenDiag(FILE **pfp, const char *szName, const char *szMode);

// Creates or replaces the file and writes size bytes of buf to it, as they are.
int rcWriteStr(const char *szName, const char *buf, uint32_t size);

// Deletes the file; classifies a failure as read-only (17), missing (18) or other (10).
int rcUnlink(const char *szName);

// The path of szName in the directory szDir: the two joined by the platform's separator, or by
// none when szDir is empty or already ends in one ("sql/" and "x.sql" give "sql/x.sql"). A
// pvAlloc block that becomes the caller's; null when memory is short.
char *szJoinPath(const char *szDir, const char *szName);

// Sort comparator of the arguments and of directory entries, over two pointers to texts: the
// byte comparison of the first text against the second over the length of the second.
int iCmpPrefix(const void *pv1, const void *pv2);

// Sorts texts in place with iCmpPrefix.
void vSortPrefix(char **aszText, int32_t n);
