// The View menu's panel and window toggles, the GPS windows' refusals, what
// the panels read from the running program, and the overview's taps.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/panels.h"
#include "image/mwf2_writer.h"
#include "testlib/fake_ui.h"
#include "testlib/image_fixtures.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

class DialogUi : public mwtest::FakeUi {
public:
    void OpenDialog(DialogId dialog, int) override { dialogs.push_back(dialog); }
    std::vector<DialogId> dialogs;
};

// A map of 3000 × 1500 pixels for 3° × 1.5°, 100 m a pixel, started on a
// 480 × 640 portrait window.
class Panels : public ::testing::Test {
protected:
    void SetUp() override {
        mwtest::CalibrationFileText calib;
        calib.image = "wide.bmp";
        calib.points = {mwtest::PointAt(0, 0, 51.5, 0), mwtest::PointAt(3000, 1500, 50, 3)};
        calib.borderLatLon = mwtest::RectangleBorder(50, 0, 51.5, 3);
        calib.borderPixels = {{0, 0}, {3000, 0}, {3000, 1500}, {0, 1500}};
        calib.scale = 100;
        maps.Write("wide.map", calib.Text());
        std::string error;
        ASSERT_TRUE(WriteMwf2File(maps.File("wide.mwf2"),
                                  mwtest::MakeTiledImage(3000, 1500, {100, 50, 25}), &error));
        app.ports.ui = &ui;
        home.Write("Mapwanderer1.ini", "Position Format,Deg.Min\r\nNMEA Datum,WGS 84\r\n"
                                       "File Path 1,\r\nFile Path 2,\r\nMap Path 1," +
                                           maps.Path() + "\r\n");
        app.state.areaWidth = 480;
        app.state.areaHeight = 600;
        ASSERT_TRUE(StartApplication(app, home.Path(), "/home/u", 480, 640));
        ASSERT_TRUE(LoadMapFile(app, maps.File("wide.map")));
        ASSERT_TRUE(app.viewport.HasImage());
        ui.messages.clear();
    }

    mwtest::TempDir home, maps;
    DialogUi ui;
    App app;
};

}  // namespace

TEST_F(Panels, GpsWindowsNeedNmeaFromARunningReceiver) {
    struct Case {
        int source;
        bool active;
        std::string message;
    };
    const Case cases[] = {
        {3, true, "Does not work in Garmin PVT mode"},
        {3, false, "Does not work in Garmin PVT mode"},
        {0, false, "Communication with the GPS must be On"},
        {1, true, ""},
    };
    for (int command : {kCmdDisplayNmea, kCmdViewSatellites}) {
        for (const Case& c : cases) {
            app.settings.nmeaSentence = c.source;
            app.mapView.following = c.active;
            ui.messages.clear();
            ui.dialogs.clear();
            ASSERT_TRUE(ExecuteCommand(app, command));
            if (c.message.empty()) {
                EXPECT_TRUE(ui.messages.empty());
                ASSERT_EQ(ui.dialogs.size(), 1u);
                EXPECT_EQ(ui.dialogs[0], command == kCmdDisplayNmea ? DialogId::NmeaMonitor
                                                                    : DialogId::Satellites);
            } else {
                EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
                EXPECT_TRUE(ui.dialogs.empty());
            }
        }
    }
    app.mapView.following = false;
}

TEST_F(Panels, ToggleRowsShowWindowsAndReserveRoom) {
    ASSERT_TRUE(ExecuteCommand(app, kCmdViewScale));
    EXPECT_EQ(app.view.viewScale, 1);
    EXPECT_TRUE(ui.shown[WindowId::Scale]);
    EXPECT_TRUE(ui.checked[kCmdViewScale]);
    ASSERT_TRUE(ExecuteCommand(app, kCmdViewMapView));
    EXPECT_TRUE(ui.shown[WindowId::Overview]);
    ASSERT_TRUE(ExecuteCommand(app, kCmdViewMapView));
    EXPECT_FALSE(ui.shown[WindowId::Overview]);
    EXPECT_FALSE(ui.checked[kCmdViewMapView]);

    const int height = app.mapView.height;
    ASSERT_TRUE(ExecuteCommand(app, kCmdViewSpeedInfo));
    EXPECT_EQ(app.mapView.height, height - 25);
    ASSERT_TRUE(ExecuteCommand(app, kCmdViewSpeedNavInfo));
    EXPECT_EQ(app.mapView.height, height - 50);
    ASSERT_TRUE(ExecuteCommand(app, kCmdViewSpeedInfo));
    EXPECT_EQ(app.mapView.height, height - 25);
    EXPECT_TRUE(CommandChecked(app, kCmdViewSpeedNavInfo));
    EXPECT_FALSE(CommandChecked(app, kCmdViewSpeedInfo));
}

