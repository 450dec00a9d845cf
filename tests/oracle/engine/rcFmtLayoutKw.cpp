// Frozen copy of formatter/rcFmtLayoutKw.cpp made by tests/oracle/freeze.sh, which overwrites it.
// The keyword layout rules: null tests, the SQL*Plus terminator, operators, PL/SQL block words,
// ";", BETWEEN and AND, clause keywords, kept newlines and statement words, tried in this order
// after the parenthesis and comma rules; the first that applies at the reading position wins.
#include <cassert>
#include <cstring>

#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "tests/oracle/engine/rcFmtLayout.h"
#include "tests/oracle/engine/rcFmtTokens.h"
#include "tests/oracle/engine/rcFmtWords.h"

namespace oracle {

namespace {

// The words of the rules, from the one table of words: block headers (with their blank),
// timing points of a compound trigger (each a section with IS, BEGIN and END and its name), the
// words between CREATE and its object, the clause keywords (with their blank, a longer join
// before the shorter ones it contains) and the statement words.
constexpr auto arHeaders = arPhrasesWith<W_HEADER>();
constexpr auto arHeaderIds = arIdsWith<W_HEADER>();
constexpr auto arTimingPoints = arWordsWith<W_TIMING>();
constexpr auto arCreateFlags = arWordsWith<W_CREATE_FLAG>();
constexpr auto arClauses = arPhrasesWith<W_CLAUSE>();
constexpr auto arClauseIds = arIdsWith<W_CLAUSE>();
constexpr auto arStmtWords = arWordsWith<W_STMT>();
// BETWEEN and AND as the layout matches them, with their blank.
constexpr BlankPhrase rBetween = rBlankPhrase(WORD_BETWEEN), rAnd = rBlankPhrase(WORD_AND);

// Whether a keyword that ends before p stands as a word of its own: white space follows it, or
// an operator, which the layout writes with a blank before it.
bool bKwEndsAt(const char *p) { return bWordEndsAt(p); }

// The length of the keyword at the reading position when it stands as a word of its own, else 0.
int32_t iWordLen(const LayoutState *st, const char *szKw) {
    int32_t n = iKw(st->szSrc, szKw);
    return (n > 0 && bKwEndsAt(st->szSrc + n)) ? n : 0;
}

// The same for a keyword written with its blank ("AND "): its length with the blank, or
// without it where an operator follows the keyword directly.
int32_t iKwBlank(const LayoutState *st, const char *szKw) {
    uint32_t uMatched = uMatchCapitals(st->szSrc, szKw);
    if (szKw[uMatched] == '\0') return static_cast<int32_t>(uMatched);
    bool bWord = szKw[uMatched] == ' ' && szKw[uMatched + 1] == '\0' && uMatched > 0;
    return bWord && (nOperatorAt(st->szSrc + uMatched) != 0 || st->szSrc[uMatched] == '/') ? static_cast<int32_t>(uMatched) : 0;
}
// The same for BETWEEN and AND, also before a line feed: the squeeze keeps one only before a word
// that begins a line and at the text's end, where a second run finds AND's blank, which a comment
// moved away left, turned into it.
int32_t iKwBlankOrLf(const LayoutState *st, const char *szKw) {
    int32_t n = iKwBlank(st, szKw);
    if (n != 0) return n;
    const uint32_t uMatched = uMatchCapitals(st->szSrc, szKw);
    return szKw[uMatched] == ' ' && szKw[uMatched + 1] == '\0' && st->szSrc[uMatched] == '\n' ? static_cast<int32_t>(uMatched) : 0;
}

// Whether a separator stands before a PL/SQL word: the byte of the text, or a blank that the
// layout wrote there (after an operator), so that a second run, which finds that blank in its
// text, decides alike; or a block comment right before, which PL/SQL reads as white space
// ("/* c */END" ends its block, "/* c */LOOP" opens one). Right after a "/" that ended the unit
// before none stands, as at the text's start: a second run finds that "/" on a line of its own and
// the word at the start of the text after it.
bool bPrevSep(const LayoutState *st) {
    if (st->pUnitStart != st->ssSrc && bAtUnitStart(st)) return false;
    return bIsSep(iPrevByte(st)) || (st->szSrc > st->ssSrc && bIsWhite(st->cLast)) || st->szSrc == st->pBlockCmtEnd;
}

// Whether the word at p is the object of a CREATE (CREATE OR REPLACE EDITIONABLE TYPE ...).
bool bCreated(const LayoutState *st, const char *p) {
    for (;;) {
        size_t n = 0;
        p = pWordBefore(st, p, &n);
        if (bWordIs(p, n, szWord(WORD_CREATE))) return true;
        bool bFlag = false;
        for (const char *szFlag : arCreateFlags) bFlag = bFlag || bWordIs(p, n, szFlag);
        if (!bFlag) return false;
    }
}
bool bPrevSepOrStart(const LayoutState *st) { return bAtUnitStart(st) || bPrevSep(st); }
// Whether white space stands before the reading position; none right after a "/" that ended the
// unit before, as at the text's start (NATURAL JOIN there is no clause keyword of two words).
bool bPrevBlank(const LayoutState *st) {
    if (st->pUnitStart != st->ssSrc && bAtUnitStart(st)) return false;
    return bIsWhite(iPrevByte(st)) || (st->szSrc > st->ssSrc && bIsWhite(st->cLast));
}
// The same, or a block comment right before, for the PL/SQL words read after a blank (IS and AS,
// WHEN MATCHED): PL/SQL reads the comment as white space.
bool bPrevBlankOrCmt(const LayoutState *st) { return bPrevBlank(st) || st->szSrc == st->pBlockCmtEnd; }
bool bPrevSemiOrNewline(const LayoutState *st) {
    int c = iPrevByte(st);
    return c == ';' || c == '\n';
}

// A blank before an operator or null test unless a space or ")" stands before it.
// The byte last written decides, so that two operators in a row get one blank between them.
void vBlankBefore(LayoutState *st) {
    char c = st->cLast;
    if (c != ' ' && c != '\t' && c != '\n' && c != ')' && st->iDstLen > 0) vPutBlank(st);
}

void vOperator(LayoutState *st, int32_t n) {
    vBlankBefore(st);
    vCopy(st, n);
    if (st->szSrc >= st->szTail || *st->szSrc != ' ') vBlankAfter(st);
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
// character, a newline or a label (whose name holds no word of the scans); false when it is none
// of these.
bool bScanCarry(LayoutState *st) {
    const char *p = st->szSrc;
    if (bLiteralAt(p, st->ssSrc, st->szTail)) {
        vCarryLiteral(st);
    } else if (bLineCmtAt(p)) {
        vCarryLineCmt(st);
    } else if (bBlockCmtAt(p)) {
        vCarryBlockCmt(st);
    } else if (*p == '\n') {
        vCopyNewline(st);
    } else if (iCharLen(st, p) == 2) {
        vCopy(st, 2);
    } else if (const char *pLabel = p[0] == '<' && p[1] == '<' ? pLabelEnd(st) : nullptr) {
        vCarryLabel(st, pLabel);
    } else {
        return false;
    }
    return true;
}

// Copies the run of bytes at the reading position (up to pStop) that the scans would copy one
// by one as they are; false when none begins there. A lone blank between two such bytes goes
// with them, as the scans would copy it (the byte before it is no white space), unless the CASE
// scan (bCase) must look at the word after it (a W: WHEN).
bool bScanPlainRun(LayoutState *st, const char *pStop, bool bCase = false) {
    if (st->szSrc >= pStop) return false;
    const char *e = pPlainRunEnd(st->ssSrc, st->szSrc, pStop, Q_SCAN);
    if (e == nullptr) return false;
    while (e + 1 < pStop && *e == ' ' && bQuiet(e[1], Q_SCAN) && !(bCase && iFold(e[1]) == 'W'))
        e = pQuietRunEnd(e + 2, pStop, Q_SCAN);
    vCopy(st, e - st->szSrc);
    return true;
}

bool bSqlStmt(LayoutState *st);  // (with the rules, below)
bool bPlsqlUnit(LayoutState *st);

// Whether the word at the reading position is its statement's first: only comments stand before
// it since the statement began.
bool bStmtFirstWord(const LayoutState *st) {
    size_t n = 0;
    return pNextWord(st->pStmtStart, st->szTail, &n) == st->szSrc;
}

// Whether the "/" at the reading position would end its line, for the tool, where a line break
// follows it: it begins its line, or only comments stand before it since the statement began, or
// only blanks since a ";" (a scan copies it there), where the script finder reads a "/" line after
// them (/**/ / and x;/ are "/" lines for it).
bool bSlashMayEndLine(const LayoutState *st) {
    if (st->iLineIdt >= 0) return true;
    const char *q = st->szSrc;
    while (q > st->ssSrc && (q[-1] == ' ' || q[-1] == '\t')) --q;
    if (q > st->ssSrc && q[-1] == ';') return true;
    return bStmtFirstWord(st);
}

// Copies one byte inside a scan as the normalisation of a second run would leave it: a comma
// gets the blank after it (one that a comment moved in front of a word has none yet), and a
// blank beside another, or after a ";" (a comment moved in front of a comma there takes a blank
// with it, which a second run finds no more), is dropped. A "/" that begins its line keeps what follows on it, as the
// division sign does outside the scans.
void vScanByte(LayoutState *st) {
    char c = *st->szSrc;
    if (c == ' ' && (st->nTrailWhite > 0 || st->iLineIdt >= 0 || iPrevByte(st) == ';')) {
        st->szSrc += 1;  // no two blanks in a row, none at the start of a line nor after a ";"
        return;
    }
    if (c == '/') {
        const bool bLineStart = bSlashMayEndLine(st);
        vCopy(st, 1);
        st->iSlashLine = bLineStart;
        return;
    }
    vCopy(st, 1);
    // The tool ends a statement at a ";" (a PL/SQL unit's only outside its blocks) and reads a
    // command after it: an R or L there keeps what follows on its line, as after the ";" rule (the
    // scans copy a never compiled branch, a condition or a CASE without END).
    if (c == ';' && (st->iIdt <= st->iOrgIdt || !bPlsqlUnit(st))) vNoteCmdLetter(st, st->szSrc);
    if (c != ',' || st->szSrc >= st->szTail) return;
    char d = *st->szSrc;
    if (d != ';' && d != '\n' && d != ' ' && d != '\t' && d != ')') vPutBlank(st);
}


// Whether a word that begins a block (BEGIN, DECLARE) stands on its own at p, a word's start.
bool bBlockWordAt(const LayoutState *st, const char *p) {
    const char *e = pClassRunEnd(p, st->szTail, CC_WORD);
    const WordId eWord = eWordOf(p, static_cast<size_t>(e - p));
    return eWord != WORD_NONE && (arWordDefs[eWord].uRoles & W_BLOCK_START) != 0 && bWordEndsAt(e);
}

// Where the word szThen (followed by white space) stands from p on, before the statement's ";"
// (literals and comments passed over); null when it does not. An IF, ELSIF or WHEN without its
// THEN (IF EXISTS in DDL, EXIT label WHEN, a trigger's WHEN clause) opens no branch. No condition
// holds a block: in PL/SQL the look ends at a BEGIN or DECLARE.
const char *pThenAhead(LayoutState *st, const char *p, const char *szThen) {
    int32_t iCases = 0;  // the CASEs open at p
    while (p < st->szTail && *p != ';') {
        if (const char *e = pPlainRunEnd(st->ssSrc, p, st->szTail, Q_THEN)) {
            p = e;  // neither a literal, a comment, a ";" nor a word's start
        } else if (bLiteralAt(p, st->ssSrc, st->szTail)) {
            p = pLiteralEnd(p, st->szTail, st->rEnc);
        } else if (bCmtAt(p)) {
            p = pCmtEnd(p, st->szTail);
        } else if (p[0] == '<' && p[1] == '<' && pLabelEndAt(st, p) != nullptr) {
            p = pLabelEndAt(st, p);  // the scan carries it whole
        } else {
            int32_t n = !bIsWordByte(p[-1]) ? iKw(p, szThen) : 0;
            if (n > 0 && bWordEndsAt(p + n) && iCases == 0) return p;
            if (!bIsWordByte(p[-1]) && bBlockWordAt(st, p) && !bSqlStmt(st)) return nullptr;
            // The THENs of a CASE in the condition, up to its END, are the CASE's.
            if (!bIsWordByte(p[-1]) && (n = iKw(p, szWord(WORD_CASE))) > 0 && !bIsWordByte(p[n])) ++iCases;
            if (!bIsWordByte(p[-1]) && iCases > 0 && (n = iKw(p, szWord(WORD_END))) > 0 && !bIsWordByte(p[n])) --iCases;
            p += iCharLen(st, p);
        }
    }
    return nullptr;
}

// Condition scan of IF, ELSIF and WHEN: copies the condition unchanged through its szThen.
void vScanCondition(LayoutState *st, const char *szThen = szWord(WORD_THEN)) {
    const char *pThen = pThenAhead(st, st->szSrc, szThen);
    const char *pStop = pThen != nullptr ? pThen : st->szTail;
    while (st->szSrc < st->szTail) {
        if (st->szSrc == pThen) {
            vCopy(st, static_cast<int64_t>(std::strlen(szThen)));
            return;
        }
        if (bScanPlainRun(st, pStop)) continue;
        if (!bScanCarry(st)) vScanByte(st);
    }
}

// The length of the branch word e (WHEN, ELSE) at p with the blank after it; where a comment
// follows the word right away (one that moved in front of a comma after it), the word's alone:
// the layout writes a blank before that comment, after which a second run finds the word.
int32_t iBranchWordAt(const char *p, WordId e) {
    const int32_t n = iKw(p, szWord(e));
    return n == 0 ? 0 : p[n] == ' ' ? n + 1 : bCmtAt(p + n) ? n : 0;
}

// CASE scan: copies the CASE expression through the END of its own CASE, with a line break before
// each WHEN and ELSE that follows a blank and before each END of a CASE (an END that no word byte
// follows). Nested CASEs are counted, and so are the IFs and LOOPs of a CASE statement's branches:
// their END IF and END LOOP close nothing, while the END of a CASE expression right before the
// LOOP of a FOR or WHILE (1 .. CASE ... END LOOP) is the CASE's. Without its END it copies to the
// end of the text, or of its statement where the tool ends that: at a SQL statement's ";", at a
// PL/SQL unit's where a "/" follows, or where the text ends after it (a "/" line after it has gone
// with the script's commands, as it goes for a second run when the layout gave the "/" a line).
void vScanCase(LayoutState *st) {
    vCopy(st, 4);
    int32_t iDepth = 1, nOpenIfs = 0, nOpenLoops = 0;
    while (st->szSrc < st->szTail) {
        if (bScanPlainRun(st, st->szTail, true)) continue;
        if (bScanCarry(st)) continue;
        const char *p = st->szSrc;
        int c = iByteAt(p);
        // The statement ends here, its CASE without END, where the tool ends it: at the ";" of a
        // SQL statement, or of a PL/SQL unit where a "/" follows (the terminator's rule then) or
        // the text ends.
        if (c == ';' && (!bPlsqlUnit(st) || bSlashAhead(p + 1, st->szTail) ||
                         pClassRunEnd(p + 1, st->szTail, CC_WHITE) == st->szTail))
            return;
        if (bAtWordStart(st) && (iFold(c) == 'I' || iFold(c) == 'L')) {
            const int32_t n = iWordLen(st, szWord(iFold(c) == 'I' ? WORD_IF : WORD_LOOP));
            if (n > 0) {
                ++(iFold(c) == 'I' ? nOpenIfs : nOpenLoops);
                vCopy(st, n);
                continue;
            }
        }
        if (bAtWordStart(st) && iFold(c) == 'E' && iKw(p, szWord(WORD_END)) > 0) {
            int32_t n = nOpenIfs > 0 ? iKw(p, szWord(WORD_END_IF)) : 0;
            if (n > 0) --nOpenIfs;
            if (n == 0 && nOpenLoops > 0 && (n = iKw(p, szWord(WORD_END_LOOP))) > 0) --nOpenLoops;
            if (n > 0) {
                vCopy(st, n);
                continue;
            }
            if (!bIsWordByte(p[3]) && p + 3 <= st->szTail) {
                vLineBreak(st);
                const int32_t nEndCase = iKw(p, szWord(WORD_END_CASE));  // its CASE opens nothing
                vCopy(st, nEndCase > 0 ? nEndCase : 3);
                if (--iDepth == 0) return;
                continue;
            }
        }
        if (bAtWordStart(st) && iFold(c) == 'C' && iWordLen(st, szWord(WORD_CASE)) > 0) {
            vCopy(st, 4);
            ++iDepth;
            continue;
        }
        vScanByte(st);
        // After white space (also the blank written after a comma) or the ";" that ends a branch
        // of a CASE statement.
        if (c == ' ' || c == '\t' || c == '\r' || c == ';' || st->cLast == ' ') {
            int32_t n = iBranchWordAt(st->szSrc, WORD_WHEN);
            if (n == 0) n = iBranchWordAt(st->szSrc, WORD_ELSE);
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
    // CREATE PACKAGE IF NOT EXISTS name: the condition stands before the name.
    if (int32_t nIf = iKwThenBlank(st->szSrc, WORD_IF_NOT_EXISTS)) vCopy(st, nIf);
    const char *pName = st->szSrc;
    const char *p = pName;
    // A quoted name ("a;b") is read whole: nothing inside it ends the name. The block is known by
    // the name's last part: schema.unit ends with END unit.
    const char *pLast = pName;
    while (p < st->szTail && !bWordEndsAt(p) && *p != '(' && *p != ';') {
        if (*p == '.') pLast = p + 1;
        p = bLiteralAt(p, st->ssSrc, st->szTail) ? pLiteralEnd(p, st->szTail, st->rEnc) : p + iCharLen(st, p);
    }
    int32_t nName = static_cast<int32_t>(p - pName);
    rIdtFrame *pFrame = &st->arIdtFrame[st->iIdt];
    st->rFrameBeforeHdr = *pFrame;
    st->iKindBeforeHdr = st->iBlkKind;
    std::memcpy(st->szNameBeforeHdr, st->szBlkName, sizeof st->szBlkName);
    if (st->iHdrRecord == 1) {
        vSetBlkName(st, st->szBlkName, pLast, static_cast<int32_t>(p - pLast));
        std::memcpy(pFrame->szBlkName, st->szBlkName, sizeof pFrame->szBlkName);
        if (bPackageSpec) st->iHdrRecord = 0;
        st->iBlkKind = 2;
        st->iHdrPending = 1;
    } else {
        st->iBlkKind = 0;
    }
    pFrame->iBlkKind = st->iBlkKind;
    vCopy(st, nName);
    return RC_OK;
}

int rcBegin(LayoutState *st) {
    int32_t k = st->iBlkKind;
    st->iHdrPending = 0;
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
    // The block's END gives back the handler state of the block around it (a block inside a
    // handler); the block itself has no handlers yet.
    st->arIdtFrame[st->iIdt].iInExcept = st->iInExcept;
    st->iInExcept = 0;
    int rc = rcRaise(st);
    if (rc != RC_OK) return rc;
    vCopy(st, 5);
    st->pStmtNext = st->szSrc;
    vBreakForBlank(st);
    return RC_OK;
}

// The length of the name at p that a ";" follows (a word, a quoted name, their parts joined by
// points), else 0.
int32_t iNameBeforeSemi(const LayoutState *st, const char *p) {
    const char *q = p;
    while (q < st->szTail && *q != ';') {
        if (*q == '"') {
            q = pQuotedEnd(q, st->szTail);
        } else if (bIsWordByte(*q) || *q == '.' || static_cast<uint8_t>(*q) >= 0x80) {
            q += iCharLen(st, q);
        } else {
            return 0;
        }
    }
    return q < st->szTail && q > p ? static_cast<int32_t>(q - p) : 0;
}

// The length of the block end at the reading position (END before ";", END and the recorded
// block name, END before a comment, END and any other name before ";": a label, a schema's
// unit), else 0. END IF, END LOOP and END CASE close no block.
int32_t iBlockEndLen(LayoutState *st) {
    const char *p = st->szSrc;
    if (iKw(p, szWord(WORD_END)) == 0) return 0;
    if (p[3] == ';') return 3;
    // An operator right after END stands where a second run finds "END " (the form with a name).
    if (st->szBlkName[0] == '\0' && !bIsWhite(p[3]) && bWordEndsAt(p + 3)) return 3;
    uint32_t uMatched = 0;
    if (p[3] == ' ' && iIsCatSame(p + 4, "", st->szBlkName, &uMatched)) return 4 + static_cast<int32_t>(std::strlen(st->szBlkName));
    if (p[3] == ' ' && bCmtAt(p + 4)) return 4;
    if (p[3] == '\n' && bCmtAt(p + 4)) return 3;  // a comment on the lines after END, before its ";" or name
    // A comment right after END gets the blank a second run finds before it (END,/*c*/ has the
    // comment moved in front of the comma).
    if (bCmtAt(p + 3)) return 3;
    if (p[3] != ' ') return 0;
    const int32_t nName = iNameBeforeSemi(st, p + 4);
    if (nName == 0 || bWordIs(p + 4, static_cast<size_t>(nName), szWord(WORD_IF)) ||
        bWordIs(p + 4, static_cast<size_t>(nName), szWord(WORD_LOOP)) || bWordIs(p + 4, static_cast<size_t>(nName), szWord(WORD_CASE)))
        return 0;
    return 4 + nName;
}

void vBlockEnd(LayoutState *st, int32_t n) {
    if (st->iInExcept > 0 && bLower(st)) vStepBack(st);  // handlers sit one level deeper
    bool bLowered = bLower(st);
    if (st->iIdt <= st->iOrgIdt) {
        st->iBlkKind = 0;
        st->iHdrRecord = 1;  // a unit ended: the next one (a package body after its spec) is recorded
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

// What the statement being read is, read once a statement where it is asked: a PL/SQL unit, as
// the script finder tells one (it reads such a unit up to its "/" line; every other statement
// ends at its ";"), or SQL: it begins with a word of W_SQL (SELECT, INSERT, UPDATE, DELETE, MERGE,
// CREATE, ALTER, DROP, WITH, EXPLAIN, GRANT, COMMIT and the other statements of SQL).
enum : int32_t { STMT_OTHER, STMT_SQL, STMT_PLSQL };
int32_t iStmtKindOf(LayoutState *st) {
    if (st->iStmtKind < 0) {
        size_t n = 0;
        const char *p = pNextWord(st->pStmtStart, st->szTail, &n);
        const WordId e = eWordOf(p, n);
        st->iStmtKind = bPlsqlStart(p, st->szTail)                               ? STMT_PLSQL
                        : e != WORD_NONE && (arWordDefs[e].uRoles & W_SQL) != 0 ? STMT_SQL
                                                                                 : STMT_OTHER;
    }
    return st->iStmtKind;
}

// Whether the statement being read is SQL: PL/SQL's block words are plain words there (a column
// may be named BEGIN, END or LOOP).
bool bSqlStmt(LayoutState *st) { return iStmtKindOf(st) == STMT_SQL; }
// Whether the statement being read is a PL/SQL unit, which the tool reads up to its "/" line:
// every other statement ends at its ";" for the tool.
bool bPlsqlUnit(LayoutState *st) { return iStmtKindOf(st) == STMT_PLSQL; }

// IS NULL and IS NOT NULL get a blank before them. IS must begin a word: in "thesis NOT NULL"
// nothing is a null test.
int rcNullTest(LayoutState *st) {
    if (!bAtWordStart(st)) return RULE_PASS;
    int32_t n = iKw(st->szSrc, szWord(WORD_IS_NULL));
    if (n == 0) n = iKw(st->szSrc, szWord(WORD_IS_NOT_NULL));
    if (n == 0) return RULE_PASS;
    vBlankBefore(st);
    vCopy(st, n);
    return RC_OK;
}

// "/" after ";" is the SQL*Plus terminator: the statement's state ends and a line break follows.
// Anywhere else it is the division sign. A "/" line never reaches the layout: the script finder
// takes it for a command. So a "/" that begins a line after a comment has more after it on its
// line, for the tool too, even where the flattening gives a statement keyword after it a line of
// its own; a line break after it would give what follows a line start, where a second run would
// read a command or a unit carried whole.
int rcSlash(LayoutState *st) {
    if (iPrevByte(st) != ';') {
        // A division sign that begins its line must not end it too: a line holding only "/"
        // is the SQL*Plus terminator.
        bool bLineStart = bSlashMayEndLine(st);
        // After nothing but comments the tool takes the "/" for the terminator and reads a
        // statement after it: an R or L there keeps what follows on its line, as at a statement's
        // start, where a second run would read RUN or LIST.
        const bool bAfterCmts = bStmtFirstWord(st);
        vOperator(st, 1);
        st->iSlashLine = bLineStart;
        if (bAfterCmts) vNoteCmdLetter(st, st->szSrc);
        return RC_OK;
    }
    // The unit ends here: like the text before a "/" line, it must leave no level and no
    // parenthesis open (an END inside a part may have taken its level back), and the next unit
    // starts afresh.
    if (st->iIdt > st->iOrgIdt || st->nParens > 0) {
        iConPrintf(szMsgNoCloseParen, st->iIdt, st->iOrgIdt);
        vAtOpenLevel(st);
        st->iSite = SITE_NO_CLOSE_PAREN;
        return RC_PAREN;
    }
    vStartUnit(st);
    vCopy(st, 1);
    st->pUnitStart = st->szSrc;
    vNoteStmtStart(st);
    if (st->szSrc >= st->szTail || *st->szSrc != '\n') vLineBreak(st);
    return RC_OK;
}

int rcOperatorRule(LayoutState *st) {
    size_t n = nOperatorIn(st->szSrc, st->ssSrc);
    if (n == 0) return RULE_PASS;
    vOperator(st, static_cast<int32_t>(n));
    return RC_OK;
}

// PROCEDURE, FUNCTION, PACKAGE BODY, PACKAGE after a separator inside a statement, or at its start.
// In the attribute list of an object type the methods are declarations, not blocks.
int rcHeaderRule(LayoutState *st) {
    // A subprogram of an anonymous block's declarations is a header too (no statement word
    // stands before DECLARE).
    if (!((bPrevSep(st) && (st->iInStmt == 1 || st->iBlkKind == 1)) || bAtUnitStart(st)) || st->iTypeSpec == 1 ||
        bSqlStmt(st))
        return RULE_PASS;
    // A unit kind in a list (ACCESSIBLE BY (PACKAGE a, PROCEDURE b)) names a unit; it opens none.
    // The text decides, not the line break the layout wrote after the "(".
    const char *q = pPastWhiteBefore(st, st->szSrc);
    if (q > st->ssSrc && (q[-1] == '(' || q[-1] == ',')) return RULE_PASS;
    for (size_t i = 0; i < arHeaders.size(); ++i) {
        int32_t n = iKwBlank(st, arHeaders[i].sz);
        if (n == 0) continue;
        // A package or a type body is made by CREATE alone (or begins the text): no declaration
        // section holds one, and elsewhere the word is a name (DECLARE package VARCHAR2(10)).
        if ((arWordDefs[arHeaderIds[i]].uRoles & W_NESTED) == 0 && !bAtUnitStart(st) && !bCreated(st, st->szSrc))
            return RULE_PASS;
        return rcHeader(st, n, arHeaderIds[i] == WORD_PACKAGE);
    }
    return RULE_PASS;
}

// CREATE TYPE (not TYPE BODY) declares an object type, a collection or a subtype: one statement
// without blocks, whose attribute list is laid out like a parameter list.
int rcTypeSpec(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st) || (n = iWordLen(st, szWord(WORD_TYPE))) == 0 || iKw(st->szSrc, szWord(WORD_TYPE_BODY)) > 0 || !bCreated(st, st->szSrc))
        return RULE_PASS;
    st->iTypeSpec = 1;
    vCopy(st, n);
    return RC_OK;
}

// A timing point of a compound trigger opens a section like a procedure header, named by the
// timing point, so that its END BEFORE STATEMENT (or the like) closes it.
int rcTimingPoint(LayoutState *st) {
    if (!bPrevSep(st)) return RULE_PASS;
    for (const char *szPoint : arTimingPoints) {
        int32_t n = iKw(st->szSrc, szPoint);
        if (n == 0 || !bWordEndsAt(st->szSrc + n)) continue;
        n -= 3;  // its IS is read by rcIsAs
        rIdtFrame *pFrame = &st->arIdtFrame[st->iIdt];
        vSetBlkName(st, st->szBlkName, st->szSrc, n);
        std::memcpy(pFrame->szBlkName, st->szBlkName, sizeof pFrame->szBlkName);
        st->iBlkKind = pFrame->iBlkKind = 2;
        st->iAsOpens = 0;
        vCopy(st, n);
        return RC_OK;
    }
    return RULE_PASS;
}

// Where the branch of conditional compilation that begins at p ends: at the $ELSIF, $ELSE or
// $END of its own $IF (a nested $IF's passed over), or at the end of the text.
const char *pBranchEnd(const LayoutState *st, const char *p) {
    int32_t iDepth = 0;
    while (p < st->szTail) {
        if (bLiteralAt(p, st->ssSrc, st->szTail)) {
            p = pLiteralEnd(p, st->szTail, st->rEnc);
            continue;
        }
        if (bCmtAt(p)) {
            p = pCmtEnd(p, st->szTail);
            continue;
        }
        if (*p == '$' && !bIsWordByte(p[-1])) {
            const size_t n = static_cast<size_t>(pClassRunEnd(p + 1, st->szTail, CC_WORD) - p);
            if (bWordIs(p, n, "$IF")) ++iDepth;
            if (iDepth == 0 && (bWordIs(p, n, "$ELSIF") || bWordIs(p, n, "$ELSE") || bWordIs(p, n, "$END"))) return p;
            if (bWordIs(p, n, "$END")) --iDepth;
            p += n;
            continue;
        }
        p += iCharLen(st, p);
    }
    return p;
}

// Copies the text up to pStop as the scans copy it, unchanged.
void vScanTo(LayoutState *st, const char *pStop) {
    while (st->szSrc < pStop) {
        if (bScanPlainRun(st, pStop)) continue;
        if (!bScanCarry(st)) vScanByte(st);
    }
}

namespace {
// Whether FALSE and then $THEN are the words after p, past white space and comments.
bool bFalseThenAhead(const LayoutState *st, const char *p) {
    size_t n = 0;
    p = pNextWord(p, st->szTail, &n);
    if (!bWordIs(p, n, szWord(WORD_FALSE))) return false;
    p = pNextWord(p + n, st->szTail, &n);
    return bWordIs(p, n, szWord(WORD_DOLLAR_THEN));
}
}  // namespace

// Conditional compilation, laid out like IF: $IF and $ELSIF with their condition through $THEN,
// $ELSE, and $END closing them; an $ERROR directive is copied whole through its own $END. The
// branch of $IF FALSE $THEN is never compiled: whatever it holds (a template, half a statement)
// is copied as it is, up to its $ELSE or $END. Inside parentheses (a parameter or column list)
// the directives are words of the list and open no level.
int rcDollar(LayoutState *st) {
    if (!bAtWordStart(st) || st->nParens > 0) return RULE_PASS;
    int32_t n;
    int rc;
    if ((n = iWordLen(st, "$IF")) > 0 || (n = iWordLen(st, "$ELSIF")) > 0) {
        if (pThenAhead(st, st->szSrc + n, szWord(WORD_DOLLAR_THEN)) == nullptr) return RULE_PASS;
        if (n == 3) {
            // A unit that ends inside the $IF (a procedure of a package body) finds below it the
            // state in which the $IF stood.
            rIdtFrame *pFrame = &st->arIdtFrame[st->iIdt];
            pFrame->iBlkKind = st->iBlkKind;
            std::memcpy(pFrame->szBlkName, st->szBlkName, sizeof pFrame->szBlkName);
            if ((rc = rcRaise(st)) != RC_OK) return rc;
        }
        if (n != 3) vStepOut(st, st->iIdt - 1);
        const bool bNever = n == 3 && bFalseThenAhead(st, st->szSrc + n);
        // A branch around statements begins one after its $THEN.
        const bool bStmt = bStmtBeginsHere(st);
        vCopy(st, n);
        vScanCondition(st, szWord(WORD_DOLLAR_THEN));
        if (bStmt) st->pStmtNext = st->szSrc;
        vBreakForBlank(st);
        if (bNever) {
            vScanTo(st, pBranchEnd(st, st->szSrc));
            if (bStmt) st->pStmtNext = st->szSrc;  // the branch's text is none: its $ELSE or $END follows
        }
        return RC_OK;
    }
    if ((n = iWordLen(st, "$ELSE")) > 0) {
        const bool bStmt = bStmtBeginsHere(st);
        vStepOut(st, st->iIdt - 1);
        vCopy(st, n);
        if (bStmt) st->pStmtNext = st->szSrc;
        vBreakForBlank(st);
        return RC_OK;
    }
    if ((n = iKw(st->szSrc, szWord(WORD_DOLLAR_END))) > 0 && !bIsWordByte(st->szSrc[n])) {
        const bool bStmt = bStmtBeginsHere(st);
        bool bLowered = bLower(st);
        if (!bPrevSemiOrNewline(st))
            vLineBreak(st);
        else if (bLowered)
            vStepBack(st);
        vCopy(st, n);
        if (bStmt) st->pStmtNext = st->szSrc;
        vBreakForBlank(st);
        return RC_OK;
    }
    if ((n = iWordLen(st, "$ERROR")) > 0 && pThenAhead(st, st->szSrc + n, szWord(WORD_DOLLAR_END)) != nullptr) {
        vCopy(st, n);
        vScanCondition(st, szWord(WORD_DOLLAR_END));
        return RC_OK;
    }
    return RULE_PASS;
}

// The n bytes of DECLARE (or COMPOUND TRIGGER) open a declaration section one level in.
int rcOpenDeclarations(LayoutState *st, int32_t n) {
    st->iBlkKind = 1;
    st->arIdtFrame[st->iIdt].iBlkKind = 1;
    int rc = rcRaise(st);
    if (rc != RC_OK) return rc;
    vCopy(st, n);
    vBreakForBlank(st);
    return RC_OK;
}

// COMPOUND TRIGGER opens the trigger's declaration section, like DECLARE.
int rcCompound(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st) || (n = iWordLen(st, szWord(WORD_COMPOUND_TRIGGER))) == 0) return RULE_PASS;
    return rcOpenDeclarations(st, n);
}

// The IS (or AS) of a pending header opens its declaration section; in a declaration section
// every IS ends its line (that of a cursor raises the level for its query).
int rcIsAs(LayoutState *st) {
    if (!bPrevBlankOrCmt(st) || st->iBlkKind == 0) return RULE_PASS;
    int32_t n = iWordLen(st, szWord(WORD_IS));
    const bool bIs = n != 0;
    if (n == 0 && st->iAsOpens == 1) n = iWordLen(st, szWord(WORD_AS));
    if (n == 0) return RULE_PASS;
    size_t nBefore = 0;
    const char *pBefore = pWordBefore(st, st->szSrc, &nBefore);
    if (bWordIs(pBefore, nBefore, "SELF")) return RULE_PASS;  // RETURN SELF AS RESULT of a constructor
    // A subprogram whose body is external (IS LANGUAGE JAVA NAME '...', AS LANGUAGE C ..., AS
    // EXTERNAL ...) has no BEGIN: the header's ";" ends it as it ends a declaration.
    size_t nAfter = 0;
    const char *pAfter = pNextWord(st->szSrc + n, st->szTail, &nAfter);  // comments between them too
    // The IS of a null test that comments part from its NULL or NOT NULL opens nothing.
    if (bIs && (bWordIs(pAfter, nAfter, szWord(WORD_NULL)) || bWordIs(pAfter, nAfter, szWord(WORD_NOT)))) return RULE_PASS;
    if (st->iBlkKind == 2 && (bWordIs(pAfter, nAfter, szWord(WORD_LANGUAGE)) || bWordIs(pAfter, nAfter, szWord(WORD_EXTERNAL)))) return RULE_PASS;
    int rc;
    st->iHdrPending = 0;
    if (st->iBlkKind == 2) {
        st->iBlkKind = 1;
        st->iAsOpens = 0;
        if ((rc = rcRaise(st)) != RC_OK) return rc;
    }
    if (st->iInCursor == 1 && (rc = rcRaise(st)) != RC_OK) return rc;
    vCopy(st, n);
    st->pStmtNext = st->szSrc;  // the declarations, or a cursor's query
    vBreakForBlank(st);
    return RC_OK;
}

int rcDeclare(LayoutState *st) {
    int32_t n;
    if (!bPrevSepOrStart(st) || (n = iWordLen(st, szWord(WORD_DECLARE))) == 0 || bSqlStmt(st)) return RULE_PASS;
    return rcOpenDeclarations(st, n);
}

int rcBeginRule(LayoutState *st) {
    if (!bPrevSepOrStart(st) || iWordLen(st, szWord(WORD_BEGIN)) == 0 || bSqlStmt(st)) return RULE_PASS;
    return rcBegin(st);
}

// A cursor declaration runs from CURSOR to its ";"; a REF CURSOR type is none.
int rcCursor(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st) || (n = iWordLen(st, szWord(WORD_CURSOR))) == 0 || bSqlStmt(st)) return RULE_PASS;
    if (st->szSrc - st->ssSrc >= 4 && iKwThenBlank(st->szSrc - 4, WORD_REF) > 0) return RULE_PASS;
    st->iInCursor = 1;
    vCopy(st, n);
    return RC_OK;
}

// The WHEN MATCHED THEN and WHEN NOT MATCHED THEN of a MERGE start new lines at the current level.
int rcWhenMatched(LayoutState *st) {
    if (!bPrevBlankOrCmt(st)) return RULE_PASS;
    int32_t n = iKw(st->szSrc, szWord(WORD_WHEN_MATCHED_THEN));
    if (n == 0) n = iKw(st->szSrc, szWord(WORD_WHEN_NOT_MATCHED_THEN));
    if (n == 0) return RULE_PASS;
    // After a line end the line already begins at the current level: it keeps it.
    if (iPrevByte(st) != '\n') vLineBreak(st);
    vCopy(st, n);
    return RC_OK;
}

// Whether END CASE stands from p on in the unit (up to the "/" that ends it after a ";"; a second
// run finds that "/" on a line of its own), literals, comments and labels passed over: no CASE
// expression ends with it. A look from a place up to where the last one ended reads nothing
// again: a unit of many CASEs is read once.
bool bEndCaseLook(LayoutState *st, const char *p);
// Whether END, and CASE after it (comments between them too), stand at p.
bool bEndOfCaseAt(const LayoutState *st, const char *p) {
    if (iKw(p, szWord(WORD_END)) == 0 || bIsWordByte(p[3])) return false;
    size_t n = 0;
    const char *q = pNextWord(p + 3, st->szTail, &n);
    return bWordIs(q, n, szWord(WORD_CASE));
}
bool bEndCaseAhead(LayoutState *st, const char *p) {
    if (st->pEndCaseLook == nullptr || p > st->pEndCaseLook) st->bEndCaseFound = bEndCaseLook(st, p);
    return st->bEndCaseFound;
}
bool bEndCaseLook(LayoutState *st, const char *p) {
    while (p < st->szTail && !(p[0] == ';' && p[1] == '/' && p[2] != '*')) {  // up to the unit's end
        if (bLiteralAt(p, st->ssSrc, st->szTail)) {
            p = pLiteralEnd(p, st->szTail, st->rEnc);
        } else if (bCmtAt(p)) {
            p = pCmtEnd(p, st->szTail);
        } else if (p[0] == '<' && p[1] == '<' && pLabelEndAt(st, p) != nullptr) {
            p = pLabelEndAt(st, p);
        } else if (bIsWordByte(*p)) {
            if (!bIsWordByte(p[-1]) && bEndOfCaseAt(st, p)) {
                st->pEndCaseLook = p;
                return true;
            }
            const char *w = p;
            while (w < st->szTail && bIsWordByte(*w)) ++w;
            if (w - p == 2 && bLiteralAt(p + 1, st->ssSrc, st->szTail)) w = p + 1;  // nq'x...x' begins at its q
            p = w;
        } else {
            p += iCharLen(st, p);
        }
    }
    st->pEndCaseLook = p;
    return false;
}

// CASE begins an expression wherever a word may begin: after a blank, "(", "||", an operator, and
// at a text's start (an expression or a CASE statement piped from an editor). Where it begins a
// statement of a PL/SQL block or a text, and an END CASE follows, it is a CASE statement: a level
// like IF's, whose WHEN and ELSE branches stand as ELSIF and ELSE do, their statements one level
// in, up to its END CASE. Without an END CASE after it (a piece that an editor cut there) it is
// read as an expression, whose scan copies it to the end.
int rcCase(LayoutState *st) {
    int32_t n;
    // The CASE that comments part from its END (END /* c */ CASE) opens nothing.
    if (!bAtWordStart(st) || st->szSrc == st->pEndTail || (n = iWordLen(st, szWord(WORD_CASE))) == 0) return RULE_PASS;
    if ((bStmtBeginsHere(st) || bAtUnitStart(st)) && !bSqlStmt(st) && bEndCaseAhead(st, st->szSrc + n)) {
        int rc = rcRaise(st);
        if (rc != RC_OK) return rc;
        vCopy(st, n);
        return RC_OK;
    }
    vScanCase(st);
    return RC_OK;
}

// The PL/SQL words below stand after a separator.
int rcIf(LayoutState *st) {
    int32_t n;
    if (!bPrevSepOrStart(st) || st->szSrc == st->pEndTail || (n = iWordLen(st, szWord(WORD_IF))) == 0 || bSqlStmt(st) ||
        pThenAhead(st, st->szSrc + n, szWord(WORD_THEN)) == nullptr)
        return RULE_PASS;
    int rc = rcRaise(st);
    if (rc != RC_OK) return rc;
    vCopy(st, n);
    vScanCondition(st);
    st->pStmtNext = st->szSrc;
    vBreakForBlank(st);
    return RC_OK;
}

// EXIT WHEN and CONTINUE WHEN keep their condition on their line; their WHEN is no branch.
int rcExitWhen(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st)) return RULE_PASS;
    if ((n = iWordLen(st, szWord(WORD_EXIT_WHEN))) == 0 && (n = iWordLen(st, szWord(WORD_CONTINUE_WHEN))) == 0) return RULE_PASS;
    vCopy(st, n);
    return RC_OK;
}

