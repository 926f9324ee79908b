// The route commands as the menus run them: the wiring from the menu to the
// route file reader (whose cases live in route_file_test) and the clear.
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
    EXPECT_EQ(ui.openRequests, std::vector<std::string>{data.Path()});
    ASSERT_EQ(app.routes.Routes().size(), 1u);
    const RoutePoint& p = app.routes.Routes()[0].points[0];
    EXPECT_NEAR(p.lat, 52.0, 1e-7);  // back on Ordnance Survey 1936
    EXPECT_NEAR(p.lon, -1.0, 1e-7);
    EXPECT_EQ(ui.repaints, std::vector<WindowId>{WindowId::Map});
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RouteCommands, ClearAsksFirst) {
    ui.answers = {false, true};
    ExecuteCommand(app, kCmdClearRoutes);
    EXPECT_EQ(app.routes.Routes().size(), 1u);
    ExecuteCommand(app, kCmdClearRoutes);
    EXPECT_TRUE(app.routes.Empty());
}

