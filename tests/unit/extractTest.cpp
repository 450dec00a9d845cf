// Document types, statement extraction and the text streams of file mode, with a stand-in
// formatter that marks each statement it receives.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "consoleCapture.h"
#include "runtime/psGlobals.h"
#include "modes/rcExtractStmt.h"

namespace {
int iFmtCalls = 0;
int rcFail = 0;  // what the stand-in returns; 0: it formats

// Wraps the statement in "<" and ">", so that its edges show in the output.
int rcFakeFmt(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    ++iFmtCalls;
    if (rcFail != 0) return rcFail;
    size_t n = std::strlen(szStmt);
    char *p = static_cast<char *>(pvAlloc(n + 3));
    *szStmtFmt = p;
    p[0] = '<';
    std::memcpy(p + 1, szStmt, n);
    p[n + 1] = '>';
    rStmtStyle->iFmtLen = static_cast<int32_t>(n + 2);
    return 0;
}

FILE *pTempWith(const std::string &s) {
    FILE *fp = std::tmpfile();
    std::fwrite(s.data(), 1, s.size(), fp);
    std::rewind(fp);
    return fp;
}

std::string sAll(FILE *fp) {
    std::string s;
    std::rewind(fp);
    for (int c; (c = std::fgetc(fp)) != EOF;) s += static_cast<char>(c);
    return s;
}

std::string sCrLf(const std::string &s) {
    std::string r;
    for (char c : s) r += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return r;
}

struct rDocCase {
    const char *szName;
    std::string sFile;
    int32_t iWant;
};
}  // namespace

TEST(DocType, IdentifiesByFirstBlockOrCursorLine) {
    const std::string sLong(40000, 'x');
    const rDocCase arCases[] = {
        {"TKPROF at bytes 1 to 6", "\nTKPROF: Release\n", 1},
        {"TKPROF after CR LF", "\r\nTKPROF: Release\r\n", 1},
        {"TKPROF too short", "\nTKPRO", 0},
        {"cursor line", "Trace file x\nPARSING IN CURSOR #1\nselect 1\nEND OF STMT\n", 2},
        {"cursor as first line", "PARSING IN CURSOR #1\n", 2},
        {"cursor mentioned mid-line", "-- see PARSING IN CURSOR\nselect 1;\n", 0},
        {"a long line is read in pieces", sLong.substr(0, 32767) + "PARSING IN CURSOR\n", 2},
        {"plain script", "select 1 from dual;\n" + sLong, 0},
    };
    char szLineBuf[LINE_BUF_SIZE];
    for (const rDocCase &c : arCases) {
        FILE *fp = pTempWith(c.sFile);
        TextReader in(fp);
        int32_t iDocType = -1;
        EXPECT_EQ(rcIdentifyDocType(&in, szLineBuf, &iDocType), 0) << c.szName;
        EXPECT_EQ(iDocType, c.iWant) << c.szName;
        std::fclose(fp);
    }
}

TEST(TextStream, ReadsCrLfAsLfAndKeepsEveryOtherByte) {
    const std::string sBlock(65535, 'a');
    const struct {
        const char *szName;
        std::string sFile, sWant;
    } arCases[] = {
        {"CR LF", "a\r\nb\r\n", "a\nb\n"},
        {"lone CR, CR CR LF, CR at the end", "a\rb\r\r\nc\r", "a\rb\r\nc\r"},
        {"Ctrl-Z and NUL are data",
         std::string("a\x1a"
                     "b\0c",
                     5),
         std::string("a\x1a"
                     "b\0c",
                     5)},
        {"CR LF across two reads", sBlock + "\r\nz", sBlock + "\nz"},
        {"CR ending a read", sBlock + "\rz", sBlock + "\rz"},
        {"empty", "", ""},
    };
    for (const auto &c : arCases) {
        FILE *fp = pTempWith(c.sFile);
        TextReader in(fp);
        char *p = nullptr;
        size_t n = 0, cap = 0;
        ASSERT_TRUE(in.bReadAll(&p, &n, &cap)) << c.szName;
        EXPECT_EQ(std::string(p, n), c.sWant) << c.szName;
        EXPECT_EQ(p[n], '\0') << c.szName;
        EXPECT_EQ(in.iRawBytes, static_cast<int64_t>(c.sFile.size())) << c.szName;
        vFree(p);
        std::fclose(fp);
    }
}

