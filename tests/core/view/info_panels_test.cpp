// The panels' number texts: rounding per layout, feet to metres, and the
// missing values (-777) that must show as nothing rather than as a number.
#include <gtest/gtest.h>

#include "view/info_panels.h"

using namespace mw;

TEST(SpeedPanel, ValueRoundingAndMissingValues) {
    EXPECT_EQ(SpeedText(9.999, PanelLayout::Bottom), "10.00");
    EXPECT_EQ(SpeedText(9.5, PanelLayout::Right), "9.5");
    EXPECT_EQ(HeadingText(-777), "");
    EXPECT_EQ(HeadingText(359.96), "360.0");
    EXPECT_EQ(AltitudeText(1000, 0, PanelLayout::Bottom), "305");    // 304.80 m
    EXPECT_EQ(AltitudeText(-100, 1, PanelLayout::Right), "-100.0");  // below sea level
    EXPECT_EQ(AltitudeText(-777, 0, PanelLayout::Bottom), "");
}
