// The letter case of keywords: one pass of the token reader over the formatted text, which
// changes the letters of the keywords in place. The layout has been made by then, and the same
// layout comes out whatever the case of its keywords: only letters change, never a length.
#include "formatter/rcFmtCase.h"

#include "formatter/rStmtStyle.h"
#include "formatter/rcFmtTokens.h"

namespace {
// Whether a word token is a keyword of the table (W_KEYWORD).
bool bKeywordToken(const Token &t) {
    return t.eKind == TK_WORD && t.eWord != WORD_NONE && (arWordDefs[t.eWord].uRoles & W_KEYWORD) != 0;
}

// Whether a word right after the token t (no white space between) is a part of a name: a
// member or column after a ".", a substitution variable after "&", a bind variable after ":",
// a database link after "@", or the rest of a name that holds a character of several bytes.
bool bNameGlueBefore(const Token &t, const char *pText) {
    if (t.eKind == TK_CHAR) return true;
    if (t.eKind != TK_PUNCT) return false;
    const char c = pText[t.iOff];
    return c == '.' || c == '&' || c == ':' || c == '@';
}

// Whether a word right before the token t is a part of a name: a qualifier before "." (schema,
// table, package, record), an object before "@" and its link, or the start of a name that holds
// a character of several bytes.
bool bNameGlueAfter(const Token &t, const char *pText) {
    if (t.eKind == TK_CHAR) return true;
    return t.eKind == TK_PUNCT && (pText[t.iOff] == '.' || pText[t.iOff] == '@');
}

bool bTouch(const Token &tBefore, const Token &tAfter) { return tBefore.iOff + tBefore.nLen == tAfter.iOff; }

// Writes the ASCII letters of the token in the case asked for.
void vCaseToken(char *pText, const Token &t, int32_t eKeywordCase) {
    char *p = pText + t.iOff, *const pEnd = p + t.nLen;
    if (eKeywordCase == KWCASE_UPPER) {
        for (; p < pEnd; ++p)
            if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - ('a' - 'A'));
    } else {
        for (; p < pEnd; ++p)
            if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p + ('a' - 'A'));
    }
}
}  // namespace

void vSetKeywordCase(char *pText, size_t nText, TextEnc rEnc, int32_t eKeywordCase) {
    if (eKeywordCase != KWCASE_UPPER && eKeywordCase != KWCASE_LOWER) return;
    TokenReader reader(pText, nText, rEnc, GRAIN_STATEMENTS);
    // A keyword waits for the token after it, which may glue it to a name. The tokens are read
    // a batch at a time; the token before and the waiting keyword are kept across batches.
    Token arTok[256], tBefore{}, tKeyword{};
    const Token *pBefore = nullptr, *pKeyword = nullptr;
    for (size_t nTok; (nTok = reader.nRead(arTok, sizeof arTok / sizeof *arTok)) > 0;) {
        for (const Token *pTok = arTok; pTok < arTok + nTok; ++pTok) {
            const Token &t = *pTok;
            const bool bTouching = pBefore != nullptr && bTouch(*pBefore, t);
            if (pKeyword != nullptr && !(bTouching && bNameGlueAfter(t, pText))) vCaseToken(pText, *pKeyword, eKeywordCase);
            pKeyword = bKeywordToken(t) && !(bTouching && bNameGlueBefore(*pBefore, pText)) ? pTok : nullptr;
            pBefore = pTok;
        }
        // The batch is read over by the next: the two tokens that outlive it are copied.
        tBefore = *pBefore;
        pBefore = &tBefore;
        if (pKeyword != nullptr) {
            tKeyword = *pKeyword;
            pKeyword = &tKeyword;
        }
    }
    if (pKeyword != nullptr) vCaseToken(pText, *pKeyword, eKeywordCase);
}
