// The text of a run mode between its stored form and the formatter: UTF-16 and line ends.
#include "modes/rcTextCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtTokens.h"
#include "plat/platConv.h"
#include "plat/platStdio.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

namespace {
enum { TEXT_MAX = 0x7fffffff };  // lengths of texts are 32-bit
const size_t UTF16_PIECE = 8192;  // bytes of UTF-8 converted at a time when writing UTF-16
const size_t UTF16_SNIFF = 4096;  // the first bytes whose NUL pattern shows UTF-16 without a mark

bool bUtf32Bom(const char *p, size_t n) {
    return n >= 4 && (std::memcmp(p, "\xFF\xFE\0\0", 4) == 0 || std::memcmp(p, "\0\0\xFE\xFF", 4) == 0);
}

bool bUtf16Bom(const char *p, size_t n, int32_t *peUtf16) {
    if (n < 2) return false;
    unsigned char a = static_cast<unsigned char>(p[0]), b = static_cast<unsigned char>(p[1]);
    if (a == 0xFF && b == 0xFE) *peUtf16 = CS_UTF16LE;
    else if (a == 0xFE && b == 0xFF) *peUtf16 = CS_UTF16BE;
    else return false;
    return true;
}
}  // namespace

int32_t eUtf16Unmarked(const char *p, size_t n) {
    const size_t nUnits = (n < UTF16_SNIFF ? n : UTF16_SNIFF) / 2;
    if (nUnits == 0) return 0;
    size_t nEvenNul = 0, nOddNul = 0;  // NUL bytes at even and at odd offsets
    for (size_t i = 0; i < nUnits; ++i) {
        nEvenNul += p[2 * i] == '\0';
        nOddNul += p[2 * i + 1] == '\0';
    }
    // In UTF-16LE the high byte of a unit is its second, at an odd offset.
    if (5 * nOddNul >= 3 * nUnits && 20 * nEvenNul <= nUnits) return CS_UTF16LE;
    if (5 * nEvenNul >= 3 * nUnits && 20 * nOddNul <= nUnits) return CS_UTF16BE;
    return 0;
}

void vTextFormOf(const char *pRaw, size_t nRaw, int32_t eWant, int32_t eUtf16, TextForm *pForm, size_t *pnBom) {
    *pForm = TextForm{};
    *pnBom = 0;
    int32_t eBom = 0;
    if (bUtf32Bom(pRaw, nRaw)) {
        pForm->bUtf32 = true;  // read as nothing: the caller refuses it
    } else if (bUtf16Bom(pRaw, nRaw, &eBom)) {
        pForm->eUtf16 = eBom;
        pForm->bBom = true;
        *pnBom = 2;
    } else {
        pForm->eUtf16 = eUtf16 != 0 ? eUtf16 : eUtf16Unmarked(pRaw, nRaw);
    }
    if (pForm->eUtf16 != 0)
        pForm->eEncoding = ENC_UTF8;  // read as the UTF-8 it is converted to
    else
        pForm->eEncoding = eWant != ENC_AUTO ? eWant : eDetectEncoding(pRaw, nRaw);
}

int rcUtf16ToUtf8(const char *p, size_t n, int32_t eUtf16, char **ppText, size_t *pnText) {
    PlatCodeset eFrom = static_cast<PlatCodeset>(eUtf16);
    size_t nCap = nPlatConvBound(eFrom, CS_UTF8, n);
    if (nCap == SIZE_MAX || nCap > size_t(TEXT_MAX)) return RC_NOMEM;
    HeapPtr<char> text(static_cast<char *>(pvAlloc(nCap + 1)));
    if (text == nullptr) return RC_NOMEM;
    size_t nOut = 0;
    if (iPlatConvert(eFrom, CS_UTF8, p, n, text.get(), nCap, &nOut) != 0) return RC_BADTEXT;
    text.get()[nOut] = '\0';
    *ppText = text.release();
    *pnText = nOut;
    return RC_OK;
}

const char *szUtf16Name(int32_t eUtf16) { return eUtf16 == CS_UTF16LE ? "UTF-16LE" : "UTF-16BE"; }

int rcTextOfStored(const char *pRaw, size_t nRaw, int32_t eWant, const char *szName, TextForm *pForm,
                   char **ppOwnText, size_t *pnText) {
    size_t nBom = 0;
    vTextFormOf(pRaw, nRaw, eWant, 0, pForm, &nBom);
    if (pForm->bUtf32) {
        iConPrintf(szMsgBadText, szErrorPrefix, "UTF-32", szName);
        return RC_BADTEXT;
    }
    *pnText = nRaw;
    if (pForm->eUtf16 != 0) {
        int rc = rcUtf16ToUtf8(pRaw + nBom, nRaw - nBom, pForm->eUtf16, ppOwnText, pnText);
        if (rc == RC_BADTEXT) iConPrintf(szMsgBadText, szErrorPrefix, szUtf16Name(pForm->eUtf16), szName);
        if (rc != RC_OK) return rc;
    }
    pForm->bCrLf = bCrLfText(*ppOwnText != nullptr ? *ppOwnText : pRaw, *pnText, pForm->eEncoding);
    return RC_OK;
}