// ELSIF and WHEN stand one level out, with their condition through THEN.
int rcElsifWhen(LayoutState *st) {
    if (!bPrevSep(st)) return RULE_PASS;
    int32_t n = iWordLen(st, szWord(WORD_ELSIF));
    if (n == 0) n = iWordLen(st, szWord(WORD_WHEN));
    if (n == 0 || pThenAhead(st, st->szSrc + n, szWord(WORD_THEN)) == nullptr) return RULE_PASS;
    vStepOut(st, st->iIdt - 1);
    vCopy(st, n);
    vScanCondition(st);
    st->pStmtNext = st->szSrc;
    vBreakForBlank(st);
    return RC_OK;
}

int rcElse(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st) || (n = iWordLen(st, szWord(WORD_ELSE))) == 0) return RULE_PASS;
    vStepOut(st, st->iIdt - 1);
    vCopy(st, n);
    st->pStmtNext = st->szSrc;
    vBreakForBlank(st);
    return RC_OK;
}

// Whether the LOOP at the reading position opens a loop: outside parentheses, where it begins a
// statement or ends the header of a FOR or WHILE statement. In any other statement it is a name
// (SELECT loop INTO v FROM t, OPEN c FOR SELECT loop ...). Where no statement of the unit has
// begun yet (a piece that begins with FOR), it opens one.
bool bLoopOpens(const LayoutState *st) {
    if (st->nParens > 0) return false;
    if (st->pStmtNext == nullptr || bStmtBeginsHere(st)) return true;
    size_t n = 0;
    const char *pFirst = pNextWord(st->pStmtNext, st->szTail, &n);
    return bWordIs(pFirst, n, szWord(WORD_FOR)) || bWordIs(pFirst, n, szWord(WORD_WHILE));
}

