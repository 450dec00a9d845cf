// File and console mode below the formatter: stored bytes and their text, document types, the
// extraction of statements (with a stand-in formatter that marks each one), and file-mode runs
// on temporary directories.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>
#if !defined(_WIN32)
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "modes/rcExtractStmt.h"
#include "modes/rcFmtOnConsole.h"
#include "modes/rcFmtOnFile.h"
#include "modes/rcRunOptions.h"
#include "modes/rcTextCodec.h"
#include "plat/platConv.h"
#include "plat/platMem.h"
#include "plat/platStdio.h"
#include "formatter/rcFmtLex.h"
#include "unitHelpers.h"

namespace {
// Wraps the statement in "<" and ">", so that its edges show in the output; a statement that
// begins with "<" is wrapped already and stays as it is, as formatted text does.
int rcMark(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    std::string s = nStmt > 0 && pStmt[0] == '<' ? std::string(pStmt, nStmt) : "<" + std::string(pStmt, nStmt) + ">";
    *szStmtFmt = static_cast<char *>(pvAlloc(s.size() + 1));
    if (*szStmtFmt == nullptr) return RC_NOMEM;
    std::memcpy(*szStmtFmt, s.data(), s.size());
    rStmtStyle->iFmtLen = static_cast<int32_t>(s.size());
    return RC_OK;
}

// The text of UTF-8 sUtf8 as UTF-16 of the byte order eUtf16, without a byte order mark.
std::string sUtf16(const std::string &sUtf8, int32_t eUtf16) {
    std::string s(2 * sUtf8.size(), '\0');
    size_t n = 0;
    EXPECT_EQ(0, iPlatConvert(CS_UTF8, static_cast<PlatCodeset>(eUtf16), sUtf8.data(), sUtf8.size(), &s[0], s.size(), &n));
    s.resize(n);
    return s;
}

// STMTORGFNM for as long as it lives.
struct DumpNameSet {
    explicit DumpNameSet(const std::string &sValue) {
#ifdef _WIN32
        _putenv_s("STMTORGFNM", sValue.c_str());
#else
        setenv("STMTORGFNM", sValue.c_str(), 1);
#endif
    }
    ~DumpNameSet() {
#ifdef _WIN32
        _putenv_s("STMTORGFNM", "");  // an empty value removes it
#else
        unsetenv("STMTORGFNM");
#endif
    }
};
}  // namespace

// How stored bytes are read: the encoding, UTF-16 with and without its byte order mark, UTF-32
// refused; the text keeps its line ends, and its first tells what "keep" writes.
TEST(TextCodec, StoredBytesAndTheirText) {
    const std::string sNul("a\0b", 3), sSql = "select a, b from t where x = 1;\r\n";
    const std::string sJa = "-- \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x82\xB3\xE3\x83\xA1\xE3\x83\xB3\xE3\x83\x88\n";
    const struct {
        const char *szName;
        std::string sRaw, sText;
        int32_t eUtf16;
        bool bBom, bUtf32;
        int32_t eEncoding;
        bool bCrLf;
    } arCases[] = {
        {"CR LF lines kept as they are", "a\r\nb\rc\nd\r", "a\r\nb\rc\nd\r", 0, false, false, ENC_SJIS, true},
        {"LF lines", "a\nb\r\n", "a\nb\r\n", 0, false, false, ENC_SJIS, false},
        {"one line: the platform's line end", "select 1", "select 1", 0, false, false, ENC_SJIS, bPlatCrLfNative},
        {"NUL and Ctrl-Z are data", sNul + "\x1a", sNul + "\x1a", 0, false, false, ENC_SJIS, bPlatCrLfNative},
        {"valid UTF-8 with a multibyte character", "\xE3\x81\x82\n", "\xE3\x81\x82\n", 0, false, false, ENC_UTF8, false},
        {"UTF-8 byte order mark", "\xEF\xBB\xBFx\r\n", "\xEF\xBB\xBFx\r\n", 0, false, false, ENC_UTF8, true},
        {"Latin-1 bytes are no UTF-8", "caf\xE9\n", "caf\xE9\n", 0, false, false, ENC_SJIS, false},
        {"UTF-16LE with its mark", std::string("\xFF\xFEx\0\r\0\n\0\x42\x30", 10), "x\r\n\xE3\x81\x82", CS_UTF16LE, true,
         false, ENC_UTF8, true},
        {"UTF-16BE with its mark", std::string("\xFE\xFF\0x\0\n", 6), "x\n", CS_UTF16BE, true, false, ENC_UTF8, false},
        {"UTF-16LE without a mark", sUtf16(sSql, CS_UTF16LE), sSql, CS_UTF16LE, false, false, ENC_UTF8, true},
        {"UTF-16BE without a mark", sUtf16(sSql, CS_UTF16BE), sSql, CS_UTF16BE, false, false, ENC_UTF8, true},
        {"UTF-16LE without a mark, Japanese comment", sUtf16(sJa + sSql, CS_UTF16LE), sJa + sSql, CS_UTF16LE, false,
         false, ENC_UTF8, false},
        {"UTF-16BE without a mark, one character", std::string("\0x", 2), "x", CS_UTF16BE, false, false, ENC_UTF8,
         bPlatCrLfNative},
        {"a few NUL bytes among characters stay bytes", std::string("select 1\0junk\nfrom dual", 23),
         std::string("select 1\0junk\nfrom dual", 23), 0, false, false, ENC_SJIS, false},
        {"NUL every fourth byte (UTF-32 without a mark) stays bytes", std::string("x\0\0\0y\0\0\0", 8),
         std::string("x\0\0\0y\0\0\0", 8), 0, false, false, ENC_SJIS, bPlatCrLfNative},
        {"UTF-32LE with its mark", std::string("\xFF\xFE\0\0x\0\0\0", 8), "", 0, false, true, 0, true},
        {"UTF-32BE with its mark", std::string("\0\0\xFE\xFF\0\0\0x", 8), "", 0, false, true, 0, true},
    };
    for (const auto &c : arCases) {
        TextForm rForm;
        size_t nBom = 0;
        vTextFormOf(c.sRaw.data(), c.sRaw.size(), ENC_AUTO, 0, &rForm, &nBom);
        EXPECT_EQ(c.bUtf32, rForm.bUtf32) << c.szName;
        EXPECT_EQ(c.eUtf16, rForm.eUtf16) << c.szName;
        EXPECT_EQ(c.bBom, rForm.bBom) << c.szName;
        if (c.bUtf32) continue;
        EXPECT_EQ(c.eEncoding, rForm.eEncoding) << c.szName;
        std::string sText = c.sRaw;
        if (rForm.eUtf16 != 0) {
            char *p = nullptr;
            size_t n = 0;
            ASSERT_EQ(RC_OK, rcUtf16ToUtf8(c.sRaw.data() + nBom, c.sRaw.size() - nBom, rForm.eUtf16, &p, &n)) << c.szName;
            sText.assign(p, n);
            vFree(p);
        }
        EXPECT_EQ(c.sText, sText) << c.szName;
        EXPECT_EQ(c.bCrLf, bCrLfText(sText.data(), sText.size(), rForm.eEncoding)) << c.szName;
        // Back again in the form it came in: the same bytes.
        TextWriter out(rForm, c.bCrLf);
        ASSERT_TRUE(out.bPut(sText.data(), sText.size())) << c.szName;
        EXPECT_EQ(c.sRaw, std::string(out.p, out.n)) << c.szName;
    }
    char *p = nullptr;
    size_t n = 0;
    EXPECT_EQ(RC_BADTEXT, rcUtf16ToUtf8("\x00\xD8x\x00", 4, CS_UTF16LE, &p, &n)) << "an unpaired surrogate";
    EXPECT_EQ(RC_BADTEXT, rcUtf16ToUtf8("x\x00y", 3, CS_UTF16LE, &p, &n)) << "an odd length";
}

