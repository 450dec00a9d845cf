// The command line, and the runtime pieces every run relies on: the message catalogue, console
// line ends, number grouping and the refusal of a misused timer; the path syntax of the
// platform and the dump file that every run checks.
#include <cstdlib>
#include <vector>

#include "driver/quorva.h"
#include "formatter/rcFmtLex.h"
#include "modes/rcConfig.h"
#include "modes/rcDumpName.h"
#include "modes/rcRunOptions.h"
#include "plat/platConv.h"
#include "plat/platStdio.h"
#include "plat/platTime.h"
#include "runtime/msgCatalog.h"
#include "runtime/tTmStats.h"
#include "unitHelpers.h"

namespace {
std::string sWarn(const std::string &sArg) {
    return sSjis("Warning - オプション:'" + sArg + "' はサポートされていません。\n");
}
std::string sBad(const std::string &sArg) { return sSjis("Error - オプション:'" + sArg + "' の値が正しくありません。\n"); }

struct Parsed {
    StmtStyle style;
    int32_t iNumOpts = 0, iRecurently = 0, iStdio = 0, iBadOpts = 0;
    int iHelp;
    std::string sMsgs;
};
Parsed rParse(std::vector<std::string> asArgs) {
    std::vector<char *> apArgs;
    for (std::string &s : asArgs) apArgs.push_back(&s[0]);
    vSortPrefix(apArgs.data(), static_cast<int32_t>(apArgs.size()));
    Parsed r;
    vDefaultStmtStyle(&r.style);
    rRunOptions = RunOptions{};
    ConsoleCapture cap;
    r.iHelp = rcParseArgs(static_cast<int32_t>(apArgs.size()), apArgs.data(), &r.iNumOpts, &r.iRecurently, &r.iStdio,
                          &r.style, &r.iBadOpts);
    r.sMsgs = cap.sLines();
    return r;
}
}  // namespace

