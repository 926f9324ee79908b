// The navigation panel's texts and the navigation target's life.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "nav/nav_text.h"
#include "nav/navigation.h"

using namespace mw;

TEST(NavText, DistanceUnitsSwitchAtTheirThresholdsAndScaledValuesLoseDecimals) {
    struct Case {
        double metres;
        int unit;
        DistanceText expect;
    };
    const Case cases[] = {
        {999.6, kUnitKilometres, {"1000", "m"}},  // rounds, still below 1000 m
        {1000, kUnitKilometres, {"1.00", "km"}},
        {1500000, kUnitKilometres, {"1500", "km"}},
        {800, kUnitMiles, {"2625", "ft"}},    // 2624.67 ft, under 2640
        {805, kUnitMiles, {"0.50", "mi"}},    // 2641.08 ft
        {925, kUnitNauticalMiles, {"3035", "ft"}},  // under 3038 ft
        {926, kUnitNauticalMiles, {"0.50", "mi"}},  // 0.5 nautical miles
        {999, 7, {"999", "m"}},  // a unit the settings never hold: kilometres
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNavDistance(c.metres, c.unit), c.expect) << c.metres << " unit " << c.unit;
}

TEST(Navigation, TargetsAreSetReplacedCancelledAndDroppedWithTheirWaypoint) {
    NavigationState nav;
    EXPECT_FALSE(nav.Active());
    SetNavigationTarget(nav, 51.5, -0.1, 7, "Home");
    ASSERT_TRUE(nav.Active());
    EXPECT_EQ(nav.target->waypointIndex, 7);

    // Deleting another waypoint, or a place from the name search (-1),
    // changes nothing; deleting the target's waypoint ends navigation.
    EXPECT_FALSE(WaypointDeleted(nav, 6));
    EXPECT_FALSE(WaypointDeleted(nav, -1));
    EXPECT_TRUE(nav.Active());
    EXPECT_TRUE(WaypointDeleted(nav, 7));
    EXPECT_FALSE(nav.Active());

    SetNavigationTarget(nav, 1, 2, -1, "Peak");
    CancelNavigation(nav);
    EXPECT_FALSE(nav.Active());

    // A position that is not a number is no target.
    SetNavigationTarget(nav, 1, 2, -1, "a");
    SetNavigationTarget(nav, std::numeric_limits<double>::quiet_NaN(), 2, -1, "b");
    EXPECT_FALSE(nav.Active());
}