// The text around the statements of a report or trace file goes out with the chosen line end;
// the formatted text as the formatter wrote it.
// The line end "keep" writes is the text's first that is no data: one inside a literal, a quoted
// name, a block comment or a unit carried whole stays as it came, so it tells nothing.
TEST(TextCodec, LineEndKeptIsTheFirstOutsideData) {
    const struct {
        const char *szName, *szText;
        bool bCrLf;
    } arCases[] = {
        {"CR LF alone", "select 1\r\nfrom dual\r\n", true},
        {"LF alone, a lone CR in a literal", "select 'a\rb'\nfrom dual\n", false},
        {"CR LF first", "select 1\r\nfrom dual\n", true},
        {"LF first", "select 1\nfrom dual\r\n", false},
        {"a block comment's LF passed", "/* a\n b */ select 1\r\nfrom dual\n", true},
        {"a block comment's CR LF passed", "/* a\r\n b */\nselect 1\r\n", false},
        {"a literal's LF passed", "select 'a\nb'\r\nfrom dual", true},
        {"a q-quote's LF passed", "select q'[a\n']'\r\nfrom dual", true},
        {"a quoted name's LF passed", "select \"a\nb\"\r\nfrom dual", true},
        {"a quote in a comment opens nothing", "-- it's\r\nselect 'a\nb' from dual\n", true},
        {"a line comment's own line end counts", "select 1 -- c\r\nfrom dual /* a\n */", true},
        {"a command's own line end counts", "set echo on\r\nselect 'a\nb' from dual;\n", true},
        {"a wrapped unit's line ends passed",
         "create or replace package p wrapped\na000000\n1\n/\r\nselect 1 from dual;\n", true},
        {"every line end data: the first", "/* a\r\n b \n */", true},
        {"no line end: the platform's", "select 1", bPlatCrLfNative},
        {"a comment never closed", "/* a\n b\r\n", false},
    };
    for (const auto &c : arCases)
        EXPECT_EQ(c.bCrLf, bCrLfText(c.szText, std::strlen(c.szText), ENC_UTF8)) << c.szName;
}

TEST(TextCodec, WriterLineEnds) {
    const struct { const char *szName; bool bCrLf, bLines; std::string sIn, sWant; } arCases[] = {
        {"LF to CR LF", true, true, "a\nb\n\nc", "a\r\nb\r\n\r\nc"},
        {"CR LF to LF", false, true, "a\r\nb\r\n\r\n", "a\nb\n\n"},
        {"mixed to CR LF, a lone CR stays", true, true, "a\r\nb\nc\rd\r\r\n", "a\r\nb\r\nc\rd\r\r\n"},
        {"mixed to LF", false, true, "\r\na\nb\r\n", "\na\nb\n"},
        {"CR CR LF to LF: one CR goes with the line end", false, true, "a\r\r\nb", "a\r\nb"},
        {"chosen line ends among others, to LF", false, true, "a\nb\n\nc\r\n\r\nd\ne", "a\nb\n\nc\n\nd\ne"},
        {"chosen line ends among others, to CR LF", true, true, "a\r\n\r\nb\n\nc\r\n", "a\r\n\r\nb\r\n\r\nc\r\n"},
        {"a CR at the end stays", false, true, "a\nb\r", "a\nb\r"},
        {"formatted text as it is", true, false, "a\nb\r\nc", "a\nb\r\nc"},
        {"formatted text as it is, LF chosen", false, false, "a\r\nb\n", "a\r\nb\n"},
    };
    for (const auto &c : arCases) {
        for (int32_t eUtf16 : {0, int32_t(CS_UTF16LE), int32_t(CS_UTF16BE)}) {
            TextForm rForm;
            rForm.eUtf16 = eUtf16;
            TextWriter out(rForm, c.bCrLf);
            ASSERT_TRUE(c.bLines ? out.bPutLines(c.sIn.data(), c.sIn.size()) : out.bPut(c.sIn.data(), c.sIn.size()))
                << c.szName;
            EXPECT_EQ(eUtf16 == 0 ? c.sWant : sUtf16(c.sWant, eUtf16), std::string(out.p, out.n)) << c.szName << " " << eUtf16;
            if (c.bLines) continue;
            // The formatter's block given up: taken whole by an empty writer, else copied after
            // what the writer holds; either way freed (the sanitized build finds a leak).
            for (const std::string &sBefore : {std::string(), std::string("x\n")}) {
                TextWriter outBlock(rForm, c.bCrLf);
                ASSERT_TRUE(outBlock.bPut(sBefore.data(), sBefore.size()));
                char *pBlock = static_cast<char *>(pvAlloc(c.sIn.size() + 1));
                ASSERT_NE(nullptr, pBlock);
                std::memcpy(pBlock, c.sIn.data(), c.sIn.size());
                ASSERT_TRUE(outBlock.bPutBlock(pBlock, c.sIn.size())) << c.szName;
                const std::string sWant = sBefore + c.sWant;
                EXPECT_EQ(eUtf16 == 0 ? sWant : sUtf16(sWant, eUtf16), std::string(outBlock.p, outBlock.n))
                    << c.szName << " " << eUtf16 << " after \"" << sBefore << "\"";
            }
        }
    }
}

