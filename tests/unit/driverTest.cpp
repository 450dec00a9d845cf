// Sorting and parsing of the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "consoleCapture.h"
#include "plat/platStdio.h"
#include "driver/quorva.h"

namespace {
struct ParseCase {
    const char *szName;
    std::vector<std::string> asArgs;  // as given, before sorting
    std::string sIndent;
    int32_t iNumComma, iPartSize, iJoinAt, iRecurently, iStdio, iNumOpts, iHelp;
    std::string sWarnings;  // on console, LF for CR LF
};

const std::string sTab = "\t";
std::string sBlanks(int n) { return std::string(static_cast<size_t>(n), ' '); }
std::string sWarn(const std::string &sArg) { return "Warning - オプション:'" + sArg + "' はサポートされていません。\n"; }

const ParseCase arParseCases[] = {
    {"defaults", {}, sTab, 14, 50, 0, 0, 0, 0, 0, ""},
    {"indent in any case", {"-I4"}, sBlanks(4), 14, 50, 0, 0, 0, 1, 0, ""},
    {"long indent in any case", {"--INDENT_WIDTH=4"}, sBlanks(4), 14, 50, 0, 0, 0, 1, 0, ""},
    {"indent 32", {"-i32"}, sBlanks(32), 14, 50, 0, 0, 0, 1, 0, ""},
    {"indent out of range", {"-i0", "-i33", "-ix"}, sTab, 14, 50, 0, 0, 0, 3, 0, ""},
    {"later-sorting occurrence wins", {"-c7", "-c5"}, sTab, 7, 50, 0, 0, 0, 2, 0, ""},
    {"-i sorts after --indent_width", {"-i4", "--indent_width=2"}, sBlanks(4), 14, 50, 0, 0, 0, 2, 0, ""},
    {"comma and part size", {"--num_comma=3", "-s20"}, sTab, 3, 20, 0, 0, 0, 2, 0, ""},
    {"no range check", {"-c-5", "--part_size= +7x"}, sTab, -5, 7, 0, 0, 0, 2, 0, ""},
    {"bare join", {"-j"}, sTab, 14, 50, 256, 0, 0, 1, 0, ""},
    {"join value", {"-j100"}, sTab, 14, 50, 100, 0, 0, 1, 0, ""},
    {"bare long join", {"--JOIN_AT="}, sTab, 14, 50, 256, 0, 0, 1, 0, ""},
    {"join without digits", {"-jx"}, sTab, 14, 50, 0, 0, 0, 1, 0, ""},
    {"prefix forms", {"-helpme", "-recurse", "-output"}, sTab, 14, 50, 0, 1, 1, 3, 1, ""},
    {"long flags", {"--help", "--recurently", "--stdio"}, sTab, 14, 50, 0, 1, 1, 3, 1, ""},
    {"unsupported", {"-x", "--indent_width", "--join_at"}, sTab, 14, 50, 0, 0, 0, 3, 0,
     sWarn("--indent_width") + sWarn("--join_at") + sWarn("-x")},
    {"paths have no effect", {"a.sql", "dir"}, sTab, 14, 50, 0, 0, 0, 0, 0, ""},
};
}  // namespace

TEST(ParseArgs, Forms) {
    for (const ParseCase &c : arParseCases) {
        std::vector<std::string> asArgs = c.asArgs;
        std::vector<char *> apArgs;
        for (std::string &s : asArgs) apArgs.push_back(&s[0]);
        vSortPrefix(apArgs.data(), static_cast<int32_t>(apArgs.size()));
        StmtStyle style;
        vDefaultStmtStyle(&style);
        int32_t iNumOpts = 0, iRecurently = 0, iStdio = 0;
        ConsoleCapture cap;
        int iHelp = rcParseArgs(static_cast<int32_t>(apArgs.size()), apArgs.data(), &iNumOpts, &iRecurently, &iStdio,
                                &style);
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(std::string(style.szIndent), c.sIndent);
        EXPECT_EQ(style.iNumComma, c.iNumComma);
        EXPECT_EQ(style.iPartSize, c.iPartSize);
        EXPECT_EQ(style.iJoinAt, c.iJoinAt);
        EXPECT_EQ(iRecurently, c.iRecurently);
        EXPECT_EQ(iStdio, c.iStdio);
        EXPECT_EQ(iNumOpts, c.iNumOpts);
        EXPECT_EQ(iHelp, c.iHelp);
        EXPECT_EQ(cap.sLines(), c.sWarnings);
    }
}

TEST(ParseArgs, SlashFormIsAnOptionOnlyWhereItIsNoPath) {
    char szArg[] = "/x";
    char *apArgs[] = {szArg};
    StmtStyle style;
    vDefaultStmtStyle(&style);
    int32_t iNumOpts = 0, iRecurently = 0, iStdio = 0;
    ConsoleCapture cap;
    rcParseArgs(1, apArgs, &iNumOpts, &iRecurently, &iStdio, &style);
    EXPECT_EQ(iNumOpts, 0);
    EXPECT_EQ(cap.sLines(), iPlatSlashOption ? sWarn("/x") : "");
}

TEST(SortPrefix, ByteOrderWithPrefixesFirst) {
    std::vector<std::string> as = {"b.sql", "-r", "a.sql", "--help", "-i4", "a", "\xe0x", "Z"};
    std::vector<char *> ap;
    for (std::string &s : as) ap.push_back(&s[0]);
    vSortPrefix(ap.data(), static_cast<int32_t>(ap.size()));
    std::vector<std::string> asSorted(ap.begin(), ap.end());
    EXPECT_EQ(asSorted, (std::vector<std::string>{"--help", "-i4", "-r", "Z", "a", "a.sql", "b.sql", "\xe0x"}));
}
