// The view settings file is read back within the ranges the program can
// use: a hand-edited or damaged number must not size a window by it.
#include <gtest/gtest.h>

#include "config/settings.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

// The view file with every key at its fallback except `key`, set to `value`.
std::string ViewFileWith(const std::string& key, const std::string& value) {
    std::string s;
    for (const ViewSettingKey& k : ViewSettingKeys())
        s += std::string(k.key) + "," + (k.key == key ? value : std::to_string(k.fallback)) + "\r\n";
    return s + "End End End\r\n";
}

}  // namespace

TEST(ViewSettingsRead, MapViewSizeIsHeldToTheOverviewSizes) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"20000", 220}, {"221", 220}, {"220", 220}, {"140", 140}, {"95", 95},
        {"60", 60},     {"59", 60},   {"0", 60},    {"-40", 60},  {"2147483647", 220},
    };
    for (const auto& c : cases) {
        mwtest::TempDir home;
        home.Write(kViewConfigFile, ViewFileWith("MapView Size", c.text));
        ViewSettings view;
        ASSERT_TRUE(ReadViewSettings(home.Path(), view)) << c.text;
        EXPECT_EQ(view.mapViewSize, c.expected) << c.text;
    }
}

// Window positions have no range of their own (a second screen may lie to the
// left): they are kept as written.
TEST(ViewSettingsRead, PositionsAreKeptAsWritten) {
    mwtest::TempDir home;
    home.Write(kViewConfigFile, ViewFileWith("MapView Pos X", "-5000"));
    ViewSettings view;
    ASSERT_TRUE(ReadViewSettings(home.Path(), view));
    EXPECT_EQ(view.mapViewPosX, -5000);
}
