// The keyword layout rules: null tests, the SQL*Plus terminator, operators, PL/SQL block words,
// ";", BETWEEN and AND, clause keywords, kept newlines and statement words, tried in this order
// after the parenthesis and comma rules; the first that applies at the reading position wins.
#include <cassert>
#include <cstring>

#include "runtime/psGlobals.h"
#include "formatter/rcFmtLayout.h"

namespace {
// Operators, so ordered that a two-byte operator is never split.
const char *const arOperators[] = {":=", "<=", ">=", "!=", "<>", "<", ">", "=>", "=", "||", "**", "*", "+", "-"};

const char *const arHeaders[] = {"PROCEDURE ", "FUNCTION ", "PACKAGE BODY ", "PACKAGE "};

// Clause keywords; a longer join comes before the shorter ones it contains.
const char *const arClauses[] = {
    "FROM ", "WHERE ", "FOR UPDATE", "SET ", "ORDER BY ", "GROUP BY ", "HAVING ", "UNION ALL ", "UNION ",
    "INTERSECT ", "MINUS ", "INTO ", "START WITH ", "CONNECT BY ", "NATURAL LEFT OUTER JOIN ",
    "NATURAL RIGHT OUTER JOIN ", "NATURAL FULL OUTER JOIN ", "NATURAL LEFT JOIN ", "NATURAL RIGHT JOIN ",
    "NATURAL FULL JOIN ", "NATURAL INNER JOIN ", "LEFT OUTER JOIN ", "RIGHT OUTER JOIN ", "FULL OUTER JOIN ",
    "LEFT JOIN ", "RIGHT JOIN ", "FULL JOIN ", "NATURAL JOIN ", "CROSS JOIN ", "INNER JOIN ", "JOIN ", "ON ",
    "USING ", "RETURNING ", "PARTITION BY ", "SUBPARTITION BY ", "FREELISTS "};

const char *const arStmtWords[] = {"CREATE", "ALTER", "DROP", "INSERT", "SELECT", "UPDATE", "DELETE"};

// The length of the keyword at the reading position when the byte after it is a blank, else 0.
int32_t iWordLen(const LayoutState *st, const char *szKw) {
    int32_t n = iKw(st->szSrc, szKw);
    return (n > 0 && bIsWhite(iByteAt(st->szSrc + n))) ? n : 0;
}

bool bPrevSep(const LayoutState *st) { return bIsSep(iPrevByte(st)); }
bool bPrevSepOrStart(const LayoutState *st) { return st->szSrc == st->ssSrc || bPrevSep(st); }
bool bPrevBlank(const LayoutState *st) { return bIsWhite(iPrevByte(st)); }
bool bPrevSemiOrNewline(const LayoutState *st) {
    int c = iPrevByte(st);
    return c == ';' || c == '\n';
}

// A blank before an operator or null test unless a space or ")" stands before it.
void vBlankBefore(LayoutState *st) {
    int c = iPrevByte(st);
    if (c != ' ' && c != ')') vPutBlank(st);
}

void vOperator(LayoutState *st, int32_t n) {
    vBlankBefore(st);
    vCopy(st, n);
    if (st->szSrc >= st->szTail || *st->szSrc != ' ') vPutBlank(st);
}

// Copies the name into a block-name field: at most 30 bytes, never ending inside a double-byte
// character, with ASCII letters in capitals so that the closing END matches it in any case.
void vSetBlkName(const LayoutState *st, char *szName, const char *pName, int32_t nName) {
    int32_t nKeep = 0;
    for (const char *p = pName; p < pName + nName;) {
        int32_t u = iCharLen(st, p);
        if (p + u - pName > BLK_NAME_LEN) break;
        p += u;
        nKeep = static_cast<int32_t>(p - pName);
    }
    for (int32_t i = 0; i < nKeep; ++i) szName[i] = static_cast<char>(iFold(static_cast<unsigned char>(pName[i])));
    std::memset(szName + nKeep, 0, BLK_NAME_LEN + 1 - nKeep);
}

// ---------------------------------------------------------------------------------------------
// Scans. Inside both, literals, comments and double-byte characters are carried whole as the
// walk carries them; nothing inside them ends the scan or gets a line break, and a line comment's
// newline is handled as any newline.

// Carries the unit at the reading position when it is a literal, a comment, a double-byte
// character or a newline; false when it is none of these.
bool bScanCarry(LayoutState *st) {
    const char *p = st->szSrc;
    if (bLiteralAt(p, st->ssSrc, st->szTail)) {
        vCarryLiteral(st);
    } else if (p[0] == '-' && p[1] == '-') {
        vCarryLineCmt(st);
    } else if (p[0] == '/' && p[1] == '*') {
        vCarryBlockCmt(st);
    } else if (*p == '\n') {
        vCopyNewline(st);
    } else if (iCharLen(st, p) == 2) {
        vCopy(st, 2);
    } else {
        return false;
    }
    return true;
}

// Condition scan of IF, ELSIF and WHEN: copies the condition unchanged through its "THEN". Without
// a THEN (a trigger's WHEN clause) it copies to the end of the text.
void vScanCondition(LayoutState *st) {
    while (st->szSrc < st->szTail) {
        int32_t n = iKw(st->szSrc, "THEN");
        if (n > 0 && bIsWhite(iByteAt(st->szSrc + n))) {
            vCopy(st, n);
            return;
        }
        if (!bScanCarry(st)) vCopy(st, 1);
    }
}

// CASE scan: copies the CASE expression through the END of its own CASE, with a line break before
// each WHEN and ELSE that follows a blank and before each END of a CASE. Nested CASEs are counted;
// END IF and END LOOP close nothing. Without its END it copies to the end of the text.
void vScanCase(LayoutState *st) {
    vCopy(st, 4);
    int32_t iDepth = 1;
    while (st->szSrc < st->szTail) {
        if (bScanCarry(st)) continue;
        const char *p = st->szSrc;
        int c = iByteAt(p);
        if (bAtWordStart(st) && iFold(c) == 'E' && iKw(p, "END") > 0) {
            int32_t n = iKw(p, "END IF");
            if (n == 0) n = iKw(p, "END LOOP");
            if (n > 0) {
                vCopy(st, n);
                continue;
            }
            int d = iByteAt(p + 3);
            if (bIsWhite(d) || d == ')' || d == ';' || d == ',') {
                vLineBreak(st);
                vCopy(st, 3);
                if (--iDepth == 0) return;
                continue;
            }
        }
        if (bAtWordStart(st) && iFold(c) == 'C' && iWordLen(st, "CASE") > 0) {
            vCopy(st, 4);
            ++iDepth;
            continue;
        }
        vCopy(st, 1);
        if (c == ' ' || c == '\t' || c == '\r') {
            int32_t n = iKw(st->szSrc, "WHEN ");
            if (n == 0) n = iKw(st->szSrc, "ELSE ");
            if (n > 0) {
                vLineBreak(st);
                vCopy(st, n);
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Block steps.

int rcHeader(LayoutState *st, int32_t nKw, bool bPackageSpec) {
    st->iAsOpens = 1;
    vCopy(st, nKw);
    const char *pName = st->szSrc;
    const char *p = pName;
    while (p < st->szTail && !bIsWhite(iByteAt(p)) && *p != '(' && *p != ';') p += iCharLen(st, p);
    int32_t nName = static_cast<int32_t>(p - pName);
    rIdtFrame *pFrame = &st->arIdtFrame[st->iIdt];
    if (st->iHdrRecord == 1) {
        vSetBlkName(st, st->szBlkName, pName, nName);
        std::memcpy(pFrame->szBlkName, st->szBlkName, sizeof pFrame->szBlkName);
        if (bPackageSpec) st->iHdrRecord = 0;
        st->iBlkKind = 2;
    } else {
        st->iBlkKind = 0;
    }
    pFrame->iBlkKind = st->iBlkKind;
    vCopy(st, nName);
    return RC_OK;
}

int rcBegin(LayoutState *st) {
    int32_t k = st->iBlkKind;
    if (k > 0) {
        bool bLowered = bLower(st);
        st->arIdtFrame[st->iIdt].iBlkKind = 0;
        if (st->iLineIdt < 0)
            vBreakBefore(st, st->iIdt);  // after a declaration without its ";" BEGIN starts its line
        else if (bLowered)
            vStepBack(st);
        st->iBlkKind = 0;
    }
    if (k == 0 || k == 1) {
        std::memset(st->szBlkName, 0, sizeof st->szBlkName);
        std::memset(st->arIdtFrame[st->iIdt].szBlkName, 0, sizeof st->szBlkName);
    }
    st->arIdtFrame[st->iIdt].iInExcept = st->iInExcept;
    int rc = rcRaise(st);
    if (rc != RC_OK) return rc;
    vCopy(st, 5);
    vBreakForBlank(st);
    return RC_OK;
}

// The length of the block end at the reading position (END before ";", END and the recorded
// block name, END before a comment), else 0.
int32_t iBlockEndLen(LayoutState *st) {
    const char *p = st->szSrc;
    if (iKw(p, "END") == 0) return 0;
    if (p[3] == ';') return 3;
    uint32_t uMatched = 0;
    if (iIsCatSame(p, "END ", st->szBlkName, &uMatched)) return 4 + static_cast<int32_t>(std::strlen(st->szBlkName));
    if (p[3] == ' ' && ((p[4] == '-' && p[5] == '-') || (p[4] == '/' && p[5] == '*'))) return 4;
    return 0;
}

void vBlockEnd(LayoutState *st, int32_t n) {
    if (st->iInExcept > 0 && bLower(st)) vStepBack(st);  // handlers sit one level deeper
    bool bLowered = bLower(st);
    if (st->iIdt <= st->iOrgIdt) {
        st->iBlkKind = 0;
    } else {
        const rIdtFrame *pBelow = &st->arIdtFrame[st->iIdt - 1];
        st->iBlkKind = pBelow->iBlkKind;
        std::memcpy(st->szBlkName, pBelow->szBlkName, sizeof st->szBlkName);
        st->iInExcept = st->arIdtFrame[st->iIdt].iInExcept;
    }
    if (!bPrevSemiOrNewline(st))
        vLineBreak(st);
    else if (bLowered)
        vStepBack(st);
    vCopy(st, n);
}

// ---------------------------------------------------------------------------------------------
// The rules. Each is tried only at a byte its keyword can begin with (see arRules) and answers
// RULE_PASS when it does not apply.

// IS NULL and IS NOT NULL get a blank before them. IS must begin a word: in "thesis NOT NULL"
// nothing is a null test.
int rcNullTest(LayoutState *st) {
    if (!bAtWordStart(st)) return RULE_PASS;
    int32_t n = iKw(st->szSrc, "IS NULL");
    if (n == 0) n = iKw(st->szSrc, "IS NOT NULL");
    if (n == 0) return RULE_PASS;
    vBlankBefore(st);
    vCopy(st, n);
    return RC_OK;
}

// "/" after ";" or a line break is the SQL*Plus terminator: the statement's state ends and a line
// break follows. Anywhere else it is the division sign.
int rcSlash(LayoutState *st) {
    if (!bPrevSemiOrNewline(st)) {
        vOperator(st, 1);
        return RC_OK;
    }
    st->iInStmt = 0;
    vCopy(st, 1);
    if (st->szSrc >= st->szTail || *st->szSrc != '\n') vLineBreak(st);
    return RC_OK;
}

int rcOperatorRule(LayoutState *st) {
    for (const char *szOp : arOperators) {
        int32_t n = iKw(st->szSrc, szOp);
        if (n > 0) {
            vOperator(st, n);
            return RC_OK;
        }
    }
    return RULE_PASS;
}

// PROCEDURE, FUNCTION, PACKAGE BODY, PACKAGE after a separator inside a statement, or at its start.
int rcHeaderRule(LayoutState *st) {
    if (!((bPrevSep(st) && st->iInStmt == 1) || st->szSrc == st->ssSrc)) return RULE_PASS;
    for (const char *szHdr : arHeaders) {
        int32_t n = iKw(st->szSrc, szHdr);
        if (n > 0) return rcHeader(st, n, std::strcmp(szHdr, "PACKAGE ") == 0);
    }
    return RULE_PASS;
}

// The IS (or AS) of a pending header opens its declaration section; in a declaration section
// every IS ends its line (that of a cursor raises the level for its query).
int rcIsAs(LayoutState *st) {
    if (!bPrevBlank(st) || st->iBlkKind == 0) return RULE_PASS;
    int32_t n = iWordLen(st, "IS");
    if (n == 0 && st->iAsOpens == 1) n = iWordLen(st, "AS");
    if (n == 0) return RULE_PASS;
    int rc;
    if (st->iBlkKind == 2) {
        st->iBlkKind = 1;
        st->iAsOpens = 0;
        if ((rc = rcRaise(st)) != RC_OK) return rc;
    }
    if (st->iInCursor == 1 && (rc = rcRaise(st)) != RC_OK) return rc;
    vCopy(st, n);
    if (st->szSrc < st->szTail && *st->szSrc == ' ') {
        st->szSrc += 1;
        vLineBreak(st);
    }
    return RC_OK;
}

int rcDeclare(LayoutState *st) {
    int32_t n;
    if (!bPrevSepOrStart(st) || (n = iWordLen(st, "DECLARE")) == 0) return RULE_PASS;
    st->iBlkKind = 1;
    st->arIdtFrame[st->iIdt].iBlkKind = 1;
    int rc = rcRaise(st);
    if (rc != RC_OK) return rc;
    vCopy(st, n);
    vBreakForBlank(st);
    return RC_OK;
}

int rcBeginRule(LayoutState *st) {
    if (!bPrevSepOrStart(st) || iWordLen(st, "BEGIN") == 0) return RULE_PASS;
    return rcBegin(st);
}

// A cursor declaration runs from CURSOR to its ";"; a REF CURSOR type is none.
int rcCursor(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st) || (n = iWordLen(st, "CURSOR")) == 0) return RULE_PASS;
    if (st->szSrc - st->ssSrc >= 4 && iKw(st->szSrc - 4, "REF ") > 0) return RULE_PASS;
    st->iInCursor = 1;
    vCopy(st, n);
    return RC_OK;
}

// The WHEN MATCHED THEN and WHEN NOT MATCHED THEN of a MERGE start new lines at the current level.
int rcWhenMatched(LayoutState *st) {
    if (!bPrevBlank(st)) return RULE_PASS;
    int32_t n = iKw(st->szSrc, "WHEN MATCHED THEN");
    if (n == 0) n = iKw(st->szSrc, "WHEN NOT MATCHED THEN");
    if (n == 0) return RULE_PASS;
    if (iPrevByte(st) == '\n')
        vStepBack(st);
    else
        vLineBreak(st);
    vCopy(st, n);
    return RC_OK;
}

int rcCase(LayoutState *st) {
    if (!(bPrevBlank(st) || iPrevByte(st) == '(') || iWordLen(st, "CASE") == 0) return RULE_PASS;
    vScanCase(st);
    return RC_OK;
}

// The PL/SQL words below stand after a separator.
int rcIf(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st) || (n = iWordLen(st, "IF")) == 0) return RULE_PASS;
    int rc = rcRaise(st);
    if (rc != RC_OK) return rc;
    vCopy(st, n);
    vScanCondition(st);
    vBreakForBlank(st);
    return RC_OK;
}

// EXIT WHEN keeps its condition on its line; its WHEN is no branch.
int rcExitWhen(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st) || (n = iWordLen(st, "EXIT WHEN")) == 0) return RULE_PASS;
    vCopy(st, n);
    return RC_OK;
}

