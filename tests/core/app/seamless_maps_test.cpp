// "Seamless Maps" in the running program: the western sheet loaded, the
// view on its eastern edge, the eastern sheet found through the map folder.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "config/settings.h"
#include "map/calibration.h"
#include "two_sheets.h"

using namespace mw;

namespace {

using SeamlessMaps = TwoSheets<>;

// Share of the window's right half (from the western sheet's edge at the
// centre) that shows the background, and whether a whole column of it does.
double BlankShare(const App& app, bool* blankColumn = nullptr) {
    const ViewImage& v = app.viewport.view;
    const std::uint32_t blank = PaletteArgb(v.palette)[static_cast<std::size_t>(v.backgroundIndex)];
    int blankCount = 0, all = 0;
    if (blankColumn) *blankColumn = false;
    for (int x = v.display.width / 2; x < v.display.width; ++x) {
        int column = 0;
        for (int y = 0; y < v.display.height; ++y, ++all)
            column += v.display.At(x, y) == blank ? 1 : 0;
        blankCount += column;
        if (blankColumn && column == v.display.height) *blankColumn = true;
    }
    return double(blankCount) / all;
}

}  // namespace

TEST_F(SeamlessMaps, TheNeighbourFillsTheMarginUntilSwitchedOff) {
    ASSERT_EQ(app.view.viewSeamlessMaps, 1);
    CentreOnPixel(app.mapView, app.map, app.datums, 1000, 250);
    ASSERT_TRUE(RenderMapView(app.viewport, app.mapView));
    // The sheets meet on a pixel centre (the western sheet's pixel 1000,
    // one past its image): that column is the eastern sheet's first.
    bool blankColumn = true;
    EXPECT_LT(BlankShare(app, &blankColumn), 0.2);
    EXPECT_FALSE(blankColumn);

    ASSERT_TRUE(ExecuteCommand(app, kCmdSeamlessMaps));
    EXPECT_EQ(app.view.viewSeamlessMaps, 0);
    EXPECT_FALSE(ui.checked[kCmdSeamlessMaps]);
    EXPECT_EQ(BlankShare(app), 1.0);

    ASSERT_TRUE(ExecuteCommand(app, kCmdSeamlessMaps));
    EXPECT_TRUE(ui.checked[kCmdSeamlessMaps]);
    EXPECT_LT(BlankShare(app), 0.2);
    // The loaded map stays the one loaded.
    EXPECT_EQ(app.map.mapFilePath, maps.File("west.map"));
}

TEST_F(SeamlessMaps, TheSwitchIsKeptInTheViewSettings) {
    ExecuteCommand(app, kCmdSeamlessMaps);
    ASSERT_TRUE(SaveViewSettings(home.Path(), app.view));
    ViewSettings read;
    read.viewSeamlessMaps = 1;
    ASSERT_TRUE(ReadViewSettings(home.Path(), read));
    EXPECT_EQ(read.viewSeamlessMaps, 0);
    EXPECT_NE(home.Read("mapwanderer2.ini").find("View Seamless Maps,0\r\n"), std::string::npos)
        << home.Read("mapwanderer2.ini");

    // A view file written before the switch existed ends after "MapView
    // Size": the fill is on.
    std::string old = home.Read("mapwanderer2.ini");
    old.erase(old.find("View Seamless Maps"), std::string("View Seamless Maps,0\r\n").size());
    home.Write("mapwanderer2.ini", old);
    ASSERT_TRUE(ReadViewSettings(home.Path(), read));
    EXPECT_EQ(read.viewSeamlessMaps, 1);
}