TEST(ParseArgs, Forms) {
    const std::string sTab = "\t", s2(2, ' '), s4(4, ' ');
    const struct {
        const char *szName;
        std::vector<std::string> asArgs;  // as given, before sorting
        std::string sIndent;
        int32_t iNumComma, iPartSize, iJoinAt, iRecurently, iStdio, iNumOpts, iHelp;
        std::string sWarnings;
        int32_t iBadOpts;  // values that cannot be used: the run ends with status 2
    } arCases[] = {
        {"defaults", {}, sTab, 14, 50, 0, 0, 0, 0, 0, "", 0},
        {"indent in any case", {"-I4"}, s4, 14, 50, 0, 0, 0, 1, 0, "", 0},
        {"indent 32", {"-i32"}, std::string(32, ' '), 14, 50, 0, 0, 0, 1, 0, "", 0},
        {"indent out of range or no number", {"-i0", "-i33", "-ix"}, sTab, 14, 50, 0, 0, 0, 3, 0,
         sBad("-i0") + sBad("-i33") + sBad("-ix"), 3},
        {"indent without value", {"-i"}, sTab, 14, 50, 0, 0, 0, 1, 0, sBad("-i"), 1},
        {"indent tab, as in a settings file", {"-i2", "--indent_width=TAB"}, s2, 14, 50, 0, 0, 0, 2, 0, "", 0},
        {"indent tab wins when it sorts later", {"-iTab", "--indent_width=2"}, sTab, 14, 50, 0, 0, 0, 2, 0, "", 0},
        {"later-sorting occurrence wins", {"-c7", "-c5"}, sTab, 7, 50, 0, 0, 0, 2, 0, "", 0},
        {"-i sorts after --indent_width", {"-i4", "--indent_width=2"}, s4, 14, 50, 0, 0, 0, 2, 0, "", 0},
        {"comma and part size", {"--num_comma=3", "-s20"}, sTab, 3, 20, 0, 0, 0, 2, 0, "", 0},
        {"signs, blanks and stray bytes are refused", {"-c-5", "--part_size= +7x", "-s7x"}, sTab, 14, 50, 0, 0, 0, 3,
         0, sBad("--part_size= +7x") + sBad("-c-5") + sBad("-s7x"), 3},
        {"zero commas and bytes", {"-c0", "--part_size=0"}, sTab, 0, 0, 0, 0, 0, 2, 0, "", 0},
        {"beyond 32 bits", {"-c2147483648", "-s2147483647"}, sTab, 14, 2147483647, 0, 0, 0, 2, 0,
         sBad("-c2147483648"), 1},
        {"bare join", {"-j"}, sTab, 14, 50, 256, 0, 0, 1, 0, "", 0},
        {"join value, long flags", {"-j100", "--recurently", "--stdio"}, sTab, 14, 50, 100, 1, 1, 3, 0, "", 0},
        {"bare long join", {"--JOIN_AT="}, sTab, 14, 50, 256, 0, 0, 1, 0, "", 0},
        {"join without digits", {"-jx"}, sTab, 14, 50, 0, 0, 0, 1, 0, sBad("-jx"), 1},
        {"join off", {"--join_at=0"}, sTab, 14, 50, 0, 0, 0, 1, 0, "", 0},
        {"prefix forms", {"-helpme", "-recurse", "-output"}, sTab, 14, 50, 0, 1, 1, 3, 1, "", 0},
        {"unsupported", {"-x", "--indent_width", "--join_at"}, sTab, 14, 50, 0, 0, 0, 3, 0,
         sWarn("--indent_width") + sWarn("--join_at") + sWarn("-x"), 0},
        {"the newer flags are matched whole", {"--checkx", "--diffs", "-qq", "--versions"}, sTab, 14, 50, 0, 0, 0, 4, 0,
         sWarn("--checkx") + sWarn("--diffs") + sWarn("--versions") + sWarn("-qq"), 0},
        {"paths have no effect", {"a.sql", "dir"}, sTab, 14, 50, 0, 0, 0, 0, 0, "", 0},
    };
    for (const auto &c : arCases) {
        Parsed r = rParse(c.asArgs);
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.sIndent, r.style.szIndent);
        EXPECT_EQ(c.iNumComma, r.style.iNumComma);
        EXPECT_EQ(c.iPartSize, r.style.iPartSize);
        EXPECT_EQ(c.iJoinAt, r.style.iJoinAt);
        EXPECT_EQ(c.iRecurently, r.iRecurently);
        EXPECT_EQ(c.iStdio, r.iStdio);
        EXPECT_EQ(c.iNumOpts, r.iNumOpts);
        EXPECT_EQ(c.iHelp, r.iHelp);
        EXPECT_EQ(c.sWarnings, r.sMsgs);
        EXPECT_EQ(c.iBadOpts, r.iBadOpts);
    }
    // "/x" is an option only where it cannot be a path.
    Parsed r = rParse({"/x"});
    EXPECT_EQ(0, r.iNumOpts);
    EXPECT_EQ(iPlatSlashOption ? sWarn("/x") : "", r.sMsgs);
}