// ELSIF and WHEN stand one level out, with their condition through THEN.
int rcElsifWhen(LayoutState *st) {
    if (!bPrevSep(st)) return RULE_PASS;
    int32_t n = iWordLen(st, "ELSIF");
    if (n == 0) n = iWordLen(st, "WHEN");
    if (n == 0) return RULE_PASS;
    vStepOut(st, st->iIdt - 1);
    vCopy(st, n);
    vScanCondition(st);
    vBreakForBlank(st);
    return RC_OK;
}

int rcElse(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st) || (n = iWordLen(st, "ELSE")) == 0) return RULE_PASS;
    vStepOut(st, st->iIdt - 1);
    vCopy(st, n);
    vBreakForBlank(st);
    return RC_OK;
}

int rcLoop(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st) || (n = iWordLen(st, "LOOP")) == 0) return RULE_PASS;
    int rc = rcRaise(st);
    if (rc != RC_OK) return rc;
    vCopy(st, n);
    vBreakForBlank(st);
    return RC_OK;
}

int rcEndLoopIf(LayoutState *st) {
    if (!bPrevSep(st)) return RULE_PASS;
    int32_t n = iKw(st->szSrc, "END LOOP");
    if (n == 0) n = iKw(st->szSrc, "END IF");
    if (n == 0) return RULE_PASS;
    bool bLowered = bLower(st);
    if (!bPrevSemiOrNewline(st))
        vLineBreak(st);
    else if (bLowered)
        vStepBack(st);
    vCopy(st, n);
    return RC_OK;
}

