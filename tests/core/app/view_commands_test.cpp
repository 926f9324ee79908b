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