int rcLoop(LayoutState *st) {
    int32_t n;
    if (!bPrevSepOrStart(st) || st->szSrc == st->pEndTail || (n = iWordLen(st, szWord(WORD_LOOP))) == 0 || bSqlStmt(st) ||
        !bLoopOpens(st))
        return RULE_PASS;
    int rc = rcRaise(st);
    if (rc != RC_OK) return rc;
    vCopy(st, n);
    st->pStmtNext = st->szSrc;
    vBreakForBlank(st);
    return RC_OK;
}

// END where comments part it from the LOOP, IF or CASE it ends: its length, or 0. The comments
// and that word follow as they stand, and the word opens nothing.
int32_t iEndBeforeCmts(LayoutState *st) {
    const char *p = st->szSrc;
    if (iKw(p, szWord(WORD_END)) == 0 || !bCmtAt(bIsWhite(p[3]) ? p + 4 : p + 3)) return 0;
    size_t nNext = 0;
    const char *q = pNextWord(p + 3, st->szTail, &nNext);
    if (!bWordIs(q, nNext, szWord(WORD_LOOP)) && !bWordIs(q, nNext, szWord(WORD_IF)) && !bWordIs(q, nNext, szWord(WORD_CASE)))
        return 0;
    st->pEndTail = q;
    return 3;
}

