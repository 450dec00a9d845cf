// The text of a run mode as it is stored and as the formatter reads it: the bytes of a file,
// of standard input or of the clipboard become a text with LF line ends in the encoding the
// formatter reads (a UTF-16 text as UTF-8), and the formatted text goes back in the same form.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

// How a text is stored.
struct TextForm {
    int32_t eUtf16 = 0;     // 0: bytes as they are; CS_UTF16LE or CS_UTF16BE: UTF-16, read as UTF-8
    bool bBom = false;      // a UTF-16 byte order mark stood first, and is written first again
    int32_t eEncoding = 0;  // the encoding the formatter reads the text in (never ENC_AUTO)
};

// The form of the stored bytes: UTF-16 when they begin with its byte order mark (or when
// eUtf16 names it: a clipboard's UTF-16 has none), else bytes in eWant or, for ENC_AUTO, in the
// encoding they show. *pnBom receives the length of the UTF-16 byte order mark (0 or 2).
void vTextFormOf(const char *pRaw, size_t nRaw, int32_t eWant, int32_t eUtf16, TextForm *pForm, size_t *pnBom);

// Converts n bytes of UTF-16 (eUtf16) to UTF-8 in a new block *ppText (NUL after its *pnText
// bytes) that the caller frees with vFree. Returns RC_OK, RC_NOMEM or RC_BADTEXT (not valid
// UTF-16: an odd length, an unpaired surrogate); nothing is reported and nothing is stored on
// failure.
int rcUtf16ToUtf8(const char *p, size_t n, int32_t eUtf16, char **ppText, size_t *pnText);

// Turns every CR LF of [p, p + n) into LF, in place; a lone CR stays. Returns the new length.
size_t nCrLfToLf(char *p, size_t n);

// Whether [p, p + n) holds a NUL byte: a file that does, and is not UTF-16, is binary.
bool bHoldsNul(const char *p, size_t n);

// Reads a whole stream into *pp (length *pn, capacity *pcap, a NUL after the bytes), growing the
// block geometrically: linear time for any size. pfnRead and pfnError are the stream calls to
// use (a test may put in failing ones). Returns 0, ENOMEM, EFBIG (beyond 2 GiB) or the error of a
// failed read (errno, at least EIO).
int iReadAllBytes(FILE *fp, size_t (*pfnRead)(void *, size_t, size_t, FILE *), int (*pfnError)(FILE *), char **pp,
                  size_t *pn, size_t *pcap);

// A text written in its stored form: every LF as CR LF, and UTF-16 again (its byte order mark
// first) where the form says so. Buffered: a failing write shows at this put or a later one, or
// at the flush.
struct TextWriter {
    FILE *fp = nullptr;
    TextForm rForm;
    size_t (*pfnWrite)(const void *, size_t, size_t, FILE *) = nullptr;
    int64_t iRawBytes = 0;  // bytes handed to the stream, as stored
    int iErr = 0;           // why the last put or flush failed: errno, or ENOMEM, or EILSEQ
    bool bBomDone = false;
    size_t n = 0;
    char ab[65536];

    TextWriter(FILE *fpOut, const TextForm &rFormOut, size_t (*pfnWriteOut)(const void *, size_t, size_t, FILE *));
    // false when the bytes could not be written; iErr tells why.
    bool bPut(const char *p, size_t nLen);
    bool bFlush();

  private:
    bool bPutRaw(const char *p, size_t nLen);
    bool bPutStored(const char *p, size_t nLen);
    bool bPutUtf16(const char *p, size_t nLen);
};
