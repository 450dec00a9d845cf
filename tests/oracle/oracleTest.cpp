// The formatter against its oracle, the engine as it was frozen in tests/oracle/engine: on every
// file of the test data and of QUORVA_EXTRA_CORPUS, on the fuzz targets' seeds and on token soups,
// under each set of options, both must give the same result code, the same bytes and the same
// console text (every other input given to the formatter in a block of its own, as console mode
// gives it). A difference fails the test with both results and leaves the input in
// oracle-diffs/ of the build directory: QUORVA_EXTRA_CORPUS=<that directory> runs it again.
//
// QUORVA_ORACLE_SOUPS sets the number of soups per set of options (100000, or 5000 in a sanitized
// build, by default), QUORVA_ORACLE_SEED their seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "driver/quorva.h"
#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtStmt.h"
#include "formatter/rcFmtTokens.h"
#include "modes/rcTextCodec.h"
#include "runtime/psGlobals.h"
#include "tests/fmtPromises.h"
#include "oracleCompare.h"
#include "oracleSoup.h"
#include "tests/oracle/engine/rcFmtStmt.h"
#include "tests/oracle/engine/rcFmtTokens.h"

namespace fs = std::filesystem;

namespace {
const int MAX_DIFFS = 3;  // differences reported per input group and set of options
const uint64_t DEFAULT_SEED = 20260107;

// A set of options as the command line gives it; bCrLf is console mode's choice (--eol, or the
// input's line ends), not an option of the layout record.
struct OptionSet {
    const char *szName;  // for the test's name
    const char *szArgs;  // the command line's options, blank-separated
    bool bCrLf;
};
const OptionSet arOptionSets[] = {
    {"defaults", "", false}, {"i4", "-i4", false}, {"c3_s20", "-c3 -s20", false},
    {"j", "-j", false},      {"crlf", "", true},
    {"upper_blank", "--keyword-case=upper --blank-lines=keep", false},
};

// The layout record that the options give: the defaults, then the options read as the driver reads them.
StmtStyle rStyleOf(const OptionSet &o) {
    StmtStyle r;
    vDefaultStmtStyle(&r);
    std::vector<std::string> vsArgs;
    for (size_t i = 0, j; o.szArgs[i] != '\0'; i = j) {
        j = i;
        while (o.szArgs[j] != '\0' && o.szArgs[j] != ' ') ++j;
        vsArgs.emplace_back(o.szArgs + i, j - i);
        while (o.szArgs[j] == ' ') ++j;
    }
    std::vector<char *> vszArgv;
    for (std::string &s : vsArgs) vszArgv.push_back(&s[0]);
    int32_t nOpts = 0, iRecurse = 0, iStdio = 0, nBad = 0;
    rcParseArgs(static_cast<int32_t>(vszArgv.size()), vszArgv.data(), &nOpts, &iRecurse, &iStdio, &r, &nBad);
    r.bCrLf = o.bCrLf;
    return r;
}

std::string sOptionsOf(const OptionSet &o) {
    std::string s = *o.szArgs != '\0' ? o.szArgs : "defaults";
    return o.bCrLf ? s + ", CR LF line ends" : s;
}
void PrintTo(const OptionSet &o, std::ostream *os) { *os << sOptionsOf(o); }

uint64_t uEnvNumber(const char *szName, uint64_t uDefault) {
    const char *sz = std::getenv(szName);
    return sz != nullptr && *sz != '\0' ? std::strtoull(sz, nullptr, 10) : uDefault;
}

std::string sReadFile(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file under root, in the order of their names.
std::vector<fs::path> vFilesUnder(const fs::path &root) {
    std::vector<fs::path> v;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_regular_file()) v.push_back(it->path());
    std::sort(v.begin(), v.end());
    return v;
}

// The formatter as console mode calls it: given the block the text was read into (with room
// after it, as a read leaves it), which it works in and frees.
int rcFmtInGivenBlock(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    const size_t nCap = nStmt + 1 + nStmt % 7;
    HeapPtr<char> sp(static_cast<char *>(pvAlloc(nCap)));
    if (sp == nullptr) return RC_NOMEM;
    std::memcpy(sp.get(), pStmt, nStmt);
    sp.get()[nStmt] = '\0';
    return rcFmtStmtTake(std::move(sp), nStmt, nCap, szStmtFmt, rStmtStyle);
}

// The comparisons of one input group under one set of options: the test fails on each
// difference, up to MAX_DIFFS of them, and each input that showed one is saved.
class OracleGroup {
  public:
    explicit OracleGroup(const OptionSet &o) : sOptions_(sOptionsOf(o)), rStyle_(rStyleOf(o)) {}

