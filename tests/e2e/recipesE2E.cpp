// The README's pipe and editor recipes, run as the README writes them: each "$ command" of an
// sh block, with the lines after it as its standard output, in a directory that holds the
// files the README shows (a block whose language is followed by a file name, "```sql
// install.sql"); and each vim command of the README, in a real vim. POSIX shells and vim only:
// the Windows build runs the same behaviour through its own tests.
#include "e2eHarness.h"

#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {
struct Recipe {
    std::string sCmd;  // the shell command after "$ "
    std::string sOut;  // the lines after it, up to the next "$ " or the end of its block
};
struct Readme {
    std::map<std::string, std::string> mFiles;  // name -> bytes
    std::vector<Recipe> vRecipes;
    std::vector<std::string> vsVim;  // ex commands of the editor recipes, without their ":"
};

Readme rReadReadme() {
    Readme r;
    std::istringstream in(sReadFile(std::string(QUORVA_TEST_DATA) + "/../../README.md"));
    std::string sLine, sLang, sName, sBody;
    bool bFence = false, bRecipe = false;  // bRecipe: the sh block has had a "$ " line
    while (std::getline(in, sLine)) {
        if (!bFence && sLine.rfind("```", 0) == 0) {
            std::istringstream info(sLine.substr(3));
            sLang.clear(), sName.clear(), sBody.clear();
            info >> sLang >> sName;
            bFence = true;
            bRecipe = false;
        } else if (bFence && sLine == "```") {
            bFence = false;
            if (!sName.empty()) r.mFiles[sName] = sBody;
        } else if (bFence) {
            sBody += sLine + "\n";
            if (sLang != "sh" || !sName.empty()) continue;
            if (sLine.rfind("$ ", 0) == 0) {
                r.vRecipes.push_back({sLine.substr(2), ""});
                bRecipe = true;
            } else if (bRecipe) {
                r.vRecipes.back().sOut += sLine + "\n";
            }
        } else {
            // Inline code that begins with a vim ex command.
            for (size_t i = sLine.find('`'); i != std::string::npos; i = sLine.find('`', i + 1)) {
                size_t j = sLine.find('`', i + 1);
                if (j == std::string::npos) break;
                const std::string sCode = sLine.substr(i + 1, j - i - 1);
                if (sCode.rfind(":%!", 0) == 0 || sCode.rfind(":w !", 0) == 0) r.vsVim.push_back(sCode.substr(1));
                i = j;
            }
        }
    }
    return r;
}

// Runs the script file sScript in the directory sDir with sh, the built quorva first on PATH
// and vim's shell plain sh; standard input is the null device.
RunResult rRunIn(const std::string &sDir, const std::string &sScript) {
    vWriteFile(sDir + "/recipe.sh", sScript);
    const std::string sCmd = "cd " + sDir + " && PATH=\"" + fs::current_path().string() +
                             ":$PATH\" SHELL=/bin/sh sh recipe.sh < /dev/null > recipe.out 2> recipe.err";
    const int iRaw = std::system(sCmd.c_str());
#if defined(_WIN32)
    const int iStatus = iRaw;  // never run: the tests skip there
#else
    const int iStatus = WIFEXITED(iRaw) ? WEXITSTATUS(iRaw) : -1;
#endif
    RunResult r{iStatus, sReadFile(sDir + "/recipe.out"), sReadFile(sDir + "/recipe.err")};
    for (const char *sz : {"/recipe.sh", "/recipe.out", "/recipe.err"}) std::remove((sDir + sz).c_str());
    return r;
}
}  // namespace

TEST(RecipesE2E, PipeRecipesOfTheReadme) {
    if (bWindows) GTEST_SKIP() << "the README's pipes are shell commands";
    const Readme r = rReadReadme();
    ASSERT_GE(r.vRecipes.size(), 3u) << "the README's pipe recipes were not found";
    ASSERT_EQ(1u, r.mFiles.count("install.sql"));
    for (const Recipe &recipe : r.vRecipes) {
        E2eDir d("recipe_pipe");
        for (const auto &f : r.mFiles) vWriteFile(d.s(f.first), f.second);
        RunResult res = rRunIn(d.s(), recipe.sCmd + "\n");
        EXPECT_EQ(0, res.iStatus) << recipe.sCmd << "\n" << res.sErr;
        EXPECT_EQ(recipe.sOut, res.sOut) << recipe.sCmd;
        EXPECT_EQ("", res.sErr) << recipe.sCmd;
    }
}

// The vim recipe lays the buffer out with the settings of the buffer's file, and keeps the
// buffer as it was when the text cannot be laid out; the second shows why.
TEST(RecipesE2E, VimRecipesOfTheReadme) {
    if (bWindows) GTEST_SKIP() << "no vim under Wine";
    ASSERT_EQ(0, std::system("command -v vim > /dev/null")) << "vim is needed: bash scripts/install-deps.sh";
    const Readme r = rReadReadme();
    ASSERT_EQ(2u, r.vsVim.size()) << "the README's vim recipes were not found";
    const std::string &sFilter = r.vsVim[0], &sShow = r.vsVim[1];
    ASSERT_EQ(std::string::npos, sFilter.find('\'')) << sFilter;
    ASSERT_EQ(std::string::npos, sShow.find('\'')) << sShow;
    const std::string sTrace = "*** 2026-01-12\nPARSING IN CURSOR #1 len=17 dep=0\nselect a,b from t\nEND OF STMT\n";
    const struct { const char *szName; std::string sBuffer, sWant; bool bFails; } arCases[] = {
        {"laid out with the settings of the buffer's file", "begin null; end;\n", "begin\n  null;\nend;\n", false},
        {"a text that cannot be laid out stays", "BEGIN NULL; END\n", "BEGIN NULL; END\n", true},
        {"a trace file: only its statement",
         sTrace, "*** 2026-01-12\nPARSING IN CURSOR #1 len=17 dep=0\nselect a\n, b\nfrom t\nEND OF STMT\n", false},
        {"Shift_JIS text stays", "select '\x83\x65\x83\x58\x83\x67' x, (a from t\n",
         "select '\x83\x65\x83\x58\x83\x67' x, (a from t\n", true},
    };
    for (const auto &c : arCases) {
        E2eDir d("recipe_vim");
        fs::create_directories(d.s("sub"));
        vWriteFile(d.s(".quorva"), "indent_width = 2\n");
        vWriteFile(d.s("sub/a.sql"), c.sBuffer);
        RunResult res = rRunIn(d.s(), "vim -u NONE -i NONE -N -es -c '" + sFilter + "' -c wq sub/a.sql\n");
        EXPECT_EQ(0, res.iStatus) << c.szName << res.sOut << res.sErr;
        EXPECT_EQ(c.sWant, sReadFile(d.s("sub/a.sql"))) << c.szName;
        // Messages in Shift_JIS whatever the test's locale.
        res = rRunIn(d.s(), "LC_ALL=C vim -u NONE -i NONE -N -es -c '" + sShow + "' -c 'q!' sub/a.sql\n");
        const std::string sTold = res.sOut + res.sErr;
        EXPECT_EQ(c.bFails, sTold.find(sSjis("異常終了しました。(.\\quorva-207)")) != std::string::npos)
            << c.szName << sTold;
        EXPECT_EQ(c.bFails, sTold.find("Error - ") != std::string::npos) << c.szName << sTold;
        EXPECT_EQ(c.sWant, sReadFile(d.s("sub/a.sql"))) << c.szName;
    }
}
