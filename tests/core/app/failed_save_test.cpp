// A file the program saves on its own (the last map at every sheet change,
// the view file at shutdown, the waypoint log) that cannot be written is
// said once in the status line with the file and the reason, and never
// stops the moving map with a message box.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/map_commands.h"
#include "app/moving_map.h"
#include "app/waypoint_commands.h"
#include "support/text.h"
#include "track/track_file.h"
#include "two_sheets.h"
#include "waypoint/waypoint_file.h"

using namespace mw;

namespace {

class FailedSave : public TwoSheets<> {
protected:
    void SetUp() override {
        TwoSheets::SetUp();
        clock.autoAdvance = 25;
        app.settings.dataPath = data.Path();
        app.settings.nmeaUpdate = 2;
        app.settings.trackLogDistance = 100;
        app.settings.nmeaLogDistance = 100;
        // The application home can no longer be written: a folder that is
        // a file refuses every save, even to root (which ignores modes).
        home.Write("plain", "x");
        app.state.programFolder = home.File("plain");
    }

    void GpsOn() {
        app.mapView.following = true;
        ResetRecordState(app.gps.record);
        ResetGpsTiming(app.gps.timing, app.gps.counter);
    }

    void Fix(double lat, double lon) { UpdateGpsPosition(app, lat, lon, "060626", "101500"); }

    int LoggedPoints() {
        int lines = 0;
        TextFileReader f(TrackLogPath(data.Path()));
        ForEachLine(f, [&](const std::string&) {
            ++lines;
            return true;
        });
        return lines - kTrackHeaderLines;
    }
};

}  // namespace

TEST_F(FailedSave, ADriveAcrossSheetEdgesWithAnUnwritableHomeLogsEveryFix) {
    GpsOn();
    // A fix arriving while a message box were up would be dropped: any box
    // on this path loses fixes.
    int fixesInBoxes = 0;
    ui.duringMessage = [&] {
        ++fixesInBoxes;
        Fix(50.25, 0.5);
    };
    // East across the edge at 1° E, and back west: two sheet changes, each
    // saving the last map; fixes 0.003° (214 m) apart, so each is logged.
    int fixes = 0;
    for (double lon = 0.985; lon < 1.015; lon += 0.003, ++fixes) Fix(50.25, lon);
    EXPECT_EQ(app.map.mapFilePath, maps.File("east.map"));
    for (double lon = 1.012; lon > 0.985; lon -= 0.003, ++fixes) Fix(50.25, lon);
    EXPECT_EQ(app.map.mapFilePath, maps.File("west.map"));

    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
    // Every fix delivered, in a box or not, is in the log.
    EXPECT_EQ(LoggedPoints(), fixes + fixesInBoxes);
    // Said once, though both changes failed, with the file and the reason.
    ASSERT_EQ(ui.statusNotes.size(), 1u);
    EXPECT_EQ(ui.statusNotes[0], "Cannot Save Last Ini File: " + home.File("plain") + "/" +
                                     kLastMapFile + ": Not a directory");

    // Once the home can be written again the next change saves it.
    app.state.programFolder = home.Path();
    for (double lon = 0.988; lon < 1.006; lon += 0.003) Fix(50.25, lon);
    EXPECT_EQ(app.map.mapFilePath, maps.File("east.map"));
    EXPECT_EQ(ReadLastIni(home.Path(), kLastMapFile), maps.File("east.map"));
    EXPECT_EQ(ui.statusNotes.size(), 1u);
}

TEST_F(FailedSave, ShutdownWithAnUnwritableHomeWaitsForNobody) {
    GpsOn();
    Fix(50.25, 0.5);
    ui.statusNotes.clear();
    const std::string unsaved = ShutdownApplication(app);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(unsaved, "Cannot Save MapwandererCE Ini File: " + home.File("plain") + "/" +
                           kViewConfigFile + ": Not a directory");
    EXPECT_EQ(ui.statusNotes, std::vector<std::string>{unsaved});

    app.state.programFolder = home.Path();
    EXPECT_EQ(ShutdownApplication(app), "");
    EXPECT_FALSE(home.Read(kViewConfigFile).empty());
}

TEST_F(FailedSave, AWaypointTheLogCannotTakeIsKeptAndSaid) {
    data.Write("plain", "x");
    app.settings.dataPath = data.File("plain");
    const int slot = CreateWaypointAt(app, 50.25, 0.5, std::string("Gate"));
    ASSERT_GE(slot, 0);
    EXPECT_EQ(app.waypoints.At(slot)->name, "Gate");
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.statusNotes.size(), 1u);
    EXPECT_EQ(ui.statusNotes[0], "Cannot Create Waypoint File: " + data.File("plain") + "/" +
                                     kWaypointLogFileName + ": Not a directory");
}
