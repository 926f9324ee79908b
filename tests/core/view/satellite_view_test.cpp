// The satellites view as canvas calls: plot positions, texts, bars, scroll.
#include <gtest/gtest.h>

#include <algorithm>

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
        {0, 270, {20, 70}},  {30, 45, {86, 49}},  // 30 × cos 45° = 21.2
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
