// The track ring: its invariant through wrap-around, what the datum change
// of a map load does to it.
#include <gtest/gtest.h>

#include "geo/datum_convert.h"
#include "map/position_store.h"
#include "track/track_store.h"

using namespace mw;

namespace {

int CountFlag(const TrackStore& track, int flag) {
    int n = 0;
    for (int i = 0; i < kTrackCapacity; ++i) n += track.Slot(i).flag == flag;
    return n;
}

}  // namespace

TEST(TrackRing, KeepsOneEndMarkerAndTheLast999PointsThroughWrapAround) {
    TrackStore track;
    EXPECT_EQ(track.PointCount(), 0);
    EXPECT_EQ(track.Slot(track.WriteIndex()).flag, kTrackEndMarker);

    for (int k = 0; k < 1005; ++k) {
        AddTrackPoint(track, k, -k, k % 2);
        ASSERT_EQ(CountFlag(track, kTrackEndMarker), 1) << "after point " << k;
        ASSERT_EQ(track.Slot(track.WriteIndex()).flag, kTrackEndMarker);
        ASSERT_EQ(track.Slot(track.WriteIndex()).lat, 7777.0);
    }
    EXPECT_EQ(track.PointCount(), kTrackMaxPoints);
    EXPECT_EQ(CountFlag(track, kTrackEmptySlot), 0);

    std::vector<double> lats;
    track.ForEachPoint([&](int, const TrackSlot& s) { lats.push_back(s.lat); });
    ASSERT_EQ(lats.size(), 999u);
    EXPECT_EQ(lats.front(), 6);  // points 0..5 were overwritten
    EXPECT_EQ(lats.back(), 1004);
    for (std::size_t i = 1; i < lats.size(); ++i) ASSERT_EQ(lats[i], lats[i - 1] + 1);

    ClearTrack(track);
    EXPECT_EQ(track.PointCount(), 0);
    EXPECT_EQ(track.WriteIndex(), 0);
    EXPECT_EQ(CountFlag(track, kTrackEmptySlot), kTrackCapacity - 1);
}

TEST(TrackRing, MarkerFlagsFromOutsideCannotBreakTheRing) {
    TrackStore track;
    AddTrackPoint(track, 1, 1, 0);
    AddTrackPoint(track, 2, 2, kTrackEndMarker);
    AddTrackPoint(track, 3, 3, kTrackEmptySlot);
    AddTrackPoint(track, 4, 4, 5);  // other values start a segment and are kept
    EXPECT_EQ(CountFlag(track, kTrackEndMarker), 1);
    std::vector<int> flags;
    track.ForEachPoint([&](int, const TrackSlot& s) { flags.push_back(s.flag); });
    EXPECT_EQ(flags, (std::vector<int>{0, 1, 1, 5}));
}

TEST(TrackRing, MovesWithTheMapDatumExceptItsMarkers) {
    DatumTable datums;
    const int ed50 = FindDatumByName(datums, "European 1950");
    TrackStore track;
    AddTrackPoint(track, 48.0, 11.0, 1);
    AddTrackPoint(track, 0, 0, 0);                            // unset: stays
    AddTrackPoint(track, kTrackBreakLat, kTrackBreakLat, 1);  // a break: stays

    ConvertStoredPositions(datums, kDatumWgs84, ed50, {&track});

    double lat = 48.0, lon = 11.0;
    ConvertDatum(datums, kDatumWgs84, ed50, lat, lon);
    EXPECT_EQ(track.Slot(0).lat, lat);
    EXPECT_EQ(track.Slot(0).lon, lon);
    EXPECT_EQ(track.Slot(1).lat, 0);
    EXPECT_EQ(track.Slot(2).lat, kTrackBreakLat);
    EXPECT_EQ(track.Slot(3).lat, kTrackBreakLat);  // the end marker
    EXPECT_EQ(track.Slot(3).flag, kTrackEndMarker);
    EXPECT_EQ(track.Slot(4).lat, 0);  // empty slots are not visited
    EXPECT_EQ(track.Slot(4).flag, kTrackEmptySlot);
}
