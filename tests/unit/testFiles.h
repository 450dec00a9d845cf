// Reading a file's bytes in unit tests.
#pragma once
#include <cstdio>
#include <string>

// The file's bytes exactly as stored, or "<missing>" when it cannot be opened.
inline std::string sReadBytes(const std::string &sName) {
    FILE *fp = std::fopen(sName.c_str(), "rb");
    if (fp == nullptr) return "<missing>";
    std::string s;
    char buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, fp)) > 0;) s.append(buf, n);
    std::fclose(fp);
    return s;
}