int rcEndLoopIf(LayoutState *st) {
    if (!bPrevSepOrStart(st) || bSqlStmt(st)) return RULE_PASS;
    int32_t n = iKw(st->szSrc, szWord(WORD_END_LOOP));
    if (n == 0) n = iKw(st->szSrc, szWord(WORD_END_IF));
    if (n == 0) n = iKw(st->szSrc, szWord(WORD_END_CASE));
    if (n == 0) n = iEndBeforeCmts(st);
    if (n == 0) return RULE_PASS;
    bool bLowered = bLower(st);
    if (!bPrevSemiOrNewline(st))
        vLineBreak(st);
    else if (bLowered)
        vStepBack(st);
    vCopy(st, n);
    return RC_OK;
}

// Whether the word after the white space and comments at p is szWord.
bool bWordAhead(const LayoutState *st, const char *p, const char *szKw) {
    size_t n = 0;
    const char *q = pNextWord(p, st->szTail, &n);
    return bWordIs(q, n, szKw);
}

// EXCEPTION stands at the block's level; its handlers one level deeper. Only a handler (WHEN, or
// a $IF around handlers) follows the word that begins the section: elsewhere it is a name (a
// column, an assignment's target).
int rcException(LayoutState *st) {
    int32_t n;
    if (!bPrevSep(st) || (n = iWordLen(st, szWord(WORD_EXCEPTION))) == 0 || bSqlStmt(st)) return RULE_PASS;
    if (!bWordAhead(st, st->szSrc + n, szWord(WORD_WHEN)) && !bWordAhead(st, st->szSrc + n, "$IF")) return RULE_PASS;
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
    if (!bPrevSep(st) || (n = iBlockEndLen(st)) == 0 || bSqlStmt(st)) return RULE_PASS;
    vBlockEnd(st, n);
    return RC_OK;
}

