// The lexical layer that every pass of the formatter asks: lead bytes, character units in each
// encoding, keywords, literals and comments; and texts of different encodings formatted one after
// the other, each read in its own.
#include <algorithm>
#include <cstring>
#include <string>

#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtWords.h"
#include "formatter/rcFmtStmt.h"
#include "unitHelpers.h"

namespace {
// A lead byte (0x81 to 0x9F, 0xE0 to 0xEF) and the byte after it are one unit; keywords fold
// ASCII letters only and know no word boundaries.
TEST(Lex, UnitsAndKeywords) {
    const struct { int iLead, iWant; } arLeads[] = {{0x80, 1}, {0xA0, 1}, {0xDF, 1}, {0xF0, 1}, {0x5C, 1},
                                                    {0x81, 2}, {0x9F, 2}, {0xE0, 2}, {0xEF, 2}};
    for (const auto &c : arLeads) {
        const char ar[2] = {static_cast<char>(c.iLead), '\x40'};
        EXPECT_EQ(c.iWant, iUnitLen(ar, ar + 2, rTextEnc(ENC_SJIS))) << c.iLead;
    }
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

// The scans that read sixteen bytes a step stop where their table says, at every byte and at
// every place of a run: in its first four bytes, in a step, in the bytes after the last step.
TEST(Lex, WideScansStopWhereTheTableSays) {
    for (uint16_t q : {uint16_t{Q_FIND}, uint16_t{Q_ENDS}}) {
        ASSERT_NE(0, q & Q_WIDE) << q;
        for (int c = 0; c < 256; ++c) {
            for (size_t i : {0, 3, 4, 5, 19, 20, 21, 35, 36, 47}) {
                char ar[48];
                std::memset(ar, 'a', sizeof ar);
                ar[i] = static_cast<char>(c);
                const size_t nWant = bQuiet(c, q) ? sizeof ar : i;
                EXPECT_EQ(nWant, static_cast<size_t>(pQuietRunEnd(ar, ar + sizeof ar, q) - ar))
                    << "scan " << q << ", byte " << c << " at " << i;
            }
        }
    }
}

// The flattening's scan passes every byte the flattening passes, sixteen a step: it stops at a
// byte that is not quiet for it, and at a line keyword's first two letters only after a blank; in
// the last bytes (sixteen or fewer) it takes no step. The text is 48 bytes, its steps end at 32.
TEST(Lex, FlatScanStopsWhereTheFlatteningLooks) {
    auto nScan = [](const std::string &s) {
        return static_cast<size_t>(pFlatRunEnd(s.data(), s.data() + 1, s.data() + s.size()) - s.data());
    };
    const size_t nTail = 33;  // 1 + 32: the scan starts after the text's first byte
    for (int c = 0; c < 256; ++c) {
        const bool bFirstLetter = (c | 0x20) >= 'a' && (c | 0x20) <= 'z' &&
                                  ((uFirstLettersOf(W_LINE) >> ((c | 0x20) - 'a')) & 1u) != 0;
        for (size_t i : {1, 2, 16, 17, 18, 32}) {
            std::string s(48, 'x');
            s[i] = static_cast<char>(c);
            const size_t nWant = bQuiet(c, Q_FLAT) || bFirstLetter || i >= nTail ? std::min(nTail, s.size()) : i;
            EXPECT_EQ(nWant, nScan(s)) << "byte " << c << " at " << i;
        }
    }
    const struct { const char *szName; const char *szAt; size_t iAt; size_t nWant; } arCases[] = {
        {"a line keyword after a blank", " DROP", 5, 6},
        {"in small letters", " show", 5, 6},
        {"its first letter first in a step, the blank before the step", " Create", 16, 17},
        {"its second letter past the step", " EXECUTE", 31, 32},
        {"its first letter right after the start", "ALTER", 1, 1},
        {"no blank before it", "xDROP", 5, nTail},
        {"another word of the same first letter", " DELETE", 5, nTail},
        {"the second letter's case", " dR", 9, 10},
    };
    for (const auto &c : arCases) {
        std::string s(48, 'x');
        s[0] = ' ';  // the byte before the scan's start
        s.replace(c.iAt, std::strlen(c.szAt), c.szAt);
        s.resize(48);
        EXPECT_EQ(c.nWant, nScan(s)) << c.szName;
    }
}

// The same bytes make other units in another encoding; each row is read in its own, whatever the
// row before it was read in. ENC_AUTO is no encoding of its own: it reads Shift_JIS.
TEST(Lex, UnitsByEncoding) {
    const struct { int32_t eEnc; const char *szText; int iWant; } arCases[] = {
        {ENC_SJIS, "\xE3\x81\x82", 2},   {ENC_UTF8, "\xE3\x81\x82", 3},   {ENC_LATIN1, "\xE3\x81\x82", 1},
        {ENC_UTF8, "\x82\xA0", 1},        {ENC_SJIS, "\x82\xA0", 2},        {ENC_UTF8, "\xC3\xA9", 2},
        {ENC_SJIS, "\xC3\xA9", 1},        {ENC_LATIN1, "\x83\x5C", 1},      {ENC_SJIS, "\x83\x5C", 2},
        {ENC_UTF8, "\xE3\x81x", 1},       {ENC_AUTO, "\x82\xA0", 2},
    };
    for (const auto &c : arCases)
        EXPECT_EQ(c.iWant, iUnitLen(c.szText, c.szText + std::strlen(c.szText), rTextEnc(c.eEnc)))
            << c.eEnc << " " << c.szText;
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
        {"a Shift_JIS delimiter", ENC_SJIS, "q'\x82\xA0x\x82\xA0' y", 8},
        {"the same bytes in Latin-1: a delimiter of one byte, never closed", ENC_LATIN1, "q'\x82\xA0x\x82\xA0' y", 10},
        {"a UTF-8 delimiter read as Shift_JIS: never closed", ENC_SJIS, "q'\xE3\x81\x82x\xE3\x81\x82' y", 12},
    };
    for (const auto &c : arCases) {
        const char *p = c.szText, *pEnd = p + std::strlen(p);
        if (*p == 'n') ++p;  // the quoting q after an n
        const TextEnc rEnc = rTextEnc(c.eEnc);
        int32_t iGot = bLiteralAt(p, c.szText, pEnd) ? static_cast<int32_t>(pLiteralEnd(p, pEnd, rEnc) - c.szText) : 0;
        EXPECT_EQ(c.iWant, iGot) << c.szName;
    }
}

// Texts formatted one after the other, each after one in another encoding: each is read in the
// encoding it asks for (ENC_AUTO: the one it shows), never in the one of the text before it. The
// delimiter of the alternative quoting is one character: read in another encoding, the literal
// never closes and the text is refused.
TEST(Lex, EachTextItsOwnEncoding) {
    const char *const szSjis = "select q'\x82\xA0x\x82\xA0' from t";
    const char *const szUtf8 = "select q'\xE3\x81\x82x\xE3\x81\x82' from t";
    const struct { const char *szName; int32_t eEnc; const char *szText; int rc; const char *szWant; } arCases[] = {
        {"Shift_JIS shown", ENC_AUTO, szSjis, RC_OK, "select q'\x82\xA0x\x82\xA0'\nfrom t\n"},
        {"UTF-8 shown, after Shift_JIS", ENC_AUTO, szUtf8, RC_OK, "select q'\xE3\x81\x82x\xE3\x81\x82'\nfrom t\n"},
        {"Shift_JIS shown, after UTF-8", ENC_AUTO, szSjis, RC_OK, "select q'\x82\xA0x\x82\xA0'\nfrom t\n"},
        {"Shift_JIS bytes read as Latin-1", ENC_LATIN1, szSjis, RC_OVERRUN, ""},
        {"Shift_JIS asked for, after Latin-1", ENC_SJIS, szSjis, RC_OK, "select q'\x82\xA0x\x82\xA0'\nfrom t\n"},
        {"UTF-8 bytes read as Shift_JIS", ENC_SJIS, szUtf8, RC_OVERRUN, ""},
        {"UTF-8 asked for, after Shift_JIS", ENC_UTF8, szUtf8, RC_OK, "select q'\xE3\x81\x82x\xE3\x81\x82'\nfrom t\n"},
        {"UTF-8 bytes read as Latin-1, after UTF-8", ENC_LATIN1, szUtf8, RC_OVERRUN, ""},
        {"UTF-8 shown, after Latin-1", ENC_AUTO, szUtf8, RC_OK, "select q'\xE3\x81\x82x\xE3\x81\x82'\nfrom t\n"},
    };
    for (const auto &c : arCases) {
        StmtStyle rStyle;
        vDefaultStmtStyle(&rStyle);
        rStyle.iEncoding = c.eEnc;
        ConsoleCapture cap;  // a refusal names the line of the literal
        char *szOut = nullptr;
        EXPECT_EQ(c.rc, rcFmtStmt(c.szText, &szOut, &rStyle)) << c.szName;
        EXPECT_EQ(c.szWant, std::string(c.rc == RC_OK && szOut != nullptr ? szOut : "")) << c.szName;
        vFree(szOut);
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
