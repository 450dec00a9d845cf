// The script commands of a text: the lines that a SQL*Plus script gives to the tool rather than
// to the database (SET, PROMPT, REM, @file, "/" ...). The token reader finds them before anything
// is formatted, the way the tool itself reads a script: a line is a command only where no
// statement is being read, that is at the start of the text, after a statement's ";" or "/",
// and never inside a PL/SQL block, which runs to its "/" line. Here are the questions it asks
// at such a line start.
#include <array>
#include <cstring>

#include "formatter/rcFmtInternal.h"
#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtTokens.h"
#include "formatter/rcFmtWords.h"
#include "runtime/psGlobals.h"

namespace {
// The commands of the tool, the words after SET that make an SQL statement of it, and the words
// of CREATE: its flags, CREATE JAVA's flags, the objects read up to their "/" line and those a
// wrapped body may follow. All from the one table of words.
constexpr auto arCmdIds = arIdsWith<W_COMMAND>();
constexpr auto arSqlSets = arWordsWith<W_SQL_SET>();
constexpr auto arPlsqlObjects = arWordsWith<W_UNIT>();
constexpr auto arCreateFlags = arWordsWith<W_CREATE_FLAG>();
constexpr auto arJavaFlags = arWordsWith<W_JAVA_FLAG>();
constexpr auto arWrappedObjects = arWordsWith<W_WRAPPED_UNIT>();

// The length of the ASCII word at p (letters, digits, "_", "$", "#").
size_t nWordLen(const char *p, const char *pEnd) { return static_cast<size_t>(pClassRunEnd(p, pEnd, CC_WORD) - p); }

template <size_t N>
bool bWordIn(const char *p, size_t n, const std::array<const char *, N> &arWords) {
    for (const char *sz : arWords)
        if (bWordIs(p, n, sz)) return true;
    return false;
}


// The command words by their first letter.
constexpr WordsByKey<26, 9> rCmdsByLetter(arCmdIds.size(), [](size_t i) {
    return static_cast<size_t>(arWordDefs[arCmdIds[i]].szText[0] - 'A');
});

}  // namespace

// Whether the one-letter form at p (A, C, I, L, R) is the command and not the first word of a
// statement: the tool would take "a := 1" for APPEND and "i := 0;" for INPUT, but a text piped
// through the formatter is often a piece of a unit, so A and I count only written longer. L is
// LIST where only line numbers follow it (L, L 3, L 2 5, L *), R is RUN alone on its line, and
// C is CHANGE before its delimiter (C/old/new/).
bool bOneLetterCmd(const char *p, const char *pEnd) {
    const char *q = p + 1;
    const int c = iFold(*p);
    if (c == 'C') return q < pEnd && (*q == '/' || *q == '|' || *q == '!');
    if (c != 'L' && c != 'R') return false;
    for (; q < pEnd && *q != '\n'; ++q)
        if (!(*q == ' ' || *q == '\t' || *q == '\r' || (c == 'L' && (*q == '*' || (*q >= '0' && *q <= '9')))))
            return false;
    return true;
}

namespace {

// Whether the word at p (n bytes, at a line start where no statement is read) is a command. A
// command word stands alone: white space, ";", ",", a parenthesis, an operator or the end of the
// text follows it (the layout writes a blank before an operator and before the "(" after some
// words, and a line end before a comma or a ")", and a second run would find the command there).
bool bCmdWord(const char *p, size_t n, const char *pEnd) {
    if (n == 0) return false;
    const bool bAlone = bWordEndsIn(p + n, pEnd) || p[n] == ';' || p[n] == ',' || p[n] == '(' || p[n] == ')';
    if (!(bAlone || (n == 1 && iFold(*p) == 'C'))) return false;
    const int iFirst = iLetter(*p);
    for (const int8_t *pi = iFirst >= 0 ? rCmdsByLetter.ar[iFirst] : nullptr; pi != nullptr && *pi >= 0; ++pi) {
        const WordDef &cmd = arWordDefs[arCmdIds[*pi]];
        if (n < cmd.nShortest || !bKwBegins(p, n, cmd.szText)) continue;
        if (n == 1) return bOneLetterCmd(p, pEnd);
        if (arCmdIds[*pi] != WORD_SET) return true;
        size_t nNext = 0;
        const char *q = pNextWord(p + n, pEnd, &nNext);
        return !bWordIn(q, nNext, arSqlSets);
    }
    if (bWordIs(p, n, szWord(WORD_ARCHIVE))) {
        // LOG on the command's own line: the line ends the command, and a comment that runs past
        // it would be read otherwise in the text after the command.
        const char *pLf = static_cast<const char *>(std::memchr(p + n, '\n', static_cast<size_t>(pEnd - (p + n))));
        size_t nNext = 0;
        const char *q = pNextWord(p + n, pLf != nullptr ? pLf : pEnd, &nNext);
        return bWordIs(q, nNext, szWord(WORD_LOG));
    }
    return false;
}

}  // namespace

