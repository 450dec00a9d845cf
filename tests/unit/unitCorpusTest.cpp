// The corpus of PL/SQL units written for quorva's tests (tests/data/units): under three option
// sets every file formats, formatting it again gives the same bytes, formatting the output again
// changes nothing, and the output keeps the literals and comments, the tokens and the statement
// ends of the input.
#include <cstdio>
#include <string>

#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtStmt.h"
#include "fmtPromises.h"
#include "plat/platConv.h"
#include "unitHelpers.h"

namespace {
// An option set: a null indentation or a zero count keeps the default.
struct OptionSet {
    const char *szName;
    const char *szIndent;
    int32_t iNumComma, iPartSize;
};
const OptionSet arOptionSets[] = {
    {"defaults", nullptr, 0, 0},
    {"-i4", "    ", 0, 0},
    {"-c3 -s20", nullptr, 3, 20},
};

struct UnitRun {
    int rc;
    std::string sOut;      // the formatted text, when rc is RC_OK
    std::string sConsole;  // what the formatter wrote to console, LF line ends
};

UnitRun rFormatUnit(const std::string &sIn, const OptionSet &o) {
    StmtStyle style;
    vDefaultStmtStyle(&style);
    if (o.szIndent != nullptr) std::snprintf(style.szIndent, sizeof style.szIndent, "%s", o.szIndent);
    if (o.iNumComma != 0) style.iNumComma = o.iNumComma;
    if (o.iPartSize != 0) style.iPartSize = o.iPartSize;
    char *szFmt = nullptr;
    ConsoleCapture cap;
    UnitRun r{rcFmtStmtLen(sIn.data(), sIn.size(), &szFmt, &style), "", ""};
    if (r.rc == RC_OK) r.sOut.assign(szFmt, static_cast<size_t>(style.iFmtLen));
    vFree(szFmt);
    r.sConsole = cap.sLines();
    return r;
}

// The first line of what a refusal wrote, as UTF-8 (the messages are Shift_JIS), for a
// failure's message.
std::string sFirstLine(const std::string &sConsole) {
    const std::string s = sConsole.substr(0, sConsole.find('\n'));
    std::string u(nPlatConvBound(CS_CP932, CS_UTF8, s.size()) + 1, '\0');
    size_t n = 0;
    if (iPlatConvert(CS_CP932, CS_UTF8, s.data(), s.size(), &u[0], u.size(), &n) != 0) return s;
    u.resize(n);
    return u;
}

// The text around offset i of s, for a failure's message (nothing where i lies past it).
std::string sNear(const std::string &s, size_t i) { return i < s.size() ? s.substr(i - std::min<size_t>(i, 40), 80) : ""; }

// The directory of the unit corpus.
fs::path unitCorpusDir() { return fs::path(QUORVA_TEST_DATA) / "units"; }

std::vector<fs::path> vUnitFiles() {
    std::vector<fs::path> v;
    std::error_code ec;
    for (auto it = fs::directory_iterator(unitCorpusDir(), ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        if (it->is_regular_file()) v.push_back(it->path());
    std::sort(v.begin(), v.end());
    return v;
}

// Formats the unit sIn under the option set o and checks every promise: it formats, writes
// nothing to console, gives the same bytes twice, keeps the non-white bytes, the literals and
// comments, the tokens and the statement ends, writes no empty line, stays UTF-8, and formatting
// its output again changes nothing. Each broken promise is a failure named by sWhat; false when
// one broke.
bool bKeepsPromises(const std::string &sWhat, const std::string &sIn, const OptionSet &o) {
    bool bOk = true;
    auto expect = [&](bool b, const std::string &sWhy) {
        if (!b) ADD_FAILURE() << sWhat << ": " << sWhy;
        bOk = bOk && b;
    };
    const UnitRun r = rFormatUnit(sIn, o);
    expect(r.rc == RC_OK, "refused (" + std::to_string(r.rc) + "): " + sFirstLine(r.sConsole));
    if (r.rc != RC_OK) return false;
    expect(r.sConsole.empty(), "a formatted text writes nothing to console");
    const UnitRun rAgain = rFormatUnit(sIn, o);
    expect(rAgain.rc == RC_OK && rAgain.sOut == r.sOut, "formatting twice differs");
    expect(sInk(sIn, true) == sInk(r.sOut, true), "the non-white bytes differ");
    const size_t iJoined = iJoinedAt(sIn, r.sOut, true);
    expect(iJoined == std::string::npos, "words joined near " + sNear(r.sOut, iJoined));
    expect(vsLiterals(sIn, ENC_AUTO, true) == vsLiterals(r.sOut, ENC_AUTO, true), "a literal or a comment changed");
    expect(vsTokens(sIn, ENC_AUTO) == vsTokens(r.sOut, ENC_AUTO), "a token split or joined");
    expect(nStatementsIn(sIn, ENC_AUTO) == nStatementsIn(r.sOut, ENC_AUTO), "statements counted otherwise");
    const size_t iEmpty = iEmptyLineAt(r.sOut, ENC_AUTO);
    expect(iEmpty == std::string::npos, "an empty line near " + sNear(r.sOut, iEmpty));
    expect(!bValidUtf8(sIn.data(), sIn.size()) || bValidUtf8(r.sOut.data(), r.sOut.size()), "no longer UTF-8");
    const UnitRun rOut = rFormatUnit(r.sOut, o);
    expect(rOut.rc == RC_OK, "its output is refused: " + sFirstLine(rOut.sConsole));
    expect(rOut.sOut == r.sOut, "a second run over the output changes it");
    return bOk;
}

// Valid PL/SQL units made from a seed: blocks, procedures and package bodies whose statements nest
// IF, ELSIF and ELSE, CASE statements (searched and simple, labelled, closed by END CASE label or by
// END /* c */ CASE), CASE expressions (also as a loop's bound), FOR, WHILE and plain loops with EXIT
// and CONTINUE, labels, nested blocks with handlers, $IF branches, and SQL with subqueries
// (a column named loop among them), cursors, collections, FORALL, dynamic SQL, MERGE and a procedure
// of the declaration section; comments and line breaks stand between their words. The same
// seed makes the same units on every platform.
class UnitGen {
  public:
    explicit UnitGen(uint64_t uSeed) : u_(uSeed * 0x9E3779B97F4A7C15ull + 1) {}
    std::string sUnit() {
        const std::string sDecl = sDecls(), sBody = sStmts(0);
        switch (uPick(3)) {
        case 0:
            return "DECLARE " + sDecl + " BEGIN " + sBody + " END;\n/\n";
        case 1: {
            const char *szMore = bChance(50) ? ", b OUT VARCHAR2, c IN OUT NOCOPY t%ROWTYPE" : "";
            return std::string("CREATE OR REPLACE PROCEDURE p (a IN NUMBER") + szMore + ") IS " + sDecl + " BEGIN " +
                   sBody + sGap() + "EXCEPTION WHEN NO_DATA_FOUND OR TOO_MANY_ROWS THEN NULL; END p;\n/\n";
        }
        default:
            return "CREATE OR REPLACE PACKAGE BODY k AS FUNCTION f RETURN NUMBER IS " + sDecl + " BEGIN " + sBody +
                   " RETURN x; END f; END k;\n/\n";
        }
    }

  private:
    uint32_t uPick(uint32_t n) {  // xorshift: the same numbers everywhere
        u_ ^= u_ << 13;
        u_ ^= u_ >> 7;
        u_ ^= u_ << 17;
        return static_cast<uint32_t>(u_ % n);
    }
    bool bChance(uint32_t iPercent) { return uPick(100) < iPercent; }
    // The white space between two words: a blank as a rule, else a line break, a block comment or a
    // line comment.
    std::string sGap() {
        switch (uPick(16)) {
        case 0: return "\n  ";
        case 1: return " /* c */ ";
        case 2: return " -- c\n";
        default: return " ";
        }
    }
    // An expression, and a condition, of SQL (bSql) or of PL/SQL, which takes no subquery.
    std::string sExpr(int d, bool bSql = false) {
        switch (uPick(d >= 2 ? 4 : bSql ? 8 : 7)) {
        case 0: return "x";
        case 1: return std::to_string(uPick(100));
        case 2: return "'a;b'";
        case 3: return "f(x, y)";
        case 4: return sExpr(d + 1, bSql) + " + " + sExpr(d + 1, bSql);
        case 5:
            return "CASE WHEN " + sCond(d + 1, bSql) + " THEN " + sExpr(d + 1, bSql) + " ELSE " + sExpr(d + 1, bSql) + " END";
        case 6: return "CASE x WHEN 1 THEN " + sExpr(d + 1, bSql) + " END";
        default: return "(SELECT MAX(a) FROM t WHERE b = " + sExpr(d + 1, true) + ")";
        }
    }
    std::string sCond(int d, bool bSql = false) {
        switch (uPick(d >= 2 ? 3 : bSql ? 5 : 4)) {
        case 0: return "x > " + sExpr(d + 1, bSql);
        case 1: return "y IS NULL";
        case 2: return "z IN (1, 2)";
        case 3: return sCond(d + 1, bSql) + sGap() + "AND " + sCond(d + 1, bSql);
        default: return "EXISTS (SELECT 1 FROM t WHERE a = x)";
        }
    }
    std::string sStmts(int d) {
        std::string s = sStmt(d);
        for (uint32_t n = uPick(3); n > 0; --n) s += sGap() + sStmt(d);
        return s;
    }
    std::string sLabel() { return "l" + std::to_string(++nLabels_); }
    // A declaration section: the variables, collection, cursor and procedure the statements use, at
    // times a record type and an exception besides.
    std::string sDecls() {
        std::string s = "x NUMBER; y NUMBER; z NUMBER := 0; rc SYS_REFCURSOR;";
        s += sGap() + "TYPE tt IS TABLE OF t%ROWTYPE INDEX BY PLS_INTEGER; l tt;";
        if (bChance(40)) s += sGap() + "TYPE rt IS RECORD (a NUMBER, b VARCHAR2(10) := 'x;y');";
        s += sGap() + "CURSOR c (v NUMBER) IS SELECT a FROM t WHERE b = v AND " + sCond(1, true) + " ORDER BY a;";
        if (bChance(30)) s += sGap() + "e EXCEPTION; PRAGMA EXCEPTION_INIT(e, -20001);";
        return s + sGap() + "PROCEDURE q (v IN NUMBER) IS BEGIN " + sStmts(2) + " END q;";
    }
    std::string sStmt(int d) {
        switch (uPick(d < 3 ? 24 : 5)) {
        case 0: return "x := " + sExpr(0) + ";";
        case 1: return "NULL;";
        case 2: return "UPDATE t SET a = " + sExpr(0, true) + " WHERE b = 1;";
        case 3: return "SELECT a INTO x FROM t WHERE " + sCond(0, true) + ";";
        case 4: return "SELECT loop INTO y FROM t WHERE loop > 0;";
        case 5:
            return "IF " + sCond(0) + " THEN " + sStmts(d + 1) +
                   (bChance(40) ? " ELSIF " + sCond(0) + " THEN " + sStmts(d + 1) : "") +
                   (bChance(50) ? " ELSE " + sStmts(d + 1) : "") + " END IF;";
        case 6: {
            const std::string sLab = bChance(30) ? sLabel() : "";
            std::string s = sLab.empty() ? "CASE" : "<<" + sLab + ">> CASE";
            const bool bSimple = bChance(50);
            if (bSimple) s += " x";
            for (uint32_t n = 1 + uPick(2); n > 0; --n)
                s += " WHEN " + (bSimple ? std::to_string(n) : sCond(0)) + " THEN " + sStmts(d + 1);
            if (bChance(50)) s += " ELSE " + sStmts(d + 1);
            s += bChance(20) ? " END /* c */ CASE" : " END CASE";
            return s + (!sLab.empty() && bChance(50) ? " " + sLab : "") + ";";
        }
        case 7: return "FOR i IN 1 .. " + sExpr(1) + " LOOP " + sStmts(d + 1) + " END LOOP;";
        case 8: return "WHILE " + sCond(1) + " LOOP " + sStmts(d + 1) + " EXIT WHEN x > 1; END LOOP;";
        case 9: {
            const std::string sLab = sLabel();
            return "<<" + sLab + ">> LOOP " + sStmts(d + 1) + " EXIT " + sLab +
                   " WHEN x > 2; CONTINUE WHEN y IS NULL; END LOOP " + sLab + ";";
        }
        case 10:
            return "DECLARE v NUMBER := " + sExpr(1) + "; BEGIN " + sStmts(d + 1) + " EXCEPTION WHEN OTHERS THEN " +
                   sStmts(d + 1) + " END;";
        case 11:
            return "FOR r IN (SELECT a, CASE WHEN b = 1 THEN 2 END c FROM t ORDER BY a) LOOP " + sStmts(d + 1) + " END LOOP;";
        case 12: return "$IF $$flag $THEN " + sStmts(d + 1) + " $ELSE " + sStmts(d + 1) + " $END";
        case 13: return "BEGIN " + sStmts(d + 1) + " END;";
        case 14: return "OPEN rc FOR SELECT a, b FROM t WHERE " + sCond(1, true) + "; FETCH rc BULK COLLECT INTO l LIMIT 10; CLOSE rc;";
        case 15: return "FORALL i IN 1 .. l.COUNT SAVE EXCEPTIONS UPDATE t SET a = l(i).a WHERE b = i;";
        case 16: return "EXECUTE IMMEDIATE 'UPDATE t SET a = :1 WHERE b = 2' USING x;";
        case 17:
            return "MERGE INTO t d USING (SELECT a, b FROM s) v ON (d.a = v.a) WHEN MATCHED THEN UPDATE SET d.b = v.b"
                   " WHEN NOT MATCHED THEN INSERT (a, b) VALUES (v.a, v.b);";
        case 18: return "RAISE_APPLICATION_ERROR(-20001, 'bad: ' || x);";
        case 19: return "INSERT INTO t (a, b) SELECT a, b FROM s WHERE " + sCond(1, true) + ";";
        case 20: return "DELETE FROM t WHERE a IN (SELECT a FROM s) RETURNING a INTO x;";
        case 21: return "FOR r IN c(" + sExpr(2) + ") LOOP " + sStmts(d + 1) + " END LOOP;";
        case 22: return "q(" + sExpr(1) + ");";
        default: return "x := CASE WHEN " + sCond(0) + " THEN 1 ELSE 2 END;";
        }
    }
    uint64_t u_;
    int nLabels_ = 0;
};
}  // namespace

TEST(UnitCorpus, EveryUnitFormatsAndKeepsItsTokensLiteralsAndStatements) {
    int nFiles = 0, nFormatted = 0;
    for (const fs::path &p : vUnitFiles()) {
        ++nFiles;
        const std::string sIn = sFromCrLf(sReadBytes(p));
        for (const OptionSet &o : arOptionSets)
            nFormatted += bKeepsPromises(p.filename().string() + " under " + o.szName, sIn, o);
    }
    std::printf("unit corpus: %d files, %d kept every promise under %zu option sets\n", nFiles, nFormatted, std::size(arOptionSets));
    EXPECT_GE(nFiles, 30);
}

// Generated units (a quarter of them in lower case): every one formats under the three option sets
// and keeps every promise. The first unit that breaks one ends the test, with its seed and text.
TEST(UnitCorpus, GeneratedUnitsFormatAndKeepEveryPromise) {
    const uint64_t nUnits = 600;
    for (uint64_t uSeed = 1; uSeed <= nUnits; ++uSeed) {
        UnitGen gen(uSeed);
        std::string sIn = gen.sUnit() + (uSeed % 3 == 0 ? gen.sUnit() : "");
        if (uSeed % 4 == 1)  // written in lower case
            std::transform(sIn.begin(), sIn.end(), sIn.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 'a' - 'A') : c; });
        for (const OptionSet &o : arOptionSets)
            ASSERT_TRUE(bKeepsPromises("the unit of seed " + std::to_string(uSeed) + " under " + o.szName, sIn, o)) << sIn;
    }
}
