// Map search back-off, the detailed-map interval and the screen update
// count, driven by tick counts.
#include <gtest/gtest.h>

#include "nav/gps_timing.h"

using namespace mw;

namespace {

// Seconds at which searches ran for a fix every second from 0 to `until`,
// the position off the map all along and no map found.
std::vector<int> OffMapSearchTimes(std::uint32_t startTick, int until) {
    MapSearchTiming timing;
    std::vector<int> times;
    for (int s = 0; s <= until; ++s) {
        const std::uint32_t now = startTick + static_cast<std::uint32_t>(s) * 1000u;
        OffMapSearch(timing, now, [&] {
            times.push_back(s);
            return false;
        });
    }
    return times;
}

}  // namespace

TEST(MapSearchTiming, OffMapBacksOffTo15And30And60Seconds) {
    const std::vector<int> expected = {0, 15, 45, 105, 165, 225};
    EXPECT_EQ(OffMapSearchTimes(0, 250), expected);
    // Across the wrap of the tick count the intervals are the same.
    EXPECT_EQ(OffMapSearchTimes(0xFFFFFFFFu - 20000u, 250), expected);
}

TEST(MapSearchTiming, AMapFoundOrThePositionBackOnAMapRestartsTheBackOff) {
    MapSearchTiming timing;
    auto none = [] { return false; };
    auto found = [] { return true; };
    EXPECT_EQ(OffMapSearch(timing, 0, none), MapSearchOutcome::NothingLoaded);
    EXPECT_EQ(OffMapSearch(timing, 15000, none), MapSearchOutcome::NothingLoaded);
    EXPECT_EQ(timing.offMapInterval, 30);
    EXPECT_EQ(OffMapSearch(timing, 44999, found), MapSearchOutcome::NotDue);
    EXPECT_EQ(OffMapSearch(timing, 45000, found), MapSearchOutcome::Loaded);
    EXPECT_EQ(timing.offMapInterval, 0);
    EXPECT_EQ(OffMapSearch(timing, 45001, none), MapSearchOutcome::NothingLoaded);

    PositionOnMap(timing);
    EXPECT_EQ(OffMapSearch(timing, 45002, none), MapSearchOutcome::NothingLoaded);
}

TEST(MapSearchTiming, DetailedSearchEvery30SecondsAndAFindResetsTheOffMapBackOff) {
    MapSearchTiming timing;
    timing.offMapInterval = 60;
    std::vector<int> times;
    for (int s = 0; s <= 100; ++s) {
        DetailedMapSearch(timing, static_cast<std::uint32_t>(s) * 1000u, [&] {
            times.push_back(s);
            return false;
        });
    }
    EXPECT_EQ(times, (std::vector<int>{0, 30, 60, 90}));
    EXPECT_EQ(timing.offMapInterval, 60);
    EXPECT_EQ(DetailedMapSearch(timing, 120000, [] { return true; }), MapSearchOutcome::Loaded);
    EXPECT_EQ(timing.offMapInterval, 0);
}

TEST(ScreenUpdate, NmeaUpdateCountsFixesAndTheFirstFixAfterAResetMoves) {
    struct Case {
        int nmeaUpdate;
        std::vector<bool> expected;  // fixes 1..8
    };
    const std::vector<Case> cases = {
        {1, {true, true, true, true, true, true, true, true}},
        {2, {true, false, true, false, true, false, true, false}},
        {3, {true, false, false, true, false, false, true, false}},
    };
    for (const Case& c : cases) {
        ScreenUpdateCounter counter;
        MapSearchTiming timing;
        ResetGpsTiming(timing, counter);
        std::vector<bool> moved;
        for (int fix = 0; fix < 8; ++fix) {
            CountFix(counter);
            moved.push_back(TakeScreenUpdate(counter, c.nmeaUpdate));
        }
        EXPECT_EQ(moved, c.expected) << c.nmeaUpdate;
    }
}

TEST(ScreenUpdate, AnUpdateSkippedWhileDrawingHappensAtTheNextFix) {
    ScreenUpdateCounter counter{0};
    CountFix(counter);
    CountFix(counter);  // due, but the map was being drawn: not taken
    CountFix(counter);
    EXPECT_TRUE(TakeScreenUpdate(counter, 2));
    CountFix(counter);
    EXPECT_FALSE(TakeScreenUpdate(counter, 2));
}
