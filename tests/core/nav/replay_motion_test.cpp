// What the panels read during a replay: speed and heading from the step
// between consecutive points and their times, the altitude the file holds;
// never the fixed sentences' 0 km/h, 0° and 999 m.
#include <gtest/gtest.h>

#include "app/track_commands.h"
#include "nav/replay.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "track/track_store.h"

using namespace mw;

namespace {

class FixSink : public GpsResultSink {
public:
    void OnPosition(const PositionReport&, const GpsFix& fix) override { fixes.push_back(fix); }
    void OnSpeed(const GpsFix& fix) override { speeds.push_back(fix); }
    void OnStatus(const std::string&) override {}
    void OnSatellites(const GpsFix&) override {}
    std::vector<GpsFix> fixes, speeds;
};

class ReplayMotionTest : public ::testing::Test {
protected:
    ReplayMotionTest() {
        env.clock = &clock;
        env.sink = &sink;
    }
    void Replay(const std::string& points) {
        dir.Write("r.plt", "h1\r\nWGS 84\r\nh3\r\nh4\r\nh5\r\n0\r\n" + points);
        ui.files = {dir.File("r.plt")};
        ASSERT_TRUE(ReplayTrackCommand(replay, track, dir.Path(), ui));
        while (ReplayTick(replay, parser, env, nullptr) == ReplayStepResult::Point) {
        }
    }

    mwtest::TempDir dir;
    mwtest::FakeUi ui;
    mwtest::FakeClock clock;
    FixSink sink;
    DispatchEnv env;
    GpsParserState parser;
    TrackStore track;
    ReplayState replay;
};

}  // namespace

// A track log of a drive north at 90 km/h (0.00045° of latitude, 50.0 m,
// every 2 s), then east, then a stop, across midnight.
TEST_F(ReplayMotionTest, SpeedHeadingAndAltitudeComeFromTheLoggedPoints) {
    Replay(
        "  50.0000000,   1.0000000,1,    328, ,311299,235956\r\n"
        "  50.0004500,   1.0000000,0,    331, ,311299,235958\r\n"
        "  50.0009000,   1.0000000,0,    335, ,010100,000000\r\n"
        "  50.0009000,   1.0007000,0,    335, ,010100,000002\r\n"
        "  50.0009000,   1.0007000,0,    335, ,010100,000004\r\n");
    const struct {
        double speedKmh, heading, magnetic, altitudeFeet;
    } expected[] = {
        {0, -777, -777, 328},     // the first point: no step yet
        {90.0, 0, 348.7, 331},    // north
        {90.0, 0, 348.7, 335},    // north, over midnight
        {90.0, 90.0, 78.7, 335},  // east, 0.0007° at 50° N: 50.0 m
        {0, 90.0, 78.7, 335},     // stopped: the heading stays
    };
    ASSERT_EQ(sink.fixes.size(), std::size(expected) + 1);  // and the end tick
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const GpsFix& f = sink.fixes[i];
        EXPECT_NEAR(f.speed, expected[i].speedKmh, 0.3);
        EXPECT_NEAR(f.trueCourse, expected[i].heading, 0.05);
        EXPECT_NEAR(f.magneticCourse, expected[i].magnetic, 0.05);
        EXPECT_EQ(f.altitude, expected[i].altitudeFeet);
        // The speed sentence carries the same motion.
        EXPECT_EQ(sink.speeds[i].speed, f.speed);
    }
}

// A saved track has no times and no altitude (-777): the heading still
// follows the points, the speed is not made up, "Alt" stays blank.
TEST_F(ReplayMotionTest, ASavedTrackWithoutTimesHasHeadingButNoSpeed) {
    env.config.speedUnit = 2;  // knots
    Replay(
        "  50.0000000,   1.0000000,1,   -777\r\n"
        "  49.9990000,   1.0000000,0,   -777\r\n"
        "  49.9990000,   1.0000000\r\n");
    ASSERT_EQ(sink.fixes.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sink.fixes[i].speed, 0) << i;
        EXPECT_EQ(sink.fixes[i].altitude, -777) << i;
    }
    EXPECT_EQ(sink.fixes[0].trueCourse, -777);
    EXPECT_NEAR(sink.fixes[1].trueCourse, 180, 0.01);
    EXPECT_NEAR(sink.fixes[2].trueCourse, 180, 0.01);
    // Replayed again from the start: no step from the last point back to
    // the first.
    ASSERT_EQ(ReplayTick(replay, parser, env, nullptr), ReplayStepResult::Point);
    EXPECT_EQ(sink.fixes.back().trueCourse, -777);
}

// Speed units as the receiver's speed: km/h, mph, knots.
TEST(ReplayMotion, SpeedFollowsTheSpeedUnit) {
    const ReplayMotion motion{25.0, 45.0, 100};
    const double expected[] = {90.0, 55.923, 48.596};
    for (int unit = 0; unit < 3; ++unit) {
        GpsFix fix;
        fix.magneticVariation = -2;  // 2° west
        ApplyReplayMotion(motion, unit, fix);
        EXPECT_NEAR(fix.speed, expected[unit], 0.001) << unit;
        EXPECT_EQ(fix.trueCourse, 45.0);
        EXPECT_EQ(fix.magneticCourse, 47.0);
        EXPECT_EQ(fix.altitude, 100);
    }
}
