// The text of a run mode as it is stored and as the formatter reads it: the bytes of a file,
// of standard input or of the clipboard become a text in the encoding the formatter reads (a
// UTF-16 text as UTF-8) with its line ends as they are, and the formatted text goes back in the
// same form. Which line end the formatter writes is the run's choice (--eol).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "runtime/psGlobals.h"

// How a text is stored.
struct TextForm {
    int32_t eUtf16 = 0;     // 0: bytes as they are; CS_UTF16LE or CS_UTF16BE: UTF-16, read as UTF-8
    bool bBom = false;      // a UTF-16 byte order mark stood first, and is written first again
    bool bUtf32 = false;    // a UTF-32 byte order mark stands first: the text is refused
    int32_t eEncoding = 0;  // the encoding the formatter reads the text in (never ENC_AUTO)
    bool bCrLf = true;      // its lines end in CR LF (see bCrLfText)
};

// The form of the stored bytes: UTF-32 (refused) when they begin with its byte order mark
// (FF FE 00 00 or 00 00 FE FF); UTF-16 when they begin with its byte order mark, when eUtf16
// names it (a clipboard's UTF-16 has none), or when their first bytes show the NUL pattern of
// UTF-16 without a mark (see eUtf16Unmarked); else bytes in eWant or, for ENC_AUTO, in the
// encoding they show. *pnBom receives the length of the UTF-16 byte order mark (0 or 2).
void vTextFormOf(const char *pRaw, size_t nRaw, int32_t eWant, int32_t eUtf16, TextForm *pForm, size_t *pnBom);

// The byte order of UTF-16 without a byte order mark, or 0: SQL text is mostly ASCII, so in
// UTF-16 the high byte of most units is NUL while their low byte is not. Of the units in the
// first 4 KiB, at least three in five must have a NUL high byte and at most one in twenty a NUL
// low byte (U+3000, the ideographic space, is one), in one byte order. A text with a few NUL
// bytes among its characters shows no such pattern and stays bytes.
int32_t eUtf16Unmarked(const char *p, size_t n);

// Converts n bytes of UTF-16 (eUtf16) to UTF-8 in a new block *ppText (NUL after its *pnText
// bytes) that the caller frees with vFree. Returns RC_OK, RC_NOMEM or RC_BADTEXT (not valid
// UTF-16: an odd length, an unpaired surrogate); nothing is reported and nothing is stored on
// failure.
int rcUtf16ToUtf8(const char *p, size_t n, int32_t eUtf16, char **ppText, size_t *pnText);

// "UTF-16LE" or "UTF-16BE", for messages.
const char *szUtf16Name(int32_t eUtf16);

// The text of n stored bytes read in eWant, as console and file mode read them: *pForm receives
// their form (its bCrLf that of the text); a UTF-16 text goes to a new block *ppOwnText (the
// caller's, freed with vFree) as UTF-8, any other text is the stored bytes themselves (*ppOwnText
// stays null). *pnText receives the text's length. Returns RC_OK; RC_NOMEM (nothing reported);
// or RC_BADTEXT for UTF-32 or UTF-16 that is not valid, after the message that names szName.
int rcTextOfStored(const char *pRaw, size_t nRaw, int32_t eWant, const char *szName, TextForm *pForm,
                   char **ppOwnText, size_t *pnText);

// Turns every CR LF of [p, p + n) into LF, in place; a lone CR stays. Returns the new length.
// The run modes hand the formatter the line ends as they are; this is for texts compared
// without regard to them.
size_t nCrLfToLf(char *p, size_t n);

// Whether [p, p + n) holds a NUL byte: a file that does, and is not UTF-16, is binary.
bool bHoldsNul(const char *p, size_t n);

// Reads a whole stream into *pp (length *pn, capacity *pcap, a NUL after the bytes), growing the
// block geometrically: linear time for any size. pfnRead and pfnError are the stream calls to
// use (a test may put in failing ones). Returns 0, ENOMEM, EFBIG (beyond 2 GiB) or the error of a
// failed read (errno, at least EIO). uExpect, when known, is the size the stream should have: the
// block is made for it at once (with nRoom bytes more for the caller's later use), gets the pages
// for that many bytes at once, and a stream of that size is read in one go.
int iReadAllBytes(FILE *fp, size_t (*pfnRead)(void *, size_t, size_t, FILE *), int (*pfnError)(FILE *), char **pp,
                  size_t *pn, size_t *pcap, uint64_t uExpect = 0, size_t nRoom = 0);