TEST(Extract, ReplacesEachStatementAndCopiesEveryOtherByte) {
    const struct {
        const char *szName;
        int32_t iDocType;
        std::string sIn, sWant;
        int32_t iStmts;
    } arCases[] = {
        {"tkprof: empty line keeps the statement's LF", 1, "x\nselect 1\nfrom d\n\ncall",
         "x\n<select 1\nfrom d\n>\ncall", 1},
        {"tkprof: call line", 1, "\nSELECT 1\ncall  count", "\n<SELECT 1>\ncall  count", 1},
        {"tkprof: stars line", 1, "\nupdate t\n***", "\n<update t>\n***", 1},
        {"tkprof: any case, no word boundary", 1, "\nSelected x\n\n", "\n<Selected x\n>\n", 1},
        {"tkprof: parenthesis and comment", 1, "\n(a)\n\n/* c */\n\n", "\n<(a)\n>\n</* c */\n>\n", 2},
        {"tkprof: no end marker", 1, "\ndrop t", "\n<drop t>", 1},
        {"tkprof: no statement", 1, "\nTKPROF\n\ncall\n", "\nTKPROF\n\ncall\n", 0},
        {"trace", 2, "x\nPARSING IN CURSOR #1 len=8\nselect 1\nEND OF STMT\nPARSE #1\n",
         "x\nPARSING IN CURSOR #1 len=8\n<select 1\n>END OF STMT\nPARSE #1\n", 1},
        {"trace: first line is a cursor line", 2, "PARSING IN CURSOR #1\nselect 1\nEND OF STMT\n",
         "PARSING IN CURSOR #1\nselect 1\nEND OF STMT\n", 0},
        {"trace: empty statement", 2, "\nPARSING IN CURSOR #1\nEND OF STMT\n", "\nPARSING IN CURSOR #1\nEND OF STMT\n",
         1},
        {"trace: blank statement", 2, "\nPARSING IN CURSOR\n \t\r\nEND OF STMT",
         "\nPARSING IN CURSOR\n \t\r\nEND OF STMT", 1},
        {"trace: cursor line without LF", 2, "a\nPARSING IN CURSOR #1", "a\nPARSING IN CURSOR #1", 0},
        {"trace: no end marker", 2, "\nPARSING IN CURSOR\nselect 1\n", "\nPARSING IN CURSOR\n<select 1\n>", 1},
        {"trace: two statements", 2, "\nPARSING IN CURSOR\na\nEND OF STMT\nPARSING IN CURSOR\nb\nEND OF STMT",
         "\nPARSING IN CURSOR\n<a\n>END OF STMT\nPARSING IN CURSOR\n<b\n>END OF STMT", 2},
        {"trace: statement holding a NUL", 2, std::string("\nPARSING IN CURSOR\na\0b\nEND OF STMT", 31),
         std::string("\nPARSING IN CURSOR\na\0b\nEND OF STMT", 31), 1},
    };
    for (const auto &c : arCases) {
        FILE *fp = std::tmpfile();
        TextWriter out(fp);
        StmtStyle style{};
        int32_t iStmts = 0;
        iFmtCalls = 0;
        EXPECT_EQ(rcExtractStmts(c.sIn.c_str(), c.sIn.size(), c.iDocType, &out, "t", &style, &iStmts, rcFakeFmt), 0)
            << c.szName;
        ASSERT_TRUE(out.bFlush());
        EXPECT_EQ(sAll(fp), sCrLf(c.sWant)) << c.szName;
        EXPECT_EQ(out.iRawBytes, static_cast<int64_t>(sCrLf(c.sWant).size())) << c.szName;
        EXPECT_EQ(iStmts, c.iStmts) << c.szName;
        EXPECT_LE(iFmtCalls, iStmts) << c.szName;
        std::fclose(fp);
    }
}

TEST(Extract, FailuresNameTheirSites) {
    const std::string sTrace = "\nPARSING IN CURSOR\nselect 1\nEND OF STMT\n" + std::string(70000, 'x');
    const struct {
        const char *szName;
        int iFmtRc;
        long lFailAlloc;
        bool bReadOnlyOut;
        int iWantRc, iWantLine;
    } arCases[] = {
        {"formatter fails", 24, 0, false, 24, 469},
        {"statement copy", 0, 1, false, 5, 456},
        {"writing the text after the statement", 0, 0, true, 7, 436},
    };
    for (const auto &c : arCases) {
        ConsoleCapture cap;
        FILE *fp = c.bReadOnlyOut ? pTempWith("") : std::tmpfile();
        if (c.bReadOnlyOut) {  // a stream opened for reading refuses every write
            std::fclose(fp);
            fp = std::fopen("extractTest.ro", "wb");
            std::fclose(fp);
            fp = std::fopen("extractTest.ro", "rb");
        }
        TextWriter out(fp);
        StmtStyle style{};
        int32_t iStmts = 0;
        rcFail = c.iFmtRc;
        vFailAllocAt(c.lFailAlloc, false);
        EXPECT_EQ(rcExtractStmts(sTrace.c_str(), sTrace.size(), 2, &out, "t", &style, &iStmts, rcFakeFmt), c.iWantRc)
            << c.szName;
        vFailAllocAt(0, false);
        rcFail = 0;
        EXPECT_EQ(iLastErrLine, c.iWantLine) << c.szName;
        EXPECT_NE(cap.sLines().find("rcFmtOnFile()"), std::string::npos) << c.szName;
        std::fclose(fp);
    }
    std::remove("extractTest.ro");
}
