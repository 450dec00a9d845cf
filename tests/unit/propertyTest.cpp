// Properties over every file of the corpus of real statements, reports and traces (tests/data,
// and the directory QUORVA_EXTRA_CORPUS names, if any): formatting keeps every non-white byte
// and never joins two words that white space separated, gives the same bytes every time, and
// file mode changes nothing outside the statements of a report or trace file.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "formatter/rcFmtStmt.h"
#include "modes/rcExtractStmt.h"
#include "fmtPromises.h"
#include "unitHelpers.h"

namespace {
std::vector<fs::path> vCorpusFiles() {
    std::vector<fs::path> v;
    std::vector<fs::path> vRoots{QUORVA_TEST_DATA};
    if (const char *sz = std::getenv("QUORVA_EXTRA_CORPUS")) vRoots.emplace_back(sz);
    for (const fs::path &root : vRoots) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            if (it->is_directory() && it->path().filename() == "licenses") it.disable_recursion_pending();
            if (!it->is_regular_file() || it->path().extension() == ".md") continue;
            // Files in UTF-16 are skipped until UTF-16 is read: as bytes they are no statement.
            std::string sHead = sReadBytes(it->path()).substr(0, 2);
            if (sHead == "\xFF\xFE" || sHead == "\xFE\xFF") continue;
            v.push_back(it->path());
        }
    }
    std::sort(v.begin(), v.end());
    return v;
}

// The file as the formatter gets it: CR LF read as LF; and the pieces between lines that hold
// only "/", as a script's statements.
std::vector<std::string> vsTexts(const std::string &sRaw) {
    std::string t = sFromCrLf(sRaw);
    std::vector<std::string> v{t};
    size_t iStart = 0, iLine = 0;
    while (iLine < t.size()) {
        size_t iEnd = std::min(t.find('\n', iLine), t.size());
        if (t.compare(iLine, iEnd - iLine, "/") == 0) {
            v.push_back(t.substr(iStart, iLine - iStart));
            iStart = iEnd + 1;
        }
        iLine = iEnd + 1;
    }
    if (v.size() > 1 && iStart < t.size()) v.push_back(t.substr(iStart));
    return v;
}

struct Formatted {
    int rc;
    std::string sOut;
};
Formatted rFormat(const std::string &sIn, const char *szIndent = "\t", int32_t iNumComma = 14, int32_t iPartSize = 50) {
    StmtStyle style;
    vDefaultStmtStyle(&style);
    std::snprintf(style.szIndent, sizeof style.szIndent, "%s", szIndent);
    style.iNumComma = iNumComma;
    style.iPartSize = iPartSize;
    char *szFmt = nullptr;
    ConsoleCapture cap;
    Formatted r{rcFmtStmt(sIn.c_str(), &szFmt, &style), ""};
    if (r.rc == RC_OK) r.sOut.assign(szFmt, static_cast<size_t>(style.iFmtLen));
    vFree(szFmt);
    return r;
}
}  // namespace

TEST(CorpusProperty, FormattingKeepsWordsAndIsDeterministic) {
    const struct { const char *szName, *szIndent; int32_t iNumComma, iPartSize; } arOptions[] = {
        {"defaults", "\t", 14, 50}, {"-i4", "    ", 14, 50}, {"-c3 -s20", "\t", 3, 20}};
    int nTexts = 0, nOk = 0;
    for (const fs::path &p : vCorpusFiles()) {
        std::string sRaw = sReadBytes(p);
        if (sRaw.find('\0') != std::string::npos) continue;  // file mode writes such a text unchanged
        std::vector<std::string> vs = vsTexts(sRaw);
        for (size_t iText = 0; iText < vs.size(); ++iText) {
            ++nTexts;
            for (const auto &o : arOptions) {
                const std::string sWhat = p.filename().string() + " text " + std::to_string(iText) + " " + o.szName;
                Formatted r = rFormat(vs[iText], o.szIndent, o.iNumComma, o.iPartSize);
                if (&o == arOptions) {
                    Formatted r2 = rFormat(vs[iText]);
                    EXPECT_TRUE(r.rc == r2.rc && r.sOut == r2.sOut) << sWhat << ": formatting twice differs";
                }
                if (r.rc != RC_OK) continue;
                ++nOk;
                EXPECT_TRUE(sInk(vs[iText], true) == sInk(r.sOut, true)) << sWhat << ": the non-white bytes differ";
                size_t i = iJoinedAt(vs[iText], r.sOut, true);
                EXPECT_EQ(std::string::npos, i)
                    << sWhat << ": words joined near " << r.sOut.substr(i - std::min<size_t>(i, 40), 80);
            }
        }
    }
    std::printf("corpus: %d texts, %d formatted under three option sets\n", nTexts, nOk);
    EXPECT_GT(nOk, 100);
}

