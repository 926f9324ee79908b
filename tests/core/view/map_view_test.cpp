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

// A map load takes the view it opened, but a resize or a drag that came in
// while the load waited on a message keeps its effect; the last fix, on the
// old map's datum, goes, while whether it lay on a map stays for the pipeline.
TEST_F(MapViewTest, AnOpenedViewKeepsTheScreenAndDragOfTheMeantime) {
    SetScreenSize(view, 480, 640);
    KeepLastFix(view, 50.5, 0.25);
    SetFixOnMap(view, true);
    MapView opened = view;
    CentreOnPixel(opened, map, datums, 100, 200);
    ZoomTo(opened, {{1.0, "100 %", 1}, {2.0, "50 %", 2}}, 1);
    SetScreenSize(view, 800, 480);  // turned to landscape meanwhile
    SetDragMode(view, true);
    StartDrag(view, 7, 9);

    ShowOpenedView(view, opened);
    EXPECT_EQ(view.centreX, 100);
    EXPECT_EQ(view.zoom, 2.0);
    EXPECT_EQ(view.left, opened.left);
    EXPECT_EQ(view.screen.width, 800);
    EXPECT_FALSE(view.screen.portrait);
    EXPECT_TRUE(view.drag.mode);
    EXPECT_EQ(view.drag.startX, 7);
    EXPECT_EQ(view.lastFix.lat, 0);
    EXPECT_EQ(view.lastFix.lon, 0);
    EXPECT_TRUE(view.lastFix.onMap);
}

// An alarm picture centres on the client area moved down by the bar above
// the map, which the portrait tool panel makes taller.
TEST_F(MapViewTest, ThePopupCentreFollowsScreenAndToolPanel) {
    struct Case {
        int width, height;
        bool toolPanel;
        int x, y;
    } cases[] = {
        {480, 640, false, 240, 359}, {480, 640, true, 240, 379}, {800, 480, false, 400, 279}};
    for (const Case& c : cases) {
        SetScreenSize(view, c.width, c.height);
        PlaceMapTop(view, c.toolPanel);
        const ScreenPoint centre = PopupCentre(view);
        EXPECT_EQ(centre.x, c.x) << c.width << "x" << c.height;
        EXPECT_EQ(centre.y, c.y) << c.width << "x" << c.height;
    }
}

}  // namespace