// EXCEPTION stands at the block's level; its handlers one level deeper.
int rcException(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st) || (n = iWordLen(st, "EXCEPTION")) == 0) return RULE_PASS;
    vStepOut(st, st->iIdt - 1);
    vCopy(st, n);
    int rc = rcRaise(st);
    if (rc != RC_OK) return rc;
    st->iInExcept = 1;
    vBreakForBlank(st);
    return RC_OK;
}

int rcBlockEndRule(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st) || (n = iBlockEndLen(st)) == 0) return RULE_PASS;
    vBlockEnd(st, n);
    return RC_OK;
}

// ";" ends its line; the ";" of a cursor declaration also closes the level its IS opened and
// stands on a line of its own.
int rcSemicolon(LayoutState *st) {
    if (st->iInCursor == 1) {
        st->iInCursor = 0;
        bool bLowered = bLower(st);
        if (iPrevByte(st) != '\n')
            vLineBreak(st);
        else if (bLowered)
            vStepBack(st);
    }
    vCopy(st, 1);
    vLineBreak(st);
    return RC_OK;
}

// The AND that belongs to a BETWEEN is not broken.
int rcBetween(LayoutState *st) {
    int32_t n;
    if (!bPrevBlank(st) || (n = iKw(st->szSrc, "BETWEEN ")) == 0) return RULE_PASS;
    st->iInBetween = 1;
    vCopy(st, n);
    return RC_OK;
}

