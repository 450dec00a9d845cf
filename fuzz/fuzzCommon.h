// What every fuzz target shares: messages go to the null device, the formatting options can be
// taken from the first input bytes, and the promises of the formatter are checked (a finding
// aborts).
#pragma once
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "formatter/rStmtStyle.h"
#include "formatter/rcFmtStmt.h"
#include "formatter/rcFmtTokens.h"
#include "runtime/psGlobals.h"
#include "tests/fmtPromises.h"

// Messages of the program under test cost time and tell the fuzzer nothing.
inline void vQuietConsole() {
    static FILE *fpNull = std::fopen("/dev/null", "wb");
    if (fpNull == nullptr) std::abort();
    console = fpNull;
}

// A 32-bit option value from one byte: small values near the interesting limits mostly, and now
// and then an extreme that the command line also lets through (no range check).
inline int32_t iOptValue(uint8_t b) {
    static const int32_t aiExtreme[] = {0, -1, INT_MIN, INT_MAX, 1000, 100000, -100, 256};
    return (b & 0x80) ? aiExtreme[b & 7] : static_cast<int32_t>(b & 0x7f) - 4;  // -4 .. 123
}

// Takes five bytes off the front of the input as the -i, -c, -s, -j and --encoding values (the
// last also the line end written, the letter case of keywords and the blank lines).
// Returns false when the input is too short.
inline bool bStyleFromBytes(const uint8_t **pp, size_t *pn, StmtStyle *pStyle) {
    if (*pn < 5) return false;
    const uint8_t *p = *pp;
    vDefaultStmtStyle(pStyle);
    int iWidth = p[0] % 34;  // 0 or 33: the TAB; 1..32 blanks
    if (iWidth >= 1 && iWidth <= MAX_INDENT_WIDTH) {
        std::memset(pStyle->szIndent, ' ', static_cast<size_t>(iWidth));
        pStyle->szIndent[iWidth] = '\0';
    }
    pStyle->iNumComma = iOptValue(p[1]);
    pStyle->iPartSize = iOptValue(p[2]);
    pStyle->iJoinAt = (p[3] & 0x40) ? 0 : iOptValue(p[3]);
    pStyle->iEncoding = p[4] % 4;  // automatic, Shift_JIS, UTF-8, Latin-1
    pStyle->bCrLf = (p[4] & 0x10) != 0;
    pStyle->eKeywordCase = (p[4] >> 5) % 3;  // keep, upper, lower
    pStyle->bKeepBlankLines = (p[4] & 0x08) != 0;
    *pp += 5;
    *pn -= 5;
    return true;
}

// Formats n bytes with a copy of the options; the output (empty on failure) and the code. The
// bytes are handed over in a block of their own size: no byte after them may be read.
inline int rcFormatCopy(const char *p, size_t n, const StmtStyle &rStyle, std::string *psOut) {
    StmtStyle style = rStyle;
    HeapPtr<char> spText(static_cast<char *>(pvAlloc(n > 0 ? n : 1)));
    if (spText == nullptr) std::abort();
    std::memcpy(spText.get(), p, n);
    char *szFmt = nullptr;
    int rc = rcFmtStmtLen(spText.get(), n, &szFmt, &style);
    HeapPtr<char> fmt(szFmt);
    if (rc == RC_OK && (szFmt == nullptr || szFmt[style.iFmtLen] != '\0')) std::abort();
    psOut->assign(rc == RC_OK ? szFmt : "", rc == RC_OK ? static_cast<size_t>(style.iFmtLen) : 0);
    return rc;
}

// The same, the text given to the formatter in a block of its own (as console mode gives it),
// with room after it.
inline int rcFormatGiven(const char *p, size_t n, const StmtStyle &rStyle, std::string *psOut) {
    StmtStyle style = rStyle;
    const size_t nCap = n + 1 + n % 5;
    HeapPtr<char> spText(static_cast<char *>(pvAlloc(nCap)));
    if (spText == nullptr) std::abort();
    std::memcpy(spText.get(), p, n);
    spText.get()[n] = '\0';
    char *szFmt = nullptr;
    int rc = rcFmtStmtTake(std::move(spText), n, nCap, &szFmt, &style);
    HeapPtr<char> fmt(szFmt);
    psOut->assign(rc == RC_OK ? szFmt : "", rc == RC_OK ? static_cast<size_t>(style.iFmtLen) : 0);
    return rc;
}

inline void vFinding(const char *szWhat) {
    std::fprintf(stderr, "%s\n", szWhat);
    std::abort();
}