    bool bDone() const { return nDiffs_ >= MAX_DIFFS; }
    size_t nRuns() const { return nRuns_; }
    // The formatter's text in the last comparison.
    const std::string &sLastOut() const { return runner_.sLastOut(); }

    // Compares the engines on sIn, read in eEncoding (the options' own when ENC_AUTO). True when
    // the formatter took the text.
    bool bCheck(const std::string &sWhere, const std::string &sIn, int32_t eEncoding = ENC_AUTO) {
        if (bDone()) return false;
        StmtStyle style = rStyle_;
        if (eEncoding != ENC_AUTO) style.iEncoding = eEncoding;
        ++nRuns_;
        // Every other input reaches the formatter as console mode hands it over.
        const std::string sReport = runner_.sCompare(nRuns_ % 2 == 0 ? rcFmtStmtLen : rcFmtInGivenBlock,
                                                     oracle::rcFmtStmtLen, sIn, style, sOptions_.c_str());
        if (sReport.empty()) return runner_.rcLast() == RC_OK;
        ++nDiffs_;
        ADD_FAILURE() << sWhere << ": " << sReport << "input saved as " << sSave(sIn) << " (read in encoding "
                      << style.iEncoding << ")"
                      << (bDone() ? "\n(no more differences are reported for this group)" : "");
        return false;
    }

    // A file's bytes as they are, and as console mode hands them over when that differs: UTF-16
    // as UTF-8, and the encoding decided before the formatter is called.
    void vCheckFile(const fs::path &p) {
        const std::string sRaw = sReadFile(p);
        bCheck(p.string(), sRaw);
        TextForm rForm;
        char *pOwn = nullptr;
        size_t nText = 0;
        FILE *pOld = console;
        console = std::tmpfile();  // a UTF-32 or broken UTF-16 file is refused with a message
        const int rc = rcTextOfStored(sRaw.data(), sRaw.size(), rStyle_.iEncoding, p.string().c_str(), &rForm,
                                      &pOwn, &nText);
        if (console != nullptr) std::fclose(console);
        console = pOld;
        if (rc == RC_OK && (pOwn != nullptr || rForm.eEncoding != rStyle_.iEncoding))
            bCheck(p.string() + " (as console mode reads it)", pOwn != nullptr ? std::string(pOwn, nText) : sRaw,
                   rForm.eEncoding);
        vFree(pOwn);
    }

  private:
    // Writes the input to oracle-diffs/oracle-diff-N.sql of the build directory; returns its name.
    static std::string sSave(const std::string &sIn) {
        static int nSaved = 0;
        const fs::path dir = fs::path(QUORVA_ORACLE_DIFF_DIR);
        std::error_code ec;
        fs::create_directories(dir, ec);
        const fs::path p = dir / ("oracle-diff-" + std::to_string(++nSaved) + ".sql");
        std::ofstream(p, std::ios::binary) << sIn;
        return p.string();
    }

