#include <gtest/gtest.h>

#include "ports/system.h"
#include "support/paths.h"
#include "testlib/fake_ui.h"

using namespace mw;

TEST(Paths, ApplicationHomeFollowsXdg) {
    EXPECT_EQ(ApplicationHome({{"XDG_CONFIG_HOME", "/x/cfg"}, {"HOME", "/home/u"}}),
              "/x/cfg/mapwanderer");
    EXPECT_EQ(ApplicationHome({{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u"}}),
              "/home/u/.config/mapwanderer");
}

TEST(Paths, HandheldFoldersLiveUnderTheUserHome) {
    struct Case {
        const char* text;
        const char* path;
    };
    const Case cases[] = {
        {"\\Mapwanderer\\Maps", "/home/u/Mapwanderer/Maps"},
        {"/media/card/maps", "/media/card/maps"},
        {"maps\\north", "maps/north"},
    };
    for (const Case& c : cases) EXPECT_EQ(ToLocalPath(c.text, "/home/u/"), c.path) << c.text;
    EXPECT_EQ(JoinPath("", "Mapwanderer1.ini"), "/Mapwanderer1.ini");
}

TEST(Wait, WaitsAtLeastTheTimeAskedAcrossTickWrap) {
    mwtest::FakeClock clock;
    clock.tick = 0xFFFFFFF0u;
    clock.autoAdvance = 7;
    std::uint32_t waited = WaitMilliseconds(clock, 30);
    EXPECT_GE(waited, 30u);
    EXPECT_LT(waited, 40u);
}
