#pragma once

// Turns a failed platform call into the Win32 failure message. iFailed is the negated success of
// the call just made, so that the thread's last error is still the one that call left.
// Returns 0 when iFailed is 0 or the last error is end-of-file, else RC_WIN32.
int rcChkWin32Api(int iFailed);

// Writes the Win32 failure message for uErr and the trail line of rcChkWin32Api(); returns
// RC_WIN32. For callers that have already read the last error themselves.
int rcReportWin32Error(unsigned uErr);
