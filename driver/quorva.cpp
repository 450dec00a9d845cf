#include "driver/quorva.h"

#include <algorithm>
#include <cstring>

#include "formatter/rcFmtLex.h"
#include "plat/platStdio.h"
#include "runtime/cVersionInfo.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"
#include "runtime/tTmStats.h"
#include "modes/rcDumpName.h"
#include "modes/rcFmtOnClipBoard.h"
#include "modes/rcFmtOnConsole.h"
#include "modes/rcFmtOnFile.h"
#include "modes/rcRunOptions.h"
#include "modes/rcTextCodec.h"

namespace {
const char szModule[] = ".\\quorva";
enum {
    SITE_OPTIONS = 140,  // an option's value cannot be used
    SITE_VERSION_INFO = 145,
    SITE_BANNER = 165,
    SITE_EXE_LOC = 172,
    SITE_DUMP = 200,  // the formatter's dump file is a file of the run
    SITE_CONSOLE = 207,
    SITE_CLIPBOARD = 217,
    SITE_TM_INITIAL = 232,
    SITE_TM_START = 235,
    SITE_FILE = 250,
    SITE_TM_STOP = 268,
    SITE_TM_ELAPS = 269,
    SITE_TM_FINAL = 277,
};
enum { TIMING_SECTIONS = 10 };

enum OptionEffect {
    OPT_HELP, OPT_INDENT, OPT_COMMA, OPT_PART, OPT_RECURSE, OPT_STDIO, OPT_JOIN, OPT_ENCODING, OPT_EOL, OPT_CHECK,
    OPT_DIFF, OPT_QUIET, OPT_NO_CONFIG, OPT_VERSION, OPT_UNSUPPORTED
};

struct OptionForm {
    const char *szForm;
    OptionEffect eEffect;
    bool bSlash;  // the "/" form, an option only where "/" does not begin a path
};

// Tried in this order; the first form the argument begins with decides.
const OptionForm arOptionForms[] = {
    {"-h", OPT_HELP, false},         {"--help", OPT_HELP, false},
    {"-i", OPT_INDENT, false},       {"--indent_width=", OPT_INDENT, false},
    {"-c", OPT_COMMA, false},        {"--num_comma=", OPT_COMMA, false},
    {"-s", OPT_PART, false},         {"--part_size=", OPT_PART, false},
    {"-r", OPT_RECURSE, false},      {"--recurently", OPT_RECURSE, false},
    {"-o", OPT_STDIO, false},        {"--stdio", OPT_STDIO, false},
    {"-j", OPT_JOIN, false},         {"--join_at=", OPT_JOIN, false},
    {"--encoding=", OPT_ENCODING, false}, {"--eol=", OPT_EOL, false},
    {"--check", OPT_CHECK, false},   {"--diff", OPT_DIFF, false},
    {"-q", OPT_QUIET, false},        {"--quiet", OPT_QUIET, false},
    {"--no-config", OPT_NO_CONFIG, false}, {"--version", OPT_VERSION, false},
    {"-", OPT_UNSUPPORTED, false},   {"/", OPT_UNSUPPORTED, true},
};

// Decimal value as atoi reads it: leading white space, an optional sign, digits up to the first
// other character, no digits giving 0. A value beyond 32 bits saturates.
int32_t iAtoi(const char *sz) {
    while (*sz == ' ' || (*sz >= '\t' && *sz <= '\r')) ++sz;
    bool bNeg = *sz == '-';
    if (*sz == '-' || *sz == '+') ++sz;
    int64_t v = 0;
    for (; *sz >= '0' && *sz <= '9'; ++sz) {
        v = v * 10 + (*sz - '0');
        if (v > INT32_MAX) v = int64_t(INT32_MAX) + 1;
    }
    if (bNeg) v = -v;
    return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(v, INT32_MIN), INT32_MAX));
}

// The names of the encodings, in any letter case; the common spellings of each are taken.
const struct {
    const char *szName;
    int32_t eEncoding;
} arEncodings[] = {
    {"AUTO", ENC_AUTO},       {"SJIS", ENC_SJIS},     {"SHIFT_JIS", ENC_SJIS},  {"CP932", ENC_SJIS},
    {"UTF8", ENC_UTF8},       {"UTF-8", ENC_UTF8},    {"LATIN1", ENC_LATIN1},   {"LATIN-1", ENC_LATIN1},
    {"ISO-8859-1", ENC_LATIN1}, {"CP1252", ENC_LATIN1},
};