// The valued options take the same values on the command line and in a settings file, with
// the same meaning; a value one of them refuses, the other refuses too.
TEST(OptionVocabulary, SameOnTheCommandLineAndInASettingsFile) {
    const std::string sTab = "\t";
    const struct {
        const char *szName, *szValue;
        bool bOk;
        std::string sIndent;
        int32_t iNumComma, iPartSize, iEncoding, eEol, iJoinAt;
    } arCases[] = {
        {"encoding", "auto", true, sTab, 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"encoding", "SJIS", true, sTab, 14, 50, ENC_SJIS, EOL_KEEP, 0},
        {"encoding", "Shift_JIS", true, sTab, 14, 50, ENC_SJIS, EOL_KEEP, 0},
        {"encoding", "cp932", true, sTab, 14, 50, ENC_SJIS, EOL_KEEP, 0},
        {"encoding", "utf8", true, sTab, 14, 50, ENC_UTF8, EOL_KEEP, 0},
        {"encoding", "UTF-8", true, sTab, 14, 50, ENC_UTF8, EOL_KEEP, 0},
        {"encoding", "latin1", true, sTab, 14, 50, ENC_LATIN1, EOL_KEEP, 0},
        {"encoding", "Latin-1", true, sTab, 14, 50, ENC_LATIN1, EOL_KEEP, 0},
        {"encoding", "iso-8859-1", true, sTab, 14, 50, ENC_LATIN1, EOL_KEEP, 0},
        {"encoding", "CP1252", true, sTab, 14, 50, ENC_LATIN1, EOL_KEEP, 0},
        {"encoding", "utf16", false, sTab, 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"encoding", "utf8x", false, sTab, 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"eol", "CRLF", true, sTab, 14, 50, ENC_AUTO, EOL_CRLF, 0},
        {"eol", "lf", true, sTab, 14, 50, ENC_AUTO, EOL_LF, 0},
        {"eol", "cr", false, sTab, 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"indent_width", "4", true, "    ", 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"indent_width", "32", true, std::string(32, ' '), 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"indent_width", "TAB", true, sTab, 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"indent_width", "0", false, sTab, 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"indent_width", "33", false, sTab, 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"indent_width", "tabs", false, sTab, 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"num_comma", "3", true, sTab, 3, 50, ENC_AUTO, EOL_KEEP, 0},
        {"num_comma", "+3", false, sTab, 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"part_size", "0", true, sTab, 14, 0, ENC_AUTO, EOL_KEEP, 0},
        {"part_size", "2147483648", false, sTab, 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"join_at", "100", true, sTab, 14, 50, ENC_AUTO, EOL_KEEP, 100},
        {"join_at", "x", false, sTab, 14, 50, ENC_AUTO, EOL_KEEP, 0},
        {"Indent_Width", "2", true, "  ", 14, 50, ENC_AUTO, EOL_KEEP, 0},
    };
    for (const auto &c : arCases) {
        const std::string sCase = std::string(c.szName) + "=" + c.szValue;
        // The command line: --name=value.
        Parsed r = rParse({"--" + sCase});
        EXPECT_EQ(c.bOk ? 0 : 1, r.iBadOpts) << sCase;
        // A settings file: name = value, with a blank and a comment around it.
        OptValues rSet{};
        ConfigError rErr{};
        const std::string sText = std::string("# team\n") + c.szName + " = " + c.szValue + "  # why\n";
        const int rc = rcParseConfig(sText.data(), sText.size(), &rSet, &rErr);
        EXPECT_EQ(c.bOk ? RC_OK : RC_CONFIG, rc) << sCase;
        if (!c.bOk) {
            EXPECT_EQ(2, rErr.iLine) << sCase;
            continue;
        }
        StmtStyle rFromFile;
        vDefaultStmtStyle(&rFromFile);
        int32_t eEolFromFile = EOL_KEEP;
        vApplyOptValues(&rSet, ~0u, &rFromFile, &eEolFromFile);
        for (const StmtStyle *p : {&r.style, &rFromFile}) {
            const char *szWhere = p == &r.style ? "command line" : "settings file";
            EXPECT_EQ(c.sIndent, p->szIndent) << sCase << ", " << szWhere;
            EXPECT_EQ(c.iNumComma, p->iNumComma) << sCase << ", " << szWhere;
            EXPECT_EQ(c.iPartSize, p->iPartSize) << sCase << ", " << szWhere;
            EXPECT_EQ(c.iEncoding, p->iEncoding) << sCase << ", " << szWhere;
            EXPECT_EQ(c.iJoinAt, p->iJoinAt) << sCase << ", " << szWhere;
        }
        const int32_t eEolCmd = (rRunOptions.uGiven & (1u << OPTV_EOL)) ? rRunOptions.eEol : EOL_KEEP;
        EXPECT_EQ(c.eEol, eEolCmd) << sCase;
        EXPECT_EQ(c.eEol, eEolFromFile) << sCase;
    }
}

