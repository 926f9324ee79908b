// The status line and the speed and navigation panels. The recording canvas
// measures text 6 pixels a character.
#include <gtest/gtest.h>

#include <algorithm>

#include "testlib/fake_ui.h"
#include "view/info_panels.h"

using namespace mw;

namespace {

std::vector<std::string> Texts(const std::vector<std::string>& calls) {
    std::vector<std::string> out;
    for (const auto& c : calls)
        if (c.rfind("text ", 0) == 0) out.push_back(c);
    return out;
}

// The bottom strip of a 480-pixel-wide window whose client ends at y 640.
constexpr Rect kBottom{0, 590, 480, 640};

}  // namespace

TEST(StatusLine, FixText) {
    struct Case {
        bool following, pvt, showFix, showDgps;
        int quality, sats, age;
        std::string text;
    };
    // clang-format off
    const Case cases[] = {
        {true, false, true, false, 1, 7, 0, "G-7"},     {true, false, true, true, 2, 9, 12, "D-9-12"},
        {true, false, false, true, 2, 9, 12, "12"},     {true, false, true, false, 6, 4, 0, "6-4"},
        {true, true, true, true, 2, 9, 12, "PVT"},      {false, false, true, true, 1, 7, 3, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        StatusLineInputs in;
        in.followingGps = c.following;
        in.pvtMode = c.pvt;
        in.showGpsFix = c.showFix;
        in.showDgpsSecs = c.showDgps;
        in.fixQuality = c.quality;
        in.satellitesInUse = c.sats;
        in.dgpsAge = c.age;
        EXPECT_EQ(StatusFixText(in), c.text) << c.text;
    }
}

TEST(SpeedPanel, ValueRoundingAndMissingValues) {
    EXPECT_EQ(SpeedText(9.999, PanelLayout::Bottom), "10.00");
    EXPECT_EQ(SpeedText(9.5, PanelLayout::Right), "9.5");
    EXPECT_EQ(HeadingText(-777), "");
    EXPECT_EQ(HeadingText(359.96), "360.0");
    EXPECT_EQ(AltitudeText(1000, 0, PanelLayout::Bottom), "305");  // 304.80 m
    EXPECT_EQ(AltitudeText(-100, 1, PanelLayout::Right), "-100.0");  // below sea level
    EXPECT_EQ(AltitudeText(-777, 0, PanelLayout::Bottom), "");
}

TEST(SpeedPanel, LargeAltitudesTakeTheSmallFont) {
    InfoPanelInputs in;
    in.showSpeed = true;
    mwtest::RecordingCanvas canvas;
    // Above 9999 after conversion the altitude takes the smaller font, lower.
    // clang-format off
    for (auto [feet, unit, call] : std::vector<std::tuple<double, int, std::string>>{
             {10000, 1, "text 191,622 h18 w700 #000000 \"10000\""}, {9999, 1, "text 191,617 h24 w700 #000000 \"9999\""},
             {33000, 0, "text 191,622 h18 w700 #000000 \"10059\""}, {32800, 0, "text 191,617 h24 w700 #000000 \"9998\""}}) {
        // clang-format on
        in.speed = {0, -777, false, feet, unit};
        DrawInfoPanels(canvas, in, kBottom, PanelLayout::Bottom);
        EXPECT_EQ(Texts(canvas.calls).back(), call) << feet;
    }
}

TEST(InfoPanels, ExtentAndNothingDrawnWithoutPanels) {
    for (auto [speed, nav, bottom, right] : {std::tuple{false, false, 0, 0}, {true, false, 25, 128},
                                             {false, true, 25, 128}, {true, true, 50, 128}}) {
        InfoPanelInputs in;
        in.showSpeed = speed;
        in.showNavigation = nav;
        EXPECT_EQ(InfoPanelExtent(in, PanelLayout::Bottom), bottom);
        EXPECT_EQ(InfoPanelExtent(in, PanelLayout::Right), right);
    }
    mwtest::RecordingCanvas canvas;
    DrawInfoPanels(canvas, InfoPanelInputs{}, kBottom, PanelLayout::Bottom);
    EXPECT_TRUE(canvas.calls.empty());
}
