#include <gtest/gtest.h>

#include "app/window_placement.h"

namespace mw {
namespace {

struct PlaceCase {
    const char* what;
    ScreenRect screen, area;
    WindowSize window;
    MapCorner corner;
    ScreenPoint want;
};

TEST(FloatingPlacement, OpensInTheMapAreaCornerOnEveryScreen) {
    const PlaceCase cases[] = {
        {"portrait 240x320 scale bar", {0, 0, 240, 320}, {0, 40, 240, 250}, {62, 14},
         MapCorner::BottomLeft, {4, 272}},
        {"portrait 240x320 overview", {0, 0, 240, 320}, {0, 40, 240, 250}, {100, 100},
         MapCorner::TopRight, {136, 44}},
        {"portrait 480x640 overview", {0, 0, 480, 640}, {0, 52, 480, 540}, {200, 200},
         MapCorner::TopRight, {276, 56}},
        {"portrait 480x640 scale bar", {0, 0, 480, 640}, {0, 52, 480, 540}, {152, 14},
         MapCorner::BottomLeft, {4, 574}},
        {"landscape 1024x600 beside the panels", {0, 0, 1024, 600}, {160, 30, 864, 546},
         {152, 14}, MapCorner::BottomLeft, {164, 558}},
        {"landscape 1024x600 overview", {0, 0, 1024, 600}, {160, 30, 864, 546}, {150, 150},
         MapCorner::TopRight, {870, 34}},
        {"1920x1080, window in the middle", {0, 0, 1920, 1080}, {600, 200, 480, 600},
         {150, 150}, MapCorner::TopRight, {926, 204}},
        {"second screen to the right", {1920, 0, 1024, 600}, {2080, 30, 864, 546}, {62, 14},
         MapCorner::BottomLeft, {2084, 558}},
        // Larger than the map area: its top left at the area's, then pulled
        // onto the screen.
        {"overview larger than the area", {0, 0, 240, 320}, {0, 40, 240, 250}, {300, 300},
         MapCorner::TopRight, {0, 20}},
        {"scale bar wider than the area", {0, 0, 240, 320}, {0, 40, 240, 250}, {302, 14},
         MapCorner::BottomLeft, {0, 272}},
        // A main window hanging off the screen's bottom right.
        {"map area partly off the screen", {0, 0, 1920, 1080}, {1800, 900, 480, 600},
         {62, 14}, MapCorner::BottomLeft, {1804, 1066}},
        {"overview off the right edge", {0, 0, 1920, 1080}, {1800, 900, 480, 600},
         {150, 150}, MapCorner::TopRight, {1770, 904}},
    };
    for (const PlaceCase& c : cases) {
        const ScreenPoint at = PlaceFloatingWindow(c.area, c.window, c.screen, c.corner);
        EXPECT_EQ(at, c.want) << c.what << ": got " << at.x << "," << at.y;
    }
}

TEST(FloatingPlacement, MovedPositionStaysButComesBackOnScreen) {
    const ScreenRect screen{0, 0, 1024, 600};
    EXPECT_EQ(ClampToScreen({300, 200}, {100, 100}, screen), (ScreenPoint{300, 200}));
    EXPECT_EQ(ClampToScreen({5000, -20}, {100, 100}, screen), (ScreenPoint{924, 0}));
    EXPECT_EQ(ClampToScreen({-50, 590}, {62, 14}, screen), (ScreenPoint{0, 586}));
}

TEST(FloatingPlacement, OnlyTheShippedDefaultsCountAsUnmoved) {
    EXPECT_TRUE(FloatingPositionUnmoved(32, 63));
    EXPECT_TRUE(FloatingPositionUnmoved(10, 70));
    EXPECT_FALSE(FloatingPositionUnmoved(33, 63));
    EXPECT_FALSE(FloatingPositionUnmoved(10, 71));
    EXPECT_FALSE(FloatingPositionUnmoved(0, 0));
}

TEST(SystemCorner, TapsUpTo149OpenSystem) {
    struct {
        int x, y;
        bool opens;
    } const cases[] = {{0, 0, true},    {149, 149, true},  {149, 0, true},   {0, 149, true},
                       {150, 0, false}, {0, 150, false},   {149, 150, false}, {-1, 5, false},
                       {5, -1, false},  {300, 300, false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsSystemCornerTap(c.x, c.y), c.opens) << c.x << "," << c.y;
}

}  // namespace
}  // namespace mw
