// Properties over every file of the corpus of real statements, reports and traces (tests/data,
// and the directory QUORVA_EXTRA_CORPUS names, if any): formatting keeps every non-white byte,
// every literal's bytes and the text's encoding, never joins two words that white space
// separated, gives the same bytes every time and again when it formats its own output; file
// mode changes nothing outside the statements of a report or trace file; a UTF-16 file comes
// back as UTF-16 of its byte order with the same characters; --keyword-case changes the letters
// of keywords and nothing else.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "formatter/rcFmtStmt.h"
#include "formatter/rcFmtLex.h"
#include "modes/rcExtractStmt.h"
#include "modes/rcTextCodec.h"
#include "fmtPromises.h"
#include "unitHelpers.h"

namespace {
// The file as the formatter gets it: CR LF read as LF; and the pieces between lines that hold
// only "/", as a script's statements.
std::vector<std::string> vsTexts(const std::string &sRaw) {
    std::string t = sFromCrLf(sRaw);
    std::vector<std::string> v{t};
    size_t iStart = 0, iLine = 0;
    while (iLine < t.size()) {
        size_t iEnd = std::min(t.find('\n', iLine), t.size());
        if (t.compare(iLine, iEnd - iLine, "/") == 0) {
            v.push_back(t.substr(iStart, iLine - iStart));
            iStart = iEnd + 1;
        }
        iLine = iEnd + 1;
    }
    if (v.size() > 1 && iStart < t.size()) v.push_back(t.substr(iStart));
    return v;
}

struct Formatted {
    int rc;
    std::string sOut;
};
Formatted rFormat(const std::string &sIn, const char *szIndent = "\t", int32_t iNumComma = 14, int32_t iPartSize = 50,
                  int32_t eEnc = ENC_AUTO, int32_t eKeywordCase = KWCASE_KEEP, bool bKeepBlankLines = false) {
    StmtStyle style;
    vDefaultStmtStyle(&style);
    style.bKeepBlankLines = bKeepBlankLines;
    std::snprintf(style.szIndent, sizeof style.szIndent, "%s", szIndent);
    style.iNumComma = iNumComma;
    style.iPartSize = iPartSize;
    style.iEncoding = eEnc;
    style.eKeywordCase = eKeywordCase;
    char *szFmt = nullptr;
    ConsoleCapture cap;
    Formatted r{rcFmtStmtLen(sIn.data(), sIn.size(), &szFmt, &style), ""};
    if (r.rc == RC_OK) r.sOut.assign(szFmt, static_cast<size_t>(style.iFmtLen));
    vFree(szFmt);
    return r;
}

bool bUtf16(const std::string &s) { return s.compare(0, 2, "\xFF\xFE") == 0 || s.compare(0, 2, "\xFE\xFF") == 0; }

// Calls f(p, iText, sText) for each text of each corpus file read as bytes: UTF-16 files have
// their own property, and a file with a NUL byte is binary (refused whole).
template <class F>
void vForEachCorpusText(F f) {
    for (const fs::path &p : vCorpusFiles()) {
        const std::string sRaw = sReadBytes(p);
        if (bUtf16(sRaw) || sRaw.find('\0') != std::string::npos) continue;
        const std::vector<std::string> vs = vsTexts(sRaw);
        for (size_t iText = 0; iText < vs.size(); ++iText) f(p, iText, vs[iText]);
    }
}
}  // namespace

