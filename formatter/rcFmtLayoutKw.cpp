// The keyword layout rules: null tests, the SQL*Plus terminator, operators, PL/SQL block words,
// ";", BETWEEN and AND, clause keywords, kept newlines and statement words, tried in this order
// after the parenthesis and comma rules; the first that applies at the reading position wins.
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
    int32_t n = iKwLen(st->szSrc, szKw);
    return (n > 0 && bIsBlank(iByteAt(st->szSrc + n))) ? n : 0;
}

bool bPrevSep(const LayoutState *st) { return bIsSep(iPrevByte(st)); }
bool bPrevSepOrStart(const LayoutState *st) { return st->szSrc == st->ssSrc || bPrevSep(st); }
bool bPrevBlank(const LayoutState *st) { return bIsBlank(iPrevByte(st)); }
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
    if (*p == '\'' || *p == '"') {
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
        int32_t n = iKwLen(st->szSrc, "THEN");
        if (n > 0 && bIsBlank(iByteAt(st->szSrc + n))) {
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
        if (bAtWordStart(st) && iFold(c) == 'E' && iKwLen(p, "END") > 0) {
            int32_t n = iKwLen(p, "END IF");
            if (n == 0) n = iKwLen(p, "END LOOP");
            if (n > 0) {
                vCopy(st, n);
                continue;
            }
            int d = iByteAt(p + 3);
            if (bIsBlank(d) || d == ')' || d == ';' || d == ',') {
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
            int32_t n = iKwLen(st->szSrc, "WHEN ");
            if (n == 0) n = iKwLen(st->szSrc, "ELSE ");
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
    while (p < st->szTail && !bIsBlank(iByteAt(p)) && *p != '(' && *p != ';') p += iCharLen(st, p);
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
    if (iKwLen(p, "END") == 0) return 0;
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
// The rows, grouped as the rule table orders them.

// Rows 1 to 4: null tests, the SQL*Plus terminator, operators.
int rcOperatorRows(LayoutState *st) {
    const char *p = st->szSrc;
    int c0 = iFold(iByteAt(p));
    // Row 1. IS must begin a word: in "thesis NOT NULL" nothing is a null test.
    if (c0 == 'I' && bAtWordStart(st)) {
        int32_t n = iKwLen(p, "IS NULL");
        if (n == 0) n = iKwLen(p, "IS NOT NULL");
        if (n > 0) {
            vBlankBefore(st);
            vCopy(st, n);
            return RC_OK;
        }
    }
    if (c0 == '/') {
        if (bPrevSemiOrNewline(st)) {  // row 2
            st->iInStmt = 0;
            vCopy(st, 1);
            if (st->szSrc >= st->szTail || *st->szSrc != '\n') vLineBreak(st);
            return RC_OK;
        }
        vOperator(st, 1);  // row 3
        return RC_OK;
    }
    if (c0 == 0 || std::strchr(":<>!=|*+-", c0) == nullptr) return RULE_PASS;
    for (const char *szOp : arOperators) {  // row 4
        int32_t n = iKwLen(p, szOp);
        if (n > 0) {
            vOperator(st, n);
            return RC_OK;
        }
    }
    return RULE_PASS;
}

// Rows 5 to 19: PL/SQL block words.
int rcBlockRows(LayoutState *st) {
    const char *p = st->szSrc;
    int c0 = iFold(iByteAt(p));
    int32_t n;
    int rc;
    if (c0 == 'P' || c0 == 'F') {  // row 5
        if ((bPrevSep(st) && st->iInStmt == 1) || st->szSrc == st->ssSrc) {
            for (const char *szHdr : arHeaders) {
                n = iKwLen(p, szHdr);
                if (n > 0) return rcHeader(st, n, std::strcmp(szHdr, "PACKAGE ") == 0);
            }
        }
    }
    if ((c0 == 'I' || c0 == 'A') && bPrevBlank(st) && st->iBlkKind != 0) {  // row 6
        n = iWordLen(st, "IS");
        if (n == 0 && st->iAsOpens == 1) n = iWordLen(st, "AS");
        if (n > 0) {
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
    }
    if (c0 == 'D' && bPrevSepOrStart(st) && (n = iWordLen(st, "DECLARE")) > 0) {  // row 7
        st->iBlkKind = 1;
        st->arIdtFrame[st->iIdt].iBlkKind = 1;
        if ((rc = rcRaise(st)) != RC_OK) return rc;
        vCopy(st, n);
        vBreakForBlank(st);
        return RC_OK;
    }
    if (c0 == 'B' && bPrevSepOrStart(st) && iWordLen(st, "BEGIN") > 0) return rcBegin(st);  // row 8
    if (c0 == 'C' && bPrevSep(st) && (n = iWordLen(st, "CURSOR")) > 0 &&
        !(st->szSrc - st->ssSrc >= 4 && iKwLen(st->szSrc - 4, "REF ") > 0)) {  // row 9
        st->iInCursor = 1;
        vCopy(st, n);
        return RC_OK;
    }
    if (c0 == 'W' && bPrevBlank(st)) {  // row 10
        n = iKwLen(p, "WHEN MATCHED THEN");
        if (n == 0) n = iKwLen(p, "WHEN NOT MATCHED THEN");
        if (n > 0) {
            if (iPrevByte(st) == '\n')
                vStepBack(st);
            else
                vLineBreak(st);
            vCopy(st, n);
            return RC_OK;
        }
    }
    if (c0 == 'C' && (bPrevBlank(st) || iPrevByte(st) == '(') && iWordLen(st, "CASE") > 0) {  // row 11
        vScanCase(st);
        return RC_OK;
    }
    if (!bPrevSep(st)) return RULE_PASS;  // rows 12 to 19 all follow a separator
    if (c0 == 'I' && (n = iWordLen(st, "IF")) > 0) {  // row 12
        if ((rc = rcRaise(st)) != RC_OK) return rc;
        vCopy(st, n);
        vScanCondition(st);
        vBreakForBlank(st);
        return RC_OK;
    }
    if (c0 == 'E' && (n = iWordLen(st, "EXIT WHEN")) > 0) {  // row 13
        vCopy(st, n);
        return RC_OK;
    }
    if (c0 == 'E' || c0 == 'W') {  // row 14
        n = iWordLen(st, "ELSIF");
        if (n == 0) n = iWordLen(st, "WHEN");
        if (n > 0) {
            vStepOut(st, st->iIdt - 1);
            vCopy(st, n);
            vScanCondition(st);
            vBreakForBlank(st);
            return RC_OK;
        }
    }
    if (c0 == 'E' && (n = iWordLen(st, "ELSE")) > 0) {  // row 15
        vStepOut(st, st->iIdt - 1);
        vCopy(st, n);
        vBreakForBlank(st);
        return RC_OK;
    }
    if (c0 == 'L' && (n = iWordLen(st, "LOOP")) > 0) {  // row 16
        if ((rc = rcRaise(st)) != RC_OK) return rc;
        vCopy(st, n);
        vBreakForBlank(st);
        return RC_OK;
    }
    if (c0 != 'E') return RULE_PASS;
    n = iKwLen(p, "END LOOP");
    if (n == 0) n = iKwLen(p, "END IF");
    if (n > 0) {  // row 17
        bool bLowered = bLower(st);
        if (!bPrevSemiOrNewline(st))
            vLineBreak(st);
        else if (bLowered)
            vStepBack(st);
        vCopy(st, n);
        return RC_OK;
    }
    if ((n = iWordLen(st, "EXCEPTION")) > 0) {  // row 18
        vStepOut(st, st->iIdt - 1);
        vCopy(st, n);
        if ((rc = rcRaise(st)) != RC_OK) return rc;
        st->iInExcept = 1;
        vBreakForBlank(st);
        return RC_OK;
    }
    if ((n = iBlockEndLen(st)) > 0) {  // row 19
        vBlockEnd(st, n);
        return RC_OK;
    }
    return RULE_PASS;
}

// Rows 20 to 25: ";", BETWEEN and AND, clause keywords, kept newlines, statement words.
int rcClauseRows(LayoutState *st) {
    const char *p = st->szSrc;
    int c0 = iFold(iByteAt(p));
    int32_t n;
    if (c0 == ';') {  // row 20
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
    if (bPrevBlank(st)) {
        if (c0 == 'B' && (n = iKwLen(p, "BETWEEN ")) > 0) {  // row 21
            st->iInBetween = 1;
            vCopy(st, n);
            return RC_OK;
        }
        if (c0 == 'A' && (n = iKwLen(p, "AND ")) > 0) {  // row 22
            if (st->iInBetween == 1)
                st->iInBetween = 0;
            else if (st->iMetrix >= 1)
                vBreakBefore(st, st->iIdt);
            vCopy(st, n);
            return RC_OK;
        }
        for (const char *szKw : arClauses) {  // row 23
            if (static_cast<unsigned char>(szKw[0]) != c0) continue;
            n = iKwLen(p, szKw);
            if (n == 0 || (szKw[0] == 'S' && szKw[1] == 'E' && st->iInStmt != 1)) continue;
            if (st->iMetrix >= 1 && iPrevByte(st) != '\n') vBreakBefore(st, st->iIdt);
            vCopy(st, n);
            return RC_OK;
        }
    }
    if (c0 == '\n') {  // row 24
        vCopyNewline(st);
        return RC_OK;
    }
    if (st->iInStmt == 0) {  // row 25
        for (const char *szWord : arStmtWords) {
            if ((n = iWordLen(st, szWord)) > 0) {
                st->iInStmt = 1;
                vCopy(st, n);
                return RC_OK;
            }
        }
    }
    return RULE_PASS;
}
}  // namespace

namespace {
// The bytes with which a row can begin: the first letters of its keywords (either case), the
// operators' first bytes, ";" and the newline.
struct RowStarts {
    bool ar[256] = {};
    RowStarts() {
        for (const char *p = "IPFDBCWELASOGHUMNRJ"; *p != '\0'; ++p) {
            ar[static_cast<unsigned char>(*p)] = true;
            ar[static_cast<unsigned char>(*p + 0x20)] = true;
        }
        for (const char *p = ":<>!=|*+-/;\n"; *p != '\0'; ++p) ar[static_cast<unsigned char>(*p)] = true;
    }
};
const RowStarts rRowStarts;
}  // namespace

int rcKeywordRules(LayoutState *st) {
    int c = iByteAt(st->szSrc);
    if (!rRowStarts.ar[c]) return RULE_PASS;
    // Inside a word only a statement word can begin (every other row needs a separator, a blank or
    // a word start before it), and only before the first one.
    bool bLetter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (bLetter && !bAtWordStart(st) && st->iInStmt == 1) return RULE_PASS;
    int rc = rcOperatorRows(st);
    if (rc == RULE_PASS) rc = rcBlockRows(st);
    if (rc == RULE_PASS) rc = rcClauseRows(st);
    return rc;
}
