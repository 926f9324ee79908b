// Track replay: starting and stopping, a file replayed to its end and
// rewound, and what the fixed sentences put into the fix.
#include <gtest/gtest.h>

#include "nav/replay.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "track/track_file.h"
#include "track/track_store.h"

using namespace mw;

namespace {

const std::string kHeader = "h1\r\nWGS 84\r\nh3\r\nh4\r\nh5\r\nh6\r\n";

class PositionSink : public GpsResultSink {
public:
    void OnPosition(const PositionReport& p, const GpsFix& fix) override {
        positions.push_back(p);
        fixes.push_back(fix);
    }
    void OnSpeed(const GpsFix&) override { ++speeds; }
    void OnStatus(const std::string&) override {}
    void OnSatellites(const GpsFix&) override {}
    std::vector<PositionReport> positions;
    std::vector<GpsFix> fixes;
    int speeds = 0;
};

class Replay : public ::testing::Test {
protected:
    Replay() {
        env.clock = &clock;
        env.sink = &sink;
        AddTrackPoint(track, 1, 1, 1);
    }
    // Opens `body` (after the header) for replay.
    void Start(const std::string& body) {
        dir.Write("r.plt", kHeader + body);
        ui.files = {dir.File("r.plt")};
        ASSERT_TRUE(ReplayTrackCommand(replay, track, dir.Path(), ui));
    }
    ReplayStepResult Tick() {
        return ReplayTick(replay, parser, env, [&] { ++ends; });
    }

    mwtest::TempDir dir;
    mwtest::FakeUi ui;
    mwtest::FakeClock clock;
    PositionSink sink;
    DispatchEnv env;
    GpsParserState parser;
    TrackStore track;
    ReplayState replay;
    int ends = 0;
};

}  // namespace

TEST_F(Replay, StartsOnlyWithAnOpenedFile) {
    ui.files = {std::nullopt};
    EXPECT_FALSE(ReplayTrackCommand(replay, track, dir.Path(), ui));
    EXPECT_EQ(ui.openRequests, std::vector<std::string>{dir.Path()});
    EXPECT_TRUE(ui.messages.empty());

    ui.files = {dir.File("absent.plt")};
    EXPECT_FALSE(ReplayTrackCommand(replay, track, dir.Path(), ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Cannot Open Track Sim File"});
    EXPECT_FALSE(replay.mode);
    EXPECT_EQ(track.PointCount(), 1);  // a failed start leaves the track

    Start("10,20,1\r\n");
    EXPECT_TRUE(replay.mode);
    EXPECT_EQ(track.PointCount(), 0);
}

TEST_F(Replay, RunsToTheEndRewindsAndRunsAgain) {
    Start("-27.5,153.0,1\r\n-27.6,153.1\r\n\r\n-27.7,153.2,0");  // no final line end
    const std::vector<std::pair<double, double>> points = {
        {-27.5, 153.0}, {-27.6, 153.1}, {0, 0}, {-27.7, 153.2}};
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        for (const auto& [lat, lon] : points) {
            ASSERT_EQ(Tick(), ReplayStepResult::Point);
            EXPECT_EQ(replay.replayLat, lat);
            EXPECT_EQ(replay.replayLon, lon);
        }
        EXPECT_EQ(ends, round);
        EXPECT_EQ(Tick(), ReplayStepResult::EndOfFile);
        EXPECT_EQ(ends, round + 1);
        EXPECT_EQ(replay.replayLat, 0);
        EXPECT_EQ(replay.replayLon, 0);
        EXPECT_TRUE(replay.mode);  // replay stays on for the next GPS start
    }
    // Every tick, the end included, went through the dispatcher.
    EXPECT_EQ(sink.positions.size(), 10u);
}

TEST_F(Replay, FixedSentencesSupplySpeedCourseTimeAndQuality) {
    Start("10,20\r\n");
    Tick();
    ASSERT_EQ(sink.fixes.size(), 1u);
    const GpsFix& fix = sink.fixes[0];
    EXPECT_EQ(fix.speed, 0);
    EXPECT_EQ(fix.trueCourse, 0);
    EXPECT_NEAR(fix.magneticVariation, 11.3, 1e-9);
    EXPECT_NEAR(fix.magneticCourse, 348.7, 1e-9);
    EXPECT_EQ(fix.fixQuality, 1);
    EXPECT_EQ(fix.satellitesInUse, 8);
    EXPECT_NEAR(fix.hdop, 0.4, 1e-12);
    EXPECT_NEAR(fix.altitude, 3277.5192, 1e-9);
    EXPECT_EQ(sink.positions[0].date, "300699");
    EXPECT_EQ(sink.positions[0].time, "055251");
}

TEST_F(Replay, HeaderOnlyFileEndsAtTheFirstTick) {
    Start("");
    EXPECT_EQ(Tick(), ReplayStepResult::EndOfFile);
    EXPECT_EQ(ends, 1);
}

TEST_F(Replay, BusyViewDropsTheDispatchButNotThePoint) {
    Start("10,20\r\n11,21\r\n");
    env.busy = true;
    EXPECT_EQ(Tick(), ReplayStepResult::Point);
    EXPECT_TRUE(sink.positions.empty());
    env.busy = false;
    Tick();
    EXPECT_EQ(replay.replayLat, 11);
    EXPECT_EQ(sink.positions.size(), 1u);
}

TEST_F(Replay, SwitchedOffItClosesTheFileClearsTheTrackAndIgnoresLateTicks) {
    Start("10,20\r\n11,21\r\n");
    Tick();
    AddTrackPoint(track, 10, 20, 1);
    ui.repaints.clear();
    EXPECT_FALSE(ReplayTrackCommand(replay, track, dir.Path(), ui));
    EXPECT_FALSE(replay.IsOpen());
    EXPECT_EQ(track.PointCount(), 0);
    EXPECT_EQ(ui.repaints, std::vector<WindowId>{WindowId::Map});

    const std::size_t dispatched = sink.positions.size();
    EXPECT_EQ(Tick(), ReplayStepResult::NotOpen);
    EXPECT_EQ(sink.positions.size(), dispatched);
    EXPECT_EQ(ends, 0);
}
