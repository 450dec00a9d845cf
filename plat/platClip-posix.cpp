// The clipboard of a Linux desktop, reached through the desktop's own clipboard tools:
// wl-paste/wl-copy under Wayland, else xclip, else xsel under X11.
//
// Asking for text reads it: a tool that ends well delivers the text, which is kept until the
// clipboard is closed. Opening and emptying only check the order of calls: the copy tool
// replaces the contents at once when the new block is handed over, so a failure before that
// leaves the old contents in place. Each tool runs with its input closed after the text, and
// no run takes longer than TOOL_TIMEOUT_MS; a tool that has not ended by then is killed.
#include "plat/platClip.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>

#include "plat/platError.h"

extern char **environ;

struct PlatClipBlock {
    char *p;   // NUL-terminated text
    size_t n;  // size of p in bytes, the NUL included
};

namespace {
enum {
    TOOL_TIMEOUT_MS = 5000,
    POLL_STEP_MS = 20,  // how often a run looks whether the tool has ended
    ERR_TEXT = 160,     // the first bytes of the tool's error output that are kept
    REASON = 400,
};

struct Tool {
    const char *const *argvRead;   // writes the clipboard's text to its standard output
    const char *const *argvWrite;  // takes the new text from its standard input
    bool bEmptyIsNoText;           // the tool reads a clipboard without text as an empty
                                   // text: an empty text counts as none
};

const char *const argvWlPaste[] = {"wl-paste", "--no-newline", "--type", "text", nullptr};
const char *const argvWlCopy[] = {"wl-copy", nullptr};
const char *const argvXclipOut[] = {"xclip", "-selection", "clipboard", "-out", nullptr};
const char *const argvXclipIn[] = {"xclip", "-selection", "clipboard", "-in", nullptr};
const char *const argvXselOut[] = {"xsel", "--clipboard", "--output", nullptr};
const char *const argvXselIn[] = {"xsel", "--clipboard", "--input", nullptr};

const Tool toolWayland = {argvWlPaste, argvWlCopy, false};
const Tool toolXclip = {argvXclipOut, argvXclipIn, false};
const Tool toolXsel = {argvXselOut, argvXselIn, true};

bool bIsOpen = false;
PlatClipBlock *pClipText = nullptr;  // the text read from the clipboard, ours until closed
PlatClipBlock *pHandedOver = nullptr;  // the block placed on the clipboard, ours until closed

void vFreeBlock(PlatClipBlock *pBlock) {
    if (pBlock == nullptr) return;
    std::free(pBlock->p);
    std::free(pBlock);
}

uint32_t uFailErr = 0;  // the last failure's error, set again as the call returns

void vFailWith(uint32_t uErr, const char *szReason) {
    uFailErr = uErr;
    vPlatSetLastErrorReason(uErr, szReason);
}

// The clean-up after a failure may touch errno: the failure's value is the one to return with.
void vRestoreFailure() { errno = static_cast<int>(uFailErr); }

// A system call failed for the tool szProgram: its errno, with the tool named.
void vFailRun(const char *szProgram) {
    int iErr = errno;
    char szReason[REASON];
    std::snprintf(szReason, sizeof szReason, "cannot run %s: %s", szProgram, std::strerror(iErr));
    vFailWith(static_cast<uint32_t>(iErr), szReason);
}

bool bFailRun(const char *szProgram) {
    vFailRun(szProgram);
    return false;
}

bool bHasValue(const char *szVar) {
    const char *sz = std::getenv(szVar);
    return sz != nullptr && *sz != '\0';
}

// The full path of a program found in PATH, in szPath; false when there is none.
bool bFindProgram(const char *szName, char *szPath, size_t nPath) {
    const char *szDirs = std::getenv("PATH");
    if (szDirs == nullptr) return false;
    for (const char *p = szDirs;; ++p) {
        const char *pEnd = std::strchr(p, ':');
        size_t nDir = pEnd != nullptr ? static_cast<size_t>(pEnd - p) : std::strlen(p);
        // An empty entry stands for the current directory.
        int n = nDir == 0 ? std::snprintf(szPath, nPath, "%s", szName)
                          : std::snprintf(szPath, nPath, "%.*s/%s", static_cast<int>(nDir), p, szName);
        struct stat st;
        if (n > 0 && static_cast<size_t>(n) < nPath && stat(szPath, &st) == 0 && S_ISREG(st.st_mode) &&
            access(szPath, X_OK) == 0)
            return true;
        if (pEnd == nullptr) return false;
        p = pEnd;
    }
}

bool bHasTool(const Tool &tool) {
    char szPath[4096];
    return bFindProgram(tool.argvRead[0], szPath, sizeof szPath) &&
           bFindProgram(tool.argvWrite[0], szPath, sizeof szPath);
}

// The tool for this desktop; null with the reason set when there is no display or no tool.
const Tool *pPickTool() {
    bool bWayland = bHasValue("WAYLAND_DISPLAY"), bX11 = bHasValue("DISPLAY");
    if (!bWayland && !bX11) {
        vFailWith(ENXIO, "no desktop display: neither WAYLAND_DISPLAY nor DISPLAY is set");
        return nullptr;
    }
    if (bWayland && bHasTool(toolWayland)) return &toolWayland;
    if (bX11 && bHasTool(toolXclip)) return &toolXclip;
    if (bX11 && bHasTool(toolXsel)) return &toolXsel;
    vFailWith(ENOENT, !bWayland ? "no clipboard tool found: install xclip or xsel"
                      : bX11    ? "no clipboard tool found: install wl-clipboard, xclip or xsel"
                                : "no clipboard tool found: install wl-clipboard");
    return nullptr;
}

// What one run of a tool left: its standard output (when asked for), the start of its error
// output and how it ended.
struct ToolRun {
    char *pOut = nullptr;  // malloc'd; the caller takes it
    size_t nOut = 0;
    size_t capOut = 0;
    char szErr[ERR_TEXT] = {0};
    size_t nErr = 0;
    int iStatus = 0;  // exit status, or 128 + the signal that stopped it
    bool bSignaled = false;
    ToolRun() = default;
    ToolRun(const ToolRun &) = delete;
    ToolRun &operator=(const ToolRun &) = delete;
    ~ToolRun() { std::free(pOut); }
};

// The pipe ends and the child of one run; whatever is still open is closed, and a child that
// is still running is killed and collected.
struct Child {
    int fdIn = -1, fdOut = -1, fdErr = -1;
    pid_t pid = -1;
    Child() = default;
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;
    ~Child() {
        vClose(&fdIn);
        vClose(&fdOut);
        vClose(&fdErr);
        if (pid > 0) {
            kill(pid, SIGKILL);
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
    }
    static void vClose(int *pfd) {
        if (*pfd >= 0) close(*pfd);
        *pfd = -1;
    }
};

// A writer whose reader has gone must see EPIPE, not end the program.
struct IgnorePipeSignal {
    struct sigaction saOld;
    IgnorePipeSignal() {
        struct sigaction sa;
        std::memset(&sa, 0, sizeof sa);
        sa.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &sa, &saOld);
    }
    ~IgnorePipeSignal() { sigaction(SIGPIPE, &saOld, nullptr); }
};

// A pipe whose ends are above the standard streams (they may be closed), close-on-exec.
bool bPipe(int afd[2]) {
    if (pipe(afd) != 0) return false;
    for (int i = 0; i < 2; ++i) {
        int fd = fcntl(afd[i], F_DUPFD_CLOEXEC, 3);
        if (fd < 0) {
            int iErr = errno;
            close(afd[0]);
            close(afd[1]);
            errno = iErr;
            return false;
        }
        close(afd[i]);
        afd[i] = fd;
    }
    return true;
}

long lNowMs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Reads what a pipe has now; false on a failure (errno set). Closes the pipe at its end.
bool bDrain(int *pfd, ToolRun *pRun, bool bIsOut) {
    char ab[65536];
    for (;;) {
        ssize_t n = read(*pfd, ab, sizeof ab);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (n < 0) return false;
        if (n == 0) {
            Child::vClose(pfd);
            return true;
        }
        size_t nRead = static_cast<size_t>(n);
        if (!bIsOut) {
            size_t nKeep = sizeof pRun->szErr - 1 - pRun->nErr;
            if (nKeep > nRead) nKeep = nRead;
            std::memcpy(pRun->szErr + pRun->nErr, ab, nKeep);
            pRun->nErr += nKeep;
            continue;
        }
        if (pRun->nOut + nRead + 1 > pRun->capOut) {
            size_t cap = pRun->capOut == 0 ? sizeof ab : pRun->capOut;
            while (cap < pRun->nOut + nRead + 1) cap *= 2;
            char *p = static_cast<char *>(std::realloc(pRun->pOut, cap));
            if (p == nullptr) {
                errno = ENOMEM;
                return false;
            }
            pRun->pOut = p;
            pRun->capOut = cap;
        }
        std::memcpy(pRun->pOut + pRun->nOut, ab, nRead);
        pRun->nOut += nRead;
    }
}

// Feeds pIn to the tool's input as far as the pipe takes it; closes the input after the last
// byte, or when the tool no longer reads it.
bool bFeed(int *pfd, const char *pIn, size_t nIn, size_t *pnDone) {
    while (*pnDone < nIn) {
        ssize_t n = write(*pfd, pIn + *pnDone, nIn - *pnDone);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (n < 0 && errno == EPIPE) break;  // its exit status tells what happened
        if (n < 0) return false;
        *pnDone += static_cast<size_t>(n);
    }
    Child::vClose(pfd);
    return true;
}

// Starts szPath (argv) with its standard streams on new pipes: input when bFeedIn, output when
// bReadOut (else the null device; a tool that stays behind to serve the clipboard keeps them),
// and error always. The child's ends are closed here; ours are left in pChild, non-blocking.
// False with errno set when the tool could not be started.
bool bSpawn(const char *szPath, const char *const *argv, bool bFeedIn, bool bReadOut, Child *pChild) {
    int afdIn[2] = {-1, -1}, afdOut[2] = {-1, -1}, afdErr[2] = {-1, -1};
    bool bOk = (!bFeedIn || bPipe(afdIn)) && (!bReadOut || bPipe(afdOut)) && bPipe(afdErr);
    pChild->fdIn = afdIn[1];
    pChild->fdOut = afdOut[0];
    pChild->fdErr = afdErr[0];
    if (bOk) {
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        if (bFeedIn)
            posix_spawn_file_actions_adddup2(&fa, afdIn[0], 0);
        else
            posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
        if (bReadOut)
            posix_spawn_file_actions_adddup2(&fa, afdOut[1], 1);
        else
            posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&fa, afdErr[1], 2);
        // The tool gets the default action for a broken pipe, which this run ignores.
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        sigset_t setDefault;
        sigemptyset(&setDefault);
        sigaddset(&setDefault, SIGPIPE);
        posix_spawnattr_setsigdefault(&attr, &setDefault);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
        int iErr = posix_spawn(&pChild->pid, szPath, &fa, &attr, const_cast<char *const *>(argv), environ);
        posix_spawnattr_destroy(&attr);
        posix_spawn_file_actions_destroy(&fa);
        if (iErr != 0) {
            pChild->pid = -1;
            errno = iErr;
            bOk = false;
        }
    }
    int iSaved = errno;
    for (int fd : {afdIn[0], afdOut[1], afdErr[1]})
        if (fd >= 0) close(fd);
    errno = iSaved;
    if (!bOk) return false;
    for (int fd : {pChild->fdIn, pChild->fdOut, pChild->fdErr})
        if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return true;
}

