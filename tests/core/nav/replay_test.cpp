// Track replay: starting and stopping, a file replayed to its end and
// rewound, and what the panels read meanwhile: speed and heading from the
// step between consecutive points and their times, the altitude the file
// holds; never the fixed sentences' 0 km/h, 0° and 999 m.
#include <gtest/gtest.h>

#include "app/track_commands.h"
#include "nav/replay.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "track/track_store.h"

using namespace mw;

namespace {

class Sink : public GpsResultSink {
public:
    void OnPosition(const PositionReport& p, const GpsFix& fix) override {
        positions.push_back(p);
        fixes.push_back(fix);
    }
    void OnSpeed(const GpsFix& fix) override { speeds.push_back(fix); }
    void OnStatus(const std::string&) override {}
    void OnSatellites(const GpsFix&) override {}
    std::vector<PositionReport> positions;
    std::vector<GpsFix> fixes, speeds;
};

class Replay : public ::testing::Test {
protected:
    Replay() {
        env.clock = &clock;
        env.sink = &sink;
        AddTrackPoint(track, 1, 1, 1);
    }
    bool Command(const std::optional<std::string>& file) {
        ui.files = {file};
        return ReplayTrackCommand(replay, track, dir.Path(), ui);
    }
    void Start(const std::string& points) {
        dir.Write("r.plt", "h1\r\nWGS 84\r\nh3\r\nh4\r\nh5\r\n0\r\n" + points);
        ASSERT_TRUE(Command(dir.File("r.plt")));
    }
    ReplayStepResult Tick() {
        return ReplayTick(replay, parser, env, [&] { ++ends; });
    }
    // The whole file, up to and including the tick at its end.
    void RunThrough(const std::string& points) {
        Start(points);
        while (Tick() == ReplayStepResult::Point) {
        }
    }

    mwtest::TempDir dir;
    mwtest::FakeUi ui;
    mwtest::FakeClock clock;
    Sink sink;
    DispatchEnv env;
    GpsParserState parser;
    TrackStore track;
    ReplayState replay;
    int ends = 0;
};

}  // namespace

TEST_F(Replay, RunsToTheEndRewindsAndRunsAgain) {
    Start("-27.5,153.0,1\r\n-27.6,153.1\r\n\r\n-27.7,153.2,0");  // no final line end
    const std::vector<std::pair<double, double>> points = {
        {-27.5, 153.0}, {-27.6, 153.1}, {0, 0}, {-27.7, 153.2}};
    for (int round = 0; round < 2; ++round) {
        for (const auto& [lat, lon] : points) {
            ASSERT_EQ(Tick(), ReplayStepResult::Point);
            EXPECT_EQ(replay.replayLat, lat);
            EXPECT_EQ(replay.replayLon, lon);
        }
        EXPECT_EQ(Tick(), ReplayStepResult::EndOfFile);
        EXPECT_EQ(ends, round + 1);
        EXPECT_EQ(replay.replayLat, 0);
        EXPECT_TRUE(replay.mode);  // stays on for the next GPS start
    }
    // Every tick, the end included, went through the dispatcher.
    EXPECT_EQ(sink.positions.size(), 10u);
}

TEST_F(Replay, StartsOnlyWithAnOpenedFileAndSwitchedOffIgnoresLateTicks) {
    EXPECT_FALSE(Command(std::nullopt));
    EXPECT_FALSE(Command(dir.File("absent.plt")));
    EXPECT_EQ(ui.openRequests, std::vector<std::string>(2, dir.Path()));
    EXPECT_EQ(track.PointCount(), 1);
    Start("10,20\r\n11,21\r\n");
    EXPECT_EQ(track.PointCount(), 0) << "a replay starts on a cleared track";
    Tick();
    AddTrackPoint(track, 10, 20, 1);
    EXPECT_FALSE(Command(std::nullopt));  // switched off: the file closes, the track clears
    EXPECT_FALSE(replay.IsOpen());
    EXPECT_EQ(track.PointCount(), 0);
    EXPECT_EQ(ui.repaints, std::vector<WindowId>{WindowId::Map});
    EXPECT_EQ(Tick(), ReplayStepResult::NotOpen);
    EXPECT_EQ(sink.positions.size(), 1u);
}

// A track log of a drive north at 90 km/h (0.00045° of latitude, 50.0 m,
// every 2 s), then east, then a stop, across midnight.
TEST_F(Replay, SpeedHeadingAndAltitudeComeFromTheLoggedPoints) {
    RunThrough(
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
TEST_F(Replay, ASavedTrackWithoutTimesHasHeadingButNoSpeed) {
    env.config.speedUnit = 2;  // knots
    RunThrough(
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
    ASSERT_EQ(Tick(), ReplayStepResult::Point);
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
