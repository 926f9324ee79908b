// The waypoint commands as the menus run them, the list's buttons, and
// centring the map on a waypoint (also on a neighbouring map).
#include <gtest/gtest.h>

#include <filesystem>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/waypoint_commands.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "two_sheets.h"
#include "waypoint/waypoint_file.h"

using namespace mw;

namespace {

class DialogUi : public mwtest::FakeUi {
public:
    void OpenDialog(DialogId dialog, int) override { dialogs.push_back(dialog); }
    std::vector<DialogId> dialogs;
};

class WaypointCommands : public TwoSheets<DialogUi> {
protected:
    void SetUp() override {
        TwoSheets::SetUp();
        clock.local = DateTime{2023, 12, 31, 23, 59, 58};
        app.settings.dataPath = data.File("Data");
    }

    std::string Log() const { return data.File("Data/ceWaypoints.wpt"); }
};

}  // namespace

TEST_F(WaypointCommands, CreateAtPositionUsesTheViewCentreThenTheLastFix) {
    struct Case {
        const char* what;
        double centreLat, centreLon, gpsLat, gpsLon;
        int slot;
        std::string message;
    };
    const Case cases[] = {
        {"view centre", 50.25, 0.5, 50.1, 0.1, 0, ""},
        {"last fix", 0, 0, 50.1, 0.1, 1, ""},
        {"neither", 0, 0, 0, 0, -1, "Cursor Position not Selected"},
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        app.view.viewWaypoints = 0;
        app.mapView.centre = GeoPoint{c.centreLat, c.centreLon};
        app.state.lastGpsLat = c.gpsLat;
        app.state.lastGpsLon = c.gpsLon;
        ASSERT_TRUE(ExecuteCommand(app, kCmdCreateWpAtPosition)) << c.what;
        EXPECT_EQ(ui.messages, c.message.empty() ? std::vector<std::string>{}
                                                 : std::vector<std::string>{c.message})
            << c.what;
        EXPECT_EQ(app.view.viewWaypoints, c.slot >= 0 ? 1 : 0) << c.what;
        if (c.slot < 0) continue;
        const Waypoint* w = app.waypoints.At(c.slot);
        ASSERT_NE(w, nullptr) << c.what;
        EXPECT_EQ(w->name, "WP" + std::to_string(c.slot));
        EXPECT_EQ(w->lat, c.slot == 0 ? c.centreLat : c.gpsLat);
        EXPECT_EQ(w->description, "Dec 31 2023 23:59:58");
    }
    EXPECT_TRUE(ui.checked[kCmdViewWaypoints]);
    // The data folder was made for the log, which has both waypoints.
    WaypointStore logged;
    ASSERT_TRUE(ReadWaypointFile(logged, Log(), app.datums, kDatumWgs84, &ui));
    EXPECT_EQ(logged.waypointCount, 2);

    // The screen-control entry point leaves "View Waypoints" alone.
    app.view.viewWaypoints = 0;
    app.mapView.centre = GeoPoint{50.3, app.mapView.centre.value_or(GeoPoint{}).lon};
    EXPECT_EQ(CreateWaypointAtPosition(app), 2);
    EXPECT_EQ(app.view.viewWaypoints, 0);
}

TEST_F(WaypointCommands, FileCommandsAskAndReport) {
    data.Write("places.wpt",
               "h\r\nWGS 84\r\n3\r\n4\r\n-1,Mill,50.2,0.3\r\n-1,Ford,50.4,0.6\r\n");
    ui.files = {std::nullopt, data.File("places.wpt")};
    ExecuteCommand(app, kCmdLoadWpFile);  // cancelled
    EXPECT_EQ(app.waypoints.At(0), nullptr);
    ExecuteCommand(app, kCmdLoadWpFile);
    ASSERT_NE(app.waypoints.At(1), nullptr);
    EXPECT_EQ(app.waypoints.At(1)->name, "Ford");

    // Saving adds the extension to a name typed without it.
    ui.files = {data.File("saved")};
    ExecuteCommand(app, kCmdSaveWaypoints);
    WaypointStore back;
    ASSERT_TRUE(ReadWaypointFile(back, data.File("saved.wpt"), app.datums, kDatumWgs84, &ui));
    EXPECT_EQ(back.waypointCount, 2);

    ui.answers = {true};
    ExecuteCommand(app, kCmdClearWaypoints);
    EXPECT_EQ(app.waypoints.At(0), nullptr);

    app.mapView.centre = GeoPoint{50.2, 0.5};
    CreateWaypointAtPosition(app);  // logged
    ui.files = {data.File("log copy.wpt")};
    ExecuteCommand(app, kCmdSaveWpLog);
    EXPECT_TRUE(std::filesystem::exists(data.File("log copy.wpt")));
    ui.answers = {true};
    ExecuteCommand(app, kCmdDeleteWpLog);
    EXPECT_FALSE(std::filesystem::exists(Log()));
}

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
    ShowPositionOnMap(app, 50.25, 0.3);
    EXPECT_EQ(app.map.mapFilePath, maps.File("west.map"));
    EXPECT_NEAR(app.mapView.centreX, 300, 1);

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
