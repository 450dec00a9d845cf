// The letter case of keywords (--keyword-case) through rcFmtStmt: which words change, which keep
// their bytes (names, literals, quoted names, comments, command lines, units carried whole), in
// Shift_JIS and UTF-8 texts too; each output is a fixed point of its own option.
#include <cstring>

#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtStmt.h"
#include "unitHelpers.h"

namespace {
std::string sFormat(const std::string &sIn, int32_t eKeywordCase) {
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    rStyle.eKeywordCase = eKeywordCase;
    ConsoleCapture cap;
    char *szOut = nullptr;
    const int rc = rcFmtStmtLen(sIn.data(), sIn.size(), &szOut, &rStyle);
    std::string sOut = rc == RC_OK ? std::string(szOut, static_cast<size_t>(rStyle.iFmtLen)) : "rc=" + std::to_string(rc);
    vFree(szOut);
    return sOut;
}

struct CaseCase {
    const char *szName;
    std::string sIn, sUpper, sLower;
};

void vCheck(const CaseCase *arCases, size_t nCases) {
    for (size_t i = 0; i < nCases; ++i) {
        const CaseCase &c = arCases[i];
        const std::string sUpper = sFormat(c.sIn, KWCASE_UPPER), sLower = sFormat(c.sIn, KWCASE_LOWER);
        EXPECT_EQ(c.sUpper, sUpper) << c.szName << " (upper)";
        EXPECT_EQ(c.sLower, sLower) << c.szName << " (lower)";
        EXPECT_EQ(sUpper, sFormat(sUpper, KWCASE_UPPER)) << c.szName << ": a second run in capitals";
        EXPECT_EQ(sLower, sFormat(sLower, KWCASE_LOWER)) << c.szName << ": a second run in small letters";
        EXPECT_EQ(sUpper, sFormat(sLower, KWCASE_UPPER)) << c.szName << ": from small letters to capitals";
    }
}
}  // namespace

