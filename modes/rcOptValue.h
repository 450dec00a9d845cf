// The options that take a value, as the command line (--name=value, and the short forms) and a
// .quorva settings file (name = value) both give them: one table of their names and of the
// values each takes, so that a name or a value means the same in both places and a value that
// one refuses the other refuses too.
//
//   indent_width  1..32 blanks, or "tab" (one TAB, the default)
//   num_comma     0..2147483647
//   part_size     0..2147483647
//   encoding      auto | sjis (also shift_jis, cp932) | utf8 (also utf-8)
//                 | latin1 (also latin-1, iso-8859-1, cp1252)
//   eol           crlf | lf | keep
//   join_at       0..2147483647 (0: no joining)
//   keyword_case  keep | upper | lower
//   blank_lines   keep | drop
// Names and keyword values ignore ASCII letter case. Numbers are decimal digits only, no sign. On
// the command line a "_" of a name may also be written "-" (--keyword-case=upper).
#pragma once
#include <cstddef>
#include <cstdint>

#include "formatter/rStmtStyle.h"

enum OptValueId : int32_t {
    OPTV_INDENT, OPTV_NUM_COMMA, OPTV_PART_SIZE, OPTV_ENCODING, OPTV_EOL, OPTV_JOIN_AT, OPTV_KEYWORD_CASE,
    OPTV_BLANK_LINES, OPTV_COUNT
};

// Values of the options, each valid where its bit (1 << OptValueId) is set in uSet.
struct OptValues {
    uint32_t uSet;
    char szIndent[MAX_INDENT_WIDTH + 1];  // "\t", or 1 to 32 blanks
    int32_t iNumComma;
    int32_t iPartSize;
    int32_t iEncoding;  // ENC_AUTO, ENC_SJIS, ENC_UTF8 or ENC_LATIN1
    int32_t eEol;       // EOL_CRLF, EOL_LF or EOL_KEEP
    int32_t iJoinAt;
    int32_t eKeywordCase;  // KWCASE_KEEP, KWCASE_UPPER or KWCASE_LOWER
    int32_t iKeepBlankLines;  // 1: keep, 0: drop
};

// The option whose long name is the n bytes at p, in any letter case, or OPTV_COUNT.
int32_t iFindOptValue(const char *p, size_t n);

// The long name of an option ("indent_width").
const char *szOptValueName(int32_t eId);

// The length of the command line's long form "--name=" when szArg begins with it (letters in
// any case, "-" or "_" for each "_" of the name), else 0.
size_t nOptValueFormLen(const char *szArg, int32_t eId);

// Reads the n bytes at p as a value of the option eId into *pVals and sets its bit. Returns
// null, or a short English key for the reason the value is refused ("missing value", "bad
// value", "out of range"); *pVals is then as it was. Prints nothing.
const char *szReadOptValue(int32_t eId, const char *p, size_t n, OptValues *pVals);

// Puts the values whose bits are set in both pVals->uSet and uWhich into the layout record and
// the line end.
void vApplyOptValues(const OptValues *pVals, uint32_t uWhich, StmtStyle *pStyle, int32_t *peEol);