// A stream is read whole whatever size it was expected to have (a file may have grown or
// shrunk since it was listed).
TEST(TextCodec, ReadsAStreamWholeWhateverSizeWasExpected) {
    std::string sAll(200000, 'x');
    for (size_t i = 0; i < sAll.size(); i += 97) sAll[i] = '\n';
    for (uint64_t uExpect : {uint64_t(0), uint64_t(1), uint64_t(65536), uint64_t(sAll.size()), uint64_t(sAll.size() * 3)}) {
        FILE *fp = std::tmpfile();
        ASSERT_NE(nullptr, fp);
        ASSERT_EQ(sAll.size(), std::fwrite(sAll.data(), 1, sAll.size(), fp));
        std::rewind(fp);
        char *p = nullptr;
        size_t n = 0, cap = 0;
        EXPECT_EQ(0, iReadAllBytes(fp, std::fread, std::ferror, &p, &n, &cap, uExpect)) << uExpect;
        EXPECT_EQ(sAll, std::string(p, n)) << uExpect;
        EXPECT_EQ('\0', p[n]) << uExpect;
        vFree(p);
        std::fclose(fp);
    }
}

// A block of a large text's size, advised onto large pages, is zero when new and keeps every
// byte as it grows past the size from which the advice is given and on (a text is read into
// such a block, and the layout writes into the one the text leaves).
TEST(TextCodec, LargeBlocksKeepTheirBytesAsTheyGrow) {
    for (size_t nFirst : {size_t(64) << 10, nPlatLargeBlock - 1, nPlatLargeBlock, nPlatLargeBlock * 2 + 4097}) {
        char *p = static_cast<char *>(pvAlloc(nFirst));
        ASSERT_NE(nullptr, p) << nFirst;
        EXPECT_EQ(nFirst, size_t(std::count(p, p + nFirst, '\0'))) << nFirst << ": a new block is zero";
        size_t cap = nFirst, n = 0;
        for (; n < nPlatLargeBlock * 5; n += 4093) {
            ASSERT_TRUE(bGrowTo(&p, &cap, n + 4093)) << nFirst;
            for (size_t i = n; i < n + 4093; ++i) p[i] = static_cast<char>('a' + i % 251 % 26);
        }
        size_t nWrong = 0;
        for (size_t i = 0; i < n; ++i) nWrong += p[i] != static_cast<char>('a' + i % 251 % 26);
        EXPECT_EQ(size_t(0), nWrong) << nFirst;
        vFree(p);
    }
}

// The hint that a block is about to be filled gives pages, never bytes: a block that holds a
// text already, the part of it that is hinted (which begins and ends inside a page) and the
// bytes around it keep every byte, also in a block small enough that its pages hold others'.
TEST(TextCodec, WillFillKeepsEveryByte) {
    for (size_t nBlock : {size_t(4096), nPlatFillBlock + 12345, nPlatLargeBlock + 777}) {
        char *p = static_cast<char *>(pvAlloc(nBlock));
        ASSERT_NE(nullptr, p) << nBlock;
        for (size_t i = 0; i < nBlock; ++i) p[i] = static_cast<char>('a' + i % 251 % 26);
        for (const auto &part : {std::pair<size_t, size_t>{0, nBlock}, {1, nBlock - 2}, {nBlock / 3, nBlock / 2}}) {
            vWillFill(p + part.first, part.second);
            vPlatWillFill(p + part.first, part.second);  // below the size too
        }
        size_t nWrong = 0;
        for (size_t i = 0; i < nBlock; ++i) nWrong += p[i] != static_cast<char>('a' + i % 251 % 26);
        EXPECT_EQ(size_t(0), nWrong) << nBlock;
        vFree(p);
    }
}

// A document's type comes from its first line that is not empty, as the tools write it; what
// stands further in, in a comment or a literal of a script, does not count.
TEST(DocType, KnownFromTheFirstLine) {
    const struct { const char *szName; std::string sText; int32_t iWant; } arCases[] = {
        {"report", "\nTKPROF: Release 12.2.0.1.0 - Development on Tue Aug 14\n", DOC_TKPROF},
        {"report with CR LF", "\r\nTKPROF: Release 12.2.0.1.0\r\n", DOC_TKPROF},
        {"report without the empty line", "TKPROF: Release 11.2.0.4.0 - Production\n", DOC_TKPROF},
        {"script calling a TKPROF script", "@TKPROF_setup.sql\nselect 1 from dual;\n", DOC_SCRIPT},
        {"script whose comment quotes a report", "-- TKPROF: Release 12.2\nselect 1 from dual;\n", DOC_SCRIPT},
        {"trace header", "Trace file /u01/diag/trace/x_ora_1.trc\nOracle Database 12c\n", DOC_TRACE},
        {"trace from its database line", "Oracle Database 18c Enterprise Edition\n", DOC_TRACE},
        {"trace cut after its header", "System name:\tLinux\nNode name:\tx\n", DOC_TRACE},
        {"trace of trcsess", "*** [ Unix process pid: 9850 ]\n", DOC_TRACE},
        {"trace of parse errors only", "\n=====================\nPARSE ERROR #14:len=9 dep=0 err=922\n", DOC_TRACE},
        {"trace from a cursor record", "PARSING IN CURSOR #14 len=8 dep=0 uid=5\nselect 1\nEND OF STMT\n", DOC_TRACE},
        {"trace from a wait record", "WAIT #14: nam='SQL*Net message to client' ela= 1\n", DOC_TRACE},
        {"trace with CR LF", "\r\n*** 2018-08-11T11:58:52.154837-05:00\r\n", DOC_TRACE},
        {"cursor record in a comment", "/*\nPARSING IN CURSOR #1 len=8 dep=0\n*/\nselect 1 from dual;\n", DOC_SCRIPT},
        {"cursor record in a literal", "select '\nPARSING IN CURSOR #1 len=3 dep=0\n' from dual;\n", DOC_SCRIPT},
        {"cursor words without the record's form", "PARSING IN CURSOR\nselect 1\n", DOC_SCRIPT},
        {"a short row of =", "=====\n", DOC_SCRIPT},
        {"only empty lines", "\n\r\n\n", DOC_SCRIPT},
        {"empty", "", DOC_SCRIPT},
    };
    for (const auto &c : arCases) EXPECT_EQ(c.iWant, iIdentifyDocType(c.sText.data(), c.sText.size())) << c.szName;
}

