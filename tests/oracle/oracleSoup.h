// Token soups: small texts made of random tokens joined by random white space, for the
// comparison of the formatter with its oracle. The same seed makes the same soups with every
// compiler and library (no std:: distribution is used).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct Soup {
    std::string sText;
    int32_t iEncoding;  // the encoding the formatter is told: ENC_AUTO lets it decide
};

class SoupMaker {
  public:
    explicit SoupMaker(uint64_t uSeed) : uState_(uSeed) {}
    // The next soup: a token soup, a statement-shaped text or a script of commands, statements
    // and units, in one of the scripts below and with LF, CR LF or mixed line ends.
    Soup rNext();

  private:
    enum Script { SCRIPT_ASCII, SCRIPT_UTF8, SCRIPT_SJIS, SCRIPT_LATIN1 };

    uint64_t uNext();
    size_t nBelow(size_t n);
    bool bChance(unsigned nPercent) { return nBelow(100) < nPercent; }
    template <size_t N>
    const char *szPick(const char *const (&ar)[N]) { return ar[nBelow(N)]; }

    void vPut(const char *sz) { sText_ += sz; }
    void vEol();
    void vWhite();
    void vGap();  // white space between the parts of a statement, now and then with a comment
    std::string sCased(const char *sz);
    void vCased(const char *sz) { sText_ += sCased(sz); }
    void vChars(size_t nMax);
    void vLetters(size_t nMax);
    void vBody(size_t nMax, bool bLines, char cAvoid);

    void vToken();
    bool bFirstWordInLineCmt(std::string *psWord);
    void vTableWord();
    void vHeaderRow();
    void vIdent();
    void vNumber();
    void vLiteral();
    void vComment();
    void vSlashLine();
    void vCommandLine();
    void vUnbalanced();

    void vTokens(size_t n);
    void vExpr(int iDepth);
    void vCond(int iDepth);
    void vSelect(int iDepth);
    void vSqlStmt(int iDepth);
    void vPlsqlStmts(int iDepth);
    void vBlock(int iDepth);
    void vUnit();
    void vCarried();
    void vScript();

    uint64_t uState_;
    std::string sText_;
    Script eScript_ = SCRIPT_ASCII;
    int eEol_ = 0;      // 0: LF, 1: CR LF, 2: either, line by line
    size_t nOpen_ = 0;  // parentheses of the token soup not yet closed
};