// The keywords of SQL change case; names (also those that hold a keyword, or that follow a "." or
// a "%" is no part of), functions and the words that often name a column keep theirs.
TEST(KeywordCase, WordsOfSqlAndPlsql) {
    const CaseCase arCases[] = {
        {"a query with a subquery",
         "Select Count(*) cnt, Deptno From Emp e Where Exists(Select 1 From Dept d Where d.deptno = e.deptno) And sal "
         "Between 1 And 2 Group By Deptno Having Count(*) > 1 Order By 2 Desc Nulls Last;",
         "SELECT Count(*) cnt\n, Deptno\nFROM Emp e\nWHERE EXISTS (\n\tSELECT 1\n\tFROM Dept d\n\tWHERE d.deptno = "
         "e.deptno\n)\nAND sal BETWEEN 1 AND 2\nGROUP BY Deptno\nHAVING Count(*) > 1\nORDER BY 2 DESC NULLS Last;\n",
         "select Count(*) cnt\n, Deptno\nfrom Emp e\nwhere exists (\n\tselect 1\n\tfrom Dept d\n\twhere d.deptno = "
         "e.deptno\n)\nand sal between 1 and 2\ngroup by Deptno\nhaving Count(*) > 1\norder by 2 desc nulls Last;\n"},
        {"joins, set operators and the words of phrases",
         "select a from t1 left outer join t2 on t1.id = t2.id cross join t3 union all select b from t4 minus select c "
         "from t5 for update of a nowait;",
         "SELECT a\nFROM t1\nLEFT OUTER JOIN t2\nON t1.id = t2.id\nCROSS JOIN t3\nUNION ALL SELECT b\nFROM t4\nMINUS "
         "SELECT c\nFROM t5\nFOR UPDATE OF a NOWAIT;\n",
         "select a\nfrom t1\nleft outer join t2\non t1.id = t2.id\ncross join t3\nunion all select b\nfrom t4\nminus "
         "select c\nfrom t5\nfor update of a nowait;\n"},
        {"a PL/SQL block, its cursor attributes and exceptions",
         "declare\n  v_end date := sysdate;\n  cursor c is select * from emp;\n  r c%rowtype;\nbegin\n  open c;\n  loop "
         "fetch c into r; exit when c%notfound; end loop;\n  close c;\n  if v_end is null then v_end := null; elsif true "
         "then raise no_data_found; end if;\nexception when others then rollback; raise;\nend;\n/\n",
         "DECLARE\n\tv_end DATE := SYSDATE;\n\tCURSOR c IS\n\t\tSELECT *\n\t\tFROM emp\n\t;\n\tr c%ROWTYPE;\nBEGIN\n\tOPEN "
         "c;\n\tLOOP\n\t\tFETCH c\n\t\tINTO r;\n\t\tEXIT WHEN c%NOTFOUND;\n\tEND LOOP;\n\tCLOSE c;\n\tIF v_end IS NULL "
         "THEN\n\t\tv_end := NULL;\n\tELSIF TRUE THEN\n\t\tRAISE no_data_found;\n\tEND IF;\nEXCEPTION\n\tWHEN OTHERS "
         "THEN\n\t\tROLLBACK;\n\t\tRAISE;\nEND;\n/\n",
         "declare\n\tv_end date := sysdate;\n\tcursor c is\n\t\tselect *\n\t\tfrom emp\n\t;\n\tr c%rowtype;\nbegin\n\topen "
         "c;\n\tloop\n\t\tfetch c\n\t\tinto r;\n\t\texit when c%notfound;\n\tend loop;\n\tclose c;\n\tif v_end is null "
         "then\n\t\tv_end := null;\n\telsif true then\n\t\traise no_data_found;\n\tend if;\nexception\n\twhen others "
         "then\n\t\trollback;\n\t\traise;\nend;\n/\n"},
        {"datatypes and constraints",
         "create table t (id number(10) primary key, name varchar2(30 byte) not null, d date default sysdate);",
         "CREATE TABLE t (\n\tid NUMBER(10) PRIMARY KEY\n\t, name VARCHAR2(30 BYTE) NOT NULL\n\t, d DATE DEFAULT "
         "SYSDATE\n);\n",
         "create table t (\n\tid number(10) primary key\n\t, name varchar2(30 byte) not null\n\t, d date default "
         "sysdate\n);\n"},
        {"names that hold a keyword or follow a point, a bind, a substitution or a link",
         "select v_end, end_date, order_id, t.end, t.type, p.open, :new.x, &table, x from emp@link where tab.exists(1) "
         "and sys.user is null;",
         "SELECT v_end\n, end_date\n, order_id\n, t.end\n, t.type\n, p.open\n, :new.x\n, &table\n, x\nFROM "
         "emp@link\nWHERE tab.exists(1)\nAND sys.user IS NULL;\n",
         "select v_end\n, end_date\n, order_id\n, t.end\n, t.type\n, p.open\n, :new.x\n, &table\n, x\nfrom "
         "emp@link\nwhere tab.exists(1)\nand sys.user is null;\n"},
    };
    vCheck(arCases, sizeof arCases / sizeof arCases[0]);
}

// What is data keeps every byte: literals, quoted names, comments, the tool's command lines,
// wrapped units and Java sources, and the byte order mark in front.
TEST(KeywordCase, DataKeepsItsBytes) {
    const CaseCase arCases[] = {
        {"literals, quoted names and comments",
         "select 'select from' as \"end\", q'[where and]' lit, n'or' -- order by x\nfrom t /* begin end */ where "
         "\"Order\" = 1;",
         "SELECT 'select from' AS \"end\"\n, q'[where and]' lit\n, n'or' -- order by x\nFROM t /* begin end */\nWHERE "
         "\"Order\" = 1;\n",
         "select 'select from' as \"end\"\n, q'[where and]' lit\n, n'or' -- order by x\nfrom t /* begin end */\nwhere "
         "\"Order\" = 1;\n"},
        {"a quoting right after a number's point",
         "select 1.q'[a'select]' from dual;",
         "SELECT 1.q'[a'select]'\nFROM dual;\n",
         "select 1.q'[a'select]'\nfrom dual;\n"},
        {"command lines",
         "prompt select * from dual where 1 = 1\nset serveroutput on\nselect 1 from dual;\nexec "
         "dbms_output.put_line('x')\n",
         "prompt select * from dual where 1 = 1\nset serveroutput on\nSELECT 1\nFROM dual;\nexec "
         "dbms_output.put_line('x')\n",
         "prompt select * from dual where 1 = 1\nset serveroutput on\nselect 1\nfrom dual;\nexec "
         "dbms_output.put_line('x')\n"},
        {"a wrapped unit, its header line included",
         "create or replace procedure p wrapped\na000000\nselect from where\n/\nselect 1 from dual;\n",
         "create or replace procedure p wrapped\na000000\nselect from where\n/\nSELECT 1\nFROM dual;\n",
         "create or replace procedure p wrapped\na000000\nselect from where\n/\nselect 1\nfrom dual;\n"},
        {"a Java source",
         "create or replace and compile java source named \"Hello\" as public class Hello { public static String "
         "select() { return \"end\"; } }\n/\n",
         "create or replace and compile java source named \"Hello\" as public class Hello { public static String "
         "select() { return \"end\"; } }\n/\n",
         "create or replace and compile java source named \"Hello\" as public class Hello { public static String "
         "select() { return \"end\"; } }\n/\n"},
        {"a byte order mark", "\xEF\xBB\xBFselect 1 from dual;", "\xEF\xBB\xBFSELECT 1\nFROM dual;\n",
         "\xEF\xBB\xBFselect 1\nfrom dual;\n"},
    };
    vCheck(arCases, sizeof arCases / sizeof arCases[0]);
}