int rcAnd(LayoutState *st) {
    int32_t n;
    if (!bPrevBlank(st) || (n = iKw(st->szSrc, "AND ")) == 0) return RULE_PASS;
    if (st->iInBetween == 1)
        st->iInBetween = 0;
    else if (st->iMetrix >= 1)
        vBreakBefore(st, st->iIdt);
    vCopy(st, n);
    return RC_OK;
}

// A clause keyword starts a new line inside a broken part, unless it already begins one; it is
// copied whole either way. SET is a clause only inside a statement.
int rcClause(LayoutState *st) {
    if (!bPrevBlank(st)) return RULE_PASS;
    int c0 = iFold(*st->szSrc);
    for (const char *szKw : arClauses) {
        if (static_cast<unsigned char>(szKw[0]) != c0) continue;
        int32_t n = iKw(st->szSrc, szKw);
        if (n == 0 || (szKw[0] == 'S' && szKw[1] == 'E' && st->iInStmt != 1)) continue;
        if (st->iMetrix >= 1 && iPrevByte(st) != '\n') vBreakBefore(st, st->iIdt);
        vCopy(st, n);
        return RC_OK;
    }
    return RULE_PASS;
}

// A line feed kept by the normalisation (around comments, before statement keywords).
int rcNewline(LayoutState *st) {
    vCopyNewline(st);
    return RC_OK;
}

