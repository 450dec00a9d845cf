// The token reader: one pass over a text that cuts it into tokens and tells, as the tool reads a
// script, where a command line or a unit carried whole stands.
#include "formatter/rcFmtTokens.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "formatter/rcFmtInternal.h"
#include "formatter/rcFmtLex.h"

namespace {
// The one-word rows of the table of words, by a hash of their length and their first eight bytes
// folded (uFoldedHead): open addressing in a table of four times as many slots as words at least,
// made at compile time. Each slot holds the word's id, length and folded head.
constexpr size_t WORD_SLOTS = 2048;
constexpr unsigned WORD_SLOT_BITS = 11;
static_assert(WORD_SLOTS == size_t(1) << WORD_SLOT_BITS, "the slots are a power of two");
static_assert(WORD_SLOTS >= 4 * WORD_COUNT, "the table of words outgrows its slots");

constexpr size_t iWordSlot(uint64_t uHead, size_t n) {
    return static_cast<size_t>(((uHead ^ n) * 0x9E3779B97F4A7C15ull) >> (64 - WORD_SLOT_BITS));
}

constexpr size_t nTextLen(const char *sz) {
    size_t n = 0;
    while (sz[n] != '\0') ++n;
    return n;
}

// The first eight bytes of a word (fewer: zeros after them), each with bit 0x20 cleared: that
// folds a letter of either case to its capital and leaves the other bytes of words ("_", "$",
// "#") apart from every byte of a word but their own.
constexpr uint64_t uFoldedHead(const char *p, size_t n) {
    uint64_t u = 0;
    for (size_t i = 0; i < n && i < 8; ++i) u |= static_cast<uint64_t>(static_cast<uint8_t>(p[i]) & 0xDFu) << (8 * i);
    return u;
}

struct WordSlot {
    int16_t eWord = WORD_NONE;
    uint8_t nLen = 0;
    uint64_t uHead = 0;  // uFoldedHead of the word
};
struct WordSlots {
    std::array<WordSlot, WORD_SLOTS> ar{};
    size_t nShortest = SIZE_MAX, nLongest = 0;
    constexpr WordSlots() {
        for (size_t k = 0; k < WORD_COUNT; ++k) {
            const char *sz = arWordDefs[k].szText;
            const size_t n = nTextLen(sz);
            bool bPhrase = false;
            for (const char *c = sz; *c != '\0'; ++c) bPhrase = bPhrase || *c == ' ';
            // A phrase is read word by word; a directive ($THEN) is no word of letters.
            if (bPhrase || sz[0] < 'A' || sz[0] > 'Z') continue;
            size_t i = iWordSlot(uFoldedHead(sz, n), n);
            while (ar[i].eWord != WORD_NONE) i = (i + 1) % WORD_SLOTS;
            ar[i] = WordSlot{static_cast<int16_t>(k), static_cast<uint8_t>(n), uFoldedHead(sz, n)};
            nLongest = n > nLongest ? n : nLongest;
            nShortest = n < nShortest ? n : nShortest;
        }
    }
};
constexpr WordSlots rWordSlots;

// What may begin at a byte, for the token cutter: white space, a ";" and the single
// punctuation are told apart here too, so that one look at a byte decides what the reader does.
enum : uint8_t {
    LEAD_OTHER, LEAD_WORD, LEAD_QN, LEAD_DIGIT, LEAD_POINT, LEAD_QUOTE, LEAD_CMT, LEAD_OPER, LEAD_HIGH,
    LEAD_BLANK, LEAD_LF, LEAD_SEMI,
};
struct LeadTable {
    uint8_t ar[256] = {};
    constexpr LeadTable() {
        for (int c = 0; c < 256; ++c) {
            ar[c] = c == 'q' || c == 'Q' || c == 'n' || c == 'N' ? LEAD_QN
                    : c >= '0' && c <= '9'                        ? LEAD_DIGIT
                    : bWordByteOf(c)                              ? LEAD_WORD
                    : c == '.'                                    ? LEAD_POINT
                    : c == '\'' || c == '"'                       ? LEAD_QUOTE
                    : c == '-' || c == '/'                        ? LEAD_CMT
                    : bOperatorByteOf(c)                          ? LEAD_OPER
                    : c >= 0x80                                   ? LEAD_HIGH
                    : c == '\n'                                   ? LEAD_LF
                    : bWhiteByte(c)                               ? LEAD_BLANK
                    : c == ';'                                    ? LEAD_SEMI
                                                                  : LEAD_OTHER;
        }
    }
};
constexpr LeadTable rLeads;
const uint8_t *const arLead = rLeads.ar;

inline bool bDigit(char c) { return c >= '0' && c <= '9'; }

// The end of the number at p, in the text that begins at pStart: digits, a point and digits (not
// the first point of ".."), the word bytes glued to them (1e5, 10M, 1.5f; no quoting), and an exponent's sign
// with its digits where the lexical layer takes the sign for the number's (1e-5, .5E+3).
const char *pNumberEnd(const char *pStart, const char *p, const char *pEnd) {
    while (p < pEnd && bDigit(*p)) ++p;
    if (p < pEnd && *p == '.' && !(p + 1 < pEnd && p[1] == '.'))
        for (++p; p < pEnd && bDigit(*p);) ++p;
    // A quoting q'x...x' or nq'x...x' may begin right after the point: the number ends there, as
    // every pass reads it (1.q'[a'b]' is 1. and a literal).
    if (p[-1] == '.' && p < pEnd && (bLiteralAt(p, pStart, pEnd) || ((*p | 0x20) == 'n' && bLiteralAt(p + 1, pStart, pEnd))))
        return p;
    while (p < pEnd && bIsWordByte(*p)) ++p;
    if (pEnd - p >= 2 && (*p == '+' || *p == '-') && bExponentSignAt(p, pStart))
        for (p += 1; p < pEnd && bIsWordByte(*p);) ++p;
    return p;
}
}  // namespace