// The files of the test data are what their folders say.
TEST(DocType, TestDataFilesByFolder) {
    const struct { const char *szDir; int32_t iWant; } arDirs[] = {
        {"tkprof", DOC_TKPROF}, {"trace", DOC_TRACE}, {"sql", DOC_SCRIPT}, {"plsql", DOC_SCRIPT}};
    int nFiles = 0;
    for (const auto &d : arDirs) {
        for (const auto &e : fs::directory_iterator(fs::path(QUORVA_TEST_DATA) / d.szDir)) {
            const std::string s = sReadBytes(e.path());
            EXPECT_EQ(d.iWant, iIdentifyDocType(s.data(), s.size())) << e.path().filename().string();
            ++nFiles;
        }
    }
    EXPECT_GT(nFiles, 90);
}

namespace {
struct Extracted {
    int rc;
    std::string sOut, sMsgs;
    int32_t iStmts;
};
// The extraction with the stand-in formatter, the chosen line end CR LF or LF.
Extracted rExtract(const std::string &sIn, int32_t iDocType, bool bCrLf) {
    TextWriter out(TextForm{}, bCrLf);
    StmtStyle style{};
    Extracted r{};
    ConsoleCapture cap;
    r.rc = rcExtractStmts(sIn.c_str(), sIn.size(), iDocType, &out, "t", &style, &r.iStmts, rcMark);
    r.sOut.assign(out.p != nullptr ? out.p : "", out.n);
    r.sMsgs = cap.sLines();
    return r;
}
}  // namespace

// Each case runs with LF lines and LF chosen, and with CR LF lines and CR LF chosen: the output
// is the same text with the same line ends (the stand-in keeps a statement's own).
TEST(Extract, ReplacesEachStatementAndCopiesEveryOtherByte) {
    const std::string sTk = "\nTKPROF: Release 12.2.0.1.0\n\n";
    const struct { const char *szName; int32_t iDocType; std::string sIn, sWant; int32_t iStmts; } arCases[] = {
        {"tkprof: empty line keeps the statement's line end", DOC_TKPROF, "x\nselect 1\nfrom d\n\ncall  count",
         "x\n<select 1\nfrom d\n>\ncall  count", 1},
        {"tkprof: call line", DOC_TKPROF, "\nSELECT 1\ncall  count", "\n<SELECT 1>\ncall  count", 1},
        {"tkprof: stars line", DOC_TKPROF, "\nupdate t\n***", "\n<update t>\n***", 1},
        {"tkprof: any case, no word boundary", DOC_TKPROF, "\nSelected x\n\n", "\n<Selected x\n>\n", 1},
        {"tkprof: parenthesis and comment", DOC_TKPROF, "\n(a)\n\n/* c */\n\n", "\n<(a)\n>\n</* c */\n>\n", 2},
        {"tkprof: no statement", DOC_TKPROF, "\nTKPROF\n\ncall  count\n", "\nTKPROF\n\ncall  count\n", 0},
        {"tkprof: empty lines inside a block", DOC_TKPROF, "\nBEGIN\n\nx;\n\nEND;\n\n\ncall  count",
         "\n<BEGIN\n\nx;\n\nEND;\n>\n\ncall  count", 1},
        {"tkprof: the statement after a SQL ID record, whatever its first word", DOC_TKPROF,
         sTk + "SQL ID: 8ggw94h7mvxd7 Plan Hash: 0\n\nCOMMIT\n\n\ncall     count\n",
         sTk + "SQL ID: 8ggw94h7mvxd7 Plan Hash: 0\n\n<COMMIT\n>\n\ncall     count\n", 1},
        {"tkprof: a CALL statement after its SQL ID record", DOC_TKPROF,
         sTk + "SQL ID: 1a Plan Hash: 7\n\ncall p(1)\n\ncall     count\n",
         sTk + "SQL ID: 1a Plan Hash: 7\n\n<call p(1)\n>\ncall     count\n", 1},
        {"trace", DOC_TRACE, "x\nPARSING IN CURSOR #1 len=8 dep=0\nselect 1\nEND OF STMT\nPARSE #1:c=0\n",
         "x\nPARSING IN CURSOR #1 len=8 dep=0\n<select 1\n>END OF STMT\nPARSE #1:c=0\n", 1},
        {"trace: first line is a cursor record", DOC_TRACE, "PARSING IN CURSOR #1 len=8\nselect 1\nEND OF STMT\n",
         "PARSING IN CURSOR #1 len=8\n<select 1\n>END OF STMT\n", 1},
        {"trace: END OF STMT in a literal of the line", DOC_TRACE,
         "*** x\nPARSING IN CURSOR #1 len=29 dep=0\nselect 'END OF STMT' from dual\nEND OF STMT\n",
         "*** x\nPARSING IN CURSOR #1 len=29 dep=0\n<select 'END OF STMT' from dual\n>END OF STMT\n", 1},
        {"trace: END OF STMT followed by more on its line", DOC_TRACE,
         "*** x\nPARSING IN CURSOR #1 len=25 dep=0\nselect 1 from dual\nEND OF STMT -- c\nEND OF STMT\n",
         "*** x\nPARSING IN CURSOR #1 len=25 dep=0\n<select 1 from dual\nEND OF STMT -- c\n>END OF STMT\n", 1},
        {"trace: a statement shorter than its len=, as formatting leaves it", DOC_TRACE,
         "*** x\nPARSING IN CURSOR #1 len=40 dep=0\nselect 'a' x\nfrom t\nEND OF STMT\n",
         "*** x\nPARSING IN CURSOR #1 len=40 dep=0\n<select 'a' x\nfrom t\n>END OF STMT\n", 1},
        {"trace: blank statement", DOC_TRACE, "*** x\nPARSING IN CURSOR #1 len=0\n \t\nEND OF STMT",
         "*** x\nPARSING IN CURSOR #1 len=0\n \t\nEND OF STMT", 1},
        {"trace: two statements", DOC_TRACE,
         "*** x\nPARSING IN CURSOR #1 len=1\na\nEND OF STMT\nPARSING IN CURSOR #2 len=1\nb\nEND OF STMT",
         "*** x\nPARSING IN CURSOR #1 len=1\n<a\n>END OF STMT\nPARSING IN CURSOR #2 len=1\n<b\n>END OF STMT", 2},
        {"trace: statement holding a NUL", DOC_TRACE, std::string("*** x\nPARSING IN CURSOR #1 len=3\na\0b\nEND OF STMT", 48),
         std::string("*** x\nPARSING IN CURSOR #1 len=3\n<a\0b\n>END OF STMT", 50), 1},
        {"trace: a PARSE ERROR statement is copied, lines like records within its length too", DOC_TRACE,
         "\n=====\nPARSE ERROR #9:len=50 dep=0 err=922\ncreate x (\n/*\nPARSING IN CURSOR #3 len=1\n*/ a int\n\n"
         "*** 2018\nPARSING IN CURSOR #4 len=8\nselect 1\nEND OF STMT\n",
         "\n=====\nPARSE ERROR #9:len=50 dep=0 err=922\ncreate x (\n/*\nPARSING IN CURSOR #3 len=1\n*/ a int\n\n"
         "*** 2018\nPARSING IN CURSOR #4 len=8\n<select 1\n>END OF STMT\n", 1},
        {"trace: a PARSE ERROR statement at the end of the file", DOC_TRACE, "*** x\nPARSE ERROR #9:len=99 err=1\nx (",
         "*** x\nPARSE ERROR #9:len=99 err=1\nx (", 0},
    };
    for (const auto &c : arCases) {
        for (bool bCrLf : {false, true}) {
            const std::string sIn = bCrLf ? sCrLf(c.sIn) : c.sIn;
            Extracted r = rExtract(sIn, c.iDocType, bCrLf);
            EXPECT_EQ(RC_OK, r.rc) << c.szName << r.sMsgs;
            EXPECT_EQ(bCrLf ? sCrLf(c.sWant) : c.sWant, r.sOut) << c.szName << (bCrLf ? " (CR LF)" : "");
            EXPECT_EQ(c.iStmts, r.iStmts) << c.szName;
        }
    }
}

