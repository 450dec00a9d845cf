// Texts as the program writes them, for both suites. Its messages are Shift_JIS (code page 932):
// tests write the texts they expect readably, in UTF-8, and convert them with the platform's
// converter, so that no compiler option decides the bytes. Its files and console end lines with
// CR LF. Failure reports are a message, trail lines and, from the formatter, a dump.
#pragma once
#include <string>

#include "plat/platConv.h"

// UTF-8 text as UTF-16 of the byte order eUtf16, without a byte order mark; a marker that
// matches no output when the text is no valid UTF-8.
inline std::string sUtf16(const std::string &sUtf8, PlatCodeset eUtf16) {
    std::string s(2 * sUtf8.size(), '\0');
    size_t n = 0;
    if (iPlatConvert(CS_UTF8, eUtf16, sUtf8.data(), sUtf8.size(), &s[0], s.size(), &n) != 0)
        return "<no UTF-16 form: " + sUtf8 + ">";
    s.resize(n);
    return s;
}

// The Shift_JIS bytes of a UTF-8 text; a marker that matches no output when the text has no
// Shift_JIS form (a test then fails on it).
inline std::string sSjis(const std::string &sUtf8) {
    std::string s(nPlatConvBound(CS_UTF8, CS_CP932, sUtf8.size()) + 1, '\0');
    size_t n = 0;
    if (iPlatConvert(CS_UTF8, CS_CP932, sUtf8.data(), sUtf8.size(), &s[0], s.size(), &n) != 0)
        return "<no Shift_JIS form: " + sUtf8 + ">";
    s.resize(n);
    return s;
}

// Every LF as CR LF, and back.
inline std::string sCrLf(const std::string &s) {
    std::string r;
    for (char c : s) r += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return r;
}
inline std::string sFromCrLf(const std::string &s) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i)
        if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) r += s[i];
    return r;
}

// The last n bytes of s (all of s when it is shorter).
inline std::string sLast(const std::string &s, size_t n) { return n >= s.size() ? s : s.substr(s.size() - n); }

// One trail line of a failure report: sTrail("rcFmtStmt", ".\\rcFmtStmt", 526).
inline std::string sTrail(const std::string &sFunc, const std::string &sModule, int iSite) {
    return sSjis("関数 " + sFunc + "() が異常終了しました。(" + sModule + "-" + std::to_string(iSite) + ")\n");
}

// The formatter's dump of its working text around the place of a failure.
inline std::string sDump(const std::string &sBefore, const std::string &sAfter) {
    const std::string b = std::to_string(sBefore.size()), a = std::to_string(sAfter.size());
    return sSjis("ssSrc の前方 " + b + " バイトから後方 " + a + " バイトまでをダンプします。\n前方 " + b +
                 " バイト：\n") +
           sBefore + sSjis("\n後方 " + a + " バイト：\n") + sAfter + "\n";
}
