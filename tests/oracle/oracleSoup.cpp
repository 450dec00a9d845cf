#include "oracleSoup.h"

#include <cstring>

#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtWords.h"

namespace {
const char *const arOperators[] = {":=", "<=", "<>", ">=", "!=", "^=", "~=", "=>", "||", "**", "<", ">",
                                   "=",  "*",  "+",  "-",  "/",  "..", "%",  "@",  ":",  "|",  "!", "^"};
const char *const arPunct[] = {"(", "(", ")", ")", ",", ",", ";", ".", "(", ")"};
const char *const arNumbers[] = {"1e-5", "2.5E+3", ".5e-3", "t1.e-5", "1.", "1..10", "1.5f", "2d", "0", "3.14", "1E5",
                                 "007", "1e", "12345678901234567890", "-1", "+.5"};
// Delimiters of q'...' literals: an opening one and its closing one.
const char arQOpen[] = "[{<(!#|~^*";
const char arQClose[] = "]}>)!#|~^*";
// UTF-8 characters: accented letters, the euro, Japanese, the ideographic space, curly quotes, a
// no-break space, one outside the basic plane, a line separator.
const char *const arUtf8Chars[] = {"\xC3\xA9", "\xC3\x9F",     "\xE2\x82\xAC",     "\xE6\x97\xA5", "\xE6\x9C\xAC",
                                   "\xE8\xAA\x9E", "\xE3\x80\x80", "\xE2\x80\x98",     "\xE2\x80\x99", "\xC2\xA0",
                                   "\xF0\x9F\x98\x80", "\xE2\x80\xA8", "\xEF\xBC\x88", "\xEF\xBC\x89"};
// Shift_JIS second bytes that are ASCII characters as well: "\", "|", "@", brackets, braces,
// letters and "`".
const unsigned char arSjisTrickyTrail[] = {0x5C, 0x7C, 0x40, 0x5B, 0x5D, 0x7B, 0x7D, 0x41, 0x51, 0x71, 0x60, 0x7E, 0x80};
// Bytes below 0x40 after a Shift_JIS lead byte: such a pair is no character.
const char arLowTrail[] = "'\" \n;,()\t-/*";
const char *const arLineStartCmds[] = {"@file.sql", "@@sub/dir/x.sql", "@ \"my file.sql\"", "!ls -l", "? set",
                                       "ARCHIVE LOG LIST", "L", "L 2 5", "L *", "R", "C/old/new/", "A text",
                                       "I text", "XQUERY for $i in /a return $i"};
const char *const arTypes[] = {"NUMBER", "VARCHAR2(30)", "DATE", "CLOB", "t.c%TYPE", "r%ROWTYPE", "NUMBER(10, 2)",
                               "BOOLEAN", "PLS_INTEGER", "VARCHAR2(10 CHAR)"};
const char *const arFunctions[] = {"NVL", "DECODE", "COUNT", "SUBSTR", "TO_CHAR", "SUM", "MAX", "COALESCE", "TRIM",
                                   "ROW_NUMBER() OVER", "LISTAGG", "CAST"};
const char *const arCompare[] = {"=", "<>", "!=", "<", ">", "<=", ">=", "LIKE", "NOT LIKE", "^=", "~="};
const char *const arArith[] = {"+", "-", "*", "/", "||", "**"};

constexpr auto arCmdIds = arIdsWith<W_COMMAND>();
constexpr auto arCreateFlags = arWordsWith<W_CREATE_FLAG>();
constexpr auto arJavaFlags = arWordsWith<W_JAVA_FLAG>();
constexpr auto arWrappedObjects = arWordsWith<W_WRAPPED_UNIT>();
constexpr auto arSqlSets = arWordsWith<W_SQL_SET>();
}  // namespace

