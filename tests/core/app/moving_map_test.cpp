#include <gtest/gtest.h>

#include "app/app.h"
#include "app/map_commands.h"
#include "app/moving_map.h"
#include "support/text.h"
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
    EXPECT_NEAR(app.mapView.lastFix.lon, 1.001, 1e-9);
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
    EXPECT_EQ(app.mapView.lastFix.lat, 0);
    Fix(50.25, 0.5);  // once the load is over fixes count again
    EXPECT_EQ(app.track.PointCount(), 1);
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
}
