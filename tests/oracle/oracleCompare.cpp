#include "oracleCompare.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "runtime/psGlobals.h"

namespace {
const size_t SHOW_INPUT_MAX = 2048;  // bytes of the input a report shows
const size_t SHOW_SIDE = 512;        // bytes of an output shown before and after its first difference

// The offset of the first byte in which a and b differ (the shorter one's length when one begins
// the other).
size_t iMismatch(const std::string &a, const std::string &b) {
    const size_t n = std::min(a.size(), b.size());
    return static_cast<size_t>(std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n), b.begin()).first -
                               a.begin());
}

std::string sStyleOf(const StmtStyle &r) {
    return "indent " + sCString(r.szIndent) + ", num_comma " + std::to_string(r.iNumComma) + ", part_size " +
           std::to_string(r.iPartSize) + ", join_at " + std::to_string(r.iJoinAt) + ", encoding " +
           std::to_string(r.iEncoding) + (r.bCrLf ? ", CR LF" : ", LF");
}

// One engine's result, its output and console text shown from iFrom on.
std::string sResultOf(const char *szWho, const EngineResult &r, size_t iFromOut, size_t iFromCon) {
    std::string s = std::string(szWho) + ": rc " + std::to_string(r.rc) + ", iFmtLen " + std::to_string(r.iFmtLen) +
                    ", trail site " + std::to_string(r.iLastErrLine);
    if (r.bOut) {
        s += std::string(r.bNulEnd ? "" : ", no NUL after the text") + "\n  output (" + std::to_string(r.sOut.size()) +
             " bytes):\n" + sCString(r.sOut, iFromOut, 2 * SHOW_SIDE);
    } else {
        s += ", no output";
    }
    return s + "\n  console (" + std::to_string(r.sConsole.size()) + " bytes):\n" +
           sCString(r.sConsole, iFromCon, 2 * SHOW_SIDE) + "\n";
}
}  // namespace

EngineRunner::EngineRunner() : pTmp_(std::tmpfile()) { unsetenv("STMTORGFNM"); }

EngineRunner::~EngineRunner() {
    if (pTmp_ != nullptr) std::fclose(pTmp_);
}

EngineResult EngineRunner::rRun(FmtEntry pfnFmt, const std::string &sIn, const StmtStyle &rStyle) {
    EngineResult r;
    StmtStyle style = rStyle;
    char *szFmt = nullptr;
    FILE *pOld = console;
    console = pTmp_;
    iLastErrLine = 0;
    r.rc = pfnFmt(sIn.data(), sIn.size(), &szFmt, &style);
    console = pOld;
    r.iLastErrLine = iLastErrLine;
    r.iFmtLen = style.iFmtLen;
    r.bOut = szFmt != nullptr;
    if (r.bOut && r.iFmtLen >= 0) {
        r.sOut.assign(szFmt, static_cast<size_t>(r.iFmtLen));
        r.bNulEnd = szFmt[r.iFmtLen] == '\0';
    }
    vFree(szFmt);
    // Most calls print nothing: the file is read and emptied only when they did.
    std::fflush(pTmp_);
    const long nPrinted = std::ftell(pTmp_);
    if (nPrinted > 0) {
        r.sConsole.resize(static_cast<size_t>(nPrinted));
        std::rewind(pTmp_);
        r.sConsole.resize(std::fread(&r.sConsole[0], 1, r.sConsole.size(), pTmp_));
        std::rewind(pTmp_);
        if (ftruncate(fileno(pTmp_), 0) != 0) r.sConsole += "<console file not emptied>";
    }
    return r;
}

std::string EngineRunner::sCompare(FmtEntry pfnNew, FmtEntry pfnOld, const std::string &sIn, const StmtStyle &rStyle,
                                   const char *szOptions) {
    if (pTmp_ == nullptr) return "no temporary file for console";
    const EngineResult rNew = rRun(pfnNew, sIn, rStyle);
    const EngineResult rOld = rRun(pfnOld, sIn, rStyle);
    rcLast_ = rNew.rc;
    sLastOut_ = rNew.sOut;
    const std::string sWhat = sFirstDifference(rNew, rOld);
    if (sWhat.empty()) return "";
    // Long texts are shown around their first difference.
    const size_t iOut = iMismatch(rNew.sOut, rOld.sOut), iCon = iMismatch(rNew.sConsole, rOld.sConsole);
    const size_t iFromOut = iOut > SHOW_SIDE ? iOut - SHOW_SIDE : 0, iFromCon = iCon > SHOW_SIDE ? iCon - SHOW_SIDE : 0;
    return "the engines differ in the " + sWhat + "\noptions: " + szOptions + " (" + sStyleOf(rStyle) +
           ")\ninput (" + std::to_string(sIn.size()) + " bytes):\n" + sCString(sIn, 0, SHOW_INPUT_MAX) + "\n" +
           sResultOf("formatter", rNew, iFromOut, iFromCon) + sResultOf("oracle", rOld, iFromOut, iFromCon);
}

std::string sFirstDifference(const EngineResult &rNew, const EngineResult &rOld) {
    if (rNew.rc != rOld.rc) return "result code";
    if (rNew.bOut != rOld.bOut) return "output stored or not";
    if (rNew.iFmtLen != rOld.iFmtLen) return "formatted length";
    if (rNew.sOut != rOld.sOut) return "output at byte " + std::to_string(iMismatch(rNew.sOut, rOld.sOut));
    if (rNew.bNulEnd != rOld.bNulEnd) return "NUL after the output";
    if (rNew.iLastErrLine != rOld.iLastErrLine) return "failure site";
    if (rNew.sConsole != rOld.sConsole)
        return "console text at byte " + std::to_string(iMismatch(rNew.sConsole, rOld.sConsole));
    return "";
}

std::string sCString(const std::string &s, size_t iFrom, size_t nMax) {
    static const char szOctal[] = "01234567";
    iFrom = std::min(iFrom, s.size());
    const size_t iTo = s.size() - iFrom > nMax ? iFrom + nMax : s.size();
    std::string r = "\"";
    for (size_t i = iFrom; i < iTo; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        switch (c) {
        case '\n': r += i + 1 < iTo ? "\\n\"\n\"" : "\\n"; break;
        case '\r': r += "\\r"; break;
        case '\t': r += "\\t"; break;
        case '\\': r += "\\\\"; break;
        case '"': r += "\\\""; break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                r += static_cast<char>(c);
            } else {  // three octal digits: no byte after it can be read as part of the escape
                r += '\\';
                r += szOctal[c >> 6];
                r += szOctal[(c >> 3) & 7];
                r += szOctal[c & 7];
            }
        }
    }
    r += "\"";
    if (iFrom > 0 || iTo < s.size())
        r += " (bytes " + std::to_string(iFrom) + " to " + std::to_string(iTo) + " of " + std::to_string(s.size()) + ")";
    return r;
}
