#include "app/session_state.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/view_commands.h"
#include "app/waypoint_commands.h"
#include "testlib/fake_ui.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

// One program run on a shared home: started, used, quit.
struct ProgramRun {
    mwtest::FakeUi ui;
    mwtest::FakeClock clock;
    App app;
    ProgramRun(const std::string& home, const std::string& user) {
        app.ports.ui = &ui;
        app.ports.clock = &clock;
        StartApplication(app, home, user, 400, 300);
    }
};

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        mwtest::WriteSheetMap(maps.Path(), "west.map", 50, 0);
        home.Write("Mapwanderer1.ini", "Position Format,Deg.Min\r\nNMEA Datum,WGS 84\r\n"
                                       "Load Last Map,1\r\nLoad Default Wps,0\r\nLoad Default Track,0\r\n"
                                       "File Path 1,\r\nFile Path 2,\r\nMap Path 1," +
                                           maps.Path() + "\r\n");
        data.Write("walks.wpt", "h\r\nWGS 84\r\nh\r\nh\r\n-1,Mill,50.2,0.3\r\n-1,Bridge,50.3,0.6\r\n");
        data.Write("walk.rte", "h\r\nWGS 84\r\nh\r\nh\r\nR,0,Walk,d,\r\nW,0,0,0,A,50.1,0.2\r\n"
                               "W,0,0,0,B,50.2,0.4\r\n");
        data.Write("day.plt", "h\r\nWGS 84\r\nh\r\nh\r\nh\r\n0\r\n50.1,0.1,0\r\n50.15,0.2,0\r\n50.2,0.25,0\r\n");
    }
    // A first run that loads the map and the three files, zooms, moves the
    // view and navigates to the second waypoint, then quits.
    void FirstRun() {
        ProgramRun run(home.Path(), home.File("user"));
        ASSERT_TRUE(LoadMapFile(run.app, maps.File("west.map")));
        run.ui.files = {data.File("walks.wpt"), data.File("walk.rte"), data.File("day.plt")};
        ExecuteCommand(run.app, kCmdLoadWpFile);
        ExecuteCommand(run.app, kCmdLoadRouteFile);
        ExecuteCommand(run.app, kCmdLoadTrackFile);
        ASSERT_EQ(run.app.routes.loadedFrom, data.File("walk.rte"));
        ASSERT_EQ(run.app.track.PointCount(), 3) << (run.ui.messages.empty() ? "" : run.ui.messages[0]);
        ZoomSteps(run.app, 1);
        ShowPositionOnMap(run.app, 50.25, 0.45);
        WaypointListGoTo(run.app, WaypointListRows(run.app).at(1));
        leftZoom = run.app.mapView.zoomIndex;
        leftCentre = {run.app.mapView.centreX, run.app.mapView.centreY};
        ASSERT_NE(leftZoom, 0);
        EXPECT_EQ(ShutdownApplication(run.app), "");
    }

    mwtest::TempDir home, maps, data;
    int leftZoom = 0;
    std::pair<int, int> leftCentre;
};

}  // namespace

TEST_F(Session, StartQuitStartComesBackAsItWasLeft) {
    FirstRun();
    ProgramRun again(home.Path(), home.File("user"));
    const App& app = again.app;
    ASSERT_TRUE(app.viewport.HasImage());
    EXPECT_EQ(app.mapView.zoomIndex, leftZoom);
    // Through WGS 84 and back the centre lands on the same pixel.
    EXPECT_EQ(std::make_pair(app.mapView.centreX, app.mapView.centreY), leftCentre);

    ASSERT_NE(app.waypoints.At(1), nullptr);
    EXPECT_EQ(app.waypoints.At(1)->name, "Bridge");
    EXPECT_EQ(app.waypoints.loadedFrom, data.File("walks.wpt"));
    ASSERT_EQ(app.routes.Routes().size(), 1u);
    EXPECT_EQ(app.routes.loadedFrom, data.File("walk.rte"));
    EXPECT_EQ(app.track.PointCount(), 3);

    ASSERT_TRUE(app.navigation.target);
    EXPECT_EQ(app.navigation.target->name, "Bridge");
    EXPECT_EQ(app.navigation.target->waypointIndex, 1);
    EXPECT_NEAR(app.navigation.target->lat, 50.3, 1e-9);
    EXPECT_TRUE(app.state.navigationActive);
    EXPECT_TRUE(again.ui.messages.empty());
    EXPECT_TRUE(again.ui.statusNotes.empty());
    // The configuration files are as the first run left them: the session
    // has a file of its own.
    EXPECT_EQ(home.Read("Mapwanderer1.ini").find("Session"), std::string::npos);
}