size_t nCrLfToLf(char *p, size_t n) {
    char *pEnd = p + n;
    char *d = static_cast<char *>(std::memchr(p, '\r', n));
    if (d == nullptr) return n;
    for (const char *s = d; s < pEnd; ++s) {
        if (*s == '\r' && s + 1 < pEnd && s[1] == '\n') continue;  // the LF is copied next
        *d++ = *s;
    }
    *d = '\0';
    return static_cast<size_t>(d - p);
}

bool bHoldsNul(const char *p, size_t n) { return std::memchr(p, '\0', n) != nullptr; }

int iReadAllBytes(FILE *fp, size_t (*pfnRead)(void *, size_t, size_t, FILE *), int (*pfnError)(FILE *), char **pp,
                  size_t *pn, size_t *pcap, uint64_t uExpect, size_t nRoom) {
    const size_t nBlock = 65536;  // the block grows by 64 KiB at least
    // The expected bytes and a block more: the read that finds the end has room.
    if (uExpect > 0 && uExpect <= uint64_t(TEXT_MAX)) {
        if (!bGrowTo(pp, pcap, *pn + size_t(uExpect) + std::max(nRoom, nBlock) + 1)) return ENOMEM;
        vWillFill(*pp + *pn, size_t(uExpect));
    }
    for (;;) {
        // A read fills the room it is given unless the stream ends: the block grows only when
        // full, so that a short text is read without a second block.
        if (*pcap - *pn < 2) {
            if (*pn > size_t(TEXT_MAX)) return EFBIG;
            if (!bGrowTo(pp, pcap, *pn + nBlock + 1)) return ENOMEM;
        }
        errno = 0;
        size_t nRead = pfnRead(*pp + *pn, 1, *pcap - *pn - 1, fp);
        *pn += nRead;
        (*pp)[*pn] = '\0';
        if (nRead > 0) continue;
        if (pfnError(fp)) return errno != 0 ? errno : EIO;  // a read error is no end of the text
        return *pn > size_t(TEXT_MAX) ? EFBIG : 0;
    }
}

int32_t eDefaultEol() { return bPlatCrLfNative ? EOL_CRLF : EOL_KEEP; }

namespace {
// A token whose line ends are data: the formatted text keeps them as they came.
bool bKeepsLineEnds(uint8_t eKind) {
    return eKind == TK_LITERAL || eKind == TK_QQUOTE || eKind == TK_QNAME || eKind == TK_BLOCK_CMT ||
           eKind == TK_UNIT_WHOLE;
}
}  // namespace

bool bCrLfText(const char *p, size_t n, int32_t eEncoding) {
    const char *const pEnd = p + n;
    const char *const pFirst = static_cast<const char *>(std::memchr(p, '\n', n));
    if (pFirst == nullptr) return bPlatCrLfNative;
    // A text whose line ends are all alike (the common case) needs no closer look.
    const bool bFirstCrLf = pFirst > p && pFirst[-1] == '\r';
    if (!bFirstCrLf && std::memchr(pFirst, '\r', static_cast<size_t>(pEnd - pFirst)) == nullptr) return false;
    const char *q = pFirst + 1;
    while ((q = static_cast<const char *>(std::memchr(q, '\n', static_cast<size_t>(pEnd - q)))) != nullptr &&
           (q[-1] == '\r') == bFirstCrLf)
        ++q;
    if (q == nullptr) return bFirstCrLf;
    // The first line end that the formatter writes anew; the literals, comments and units before
    // it are read as a script is, so that a quote inside a comment opens nothing. The reader
    // reads a few tokens at a time.
    const char *pLf = pFirst;
    TokenReader reader(p, n, rTextEnc(eEncoding), GRAIN_TOKENS);
    for (Token t; pLf != nullptr && reader.bNext(&t);) {
        const char *s = p + t.iOff, *e = s + t.nLen;
        if (pLf < s) break;   // between tokens
        if (pLf >= e) continue;
        if (!bKeepsLineEnds(t.eKind)) break;  // a line comment's or a command's own line end
        pLf = static_cast<const char *>(std::memchr(e, '\n', static_cast<size_t>(pEnd - e)));
    }
    if (pLf == nullptr) pLf = pFirst;  // every line end is data: the text's first
    return pLf > p && pLf[-1] == '\r';
}

bool bCrLfFor(int32_t eEol, const TextForm &rForm) {
    return eEol == EOL_CRLF || (eEol == EOL_KEEP && rForm.bCrLf);
}