TEST_F(Panels, InputsReadTheFixTheSettingsAndTheTarget) {
    app.gps.fix.speed = 9.5;
    app.gps.fix.trueCourse = 80;
    app.gps.fix.magneticCourse = 83;
    app.gps.fix.fixQuality = 2;
    app.gps.fix.satellitesInUse = 9;
    app.settings.headingUnit = 1;
    InfoPanelInputs in = InfoPanelInputsFrom(app);
    EXPECT_EQ(in.speed.heading, 83);
    EXPECT_TRUE(in.speed.headingMagnetic);
    EXPECT_FALSE(in.navigation.navigating);
    SetNavigationTarget(app.navigation, 51, 1, -1, "Riverside");
    in = InfoPanelInputsFrom(app);
    EXPECT_TRUE(in.navigation.navigating);
    // The panel's texts: the shortened name, and a distance with its unit
    // from where the view is to the target.
    EXPECT_EQ(in.navigation.name, "Riv..ide");
    EXPECT_FALSE(in.navigation.distance.empty());
    EXPECT_FALSE(in.navigation.unit.empty());
    EXPECT_FALSE(in.navigation.bearing.empty());

    // The view centre while not following the GPS, the GPS position while following.
    app.settings.positionFormat = 0;
    StatusLineInputs status = StatusLineInputsFrom(app);
    EXPECT_NE(status.positionText, "---");
    EXPECT_EQ(StatusFixText(status), "");
    app.mapView.following = true;
    app.state.lastGpsLat = app.state.lastGpsLon = 0;
    status = StatusLineInputsFrom(app);
    EXPECT_EQ(status.positionText, "---");
    EXPECT_EQ(StatusFixText(status), "D-9");
    app.mapView.following = false;
}

TEST_F(Panels, ScaleBarFollowsTheZoom) {
    // 100 m a pixel: at 100 % 5 km is 50 pixels.
    ScaleBar bar = ScaleBarFrom(app);
    EXPECT_EQ(bar.label, "5 Km");
    EXPECT_EQ(bar.length, 50);
    app.settings.distanceUnit = 2;
    bar = ScaleBarFrom(app);
    EXPECT_EQ(bar.label, "2 nm");  // 1 nm is 18.5 pixels, 2 nm 37
    EXPECT_EQ(bar.length, 37);
    app.settings.distanceUnit = 0;
    ZoomTo(app.mapView, app.viewport.zoomTable, app.viewport.zoomIndex100 - 1);  // 50 %
    EXPECT_EQ(ScaleBarFrom(app).label, "10 Km");
}

TEST_F(Panels, OverviewTapsRecentreOrAskForMaps) {
    SyncOverviewWithView(app);
    EXPECT_EQ(app.overview.geometry.width, 95);
    EXPECT_EQ(app.overview.geometry.height, 47);
    EXPECT_TRUE(app.overview.picture.has_value());

    OverviewTap(app, 8 + 20, 8 + 10);  // image pixel (631, 319)
    EXPECT_EQ(app.mapView.centreX, 631);
    EXPECT_EQ(app.mapView.centreY, 319);
    EXPECT_TRUE(ui.mapsFound.empty());

    OverviewTap(app, 3, 20);  // the frame: off the map
    EXPECT_EQ(ui.mapsFound.size(), 1u);
    EXPECT_EQ(app.mapView.centreX, 631) << "the view stays";

    // Not while following the GPS.
    app.mapView.following = true;
    OverviewTap(app, 50, 30);
    EXPECT_EQ(app.mapView.centreX, 631);
    app.mapView.following = false;

    app.view.mapViewSize = 200;
    EXPECT_TRUE(StepOverviewSize(app, true));
    EXPECT_EQ(app.overview.geometry.width, 220);
    EXPECT_FALSE(StepOverviewSize(app, true));
    EXPECT_EQ(app.view.mapViewSize, 220);
}
