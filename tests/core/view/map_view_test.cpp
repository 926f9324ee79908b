#include <gtest/gtest.h>

#include <cmath>

#include "map/map_file.h"
#include "testlib/fake_ui.h"
#include "testlib/map_file_writer.h"
#include "view/map_view.h"

using namespace mw;

namespace {

// A 2000 × 1000 pixel image of 2° × 1°: pixel (x, y) is 51 - y/1000 N,
// x/1000 - 1 E. A 400 × 300 portrait window (half sizes 200, 150).
class MapViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        mwtest::CalibrationFileText calib;
        calib.points = {mwtest::PointAt(0, 0, 51, -1), mwtest::PointAt(2000, 1000, 50, 1)};
        calib.borderLatLon = mwtest::RectangleBorder(50, -1, 51, 1);
        map = ParseMapFile(calib.Text(), datums);
        map.imageWidth = 2000;
        map.imageHeight = 1000;
        Resize(view, 400, 300, true);
    }

    DatumTable datums;
    MapRecord map;
    MapView view;
    const std::vector<ZoomEntry> table = {{4, "25 %", 1}, {2, "50 %", 2}, {1, "100 %", 3},
                                          {0.5, "200 %", 4}};
};

TEST_F(MapViewTest, ZoomToClampsAndAnEmptyTableChangesNothing) {
    for (auto [index, shown] : {std::pair{-3, 0}, {9, 3}}) {
        ZoomTo(view, table, index);
        EXPECT_EQ(view.zoomIndex, shown) << index;
    }
    ZoomTo(view, {}, 0);
    EXPECT_EQ(view.zoomIndex, 3);
    EXPECT_EQ(view.zoom, 0.5);
}

TEST_F(MapViewTest, FullMapTakesTheLargestZoomAtWhichBothSidesFitNeverMagnified) {
    const std::vector<ZoomEntry> levels = {
        {10, "10 %", 1}, {4, "25 %", 2}, {2, "50 %", 3}, {1, "100 %", 4}, {0.5, "200 %", 5}};
    // A tall sheet needs the height's zoom (the width alone would allow 25 %);
    // when nothing fits, the smallest level.
    for (auto [w, h, windowW, windowH, index] :
         {std::tuple{1000, 3000, 480, 640, 0}, {1500, 2000, 1920, 1080, 2},
          {100, 80, 400, 300, 3}, {9000, 9000, 100, 100, 0}}) {
        map.imageWidth = w;
        map.imageHeight = h;
        Resize(view, windowW, windowH, true);
        FullMap(view, levels, 3, map, datums);
        EXPECT_EQ(view.zoomIndex, index) << w << "x" << h;
        EXPECT_EQ(view.centreX, w / 2) << w << "x" << h;
    }
}

// Centring on a position is the waypoint and name commands' test; a fix
// and a drag are checked here, the drag at 50 % where it counts double.
TEST_F(MapViewTest, ADragMovesByTheZoomAndAFixLeavesNoChosenCentre) {
    ZoomTo(view, table, 1);
    CentreOnPixel(view, map, datums, 1000, 500);
    MapView panned = view;
    Pan(panned, map, datums, 30, -10);
    EXPECT_NEAR(panned.centreX, 940, 1);
    EXPECT_NEAR(panned.centreY, 520, 1);
    ASSERT_TRUE(panned.centre.has_value());
    EXPECT_NEAR(panned.centre->lat, 50.48, 1e-3);
    EXPECT_NEAR(panned.centre->lon, -0.06, 1e-3);
    EXPECT_EQ(panned.left, static_cast<int>(std::trunc(panned.centreX / 2.0 - 200 + 0.5)));

    FollowFix(view, map, datums, {50.5, 0.25}, 90);
    EXPECT_NEAR(view.centreX, 1250, 1);
    EXPECT_FALSE(view.centre.has_value());
    ASSERT_TRUE(view.pointer.has_value());
    EXPECT_EQ(*view.pointer, (GpsPointer{view.centreX, view.centreY, 90}));
}

}  // namespace