// splitmix64: a fixed sequence from the seed on every platform.
uint64_t SoupMaker::uNext() {
    uint64_t z = (uState_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

size_t SoupMaker::nBelow(size_t n) { return n == 0 ? 0 : static_cast<size_t>(uNext() % n); }

void SoupMaker::vEol() {
    const bool bCrLf = eEol_ == 1 || (eEol_ == 2 && bChance(50));
    vPut(bCrLf ? "\r\n" : "\n");
}

void SoupMaker::vWhite() {
    switch (nBelow(20)) {
    case 0: case 1: case 2: return;  // none: the tokens touch
    case 3: case 4: vEol(); return;
    case 5: vPut("\t"); return;
    case 6: vPut("   "); return;
    case 7: vEol(), vEol(); return;
    case 8: vPut(" "), vEol(), vPut("\t  "); return;
    case 9: vPut("\t \t"); return;
    case 10: vEol(), vPut("    "); return;
    default: vPut(" "); return;
    }
}

void SoupMaker::vGap() {
    vWhite();
    if (!bChance(4)) {
        if (sText_.empty() || !bIsWordByte(sText_.back())) return;
        vPut(" ");  // words stay words
        return;
    }
    vComment();
    // Now and then more comments with nothing but commas and blanks between them, which all
    // move in front of the commas.
    for (size_t n = bChance(20) ? 1 + nBelow(4) : 0; n > 0; --n) {
        for (size_t nCommas = 1 + nBelow(2); nCommas > 0; --nCommas) {
            vPut(",");
            if (bChance(50)) vPut(bChance(80) ? " " : "\t ");
        }
        vComment();
    }
    // ... or with ANDs alone between them, in front of which they move after a line comment.
    for (size_t n = bChance(20) ? 1 + nBelow(4) : 0; n > 0; --n) {
        for (size_t nAnds = 1 + nBelow(2); nAnds > 0; --nAnds) vCased("AND"), vPut(bChance(80) ? " " : "\t");
        vComment();
    }
    vPut(bChance(80) ? " " : ",");
}

// A word or phrase in capitals, small letters or both.
std::string SoupMaker::sCased(const char *sz) {
    std::string s;
    const size_t nCase = nBelow(10);
    for (; *sz != '\0'; ++sz) {
        char c = *sz;
        if (c >= 'A' && c <= 'Z' && (nCase < 3 || (nCase == 3 && bChance(50)))) c = static_cast<char>(c + 0x20);
        if (c >= 'a' && c <= 'z' && nCase >= 8) c = static_cast<char>(c - 0x20);
        s += c;
    }
    return s;
}

// Up to nMax characters of the soup's script beyond ASCII (none in an ASCII soup), now and then
// a byte that begins no character.
void SoupMaker::vChars(size_t nMax) {
    for (size_t n = 1 + nBelow(nMax); n-- > 0;) {
        switch (eScript_) {
        case SCRIPT_ASCII: return;
        case SCRIPT_UTF8:
            if (bChance(4)) {
                vPut(bChance(50) ? "\x80" : "\xE6\x97");  // a lone continuation byte, a cut sequence
            } else {
                vPut(szPick(arUtf8Chars));
            }
            break;
        case SCRIPT_SJIS: {
            const size_t k = nBelow(10);
            if (k < 2) {  // half-width katakana: one byte
                sText_ += static_cast<char>(0xA1 + nBelow(0xDF - 0xA1 + 1));
                break;
            }
            const unsigned uLead = nBelow(4) == 0 ? 0xE0 + nBelow(16) : 0x81 + nBelow(0x9F - 0x81 + 1);
            sText_ += static_cast<char>(uLead);
            if (k < 5) {
                sText_ += static_cast<char>(arSjisTrickyTrail[nBelow(sizeof arSjisTrickyTrail)]);
            } else if (k == 5) {
                sText_ += arLowTrail[nBelow(sizeof arLowTrail - 1)];
            } else {
                const unsigned uTrail = 0x40 + nBelow(0xFC - 0x40 + 1);
                sText_ += static_cast<char>(uTrail == 0x7F ? 0x80 : uTrail);
            }
            break;
        }
        case SCRIPT_LATIN1: sText_ += static_cast<char>(0x80 + nBelow(0x80)); break;
        }
    }
}

void SoupMaker::vLetters(size_t nMax) {
    static const char szWordBytes[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_$#";
    for (size_t n = nBelow(nMax + 1); n-- > 0;) sText_ += szWordBytes[nBelow(sizeof szWordBytes - 1)];
}

// The inside of a literal or a comment: letters, blanks, marks that mean something outside it,
// characters of the script, and line ends when bLines. cAvoid is not written (the closing mark).
void SoupMaker::vBody(size_t nMax, bool bLines, char cAvoid) {
    static const char *const arBits[] = {"a", "b c", " ", "x1", "--", "/*", ";", "/", "(", ")", ",", "*",
                                         ":=", "'", "\"", "-", "\t", "select", "end", "@", "&v", "\\"};
    for (size_t n = nBelow(nMax + 1); n-- > 0;) {
        const size_t k = nBelow(20);
        if (k == 0 && bLines) {
            vEol();
            if (bChance(50)) vPut(bChance(50) ? "  " : "\t");
            if (bChance(10)) vPut("/"), vEol();  // a "/" line inside it
        } else if (k == 1) {
            vChars(3);
        } else {
            const char *sz = szPick(arBits);
            if (std::strchr(sz, cAvoid) == nullptr) vPut(sz);
        }
    }
}

// Where the phrase *psWord has several words: its first word ends a line comment, written here,
// and *psWord keeps the rest, for the next line (--PACKAGE, then BODY; --END, then IF).
bool SoupMaker::bFirstWordInLineCmt(std::string *psWord) {
    const size_t iBlank = psWord->find(' ');
    if (iBlank == std::string::npos) return false;
    vPut("--"), vBody(3, false, '\n'), vPut(psWord->substr(0, iBlank).c_str());
    vEol();
    psWord->erase(0, iBlank + 1);
    return true;
}

// A word of the formatter's table; the blanks inside a phrase become other white space or a
// comment now and then.
void SoupMaker::vTableWord() {
    std::string sWord = sCased(arWordDefs[nBelow(WORD_COUNT)].szText);
    if (bChance(10)) bFirstWordInLineCmt(&sWord);
    for (char c : sWord) {
        if (c != ' ' || !bChance(20)) {
            sText_ += c;
        } else if (bChance(30)) {
            vPut(" /* c */ ");
        } else {
            vWhite();
            vPut(" ");
        }
    }
}

// Block header words in a row, comments after most of them: each header's comments move in front
// of all the headers before it.
void SoupMaker::vHeaderRow() {
    static constexpr auto arHeaderWords = arWordsWith<W_HEADER>();
    for (size_t n = 2 + nBelow(8); n-- > 0;) {
        std::string sWord = sCased(arHeaderWords[nBelow(arHeaderWords.size())]);
        if (bChance(20) && bFirstWordInLineCmt(&sWord)) {
            vPut(sWord.c_str()), vPut(" ");  // no header begins inside the comment
            continue;
        }
        vPut(sWord.c_str());
        vPut(bChance(80) ? " " : bChance(50) ? "\t" : "");
        if (bChance(80)) vComment();
        if (bChance(80)) vPut(bChance(80) ? " " : "\n");
    }
}

void SoupMaker::vIdent() {
    if (bChance(8)) {  // a quoted name
        vPut("\"");
        vBody(6, false, '"');
        vPut("\"");
        return;
    }
    static const char *const arStarts[] = {"q", "Q", "n", "N", "nq", "x", "emp", "t", "a", "v_", "dept", "sys"};
    if (bChance(40)) {
        vPut(szPick(arStarts));
    } else {
        sText_ += static_cast<char>((bChance(50) ? 'a' : 'A') + nBelow(26));
    }
    vLetters(8);
    if (bChance(10)) vChars(3);
    if (bChance(10)) vPut("."), vLetters(6), sText_ += 'c';
}

void SoupMaker::vNumber() {
    if (bChance(50)) {
        vPut(szPick(arNumbers));
        return;
    }
    static const char szDigits[] = "0123456789";
    for (size_t n = 1 + nBelow(5); n-- > 0;) sText_ += szDigits[nBelow(10)];
    if (bChance(30)) vPut("."), sText_ += szDigits[nBelow(10)];
    if (bChance(20)) vPut(bChance(50) ? "e" : "E"), vPut(bChance(50) ? "-" : "+"), sText_ += szDigits[nBelow(10)];
}

void SoupMaker::vLiteral() {
    switch (nBelow(8)) {
    case 0: case 1: case 2:
        vPut("'");
        vBody(6, bChance(10), '\'');
        if (bChance(20)) vPut("''"), vBody(3, false, '\'');
        vPut("'");
        return;
    case 3: vPut(bChance(50) ? "''" : "'a''b'"); return;
    case 4: vPut(bChance(50) ? "N'" : "n'"), vBody(4, false, '\''), vPut("'"); return;
    case 5: vIdent(); return;
    default: {  // q'[...]', nq'{...}'
        static const char *const arPrefixes[] = {"q'", "Q'", "nq'", "Nq'", "nQ'", "NQ'"};
        vPut(szPick(arPrefixes));
        const size_t k = nBelow(sizeof arQOpen - 1);
        sText_ += arQOpen[k];
        vBody(6, bChance(15), arQClose[k]);
        if (bChance(20)) sText_ += arQClose[k], vPut("x");  // a closing mark without the quote
        sText_ += arQClose[k];
        vPut("'");
        return;
    }
    }
}

void SoupMaker::vComment() {
    switch (nBelow(6)) {
    case 0: case 1:
        vPut(bChance(50) ? "-- " : "--");
        vBody(5, false, '\n');
        vEol();
        return;
    case 2: vPut("/*"), vBody(5, false, '*'), vPut("*/"); return;
    case 3: vPut(bChance(50) ? "/*+ INDEX(t i) */" : "/**/"); return;
    default:  // several lines, each indented
        vPut("/* ");
        for (size_t n = 1 + nBelow(3); n-- > 0;) {
            vBody(4, false, '*');
            vEol();
            static const char *const arIndents[] = {"", "  ", "\t", "    ", " * "};
            vPut(szPick(arIndents));
        }
        vPut("*/");
        return;
    }
}

void SoupMaker::vSlashLine() {
    vEol();
    if (bChance(20)) vPut("  ");
    vPut("/");
    if (bChance(10)) vPut(" \t");
    vEol();
}

// A command of the tool at the start of a line: a word of the table in any of its forms, its
// arguments (going on in the next line after "-" now and then), or one of the other line forms.
void SoupMaker::vCommandLine() {
    if (!sText_.empty() && sText_.back() != '\n') vEol();
    if (bChance(10)) vPut(bChance(50) ? " " : "\t");
    if (bChance(20)) {
        vPut(szPick(arLineStartCmds));
    } else {
        const size_t k = nBelow(arCmdIds.size());
        const WordDef &cmd = arWordDefs[arCmdIds[k]];
        const size_t nFull = std::strlen(cmd.szText);
        const size_t nForm = cmd.nShortest + nBelow(nFull - cmd.nShortest + 1);
        vCased(std::string(cmd.szText, nForm).c_str());
        if (arCmdIds[k] == WORD_SET && bChance(20)) vPut(" "), vCased(arSqlSets[nBelow(arSqlSets.size())]);
        for (size_t n = nBelow(4); n-- > 0;) {
            vPut(bChance(80) ? " " : "\t");
            switch (nBelow(6)) {
            case 0: vLiteral(); break;
            case 1: vNumber(); break;
            case 2: vPut(szPick(arOperators)); break;
            case 3: vPut("-"), vEol(), vPut("  "), vIdent(); break;  // goes on in the next line
            default: vIdent(); break;
            }
        }
        if (bChance(15)) vPut(";");
    }
    if (!bChance(5)) vEol();
}

// A literal, a comment or a parenthesis that never closes.
void SoupMaker::vUnbalanced() {
    static const char *const arOpen[] = {"'abc", "q'[abc", "/* abc", "\"abc", "(", ")", "nq'{y", "'a''"};
    vPut(szPick(arOpen));
}

void SoupMaker::vToken() {
    const size_t k = nBelow(1000);
    if (k < 6) {
        vHeaderRow();
    } else if (k < 300) {
        vTableWord();
    } else if (k < 450) {
        vIdent();
    } else if (k < 520) {
        vNumber();
    } else if (k < 600) {
        vLiteral();
    } else if (k < 670) {
        vComment();
    } else if (k < 770) {
        vPut(szPick(arOperators));
    } else if (k < 930) {
        // Most parentheses close: a soup with one that does not is refused before its layout.
        const char *sz = szPick(arPunct);
        if (*sz == ')' && nOpen_ == 0 && bChance(80)) sz = ",";
        nOpen_ += *sz == '(' ? 1 : *sz == ')' && nOpen_ > 0 ? -1 : 0;
        vPut(sz);
    } else if (k < 970) {
        vChars(4);
    } else if (k < 983) {
        vSlashLine();
    } else if (k < 993) {
        vCommandLine();
    } else if (k < 997) {  // a NUL byte is an ordinary byte; so is a form feed
        sText_ += bChance(50) ? '\0' : '\f';
    } else {
        vUnbalanced();
    }
}

void SoupMaker::vTokens(size_t n) {
    nOpen_ = 0;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0) vWhite();
        vToken();
    }
    if (bChance(80))
        for (; nOpen_ > 0; --nOpen_) vWhite(), vPut(")");
}

void SoupMaker::vExpr(int iDepth) {
    const size_t k = nBelow(iDepth > 0 ? 12 : 6);
    switch (k) {
    case 0: case 1: vIdent(); break;
    case 2: vNumber(); break;
    case 3: vLiteral(); break;
    case 4: vPut(":"), vIdent(); break;
    case 5: vPut("NULL"); break;
    case 6: case 7:
        vCased(szPick(arFunctions));
        vGap();
        vPut("(");
        for (size_t n = nBelow(3); n-- > 0;) vExpr(iDepth - 1), vPut(n > 0 ? "," : ""), vGap();
        vPut(")");
        break;
    case 8: vExpr(iDepth - 1), vGap(), vPut(szPick(arArith)), vGap(), vExpr(iDepth - 1); break;
    case 9: vPut("("), vGap(), vSelect(iDepth - 1), vGap(), vPut(")"); break;
    default:
        vCased("CASE");
        vGap();
        for (size_t n = 1 + nBelow(2); n-- > 0;) {
            vCased("WHEN"), vGap(), vCond(iDepth - 1), vGap(), vCased("THEN"), vGap(), vExpr(iDepth - 1), vGap();
        }
        if (bChance(50)) vCased("ELSE"), vGap(), vExpr(iDepth - 1), vGap();
        vCased("END");
        break;
    }
}

void SoupMaker::vCond(int iDepth) {
    switch (nBelow(iDepth > 0 ? 9 : 5)) {
    case 0: case 1: case 2: vExpr(iDepth), vGap(), vCased(szPick(arCompare)), vGap(), vExpr(iDepth); break;
    case 3: vExpr(iDepth), vGap(), vCased(bChance(50) ? "IS NULL" : "IS NOT NULL"); break;
    case 4: vExpr(iDepth), vGap(), vCased("BETWEEN"), vGap(), vExpr(0), vGap(), vCased("AND"), vGap(), vExpr(0); break;
    case 5:
        vExpr(iDepth - 1), vGap(), vCased(bChance(70) ? "IN" : "NOT IN"), vGap(), vPut("(");
        for (size_t n = 1 + nBelow(4); n-- > 0;) vExpr(0), vPut(n > 0 ? "," : ""), vGap();
        vPut(")");
        break;
    case 6: vCased("EXISTS"), vGap(), vPut("("), vSelect(iDepth - 1), vPut(")"); break;
    case 7: vPut("("), vCond(iDepth - 1), vGap(), vCased("OR"), vGap(), vCond(iDepth - 1), vPut(")"); break;
    default: vCond(iDepth - 1), vGap(), vCased(bChance(50) ? "AND" : "OR"), vGap(), vCond(iDepth - 1); break;
    }
}

void SoupMaker::vSelect(int iDepth) {
    vCased("SELECT");
    vGap();
    if (bChance(10)) vCased("DISTINCT"), vGap();
    for (size_t n = 1 + nBelow(5); n-- > 0;) {
        vExpr(iDepth);
        if (bChance(20)) vGap(), vIdent();
        if (n > 0) vGap(), vPut(","), vGap();
    }
    if (bChance(15)) vGap(), vCased("INTO"), vGap(), vIdent();
    vGap(), vCased("FROM"), vGap();
    for (size_t n = 1 + nBelow(3); n-- > 0;) {
        if (iDepth > 0 && bChance(15)) {
            vPut("("), vSelect(iDepth - 1), vPut(")");
        } else {
            vIdent();
        }
        if (bChance(40)) vGap(), vIdent();
        if (n > 0 && bChance(50)) {
            vGap(), vPut(","), vGap();
        } else if (n > 0) {
            static const char *const arJoins[] = {"JOIN", "LEFT OUTER JOIN", "INNER JOIN", "CROSS JOIN",
                                                  "NATURAL JOIN", "FULL JOIN", "RIGHT JOIN"};
            vGap(), vCased(szPick(arJoins)), vGap(), vIdent(), vGap(), vCased("ON"), vGap(), vCond(0), vGap();
        }
    }
    if (bChance(70)) vGap(), vCased("WHERE"), vGap(), vCond(iDepth);
    if (bChance(20)) vGap(), vCased("CONNECT BY"), vGap(), vCased("PRIOR"), vGap(), vCond(0);
    if (bChance(20)) {
        vGap(), vCased("GROUP BY"), vGap(), vExpr(0), vPut(","), vExpr(0);
        if (bChance(50)) vGap(), vCased("HAVING"), vGap(), vCond(0);
    }
    if (iDepth > 0 && bChance(10)) vGap(), vCased(bChance(50) ? "UNION ALL" : "MINUS"), vGap(), vSelect(iDepth - 1);
    if (bChance(30)) vGap(), vCased("ORDER BY"), vGap(), vExpr(0), vPut(bChance(50) ? " DESC" : "");
    if (bChance(5)) vGap(), vCased("FOR UPDATE");
}

void SoupMaker::vSqlStmt(int iDepth) {
    switch (nBelow(6)) {
    case 0: case 1: vSelect(iDepth); break;
    case 2:
        vCased("INSERT INTO"), vGap(), vIdent(), vGap(), vPut("("), vIdent(), vPut(","), vIdent(), vPut(")"), vGap();
        if (bChance(70)) {
            vCased("VALUES"), vGap(), vPut("("), vExpr(0), vPut(", "), vExpr(iDepth), vPut(")");
        } else {
            vSelect(iDepth);
        }
        break;
    case 3:
        vCased("UPDATE"), vGap(), vIdent(), vGap(), vCased("SET"), vGap();
        for (size_t n = 1 + nBelow(3); n-- > 0;) vIdent(), vPut(" = "), vExpr(iDepth), vPut(n > 0 ? "," : ""), vGap();
        if (bChance(70)) vCased("WHERE"), vGap(), vCond(iDepth);
        break;
    case 4: vCased("DELETE FROM"), vGap(), vIdent(), vGap(), vCased("WHERE"), vGap(), vCond(iDepth); break;
    default:
        vCased("WITH"), vGap(), vIdent(), vGap(), vCased("AS"), vGap(), vPut("("), vSelect(iDepth - 1), vPut(")"), vGap();
        vSelect(iDepth - 1);
        break;
    }
    vGap();
    vPut(";");
}

void SoupMaker::vPlsqlStmts(int iDepth) {
    for (size_t n = 1 + nBelow(3); n-- > 0;) {
        vGap();
        switch (nBelow(iDepth > 0 ? 11 : 5)) {
        case 0: case 1: vIdent(), vGap(), vPut(":="), vGap(), vExpr(iDepth), vPut(";"); break;
        case 2: vCased("NULL;"); break;
        case 3: vIdent(), vPut("("), vExpr(0), vPut(");"); break;
        case 4: vSqlStmt(iDepth - 1); break;
        case 5: case 6:
            vCased("IF"), vGap(), vCond(iDepth - 1), vGap(), vCased("THEN");
            vPlsqlStmts(iDepth - 1);
            if (bChance(30)) vGap(), vCased("ELSIF"), vGap(), vCond(0), vGap(), vCased("THEN"), vPlsqlStmts(iDepth - 1);
            if (bChance(40)) vGap(), vCased("ELSE"), vPlsqlStmts(iDepth - 1);
            vGap(), vCased("END IF;");
            break;
        case 7:
            vCased("CASE"), vGap(), vIdent();
            for (size_t k = 1 + nBelow(2); k-- > 0;) vGap(), vCased("WHEN"), vGap(), vExpr(0), vGap(), vCased("THEN"), vPlsqlStmts(0);
            vGap(), vCased("END CASE;");
            break;
        case 8:
            if (bChance(50)) {
                vCased("FOR"), vGap(), vIdent(), vGap(), vCased("IN"), vGap(), vPut("1..10"), vGap();
            } else if (bChance(50)) {
                vCased("WHILE"), vGap(), vCond(0), vGap();
            }
            vCased("LOOP"), vPlsqlStmts(iDepth - 1), vGap(), vCased("END LOOP;");
            break;
        case 9: vBlock(iDepth - 1); break;
        default: vPut("<<"), vIdent(), vPut(">>"), vGap(), vCased("RETURN"), vGap(), vExpr(0), vPut(";"); break;
        }
    }
}

void SoupMaker::vBlock(int iDepth) {
    if (bChance(40)) {
        vCased("DECLARE");
        for (size_t n = 1 + nBelow(2); n-- > 0;) {
            vGap(), vIdent(), vGap(), vCased(szPick(arTypes));
            if (bChance(40)) vGap(), vPut(":="), vGap(), vExpr(0);
            vPut(";");
        }
        vGap();
    }
    vCased("BEGIN");
    vPlsqlStmts(iDepth);
    if (bChance(20)) vGap(), vCased("EXCEPTION WHEN OTHERS THEN"), vPlsqlStmts(0);
    vGap(), vCased("END;");
}

// A unit created from PL/SQL source: read up to its "/" line.
void SoupMaker::vUnit() {
    vCased(bChance(70) ? "CREATE OR REPLACE" : "CREATE");
    vGap();
    switch (nBelow(5)) {
    case 0:
        vCased("PROCEDURE"), vGap(), vIdent(), vGap(), vPut("("), vIdent(), vCased(" IN "), vCased(szPick(arTypes));
        vPut(","), vGap(), vIdent(), vCased(" OUT "), vCased(szPick(arTypes)), vPut(")"), vGap();
        vCased(bChance(50) ? "IS" : "AS"), vGap(), vBlock(2);
        break;
    case 1:
        vCased("FUNCTION"), vGap(), vIdent(), vGap(), vCased("RETURN"), vGap(), vCased(szPick(arTypes)), vGap();
        vCased("IS"), vGap(), vBlock(2);
        break;
    case 2:
        vCased(bChance(50) ? "PACKAGE" : "PACKAGE BODY"), vGap(), vIdent(), vGap(), vCased("AS");
        for (size_t n = 1 + nBelow(2); n-- > 0;) {
            vGap(), vCased("PROCEDURE"), vGap(), vIdent();
            if (bChance(50)) vPut(";"); else vGap(), vCased("IS"), vGap(), vBlock(1);
        }
        vGap(), vCased("END;");
        break;
    case 3:
        vCased("TRIGGER"), vGap(), vIdent(), vGap(), vCased("BEFORE INSERT ON"), vGap(), vIdent(), vGap();
        vCased("FOR EACH ROW"), vGap(), vBlock(1);
        break;
    default:
        vCased("TYPE"), vGap(), vIdent(), vGap(), vCased("AS OBJECT"), vGap(), vPut("("), vIdent(), vPut(" NUMBER,");
        vGap(), vCased("MEMBER FUNCTION"), vGap(), vIdent(), vCased(" RETURN NUMBER"), vPut(");");
        break;
    }
    vSlashLine();
}

// A wrapped unit or a Java source: carried whole up to its "/" line.
void SoupMaker::vCarried() {
    vCased("CREATE");
    if (bChance(70)) vPut(" "), vCased("OR REPLACE");
    if (bChance(50)) {
        if (bChance(30)) vPut(" "), vCased(arCreateFlags[nBelow(arCreateFlags.size())]);
        vPut(" "), vCased(arWrappedObjects[nBelow(arWrappedObjects.size())]);
        if (bChance(30)) vPut(" "), vCased("BODY");
        vPut(" "), vIdent(), vGap(), vCased("WRAPPED");
        vEol();
        static const char *const arLines[] = {"a000000", "1", "abcd", "8 3d", "'x'", "--", "/*", "XbyX+9//aq=="};
        for (size_t n = 1 + nBelow(6); n-- > 0;) vPut(szPick(arLines)), vEol();
    } else {
        for (size_t n = nBelow(3); n-- > 0;) vPut(" "), vCased(arJavaFlags[nBelow(arJavaFlags.size())]);
        vPut(" "), vCased("JAVA SOURCE NAMED"), vPut(" \"Hello\" "), vCased("AS"), vEol();
        static const char *const arLines[] = {"public class Hello {", "  // it's a comment", "  /* not closed here",
                                              "  String s = \"a'b\";", "  int i = a-- - 1;", "}", "  char c = '\"';"};
        for (size_t n = 1 + nBelow(5); n-- > 0;) vPut(szPick(arLines)), vEol();
    }
    vPut("/");
    vEol();
}

// A script: commands of the tool, statements, units and soups, line after line.
void SoupMaker::vScript() {
    for (size_t n = 1 + nBelow(4); n-- > 0;) {
        switch (nBelow(7)) {
        case 0: case 1: vCommandLine(); break;
        case 2: vSqlStmt(1), vEol(); break;
        case 3: vBlock(1), vSlashLine(); break;
        case 4: vUnit(); break;
        case 5: vCarried(); break;
        default: vTokens(1 + nBelow(8)), vEol(); break;
        }
    }
}

Soup SoupMaker::rNext() {
    sText_.clear();
    int32_t eEnc = ENC_AUTO;
    const size_t k = nBelow(100);
    eScript_ = k < 45 ? SCRIPT_ASCII : k < 65 ? SCRIPT_UTF8 : k < 85 ? SCRIPT_SJIS : SCRIPT_LATIN1;
    if (eScript_ != SCRIPT_ASCII && bChance(70))
        eEnc = eScript_ == SCRIPT_UTF8 ? ENC_UTF8 : eScript_ == SCRIPT_SJIS ? ENC_SJIS : ENC_LATIN1;
    const size_t e = nBelow(20);
    eEol_ = e < 12 ? 0 : e < 17 ? 1 : 2;
    if (eScript_ == SCRIPT_UTF8 && bChance(5)) vPut(bChance(50) ? "\xEF\xBB\xBF" : "\n \xEF\xBB\xBF");
    if (bChance(5)) vWhite();
    switch (nBelow(20)) {
    case 0: case 1: case 2: case 3: vSqlStmt(2); break;
    case 4: case 5: case 6: vBlock(2); if (bChance(50)) vSlashLine(); break;
    case 7: case 8: vScript(); break;
    case 9: vExpr(2); break;
    default: vTokens(1 + nBelow(60)); break;
    }
    if (bChance(10)) vWhite();
    return Soup{sText_, eEnc};
}
