// The lexical layer that every pass of the formatter asks: lead bytes, keywords, literals and
// comments.
#include <cstring>

#include "formatter/rcFmtLex.h"
#include "unitHelpers.h"

namespace {
// A lead byte (0x81 to 0x9F, 0xE0 to 0xEF) and the byte after it are one unit; keywords fold
// ASCII letters only and know no word boundaries.
TEST(Lex, UnitsAndKeywords) {
    for (int i : {0x80, 0xA0, 0xDF, 0xF0, 0x5C}) EXPECT_EQ(0, iIsLeadByte(i)) << i;
    for (int i : {0x81, 0x9F, 0xE0, 0xEF}) EXPECT_EQ(1, iIsLeadByte(i)) << i;
    const char szUnit[] = "\x81\x40";
    EXPECT_EQ(2, iUnitLen(szUnit, szUnit + 2, rTextEnc(ENC_SJIS)));
    EXPECT_EQ(1, iUnitLen(szUnit, szUnit + 1, rTextEnc(ENC_SJIS)));  // a lead byte at the end forms no unit
    const struct { const char *szText, *szKeyword; int iWant; uint32_t uMatched; } arCases[] = {
        {"select * from t", "SELECT ", 1, 7}, {"SELECTED", "SELECT ", 0, 6}, {"ANDREW", "AND", 1, 3},
        {"AN", "AND", 0, 2},                  {"\xE0", "\xC0", 0, 0},        {"[", "{", 0, 0},
    };
    for (const auto &c : arCases) {
        uint32_t u = 99;
        EXPECT_EQ(c.iWant, iIsKeyword(c.szText, c.szKeyword, &u)) << c.szText;
        EXPECT_EQ(c.uMatched, u) << c.szText;
    }
}

TEST(Lex, Literals) {
    // iWant: the literal's length from the first byte, 0 where none begins there.
    const struct { const char *szName; int32_t eEnc; const char *szText; int32_t iWant; } arCases[] = {
        {"doubled apostrophe", ENC_SJIS, "'It''s' x", 7},
        {"apostrophe inside double quotes", ENC_SJIS, "\"a'b\" x", 5},
        {"doubled double quote", ENC_SJIS, "\"a\"\"b\"x", 6},
        {"not a quote", ENC_SJIS, "x'a'", 0},
        {"line feed inside", ENC_SJIS, "'a\nb' c", 5},
        {"second byte is a backslash", ENC_SJIS, "'\x83\\' x", 4},
        {"lead byte before a quote is a byte of its own", ENC_SJIS, "'\x83' x", 3},
        {"UTF-8 sequence whole", ENC_UTF8, "'\xE3\x81\x82' x", 5},
        {"Latin-1 byte before a quote", ENC_LATIN1, "'caf\xE9''s' x", 9},
        {"unclosed runs to the end", ENC_SJIS, "'abc", 4},
        {"doubled quote at the end", ENC_SJIS, "'a''", 4},
        {"alternative quoting with brackets", ENC_SJIS, "q'[it's]' x", 9},
        {"alternative quoting, any delimiter, nested quotes", ENC_SJIS, "Q'!a'b!' x", 8},
        {"alternative quoting after n", ENC_SJIS, "nq'<it's>' x", 10},
        {"alternative quoting with a UTF-8 delimiter", ENC_UTF8, "q'\xE3\x81\x82x\xE3\x81\x82' y", 10},
        {"no alternative quoting inside a word", ENC_SJIS, "xq'[a]'", 0},
        {"no alternative quoting without a delimiter", ENC_SJIS, "q' x'", 0},
    };
    for (const auto &c : arCases) {
        const char *p = c.szText, *pEnd = p + std::strlen(p);
        if (*p == 'n') ++p;  // the quoting q after an n
        const TextEnc rEnc = rTextEnc(c.eEnc);
        int32_t iGot = bLiteralAt(p, c.szText, pEnd) ? static_cast<int32_t>(pLiteralEnd(p, pEnd, rEnc) - c.szText) : 0;
        EXPECT_EQ(c.iWant, iGot) << c.szName;
    }
}

TEST(Lex, Comments) {
    const std::string sOverrun125 = sOverrun + sTrail("rcSkipCmt", ".\\rcFmtStmt", 125);
    const std::string sNotCmt =
        sSjis("Error - コメント開始の文字列ではありません。\n") + sTrail("rcSkipCmt", ".\\rcFmtStmt", 119);
    // iEndAt: -1 for the terminating NUL, else an offset; uWant 77: the length stays unset.
    const struct { const char *szName, *szText; int iEndAt, rc; uint32_t uWant; std::string sMsg; } arCases[] = {
        {"line comment keeps its line feed", "-- x\nSELECT", -1, RC_OK, 5, ""},
        {"block comment", "/* a */b", -1, RC_OK, 7, ""},
        {"unclosed block comment runs to the end", "/* a b", -1, RC_OK, 6, ""},
        {"second byte is a star", "/* \x81* */x", -1, RC_OK, 8, ""},
        {"lead byte before a line feed is a byte of its own", "-- \x82\nx\ny", -1, RC_OK, 5, ""},
        {"star slash across the end", "/* a */", 6, RC_OK, 6, ""},
        {"line comment without line feed", "-- x", -1, RC_OVERRUN, 77, sOverrun125},
        {"line feed beyond the end", "-- x\n", 4, RC_OVERRUN, 77, sOverrun125},
        {"not a comment", "-x\n", -1, RC_NOTCMT, 77, sNotCmt},
    };
    for (const auto &c : arCases) {
        uint32_t u = 77;
        const char *pEnd = c.iEndAt < 0 ? c.szText + std::strlen(c.szText) : c.szText + c.iEndAt;
        ConsoleCapture cap;
        EXPECT_EQ(c.rc, rcSkipCmt(c.szText, pEnd, &u)) << c.szName;
        EXPECT_EQ(c.uWant, u) << c.szName;
        EXPECT_EQ(c.sMsg, cap.sLines()) << c.szName;
    }
}

}  // namespace
