// The corpus of PL/SQL units written for quorva's tests (tests/data/units): under three option
// sets every file formats, formatting it again gives the same bytes, formatting the output again
// changes nothing, and the output keeps the literals and comments, the tokens and the statement
// ends of the input.
#include <cstdio>
#include <string>

#include "formatter/rcFmtLex.h"
#include "formatter/rcFmtStmt.h"
#include "fmtPromises.h"
#include "plat/platConv.h"
#include "unitHelpers.h"

namespace {
// An option set: a null indentation or a zero count keeps the default.
struct OptionSet {
    const char *szName;
    const char *szIndent;
    int32_t iNumComma, iPartSize;
};
const OptionSet arOptionSets[] = {
    {"defaults", nullptr, 0, 0},
    {"-i4", "    ", 0, 0},
    {"-c3 -s20", nullptr, 3, 20},
};

struct UnitRun {
    int rc;
    std::string sOut;      // the formatted text, when rc is RC_OK
    std::string sConsole;  // what the formatter wrote to console, LF line ends
};

UnitRun rFormatUnit(const std::string &sIn, const OptionSet &o) {
    StmtStyle style;
    vDefaultStmtStyle(&style);
    if (o.szIndent != nullptr) std::snprintf(style.szIndent, sizeof style.szIndent, "%s", o.szIndent);
    if (o.iNumComma != 0) style.iNumComma = o.iNumComma;
    if (o.iPartSize != 0) style.iPartSize = o.iPartSize;
    char *szFmt = nullptr;
    ConsoleCapture cap;
    UnitRun r{rcFmtStmtLen(sIn.data(), sIn.size(), &szFmt, &style), "", ""};
    if (r.rc == RC_OK) r.sOut.assign(szFmt, static_cast<size_t>(style.iFmtLen));
    vFree(szFmt);
    r.sConsole = cap.sLines();
    return r;
}

// The first line of what a refusal wrote, as UTF-8 (the messages are Shift_JIS), for a
// failure's message.
std::string sFirstLine(const std::string &sConsole) {
    const std::string s = sConsole.substr(0, sConsole.find('\n'));
    std::string u(nPlatConvBound(CS_CP932, CS_UTF8, s.size()) + 1, '\0');
    size_t n = 0;
    if (iPlatConvert(CS_CP932, CS_UTF8, s.data(), s.size(), &u[0], u.size(), &n) != 0) return s;
    u.resize(n);
    return u;
}

// The text around offset i of s, for a failure's message.
std::string sNear(const std::string &s, size_t i) { return s.substr(i - std::min<size_t>(i, 40), 80); }

// The directory of the unit corpus.
fs::path unitCorpusDir() { return fs::path(QUORVA_TEST_DATA) / "units"; }

std::vector<fs::path> vUnitFiles() {
    std::vector<fs::path> v;
    std::error_code ec;
    for (auto it = fs::directory_iterator(unitCorpusDir(), ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        if (it->is_regular_file()) v.push_back(it->path());
    std::sort(v.begin(), v.end());
    return v;
}
}  // namespace

TEST(UnitCorpus, EveryUnitFormatsAndKeepsItsTokensLiteralsAndStatements) {
    int nFiles = 0, nFormatted = 0;
    for (const fs::path &p : vUnitFiles()) {
        ++nFiles;
        const std::string sIn = sFromCrLf(sReadBytes(p));
        const bool bUtf8 = bValidUtf8(sIn.data(), sIn.size());
        for (const OptionSet &o : arOptionSets) {
            const std::string sWhat = p.filename().string() + " under " + o.szName;
            const UnitRun r = rFormatUnit(sIn, o);
            EXPECT_EQ(RC_OK, r.rc) << sWhat << ": refused (" << r.rc << "): " << sFirstLine(r.sConsole);
            if (r.rc != RC_OK) continue;
            ++nFormatted;
            EXPECT_EQ("", r.sConsole) << sWhat << ": a formatted text writes nothing to console";
            const UnitRun rAgain = rFormatUnit(sIn, o);
            EXPECT_TRUE(rAgain.rc == RC_OK && rAgain.sOut == r.sOut) << sWhat << ": formatting twice differs";
            EXPECT_TRUE(sInk(sIn, true) == sInk(r.sOut, true)) << sWhat << ": the non-white bytes differ";
            const size_t iJoined = iJoinedAt(sIn, r.sOut, true);
            EXPECT_EQ(std::string::npos, iJoined) << sWhat << ": words joined near " << sNear(r.sOut, iJoined);
            EXPECT_TRUE(vsLiterals(sIn, ENC_AUTO, true) == vsLiterals(r.sOut, ENC_AUTO, true))
                << sWhat << ": a literal or a comment changed";
            EXPECT_TRUE(vsTokens(sIn, ENC_AUTO) == vsTokens(r.sOut, ENC_AUTO)) << sWhat << ": a token split or joined";
            EXPECT_EQ(nStatementsIn(sIn, ENC_AUTO), nStatementsIn(r.sOut, ENC_AUTO)) << sWhat << ": statements counted";
            const size_t iEmpty = iEmptyLineAt(r.sOut, ENC_AUTO);
            EXPECT_EQ(std::string::npos, iEmpty) << sWhat << ": an empty line near " << sNear(r.sOut, iEmpty);
            EXPECT_TRUE(!bUtf8 || bValidUtf8(r.sOut.data(), r.sOut.size())) << sWhat << ": no longer UTF-8";
            const UnitRun rOut = rFormatUnit(r.sOut, o);
            EXPECT_EQ(RC_OK, rOut.rc) << sWhat << ": its output is refused: " << sFirstLine(rOut.sConsole);
            EXPECT_TRUE(rOut.sOut == r.sOut) << sWhat << ": a second run over the output changes it";
        }
    }
    std::printf("unit corpus: %d files, %d formatted under %zu option sets\n", nFiles, nFormatted, std::size(arOptionSets));
    EXPECT_GE(nFiles, 30);
}