// The first statement word opens the statement's state.
int rcStmtWord(LayoutState *st) {
    if (st->iInStmt != 0) return RULE_PASS;
    for (const char *szWord : arStmtWords) {
        int32_t n = iWordLen(st, szWord);
        if (n > 0) {
            st->iInStmt = 1;
            vCopy(st, n);
            return RC_OK;
        }
    }
    return RULE_PASS;
}

typedef int (*PfnRule)(LayoutState *st);

// The rules in the order they are tried, each with the bytes it can begin with (letters in
// either case). At a position only the rules of its byte are tried, in this order.
const struct {
    const char *szStarts;
    PfnRule pfnRule;
} arRules[] = {
    {"I", rcNullTest},       {"/", rcSlash},         {":<>!=|*+-", rcOperatorRule},
    {"PF", rcHeaderRule},    {"IA", rcIsAs},         {"D", rcDeclare},
    {"B", rcBeginRule},      {"C", rcCursor},        {"W", rcWhenMatched},
    {"C", rcCase},           {"I", rcIf},            {"E", rcExitWhen},
    {"EW", rcElsifWhen},     {"E", rcElse},          {"L", rcLoop},
    {"E", rcEndLoopIf},      {"E", rcException},     {"E", rcBlockEndRule},
    {";", rcSemicolon},      {"B", rcBetween},       {"A", rcAnd},
    {"FWSOGHUIMCNLRJP", rcClause}, {"\n", rcNewline}, {"CADISU", rcStmtWord},
};
enum { MAX_RULES_PER_BYTE = 8 };