const struct {
    const char *szName;
    int32_t eEol;
} arEols[] = {{"CRLF", EOL_CRLF}, {"LF", EOL_LF}, {"KEEP", EOL_KEEP}};

// The length of szWord when szArg begins with it, letters compared in any case, else 0.
size_t nFormLen(const char *szArg, const char *szWord) {
    uint32_t n = 0;
    return iIsKeyword(szArg, szWord, &n) != 0 ? n : 0;
}

// The value of a named option's table entry, in any letter case; false for none.
bool bSetEncoding(const char *szValue, StmtStyle *rStmtStyle) {
    for (const auto &enc : arEncodings) {
        size_t n = nFormLen(szValue, enc.szName);
        if (n != 0 && szValue[n] == '\0') {
            rStmtStyle->iEncoding = enc.eEncoding;
            return true;
        }
    }
    return false;
}

bool bSetEol(const char *szValue) {
    for (const auto &eol : arEols) {
        size_t n = nFormLen(szValue, eol.szName);
        if (n != 0 && szValue[n] == '\0') {
            rRunOptions.eEol = eol.eEol;
            return true;
        }
    }
    return false;
}

// The options that change how a run treats its text, beside the layout record.
void vTakeRunOption(OptionEffect eEffect, int *piVersion) {
    switch (eEffect) {
    case OPT_CHECK: rRunOptions.iCheck = 1; break;
    case OPT_DIFF: rRunOptions.iDiff = 1; break;
    case OPT_QUIET: rRunOptions.iQuiet = 1; break;
    case OPT_NO_CONFIG: rRunOptions.iNoConfig = 1; break;
    case OPT_VERSION: *piVersion = 1; break;
    default: break;
    }
}

int rcFail(int rc, int iLine) {
    iLastErrLine = iLine;
    iConPrintf(szMsgAbend, szModule, iLine);
    return rc;
}

// The closing summary of file mode: each line only when its count is above 0. The files that
// formatting changed are counted apart from those it left as they were: rewritten ones with
// their bytes before and after, or with --check and --diff the ones that would change.
void vPrintSummary(int32_t iNumDirs, int32_t iNumFiles, int32_t iNumStmts, int64_t iInBytes, int64_t iOutBytes,
                   const FileTally &rTally) {
    if (iNumDirs > 0) iConPrintf(szMsgSumDirs, szFmtNum(iNumDirs, 3));
    if (iNumFiles > 0 && (rRunOptions.iCheck || rRunOptions.iDiff)) {
        iConPrintf(szMsgSumWouldChange, szFmtNum(iNumFiles, 3));
    } else if (iNumFiles > 0) {
        iConPrintf(szMsgSumFiles, szFmtNum(iNumFiles, 3));
        iConPrintf(szMsgSumIn, szFmtNum(iInBytes, 3));
        iConPrintf(szMsgSumOut, szFmtNum(iOutBytes, 3));
        iConPrintf("\n");
    }
    if (rTally.iUnchanged > 0) iConPrintf(szMsgSumUnchanged, szFmtNum(rTally.iUnchanged, 3));
    if (rTally.iPassedOver > 0) iConPrintf(szMsgSumPassedOver, szFmtNum(rTally.iPassedOver, 3));
    if (rTally.iFailed > 0) iConPrintf(szMsgSumFailed, szFmtNum(rTally.iFailed, 3));
    if (iNumStmts > 0) iConPrintf(szMsgSumStmts, szFmtNum(iNumStmts, 3));
}

