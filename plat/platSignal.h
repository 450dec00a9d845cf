// Interrupts while a file is being made: Ctrl-C, SIGINT, SIGTERM and SIGHUP on POSIX; Ctrl-C,
// Ctrl-Break and closing the console on Windows. An interrupt that arrives while a new file
// stands beside the one it is to replace removes the new file, so that only the original stays,
// and then ends the program as that interrupt ends programs: on POSIX by the signal itself (a
// shell reports 128 + the signal's number: 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP), on
// Windows with the status 0xC000013A (STATUS_CONTROL_C_EXIT).
#pragma once

// Takes over the interrupts for the rest of the run. An interrupt that the program was started
// to ignore (POSIX: SIG_IGN, a background job) stays ignored. Can be called more than once.
void vPlatCatchInterrupts();

// Holds interrupts back until vPlatAllowInterrupts: the making, removal or renaming of the new
// file and the naming of it below happen as one step that an interrupt never splits. Calls do
// not nest.
void vPlatHoldInterrupts();
void vPlatAllowInterrupts();

// The file an interrupt removes (the text stays the caller's and must live until it is named
// no longer), or null for none.
void vPlatSetDoomedFile(const char *szPath);