// Feeds the running tool its input and collects its output until it ends, at most
// TOOL_TIMEOUT_MS. True when it ended (its status in pRun); false with the last error set.
bool bAwaitTool(const char *szProgram, Child *pChild, const char *pIn, size_t nIn, ToolRun *pRun) {
    size_t nDone = 0;
    if (pChild->fdIn >= 0 && !bFeed(&pChild->fdIn, pIn, nIn, &nDone)) return bFailRun(szProgram);
    long lDeadline = lNowMs() + TOOL_TIMEOUT_MS;
    for (;;) {
        int iWait = 0;
        pid_t pid = waitpid(pChild->pid, &iWait, WNOHANG);
        if (pid < 0 && errno != EINTR) return bFailRun(szProgram);
        bool bEnded = pid == pChild->pid;
        // After the tool's end its output is all in the pipes: read what is there and stop,
        // since a copy of the tool serving the clipboard may hold the pipes open.
        if ((pChild->fdOut >= 0 && !bDrain(&pChild->fdOut, pRun, true)) ||
            (pChild->fdErr >= 0 && !bDrain(&pChild->fdErr, pRun, false)))
            return bFailRun(szProgram);
        if (bEnded) {
            pChild->pid = -1;
            pRun->bSignaled = WIFSIGNALED(iWait);
            pRun->iStatus = WIFEXITED(iWait) ? WEXITSTATUS(iWait) : 128 + WTERMSIG(iWait);
            return true;
        }
        long lLeft = lDeadline - lNowMs();
        if (lLeft <= 0) {
            char szReason[REASON];
            std::snprintf(szReason, sizeof szReason, "%s did not finish within %d seconds", szProgram,
                          TOOL_TIMEOUT_MS / 1000);
            vFailWith(ETIMEDOUT, szReason);
            return false;  // the guard kills it
        }
        struct pollfd apfd[3];
        nfds_t nfd = 0;
        if (pChild->fdIn >= 0) apfd[nfd++] = {pChild->fdIn, POLLOUT, 0};
        if (pChild->fdOut >= 0) apfd[nfd++] = {pChild->fdOut, POLLIN, 0};
        if (pChild->fdErr >= 0) apfd[nfd++] = {pChild->fdErr, POLLIN, 0};
        poll(apfd, nfd, static_cast<int>(lLeft < long(POLL_STEP_MS) ? lLeft : long(POLL_STEP_MS)));
        if (pChild->fdIn >= 0 && !bFeed(&pChild->fdIn, pIn, nIn, &nDone)) return bFailRun(szProgram);
    }
}