// A file deleted between two runs is said once, in the status line; the
// rest still comes back, and a cleared store is not brought back.
TEST_F(Session, AFileThatHasGoneIsSaidOnceInTheStatusLine) {
    FirstRun();
    ASSERT_EQ(std::remove(data.File("walk.rte").c_str()), 0);
    {
        ProgramRun second(home.Path(), home.File("user"));
        EXPECT_TRUE(second.ui.messages.empty());
        ASSERT_EQ(second.ui.statusNotes.size(), 1u);
        EXPECT_EQ(second.ui.statusNotes[0], kSessionFilesGoneText + data.File("walk.rte"));
        EXPECT_EQ(second.app.waypoints.loadedFrom, data.File("walks.wpt"));
        EXPECT_TRUE(second.app.routes.Routes().empty());
        second.ui.answers = {true};
        ExecuteCommand(second.app, kCmdClearWaypoints);
        ShutdownApplication(second.app);
    }
    ProgramRun third(home.Path(), home.File("user"));
    EXPECT_TRUE(third.ui.statusNotes.empty());
    EXPECT_EQ(third.app.waypoints.At(0), nullptr);
    EXPECT_EQ(third.app.track.PointCount(), 3);
}

// Every file that has gone, the names file too, in the one note.
TEST_F(Session, FilesThatHaveGoneShareOneNote) {
    FirstRun();
    std::string text = home.Read(kSessionFile);
    text += "Names," + data.File("gone.names") + "\r\n";
    home.Write(kSessionFile, text);
    ASSERT_EQ(std::remove(data.File("day.plt").c_str()), 0);
    ProgramRun again(home.Path(), home.File("user"));
    EXPECT_EQ(again.ui.statusNotes, std::vector<std::string>{kSessionFilesGoneText + data.File("day.plt") +
                                                             ", " + data.File("gone.names")});
    EXPECT_TRUE(again.ui.messages.empty());
}

TEST(SessionFile, ReadsBackWhatItWritesAndSkipsDamage) {
    SessionState s;
    s.mapPath = "/maps/a, b.map";
    s.centreLat = -33.123456789;
    s.centreLon = 151.5;
    s.zoomIndex = 3;
    s.waypointFile = "/d/w.wpt";
    s.trackFile = "/d/t.plt";
    s.namesFile = "/d/n.names";
    s.target = SessionTarget{-33.5, 151.25, -1, "Pier, north end"};
    EXPECT_EQ(ParseSession(FormatSession(s)), s);

    const struct {
        const char* text;
        SessionState expect;
    } cases[] = {
        {"", {}},
        {"Waypoints,/w.wpt\r\n", {}},  // no header: not a session file
        {"Mapwanderer Session 1\r\nCentre,91,0\r\nZoom,-1\r\nTarget,1,2,x\r\nWaypoints,/w.wpt\r\n",
         [] {
             SessionState e;
             e.waypointFile = "/w.wpt";
             return e;
         }()},
        {"Mapwanderer Session 1\r\nCentre,1.5,nan\r\nTarget,1,2,0,A\r\nOther,1\r\n", [] {
             SessionState e;
             e.target = SessionTarget{1, 2, 0, "A"};
             return e;
         }()},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseSession(c.text), c.expect) << c.text;
}
