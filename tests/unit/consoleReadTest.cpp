// How console mode takes standard input: a text stream read line by line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "runtime/psGlobals.h"
#include "modes/rcFmtOnConsole.h"

namespace {
std::string sReadThrough(const std::string &sRaw) {
    FILE *fp = std::tmpfile();
    std::fwrite(sRaw.data(), 1, sRaw.size(), fp);
    std::rewind(fp);
    char *szText = nullptr;
    size_t n = 0;
    EXPECT_TRUE(bReadConsoleText(fp, &szText, &n));
    std::fclose(fp);
    std::string s(szText, n);
    EXPECT_EQ(std::string(szText), s);  // NUL-terminated at its length
    vFree(szText);
    return s;
}
}  // namespace

TEST(ConsoleRead, TextStreamBytes) {
    const struct {
        const char *szName;
        std::string sIn, sWant;
    } arCases[] = {
        {"empty", "", ""},
        {"CR LF reads as LF", "a\r\nb\r\n", "a\nb\n"},
        {"lone CR stays", "a\rb\r", "a\rb\r"},
        {"CR CR LF", "a\r\r\nb", "a\r\nb"},
        {"last line without line end", "select 1\nfrom dual", "select 1\nfrom dual"},
        {"NUL loses the rest of its line, line feed included", std::string("ab\0cd\nef", 8), "abef"},
        {"NUL at the start of a line", std::string("\0x\ny", 4), "y"},
        {"Ctrl-Z is data", "a\x1a" "b", "a\x1a" "b"},
    };
    for (const auto &c : arCases) EXPECT_EQ(sReadThrough(c.sIn), c.sWant) << c.szName;
}

TEST(ConsoleRead, NulLosesOnlyTheRestOfIts2047BytePiece) {
    // A line of 5000 bytes arrives in reads of 2047, 2047 and 906 bytes; a NUL in the first
    // read loses the rest of that read only.
    std::string sLine(5000, 'x');
    sLine[10] = '\0';
    std::string sWant = std::string(10, 'x') + std::string(5000 - 2047, 'x');
    EXPECT_EQ(sReadThrough(sLine + "\n"), sWant + "\n");
}

TEST(ConsoleRead, CrLfAcrossReadBlocksAndMegabytes) {
    // CR LF pairs straddle every internal block boundary somewhere in 3 MB.
    std::string sIn, sWant;
    for (int i = 0; sIn.size() < 3u << 20; ++i) {
        std::string sLine = "select " + std::to_string(i) + " from dual";
        sIn += sLine + "\r\n";
        sWant += sLine + "\n";
    }
    EXPECT_EQ(sReadThrough(sIn), sWant);
}