namespace {
// The promises of a formatted text sOut to its input sIn (sWhat names it in a failure): the same
// non-white bytes, no words joined, literals, comments and units carried whole kept, no code
// moved or taken into a comment, as many statements, and no empty line.
void vExpectDataAndCodeKept(const std::string &sIn, const std::string &sOut, const std::string &sWhat) {
    EXPECT_TRUE(sInk(sIn, true) == sInk(sOut, true)) << sWhat << ": the non-white bytes differ";
    const size_t i = iJoinedAt(sIn, sOut, true);
    EXPECT_EQ(std::string::npos, i) << sWhat << ": words joined near " << sOut.substr(i - std::min<size_t>(i, 40), 80);
    EXPECT_TRUE(vsLiterals(sIn, ENC_AUTO, true) == vsLiterals(sOut, ENC_AUTO, true))
        << sWhat << ": a literal, a comment or a unit carried whole changed";
    EXPECT_TRUE(sCodeInk(sIn, ENC_AUTO) == sCodeInk(sOut, ENC_AUTO)) << sWhat << ": the code outside comments changed";
    EXPECT_EQ(nStatementsIn(sIn, ENC_AUTO), nStatementsIn(sOut, ENC_AUTO)) << sWhat << ": statements counted";
    const size_t iEmpty = iEmptyLineAt(sOut, ENC_AUTO);
    EXPECT_EQ(std::string::npos, iEmpty) << sWhat << ": an empty line near " << sOut.substr(iEmpty - std::min<size_t>(iEmpty, 40), 80);
}
}  // namespace

// The count of statement ends (";" and "/" as the tokens read them) and the empty-line check have
// teeth too.
TEST(CorpusProperty, StatementsAndEmptyLinesAreSeen) {
    EXPECT_EQ(4u, nStatementsIn("select 1 from dual; begin null; end;\n/\n", ENC_AUTO));
    EXPECT_EQ(2u, nStatementsIn("select ';' from dual; -- ;\nprompt ;", ENC_AUTO));
    EXPECT_NE(std::string::npos, iEmptyLineAt("select a\n\nfrom t\n", ENC_AUTO));
    EXPECT_NE(std::string::npos, iEmptyLineAt("select a\n \t\r\nfrom t\n", ENC_AUTO));
    EXPECT_EQ(std::string::npos, iEmptyLineAt("select 'a\n\nb' /* c\n\nd */\nfrom t\n", ENC_AUTO));
    EXPECT_EQ(std::string::npos, iEmptyLineAt("create procedure p wrapped\na\n\nb\n/\n", ENC_AUTO));
}

// The token property has teeth: it sees a number, an operator or a word split, and no change
// of white space between tokens.
TEST(CorpusProperty, TokensReadBackSeeASplit) {
    const struct { const char *szIn, *szOut; bool bSame; } arCases[] = {
        {"select 1e-5 from t", "select 1e - 5\nfrom t", false},   {"x:=a^=b", "x := a ^ = b", false},
        {"select ab from t", "select a b\nfrom t", false},         {"x  :=b ;", "x := b;", true},
        {"/* a  b */ x", "/* a b */ x", false},           {"/* a\n  b */ x", "\t/* a\n\t  b */ x", true},
        {"prompt  a  b\nx;", "prompt a b\nx;\n", true},          {"select 'a  b' from t", "select 'a b' from t", false},
        {"x := 1.q'[a]'", "x := 1. q'[a]'", true},  // a quoting right after a number's point is no part of it
        {"x <<<<= a", "x << << = a", true},  // "<<" is one token, read from the left
        {"<<>>=", "<<>> =", true},         {"a>>=b", "a > >= b", true},  // ">>" is a token only where it closes a label
        {"<<l>>=", "<<l> > =", false},
    };
    for (const auto &c : arCases)
        EXPECT_EQ(c.bSame, vsTokens(c.szIn, ENC_AUTO) == vsTokens(c.szOut, ENC_AUTO)) << c.szIn << " / " << c.szOut;
}

// The token reader reads the literals, quoted names and comments of every text, and of its
// formatted form, as the lexical layer does; and the check sees where they part.
TEST(CorpusProperty, TokensReadDataAsTheLexicalLayer) {
    EXPECT_EQ(std::string::npos, iDataReadOtherwiseAt("select q'[a'b]', nq'{c}', 'd''e', \"f\" -- g\n/* h */ from t;", ENC_AUTO));
    EXPECT_EQ(std::string::npos, iDataReadOtherwiseAt("select 1.q'[a'select]', 2.e-3 from dual;", ENC_AUTO));
    int nTexts = 0;
    vForEachCorpusText([&](const fs::path &p, size_t, const std::string &sIn) {
        ++nTexts;
        const size_t i = iDataReadOtherwiseAt(sIn, ENC_AUTO);
        EXPECT_EQ(std::string::npos, i) << p.filename().string() << ": near " << sIn.substr(i - std::min<size_t>(i, 20), 60);
        const Formatted r = rFormat(sIn);
        if (r.rc != RC_OK) return;
        const size_t j = iDataReadOtherwiseAt(r.sOut, ENC_AUTO);
        EXPECT_EQ(std::string::npos, j) << p.filename().string() << " formatted: near " << r.sOut.substr(j - std::min<size_t>(j, 20), 60);
    });
    EXPECT_GT(nTexts, 0);
}

