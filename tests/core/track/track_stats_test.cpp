#include "track/track_stats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "geo/geodesic.h"

using namespace mw;

namespace {

const Ellipsoid kWgs84 = EllipsoidOf(kEllipsoidWgs84);
constexpr std::int64_t kStart = 1700000000;

// A circle of 10 km circumference walked at 10 km/h, one fix a second, with
// a stop of five minutes (300 fixes at one place) half way round.
std::vector<TrackPoint> CircleWithStop() {
    const double radius = 10000 / (2 * std::numbers::pi);
    const int steps = 3600;  // 10 km at 10 km/h
    std::vector<TrackPoint> points;
    std::int64_t t = kStart;
    for (int i = 0; i <= steps; ++i) {
        TrackPoint p;
        GeodesicDirect(kWgs84, 47.0, 8.0, 360.0 * i / steps, radius, p.lat, p.lon);
        p.time = t++;
        points.push_back(p);
        if (i == steps / 2)
            for (int s = 0; s < 300; ++s) {
                p.time = t++;
                points.push_back(p);
            }
    }
    return points;
}

// A straight climb of 300 m over 3 km at 6 km/h, heights with ±2 m noise.
std::vector<TrackPoint> NoisyClimb(std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> noise(-2, 2);
    std::vector<TrackPoint> points;
    const int n = 1800;
    for (int i = 0; i <= n; ++i) {
        TrackPoint p;
        GeodesicDirect(kWgs84, 46.5, 7.5, 30, 3000.0 * i / n, p.lat, p.lon);
        p.eleMetres = 1000 + 300.0 * i / n + noise(rng);
        p.time = kStart + 1 + i;
        points.push_back(p);
    }
    return points;
}

}  // namespace

TEST(TrackStats, CircleAtConstantSpeedWithAStop) {
    const std::vector<TrackPoint> points = CircleWithStop();
    const TrackStats s = ComputeTrackStats(points, kWgs84);
    EXPECT_EQ(s.points, static_cast<int>(points.size()));
    EXPECT_EQ(s.segments, 1);
    EXPECT_NEAR(s.distanceMetres, 10000, 10000 * 0.001);
    ASSERT_TRUE(s.HasTimes());
    EXPECT_EQ(*s.startTime, kStart);
    EXPECT_EQ(*s.elapsedSeconds, 3900);
    EXPECT_NEAR(*s.movingSeconds, 3600, 1);  // within one sample
    EXPECT_NEAR(*s.averageKmh, 10000.0 / 3900 * 3.6, 0.02);
    EXPECT_NEAR(*s.movingAverageKmh, 10, 0.02);
    EXPECT_NEAR(*s.maxKmh, 10, 0.05);
    // No heights: none of the height figures.
    EXPECT_EQ(s.heightPoints, 0);
    EXPECT_FALSE(s.ascentMetres);
    EXPECT_FALSE(s.highestMetres);
}

TEST(TrackStats, OneJumpyFixDoesNotMakeTheMaximum) {
    std::vector<TrackPoint> points = CircleWithStop();
    // 60 m off the path for one second: 216 km/h into it and out of it.
    GeodesicDirect(kWgs84, points[1000].lat, points[1000].lon, 0, 60, points[1000].lat,
                   points[1000].lon);
    const TrackStats s = ComputeTrackStats(points, kWgs84);
    EXPECT_NEAR(*s.maxKmh, 10, 0.05);
    // Three fixes running away 60 m a second are not noise any more: they
    // show.
    GeodesicDirect(kWgs84, points[1001].lat, points[1001].lon, 0, 120, points[1001].lat,
                   points[1001].lon);
    GeodesicDirect(kWgs84, points[1002].lat, points[1002].lon, 0, 180, points[1002].lat,
                   points[1002].lon);
    EXPECT_GT(*ComputeTrackStats(points, kWgs84).maxKmh, 50);
}