// The letter case of keywords and the blank lines: --keyword-case (or --keyword_case) and
// --blank-lines on the command line and keyword_case and blank_lines in a settings file take the
// same values, and refuse the same.
TEST(OptionVocabulary, KeywordCaseAndBlankLines) {
    const struct {
        const char *szName;  // as a settings file writes it
        const char *szValue;
        bool bOk;
        int32_t iWant;
    } arCases[] = {
        {"keyword_case", "keep", true, KWCASE_KEEP}, {"keyword_case", "upper", true, KWCASE_UPPER},
        {"keyword_case", "LOWER", true, KWCASE_LOWER}, {"keyword_case", "Upper", true, KWCASE_UPPER},
        {"keyword_case", "caps", false, KWCASE_KEEP}, {"keyword_case", "up", false, KWCASE_KEEP},
        {"keyword_case", "uppercase", false, KWCASE_KEEP}, {"keyword_case", "1", false, KWCASE_KEEP},
        {"blank_lines", "keep", true, 1}, {"blank_lines", "Drop", true, 0}, {"blank_lines", "one", false, 0},
        {"blank_lines", "1", false, 0}, {"blank_lines", "keeps", false, 0},
    };
    auto iValueOf = [](const char *szName, const StmtStyle &r) {
        return std::string(szName) == "keyword_case" ? r.eKeywordCase : static_cast<int32_t>(r.bKeepBlankLines);
    };
    for (const auto &c : arCases) {
        std::string sDashed = c.szName;
        for (char &ch : sDashed) ch = ch == '_' ? '-' : ch;
        std::string sCapital = sDashed;
        sCapital[0] = static_cast<char>(sCapital[0] - 0x20);
        for (const std::string &sForm : {"--" + sDashed + "=", "--" + std::string(c.szName) + "=", "--" + sCapital + "="}) {
            const std::string sArg = sForm + c.szValue;
            Parsed r = rParse({sArg});
            EXPECT_EQ(c.bOk ? "" : sBad(sArg), r.sMsgs) << sArg;
            EXPECT_EQ(c.bOk ? 0 : 1, r.iBadOpts) << sArg;
            EXPECT_EQ(c.iWant, iValueOf(c.szName, r.style)) << sArg;
        }
        OptValues rSet{};
        ConfigError rErr{};
        const std::string sText = "indent_width = 2\n" + std::string(c.szName) + " = " + c.szValue + "  # team\n";
        EXPECT_EQ(c.bOk ? RC_OK : RC_CONFIG, rcParseConfig(sText.data(), sText.size(), &rSet, &rErr)) << sText;
        if (!c.bOk) {
            EXPECT_EQ(2, rErr.iLine) << sText;
            EXPECT_STREQ("bad value", rErr.szReason) << sText;
            continue;
        }
        StmtStyle rFromFile;
        vDefaultStmtStyle(&rFromFile);
        int32_t eEol = EOL_KEEP;
        vApplyOptValues(&rSet, ~0u, &rFromFile, &eEol);
        EXPECT_EQ(c.iWant, iValueOf(c.szName, rFromFile)) << sText;
    }
    for (const char *szName : {"--keyword-case", "--blank-lines"}) {
        // Without a value, or as a bare flag.
        EXPECT_EQ(sBad(std::string(szName) + "="), rParse({std::string(szName) + "="}).sMsgs) << szName;
        EXPECT_EQ(sWarn(szName), rParse({szName}).sMsgs) << szName;
        // A settings file names it as it names the others, with "_".
        OptValues rSet{};
        ConfigError rErr{};
        const std::string sText = std::string(szName + 2) + " = keep\n";
        EXPECT_EQ(RC_CONFIG, rcParseConfig(sText.data(), sText.size(), &rSet, &rErr)) << szName;
        EXPECT_STREQ("unknown option", rErr.szReason) << szName;
    }
}

TEST(ParseArgs, SortByBytesWithPrefixesFirst) {
    std::vector<std::string> as = {"b.sql", "-r", "a.sql", "--help", "-i4", "a", "\xe0x", "Z"};
    std::vector<char *> ap;
    for (std::string &s : as) ap.push_back(&s[0]);
    vSortPrefix(ap.data(), static_cast<int32_t>(ap.size()));
    EXPECT_EQ((std::vector<std::string>{"--help", "-i4", "-r", "Z", "a", "a.sql", "b.sql", "\xe0x"}),
              std::vector<std::string>(ap.begin(), ap.end()));
}

// Every message's bytes are the Shift_JIS form of its readable text.
TEST(Messages, CatalogueBytesAreTheReadableTexts) {
    ASSERT_GT(nMsgTexts, 40);
    for (int i = 0; i < nMsgTexts; ++i)
        EXPECT_EQ(sSjis(arMsgTexts[i].szUtf8), *arMsgTexts[i].pszMsg) << arMsgTexts[i].szUtf8;
}

// A UTF-8 terminal is shown each message's readable text as it is: the system's conversion of
// the message's bytes gives the same text.
TEST(Messages, ReadableTextsAreTheBytesInUtf8) {
    if (!bPlatUtf8Codeset("UTF-8")) GTEST_SKIP() << "messages stay Shift_JIS here";
    for (int i = 0; i < nMsgTexts; ++i) {
        const std::string sBytes = sSjis(arMsgTexts[i].szUtf8);
        std::string sOut(nPlatConvBoundToCodeset(sBytes.size()) + 1, '\0');
        size_t nOut = 0;
        ASSERT_EQ(0, iPlatConvertToCodeset("UTF-8", sBytes.data(), sBytes.size(), &sOut[0], sOut.size(), &nOut))
            << arMsgTexts[i].szUtf8;
        sOut.resize(nOut);
        EXPECT_EQ(arMsgTexts[i].szUtf8, sOut);
    }
}

