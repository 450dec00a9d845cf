// Properties over every file of the corpus of real statements, reports and traces: formatting
// keeps every non-white-space byte and never joins two words that white space separated, gives
// the same bytes every time, and file mode changes nothing outside the statements of a report
// or trace file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "consoleCapture.h"
#include "runtime/psGlobals.h"
#include "formatter/rcFmtStmt.h"
#include "testFiles.h"
#include "modes/rcExtractStmt.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> vCorpusFiles() {
    std::vector<fs::path> v;
    std::error_code ec;
    for (const auto &e : fs::recursive_directory_iterator(QUORVA_CORPUS_DIR, ec))
        if (e.is_regular_file() && e.path().extension() != ".md") v.push_back(e.path());
    std::sort(v.begin(), v.end());
    return v;
}

// The file as the formatter gets it from file mode: CR LF read as LF; with the pieces between
// lines that hold only "/" (a line end of CR LF allowed).
std::vector<std::string> vsTexts(const std::string &sRaw) {
    std::string t;
    for (size_t i = 0; i < sRaw.size(); ++i)
        if (!(sRaw[i] == '\r' && i + 1 < sRaw.size() && sRaw[i + 1] == '\n')) t += sRaw[i];
    std::vector<std::string> v{t};
    size_t iStart = 0, iLine = 0;
    bool bSplit = false;
    while (iLine < t.size()) {
        size_t iEnd = t.find('\n', iLine);
        if (iEnd == std::string::npos) iEnd = t.size();
        if (t.compare(iLine, iEnd - iLine, "/") == 0) {
            v.push_back(t.substr(iStart, iLine - iStart));
            iStart = iEnd + 1;
            bSplit = true;
        }
        iLine = iEnd + 1;
    }
    if (bSplit && iStart < t.size()) v.push_back(t.substr(iStart));
    return v;
}

inline bool bWhite(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }

// Bytes that continue a word: letters, digits, "_", "$", "#", the bytes of double-byte and other
// non-ASCII characters, and the quotes (n 'x' joined would be a national literal).
inline bool bWordByte(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' || u == '$' ||
           u == '#' || u >= 0x80 || u == '\'' || u == '"';
}

// Two bytes that white space must keep apart: two word bytes, or a pair that would open or
// close a comment. Punctuation next to a word may lose its blank ("( a" becomes "(a").
inline bool bMustStayApart(char a, char b) {
    return (bWordByte(a) && bWordByte(b)) || (a == '-' && b == '-') || (a == '/' && b == '*') || (a == '*' && b == '/');
}

// The non-white bytes of a text, and for each whether white space came before it.
void vInk(const std::string &s, std::string *psInk, std::vector<bool> *pvbGap) {
    bool bGap = false;
    for (char c : s) {
        if (bWhite(c)) {
            bGap = true;
            continue;
        }
        *psInk += c;
        pvbGap->push_back(bGap);
        bGap = false;
    }
}

struct Options {
    const char *szName;
    const char *szIndent;
    int32_t iNumComma, iPartSize;
};
const Options arOptions[] = {{"defaults", "\t", 14, 50}, {"-i4", "    ", 14, 50}, {"-c3 -s20", "\t", 3, 20}};

struct Formatted {
    int rc;
    std::string sOut;
};

Formatted rFormat(const std::string &sIn, const Options &o) {
    StmtStyle style;
    vDefaultStmtStyle(&style);
    std::snprintf(style.szIndent, sizeof style.szIndent, "%s", o.szIndent);
    style.iNumComma = o.iNumComma;
    style.iPartSize = o.iPartSize;
    char *szFmt = nullptr;
    Formatted r;
    {
        ConsoleCapture cap;
        r.rc = rcFmtStmt(sIn.c_str(), &szFmt, &style);
    }
    if (r.rc == RC_OK) {
        r.sOut.assign(szFmt);
        EXPECT_EQ(static_cast<size_t>(style.iFmtLen), r.sOut.size());
    }
    vFree(szFmt);
    return r;
}