namespace {
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the first byte of a word is the lowest of its head");
// The bits of a word's first eight bytes that its folded head keeps, by its length (eight for
// longer words): bit 0x20 of each of its bytes cleared, the bytes after it zero.
constexpr uint64_t uHeadMask(size_t n) { return n >= 8 ? 0xDFDFDFDFDFDFDFDFull : 0xDFDFDFDFDFDFDFDFull >> (64 - 8 * n); }
constexpr uint64_t arHeadMask[9] = {0, uHeadMask(1), uHeadMask(2), uHeadMask(3), uHeadMask(4),
                                    uHeadMask(5), uHeadMask(6), uHeadMask(7), uHeadMask(8)};

// The word of the table whose folded head uHead and length n the text's word [p, p + n) has. No
// byte of a word folds to zero, so that a head of fewer than eight bytes tells the length too.
inline WordId eWordOfHead(const char *p, size_t n, uint64_t uHead) {
    for (size_t i = iWordSlot(uHead, n);; i = (i + 1) % WORD_SLOTS) {
        const WordSlot &slot = rWordSlots.ar[i];
        if (slot.uHead == uHead && (n < 8 || (slot.nLen == n && (n == 8 || nKwLen(p + 8, arWordDefs[slot.eWord].szText + 8) == n - 8))))
            return static_cast<WordId>(slot.eWord);
        if (slot.eWord == WORD_NONE) return WORD_NONE;
    }
}
}  // namespace

WordId eWordOf(const char *p, size_t n) {
    if (n < rWordSlots.nShortest || n > rWordSlots.nLongest) return WORD_NONE;
    uint64_t u = 0;
    std::memcpy(&u, p, n < 8 ? n : 8);
    return eWordOfHead(p, n, u & arHeadMask[n < 8 ? n : 8]);
}

WordId eWordOfIn(const char *p, size_t n, const char *pEnd) {
    if (n < rWordSlots.nShortest || n > rWordSlots.nLongest) return WORD_NONE;
    if (pEnd - p < 8) return eWordOf(p, n);
    uint64_t u;
    std::memcpy(&u, p, 8);
    return eWordOfHead(p, n, u & arHeadMask[n < 8 ? n : 8]);
}

