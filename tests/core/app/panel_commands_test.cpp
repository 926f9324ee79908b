// The View menu's panel and window toggles, the GPS windows' refusals, what
// the panels read from the running program, and the overview's taps.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/moving_map.h"
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

TEST_F(Panels, InputsReadTheFixTheSettingsAndTheTarget) {
    app.gps.fix.trueCourse = 80;
    app.gps.fix.magneticCourse = 83;
    app.settings.headingUnit = 1;
    InfoPanelInputs in = InfoPanelInputsFrom(app);
    EXPECT_EQ(in.speed.heading, 83);
    EXPECT_TRUE(in.speed.headingMagnetic);
    EXPECT_FALSE(in.navigation.navigating);
    SetNavigationTarget(app.navigation, 51, 1, -1, "Riverside");
    in = InfoPanelInputsFrom(app);
    EXPECT_TRUE(in.navigation.navigating);
    EXPECT_FALSE(in.navigation.distance.empty());
}

TEST_F(Panels, OverviewTapsRecentreOrAskForMaps) {
    SyncOverviewWithView(app);
    EXPECT_TRUE(app.overview.picture.has_value());

    OverviewTap(app, 8 + 20, 8 + 10);  // image pixel (631, 319)
    EXPECT_EQ(app.mapView.centreX, 631);
    // Not while following the GPS.
    app.mapView.following = true;
    OverviewTap(app, 50, 30);
    EXPECT_EQ(app.mapView.centreX, 631);

    app.view.mapViewSize = 200;
    EXPECT_TRUE(StepOverviewSize(app, true));
    EXPECT_EQ(app.overview.geometry.width, 220);
    EXPECT_FALSE(StepOverviewSize(app, true));
    EXPECT_EQ(app.view.mapViewSize, 220);
}