// Runs the tool argv with pIn on its standard input (nothing when pIn is null) and, when
// bReadOut is set, collects its standard output. True when the tool ran to its end, whatever
// its exit status; false with the last error set when it could not run or did not end in time.
bool bRunTool(const char *const *argv, const char *pIn, size_t nIn, bool bReadOut, ToolRun *pRun) {
    char szPath[4096];
    if (!bFindProgram(argv[0], szPath, sizeof szPath)) {
        errno = ENOENT;
        vFailRun(argv[0]);
        return false;
    }
    IgnorePipeSignal ignorePipe;
    Child child;
    if (!bSpawn(szPath, argv, pIn != nullptr, bReadOut, &child)) {
        vFailRun(argv[0]);
        return false;
    }
    return bAwaitTool(argv[0], &child, pIn, nIn, pRun);
}

// Sets the last error for a tool that ended with a failure: its exit status and the first
// line of what it said.
void vFailStatus(const char *szProgram, const ToolRun &run) {
    char szSaid[ERR_TEXT];
    std::memcpy(szSaid, run.szErr, sizeof szSaid);
    szSaid[std::strcspn(szSaid, "\r\n")] = '\0';
    char szReason[REASON];
    if (run.bSignaled)
        std::snprintf(szReason, sizeof szReason, "%s was stopped by signal %d", szProgram, run.iStatus - 128);
    else
        std::snprintf(szReason, sizeof szReason, "%s ended with exit status %d%s%s", szProgram, run.iStatus,
                      szSaid[0] != '\0' ? ": " : "", szSaid);
    vFailWith(static_cast<uint32_t>(run.iStatus), szReason);
}