// A character of several bytes is never cut and never changes, and a word glued to one is a
// name's part: in Shift_JIS the second byte of ア is "A" and that of ナ "i" (アnd, ナn).
TEST(KeywordCase, MultibyteTextAroundKeywords) {
    const CaseCase arCases[] = {
        {"Shift_JIS",
         sSjis("select 表.end, 表end, アnd, ナn, 名前 from 表 where 名前 = 'テスト' and x is null; -- 終わり end\n"),
         sSjis("SELECT 表.end\n, 表end\n, アnd\n, ナn\n, 名前\nFROM 表\nWHERE 名前 = 'テスト'\nAND x IS NULL;\n-- 終わり end\n"),
         sSjis("select 表.end\n, 表end\n, アnd\n, ナn\n, 名前\nfrom 表\nwhere 名前 = 'テスト'\nand x is null;\n-- 終わり end\n")},
        {"UTF-8", "select café_end, é.end, éend, 'é and' from t where naïve = 'x' or y is null;",
         "SELECT café_end\n, é.end\n, éend\n, 'é and'\nFROM t\nWHERE naïve = 'x' OR y IS NULL;\n",
         "select café_end\n, é.end\n, éend\n, 'é and'\nfrom t\nwhere naïve = 'x' or y is null;\n"},
    };
    vCheck(arCases, sizeof arCases / sizeof arCases[0]);
}

// keep, and the defaults, change no letter.
TEST(KeywordCase, KeepChangesNoLetter) {
    const std::string sIn = "Select a FROM t where x Is Null;", sWant = "Select a\nFROM t\nwhere x Is Null;\n";
    EXPECT_EQ(sWant, sFormat(sIn, KWCASE_KEEP));
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    ConsoleCapture cap;
    char *szOut = nullptr;
    ASSERT_EQ(RC_OK, rcFmtStmt(sIn.c_str(), &szOut, &rStyle));
    EXPECT_EQ(sWant, szOut);
    vFree(szOut);
}

// The token reader hands the pass its tokens a batch at a time: a keyword at the end of a batch
// still waits for the token after it, which may glue it to a name, wherever the batch ends.
TEST(KeywordCase, AKeywordAtTheEndOfABatchWaitsForTheNextToken) {
    std::string sIn = "select x", sWant = "SELECT x";
    // Five repetitions hold 45 tokens, an odd number: over the text the keywords meet every place
    // of a batch whose size is a power of two.
    for (int i = 0; i < 1500; ++i) {
        const std::string sShift(static_cast<size_t>(i % 5), '+');  // moves the words along the batches
        sIn += ", 1" + sShift + " date, date.x";
        std::string sPlus;
        for (int k = 0; k < i % 5; ++k) sPlus += " +";
        sWant += "\n, 1" + sPlus + " DATE\n, date.x";
    }
    EXPECT_EQ(sWant + "\n", sFormat(sIn, KWCASE_UPPER));
}
