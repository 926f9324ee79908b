// Track replay: starting and stopping, a file replayed to its end and
// rewound, and what the fixed sentences put into the fix.
#include <gtest/gtest.h>

#include "app/track_commands.h"
#include "nav/replay.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "track/track_store.h"

using namespace mw;

namespace {

class PositionSink : public GpsResultSink {
public:
    void OnPosition(const PositionReport& p, const GpsFix& fix) override {
        positions.push_back(p);
        fixes.push_back(fix);
    }
    void OnSpeed(const GpsFix&) override {}
    void OnStatus(const std::string&) override {}
    void OnSatellites(const GpsFix&) override {}
    std::vector<PositionReport> positions;
    std::vector<GpsFix> fixes;
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
        dir.Write("r.plt", "h1\r\nWGS 84\r\nh3\r\nh4\r\nh5\r\nh6\r\n" + points);
        ASSERT_TRUE(Command(dir.File("r.plt")));
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