// Reads the clipboard's text into a new block; null with the last error set when there is no
// text or no way to read it.
PlatClipBlock *pReadText() {
    const Tool *pTool = pPickTool();
    if (pTool == nullptr) return nullptr;
    ToolRun run;
    if (!bRunTool(pTool->argvRead, nullptr, 0, true, &run)) return nullptr;
    if (run.iStatus != 0) {
        vFailStatus(pTool->argvRead[0], run);
        return nullptr;
    }
    if (run.nOut == 0 && pTool->bEmptyIsNoText) {
        vFailWith(ENODATA, "the clipboard holds no text");
        return nullptr;
    }
    auto *pBlock = static_cast<PlatClipBlock *>(std::calloc(1, sizeof(PlatClipBlock)));
    char *p = run.pOut != nullptr ? static_cast<char *>(std::realloc(run.pOut, run.nOut + 1))
                                  : static_cast<char *>(std::calloc(1, 1));
    if (p != nullptr) run.pOut = p;
    if (pBlock == nullptr || p == nullptr) {
        std::free(pBlock);
        vFailWith(ENOMEM, std::strerror(ENOMEM));
        return nullptr;
    }
    p[run.nOut] = '\0';
    pBlock->p = p;
    pBlock->n = run.nOut + 1;
    run.pOut = nullptr;
    return pBlock;
}

