#include "driver/quorva.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
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
    SITE_STDOUT = 290,  // what went to standard output (the usage, the messages) was not written
};
enum { TIMING_SECTIONS = 10 };

enum OptionEffect {
    OPT_HELP, OPT_VALUE, OPT_RECURSE, OPT_STDIO, OPT_CHECK, OPT_DIFF, OPT_QUIET, OPT_NO_CONFIG, OPT_VERSION,
    OPT_KEEP_ON_ERROR, OPT_STDIN_PATH, OPT_UNSUPPORTED
};

struct OptionForm {
    const char *szForm;  // null: the long form "--name=" of the valued option eValue
    OptionEffect eEffect;
    int32_t eValue;  // the OptValueId of OPT_VALUE
    bool bSlash;     // the "/" form, an option only where "/" does not begin a path
};

// Tried in this order; the first form the argument begins with decides. The valued options'
// names and values come from the one table that settings files read too.
const OptionForm arOptionForms[] = {
    {"-h", OPT_HELP, 0, false},           {"--help", OPT_HELP, 0, false},
    {"-i", OPT_VALUE, OPTV_INDENT, false},    {nullptr, OPT_VALUE, OPTV_INDENT, false},
    {"-c", OPT_VALUE, OPTV_NUM_COMMA, false}, {nullptr, OPT_VALUE, OPTV_NUM_COMMA, false},
    {"-s", OPT_VALUE, OPTV_PART_SIZE, false}, {nullptr, OPT_VALUE, OPTV_PART_SIZE, false},
    {"-r", OPT_RECURSE, 0, false},        {"--recurently", OPT_RECURSE, 0, false},
    {"-o", OPT_STDIO, 0, false},          {"--stdio", OPT_STDIO, 0, false},
    {"-j", OPT_VALUE, OPTV_JOIN_AT, false},   {nullptr, OPT_VALUE, OPTV_JOIN_AT, false},
    {nullptr, OPT_VALUE, OPTV_ENCODING, false}, {nullptr, OPT_VALUE, OPTV_EOL, false},
    {nullptr, OPT_VALUE, OPTV_KEYWORD_CASE, false}, {nullptr, OPT_VALUE, OPTV_BLANK_LINES, false},
    {"--check", OPT_CHECK, 0, false},     {"--diff", OPT_DIFF, 0, false},
    {"-q", OPT_QUIET, 0, false},          {"--quiet", OPT_QUIET, 0, false},
    {"--no-config", OPT_NO_CONFIG, 0, false}, {"--version", OPT_VERSION, 0, false},
    {"--keep-on-error", OPT_KEEP_ON_ERROR, 0, false}, {"--stdin-filepath=", OPT_STDIN_PATH, 0, false},
    {"-", OPT_UNSUPPORTED, 0, false},     {"/", OPT_UNSUPPORTED, 0, true},
};

bool bMatchedWhole(OptionEffect e) {
    return e == OPT_CHECK || e == OPT_DIFF || e == OPT_QUIET || e == OPT_NO_CONFIG || e == OPT_VERSION ||
           e == OPT_KEEP_ON_ERROR;
}

// The length of szWord when szArg begins with it, letters compared in any case, else 0.
size_t nFormLen(const char *szArg, const char *szWord) {
    uint32_t n = 0;
    return iIsKeyword(szArg, szWord, &n) != 0 ? n : 0;
}

size_t nFormLen(const char *szArg, const OptionForm &form) {
    return form.szForm != nullptr ? nFormLen(szArg, form.szForm) : nOptValueFormLen(szArg, form.eValue);
}

// The value of a valued option, read as a settings file reads it. A bare -j (or --join_at=)
// joins at 256 bytes. False when the value cannot be used.
bool bTakeValue(int32_t eValue, const char *szValue, OptValues *pVals) {
    if (eValue == OPTV_JOIN_AT && *szValue == '\0') szValue = "256";
    return szReadOptValue(eValue, szValue, std::strlen(szValue), pVals) == nullptr;
}