TEST(CorpusProperty, FormattingKeepsWordsLiteralsAndEncodingAndIsAFixedPoint) {
    const struct { const char *szName, *szIndent; int32_t iNumComma, iPartSize; } arOptions[] = {
        {"defaults", "\t", 14, 50}, {"-i4", "    ", 14, 50}, {"-c3 -s20", "\t", 3, 20}};
    int nTexts = 0, nOk = 0;
    vForEachCorpusText([&](const fs::path &p, size_t iText, const std::string &sIn) {
        if (sInk(sIn).empty()) return;  // an empty statement is refused
        ++nTexts;
        const bool bUtf8 = bValidUtf8(sIn.data(), sIn.size());
        for (const auto &o : arOptions) {
            const std::string sWhat = p.filename().string() + " text " + std::to_string(iText) + " " + o.szName;
            Formatted r = rFormat(sIn, o.szIndent, o.iNumComma, o.iPartSize);
            if (&o == arOptions) {
                Formatted r2 = rFormat(sIn);
                EXPECT_TRUE(r.rc == r2.rc && r.sOut == r2.sOut) << sWhat << ": formatting twice differs";
            }
            // A piece cut at a "/" line inside a block comment holds the comment's start but
            // not its end: it is refused, as any text that ends inside a comment is.
            if (iText > 0 && r.rc == RC_OVERRUN && sIn.find("/*") != std::string::npos) continue;
            EXPECT_EQ(RC_OK, r.rc) << sWhat;
            if (r.rc != RC_OK) continue;
            ++nOk;
            vExpectDataAndCodeKept(sIn, r.sOut, sWhat);
            // Where no comment moved, the output reads as the same tokens.
            if (sInk(sIn) == sInk(r.sOut)) {
                EXPECT_TRUE(vsTokens(sIn, ENC_AUTO) == vsTokens(r.sOut, ENC_AUTO)) << sWhat << ": a token split or joined";
            }
            EXPECT_TRUE(!bUtf8 || bValidUtf8(r.sOut.data(), r.sOut.size())) << sWhat << ": no longer UTF-8";
            Formatted rAgain = rFormat(r.sOut, o.szIndent, o.iNumComma, o.iPartSize);
            EXPECT_TRUE(rAgain.rc == RC_OK && rAgain.sOut == r.sOut) << sWhat << ": a second run changes it";
        }
    });
    std::printf("corpus: %d texts, %d formatted under three option sets\n", nTexts, nOk);
    EXPECT_GT(nOk, 100);
}

namespace {
// The text with a comment in front of every nth token that white space stands before, the kinds
// of comment in turn: comments where authors put them and where they do not, which the comment
// moves and the layout must carry without a change to anything else.
std::string sWithComments(const std::string &sIn, size_t nEvery) {
    static const char *const arComments[] = {"/* c */ ", "-- c\n", "/* x\n   y */ ", "--\n", "/**/", "-- c -\n"};
    const TextEnc rEnc = rTextEnc(eDetectEncoding(sIn.data(), sIn.size()));
    std::string sOut;
    size_t iAt = 0, iToken = 0, iComment = 0;
    TokenReader reader(sIn.data(), sIn.size(), rEnc);
    for (Token t; reader.bNext(&t);) {
        if ((t.uFlags & TF_WHITE) == 0 || ++iToken % nEvery != 0) continue;
        sOut.append(sIn, iAt, t.iOff - iAt);
        sOut += arComments[iComment++ % std::size(arComments)];
        iAt = t.iOff;
    }
    return sOut + sIn.substr(iAt);
}
}  // namespace