// File and directory mode, timed with section 0; the timing handle is released on every path.
// A walk that went on past failing files (--check, --diff) ends, after its summary, with the
// first failure's code; one that passed over paths with RC_UNCHECKED.
int rcRunFileMode(char **aszPaths, int32_t nPaths, int32_t iRecurently, StmtStyle *pStyle) {
    int32_t iNumDirs = 0, iNumFiles = 0, iNumStmts = 0;
    int64_t iInBytes = 0, iOutBytes = 0, iElaps = 0;
    FileTally rTally{};
    tTmStats *pStats = nullptr;
    ScopeExit freeStats([&] { rcTmFinal(&pStats); });
    int rc = rcTmInitial(&pStats, TIMING_SECTIONS);
    if (rc != RC_OK) return rcFail(rc, SITE_TM_INITIAL);
    rc = rcTmStart(pStats, 0);
    if (rc != RC_OK) return rcFail(rc, SITE_TM_START);
    rc = rcFmtOnFile(aszPaths, nPaths, &iNumDirs, &iNumFiles, &iNumStmts, &iInBytes, &iOutBytes, iRecurently, pStyle,
                     &rTally);
    if (rc != RC_OK) return rcFail(rc, SITE_FILE);
    if (!rRunOptions.iQuiet) vPrintSummary(iNumDirs, iNumFiles, iNumStmts, iInBytes, iOutBytes, rTally);
    rc = rcTmStop(pStats, 0);
    if (rc != RC_OK) return rcFail(rc, SITE_TM_STOP);
    rc = rcTmGetElaps(pStats, 0, &iElaps);
    if (rc != RC_OK) return rcFail(rc, SITE_TM_ELAPS);
    if (iNumStmts > 0 && !rRunOptions.iQuiet) iConPrintf(szMsgElapsed, szFmtNum(iElaps / 1000, 3));
    rc = rcTmFinal(&pStats);
    if (rc != RC_OK) return rcFail(rc, SITE_TM_FINAL);
    if (rTally.rcFirstFailure != RC_OK) return rcFail(rTally.rcFirstFailure, SITE_FILE);
    if (rTally.iPassedOver > 0 && (rRunOptions.iCheck || rRunOptions.iDiff)) rRunOptions.iUnchecked = 1;
    return RC_OK;
}
}  // namespace

int rcParseArgs(int32_t iArgc, char **szArgv, int32_t *iNumOpts, int32_t *iRecurently, int32_t *iStdio,
                StmtStyle *rStmtStyle, int32_t *piBadOpts, int *piVersion) {
    int iHelp = 0, iVersion = 0;
    int32_t iBad = 0;
    for (int32_t i = 0; i < iArgc; ++i)
        if (szArgv[i][0] == '-') ++*iNumOpts;
    for (int32_t i = 0; i < iArgc; ++i) {
        const char *szArg = szArgv[i];
        for (const OptionForm &form : arOptionForms) {
            if (form.bSlash && !iPlatSlashOption) continue;
            if (nFormLen(szArg, form.szForm) == 0) continue;
            const char *szValue = szArg + std::strlen(form.szForm);
            switch (form.eEffect) {
            case OPT_HELP: iHelp = 1; break;
            case OPT_INDENT: {
                int32_t n = iAtoi(szValue);
                if (n >= 1 && n <= MAX_INDENT_WIDTH) {
                    std::memset(rStmtStyle->szIndent, ' ', static_cast<size_t>(n));
                    rStmtStyle->szIndent[n] = '\0';
                    rRunOptions.uGiven |= GIVEN_INDENT;
                }
                break;
            }
            case OPT_COMMA:
                rStmtStyle->iNumComma = iAtoi(szValue);
                rRunOptions.uGiven |= GIVEN_COMMA;
                break;
            case OPT_PART:
                rStmtStyle->iPartSize = iAtoi(szValue);
                rRunOptions.uGiven |= GIVEN_PART;
                break;
            case OPT_RECURSE: *iRecurently = 1; break;
            case OPT_STDIO: *iStdio = 1; break;
            case OPT_JOIN: rStmtStyle->iJoinAt = *szValue == '\0' ? 256 : iAtoi(szValue); break;
            case OPT_ENCODING:
            case OPT_EOL: {
                bool bOk = form.eEffect == OPT_ENCODING ? bSetEncoding(szValue, rStmtStyle) : bSetEol(szValue);
                rRunOptions.uGiven |= form.eEffect == OPT_ENCODING ? GIVEN_ENCODING : GIVEN_EOL;
                if (!bOk) {
                    iConPrintf(szMsgBadOption, szErrorPrefix, szArg);
                    ++iBad;
                }
                break;
            }
            case OPT_UNSUPPORTED: iConPrintf(szMsgUnsupported, szWarningPrefix, szArg); break;
            default: vTakeRunOption(form.eEffect, &iVersion); break;
            }
            break;
        }
    }
    if (piBadOpts != nullptr) *piBadOpts += iBad;
    if (piVersion != nullptr) *piVersion = iVersion;
    return iHelp;
}

int rcShowBanner(const char *szProductName, const char *szVersion, const char *szCopyright) {
    if (console == nullptr) console = stdout;
    iConPrintf(szMsgBanner, szProductName, "", szVersion, szCopyright);
    return RC_OK;
}