// Where two words that white space separated in the input touch in the output: the output's
// offset, or npos. When the output keeps the non-white bytes in their order this is exact;
// when a comment moved, every run of word bytes of the output must still be found in the
// input.
size_t iJoinedAt(const std::string &sIn, const std::string &sOut) {
    std::string sInkIn, sInkOut;
    std::vector<bool> vbIn, vbOut;
    vInk(sIn, &sInkIn, &vbIn);
    vInk(sOut, &sInkOut, &vbOut);
    if (sInkIn == sInkOut) {
        for (size_t k = 0, iOut = 0; k < vbIn.size(); ++k, ++iOut) {
            while (bWhite(sOut[iOut])) ++iOut;
            if (k > 0 && vbIn[k] && !vbOut[k] && bMustStayApart(sInkIn[k - 1], sInkIn[k])) return iOut;
        }
        return std::string::npos;
    }
    for (size_t i = 0; i < sOut.size();) {
        while (i < sOut.size() && !bWordByte(sOut[i])) ++i;
        size_t j = i;
        while (j < sOut.size() && bWordByte(sOut[j])) ++j;
        if (j > i && sIn.find(sOut.substr(i, j - i)) == std::string::npos) return i;
        i = j;
    }
    return std::string::npos;
}

std::string sAround(const std::string &s, size_t i) {
    size_t b = i > 60 ? i - 60 : 0;
    return "[" + s.substr(b, i - b) + "|" + s.substr(i, 60) + "]";
}
}  // namespace

TEST(CorpusProperty, FormattingKeepsWordsAndIsDeterministic) {
    int nTexts = 0, nOk = 0;
    std::vector<fs::path> vFiles = vCorpusFiles();
    ASSERT_FALSE(vFiles.empty());
    for (const fs::path &p : vFiles) {
        std::string sRaw = sReadBytes(p.string());
        if (sRaw.find('\0') != std::string::npos) continue;  // file mode writes such a text unchanged
        std::vector<std::string> vs = vsTexts(sRaw);
        for (size_t iText = 0; iText < vs.size(); ++iText) {
            const std::string &sIn = vs[iText];
            for (const Options &o : arOptions) {
                const std::string sWhat = p.filename().string() + " text " + std::to_string(iText) + " " + o.szName;
                ++nTexts;
                Formatted r = rFormat(sIn, o);
                if (&o == &arOptions[0]) {  // once is enough to show that the result is the same
                    Formatted r2 = rFormat(sIn, o);
                    EXPECT_EQ(r.rc, r2.rc) << sWhat;
                    EXPECT_TRUE(r.sOut == r2.sOut) << sWhat << ": formatting twice gave different bytes";
                }
                if (r.rc != RC_OK) continue;
                ++nOk;
                std::string sInkIn, sInkOut;
                std::vector<bool> vb;
                vInk(sIn, &sInkIn, &vb);
                vInk(r.sOut, &sInkOut, &vb);
                std::sort(sInkIn.begin(), sInkIn.end());
                std::sort(sInkOut.begin(), sInkOut.end());
                EXPECT_TRUE(sInkIn == sInkOut) << sWhat << ": the non-white bytes differ";
                size_t iJoin = iJoinedAt(sIn, r.sOut);
                EXPECT_EQ(iJoin, std::string::npos) << sWhat << ": words joined at " << sAround(r.sOut, iJoin);
            }
        }
    }
    std::printf("corpus: %d texts under %zu option sets, %d formatted\n", nTexts / 3, std::size(arOptions), nOk);
    EXPECT_GT(nOk, 0);
}

