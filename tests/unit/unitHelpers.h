// What the unit tests share: the capture of console, a file's bytes, and the message texts that
// many of them expect.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/psGlobals.h"
#include "testText.h"

namespace fs = std::filesystem;

// Captures what the program writes to console while it lives.
class ConsoleCapture {
  public:
    ConsoleCapture() : pOld_(console), pTmp_(std::tmpfile()) { console = pTmp_; }
    ~ConsoleCapture() {
        console = pOld_;
        if (pTmp_ != nullptr) std::fclose(pTmp_);
    }
    ConsoleCapture(const ConsoleCapture &) = delete;
    ConsoleCapture &operator=(const ConsoleCapture &) = delete;

    // Everything written so far, as bytes (console writes LF as CR LF).
    std::string sText() const {
        std::fflush(pTmp_);
        std::string s(static_cast<size_t>(std::max(0L, std::ftell(pTmp_))), '\0');
        std::rewind(pTmp_);
        s.resize(std::fread(&s[0], 1, s.size(), pTmp_));
        std::fseek(pTmp_, 0, SEEK_END);
        return s;
    }
    // The same with every CR LF read back as LF.
    std::string sLines() const { return sFromCrLf(sText()); }

  private:
    FILE *pOld_;
    FILE *pTmp_;
};

// The file's bytes exactly as stored, or "<missing>" when it cannot be opened.
inline std::string sReadBytes(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
// The files of the corpus: tests/data and the directory QUORVA_EXTRA_CORPUS names, if any (no
// licence texts, no notes), in order.
inline std::vector<fs::path> vCorpusFiles() {
    std::vector<fs::path> v;
    std::vector<fs::path> vRoots{QUORVA_TEST_DATA};
    if (const char *sz = std::getenv("QUORVA_EXTRA_CORPUS")) vRoots.emplace_back(sz);
    for (const fs::path &root : vRoots) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            if (it->is_directory() && it->path().filename() == "licenses") it.disable_recursion_pending();
            if (it->is_regular_file() && it->path().extension() != ".md") v.push_back(it->path());
        }
    }
    std::sort(v.begin(), v.end());
    return v;
}

inline void vPut(const fs::path &p, const std::string &s) { std::ofstream(p, std::ios::binary) << s; }

// The Shift_JIS message texts that many tests expect (LF line ends, as sLines gives them).
inline const std::string sNoMem = sSjis("Error - メモリの取得に失敗しました。\n");
inline const std::string sOverrun = sSjis("Error - バッファ領域のオーバー・ランが発生しました。\n");
