#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/settings_commands.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"

using namespace mw;

class AppCore : public ::testing::Test {
protected:
    void SetUp() override {
        app.ports.ui = &ui;
        app.ports.shell = &shell;
    }
    bool Start(int w = 480, int h = 640) {
        return StartApplication(app, home.Path(), home.File("user"), w, h);
    }
    mwtest::TempDir home;
    mwtest::FakeUi ui;
    mwtest::FakeShell shell;
    App app;
};

TEST_F(AppCore, StartReadsDatumsThenSettingsThenViewFile) {
    // The main file names a user datum: it resolves only because datums are
    // loaded before the configuration is read.
    home.Write("datums.dat", "Local Grid,14,1,2,3\r\n");
    home.Write("Mapwanderer1.ini", "Position Format,UTM\r\nNMEA Datum,Local Grid\r\n");
    home.Write("mapwanderer2.ini", "View Speed Info,1\r\nView Speed & Nav Info,0\r\nView Waypoints,0\r\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(app.datums.datumCount, 122);
    EXPECT_EQ(app.settings.nmeaDatum, 121);
    EXPECT_EQ(app.settings.positionFormat, 2);
    EXPECT_EQ(app.state.ntfDatum, 82);
    EXPECT_EQ(app.view.viewSpeedInfo, 1);
    EXPECT_TRUE(ui.messages.empty());
}

// A changed view setting is what the shutdown writes, into a home it made.
TEST_F(AppCore, StartCreatesTheHomeAndShutdownWritesTheViewFile) {
    std::string nested = home.File("cfg/mapwanderer");
    ASSERT_TRUE(StartApplication(app, nested, home.File("user"), 480, 640));
    ExecuteCommand(app, kCmdViewTrack);
    ShutdownApplication(app);
    std::string text = home.Read("cfg/mapwanderer/mapwanderer2.ini");
    EXPECT_NE(text.find("\r\nView Track,0\r\n"), std::string::npos);
}

// Every command that works on the map, without one: the one message, no
// file asked for, nothing switched on.
TEST(Commands, WithoutAMapEachSaysOneMustBeLoaded) {
    const int commands[] = {kCmdZoomIn,       kCmdZoomOut,        kCmdZoom100,
                            kCmdFullMap,      kCmdGotoTopLeft,    kCmdGotoCenter,
                            kCmdMapInformation, kCmdFindMapsAtCursor, kCmdLoadTrackFile,
                            kCmdReplayTrack,  kCmdLoadWpFile,     kCmdCreateWpAtPosition,
                            kCmdLoadRouteFile, kCmdImportGpx,     kCmdMovingMap};
    for (int id : commands) {
        SCOPED_TRACE(CommandText(id));
        App app;
        mwtest::FakeUi ui;
        app.ports.ui = &ui;
        ui.files = {"/some/file"};  // never asked for
        EXPECT_TRUE(ExecuteCommand(app, id));
        EXPECT_EQ(ui.messages, std::vector<std::string>{kNeedMapText});
        EXPECT_TRUE(ui.requestTitles.empty());
        EXPECT_TRUE(ui.lists.empty());
        EXPECT_FALSE(app.mapView.following || app.replay.mode);
        EXPECT_FALSE(ui.checked[id]);
    }
}

// The settings dialogs' OK: a failed write must not leave values on screen
// that the next start would not find in the file.
TEST_F(AppCore, SettingsConfirmWritesTheFileOrKeepsWhatItSays) {
    app.state.programFolder = home.Path();
    home.Write(kMainConfigFile, "Position Format,UTM\r\n");
    BeginSettingsDialog(app);
    EXPECT_EQ(app.settings.positionFormat, 2);
    AppSettings values = app.settings;
    values.speedUnit = 2;
    EXPECT_TRUE(ConfirmSettingsDialog(app, kDialogUnits, values));
    EXPECT_EQ(app.settings.speedUnit, 2);
    EXPECT_NE(home.Read(kMainConfigFile).find("\r\nSpeed Unit,2\r\n"), std::string::npos);

    app.state.programFolder = home.Path() + "/missing/deeper";
    values.speedUnit = 1;
    EXPECT_FALSE(ConfirmSettingsDialog(app, kDialogUnits, values));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Cannot Save ini File: " + home.Path() +
                                                    "/missing/deeper/Mapwanderer1.ini: "
                                                    "No such file or directory"});
    EXPECT_EQ(app.settings.speedUnit, 0);
}
