#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/view_commands.h"
#include "two_sheets.h"

using namespace mw;

namespace {

using ViewCommands = TwoSheets<>;

}  // namespace

TEST_F(ViewCommands, ZoomCommandsMoveThroughTheTable) {
    ExecuteCommand(app, kCmdZoomIn);
    ExecuteCommand(app, kCmdZoom100);
    EXPECT_EQ(app.mapView.zoomIndex, app.viewport.zoomIndex100);

    // Wheel notches and keys step through the table about the same centre,
    // stopping at its ends.
    ZoomSteps(app, 2);
    EXPECT_EQ(app.mapView.zoomIndex, app.viewport.zoomIndex100 + 2);
    EXPECT_EQ(app.mapView.centreX, 500);
    ZoomSteps(app, -100);
    EXPECT_EQ(app.mapView.zoomIndex, 0);
    ZoomSteps(app, 100);
    EXPECT_EQ(app.mapView.zoomIndex, static_cast<int>(app.viewport.zoomTable.size()) - 1);
}

TEST_F(ViewCommands, PanningOffTheMapLoadsTheNeighbour) {
    app.settings.mapPath = {maps.Path(), "", "", "", "", ""};
    ExecuteCommand(app, kCmdGotoTopRight);
    CentreOnPixel(app.mapView, app.map, app.datums, app.mapView.centreX, 250);
    // Right arrow: half a window further east, past the 1° edge.
    MapArrowKey(app, ArrowKey::Right);
    EXPECT_EQ(app.map.mapFilePath, maps.File("east.map"));
    // The view is at the same place on the new map: 200 pixels = 0.2° east
    // of the west map's east edge.
    ASSERT_TRUE(app.mapView.centre);
    EXPECT_NEAR(app.mapView.centre->lon, 1.2, 1e-9);
    EXPECT_NEAR(app.mapView.centreX, 200, 1);  // two-point maps truncate
}