// The line ends of the text around the statements become the chosen one; those of a statement
// are the formatter's to write, and a PARSE ERROR statement keeps its own.
TEST(Extract, LineEndsAroundTheStatementsAreTheChosenOne) {
    const struct { const char *szName; int32_t iDocType; bool bCrLf; std::string sIn, sWant; } arCases[] = {
        {"trace, LF to CR LF", DOC_TRACE, true, "*** x\nPARSING IN CURSOR #1 len=8\nselect 1\nEND OF STMT\nEXEC #1\n",
         "*** x\r\nPARSING IN CURSOR #1 len=8\r\n<select 1\n>END OF STMT\r\nEXEC #1\r\n"},
        {"trace, CR LF to LF", DOC_TRACE, false, "*** x\r\nPARSING IN CURSOR #1 len=8\r\nselect 1\r\nEND OF STMT\r\n",
         "*** x\nPARSING IN CURSOR #1 len=8\n<select 1\r\n>END OF STMT\n"},
        {"trace, mixed", DOC_TRACE, true, "*** x\r\nWAIT #1: a\nPARSE ERROR #2:len=4 err=1\nx\ny\n\r\nEXEC #3\n",
         "*** x\r\nWAIT #1: a\r\nPARSE ERROR #2:len=4 err=1\r\nx\ny\n\r\nEXEC #3\r\n"},
        {"report, CR LF to LF", DOC_TKPROF, false, "\r\nTKPROF: Release 1\r\n\r\nselect 1\r\n\r\ncall  count\r\n",
         "\nTKPROF: Release 1\n\n<select 1\r\n>\ncall  count\n"},
        {"report, LF to CR LF", DOC_TKPROF, true, "\nSQL ID: a Plan Hash: 1\n\n(\n\n\ncall  count\n",
         "\r\nSQL ID: a Plan Hash: 1\r\n\r\n<(\n>\r\n\r\ncall  count\r\n"},
        {"report, a blank statement is text around", DOC_TKPROF, true, "\nSQL ID: a Plan Hash: 1\n\n \n\n\ncall  count\n",
         "\r\nSQL ID: a Plan Hash: 1\r\n\r\n \r\n\r\n\r\ncall  count\r\n"},
    };
    for (const auto &c : arCases) {
        Extracted r = rExtract(c.sIn, c.iDocType, c.bCrLf);
        EXPECT_EQ(RC_OK, r.rc) << c.szName << r.sMsgs;
        EXPECT_EQ(c.sWant, r.sOut) << c.szName;
    }
}

// A document whose statements cannot be found where its records say is refused, naming the
// line of the record (file mode then writes nothing of it).
TEST(Extract, StatementsThatCannotBeFoundRefuseTheDocument) {
    const struct { const char *szName; int32_t iDocType; std::string sIn; int iLine; const char *szWhy; } arCases[] = {
        {"trace: no END OF STMT", DOC_TRACE, "*** x\nPARSING IN CURSOR #1 len=8\nselect 1\nEXEC #1\n", 2,
         "statement never ends"},
        {"trace: cursor record on the last line", DOC_TRACE, "*** x\nEXEC #1\nPARSING IN CURSOR #1 len=8", 3,
         "statement never ends"},
        {"trace: END OF STMT as a line inside a literal", DOC_TRACE,
         "*** x\nWAIT #1\nPARSING IN CURSOR #1 len=29 dep=0\nselect '\nEND OF STMT\n' x from t\nEND OF STMT\n", 3,
         "statement shorter than its len="},
        {"trace: cursor record without its length", DOC_TRACE, "*** x\nPARSING IN CURSOR #1 dep=0\nselect 1\nEND OF STMT\n",
         2, "cursor record cannot be read"},
        {"trace: cursor record without its number", DOC_TRACE, "*** x\n\nPARSING IN CURSOR len=8\nselect 1\nEND OF STMT\n",
         3, "cursor record cannot be read"},
        {"trace: later statement never ends", DOC_TRACE,
         "*** x\nPARSING IN CURSOR #1 len=1\na\nEND OF STMT\nPARSING IN CURSOR #2 len=1\nb\n", 5, "statement never ends"},
        {"trace: PARSE ERROR record without its length", DOC_TRACE, "*** x\nPARSE ERROR #1: err=922\nx\n", 2,
         "parse error record cannot be read"},
        {"tkprof: statement at the end of the file", DOC_TKPROF, "\nTKPROF: Release 1\n\nselect 1\nfrom t\n", 4,
         "statement never ends"},
        {"tkprof: SQL ID record without statement", DOC_TKPROF,
         "\nTKPROF: Release 1\n\nSQL ID: 8ggw94h7mvxd7 Plan Hash: 0\n\n\ncall     count\n", 4,
         "no statement after its SQL ID"},
        {"tkprof: SQL ID record before the call table", DOC_TKPROF,
         "\nTKPROF: Release 1\n\nSQL ID: 8ggw94h7mvxd7 Plan Hash: 0\n\ncall     count\n", 4,
         "no statement after its SQL ID"},
    };
    for (const auto &c : arCases) {
        for (bool bCrLf : {false, true}) {
            Extracted r = rExtract(bCrLf ? sCrLf(c.sIn) : c.sIn, c.iDocType, bCrLf);
            EXPECT_EQ(RC_BADTEXT, r.rc) << c.szName;
            EXPECT_EQ(sSjis("Error - t の " + std::to_string(c.iLine) + " 行目から文を取り出せません（" + c.szWhy +
                            "）。ファイルは変更しません。\n") +
                          sTrail("rcFmtOnFile", "..\\share\\rcFmtOnFile", 452),
                      r.sMsgs)
                << c.szName;
        }
    }
}

