// The main window's client area around the map: where the status line, the
// map and the panels go, and how big the window opens.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/panels.h"
#include "app/window_placement.h"

using namespace mw;

namespace {

struct AroundMapCase {
    const char* what;
    int width, height;
    bool speed, navigation;
    Rect map, panels;
};

}  // namespace

TEST(AroundMap, StatusLineOnTopMapBelowPanelsBesideOrUnder) {
    const AroundMapCase cases[] = {
        {"portrait, no panel", 480, 600, false, false, {0, 16, 480, 600}, {0, 600, 480, 600}},
        {"portrait, both", 480, 600, true, true, {0, 16, 480, 550}, {0, 550, 480, 600}},
        {"landscape, both", 800, 420, true, true, {0, 16, 672, 420}, {672, 16, 800, 420}},
        // A window no higher than the status line leaves the map nothing.
        {"squashed", 480, 10, true, true, {0, 10, 352, 10}, {352, 10, 480, 10}},
    };
    for (const AroundMapCase& c : cases) {
        SCOPED_TRACE(c.what);
        App app;
        SetScreenSize(app, c.width, c.height);
        app.view.viewSpeedInfo = c.speed;
        app.view.viewSpeedNavInfo = c.navigation;
        AroundMapLayout l = LayOutAroundMap(app, c.width, c.height);
        EXPECT_EQ(l.statusLine, (Rect{0, 0, c.width, std::min(c.height, kStatusLineHeight)}));
        EXPECT_EQ(l.map, c.map);
        EXPECT_EQ(l.panels, c.panels);
        // A panel toggled later lays out the same room again.
        EXPECT_EQ(app.state.areaHeight, c.height - l.statusLine.bottom);
        EXPECT_EQ(app.mapView.halfWidth, c.map.Width() / 2);
    }
}

TEST(WindowPlacement, HandheldScreensAreFilledOthersGetTheRememberedSize) {
    struct Case {
        const char* what;
        WindowSize screen, available;
        std::optional<WindowSize> remembered;
        WindowPlacement expected;
    };
    const Case cases[] = {
        {"800 x 600", {800, 600}, {800, 570}, WindowSize{700, 500}, {true, 0, 0}},
        {"1024 x 600, default too high", {1024, 600}, {1024, 570}, std::nullopt, {true, 0, 0}},
        {"1024 x 600 remembered", {1024, 600}, {1024, 570}, WindowSize{900, 500}, {false, 900, 500}},
        {"desktop default", {1920, 1080}, {1920, 1050}, std::nullopt, {false, 480, 640}},
        {"remembered on a larger screen", {1280, 800}, {1280, 770}, WindowSize{1900, 1000},
         {false, 1280, 770}},
        {"801 x 700 is no handheld", {801, 700}, {801, 700}, std::nullopt, {false, 480, 640}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StartWindowPlacement(c.screen, c.available, c.remembered), c.expected) << c.what;
}

TEST(WindowPlacement, RememberedSizeRoundTripsAndRejectsNonsense) {
    auto back = ParseWindowSize(FormatWindowSize({1200, 900}));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width * 10000 + back->height, 12000900);
    for (const char* bad : {"", "1200", "x,y", "100,900", "1200,-5", "99999,800", ",800"})
        EXPECT_FALSE(ParseWindowSize(bad)) << bad;
}
