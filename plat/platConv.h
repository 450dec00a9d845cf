// Conversion of text between the codesets the program reads and writes: its own Shift_JIS
// (Windows code page 932), UTF-8 and UTF-16 of either byte order, and on POSIX the codeset of
// the user's terminal for messages.
//
// The caller owns all memory: it asks for the output's upper bound, allocates that much with
// its own allocator and hands the block over. The converter allocates nothing of its own.
// Conversion is exact: text that is not valid in its codeset, or a character the target cannot
// hold, fails the whole call; nothing is ever substituted or dropped. A NUL byte is an ordinary
// character. Byte order marks are not the converter's business: the caller strips and restores
// them.
#pragma once
#include <cstddef>
#include <cstdint>

enum PlatCodeset { CS_CP932, CS_UTF8, CS_UTF16LE, CS_UTF16BE };

// What a conversion returns besides 0.
enum {
    PLAT_CONV_ILSEQ = 1,        // the input is not valid text of its codeset (a stray or cut-off
                                // byte sequence, an unpaired surrogate, an odd UTF-16 length), or
                                // it holds a character the target codeset cannot represent
    PLAT_CONV_NOSPACE = 2,      // the output does not fit nCap bytes
    PLAT_CONV_UNAVAILABLE = 3,  // the system cannot convert between these codesets
};

// Upper bound of the bytes that converting n input bytes from eFrom to eTo can produce, the same
// on every platform: per input byte at most 3 (CP932 to UTF-8: a half-width katakana byte becomes
// three), 2 (CP932 or UTF-8 to UTF-16: one byte becomes one UTF-16 unit), 1.5 (UTF-16 to UTF-8:
// one unit becomes up to three bytes, a surrogate pair four) or 1 (everything else). SIZE_MAX
// when the bound does not fit a size_t. This function can't fail.
inline size_t nPlatConvBound(PlatCodeset eFrom, PlatCodeset eTo, size_t n) {
    bool bFromWide = eFrom == CS_UTF16LE || eFrom == CS_UTF16BE;
    bool bToWide = eTo == CS_UTF16LE || eTo == CS_UTF16BE;
    if (eFrom == CS_CP932 && eTo == CS_UTF8) return n > SIZE_MAX / 3 ? SIZE_MAX : 3 * n;
    if (!bFromWide && bToWide) return n > SIZE_MAX / 2 ? SIZE_MAX : 2 * n;
    if (bFromWide && eTo == CS_UTF8) return n + (n / 2 + n % 2);
    return n;
}

// Converts the n bytes at p from eFrom to eTo into pOut, which holds nCap bytes; the bound above
// is always enough. p may be null when n is 0, pOut when nCap is 0. Returns 0 and the output's
// length in *pnOut, or one of the codes above with *pnOut 0 and pOut's contents unspecified.
// Windows converts in pieces of a few thousand characters, so an input beyond INT_MAX bytes
// converts there like any other.
//
// CP932 gives the same bytes on every platform: where the system tables differ, both refuse.
// iconv would take ¢ £ ¥ ¬ — ‖ ‾ − 〜 one way only, as look-alikes of ￠ ￡ \ ￢ ― ∥ ~ － ～
// that come back as those; Windows pairs the stray bytes 0x80, 0xA0 and 0xFD to 0xFF with
// U+0080 and U+F8F0 to U+F8F3. The characters CP932 holds twice (NEC and IBM rows) decode
// alike and encode at the one place both systems choose.
int iPlatConvert(PlatCodeset eFrom, PlatCodeset eTo, const char *p, size_t n, char *pOut, size_t nCap,
                 size_t *pnOut);

// The codeset in which messages must reach the user's terminal when it is not the program's own
// Shift_JIS, or null when messages stay Shift_JIS. On POSIX the environment's LC_ALL, LC_CTYPE
// and LANG decide, as setlocale(LC_CTYPE, "") reads them; the call puts the program's own
// LC_CTYPE back before it returns. Only codesets that can show all of the program's Japanese
// messages are named: UTF-8 and the EUC-JP family (EUC-JP, eucJP-ms, eucJP-win, eucJP-open,
// ujis). Every other codeset gives null: the C locale's ASCII (ANSI_X3.4-1968), Shift_JIS under
// any of its names (no conversion needed), and the codesets that have no Japanese at all.
// The name stays valid until the next call. On Windows always null.
const char *szPlatMessageCodeset();

// Whether the codeset szCodeset, a name szPlatMessageCodeset gives, is UTF-8 (under any of its
// names). On Windows always false. This function can't fail.
bool bPlatUtf8Codeset(const char *szCodeset);

// Upper bound of the bytes that converting n bytes of Shift_JIS into a codeset named by
// szPlatMessageCodeset can produce: 3 per byte (a half-width katakana byte is three bytes of
// UTF-8). SIZE_MAX when the bound does not fit a size_t. This function can't fail.
inline size_t nPlatConvBoundToCodeset(size_t n) { return n > SIZE_MAX / 3 ? SIZE_MAX : 3 * n; }

// Converts n bytes of Shift_JIS (CP932) at p into the codeset szCodeset, with the contract of
// iPlatConvert. A character the codeset lacks is PLAT_CONV_ILSEQ. The EUC-JP family is written
// as eucJP-ms where the system has it: the same bytes as EUC-JP for JIS X 0208, and the CP932
// signs (～ － ∥ ￠ ￡ ￢, circled digits) where a Japanese terminal shows them, not refused or
// moved into JIS X 0212. On Windows always PLAT_CONV_UNAVAILABLE.
int iPlatConvertToCodeset(const char *szCodeset, const char *p, size_t n, char *pOut, size_t nCap, size_t *pnOut);