bool bFailClosed() {
    vFailWith(EBADF, "the clipboard is not open");
    return false;
}

bool bHasText() {
    vFreeBlock(pClipText);
    pClipText = pReadText();
    if (pClipText == nullptr) vRestoreFailure();
    return pClipText != nullptr;
}

bool bOpen() {
    bIsOpen = true;
    return true;
}

HCLIPTEXT hGetText(bool) {
    if (!bIsOpen) {
        bFailClosed();
        return nullptr;
    }
    if (pClipText == nullptr) pClipText = pReadText();
    if (pClipText == nullptr) vRestoreFailure();
    return pClipText;
}

char *szLock(HCLIPTEXT hText) { return hText->p; }
void vUnlock(HCLIPTEXT) {}
size_t nSize(HCLIPTEXT hText) { return hText->n; }

HCLIPTEXT hAlloc(size_t n) {
    auto *pBlock = static_cast<PlatClipBlock *>(std::calloc(1, sizeof(PlatClipBlock)));
    char *p = static_cast<char *>(std::calloc(n > 0 ? n : 1, 1));
    if (pBlock == nullptr || p == nullptr) {
        std::free(pBlock);
        std::free(p);
        vFailWith(ENOMEM, std::strerror(ENOMEM));
        return nullptr;
    }
    pBlock->p = p;
    pBlock->n = n;
    return pBlock;
}

void vRelease(HCLIPTEXT hText) { vFreeBlock(hText); }

bool bEmpty() { return bIsOpen ? true : bFailClosed(); }

// The bytes of a block's text: up to its NUL, or for UTF-16 up to its NUL unit.
size_t nTextBytes(const PlatClipBlock *pBlock, bool bWide) {
    if (!bWide) return strnlen(pBlock->p, pBlock->n);
    size_t n = 0;
    while (n + 1 < pBlock->n && (pBlock->p[n] != '\0' || pBlock->p[n + 1] != '\0')) n += 2;
    return n;
}

HCLIPTEXT hSetText(HCLIPTEXT hText, bool bWide) {
    if (!bIsOpen) {
        bFailClosed();
        return nullptr;
    }
    const Tool *pTool = pPickTool();
    if (pTool == nullptr) {
        vRestoreFailure();
        return nullptr;
    }
    bool bPlaced;
    {
        ToolRun run;
        bPlaced = bRunTool(pTool->argvWrite, hText->p, nTextBytes(hText, bWide), false, &run);
        if (bPlaced && run.iStatus != 0) {
            vFailStatus(pTool->argvWrite[0], run);
            bPlaced = false;
        }
    }
    if (!bPlaced) {
        vRestoreFailure();
        return nullptr;
    }
    vFreeBlock(pHandedOver);
    pHandedOver = hText;  // the clipboard's now
    return hText;
}

bool bClose() {
    if (!bIsOpen) return bFailClosed();
    bIsOpen = false;
    vFreeBlock(pClipText);
    vFreeBlock(pHandedOver);
    pClipText = pHandedOver = nullptr;
    return true;
}

// The desktop tools hand over bytes (UTF-8 as a rule); a text of UTF-16 bytes is told by the
// run mode, which hands it back as UTF-16 (hSetText with bWide).
bool bWideText() { return false; }
}  // namespace

PlatClipApi platClip = {bHasText, bOpen,    bWideText, hGetText, szLock,   vUnlock,
                        nSize,    hAlloc,   vRelease,  bEmpty,   hSetText, bClose};
