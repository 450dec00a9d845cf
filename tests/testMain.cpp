#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char **argv) {
#ifndef _WIN32
    // The expected messages are the program's own Shift_JIS: no terminal codeset may change them
    // (in this process or in the executables it starts).
    setenv("LC_ALL", "C", 1);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