// With comments put in anywhere between the tokens of every real text, formatting keeps every
// promise: the same non-white bytes, no words joined, literals, comments and units carried whole
// kept, no code moved or taken into a comment, as many statements, no empty line, and a second
// run changes nothing.
TEST(CorpusProperty, CommentsAnywhereKeepEveryPromise) {
    int nTexts = 0, nOk = 0;
    vForEachCorpusText([&](const fs::path &p, size_t iText, const std::string &sText) {
        for (size_t nEvery : {3, 7}) {
            const std::string sIn = sWithComments(sText, nEvery);
            const std::string sWhat = p.filename().string() + " text " + std::to_string(iText) + " comments every " +
                                      std::to_string(nEvery);
            ++nTexts;
            const Formatted r = rFormat(sIn);
            if (r.rc != RC_OK) continue;  // a comment can leave a text refused; a refusal changes nothing
            ++nOk;
            vExpectDataAndCodeKept(sIn, r.sOut, sWhat);
            const Formatted rAgain = rFormat(r.sOut);
            EXPECT_TRUE(rAgain.rc == RC_OK && rAgain.sOut == r.sOut) << sWhat << ": a second run changes it";
        }
    });
    std::printf("corpus with comments: %d texts, %d formatted\n", nTexts, nOk);
    EXPECT_GT(nOk, nTexts / 2);
}

namespace {
// The script command lines of a text as the formatter reads it, each whole.
std::vector<std::string> vsCommandLines(const std::string &s) {
    std::vector<std::string> v;
    ReadText(s, ENC_AUTO).vForEachPart([](const char *, const char *, const char *) {},
                                       [&](const char *p0, const ScriptLine &line) {
                                           v.push_back(sTrimmed(p0 + line.iStart, p0 + line.iEnd));
                                       });
    return v;
}
}  // namespace

// The letter case of keywords changes letters and nothing else: in capitals and in small letters
// every text formats as with keep but for the case of the letters of keywords; literals, quoted
// names, comments, command lines and units carried whole keep their bytes; and formatting the
// output again with the same option changes nothing.
TEST(CorpusProperty, KeywordCaseChangesOnlyTheLettersOfKeywords) {
    int nTexts = 0, nChanged = 0;
    vForEachCorpusText([&](const fs::path &p, size_t iText, const std::string &sIn) {
        if (sInk(sIn).empty()) return;
        const Formatted rKeep = rFormat(sIn);
        if (rKeep.rc != RC_OK) return;  // the refusals are the property above's
        ++nTexts;
        const std::vector<std::string> vsData = vsLiterals(rKeep.sOut, ENC_AUTO, true);
        const std::vector<std::string> vsCommands = vsCommandLines(rKeep.sOut);
        for (int32_t eCase : {KWCASE_UPPER, KWCASE_LOWER}) {
            const std::string sWhat = p.filename().string() + " text " + std::to_string(iText) +
                                      (eCase == KWCASE_UPPER ? " upper" : " lower");
            const Formatted r = rFormat(sIn, "\t", 14, 50, ENC_AUTO, eCase);
            ASSERT_EQ(RC_OK, r.rc) << sWhat;
            const size_t i = iNotKeywordCaseAt(rKeep.sOut, r.sOut);
            EXPECT_EQ(std::string::npos, i)
                << sWhat << ": more than a keyword's letters changed near " << r.sOut.substr(i - std::min<size_t>(i, 40), 80);
            EXPECT_TRUE(vsData == vsLiterals(r.sOut, ENC_AUTO, true))
                << sWhat << ": a literal, a quoted name, a comment or a unit carried whole changed";
            EXPECT_TRUE(vsCommands == vsCommandLines(r.sOut)) << sWhat << ": a command line changed";
            nChanged += eCase == KWCASE_UPPER && r.sOut != rKeep.sOut;
            const Formatted rAgain = rFormat(r.sOut, "\t", 14, 50, ENC_AUTO, eCase);
            EXPECT_TRUE(rAgain.rc == RC_OK && rAgain.sOut == r.sOut) << sWhat << ": a second run changes it";
        }
    });
    std::printf("corpus: %d texts, %d of them with keywords to write in capitals\n", nTexts, nChanged);
    EXPECT_GT(nChanged, 100);
}