// ";" ends its line; the ";" of a cursor declaration also closes the level its IS opened and
// stands on a line of its own. It ends the declaration of an object type.
int rcSemicolon(LayoutState *st) {
    st->iTypeSpec = 0;
    if (st->iHdrPending == 1) {
        // A header without IS or AS was a declaration: the state before it comes back.
        st->iHdrPending = 0;
        st->arIdtFrame[st->iIdt] = st->rFrameBeforeHdr;
        st->iBlkKind = st->iKindBeforeHdr;
        std::memcpy(st->szBlkName, st->szNameBeforeHdr, sizeof st->szBlkName);
    }
    if (st->iInCursor == 1) {
        st->iInCursor = 0;
        bool bLowered = bLower(st);
        if (iPrevByte(st) != '\n')
            vLineBreak(st);
        else if (bLowered)
            vStepBack(st);
    }
    // An empty line the author left after it stays (blank lines kept).
    const BlankAfters *b = st->pBlankAfters;
    const size_t iAt = static_cast<size_t>(st->szSrc - st->ssSrc);
    while (st->iNextBlank < b->n && b->p[st->iNextBlank] < iAt) ++st->iNextBlank;
    const bool bBlank = st->iNextBlank < b->n && b->p[st->iNextBlank] == iAt;
    vCopy(st, 1);
    st->pStmtNext = st->szSrc;
    if (bBlank) vPut(st, "\n", 1);
    // Inside a block of a PL/SQL unit no statement begins where the tool would read a command; any
    // other statement ends at its ";" for the tool, also inside a block or a part it opened.
    if (st->iIdt <= st->iOrgIdt || !bPlsqlUnit(st))
        vNoteStmtStart(st);
    else
        st->pCmdLetter = nullptr;
    vLineBreak(st);
    return RC_OK;
}