namespace {
struct FileRun {
    int rc;
    int32_t iDirs, iFiles;
    FileTally rTally;
    std::string sMsgs;
};
// File mode with the stand-in on the paths (-r when bRecurse).
FileRun rRunFiles(std::vector<std::string> vsPaths, bool bRecurse) {
    std::vector<char *> apArgs;
    for (std::string &s : vsPaths) apArgs.push_back(&s[0]);
    StmtStyle style;
    vDefaultStmtStyle(&style);
    int32_t iStmts = 0;
    int64_t iIn = 0, iOut = 0;
    FileRun r{};
    auto pfnOld = pfnFileFmtStmt;
    pfnFileFmtStmt = rcMark;
    ConsoleCapture cap;
    r.rc = rcFmtOnFile(apArgs.data(), static_cast<int32_t>(apArgs.size()), &r.iDirs, &r.iFiles, &iStmts, &iIn, &iOut,
                       bRecurse, &style, &r.rTally);
    pfnFileFmtStmt = pfnOld;
    r.sMsgs = cap.sLines();
    return r;
}

// File mode with the stand-in on one path (-r when bRecurse); the directories and files counted.
std::pair<int32_t, int32_t> prRun(std::string sPath, bool bRecurse) {
    FileRun r = rRunFiles({sPath}, bRecurse);
    EXPECT_EQ(RC_OK, r.rc) << r.sMsgs;
    return {r.iDirs, r.iFiles};
}
}  // namespace

// The rewritten file keeps its permission bits, a link to it stays a link, and a directory link
// back into the walk is not entered again.
TEST(FileMode, ModesLinksAndLoops) {
    const fs::path d = fs::temp_directory_path() / "quorva_filemode";
    fs::remove_all(d);
    fs::create_directories(d / "a.sql" / "b.sql");
    ScopeExit remove([&] { fs::remove_all(d); });
    vPut(d / "x.sql", "select 1;\n");
    vPut(d / "a.sql" / "b.sql" / "y.sql", "select 2;\r\n");
    fs::permissions(d / "x.sql", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::perms perms = fs::status(d / "x.sql").permissions();
    std::error_code ec, ecDir;
    fs::create_symlink("x.sql", d / "l.sql", ec);
    EXPECT_EQ(std::make_pair(0, 1), prRun((d / (ec ? "x.sql" : "l.sql")).string(), false));
    EXPECT_EQ("<select 1;\n>", sReadBytes(d / "x.sql"));
    EXPECT_EQ(perms, fs::status(d / "x.sql").permissions());
    EXPECT_TRUE(ec || fs::is_symlink(d / "l.sql"));
    EXPECT_EQ(ec ? 2 : 3, std::distance(fs::directory_iterator(d), fs::directory_iterator()));  // nothing left behind
    fs::create_directory_symlink(d / "a.sql", d / "a.sql" / "b.sql" / "up.sql", ecDir);
    if (ecDir) GTEST_SKIP() << "no directory links here";
    EXPECT_EQ(std::make_pair(2, 1), prRun((d / "a.sql").string(), true));
    EXPECT_EQ("<select 2;\r\n>", sReadBytes(d / "a.sql" / "b.sql" / "y.sql"));
}

// A report or trace file whose statements cannot be found is left as it was.
TEST(FileMode, ADocumentWhoseStatementsCannotBeFoundStaysAsItWas) {
    const fs::path d = fs::temp_directory_path() / "quorva_filemode_doc";
    fs::remove_all(d);
    fs::create_directories(d);
    ScopeExit remove([&] { fs::remove_all(d); });
    const std::string sTrace = "*** x\nPARSING IN CURSOR #1 len=8\nselect 1\nEND OF STMT\n"
                               "PARSING IN CURSOR #2 len=8\nselect 2\nEXEC #2\n";
    vPut(d / "a.trc", sTrace);
    FileRun r = rRunFiles({(d / "a.trc").string()}, false);
    EXPECT_EQ(RC_BADTEXT, r.rc);
    EXPECT_EQ(sTrace, sReadBytes(d / "a.trc"));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(d), fs::directory_iterator()));
}

// A UTF-16 file without a byte order mark is read as UTF-16 and written back so; a UTF-32 file
// is refused and stays as it was.
TEST(FileMode, Utf16WithoutAMarkAndUtf32) {
    const fs::path d = fs::temp_directory_path() / "quorva_filemode_utf";
    fs::remove_all(d);
    fs::create_directories(d);
    ScopeExit remove([&] { fs::remove_all(d); });
    const std::string sUtf32 = std::string("\xFF\xFE\0\0s\0\0\0", 8);
    const struct { const char *szName; std::string sIn, sWant; int rc; } arCases[] = {
        {"UTF-16LE", sUtf16("select 1\r\n", CS_UTF16LE), sUtf16("<select 1\r\n>", CS_UTF16LE), RC_OK},
        {"UTF-16BE", sUtf16("select 1\n", CS_UTF16BE), sUtf16("<select 1\n>", CS_UTF16BE), RC_OK},
        {"UTF-16LE of odd length", sUtf16("select 1\n", CS_UTF16LE) + "x", sUtf16("select 1\n", CS_UTF16LE) + "x",
         RC_BADTEXT},
        {"UTF-32", sUtf32, sUtf32, RC_BADTEXT},
    };
    for (const auto &c : arCases) {
        vPut(d / "a.sql", c.sIn);
        FileRun r = rRunFiles({(d / "a.sql").string()}, false);
        EXPECT_EQ(c.rc, r.rc) << c.szName << r.sMsgs;
        EXPECT_EQ(c.sWant, sReadBytes(d / "a.sql")) << c.szName;
    }
}

