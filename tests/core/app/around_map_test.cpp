// The window size remembered between runs: a nonsense value must not open
// an unusable window.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/window_placement.h"

using namespace mw;

TEST(WindowPlacement, RememberedSizeRoundTripsAndRejectsNonsense) {
    auto back = ParseWindowSize(FormatWindowSize({1200, 900}));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width * 10000 + back->height, 12000900);
    for (const char* bad : {"", "x,y", "100,900", "99999,800"})
        EXPECT_FALSE(ParseWindowSize(bad)) << bad;
}