// The AND that belongs to a BETWEEN is not broken.
int rcBetween(LayoutState *st) {
    int32_t n;
    if (!bPrevBlank(st) || (n = iKwBlankOrLf(st, rBetween.sz)) == 0) return RULE_PASS;
    st->iInBetween = 1;
    vCopy(st, n);
    return RC_OK;
}

int rcAnd(LayoutState *st) {
    int32_t n;
    if (!bPrevBlank(st) || (n = iKwBlankOrLf(st, rAnd.sz)) == 0) return RULE_PASS;
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
    // The clause keywords by their first two letters (8 at most: NATURAL ...).
    static constexpr WordsByKey<26 * 26, 8> rByPair(arClauses.size(), [](size_t i) {
        return static_cast<size_t>((arClauses[i].sz[0] - 'A') * 26 + (arClauses[i].sz[1] - 'A'));
    });
    const int iFirst = iLetter(st->szSrc[0]), iSecond = iLetter(st->szSrc[1]);
    if (iFirst < 0 || iSecond < 0) return RULE_PASS;
    for (const int8_t *pi = rByPair.ar[iFirst * 26 + iSecond]; *pi >= 0; ++pi) {
        int32_t n = iKwBlank(st, arClauses[*pi].sz);
        // SET is a clause only inside a statement (elsewhere the tool's command or SET ROLE ...)
        if (n == 0 || (arClauseIds[*pi] == WORD_SET && st->iInStmt != 1)) continue;
        // FROM among a call's arguments (EXTRACT, TRIM) is no clause.
        if (arClauseIds[*pi] == WORD_FROM && st->iIdt > 0 && st->arIdtFrame[st->iIdt].bCallPart) return RULE_PASS;
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

// The rules in the order they are tried, each with the bytes it can begin with, or, for the
// rules of keywords, its words (rows of the table of words, or every row of a role). At a
// position only the rules of its byte, or of the first two letters of their words, are tried, in
// this order; a word that begins none of the keywords is passed over at once.
const struct {
    const char *szBytes;
    WordId arWords[2];
    uint32_t uRole;
    PfnRule pfnRule;
} arRules[] = {
    {"", {WORD_IS_NULL, WORD_IS_NOT_NULL}, 0, rcNullTest},
    {"/", {WORD_NONE, WORD_NONE}, 0, rcSlash},
    {szOperatorBytes, {WORD_NONE, WORD_NONE}, 0, rcOperatorRule},
    {"", {WORD_NONE, WORD_NONE}, W_HEADER, rcHeaderRule},
    {"", {WORD_TYPE, WORD_NONE}, 0, rcTypeSpec},
    {"", {WORD_NONE, WORD_NONE}, W_TIMING, rcTimingPoint},
    {"$", {WORD_NONE, WORD_NONE}, 0, rcDollar},
    {"", {WORD_IS, WORD_AS}, 0, rcIsAs},
    {"", {WORD_DECLARE, WORD_NONE}, 0, rcDeclare},
    {"", {WORD_BEGIN, WORD_NONE}, 0, rcBeginRule},
    {"", {WORD_CURSOR, WORD_NONE}, 0, rcCursor},
    {"", {WORD_COMPOUND_TRIGGER, WORD_NONE}, 0, rcCompound},
    {"", {WORD_WHEN_MATCHED_THEN, WORD_WHEN_NOT_MATCHED_THEN}, 0, rcWhenMatched},
    {"", {WORD_CASE, WORD_NONE}, 0, rcCase},
    {"", {WORD_IF, WORD_NONE}, 0, rcIf},
    {"", {WORD_EXIT_WHEN, WORD_CONTINUE_WHEN}, 0, rcExitWhen},
    {"", {WORD_ELSIF, WORD_WHEN}, 0, rcElsifWhen},
    {"", {WORD_ELSE, WORD_NONE}, 0, rcElse},
    {"", {WORD_LOOP, WORD_NONE}, 0, rcLoop},
    {"", {WORD_END_LOOP, WORD_END_IF}, 0, rcEndLoopIf},
    {"", {WORD_EXCEPTION, WORD_NONE}, 0, rcException},
    {"", {WORD_END, WORD_NONE}, 0, rcBlockEndRule},
    {";", {WORD_NONE, WORD_NONE}, 0, rcSemicolon},
    {"", {WORD_BETWEEN, WORD_NONE}, 0, rcBetween},
    {"", {WORD_AND, WORD_NONE}, 0, rcAnd},
    {"", {WORD_NONE, WORD_NONE}, W_CLAUSE, rcClause},
    {"\n", {WORD_NONE, WORD_NONE}, 0, rcNewline},
    {"", {WORD_NONE, WORD_NONE}, W_STMT, rcStmtWord},
};
enum { MAX_RULES_PER_START = 6, NO_RULE = 0xFF };

// For each byte, and for each pair of first letters, the rules that can apply there, in their
// order (indexes into arRules), ending with NO_RULE.
struct RulesByStart {
    uint8_t arByte[256][MAX_RULES_PER_START + 1];
    uint8_t arPair[26][26][MAX_RULES_PER_START + 1];
    RulesByStart() {
        std::memset(arByte, NO_RULE, sizeof arByte);
        std::memset(arPair, NO_RULE, sizeof arPair);
        for (uint8_t i = 0; i < sizeof arRules / sizeof *arRules; ++i) {
            const auto &rule = arRules[i];
            for (const char *p = rule.szBytes; *p != '\0'; ++p) vAdd(arByte[static_cast<unsigned char>(*p)], i);
            for (WordId e : rule.arWords)
                if (e != WORD_NONE) vAddPair(szWord(e), i);
            for (size_t k = 0; k < WORD_COUNT && rule.uRole != 0; ++k)
                if ((arWordDefs[k].uRoles & rule.uRole) != 0) vAddPair(arWordDefs[k].szText, i);
        }
    }
    void vAddPair(const char *szKw, uint8_t i) {
        assert(iLetter(szKw[0]) >= 0 && iLetter(szKw[1]) >= 0);
        vAdd(arPair[iLetter(szKw[0])][iLetter(szKw[1])], i);
    }
    static void vAdd(uint8_t *arList, uint8_t i) {
        int n = 0;
        while (arList[n] != NO_RULE && arList[n] != i) ++n;
        assert(n < MAX_RULES_PER_START);
        arList[n] = i;
    }
};
const RulesByStart rRulesByStart;
}  // namespace

int rcKeywordRules(LayoutState *st) {
    const char *p = st->szSrc;
    const uint8_t *pRule = rRulesByStart.arByte[iByteAt(p)];
    int iFirst = iLetter(*p);
    if (iFirst >= 0) {
        // Inside a word only a statement word can begin (every other rule needs a separator, a
        // blank or a word start before it), and only before the first one.
        if (!bAtWordStart(st) && st->iInStmt == 1) return RULE_PASS;
        int iSecond = iLetter(p[1]);  // every keyword has a second letter
        if (iSecond < 0) return RULE_PASS;
        pRule = rRulesByStart.arPair[iFirst][iSecond];
    }
    for (; *pRule != NO_RULE; ++pRule) {
        int rc = arRules[*pRule].pfnRule(st);
        if (rc != RULE_PASS) return rc;
    }
    return RULE_PASS;
}
}  // namespace oracle
