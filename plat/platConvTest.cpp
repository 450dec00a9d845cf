// Text conversion: exact bytes in both directions, refusals, output room, bounds, long texts cut
// into pieces, and the codeset of messages. Texts are byte escapes with the decoded text beside.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "plat/platConv.h"

namespace {
#define BYTES(s) std::string(s, sizeof(s) - 1)  // keeps NUL bytes inside the literal

#ifdef _WIN32
const bool bWindows = true;
void vSetLcAll(const char *sz) { _putenv_s("LC_ALL", sz); }
#else
const bool bWindows = false;
void vSetLcAll(const char *sz) { setenv("LC_ALL", sz, 1); }
#endif

std::string sHex(const std::string &s) {
    std::string sOut;
    char sz[4];
    for (unsigned char c : s) sOut += (std::snprintf(sz, sizeof sz, "%02X ", c), sz);
    return sOut;
}

// Converts s into a block of exactly nCap bytes followed by a guard byte that must stay intact.
// Returns the code; *psOut gets the bytes written.
int iConv(PlatCodeset eFrom, PlatCodeset eTo, const std::string &s, size_t nCap, std::string *psOut) {
    std::string sBlock(nCap + 1, '\xEE');
    size_t nOut = 12345;
    int iRc = iPlatConvert(eFrom, eTo, s.data(), s.size(), &sBlock[0], nCap, &nOut);
    EXPECT_EQ('\xEE', sBlock[nCap]) << "written past the room";
    EXPECT_TRUE(iRc == 0 ? nOut <= nCap : nOut == 0) << "rc " << iRc << " length " << nOut;
    psOut->assign(sBlock, 0, iRc == 0 ? nOut : 0);
    return iRc;
}

int iConvBound(PlatCodeset eFrom, PlatCodeset eTo, const std::string &s, std::string *psOut) {
    return iConv(eFrom, eTo, s, nPlatConvBound(eFrom, eTo, s.size()), psOut);
}

std::string sRepeat(const std::string &s, size_t n) {
    std::string sOut;
    while (n-- > 0) sOut += s;
    return sOut;
}

// The same text in two codesets: each converts to the other.
struct PairCase { const char *szName; PlatCodeset eA; std::string sA; PlatCodeset eB; std::string sB; };
const PairCase aPairCases[] = {
    {"second bytes 0x5C and 0x41: ソ表ア", CS_UTF8, BYTES("\xE3\x82\xBD\xE8\xA1\xA8\xE3\x82\xA2"), CS_CP932,
     BYTES("\x83\x5C\x95\x5C\x83\x41")},
    {"statement text: WHERE c = '表' -- ア", CS_UTF8, BYTES("WHERE c = '\xE8\xA1\xA8' -- \xE3\x82\xA2\n"),
     CS_CP932, BYTES("WHERE c = '\x95\x5C' -- \x83\x41\n")},
    {"half-width katakana: ｱｲﾝ", CS_UTF8, BYTES("\xEF\xBD\xB1\xEF\xBD\xB2\xEF\xBE\x9D"), CS_CP932, BYTES("\xB1\xB2\xDD")},
    {"full-width parentheses: （表）", CS_UTF8, BYTES("\xEF\xBC\x88\xE8\xA1\xA8\xEF\xBC\x89"), CS_CP932,
     BYTES("\x81\x69\x95\x5C\x81\x6A")},
    {"signs alike on every platform: ～－￠￡￢―∥", CS_UTF8,
     BYTES("\xEF\xBD\x9E\xEF\xBC\x8D\xEF\xBF\xA0\xEF\xBF\xA1\xEF\xBF\xA2\xE2\x80\x95\xE2\x88\xA5"), CS_CP932,
     BYTES("\x81\x60\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5C\x81\x61")},
    {"circled digit and IBM kanji: ①纊", CS_UTF8, BYTES("\xE2\x91\xA0\xE7\xBA\x8A"), CS_CP932, BYTES("\x87\x40\xFA\x5C")},
    {"one byte", CS_UTF8, BYTES("A"), CS_CP932, BYTES("A")},
    {"backslash and tilde stay ASCII", CS_UTF8, BYTES("\\~"), CS_CP932, BYTES("\\~")},
    {"NUL bytes inside: a NUL ソ NUL", CS_UTF8, BYTES("a\0\xE3\x82\xBD\0"), CS_CP932, BYTES("a\0\x83\x5C\0")},
    {"ASCII to UTF-16LE", CS_UTF8, BYTES("AZ"), CS_UTF16LE, BYTES("A\0Z\0")},
    {"ASCII to UTF-16BE", CS_UTF8, BYTES("AZ"), CS_UTF16BE, BYTES("\0A\0Z")},
    {"ソ to UTF-16LE", CS_UTF8, BYTES("\xE3\x82\xBD"), CS_UTF16LE, BYTES("\xBD\x30")},
    {"ソ to UTF-16BE", CS_UTF8, BYTES("\xE3\x82\xBD"), CS_UTF16BE, BYTES("\x30\xBD")},
    {"surrogate pair LE: U+1F600", CS_UTF8, BYTES("\xF0\x9F\x98\x80"), CS_UTF16LE, BYTES("\x3D\xD8\x00\xDE")},
    {"surrogate pair BE: U+1F600", CS_UTF8, BYTES("\xF0\x9F\x98\x80"), CS_UTF16BE, BYTES("\xD8\x3D\xDE\x00")},
    {"last code point U+10FFFF", CS_UTF8, BYTES("\xF4\x8F\xBF\xBF"), CS_UTF16LE, BYTES("\xFF\xDB\xFF\xDF")},
    {"U+0080 and U+FFFF", CS_UTF8, BYTES("\xC2\x80\xEF\xBF\xBF"), CS_UTF16LE, BYTES("\x80\0\xFF\xFF")},
    {"NUL bytes in UTF-16", CS_UTF8, BYTES("a\0b\0"), CS_UTF16LE, BYTES("a\0\0\0b\0\0\0")},
    {"byte order of a pair", CS_UTF16LE, BYTES("A\0\x3D\xD8\x00\xDE"), CS_UTF16BE, BYTES("\0A\xD8\x3D\xDE\x00")},
    {"Shift_JIS to UTF-16LE: ｱ表", CS_CP932, BYTES("\xB1\x95\x5C"), CS_UTF16LE, BYTES("\x71\xFF\x68\x88")},
    {"Shift_JIS to UTF-16BE: ソ", CS_CP932, BYTES("\x83\x5C"), CS_UTF16BE, BYTES("\x30\xBD")},
    {"Shift_JIS to itself", CS_CP932, BYTES("\x83\x5C\xB1"), CS_CP932, BYTES("\x83\x5C\xB1")},
    {"UTF-8 to itself", CS_UTF8, BYTES("\xF0\x9F\x98\x80"), CS_UTF8, BYTES("\xF0\x9F\x98\x80")},
};

// Each way, with the bound as room, with exactly the room needed, and with one byte less.
void vCheckOneWay(const char *szName, PlatCodeset eFrom, const std::string &sIn, PlatCodeset eTo, const std::string &sWant) {
    std::string sOut;
    EXPECT_EQ(0, iConvBound(eFrom, eTo, sIn, &sOut)) << szName;
    EXPECT_EQ(sHex(sWant), sHex(sOut)) << szName;
    EXPECT_EQ(0, iConv(eFrom, eTo, sIn, sWant.size(), &sOut)) << szName << ": exact room";
    EXPECT_EQ(PLAT_CONV_NOSPACE, iConv(eFrom, eTo, sIn, sWant.size() - 1, &sOut)) << szName << ": a byte short";
}

TEST(PlatConvert, ConvertsEachWayExactly) {
    for (const PairCase &r : aPairCases) {
        vCheckOneWay(r.szName, r.eA, r.sA, r.eB, r.sB);
        vCheckOneWay(r.szName, r.eB, r.sB, r.eA, r.sA);
    }
}

// CP932 holds some characters twice; they come back at the one place both platforms choose.
const PairCase aDuplicateCases[] = {
    {"NEC-selected IBM kanji 0xED40 comes back as 0xFA5C: 纊", CS_CP932, BYTES("\xED\x40"), CS_UTF8,
     BYTES("\xE7\xBA\x8A")},
    {"NEC row 13 0x8790 comes back as 0x81E0: ≒", CS_CP932, BYTES("\x87\x90"), CS_UTF16BE, BYTES("\x22\x52")},
    {"NEC-selected IBM 0xEEFA comes back as 0xFA55: ￤", CS_CP932, BYTES("\xEE\xFA"), CS_UTF8, BYTES("\xEF\xBF\xA4")},
};

TEST(PlatConvert, DuplicatesComeBackAtOnePlace) {
    for (const PairCase &r : aDuplicateCases) vCheckOneWay(r.szName, r.eA, r.sA, r.eB, r.sB);
    std::string sOut;
    EXPECT_EQ(0, iConvBound(CS_UTF16BE, CS_CP932, BYTES("\x22\x52\xFF\xE4\x7E\x8A"), &sOut));
    EXPECT_EQ(sHex(BYTES("\x81\xE0\xFA\x55\xFA\x5C")), sHex(sOut));
}

struct BadCase { const char *szName; PlatCodeset eFrom, eTo; std::string sIn; };
const BadCase aBadCases[] = {
    {"lone 0x80 in UTF-8", CS_UTF8, CS_UTF16LE, BYTES("a\x80")},
    {"lone 0x80 in UTF-8 to CP932", CS_UTF8, CS_CP932, BYTES("\x80")},
    {"truncated UTF-8", CS_UTF8, CS_UTF16LE, BYTES("a\xE3\x82")},
    {"UTF-8 lead before ASCII", CS_UTF8, CS_CP932, BYTES("\xE3" "a")},
    {"overlong NUL in UTF-8", CS_UTF8, CS_UTF16LE, BYTES("\xC0\x80")},
    {"surrogate written in UTF-8", CS_UTF8, CS_UTF16LE, BYTES("\xED\xA0\x80")},
    {"UTF-8 beyond U+10FFFF", CS_UTF8, CS_UTF16BE, BYTES("\xF4\x90\x80\x80")},
    {"unpaired high surrogate LE", CS_UTF16LE, CS_UTF8, BYTES("\x3D\xD8" "A\0")},
    {"high surrogate at the end LE", CS_UTF16LE, CS_UTF8, BYTES("A\0\x3D\xD8")},
    {"lone low surrogate LE", CS_UTF16LE, CS_UTF8, BYTES("\x00\xDE")},
    {"pair in the wrong order LE", CS_UTF16LE, CS_UTF16BE, BYTES("\x00\xDE\x3D\xD8")},
    {"unpaired high surrogate BE", CS_UTF16BE, CS_UTF8, BYTES("\xD8\x3D\0A")},
    {"odd byte count in UTF-16", CS_UTF16LE, CS_UTF8, BYTES("A\0B")},
    {"CP932 lead byte at the end", CS_CP932, CS_UTF8, BYTES("a\x83")},
    {"CP932 lead before a space", CS_CP932, CS_UTF16LE, BYTES("\x83\x20")},
    {"CP932 unassigned 0x8540", CS_CP932, CS_UTF8, BYTES("\x85\x40")},
    {"CP932 stray byte 0x80", CS_CP932, CS_UTF8, BYTES("\x80")},
    {"CP932 stray byte 0xA0", CS_CP932, CS_UTF8, BYTES("\xA0")},
    {"CP932 stray byte 0xFD", CS_CP932, CS_UTF8, BYTES("\xFD")},
    {"U+1F600 to CP932", CS_UTF8, CS_CP932, BYTES("a\xF0\x9F\x98\x80")},
    {"surrogate pair to CP932", CS_UTF16LE, CS_CP932, BYTES("\x3D\xD8\x00\xDE")},
    {"U+0080 to CP932", CS_UTF8, CS_CP932, BYTES("\xC2\x80")},
    {"U+F8F0 to CP932", CS_UTF16BE, CS_CP932, BYTES("\xF8\xF0")},
    {"one-way ¥ to CP932", CS_UTF8, CS_CP932, BYTES("\xC2\xA5")},
    {"one-way ¢ to CP932", CS_UTF8, CS_CP932, BYTES("\xC2\xA2")},
    {"one-way £ to CP932", CS_UTF8, CS_CP932, BYTES("\xC2\xA3")},
    {"one-way ¬ to CP932", CS_UTF8, CS_CP932, BYTES("\xC2\xAC")},
    {"one-way — to CP932", CS_UTF8, CS_CP932, BYTES("\xE2\x80\x94")},
    {"one-way ‖ to CP932", CS_UTF8, CS_CP932, BYTES("\xE2\x80\x96")},
    {"one-way ‾ to CP932", CS_UTF8, CS_CP932, BYTES("\xE2\x80\xBE")},
    {"one-way − to CP932", CS_UTF8, CS_CP932, BYTES("\xE2\x88\x92")},
    {"one-way 〜 to CP932", CS_UTF8, CS_CP932, BYTES("a\xE3\x80\x9C")},
    {"one-way ¥ in UTF-16BE to CP932", CS_UTF16BE, CS_CP932, BYTES("\x00\xA5")},
    {"one-way 〜 in UTF-16LE to CP932", CS_UTF16LE, CS_CP932, BYTES("\x1C\x30")},
    {"lead byte past the first pieces", CS_CP932, CS_UTF8, sRepeat("a", 9000) + "\x83"},
    {"UTF-8 cut across a piece boundary", CS_UTF8, CS_UTF16LE, sRepeat("a", 4095) + "\xE3\x82" + sRepeat("a", 9)},
    {"high surrogate at a piece boundary", CS_UTF16LE, CS_UTF8,
     sRepeat(BYTES("A\0"), 4095) + "\x3D\xD8" + sRepeat(BYTES("A\0"), 9)},
};

TEST(PlatConvert, RefusesInvalidOrUnrepresentableText) {
    for (const BadCase &r : aBadCases) {
        std::string sOut;
        EXPECT_EQ(PLAT_CONV_ILSEQ, iConvBound(r.eFrom, r.eTo, r.sIn, &sOut)) << r.szName;
    }
}

TEST(PlatConvert, EmptyInputGivesNothing) {
    for (PlatCodeset eFrom : {CS_CP932, CS_UTF8, CS_UTF16LE, CS_UTF16BE})
        for (PlatCodeset eTo : {CS_CP932, CS_UTF8, CS_UTF16LE, CS_UTF16BE}) {
            size_t nOut = 12345;
            EXPECT_EQ(0, iPlatConvert(eFrom, eTo, nullptr, 0, nullptr, 0, &nOut)) << eFrom << " to " << eTo;
            EXPECT_EQ(0u, nOut);
            EXPECT_EQ(0u, nPlatConvBound(eFrom, eTo, 0));
        }
}

// Texts made of the characters that grow most, once and many times over (past Windows' pieces).
struct GrowthCase { PlatCodeset eFrom, eTo; std::string sUnit; size_t nOutPerUnit; };
const GrowthCase aGrowthCases[] = {
    {CS_CP932, CS_UTF8, BYTES("\xB1"), 3},  {CS_CP932, CS_UTF16LE, BYTES("A"), 2},
    {CS_CP932, CS_UTF16BE, BYTES("\xB1"), 2}, {CS_UTF8, CS_UTF16LE, BYTES("\0"), 2},
    {CS_UTF8, CS_UTF16BE, BYTES("A"), 2},     {CS_UTF16LE, CS_UTF8, BYTES("\xBD\x30"), 3},
    {CS_UTF16BE, CS_UTF8, BYTES("\x30\xBD"), 3}, {CS_UTF8, CS_CP932, BYTES("\xCE\xB1"), 2},
    {CS_UTF8, CS_CP932, BYTES("A"), 1},       {CS_UTF16BE, CS_CP932, BYTES("\x30\xBD"), 2},
    {CS_CP932, CS_CP932, BYTES("\xB1"), 1},   {CS_UTF16LE, CS_UTF16BE, BYTES("\x3D\xD8\x00\xDE"), 4},
};

TEST(PlatConvert, BoundHoldsTheLargestGrowth) {
    for (const GrowthCase &r : aGrowthCases)
        for (size_t nTimes : {1, 5000}) {
            std::string sIn = sRepeat(r.sUnit, nTimes), sOut;
            EXPECT_EQ(0, iConvBound(r.eFrom, r.eTo, sIn, &sOut)) << sHex(r.sUnit) << " x" << nTimes;
            EXPECT_EQ(r.nOutPerUnit * nTimes, sOut.size()) << sHex(r.sUnit) << " x" << nTimes;
        }
}

// Long texts whose characters straddle every cut point: an ASCII lead-in of 0 to 3 characters
// shifts them. The CP932 text has runs of ャ (0x83 0x83), whose second byte is also a lead byte.
TEST(PlatConvert, LongTextsKeepEveryByte) {
    const std::string sUnit8 = BYTES("A\xE3\x82\xBD\0\xF0\x9F\x98\x80\xEF\xBD\xB1");  // Aソ NUL U+1F600 ｱ
    const std::string sUnit16 = BYTES("A\0\xBD\x30\0\0\x3D\xD8\x00\xDE\x71\xFF");
    const std::string sUnitSjis = BYTES("\x83\x83\x83\x83\x95\x5C\xB1" "a");  // ャャ表ｱa
    const std::string sUnitSjis8 = BYTES("\xE3\x83\xA3\xE3\x83\xA3\xE8\xA1\xA8\xEF\xBD\xB1" "a");
    for (size_t nLead = 0; nLead < 4; ++nLead) {
        std::string s8 = sRepeat("a", nLead) + sRepeat(sUnit8, 3000);
        std::string s16 = sRepeat(BYTES("a\0"), nLead) + sRepeat(sUnit16, 3000);
        std::string sSjis = sRepeat("a", nLead) + sRepeat(sUnitSjis, 3000);
        std::string sSjis8 = sRepeat("a", nLead) + sRepeat(sUnitSjis8, 3000);
        std::string sOut, sBack;
        EXPECT_EQ(0, iConvBound(CS_UTF16LE, CS_UTF8, s16, &sOut)) << nLead;
        EXPECT_TRUE(sOut == s8) << nLead;
        EXPECT_EQ(0, iConvBound(CS_UTF8, CS_UTF16LE, sOut, &sBack)) << nLead;
        EXPECT_TRUE(sBack == s16) << nLead;
        EXPECT_EQ(0, iConvBound(CS_CP932, CS_UTF8, sSjis, &sOut)) << nLead;
        EXPECT_TRUE(sOut == sSjis8) << nLead;
        EXPECT_EQ(0, iConvBound(CS_UTF8, CS_CP932, sOut, &sBack)) << nLead;
        EXPECT_TRUE(sBack == sSjis) << nLead;
    }
}

// Restores LC_ALL as the test found it.
struct LcAllGuard {
    std::string sSaved;
    bool bHad;
    LcAllGuard() : bHad(std::getenv("LC_ALL") != nullptr) { sSaved = bHad ? std::getenv("LC_ALL") : ""; }
    ~LcAllGuard() { vSetLcAll(sSaved.c_str()); }
};

TEST(PlatMessageCodeset, NamesOnlyCodesetsThatShowJapanese) {
    LcAllGuard guard;
    std::string sCtype = std::setlocale(LC_CTYPE, nullptr);
    vSetLcAll("C");
    EXPECT_EQ(nullptr, szPlatMessageCodeset()) << "ASCII of the C locale";
    vSetLcAll("POSIX");
    EXPECT_EQ(nullptr, szPlatMessageCodeset());
    vSetLcAll("C.UTF-8");
    const char *sz = szPlatMessageCodeset();
    EXPECT_EQ(bWindows ? "(null)" : "UTF-8", std::string(sz != nullptr ? sz : "(null)"));
    EXPECT_EQ(sCtype, std::setlocale(LC_CTYPE, nullptr)) << "the program's own LC_CTYPE is put back";
}

// Shift_JIS into the message codesets; Windows converts none. In EUC-JP ～ and － stay at their
// JIS X 0208 places, not moved into JIS X 0212 or refused.
struct CodesetCase { const char *szCodeset; std::string sIn, sWant; int iRc; };
const CodesetCase aCodesetCases[] = {
    {"UTF-8", BYTES("\x83\x5C\xB1\x95\x5C\x87\x40"), BYTES("\xE3\x82\xBD\xEF\xBD\xB1\xE8\xA1\xA8\xE2\x91\xA0"), 0},
    {"EUC-JP", BYTES("\x83\x5C\xB1\x95\x5C\x87\x40"), BYTES("\xA5\xBD\x8E\xB1\xC9\xBD\xAD\xA1"), 0},
    {"eucJP", BYTES("\x81\x60\x81\x7C"), BYTES("\xA1\xC1\xA1\xDD"), 0},
    {"UTF-8", BYTES("\x81\x60\x81\x7C"), BYTES("\xEF\xBD\x9E\xEF\xBC\x8D"), 0},
    {"UTF-8", BYTES("a\x83"), BYTES(""), PLAT_CONV_ILSEQ},
    {"ASCII", BYTES("a\x83\x5C"), BYTES(""), PLAT_CONV_ILSEQ},
    {"NO-SUCH-CODESET", BYTES("a"), BYTES(""), PLAT_CONV_UNAVAILABLE},
};

TEST(PlatMessageCodeset, ConvertsShiftJisMessages) {
    for (const CodesetCase &r : aCodesetCases) {
        std::string sBlock(nPlatConvBoundToCodeset(r.sIn.size()), '\xEE');
        size_t nOut = 12345;
        int iRc = iPlatConvertToCodeset(r.szCodeset, r.sIn.data(), r.sIn.size(), &sBlock[0], sBlock.size(), &nOut);
        EXPECT_EQ(bWindows ? PLAT_CONV_UNAVAILABLE : r.iRc, iRc) << r.szCodeset << " " << sHex(r.sIn);
        EXPECT_EQ(sHex(iRc == 0 ? r.sWant : ""), sHex(sBlock.substr(0, iRc == 0 ? nOut : 0))) << r.szCodeset;
    }
}
}  // namespace
