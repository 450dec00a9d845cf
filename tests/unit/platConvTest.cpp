// Text conversion of the platform layer: exact bytes both ways with exact room, refusals, the
// bound on long texts cut into pieces, and the codeset of messages. Texts are byte escapes with
// the decoded text beside.
#include <clocale>

#include "plat/platConv.h"
#include "unitHelpers.h"

namespace {
#define BYTES(s) std::string(s, sizeof(s) - 1)  // keeps NUL bytes inside the literal

// Converts s into a block of exactly nCap bytes (the bound when nCap is SIZE_MAX) followed by a
// guard byte that must stay intact. The code; *psOut gets the bytes written.
int iConv(PlatCodeset eFrom, PlatCodeset eTo, const std::string &s, std::string *psOut, size_t nCap = SIZE_MAX) {
    if (nCap == SIZE_MAX) nCap = nPlatConvBound(eFrom, eTo, s.size());
    std::string sBlock(nCap + 1, '\xEE');
    size_t nOut = 12345;
    int iRc = iPlatConvert(eFrom, eTo, s.data(), s.size(), &sBlock[0], nCap, &nOut);
    EXPECT_EQ('\xEE', sBlock[nCap]) << "written past the room";
    EXPECT_TRUE(iRc == 0 ? nOut <= nCap : nOut == 0) << "rc " << iRc << " length " << nOut;
    psOut->assign(sBlock, 0, iRc == 0 ? nOut : 0);
    return iRc;
}

std::string sRepeat(const std::string &s, size_t n) {
    std::string sOut;
    while (n-- > 0) sOut += s;
    return sOut;
}
}  // namespace

TEST(PlatConvert, ConvertsEachWayExactly) {
    const struct { const char *szName; PlatCodeset eA; std::string sA; PlatCodeset eB; std::string sB; } arPairs[] = {
        {"trail bytes 0x5C, 0x41: ソ表ア", CS_UTF8, BYTES("\xE3\x82\xBD\xE8\xA1\xA8\xE3\x82\xA2"), CS_CP932,
         BYTES("\x83\x5C\x95\x5C\x83\x41")},
        {"half-width ｱｲﾝ", CS_UTF8, BYTES("\xEF\xBD\xB1\xEF\xBD\xB2\xEF\xBE\x9D"), CS_CP932, BYTES("\xB1\xB2\xDD")},
        {"signs alike everywhere: ～－￠￡￢―∥", CS_UTF8,
         BYTES("\xEF\xBD\x9E\xEF\xBC\x8D\xEF\xBF\xA0\xEF\xBF\xA1\xEF\xBF\xA2\xE2\x80\x95\xE2\x88\xA5"), CS_CP932,
         BYTES("\x81\x60\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5C\x81\x61")},
        {"①纊, a NUL", CS_UTF8, BYTES("\xE2\x91\xA0\0\xE7\xBA\x8A"), CS_CP932, BYTES("\x87\x40\0\xFA\x5C")},
        {"Aソ LE", CS_UTF8, BYTES("A\xE3\x82\xBD"), CS_UTF16LE, BYTES("A\0\xBD\x30")},
        {"U+1F600 BE", CS_UTF8, BYTES("\xF0\x9F\x98\x80"), CS_UTF16BE, BYTES("\xD8\x3D\xDE\x00")},
        {"byte order", CS_UTF16LE, BYTES("A\0\x3D\xD8\x00\xDE"), CS_UTF16BE, BYTES("\0A\xD8\x3D\xDE\x00")},
        {"ｱ表 LE", CS_CP932, BYTES("\xB1\x95\x5C"), CS_UTF16LE, BYTES("\x71\xFF\x68\x88")},
        // CP932 holds ≒ ￤ 纊 twice; they come back at the one place both platforms choose.
        {"≒￤纊", CS_UTF16BE, BYTES("\x22\x52\xFF\xE4\x7E\x8A"), CS_CP932, BYTES("\x81\xE0\xFA\x55\xFA\x5C")},
    };
    for (const auto &r : arPairs) {
        for (int iWay = 0; iWay < 2; ++iWay) {
            PlatCodeset eFrom = iWay ? r.eB : r.eA, eTo = iWay ? r.eA : r.eB;
            const std::string &sIn = iWay ? r.sB : r.sA, &sWant = iWay ? r.sA : r.sB;
            std::string sOut;
            EXPECT_EQ(0, iConv(eFrom, eTo, sIn, &sOut)) << r.szName;
            EXPECT_EQ(sWant, sOut) << r.szName;
            EXPECT_EQ(0, iConv(eFrom, eTo, sIn, &sOut, sWant.size())) << r.szName << ": exact room";
            EXPECT_EQ(PLAT_CONV_NOSPACE, iConv(eFrom, eTo, sIn, &sOut, sWant.size() - 1)) << r.szName << ": short";
        }
    }
    std::string sOut;
    EXPECT_EQ(0, iConv(CS_CP932, CS_UTF8, BYTES("\xED\x40"), &sOut));  // the other 纊
    EXPECT_EQ(BYTES("\xE7\xBA\x8A"), sOut);
}

