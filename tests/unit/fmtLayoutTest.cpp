// The layout engine through rcFmtStmt: golden layouts under the TAB unit and four blanks, the
// options, the failures with their messages and dumps, and a run over the real corpus.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "consoleCapture.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtStmt.h"

namespace {

struct rFmtCase {
    const char *szName, *szIn, *szWant;  // szWant written with the TAB unit
};

struct FmtResult {
    int rc;
    std::string sOut;  // the formatted text, or what the failed call left in *szStmtFmt
    bool bOut;         // an output buffer was handed over
    int32_t iFmtLen;
    std::string sMsg;  // what was written to console, CR LF read as LF
};

FmtResult rFormat(const std::string &sIn, const char *szIndent = "\t", int32_t iNumComma = 14, int32_t iPartSize = 50) {
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    std::strcpy(rStyle.szIndent, szIndent);
    rStyle.iNumComma = iNumComma;
    rStyle.iPartSize = iPartSize;
    rStyle.iFmtLen = -1;
    ConsoleCapture cap;
    char *szOut = nullptr;
    FmtResult r;
    r.rc = rcFmtStmt(sIn.c_str(), &szOut, &rStyle);
    r.bOut = szOut != nullptr;
    r.sOut = szOut != nullptr ? szOut : "";
    r.iFmtLen = rStyle.iFmtLen;
    r.sMsg = cap.sLines();
    vFree(szOut);
    return r;
}

// The expected text with every TAB written as four blanks.
std::string sFourBlanks(const std::string &s) {
    std::string r;
    for (char c : s) r += c == '\t' ? std::string("    ") : std::string(1, c);
    return r;
}

// Offset and neighbourhood of the first difference, for a readable failure.
std::string sFirstDiff(const std::string &sWant, const std::string &sGot) {
    size_t i = 0;
    while (i < sWant.size() && i < sGot.size() && sWant[i] == sGot[i]) ++i;
    return "first difference at byte " + std::to_string(i) + ": got \"" + sGot.substr(i, 20) + "\"";
}

// Each case under the TAB unit and under four blanks (-i4).
void vCheckCases(const rFmtCase *arCases, size_t nCases) {
    for (size_t i = 0; i < nCases; ++i) {
        const rFmtCase &c = arCases[i];
        for (int iUnit = 0; iUnit < 2; ++iUnit) {
            std::string sWant = iUnit == 0 ? c.szWant : sFourBlanks(c.szWant);
            FmtResult r = rFormat(c.szIn, iUnit == 0 ? "\t" : "    ");
            const char *szUnit = iUnit == 0 ? " (TAB)" : " (-i4)";
            ASSERT_EQ(RC_OK, r.rc) << c.szName << szUnit << "\n" << r.sMsg;
            EXPECT_EQ(sWant, r.sOut) << c.szName << szUnit << ": " << sFirstDiff(sWant, r.sOut);
            EXPECT_EQ(static_cast<int32_t>(r.sOut.size()), r.iFmtLen) << c.szName << szUnit;
        }
    }
}

const rFmtCase arWorkedCases[] = {
    {"query with join, IN list and subquery",
     "SELECT a.id, b.name FROM tab_a a INNER JOIN tab_b b ON a.id = b.id WHERE a.x IN (1, 2, 3) AND a.y = "
     "(SELECT MAX(y) FROM tab_c);",
     "SELECT a.id\n, b.name\nFROM tab_a a\nINNER JOIN tab_b b\nON a.id = b.id\nWHERE a.x IN (1, 2, 3)\n"
     "AND a.y = (\n\tSELECT MAX(y)\n\tFROM tab_c\n);\n"},
    {"block with IF, LOOP and a handler",
     "DECLARE v NUMBER; BEGIN IF v > 0 THEN v := 1; ELSIF v < 0 THEN v := -1; ELSE v := 0; END IF; "
     "FOR i IN 1..10 LOOP NULL; END LOOP; EXCEPTION WHEN OTHERS THEN NULL; END;",
     "DECLARE\n\tv NUMBER;\nBEGIN\n\tIF v > 0 THEN\n\t\tv := 1;\n\tELSIF v < 0 THEN\n\t\tv := - 1;\n\tELSE\n"
     "\t\tv := 0;\n\tEND IF;\n\tFOR i IN 1..10 LOOP\n\t\tNULL;\n\tEND LOOP;\nEXCEPTION\n\tWHEN OTHERS THEN\n"
     "\t\tNULL;\nEND;\n"},
    {"procedure with a parameter list",
     "CREATE OR REPLACE PROCEDURE p(a IN NUMBER, b OUT NUMBER) IS x NUMBER; BEGIN NULL; END p;",
     "CREATE OR REPLACE PROCEDURE p(\n\ta IN NUMBER\n\t, b OUT NUMBER\n) IS\n\tx NUMBER;\nBEGIN\n\tNULL;\nEND p;\n"},
};

TEST(FmtLayout, WorkedExamples) { vCheckCases(arWorkedCases, std::size(arWorkedCases)); }

const rFmtCase arEdgeCases[] = {
    {"operators get blanks, two-byte ones stay whole",
     "BEGIN x:=a||b**c-d; y:=(a)-1; p(a=>1, b>=c); END;",
     "BEGIN\n\tx := a || b ** c - d;\n\ty := (a) - 1;\n\tp(a => 1, b >= c);\nEND;\n"},
    {"star after a qualifier is an operator, (*) and (+) are not",
     "SELECT t.*, count(*) FROM t WHERE a.x = b.x(+)",
     "SELECT t. * \n, count(*)\nFROM t\nWHERE a.x = b.x(+)\n"},
    {"null tests", "SELECT a FROM t WHERE b IS NULL AND c IS NOT NULL",
     "SELECT a\nFROM t\nWHERE b IS NULL\nAND c IS NOT NULL\n"},
    {"BETWEEN keeps its AND", "SELECT a FROM t WHERE b BETWEEN 1 AND 2 AND c = 3",
     "SELECT a\nFROM t\nWHERE b BETWEEN 1 AND 2\nAND c = 3\n"},
    {"REF CURSOR declares no cursor",
     "DECLARE TYPE rc IS REF CURSOR RETURN emp%ROWTYPE; c rc; BEGIN NULL; END;",
     "DECLARE\n\tTYPE rc IS\n\tREF CURSOR RETURN emp%ROWTYPE;\n\tc rc;\nBEGIN\n\tNULL;\nEND;\n"},
    {"cursor declaration", "DECLARE CURSOR c IS SELECT a FROM t; BEGIN NULL; END;",
     "DECLARE\n\tCURSOR c IS\n\t\tSELECT a\n\t\tFROM t\n\t;\nBEGIN\n\tNULL;\nEND;\n"},
    {"EXIT WHEN stays on its line", "BEGIN LOOP EXIT WHEN x > 0; END LOOP; END;",
     "BEGIN\n\tLOOP\n\t\tEXIT WHEN x > 0;\n\tEND LOOP;\nEND;\n"},
    {"MERGE branches",
     "MERGE INTO t USING s ON (t.id = s.id) WHEN MATCHED THEN UPDATE SET t.a = s.a WHEN NOT MATCHED THEN "
     "INSERT (id) VALUES (s.id)",
     "MERGE\nINTO t\nUSING s\nON (t.id = s.id) \nWHEN MATCHED THEN UPDATE\nSET t.a = s.a \n"
     "WHEN NOT MATCHED THEN INSERT (id) VALUES (s.id)\n"},
    {"SQL*Plus terminator", "SELECT 1 FROM dual;\n/\n", "SELECT 1\nFROM dual;\n/\n"},
    {"CASE in a select list", "SELECT a, CASE WHEN b = 1 THEN 'x' ELSE 'y' END c FROM t",
     "SELECT a\n, CASE \nWHEN b = 1 THEN 'x' \nELSE 'y' \nEND c\nFROM t\n"},
    {"package spec with its named END",
     "CREATE OR REPLACE PACKAGE pkg IS PROCEDURE a; FUNCTION b RETURN NUMBER; END pkg;",
     "CREATE OR REPLACE PACKAGE pkg IS\n\tPROCEDURE a;\n\tFUNCTION b RETURN NUMBER;\nEND pkg;\n"},
    {"package body with named ENDs",
     "CREATE OR REPLACE PACKAGE BODY pkg IS PROCEDURE a IS BEGIN NULL; END a; "
     "FUNCTION b RETURN NUMBER IS BEGIN RETURN 1; END b; END pkg;",
     "CREATE OR REPLACE PACKAGE BODY pkg IS\n\tPROCEDURE a IS\n\tBEGIN\n\t\tNULL;\n\tEND a;\n"
     "\tFUNCTION b RETURN NUMBER IS\n\tBEGIN\n\t\tRETURN 1;\n\tEND b;\nEND pkg;\n"},
    {"nested parenthesis breaks its part", "SELECT NVL(x, TO_CHAR(y)) FROM t",
     "SELECT NVL(\n\tx\n\t, TO_CHAR(y)\n)\nFROM t\n"},
    {"every parenthesis of a header's list is broken",
     "CREATE PROCEDURE p(a NUMBER(10)) IS BEGIN NULL; END;",
     "CREATE PROCEDURE p(\n\ta NUMBER(\n\t\t10\n\t)\n) IS\nBEGIN\n\tNULL;\nEND;\n"},
    {"a ) after ; steps back", "SELECT * FROM (SELECT 1 FROM dual;)",
     "SELECT *\nFROM (\n\tSELECT 1\n\tFROM dual;\n)\n"},
    {"first line indented by two TABs", "\t\tSELECT a FROM t WHERE b = 1",
     "\t\tSELECT a\n\t\tFROM t\n\t\tWHERE b = 1\n"},
    {"comma after a line comment gets no second break", "SELECT a -- c\n, b FROM t",
     "SELECT a -- c\n, b\nFROM t\n"},
    {"block comment lines take the indentation", "BEGIN /* a\n b */ NULL; END;",
     "BEGIN\n\t/* a\n\tb */ NULL;\nEND;\n"},
    {"label copied whole", "BEGIN <<l1>> NULL; END;", "BEGIN\n\t<<l1>> NULL;\nEND;\n"},
    {"second byte | of a double-byte character is no operator", "SELECT a\x83\x7C\x7C" "b FROM t",
     "SELECT a\x83\x7C\x7C" "b\nFROM t\n"},
    {"literal with keywords and separators copied unchanged", "SELECT 'a, (b); FROM c' FROM t",
     "SELECT 'a, (b); FROM c'\nFROM t\n"},
    {"unclosed literal runs to the end", "SELECT 'abc FROM t", "SELECT 'abc FROM t\n"},
    {"output ending without indentation is not rotated", "\tSELECT 'abc", "SELECT 'abc\n"},
    {"AND after a line comment is not broken again", "SELECT a FROM t WHERE (b = 1 -- c\nAND c = 2)",
     "SELECT a\nFROM t\nWHERE (\n\tb = 1 -- c\n\tAND c = 2\n)\n"},
    {"CASE without END runs to the end", "SELECT CASE WHEN a THEN 1 FROM t",
     "SELECT CASE \nWHEN a THEN 1 FROM t\n"},
};

TEST(FmtLayout, EdgeBehaviour) { vCheckCases(arEdgeCases, std::size(arEdgeCases)); }

// Faults of the rules as first written, each mended; the TAB and four-blank layouts agree.
const rFmtCase arMendedCases[] = {
    // A step back never takes back text.
    {"END of a second block after one with an EXCEPTION section",
     "BEGIN NULL; EXCEPTION WHEN OTHERS THEN NULL; END; BEGIN x := 1; END;",
     "BEGIN\n\tNULL;\nEXCEPTION\n\tWHEN OTHERS THEN\n\t\tNULL;\nEND;\nBEGIN\n\tx := 1;\nEND;\n"},
    {"trigger WHEN clause after text, and without THEN",
     "CREATE OR REPLACE TRIGGER trg BEFORE INSERT ON t FOR EACH ROW WHEN (new.a > 0) BEGIN :new.b := 1; END;",
     "CREATE OR REPLACE TRIGGER trg BEFORE INSERT\nON t FOR EACH ROW\nWHEN (new.a > 0) BEGIN :new.b := 1;END;"},
    {"BEGIN after a declaration without its ;", "DECLARE x NUMBER := 1 BEGIN NULL; END;",
     "DECLARE\n\tx NUMBER := 1\nBEGIN\n\tNULL;\nEND;\n"},
    {"BEGIN after a declaration without its ;, indented", "\tDECLARE x NUMBER := 1 BEGIN NULL; END;",
     "\tDECLARE\n\t\tx NUMBER := 1\n\tBEGIN\n\t\tNULL;\n\tEND;\n"},
    {"ELSE after a statement without its ;", "BEGIN IF a THEN x := 1 ELSE y := 2; END IF; END;",
     "BEGIN\n\tIF a THEN\n\t\tx := 1\n\tELSE\n\t\ty := 2;\n\tEND IF;\nEND;\n"},
    {"EXCEPTION after a statement without its ;", "BEGIN NULL EXCEPTION WHEN OTHERS THEN NULL; END;",
     "BEGIN\n\tNULL\nEXCEPTION\n\tWHEN OTHERS THEN\n\t\tNULL;\nEND;\n"},
    {"more block ends than openings stay at the first line's level", "\tBEGIN NULL; END; END; x := 1;",
     "\tBEGIN\n\t\tNULL;\n\tEND;\n\tEND;\n\tx := 1;\n"},
    // The scans never cut into a literal, a comment or a word.
    {"WHEN inside a literal", "SELECT CASE WHEN s = 'SEND ' THEN 1 END FROM t",
     "SELECT CASE \nWHEN s = 'SEND ' THEN 1 \nEND\nFROM t\n"},
    {"WHEN inside a comment of a CASE", "SELECT CASE x -- see WHEN below\nWHEN 1 THEN 'a' END FROM t",
     "SELECT CASE x -- see WHEN below\nWHEN 1 THEN 'a' \nEND\nFROM t\n"},
    {"THEN inside a comment of a condition", "BEGIN IF a > 0 -- THEN what\nTHEN x := 1; END IF; END;",
     "BEGIN\n\tIF a > 0 -- THEN what\n\t\tTHEN\n\t\tx := 1;\n\tEND IF;\nEND;\n"},
    {"END inside a word", "SELECT CASE WHEN a THEN weekend END FROM t",
     "SELECT CASE \nWHEN a THEN weekend \nEND\nFROM t\n"},
    {"nested CASE", "SELECT CASE WHEN a THEN CASE WHEN b THEN 1 END ELSE 2 END FROM t",
     "SELECT CASE \nWHEN a THEN CASE \nWHEN b THEN 1 \nEND \nELSE 2 \nEND\nFROM t\n"},
    {"CASE closed by END;", "BEGIN x := CASE WHEN a THEN 1 ELSE 2 END; END;",
     "BEGIN\n\tx := CASE \n\tWHEN a THEN 1 \n\tELSE 2 \n\tEND;\nEND;\n"},
    {"END IF inside a CASE statement closes nothing",
     "BEGIN CASE WHEN a THEN IF b THEN NULL; END IF; END CASE; END;",
     "BEGIN\n\tCASE \n\tWHEN a THEN IF b THEN NULL;END IF;\n\tEND CASE;\nEND;\n"},
    // IS NULL only where IS begins a word.
    {"IS inside a word", "ALTER TABLE t MODIFY (thesis NOT NULL)", "ALTER TABLE t MODIFY (thesis NOT NULL)\n"},
    // A block name matches its END in any case.
    {"lower-case names", "CREATE PACKAGE body_x IS x NUMBER; END BODY_X;",
     "CREATE PACKAGE body_x IS\n\tx NUMBER;\nEND BODY_X;\n"},
};

TEST(FmtLayout, MendedFaults) { vCheckCases(arMendedCases, std::size(arMendedCases)); }

// A list of 14 elements (13 commas) whose part measures nSize bytes from "(" up to ")".
std::string sList(int nElems, size_t nSize) {
    std::string s = "(";
    for (int i = 1; i < nElems; ++i) s += std::string(1, static_cast<char>('a' + i)) + ", ";
    s += std::string(1, 'a');
    s.insert(1, std::string(nSize - s.size(), 'x'));
    return s + ")";
}

TEST(FmtLayout, CommaAndSizeThresholds) {
    const struct { const char *szName; int nElems; size_t nSize; bool bBroken; } arCases[] = {
        {"13 commas, 50 bytes", 14, 50, false},
        {"13 commas, 51 bytes", 14, 51, true},
        {"14 commas", 15, 44, true},
    };
    for (const auto &c : arCases) {
        std::string sPart = sList(c.nElems, c.nSize);
        std::string sWant = "SELECT a\nFROM t\nWHERE x IN " + sPart + "\n";
        if (c.bBroken) {
            std::string sBody = sPart.substr(1, sPart.size() - 2), sLines = "(\n\t";
            for (char ch : sBody) sLines += ch == ',' ? std::string("\n\t,") : std::string(1, ch);
            sWant = "SELECT a\nFROM t\nWHERE x IN " + sLines + "\n)\n";
        }
        FmtResult r = rFormat("SELECT a FROM t WHERE x IN " + sPart);
        EXPECT_EQ(RC_OK, r.rc) << c.szName;
        EXPECT_EQ(sWant, r.sOut) << c.szName;
    }
    // The options move the thresholds.
    EXPECT_EQ("SELECT f(a, b)\n", rFormat("SELECT f(a, b)", "\t", 2).sOut);
    EXPECT_EQ("SELECT f(\n\ta\n\t, b\n\t, c\n)\n", rFormat("SELECT f(a, b, c)", "\t", 2).sOut);
    EXPECT_EQ("SELECT f(abcd)\n", rFormat("SELECT f(abcd)", "\t", 14, 5).sOut);
    EXPECT_EQ("SELECT f(\n\tabcde\n)\n", rFormat("SELECT f(abcde)", "\t", 14, 5).sOut);
}

// ---------------------------------------------------------------------------------------------
// Failures: message, trail line, dump and code.

std::string sTrail(int iSite) {
    return "関数 rcFmtStmt() が異常終了しました。(.\\rcFmtStmt-" + std::to_string(iSite) + ")\n";
}
std::string sDump(const std::string &sBefore, const std::string &sAfter) {
    std::string b = std::to_string(sBefore.size()), a = std::to_string(sAfter.size());
    return "ssSrc の前方 " + b + " バイトから後方 " + a + " バイトまでをダンプします。\n前方 " + b + " バイト：\n" + sBefore +
           "\n後方 " + a + " バイト：\n" + sAfter + "\n";
}

TEST(FmtLayoutFailure, Reports) {
    const std::string s512(512, '(');
    const struct { const char *szName; std::string sIn; int rc; std::string sMsg; } arCases[] = {
        {"one ) too many", "SELECT a) FROM t", RC_PAREN,
         "Error - 対応する開き括弧がありません。iIdt = -1, iOrgIdt = 0\n" + sTrail(1058) +
             sDump("SELECT a", ") FROM t\n")},
        {"block left open", "BEGIN NULL; END", RC_PAREN,
         "Error - 対応する閉じ括弧がありません。iIdt = 1, iOrgIdt = 0\n" + sTrail(1466) +
             sDump("BEGIN NULL;END\n", "")},
        {"( never closed", "SELECT (a FROM t", RC_OVERRUN,
         "Error - バッファ領域のオーバー・ランが発生しました。\n関数に渡されたバッファ領域の先端部：\n(a FROM t\n\n"
         "関数 rcGetMetrix() が異常終了しました。(.\\rcFmtStmt-211)\n" +
             sTrail(1034) + sDump("SELECT ", "(a FROM t\n")},
        {"first line indented by 512 levels", std::string(512, '\t') + "x;", RC_MAXIDT,
         "Error - 字下げ量の最大値（= 512）を超えました。\n" + sTrail(1043) + sDump("", "x;")},
    };
    for (const auto &c : arCases) {
        FmtResult r = rFormat(c.sIn);
        EXPECT_EQ(c.rc, r.rc) << c.szName;
        EXPECT_EQ(c.sMsg, r.sMsg) << c.szName;
        EXPECT_FALSE(r.bOut) << c.szName;  // failures of the measuring pass hand over no buffer
        EXPECT_EQ(-1, r.iFmtLen) << c.szName;
    }
}

TEST(FmtLayoutFailure, MaximumIndentation) {
    // A broken "(" and a block word that would open level 512; 511 levels still work.
    const struct { const char *szName; std::string sIn; int rc; } arCases[] = {
        // the innermost part "(x)" stays on one line
        {"513 parentheses", "SELECT " + std::string(513, '(') + "x" + std::string(513, ')'), RC_MAXIDT},
        {"512 parentheses", "SELECT " + std::string(512, '(') + "x" + std::string(512, ')'), RC_OK},
        {"BEGIN at level 511", std::string(511, '\t') + "BEGIN NULL; END;", RC_MAXIDT},
        {"BEGIN at level 510", std::string(510, '\t') + "BEGIN NULL; END;", RC_OK},
    };
    for (const auto &c : arCases) {
        FmtResult r = rFormat(c.sIn);
        EXPECT_EQ(c.rc, r.rc) << c.szName;
        if (c.rc == RC_MAXIDT) {
            EXPECT_EQ(0u, r.sMsg.find("Error - 字下げ量の最大値（= 512）を超えました。\n" + sTrail(1043))) << c.szName;
        }
    }
}

// Allocation failures: the output buffer (1480) and the final rotation (2100). Every allocation
// of the call is failed in turn until the call succeeds.
TEST(FmtLayoutFailure, Allocations) {
    bool bSeenOut = false, bSeenRotate = false;
    for (long n = 1; n < 50; ++n) {
        vFailAllocAt(n, false);
        FmtResult r = rFormat("\tSELECT a FROM t");
        vFailAllocAt(0, false);
        if (r.rc == RC_OK) {
            EXPECT_EQ("\tSELECT a\n\tFROM t\n", r.sOut);
            break;
        }
        EXPECT_EQ(RC_NOMEM, r.rc);
        if (r.sMsg.find(sTrail(1480)) != std::string::npos) {
            bSeenOut = true;
            EXPECT_EQ("Error - メモリの取得に失敗しました。\n" + sTrail(1480) + sDump("SELECT a FROM t\n", ""), r.sMsg);
            EXPECT_FALSE(r.bOut);
        }
        if (r.sMsg.find(sTrail(2100)) != std::string::npos) {
            bSeenRotate = true;
            EXPECT_EQ("Error - メモリの取得に失敗しました。\n関数 rcStrSwap() が異常終了しました。(.\\psGlobals-1011)\n" +
                          sTrail(2100) + sDump("SELECT a FROM t\n", ""),
                      r.sMsg);
            EXPECT_TRUE(r.bOut);  // the output buffer is the caller's once handed over
        }
    }
    EXPECT_TRUE(bSeenOut);
    EXPECT_TRUE(bSeenRotate);
}

}  // namespace