// The white space at a line's end and the form of the line end decide no layout: every text with
// two blanks and a CR before each line feed formats as it does without, but for those bytes at its
// lines' ends (inside a literal or a comment too, which keep them).
TEST(CorpusProperty, LineEndsAndTheirBlanksDecideNoLayout) {
    auto sLinesTrimmed = [](const std::string &s) {
        std::string r;
        size_t nWhite = 0;
        for (char c : s) {
            if (c == '\n') {
                r.resize(r.size() - nWhite);
                nWhite = 0;
            } else {
                nWhite = c == ' ' || c == '\t' || c == '\r' ? nWhite + 1 : 0;
            }
            r += c;
        }
        return r;
    };
    int nTexts = 0;
    vForEachCorpusText([&](const fs::path &p, size_t iText, const std::string &sIn) {
        const Formatted r = rFormat(sIn);
        if (sInk(sIn).empty() || r.rc != RC_OK) return;
        ++nTexts;
        std::string sWide;
        for (char c : sIn) sWide += c == '\n' ? std::string("  \r\n") : std::string(1, c);
        const Formatted rWide = rFormat(sWide);
        const std::string sWhat = p.filename().string() + " text " + std::to_string(iText);
        ASSERT_EQ(RC_OK, rWide.rc) << sWhat;
        EXPECT_TRUE(sLinesTrimmed(r.sOut) == sLinesTrimmed(rWide.sOut)) << sWhat << ": the layout changed";
    });
    EXPECT_GT(nTexts, 100);
}

// Blank lines kept change nothing but the empty lines: without them the text is the one of
// blank lines dropped, and a second run keeps the same ones.
TEST(CorpusProperty, BlankLinesKeptAddOnlyEmptyLines) {
    int nTexts = 0, nKept = 0;
    vForEachCorpusText([&](const fs::path &p, size_t iText, const std::string &sIn) {
        const Formatted rDrop = rFormat(sIn);
        if (sInk(sIn).empty() || rDrop.rc != RC_OK) return;
        ++nTexts;
        const std::string sWhat = p.filename().string() + " text " + std::to_string(iText);
        const Formatted r = rFormat(sIn, "\t", 14, 50, ENC_AUTO, KWCASE_KEEP, true);
        ASSERT_EQ(RC_OK, r.rc) << sWhat;
        const std::vector<size_t> vAt = vEmptyLinesAt(r.sOut, ENC_AUTO);
        nKept += !vAt.empty();
        std::string sWithout = r.sOut;
        for (auto it = vAt.rbegin(); it != vAt.rend(); ++it) sWithout.erase(*it, 1);
        EXPECT_TRUE(sWithout == rDrop.sOut) << sWhat << ": more than empty lines differ";
        const Formatted rAgain = rFormat(r.sOut, "\t", 14, 50, ENC_AUTO, KWCASE_KEEP, true);
        EXPECT_TRUE(rAgain.rc == RC_OK && rAgain.sOut == r.sOut) << sWhat << ": a second run changes it";
    });
    std::printf("corpus: %d texts, %d of them with blank lines kept\n", nTexts, nKept);
    EXPECT_GT(nKept, 20);
}

// A UTF-16 file is read as UTF-8 and written back in its own form.
TEST(CorpusProperty, Utf16ComesBackAsUtf16OfItsByteOrder) {
    int nFiles = 0;
    for (const fs::path &p : vCorpusFiles()) {
        const std::string sRaw = sReadBytes(p), sWhat = p.filename().string();
        if (!bUtf16(sRaw)) continue;
        ++nFiles;
        TextForm rForm;
        size_t nBom = 0;
        vTextFormOf(sRaw.data(), sRaw.size(), ENC_AUTO, 0, &rForm, &nBom);
        char *pText = nullptr;
        size_t nText = 0;
        ASSERT_EQ(RC_OK, rcUtf16ToUtf8(sRaw.data() + nBom, sRaw.size() - nBom, rForm.eUtf16, &pText, &nText)) << sWhat;
        std::string sText(pText, nText);
        vFree(pText);
        sText.resize(nCrLfToLf(&sText[0], sText.size()));
        Formatted r = rFormat(sText, "\t", 14, 50, rForm.eEncoding);
        ASSERT_EQ(RC_OK, r.rc) << sWhat;
        TextWriter out(rForm, true);
        ASSERT_TRUE(out.bPut(r.sOut.data(), r.sOut.size())) << sWhat;
        const std::string sBack(out.p, out.n);
        EXPECT_EQ(sRaw.substr(0, 2), sBack.substr(0, 2)) << sWhat << ": the byte order mark";
        ASSERT_EQ(RC_OK, rcUtf16ToUtf8(sBack.data() + 2, sBack.size() - 2, rForm.eUtf16, &pText, &nText)) << sWhat;
        EXPECT_EQ(sInk(sText), sInk(std::string(pText, nText))) << sWhat;
        vFree(pText);
    }
    EXPECT_GE(nFiles, 2);
}

