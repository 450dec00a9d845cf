// The words of the formatter in one table (rcFmtWords.def), and the lists derived from it at
// compile time: the clause keywords and block headers of the layout, the statement words, the
// words before "(", the script finder's commands and CREATE words, the keywords whose letter case
// --keyword-case sets. No stage keeps a list of its own.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// The roles of a word; a word may have several.
enum : uint32_t {
    W_CLAUSE = 1u << 0,         // a clause keyword: a new line inside a broken part
    W_GLUED = 1u << 1,          // (with W_CLAUSE) matched without the blank after it
    W_STMT = 1u << 2,           // a word a statement begins with
    W_LINE = 1u << 3,           // a statement word that begins a line wherever white space stands before it
    W_PAREN = 1u << 4,          // a blank goes between it and a "(" after it
    W_HEADER = 1u << 5,         // the layout's block header, matched with its blank
    W_MOVES = 1u << 6,          // a block header the comments after it move in front of
    W_CREATE_FLAG = 1u << 7,    // may stand between CREATE and its object
    W_JAVA_FLAG = 1u << 8,      // may stand between CREATE and JAVA
    W_UNIT = 1u << 9,           // an object whose source is a PL/SQL unit, read up to its "/" line
    W_WRAPPED_UNIT = 1u << 10,  // an object a wrapped body may follow
    W_SQL_SET = 1u << 11,       // SET followed by it is an SQL statement
    W_TIMING = 1u << 12,        // a timing point of a compound trigger, with its IS
    W_COMMAND = 1u << 13,       // a command of the tool, from its shortest form on
    W_KEYWORD = 1u << 14,       // a keyword of SQL or PL/SQL: its case follows --keyword-case
    W_METRIC = 1u << 15,        // the metric looks for it wherever its first letter stands
    W_SCAN = 1u << 16,          // the layout's condition and CASE scans stop at its first letter
    W_THEN = 1u << 17,          // ends a condition or a directive: the look ahead for it stops at its first byte
    W_SQL = 1u << 18,           // a SQL statement begins with it: PL/SQL's block words are plain words there
    W_NESTED = 1u << 19,        // a block header that a declaration section may hold (a subprogram)
    W_BLOCK_START = 1u << 20,   // a block begins with it: no condition holds it, the look ahead for THEN ends there
    W_FRAGMENT = 1u << 21,      // a PL/SQL statement that no SQL statement begins with: a text that begins with it is a piece of a unit
    W_PRIVILEGES = 1u << 22,    // a list of privileges follows it: the line keywords there (CREATE, EXECUTE) begin no line
};

enum WordId : int16_t {
    WORD_NONE = -1,
#define QV_WORD(id, text, roles, shortest) WORD_##id,
#include "formatter/rcFmtWords.def"
#undef QV_WORD
    WORD_COUNT
};

struct WordDef {
    const char *szText;  // in capitals
    uint32_t uRoles;
    uint8_t nShortest;   // a command's shortest form, in bytes
};

inline constexpr WordDef arWordDefs[] = {
#define QV_WORD(id, text, roles, shortest) {text, roles, shortest},
#include "formatter/rcFmtWords.def"
#undef QV_WORD
};

constexpr size_t nWordsWith(uint32_t uRole) {
    size_t n = 0;
    for (const WordDef &w : arWordDefs) n += (w.uRoles & uRole) != 0;
    return n;
}

// The length of the longest word of a role.
constexpr size_t nLongestWith(uint32_t uRole) {
    size_t nMax = 0;
    for (const WordDef &w : arWordDefs) {
        size_t n = 0;
        while ((w.uRoles & uRole) != 0 && w.szText[n] != '\0') ++n;
        nMax = n > nMax ? n : nMax;
    }
    return nMax;
}

// The length of the shortest word of a role (0 when it has none).
constexpr size_t nShortestWith(uint32_t uRole) {
    size_t nMin = 0;
    for (const WordDef &w : arWordDefs) {
        if ((w.uRoles & uRole) == 0) continue;
        size_t n = 0;
        while (w.szText[n] != '\0') ++n;
        nMin = nMin == 0 || n < nMin ? n : nMin;
    }
    return nMin;
}