// For each byte the rules that can apply there, in their order, ending with a null.
struct RulesByByte {
    PfnRule ar[256][MAX_RULES_PER_BYTE + 1] = {};
    RulesByByte() {
        for (const auto &rule : arRules) {
            for (const char *p = rule.szStarts; *p != '\0'; ++p) {
                vAdd(static_cast<unsigned char>(*p), rule.pfnRule);
                if (*p >= 'A' && *p <= 'Z') vAdd(static_cast<unsigned char>(*p + 0x20), rule.pfnRule);
            }
        }
    }
    void vAdd(unsigned char c, PfnRule pfn) {
        int i = 0;
        while (ar[c][i] != nullptr) ++i;
        assert(i < MAX_RULES_PER_BYTE);
        ar[c][i] = pfn;
    }
};
const RulesByByte rRulesByByte;
}  // namespace

int rcKeywordRules(LayoutState *st) {
    int c = iByteAt(st->szSrc);
    const PfnRule *pRule = rRulesByByte.ar[c];
    if (*pRule == nullptr) return RULE_PASS;
    // Inside a word only a statement word can begin (every other rule needs a separator, a blank
    // or a word start before it), and only before the first one.
    bool bLetter = iFold(c) >= 'A' && iFold(c) <= 'Z';
    if (bLetter && !bAtWordStart(st) && st->iInStmt == 1) return RULE_PASS;
    for (; *pRule != nullptr; ++pRule) {
        int rc = (*pRule)(st);
        if (rc != RULE_PASS) return rc;
    }
    return RULE_PASS;
}
