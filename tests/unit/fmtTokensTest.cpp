// The token reader: what each run of bytes is, where a script command or a unit carried whole
// stands, and that the tokens of a real file cover every byte but white space.
#include <cstring>
#include <string>

#include "formatter/rcFmtInternal.h"
#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtTokens.h"
#include "unitHelpers.h"

namespace {
// The tokens of a text, each as its kind's letter, "_" when white space stands before it and
// "^" when a line feed does, "!" when it never closes, and its bytes in brackets.
std::string sTokens(const std::string &s, int32_t eEnc = ENC_SJIS, ReadGrain eGrain = GRAIN_TOKENS) {
    static const char szKinds[] = "WNLQDCBOPXMU";
    std::string sOut;
    TokenReader reader(s.data(), s.size(), rTextEnc(eEnc), eGrain);
    for (Token t; reader.bNext(&t);) {
        if (!sOut.empty()) sOut += ' ';
        if (t.uFlags & TF_LINE) sOut += '^';
        else if (t.uFlags & TF_WHITE) sOut += '_';
        sOut += szKinds[t.eKind];
        if (t.uFlags & TF_OPEN) sOut += '!';
        sOut += '[' + s.substr(t.iOff, t.nLen) + ']';
    }
    return sOut;
}

TEST(Tokens, KindsOfTokens) {
    const struct { const char *szName; std::string sText, sWant; } arCases[] = {
        {"words, operators, punctuation", "select a,b from t where x<=1;",
         "^W[select] _W[a] P[,] W[b] _W[from] _W[t] _W[where] _W[x] O[<=] N[1] P[;]"},
        {"numbers keep their exponent's sign", "x := 1e-5 + .5E+3 - 1.e-3 * 2.5;",
         "^W[x] _O[:=] _N[1e-5] _O[+] _N[.5E+3] _O[-] _N[1.e-3] _O[*] _N[2.5] P[;]"},
        {"a column named e after a point is minus a number", "select t1.e-5 from t;",
         "^W[select] _W[t1] P[.] W[e] O[-] N[5] _W[from] _W[t] P[;]"},
        {"an exponent's sign after a second point is an operator, as the layout reads it", "x := ..5e-3 1e-5f",
         "^W[x] _O[:=] _P[.] N[.5e] O[-] N[3] _N[1e-5f]"},
        {"the star of a qualified name is no operator; after a number's point it is", "e.* 1.*2",
         "^W[e] P[.] P[*] _N[1.] O[*] N[2]"},
        {"a range is two numbers", "for i in 1..10 loop",
         "^W[for] _W[i] _W[in] _N[1] P[.] P[.] N[10] _W[loop]"},
        {"sizes and float suffixes stay with the number", "size 10M f 1.5f",
         "^W[size] _N[10M] _W[f] _N[1.5f]"},
        {"a quoting right after a number's point is no part of it", "1.q'[a'b]' 2.Nq'<c>' 3.qx",
         "^N[1.] Q[q'[a'b]'] _N[2.] Q[Nq'<c>'] _N[3.qx]"},
        {"a point after a name, and after a comma", "t.5 t.5e-3 a,.5",
         "^W[t] P[.] W[5] _W[t] P[.] W[5e] O[-] N[3] _W[a] P[,] N[.5]"},
        {"literals, doubled quotes, quoted names", "'it''s' \"A\"\"b\" N'x'",
         "^L['it''s'] _D[\"A\"\"b\"] _W[N] L['x']"},
        {"alternative quoting, with an n", "q'[it's]' nq'{a'b}' xq'[a]'",
         "^Q[q'[it's]'] _Q[nq'{a'b}'] _W[xq] L['[a]']"},
        {"comments keep their ends", "a -- x\n/* y\n z */b",
         "^W[a] _C[-- x\n] ^B[/* y\n z */] W[b]"},
        {"a literal or comment that never closes", "a 'b c", "^W[a] _L!['b c]"},
        {"a block comment that never closes", "a /* b", "^W[a] _B![/* b]"},
        {"two-byte operators are never split", "a||b**2 <> c != d ^= e ~= f => g",
         "^W[a] O[||] W[b] O[**] N[2] _O[<>] _W[c] _O[!=] _W[d] _O[^=] _W[e] _O[~=] _W[f] _O[=>] _W[g]"},
        {"a Shift_JIS character whose second byte is a backslash", "'\x83\\' \x83\\x",
         "^L['\x83\\'] _X[\x83\\] W[x]"},
    };
    for (const auto &c : arCases) EXPECT_EQ(c.sWant, sTokens(c.sText)) << c.szName;
}

TEST(Tokens, UnitsOfTheEncodingRead) {
    const struct { const char *szName; int32_t eEnc; std::string sText, sWant; } arCases[] = {
        {"a UTF-8 character is one token", ENC_UTF8, "a\xE3\x81\x82;", "^W[a] X[\xE3\x81\x82] P[;]"},
        {"read as Shift_JIS the same bytes are others", ENC_SJIS, "a\xE3\x81\x82;", "^W[a] X[\xE3\x81] X[\x82] P[;]"},
        {"Latin-1 bytes are one each", ENC_LATIN1, "caf\xE9;", "^W[caf] X[\xE9] P[;]"},
        {"a UTF-8 delimiter of an alternative quoting", ENC_UTF8, "q'\xE3\x81\x82x\xE3\x81\x82'",
         "^Q[q'\xE3\x81\x82x\xE3\x81\x82']"},
    };
    for (const auto &c : arCases) {
        EXPECT_EQ(c.sWant, sTokens(c.sText, c.eEnc)) << c.szName;
    }
}

TEST(Tokens, CommandsAndUnitsCarriedWhole) {
    const struct { const char *szName; std::string sText, sWant; } arCases[] = {
        {"a command line with its line feed", "set lines 100\nselect 1 from dual;",
         "^M[set lines 100\n] ^W[select] _N[1] _W[from] _W[dual] P[;]"},
        {"SET of a transaction is SQL", "set transaction read only;",
         "^W[set] _W[transaction] _W[read] _W[only] P[;]"},
        {"a command after a statement's semicolon", "select 1 from dual; prompt it's done\n",
         "^W[select] _N[1] _W[from] _W[dual] P[;] _M[prompt it's done\n]"},
        {"a continued command", "column a -\nformat a10\nx;",
         "^M[column a -\nformat a10\n] ^W[x] P[;]"},
        {"a block runs to its slash line", "begin\nset_x;\nend;\n/\nrem done",
         "^W[begin] ^W[set_x] P[;] ^W[end] P[;] ^M[/\n] ^M[rem done]"},
        {"so does a piece of a unit that begins with IF, LOOP, WHILE or FOR: its EXIT is no command",
         "while a loop\nfetch c;\nexit when b;\nend loop;\n/\nrem done",
         "^W[while] _W[a] _W[loop] ^W[fetch] _W[c] P[;] ^W[exit] _W[when] _W[b] P[;] ^W[end] _W[loop] P[;] ^M[/\n] ^M[rem done]"},
        {"ARCHIVE LOG is a command where LOG stands on its line: a comment that runs past the line is no "
         "command's", "archive /* a\n*/ log;", "^W[archive] _B[/* a\n*/] _W[log] P[;]"},
        {"a wrapped unit to its slash line", "create or replace package p wrapped\na000000\n'x\n/\n",
         "^U[create or replace package p wrapped\na000000\n'x\n] ^M[/\n]"},
        {"a Java source", "create java source named \"A\" as class A { /* */ }\n/\n",
         "^U[create java source named \"A\" as class A { /* */ }\n] ^M[/\n]"},
        {"a slash right after a semicolon ends the statement", "x; / y;",
         "^W[x] P[;] _P[/] _W[y] P[;]"},
        {"a command word inside a statement is a word", "select prompt from t;",
         "^W[select] _W[prompt] _W[from] _W[t] P[;]"},
        {"a command word before a comma is the command: the layout breaks the line before it",
         "set,/*c\nb*/,d;", "^M[set,/*c\n] ^W[b] O[*] P[/] P[,] W[d] P[;]"},
    };
    for (const auto &c : arCases) EXPECT_EQ(c.sWant, sTokens(c.sText)) << c.szName;
}

// Read for the script's sake, a statement shows only what may end it or hide its end.
TEST(Tokens, ScriptGrainShowsWhatEndsAStatement) {
    const struct { const char *szName; std::string sText, sWant; } arCases[] = {
        {"words, numbers, operators and line feeds are passed over", "select a, 1e-5\n/ 2 from t;\nprompt x\n",
         "P[;] ^M[prompt x\n]"},
        {"literals and comments are read whole", "select 'a;b' /* ; */ q'[;]' from t; -- c\n",
         "_L['a;b'] _B[/* ; */] _Q[q'[;]'] P[;] _C[-- c\n]"},
        {"a quoting after an n (passed over with the words), none inside a word", "x nq'[;]' xq'a';",
         "Q[q'[;]'] L['a'] P[;]"},
        {"the white space before a token found at its first byte", "begin\n\t'a'\n x;\n\t-- c\n end;\n/\n",
         "^L['a'] P[;] ^C[-- c\n] P[;] ^M[/\n]"},
        {"a \"/\" line found at its \"/\", after blanks and TABs", "begin x;\n \t/ \r\nprompt y\n",
         "P[;] ^M[ \t/ \r\n] ^M[prompt y\n]"},
        {"a \"/\" after a carriage return, or with text after it, is no \"/\" line", "begin x;\n y\n\r/\n/ 2 z;\n/",
         "P[;] P[;] ^M[/]"},
        {"a sign after an exponent begins a comment where another \"-\" follows", "select 1e--5\n;\nprompt x\n",
         "C[--5\n] ^P[;] ^M[prompt x\n]"},
        {"characters of several bytes and NUL bytes are passed over", std::string("select '\x82' \x82\x60\0 from t;", 22),
         "_L['\x82'] P[;]"},
    };
    for (const auto &c : arCases) EXPECT_EQ(c.sWant, sTokens(c.sText, ENC_SJIS, GRAIN_SCRIPT)) << c.szName;
}

// The script finder tells, for the text before each command and after the last, whether a
// comment stands in it (the squeeze flattens a text without as it writes it): as "C" (comment) or
// "-" (none) per stretch of text, each command as "|".
TEST(Tokens, ScriptFinderTellsWhereCommentsStand) {
    const struct { const char *szName; const char *szText, *szWant; } arCases[] = {
        {"a line comment after the command", "select 1 from dual;\nPROMPT x\n-- c\nselect 2 from dual;\n", "-|C"},
        {"a comment before it only; \"--\" inside a literal is none", "-- c\nSET ECHO ON\nselect '--' from dual;\n", "C|-"},
        {"a block comment and no command", "select 1 /* c */ from dual;\n", "C"},
        {"a comment's marks in a command line are the command's", "REM -- x\nselect 1 from dual;\n", "-|-"},
        {"a comment in each stretch", "/* a */ select 1 from dual;\n/\n-- b\n", "C|C"},
    };
    for (const auto &c : arCases) {
        ScriptLines lines;
        ASSERT_EQ(RC_OK, rcFindScriptLines(c.szText, std::strlen(c.szText), rTextEnc(ENC_SJIS), &lines)) << c.szName;
        std::string sGot;
        for (size_t i = 0; i < lines.n; ++i) sGot += std::string(lines.p[i].bCmtBefore ? "C" : "-") + "|";
        sGot += lines.bCmtAfterLast ? "C" : "-";
        EXPECT_EQ(c.szWant, sGot) << c.szName;
    }
}

// Read as statements alone (a piece between commands), no line is a command or a slash line.
TEST(Tokens, StatementGrainReadsNoCommand) {
    EXPECT_EQ("^W[select] _N[1] P[;] ^W[prompt] _W[x] ^P[/] ^W[set] _W[a] _O[=] _N[1]",
              sTokens("select 1;\nprompt x\n/\nset a = 1", ENC_SJIS, GRAIN_STATEMENTS));
}

TEST(Tokens, WordsOfTheTable) {
    const struct { const char *szText; WordId eWant; } arCases[] = {
        {"from", WORD_FROM},   {"FROM", WORD_FROM},     {"Prompt", WORD_PROMPT}, {"fro", WORD_NONE},
        {"froms", WORD_NONE},  {"by", WORD_BY},         {"Order", WORD_ORDER},   {"SELECT", WORD_SELECT},
        {"ordered", WORD_NONE}, {"v_end", WORD_NONE},   {"end", WORD_END},
        {"package", WORD_PACKAGE}, {"x", WORD_NONE},
        // past the first eight bytes, which are compared at once, and bytes that fold alike
        {"procEDURE", WORD_PROCEDURE}, {"procedurx", WORD_NONE}, {"PROCEDUR", WORD_NONE}, {"fr0m", WORD_NONE},
        {"FROM_", WORD_NONE}, {"f\x7FOM", WORD_NONE},
    };
    for (const auto &c : arCases) EXPECT_EQ(c.eWant, eWordOf(c.szText, std::strlen(c.szText))) << c.szText;
    // A word's id is the word's, whatever the letters' case, on every row of one word; a
    // directive ($THEN) is no word of letters.
    for (size_t k = 0; k < WORD_COUNT; ++k) {
        const std::string s = arWordDefs[k].szText;
        if (s.find(' ') != std::string::npos) continue;
        if (s[0] == '$') {
            EXPECT_EQ(WORD_NONE, eWordOf(s.data(), s.size())) << s;
            continue;
        }
        std::string sLower = s;
        for (char &ch : sLower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        EXPECT_EQ(static_cast<WordId>(k), eWordOf(sLower.data(), sLower.size())) << s;
    }
}

// In every file of the corpus the tokens follow one another, none empty, with nothing but white
// space between them and after the last: no byte is lost or read twice.
TEST(Tokens, CoverEveryByteOfRealFiles) {
    for (const fs::path &path : vCorpusFiles()) {
        const std::string s = sReadBytes(path);
        for (int32_t eEnc : {ENC_SJIS, ENC_UTF8}) {
            TokenReader reader(s.data(), s.size(), rTextEnc(eEnc));
            size_t iAt = 0;
            bool bOk = true;
            for (Token t; bOk && reader.bNext(&t);) {
                bOk = t.nLen > 0 && t.iOff >= iAt && t.iOff + t.nLen <= s.size();
                for (size_t i = iAt; bOk && i < t.iOff; ++i) bOk = bIsWhite(s[i]);
                iAt = t.iOff + t.nLen;
            }
            for (size_t i = iAt; bOk && i < s.size(); ++i) bOk = bIsWhite(s[i]);
            EXPECT_TRUE(bOk) << path << " read in " << eEnc << ", near byte " << iAt;
        }
    }
}
}  // namespace
