// The waypoint commands as the menus run them, the list's buttons, and
// centring the map on a waypoint (also on a neighbouring map).
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/waypoint_commands.h"
#include "two_sheets.h"

using namespace mw;

namespace {

using WaypointCommands = TwoSheets<>;

}  // namespace

// Which rows the list has and which it frees are the waypoint store's; here
// the buttons' effect on navigation.
TEST_F(WaypointCommands, ListButtonsNavigateAndMarkingTheTargetStopsIt) {
    app.waypoints.Put(0, Waypoint{"Mill", 50.2, 0.3});
    app.waypoints.Put(2, Waypoint{"Ford", 50.4, 0.6});
    std::vector<WaypointListRow> rows = WaypointListRows(app);
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_TRUE(WaypointListGoTo(app, rows[1]));
    EXPECT_EQ(app.navigation.target->waypointIndex, 2);

    // Marking another row keeps navigation; marking the target stops it at
    // once, and unmarking does not bring it back.
    WaypointListToggleDelete(app, rows[0]);
    EXPECT_TRUE(app.state.navigationActive);
    WaypointListToggleDelete(app, rows[1]);
    EXPECT_FALSE(app.navigation.target.has_value());
    WaypointListToggleDelete(app, rows[1]);
    EXPECT_FALSE(app.state.navigationActive);

    // A row whose slot was emptied meanwhile is ignored by "Map" and "GoTo".
    WaypointListConfirm(app, rows);
    EXPECT_FALSE(WaypointListGoTo(app, rows[0]));
    EXPECT_FALSE(WaypointListShowOnMap(app, rows[0]));
}

TEST_F(WaypointCommands, ShowPositionOnMapCentresAndFindsTheNeighbour) {
    // Off the west map: the east map is loaded and centred there.
    ShowPositionOnMap(app, 50.1, 1.4);
    EXPECT_EQ(app.map.mapFilePath, maps.File("east.map"));
    ASSERT_TRUE(app.mapView.centre);
    EXPECT_NEAR(app.mapView.centre->lon, 1.4, 1e-9);
    EXPECT_NEAR(app.mapView.centreX, 400, 1);
    EXPECT_NEAR(app.mapView.centreY, 400, 1);

    // With the GPS running the moving map decides where the view is.
    app.mapView.following = true;
    ShowPositionOnMap(app, 50.25, 1.5);
    EXPECT_NEAR(app.mapView.centre->lon, 1.4, 1e-9);
}

TEST_F(WaypointCommands, AFullStoreRefusesACreatedWaypointWithTheBoxAndLogsNothing) {
    app.settings.dataPath = data.Path();
    Waypoint old;
    old.lat = 50.2;
    for (int i = 0; i < kWaypointSlots; ++i) app.waypoints.Put(i, old);
    EXPECT_EQ(CreateWaypointAt(app, 50.25, 0.5, std::nullopt), -1);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Too many Waypoints Loaded"});
    EXPECT_FALSE(FileExists(WaypointLogFile(app)));
}