// Whether a second run must succeed and give the output byte for byte (QUORVA_FUZZ_STRICT set
// and not "0"), or, where it succeeds, only keep the bytes other than white space in their order.
// Garbage inputs reach layout corners where a second run breaks a line otherwise, or refuses an
// unclosed "(" that the first run carried inside a condition; the short runs of the test command
// keep to what guards the text, long runs explore the rest.
inline bool bStrictSecondRun() {
    static const bool bStrict = [] {
        const char *sz = std::getenv("QUORVA_FUZZ_STRICT");
        return sz != nullptr && sz[0] != '\0' && std::strcmp(sz, "0") != 0;
    }();
    return bStrict;
}

// The formatter's promises on success, keywords' letters kept: its bytes other than white space
// (and than "_", which joining's glue adds) are the input's; without joining, no two words are
// joined (where a comment moved: no word stands in the output that the input lacks), every
// literal, line comment and unit carried whole keeps its bytes and a second run moves no byte
// other than white space (strictly: changes nothing, reads the same literals, comments and units
// carried whole and the same code outside comments, the output reads as the input's tokens with
// as many statement ends and no empty line: garbage still finds lines that the layout splits so
// that a script command, "@" or EXECUTE, begins the second one). A finding aborts.
inline void vCheckFormatted(const std::string &sIn, const std::string &sOut, const StmtStyle &rStyle) {
    const bool bJoin = rStyle.iJoinAt != 0;
    if (sInk(sIn, true, bJoin) != sInk(sOut, true, bJoin)) vFinding("the bytes other than white space differ");
    if (bJoin) return;  // joining glues lines on purpose: its output is another text
    if (iJoinedAt(sIn, sOut, true) != std::string::npos) vFinding("two words joined");
    if (!bDataKept(sIn, sOut, rStyle.iEncoding)) vFinding("a literal or a line comment changed");
    // Garbage can make a line a script command in one run and statement text in the other, which
    // reads its tokens otherwise: the strict runs only.
    if (bStrictSecondRun() && sInk(sIn) == sInk(sOut) &&
        vsTokens(sIn, rStyle.iEncoding, false) != vsTokens(sOut, rStyle.iEncoding, false))
        vFinding("a token split or joined");
    if (bStrictSecondRun() && nStatementsIn(sIn, rStyle.iEncoding) != nStatementsIn(sOut, rStyle.iEncoding))
        vFinding("the statement ends differ");
    if (bStrictSecondRun() && iEmptyLineAt(sOut, rStyle.iEncoding) != std::string::npos) vFinding("an empty line");
    if (bStrictSecondRun() && vsLiterals(sIn, rStyle.iEncoding, true) != vsLiterals(sOut, rStyle.iEncoding, true))
        vFinding("a second run reads other literals, comments or units carried whole");
    if (bStrictSecondRun() && sCodeInk(sIn, rStyle.iEncoding) != sCodeInk(sOut, rStyle.iEncoding))
        vFinding("the code outside comments changed");
    std::string sAgain;
    if (rcFormatCopy(sOut.data(), sOut.size(), rStyle, &sAgain) != RC_OK) {
        // A refusal changes no byte; garbage with unbalanced parentheses still meets one.
        if (bStrictSecondRun()) vFinding("a second run fails");
        return;
    }
    if (sInk(sAgain) != sInk(sOut)) vFinding("a second run moves bytes other than white space");
    if (bStrictSecondRun() && sAgain != sOut) vFinding("a second run changes the output");
}

// The token reader cuts any text into tokens that follow one another, none empty, none past the
// end, with nothing but white space between them and after the last, in every encoding; read for
// the script's sake it finds the same commands and units carried whole; and it reads literals,
// quoted names and comments as the lexical layer does.
inline void vCheckTokens(const std::string &s) {
    for (int32_t eEnc : {ENC_SJIS, ENC_UTF8, ENC_LATIN1}) {
        if (iDataReadOtherwiseAt(s, eEnc) != std::string::npos) vFinding("a literal or a comment read otherwise");
        TokenReader reader(s.data(), s.size(), rTextEnc(eEnc)), script(s.data(), s.size(), rTextEnc(eEnc), GRAIN_SCRIPT);
        size_t iAt = 0;
        Token t, c;
        bool bScript = script.bNext(&c);
        while (reader.bNext(&t)) {
            if (t.nLen == 0 || t.iOff < iAt || t.iOff + t.nLen > s.size()) vFinding("a token out of order");
            for (size_t i = iAt; i < t.iOff; ++i)
                if (!bIsWhite(s[i])) vFinding("a byte between tokens");
            iAt = t.iOff + t.nLen;
            if (t.eKind != TK_COMMAND && t.eKind != TK_UNIT_WHOLE) continue;
            while (bScript && c.eKind != TK_COMMAND && c.eKind != TK_UNIT_WHOLE) bScript = script.bNext(&c);
            if (!bScript || c.iOff != t.iOff || c.nLen != t.nLen || c.eKind != t.eKind) vFinding("a command read otherwise");
            bScript = script.bNext(&c);
        }
        for (size_t i = iAt; i < s.size(); ++i)
            if (!bIsWhite(s[i])) vFinding("a byte after the last token");
        while (bScript && c.eKind != TK_COMMAND && c.eKind != TK_UNIT_WHOLE) bScript = script.bNext(&c);
        if (bScript) vFinding("a command read at the script grain only");
    }
}