TEST(PlatConvert, RefusesInvalidOrUnrepresentableText) {
    const struct { const char *szName; PlatCodeset eFrom, eTo; std::string sIn; } arBad[] = {
        {"UTF-8 lone 0x80", CS_UTF8, CS_CP932, BYTES("a\x80")},
        {"UTF-8 cut", CS_UTF8, CS_UTF16LE, BYTES("a\xE3\x82")},
        {"surrogate in UTF-8", CS_UTF8, CS_UTF16LE, BYTES("\xED\xA0\x80")},
        {"lone low, LE to BE", CS_UTF16LE, CS_UTF16BE, BYTES("A\0\x00\xDE" "A\0")},
        {"odd UTF-16 length", CS_UTF16LE, CS_UTF8, BYTES("A\0B")},
        {"CP932 unassigned", CS_CP932, CS_UTF8, BYTES("\x85\x40")},
        {"U+1F600 to CP932", CS_UTF8, CS_CP932, BYTES("a\xF0\x9F\x98\x80")},
        {"CP932 lead at the end, past the first pieces", CS_CP932, CS_UTF8, sRepeat("a", 9000) + "\x83"},
        {"high surrogate at a piece end", CS_UTF16LE, CS_UTF8, sRepeat(BYTES("A\0"), 4095) + "\x3D\xD8" + BYTES("A\0")},
    };
    std::string sOut;
    for (const auto &r : arBad) EXPECT_EQ(PLAT_CONV_ILSEQ, iConv(r.eFrom, r.eTo, r.sIn, &sOut)) << r.szName;
    // Look-alikes that a CP932 table could take one way only: ¢ £ ¥ ¬ — ‖ ‾ − 〜.
    for (const char *sz : {"\xC2\xA2", "\xC2\xA3", "\xC2\xA5", "\xC2\xAC", "\xE2\x80\x94", "\xE2\x80\x96",
                           "\xE2\x80\xBE", "\xE2\x88\x92", "\xE3\x80\x9C"})
        EXPECT_EQ(PLAT_CONV_ILSEQ, iConv(CS_UTF8, CS_CP932, std::string("a") + sz, &sOut)) << sz;
}

