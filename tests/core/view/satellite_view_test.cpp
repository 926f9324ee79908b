// The satellites view as canvas calls: plot positions, texts, bars, scroll.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "testlib/fake_ui.h"
#include "view/satellite_view.h"

using namespace mw;

namespace {

int CountPrefix(const std::vector<std::string>& calls, const std::string& prefix) {
    return static_cast<int>(std::count_if(
        calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}
bool Has(const std::vector<std::string>& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}
StarRandom Fixed(int value) {
    return [value] { return value; };
}

}  // namespace

TEST(SatelliteView, SkyPositions) {
    struct Case {
        int elevation, azimuth;
        Point at;
    };
    const Case cases[] = {
        {90, 0, {65, 70}},   {90, 217, {65, 70}},  // overhead: the centre
        {0, 90, {110, 70}},                        // east horizon, 45 pixels right
        {0, 180, {65, 115}}, {0, 270, {20, 70}},
        {45, 90, {87, 70}},  {30, 45, {86, 49}},  // 30 × cos 45° = 21.2
    };
    for (const Case& c : cases)
        EXPECT_EQ(SkyPosition(c.elevation, c.azimuth), c.at) << c.elevation << " " << c.azimuth;
}

TEST(SatelliteView, MoreThanTwelveSatellitesScrollTheBars) {
    SatelliteViewInputs in;
    in.dataReceived = true;
    for (int i = 1; i <= 20; ++i)
        in.satellites.push_back({"G" + std::to_string(i), 30, 18 * i, 35, true});
    EXPECT_EQ(SatelliteBarsHeight(20), 262);

    mwtest::RecordingCanvas all;
    DrawSatellitesView(all, in, 280, 300, 0, Fixed(0));
    EXPECT_EQ(CountPrefix(all.calls, "text 136,"), 20) << "every satellite gets a bar";

    mwtest::RecordingCanvas scrolled;
    DrawSatellitesView(scrolled, in, 280, 165, 13 * 12, Fixed(0));
    EXPECT_TRUE(Has(scrolled.calls, "text 136,1 h13 w400 #000000 on #ffffff \"G13\""));
    EXPECT_FALSE(Has(scrolled.calls, "text 136,-155 h13 w400 #000000 on #ffffff \"G1\""));
    EXPECT_TRUE(Has(scrolled.calls, "text 136,92 h13 w400 #000000 on #ffffff \"G20\""));
    // The plot still shows all twenty.
    EXPECT_EQ(CountPrefix(scrolled.calls, "text ") - CountPrefix(scrolled.calls, "text 136,"),
              20 + 5);  // and "N", two labels and two values
}

TEST(SatelliteView, CrowdedLabelsDoNotOverlap) {
    // Fifteen satellites, most of them high: their plot places lie within a
    // few pixels of each other around the zenith.
    SatelliteViewInputs in;
    in.dataReceived = true;
    const int sky[][2] = {{90, 0},   {88, 40},  {87, 200}, {85, 90}, {85, 300},
                          {84, 150}, {82, 10},  {80, 250}, {78, 60}, {75, 180},
                          {72, 330}, {70, 100}, {45, 45},  {44, 50}, {0, 270}};
    for (int i = 0; i < 15; ++i)
        in.satellites.push_back({"G" + std::to_string(i + 10), sky[i][0], sky[i][1], 30, true});
    mwtest::RecordingCanvas canvas;
    DrawSatellitesView(canvas, in, 280, 220, 0, Fixed(0));
    // The recording canvas sets an 11-pixel label 6 pixels a character wide.
    struct Label {
        Rect box;
        std::string text;
    };
    std::vector<Label> labels;
    for (const std::string& call : canvas.calls) {
        int x = 0, y = 0;
        char text[16] = {};
        if (std::sscanf(call.c_str(), "text %d,%d h11 w400 #ffffff on #%*6x \"%15[^\"]\"", &x, &y,
                        text) == 3)
            labels.push_back({{x, y, x + 6 * static_cast<int>(std::strlen(text)), y + 11}, text});
    }
    ASSERT_EQ(labels.size(), 15u);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const Rect& a = labels[i].box;
        EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= kSkyWidth && a.bottom <= kSkyHeight)
            << labels[i].text << " leaves the plot";
        // Near its own place: within two label widths of it.
        const Point p = SkyPosition(sky[i][0], sky[i][1]);
        EXPECT_LE(std::abs((a.left + a.right) / 2 - p.x) + std::abs((a.top + a.bottom) / 2 - p.y),
                  36)
            << labels[i].text;
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            const Rect& b = labels[j].box;
            EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom &&
                         b.top < a.bottom)
                << labels[i].text << " meets " << labels[j].text;
        }
    }
}
