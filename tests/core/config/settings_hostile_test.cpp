// Settings files with values no dialog writes: each case was once a fault
// (an overflow while reading, a wrong value written back).
#include <climits>

#include <gtest/gtest.h>

#include "config/settings.h"
#include "testlib/temp_dir.h"

using namespace mw;

TEST(SettingsHostile, ComPortNumbersAtTheIntLimitsReadWithoutOverflow) {
    const DatumTable datums;
    // comPort is stored 0-based; the file holds the port number.
    struct Case {
        const char* value;
        int index;
    } cases[] = {
        {"-2147483648", INT_MIN},   // was an overflow: INT_MIN - 1
        {"-99999999999", INT_MIN},  // clamped by the number reader, then the same
        {"-2147483647", INT_MIN},
        {"2147483647", INT_MAX - 1},
        {"0", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        mwtest::TempDir home;
        auto lines = FormatConfigurationLines(AppSettings{}, datums);
        lines[63] = std::string("Com Port,") + c.value;
        std::string text;
        for (const auto& l : lines) text += l + "\r\n";
        home.Write(kMainConfigFile, text + "End End End\r\n");

        AppSettings s;
        ReadConfiguration(home.Path(), datums, s);
        EXPECT_EQ(s.comPort, c.index);

        // What is written back reads as the same index.
        ASSERT_TRUE(WriteConfiguration(home.Path(), datums, s));
        AppSettings again;
        ReadConfiguration(home.Path(), datums, again);
        EXPECT_EQ(again.comPort, c.index);
    }
}