TEST(TrackStats, NoisyClimbCountsTheClimbNotTheNoise) {
    for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
        const TrackStats s = ComputeTrackStats(NoisyClimb(seed), kWgs84);
        ASSERT_TRUE(s.ascentMetres);
        EXPECT_NEAR(*s.ascentMetres, 300, 300 * 0.05) << "seed " << seed;
        EXPECT_LT(*s.descentMetres, 5) << "seed " << seed;
        EXPECT_NEAR(*s.highestMetres, 1300, 2);
        EXPECT_NEAR(*s.lowestMetres, 1000, 2);
        EXPECT_NEAR(s.distanceMetres, 3000, 3);
    }
    // Without the hysteresis every wiggle of the noise would add up: the
    // same track read fix by fix climbs several times as much.
    std::vector<TrackPoint> points = NoisyClimb(1);
    double naive = 0;
    for (std::size_t i = 1; i < points.size(); ++i)
        naive += std::max(0.0, *points[i].eleMetres - *points[i - 1].eleMetres);
    EXPECT_GT(naive, 1000);
}

TEST(TrackStats, ClimbsAndDescentsBothWays) {
    struct Case {
        std::vector<double> heights;
        double ascent, descent;
    };
    const Case cases[] = {
        {{100, 110, 100, 110, 100}, 20, 20},   // turns of 10 m all count
        {{100, 103, 100, 103, 100}, 0, 0},     // turns below the threshold do not
        {{100, 200, 190, 196, 50}, 106, 156},  // a 6 m wiggle is a turn
        {{100, 200, 197, 199, 50}, 100, 150},  // a 3 m wiggle is not
        {{500, 400, 450}, 50, 100},
        {{7}, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<TrackPoint> points;
        for (double h : c.heights) {
            TrackPoint p;
            p.lat = 10;
            p.lon = 10 + 0.001 * static_cast<double>(points.size());
            p.eleMetres = h;
            points.push_back(p);
        }
        const TrackStats s = ComputeTrackStats(points, kWgs84);
        EXPECT_DOUBLE_EQ(*s.ascentMetres, c.ascent) << "case " << (&c - cases);
        EXPECT_DOUBLE_EQ(*s.descentMetres, c.descent) << "case " << (&c - cases);
    }
}

TEST(TrackStats, SegmentBreaksAreNotBridged) {
    // Two pieces 1 km long each, 50 km apart; the second starts 10 minutes
    // after the first ends.
    std::vector<TrackPoint> points;
    for (int piece = 0; piece < 2; ++piece) {
        for (int i = 0; i <= 100; ++i) {
            TrackPoint p;
            GeodesicDirect(kWgs84, 50, 10 + piece * 0.7, 90, 10.0 * i, p.lat, p.lon);
            p.newSegment = i == 0;
            p.time = kStart + piece * (100 + 600) + i;
            p.eleMetres = piece == 0 ? 200 : 800;  // the jump across the gap is no climb
            points.push_back(p);
        }
    }
    const TrackStats s = ComputeTrackStats(points, kWgs84);
    EXPECT_EQ(s.segments, 2);
    EXPECT_NEAR(s.distanceMetres, 2000, 0.01);
    EXPECT_EQ(*s.elapsedSeconds, 800);
    EXPECT_EQ(*s.movingSeconds, 200);
    EXPECT_NEAR(*s.movingAverageKmh, 36, 0.01);
    EXPECT_NEAR(*s.maxKmh, 36, 0.01);
    EXPECT_EQ(*s.ascentMetres, 0);
    EXPECT_EQ(*s.highestMetres, 800);
}

TEST(TrackStats, WithoutTimesOnlyDistanceAndHeights) {
    std::vector<TrackPoint> points = NoisyClimb(9);
    for (TrackPoint& p : points) p.time.reset();
    const TrackStats s = ComputeTrackStats(points, kWgs84);
    EXPECT_NEAR(s.distanceMetres, 3000, 3);
    EXPECT_TRUE(s.ascentMetres);
    EXPECT_FALSE(s.HasTimes());
    EXPECT_FALSE(s.movingSeconds);
    EXPECT_FALSE(s.maxKmh);
    EXPECT_FALSE(s.averageKmh);
    EXPECT_FALSE(s.startTime);
    EXPECT_EQ(s.timedPoints, 0);
    // Nothing at all.
    const TrackStats none = ComputeTrackStats({}, kWgs84);
    EXPECT_EQ(none.points, 0);
    EXPECT_EQ(none.distanceMetres, 0);
}

TEST(TrackStats, DistanceIsMeasuredOnTheGivenEllipsoid) {
    std::vector<TrackPoint> points(2);
    points[0].lat = 52;
    points[0].lon = 5;
    points[1].lat = 52.1;
    points[1].lon = 5.2;
    // geod +ellps=intl and +ellps=WGS84 -I for this pair.
    EXPECT_NEAR(ComputeTrackStats(points, EllipsoidOf(kEllipsoidWgs84)).distanceMetres,
                GeodesicDistance(kWgs84, 52, 5, 52.1, 5.2), 1e-9);
    Ellipsoid intl = EllipsoidOf(kEllipsoidWgs84);
    intl.a = 6378388.0;
    intl.f = 1 / 297.0;
    intl.e2 = 2 * intl.f - intl.f * intl.f;
    intl.b = intl.a * (1 - intl.f);
    EXPECT_NEAR(ComputeTrackStats(points, intl).distanceMetres, 17665.781542, 1e-3);
}

TEST(TrackProfile, AxesAndGaps) {
    std::vector<TrackPoint> points = NoisyClimb(3);
    points.resize(11);
    points[4].eleMetres.reset();  // no height: left out, the line breaks there
    points[7].newSegment = true;
    const TrackProfile byDistance =
        BuildTrackProfile(points, kWgs84, ProfileX::Distance, ProfileY::Elevation);
    ASSERT_EQ(byDistance.samples.size(), 10u);
    EXPECT_EQ(byDistance.samples[0].x, 0);
    EXPECT_TRUE(byDistance.samples[0].gapBefore);
    EXPECT_FALSE(byDistance.samples[1].gapBefore);
    EXPECT_EQ(byDistance.samples[4].point, 5);
    EXPECT_TRUE(byDistance.samples[4].gapBefore);
    EXPECT_TRUE(byDistance.samples[6].gapBefore);  // point 7 starts a segment
    EXPECT_NEAR(byDistance.samples[3].x, 3000.0 * 3 / 1800, 1e-3);
    EXPECT_EQ(byDistance.samples[3].y, *points[3].eleMetres);
    // The segment break is not bridged: point 7 is as far along as point 6.
    EXPECT_NEAR(byDistance.samples[6].x, byDistance.samples[5].x, 1e-9);

    const TrackProfile speedByTime =
        BuildTrackProfile(points, kWgs84, ProfileX::Time, ProfileY::Speed);
    ASSERT_EQ(speedByTime.samples.size(), 11u);
    EXPECT_EQ(speedByTime.samples[0].x, 0);
    EXPECT_EQ(speedByTime.samples[10].x, 10);
    for (const ProfileSample& s : speedByTime.samples) EXPECT_NEAR(s.y, 6, 0.01);

    ASSERT_NE(NearestSample(byDistance, 9.0), nullptr);
    EXPECT_EQ(NearestSample(byDistance, 9.0)->point, 5);
    EXPECT_EQ(NearestSample(TrackProfile{}, 1.0), nullptr);
}

TEST(TrackStats, RingPointsKeepTheirSegments) {
    TrackStore ring;
    AddTrackPoint(ring, 50, 10, kTrackNewSegment);
    AddTrackPoint(ring, 50, 10.01, kTrackContinue);
    AddTrackPoint(ring, 51, 10, kTrackNewSegment);
    AddTrackPoint(ring, 51, 10.01, kTrackContinue);
    const std::vector<TrackPoint> points = TrackPointsOfRing(ring);
    ASSERT_EQ(points.size(), 4u);
    const TrackStats s = ComputeTrackStats(points, kWgs84);
    EXPECT_EQ(s.segments, 2);
    EXPECT_NEAR(s.distanceMetres,
                GeodesicDistance(kWgs84, 50, 10, 50, 10.01) + GeodesicDistance(kWgs84, 51, 10, 51, 10.01),
                1e-6);
}