const char *pPastWhiteAndCmts(const char *p, const char *pEnd) {
    for (;;) {
        while (p < pEnd && bIsWhite(*p)) ++p;
        if (!bCmtAtIn(p, pEnd)) return p;
        p = pCmtEnd(p, pEnd);
    }
}

// The next word after the white space (line ends included) and comments at p; *pn its length.
const char *pNextWord(const char *p, const char *pEnd, size_t *pn) {
    p = pPastWhiteAndCmts(p, pEnd);
    *pn = nWordLen(p, pEnd);
    return p;
}

// Whether the statement that begins at p is a PL/SQL unit, read up to its "/" line: a block, a
// CREATE of a PL/SQL object, WITH FUNCTION or PROCEDURE, or a piece of a unit piped from an editor
// that begins with a PL/SQL statement no SQL statement begins with (IF, LOOP, WHILE, FOR, CASE),
// whose EXIT WHEN is then no EXIT command.
bool bPlsqlStart(const char *p, const char *pEnd) {
    // The first letters of the words a unit may begin with: any other word is looked up no further.
    constexpr uint32_t uLetters = uFirstLettersOf(W_BLOCK_START | W_FRAGMENT) | 1u << (szWord(WORD_WITH)[0] - 'A') |
                                  1u << (szWord(WORD_CREATE)[0] - 'A');
    const int i = p < pEnd ? iLetter(*p) : -1;
    const bool bMay = i >= 0 && ((uLetters >> i) & 1u) != 0;
    return bPlsqlStart(p, pEnd, bMay ? eWordOf(p, nWordLen(p, pEnd)) : WORD_NONE);
}

bool bPlsqlStart(const char *p, const char *pEnd, WordId e) {
    if (p + 1 < pEnd && p[0] == '<' && p[1] == '<') return true;  // a label before a block
    if (e == WORD_NONE) return false;
    if ((arWordDefs[e].uRoles & (W_BLOCK_START | W_FRAGMENT)) != 0) return true;
    const bool bWith = e == WORD_WITH;
    if (!bWith && e != WORD_CREATE) return false;
    size_t n = nWordLen(p, pEnd);
    for (;;) {
        p = pNextWord(p + n, pEnd, &n);
        if (bWith) return bWordIs(p, n, szWord(WORD_FUNCTION)) || bWordIs(p, n, szWord(WORD_PROCEDURE));
        if (!bWordIn(p, n, arCreateFlags)) return bWordIn(p, n, arPlsqlObjects);
    }
}

namespace {

// The end of the name that begins at p: a quoted name or a word, and the parts after its points
// (hr."Pay".calc).
const char *pNameEnd(const char *p, const char *pEnd) {
    for (;;) {
        p = p < pEnd && *p == '"' ? pQuotedEnd(p, pEnd) : p + nWordLen(p, pEnd);
        if (p >= pEnd || *p != '.') return p;
        ++p;
    }
}

// Where the head of a unit whose body is no SQL ends, when the statement at p is one: a wrapped
// unit (its body encoded after WRAPPED), a Java source, class or resource, or an XQuery; null
// when it is none. Such a unit goes through byte for byte up to its "/" line; laid out, it could
// no longer be loaded. A comment in its head is read whole, as the head is found.
const char *pVerbatimHeadEnd(const char *p, const char *pEnd) {
    size_t n = nWordLen(p, pEnd);
    if (bWordIs(p, n, szWord(WORD_XQUERY))) return p + n;
    if (!bWordIs(p, n, szWord(WORD_CREATE))) return nullptr;
    do p = pNextWord(p + n, pEnd, &n);
    while (bWordIn(p, n, arCreateFlags) || bWordIn(p, n, arJavaFlags));
    if (bWordIs(p, n, szWord(WORD_JAVA))) return p + n;
    if (!bWordIn(p, n, arWrappedObjects)) return nullptr;
    const char *q = pNextWord(p + n, pEnd, &n);
    if (bWordIs(q, n, szWord(WORD_BODY))) q = pNextWord(q + n, pEnd, &n);
    q = pNextWord(pNameEnd(q, pEnd), pEnd, &n);
    return bWordIs(q, n, szWord(WORD_WRAPPED)) ? q + n : nullptr;
}

// The end of the line at p: just past its line feed, or pEnd.
const char *pLineEnd(const char *p, const char *pEnd) {
    const char *pLf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(pEnd - p)));
    return pLf != nullptr ? pLf + 1 : pEnd;
}

}  // namespace