TokenReader::TokenReader(const char *pText, size_t nText, TextEnc rEnc, ReadGrain eGrain)
    : pText_(pText), pEnd_(pText + nText), p_(pText), rEnc_(rEnc), eGrain_(eGrain),
      eState_(eGrain == GRAIN_STATEMENTS ? IN_SQL : IDLE) {}

size_t TokenReader::nRead(Token *arTok, size_t nMax) {
    size_t n = 0;
    while (n < nMax && p_ < pEnd_)
        n += eState_ == IDLE              ? bNextIdle(arTok + n)
             : eGrain_ == GRAIN_SCRIPT ? nPassStmt(arTok + n, nMax - n)
                                       : nReadStmt(arTok + n, nMax - n);
    return n;
}

// Where no statement is read: white space, comments, commands, a "/" that ends the statement
// before, or the start of a statement, which the next steps read.
bool TokenReader::bNextIdle(Token *pTok) {
    const char *q = p_;
    while (q < pEnd_ && (*q == ' ' || *q == '\t' || *q == '\r')) ++q;
    if (q > p_) uWhite_ |= TF_WHITE;
    if (q >= pEnd_) {
        p_ = pEnd_;
        return false;
    }
    if (*q == '\n') {
        p_ = q + 1;
        uWhite_ |= TF_WHITE | TF_LINE;
        bLineStart_ = true;
        bSlashEnds_ = bSlashEnds_ || bAfterBlockCmt_;
        bAfterSlash_ = false;
        return false;
    }
    if (bCmtAtIn(q, pEnd_)) {
        vCut(pTok, q);
        bLineStart_ = p_[-1] == '\n';
        bSlashEnds_ = q[0] == '-';
        bAfterBlockCmt_ = q[0] == '/';
        return true;
    }
    // A command that follows a statement's ";" on the same line goes on a line of its own:
    // there a second run finds it at the start of its line.
    bool bWhole = false;
    if (const char *e = bAfterSlash_ && *q == '/' ? nullptr : pCommandEnd(q, pEnd_, &bWhole)) {
        const char *pStart = bLineStart_ ? p_ : q;
        *pTok = Token{static_cast<size_t>(pStart - pText_), static_cast<size_t>(e - pStart), WORD_NONE,
                      static_cast<uint8_t>(bWhole ? TK_UNIT_WHOLE : TK_COMMAND), uWhite_};
        vPast(e);
        bLineStart_ = true;
        bSlashEnds_ = bAfterBlockCmt_ = bAfterSlash_ = false;
        return true;
    }
    // Such a "/" gets a line of its own from the layout, where a second run finds it.
    if (bSlashEnds_ && *q == '/' && !bCmtAtIn(q, pEnd_)) {
        vCut(pTok, q);
        bLineStart_ = bSlashEnds_ = bAfterBlockCmt_ = false;
        bAfterSlash_ = true;
        return true;
    }
    eState_ = bPlsqlStart(q, pEnd_) ? IN_PLSQL : IN_SQL;
    bAfterSlash_ = false;
    p_ = pStmt_ = q;
    return false;
}

