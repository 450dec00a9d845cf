// The formatter's promises on every text it formats, checked by the corpus properties and the
// fuzz targets: the bytes other than white space are kept, and two words that white space
// separated never touch.
#pragma once
#include <algorithm>
#include <string>

inline bool bPromiseWhite(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }
// Bytes that continue a word: letters, digits, "_", "$", "#", non-ASCII bytes, and the quotes
// (n 'x' joined would be a national literal).
inline bool bPromiseWord(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' || u == '$' ||
           u == '#' || u >= 0x80 || u == '\'' || u == '"';
}

// The bytes other than white space (and than "_" with bIgnoreGlue: the glue of -j), in order or
// sorted.
inline std::string sInk(const std::string &s, bool bSorted = false, bool bIgnoreGlue = false) {
    std::string r;
    for (char c : s)
        if (!bPromiseWhite(c) && !(bIgnoreGlue && c == '_')) r += c;
    if (bSorted) std::sort(r.begin(), r.end());
    return r;
}

// Where two words that white space separated in the input touch in the output (or two bytes that
// would open or close a comment): the output's offset, or npos. Exact when the output keeps the
// bytes other than white space in their order; when a comment moved, with bAnyOrder every run of
// word bytes of the output must be found in the input, else nothing is checked.
inline size_t iJoinedAt(const std::string &sIn, const std::string &sOut, bool bAnyOrder) {
    const size_t npos = std::string::npos;
    if (sInk(sIn) == sInk(sOut)) {
        char a = 0;
        for (size_t p = 0, q = 0; p < sIn.size(); a = sIn[p++], ++q) {
            bool bGapIn = false, bGapOut = false;
            for (; p < sIn.size() && bPromiseWhite(sIn[p]); ++p) bGapIn = true;
            for (; q < sOut.size() && bPromiseWhite(sOut[q]); ++q) bGapOut = true;
            if (p == sIn.size()) break;
            const char b = sIn[p];
            if (a != 0 && bGapIn && !bGapOut &&
                ((bPromiseWord(a) && bPromiseWord(b)) || (a == '-' && b == '-') || (a == '/' && b == '*') ||
                 (a == '*' && b == '/')))
                return q;
        }
        return npos;
    }
    for (size_t i = 0; bAnyOrder && i < sOut.size();) {
        while (i < sOut.size() && !bPromiseWord(sOut[i])) ++i;
        size_t j = i;
        while (j < sOut.size() && bPromiseWord(sOut[j])) ++j;
        if (j > i && sIn.find(sOut.substr(i, j - i)) == npos) return i;
        i = j;
    }
    return npos;
}
