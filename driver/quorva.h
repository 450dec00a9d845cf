// The driver: sorts and parses the arguments, prints the banner, runs one run mode and ends
// every run with one status line.
#pragma once
#include <cstdint>

#include "formatter/rStmtStyle.h"

// Reads the options into the flags and the record; returns 1 if any help option was seen.
// Warnings about unsupported options go to console. An option whose value cannot be used (an
// unknown encoding) is reported there too and counted in *piBadOpts.
// --version sets *piVersion; the options beyond the layout go to rRunOptions.
int rcParseArgs(int32_t iArgc, char **szArgv, int32_t *iNumOpts, int32_t *iRecurently, int32_t *iStdio,
                StmtStyle *rStmtStyle, int32_t *piBadOpts = nullptr, int *piVersion = nullptr);

// Writes the banner to console (standard output if console is still unset). Returns 0.
int rcShowBanner(const char *szProductName, const char *szVersion, const char *szCopyright);

// The whole run; returns the exit status.
int iQuorvaMain(int argc, char **argv);