    const std::string sOptions_;
    const StmtStyle rStyle_;
    EngineRunner runner_;
    int nDiffs_ = 0;
    size_t nRuns_ = 0;
};

class OracleTest : public ::testing::TestWithParam<OptionSet> {};

TEST_P(OracleTest, TestData) {
    OracleGroup group(GetParam());
    for (const fs::path &p : vFilesUnder(QUORVA_TEST_DATA)) group.vCheckFile(p);
    EXPECT_GT(group.nRuns(), 100u) << "the test data is missing";
}

TEST_P(OracleTest, ExtraCorpus) {
    const char *szDir = std::getenv("QUORVA_EXTRA_CORPUS");
    if (szDir == nullptr || *szDir == '\0') GTEST_SKIP() << "QUORVA_EXTRA_CORPUS is not set";
    OracleGroup group(GetParam());
    for (const fs::path &p : vFilesUnder(szDir)) group.vCheckFile(p);
    EXPECT_GT(group.nRuns(), 0u) << "no file under " << szDir;
}

// The seeds of the fuzz targets that feed whole texts (fuzz/seeds.py, run by the build): the
// statements of the test data cut at their "/" lines, windows of its reports and traces, and the
// texts of the unit tests. The targets' leading bytes that choose options are dropped.
TEST_P(OracleTest, FuzzSeeds) {
    const struct { const char *szTarget; size_t nOptionBytes; } arTargets[] = {
        {"fuzzFmtStmt", 0}, {"fuzzExtract", 1}, {"fuzzReplaceStr", 0}};
    const fs::path root = QUORVA_ORACLE_SEEDS;
    if (root.empty() || !fs::is_directory(root)) GTEST_SKIP() << "no seeds: the build found no Python";
    std::set<std::string> seen;
    OracleGroup group(GetParam());
    for (const auto &t : arTargets) {
        for (const fs::path &p : vFilesUnder(root / t.szTarget)) {
            const std::string s = sReadFile(p);
            if (s.size() >= t.nOptionBytes && seen.insert(s.substr(t.nOptionBytes)).second)
                group.bCheck(p.string(), s.substr(t.nOptionBytes));
        }
    }
    EXPECT_GT(group.nRuns(), 100u) << "too few seeds in " << root;
}

TEST_P(OracleTest, TokenSoups) {
    const uint64_t nSoups = uEnvNumber("QUORVA_ORACLE_SOUPS", QUORVA_ORACLE_SOUPS_DEFAULT);
    const uint64_t uSeed = uEnvNumber("QUORVA_ORACLE_SEED", DEFAULT_SEED);
    // Each set of options has soups of its own.
    uint64_t iSet = 0;
    while (std::string(arOptionSets[iSet].szName) != GetParam().szName) ++iSet;
    SoupMaker maker(uSeed * 0x100000001B3ull + iSet);
    OracleGroup group(GetParam());
    const StmtStyle rStyle = rStyleOf(GetParam());
    const bool bJoin = rStyle.iJoinAt != 0;  // joining's output is another text
    // The letter case of keywords changes letters: then words and code are read in capitals.
    auto fold = [bCase = rStyle.eKeywordCase != KWCASE_KEEP](std::string s) {
        if (bCase)
            for (char &c : s) c = static_cast<char>(iFold(c));
        return s;
    };
    size_t nFormatted = 0, nLost = 0;
    for (uint64_t i = 0; i < nSoups && !group.bDone(); ++i) {
        const Soup soup = maker.rNext();
        const std::string sWhere = "soup " + std::to_string(i) + " of seed " + std::to_string(uSeed);
        if (!group.bCheck(sWhere, soup.sText, soup.iEncoding)) continue;
        ++nFormatted;
        // Whatever both engines do, the soup's data stays: no word in the output that the soup
        // lacks (a comment that moves takes none along), its literals and line comments byte for
        // byte, its code in its order and out of comments.
        const std::string &sOut = group.sLastOut();
        if (bJoin || nLost >= MAX_DIFFS) continue;
        const char *szLost = iJoinedAt(fold(soup.sText), fold(sOut), true) != std::string::npos ? "a word the input lacks"
                             : !bDataKept(soup.sText, sOut, soup.iEncoding)    ? "a literal or a line comment changed"
                             : fold(sCodeInk(soup.sText, soup.iEncoding)) != fold(sCodeInk(sOut, soup.iEncoding))
                                 ? "the code outside comments changed"
                                 : nullptr;
        if (szLost == nullptr) continue;
        ++nLost;
        ADD_FAILURE() << sWhere << ": " << szLost << "\ninput:\n" << sCString(soup.sText) << "\noutput:\n"
                      << sCString(sOut);
    }
    std::printf("[  soups   ] %zu of seed %llu, %zu of them formatted, the others refused\n", group.nRuns(),
                static_cast<unsigned long long>(uSeed), nFormatted);
    // Soups that the formatter refused all would compare little but its messages.
    if (!group.bDone() && group.nRuns() >= 100) {
        EXPECT_GT(nFormatted, group.nRuns() / 4);
    }
}

INSTANTIATE_TEST_SUITE_P(Options, OracleTest, ::testing::ValuesIn(arOptionSets),
                         [](const ::testing::TestParamInfo<OptionSet> &info) { return std::string(info.param.szName); });

// The token reader against the oracle's: on the same text, in every grain and in each encoding,
// both must cut the same tokens (offset, length, kind, word of the table, flags). Each text lies
// in a block of its own size, so that a sanitized build sees a read past its end.
class TokenGroup {
  public:
    bool bDone() const { return nDiffs_ >= MAX_DIFFS; }
    size_t nRuns() const { return nRuns_; }