// The texts of the words of a role, in the table's order.
template <uint32_t uRole>
constexpr std::array<const char *, nWordsWith(uRole)> arWordsWith() {
    std::array<const char *, nWordsWith(uRole)> ar{};
    size_t i = 0;
    for (const WordDef &w : arWordDefs)
        if ((w.uRoles & uRole) != 0) ar[i++] = w.szText;
    return ar;
}

// The ids of the words of a role, in the table's order.
template <uint32_t uRole>
constexpr std::array<WordId, nWordsWith(uRole)> arIdsWith() {
    std::array<WordId, nWordsWith(uRole)> ar{};
    size_t i = 0;
    for (size_t k = 0; k < WORD_COUNT; ++k)
        if ((arWordDefs[k].uRoles & uRole) != 0) ar[i++] = static_cast<WordId>(k);
    return ar;
}

// A word's text with the blank after it, as the layout matches clause keywords and headers.
struct BlankPhrase {
    char sz[32];
};
constexpr BlankPhrase rWithBlank(const char *szText, bool bBlank) {
    BlankPhrase r{};
    size_t n = 0;
    while (szText[n] != '\0') {
        r.sz[n] = szText[n];
        ++n;
    }
    if (bBlank) r.sz[n++] = ' ';
    r.sz[n] = '\0';
    return r;
}
// The words of a role as the layout matches them: each with its blank, but W_GLUED ones.
template <uint32_t uRole>
constexpr std::array<BlankPhrase, nWordsWith(uRole)> arPhrasesWith() {
    std::array<BlankPhrase, nWordsWith(uRole)> ar{};
    size_t i = 0;
    for (const WordDef &w : arWordDefs)
        if ((w.uRoles & uRole) != 0) ar[i++] = rWithBlank(w.szText, (w.uRoles & W_GLUED) == 0);
    return ar;
}

// The text of a row, and the same with the blank after it (as the layout matches "AND ").
constexpr const char *szWord(WordId e) { return arWordDefs[e].szText; }
constexpr BlankPhrase rBlankPhrase(WordId e) { return rWithBlank(szWord(e), true); }

// Whether the byte c (a letter in either case) begins a word of a role.
constexpr bool bFirstByteOf(uint32_t uRole, int c) {
    const int f = c >= 'a' && c <= 'z' ? c - 0x20 : c;
    for (const WordDef &w : arWordDefs)
        if ((w.uRoles & uRole) != 0 && static_cast<unsigned char>(w.szText[0]) == f) return true;
    return false;
}

// Whether a bit per letter ('A' to 'Z') holds the first letter of a word of a role.
constexpr uint32_t uFirstLettersOf(uint32_t uRole) {
    uint32_t u = 0;
    for (const WordDef &w : arWordDefs)
        if ((w.uRoles & uRole) != 0 && w.szText[0] >= 'A' && w.szText[0] <= 'Z') u |= 1u << (w.szText[0] - 'A');
    return u;
}

constexpr bool bSameText(const char *sz1, const char *sz2) {
    while (*sz1 != '\0' && *sz1 == *sz2) ++sz1, ++sz2;
    return *sz1 == *sz2;
}

// Every text fits a BlankPhrase, is written in capitals (the lookups fold only the text they
// read) and has one row only (a word has one id), and W_GLUED is a clause keyword's: a wrong row
// fails the build.
constexpr bool bWordDefsSound() {
    for (size_t k = 0; k < WORD_COUNT; ++k)
        for (size_t j = 0; j < k; ++j)
            if (bSameText(arWordDefs[j].szText, arWordDefs[k].szText)) return false;
    for (const WordDef &w : arWordDefs) {
        size_t n = 0;
        for (; w.szText[n] != '\0'; ++n)
            if (w.szText[n] >= 'a' && w.szText[n] <= 'z') return false;
        if (n == 0 || n + 2 > sizeof(BlankPhrase{}.sz)) return false;
        if ((w.uRoles & W_GLUED) != 0 && (w.uRoles & W_CLAUSE) == 0) return false;
        if (((w.uRoles & W_COMMAND) != 0) != (w.nShortest != 0) || w.nShortest > n) return false;
    }
    return true;
}
static_assert(bWordDefsSound(), "a row of rcFmtWords.def is not sound");
