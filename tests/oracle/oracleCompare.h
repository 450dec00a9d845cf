// The comparison of two formatter engines on one text: the result code, the length and the bytes
// of the formatted text, the failure site and what each printed to console must all agree.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "formatter/rStmtStyle.h"

// An entry with the signature of rcFmtStmtLen: either engine's, or a stand-in.
using FmtEntry = int (*)(const char *pStmt, size_t nStmt, char **szStmtFmt, StmtStyle *rStmtStyle);

// What one call gave back.
struct EngineResult {
    int rc = 0;
    int32_t iFmtLen = 0;    // rStmtStyle->iFmtLen after the call
    int iLastErrLine = 0;   // the failure site of its last trail line (0: none)
    bool bOut = false;      // it stored a text in *szStmtFmt
    bool bNulEnd = false;   // with a NUL after its iFmtLen bytes
    std::string sOut;       // the iFmtLen bytes of that text
    std::string sConsole;   // what it printed to console
};

// Runs engines with console pointed at a temporary file of its own, emptied before each call,
// and without STMTORGFNM (the dump file would be one more thing both engines write).
class EngineRunner {
  public:
    EngineRunner();
    ~EngineRunner();
    EngineRunner(const EngineRunner &) = delete;
    EngineRunner &operator=(const EngineRunner &) = delete;

    // One call of pfnFmt on sIn with a copy of rStyle.
    EngineResult rRun(FmtEntry pfnFmt, const std::string &sIn, const StmtStyle &rStyle);

    // Runs both entries on sIn: "" when they agree, else a report that names the options
    // (szOptions and rStyle), what differs, the input and both results, as C strings.
    std::string sCompare(FmtEntry pfnNew, FmtEntry pfnOld, const std::string &sIn, const StmtStyle &rStyle,
                         const char *szOptions);
    // The result code and the formatted text of pfnNew in the last comparison.
    int rcLast() const { return rcLast_; }
    const std::string &sLastOut() const { return sLastOut_; }

  private:
    FILE *pTmp_;
    int rcLast_ = 0;
    std::string sLastOut_;
};

// The first thing in which two results differ ("result code", "formatted length", "output",
// "console text", ...), or "" when they agree.
std::string sFirstDifference(const EngineResult &rNew, const EngineResult &rOld);

// The nMax bytes of s from iFrom on (fewer at its end) as C string literals, a new one after each
// line feed; a note tells which bytes of how many these are when they are not all of s.
std::string sCString(const std::string &s, size_t iFrom = 0, size_t nMax = SIZE_MAX);