// A run whose dump file (STMTORGFNM) is one of the files it would read or write is refused
// before any file is touched, however the dump file is spelled; other dump files are no
// concern of file mode.
TEST(FileMode, TheDumpFileMustBeNoFileOfTheRun) {
    const fs::path d = fs::temp_directory_path() / "quorva_filemode_dump";
    const std::string s = d.string() + cPlatPathSep;
    std::error_code ec;
    const struct { const char *szName; std::string sDump; std::vector<std::string> vsPaths; bool bRecurse; int rc; } arCases[] = {
        {"the named file", s + "x.sql", {s + "x.sql"}, false, RC_USAGE},
        {"the second named file", s + "y.sql", {s + "x.sql", s + "y.sql"}, false, RC_USAGE},
        {"another spelling", s + "s.sql" + cPlatPathSep + ".." + cPlatPathSep + "x.sql", {s + "x.sql"}, false, RC_USAGE},
        {"a link to it", s + "l.sql", {s + "x.sql"}, false, RC_USAGE},
        {"a file found with -r", s + "s.sql" + cPlatPathSep + "z.sql", {s + "x.sql", d.string()}, true, RC_USAGE},
        {"an empty file found with -r", s + "s.sql" + cPlatPathSep + "e.sql", {d.string()}, true, RC_USAGE},
        {"a file of the directory without -r", s + "s.sql" + cPlatPathSep + "z.sql", {s + "x.sql", s + "s.sql"}, false, RC_OK},
        {"a file the run does not meet", s + "other.txt", {s + "x.sql"}, false, RC_OK},
        {"a file that is not there", s + "new.sql", {s + "x.sql"}, false, RC_OK},
    };
    for (const auto &c : arCases) {
        fs::remove_all(d);
        fs::create_directories(d / "s.sql");
        ScopeExit remove([&] { fs::remove_all(d); });
        for (const char *sz : {"x.sql", "y.sql", "s.sql/z.sql", "other.txt"}) vPut(d / sz, "select 1;\n");
        vPut(d / "s.sql" / "e.sql", "");
        fs::create_symlink("x.sql", d / "l.sql", ec);
        if (ec && c.sDump == s + "l.sql") continue;
        DumpNameSet dump(c.sDump);
        FileRun r = rRunFiles(c.vsPaths, c.bRecurse);
        EXPECT_EQ(c.rc, r.rc) << c.szName << r.sMsgs;
        if (c.rc == RC_USAGE) {
            EXPECT_EQ(0u, r.sMsgs.find(sSjis("Error - 環境変数 STMTORGFNM のファイル " + c.sDump +
                                             " は、この実行が読み書きするファイル ")))
                << c.szName << r.sMsgs;
            EXPECT_NE(std::string::npos, r.sMsgs.find(sTrail("rcFmtOnFile", "..\\share\\rcFmtOnFile", 262))) << c.szName;
        }
        for (const char *sz : {"x.sql", "y.sql", "s.sql/z.sql"})
            EXPECT_EQ(c.rc == RC_OK && std::string(sz) == "x.sql" ? "<select 1;\n>" : "select 1;\n", sReadBytes(d / sz))
                << c.szName << " " << sz;
    }
}

// A directory's entries are named with one separator between the directory and the entry.
TEST(FileMode, PathsJoinWithOneSeparator) {
    const struct { const char *szDir, *szName, *szWant; bool bWindowsOnly; } arCases[] = {
        {"sql", "x.sql", bPlatCrLfNative ? "sql\\x.sql" : "sql/x.sql", false},
        {"sql/", "x.sql", "sql/x.sql", false},
        {"/", "x.sql", "/x.sql", false},
        {"", "x.sql", "x.sql", false},
        {"a/b.sql", "*.SQL", bPlatCrLfNative ? "a/b.sql\\*.SQL" : "a/b.sql/*.SQL", false},
        {"sql\\", "x.sql", "sql\\x.sql", true},
        {"C:\\", "x.sql", "C:\\x.sql", true},
    };
    for (const auto &c : arCases) {
        if (c.bWindowsOnly && !bPlatCrLfNative) continue;
        HeapPtr<char> p(szJoinPath(c.szDir, c.szName));
        ASSERT_NE(nullptr, p) << c.szDir;
        EXPECT_STREQ(c.szWant, p.get()) << c.szDir << " + " << c.szName;
    }
}

namespace {
// rRunOptions for as long as it lives: --check or --diff as asked, everything else the default.
struct RunOptionsSet {
    explicit RunOptionsSet(bool bCheck, bool bDiff = false) {
        rRunOptions = RunOptions{};
        rRunOptions.iCheck = bCheck;
        rRunOptions.iDiff = bDiff;
        rRunOptions.iNoConfig = 1;
    }
    ~RunOptionsSet() { rRunOptions = RunOptions{}; }
};
}  // namespace

// What a walk tallies: files rewritten (or, with --check, that would change) apart from those
// left as they were, paths passed over, and with --check and --diff the files that failed, past
// which the walk goes on; a rewriting walk ends at the first failure.
TEST(FileMode, TheWalkTalliesWhatItMet) {
    const fs::path d = fs::temp_directory_path() / "quorva_filemode_tally";
    fs::remove_all(d);
    fs::create_directories(d / "s.sql");
    ScopeExit remove([&] { fs::remove_all(d); });
    const std::string s = d.string() + cPlatPathSep;
    const std::string sBin("a\0b\nc\nd\n", 8);
    const struct {
        const char *szName;
        std::vector<std::string> vsPaths;
        bool bRecurse, bCheck, bDiff;
        int rc;
        int32_t iFiles, iUnchanged, iPassed, iFailed;
        int rcFirst;
    } arCases[] = {
        {"a file, rewritten", {s + "x.sql"}, false, false, false, RC_OK, 1, 0, 0, 0, RC_OK},
        {"a file already formatted", {s + "done.sql"}, false, false, false, RC_OK, 0, 1, 0, 0, RC_OK},
        {"an empty file", {s + "empty.sql"}, false, false, false, RC_OK, 0, 1, 0, 0, RC_OK},
        {"a directory without -r", {s + "s.sql"}, false, false, false, RC_OK, 0, 0, 1, 0, RC_OK},
        {"a directory with -r, --check", {d.string()}, true, true, false, RC_OK, 1, 3, 0, 1, RC_BADTEXT},
        {"--check goes on past a binary file", {s + "bin.sql", s + "x.sql"}, false, true, false, RC_OK, 1, 0, 0, 1,
         RC_BADTEXT},
        {"--diff goes on past a missing file", {s + "none.sql", s + "x.sql", s + "bin.sql"}, false, false, true, RC_OK,
         1, 0, 0, 2, RC_OPEN},
        {"rewriting ends at a binary file", {s + "bin.sql", s + "x.sql"}, false, false, false, RC_BADTEXT, 0, 0, 0, 0,
         RC_OK},
    };
    for (const auto &c : arCases) {
        vPut(d / "x.sql", "select 1;\n");
        vPut(d / "done.sql", "<select 1;\n>");  // the stand-in leaves it as it is
        vPut(d / "empty.sql", "");
        vPut(d / "bin.sql", sBin);
        vPut(d / "s.sql" / "y.sql", "<x>");
        RunOptionsSet opts(c.bCheck, c.bDiff);
        FileRun r = rRunFiles(c.vsPaths, c.bRecurse);
        EXPECT_EQ(c.rc, r.rc) << c.szName << r.sMsgs;
        EXPECT_EQ(c.iFiles, r.iFiles) << c.szName;
        EXPECT_EQ(c.iUnchanged, r.rTally.iUnchanged) << c.szName;
        EXPECT_EQ(c.iPassed, r.rTally.iPassedOver) << c.szName;
        EXPECT_EQ(c.iFailed, r.rTally.iFailed) << c.szName;
        EXPECT_EQ(c.rcFirst, r.rTally.rcFirstFailure) << c.szName;
        EXPECT_EQ(sBin, sReadBytes(d / "bin.sql")) << c.szName;
        const bool bRewritten = !c.bCheck && !c.bDiff && c.rc == RC_OK && c.iFiles == 1;
        EXPECT_EQ(bRewritten ? "<select 1;\n>" : "select 1;\n", sReadBytes(d / "x.sql")) << c.szName;
    }
}

