#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/moving_map.h"
#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"
#include "two_sheets.h"
#include "track/track_file.h"

using namespace mw;

namespace {

class MovingMap : public TwoSheets<> {
protected:
    void SetUp() override {
        TwoSheets::SetUp();
        clock.autoAdvance = 25;  // a wait on the clock ends
        app.settings.dataPath = data.Path();
        app.settings.nmeaUpdate = 2;
        app.settings.trackLogDistance = 100;
        app.settings.nmeaLogDistance = 100;
    }

    // The receiver's view of being switched on, without a port.
    void GpsOn() {
        app.mapView.following = true;
        ResetRecordState(app.gps.record);
        ResetGpsTiming(app.gps.timing, app.gps.counter);
    }

    void Fix(double lat, double lon, std::uint32_t atMs = 0) {
        if (atMs) clock.tick = atMs;
        UpdateGpsPosition(app, lat, lon, "060626", "101500");
    }

    std::vector<std::string> LogLines() {
        std::vector<std::string> lines;
        TextFileReader f(TrackLogPath(data.Path()));
        ForEachLine(f, [&](const std::string& l) {
            lines.push_back(l);
            return true;
        });
        return lines;
    }

};

}  // namespace

TEST_F(MovingMap, AFixMovesTheMapEveryNmeaUpdateAndRecordsTheWay) {
    GpsOn();
    Fix(0, 0);  // no position: nothing at all
    EXPECT_EQ(app.gps.fixesProcessed, 0);
    EXPECT_EQ(app.track.PointCount(), 0);

    // The first fix after switching on moves the map (the counter starts high).
    Fix(50.25, 0.5);
    EXPECT_EQ(app.mapView.centreX, 500);
    EXPECT_EQ(app.track.PointCount(), 1);

    // East along the parallel, 1/1000 degree (about 71 m) a fix: a track
    // point about every 100 m.
    for (int i = 1; i <= 20; ++i) Fix(50.25, 0.5 + i * 0.001);
    EXPECT_GE(app.track.PointCount(), 10);
    EXPECT_LE(app.track.PointCount(), 12);
    // The log file has its header and one line per logged point, in WGS 84.
    auto lines = LogLines();
    ASSERT_GE(lines.size(), 16u);
    EXPECT_EQ(GetField(lines[6], 3, ""), "1");  // the log's first point starts a segment
    EXPECT_NEAR(ParseReal(GetField(lines[6], 2, "")), 0.5, 1e-6);
}

TEST_F(MovingMap, TheFixThatChangesTheMapIsRecordedWithoutABreak) {
    GpsOn();
    Fix(50.25, 0.998, 1000);
    Fix(50.25, 1.001, 2000);  // loads the eastern map, 213 m on
    EXPECT_EQ(app.map.mapFilePath, maps.File("east.map"));
    EXPECT_EQ(app.track.PointCount(), 2);
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(GetField(lines[6], 3, ""), "1");
    EXPECT_EQ(GetField(lines[7], 3, ""), "0");  // the map change starts no segment
    EXPECT_NEAR(ParseReal(GetField(lines[7], 2, "")), 1.001, 1e-6);
    EXPECT_NEAR(app.state.lastGpsLon, 1.001, 1e-9);
    Fix(50.25, 1.1, 3000);  // the next fix draws on the new map
    EXPECT_EQ(app.mapView.centreX, 100);
}

TEST_F(MovingMap, AFixArrivingWhileAMapLoadsIsDropped) {
    GpsOn();
    maps.Write("broken.map", "not a map\r\n");
    // The load's message box runs the event loop, and a fix arrives in it.
    ui.duringMessage = [&] { Fix(50.25, 0.5); };
    EXPECT_FALSE(LoadMapFile(app, maps.File("broken.map")));
    ui.duringMessage = nullptr;
    EXPECT_EQ(app.track.PointCount(), 0);
    EXPECT_EQ(app.state.lastGpsLat, 0);
    Fix(50.25, 0.5);  // once the load is over fixes count again
    EXPECT_EQ(app.track.PointCount(), 1);
}

TEST_F(MovingMap, ReplayDrivesTheMapToTheEndOfTheFileAndStops) {
    // A track across both maps, a point every 0.002° (about 140 m).
    std::string track =
        "Mapwanderer CE Track Point File Version 2.0\r\nWGS 84\r\nAltitude is in Feet\r\n"
        "Reserved 3\r\n0,2,255,MawCE Track Log file     ,1\r\n0\r\n";
    for (int i = 0; i <= 100; ++i)
        track += Format("%12.7f,%12.7f,%d,   -777\r\n", 50.25, 0.9 + i * 0.002, i == 0 ? 1 : 0);
    data.Write("trip.plt", track);

    ui.files.push_back(data.File("trip.plt"));
    ASSERT_TRUE(ExecuteCommand(app, kCmdReplayTrack));
    ExecuteCommand(app, kCmdMovingMap);
    EXPECT_TRUE(app.mapView.following);

    int ticks = 0;
    while (ui.timers.count(kReplayTimer) && ticks < 500) {
        clock.tick += 500;
        ReplayTimerTick(app);
        ++ticks;
    }
    EXPECT_LT(ticks, 500);
    EXPECT_FALSE(app.mapView.following);  // the end of the file switched the GPS off
    EXPECT_EQ(app.map.mapFilePath, maps.File("east.map"));  // it followed the track east
    EXPECT_FALSE(FileExists(TrackLogPath(data.Path())));  // a replay writes no log
}

TEST_F(MovingMap, ATrackLogThatCannotBeWrittenIsSaidOnceInTheStatusLine) {
    // A data folder that is a file: the log cannot be made, even as root.
    data.Write("plain", "x");
    app.settings.dataPath = data.File("plain");
    GpsOn();
    for (int i = 0; i < 8; ++i) Fix(50.25, 0.5 + i * 0.002);
    ASSERT_EQ(ui.statusNotes.size(), 1u);
    EXPECT_NE(ui.statusNotes[0].find(TrackLogPath(data.File("plain"))), std::string::npos);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_GE(app.track.PointCount(), 6);  // the ring records on

    // Written again, then lost again: said again, once.
    app.settings.dataPath = data.Path();
    for (int i = 8; i < 10; ++i) Fix(50.25, 0.5 + i * 0.002);
    EXPECT_GE(LogLines().size(), 7u);
    app.settings.dataPath = data.File("plain");
    for (int i = 10; i < 14; ++i) Fix(50.25, 0.5 + i * 0.002);
    EXPECT_EQ(ui.statusNotes.size(), 2u);
}
