// The overview's taps and size steps on a running program (its geometry
// is the overview's own test).
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/map_commands.h"
#include "app/panels.h"
#include "image/mwf2_writer.h"
#include "testlib/fake_ui.h"
#include "testlib/image_fixtures.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

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
    mwtest::FakeUi ui;
    App app;
};

}  // namespace

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