// Whether the line at p holds nothing but "/" (blanks and TABs around it allowed).
bool bSlashLine(const char *p, const char *pEnd) {
    while (p < pEnd && (*p == ' ' || *p == '\t')) ++p;
    if (p >= pEnd || *p != '/') return false;
    for (++p; p < pEnd && *p != '\n'; ++p)
        if (*p != ' ' && *p != '\t' && *p != '\r') return false;
    return true;
}

// Whether a "/" (not a comment's "/*") is the next byte after the white space at p: after a
// ";" the layout takes it for the terminator wherever it stands.
bool bSlashAhead(const char *p, const char *pEnd) {
    while (p < pEnd && bIsWhite(*p)) ++p;
    return p < pEnd && *p == '/' && !bCmtAtIn(p, pEnd);
}

namespace {

// The end of a command line at p, with the lines it continues onto: a line whose last byte
// (blanks after it allowed) is "-" goes on in the next line.
const char *pCmdEnd(const char *p, const char *pEnd) {
    for (;;) {
        const char *e = pLineEnd(p, pEnd);
        const char *q = e;
        while (q > p && bIsWhite(q[-1])) --q;
        if (e >= pEnd || q == p || q[-1] != '-') return e;
        p = e;
    }
}

// Where a unit that goes through byte for byte ends: at the start of the first line after the
// one that holds p (the end of its head) that holds nothing but "/", or at pEnd. Its bytes are
// not read as SQL: a Java comment or literal is no SQL comment or literal.
const char *pVerbatimEnd(const char *p, const char *pEnd) {
    for (p = pLineEnd(p, pEnd); p < pEnd; p = pLineEnd(p, pEnd))
        if (bSlashLine(p, pEnd)) return p;
    return pEnd;
}

}  // namespace

// Where the command or the unit carried whole that begins at q (at a line start where no
// statement is read) ends, or null when none begins there; *pbVerbatim tells a unit carried whole
// ("!" runs a host command, "?" asks for help).
const char *pCommandEnd(const char *q, const char *pEnd, bool *pbVerbatim) {
    const char *pHeadEnd = pVerbatimHeadEnd(q, pEnd);
    *pbVerbatim = pHeadEnd != nullptr;
    if (*pbVerbatim) return pVerbatimEnd(pHeadEnd, pEnd);
    if (bSlashLine(q, pEnd)) return pLineEnd(q, pEnd);
    if (*q == '@' || *q == '!' || *q == '?' || bCmdWord(q, nWordLen(q, pEnd), pEnd)) return pCmdEnd(q, pEnd);
    return nullptr;
}

// The token reader, which reads the text as the tool does, tells where the commands and the units
// carried whole stand, where comments stand between them, and where a literal or a comment never
// closes.
int rcFindScriptLines(const char *pText, size_t nText, TextEnc rEnc, ScriptLines *pLines) {
    TokenReader reader(pText, nText, rEnc, GRAIN_SCRIPT);
    bool bCmt = false;  // since the last line
    for (Token t; reader.bNext(&t);) {
        if ((t.uFlags & TF_OPEN) != 0) pLines->iOpen = t.iOff;
        bCmt = bCmt || t.eKind == TK_LINE_CMT || t.eKind == TK_BLOCK_CMT;
        if (t.eKind != TK_COMMAND && t.eKind != TK_UNIT_WHOLE) continue;
        if (!bGrowTo(&pLines->p, &pLines->cap, pLines->n + 1)) return RC_NOMEM;
        pLines->p[pLines->n++] = ScriptLine{t.iOff, t.iOff + t.nLen, t.eKind == TK_UNIT_WHOLE, bCmt};
        bCmt = false;
    }
    pLines->bCmtAfterLast = bCmt;
    return RC_OK;
}