// How the formatted text ends its lines: CR LF, LF, or as the text came in (see bCrLfText).
enum : int32_t { EOL_CRLF = 0, EOL_LF = 1, EOL_KEEP = 2 };

// The choice of a run that names none, on the command line or in a settings file: on Windows,
// where lines end in CR LF as a rule, CR LF; elsewhere each text keeps its own.
int32_t eDefaultEol();

// The line end the text at p (read in eEncoding) uses: CR LF or LF, that of its first line end
// that the formatter writes anew (between tokens, or ending a line comment or a command), not
// one inside a literal, a quoted name, a block comment or a unit carried whole, which stay as
// they came: so a formatted text, whose own first such line end is the one written, is read as
// it was. Where every line end is such data, that of the first; the platform's own for a text
// without a line end.
bool bCrLfText(const char *p, size_t n, int32_t eEncoding);

// Whether the formatter writes CR LF (else LF) into a text of the form rForm under the choice
// eEol.
bool bCrLfFor(int32_t eEol, const TextForm &rForm);

// A text put back into its stored form, in memory: UTF-16 again (its byte order mark first)
// where it came as UTF-16. The formatted text keeps the line ends the formatter wrote (bPut);
// the text between the statements of a report or trace file has each of its line ends written
// as the chosen one (bPutLines). The bytes gather in p (n of cap bytes, the caller's block once
// taken); a put fails only for want of memory or for a text that UTF-16 cannot hold. A writer
// given a stream (vSinkTo) instead writes its bytes to it block by block, holding no more than
// a block: a put may then also fail for the stream.
struct TextWriter {
    TextForm rForm;
    bool bCrLf = true;      // the chosen line end of bPutLines: CR LF, else LF
    char *p = nullptr;
    size_t n = 0, cap = 0;
    int iErr = 0;           // why the last put failed: ENOMEM, EILSEQ, or the stream's errno
    bool bBomDone = false;
    FILE *pSink = nullptr;  // the stream the bytes go to, or null: they gather in p
    bool bSinkFailed = false;  // the stream refused bytes (iErr holds its errno)

    TextWriter(const TextForm &rFormOut, bool bCrLfOut) : rForm(rFormOut), bCrLf(bCrLfOut) {}
    ~TextWriter() { vFree(p); }
    TextWriter(const TextWriter &) = delete;
    TextWriter &operator=(const TextWriter &) = delete;
    // From now on the bytes go to fp in blocks; only for text stored as bytes (not UTF-16),
    // which no put can refuse but the stream.
    void vSinkTo(FILE *fp) { pSink = fp; }
    // Makes room for about nBytes at once, for a writer that gathers a whole result about as
    // long as its input: a block made at its size is touched once, and a large one goes onto
    // large pages before its first byte is written, and gets the pages of the nSure bytes that
    // surely come at once. Only a hint: without the memory the block grows as the bytes come.
    void vExpect(size_t nBytes, size_t nSure) {
        if (bGrowTo(&p, &cap, nBytes)) vWillFill(p + n, nSure < cap - n ? nSure : cap - n);
    }
    // The text as it is (only re-encoded as UTF-16 where the form asks for it).
    bool bPut(const char *pText, size_t nLen);
    // The same for the text of a block of the heap (nLen bytes, a NUL after them) that the caller
    // gives up: a writer that holds nothing yet and writes bytes as they are takes the block
    // itself instead of a copy. The block is the writer's on every path.
    bool bPutBlock(char *pBlock, size_t nLen);
    // The text with every line end, LF or CR LF, as the chosen one; a lone CR stays.
    bool bPutLines(const char *pText, size_t nLen);
    // Writes what a sink writer still holds; true at once for a writer without a stream.
    bool bFlush();

  private:
    enum : size_t { SINK_BLOCK = 65536 };
    bool bRoom(size_t nMore);
    bool bPutRaw(const char *pText, size_t nLen);
    bool bPutUtf16(const char *pText, size_t nLen);
};

// Writes the n bytes at p to fp with pfnWrite; false with errno set when the stream refused.
bool bWriteAllBytes(FILE *fp, size_t (*pfnWrite)(const void *, size_t, size_t, FILE *), const char *p, size_t n);