    void vCheck(const std::string &sWhere, const std::string &sIn) {
        const std::vector<char> vText(sIn.begin(), sIn.end());
        const int32_t eFound = eDetectEncoding(vText.data(), vText.size());
        for (int32_t eEnc : {eFound, int32_t{ENC_SJIS}, int32_t{ENC_UTF8}, int32_t{ENC_LATIN1}}) {
            for (ReadGrain eGrain : {GRAIN_TOKENS, GRAIN_SCRIPT, GRAIN_STATEMENTS}) {
                if (bDone()) return;
                ++nRuns_;
                const std::string sDiff = sFirstDifference(vText, eEnc, eGrain);
                if (sDiff.empty()) continue;
                ++nDiffs_;
                ADD_FAILURE() << sWhere << " (encoding " << eEnc << ", grain " << static_cast<int>(eGrain)
                              << "): " << sDiff << "\ninput: " << sCString(sIn, 0, 2000);
            }
        }
    }

  private:
    static std::string sFirstDifference(const std::vector<char> &vText, int32_t eEnc, ReadGrain eGrain) {
        TokenReader rNew(vText.data(), vText.size(), rTextEnc(eEnc), eGrain);
        oracle::TokenReader rOld(vText.data(), vText.size(), oracle::rTextEnc(eEnc),
                                 static_cast<oracle::ReadGrain>(eGrain));
        // Read for the script's sake, a statement shows what may end it or hide its end: the
        // reader passes over more of it than the oracle did, which read the words, operators and
        // other punctuation of some lines too.
        const auto bShown = [eGrain, &vText](size_t iOff, int eKind) {
            return eGrain != GRAIN_SCRIPT || (eKind != TK_WORD && eKind != TK_NUMBER && eKind != TK_OPERATOR &&
                                              eKind != TK_CHAR && (eKind != TK_PUNCT || vText[iOff] == ';'));
        };
        for (size_t i = 0;; ++i) {
            Token a{};
            oracle::Token b{};
            bool bNew = rNew.bNext(&a), bOld = rOld.bNext(&b);
            while (bNew && !bShown(a.iOff, a.eKind)) bNew = rNew.bNext(&a);
            while (bOld && !bShown(b.iOff, b.eKind)) bOld = rOld.bNext(&b);
            if (!bNew && !bOld) return "";
            if (bNew == bOld && a.iOff == b.iOff && a.nLen == b.nLen && a.eKind == b.eKind &&
                static_cast<int>(a.eWord) == static_cast<int>(b.eWord) && a.uFlags == b.uFlags)
                continue;
            const auto sTok = [&vText](bool bAny, size_t iOff, size_t nLen, int eKind, int eWord, int uFlags) {
                if (!bAny) return std::string("none (the text ended)");
                return "kind " + std::to_string(eKind) + ", word " + std::to_string(eWord) + ", flags " +
                       std::to_string(uFlags) + ", at " + std::to_string(iOff) + ": " +
                       sCString(std::string(vText.data() + iOff, nLen), 0, 200);
            };
            return "token " + std::to_string(i) + " differs\n  reader: " +
                   sTok(bNew, a.iOff, a.nLen, a.eKind, a.eWord, a.uFlags) + "\n  oracle: " +
                   sTok(bOld, b.iOff, b.nLen, b.eKind, b.eWord, b.uFlags);
        }
    }