#if !defined(_WIN32)
namespace {
FileModeCalls rRealCalls;
int iStubSignal = 0;
FILE *pCreateThenSignal(const char *szPath) {
    FILE *fp = rRealCalls.pfnCreateNew(szPath);
    raise(iStubSignal);
    return fp;
}
size_t nWriteThenSignal(const void *p, size_t nSize, size_t nCount, FILE *fp) {
    raise(iStubSignal);
    return rRealCalls.pfnWrite(p, nSize, nCount, fp);
}
int iSetModeThenSignal(const char *szPath, const PlatStat *pStat) {
    int iErr = rRealCalls.pfnSetMode(szPath, pStat);
    raise(iStubSignal);
    return iErr;
}
int iReplaceFails(const char *, const char *) { return EIO; }
int iReplaceThenSignal(const char *szFrom, const char *szTo) {
    int iErr = rRealCalls.pfnReplace(szFrom, szTo);
    raise(iStubSignal);
    return iErr;
}
}  // namespace

// An interrupt at each step of a rewrite: before the new file has taken the original's name it
// is removed and the original stays; once it has, the new text stands. Either way the program
// ends by the signal and no file is left beside. The interrupt arrives from inside the step (a
// stand-in of the file call raises it), in a child process that it ends.
TEST(FileMode, AnInterruptAtEachStepOfARewrite) {
    const fs::path d = fs::temp_directory_path() / "quorva_filemode_signal";
    const struct { const char *szName; int iSig; bool bNewText; void (*pfnStub)(FileModeCalls *); } arCases[] = {
        {"while the new file is made", SIGINT, false, [](FileModeCalls *p) { p->pfnCreateNew = pCreateThenSignal; }},
        {"while it is written", SIGTERM, false, [](FileModeCalls *p) { p->pfnWrite = nWriteThenSignal; }},
        {"while it takes the original's mode", SIGHUP, false, [](FileModeCalls *p) { p->pfnSetMode = iSetModeThenSignal; }},
        {"while it takes the original's name", SIGINT, true, [](FileModeCalls *p) { p->pfnReplace = iReplaceThenSignal; }},
    };
    for (const auto &c : arCases) {
        fs::remove_all(d);
        fs::create_directories(d);
        ScopeExit remove([&] { fs::remove_all(d); });
        vPut(d / "a.sql", "select 1;\n");
        std::fflush(nullptr);
        pid_t pid = fork();
        ASSERT_NE(-1, pid);
        if (pid == 0) {
            rRealCalls = rFileModeCalls;
            c.pfnStub(&rFileModeCalls);
            iStubSignal = c.iSig;
            RunOptionsSet opts(false);
            FileRun r = rRunFiles({(d / "a.sql").string()}, false);
            _exit(r.rc == RC_OK ? 100 : 101);  // not reached: the signal ends the child
        }
        int iStatus = 0;
        ASSERT_EQ(pid, waitpid(pid, &iStatus, 0));
        EXPECT_TRUE(WIFSIGNALED(iStatus) && WTERMSIG(iStatus) == c.iSig) << c.szName << " " << iStatus;
        EXPECT_EQ(c.bNewText ? "<select 1;\n>" : "select 1;\n", sReadBytes(d / "a.sql")) << c.szName;
        EXPECT_EQ(1, std::distance(fs::directory_iterator(d), fs::directory_iterator())) << c.szName << ": a file left";
    }
}
#endif

#if !defined(_WIN32)
// A rewrite that fails after the new file took the original's mode removes the new file, also
// when that mode lacks the owner's write bit (root rewrites a file that only its group may write).
TEST(FileMode, AFailedRewriteRemovesItsNewFileWhateverItsMode) {
    if (geteuid() != 0) GTEST_SKIP() << "only root may rewrite such a file";
    const fs::path d = fs::temp_directory_path() / "quorva_filemode_newmode";
    fs::remove_all(d);
    fs::create_directories(d);
    ScopeExit remove([&] { fs::remove_all(d); });
    for (mode_t uMode : {0644, 0464, 0044 | 0002}) {
        vPut(d / "a.sql", "select 1;\n");
        ASSERT_EQ(0, chmod((d / "a.sql").c_str(), uMode));
        rRealCalls = rFileModeCalls;
        rFileModeCalls.pfnReplace = iReplaceFails;
        ScopeExit restore([] { rFileModeCalls = rRealCalls; });
        RunOptionsSet opts(false);
        FileRun r = rRunFiles({(d / "a.sql").string()}, false);
        EXPECT_EQ(RC_WRITE, r.rc) << uMode;
        EXPECT_EQ("select 1;\n", sReadBytes(d / "a.sql")) << uMode;
        EXPECT_EQ(1, std::distance(fs::directory_iterator(d), fs::directory_iterator())) << uMode << ": a file left";
    }
}
#endif
