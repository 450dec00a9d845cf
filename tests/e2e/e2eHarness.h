// Runs the real quorva executable with arguments and standard input and collects its bytes.
#pragma once
#include <string>
#include <vector>

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

// The last n bytes of s (all of s when it is shorter).
std::string sLast(const std::string &s, size_t n);

// True on the Windows build.
bool bWindows();

// A fresh directory below the working directory, removed with its content when the scope
// ends. Paths are relative and use the platform's separator, as the program composes them.
class E2eDir {
  public:
    explicit E2eDir(const std::string &sName);
    ~E2eDir();
    E2eDir(const E2eDir &) = delete;
    E2eDir &operator=(const E2eDir &) = delete;
    // The directory itself, or sRel below it ("a/b.sql" gets the platform's separator).
    std::string s(const std::string &sRel = std::string()) const;

  private:
    std::string sPath_;
};

// The names in a directory, sorted; the names of subdirectories end in "/".
std::vector<std::string> vsListDir(const std::string &sDir);
void vMakeDir(const std::string &sPath);
// Takes the owner's write permission away (the read-only attribute on Windows).
void vSetReadOnly(const std::string &sPath);
// The platform's path separator.
char cSep();
