// The driver and console mode, through the real executable.
#include <gtest/gtest.h>

#include "e2eHarness.h"

namespace {
const std::string sBanner = "quorva version 1.0.0\nCopyright (C) 2026 The quorva developers\n";
const std::string sNormalEnd = "正常終了しました。                          \n";
const std::string sUsage =
    "Usage: \nquorva \n\t[-h|--help] \n\t[-ixx|--indent_width=xx] \n\t[-cxx|--num_comma=xx] \n"
    "\t[-sxx|--part_size=xx] \n\t[-r|--recurently] \n\t[-o|--stdio] \n\t[-j[xx]|--join_at[=xx]] \n"
    "\t[[ディレクトリ名|ファイル名]...] \n\n";
}  // namespace

TEST(Driver, HelpWritesBannerUsageAndNormalEnd) {
    RunResult r = rRunQuorva("-h");
    EXPECT_EQ(r.iStatus, 0);
    EXPECT_EQ(r.sOut, sCrLf(sBanner + sUsage + sNormalEnd));
    EXPECT_EQ(r.sErr, "");
}