    int nDiffs_ = 0;
    size_t nRuns_ = 0;
};

TEST(OracleTokens, TestData) {
    TokenGroup group;
    for (const fs::path &p : vFilesUnder(QUORVA_TEST_DATA)) group.vCheck(p.string(), sReadFile(p));
    EXPECT_GT(group.nRuns(), 100u) << "the test data is missing";
}

TEST(OracleTokens, ExtraCorpus) {
    const char *szDir = std::getenv("QUORVA_EXTRA_CORPUS");
    if (szDir == nullptr || *szDir == '\0') GTEST_SKIP() << "QUORVA_EXTRA_CORPUS is not set";
    TokenGroup group;
    for (const fs::path &p : vFilesUnder(szDir)) group.vCheck(p.string(), sReadFile(p));
    EXPECT_GT(group.nRuns(), 0u) << "no file under " << szDir;
}

TEST(OracleTokens, FuzzSeedsAndSoups) {
    TokenGroup group;
    const fs::path root = QUORVA_ORACLE_SEEDS;
    if (!root.empty() && fs::is_directory(root))
        for (const fs::path &p : vFilesUnder(root)) group.vCheck(p.string(), sReadFile(p));
    const uint64_t nSoups = uEnvNumber("QUORVA_ORACLE_SOUPS", QUORVA_ORACLE_SOUPS_DEFAULT);
    const uint64_t uSeed = uEnvNumber("QUORVA_ORACLE_SEED", DEFAULT_SEED);
    SoupMaker maker(uSeed ^ 0x746F6B656E73ull);  // soups of their own
    for (uint64_t i = 0; i < nSoups && !group.bDone(); ++i)
        group.vCheck("soup " + std::to_string(i) + " of seed " + std::to_string(uSeed), maker.rNext().sText);
    EXPECT_GT(group.nRuns(), nSoups);
}

// The sets of options are what their names say: the command line maps onto the record as the
// program maps it.
TEST(OracleOptionSets, AreWhatTheCommandLineGives) {
    const struct { const char *szArgs; const char *szIndent; int32_t iNumComma, iPartSize, iJoinAt; } arCases[] = {
        {"", "\t", 14, 50, 0}, {"-i4", "    ", 14, 50, 0}, {"-c3 -s20", "\t", 3, 20, 0}, {"-j", "\t", 14, 50, 256}};
    for (const auto &c : arCases) {
        const StmtStyle r = rStyleOf(OptionSet{"", c.szArgs, false});
        EXPECT_STREQ(c.szIndent, r.szIndent) << c.szArgs;
        EXPECT_EQ(c.iNumComma, r.iNumComma) << c.szArgs;
        EXPECT_EQ(c.iPartSize, r.iPartSize) << c.szArgs;
        EXPECT_EQ(c.iJoinAt, r.iJoinAt) << c.szArgs;
        EXPECT_EQ(ENC_AUTO, r.iEncoding) << c.szArgs;
        EXPECT_FALSE(r.bCrLf) << c.szArgs;
        EXPECT_EQ(KWCASE_KEEP, r.eKeywordCase) << c.szArgs;
        EXPECT_FALSE(r.bKeepBlankLines) << c.szArgs;
    }
    const StmtStyle r = rStyleOf(OptionSet{"", "--keyword-case=upper --blank-lines=keep", false});
    EXPECT_EQ(KWCASE_UPPER, r.eKeywordCase);
    EXPECT_TRUE(r.bKeepBlankLines);
}

// The comparison sees a fault: a stand-in for the formatter that is the real one but for one
// thing on one text.
enum Fault { FAULT_BYTE, FAULT_LENGTH, FAULT_RC, FAULT_SITE, FAULT_CONSOLE };
Fault eFault;
const char *szFaultText;

int rcFmtWithFault(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    int rc = rcFmtStmtLen(pStmt, nStmt, szStmtFmt, rStmtStyle);
    if (std::string(pStmt, nStmt) != szFaultText) return rc;
    switch (eFault) {
    case FAULT_BYTE:
        if (rc == RC_OK) (*szStmtFmt)[rStmtStyle->iFmtLen / 2] ^= 0x20;
        break;
    case FAULT_LENGTH:
        if (rc == RC_OK) rStmtStyle->iFmtLen -= 1;
        break;
    case FAULT_RC: rc = RC_MAXIDT; break;
    case FAULT_SITE: ++iLastErrLine; break;
    case FAULT_CONSOLE: iConPrintf("\n"); break;
    }
    return rc;
}

TEST(OracleComparison, SeesAFault) {
    const struct { Fault eFault; const char *szIn, *szWhat; } arCases[] = {
        {FAULT_BYTE, "select a, b from t where c = 1", "output at byte"},
        {FAULT_LENGTH, "begin null; end;", "formatted length"},
        {FAULT_RC, "select (a from t", "result code"},
        {FAULT_SITE, "select 'a", "failure site"},
        {FAULT_CONSOLE, "select (a from t", "console text at byte"},
    };
    StmtStyle style;
    vDefaultStmtStyle(&style);
    EngineRunner runner;
    for (const auto &c : arCases) {
        eFault = c.eFault;
        szFaultText = c.szIn;
        const std::string sReport = runner.sCompare(rcFmtWithFault, oracle::rcFmtStmtLen, c.szIn, style, "defaults");
        EXPECT_NE(std::string::npos, sReport.find("differ in the " + std::string(c.szWhat))) << c.szIn << "\n" << sReport;
        EXPECT_NE(std::string::npos, sReport.find(sCString(c.szIn))) << sReport;
        // Any other text, and the same text without the fault, compare equal.
        EXPECT_EQ("", runner.sCompare(rcFmtWithFault, oracle::rcFmtStmtLen, "select x from y", style, "defaults"));
        EXPECT_EQ("", runner.sCompare(rcFmtStmtLen, oracle::rcFmtStmtLen, c.szIn, style, "defaults"));
    }
}

// Reports show any byte, and what follows an escape cannot be read as part of it.
TEST(OracleComparison, ShowsBytesAsCStrings) {
    const struct { std::string sIn; const char *szOut; } arCases[] = {
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"x\ny\r\n", "\"x\\n\"\n\"y\\r\\n\""},
        {std::string("\0" "1\t\x81\x5C", 5), "\"\\0001\\t\\201\\\\\""},
        {"", "\"\""},
    };
    for (const auto &c : arCases) EXPECT_EQ(c.szOut, sCString(c.sIn));
    EXPECT_EQ("\"cd\" (bytes 2 to 4 of 6)", sCString("abcdef", 2, 2));
}
}  // namespace
