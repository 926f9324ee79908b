// The status line and the speed and navigation panels as canvas calls, in
// both layouts. The recording canvas measures text 6 pixels a character.
#include <gtest/gtest.h>

#include <algorithm>

#include "geo/datums.h"
#include "proj/position_format.h"
#include "testlib/fake_ui.h"
#include "view/info_panels.h"

using namespace mw;

namespace {

bool Has(const std::vector<std::string>& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

std::vector<std::string> Texts(const std::vector<std::string>& calls) {
    std::vector<std::string> out;
    for (const auto& c : calls)
        if (c.rfind("text ", 0) == 0) out.push_back(c);
    return out;
}

// The bottom strip of a 480-pixel-wide window whose client ends at y 640.
constexpr Rect kBottom{0, 590, 480, 640};
// The right column of an 800-pixel-wide window, below the tool bars at 39.
constexpr Rect kRight{672, 39, 800, 600};

}  // namespace

TEST(StatusLine, FixText) {
    struct Case {
        bool following, pvt, showFix, showDgps;
        int quality, sats, age;
        std::string text;
    };
    const Case cases[] = {
        {true, false, true, false, 1, 7, 0, "G-7"},
        {true, false, true, false, 2, 9, 0, "D-9"},
        {true, false, true, false, 0, 0, 0, "0-0"},
        {true, false, true, true, 2, 9, 12, "D-9-12"},
        {true, false, false, true, 2, 9, 12, "12"},  // the age alone
        {true, false, false, false, 2, 9, 12, ""},
        {true, false, true, false, 6, 4, 0, "6-4"},  // a quality without a letter
        {true, true, true, true, 2, 9, 12, "PVT"},
        {false, false, true, true, 1, 7, 3, ""},  // not following the GPS
    };
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

TEST(StatusLine, PositionFixAndStateAlongTheStripBottom) {
    StatusLineInputs in;
    in.positionText = "S 26 48.517  E 152 24.539";
    in.followingGps = true;
    in.fixQuality = 1;
    in.satellitesInUse = 7;
    in.gpsState = "ON ";
    mwtest::RecordingCanvas canvas;
    DrawStatusLine(canvas, in, {0, 23, 480, 39});
    EXPECT_EQ(canvas.calls, (std::vector<std::string>{
                                "fill 0,23 480,39 #ffffff",
                                "text 2,24 h13 w400 #000000 \"S 26 48.517  E 152 24.539\"",
                                // "G-7" ends 43 pixels before the right edge.
                                "text 419,24 h13 w400 #000000 \"G-7\"",
                                "text 442,24 h13 w400 #000000 \"ON \"",
                                "pen #000000 1",
                                "line 0,38 480,38",
                            }));
}

TEST(PositionText, ZeroZeroIsDashesInEveryFormat) {
    DatumTable datums;
    for (int format = 0; format < 16; ++format)
        EXPECT_EQ(FormatPosition(0, 0, format, datums, kDatumWgs84, ProjectionParams{}), "---")
            << format;
}

TEST(SpeedPanel, ValueFormats) {
    struct Case {
        double value;
        PanelLayout layout;
        std::string text;
    };
    // Speed: two decimals below 10 at the bottom, always one on the right.
    for (const Case& c : {Case{9.5, PanelLayout::Bottom, "9.50"}, Case{9.5, PanelLayout::Right, "9.5"},
                          Case{9.999, PanelLayout::Bottom, "10.00"}, Case{10, PanelLayout::Bottom, "10.0"},
                          Case{0, PanelLayout::Bottom, "0.00"}, Case{123.45, PanelLayout::Right, "123.5"}})
        EXPECT_EQ(SpeedText(c.value, c.layout), c.text) << c.value;

    EXPECT_EQ(HeadingText(-777), "");
    EXPECT_EQ(HeadingText(359.96), "360.0");
    EXPECT_EQ(HeadingText(0), "0.0");

    struct Alt {
        double feet;
        int unit;
        PanelLayout layout;
        std::string text;
    };
    for (const Alt& a : {Alt{1000, 0, PanelLayout::Bottom, "305"},   // 304.80 m
                         Alt{1000, 0, PanelLayout::Right, "304.8"},
                         Alt{1000, 1, PanelLayout::Bottom, "1000"},
                         Alt{-100, 1, PanelLayout::Right, "-100.0"},  // below sea level
                         Alt{-777, 0, PanelLayout::Bottom, ""}})
        EXPECT_EQ(AltitudeText(a.feet, a.unit, a.layout), a.text) << a.feet;
}

TEST(SpeedPanel, BottomLayout) {
    InfoPanelInputs in;
    in.showSpeed = true;
    in.speed = {9.5, 84.4, false, 1000, 0};
    mwtest::RecordingCanvas canvas;
    DrawInfoPanels(canvas, in, kBottom, PanelLayout::Bottom);
    EXPECT_EQ(canvas.calls, (std::vector<std::string>{
                                "fill 0,590 480,640 #ffffff",
                                "text 3,624 h13 w400 #000000 \"Spd\"",
                                "text 86,624 h13 w400 #000000 \"Hdg\"",
                                "text 170,624 h13 w400 #000000 \"Alt\"",
                                "text 86,615 h11 w400 #000000 \"True\"",
                                "pen #000000 1",
                                "line 0,615 480,615",
                                "text 28,617 h24 w700 #000000 \"9.50\"",
                                "text 111,617 h24 w700 #000000 \"84.4\"",
                                "text 191,617 h24 w700 #000000 \"305\"",
                            }));

    // No heading, no altitude: neither value is written; magnetic reference.
    in.speed = {12.25, -777, true, -777, 0};
    canvas.calls.clear();
    DrawInfoPanels(canvas, in, kBottom, PanelLayout::Bottom);
    EXPECT_TRUE(Has(canvas.calls, "text 86,615 h11 w400 #000000 \"Mag\""));
    EXPECT_TRUE(Has(canvas.calls, "text 28,617 h24 w700 #000000 \"12.2\"") ||
                Has(canvas.calls, "text 28,617 h24 w700 #000000 \"12.3\""));
    EXPECT_EQ(Texts(canvas.calls).size(), 5u) << "three labels, the reference, the speed";

    // Above 9999 (after conversion) the altitude takes the smaller font, lower.
    struct Alt {
        double feet;
        int unit;
        std::string call;
    };
    for (const Alt& a : {Alt{10000, 1, "text 191,622 h18 w700 #000000 \"10000\""},
                         Alt{9999, 1, "text 191,617 h24 w700 #000000 \"9999\""},
                         Alt{33000, 0, "text 191,622 h18 w700 #000000 \"10059\""},
                         Alt{32800, 0, "text 191,617 h24 w700 #000000 \"9998\""}}) {
        in.speed = {0, -777, false, a.feet, a.unit};
        canvas.calls.clear();
        DrawInfoPanels(canvas, in, kBottom, PanelLayout::Bottom);
        EXPECT_EQ(Texts(canvas.calls).back(), a.call) << a.feet;
    }
}

TEST(SpeedPanel, RightLayout) {
    InfoPanelInputs in;
    in.showSpeed = true;
    in.speed = {9.5, 84.4, true, 1000, 1};
    mwtest::RecordingCanvas canvas;
    DrawInfoPanels(canvas, in, kRight, PanelLayout::Right);
    EXPECT_EQ(canvas.calls, (std::vector<std::string>{
                                "fill 672,39 800,600 #ffffff",
                                "pen #000000 1",
                                "line 672,39 672,600",
                                "text 676,48 h13 w400 #000000 \"Speed\"",
                                "text 676,72 h13 w400 #000000 \"Heading (M)\"",
                                "text 676,98 h13 w400 #000000 \"Altitude\"",
                                "text 723,41 h24 w700 #000000 \"9.5\"",
                                "text 723,65 h24 w700 #000000 \"84.4\"",
                                "text 723,91 h24 w700 #000000 \"1000.0\"",
                                "pen #000000 1",
                                "line 672,121 800,121",
                            }));
}

TEST(NavigationPanel, NotNavigatingSitsBelowOrBesideTheSpeedPanel) {
    struct Case {
        PanelLayout layout;
        bool speed;
        std::string call;
    };
    const Case cases[] = {
        {PanelLayout::Bottom, false, "text 2,619 h13 w400 #000000 \"Not Navigating\""},
        {PanelLayout::Bottom, true, "text 2,594 h13 w400 #000000 \"Not Navigating\""},
        {PanelLayout::Right, false, "text 676,43 h13 w400 #000000 \"Not Navigating\""},
        {PanelLayout::Right, true, "text 676,125 h13 w400 #000000 \"Not Navigating\""},
    };
    for (const Case& c : cases) {
        InfoPanelInputs in;
        in.showSpeed = c.speed;
        in.showNavigation = true;
        mwtest::RecordingCanvas canvas;
        DrawInfoPanels(canvas, in, c.layout == PanelLayout::Bottom ? kBottom : kRight, c.layout);
        EXPECT_TRUE(Has(canvas.calls, c.call)) << c.call;
    }
}

TEST(NavigationPanel, BottomRowPlacesEachItemAfterThePrevious) {
    InfoPanelInputs in;
    in.showNavigation = true;
    in.navigation = {true, "Riv..ide", "1.50", "km", "271.3"};
    mwtest::RecordingCanvas canvas;
    DrawInfoPanels(canvas, in, kBottom, PanelLayout::Bottom);
    // 6 pixels a character: "To" 12 + 6, "Riv..ide" 48 + 6, "Dst" 18 + 3,
    // "1.50" 24 + 2, "km" 12 + 3, "Brg" 18 + 3.
    EXPECT_EQ(Texts(canvas.calls), (std::vector<std::string>{
                                       "text 2,624 h13 w400 #000000 \"To\"",
                                       "text 20,621 h16 w700 #000000 \"Riv..ide\"",
                                       "text 74,624 h13 w400 #000000 \"Dst\"",
                                       "text 95,617 h24 w700 #000000 \"1.50\"",
                                       "text 121,624 h13 w400 #000000 \"km\"",
                                       "text 136,624 h13 w400 #000000 \"Brg\"",
                                       "text 157,617 h24 w700 #000000 \"271.3\"",
                                   }));
    EXPECT_TRUE(Has(canvas.calls, "line 0,615 480,615"));
}

TEST(NavigationPanel, RightColumn) {
    InfoPanelInputs in;
    in.showSpeed = true;
    in.showNavigation = true;
    in.navigation = {true, "Harbour", "805", "ft", "12.0"};
    mwtest::RecordingCanvas canvas;
    DrawInfoPanels(canvas, in, kRight, PanelLayout::Right);
    std::vector<std::string> texts = Texts(canvas.calls);
    std::vector<std::string> nav(texts.end() - 8, texts.end());
    EXPECT_EQ(nav, (std::vector<std::string>{
                       "text 676,125 h13 w400 #000000 \"To\"",
                       "text 723,122 h18 w700 #000000 \"Harbour\"",
                       "text 676,147 h13 w400 #000000 \"Dist\"",
                       "text 723,144 h18 w700 #000000 \"805\"",
                       "text 743,147 h13 w400 #000000 \"ft\"",
                       "text 676,173 h13 w400 #000000 \"Bearing\"",
                       "text 723,170 h18 w700 #000000 \"12.0\"",
                       "text 749,173 h13 w400 #000000 \"tr\"",
                   }));
}

TEST(InfoPanels, ExtentAndNothingDrawnWithoutPanels) {
    struct Case {
        bool speed, nav;
        int bottom, right;
    };
    for (const Case& c : {Case{false, false, 0, 0}, Case{true, false, 25, 128},
                          Case{false, true, 25, 128}, Case{true, true, 50, 128}}) {
        InfoPanelInputs in;
        in.showSpeed = c.speed;
        in.showNavigation = c.nav;
        EXPECT_EQ(InfoPanelExtent(in, PanelLayout::Bottom), c.bottom);
        EXPECT_EQ(InfoPanelExtent(in, PanelLayout::Right), c.right);
    }
    mwtest::RecordingCanvas canvas;
    DrawInfoPanels(canvas, InfoPanelInputs{}, kBottom, PanelLayout::Bottom);
    EXPECT_TRUE(canvas.calls.empty());
}
