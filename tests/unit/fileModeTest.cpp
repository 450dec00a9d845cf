// File and console mode below the formatter: stored bytes and their text, document types, the
// extraction of statements (with a stand-in formatter that marks each one), and file-mode runs
// on temporary directories.
#include <cstring>
#include <vector>

#include "modes/rcExtractStmt.h"
#include "modes/rcFmtOnConsole.h"
#include "modes/rcFmtOnFile.h"
#include "modes/rcTextCodec.h"
#include "plat/platConv.h"
#include "formatter/rcFmtLex.h"
#include "unitHelpers.h"

namespace {
// Wraps the statement in "<" and ">", so that its edges show in the output.
int rcMark(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    std::string s = "<" + std::string(pStmt, nStmt) + ">";
    *szStmtFmt = static_cast<char *>(pvAlloc(s.size() + 1));
    if (*szStmtFmt == nullptr) return RC_NOMEM;
    std::memcpy(*szStmtFmt, s.data(), s.size());
    rStmtStyle->iFmtLen = static_cast<int32_t>(s.size());
    return RC_OK;
}
}  // namespace

TEST(TextCodec, StoredBytesToTextAndBack) {
    const std::string sNul("a\0b", 3);
    const struct { const char *szName; std::string sRaw, sText; int32_t eUtf16, eEncoding; bool bCrLf; } arCases[] = {
        {"CR LF read as LF, lone CR kept", "a\r\nb\rc\r\r\nd\r", "a\nb\rc\r\nd\r", 0, ENC_SJIS, true},
        {"LF lines", "a\nb\r\n", "a\nb\n", 0, ENC_SJIS, false},
        {"NUL and Ctrl-Z are data", sNul + "\x1a", sNul + "\x1a", 0, ENC_SJIS, true},
        {"valid UTF-8 with a multibyte character", "\xE3\x81\x82\n", "\xE3\x81\x82\n", 0, ENC_UTF8, false},
        {"UTF-8 byte order mark", "\xEF\xBB\xBFx", "\xEF\xBB\xBFx", 0, ENC_UTF8, true},
        {"Latin-1 bytes are no UTF-8", "caf\xE9\n", "caf\xE9\n", 0, ENC_SJIS, false},
        {"UTF-16LE with its mark", std::string("\xFF\xFEx\0\r\0\n\0\x42\x30", 10), "x\n\xE3\x81\x82",
         CS_UTF16LE, ENC_UTF8, true},
        {"UTF-16BE with its mark", std::string("\xFE\xFF\0x\0\n", 6), "x\n", CS_UTF16BE, ENC_UTF8, false},
    };
    for (const auto &c : arCases) {
        TextForm rForm;
        size_t nBom = 0;
        vTextFormOf(c.sRaw.data(), c.sRaw.size(), ENC_AUTO, 0, &rForm, &nBom);
        EXPECT_EQ(c.eUtf16, rForm.eUtf16) << c.szName;
        EXPECT_EQ(c.eEncoding, rForm.eEncoding) << c.szName;
        std::string sText = c.sRaw;
        if (rForm.eUtf16 != 0) {
            char *p = nullptr;
            size_t n = 0;
            ASSERT_EQ(RC_OK, rcUtf16ToUtf8(c.sRaw.data() + nBom, c.sRaw.size() - nBom, rForm.eUtf16, &p, &n));
            sText.assign(p, n);
            vFree(p);
        }
        EXPECT_EQ(c.bCrLf, bCrLfText(sText.data(), sText.size())) << c.szName;
        sText.resize(nCrLfToLf(&sText[0], sText.size()));
        EXPECT_EQ(c.sText, sText) << c.szName;
        // Back again in the form it came in: the same bytes, where its line ends were alike.
        TextWriter out(rForm, c.bCrLf);
        ASSERT_TRUE(out.bPut(sText.data(), sText.size())) << c.szName;
        const bool bHasCrLf = c.sRaw.find("\r\n") != std::string::npos;
        if (c.sRaw.find("\r\r") == std::string::npos && bHasCrLf == c.bCrLf) {
            EXPECT_EQ(c.sRaw, std::string(out.p, out.n)) << c.szName;
        }
    }
    char *p = nullptr;
    size_t n = 0;
    EXPECT_EQ(RC_BADTEXT, rcUtf16ToUtf8("\x00\xD8x\x00", 4, CS_UTF16LE, &p, &n)) << "an unpaired surrogate";
    EXPECT_EQ(RC_BADTEXT, rcUtf16ToUtf8("x\x00y", 3, CS_UTF16LE, &p, &n)) << "an odd length";
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

TEST(DocType, IdentifiedByTheFirstBlockOrACursorLine) {
    const std::string sLong(40000, 'x');
    const struct { const char *szName; std::string sText; int32_t iWant; } arCases[] = {
        {"TKPROF at bytes 1 to 6", "\nTKPROF: Release\n", DOC_TKPROF},
        {"TKPROF too short", "\nTKPRO", DOC_SCRIPT},
        {"cursor as first line", "PARSING IN CURSOR #1\n", DOC_TRACE},
        {"cursor mentioned mid-line", "-- see PARSING IN CURSOR\nselect 1;\n", DOC_SCRIPT},
        {"a long line is read in pieces", sLong.substr(0, 32767) + "PARSING IN CURSOR\n", DOC_TRACE},
        {"plain script", "select 1 from dual;\n" + sLong, DOC_SCRIPT},
    };
    for (const auto &c : arCases) EXPECT_EQ(c.iWant, iIdentifyDocType(c.sText.data(), c.sText.size())) << c.szName;
}

TEST(Extract, ReplacesEachStatementAndCopiesEveryOtherByte) {
    const struct { const char *szName; int32_t iDocType; std::string sIn, sWant; int32_t iStmts; } arCases[] = {
        {"tkprof: empty line keeps the statement's LF", DOC_TKPROF, "x\nselect 1\nfrom d\n\ncall",
         "x\n<select 1\nfrom d\n>\ncall", 1},
        {"tkprof: call line", DOC_TKPROF, "\nSELECT 1\ncall  count", "\n<SELECT 1>\ncall  count", 1},
        {"tkprof: stars line", DOC_TKPROF, "\nupdate t\n***", "\n<update t>\n***", 1},
        {"tkprof: any case, no word boundary", DOC_TKPROF, "\nSelected x\n\n", "\n<Selected x\n>\n", 1},
        {"tkprof: parenthesis and comment", DOC_TKPROF, "\n(a)\n\n/* c */\n\n", "\n<(a)\n>\n</* c */\n>\n", 2},
        {"tkprof: no end marker", DOC_TKPROF, "\ndrop t", "\n<drop t>", 1},
        {"tkprof: no statement", DOC_TKPROF, "\nTKPROF\n\ncall\n", "\nTKPROF\n\ncall\n", 0},
        {"tkprof: empty lines inside a block", DOC_TKPROF, "\nBEGIN\n\nx;\n\nEND;\n\n\ncall",
         "\n<BEGIN\n\nx;\n\nEND;\n>\n\ncall", 1},
        {"trace", DOC_TRACE, "x\nPARSING IN CURSOR #1 len=8\nselect 1\nEND OF STMT\nPARSE #1\n",
         "x\nPARSING IN CURSOR #1 len=8\n<select 1\n>END OF STMT\nPARSE #1\n", 1},
        {"trace: first line is a cursor line", DOC_TRACE, "PARSING IN CURSOR #1\nselect 1\nEND OF STMT\n",
         "PARSING IN CURSOR #1\nselect 1\nEND OF STMT\n", 0},
        {"trace: blank statement", DOC_TRACE, "\nPARSING IN CURSOR\n \t\r\nEND OF STMT",
         "\nPARSING IN CURSOR\n \t\r\nEND OF STMT", 1},
        {"trace: cursor line without LF", DOC_TRACE, "a\nPARSING IN CURSOR #1", "a\nPARSING IN CURSOR #1", 0},
        {"trace: no end marker", DOC_TRACE, "\nPARSING IN CURSOR\nselect 1\n", "\nPARSING IN CURSOR\n<select 1\n>", 1},
        {"trace: two statements", DOC_TRACE, "\nPARSING IN CURSOR\na\nEND OF STMT\nPARSING IN CURSOR\nb\nEND OF STMT",
         "\nPARSING IN CURSOR\n<a\n>END OF STMT\nPARSING IN CURSOR\n<b\n>END OF STMT", 2},
        {"trace: statement holding a NUL", DOC_TRACE, std::string("\nPARSING IN CURSOR\na\0b\nEND OF STMT", 34),
         std::string("\nPARSING IN CURSOR\n<a\0b\n>END OF STMT", 36), 1},
    };
    for (const auto &c : arCases) {
        TextWriter out(TextForm{}, true);
        StmtStyle style{};
        int32_t iStmts = 0;
        EXPECT_EQ(RC_OK, rcExtractStmts(c.sIn.c_str(), c.sIn.size(), c.iDocType, &out, "t", &style, &iStmts, rcMark))
            << c.szName;
        EXPECT_EQ(sCrLf(c.sWant), std::string(out.p, out.n)) << c.szName;
        EXPECT_EQ(c.iStmts, iStmts) << c.szName;
    }
}

// File mode with the stand-in on one path (-r when bRecurse); the directories and files counted.
std::pair<int32_t, int32_t> prRun(std::string sPath, bool bRecurse) {
    char *apArgs[] = {&sPath[0]};
    StmtStyle style;
    vDefaultStmtStyle(&style);
    int32_t iDirs = 0, iFiles = 0, iStmts = 0;
    int64_t iIn = 0, iOut = 0;
    auto pfnOld = pfnFileFmtStmt;
    pfnFileFmtStmt = rcMark;
    ConsoleCapture cap;
    EXPECT_EQ(RC_OK, rcFmtOnFile(apArgs, 1, &iDirs, &iFiles, &iStmts, &iIn, &iOut, bRecurse, &style)) << cap.sLines();
    pfnFileFmtStmt = pfnOld;
    return {iDirs, iFiles};
}

// The rewritten file keeps its permission bits, a link to it stays a link, and a directory link
// back into the walk is not entered again.
TEST(FileMode, ModesLinksAndLoops) {
    const fs::path d = fs::temp_directory_path() / "quorva_filemode";
    fs::remove_all(d);
    fs::create_directories(d / "a.sql" / "b.sql");
    ScopeExit remove([&] { fs::remove_all(d); });
    vPut(d / "x.sql", "select 1;\n");
    vPut(d / "a.sql" / "b.sql" / "y.sql", "select 2;\n");
    fs::permissions(d / "x.sql", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::perms perms = fs::status(d / "x.sql").permissions();
    std::error_code ec, ecDir;
    fs::create_symlink("x.sql", d / "l.sql", ec);
    EXPECT_EQ(std::make_pair(0, 1), prRun((d / (ec ? "x.sql" : "l.sql")).string(), false));
    EXPECT_EQ("<select 1;\r\n>", sReadBytes(d / "x.sql"));
    EXPECT_EQ(perms, fs::status(d / "x.sql").permissions());
    EXPECT_TRUE(ec || fs::is_symlink(d / "l.sql"));
    EXPECT_EQ(ec ? 2 : 3, std::distance(fs::directory_iterator(d), fs::directory_iterator()));  // nothing left behind
    fs::create_directory_symlink(d / "a.sql", d / "a.sql" / "b.sql" / "up.sql", ecDir);
    if (ecDir) GTEST_SKIP() << "no directory links here";
    EXPECT_EQ(std::make_pair(2, 1), prRun((d / "a.sql").string(), true));
    EXPECT_EQ("<select 2;\r\n>", sReadBytes(d / "a.sql" / "b.sql" / "y.sql"));
}
