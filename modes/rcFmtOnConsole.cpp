#include "modes/rcFmtOnConsole.h"

#include <cassert>
#include <cerrno>
#include <cstring>

#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtStmt.h"

namespace {
const char szModule[] = "..\\share\\rcFmtOnConsole";
enum {
    SITE_GROW = 28,
    SITE_READ = 33,  // standard input could not be read to its end
    SITE_FORMAT = 42,
    SITE_WRITE = 50,
};
enum { LINE_READ = 2048 };  // one read stores at most 2047 bytes and its NUL

int rcFail(int rc, int iLine) { return rcTrail(rc, "rcFmtOnConsole()", szModule, iLine); }

// The text collected from standard input. The stream is read in binary and handled as a text
// stream would hand it over line by line: CR LF arrives as LF, and a read ends after a LF or
// after 2047 bytes; a NUL ends that read's contribution, so the bytes after it up to the end
// of the read are lost.
struct InputText {
    char *p = nullptr;  // NUL-terminated; ours
    size_t n = 0;
    size_t cap = 0;
    size_t iReadLen = 0;  // bytes of the current read so far
    bool bNulSeen = false;

    ~InputText() { vFree(p); }

    bool bGrow(size_t nMore) {
        if (n + nMore + 1 <= cap) return true;
        size_t capNew = cap < size_t(LINE_READ) ? size_t(LINE_READ) : cap;
        while (capNew < n + nMore + 1) capNew *= 2;  // geometric: many megabytes in linear time
        char *pNew = static_cast<char *>(pvRealloc(p, capNew));
        if (pNew == nullptr) return false;
        p = pNew;
        cap = capNew;
        return true;
    }

    void vTake(char ch) {  // room for it is there
        if (!bNulSeen) {
            if (ch == '\0')
                bNulSeen = true;
            else
                p[n++] = ch;
        }
        if (ch == '\n' || ++iReadLen == LINE_READ - 1) {  // this read ends here
            iReadLen = 0;
            bNulSeen = false;
        }
    }
};

// Reads all of a stream into *pText; false when the buffer could not grow.
bool bReadInput(FILE *fp, InputText *pText) {
    char abRaw[65536];
    bool bPendingCr = false;  // a CR at the end of the previous block
    for (;;) {
        size_t nRaw = std::fread(abRaw, 1, sizeof abRaw, fp);
        if (nRaw == 0) break;  // end of input or a read error: what was read is the text
        if (!pText->bGrow(nRaw + 1)) return false;
        size_t i = 0;
        if (bPendingCr) {
            bPendingCr = false;
            if (abRaw[0] != '\n') pText->vTake('\r');
        }
        for (; i < nRaw; ++i) {
            char ch = abRaw[i];
            if (ch == '\r') {
                if (i + 1 == nRaw) {
                    bPendingCr = true;
                    break;
                }
                if (abRaw[i + 1] == '\n') continue;  // CR LF reads as LF
            }
            pText->vTake(ch);
        }
    }
    if (!pText->bGrow(1)) return false;
    if (bPendingCr) pText->vTake('\r');
    pText->p[pText->n] = '\0';
    return true;
}
}  // namespace

bool bReadConsoleText(FILE *fp, char **pszText, size_t *pnText) {
    InputText text;
    if (!bReadInput(fp, &text)) return false;
    *pszText = text.p;
    *pnText = text.n;
    text.p = nullptr;
    return true;
}

int rcFmtOnConsole(StmtStyle *rStmtStyle) {
    assert(rStmtStyle != nullptr && console != nullptr);
    char *szText = nullptr;
    size_t nText = 0;
    errno = 0;
    if (!bReadConsoleText(stdin, &szText, &nText)) return rcNoMem("rcFmtOnConsole()", szModule, SITE_GROW);
    HeapPtr<char> text(szText);
    if (std::ferror(stdin)) {
        // A read error is no end of input: a statement cut short must not be formatted as if whole.
        iConPrintf(szMsgOpen, szErrorPrefix, "stdin", std::strerror(errno), "");
        return rcFail(RC_OPEN, SITE_READ);
    }

    char *szStmtFmt = nullptr;  // ours once rcFmtStmt stores it, even if it fails afterwards
    ScopeExit freeFmt([&] { vFree(szStmtFmt); });
    int rc = rcFmtStmt(szText, &szStmtFmt, rStmtStyle);
    if (rc != RC_OK) return rcFail(rc, SITE_FORMAT);

    size_t nFmt = std::strlen(szStmtFmt);
    errno = 0;
    if (iPutText(stdout, szStmtFmt, nFmt) != 0 || std::fflush(stdout) != 0) {
        iConPrintf(szMsgWrite, szErrorPrefix, "stdout", std::strerror(errno), "");
        return rcFail(RC_WRITE, SITE_WRITE);
    }
    return RC_OK;
}
