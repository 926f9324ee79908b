// The route and navigation commands as the menus run them: what they ask,
// load, report and repaint.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/route_commands.h"
#include "geo/datums.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

class RouteCommands : public ::testing::Test {
protected:
    void SetUp() override {
        app.ports.ui = &ui;
        app.settings.dataPath = data.Path();
        app.map.mapLoaded = true;
        app.map.datumIndex = FindDatumByName(app.datums, "Ord Srvy Grt Britn");
        data.Write("walk.rte", "h\r\nWGS 84\r\nh\r\nh\r\nR,0,Walk,d,\r\nW,0,0,0,A,52.000399503,-1.001520699\r\n");
        store.push_back(Route{"Old", "", 1, {RoutePoint{"p", 1, 1}}});
        app.routes.Assign(store);
    }

    mwtest::TempDir data;
    mwtest::FakeUi ui;
    App app;
    std::vector<Route> store;
};

}  // namespace

TEST_F(RouteCommands, LoadAsksForARouteFileInTheDataFolderAndReadsItOnTheMapsDatum) {
    ui.files = {data.File("walk.rte")};
    ASSERT_TRUE(ExecuteCommand(app, kCmdLoadRouteFile));
    EXPECT_EQ(ui.requestTitles, std::vector<std::string>{"Load Route File"});
    EXPECT_EQ(ui.openRequests, std::vector<std::string>{data.Path()});
    ASSERT_EQ(app.routes.Routes().size(), 1u);
    const RoutePoint& p = app.routes.Routes()[0].points[0];
    EXPECT_NEAR(p.lat, 52.0, 1e-7);  // back on Ordnance Survey 1936
    EXPECT_NEAR(p.lon, -1.0, 1e-7);
    EXPECT_EQ(ui.repaints, std::vector<WindowId>{WindowId::Map});
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RouteCommands, LoadThatCannotGoAheadLeavesTheRoutes) {
    struct Case {
        const char* what;
        bool mapLoaded;
        std::optional<std::string> file;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"no map", false, data.File("walk.rte"), {"A Map must be loaded for this Operation"}},
        {"cancelled", true, std::nullopt, {}},
        {"missing file", true, data.File("gone.rte"), {"Route file could not be opened"}},
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        ui.files = {c.file};
        app.map.mapLoaded = c.mapLoaded;
        ExecuteCommand(app, kCmdLoadRouteFile);
        EXPECT_EQ(ui.messages, c.messages) << c.what;
        ASSERT_EQ(app.routes.Routes().size(), 1u) << c.what;
        EXPECT_EQ(app.routes.Routes()[0].name, "Old") << c.what;
    }
}

TEST_F(RouteCommands, ClearAsksFirst) {
    ui.answers = {false, true};
    ExecuteCommand(app, kCmdClearRoutes);
    EXPECT_EQ(app.routes.Routes().size(), 1u);
    EXPECT_TRUE(ui.repaints.empty());
    ExecuteCommand(app, kCmdClearRoutes);
    EXPECT_TRUE(app.routes.Empty());
    EXPECT_EQ(ui.questions, std::vector<std::string>(2, "Clear Routes from the Map"));
    EXPECT_EQ(ui.repaints, std::vector<WindowId>{WindowId::Map});
}

TEST_F(RouteCommands, NavigationStartsAndStopsWithItsFlagAndRepaints) {
    SetNavigationTarget(app, 51.5, -0.1, 3, "Home");
    EXPECT_TRUE(app.state.navigationActive);
    EXPECT_EQ(app.navigation.target->name, "Home");
    EXPECT_EQ(ui.repaints, (std::vector<WindowId>{WindowId::Main, WindowId::Map}));

    ui.repaints.clear();
    ASSERT_TRUE(ExecuteCommand(app, kCmdCancelNavigation));
    EXPECT_FALSE(app.state.navigationActive);
    EXPECT_FALSE(app.navigation.Active());
    EXPECT_EQ(ui.repaints, (std::vector<WindowId>{WindowId::Map, WindowId::Main}));

    // Deleting the target's waypoint stops navigation; another one does not.
    SetNavigationTarget(app, 51.5, -0.1, 3, "Home");
    NavigationWaypointDeleted(app, 4);
    EXPECT_TRUE(app.state.navigationActive);
    NavigationWaypointDeleted(app, 3);
    EXPECT_FALSE(app.state.navigationActive);
    EXPECT_FALSE(app.navigation.Active());
}
