// File and console mode below the formatter: how text streams are read, document types, the
// extraction of statements (with a stand-in formatter that marks each one), and file-mode runs
// on temporary directories.
#include <cstring>
#include <vector>

#include "modes/rcExtractStmt.h"
#include "modes/rcFmtOnConsole.h"
#include "modes/rcFmtOnFile.h"
#include "unitHelpers.h"

namespace {
// Wraps the statement in "<" and ">", so that its edges show in the output.
int rcMark(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    std::string s = "<" + std::string(szStmt) + ">";
    *szStmtFmt = static_cast<char *>(pvAlloc(s.size() + 1));
    if (*szStmtFmt == nullptr) return RC_NOMEM;
    std::memcpy(*szStmtFmt, s.data(), s.size());
    rStmtStyle->iFmtLen = static_cast<int32_t>(s.size());
    return RC_OK;
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
}  // namespace

TEST(TextStream, FileModeReadsCrLfAsLfAndKeepsEveryOtherByte) {
    const std::string sBlock(65535, 'a');
    const struct { const char *szName; std::string sFile, sWant; } arCases[] = {
        {"lone CR, CR CR LF, CR at the end", "a\r\nb\rc\r\r\nd\r", "a\nb\rc\r\nd\r"},
        {"Ctrl-Z and NUL are data", std::string("a\x1a" "b\0c", 5), std::string("a\x1a" "b\0c", 5)},
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
        EXPECT_EQ(c.sWant, std::string(p, n)) << c.szName;
        EXPECT_EQ('\0', p[n]) << c.szName;
        EXPECT_EQ(static_cast<int64_t>(c.sFile.size()), in.iRawBytes) << c.szName;
        vFree(p);
        std::fclose(fp);
    }
}

// Console mode reads standard input line by line: a read ends after a LF or 2047 bytes, and a
// NUL ends that read's contribution.
TEST(TextStream, ConsoleModeReadsLines) {
    std::string sLong(5000, 'x');
    sLong[10] = '\0';  // in the first of the reads of 2047, 2047 and 906 bytes
    const struct { const char *szName; std::string sIn, sWant; } arCases[] = {
        {"CR LF, lone CR, CR CR LF, Ctrl-Z", "a\r\nb\rc\r\r\nd\x1a", "a\nb\rc\r\nd\x1a"},
        {"NUL at the start of a line", std::string("\0x\ny", 4), "y"},
        {"NUL loses only the rest of its 2047-byte read", sLong + "\n", std::string(2963, 'x') + "\n"},
    };
    for (const auto &c : arCases) {
        FILE *fp = pTempWith(c.sIn);
        char *szText = nullptr;
        size_t n = 0;
        ASSERT_TRUE(bReadConsoleText(fp, &szText, &n)) << c.szName;
        EXPECT_EQ(c.sWant, std::string(szText, n)) << c.szName;
        EXPECT_EQ(n, std::strlen(szText)) << c.szName;
        vFree(szText);
        std::fclose(fp);
    }
}

TEST(DocType, IdentifiedByTheFirstBlockOrACursorLine) {
    const std::string sLong(40000, 'x');
    const struct { const char *szName; std::string sFile; int32_t iWant; } arCases[] = {
        {"TKPROF at bytes 1 to 6", "\nTKPROF: Release\n", DOC_TKPROF},
        {"TKPROF too short", "\nTKPRO", DOC_SCRIPT},
        {"cursor as first line", "PARSING IN CURSOR #1\n", DOC_TRACE},
        {"cursor mentioned mid-line", "-- see PARSING IN CURSOR\nselect 1;\n", DOC_SCRIPT},
        {"a long line is read in pieces", sLong.substr(0, 32767) + "PARSING IN CURSOR\n", DOC_TRACE},
        {"plain script", "select 1 from dual;\n" + sLong, DOC_SCRIPT},
    };
    std::vector<char> vLineBuf(LINE_BUF_SIZE);
    for (const auto &c : arCases) {
        FILE *fp = pTempWith(c.sFile);
        TextReader in(fp);
        int32_t iDocType = -1;
        EXPECT_EQ(RC_OK, rcIdentifyDocType(&in, vLineBuf.data(), &iDocType)) << c.szName;
        EXPECT_EQ(c.iWant, iDocType) << c.szName;
        std::fclose(fp);
    }
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
        {"trace: statement holding a NUL", DOC_TRACE, std::string("\nPARSING IN CURSOR\na\0b\nEND OF STMT", 31),
         std::string("\nPARSING IN CURSOR\na\0b\nEND OF STMT", 31), 1},
    };
    for (const auto &c : arCases) {
        FILE *fp = std::tmpfile();
        TextWriter out(fp);
        StmtStyle style{};
        int32_t iStmts = 0;
        EXPECT_EQ(RC_OK, rcExtractStmts(c.sIn.c_str(), c.sIn.size(), c.iDocType, &out, "t", &style, &iStmts, rcMark))
            << c.szName;
        ASSERT_TRUE(out.bFlush());
        EXPECT_EQ(sCrLf(c.sWant), sAll(fp)) << c.szName;
        EXPECT_EQ(static_cast<int64_t>(sCrLf(c.sWant).size()), out.iRawBytes) << c.szName;
        EXPECT_EQ(c.iStmts, iStmts) << c.szName;
        std::fclose(fp);
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
