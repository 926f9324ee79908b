// The core test programs' main: like the desktop program, it takes the C
// library's locale from the environment, so a run under a decimal-comma
// locale shows whether any file format depends on it. CTest runs the
// programs with LC_ALL=C unless a test asks for another locale.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
