// The formatting options record: one instance, owned by the driver for the whole run.
#pragma once
#include <cstdint>

enum { MAX_INDENT_WIDTH = 32 };

// The letter case of keywords (--keyword-case): as written, in capitals, in small letters.
enum : int32_t { KWCASE_KEEP = 0, KWCASE_UPPER = 1, KWCASE_LOWER = 2 };

struct StmtStyle {
    char szIndent[MAX_INDENT_WIDTH + 1];  // indentation unit: one TAB, or 1 to 32 blanks
    int32_t iNumComma;                    // commas from which a part is broken
    int32_t iPartSize;                    // bytes above which a part is broken
    int32_t iFmtLen;                      // length of the last formatted text
    int32_t iJoinAt;                      // chunk joining: 0 off, else the glue length limit
    int32_t iEncoding;                    // ENC_AUTO (the text decides), ENC_SJIS, ENC_UTF8, ENC_LATIN1
    // The line end of every line break the formatter writes and of every line end that stands
    // between tokens: CR LF when set, else LF. Line ends inside literals, block comments,
    // wrapped units and Java sources are data and stay as they came.
    bool bCrLf;
    // Blank lines: when set, one empty line stays where the author had one or more between the
    // statements, declarations and subprograms of a block and between the statements and
    // commands of a script (never inside an SQL statement); else none stays.
    bool bKeepBlankLines;
    // KWCASE_KEEP, KWCASE_UPPER or KWCASE_LOWER: the ASCII letters of the words of the table of
    // words that are keywords (rcFmtWords.def, W_KEYWORD), where such a word stands alone in
    // code. Names, literals, quoted names, comments, command lines and units carried whole keep
    // their bytes.
    int32_t eKeywordCase;
};

// The defaults: one TAB, 14 commas, 50 bytes, joining off, the encoding read from the text,
// line ends LF, no blank lines kept, keywords as written.
void vDefaultStmtStyle(StmtStyle *pStyle);