// The options that change how a run treats its text, beside the layout record.
void vTakeRunOption(OptionEffect eEffect, int *piVersion) {
    switch (eEffect) {
    case OPT_CHECK: rRunOptions.iCheck = 1; break;
    case OPT_DIFF: rRunOptions.iDiff = 1; break;
    case OPT_QUIET: rRunOptions.iQuiet = 1; break;
    case OPT_NO_CONFIG: rRunOptions.iNoConfig = 1; break;
    case OPT_VERSION: *piVersion = 1; break;
    case OPT_KEEP_ON_ERROR: rRunOptions.iKeepOnError = 1; break;
    default: break;
    }
}

int rcFail(int rc, int iLine) {
    iLastErrLine = iLine;
    iConPrintf(szMsgAbend, szModule, iLine);
    return rc;
}

// A failure before console mode has read its input (bConsole: the run is one of console mode).
// With --keep-on-error the input still goes back unchanged: an editor's buffer stays as it was.
int rcFailUnread(int rc, int iLine, bool bConsole) {
    if (bConsole && rRunOptions.iKeepOnError && !rRunOptions.iCheck && !rRunOptions.iDiff) rcPassConsoleInput();
    return rcFail(rc, iLine);
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
    OptValues rVals{};  // the valued options given, the one that sorts later winning
    for (int32_t i = 0; i < iArgc; ++i)
        if (szArgv[i][0] == '-') ++*iNumOpts;
    for (int32_t i = 0; i < iArgc; ++i) {
        const char *szArg = szArgv[i];
        for (const OptionForm &form : arOptionForms) {
            if (form.bSlash && !iPlatSlashOption) continue;
            const size_t nForm = nFormLen(szArg, form);
            if (nForm == 0) continue;
            // The newer options without a value are matched whole: --checkx is no --check. (The
            // original command line's take any argument that begins with them.)
            if (bMatchedWhole(form.eEffect) && szArg[nForm] != '\0') continue;
            const char *szValue = szArg + nForm;
            bool bOk = true;
            switch (form.eEffect) {
            case OPT_HELP: iHelp = 1; break;
            case OPT_RECURSE: *iRecurently = 1; break;
            case OPT_STDIO: *iStdio = 1; break;
            case OPT_VALUE: bOk = bTakeValue(form.eValue, szValue, &rVals); break;
            case OPT_STDIN_PATH:
                bOk = *szValue != '\0';
                if (bOk) rRunOptions.szStdinPath = szValue;
                break;
            case OPT_UNSUPPORTED: iConPrintf(szMsgUnsupported, szWarningPrefix, szArg); break;
            default: vTakeRunOption(form.eEffect, &iVersion); break;
            }
            if (!bOk) {
                iConPrintf(szMsgBadOption, szErrorPrefix, szArg);
                ++iBad;
            }
            break;
        }
    }
    vApplyOptValues(&rVals, ~0u, rStmtStyle, &rRunOptions.eEol);
    rRunOptions.uGiven |= rVals.uSet;
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
// Runs the one run mode the arguments choose: file mode for the path names, else console mode
// (iStdio) or the clipboard.
int rcRunMode(char **aszPaths, int32_t nPaths, int32_t iRecurently, int32_t iStdio, StmtStyle *pStyle) {
    // The formatter's dump file may be none of the files the run reads or writes: the standard
    // streams here, the files of file mode before the first of them is read.
    int rc = rcCheckDumpName(nPaths == 0 && iStdio == 1);
    if (rc != RC_OK) return rcFailUnread(rc, SITE_DUMP, nPaths == 0 && iStdio == 1);
    if (nPaths > 0) return rcRunFileMode(aszPaths, nPaths, iRecurently, pStyle);  // its failure is reported
    rc = iStdio == 1 ? rcFmtOnConsole(pStyle) : rcFmtOnClipBoard(pStyle);
    return rc != RC_OK ? rcFail(rc, iStdio == 1 ? SITE_CONSOLE : SITE_CLIPBOARD) : RC_OK;
}

// Standard output did not take what was written to it: reported on standard error. Returns 7.
int rcStdoutFailed(int iErr) {
    console = stderr;
    iConPrintf(szMsgWrite, szErrorPrefix, "stdout", std::strerror(iErr != 0 ? iErr : EIO), "");
    return RC_WRITE;
}

// Whether a run without path names and without -o is one of console mode: standard input that
// is a pipe or a file carries a text ("cat a.sql | quorva", "quorva < a.sql"). A terminal, the
// null device or none at all carry none: that is how a shortcut or a launcher starts the
// program, for the clipboard.
bool bStdinCarriesText() {
    const PlatStdinKind eKind = ePlatStdinKind();
    return eKind == STDIN_PIPE || eKind == STDIN_FILE;
}

int rcShowVersionBanner(const rVersionInfo *pInfo, int iVersion) {
    // A resource without translation entry holds none of the three strings: the banner shows
    // empty texts in their place.
    const char *szName = pInfo->szProductName != nullptr ? pInfo->szProductName : "";
    const char *szVersion = pInfo->szProductVersion != nullptr ? pInfo->szProductVersion : "";
    if (iVersion == 1) {
        std::printf("%s version %s\n", szName, szVersion);
        return std::fflush(stdout) == 0 ? RC_OK : rcStdoutFailed(errno);
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
    iConWriteErr = 0;
    vUseMessageCodeset();
    console = stderr;

    int32_t iNumOpts = 0, iRecurently = 0, iStdio = 0, iBadOpts = 0;
    int iVersion = 0;
    int iHelp = rcParseArgs(nArgs, aszArgs, &iNumOpts, &iRecurently, &iStdio, &rStmtStyle, &iBadOpts, &iVersion);
    // The path names are the arguments that do not begin with "-", in sorted order.
    int32_t nPaths = 0;
    for (int32_t i = 0; i < nArgs; ++i)
        if (aszArgs[i][0] != '-') aszArgs[nPaths++] = aszArgs[i];
    if (nPaths == 0 && iStdio == 0 && iHelp == 0 && iVersion == 0 && bStdinCarriesText()) iStdio = 1;
    const bool bConsole = nPaths == 0 && iStdio == 1 && iHelp == 0 && iVersion == 0;
    if (iBadOpts > 0) return rcFailUnread(RC_USAGE, SITE_OPTIONS, bConsole);

    rVersionInfo *pInfo = nullptr;
    ScopeExit freeInfo([&] { vFreeVersionInfo(&pInfo); });
    int rc = rcVersionInfo(&pInfo);
    if (rc != RC_OK) return rcFailUnread(rc, SITE_VERSION_INFO, bConsole);

    // Standard output carries only the formatted text in console mode, and only the list or
    // the diff of --check and --diff; with -q whatever is still told (a failure) goes to
    // standard error in every mode, so that standard output holds only results.
    console = iStdio == 1 || rRunOptions.iCheck || rRunOptions.iDiff || rRunOptions.iQuiet ? stderr : stdout;
    rc = rcShowVersionBanner(pInfo, iVersion);
    if (rc != RC_OK) return rcFailUnread(rc, SITE_BANNER, bConsole);
    if (iVersion == 1) return RC_OK;

    rc = rcGetExeLoc(pInfo->szModulePath, szExeDir, szExeName);
    if (rc != RC_OK) return rcFailUnread(rc, SITE_EXE_LOC, bConsole);

    if (iHelp == 1) {
        iConPrintf("%s", szMsgUsage);
    } else {
        rc = rcRunMode(aszArgs, nPaths, iRecurently, iStdio, &rStmtStyle);
        if (rc != RC_OK) return rc;  // the abnormal-end line is written
    }
    if (!rRunOptions.iQuiet) iConPrintf("%s", szMsgNormalEnd);
    // Standard output that took nothing (a full disk, a closed pipe) is no normal end: the report
    // goes to standard error.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return rcFail(rcStdoutFailed(iConWriteErr != 0 ? iConWriteErr : errno), SITE_STDOUT);
    // --check and --diff: a path left unchecked says more than a text that would change.
    if (rRunOptions.iUnchecked) return RC_UNCHECKED;
    // --check: a text that would change is what the run reports with its status.
    return rRunOptions.iCheck && rRunOptions.iChanged > 0 ? RC_CHANGED : RC_OK;
}
