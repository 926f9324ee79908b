// The status line and the speed and navigation panels. The recording canvas
// measures text 6 pixels a character.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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
    EXPECT_EQ(AltitudeText(1000, 0, PanelLayout::Bottom), "305");    // 304.80 m
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
    for (auto [speed, nav, bottom, right] : {std::tuple{false, false, 0, 0},
                                             {true, false, 25, 128},
                                             {false, true, 25, 128},
                                             {true, true, 50, 128}}) {
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

namespace {

// Measures like a real face: `advance` pixels per character per pixel of
// font height, bold a tenth wider, lines 1.2 heights tall. Keeps the box
// each text's capitals and figures fill: from a fifth of the font height
// under its top down to its baseline at the full height (the rows of the
// bottom strip are closer than whole lines, so line boxes always meet).
class MeasuringCanvas : public mwtest::RecordingCanvas {
public:
    struct Box {
        Rect rect;
        bool value;  // bold: a value; else a label or unit
        std::string text;
    };
    explicit MeasuringCanvas(double advance) : advance_(advance) {}
    int TextWidth(const std::string& t, int h, int weight) override {
        return static_cast<int>(
            std::ceil(static_cast<double>(t.size()) * h * advance_ * (weight >= 700 ? 1.1 : 1.0)));
    }
    int TextHeight(const std::string&, int h, int) override { return (h * 6 + 4) / 5; }
    void Text(Point at, const std::string& text, int h, int weight, Rgb c, Rgb bg,
              bool opaque) override {
        boxes.push_back({{at.x, at.y + h / 5, at.x + TextWidth(text, h, weight), at.y + h},
                         weight >= 700,
                         text});
        RecordingCanvas::Text(at, text, h, weight, c, bg, opaque);
    }
    std::vector<Box> boxes;

private:
    double advance_;
};

bool Intersect(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

TEST(InfoPanels, NoValueMeetsALabelAtTheWindowSizesInUse) {
    // The panel areas the main window gives at 240 × 320 and 480 × 800
    // portrait and 1024 × 600 and 1920 × 1080 landscape with both panels.
    struct Area {
        Rect rect;
        PanelLayout layout;
    };
    const Area areas[] = {{{0, 230, 240, 280}, PanelLayout::Bottom},
                          {{0, 700, 480, 750}, PanelLayout::Bottom},
                          {{896, 16, 1024, 545}, PanelLayout::Right},
                          {{1792, 16, 1920, 1021}, PanelLayout::Right}};
    // From a narrow handheld face to a wide desktop one (our default face
    // sets "Heading (T)" about 0.56 of its height a character).
    const double advances[] = {0.45, 0.56, 0.65, 0.75};
    InfoPanelInputs wide;
    wide.showSpeed = wide.showNavigation = true;
    wide.speed = {123.4, 359.9, true, 12345, 1};
    wide.navigation = {true, "Riv..ide", "999.99", "mi", "359.9"};
    InfoPanelInputs narrow = wide;
    narrow.speed = {9.5, 5, false, 1000, 0};
    narrow.navigation = {true, "Harbour", "12", "m", "0.5"};
    for (const Area& area : areas)
        for (double advance : advances)
            for (const InfoPanelInputs* in : {&wide, &narrow}) {
                MeasuringCanvas canvas(advance);
                DrawInfoPanels(canvas, *in, area.rect, area.layout);
                const std::string where = ::testing::PrintToString(area.rect.right) + " at " +
                                          ::testing::PrintToString(advance) + " " +
                                          in->navigation.name;
                std::vector<std::string> values;
                for (const auto& v : canvas.boxes)
                    if (v.value) values.push_back(v.text);
                EXPECT_EQ(values.size(), 6u) << where << ": every value is drawn";
                for (const auto& v : canvas.boxes) {
                    if (!v.value) continue;
                    for (const auto& l : canvas.boxes)
                        if (!l.value)
                            EXPECT_FALSE(Intersect(v.rect, l.rect))
                                << where << ": \"" << v.text << "\" meets \"" << l.text << "\"";
                    // A face wider than ours overflows the navigation row
                    // of the 240-pixel strip even in the smallest value
                    // font; nothing else may leave its area.
                    if (advance <= 0.56 || area.rect.right > 240)
                        EXPECT_LE(v.rect.right, area.rect.right) << where << " " << v.text;
                    if (area.layout == PanelLayout::Right)
                        EXPECT_LE(v.rect.bottom, area.rect.bottom) << where << " " << v.text;
                }
            }
}
