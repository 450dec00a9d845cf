// Normalisation of a statement, and the formatter's entry: the dump file and the common exit.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "consoleCapture.h"
#include "testFiles.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtInternal.h"
#include "formatter/rcFmtStmt.h"

namespace {

struct rNormResult {
    int rc;
    std::string sText;  // the normalised text up to szTail
    int32_t iOrgIdt;
    int32_t iSite;
    std::string sMsg;  // what was written to console
};

StmtStyle rStyle(const char *szIndent = "\t", int32_t iJoinAt = 0) {
    StmtStyle r;
    vDefaultStmtStyle(&r);
    std::snprintf(r.szIndent, sizeof r.szIndent, "%s", szIndent);
    r.iJoinAt = iJoinAt;
    return r;
}

rNormResult rNorm(const std::string &sIn, const StmtStyle &r = rStyle()) {
    FmtWork w;
    ConsoleCapture cap;
    rNormResult res;
    res.rc = rcNormStmt(&w, sIn.c_str(), &r);
    if (res.rc == RC_OK) res.sText.assign(w.ssSrc, static_cast<size_t>(w.szTail - w.ssSrc));
    res.iOrgIdt = w.iOrgIdt;
    res.iSite = w.iSite;
    res.sMsg = cap.sLines();
    vFree(w.ssSrc);
    return res;
}

struct rNormCase {
    const char *szName, *szIn, *szWant;
};

void vCheck(const rNormCase *arCases, size_t nCases) {
    for (size_t i = 0; i < nCases; ++i) {
        rNormResult r = rNorm(arCases[i].szIn);
        EXPECT_EQ(RC_OK, r.rc) << arCases[i].szName;
        EXPECT_EQ(arCases[i].szWant, r.sText) << arCases[i].szName;
        EXPECT_EQ("", r.sMsg) << arCases[i].szName;
    }
}

TEST(NormWhite, SpacesEndsAndLiterals) {
    const rNormCase arCases[] = {
        {"final line feed", "select 1 from dual", "select 1 from dual\n"},
        {"semicolon ends it", "select 1 from dual;", "select 1 from dual;"},
        {"semicolon alone", ";", ";"},
        {"trailing white space", "x  \t\r\n \n", "x\n"},
        {"blank before comma", "a ,b", "a, b\n"},
        {"inside parentheses", "( a )", "(a)\n"},
        {"line feeds become a blank", "x\n\n  y", "x y\n"},
        {"carriage returns", "a\r\nb", "a b\n"},
        {"after semicolon", "a ;  b", "a;b\n"},
        {"ends in a parenthesis", "f(  \n ", "f(\n"},
        {"literal untouched", "x 'a  \n ''b'  y", "x 'a  \n ''b' y\n"},
        {"other quote kind", "x \"a'b\"  'c\"d'  y", "x \"a'b\" 'c\"d' y\n"},
        {"unclosed literal runs to the end", "x 'ab  c", "x 'ab  c\n"},
        {"closing parenthesis then word", "f(a)x", "f(a) x\n"},
        {"parentheses and commas", "f(a),(b)", "f(a) , (b)\n"},
        {"IN list", "WHERE x IN(1,2)", "WHERE x IN (1, 2)\n"},
        {"IF", "x IF(y", "x IF (y\n"},
        {"ELSIF", "x ELSIF(y", "x ELSIF (y\n"},
        {"lower-case word", "x and(y", "x and (y\n"},
        {"longer word", "x MYIF(y", "x MYIF(y\n"},
        {"word at the start", "IN(1)", "IN(1)\n"},
        {"after a semicolon", "x;IN(1)", "x;IN(1)\n"},
    };
    vCheck(arCases, sizeof arCases / sizeof *arCases);
}

TEST(NormComments, RewritesAndMoves) {
    const rNormCase arCases[] = {
        {"block comment lines", "/* a\n\n   b */", "/* a\nb */\n"},
        {"block comment blanks stay", "x /*a \t b*/", "x /*a \t b*/\n"},
        {"white space after a line comment", "-- c\n   x", "-- c\nx\n"},
        {"blank before a block comment", "x/* c */y", "x /* c */y\n"},
        {"blank before a line comment", "x--c\ny", "x --c\ny\n"},
        {"unclosed block comment", "x /* a", "x /* a\n"},
        {"comment after AND", "a AND /* c */ b", "a /* c */AND  b\n"},
        {"line comment after AND", "a AND -- c\nb", "a -- c\nAND b\n"},
        {"no AND in BRAND", "BRAND /* c */ b", "BRAND /* c */ b\n"},
        {"AND at the start", "AND /* c */ b", "AND /* c */ b\n"},
        {"comment after a comma", "a, /* c */ b", "a /* c */, b\n"},
        {"comment glued to a comma", "a,/* c */b", "a /* c */, b\n"},
        {"line comment after a comma", "a, -- c\nb", "a -- c\n,b\n"},
        {"comment after AND at the end", "a AND -- c", "a AND -- c\n"},
        {"unclosed comment after AND", "a AND /* c", "a AND /* c\n"},
        {"unclosed comment after a comma", "a, /* c", "a, /* c\n"},
        {"comment after a header at the end", "x PROCEDURE /* c */", "x PROCEDURE /* c */\n"},
        {"comment after AND before the semicolon", "a AND /* c */;", "a /* c */AND ;"},
        {"carriage return in a block comment", "/* a\r\n b */", "/* a\nb */\n"},
        {"block header", "x PROCEDURE p", "x PROCEDURE p\n"},
        {"comment after a block header", "x PROCEDURE /* c */ p", "x\n/* c */ PROCEDURE p\n"},
        {"comments after a block header", "x FUNCTION -- a\n/* b */ f", "x\n-- a\n/* b */ FUNCTION f\n"},
        {"package body at the start", "PACKAGE BODY /* c */ pk IS", "/* c */ PACKAGE BODY pk IS\n"},
        {"header after a semicolon", "END;PROCEDURE /* c */ p", "END;/* c */ PROCEDURE p\n"},
        {"header in a literal", "x 'PROCEDURE /* c */ p'", "x 'PROCEDURE /* c */ p'\n"},
        {"longer word is no header", "x PROCEDURES /* c */ p", "x PROCEDURES /* c */ p\n"},
    };
    vCheck(arCases, sizeof arCases / sizeof *arCases);
}

TEST(NormKeywords, StatementKeywords) {
    const rNormCase arCases[] = {
        {"after a semicolon", "GRANT x; DROP TABLE t", "GRANT x;DROP TABLE t\n"},
        {"after a blank", "x DROP TABLE t", "x\nDROP TABLE t\n"},
        {"after a line feed", "x\nCREATE TABLE t", "x\nCREATE TABLE t\n"},
        {"all five", "a show b execute c create d alter e drop f",
         "a\nshow b\nexecute c\ncreate d\nalter e\ndrop f\n"},
        {"word before the final line feed", "x DROP", "x\nDROP\n"},
        {"inside a word", "foo_drop x", "foo_drop x\n"},
        {"after a comment", "/* c */DROP x", "/* c */DROP x\n"},
        {"longer word", "x DROPS t", "x DROPS t\n"},
        {"in a literal", "x 'a DROP b'", "x 'a DROP b'\n"},
        {"after a line comment", "x -- c\nDROP t", "x -- c\nDROP t\n"},
    };
    vCheck(arCases, sizeof arCases / sizeof *arCases);
}

TEST(NormShiftJis, SecondBytes) {
    const rNormCase arCases[] = {
        {"second byte is a parenthesis", "x \x81(  y", "x \x81( y\n"},
        {"second byte is a quote", "x \x83'  y 'z'", "x \x83' y 'z'\n"},
        {"second byte is a comma", "a\x81,b", "a\x81,b\n"},
        {"second byte is a backslash", "\x95\\ AND /* c */ y", "\x95\\ /* c */AND  y\n"},
        {"second byte is a bar", "x \x81|  y", "x \x81| y\n"},
        {"second byte is a letter", "x \x82IN(y", "x \x82IN(y\n"},
        {"second byte is a semicolon", "x\x81;", "x\x81;\n"},
        {"second byte is a blank at the end", "x \x82 ", "x \x82 \n"},
        {"second byte closes a comment", "/* \x81*/  x */", "/* \x81*/  x */\n"},
        {"second byte is a line feed", "-- \x82\nx\ny", "-- \x82\nx\ny\n"},
        {"second byte is D of DROP", "x \x82" "DROP t", "x \x82" "DROP t\n"},
        {"lead byte at the end", "x\x82", "x\x82\n"},
        {"blank second byte before a keyword", "x \x82 DROP t", "x \x82 DROP t\n"},
        {"blank second byte before a header", "x \x82 PROCEDURE /* c */ p", "x \x82 PROCEDURE /* c */ p\n"},
        {"literal with a double-byte quote", "x '\x83'  y' z", "x '\x83'  y' z\n"},
    };
    vCheck(arCases, sizeof arCases / sizeof *arCases);
}

TEST(NormIndent, OrgIdt) {
    const struct { const char *szName, *szIn, *szIndent; int32_t iWant; } arCases[] = {
        {"eight blanks, TAB unit", "        x", "\t", 2},
        {"eight blanks, unit of two", "        x", "  ", 4},
        {"TAB and three blanks", "\t   x", "\t", 1},
        {"seven blanks", "       x", "\t", 1},
        {"line feed not counted", "\n\tx", "\t", 1},
        {"TABs under a blank unit", "\t\t x", "    ", 2},
        {"none", "x", "\t", 0},
    };
    for (const auto &c : arCases) {
        rNormResult r = rNorm(c.szIn, rStyle(c.szIndent));
        EXPECT_EQ(RC_OK, r.rc) << c.szName;
        EXPECT_EQ(c.iWant, r.iOrgIdt) << c.szName;
        EXPECT_EQ("x\n", r.sText) << c.szName;
    }
}

TEST(NormJoin, JoinsBeforeNormalising) {
    rNormResult r = rNorm("  SELECT a,\n b\n\nFROM t ", rStyle("\t", 256));
    EXPECT_EQ(RC_OK, r.rc);
    EXPECT_EQ("SELECT a, bFROM t\n", r.sText);
    EXPECT_EQ(0, r.iOrgIdt);
}

const char szOverrun[] = "Error - バッファ領域のオーバー・ランが発生しました。\n";
const char szSkipCmt125[] = "関数 rcSkipCmt() が異常終了しました。(.\\rcFmtStmt-125)\n";

TEST(NormFailures, CodesSitesMessages) {
    const struct { const char *szName, *szIn; int32_t iJoinAt; int rc, iSite; std::string sMsg; } arCases[] = {
        {"empty", "", 0, RC_OVERRUN, 526, szOverrun},
        {"only white space", " \n \t\r\n", 0, RC_OVERRUN, 526, szOverrun},
        {"line comment before the semicolon", "x -- c;", 0, RC_OVERRUN, 892,
         std::string(szOverrun) + szSkipCmt125},
        {"line comment after a block header", "x PROCEDURE -- c;", 0, RC_OVERRUN, 862,
         std::string(szOverrun) + szSkipCmt125},
        {"joining fails", "a\n-- c", 256, RC_OVERRUN, 478,
         std::string(szOverrun) + szSkipCmt125 +
             "関数 rcJoinStmtChunk() が異常終了しました。(.\\rcFmtStmt-331)\n"},
    };
    for (const auto &c : arCases) {
        rNormResult r = rNorm(c.szIn, rStyle("\t", c.iJoinAt));
        EXPECT_EQ(c.rc, r.rc) << c.szName;
        EXPECT_EQ(c.iSite, r.iSite) << c.szName;
        EXPECT_EQ(c.sMsg, r.sMsg) << c.szName;
    }
}

// Every allocation of the formatter is failed in turn, once and for good: each run fails
// with code 5 and one memory message, and nothing leaks, until a run meets no failure.
TEST(NormFailures, EveryAllocation) {
    const char szStmt[] = "x PROCEDURE /* h */ p IS a AND /* c */ b,c";
    const int arSites[] = {465, 539, 559, 739, 748, 873, 899};  // the first failures, in order
    const std::string sNoMem = "Error - メモリの取得に失敗しました。\n";
    for (bool bPersist : {false, true}) {
        int iRun = 1;
        for (;; ++iRun) {
            StmtStyle r = rStyle();
            char *szFmt = nullptr;
            ConsoleCapture cap;
            vFailAllocAt(iRun, bPersist);
            int rc = rcFmtStmt(szStmt, &szFmt, &r);
            vFailAllocAt(0, false);
            vFree(szFmt);
            if (rc == RC_OK) break;
            std::string sMsg = cap.sLines();
            ASSERT_EQ(RC_NOMEM, rc) << iRun;
            EXPECT_EQ(0u, sMsg.find(sNoMem)) << iRun;
            EXPECT_EQ(std::string::npos, sMsg.find(sNoMem, 1)) << iRun;
            if (iRun <= 7) {
                std::string sTrail = "関数 rcFmtStmt() が異常終了しました。(.\\rcFmtStmt-" +
                                     std::to_string(arSites[iRun - 1]) + ")\n";
                EXPECT_NE(std::string::npos, sMsg.find(sTrail)) << iRun << sMsg;
            }
            ASSERT_LT(iRun, 100);
        }
        EXPECT_GT(iRun, 7);
    }
}

std::string sDump(int b, int a, const std::string &sBefore, const std::string &sAfter) {
    return "ssSrc の前方 " + std::to_string(b) + " バイトから後方 " + std::to_string(a) +
           " バイトまでをダンプします。\n前方 " + std::to_string(b) + " バイト：\n" + sBefore + "\n後方 " +
           std::to_string(a) + " バイト：\n" + sAfter + "\n";
}

struct rFmtRun {
    int rc;
    std::string sOut, sMsg;
    int32_t iFmtLen;
};

rFmtRun rFmt(const std::string &sIn) {
    StmtStyle r = rStyle();
    r.iFmtLen = -1;
    char *szFmt = nullptr;
    ConsoleCapture cap;
    rFmtRun res;
    res.rc = rcFmtStmt(sIn.c_str(), &szFmt, &r);
    res.sOut = szFmt != nullptr ? szFmt : "";
    res.sMsg = cap.sLines();
    res.iFmtLen = r.iFmtLen;
    vFree(szFmt);
    return res;
}

TEST(FmtExit, TrailAndDump) {
    std::string sLongBefore(200, 'a');
    std::string sLongAfter = "-- " + std::string(150, 'b') + ";";
    const struct { std::string sName, sIn; int rc; std::string sMsg; } arCases[] = {
        {"empty statement", "  \n ", RC_OVERRUN,
         std::string(szOverrun) + "関数 rcFmtStmt() が異常終了しました。(.\\rcFmtStmt-526)\n" +
             sDump(0, 0, "", "")},
        {"unterminated line comment", "x -- c;", RC_OVERRUN,
         std::string(szOverrun) + szSkipCmt125 + "関数 rcFmtStmt() が異常終了しました。(.\\rcFmtStmt-892)\n" +
             sDump(2, 5, "x ", "-- c;")},
        {"128 bytes each side", sLongBefore + " " + sLongAfter, RC_OVERRUN,
         std::string(szOverrun) + szSkipCmt125 + "関数 rcFmtStmt() が異常終了しました。(.\\rcFmtStmt-892)\n" +
             sDump(128, 128, std::string(127, 'a') + " ", sLongAfter.substr(0, 128))},
    };
    for (const auto &c : arCases) {
        rFmtRun r = rFmt(c.sIn);
        EXPECT_EQ(c.rc, r.rc) << c.sName;
        EXPECT_EQ(c.sMsg, r.sMsg) << c.sName;
        EXPECT_EQ(-1, r.iFmtLen) << c.sName;
    }
}

TEST(FmtExit, SuccessSetsLength) {
    rFmtRun r = rFmt("select 1 from dual");
    EXPECT_EQ(RC_OK, r.rc);
    EXPECT_EQ(static_cast<int32_t>(r.sOut.size()), r.iFmtLen);
    EXPECT_EQ("", r.sMsg);
}

// The dump file of the unformatted statement.
class FmtDumpFile : public ::testing::Test {
  protected:
    void TearDown() override { vSetEnv(""); }
    static void vSetEnv(const std::string &sValue) {
#ifdef _WIN32
        _putenv_s("STMTORGFNM", sValue.c_str());  // an empty value removes it
#else
        if (sValue.empty())
            unsetenv("STMTORGFNM");
        else
            setenv("STMTORGFNM", sValue.c_str(), 1);
#endif
    }
    static bool bExists(const char *szName) {
        FILE *fp = std::fopen(szName, "rb");
        if (fp != nullptr) std::fclose(fp);
        return fp != nullptr;
    }
};

TEST_F(FmtDumpFile, RemovedAfterSuccess) {
    std::remove("fmtDumpOk.sql");
    vSetEnv("fmtDumpOk.sql");
    rFmtRun r = rFmt("select 1\r\nfrom dual");
    EXPECT_EQ(RC_OK, r.rc);
    EXPECT_FALSE(bExists("fmtDumpOk.sql"));
}

TEST_F(FmtDumpFile, KeptAfterFailure) {
    const std::string sStmt = " \r\n\t\x82\x9F x -- c;";  // fails at the unterminated comment
    vSetEnv("fmtDumpFail.sql");
    rFmtRun r = rFmt(sStmt);
    EXPECT_EQ(RC_OVERRUN, r.rc);
    EXPECT_EQ(sStmt, sReadBytes("fmtDumpFail.sql"));
    std::remove("fmtDumpFail.sql");

    vSetEnv("fmtDumpEmpty.sql");
    r = rFmt("  ");
    EXPECT_EQ(RC_OVERRUN, r.rc);
    EXPECT_EQ("  ", sReadBytes("fmtDumpEmpty.sql"));
    std::remove("fmtDumpEmpty.sql");
}

TEST_F(FmtDumpFile, TooLongValueRefused) {
    std::string sName(300, 'n');
    vSetEnv(sName);
    rFmtRun r = rFmt("select 1");
    EXPECT_EQ(RC_NAMELEN, r.rc);
    EXPECT_EQ("Error - ファイル名が長すぎます。現在の長さは 302 です。半角文字 260 字以内で指定して下さい。" + sName +
                  "\n関数 rcFmtStmt() が異常終了しました。(.\\rcFmtStmt-456)\n",
              r.sMsg);
    EXPECT_EQ("", r.sOut);
}

TEST_F(FmtDumpFile, UnwritablePath) {
    vSetEnv("noSuchDirForDump/x.sql");
    rFmtRun r = rFmt("select 1");
    EXPECT_EQ(RC_OPEN, r.rc);
    const std::string sTrail = "関数 rcFmtStmt() が異常終了しました。(.\\rcFmtStmt-456)\n";
    ASSERT_GE(r.sMsg.size(), sTrail.size());
    EXPECT_EQ(sTrail, r.sMsg.substr(r.sMsg.size() - sTrail.size()));
    EXPECT_EQ(std::string::npos, r.sMsg.find("ssSrc"));
}

}  // namespace
