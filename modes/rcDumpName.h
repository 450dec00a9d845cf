// The dump file of the formatter: the environment variable STMTORGFNM names a file that receives
// each text before it is formatted and is removed again after success. A run whose dump file is
// a file it reads or writes would overwrite that file and then remove it, so such a run is
// refused before anything is touched.
#pragma once
#include <cstdint>

#include "runtime/psGlobals.h"

// The dump file as the formatter will open it: a relative name from the current directory, an
// absolute one as it is (the formatter's rcDumpStmt).
struct DumpName {
    const char *szName = nullptr;  // the variable's value; null when it is unset or empty
    bool bExists = false;          // a file is there: known by its identity
    uint64_t uDevId = 0, uFileId = 0;
    char *szWhere = nullptr;  // else, when its directory is there, that directory resolved, a
                              // separator and the name: where the file will be made
    DumpName() = default;
    DumpName(const DumpName &) = delete;
    DumpName &operator=(const DumpName &) = delete;
    ~DumpName() { vFree(szWhere); }
};

// Reads STMTORGFNM into *pDump and finds the file it names. Returns RC_OK, or RC_NOMEM after
// its report (under szFunc and szModule, at iSite).
int rcDumpNameOf(DumpName *pDump, const char *szFunc, const char *szModule, int iSite);

// Whether szPath leads to the dump file (*pbSame): the same file, links and spellings followed,
// or, while the dump file is not there, the same resolved place. Returns RC_OK, or RC_NOMEM
// with nothing reported.
int rcIsDumpFile(const DumpName &rDump, const char *szPath, bool *pbSame);

// Refuses the dump file that is szWhat, a file of the run: the message, then the trail line
// under szFunc and szModule at iSite. Returns RC_USAGE.
int rcRefuseDump(const DumpName &rDump, const char *szWhat, const char *szFunc, const char *szModule, int iSite);

// Refuses a dump file that every run mode would meet: one named like a settings file (.quorva,
// which the run reads wherever it stands above a text), or a standard stream of the run that is
// a file (standard input when bReadsStdin, standard output and error always). Returns RC_OK,
// RC_NOMEM or RC_USAGE after its report.
int rcCheckDumpName(bool bReadsStdin);