namespace {
// Whether an alternative quoting may begin at p, where a word of q or n begins (q'x...x',
// nq'x...x'): else the word is read at once, without the cutter's closer look.
inline bool bQuoteMayOpen(const char *p, const char *pEnd) {
    const char *q = (*p | 0x20) == 'n' ? p + 1 : p;
    return pEnd - q >= 2 && (*q | 0x20) == 'q' && q[1] == '\'';
}

// Whether a word byte stands right before q, in the text that begins at pText.
inline bool bWordBefore(const char *pText, const char *q) { return q > pText && bIsWordByte(q[-1]); }
// Whether a point before q follows a name: what follows is a part of the name, no number.
inline bool bNameAt(const char *pText, const char *q) {
    return q - pText >= 2 && q[-1] == '.' && bIsWordByte(q[-2]);
}

// The end of the token at a digit or a point q: a number where it begins a word (no word byte
// before it, nor a point after a name: t1.e-5 is a column minus 5; the 10 of 1..10 is a number),
// else the rest of a word after a digit, or the point alone. *peKind receives its kind.
inline const char *pNumberOrWordEnd(const char *pText, const char *q, const char *pEnd, uint8_t *peKind) {
    if (!bWordBefore(pText, q) && !bNameAt(pText, q) && (*q != '.' || (q + 1 < pEnd && bDigit(q[1])))) {
        *peKind = TK_NUMBER;
        return pNumberEnd(pText, q, pEnd);
    }
    *peKind = *q != '.' ? TK_WORD : TK_PUNCT;
    return *q != '.' ? pClassRunEnd(q + 1, pEnd, CC_WORD) : q + 1;
}

// Cuts the token at p (in the text [pText, pEnd), eLead its first byte's lead) into *pTok where
// it is of the commonest kinds, which need no closer look: a word, a single punctuation, an
// operator but "+" (an exponent's sign may be one), "*" after a point (a qualified name's star
// may be one) or at the text's last byte, a number or a point. Its end, or null where vCut must
// decide.
inline const char *pCutPlain(Token *pTok, const char *pText, const char *p, const char *pEnd, uint8_t eLead,
                             uint8_t uWhite) {
    const size_t iOff = static_cast<size_t>(p - pText);
    switch (eLead) {
    case LEAD_QN:
        if (bQuoteMayOpen(p, pEnd)) return nullptr;
        [[fallthrough]];
    case LEAD_WORD: {  // no word byte before it: the token before took all of them
        const char *e = pClassRunEnd(p + 1, pEnd, CC_WORD);
        const size_t n = static_cast<size_t>(e - p);
        *pTok = Token{iOff, n, eWordOfIn(p, n, pEnd), TK_WORD, uWhite};
        return e;
    }
    case LEAD_OTHER:
        *pTok = Token{iOff, 1, WORD_NONE, TK_PUNCT, uWhite};
        return p + 1;
    case LEAD_OPER: {
        if (*p == '+' || (*p == '*' && p > pText && p[-1] == '.') || pEnd - p < 2) return nullptr;
        const size_t n = nOperatorAt(p);
        *pTok = Token{iOff, n != 0 ? n : 1, WORD_NONE, static_cast<uint8_t>(n != 0 ? TK_OPERATOR : TK_PUNCT), uWhite};
        return p + (n != 0 ? n : 1);
    }
    case LEAD_DIGIT:
    case LEAD_POINT: {
        uint8_t eKind = TK_PUNCT;
        const char *e = pNumberOrWordEnd(pText, p, pEnd, &eKind);
        *pTok = Token{iOff, static_cast<size_t>(e - p), WORD_NONE, eKind, uWhite};
        return e;
    }
    default:
        return nullptr;
    }
}
}  // namespace

