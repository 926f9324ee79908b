#include "track/track_stats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "geo/geodesic.h"
#include "gpx/track_points_file.h"
#include "testlib/temp_dir.h"

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

// --- Reading whole tracks for measuring ---

namespace {
const char kPltHeader[] =
    "Mapwanderer CE Track Point File Version 2.0\r\nEuropean 1950\r\nAltitude is in Feet\r\n"
    "Reserved 3\r\n0,2,255,MawCE Track Log file     ,1\r\n0\r\n";
}  // namespace

TEST(TrackPointsFile, TrackLogLinesKeepDatumHeightsTimesAndSegments) {
    mwtest::TempDir dir;
    dir.Write("log.plt", std::string(kPltHeader) +
                             "  45.0000000,   6.0000000,0,   1000, ,070524,100000\r\n"
                             "  45.0010000,   6.0000000,0,   -777, ,070524,100010\r\n"
                             "\r\n"
                             "  95.0000000,   6.0000000,0,   1000\r\n"  // off the globe
                             "  45.0020000,   6.0000000,1,   1100\r\n"    // saved-track line
                             "  45.0030000,   6.0000000,0,   1200, ,290224,235959\r\n"
                             "  45.0040000,   6.0000000,0,   1200, ,310224,235959");  // no line end
    const DatumTable datums;
    const TrackPointsRead r = ReadTrackPointsFile(dir.File("log.plt"), datums);
    ASSERT_TRUE(r.outcome);
    EXPECT_EQ(r.datum, FindDatumByName(datums, "European 1950"));
    EXPECT_EQ(r.skippedPoints, 1);
    ASSERT_EQ(r.points.size(), 5u);
    // Positions stay on the file's datum: they are measured on its ellipsoid.
    EXPECT_EQ(r.points[0].lat, 45.0);
    EXPECT_TRUE(r.points[0].newSegment);  // the first point starts one
    EXPECT_FALSE(r.points[1].newSegment);
    EXPECT_TRUE(r.points[2].newSegment);
    EXPECT_NEAR(*r.points[0].eleMetres, 304.8, 1e-9);
    EXPECT_FALSE(r.points[1].eleMetres);
    EXPECT_EQ(*r.points[1].time - *r.points[0].time, 10);
    EXPECT_FALSE(r.points[2].time);
    ASSERT_TRUE(r.points[3].time);
    EXPECT_EQ(*r.points[3].time, 1709251199);  // 2024-02-29T23:59:59Z
    EXPECT_FALSE(r.points[4].time);            // 31 February is no time
}

TEST(TrackPointsFile, GpxTracksAndSegmentsEachStartASegment) {
    mwtest::TempDir dir;
    dir.Write("t.GPX",
              "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\" "
              "xmlns=\"http://www.topografix.com/GPX/1/1\">"
              "<trk><trkseg><trkpt lat=\"1\" lon=\"2\"><ele>12.5</ele>"
              "<time>2024-05-06T07:08:09Z</time></trkpt><trkpt lat=\"1.1\" lon=\"2\"/></trkseg>"
              "<trkseg><trkpt lat=\"3\" lon=\"4\"/></trkseg></trk>"
              "<trk><trkseg><trkpt lat=\"5\" lon=\"6\"/><trkpt lat=\"x\" lon=\"6\"/></trkseg></trk></gpx>");
    const TrackPointsRead r = ReadTrackPointsFile(dir.File("t.GPX"), DatumTable{});
    ASSERT_TRUE(r.outcome);
    EXPECT_EQ(r.datum, kDatumWgs84);
    EXPECT_EQ(r.skippedPoints, 1);
    ASSERT_EQ(r.points.size(), 4u);
    EXPECT_TRUE(r.points[0].newSegment);
    EXPECT_FALSE(r.points[1].newSegment);
    EXPECT_TRUE(r.points[2].newSegment);
    EXPECT_TRUE(r.points[3].newSegment);
    EXPECT_EQ(*r.points[0].eleMetres, 12.5);
    EXPECT_EQ(*r.points[0].time, 1714979289);
    const TrackStats s = ComputeTrackStats(r.points, kWgs84);
    EXPECT_EQ(s.segments, 3);
    EXPECT_NEAR(s.distanceMetres, GeodesicDistance(kWgs84, 1, 2, 1.1, 2), 1e-6);
}

TEST(TrackPointsFile, FailuresSayWhy) {
    mwtest::TempDir dir;
    const DatumTable datums;
    EXPECT_TRUE(ReadTrackPointsFile(dir.File("none.plt"), datums).outcome.Missing());
    EXPECT_EQ(ReadTrackPointsFile(dir.Path(), datums).outcome.error, EISDIR);
    dir.Write("words.plt", std::string(kPltHeader) + "hello, world\r\n");
    const TrackPointsRead words = ReadTrackPointsFile(dir.File("words.plt"), datums);
    EXPECT_NE(words.outcome.content, nullptr);
    dir.Write("bad.gpx", "<gpx><trk>");
    const TrackPointsRead bad = ReadTrackPointsFile(dir.File("bad.gpx"), datums);
    EXPECT_NE(bad.outcome.content, nullptr);
    EXPECT_FALSE(bad.gpxError.empty());
    EXPECT_TRUE(bad.points.empty());
    // A header alone is an empty track, not a failure.
    dir.Write("empty.plt", kPltHeader);
    const TrackPointsRead empty = ReadTrackPointsFile(dir.File("empty.plt"), datums);
    EXPECT_TRUE(empty.outcome);
    EXPECT_TRUE(empty.points.empty());
    // The byte budget cuts a long file and says so.
    std::string lines(kPltHeader);
    for (int i = 0; i < 100; ++i) lines += "  45.0000000,   6.0000000,0,   1000\r\n";
    dir.Write("long.plt", lines);
    const TrackPointsRead cut = ReadTrackPointsFile(dir.File("long.plt"), datums, 1000);
    EXPECT_TRUE(cut.cut);
    EXPECT_LT(cut.points.size(), 100u);
}