namespace {
// The stand-in formatter of the first pass: the statement between two markers.
const std::string sOpen = "\x01<<", sClose = ">>\x01";
int rcMark(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    std::string s = sOpen + std::string(pStmt, nStmt) + sClose;
    *szStmtFmt = static_cast<char *>(pvAlloc(s.size() + 1));
    if (*szStmtFmt == nullptr) return RC_NOMEM;
    std::memcpy(*szStmtFmt, s.data(), s.size());
    rStmtStyle->iFmtLen = static_cast<int32_t>(s.size());
    return RC_OK;
}

// The extraction's output (LF line ends); "rc=N" when it failed.
std::string sExtract(const std::string &t, int32_t iDocType, PfnFmtStmt pfn) {
    StmtStyle style;
    vDefaultStmtStyle(&style);
    int32_t iStmts = 0;
    TextWriter out(TextForm{}, false);
    ConsoleCapture cap;
    int rc = rcExtractStmts(t.c_str(), t.size(), iDocType, &out, "t", &style, &iStmts, pfn);
    return rc == RC_OK ? std::string(out.p, out.n) : "rc=" + std::to_string(rc);
}
}  // namespace

TEST(CorpusProperty, FileModeKeepsEveryByteOutsideStatements) {
    int nDocs = 0, nStmts = 0;
    for (const fs::path &p : vCorpusFiles()) {
        const std::string t = sFromCrLf(sReadBytes(p)), sWhat = p.filename().string();
        int32_t iDocType = iIdentifyDocType(t.data(), t.size());
        if (iDocType == DOC_SCRIPT) continue;
        ++nDocs;
        // First pass: the statements marked. Without the markers the output is the input.
        const std::string sMarked = sExtract(t, iDocType, rcMark);
        std::string sBack, sExpected;
        int rcExpected = RC_OK;
        for (size_t i = 0; i < sMarked.size();) {
            size_t o = std::min(sMarked.find(sOpen, i), sMarked.size());
            sBack += sMarked.substr(i, o - i);
            sExpected += sMarked.substr(i, o - i);
            if (o == sMarked.size()) break;
            size_t c = sMarked.find(sClose, o);
            ASSERT_NE(c, std::string::npos) << sWhat;
            std::string sStmt = sMarked.substr(o + sOpen.size(), c - o - sOpen.size());
            sBack += sStmt;
            ++nStmts;
            // What the real formatter makes of the statement on its own.
            Formatted f = bKeepUnformatted(sStmt.data(), sStmt.size()) ? Formatted{RC_OK, sStmt} : rFormat(sStmt);
            if (rcExpected == RC_OK) rcExpected = f.rc;
            sExpected += f.sOut;
            i = c + sClose.size();
        }
        EXPECT_TRUE(sBack == t) << sWhat << ": bytes outside the statements changed";
        // Second pass: the real formatter; the text around the statements is the same.
        const std::string sReal = sExtract(t, iDocType, rcFmtStmtLen);
        EXPECT_TRUE(sReal == (rcExpected == RC_OK ? sExpected : "rc=" + std::to_string(rcExpected))) << sWhat;
    }
    std::printf("corpus: %d reports and traces, %d statements\n", nDocs, nStmts);
    EXPECT_GT(nDocs, 3);
}