// Inside a statement, every token: up to nMax tokens into arTok, up to the end of the statement
// (its ";", a "/" line). White space and the commonest tokens are read here; the rest by vCut.
size_t TokenReader::nReadStmt(Token *arTok, size_t nMax) {
    const char *const pText = pText_, *const pEnd = pEnd_;  // never reread after a token's store
    const ReadGrain eGrain = eGrain_;
    const char *p = p_;
    uint8_t uWhite = uWhite_;
    size_t n = 0;
    while (n < nMax && p < pEnd) {
        const uint8_t eLead = arLead[static_cast<uint8_t>(*p)];
        if (eLead == LEAD_BLANK) {
            uWhite |= TF_WHITE;
            ++p;
            continue;
        }
        if (eLead == LEAD_LF) {
            uWhite |= TF_WHITE | TF_LINE;
            ++p;
            if (eGrain == GRAIN_STATEMENTS || !bSlashLine(p, pEnd)) continue;
            vEndAtSlashLine();
            break;
        }
        if (const char *e = pCutPlain(arTok + n, pText, p, pEnd, eLead, uWhite)) {
            ++n;
            // Most tokens are followed by one blank, which is passed here.
            const bool bBlank = e < pEnd && *e == ' ';
            uWhite = bBlank ? TF_WHITE : 0;
            p = e + bBlank;
            continue;
        }
        Token &t = arTok[n++];
        if (eLead == LEAD_SEMI) {  // a punctuation of its own, which may end the statement
            t = Token{static_cast<size_t>(p - pText), 1, WORD_NONE, TK_PUNCT, uWhite};
            uWhite = 0;
            p_ = ++p;
        } else {
            uWhite_ = uWhite;
            vCut(&t, p);
            uWhite = uWhite_;
            p = p_;
        }
        if (eGrain != GRAIN_STATEMENTS && (eLead == LEAD_SEMI || t.eKind == TK_LINE_CMT) && bEndsStmt(eLead == LEAD_SEMI))
            break;
    }
    p_ = p;
    uWhite_ = uWhite;
    return n;
}

namespace {
// The white space right before q, where the bytes since the last token begin at pRun and the
// white space uBefore stood before them.
inline uint8_t uWhiteBefore(const char *pRun, const char *q, uint8_t uBefore) {
    uint8_t u = 0;
    for (; q > pRun && bIsWhite(q[-1]); --q) u |= q[-1] == '\n' ? TF_WHITE | TF_LINE : TF_WHITE;
    return q == pRun ? u | uBefore : u;
}
}  // namespace

// Inside a statement, read for the script's sake: up to nMax tokens into arTok, up to the end of
// the statement. Only a quote, a q-quote, "-", "/" and ";" may end a statement or hide its end:
// the bytes between are passed sixteen a step, line feeds among them. A "/" line is found at its
// "/", and the white space before a token once the token is found.
size_t TokenReader::nPassStmt(Token *arTok, size_t nMax) {
    const char *const pText = pText_, *const pEnd = pEnd_;
    const char *p = p_, *pRun = p_;  // pRun: where the bytes since the last token begin
    uint8_t uBefore = uWhite_;       // the white space before pRun
    size_t n = 0;
    while (n < nMax && p < pEnd) {
        if (bQuiet(*p, Q_ENDS)) {
            p = pQuietRunEnd(p + 1, pEnd, Q_ENDS);
            continue;
        }
        const char c = *p;
        if (c == '/' && !bCmtAtIn(p, pEnd)) {
            const char *l = p;  // the start of its line, where only blanks stand before it
            while (l > pStmt_ && (l[-1] == ' ' || l[-1] == '\t')) --l;
            if (l - 1 > pStmt_ && l[-1] == '\n' && bSlashLine(l, pEnd)) {
                vEndAtSlashLine();
                p_ = l;
                uWhite_ = TF_WHITE | TF_LINE;
                return n;
            }
            ++p;
            continue;
        }
        if (c == ';') {
            arTok[n++] = Token{static_cast<size_t>(p - pText), 1, WORD_NONE, TK_PUNCT, uWhiteBefore(pRun, p, uBefore)};
            p_ = pRun = ++p;
            uWhite_ = uBefore = 0;
            if (bEndsStmt(true)) return n;
            continue;
        }
        if (!bLiteralAt(p, pText, pEnd) && !bCmtAtIn(p, pEnd)) {
            p += iUnitLen(p, pEnd, rEnc_);  // "-", a q that opens no quoting, the bytes no statement ends at
            continue;
        }
        uWhite_ = uWhiteBefore(pRun, p, uBefore);
        Token &t = arTok[n++];
        vCut(&t, p);
        p = pRun = p_;
        uBefore = uWhite_;
        if (t.eKind == TK_LINE_CMT && bEndsStmt(false)) return n;
    }
    p_ = p;
    uWhite_ = uWhiteBefore(pRun, p, uBefore);
    return n;
}

