// The panels around the map follow what the map shows: navigation and the
// position read-out after the moving map stops, and the scale bar after a
// zoom or a map change.
#include <algorithm>

#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/moving_map.h"
#include "app/panels.h"
#include "app/route_commands.h"
#include "app/view_commands.h"
#include "gps/gps_link.h"
#include "two_sheets.h"

using namespace mw;

namespace {

class PanelsFollow : public TwoSheets<> {
protected:
    void SetUp() override {
        TwoSheets::SetUp();
        app.settings.dataPath = data.Path();
        app.settings.nmeaUpdate = 1;
        app.settings.distanceUnit = 0;
    }
    bool Repainted(WindowId w) const {
        return std::find(ui.repaints.begin(), ui.repaints.end(), w) != ui.repaints.end();
    }
};

}  // namespace

// Navigation to a target 0.1° (6 nm, 11.11 km) north of the last fix: while
// the fixes come, after the receiver falls silent and after the moving map
// is switched off, the panel measures from that fix (grey once it is old),
// never from 0° N 0° E; the status line keeps showing where it was.
TEST_F(PanelsFollow, NavigationMeasuresFromTheLastKnownPositionNeverFromZero) {
    SetNavigationTarget(app, 50.35, 0.5, -1, "ORLEANS");
    ASSERT_TRUE(StartMovingMapWithoutPort(app));
    // Switched on, before any fix: nothing to measure from.
    InfoPanelInputs in = InfoPanelInputsFrom(app);
    EXPECT_TRUE(in.navigation.navigating);
    EXPECT_EQ(in.navigation.name, "ORLEANS");
    EXPECT_EQ(in.navigation.distance, "");
    EXPECT_EQ(in.navigation.bearing, "");
    EXPECT_EQ(StatusLineInputsFrom(app).positionText, "---");

    UpdateGpsPosition(app, 50.25, 0.5, "070626", "101500");
    const std::string shownWhileFollowing = StatusLineInputsFrom(app).positionText;
    const struct {
        const char* when;
        std::function<void()> step;
        bool stale;
    } cases[] = {
        {"following", [] {}, false},
        {"receiver silent", [&] { app.gps.fix.statusText = kStatusSilent; }, true},
        {"moving map off", [&] { ToggleMovingMap(app, true); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        c.step();
        in = InfoPanelInputsFrom(app);
        EXPECT_EQ(in.navigation.distance, "11.11");
        EXPECT_EQ(in.navigation.unit, "km");
        EXPECT_EQ(in.navigation.bearing, "0.0");
        EXPECT_EQ(in.navigation.stale, c.stale);
        const StatusLineInputs status = StatusLineInputsFrom(app);
        EXPECT_EQ(status.positionText, shownWhileFollowing);
        EXPECT_NE(status.positionText, "---");
        EXPECT_EQ(status.positionStale, c.stale);
    }
    EXPECT_FALSE(app.mapView.following);

    // A centre the user chooses afterwards (the sheet's north-west corner,
    // 0.15° north and 0.5° west of the target) is current again.
    ExecuteCommand(app, kCmdGotoTopLeft);
    in = InfoPanelInputsFrom(app);
    EXPECT_FALSE(in.navigation.stale);
    EXPECT_EQ(in.navigation.distance, "39.12");  // 16.67 km north, 35.39 km east
    EXPECT_FALSE(StatusLineInputsFrom(app).positionStale);
}

// A map load forgets the last fix: with the GPS switched on and off again
// without a fix there is no position, and the panel shows no distance.
TEST_F(PanelsFollow, WithoutAnyFixThereIsNoDistance) {
    SetNavigationTarget(app, 50.35, 0.5, -1, "ORLEANS");
    ASSERT_TRUE(StartMovingMapWithoutPort(app));
    ToggleMovingMap(app, true);
    const InfoPanelInputs in = InfoPanelInputsFrom(app);
    EXPECT_TRUE(in.navigation.navigating);
    EXPECT_EQ(in.navigation.distance, "");
    EXPECT_EQ(in.navigation.bearing, "");
    EXPECT_EQ(StatusLineInputsFrom(app).positionText, "---");
}

// Every zoom asks for the scale window to be drawn again, and the bar it
// then works out is the new zoom's: at 100 % 50 pixels are 5 km on these
// 100 m/pixel sheets, at 25 % they are 20 km.
TEST_F(PanelsFollow, TheScaleBarIsRedrawnAfterEveryZoomAndMapChange) {
    const ScaleBar atFull = ScaleBarFrom(app);
    EXPECT_EQ(atFull.label, "5 Km");
    const struct {
        const char* what;
        std::function<void()> step;
    } changes[] = {
        {"zoom out", [&] { ExecuteCommand(app, kCmdZoomOut); }},
        {"zoom in", [&] { ExecuteCommand(app, kCmdZoomIn); }},
        {"full map", [&] { ExecuteCommand(app, kCmdFullMap); }},
        {"wheel", [&] { ZoomSteps(app, 1); }},
        {"map load", [&] { ASSERT_TRUE(LoadMapFile(app, maps.File("east.map"))); }},
    };
    for (const auto& c : changes) {
        ui.repaints.clear();
        c.step();
        EXPECT_TRUE(Repainted(WindowId::Scale)) << c.what;
    }
    ZoomSteps(app, -10);  // the smallest entry: the 25 % level
    ASSERT_EQ(app.mapView.zoom, 4.0);
    const ScaleBar atQuarter = ScaleBarFrom(app);
    EXPECT_EQ(atQuarter.label, "20 Km");
    EXPECT_EQ(atQuarter.length, 50);
}
