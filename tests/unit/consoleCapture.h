// Captures what the program writes to console during a test.
#pragma once
#include <cstdio>
#include <string>

#include "runtime/psGlobals.h"

class ConsoleCapture {
  public:
    ConsoleCapture() : pOld_(console), pTmp_(std::tmpfile()) { console = pTmp_; }
    ~ConsoleCapture() {
        console = pOld_;
        if (pTmp_ != nullptr) std::fclose(pTmp_);
    }
    ConsoleCapture(const ConsoleCapture &) = delete;
    ConsoleCapture &operator=(const ConsoleCapture &) = delete;

    // Everything written so far, as bytes (LF written as CR LF).
    std::string sText() const {
        std::string s;
        std::fflush(pTmp_);
        long n = std::ftell(pTmp_);
        s.resize(n > 0 ? static_cast<size_t>(n) : 0);
        std::rewind(pTmp_);
        if (!s.empty()) s.resize(std::fread(&s[0], 1, s.size(), pTmp_));
        std::fseek(pTmp_, 0, SEEK_END);
        return s;
    }
    // The same with every CR LF read back as LF.
    std::string sLines() const {
        std::string s = sText(), r;
        for (size_t i = 0; i < s.size(); ++i)
            if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) r += s[i];
        return r;
    }

  private:
    FILE *pOld_;
    FILE *pTmp_;
};