// Whether the token just cut (p_ past it), a ";" (bSemi) or a line comment, ends the statement:
// a ";" of a SQL statement, or one that a "/" follows, or a line comment whose line feed a "/"
// line follows.
bool TokenReader::bEndsStmt(bool bSemi) {
    if (!bSemi && p_[-1] == '\n' && bSlashLine(p_, pEnd_)) {
        vEndAtSlashLine();  // a line comment's line feed ends its line
        return true;
    }
    if (!(bSemi && (eState_ == IN_SQL || bSlashAhead(p_, pEnd_)))) return false;
    bLineStart_ = bAfterBlockCmt_ = false;  // a "/" after the ";" ends a PL/SQL unit too
    bSlashEnds_ = true;
    eState_ = IDLE;
    return true;
}

// The statement ends where a "/" line begins, which is read as a command.
void TokenReader::vEndAtSlashLine() {
    bLineStart_ = true;
    bSlashEnds_ = bAfterBlockCmt_ = false;
    eState_ = IDLE;
}

// Cuts the token that begins at q (no white space) into *pTok and moves past it. The byte at q
// tells which kinds may begin there.
void TokenReader::vCut(Token *pTok, const char *q) {
    const char *e = q + 1;
    uint8_t eKind = TK_PUNCT, uFlags = uWhite_;
    bool bClosed = true;
    WordId eWord = WORD_NONE;
    switch (arLead[static_cast<uint8_t>(*q)]) {
    case LEAD_QN: {  // q'x...x' and nq'x...x' where such a quoting begins, else a word
        const char *pQ = (*q == 'n' || *q == 'N') && !bWordBefore(pText_, q) ? q + 1 : q;
        if (pQ < pEnd_ && (*pQ == 'q' || *pQ == 'Q') && bLiteralAt(pQ, pText_, pEnd_)) {
            e = pLiteralEnd(pQ, pEnd_, rEnc_, &bClosed);
            eKind = TK_QQUOTE;
            break;
        }
    }
        [[fallthrough]];
    case LEAD_WORD:
        e = pClassRunEnd(q + 1, pEnd_, CC_WORD);
        eKind = TK_WORD;
        eWord = eWordOfIn(q, static_cast<size_t>(e - q), pEnd_);
        break;
    case LEAD_DIGIT:
    case LEAD_POINT:
        e = pNumberOrWordEnd(pText_, q, pEnd_, &eKind);
        break;
    case LEAD_QUOTE:
        e = pQuotedEnd(q, pEnd_, &bClosed);
        eKind = *q == '"' ? TK_QNAME : TK_LITERAL;
        break;
    case LEAD_CMT:  // "-" or "/": a comment, else an operator or a "/"
        if (bCmtAtIn(q, pEnd_)) {
            e = pCmtEnd(q, pEnd_, &bClosed);
            eKind = q[0] == '-' ? TK_LINE_CMT : TK_BLOCK_CMT;
            bClosed = bClosed || q[0] == '-';  // a line comment is closed by the end of the text
            break;
        }
        [[fallthrough]];
    case LEAD_OPER:
        // The text's last byte is no exponent's sign.
        if (const size_t n = q + 1 < pEnd_ ? nOperatorIn(q, pText_) : nOperatorAtIn(q, pEnd_)) {
            e = q + n;
            eKind = TK_OPERATOR;
        }
        break;
    case LEAD_HIGH:
        e = q + iUnitLen(q, pEnd_, rEnc_);
        eKind = TK_CHAR;
        break;
    default:  // ";" and the other punctuation
        break;
    }
    if (!bClosed) uFlags |= TF_OPEN;
    *pTok = Token{static_cast<size_t>(q - pText_), static_cast<size_t>(e - q), eWord, eKind, uFlags};
    vPast(e);
}

// Moves past a token that ends at e: a token that ends with its line feed (a line comment, a
// command line) leaves the next one at a line start.
void TokenReader::vPast(const char *e) {
    uWhite_ = e[-1] == '\n' ? TF_WHITE | TF_LINE : 0;
    p_ = e;
}