namespace {
// Runs the one run mode the arguments choose.
int rcRunMode(char **aszArgs, int32_t nArgs, int32_t iRecurently, int32_t iStdio, StmtStyle *pStyle) {
    // The path names are the arguments that do not begin with "-", in sorted order.
    int32_t nPaths = 0;
    for (int32_t i = 0; i < nArgs; ++i)
        if (aszArgs[i][0] != '-') aszArgs[nPaths++] = aszArgs[i];
    // The formatter's dump file may be none of the files the run reads or writes: the standard
    // streams here, the files of file mode before the first of them is read.
    int rc = rcCheckDumpName(nPaths == 0 && iStdio == 1);
    if (rc != RC_OK) return rcFail(rc, SITE_DUMP);
    if (nPaths > 0) return rcRunFileMode(aszArgs, nPaths, iRecurently, pStyle);  // its failure is reported
    rc = iStdio == 1 ? rcFmtOnConsole(pStyle) : rcFmtOnClipBoard(pStyle);
    return rc != RC_OK ? rcFail(rc, iStdio == 1 ? SITE_CONSOLE : SITE_CLIPBOARD) : RC_OK;
}

int rcShowVersionBanner(const rVersionInfo *pInfo, int iVersion) {
    // A resource without translation entry holds none of the three strings: the banner shows
    // empty texts in their place.
    const char *szName = pInfo->szProductName != nullptr ? pInfo->szProductName : "";
    const char *szVersion = pInfo->szProductVersion != nullptr ? pInfo->szProductVersion : "";
    if (iVersion == 1) {
        std::printf("%s version %s\n", szName, szVersion);
        return std::fflush(stdout) == 0 ? RC_OK : RC_WRITE;
    }
    if (rRunOptions.iQuiet) return RC_OK;
    return rcShowBanner(szName, szVersion, pInfo->szCopyright != nullptr ? pInfo->szCopyright : "");
}
}  // namespace

int iQuorvaMain(int argc, char **argv) {
    int32_t nArgs = argc > 1 ? argc - 1 : 0;
    char **aszArgs = argv + 1;
    vSortPrefix(aszArgs, nArgs);

    StmtStyle rStmtStyle;
    vDefaultStmtStyle(&rStmtStyle);
    rRunOptions = RunOptions{};
    vUseMessageCodeset();
    console = stderr;

    int32_t iNumOpts = 0, iRecurently = 0, iStdio = 0, iBadOpts = 0;
    int iVersion = 0;
    int iHelp = rcParseArgs(nArgs, aszArgs, &iNumOpts, &iRecurently, &iStdio, &rStmtStyle, &iBadOpts, &iVersion);
    if (iBadOpts > 0) return rcFail(RC_USAGE, SITE_OPTIONS);

    rVersionInfo *pInfo = nullptr;
    ScopeExit freeInfo([&] { vFreeVersionInfo(&pInfo); });
    int rc = rcVersionInfo(&pInfo);
    if (rc != RC_OK) return rcFail(rc, SITE_VERSION_INFO);

    // Standard output carries only the formatted text in console mode, and only the list or
    // the diff of --check and --diff.
    console = iStdio == 1 || rRunOptions.iCheck || rRunOptions.iDiff ? stderr : stdout;
    rc = rcShowVersionBanner(pInfo, iVersion);
    if (rc != RC_OK) return rcFail(rc, SITE_BANNER);
    if (iVersion == 1) return RC_OK;

    rc = rcGetExeLoc(pInfo->szModulePath, szExeDir, szExeName);
    if (rc != RC_OK) return rcFail(rc, SITE_EXE_LOC);

    if (iHelp == 1) {
        iConPrintf("%s", szMsgUsage);
    } else {
        rc = rcRunMode(aszArgs, nArgs, iRecurently, iStdio, &rStmtStyle);
        if (rc != RC_OK) return rc;  // the abnormal-end line is written
    }
    if (!rRunOptions.iQuiet) iConPrintf("%s", szMsgNormalEnd);
    // --check and --diff: a path left unchecked says more than a text that would change.
    if (rRunOptions.iUnchecked) return RC_UNCHECKED;
    // --check: a text that would change is what the run reports with its status.
    return rRunOptions.iCheck && rRunOptions.iChanged > 0 ? RC_CHANGED : RC_OK;
}
