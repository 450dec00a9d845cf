// Standard streams, path syntax and the start-up of the program.
#pragma once

// Puts standard input, output and error into binary mode: the program converts line ends
// itself, the same way on every platform.
void vPlatBinaryStdio();

// The separator of composed paths: '\\' on Windows, '/' on POSIX.
extern const char cPlatPathSep;

// Whether an argument beginning with "/" is an option form (Windows) or an absolute path (POSIX).
extern const int iPlatSlashOption;