bool TextWriter::bRoom(size_t nMore) {
    // A writer with a stream first writes what it holds when the block would be passed.
    if (pSink != nullptr && n + nMore > SINK_BLOCK && !bFlush()) return false;
    if (nMore <= SIZE_MAX - n && bGrowTo(&p, &cap, n + nMore)) return true;
    iErr = ENOMEM;
    return false;
}

bool TextWriter::bPut(const char *pText, size_t nLen) {
    if (rForm.eUtf16 == 0) return bPutRaw(pText, nLen);
    if (!bBomDone && rForm.bBom) {
        bBomDone = true;
        const char *szBom = rForm.eUtf16 == CS_UTF16LE ? "\xFF\xFE" : "\xFE\xFF";
        if (!bPutRaw(szBom, 2)) return false;
    }
    return bPutUtf16(pText, nLen);
}

bool TextWriter::bPutBlock(char *pBlock, size_t nLen) {
    if (rForm.eUtf16 == 0 && pSink == nullptr && n == 0) {
        vFree(p);
        p = pBlock;
        n = nLen;
        cap = nLen + 1;
        return true;
    }
    const bool bOk = bPut(pBlock, nLen);
    vFree(pBlock);
    return bOk;
}

bool TextWriter::bFlush() {
    if (pSink == nullptr || n == 0) return true;
    if (!bWriteAllBytes(pSink, std::fwrite, p, n)) {
        iErr = errno;
        bSinkFailed = true;
        return false;
    }
    n = 0;
    return true;
}

// Bytes as they are. A writer with a stream passes a text of a block or more straight on.
bool TextWriter::bPutRaw(const char *pText, size_t nLen) {
    if (nLen == 0) return true;  // nothing to copy, perhaps into no buffer yet
    if (pSink != nullptr && nLen >= SINK_BLOCK) {
        if (!bFlush()) return false;
        if (!bWriteAllBytes(pSink, std::fwrite, pText, nLen)) {
            iErr = errno;
            bSinkFailed = true;
            return false;
        }
        return true;
    }
    if (!bRoom(nLen)) return false;
    std::memcpy(p + n, pText, nLen);
    n += nLen;
    return true;
}

// The runs between line ends as they are, each line end as the chosen one. A line end that is
// already the chosen one stays in the run, which goes out whole: a text whose line ends are all
// the chosen ones is one put (one without a CR, where LF is chosen, is not even read line by line).
bool TextWriter::bPutLines(const char *pText, size_t nLen) {
    if (!bCrLf && std::memchr(pText, '\r', nLen) == nullptr) return bPut(pText, nLen);
    const char *szEol = bCrLf ? "\r\n" : "\n";
    const size_t nEol = bCrLf ? 2 : 1;
    const char *pRun = pText, *const pEnd = pText + nLen;
    for (const char *p = pText, *pLf; (pLf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(pEnd - p)))) != nullptr;
         p = pLf + 1) {
        const bool bCrBefore = pLf > pRun && pLf[-1] == '\r';
        if (bCrBefore == bCrLf) continue;
        const char *pRunEnd = bCrBefore ? pLf - 1 : pLf;
        if (!bPut(pRun, static_cast<size_t>(pRunEnd - pRun)) || !bPut(szEol, nEol)) return false;
        pRun = pLf + 1;
    }
    return bPut(pRun, static_cast<size_t>(pEnd - pRun));
}

// UTF-8 converted to UTF-16 piece by piece; a piece ends on a character boundary.
bool TextWriter::bPutUtf16(const char *pText, size_t nLen) {
    PlatCodeset eTo = static_cast<PlatCodeset>(rForm.eUtf16);
    const char *pEnd = pText + nLen;
    while (pText < pEnd) {
        // A piece ends before a byte that continues a UTF-8 sequence.
        const size_t nLeft = static_cast<size_t>(pEnd - pText);
        const char *pStop = pText + (nLeft < UTF16_PIECE ? nLeft : UTF16_PIECE);
        while (pStop < pEnd && (static_cast<unsigned char>(*pStop) & 0xC0) == 0x80) ++pStop;
        const size_t nIn = static_cast<size_t>(pStop - pText);
        char abWide[2 * (UTF16_PIECE + 4)];
        size_t nOut = 0;
        int iConv = iPlatConvert(CS_UTF8, eTo, pText, nIn, abWide, sizeof abWide, &nOut);
        pText = pStop;
        if (iConv != 0) {
            iErr = EILSEQ;
            return false;
        }
        if (!bPutRaw(abWide, nOut)) return false;
    }
    return true;
}

bool bWriteAllBytes(FILE *fp, size_t (*pfnWrite)(const void *, size_t, size_t, FILE *), const char *p, size_t n) {
    while (n > 0) {
        errno = 0;
        size_t nDone = pfnWrite(p, 1, n, fp);
        if (nDone == 0) {
            if (errno == 0) errno = EIO;
            return false;
        }
        p += nDone;
        n -= nDone;
    }
    return true;
}
