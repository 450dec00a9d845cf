// The statement formatter through rcFmtStmt: layouts grouped by behaviour, each under the TAB
// unit and under four blanks (-i4); the options; failure reports compared whole; the file that
// STMTORGFNM names.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "formatter/rcFmtStmt.h"
#include "unitHelpers.h"

namespace {
struct rFmtCase {
    const char *szName, *szIn, *szWant;  // szWant written with the TAB unit
};

struct FmtResult {
    int rc;
    std::string sOut;  // the formatted text, or what the failed call left in *szStmtFmt
    bool bOut;         // an output buffer was handed over
    int32_t iFmtLen;
    std::string sMsg;  // console, CR LF read as LF
};

FmtResult rFormat(const std::string &sIn, const char *szIndent = "\t", int32_t iNumComma = 14,
                  int32_t iPartSize = 50, int32_t iJoinAt = 0) {
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    std::strcpy(rStyle.szIndent, szIndent);
    rStyle.iNumComma = iNumComma;
    rStyle.iPartSize = iPartSize;
    rStyle.iJoinAt = iJoinAt;
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

// Where two texts part, for a readable failure.
std::string sFirstDiff(const std::string &sWant, const std::string &sGot) {
    size_t i = 0;
    while (i < sWant.size() && i < sGot.size() && sWant[i] == sGot[i]) ++i;
    return "first difference at byte " + std::to_string(i) + ": got \"" + sGot.substr(i, 20) + "\"";
}

// Each case under the TAB unit and, unless the texts hold a TAB of their own, under -i4; a
// second run of the output changes nothing.
void vCheck(const rFmtCase *arCases, size_t nCases, bool bBlankUnit = true, int32_t iJoinAt = 0) {
    for (size_t i = 0; i < nCases; ++i) {
        const rFmtCase &c = arCases[i];
        for (const char *szUnit : {"\t", "    "}) {
            if (szUnit[0] == ' ' && !bBlankUnit) break;
            std::string sWant;
            for (const char *p = c.szWant; *p != '\0'; ++p)
                sWant += *p == '\t' ? std::string(szUnit) : std::string(1, *p);
            FmtResult r = rFormat(c.szIn, szUnit, 14, 50, iJoinAt);
            const char *szWhich = szUnit[0] == '\t' ? " (TAB)" : " (-i4)";
            ASSERT_EQ(RC_OK, r.rc) << c.szName << szWhich << "\n" << r.sMsg;
            EXPECT_EQ(sWant, r.sOut) << c.szName << szWhich << ": " << sFirstDiff(sWant, r.sOut);
            EXPECT_EQ(static_cast<int32_t>(r.sOut.size()), r.iFmtLen) << c.szName << szWhich;
            EXPECT_EQ("", r.sMsg) << c.szName << szWhich;
            if (iJoinAt == 0) {
                EXPECT_EQ(r.sOut, rFormat(r.sOut, szUnit).sOut) << c.szName << szWhich << ": second run";
            }
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
    {"the THEN of a CASE in a condition is the CASE's",
     "BEGIN IF EXISTS (SELECT CASE WHEN a = 1 THEN 1 END FROM t) THEN NULL; "
     "ELSIF CASE x WHEN 1 THEN 2 ELSE 3 END = 2 THEN y := 1; END IF; END;",
     "BEGIN\n\tIF EXISTS (SELECT CASE WHEN a = 1 THEN 1 END FROM t) THEN\n\t\tNULL;\n"
     "\tELSIF CASE x WHEN 1 THEN 2 ELSE 3 END = 2 THEN\n\t\ty := 1;\n\tEND IF;\nEND;\n"},
    {"an EXIT with a label and a CASE in its WHEN opens no branch",
     "BEGIN LOOP EXIT outer WHEN CASE WHEN a = 1 THEN 1 END = 1; x := 1; END LOOP; END;",
     "BEGIN\n\tLOOP\n\t\tEXIT outer WHEN CASE\n\t\tWHEN a = 1 THEN 1\n\t\tEND = 1;\n\t\tx := 1;\n\tEND LOOP;\nEND;\n"},
    {"procedure with a parameter list",
     "CREATE OR REPLACE PROCEDURE p(a IN NUMBER, b OUT NUMBER) IS x NUMBER; BEGIN NULL; END p;",
     "CREATE OR REPLACE PROCEDURE p(\n\ta IN NUMBER\n\t, b OUT NUMBER\n) IS\n\tx NUMBER;\nBEGIN\n\tNULL;\nEND p;\n"},
};

const rFmtCase arClauseCases[] = {
    {"a statement keyword starts a line", "GRANT x; DROP TABLE t", "GRANT x;\nDROP TABLE t\n"},
    {"all five statement keywords, in any case", "a show b execute c create d alter e drop f",
     "a\nshow b\nexecute c\ncreate d\nalter e\ndrop f\n"},
    {"after GRANT, REVOKE, AUDIT and NOAUDIT a statement keyword names a privilege: no line of its own",
     "GRANT EXECUTE ON p TO u; REVOKE CREATE SESSION FROM u; AUDIT DROP ANY TABLE; NOAUDIT ALTER SYSTEM;",
     "GRANT EXECUTE\nON p TO u;\nREVOKE CREATE SESSION\nFROM u;\nAUDIT DROP ANY TABLE;\nNOAUDIT ALTER SYSTEM;\n"},
    {"nor after a comma, also where a comment moved in front of it",
     "GRANT SELECT, EXECUTE ON p TO u; CREATE TABLE t (show NUMBER, execute CHAR(1)); GRANT SELECT, /* c */ CREATE TABLE TO u;",
     "GRANT SELECT\n, EXECUTE\nON p TO u;\nCREATE TABLE t (\n\tshow NUMBER\n\t, execute CHAR(1)\n);\nGRANT SELECT /* c */\n, CREATE TABLE TO u;\n"},
    {"no statement keyword inside a word, a longer word or a literal", "foo_drop x; x DROPS t 'a DROP b'",
     "foo_drop x;\nx DROPS t 'a DROP b'\n"},
    // Outside a statement a statement word that ends a word opens the statement's state: SET is
    // a clause from there on.
    {"a statement word ending a word opens the statement", "x_update t set a = 1", "x_update t\nset a = 1\n"},
    {"no statement opens inside a word, nor at the start of a longer one", "xupdatex t set a = 1 update_x u set b = 2",
     "xupdatex t set a = 1 update_x u set b = 2\n"},
    {"a statement word ending a word inside a block", "BEGIN n := 1 set b; v_select := 1 set b; END;",
     "BEGIN\n\tn := 1 set b;\n\tv_select := 1\n\tset b;\nEND;\n"},
    {"white space ends the text and nothing more", "x  \t\r\n \n", "x\n"},
    {"line ends inside the statement become one blank", "x\r\n\n  y", "x y\n"},
    {"blank before a semicolon goes", "SELECT 1 FROM dual ;  ", "SELECT 1\nFROM dual;\n"},
    {"literals and quoted names untouched", "x \"a'b\"  'c\"d  \n ''e'  y", "x \"a'b\" 'c\"d  \n ''e' y\n"},
    {"operators get blanks, two-byte ones stay whole", "BEGIN x:=a||b**c-d; y:=(a)-1; p(a=>1, b>=c); END;",
     "BEGIN\n\tx := a || b ** c - d;\n\ty := (a) - 1;\n\tp(a => 1, b >= c);\nEND;\n"},
    {"no star of t.* or count(*) and no (+) is an operator", "SELECT t.*, count(*) FROM t WHERE a.x = b.x(+)",
     "SELECT t.*\n, count(*)\nFROM t\nWHERE a.x = b.x(+)\n"},
    {"a field of what a parenthesis closes keeps its point there", "BEGIN x := l_tab(i).sal + f(a).b.c; y := (r).v; END;",
     "BEGIN\n\tx := l_tab(i).sal + f(a).b.c;\n\ty := (r).v;\nEND;\n"},
    {"null tests", "SELECT a FROM t WHERE b IS NULL AND c IS NOT NULL",
     "SELECT a\nFROM t\nWHERE b IS NULL\nAND c IS NOT NULL\n"},
    {"IS only where it begins a word", "ALTER TABLE t MODIFY (thesis NOT NULL)",
     "ALTER TABLE t MODIFY (thesis NOT NULL)\n"},
    {"BETWEEN keeps its AND", "SELECT a FROM t WHERE b BETWEEN 1 AND 2 AND c = 3",
     "SELECT a\nFROM t\nWHERE b BETWEEN 1 AND 2\nAND c = 3\n"},
    {"MERGE branches",
     "MERGE INTO t USING s ON (t.id = s.id) WHEN MATCHED THEN UPDATE SET t.a = s.a WHEN NOT MATCHED THEN "
     "INSERT (id) VALUES (s.id)",
     "MERGE\nINTO t\nUSING s\nON (t.id = s.id)\nWHEN MATCHED THEN UPDATE\nSET t.a = s.a\nWHEN NOT MATCHED THEN INSERT (id) VALUES (s.id)\n"},
    {"MERGE branches in a block stay at the statement's level after a line comment",
     "BEGIN\nMERGE INTO t USING s ON (t.id = s.id) -- c\nWHEN MATCHED THEN UPDATE SET t.a = 1;\nEND;",
     "BEGIN\n\tMERGE\n\tINTO t\n\tUSING s\n\tON (t.id = s.id) -- c\n\tWHEN MATCHED THEN UPDATE\n\tSET t.a = 1;\nEND;\n"},
    {"... and after a comment on the line before them",
     "BEGIN\nMERGE INTO t USING s ON (t.id = s.id) /* c */ WHEN MATCHED THEN UPDATE SET t.a = 1;\nEND;",
     "BEGIN\n\tMERGE\n\tINTO t\n\tUSING s\n\tON (t.id = s.id) /* c */\n\tWHEN MATCHED THEN UPDATE\n\tSET t.a = 1;\nEND;\n"},
    {"SQL*Plus terminator", "SELECT 1 FROM dual;\n/\n", "SELECT 1\nFROM dual;\n/\n"},
    {"CASE in a select list", "SELECT a, CASE WHEN b = 1 THEN 'x' ELSE 'y' END c FROM t",
     "SELECT a\n, CASE\nWHEN b = 1 THEN 'x'\nELSE 'y'\nEND c\nFROM t\n"},
    {"nested CASE", "SELECT CASE WHEN a THEN CASE WHEN b THEN 1 END ELSE 2 END FROM t",
     "SELECT CASE\nWHEN a THEN CASE\nWHEN b THEN 1\nEND\nELSE 2\nEND\nFROM t\n"},
    {"WHEN and END inside a literal or a word", "SELECT CASE WHEN s = 'SEND ' THEN weekend END FROM t",
     "SELECT CASE\nWHEN s = 'SEND ' THEN weekend\nEND\nFROM t\n"},
    {"CASE without END runs to the end", "SELECT CASE WHEN a THEN 1 FROM t", "SELECT CASE\nWHEN a THEN 1 FROM t\n"},
    {"in a PL/SQL unit it stops at the \";\" a \"/\" line follows, as where the \"/\" goes on with text",
     "CASE. CURSOR CASE r;\n/\nE", "CASE. CURSOR CASE r\n;\n/\nE\n"},
    {"a WHEN glued to a comment that moved in front of the comma after it begins its line too, as after a "
     "second run's blank",
     "CASE\nWHEN,/**/,", "CASE\nWHEN /**/, ,\n"},
    {"first line's indentation kept, in units", "        SELECT a FROM t", "\t\tSELECT a\n\t\tFROM t\n"},
    {"the blanks of empty lines before the first line indent nothing", "\n    \n\t\n  SELECT a FROM t", "SELECT a\nFROM t\n"},
    {"a part unit of indentation is dropped", "\t   SELECT a FROM t", "\tSELECT a\n\tFROM t\n"},
    {"the row limit of a query begins its line", "SELECT a FROM t ORDER BY a FETCH FIRST 5 ROWS ONLY",
     "SELECT a\nFROM t\nORDER BY a\nFETCH FIRST 5 ROWS ONLY\n"},
    {"so does the order of a hierarchy's siblings", "SELECT a FROM t CONNECT BY PRIOR id = mgr ORDER SIBLINGS BY a",
     "SELECT a\nFROM t\nCONNECT BY PRIOR id = mgr\nORDER SIBLINGS BY a\n"},
    {"so does each dimension of a model", "SELECT s FROM t MODEL PARTITION BY (c) DIMENSION BY (y) MEASURES (s)",
     "SELECT s\nFROM t MODEL\nPARTITION BY (c)\nDIMENSION BY (y) MEASURES (s)\n"},
};

const rFmtCase arParenCases[] = {
    {"blanks inside parentheses go", "( a )", "(a)\n"},
    {"a short list stays on its line", "SELECT x FROM t WHERE (a, b) IN (1, 2)",
     "SELECT x\nFROM t\nWHERE (a, b) IN (1, 2)\n"},
    {"blank before ( after IN and AND, not after a longer word", "WHERE x IN(1,2) and(y) OR MYIF(z)",
     "WHERE x IN (1, 2)\nand (y) OR MYIF(z)\n"},
    {"no blank before ( at the start", "IN(1)", "IN(1)\n"},
    {"a comma before the \")\" of a short list keeps a blank after it", "SELECT f(a,) FROM t WHERE b IN (1 ,)",
     "SELECT f(a, )\nFROM t\nWHERE b IN (1, )\n"},
    {"... after an operator too, not after a name's point or inside a word", "x:=not(y) + t.in(d) * x$in(e)",
     "x := not (y) + t.in(d) * x$in(e)\n"},
    {"white space before a comma goes, the comma's blank comes", "f(a ) ,b", "f(a)\n, b\n"},
    {"a statement word after an operator: own line before a word", "x=DROP y", "x =\nDROP y\n"},
    {"... but not before a comma or a closing parenthesis", "x=DROP ,y", "x = DROP\n, y\n"},
    {"... nor inside parentheses", "f(a+DROP )", "f(a + DROP)\n"},
    {"blank before ( after a paren word behind white space", "where x IN  (1) and y not(2)",
     "where x IN (1)\nand y not (2)\n"},
    {"a comment after ) keeps the comma's line", "f(a)--c\n,b", "f(a) --c\n, b\n"},
    {"an operator after a block comment", "a:=b/* c */-d", "a := b /* c */ - d\n"},
    {"a comma between parts starts a line", "f(a),(b)", "f(a)\n, (b)\n"},
    {"a subquery breaks its part", "SELECT x FROM t WHERE a IN (SELECT 'a)' FROM u)",
     "SELECT x\nFROM t\nWHERE a IN (\n\tSELECT 'a)'\n\tFROM u\n)\n"},
    {"a condition breaks its part, in any case", "select x from t where (a = 1 and b = 2 and c = 3)",
     "select x\nfrom t\nwhere (\n\ta = 1\n\tand b = 2\n\tand c = 3\n)\n"},
    {"the measure finds AND and SELECT inside a word too: the part breaks, its words stay",
     "SELECT x FROM t WHERE a = f(brand = 1)",
     "SELECT x\nFROM t\nWHERE a = f(\n\tbrand = 1\n)\n"},
    {"OR alone breaks nothing", "SELECT x FROM t WHERE (a = 1 OR b = 2)", "SELECT x\nFROM t\nWHERE (a = 1 OR b = 2)\n"},
    {"the measure stops at the partner", "SELECT x FROM t WHERE (a) AND (SELECT 1 FROM u) = 1",
     "SELECT x\nFROM t\nWHERE (a)\nAND (\n\tSELECT 1\n\tFROM u\n) = 1\n"},
    {"nested parenthesis breaks its part", "SELECT NVL(x, TO_CHAR(y)) FROM t",
     "SELECT NVL(\n\tx\n\t, TO_CHAR(y)\n)\nFROM t\n"},
    {"parentheses in literals and comments do not count", "SELECT f('a)', b), g(a /* ) */ b) x FROM t",
     "SELECT f('a)', b)\n, g(a /* ) */ b) x\nFROM t\n"},
    {"every parenthesis of a header's list is broken", "CREATE PROCEDURE p(a NUMBER(10)) IS BEGIN NULL; END;",
     "CREATE PROCEDURE p(\n\ta NUMBER(\n\t\t10\n\t)\n) IS\nBEGIN\n\tNULL;\nEND;\n"},
    {"a ) after ; steps back", "SELECT * FROM (SELECT 1 FROM dual;)",
     "SELECT *\nFROM (\n\tSELECT 1\n\tFROM dual;\n)\n"},
};

const rFmtCase arBlockCases[] = {
    {"REF CURSOR declares no cursor", "DECLARE TYPE rc IS REF CURSOR RETURN emp%ROWTYPE; c rc; BEGIN NULL; END;",
     "DECLARE\n\tTYPE rc IS\n\tREF CURSOR RETURN emp%ROWTYPE;\n\tc rc;\nBEGIN\n\tNULL;\nEND;\n"},
    {"cursor declaration", "DECLARE CURSOR c IS SELECT a FROM t; BEGIN NULL; END;",
     "DECLARE\n\tCURSOR c IS\n\t\tSELECT a\n\t\tFROM t\n\t;\nBEGIN\n\tNULL;\nEND;\n"},
    {"EXIT WHEN stays on its line", "BEGIN LOOP EXIT WHEN x > 0; END LOOP; END;",
     "BEGIN\n\tLOOP\n\t\tEXIT WHEN x > 0;\n\tEND LOOP;\nEND;\n"},
    {"IF gets a blank before (", "BEGIN IF(a) THEN NULL; END IF; END;",
     "BEGIN\n\tIF (a) THEN\n\t\tNULL;\n\tEND IF;\nEND;\n"},
    {"package declaration with its named END",
     "CREATE OR REPLACE PACKAGE pkg IS PROCEDURE a; FUNCTION b RETURN NUMBER; END pkg;",
     "CREATE OR REPLACE PACKAGE pkg IS\n\tPROCEDURE a;\n\tFUNCTION b RETURN NUMBER;\nEND pkg;\n"},
    {"package body with named ENDs",
     "CREATE OR REPLACE PACKAGE BODY pkg IS PROCEDURE a IS BEGIN NULL; END a; "
     "FUNCTION b RETURN NUMBER IS BEGIN RETURN 1; END b; END pkg;",
     "CREATE OR REPLACE PACKAGE BODY pkg IS\n\tPROCEDURE a IS\n\tBEGIN\n\t\tNULL;\n\tEND a;\n"
     "\tFUNCTION b RETURN NUMBER IS\n\tBEGIN\n\t\tRETURN 1;\n\tEND b;\nEND pkg;\n"},
    {"a block name matches its END in any case", "CREATE PACKAGE body_x IS x NUMBER; END BODY_X;",
     "CREATE PACKAGE body_x IS\n\tx NUMBER;\nEND BODY_X;\n"},
    {"label copied whole", "BEGIN <<l1>> NULL; END;", "BEGIN\n\t<<l1>> NULL;\nEND;\n"},
    {"a label named like a line keyword stays whole", "BEGIN <<execute>> NULL; << show\n>> NULL; END;",
     "BEGIN\n\t<<execute>> NULL;\n\t<< show >> NULL;\nEND;\n"},
    {"... and one whose text holds a line keyword among other words keeps its \">>\" and its line, where a second "
     "run would read a command at the line's start",
     "BEGIN <<a show>> NULL; END; -<<;L show>>", "BEGIN\n\t<<a show>> NULL;\nEND;\n- <<;L show>>\n"},
    {"a quoted name inside a label is read whole", "BEGIN <<\"a>>b\">> NULL; END;", "BEGIN\n\t<<\"a>>b\">> NULL;\nEND;\n"},
    {"a CASE scan carries a label whole: no END inside it ends the CASE",
     "CASE<<END>>", "CASE<<END>>\n"},
    {"... and the look for a condition's THEN passes over a label as the condition's scan does",
     "BEGIN IF a <<THEN>> b THEN NULL; END IF; END;", "BEGIN\n\tIF a <<THEN>> b THEN\n\t\tNULL;\n\tEND IF;\nEND;\n"},
    {"... and so does the look for a block in the condition",
     "BEGIN IF a <<begin>> THEN NULL; END IF; END;", "BEGIN\n\tIF a <<begin>> THEN\n\t\tNULL;\n\tEND IF;\nEND;\n"},
    {"a literal after \"<<\" is no label's: its bytes stay", "x := a <<q'#'>>;#' || '>>;';",
     "x := a << q'#'>>;#' || '>>;';\n"},
    {"a \"<<\" that begins no label stays one operator: a second run still reads a PL/SQL unit from it",
     "<<;set '\nx,--'--\ny", "<< ;\nset '\nx,--' --\ny\n"},
    {"END of a second block after one with an EXCEPTION section",
     "BEGIN NULL; EXCEPTION WHEN OTHERS THEN NULL; END; BEGIN x := 1; END;",
     "BEGIN\n\tNULL;\nEXCEPTION\n\tWHEN OTHERS THEN\n\t\tNULL;\nEND;\nBEGIN\n\tx := 1;\nEND;\n"},
    {"a trigger's WHEN clause has no THEN: no branch",
     "CREATE OR REPLACE TRIGGER trg BEFORE INSERT ON t FOR EACH ROW WHEN (new.a > 0) BEGIN :new.b := 1; END;",
     "CREATE OR REPLACE TRIGGER trg BEFORE INSERT\nON t FOR EACH ROW WHEN (new.a > 0) BEGIN\n\t:new.b := 1;\nEND;\n"},
    {"a trigger's WHEN clause takes no THEN of its body: its IF is a block",
     "CREATE TRIGGER trg BEFORE INSERT ON t FOR EACH ROW WHEN (new.a > 0) BEGIN IF inserting THEN :new.b := 1; END IF; END;",
     "CREATE TRIGGER trg BEFORE INSERT\nON t FOR EACH ROW WHEN (new.a > 0) BEGIN\n\tIF inserting THEN\n\t\t:new.b := 1;\n"
     "\tEND IF;\nEND;\n"},
    {"nor where the clause holds a quoting whose delimiters enclose a quote",
     "CREATE TRIGGER trg BEFORE INSERT ON t FOR EACH ROW WHEN (new.a <> nq'[it's]') BEGIN IF inserting THEN :new.b := 1; END IF; END;",
     "CREATE TRIGGER trg BEFORE INSERT\nON t FOR EACH ROW WHEN (new.a <> nq'[it's]') BEGIN\n\tIF inserting THEN\n\t\t:new.b := 1;\n"
     "\tEND IF;\nEND;\n"},
    {"nor of a cursor declared after it",
     "CREATE TRIGGER trg BEFORE INSERT ON t FOR EACH ROW WHEN (new.a > 0) DECLARE CURSOR c IS SELECT CASE WHEN a > 0 "
     "THEN 1 END FROM t; BEGIN NULL; END;",
     "CREATE TRIGGER trg BEFORE INSERT\nON t FOR EACH ROW WHEN (new.a > 0) DECLARE\n\tCURSOR c IS\n\t\tSELECT CASE\n"
     "\t\tWHEN a > 0 THEN 1\n\t\tEND\n\t\tFROM t\n\t;\nBEGIN\n\tNULL;\nEND;\n"},
    {"the tail of a body: the LOOP of END LOOP opens nothing", "END LOOP outer;\nEND;", "END LOOP outer;\nEND;\n"},
    {"right after a \"/\" that ends a unit a PL/SQL word reads as at a text's start, as a second run reads it",
     ";/else\nz", ";\n/\nelse z\n"},
    {"so does a clause keyword of two words, whose blank is missing there",
     ";/NATURAL JOIN e", ";\n/\nNATURAL\nJOIN e\n"},
    {"a CASE without END ends with its statement where that is no PL/SQL unit: the next is laid out",
     "SELECT CASE WHEN a THEN 1; SELECT 2 FROM t;", "SELECT CASE\nWHEN a THEN 1;\nSELECT 2\nFROM t;\n"},
    {"... and with a PL/SQL unit's where a / follows, which then stands on a line of its own",
     "CASE r;/!\nCASE x WHEN 1 THEN y;/ WHEN 2 THEN 3 END", "CASE r;\n/\n!\nCASE x\nWHEN 1 THEN y;\n/\nWHEN 2 THEN 3 END\n"},
    {"BEGIN after a declaration without its ;, indented", "\tDECLARE x NUMBER := 1 BEGIN NULL; END;",
     "\tDECLARE\n\t\tx NUMBER := 1\n\tBEGIN\n\t\tNULL;\n\tEND;\n"},
    {"ELSE after a statement without its ;", "BEGIN IF a THEN x := 1 ELSE y := 2; END IF; END;",
     "BEGIN\n\tIF a THEN\n\t\tx := 1\n\tELSE\n\t\ty := 2;\n\tEND IF;\nEND;\n"},
    {"EXCEPTION after a statement without its ;", "BEGIN NULL EXCEPTION WHEN OTHERS THEN NULL; END;",
     "BEGIN\n\tNULL\nEXCEPTION\n\tWHEN OTHERS THEN\n\t\tNULL;\nEND;\n"},
    {"more block ends than openings stay at the first line's level", "\tBEGIN NULL; END; END; x := 1;",
     "\tBEGIN\n\t\tNULL;\n\tEND;\n\tEND;\n\tx := 1;\n"},
    {"CASE closed by END;", "BEGIN x := CASE WHEN a THEN 1 ELSE 2 END; END;",
     "BEGIN\n\tx := CASE\n\tWHEN a THEN 1\n\tELSE 2\n\tEND;\nEND;\n"},
    {"a CASE statement is a block: its branches stand as an IF's, their statements one level in",
     "BEGIN CASE v WHEN 1 THEN x := 10; IF x > 5 THEN y := 1; END IF; WHEN 2 THEN x := 20; ELSE x := 0; y := 2; END CASE; END;",
     "BEGIN\n\tCASE v\n\tWHEN 1 THEN\n\t\tx := 10;\n\t\tIF x > 5 THEN\n\t\t\ty := 1;\n\t\tEND IF;\n\tWHEN 2 THEN\n\t\tx := 20;\n"
     "\tELSE\n\t\tx := 0;\n\t\ty := 2;\n\tEND CASE;\nEND;\n"},
    {"a CASE statement after THEN, ELSE, LOOP, a handler's THEN and a label; a CASE expression stays one",
     "BEGIN IF a THEN CASE WHEN b THEN NULL; END CASE; ELSE CASE c WHEN 1 THEN x := CASE WHEN d THEN 1 END; END CASE; END IF; "
     "LOOP <<l>> CASE WHEN e THEN EXIT; END CASE l; END LOOP; EXCEPTION WHEN OTHERS THEN CASE WHEN f THEN RAISE; END CASE; END;",
     "BEGIN\n\tIF a THEN\n\t\tCASE\n\t\tWHEN b THEN\n\t\t\tNULL;\n\t\tEND CASE;\n\tELSE\n\t\tCASE c\n\t\tWHEN 1 THEN\n"
     "\t\t\tx := CASE\n\t\t\tWHEN d THEN 1\n\t\t\tEND;\n\t\tEND CASE;\n\tEND IF;\n\tLOOP\n\t\t<<l>> CASE\n\t\tWHEN e THEN\n"
     "\t\t\tEXIT;\n\t\tEND CASE l;\n\tEND LOOP;\nEXCEPTION\n\tWHEN OTHERS THEN\n\t\tCASE\n\t\tWHEN f THEN\n\t\t\tRAISE;\n"
     "\t\tEND CASE;\nEND;\n"},
    {"a CASE statement after the $END of a branch around statements",
     "BEGIN $IF $$a $THEN NULL; $END <<l>> CASE WHEN b THEN NULL; END CASE l; END;",
     "BEGIN\n\t$IF $$a $THEN\n\t\tNULL;\n\t$END\n\t<<l>> CASE\n\tWHEN b THEN\n\t\tNULL;\n\tEND CASE l;\nEND;\n"},
    {"the CASE of an END CASE that a CASE scan reaches opens nothing, also before a label",
     "BEGIN x := $IF $$a $THEN CASE v WHEN 1 THEN NULL; END CASE l; $END; END;",
     "BEGIN\n\tx := $IF $$a $THEN\n\t\tCASE v\n\t\tWHEN 1 THEN NULL;\n\t\tEND CASE l;\n\t$END;\nEND;\n"},
    {"a labelled CASE statement at a text's start",
     "<<l>> CASE x WHEN 1 THEN NULL; END CASE l; y := CASE WHEN b THEN 1 END;",
     "<<l>> CASE x\nWHEN 1 THEN\n\tNULL;\nEND CASE l;\ny := CASE\nWHEN b THEN 1\nEND;\n"},
    {"a CASE statement in a branch of $IF; a CASE expression there stays one",
     "BEGIN $IF $$a $THEN CASE WHEN b THEN NULL; END CASE; $ELSE x := $IF $$c $THEN CASE WHEN d THEN 1 END $END; $END END;",
     "BEGIN\n\t$IF $$a $THEN\n\t\tCASE\n\t\tWHEN b THEN\n\t\t\tNULL;\n\t\tEND CASE;\n\t$ELSE\n\t\tx := $IF $$c $THEN\n\t\t\tCASE\n"
     "\t\t\tWHEN d THEN 1\n\t\t\tEND\n\t\t$END;\n\t$END\nEND;\n"},
    {"END and CASE parted by a comment close the CASE statement",
     "BEGIN <<l>> CASE WHEN a THEN NULL; END /* c */ CASE l; x := 1; END;",
     "BEGIN\n\t<<l>> CASE\n\tWHEN a THEN\n\t\tNULL;\n\tEND /* c */ CASE l;\n\tx := 1;\nEND;\n"},
    {"a CASE expression of a SQL statement in a block stays one, a CASE statement after it is a block",
     "BEGIN SELECT CASE WHEN a THEN 1 END INTO x FROM t; /* c */ CASE x WHEN 1 THEN NULL; END CASE; END;",
     "BEGIN\n\tSELECT CASE\n\tWHEN a THEN 1\n\tEND\n\tINTO x\n\tFROM t;\n\t/* c */ CASE x\n\tWHEN 1 THEN\n\t\tNULL;\n\tEND CASE;\n"
     "END;\n"},
};

const rFmtCase arCommentCases[] = {
    {"a block comment keeps its lines, blanks and line ends", "/* a\r\n\n   b */", "/* a\r\n\n   b */\n"},
    {"a comment right before IN or AND counts as white space before its \"(\": a move may take it away",
     "B,/**/AND()", "B /**/\n,\nAND ()\n"},
    {"a comment moved from after a comma to right after END is read as one after a blank",
     "TYPE BODY e END,/*c*/s", "TYPE BODY e\nEND /*c*/\n, s\n"},
    {"a comment's star column stays", "/**\n * Returns the total.\n */\nSELECT 1 FROM dual;",
     "/**\n * Returns the total.\n */\nSELECT 1\nFROM dual;\n"},
    {"runs of blanks inside a comment stay", "/* a\n      b */ select 1 from dual", "/* a\n      b */ select 1\nfrom dual\n"},
    {"further lines move as far as the comment's line",
     "BEGIN\n    /* x\n     * y\n     */\n    NULL;\nEND;", "BEGIN\n\t/* x\n\t * y\n\t */\n\tNULL;\nEND;\n"},
    {"a comment with a line indented less than its own goes out as it is",
     "BEGIN\n    /* x\n  y */\n    NULL;\nEND;", "BEGIN\n\t/* x\n  y */\n\tNULL;\nEND;\n"},
    {"blank lines inside a comment stay blank", "BEGIN\n  /* x\n\n    y */\n  NULL;\nEND;",
     "BEGIN\n\t/* x\n\n\t  y */\n\tNULL;\nEND;\n"},
    {"a comment on an indented first line", "  /* a\n     b */ x", "/* a\n   b */ x\n"},
    {"line comment keeps its line end", "-- c\n   x", "-- c\nx\n"},
    {"comment marks in literals: the line ends between words still go", "select '--' a, '/*' b from\nt where\nc = 1",
     "select '--' a\n, '/*' b\nfrom t\nwhere c = 1\n"},
    {"an operator right after a word gets its blank before, after a comment", "-- c\nSELECT a|| 'b', c.d|| e FROM t;",
     "-- c\nSELECT a || 'b'\n, c.d || e\nFROM t;\n"},
    {"an operator right before a literal gets its blank after, after a comment", "-- c\nSELECT a ||'b' FROM t;",
     "-- c\nSELECT a || 'b'\nFROM t;\n"},
    {"a line keyword after a line end, without comments", "x := 1;\n  DROP TABLE t;\nSELECT 1 FROM\ndual",
     "x := 1;\nDROP TABLE t;\nSELECT 1\nFROM dual\n"},
    {"blank before a comment", "x/* c */y x--c\ny", "x /* c */y x --c\ny\n"},
    {"comment after AND moves before it", "a AND /* c */ b", "a /* c */AND b\n"},
    {"... and the two blanks it leaves after AND go out as one in a statement", "SELECT a AND /* c */ b FROM t",
     "SELECT a /* c */AND b\nFROM t\n"},
    {"line comment after AND moves before it", "a AND -- c\nb", "a -- c\nAND b\n"},
    {"no AND in BRAND, none at the start", "BRAND /* c */ b AND /* d */ c", "BRAND /* c */ b /* d */AND c\n"},
    {"comment after AND before the semicolon stays", "a AND /* c */;", "a\nAND /* c */;\n"},
    {"comment after AND before a comma stays", "b,AND /*C */ ,c", "b\n,\nAND /*C */\n, c\n"},
    {"... also when the comment after it moves in front of that comma", "b,AND /*C */ ,/*D */ ,c",
     "b\n,\nAND /*C */ /*D */\n,\n, c\n"},
    {"line comment after AND stays after a minus sign", "a-AND -- c\nb", "a -\nAND -- c\nb\n"},
    {"line comment after a block header stays after a minus sign", "x-FUNCTION -- c\ny", "x - FUNCTION -- c\ny\n"},
    {"... also where white space parts them", "x-\nFUNCTION -- c\ny", "x - FUNCTION -- c\ny\n"},
    {"a block comment moves in front of the header all the same", "x-FUNCTION /* c */ y", "x - /* c */\nFUNCTION y\n"},
    {"comment after a comma moves before it", "a,/* c */b", "a /* c */\n, b\n"},
    {"line comment after a comma moves before it", "a, -- c\nb", "a -- c\n, b\n"},
    {"a line comment's carriage return counts for nothing in the measure of its part",
     "SELECT f(bbbbbbbbbbbbbbbbbbbb -- c\r\naaaaaaaaaaaaaaaaaaaaaaa) FROM t;",
     "SELECT f(bbbbbbbbbbbbbbbbbbbb -- c\naaaaaaaaaaaaaaaaaaaaaaa)\nFROM t;\n"},
    {"... and the part it stands in is measured with the blank written before it",
     "SELECT NVL(x.aaaaaaaaaaaaaaaaaaaaaa , -- c\nb.bbbbbbbbbbbbbbbb) x FROM t;",
     "SELECT NVL(\n\tx.aaaaaaaaaaaaaaaaaaaaaa -- c\n\t, b.bbbbbbbbbbbbbbbb\n) x\nFROM t;\n"},
    {"... and the comma takes no blank along before a \")\" (a second run would drop it)",
     "select f(CASE a, /* c */) from t;", "select f(CASE a /* c */,) from t;\n"},
    {"... nor before a \";\"", "select CASE t , -- c\n;", "select CASE t -- c\n,;\n"},
    {"... but not after a minus sign before the comma, where a block header after it would find "
     "white space on a second run",
     "-,--\nProcedure--\nb", "-\n, --\nProcedure --\nb\n"},
    {"comments with commas alone between them all move in front of the commas",
     "SELECT a /* x */, /* y */, /* z */, b FROM t;", "SELECT a /* x */ /* y */ /* z */\n,\n,\n, b\nFROM t;\n"},
    {"... line comments too", "SELECT a -- x\n, -- y\n, -- z\n, b FROM t;",
     "SELECT a -- x\n-- y\n-- z\n,\n,\n, b\nFROM t;\n"},
    {"... in a part that is not broken, with a word after the last", "SELECT f(a /* x */, /* y */,  /* z */ b) FROM t;",
     "SELECT f(a /* x */ /* y */ /* z */, , b)\nFROM t;\n"},
    {"... up to the word before them", "SELECT a /* x */, /* y */, b, /* z */, /* w */, c FROM t;",
     "SELECT a /* x */ /* y */\n,\n, b /* z */ /* w */\n,\n,\n, c\nFROM t;\n"},
    {"line comments with ANDs alone between them all move in front of the ANDs",
     "SELECT a FROM t WHERE b = 1 AND -- x\nAND -- y\nAND -- z\n c = 2;",
     "SELECT a\nFROM t\nWHERE b = 1 -- x\n-- y\n-- z\nAND\nAND\nAND c = 2;\n"},
    {"... the last of them a block comment", "x AND -- a\nAND\t-- b\nAND /* c */ y",
     "x -- a\n-- b\n/* c */AND\nAND\nAND y\n"},
    {"... but not over those after a line comment that a minus sign ends",
     "x AND -- a -\nAND -- b\nAND -- c\ny", "x -- a -\nAND -- b\n-- c\nAND\nAND y\n"},
    {"... nor the last of them before a closing parenthesis", "f(x AND -- a\nAND -- b\nAND -- c\n)",
     "f(\n\tx -- a\n\t-- b\n\tAND\n\tAND\n\tAND -- c\n)\n"},
    {"comment at the end stays after AND and comma", "a AND -- c", "a\nAND -- c\n"},
    {"a line comment that ends in a blank after a lone division sign keeps its line end", "/ -- \nx",
     "/ -- \nx\n"},
    {"... also where the comment begins the next line", "x $ELSE /\n-- \nFULL", "x\n$ELSE\n/ -- \nFULL\n"},
    {"\"--\" in a literal of the last line ends no line comment", "select 'a--b' from t;",
     "select 'a--b'\nfrom t;\n"},
    {"\"--\" inside a block comment that reaches the last line", "select a /* x\n-- y */ from t;",
     "select a /* x\n-- y */\nfrom t;\n"},
    {"a semicolon that ends a line comment is comment", "select a\nfrom t -- c;", "select a\nfrom t -- c;\n"},
    {"comments after a block header move before it", "x FUNCTION -- a\n/* b */ f", "x\n-- a\n/* b */\nFUNCTION f\n"},
    {"comment after PACKAGE BODY at the start", "PACKAGE BODY /* c */ pk IS", "/* c */\nPACKAGE BODY pk IS\n"},
    {"comments between PACKAGE and BODY and after BODY all move in front of them",
     "CREATE OR REPLACE PACKAGE -- c\nBODY /* d */ p IS\nEND p;\n/\n",
     "CREATE OR REPLACE\n-- c\n/* d */\nPACKAGE BODY p IS\nEND p;\n/\n"},
    {"... also where a line end stood between PACKAGE and BODY",
     "CREATE OR REPLACE PACKAGE\n/* c */ BODY /* d */ p IS\nEND p;\n/\n",
     "CREATE OR REPLACE\n/* c */\n/* d */\nPACKAGE BODY p IS\nEND p;\n/\n"},
    {"PACKAGE and BODY on two lines are the header the layout reads",
     "CREATE OR REPLACE PACKAGE\nBODY /* c */ p IS\nEND p;\n/\nPACKAGE\nBODY/**/U",
     "CREATE OR REPLACE\n/* c */\nPACKAGE BODY p IS\nEND p;\n/\n/**/PACKAGE BODY U\n"},
    {"but not where PACKAGE ends a line comment: the comment after the header moves in front of it alone",
     "--PACKAGE\nBODY PACKAGE/**/U", "--PACKAGE\nBODY\n/**/PACKAGE U\n"},
    {"a comment moved in front of a comma after a \";\" in a CASE scan leaves no blank after the \";\"",
     "BEGIN x := CASE WHEN a THEN b;, /*c*/ x END; END;", "BEGIN\n\tx := CASE\n\tWHEN a THEN b;/*c*/, x\n\tEND;\nEND;\n"},
    {"comment after a header after a semicolon", "END;PROCEDURE /* c */ p", "END;\n/* c */\nPROCEDURE p\n"},
    {"a header word that ends a line comment stays in it", "x -- see PROCEDURE\nFUNCTION -- c\nf",
     "x -- see PROCEDURE\n-- c\nFUNCTION f\n"},
    {"... also where a comment after a comma moves up to it", "a -- x FUNCTION\n, -- y\nb", "a -- x FUNCTION\n-- y\n, b\n"},
    {"... also where that comment moved in front of a header first", "FUNCTION -- see PROCEDURE\nFUNCTION -- y\nb",
     "-- see PROCEDURE\n-- y\nFUNCTION FUNCTION b\n"},
    {"... or went there from a comma", "FUNCTION, -- see PROCEDURE\n, -- y\nb",
     "-- see PROCEDURE\n-- y\nFUNCTION\n,\n, b\n"},
    {"a header word right before a comma keeps its letters when a comment moves in front of it",
     "SELECT a, function, -- note\n b FROM t;", "SELECT a\n,\n-- note\nfunction\n, b\nFROM t;\n"},
    {"no header in a literal, a longer word or at the end",
     "x 'PROCEDURE /* c */' PROCEDURES /* c */ p PROCEDURE /* d */",
     "x 'PROCEDURE /* c */' PROCEDURES /* c */ p PROCEDURE /* d */\n"},
    {"comma after a line comment gets no second break", "SELECT a -- c\n, b FROM t", "SELECT a -- c\n, b\nFROM t\n"},
    {"END right after a block comment ends its block", "BEGIN\n  NULL;\n  /* c */END;",
     "BEGIN\n\tNULL;\n\t/* c */\nEND;\n"},
    {"a comment between AS and LANGUAGE leaves the body external",
     "CREATE FUNCTION f (p RAW) RETURN NUMBER\nAS /* c */ LANGUAGE C LIBRARY l NAME \"f\";\n/\n",
     "CREATE FUNCTION f (\n\tp RAW\n) RETURN NUMBER AS /* c */ LANGUAGE C LIBRARY l NAME \"f\";\n/\n"},
    {"... a line comment between IS and EXTERNAL too",
     "CREATE PACKAGE BODY p IS\nFUNCTION f RETURN NUMBER IS -- c\nEXTERNAL LIBRARY l;\nEND p;\n/\n",
     "CREATE PACKAGE BODY p IS\n\tFUNCTION f RETURN NUMBER IS -- c\n\tEXTERNAL LIBRARY l;\nEND p;\n/\n"},
    {"... END LOOP too", "BEGIN\n  LOOP\n    NULL;\n  /* c */END LOOP;\nEND;",
     "BEGIN\n\tLOOP\n\t\tNULL;\n\t\t/* c */\n\tEND LOOP;\nEND;\n"},
    {"a comment between END and LOOP: the label after it opens no loop",
     "BEGIN\n  <<drain>> LOOP\n    NULL;\n  END -- c\n  LOOP drain;\nEND;",
     "BEGIN\n\t<<drain>> LOOP\n\t\tNULL;\n\tEND -- c\n\tLOOP drain;\nEND;\n"},
    {"... and between END and IF in a handler, which keeps its level",
     "BEGIN NULL; EXCEPTION WHEN OTHERS THEN IF a THEN NULL; END /* c */ IF; NULL; END;",
     "BEGIN\n\tNULL;\nEXCEPTION\n\tWHEN OTHERS THEN\n\t\tIF a THEN\n\t\t\tNULL;\n\t\tEND /* c */ IF;\n\t\tNULL;\nEND;\n"},
    {"a comment on the lines after END, before its name", "BEGIN\n  NULL;\nEND\n-- end of x\nx;",
     "BEGIN\n\tNULL;\nEND\n-- end of x\nx;\n"},
    {"a comment between CREATE and TYPE: still an object type's attribute list",
     "create -- c\ntype t as object (a number, member function f return number);\n/\n",
     "create -- c\ntype t as object (\n\ta number\n\t, member function f return number\n);\n/\n"},
    {"... and between UNDER's supertype and its list", "create type t under s /* c */ (a number);\n/\n",
     "create type t under s /* c */ (\n\ta number\n);\n/\n"},
    {"a comment between RETURN SELF and AS RESULT opens no declarations",
     "create type body t as constructor function t return self -- c\nas result is begin return; end; end;\n/\n",
     "create type body t as\n\tconstructor function t return self -- c\n\tas result is\n\tbegin\n\t\treturn;\n\tend;\nend;\n/\n"},
    {"$IF FALSE $THEN with a comment between its words is still never compiled",
     "BEGIN $IF FALSE -- c\n$THEN END CASE; END LOOP; $END NULL; END;",
     "BEGIN\n\t$IF FALSE -- c\n\t\t$THEN\n\t\tEND CASE;END LOOP;$END\n\tNULL;\nEND;\n"},
    {"a block comment glued before a header: a nested subprogram's block closes",
     "CREATE PACKAGE BODY p IS /* c */PROCEDURE b IS PROCEDURE c IS BEGIN NULL; END c; BEGIN NULL; END b; END p;\n/\n",
     "CREATE PACKAGE BODY p IS\n\t/* c */PROCEDURE b IS\n\t\tPROCEDURE c IS\n\t\tBEGIN\n\t\t\tNULL;\n\t\tEND c;\n"
     "\tBEGIN\n\t\tNULL;\n\tEND b;\nEND p;\n/\n"},
    {"... before LOOP: it opens its loop", "BEGIN /* c */LOOP NULL; END LOOP; END;",
     "BEGIN\n\t/* c */LOOP\n\t\tNULL;\n\tEND LOOP;\nEND;\n"},
    {"... before ELSE: its branch", "BEGIN IF a THEN NULL; /* c */ELSE NULL; END IF; END;",
     "BEGIN\n\tIF a THEN\n\t\tNULL;\n\t\t/* c */\n\tELSE\n\t\tNULL;\n\tEND IF;\nEND;\n"},
    {"a comment between a comma and a unit kind in ACCESSIBLE BY: no header",
     "CREATE PACKAGE p ACCESSIBLE BY (PACKAGE q, PROCEDURE -- c\nr) IS x NUMBER; END;\n/\n",
     "CREATE PACKAGE p ACCESSIBLE BY (\n\tPACKAGE q\n\t,\n\t-- c\n\tPROCEDURE r\n) IS\n\tx NUMBER;\nEND;\n/\n"},
    {"a comment between IS and NULL in a cursor's query opens no declarations",
     "CREATE PACKAGE BODY p IS\n  CURSOR c IS SELECT a FROM t WHERE (b IS /* c */ NULL OR b = 1);\nEND p;\n/\n",
     "CREATE PACKAGE BODY p IS\n\tCURSOR c IS\n\t\tSELECT a\n\t\tFROM t\n\t\tWHERE (b IS /* c */ NULL OR b = 1)\n\t;\nEND p;\n/\n"},
    {"block comment lines move with the comment's line", "BEGIN /* a\n b */ NULL; END;",
     "BEGIN\n\t/* a\n\t b */ NULL;\nEND;\n"},
    {"AND after a line comment is not broken again", "SELECT a FROM t WHERE (b = 1 -- c\nAND c = 2)",
     "SELECT a\nFROM t\nWHERE (\n\tb = 1 -- c\n\tAND c = 2\n)\n"},
    {"WHEN inside a comment of a CASE", "SELECT CASE x -- see WHEN below\nWHEN 1 THEN 'a' END FROM t",
     "SELECT CASE x -- see WHEN below\nWHEN 1 THEN 'a'\nEND\nFROM t\n"},
    {"THEN inside a comment of a condition", "BEGIN IF a > 0 -- THEN what\nTHEN x := 1; END IF; END;",
     "BEGIN\n\tIF a > 0 -- THEN what\n\t\tTHEN\n\t\tx := 1;\n\tEND IF;\nEND;\n"},
    {"an AND whose comment moves in front of the comma before it, a line word after it: a second run, "
     "which finds a line feed after the AND, breaks before it alike",
     "b,AND /*c */\nDROP TYPE d;", "b /*c */\n,\nAND\nDROP TYPE d;\n"},
    {"so at the text's end", "b,AND/**/", "b /**/\n,\nAND\n"},
    {"a line comment that ends in blanks before a package's header: the header is CREATE's object",
     "CREATE OR REPLACE\n-- comment  \nPACKAGE BODY pkg AS\nPROCEDURE p IS BEGIN NULL; END;\nEND;\n",
     "CREATE OR REPLACE\n-- comment  \nPACKAGE BODY pkg AS\n\tPROCEDURE p IS\n\tBEGIN\n\t\tNULL;\n\tEND;\nEND;\n"},
    {"so is one that ends in the CR of a CR LF",
     "CREATE OR REPLACE\r\n-- comment\r\nPACKAGE BODY pkg AS\r\nPROCEDURE p IS BEGIN NULL; END;\r\nEND;\r\n",
     "CREATE OR REPLACE\n-- comment\nPACKAGE BODY pkg AS\n\tPROCEDURE p IS\n\tBEGIN\n\t\tNULL;\n\tEND;\nEND;\n"},
};

// The second byte of a Shift_JIS character (0x40 and above) is never the start of a keyword, an
// operator or a comment mark; a lead byte before a byte below 0x40 (a quote, a blank, a line
// end, a parenthesis, a comma, a semicolon) is a byte of its own, for such a pair is no character.
const rFmtCase arShiftJisCases[] = {
    // ソ, whose second byte is a backslash
    {"Japanese literal in a condition", "SELECT a FROM t WHERE b = '\x83\x5C' AND c = 1",
     "SELECT a\nFROM t\nWHERE b = '\x83\x5C'\nAND c = 1\n"},
    {"second byte is a backslash before AND", "\x95\\ AND /* c */ y", "\x95\\ /* c */AND y\n"},
    {"second byte is a bar", "SELECT a\x83\x7C\x7C" "b, x \x81|  y FROM t",
     "SELECT a\x83\x7C\x7C" "b\n, x \x81| y\nFROM t\n"},
    {"second byte starts a keyword", "x \x82" "DROP t", "x \x82" "DROP t\n"},
    {"second byte is a letter of a quoting q", "x \x83q'a'", "x \x83q'a'\n"},
    {"lead byte before a quote", "x \x83'  y 'z''", "x \x83'  y 'z''\n"},
    {"lead byte closing a literal", "x '\x83'  y' z'", "x '\x83' y' z'\n"},
    {"lead byte before a parenthesis", "SELECT f(\x81), g(x\x81) FROM t", "SELECT f(\x81)\n, g(x\x81)\nFROM t\n"},
    {"lead byte before a comma", "a\x81,b", "a\x81\n, b\n"},
    {"lead byte before a line comment", "SELECT a\x81-- b\nFROM t", "SELECT a\x81 -- b\nFROM t\n"},
    {"lead byte before a comment's end", "/* \x81*/  x", "/* \x81*/ x\n"},
    {"lead byte before a line feed", "-- \x82\nx\ny", "-- \x82\nx y\n"},
    {"lead byte before a blank and a keyword", "x \x82 DROP t", "x \x82\nDROP t\n"},
    {"lead byte before a semicolon", "x\x81;", "x\x81;\n"},
    {"lead byte at the end", "x\x82", "x\x82\n"},
};

// UTF-8 and Latin-1 text: a whole UTF-8 sequence is one character, and a Latin-1 byte never takes
// the byte after it (the text shows its encoding; --encoding may name it).
const rFmtCase arOtherEncodingCases[] = {
    {"UTF-8 literal, the statement goes on", "select 'あいう' from dual where x = 1;",
     "select 'あいう'\nfrom dual\nwhere x = 1;\n"},
    {"UTF-8 comment before a comma", "select a /* コメント（注） */, b from t;",
     "select a /* コメント（注） */\n, b\nfrom t;\n"},
    {"UTF-8 byte order mark stays in front", "\xEF\xBB\xBF  select 1 from dual",
     "\xEF\xBB\xBF" "select 1\nfrom dual\n"},
    {"a mark after white space shows UTF-8 too: it goes in front, where a second run finds it",
     "\n\xEF\xBB\xBFselect q'[\x83]', b from t", "\xEF\xBB\xBF" "select q'[\x83]'\n, b\nfrom t\n"},
    {"Latin-1 before a doubled quote", "select 'caf\xE9''s', x\xE9 , '\xE9' from t",
     "select 'caf\xE9''s'\n, x\xE9\n, '\xE9'\nfrom t\n"},
    {"alternative quoting with brackets", "select q'[it's]', 'a  b' from dual",
     "select q'[it's]'\n, 'a  b'\nfrom dual\n"},
    {"alternative quoting in a block, any delimiter, nq", "begin x := q'{it's  here}'; y := nQ'!a!'; end;",
     "begin\n\tx := q'{it's  here}';\n\ty := nQ'!a!';\nend;\n"},
};

// SQL*Plus scripts: command lines come out as they went in, each on a line of its own; the
// statements between them are formatted.
const rFmtCase arScriptCases[] = {
    {"a command line, an empty line and a block with its \"/\"",
     "set serveroutput on\n\nbegin null; end;\n/",
     "set serveroutput on\nbegin\n\tnull;\nend;\n/\n"},
    {"commands are never joined, a prompt swallows nothing",
     "whenever sqlerror exit failure\nset define off\nprompt creating t; (x\nselect 1 from dual;",
     "whenever sqlerror exit failure\nset define off\nprompt creating t; (x\nselect 1\nfrom dual;\n"},
    {"@ and @@ lines around a block",
     "@other.sql\nbegin null; end;\n/\n@@next x",
     "@other.sql\nbegin\n\tnull;\nend;\n/\n@@next x\n"},
    {"a remark keeps its parenthesis and its and/or",
     "rem see (note\nREM a and/or b\nselect 1 from dual;",
     "rem see (note\nREM a and/or b\nselect 1\nfrom dual;\n"},
    {"a command continued with \"-\"",
     "column a format a10 -\n  heading 'A'\nselect a from t;",
     "column a format a10 -\n  heading 'A'\nselect a\nfrom t;\n"},
    {"SET TRANSACTION is a statement",
     "set transaction read only;\nselect 1 from dual;",
     "set transaction read only;\nselect 1\nfrom dual;\n"},
    {"EXIT inside a block is PL/SQL, after its \"/\" a command",
     "begin loop exit; end loop; end;\n/\nexit",
     "begin\n\tloop\n\t\texit;\n\tend loop;\nend;\n/\nexit\n"},
    {"a command after \";\" on the same line goes on a line of its own",
     "select 1 from dual; spool off",
     "select 1\nfrom dual;\nspool off\n"},
    {"a command word before a \")\" is a command, as the line break before the \")\" makes it",
     "select 1 from dual; spool)",
     "select 1\nfrom dual;\nspool)\n"},
    {"a command word before a \"(\" after a comment is a command, as the blank before the \"(\" makes it",
     "select 1 from dual; /* c */ in(x)",
     "select 1\nfrom dual;\n/* c */\nin(x)\n"},
    {"a \"/\" after the \"/\" that ends a statement on its line is no \"/\" line: the line holds more",
     "--\n/ /\nAND", "--\n/ /\nAND\n"},
    {"a \"/\" line after a line comment, then commands",
     "select a --c\n/\nspool off\ned x-y.log",
     "select a --c\n/\nspool off\ned x-y.log\n"},
    {"a command that ends the text in a carriage return gets one line end",
     "-- list\nshow errors\r", "-- list\nshow errors\n"},
    {"abbreviated command words in any case",
     "pro hi\nspo off\nrema x\ndesc t",
     "pro hi\nspo off\nrema x\ndesc t\n"},
    {"a package spec and its body, each ended by \"/\"",
     "create package p is procedure a; end p;\n/\ncreate package body p is procedure a is begin null; end a; end p;\n/",
     "create package p is\n\tprocedure a;\nend p;\n/\ncreate package body p is\n\tprocedure a is\n\tbegin\n\t\tnull;\n\tend a;\nend p;\n/\n"},
};

// The constructs of today's PL/SQL and DDL.
// Numbers and operators are one unit each: a number's exponent sign is no minus, and every
// operator of two bytes stays whole.
const rFmtCase arNumberOperatorCases[] = {
    {"exponents with a sign stay in their number", "select 1e-5, 2.5E-3, 1E+10, 1.5f, 1e-5d, .5e-3, 1.e-3 from dual",
     "select 1e-5\n, 2.5E-3\n, 1E+10\n, 1.5f\n, 1e-5d\n, .5e-3\n, 1.e-3\nfrom dual\n"},
    {"a word ending in e before a minus is a word", "select t1.e-5, x1e-5, 2e3-1, e-1 from t",
     "select t1.e - 5\n, x1e - 5\n, 2e3 - 1\n, e - 1\nfrom t\n"},
    {"an exponent in a condition and a call", "select f(1e-3) from t where a<1E-10 and b=-1e+2",
     "select f(1e-3)\nfrom t\nwhere a < 1E-10\nand b = - 1e+2\n"},
    {"every operator of two bytes stays whole", "x:=a^=b;y:=a~=b;z:=a!=b;w:=a<>b;v:=a<=b;u:=a>=b;t:=a||b;s:=a**2;f(p=>1);",
     "x := a ^= b;\ny := a ~= b;\nz := a != b;\nw := a <> b;\nv := a <= b;\nu := a >= b;\nt := a || b;\ns := a ** 2;\n"
     "f(p => 1);\n"},
    {"a range keeps its two points", "BEGIN FOR i IN 1..10 LOOP NULL; END LOOP; END;",
     "BEGIN\n\tFOR i IN 1..10 LOOP\n\t\tNULL;\n\tEND LOOP;\nEND;\n"},
    {"not equal in a WHERE", "select a from t where a ^= 1 and b ~= 2",
     "select a\nfrom t\nwhere a ^= 1\nand b ~= 2\n"},
    {"the star of a qualified name is no product", "select e.*, s.t.*, \"T\".*, 1.*2, e.x*2 from emp e",
     "select e.*\n, s.t.*\n, \"T\".*\n, 1. * 2\n, e.x * 2\nfrom emp e\n"},
    {"a star after a point that follows no name is one, as a second run reads it at the text's start", ";\n/.*()",
     ";\n/\n. * ()\n"},
    {"a word right after the star of a name gets a blank", "select e.*from emp e where x=(select d.*from d)",
     "select e.*\nfrom emp e\nwhere x = (\n\tselect d.*\n\tfrom d\n)\n"},
};

// Every command of the tool, in its shortest and its full form, stays on its line as it was;
// the statement after it is laid out.
const rFmtCase arCommandSetCases[] = {
    {"disconnect, then a prompt", "disconnect\nprompt   a   b\nselect 1 from dual;",
     "disconnect\nprompt   a   b\nselect 1\nfrom dual;\n"},
    {"shortest forms, part one",
     "disc\nacc x  prompt 'x'\nbre on a\nbti off\ncl scr\ncol a  format a10\ncomp sum of a on b\nconn u/p\n"
     "def x  = 1\ndesc  t\nselect 1 from dual;",
     "disc\nacc x  prompt 'x'\nbre on a\nbti off\ncl scr\ncol a  format a10\ncomp sum of a on b\nconn u/p\n"
     "def x  = 1\ndesc  t\nselect 1\nfrom dual;\n"},
    {"shortest forms, part two",
     "ed  f\nexec  p\nhelp  set\nhist\nho  ls\npassw\npau  x\npri  v\npro  x\nrepf off\nreph off\nsav  f\n"
     "sho  all\nspo  f\nsta  f\nstore  set f\ntimi  start\ntti off\nundef  x\nvar  v number\nselect 1 from dual;",
     "ed  f\nexec  p\nhelp  set\nhist\nho  ls\npassw\npau  x\npri  v\npro  x\nrepf off\nreph off\nsav  f\n"
     "sho  all\nspo  f\nsta  f\nstore  set f\ntimi  start\ntti off\nundef  x\nvar  v number\nselect 1\nfrom dual;\n"},
    {"full forms of the rest",
     "accept  x\nappend  , b\nattribute  t.a  format a9\nchange  /a/b/\nclear  breaks\ncopy  from u to v\n"
     "del  2\nget  f\ninput  x  y\nlist  1 2\nrecover  database\nrun\nstartup  mount\nshutdown  abort\n"
     "oradebug  setmypid\narchive  log list\nselect 1 from dual;",
     "accept  x\nappend  , b\nattribute  t.a  format a9\nchange  /a/b/\nclear  breaks\ncopy  from u to v\n"
     "del  2\nget  f\ninput  x  y\nlist  1 2\nrecover  database\nrun\nstartup  mount\nshutdown  abort\n"
     "oradebug  setmypid\narchive  log list\nselect 1\nfrom dual;\n"},
    {"one-letter forms where only the command can be meant", "l\nl 2  5\nr\nc/a/b/\nselect 1 from dual;",
     "l\nl 2  5\nr\nc/a/b/\nselect 1\nfrom dual;\n"},
    {"a host command and help", "!ls  -l\n? set\nselect 1 from dual;", "!ls  -l\n? set\nselect 1\nfrom dual;\n"},
    {"a one-letter word that begins a statement is code", "a := b;\ni := i + 1;", "a := b;\ni := i + 1;\n"},
    {"a command word glued to a word is no command", "prompt_x:=1;", "prompt_x := 1;\n"},
    {"an operator after a command word parts it as a blank would", "prompt:=1;", "prompt:=1;\n"},
    {"so does a comma, before which the layout breaks the line: a comment after it stays whole",
     "a;\nSET,/*c\nb//,c*/,d;", "a;\nSET,/*c\nb / /\n, c * /\n, d;\n"},
    {"a \"/\" on the line after a comment with more after it is the division sign: what follows it "
     "gets no line start, where a second run would read a command",
     "e --c\n/!/*\n/AND/**/", "e --c\n/ ! /*\n/AND/**/\n"},
    {"so it is after a block comment's line end", "e /*c*/\n/!x  y", "e /*c*/\n/ !x y\n"},
    {"and before a statement keyword, which stays on its line: a second run must find no unit carried "
     "whole after a \"/\" line",
     "x --c\n/CREATE JAVA SOURCE NAMED \"A\" AS class A { }", "x --c\n/ CREATE JAVA SOURCE NAMED \"A\" AS class A { }\n"},
    {"so it does inside a CASE, whose branches are read by their own scan",
     "x case--\n/CREATE JAVA SOURCE NAMED \"A\" AS class A { }", "x case --\n/ CREATE JAVA SOURCE NAMED \"A\" AS class A { }\n"},
    {"and inside an IF's condition", "IF a--\n/CREATE y THEN b; END IF;", "IF a --\n\t/ CREATE y THEN\n\tb;\nEND IF;\n"},
    {"a lone R keeps what follows on its line: a second run would read RUN there, and a unit carried "
     "whole after it",
     "R CREATE JAVA SOURCE NAMED \"A\" AS class A { }", "R CREATE JAVA SOURCE NAMED \"A\" AS class A { }\n"},
    {"so does one after a \";\" in a branch that is never compiled, which is copied as it is",
     "$IF FALSE $THEN x;R CREATE $END", "$IF FALSE $THEN\n\tx;R CREATE\n$END\n"},
    {"and one after the \";\" a CASE scan stops at, before the terminator", "BEGIN END CASE H;/'';R CREATE",
     "BEGIN\nEND CASE H;\n/\n'';\nR CREATE\n"},
    {"a \"/\" after nothing but a comment keeps what follows on its line: a second run would read a \"/\" line",
     "/**//ELSE", "/**/ / ELSE\n"},
    {"a division sign on the line after a block comment is measured with its blank, as it is written",
     "x := f(a/*c*/\n/bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb);", "x := f(\n\ta /*c*/\n\t/ bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb\n);\n"},
    {"so does one right after a \";\" in a branch that is never compiled, which is copied as it is",
     "BEGIN $IF FALSE $THEN x;/$END END;", "BEGIN\n\t$IF FALSE $THEN\n\t\tx;/ $END\nEND;\n"},
    {"so does a lone L, which would be LIST, before a comma", "a;\n  l, b", "a;\nl , b\n"},
    {"and L with its line numbers", "L 2 5 CREATE TABLE t (a int)", "L 2 5 CREATE TABLE t (a int)\n"},
    {"and after a \";\" inside a part of a statement that is no PL/SQL unit: the tool ends that "
     "statement there",
     "CALL p(f(a);L) x;", "CALL p(\n\tf(a);\n\tL ) x;\n"},
    {"the line it has kept ends where the layout ends it", "R CREATE/,\n/**/", "R CREATE /\n,\n/**/\n"},
    {"and an R after a comment, which the tool passes over to read a command",
     "select 1 from dual; -- c\n/* d */ R CREATE TABLE t (a int)", "select 1\nfrom dual;\n-- c\n/* d */ R CREATE TABLE t (a int)\n"},
    {"and an L after a \"/\" that nothing but a comment stands before: the tool ends a statement at that "
     "\"/\" and would read LIST where the line ended after the L",
     "--\n/L,", "--\n/ L ,\n"},
    {"exit with its semicolon", "select 1 from dual;\nexit;", "select 1\nfrom dual;\nexit;\n"},
};

// Wrapped units, Java sources and XQuery go through byte for byte up to their "/" line.
const rFmtCase arVerbatimCases[] = {
    {"a wrapped procedure",
     "create or replace procedure p wrapped\na000000\n1\nabcd\nAb+/cD==\n  x  y\n/\nselect 1 from dual;",
     "create or replace procedure p wrapped\na000000\n1\nabcd\nAb+/cD==\n  x  y\n/\nselect 1\nfrom dual;\n"},
    {"a wrapped package body with a quoted schema",
     "CREATE OR REPLACE EDITIONABLE PACKAGE BODY \"HR\".\"PAY\" wrapped \na000000\n  b2 ==\n/",
     "CREATE OR REPLACE EDITIONABLE PACKAGE BODY \"HR\".\"PAY\" wrapped \na000000\n  b2 ==\n/\n"},
    {"a wrapped type body", "create type body hr.t_obj wrapped\n0\n/", "create type body hr.t_obj wrapped\n0\n/\n"},
    {"a \"/\" line inside a comment of a wrapped unit's head ends nothing",
     "CREATE PROCEDURE p /* a\n/\n*/ WRAPPED\nabc+/d==\n/\nSELECT 1 FROM t;",
     "CREATE PROCEDURE p /* a\n/\n*/ WRAPPED\nabc+/d==\n/\nSELECT 1\nFROM t;\n"},
    {"a Java source with its comments and quotes",
     "create or replace and compile noforce java source named \"Hello\" as\n// x\npublic class Hello {\n"
     "  static String s() { return \"it's\"; } // c; /* d\n}\n/\nselect 1 from dual;",
     "create or replace and compile noforce java source named \"Hello\" as\n// x\npublic class Hello {\n"
     "  static String s() { return \"it's\"; } // c; /* d\n}\n/\nselect 1\nfrom dual;\n"},
    {"every header form of a Java source",
     "CREATE AND RESOLVE JAVA SOURCE NAMED a AS class A {  int i;  }\n/\nCREATE JAVA SOURCE NAMED b AS\nclass B {}\n/",
     "CREATE AND RESOLVE JAVA SOURCE NAMED a AS class A {  int i;  }\n/\nCREATE JAVA SOURCE NAMED b AS\nclass B {}\n/\n"},
    {"a Java source after a statement on its line", "select 1 from dual; create java source named x as class X {}\n/",
     "select 1\nfrom dual;\ncreate java source named x as class X {}\n/\n"},
    {"an XQuery", "xquery for $i in (1,  2) return $i\n/\nselect 1 from dual;",
     "xquery for $i in (1,  2) return $i\n/\nselect 1\nfrom dual;\n"},
    {"a unit named wrapped is code", "create or replace procedure wrapped is begin null; end;\n/",
     "create or replace procedure wrapped is\nbegin\n\tnull;\nend;\n/\n"},
};

const rFmtCase arConstructCases[] = {
    {"PL/SQL's block words are columns in SQL",
     "SELECT id, end FROM periods WHERE begin <= SYSDATE;\nUPDATE periods SET begin = 1, loop = 2;\n"
     "CREATE TABLE periods (id NUMBER, begin DATE, end DATE);",
     "SELECT id\n, end\nFROM periods\nWHERE begin <= SYSDATE;\nUPDATE periods\nSET begin = 1\n, loop = 2;\n"
     "CREATE TABLE periods (id NUMBER, begin DATE, end DATE);\n"},
    {"and so are the unit kinds and CURSOR",
     "SELECT function FROM t WHERE cursor = 1;\nINSERT INTO t (package, procedure) VALUES (1, 2);",
     "SELECT function\nFROM t\nWHERE cursor = 1;\nINSERT\nINTO t (package, procedure) VALUES (1, 2);\n"},
    {"PACKAGE is a name where no CREATE makes a package (PL/SQL does not reserve it)",
     "DECLARE package VARCHAR2(10); BEGIN SELECT package INTO v FROM t; END;",
     "DECLARE\n\tpackage VARCHAR2(10);\nBEGIN\n\tSELECT package\n\tINTO v\n\tFROM t;\nEND;\n"},
    {"and in MERGE",
     "MERGE INTO t USING s ON (t.id = s.id) WHEN MATCHED THEN UPDATE SET end = s.y;",
     "MERGE\nINTO t\nUSING s\nON (t.id = s.id)\nWHEN MATCHED THEN UPDATE\nSET end = s.y;\n"},
    {"and in EXPLAIN PLAN, GRANT and the other statements of SQL",
     "EXPLAIN PLAN FOR SELECT begin, end FROM periods WHERE loop = 1;\nGRANT SELECT ON loop TO x;\n"
     "BEGIN COMMIT; IF a THEN ROLLBACK; END IF; END;",
     "EXPLAIN PLAN FOR SELECT begin\n, end\nFROM periods\nWHERE loop = 1;\nGRANT SELECT\nON loop TO x;\n"
     "BEGIN\n\tCOMMIT;\n\tIF a THEN\n\t\tROLLBACK;\n\tEND IF;\nEND;\n"},
    {"after a SQL statement's \";\" the block words are PL/SQL's again",
     "SELECT a INTO b FROM t; IF b > 0 THEN BEGIN c; END; END IF;",
     "SELECT a\nINTO b\nFROM t;\nIF b > 0 THEN\n\tBEGIN\n\t\tc;\n\tEND;\nEND IF;\n"},
    {"IF EXISTS and IF NOT EXISTS in DDL open no block",
     "DROP TABLE t IF EXISTS;\nCREATE TABLE IF NOT EXISTS t (a NUMBER);",
     "DROP TABLE t IF EXISTS;\nCREATE TABLE IF NOT EXISTS t (a NUMBER);\n"},
    {"CONTINUE WHEN keeps its condition as EXIT WHEN does, a CASE in it too",
     "BEGIN LOOP EXIT WHEN a = CASE WHEN b THEN 1 END; CONTINUE WHEN a = CASE WHEN b THEN 1 END; END LOOP; END;",
     "BEGIN\n\tLOOP\n\t\tEXIT WHEN a = CASE\n\t\tWHEN b THEN 1\n\t\tEND;\n\t\tCONTINUE WHEN a = CASE\n\t\tWHEN b THEN 1\n"
     "\t\tEND;\n\tEND LOOP;\nEND;\n"},
    {"CONTINUE WHEN stays on its line",
     "BEGIN LOOP CONTINUE WHEN i > 1; i := i + 1; END LOOP; END;",
     "BEGIN\n\tLOOP\n\t\tCONTINUE WHEN i > 1;\n\t\ti := i + 1;\n\tEND LOOP;\nEND;\n"},
    {"CASE after || and after (",
     "BEGIN x := 'a' || CASE WHEN b THEN 'c' END; y := f(CASE d WHEN 1 THEN 2 END); END;",
     "BEGIN\n\tx := 'a' || CASE\n\tWHEN b THEN 'c'\n\tEND;\n\ty := f(CASE d\n\tWHEN 1 THEN 2\n\tEND);\nEND;\n"},
    {"object type attributes like a parameter list",
     "CREATE TYPE t AS OBJECT (a NUMBER, b VARCHAR2(10), MEMBER FUNCTION f RETURN NUMBER);",
     "CREATE TYPE t AS OBJECT (\n\ta NUMBER\n\t, b VARCHAR2(10)\n\t, MEMBER FUNCTION f RETURN NUMBER\n);\n"},
    {"type body with a constructor",
     "CREATE TYPE BODY t AS CONSTRUCTOR FUNCTION t RETURN SELF AS RESULT IS BEGIN RETURN; END; END;",
     "CREATE TYPE BODY t AS\n\tCONSTRUCTOR FUNCTION t RETURN SELF AS RESULT IS\n\tBEGIN\n\t\tRETURN;\n\tEND;\nEND;\n"},
    {"conditional compilation indented like IF",
     "BEGIN $IF DBMS_DB_VERSION.VER_LE_11 $THEN x := 1; $ELSE x := 2; $END END;",
     "BEGIN\n\t$IF DBMS_DB_VERSION.VER_LE_11 $THEN\n\t\tx := 1;\n\t$ELSE\n\t\tx := 2;\n\t$END\nEND;\n"},
    {"compound trigger with a timing point",
     "CREATE TRIGGER tr FOR INSERT ON t COMPOUND TRIGGER BEFORE STATEMENT IS BEGIN NULL; END BEFORE STATEMENT; END tr;",
     "CREATE TRIGGER tr FOR INSERT\nON t COMPOUND TRIGGER\n\tBEFORE STATEMENT IS\n\tBEGIN\n\t\tNULL;\n\tEND BEFORE STATEMENT;\nEND tr;\n"},
    {"WITH FUNCTION in a query",
     "WITH FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END; SELECT f FROM dual",
     "WITH FUNCTION f RETURN NUMBER IS\nBEGIN\n\tRETURN 1;\nEND;\nSELECT f\nFROM dual\n"},
    {"END LOOP with its label",
     "BEGIN <<outer>> LOOP NULL; END LOOP outer; END;",
     "BEGIN\n\t<<outer>> LOOP\n\t\tNULL;\n\tEND LOOP outer;\nEND;\n"},
    {"a line comment after the last \";\"",
     "x VARCHAR2(255);-- := v('P0')",
     "x VARCHAR2(255);\n-- := v('P0')\n"},
};

// Valid units whose block structure comes from their words: a schema's unit closed by END and
// its name, unit kinds that name units (ACCESSIBLE BY), subprograms whose body is external, CASE
// right before LOOP, EXCEPTION as a name, conditional compilation in a parameter list and a branch
// never compiled, CREATE PACKAGE IF NOT EXISTS; and a branch word never below the first line.
const rFmtCase arValidUnitCases[] = {
    {"A: a schema-qualified unit closed by END and its name",
     "CREATE OR REPLACE PACKAGE hr_admin.payroll_api AS PROCEDURE close_month(p_month IN DATE); END payroll_api;",
     "CREATE OR REPLACE PACKAGE hr_admin.payroll_api AS\n\tPROCEDURE close_month(p_month IN DATE);\nEND payroll_api;\n"},
    {"A: a quoted schema and unit, END with the unquoted name",
     "CREATE OR REPLACE PACKAGE BODY \"HR\".\"PAY\" AS PROCEDURE p IS BEGIN NULL; END p; END pay;",
     "CREATE OR REPLACE PACKAGE BODY \"HR\".\"PAY\" AS\n\tPROCEDURE p IS\n\tBEGIN\n\t\tNULL;\n\tEND p;\nEND pay;\n"},
    {"B: ACCESSIBLE BY on a subprogram",
     "CREATE OR REPLACE PACKAGE BODY tax_calc AS FUNCTION vat(p_net IN NUMBER) RETURN NUMBER ACCESSIBLE BY (PACKAGE invoice_api) IS BEGIN RETURN p_net * 0.2; END vat; END tax_calc;",
     "CREATE OR REPLACE PACKAGE BODY tax_calc AS\n\tFUNCTION vat(\n\t\tp_net IN NUMBER\n\t) RETURN NUMBER ACCESSIBLE BY (\n\t\tPACKAGE invoice_api\n\t) IS\n\tBEGIN\n\t\tRETURN p_net * 0.2;\n\tEND vat;\nEND tax_calc;\n"},
    {"B: a unit kind after ( or , names a unit",
     "create or replace procedure a accessible by (package q, procedure r) is begin null; end a;",
     "create or replace procedure a accessible by (\n\tpackage q\n\t, procedure r\n) is\nbegin\n\tnull;\nend a;\n"},
    {"C: an external body (LANGUAGE C) has no BEGIN",
     "CREATE OR REPLACE FUNCTION crc32(p_data IN RAW) RETURN NUMBER AS LANGUAGE C LIBRARY crypto_lib NAME \"crc32_calc\";",
     "CREATE OR REPLACE FUNCTION crc32(\n\tp_data IN RAW\n) RETURN NUMBER AS LANGUAGE C LIBRARY crypto_lib NAME \"crc32_calc\";\n"},
    {"C: external bodies among subprograms",
     "CREATE PACKAGE BODY p AS FUNCTION f RETURN NUMBER IS LANGUAGE JAVA NAME 'A.f() return int'; PROCEDURE g IS BEGIN NULL; END g; END p;",
     "CREATE PACKAGE BODY p AS\n\tFUNCTION f RETURN NUMBER IS LANGUAGE JAVA NAME 'A.f() return int';\n\tPROCEDURE g IS\n\tBEGIN\n\t\tNULL;\n\tEND g;\nEND p;\n"},
    {"D: a CASE right before LOOP",
     "BEGIN FOR k IN 1 .. CASE WHEN g_full THEN 12 ELSE 4 END LOOP process_quarter(k); END LOOP; END;",
     "BEGIN\n\tFOR k IN 1 .. CASE\n\tWHEN g_full THEN 12\n\tELSE 4\n\tEND LOOP\n\t\tprocess_quarter(k);\n\tEND LOOP;\nEND;\n"},
    {"D: the IFs and LOOPs of a CASE statement's branches",
     "BEGIN CASE x WHEN 1 THEN LOOP a; END LOOP; ELSE NULL; END CASE; END;",
     "BEGIN\n\tCASE x\n\tWHEN 1 THEN\n\t\tLOOP\n\t\t\ta;\n\t\tEND LOOP;\n\tELSE\n\t\tNULL;\n\tEND CASE;\nEND;\n"},
    {"LOOP is a name in a block's SQL statements; the LOOPs of FOR and WHILE and one that begins a statement open",
     "DECLARE CURSOR c IS SELECT loop FROM t; BEGIN SELECT loop INTO v FROM t; OPEN c FOR SELECT loop FROM t; "
     "FOR r IN (SELECT loop FROM t) LOOP WHILE x LOOP LOOP EXIT; END LOOP; END LOOP; END LOOP; END;",
     "DECLARE\n\tCURSOR c IS\n\t\tSELECT loop\n\t\tFROM t\n\t;\nBEGIN\n\tSELECT loop\n\tINTO v\n\tFROM t;\n\tOPEN c FOR SELECT loop\n"
     "\tFROM t;\n\tFOR r IN (\n\t\tSELECT loop\n\t\tFROM t\n\t) LOOP\n\t\tWHILE x LOOP\n\t\t\tLOOP\n\t\t\t\tEXIT;\n\t\t\tEND LOOP;\n"
     "\t\tEND LOOP;\n\tEND LOOP;\nEND;\n"},
    {"a statement begins after a branch of $IF that is never compiled",
     "BEGIN $IF FALSE $THEN <%= x %> $END FOR i IN 1..2 LOOP NULL; END LOOP; END;",
     "BEGIN\n\t$IF FALSE $THEN\n\t\t<%= x %>\n\t$END\n\tFOR i IN 1..2 LOOP\n\t\tNULL;\n\tEND LOOP;\nEND;\n"},
    {"E: a column named exception",
     "BEGIN UPDATE job_runs SET exception = 'timeout' WHERE run_id = 7; EXCEPTION WHEN OTHERS THEN NULL; END;",
     "BEGIN\n\tUPDATE job_runs\n\tSET exception = 'timeout'\n\tWHERE run_id = 7;\nEXCEPTION\n\tWHEN OTHERS THEN\n\t\tNULL;\nEND;\n"},
    {"F: $IF in a parameter list",
     "CREATE OR REPLACE PACKAGE BODY report_pkg IS PROCEDURE export_all ($IF $$with_apex $THEN p_app_id NUMBER, $END p_dir VARCHAR2) IS BEGIN NULL; END export_all; PROCEDURE retry_jobs IS BEGIN LOOP BEGIN run_job; END; END LOOP; END retry_jobs; END report_pkg;",
     "CREATE OR REPLACE PACKAGE BODY report_pkg IS\n\tPROCEDURE export_all (\n\t\t$IF $$with_apex $THEN p_app_id NUMBER\n\t\t, $END p_dir VARCHAR2\n\t) IS\n\tBEGIN\n\t\tNULL;\n\tEND export_all;\n\tPROCEDURE retry_jobs IS\n\tBEGIN\n\t\tLOOP\n\t\t\tBEGIN\n\t\t\t\trun_job;\n\t\t\tEND;\n\t\tEND LOOP;\n\tEND retry_jobs;\nEND report_pkg;\n"},
    {"G: the text of a branch never compiled",
     "CREATE OR REPLACE PROCEDURE gen_docs AS BEGIN NULL; $IF FALSE $THEN <%= header %> if nullable then mark it $END END gen_docs;",
     "CREATE OR REPLACE PROCEDURE gen_docs AS\nBEGIN\n\tNULL;\n\t$IF FALSE $THEN\n\t\t<%= header %> if nullable then mark it\n\t$END\nEND gen_docs;\n"},
    {"H: CREATE PACKAGE IF NOT EXISTS",
     "CREATE PACKAGE IF NOT EXISTS audit_api AS PROCEDURE log_event(p_msg IN VARCHAR2); END audit_api;",
     "CREATE PACKAGE IF NOT EXISTS audit_api AS\n\tPROCEDURE log_event(p_msg IN VARCHAR2);\nEND audit_api;\n"},
    {"a labelled block closed by END and its label",
     "BEGIN <<outer>> BEGIN NULL; END outer; END;",
     "BEGIN\n\t<<outer>> BEGIN\n\t\tNULL;\n\tEND outer;\nEND;\n"},
    {"a column named function is no header",
     "CREATE TABLE t (a NUMBER, function VARCHAR2(64), action VARCHAR2(64));",
     "CREATE TABLE t (\n\ta NUMBER\n\t, function VARCHAR2(64)\n\t, action VARCHAR2(64)\n);\n"},
    {"FROM among a call's arguments is no clause",
     "SELECT EXTRACT(HOUR FROM (SYSTIMESTAMP - INTERVAL '1' HOUR)) h, TRIM(BOTH ' ' FROM some_long_column_name || other_column) t FROM dual;",
     "SELECT EXTRACT(\n\tHOUR FROM (SYSTIMESTAMP - INTERVAL '1' HOUR)\n) h\n, TRIM(\n\tBOTH ' ' FROM some_long_column_name || other_column\n) t\nFROM dual;\n"},
    {"a block inside a handler ends at its own level, its own handlers too",
     "begin x; exception when others then declare m number; begin y; exception when others then null; end; end;",
     "begin\n\tx;\nexception\n\twhen others then\n\t\tdeclare\n\t\t\tm number;\n\t\tbegin\n\t\t\ty;\n\t\texception\n"
     "\t\t\twhen others then\n\t\t\t\tnull;\n\t\tend;\nend;\n"},
    {"a subprogram of an anonymous block's declarations is laid out as one of a package",
     "DECLARE v NUMBER := 0; FUNCTION add1(x NUMBER) RETURN NUMBER IS BEGIN RETURN x + 1; END; PROCEDURE p; BEGIN v := add1(v); END;",
     "DECLARE\n\tv NUMBER := 0;\n\tFUNCTION add1(\n\t\tx NUMBER\n\t) RETURN NUMBER IS\n\tBEGIN\n\t\tRETURN x + 1;\n\tEND;\n"
     "\tPROCEDURE p;\nBEGIN\n\tv := add1(v);\nEND;\n"},
    {"an indented IF at a text's start keeps its layout",
     "\n\tIF a THEN\n\t\tx := 1;\n\tELSE\n\t\tx := 2;\n\tEND IF;\n",
     "\tIF a THEN\n\t\tx := 1;\n\tELSE\n\t\tx := 2;\n\tEND IF;\n"},
    {"a piece of a body piped from an editor: IF at its start opens a block",
     "IF x > 0 THEN y := 1; FOR i IN 1..10 LOOP EXIT WHEN i > 5; END LOOP; END IF;",
     "IF x > 0 THEN\n\ty := 1;\n\tFOR i IN 1..10 LOOP\n\t\tEXIT WHEN i > 5;\n\tEND LOOP;\nEND IF;\n"},
    {"so does LOOP", "LOOP FETCH c INTO r; EXIT WHEN c%NOTFOUND; END LOOP;",
     "LOOP\n\tFETCH c\n\tINTO r;\n\tEXIT WHEN c%NOTFOUND;\nEND LOOP;\n"},
    {"a CASE expression at a text's start is laid out as anywhere else",
     "CASE WHEN a > 1 THEN 1 WHEN b IS NULL THEN 2 ELSE 3 END", "CASE\nWHEN a > 1 THEN 1\nWHEN b IS NULL THEN 2\nELSE 3\nEND\n"},
    {"a CASE statement there, a piece of a unit, is known by its END CASE: a block, as inside its unit",
     "CASE x WHEN 1 THEN y := 1; WHEN 2 THEN y := 3; ELSE y := 2; END CASE;",
     "CASE x\nWHEN 1 THEN\n\ty := 1;\nWHEN 2 THEN\n\ty := 3;\nELSE\n\ty := 2;\nEND CASE;\n"},
    {"an END CASE in a literal is none", "CASE WHEN a THEN 'END CASE' END", "CASE\nWHEN a THEN 'END CASE'\nEND\n"},
    {"nor one after the \"/\" that ends the unit, which a second run finds on a line of its own",
     "CASE on+end;/END CASE", "CASE on+\nend;\n/\nEND CASE\n"},
    {"a CASE statement that an editor cut before its END CASE is copied as a CASE scan copies it, up to the "
     "\";\" that ends the text, after which a line ends as after any statement",
     "x := 1; CASE v WHEN 1 THEN y := 2;", "x := 1;\nCASE v\nWHEN 1 THEN y := 2;\n"},
};

// Joining (-j) of a statement that arrives cut into lines: the line feeds go, but those that end
// a line comment; a chunk that ends in a double-byte character (あ) before one empty line is
// glued to the next with "__" while the next line is shorter than the limit.
const rFmtCase arJoinCases[] = {
    {"clauses run together", "  SELECT a\n\nFROM t\nWHERE b", "SELECT aFROM tWHERE b\n"},
    {"line comment keeps its line feed", "SELECT a -- c\nFROM t", "SELECT a -- c\nFROM t\n"},
    {"a block comment loses its line feeds, a literal keeps them", "SELECT /* x\ny */\n'a\nb' FROM t",
     "SELECT /* x\ny */'a\nb'\nFROM t\n"},
    {"a lead byte before a line feed is a byte of its own", "SELECT \x82\nx\ny", "SELECT \x82xy\n"},
    {"glue keeps the next line whole", "SELECT ab\x82\xA0\n\nxyz FROM t", "SELECT ab\x82\xA0__xyz\nFROM t\n"},
    {"no glue after two empty lines", "ab\x82\xA0\n\n\nxyz", "ab\x82\xA0xyz\n"},
    {"no glue at the end of the text", "ab\x82\xA0\n\n", "ab\x82\xA0\n"},
    {"no glue after a single-byte end", "abc\n\nxyz", "abcxyz\n"},
};

TEST(FmtLayout, WorkedExamples) { vCheck(arWorkedCases, std::size(arWorkedCases)); }
TEST(FmtLayout, ClausesAndWhiteSpace) { vCheck(arClauseCases, std::size(arClauseCases)); }
TEST(FmtLayout, ParenthesesAndCommas) { vCheck(arParenCases, std::size(arParenCases)); }
TEST(FmtLayout, PlSqlBlocks) { vCheck(arBlockCases, std::size(arBlockCases)); }
TEST(FmtLayout, Comments) { vCheck(arCommentCases, std::size(arCommentCases)); }
TEST(FmtLayout, ShiftJisText) { vCheck(arShiftJisCases, std::size(arShiftJisCases)); }
TEST(FmtLayout, OtherEncodings) { vCheck(arOtherEncodingCases, std::size(arOtherEncodingCases)); }
TEST(FmtLayout, ScriptCommands) { vCheck(arScriptCases, std::size(arScriptCases)); }
TEST(FmtLayout, NewerConstructs) { vCheck(arConstructCases, std::size(arConstructCases)); }
TEST(FmtLayout, NumbersAndOperators) { vCheck(arNumberOperatorCases, std::size(arNumberOperatorCases)); }
TEST(FmtLayout, EveryCommandOfTheTool) { vCheck(arCommandSetCases, std::size(arCommandSetCases)); }
TEST(FmtLayout, UnitsCarriedWhole) { vCheck(arVerbatimCases, std::size(arVerbatimCases)); }
TEST(FmtLayout, EveryValidUnit) { vCheck(arValidUnitCases, std::size(arValidUnitCases)); }

// A block comment on a first line of long indentation: the comment's line indentation is kept
// while the block that holds it grows (the sanitized build watches the bytes).
TEST(FmtLayout, CommentOnADeeplyIndentedFirstLine) {
    const std::string sTabs(120, '\t');
    FmtResult r = rFormat(sTabs + "/* a\n" + sTabs + " b */ x");
    ASSERT_EQ(RC_OK, r.rc) << r.sMsg;
    EXPECT_EQ(sTabs + "/* a\n" + sTabs + " b */ x\n", r.sOut);
}

// A label's size counts its bytes but white space: the blanks that the normalisation gives its
// commas leave it a label, its ">>" whole. One of 259 such bytes is one; of 260, two operators.
TEST(FmtLayout, LabelSizeLeavesWhiteSpaceOut) {
    std::string sCommas;
    for (int i = 0; i < 150; ++i) sCommas += ", ";
    FmtResult r = rFormat("BEGIN <<a" + std::string(150, ',') + "b>> NULL; END;");
    ASSERT_EQ(RC_OK, r.rc) << r.sMsg;
    EXPECT_EQ("BEGIN\n\t<<a" + sCommas + "b>> NULL;\nEND;\n", r.sOut);
    r = rFormat("BEGIN <<" + std::string(259, 'a') + ">> NULL; END;");
    EXPECT_EQ("BEGIN\n\t<<" + std::string(259, 'a') + ">> NULL;\nEND;\n", r.sOut);
    r = rFormat("BEGIN <<" + std::string(260, 'a') + ">> NULL; END;");
    EXPECT_EQ("BEGIN\n\t<< " + std::string(260, 'a') + " > > NULL;\nEND;\n", r.sOut);
}

TEST(FmtLayout, NulIsAnOrdinaryByte) {
    const std::string sIn("select a,\0b from t", 18), sWant("select a\n, \0b\nfrom t\n", 21);
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    char *szOut = nullptr;
    ConsoleCapture cap;
    ASSERT_EQ(RC_OK, rcFmtStmtLen(sIn.data(), sIn.size(), &szOut, &rStyle));
    EXPECT_EQ(sWant, std::string(szOut, static_cast<size_t>(rStyle.iFmtLen)));
    vFree(szOut);
}
TEST(FmtOptions, JoinAt) { vCheck(arJoinCases, std::size(arJoinCases), true, 256); }

TEST(FmtOptions, TabsInsideTextStay) {
    const rFmtCase arCases[] = {{"TAB in a comment", "x /*a \t b*/", "x /*a \t b*/\n"}};
    vCheck(arCases, std::size(arCases), false);
}

TEST(FmtOptions, IndentWidthAndGlueLimit) {
    EXPECT_EQ("        SELECT a\n        FROM t\n", rFormat("        SELECT a FROM t", "  ").sOut);
    EXPECT_EQ("        SELECT a\n        FROM t\n", rFormat("\t\t SELECT a FROM t", "    ").sOut);
    EXPECT_EQ("ab\x82\xA0xyz\n", rFormat("ab\x82\xA0\n\nxyz", "\t", 14, 50, 4).sOut);
    EXPECT_EQ("ab\x82\xA0__xyz\n", rFormat("ab\x82\xA0\n\nxyz", "\t", 14, 50, 5).sOut);
}

// Blank lines kept: one empty line where the author had one or more between statements,
// declarations and subprograms of a block and between the statements and commands of a script;
// none inside a statement, before what closes a block or a branch, at the start or at the end.
// Dropped (the default), the same text without its empty lines.
TEST(FmtOptions, BlankLinesKept) {
    const struct { const char *szName, *szIn, *szWant; } arCases[] = {
        {"between statements of a script, none inside a statement",
         "select 1 from dual;\n\n\nselect 2\n\nfrom dual;\n\n",
         "select 1\nfrom dual;\n\nselect 2\nfrom dual;\n"},
        {"between declarations, statements and subprograms, none before EXCEPTION or END",
         "create package body p as\n  g number;\n\n  procedure a is\n  begin\n    x := 1;\n\n    y := 2;\n\n"
         "  exception\n    when others then\n      null;\n\n  end a;\n\n\n  procedure b is begin null; end b;\n\nend p;",
         "create package body p as\n\tg number;\n\n\tprocedure a is\n\tbegin\n\t\tx := 1;\n\n\t\ty := 2;\n"
         "\texception\n\t\twhen others then\n\t\t\tnull;\n\tend a;\n\n\tprocedure b is\n\tbegin\n\t\tnull;\n"
         "\tend b;\nend p;\n"},
        {"around commands and slash lines", "\n\nset echo on\n\n\nprompt a\nbegin null; end;\n/\n\ncreate table t (a number);\n\nexit\n",
         "set echo on\n\nprompt a\nbegin\n\tnull;\nend;\n/\n\ncreate table t (a number);\n\nexit\n"},
        {"none before ELSE, ELSIF or WHEN", "begin if a then x;\n\nelsif b then y;\n\nelse z;\n\nend if; end;",
         "begin\n\tif a then\n\t\tx;\n\telsif b then\n\t\ty;\n\telse\n\t\tz;\n\tend if;\nend;\n"},
        {"a comment after the empty line", "x := 1;\n\n-- next\ny := 2;", "x := 1;\n\n-- next\ny := 2;\n"},
    };
    auto sFormat = [](const std::string &sIn, bool bKeep) {
        StmtStyle rStyle;
        vDefaultStmtStyle(&rStyle);
        rStyle.bKeepBlankLines = bKeep;
        ConsoleCapture cap;
        char *szOut = nullptr;
        std::string s = rcFmtStmtLen(sIn.data(), sIn.size(), &szOut, &rStyle) == RC_OK ? szOut : "(refused)";
        vFree(szOut);
        return s;
    };
    for (const auto &c : arCases) {
        const std::string sKept = sFormat(c.szIn, true);
        EXPECT_EQ(c.szWant, sKept) << c.szName << ": " << sFirstDiff(c.szWant, sKept);
        EXPECT_EQ(sKept, sFormat(sKept, true)) << c.szName << ": second run";
        std::string sNoEmpty = c.szWant;
        for (size_t i; (i = sNoEmpty.find("\n\n")) != std::string::npos;) sNoEmpty.erase(i, 1);
        EXPECT_EQ(sNoEmpty, sFormat(c.szIn, false)) << c.szName << ": dropped";
    }
}

// A list of nElems elements whose part measures nSize bytes from "(" up to ")".
std::string sList(int nElems, size_t nSize) {
    std::string s = "(";
    for (int i = 1; i < nElems; ++i) s += std::string(1, static_cast<char>('a' + i)) + ", ";
    s += "a";
    s.insert(1, std::string(nSize - s.size(), 'x'));
    return s + ")";
}

TEST(FmtOptions, CommaAndSizeThresholds) {
    const struct { const char *szName; int nElems; size_t nSize; bool bBroken; } arCases[] = {
        {"13 commas, 50 bytes", 14, 50, false}, {"13 commas, 51 bytes", 14, 51, true}, {"14 commas", 15, 44, true}};
    for (const auto &c : arCases) {
        std::string sPart = sList(c.nElems, c.nSize), sWant = sPart;
        if (c.bBroken) {
            sWant = "(\n\t";
            for (char ch : sPart.substr(1, sPart.size() - 2))
                sWant += ch == ',' ? std::string("\n\t,") : std::string(1, ch);
            sWant += "\n)";
        }
        FmtResult r = rFormat("SELECT a FROM t WHERE x IN " + sPart);
        EXPECT_EQ("SELECT a\nFROM t\nWHERE x IN " + sWant + "\n", r.sOut) << c.szName;
    }
    EXPECT_EQ("SELECT f(a, b)\n", rFormat("SELECT f(a, b)", "\t", 2).sOut);
    EXPECT_EQ("SELECT f(\n\ta\n\t, b\n\t, c\n)\n", rFormat("SELECT f(a, b, c)", "\t", 2).sOut);
    EXPECT_EQ("SELECT f(\n\ta\n\t, g(b, c)\n)\nFROM t\n", rFormat("SELECT f(a, g(b, c)) FROM t", "\t", 2).sOut);
    EXPECT_EQ("SELECT f(abcd)\n", rFormat("SELECT f(abcd)", "\t", 14, 5).sOut);
    EXPECT_EQ("SELECT f(\n\tabcde\n)\n", rFormat("SELECT f(abcde)", "\t", 14, 5).sOut);
    // Comment moves leave two blanks after the first comma; the size counts the one written.
    const char szMoved[] = "SELECT f(x,/*a*/,/*b*/ b) FROM t";
    EXPECT_EQ("SELECT f(x /*a*/ /*b*/, , b)\nFROM t\n", rFormat(szMoved, "\t", 14, 19).sOut);
    EXPECT_EQ("SELECT f(\n\tx /*a*/ /*b*/\n\t,\n\t, b\n)\nFROM t\n", rFormat(szMoved, "\t", 14, 18).sOut);
    // A comment moved in front of a comma after a ";" takes a blank with it; no size counts it,
    // as the layout breaks the line after the ";".
    const char szAfterSemi[] = "(aaaa;,/*aaaaaa*/ aa+aa+aa+aa+aa+aa+aa)";
    EXPECT_EQ("(aaaa;\n/*aaaaaa*/, aa + aa + aa + aa + aa + aa + aa)\n", rFormat(szAfterSemi).sOut);
    EXPECT_EQ("(\n\taaaa;\n\t/*aaaaaa*/\n\t, aa + aa + aa + aa + aa + aa + aa\n)\n", rFormat(szAfterSemi, "\t", 14, 49).sOut);
    // A header that a line comment's move put behind it leaves its blank after that comment's line
    // feed, at the start of a line, where the layout writes none and no size counts it.
    const char szAfterLineCmt[] = "(aaaa Package -- c\n, bb, cc)";
    EXPECT_EQ("(aaaa\n-- c\nPackage, bb, cc)\n", rFormat(szAfterLineCmt, "\t", 14, 26).sOut);
    EXPECT_EQ("(\n\taaaa\n\t-- c\n\tPackage\n\t, bb\n\t, cc\n)\n", rFormat(szAfterLineCmt, "\t", 14, 25).sOut);
}

// Line ends: those the layout writes and those between tokens come out as asked (LF or CR LF),
// whatever the text had; those inside literals and block comments, wrapped units and Java
// sources are data. Each output is a fixed point under its option.
TEST(FmtLineEnds, OnlyThoseBetweenTokensChange) {
    const struct { const char *szName, *szIn, *szLf, *szCrLf; } arCases[] = {
        {"a literal's LF", "select 'a\nb' from t;", "select 'a\nb'\nfrom t;\n", "select 'a\nb'\r\nfrom t;\r\n"},
        {"a literal's CR LF", "select 'c\r\nd' from t;\r\n", "select 'c\r\nd'\nfrom t;\n", "select 'c\r\nd'\r\nfrom t;\r\n"},
        {"a q-quote's mixed line ends", "select q'[a\r\nb\nc]' from t;", "select q'[a\r\nb\nc]'\nfrom t;\n",
         "select q'[a\r\nb\nc]'\r\nfrom t;\r\n"},
        {"a line comment's line end", "select a -- c\r\nfrom t;", "select a -- c\nfrom t;\n", "select a -- c\r\nfrom t;\r\n"},
        {"carriage returns before a line end", "-- x\r\r\nselect a\r\r\nfrom t;", "-- x\nselect a\nfrom t;\n",
         "-- x\r\nselect a\r\nfrom t;\r\n"},
        {"a block comment's line ends", "/* a\r\n b\n */ select 1 from dual;", "/* a\r\n b\n */ select 1\nfrom dual;\n",
         "/* a\r\n b\n */ select 1\r\nfrom dual;\r\n"},
        {"a quote inside a line comment opens no literal", "-- it's\r\nselect 'a\r\nb' from t;",
         "-- it's\nselect 'a\r\nb'\nfrom t;\n", "-- it's\r\nselect 'a\r\nb'\r\nfrom t;\r\n"},
        {"a command's line end", "prompt x\r\nselect 1 from dual;\r\n", "prompt x\nselect 1\nfrom dual;\n",
         "prompt x\r\nselect 1\r\nfrom dual;\r\n"},
        {"a wrapped unit's line ends", "create procedure p wrapped\r\na\nb\r\n/\r\n", "create procedure p wrapped\r\na\nb\r\n/\n",
         "create procedure p wrapped\r\na\nb\r\n/\r\n"},
    };
    for (const auto &c : arCases) {
        for (bool bCrLf : {false, true}) {
            StmtStyle rStyle;
            vDefaultStmtStyle(&rStyle);
            rStyle.bCrLf = bCrLf;
            const std::string sWant = bCrLf ? c.szCrLf : c.szLf;
            std::string sOut = c.szIn;
            for (int iRun = 0; iRun < 2; ++iRun) {
                char *szOut = nullptr;
                ConsoleCapture cap;
                ASSERT_EQ(RC_OK, rcFmtStmtLen(sOut.data(), sOut.size(), &szOut, &rStyle)) << c.szName;
                sOut.assign(szOut, static_cast<size_t>(rStyle.iFmtLen));
                vFree(szOut);
                EXPECT_EQ(sWant, sOut) << c.szName << (bCrLf ? " (CR LF)" : " (LF)") << (iRun > 0 ? ", second run" : "")
                                       << ": " << sFirstDiff(sWant, sOut);
            }
        }
    }
}

// Failures: the code, the message, the trail lines and the dump, compared whole; a failure
// hands over no output buffer and sets no length.
TEST(FmtFailure, ReportsWhole) {
    const std::string sSkipCmt = sTrail("rcSkipCmt", ".\\rcFmtStmt", 125);
    const std::string sHead = sOverrun + sSjis("関数に渡されたバッファ領域の先端部：\n");
    const std::string sMetrix = sTrail("rcGetMetrix", ".\\rcFmtStmt", 211) + sTrail("rcFmtStmt", ".\\rcFmtStmt", 1034);
    const std::string sLong = std::string(300, 'y'), sA(200, 'a'), sBs(150, 'b');
    // The line of the text where the failure was found.
    auto sAt = [](int iLine) { return sSjis(("整形できなかった位置は入力の " + std::to_string(iLine) + " 行目です。\n").c_str()); };
    auto sFmt = [](int iSite) { return sTrail("rcFmtStmt", ".\\rcFmtStmt", iSite); };
    const struct { const char *szName; std::string sIn; int32_t iJoinAt; int rc; std::string sMsg; } arCases[] = {
        {"empty statement", "  \n ", 0, RC_OVERRUN, sOverrun + sFmt(526) + sDump("", "")},
        {"dump of 128 bytes each side", sA + ") " + sBs, 0, RC_PAREN,
         sSjis("Error - 対応する開き括弧がありません。iIdt = -1, iOrgIdt = 0\n") + sFmt(1058) +
             sDump(sA.substr(72), (") " + sBs).substr(0, 128)) + sAt(1)},
        {"joining meets a line comment without its line end", "a\n-- c", 256, RC_OVERRUN,
         sOverrun + sSkipCmt + sTrail("rcJoinStmtChunk", ".\\rcFmtStmt", 331) + sFmt(478) + sDump("", "a\n-- c") + sAt(1)},
        {"( never closed", "SELECT (a FROM t", 0, RC_OVERRUN,
         sHead + "(a FROM t\n\n" + sMetrix + sDump("SELECT ", "(a FROM t\n") + sAt(1)},
        {"( never closed, a literal hides its )", "SELECT f(a, 'b) FROM t'", 0, RC_OVERRUN,
         sHead + "(a, 'b) FROM t'\n\n" + sMetrix + sDump("SELECT f", "(a, 'b) FROM t'\n") + sAt(1)},
        {"the buffer's head is its first 255 bytes", "SELECT f(" + sLong, 0, RC_OVERRUN,
         sHead + ("(" + sLong).substr(0, 255) + "\n" + sMetrix +
             sDump("SELECT f", ("(" + sLong + "\n").substr(0, 128)) + sAt(1)},
        {"one ) too many", "SELECT a) FROM t", 0, RC_PAREN,
         sSjis("Error - 対応する開き括弧がありません。iIdt = -1, iOrgIdt = 0\n") + sFmt(1058) +
             sDump("SELECT a", ") FROM t\n") + sAt(1)},
        {"block left open", "BEGIN NULL; END", 0, RC_PAREN,
         sSjis("Error - 対応する閉じ括弧がありません。iIdt = 1, iOrgIdt = 0\n") + sFmt(1466) +
             sDump("", "BEGIN NULL;END\n") + sAt(1)},
        {"a unit ends inside a parenthesis, whose level an END took back", "(()()END;/DECLARE x)", 0, RC_PAREN,
         sSjis("Error - 対応する閉じ括弧がありません。iIdt = 0, iOrgIdt = 0\n") + sFmt(1466) +
             sDump("(() () END;", "/DECLARE x)\n") + sAt(1)},
        {"the block never closed is named, not the last line", "x := 1;\nBEGIN\n  IF a THEN\n    y := 2;\n  END IF;\n  z := 3;\n",
         0, RC_PAREN,
         sSjis("Error - 対応する閉じ括弧がありません。iIdt = 1, iOrgIdt = 0\n") + sFmt(1466) +
             sDump("x := 1;", "BEGIN IF a THEN y := 2;END IF;z := 3;") + sAt(2)},
        {"first line indented by 512 levels", std::string(512, '\t') + "x;", 0, RC_MAXIDT,
         sSjis("Error - 字下げ量の最大値（= 512）を超えました。\n") + sFmt(1043) + sDump("", "x;") + sAt(1)},
    };
    for (const auto &c : arCases) {
        FmtResult r = rFormat(c.sIn, "\t", 14, 50, c.iJoinAt);
        EXPECT_EQ(c.rc, r.rc) << c.szName;
        EXPECT_EQ(c.sMsg, r.sMsg) << c.szName << ": " << sFirstDiff(c.sMsg, r.sMsg);
        EXPECT_FALSE(r.bOut) << c.szName;
        EXPECT_EQ(-1, r.iFmtLen) << c.szName;
    }
}

// A text that ends inside a literal, a q-quote, a quoted name or a block comment is refused as
// it is, naming the line where it opened: the stray quote would make the author's text code.
TEST(FmtFailure, TextLeftOpenIsRefused) {
    auto sOpenLit = [](int iLine) {
        return sSjis(("Error - 入力の " + std::to_string(iLine) + " 行目で始まるリテラルが閉じられていません。\n").c_str()) +
               sTrail("rcFmtStmt", ".\\rcFmtStmt", 1484);
    };
    auto sOpenCmt = [](int iLine) {
        return sSjis(("Error - 入力の " + std::to_string(iLine) + " 行目で始まるコメントが閉じられていません。\n").c_str()) +
               sTrail("rcFmtStmt", ".\\rcFmtStmt", 1484);
    };
    const struct { const char *szName, *szIn; std::string sMsg; } arCases[] = {
        {"a quote left open pairs with the next statement's", "select 'x from dual;\nselect 'y  z' from dual;\n",
         sOpenLit(2)},
        {"a literal left open", "SELECT 'abc FROM t", sOpenLit(1)},
        {"a doubled quote at the end closes nothing", "SELECT 'abc''", sOpenLit(1)},
        {"a q-quote", "select 1 from dual;\n\nselect q'[a from dual;\n", sOpenLit(3)},
        {"an nq-quote", "select nq'{a} from dual;", sOpenLit(1)},
        {"a quoted name", "select \"a from dual;", sOpenLit(1)},
        {"a block comment", "select 1\nfrom dual; /* open\n x", sOpenCmt(2)},
        {"a block comment after a statement word", "x /* a", sOpenCmt(1)},
        {"a command's quote counts no line of its own", "prompt it's\nselect 'a from dual;", sOpenLit(2)},
        {"a letter as the second byte of a character before q'", "select \x83\x41q'[it's]' from dual;", sOpenLit(1)},
    };
    for (const auto &c : arCases) {
        FmtResult r = rFormat(c.szIn);
        EXPECT_EQ(RC_OVERRUN, r.rc) << c.szName;
        EXPECT_EQ(c.sMsg, r.sMsg) << c.szName << ": " << sFirstDiff(c.sMsg, r.sMsg);
        EXPECT_FALSE(r.bOut) << c.szName;
    }
    // A line comment that reaches the end is closed by it.
    EXPECT_EQ("select 1\nfrom dual;\n-- c\n", rFormat("select 1 from dual; -- c").sOut);
}

TEST(FmtFailure, MaximumIndentation) {
    // A broken "(" and a block word that would open level 512; 511 levels still work.
    const struct { const char *szName; std::string sIn; int rc; } arCases[] = {
        {"513 parentheses", "SELECT " + std::string(513, '(') + "x" + std::string(513, ')'), RC_MAXIDT},
        {"512 parentheses", "SELECT " + std::string(512, '(') + "x" + std::string(512, ')'), RC_OK},
        {"BEGIN at level 511", std::string(511, '\t') + "BEGIN NULL; END;", RC_MAXIDT},
        {"BEGIN at level 510", std::string(510, '\t') + "BEGIN NULL; END;", RC_OK},
    };
    for (const auto &c : arCases) {
        FmtResult r = rFormat(c.sIn);
        EXPECT_EQ(c.rc, r.rc) << c.szName;
        EXPECT_TRUE(c.rc == RC_OK || r.sMsg.find(sSjis("Error - 字下げ量の最大値（= 512）を超えました。\n") +
                                                 sTrail("rcFmtStmt", ".\\rcFmtStmt", 1043)) == 0)
            << c.szName;
    }
}

// STMTORGFNM names a file that receives the statement as it was handed over; it is removed
// when the statement is formatted and stays when it fails.
void vSetDumpName(const std::string &sValue) {
#ifdef _WIN32
    _putenv_s("STMTORGFNM", sValue.c_str());  // an empty value removes it
#else
    if (sValue.empty())
        unsetenv("STMTORGFNM");
    else
        setenv("STMTORGFNM", sValue.c_str(), 1);
#endif
}

TEST(FmtDumpFile, KeptOnlyAfterAFailure) {
    ScopeExit unset([] { vSetDumpName(""); });
    vSetDumpName("fmtDump.sql");
    EXPECT_EQ(RC_OK, rFormat("select 1\r\nfrom dual").rc);
    EXPECT_EQ("<missing>", sReadBytes("fmtDump.sql"));
    const std::string sBad = " \r\n\t\x82\x9F x )";  // ぁ
    EXPECT_EQ(RC_PAREN, rFormat(sBad).rc);
    EXPECT_EQ(sBad, sReadBytes("fmtDump.sql"));
    EXPECT_EQ(RC_OVERRUN, rFormat("  ").rc);
    EXPECT_EQ("  ", sReadBytes("fmtDump.sql"));
    std::remove("fmtDump.sql");

    const std::string sName(300, 'n');
    vSetDumpName(sName);
    FmtResult r = rFormat("select 1");
    EXPECT_EQ(RC_NAMELEN, r.rc);
    EXPECT_EQ(sSjis("Error - ファイル名が長すぎます。現在の長さは 302 です。半角文字 260 字以内で指定して下さい。") +
                  sName + "\n" + sTrail("rcFmtStmt", ".\\rcFmtStmt", 456),
              r.sMsg);
    EXPECT_FALSE(r.bOut);

    vSetDumpName("noSuchDirForDump/x.sql");
    r = rFormat("select 1");
    EXPECT_EQ(RC_OPEN, r.rc);
    EXPECT_EQ(0u, r.sMsg.find(sSjis("Error - ファイルのオープンに失敗しました。"))) << r.sMsg;
    EXPECT_EQ(sTrail("rcFmtStmt", ".\\rcFmtStmt", 456), sLast(r.sMsg, sTrail("rcFmtStmt", ".\\rcFmtStmt", 456).size()));
}
}  // namespace

// A text given to the formatter in the block it was read into (as console mode gives it) is
// formatted in that block: its largest piece there, the text after that piece put aside first.
// The output, the code and the console text are those of a copy; a refusal names the line.
namespace {
// nLines short statements, their lines growing a byte each (a longer word, or blanks or TABs
// after it), so that a line feed falls on each byte of a step of sixty-four; then a block that is
// never closed on the next line.
std::string sLinesBeforeOpenBlock(int nLines) {
    std::string s;
    for (int i = 0; i < nLines; ++i)
        s += i % 3 == 0 ? "x" + std::string(static_cast<size_t>(i % 67), 'y') + ";\n"
                        : "x;" + std::string(static_cast<size_t>(i % 67), i % 3 == 1 ? ' ' : '\t') + "\n";
    return s + "BEGIN\n  IF a THEN NULL; END IF;\n";
}
}  // namespace

TEST(FmtGivenBlock, FormatsAsACopy) {
    auto sAt = [](int iLine) { return sSjis(("整形できなかった位置は入力の " + std::to_string(iLine) + " 行目です。\n").c_str()); };
    const struct { const char *szName; std::string sIn; bool bKeepBlank; int rc; std::string sWant; } arCases[] = {
        {"one piece", "select a from t where b = 1;\n", false, RC_OK, "select a\nfrom t\nwhere b = 1;\n"},
        {"the largest piece between commands", "SET ECHO ON\nselect a from t where b = 1;\n/\nPROMPT done\n", false,
         RC_OK, "SET ECHO ON\nselect a\nfrom t\nwhere b = 1;\n/\nPROMPT done\n"},
        {"the largest piece first", "begin x := 1; y := 2; end;\n/\nselect 1 from dual;\n", false, RC_OK,
         "begin\n\tx := 1;\n\ty := 2;\nend;\n/\nselect 1\nfrom dual;\n"},
        {"the largest piece last, empty lines kept", "select 1 from dual;\n/\n\nbegin x := 1; y := 2; z := 3; end;\n/\n",
         true, RC_OK, "select 1\nfrom dual;\n/\n\nbegin\n\tx := 1;\n\ty := 2;\n\tz := 3;\nend;\n/\n"},
        {"a byte order mark, empty lines kept", "\xEF\xBB\xBF\nPROMPT a\n\nselect a from t;\n\nPROMPT b\n", true, RC_OK,
         "\xEF\xBB\xBFPROMPT a\n\nselect a\nfrom t;\n\nPROMPT b\n"},
        {"the largest piece refused", "SET ECHO ON\nPROMPT x\nselect 1 from dual;\n\nBEGIN\n  IF a THEN\n    NULL;\n  END IF;\n",
         false, RC_PAREN, sAt(5)},
        {"lines of CR LF, TABs and empty ones counted in steps of sixty-four bytes",
         "SET ECHO ON\r\nselect a,\t\tb,\r\n\r\n   c   from   t ;\r\n\t\r\nBEGIN\r\n  IF a THEN NULL; END IF;\r\n", false,
         RC_PAREN, sAt(6)},
        {"line feeds at each byte of the steps, white runs across them", sLinesBeforeOpenBlock(70), false, RC_PAREN,
         sAt(71)},
        {"a small piece refused after the largest", "begin x := 1; y := 2; z := 3; end;\n/\nPROMPT x\n\nBEGIN NULL;\n",
         false, RC_PAREN, sAt(5)},
    };
    for (const auto &c : arCases) {
        std::string sOut[2], sMsg[2];
        int rc[2];
        for (int iGiven = 0; iGiven < 2; ++iGiven) {
            StmtStyle style;
            vDefaultStmtStyle(&style);
            style.bKeepBlankLines = c.bKeepBlank;
            ConsoleCapture cap;
            char *szOut = nullptr;
            if (iGiven == 0) {
                rc[iGiven] = rcFmtStmtLen(c.sIn.data(), c.sIn.size(), &szOut, &style);
            } else {
                HeapPtr<char> sp(static_cast<char *>(pvAlloc(c.sIn.size() + 1)));
                std::memcpy(sp.get(), c.sIn.c_str(), c.sIn.size() + 1);
                rc[iGiven] = rcFmtStmtTake(std::move(sp), c.sIn.size(), c.sIn.size() + 1, &szOut, &style);
            }
            if (szOut != nullptr) sOut[iGiven].assign(szOut, static_cast<size_t>(style.iFmtLen));
            vFree(szOut);
            sMsg[iGiven] = cap.sLines();
        }
        EXPECT_EQ(c.rc, rc[1]) << c.szName;
        EXPECT_EQ(rc[0], rc[1]) << c.szName;
        const std::string &sGot = c.rc == RC_OK ? sOut[1] : sMsg[1].substr(sMsg[1].size() - std::min(sMsg[1].size(), c.sWant.size()));
        EXPECT_EQ(c.sWant, sGot) << c.szName << ": " << sFirstDiff(c.sWant, sGot);
        EXPECT_EQ(sOut[0], sOut[1]) << c.szName;
        EXPECT_EQ(sMsg[0], sMsg[1]) << c.szName;
    }
}

// No byte after the text is read: each text ends in what made a scan look one byte further (a
// comment's first byte, a q or an n before a quote, an operator, a command word and its end), and
// is handed over in a block of its own size (the sanitized build reports a read past it). The
// result is that of the same text with a NUL after it.
TEST(FmtStmtEnd, NoByteAfterTheTextIsRead) {
    const char *const arTexts[] = {"c", "x!", "/", "-", "q", "n", "nq", "a :", "a |", "a <", "pro", "rem", "@",
                                   "select 1 from dual;\n/", "select 1 from dual;\n-", "select 1;\nc",
                                   "create type body hr.t_obj wrapped\n0\n/", "x := 1e", "x := 'a'q"};
    for (const char *sz : arTexts) {
        const size_t n = std::strlen(sz);
        std::string sOut[2];
        int rc[2];
        for (int iExact = 0; iExact < 2; ++iExact) {
            StmtStyle style;
            vDefaultStmtStyle(&style);
            ConsoleCapture cap;
            HeapPtr<char> sp(static_cast<char *>(pvAlloc(iExact == 1 ? n : n + 1)));
            std::memcpy(sp.get(), sz, iExact == 1 ? n : n + 1);
            char *szOut = nullptr;
            rc[iExact] = rcFmtStmtLen(sp.get(), n, &szOut, &style);
            if (szOut != nullptr) sOut[iExact].assign(szOut, static_cast<size_t>(style.iFmtLen));
            vFree(szOut);
        }
        EXPECT_EQ(rc[0], rc[1]) << sz;
        EXPECT_EQ(sOut[0], sOut[1]) << sz;
    }
}
