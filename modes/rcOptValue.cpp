// The one table of the valued options and the one reader of their values.
#include "modes/rcOptValue.h"

#include <cstring>

#include "formatter/rcFmtLex.h"
#include "modes/rcTextCodec.h"

namespace {
// A keyword value and what it stands for.
struct OptWord {
    const char *szWord;  // lower case
    int32_t iValue;
};
const OptWord arEncodingWords[] = {
    {"auto", ENC_AUTO},         {"sjis", ENC_SJIS},     {"shift_jis", ENC_SJIS}, {"cp932", ENC_SJIS},
    {"utf8", ENC_UTF8},         {"utf-8", ENC_UTF8},    {"latin1", ENC_LATIN1},  {"latin-1", ENC_LATIN1},
    {"iso-8859-1", ENC_LATIN1}, {"cp1252", ENC_LATIN1}, {nullptr, 0},
};
const OptWord arEolWords[] = {{"crlf", EOL_CRLF}, {"lf", EOL_LF}, {"keep", EOL_KEEP}, {nullptr, 0}};
const OptWord arIndentWords[] = {{"tab", 0}, {nullptr, 0}};  // 0: one TAB
const OptWord arKeywordCaseWords[] = {
    {"keep", KWCASE_KEEP}, {"upper", KWCASE_UPPER}, {"lower", KWCASE_LOWER}, {nullptr, 0}};
const OptWord arBlankLinesWords[] = {{"keep", 1}, {"drop", 0}, {nullptr, 0}};

// One row per option, in the order of OptValueId: its name, the keywords it takes and the
// range of the numbers it takes (none when iMax < iMin).
struct OptRow {
    const char *szName;
    const OptWord *arWords;
    int64_t iMin, iMax;
};
const int64_t iMaxInt = 2147483647;
const OptRow arOptRows[OPTV_COUNT] = {
    {"indent_width", arIndentWords, 1, MAX_INDENT_WIDTH},
    {"num_comma", nullptr, 0, iMaxInt},
    {"part_size", nullptr, 0, iMaxInt},
    {"encoding", arEncodingWords, 0, -1},
    {"eol", arEolWords, 0, -1},
    {"join_at", nullptr, 0, iMaxInt},
    {"keyword_case", arKeywordCaseWords, 0, -1},
    {"blank_lines", arBlankLinesWords, 0, -1},
};

char cLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c; }

// Whether the n bytes at p are the lower-case word sz, ASCII letter case ignored.
bool bIsWordFolded(const char *p, size_t n, const char *sz) {
    for (size_t i = 0; i < n; ++i, ++sz)
        if (*sz == '\0' || cLower(p[i]) != *sz) return false;
    return *sz == '\0';
}

// Reads the decimal digits at p when their value lies in [iMin, iMax]. Returns null, or the
// reason the value is refused.
const char *szReadNumber(const char *p, size_t n, int64_t iMin, int64_t iMax, int32_t *pi) {
    int64_t v = 0;
    bool bTooBig = false;
    for (size_t i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9') return "bad value";
        if (!bTooBig) v = v * 10 + (p[i] - '0');
        bTooBig = bTooBig || v > iMax;  // keeps v small however many digits follow
    }
    if (bTooBig || v < iMin) return "out of range";
    *pi = static_cast<int32_t>(v);
    return nullptr;
}
}  // namespace

int32_t iFindOptValue(const char *p, size_t n) {
    int32_t eId = 0;
    while (eId < OPTV_COUNT && !bIsWordFolded(p, n, arOptRows[eId].szName)) ++eId;
    return eId;
}

const char *szOptValueName(int32_t eId) { return arOptRows[eId].szName; }

size_t nOptValueFormLen(const char *szArg, int32_t eId) {
    if (szArg[0] != '-' || szArg[1] != '-') return 0;
    const char *szName = arOptRows[eId].szName;
    size_t n = std::strlen(szName);
    for (size_t i = 0; i < n; ++i) {
        const char c = cLower(szArg[2 + i]);  // the NUL of a short argument differs
        if (c != szName[i] && !(szName[i] == '_' && c == '-')) return 0;
    }
    return szArg[2 + n] == '=' ? n + 3 : 0;
}

const char *szReadOptValue(int32_t eId, const char *p, size_t n, OptValues *pVals) {
    if (n == 0) return "missing value";
    const OptRow &row = arOptRows[eId];
    int32_t iValue = 0;
    bool bWord = false;
    for (const OptWord *pWord = row.arWords; pWord != nullptr && pWord->szWord != nullptr && !bWord; ++pWord)
        if (bIsWordFolded(p, n, pWord->szWord)) iValue = pWord->iValue, bWord = true;
    if (!bWord) {
        if (row.iMax < row.iMin) return "bad value";
        const char *szWhy = szReadNumber(p, n, row.iMin, row.iMax, &iValue);
        if (szWhy != nullptr) return szWhy;
    }
    switch (eId) {
    case OPTV_INDENT:
        if (bWord) {
            std::strcpy(pVals->szIndent, "\t");
        } else {
            std::memset(pVals->szIndent, ' ', static_cast<size_t>(iValue));
            pVals->szIndent[iValue] = '\0';
        }
        break;
    case OPTV_NUM_COMMA: pVals->iNumComma = iValue; break;
    case OPTV_PART_SIZE: pVals->iPartSize = iValue; break;
    case OPTV_ENCODING: pVals->iEncoding = iValue; break;
    case OPTV_EOL: pVals->eEol = iValue; break;
    case OPTV_JOIN_AT: pVals->iJoinAt = iValue; break;
    case OPTV_KEYWORD_CASE: pVals->eKeywordCase = iValue; break;
    case OPTV_BLANK_LINES: pVals->iKeepBlankLines = iValue; break;
    default: return "unknown option";
    }
    pVals->uSet |= 1u << eId;
    return nullptr;
}

void vApplyOptValues(const OptValues *pVals, uint32_t uWhich, StmtStyle *pStyle, int32_t *peEol) {
    const uint32_t u = pVals->uSet & uWhich;
    if (u & (1u << OPTV_INDENT)) std::memcpy(pStyle->szIndent, pVals->szIndent, sizeof pVals->szIndent);
    if (u & (1u << OPTV_NUM_COMMA)) pStyle->iNumComma = pVals->iNumComma;
    if (u & (1u << OPTV_PART_SIZE)) pStyle->iPartSize = pVals->iPartSize;
    if (u & (1u << OPTV_ENCODING)) pStyle->iEncoding = pVals->iEncoding;
    if (u & (1u << OPTV_EOL)) *peEol = pVals->eEol;
    if (u & (1u << OPTV_JOIN_AT)) pStyle->iJoinAt = pVals->iJoinAt;
    if (u & (1u << OPTV_KEYWORD_CASE)) pStyle->eKeywordCase = pVals->eKeywordCase;
    if (u & (1u << OPTV_BLANK_LINES)) pStyle->bKeepBlankLines = pVals->iKeepBlankLines != 0;
}
