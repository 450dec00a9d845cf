// Runs the real quorva executable with arguments and standard input and collects its bytes.
#pragma once
#include <string>

struct RunResult {
    int iStatus;       // exit status
    std::string sOut;  // standard output, as written
    std::string sErr;  // standard error, as written
};

// Runs quorva in the test's working directory. szArgs is appended to the command line as it
// stands (the tests pass simple arguments only); sIn is written to a file that becomes
// standard input. szStdoutRedirect, when given, replaces "> file" for standard output.
RunResult rRunQuorva(const std::string &sArgs, const std::string &sIn = std::string(),
                     const char *szStdoutRedirect = nullptr);

std::string sReadFile(const std::string &sPath);
void vWriteFile(const std::string &sPath, const std::string &sBytes);

// The same text with every LF as CR LF: what the program writes for a text.
std::string sCrLf(const std::string &s);

// True on the Windows build.
bool bWindows();
