// The tokens of a text, read in one pass: what each run of bytes is (a word and which word of the
// formatter's table, a number, a literal, a comment, an operator, a script command line, a unit
// carried whole ...), and the white space before it. The script finder and the letter case of
// keywords read through it; normalisation, the metric and the layout still read the bytes.
#pragma once
#include <cstddef>
#include <cstdint>

#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtWords.h"

enum TokKind : uint8_t {
    TK_WORD,       // letters, digits, "_", "$", "#" (ASCII); eWord tells a word of the table
    TK_NUMBER,     // 12, 1.5, .5, 1.e-3, 2E+3 (the exponent's sign is the number's), 10M
    TK_LITERAL,    // '...', a doubled quote standing for one
    TK_QQUOTE,     // q'x...x', nq'x...x' (the n with it)
    TK_QNAME,      // "..."
    TK_LINE_CMT,   // "--" up to its line feed, which it keeps (CRs before it included)
    TK_BLOCK_CMT,  // "/*" up to "*/"
    TK_OPERATOR,   // := <= <> >= != ^= ~= => || ** < > = * + -
    TK_PUNCT,      // any other ASCII byte: ( ) , ; . / @ % & ...
    TK_CHAR,       // a character of several bytes, or a byte of 0x80 or more that begins none
    TK_COMMAND,    // a script command line, from its line start, with the lines it continues onto
    TK_UNIT_WHOLE, // a unit carried byte for byte (wrapped, Java, XQuery) up to its "/" line
};

enum : uint8_t {
    TF_WHITE = 0x01,  // white space stands right before the token
    TF_LINE = 0x02,   // a line feed stands in that white space (or the token begins the text)
    TF_OPEN = 0x04,   // a literal, quoted name or block comment that the text never closes
};

struct Token {
    size_t iOff, nLen;
    WordId eWord;  // WORD_NONE unless a TK_WORD is a one-word row of the table
    uint8_t eKind, uFlags;
};

// The id of the word [p, p + n) (ASCII letters in any case) in the table of words, WORD_NONE for
// a word the table does not hold as a row of its own.
WordId eWordOf(const char *p, size_t n);
// The same where the text goes on to pEnd (no byte from there on is read): eight bytes are read at
// once where the text holds them.
WordId eWordOfIn(const char *p, size_t n, const char *pEnd);

// Reads a text token by token. Where a token begins is decided as the tool reads a script: at
// a line start where no statement is being read, a command line or a unit carried whole is one
// token; a statement is read up to its ";" or its "/" line, and never split inside a literal or
// a comment. The text is read in the encoding given: a character of several bytes is never cut.
//
// How finely a statement is read: every token (GRAIN_TOKENS), or only what ends a statement or
// may hide its end (GRAIN_SCRIPT: literals, quoted names, comments, ";"), the rest passed over
// unread, as the script finder needs it. Command lines and units carried whole come in both.
// GRAIN_STATEMENTS reads every token of a text known to be statements alone (a piece between
// the commands the finder found, or its layout): no line of it is a command.
enum ReadGrain : uint8_t { GRAIN_TOKENS, GRAIN_SCRIPT, GRAIN_STATEMENTS };

class TokenReader {
public:
    TokenReader(const char *pText, size_t nText, TextEnc rEnc, ReadGrain eGrain = GRAIN_TOKENS);
    // The next token into *pTok; false at the end of the text (white space after the last token
    // makes no token).
    bool bNext(Token *pTok) {
        if (iBuf_ == nBuf_) {
            nBuf_ = nRead(arBuf_, BUF_TOKENS);
            iBuf_ = 0;
            if (nBuf_ == 0) return false;
        }
        *pTok = arBuf_[iBuf_++];
        return true;
    }
    // The next tokens, up to nMax of them, into arTok; their number, 0 at the end of the text.
    size_t nRead(Token *arTok, size_t nMax);

private:
    enum State : uint8_t { IDLE, IN_SQL, IN_PLSQL };
    enum { BUF_TOKENS = 256 };
    bool bNextIdle(Token *pTok);
    size_t nReadStmt(Token *arTok, size_t nMax);
    size_t nPassStmt(Token *arTok, size_t nMax);
    void vCut(Token *pTok, const char *q);
    bool bEndsStmt(bool bSemi);
    void vEndAtSlashLine();
    void vPast(const char *e);
    const char *pText_, *pEnd_, *p_;
    const char *pStmt_ = nullptr;  // the first byte of the statement being read
    TextEnc rEnc_;
    ReadGrain eGrain_;
    State eState_;
    uint8_t uWhite_ = TF_WHITE | TF_LINE;  // the white space seen since the last token
    // Where no statement is read: whether p_ begins a line, and whether a "/" here ends a
    // statement though text follows it on its line (right after a ";" or a line end kept).
    bool bLineStart_ = true, bSlashEnds_ = false, bAfterBlockCmt_ = false;
    // A "/" that ended a statement stands before p_ on its line: a "/" after it is no "/" line,
    // whose line holds nothing but the "/".
    bool bAfterSlash_ = false;
    Token arBuf_[BUF_TOKENS];  // the tokens read ahead for bNext
    size_t iBuf_ = 0, nBuf_ = 0;
};