namespace {
// The stand-in formatter of the first pass: the statement between two markers.
const std::string sOpen = "\x01<<", sClose = ">>\x01";
int rcMark(const char *szStmt, char **szStmtFmt, StmtStyle *rStmtStyle) {
    std::string s = sOpen + szStmt + sClose;
    *szStmtFmt = static_cast<char *>(pvAlloc(s.size() + 1));
    if (*szStmtFmt == nullptr) return RC_NOMEM;
    std::memcpy(*szStmtFmt, s.data(), s.size());
    rStmtStyle->iFmtLen = static_cast<int32_t>(s.size());
    return RC_OK;
}

// The extraction's output read back as text (CR LF as LF); "rc=N" when it failed.
std::string sExtract(const std::string &t, int32_t iDocType, PfnFmtStmt pfn) {
    FILE *fp = std::tmpfile();
    StmtStyle style;
    vDefaultStmtStyle(&style);
    int32_t iStmts = 0;
    int rc;
    {
        TextWriter out(fp);
        ConsoleCapture cap;
        rc = rcExtractStmts(t.c_str(), t.size(), iDocType, &out, "t", &style, &iStmts, pfn);
        EXPECT_TRUE(out.bFlush());
    }
    std::rewind(fp);
    std::string s;
    for (int c; (c = std::fgetc(fp)) != EOF;) s += static_cast<char>(c);
    std::fclose(fp);
    return rc == RC_OK ? sFromCrLf(s) : "rc=" + std::to_string(rc);
}
}  // namespace

TEST(CorpusProperty, FileModeKeepsEveryByteOutsideStatements) {
    int nDocs = 0, nStmts = 0;
    for (const fs::path &p : vCorpusFiles()) {
        FILE *fp = std::fopen(p.string().c_str(), "rb");
        ASSERT_NE(fp, nullptr);
        std::vector<char> vLineBuf(LINE_BUF_SIZE);
        int32_t iDocType = DOC_SCRIPT;
        {
            TextReader in(fp);
            ASSERT_EQ(rcIdentifyDocType(&in, vLineBuf.data(), &iDocType), RC_OK);
        }
        std::fclose(fp);
        if (iDocType == DOC_SCRIPT) continue;
        const std::string t = sFromCrLf(sReadBytes(p)), sWhat = p.filename().string();
        ++nDocs;
        // First pass: the statements marked. Without the markers the output is the input.
        const std::string sMarked = sExtract(t, iDocType, rcMark);
        std::string sBack, sExpected;
        int rcExpected = RC_OK;
        for (size_t i = 0; i < sMarked.size();) {
            size_t o = std::min(sMarked.find(sOpen, i), sMarked.size());
            sBack += sMarked.substr(i, o - i);
            sExpected += sMarked.substr(i, o - i);
            if (o == sMarked.size()) break;
            size_t c = sMarked.find(sClose, o);
            ASSERT_NE(c, std::string::npos) << sWhat;
            std::string sStmt = sMarked.substr(o + sOpen.size(), c - o - sOpen.size());
            sBack += sStmt;
            ++nStmts;
            // What the real formatter makes of the statement on its own.
            Formatted f = bKeepUnformatted(sStmt.data(), sStmt.size()) ? Formatted{RC_OK, sStmt} : rFormat(sStmt);
            if (rcExpected == RC_OK) rcExpected = f.rc;
            sExpected += f.sOut;
            i = c + sClose.size();
        }
        EXPECT_TRUE(sBack == t) << sWhat << ": bytes outside the statements changed";
        // Second pass: the real formatter; the text around the statements is the same.
        const std::string sReal = sExtract(t, iDocType, rcFmtStmt);
        EXPECT_TRUE(sReal == (rcExpected == RC_OK ? sExpected : "rc=" + std::to_string(rcExpected))) << sWhat;
    }
    std::printf("corpus: %d reports and traces, %d statements\n", nDocs, nStmts);
    EXPECT_GT(nDocs, 3);
}
