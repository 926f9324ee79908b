// The scale bar's step for the map scale, zoom and unit.
#include <gtest/gtest.h>

#include <cmath>

#include "view/scale_bar.h"

using namespace mw;

TEST(ScaleBar, StepForScaleZoomAndUnit) {
    struct Case {
        int unit;
        double divisor, metresPerPixel;
        int length;
        std::string label;
    };
    const Case cases[] = {
        // 10 m a pixel at 100 %: 200 m is 20 pixels, 500 m the first past 30.
        {0, 1, 10, 50, "500 m"},
        {0, 0.5, 10, 40, "200 m"},     // magnified twice
        {0, 1, 0.01, 100, "1 m"},      // the first step already long enough
        {0, 1, 99999, 50, "5000 Km"},    // a map without a scale line
        {0, 1, 1e6, 0, ""},              // nothing is long enough
        // Miles: feet first (3.28083 ft a metre), then miles of 1609 m.
        {1, 1, 1, 30, "100 ft"},         // 30.48 pixels: longer than 30, drawn 30
        {1, 1, 10, 32, "0.2 m"},         // 0.2 mi = 321.8 m
        // Nautical miles: 1852 m.
        {2, 1, 10, 37, "0.2 nm"},
    };
    for (const Case& c : cases) {
        ScaleBar bar = ChooseScaleBar(c.unit, c.divisor, c.metresPerPixel);
        EXPECT_EQ(bar.length, c.length) << c.unit << " " << c.divisor << " " << c.metresPerPixel;
        EXPECT_EQ(bar.label, c.label) << c.unit << " " << c.divisor << " " << c.metresPerPixel;
    }
}

TEST(ScaleBar, UnusableScaleOrZoomGivesNoBar) {
    for (auto [divisor, scale] :
         {std::pair{0.0, 10.0}, {-1.0, 10.0}, {std::nan(""), 10.0}, {1.0, INFINITY}}) {
        ScaleBar bar = ChooseScaleBar(0, divisor, scale);
        EXPECT_EQ(bar.length, 0) << divisor << " " << scale;
    }
}