namespace {
// The stand-in formatter of the first pass: the statement between two markers.
const char szOpen[] = "\x01<<", szClose[] = ">>\x01";
int rcMark(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    std::string s = std::string(szOpen) + szStmt + szClose;
    char *p = static_cast<char *>(pvAlloc(s.size() + 1));
    if (p == nullptr) return RC_NOMEM;
    std::memcpy(p, s.data(), s.size());
    *szStmtFmt = p;
    rStmtStyle->iFmtLen = static_cast<int32_t>(s.size());
    return RC_OK;
}

struct Extracted {
    int rc;
    std::string sText;  // the output read back as text (CR LF as LF)
};

Extracted rExtract(const std::string &t, int32_t iDocType, PfnFmtStmt pfn) {
    FILE *fp = std::tmpfile();
    TextWriter out(fp);
    StmtStyle style;
    vDefaultStmtStyle(&style);
    int32_t iStmts = 0;
    Extracted r;
    {
        ConsoleCapture cap;
        r.rc = rcExtractStmts(t.c_str(), t.size(), iDocType, &out, "t", &style, &iStmts, pfn);
    }
    EXPECT_TRUE(out.bFlush());
    std::rewind(fp);
    TextReader in(fp);
    char *p = nullptr;
    size_t n = 0, cap = 0;
    EXPECT_TRUE(in.bReadAll(&p, &n, &cap));
    r.sText.assign(p != nullptr ? p : "", n);
    vFree(p);
    std::fclose(fp);
    return r;
}
}  // namespace

TEST(CorpusProperty, FileModeKeepsEveryByteOutsideStatements) {
    int nDocs = 0, nStmts = 0;
    for (const fs::path &p : vCorpusFiles()) {
        // The document type and the text as file mode finds them.
        FILE *fp = std::fopen(p.string().c_str(), "rb");
        ASSERT_NE(fp, nullptr);
        std::vector<char> vLineBuf(LINE_BUF_SIZE);
        int32_t iDocType = DOC_SCRIPT;
        std::string t;
        {
            TextReader in(fp);
            ASSERT_EQ(rcIdentifyDocType(&in, vLineBuf.data(), &iDocType), RC_OK);
            ASSERT_TRUE(in.bRewind());
            char *pText = nullptr;
            size_t n = 0, cap = 0;
            ASSERT_TRUE(in.bReadAll(&pText, &n, &cap));
            t.assign(pText, n);
            vFree(pText);
        }
        std::fclose(fp);
        if (iDocType == DOC_SCRIPT) continue;
        ASSERT_EQ(t.find(szOpen), std::string::npos);
        ++nDocs;
        const std::string sWhat = p.filename().string();

        // First pass: the statements marked. Without the markers the output is the input.
        Extracted rMarked = rExtract(t, iDocType, rcMark);
        ASSERT_EQ(rMarked.rc, RC_OK) << sWhat;
        std::string sBack, sExpected;
        bool bFmtFailed = false;
        int iFmtRc = RC_OK;
        for (size_t i = 0; i < rMarked.sText.size();) {
            size_t o = rMarked.sText.find(szOpen, i);
            if (o == std::string::npos) o = rMarked.sText.size();
            sBack += rMarked.sText.substr(i, o - i);
            sExpected += rMarked.sText.substr(i, o - i);
            if (o == rMarked.sText.size()) break;
            size_t c = rMarked.sText.find(szClose, o);
            ASSERT_NE(c, std::string::npos) << sWhat;
            std::string sStmt = rMarked.sText.substr(o + 3, c - o - 3);
            sBack += sStmt;
            ++nStmts;
            // What the real formatter makes of it: the same statement on its own.
            if (bKeepUnformatted(sStmt.data(), sStmt.size())) {
                sExpected += sStmt;
            } else if (!bFmtFailed) {
                Formatted f = rFormat(sStmt, arOptions[0]);
                if (f.rc != RC_OK) {
                    bFmtFailed = true;
                    iFmtRc = f.rc;
                }
                sExpected += f.sOut;
            }
            i = c + 3;
        }
        EXPECT_TRUE(sBack == t) << sWhat << ": bytes outside the statements changed";

        // Second pass: the real formatter; the text around the statements is the same.
        Extracted rReal = rExtract(t, iDocType, rcFmtStmt);
        if (bFmtFailed) {
            EXPECT_EQ(rReal.rc, iFmtRc) << sWhat;
        } else {
            EXPECT_EQ(rReal.rc, RC_OK) << sWhat;
            EXPECT_TRUE(rReal.sText == sExpected) << sWhat;
        }
    }
    std::printf("corpus: %d reports and traces, %d statements\n", nDocs, nStmts);
    EXPECT_GT(nDocs, 0);
}
