// Map search back-off and the detailed-map interval, driven by tick counts.
#include <gtest/gtest.h>

#include "nav/gps_timing.h"

using namespace mw;

TEST(MapSearchTiming, OffMapBacksOffTo15And30And60SecondsAlsoAcrossTheTickWrap) {
    for (std::uint32_t start : {0u, 0xFFFFFFFFu - 20000u}) {
        MapSearchTiming timing;
        std::vector<int> times;
        for (int s = 0; s <= 250; ++s)
            OffMapSearch(timing, start + static_cast<std::uint32_t>(s) * 1000u, [&] {
                times.push_back(s);
                return false;
            });
        EXPECT_EQ(times, (std::vector<int>{0, 15, 45, 105, 165, 225})) << start;
    }
}

TEST(MapSearchTiming, AMapFoundRestartsTheBackOffAndDetailedSearchesRunEvery30Seconds) {
    MapSearchTiming timing;
    auto none = [] { return false; };
    auto found = [] { return true; };
    OffMapSearch(timing, 0, none);
    OffMapSearch(timing, 15000, none);
    EXPECT_EQ(OffMapSearch(timing, 44999, found), MapSearchOutcome::NotDue);
    EXPECT_EQ(OffMapSearch(timing, 45000, found), MapSearchOutcome::Loaded);
    EXPECT_EQ(OffMapSearch(timing, 45001, none), MapSearchOutcome::NothingLoaded);
    PositionOnMap(timing);
    EXPECT_EQ(OffMapSearch(timing, 45002, none), MapSearchOutcome::NothingLoaded);

    std::vector<int> times;
    for (int s = 0; s <= 100; ++s)
        DetailedMapSearch(timing, static_cast<std::uint32_t>(s) * 1000u, [&] {
            times.push_back(s);
            return false;
        });
    EXPECT_EQ(times, (std::vector<int>{0, 30, 60, 90}));
    EXPECT_EQ(timing.offMapInterval, 15);
    EXPECT_EQ(DetailedMapSearch(timing, 120000, found), MapSearchOutcome::Loaded);
    EXPECT_EQ(timing.offMapInterval, 0);
}
