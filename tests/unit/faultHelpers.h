// What the failure-injection tests share: a statement that passes through every phase of the
// formatter, a tree of files for file mode with its snapshot, standard streams swapped for
// files, and the check of a failure report with its trail.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#ifdef _WIN32
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "runtime/msgCatalog.h"

namespace fault {
namespace fs = std::filesystem;

const std::string sNoMem = "Error - メモリの取得に失敗しました。\n";

// Comments of both kinds, literals of every kind, nested parentheses with a subquery and many
// commas, a PL/SQL block with its nesting, and for -j a chunk that ends in a double-byte
// character before an empty line.
const char szEveryPhase[] =
    "  DECLARE -- head\n"
    "  x NUMBER := 1; s VARCHAR2(10) := 'it''s'; t VARCHAR2(9) := '\x82\xa0\x82\xa0\n"
    "\n"
    "z';\n"
    "BEGIN /* block\n comment */\n"
    "  IF x > 0 THEN\n"
    "    SELECT a, b, \"C d\", f(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16) INTO x FROM t\n"
    "    WHERE a IN (SELECT c FROM u WHERE d = 'e''f' AND g = (1 + (2 * (3 - 4)))) AND /* c */ h = 1;\n"
    "  ELSIF x < 0 THEN NULL; ELSE LOOP EXIT WHEN x > 9; x := x + 1; END LOOP; END IF;\n"
    "EXCEPTION WHEN OTHERS THEN NULL;\n"
    "END;\n";

inline std::string sCrLf(const std::string &s) {
    std::string r;
    for (char c : s) r += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return r;
}

inline void vPut(const fs::path &p, const std::string &s) { std::ofstream(p, std::ios::binary) << s; }

// A directory tree as it stands: every path with its bytes ("/" for a directory).
inline std::map<std::string, std::string> mTree(const fs::path &root) {
    std::map<std::string, std::string> m;
    for (const auto &e : fs::recursive_directory_iterator(root)) {
        std::string sRel = fs::relative(e.path(), root).generic_string();
        if (e.is_directory()) {
            m[sRel] = "/";
        } else {
            std::ifstream in(e.path(), std::ios::binary);
            std::ostringstream ss;
            ss << in.rdbuf();
            m[sRel] = ss.str();
        }
    }
    return m;
}

// The tree of the file-mode runs (with -r): a script, a TKPROF report and a trace file, all
// with CR LF, a nested directory and a file that is passed over. sTraceExtra goes at the end
// of the trace file.
inline void vMakeTree(const fs::path &root, const std::string &sTraceExtra = "") {
    fs::remove_all(root);
    fs::create_directories(root / "n.sql");
    vPut(root / "a.sql", sCrLf(szEveryPhase));
    vPut(root / "b.sql", sCrLf("\nTKPROF: Release 12.2\n\nSQL ID: 1\n\nselect a, b\nfrom\n t where (x = 1)\n\n\n"
                               "call  count\nParse 1\n\nSQL ID: 2\n\nBEGIN p(1); END;\n\n\ncall\n"));
    vPut(root / "n.sql" / "c.sql",
         sCrLf("*** 2018\nPARSING IN CURSOR #1 len=20 dep=0\nselect x -- c\nfrom dual\nEND OF STMT\nPARSE #1:c=0\n" +
               sTraceExtra));
    vPut(root / "n.sql" / "d.txt", "left alone\n");
}

// Standard input and output are the given files while it lives.
struct StdioSwap {
    int fdIn = -1, fdOut = -1;
    StdioSwap(FILE *fpIn, FILE *fpOut) {
        std::fflush(stdout);
        fdIn = dup(0);
        fdOut = dup(1);
        dup2(fileno(fpIn), 0);
        dup2(fileno(fpOut), 1);
        std::clearerr(stdin);
        std::rewind(stdin);
    }
    ~StdioSwap() {
        std::fflush(stdout);
        dup2(fdIn, 0);
        dup2(fdOut, 1);
        close(fdIn);
        close(fdOut);
        std::clearerr(stdin);
        std::clearerr(stdout);
    }
};

// One trail line: "関数 NAME() が異常終了しました。(MODULE-SITE)" with a module's source name
// (".\x" or "..\share\x") and a decimal site.
inline bool bIsTrailLine(const std::string &s, std::string *psFunc, int *piSite) {
    const std::string sHead = "関数 ", sMid = "() が異常終了しました。(";
    size_t iMid = s.find(sMid);
    if (s.compare(0, sHead.size(), sHead) != 0 || iMid == std::string::npos || s.empty() || s.back() != ')')
        return false;
    std::string sFunc = s.substr(sHead.size(), iMid - sHead.size());
    std::string sWhere = s.substr(iMid + sMid.size(), s.size() - iMid - sMid.size() - 1);
    size_t iDash = sWhere.rfind('-');
    if (sFunc.empty() || sFunc.find(' ') != std::string::npos || iDash == std::string::npos ||
        iDash + 1 == sWhere.size() || iDash + 6 < sWhere.size())
        return false;
    for (size_t i = iDash + 1; i < sWhere.size(); ++i)
        if (sWhere[i] < '0' || sWhere[i] > '9') return false;
    if (sWhere.compare(0, 2, ".\\") != 0 && sWhere.compare(0, 3, "..\\") != 0) return false;
    *psFunc = sFunc;
    *piSite = std::stoi(sWhere.substr(iDash + 1));
    return true;
}

// The formatter's dump of its working text, when the text at p is one: the head with the two
// lengths, then each side as exactly that many bytes. Returns the dump's length, or 0.
inline size_t nDumpAt(const std::string &s, size_t p) {
    // The two lengths, read between the pieces of the head's format (no scanf: the format is
    // Shift_JIS text, which not every C library scans byte for byte).
    const std::string sFmt = szMsgDumpHead;
    size_t iD1 = sFmt.find("%d"), iD2 = sFmt.find("%d", iD1 + 2);
    int b = -1, a = -1;
    size_t q = p;
    for (int *pi : {&b, &a}) {
        size_t iPiece = pi == &b ? 0 : iD1 + 2, nPiece = (pi == &b ? iD1 : iD2) - iPiece;
        if (s.compare(q, nPiece, sFmt, iPiece, nPiece) != 0) return 0;
        q += nPiece;
        size_t iDigits = q;
        while (q < s.size() && s[q] >= '0' && s[q] <= '9') ++q;
        if (q == iDigits || q - iDigits > 6) return 0;
        *pi = std::stoi(s.substr(iDigits, q - iDigits));
    }
    char szHead[256], szBefore[64], szAfter[64];
    std::snprintf(szHead, sizeof szHead, szMsgDumpHead, b, a);
    std::snprintf(szBefore, sizeof szBefore, szMsgDumpBefore, b, "");
    std::snprintf(szAfter, sizeof szAfter, szMsgDumpAfter, a, "");
    std::string sBefore(szBefore, std::strlen(szBefore) - 1), sAfter(szAfter, std::strlen(szAfter) - 1);
    q = p;
    if (s.compare(q, std::strlen(szHead), szHead) != 0) return 0;
    q += std::strlen(szHead);
    if (s.compare(q, sBefore.size(), sBefore) != 0) return 0;
    q += sBefore.size() + static_cast<size_t>(b);
    if (q >= s.size() || s[q] != '\n') return 0;
    ++q;
    if (s.compare(q, sAfter.size(), sAfter) != 0) return 0;
    q += sAfter.size() + static_cast<size_t>(a);
    if (q >= s.size() || s[q] != '\n') return 0;
    return q + 1 - p;
}

// The messages of a failing run (console read back with LF line ends): whatever came before
// the message sMsg (echoed paths), sMsg exactly once, then up to its end nothing but trail
// lines (the formatter's followed by its dump), the first (on the message's line when sMsg has
// no line end) naming iFirstSite unless that is 0, the last naming szOuter. Returns the
// number of trail lines, 0 after a finding.
inline int iExpectReport(const std::string &sMsgs, const std::string &sMsg, const char *szOuter, int iFirstSite,
                         const std::string &sWhat) {
    size_t iAt = sMsgs.find(sMsg);
    EXPECT_NE(iAt, std::string::npos) << sWhat << "\n" << sMsgs;
    if (iAt == std::string::npos) return 0;
    EXPECT_EQ(sMsgs.find(sMsg, iAt + 1), std::string::npos) << sWhat << "\n" << sMsgs;
    EXPECT_TRUE(iAt == 0 || sMsgs[iAt - 1] == '\n') << sWhat << "\n" << sMsgs;
    size_t p = iAt + sMsg.size();
    if (sMsg.back() != '\n') {  // the rest of the message's line: its fillers, then the trail
        p = sMsgs.find("関数 ", p);
        EXPECT_NE(p, std::string::npos) << sWhat << "\n" << sMsgs;
        if (p == std::string::npos) return 0;
        EXPECT_EQ(sMsgs.find('\n', iAt), sMsgs.find('\n', p)) << sWhat << "\n" << sMsgs;
    }
    std::string sFunc;
    int iTrails = 0, iSite = 0;
    while (p < sMsgs.size()) {
        size_t e = sMsgs.find('\n', p);
        EXPECT_NE(e, std::string::npos) << sWhat << "\n" << sMsgs;
        if (e == std::string::npos) return 0;
        bool bTrail = bIsTrailLine(sMsgs.substr(p, e - p), &sFunc, &iSite);
        EXPECT_TRUE(bTrail) << sWhat << ": " << sMsgs.substr(p);
        if (!bTrail) return 0;
        if (iTrails++ == 0 && iFirstSite != 0) {
            EXPECT_EQ(iSite, iFirstSite) << sWhat << "\n" << sMsgs;
        }
        p = e + 1;
        if (sFunc == "rcFmtStmt") p += nDumpAt(sMsgs, p);
    }
    EXPECT_GT(iTrails, 0) << sWhat;
    EXPECT_EQ(sFunc, szOuter) << sWhat << "\n" << sMsgs;
    return iTrails;
}

// The function and site of the first trail line after the message sMsg ("rcFmtOnFile-405"),
// or an empty text.
inline std::string sFirstTrailAfter(const std::string &sMsgs, const std::string &sMsg) {
    size_t p = sMsgs.find(sMsg);
    if (p == std::string::npos) return "";
    p = sMsgs.find("関数 ", p);
    if (p == std::string::npos) return "";
    std::string sFunc;
    int iSite = 0;
    if (!bIsTrailLine(sMsgs.substr(p, sMsgs.find('\n', p) - p), &sFunc, &iSite)) return "";
    return sFunc + "-" + std::to_string(iSite);
}

// The site of the first trail line after the message sMsg, or 0.
inline int iFirstSiteAfter(const std::string &sMsgs, const std::string &sMsg) {
    std::string s = sFirstTrailAfter(sMsgs, sMsg);
    return s.empty() ? 0 : std::stoi(s.substr(s.rfind('-') + 1));
}
}  // namespace fault