TEST(Messages, ConsoleWritesCrLf) {
    ConsoleCapture cap;
    iConPrintf("a\nb%s\n", "\n");
    const std::string sLong(3000, 'x');
    iConPrintf("%s\n", sLong.c_str());  // longer than the formatting buffer
    EXPECT_EQ("a\r\nb\r\n\r\n" + sLong + "\r\n", cap.sText());
}

TEST(Runtime, NumbersInGroupsOfThree) {
    const struct { int64_t v; const char *szWant; } arCases[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {-1234, "-1,234"}, {1234567, "1,234,567"},
        {INT64_MIN, "-9,223,372,036,854,775,808"}};
    for (const auto &c : arCases) EXPECT_STREQ(c.szWant, szFmtNum(c.v, 3)) << c.v;
}

// A stop without a start is refused with its message, whatever the clock.
TEST(Runtime, TimerStopWithoutStartIsRefused) {
    tTmStats *p = nullptr;
    ScopeExit free([&] { rcTmFinal(&p); });
    ASSERT_EQ(RC_OK, rcTmInitial(&p, 2));
    ConsoleCapture cap;
    EXPECT_EQ(RC_TMSTATS, rcTmStop(p, 1));
    const std::string sTid = std::to_string(uPlatThreadId());
    EXPECT_EQ(sSjis("Error - 呼び出しが rcOnRepThrStart と対になっていません。Term=1 Tid=" + sTid + " Cnt=0 \n") +
                  sTrail("rcOnRepThrStop", ".\\tTmStats", 247) + sTrail("rcMergeIntoVector", ".\\cVector", 731) +
                  sTrail("rcTmStop", ".\\tTmStats", 428),
              cap.sLines());
}

// Which paths name their place from a root: those the formatter's dump file takes as they are.
TEST(PlatPaths, AbsolutePaths) {
    const struct { const char *szPath; bool bPosix, bWindows; } arCases[] = {
        {"/tmp/dump.sql", true, true},   {"dump.sql", false, false},     {"./dump.sql", false, false},
        {"../dump.sql", false, false},   {"C:\\tmp\\dump.sql", false, true}, {"c:/tmp/dump.sql", false, true},
        {"C:dump.sql", false, true},     {"\\tmp\\dump.sql", false, true}, {"\\\\server\\share\\d.sql", false, true},
        {"//server/share/d.sql", true, true}, {"1:dump.sql", false, false},
    };
#ifdef _WIN32
    const bool bWindows = true;
#else
    const bool bWindows = false;
#endif
    for (const auto &c : arCases) EXPECT_EQ(bWindows ? c.bWindows : c.bPosix, bPlatAbsolutePath(c.szPath)) << c.szPath;
}

// A dump file named like a settings file is refused in every run mode: the run reads such files
// above every text.
TEST(DumpName, NamedLikeASettingsFile) {
    const struct { const char *szValue; int rc; } arCases[] = {
        {".quorva", RC_USAGE}, {"sub/.quorva", RC_USAGE}, {"x.quorva", RC_OK}, {".quorva.sql", RC_OK}, {"", RC_OK},
    };
    for (const auto &c : arCases) {
#ifdef _WIN32
        _putenv_s("STMTORGFNM", c.szValue);
#else
        setenv("STMTORGFNM", c.szValue, 1);
#endif
        ConsoleCapture cap;
        EXPECT_EQ(c.rc, rcCheckDumpName(true)) << c.szValue;
        EXPECT_EQ(c.rc == RC_OK ? ""
                                : sSjis(std::string("Error - 環境変数 STMTORGFNM のファイル ") + c.szValue +
                                        " は設定ファイルと同じ名前です。別のファイルを指定して下さい。\n") +
                                      sTrail("rcCheckDumpName", "..\\share\\rcDumpName", 72),
                  cap.sLines())
            << c.szValue;
    }
#ifdef _WIN32
    _putenv_s("STMTORGFNM", "");
#else
    unsetenv("STMTORGFNM");
#endif
}