// Formats the bytes with the options and checks the promises. A keyword case and blank lines kept
// are checked against the output of keep and drop, which the promises above hold for: the same
// result, the same bytes but for the letters of keywords and the empty lines kept, the same
// literals, comments and units carried whole, and a second run with the same options that moves
// no byte other than white space (strictly: changes nothing). *psPlain (when given) receives the
// output of keep and drop and *pRc its code.
inline void vFormatAndCheck(const uint8_t *pData, size_t nData, const StmtStyle &rStyle, int *pRc = nullptr,
                            std::string *psPlain = nullptr) {
    const std::string sIn(reinterpret_cast<const char *>(pData), nData);
    vCheckTokens(sIn);
    StmtStyle rPlain = rStyle;
    rPlain.eKeywordCase = KWCASE_KEEP;
    rPlain.bKeepBlankLines = false;
    std::string sOut;
    const int rc = rcFormatCopy(sIn.data(), sIn.size(), rPlain, &sOut);
    if (pRc != nullptr) *pRc = rc;
    if (psPlain != nullptr) *psPlain = sOut;
    if (rc == RC_OK) vCheckFormatted(sIn, sOut, rPlain);
    if (rStyle.eKeywordCase == KWCASE_KEEP && !rStyle.bKeepBlankLines) return;
    std::string sStyled, sAgain;
    if (rcFormatCopy(sIn.data(), sIn.size(), rStyle, &sStyled) != rc) vFinding("the keyword case or blank lines change the result");
    if (rc != RC_OK) return;
    // Joining glues the lines of the text into another one, which the promises read otherwise than
    // the formatter read the input: there the bytes other than white space are compared, letters
    // in either case.
    if (rStyle.iJoinAt != 0) {
        std::string sA = sInk(sOut, false, true), sB = sInk(sStyled, false, true);
        for (std::string *ps : {&sA, &sB}) {
            for (char &c : *ps) c = static_cast<char>(iFold(c));
            std::sort(ps->begin(), ps->end());  // joining may move a comment
        }
        if (sA != sB) vFinding("the keyword case or blank lines changed more than letters and white space");
        return;
    }
    // Both without their empty lines outside data (the plain output has none but where garbage
    // hides a line's data from the promises' reading).
    auto sWithoutEmptyLines = [&](const std::string &s) {
        std::string sDropped = s;
        const std::vector<size_t> vAt = vEmptyLinesAt(s, rStyle.iEncoding);
        for (auto it = vAt.rbegin(); it != vAt.rend(); ++it)
            sDropped.erase(*it, *it > 0 && sDropped[*it - 1] == '\r' ? 2 : 1);
        return sDropped;
    };
    if (bStrictSecondRun() && !rStyle.bKeepBlankLines && iEmptyLineAt(sStyled, rStyle.iEncoding) != std::string::npos)
        vFinding("an empty line");
    if (iNotKeywordCaseAt(sWithoutEmptyLines(sOut), sWithoutEmptyLines(sStyled)) != std::string::npos)
        vFinding("more than keywords' letters and empty lines changed");
    if (vsLiterals(sOut, rStyle.iEncoding, true) != vsLiterals(sStyled, rStyle.iEncoding, true))
        vFinding("the keyword case or blank lines changed a literal, a comment or a unit carried whole");
    if (rStyle.iJoinAt != 0) return;  // joining glues lines on purpose: a second run reads another text
    if (rcFormatCopy(sStyled.data(), sStyled.size(), rStyle, &sAgain) != RC_OK) {
        if (bStrictSecondRun()) vFinding("a second run with the options fails");
        return;
    }
    if (sInk(sAgain) != sInk(sStyled)) vFinding("a second run with the options moves bytes other than white space");
    if (bStrictSecondRun() && sAgain != sStyled) vFinding("a second run with the options changes the output");
}