// Long texts (past Windows' pieces) of the characters that grow most fill the bound; texts whose
// characters straddle every cut point (a lead-in of 0 to 3 bytes shifts them) keep every byte.
// ャ (0x83 0x83) has a second byte that is also a lead byte.
TEST(PlatConvert, LongTexts) {
    const struct { PlatCodeset eFrom, eTo; std::string sUnit; size_t nOutPerUnit; } arGrowth[] = {
        {CS_CP932, CS_UTF8, BYTES("\xB1"), 3}, {CS_UTF8, CS_UTF16LE, BYTES("\0"), 2},
        {CS_UTF16LE, CS_UTF8, BYTES("\xBD\x30"), 3}, {CS_UTF8, CS_CP932, BYTES("\xCE\xB1"), 2}};
    std::string sOut, sBack;
    for (const auto &r : arGrowth) {
        EXPECT_EQ(0, iConv(r.eFrom, r.eTo, sRepeat(r.sUnit, 5000), &sOut)) << r.sUnit;
        EXPECT_EQ(r.nOutPerUnit * 5000, sOut.size()) << r.sUnit;
    }
    const std::string sUnitSjis = BYTES("\x83\x83\x95\x5C\xB1" "a");  // ャャ表ｱa
    const std::string sUnit8 = BYTES("\xE3\x83\xA3\xE8\xA1\xA8\xEF\xBD\xB1" "a");
    for (size_t nLead = 0; nLead < 4; ++nLead) {
        std::string sSjis = sRepeat("a", nLead) + sRepeat(sUnitSjis, 3000);
        std::string s8 = sRepeat("a", nLead) + sRepeat(sUnit8, 3000);
        EXPECT_EQ(0, iConv(CS_CP932, CS_UTF8, sSjis, &sOut)) << nLead;
        EXPECT_TRUE(s8 == sOut) << nLead;
        EXPECT_EQ(0, iConv(CS_UTF8, CS_UTF16BE, sOut, &sBack)) << nLead;
        EXPECT_EQ(0, iConv(CS_UTF16BE, CS_CP932, sBack, &sOut)) << nLead;
        EXPECT_TRUE(sSjis == sOut) << nLead;
    }
}

// Messages reach a terminal in its codeset when that shows Japanese; Windows converts none.
TEST(PlatMessageCodeset, NamesOnlyCodesetsThatShowJapanese) {
    char ab[32];
    size_t nOut = 0;
#ifdef _WIN32
    EXPECT_EQ(nullptr, szPlatMessageCodeset());
    EXPECT_EQ(PLAT_CONV_UNAVAILABLE, iPlatConvertToCodeset("UTF-8", "a", 1, ab, sizeof ab, &nOut));
#else
    const std::string sCtype = std::setlocale(LC_CTYPE, nullptr);
    ScopeExit restore([] { setenv("LC_ALL", "C", 1); });
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(nullptr, szPlatMessageCodeset()) << "ASCII of the C locale";
    setenv("LC_ALL", "C.UTF-8", 1);
    const char *sz = szPlatMessageCodeset();
    EXPECT_EQ("UTF-8", std::string(sz != nullptr ? sz : "(null)"));
    EXPECT_EQ(sCtype, std::setlocale(LC_CTYPE, nullptr)) << "the program's own LC_CTYPE is put back";
    // In EUC-JP ～ and － stay at their JIS X 0208 places: ソｱ表①～－.
    const std::string sSjisText = BYTES("\x83\x5C\xB1\x95\x5C\x87\x40\x81\x60\x81\x7C");
    EXPECT_EQ(0, iPlatConvertToCodeset("EUC-JP", sSjisText.data(), sSjisText.size(), ab, sizeof ab, &nOut));
    EXPECT_EQ(BYTES("\xA5\xBD\x8E\xB1\xC9\xBD\xAD\xA1\xA1\xC1\xA1\xDD"), std::string(ab, nOut));
    EXPECT_EQ(0, iPlatConvertToCodeset("UTF-8", sSjisText.data(), 5, ab, sizeof ab, &nOut));
    EXPECT_EQ(BYTES("\xE3\x82\xBD\xEF\xBD\xB1\xE8\xA1\xA8"), std::string(ab, nOut));
    EXPECT_EQ(PLAT_CONV_UNAVAILABLE, iPlatConvertToCodeset("NO-SUCH-CODESET", "a", 1, ab, sizeof ab, &nOut));
#endif
}
