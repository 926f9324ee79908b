#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "app/app.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/logo.h"
#include "app/moving_map.h"
#include "app/waypoint_commands.h"
#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"

using namespace mw;

class AppCore : public ::testing::Test {
protected:
    void SetUp() override {
        app.ports.ui = &ui;
        app.ports.shell = &shell;
    }
    bool Start(int w = 480, int h = 640) {
        return StartApplication(app, home.Path(), "/home/u", w, h);
    }
    mwtest::TempDir home;
    mwtest::FakeUi ui;
    mwtest::FakeShell shell;
    App app;
};

TEST_F(AppCore, StartReadsDatumsThenSettingsThenViewFile) {
    // The main file names a user datum: it resolves only because datums are
    // loaded before the configuration is read.
    home.Write("datums.dat", "Local Grid,14,1,2,3\r\n");
    home.Write("Mapwanderer1.ini", "Position Format,UTM\r\nNMEA Datum,Local Grid\r\n");
    home.Write("mapwanderer2.ini", "View Speed Info,1\r\nView Speed & Nav Info,0\r\nView Waypoints,0\r\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(app.datums.datumCount, 122);
    EXPECT_EQ(app.settings.nmeaDatum, 121);
    EXPECT_EQ(app.settings.positionFormat, 2);
    EXPECT_EQ(app.state.ntfDatum, 82);
    EXPECT_EQ(app.view.viewSpeedInfo, 1);
    EXPECT_FALSE(ui.checked[kCmdViewWaypoints]);
    EXPECT_TRUE(ui.checked[kCmdViewSpeedInfo]);
    EXPECT_TRUE(ui.checked[kCmdViewTrack]);  // fallback 1 for the missing line
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(AppCore, WithoutAMapImageScaleAndOverviewStartHidden) {
    home.Write("mapwanderer2.ini", "a,0\nb,0\nc,1\nd,0\ne,1\nView Scale,1\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(app.view.viewScale, 0);
    EXPECT_EQ(app.view.viewMapView, 0);
    EXPECT_FALSE(ui.checked[kCmdViewScale]);
}

TEST_F(AppCore, StartCreatesTheHomeAndShutdownWritesTheViewFile) {
    std::string nested = home.File("cfg/mapwanderer");
    ASSERT_TRUE(StartApplication(app, nested, "/home/u", 480, 640));
    EXPECT_TRUE(std::filesystem::is_directory(nested));
    ExecuteCommand(app, kCmdViewTrack);
    ShutdownApplication(app);
    mwtest::TempDir unused;
    std::string text = home.Read("cfg/mapwanderer/mapwanderer2.ini");
    EXPECT_NE(text.find("\r\nView Track,0\r\n"), std::string::npos);
    int lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(lines, 22);
    EXPECT_TRUE(text.ends_with("MapView Size,95\r\nEnd End End\r\n"));
}

TEST_F(AppCore, PortraitAndLandscapeLayout) {
    struct Case {
        int w, h, speed, nav;
        bool portrait;
        int mapW, mapH, halfW, halfH;
    };
    const Case cases[] = {
        {480, 600, 0, 0, true, 480, 600, 240, 300},
        {480, 600, 1, 0, true, 480, 575, 240, 287},
        {480, 600, 1, 1, true, 480, 550, 240, 275},
        {800, 480, 0, 0, false, 800, 480, 400, 217},
        {800, 480, 0, 1, false, 672, 480, 336, 217},
    };
    for (const Case& c : cases) {
        app.view.viewSpeedInfo = c.speed;
        app.view.viewSpeedNavInfo = c.nav;
        SetScreenSize(app, c.w, c.h);
        LayoutMapWindow(app, c.w, c.h);
        SCOPED_TRACE(Format("%dx%d speed %d nav %d", c.w, c.h, c.speed, c.nav));
        EXPECT_EQ(app.state.portrait, c.portrait);
        EXPECT_EQ((std::vector<int>{app.mapView.width, app.mapView.height, app.mapView.halfWidth,
                                    app.mapView.halfHeight}),
                  (std::vector<int>{c.mapW, c.mapH, c.halfW, c.halfH}));
    }
}

TEST_F(AppCore, ToolbarTogglesThePanelInPortraitOnly) {
    ASSERT_TRUE(Start(480, 640));
    EXPECT_TRUE(ui.shown[WindowId::ToolPanel]);
    EXPECT_EQ(app.state.mapTop, 59);
    ExecuteCommand(app, kCmdViewToolbar);
    EXPECT_FALSE(ui.shown[WindowId::ToolPanel]);
    EXPECT_EQ(app.state.mapTop, 39);
    EXPECT_EQ(app.view.viewToolbar, 0);

    App landscape;
    mwtest::FakeUi lui;
    landscape.ports.ui = &lui;
    ASSERT_TRUE(StartApplication(landscape, home.Path(), "/home/u", 800, 480));
    EXPECT_TRUE(lui.checked[kCmdViewToolbar]);
    EXPECT_FALSE(lui.enabled[kCmdViewToolbar]);
    EXPECT_EQ(lui.shown.count(WindowId::ToolPanel), 0u);
    ExecuteCommand(landscape, kCmdViewToolbar);
    EXPECT_EQ(landscape.view.viewToolbar, 1);  // grey in landscape: nothing changes
}

TEST_F(AppCore, DragAndScreenControlExcludeEachOther) {
    ASSERT_TRUE(Start());
    ExecuteCommand(app, kCmdDragMap);
    EXPECT_TRUE(app.state.dragMode);
    EXPECT_TRUE(ui.checked[kCmdDragMap]);
    ExecuteCommand(app, kCmdScreenControl);
    EXPECT_FALSE(app.state.dragMode);
    EXPECT_TRUE(app.state.screenControlMode);
    EXPECT_FALSE(ui.checked[kCmdDragMap]);
    EXPECT_TRUE(ui.checked[kCmdScreenControl]);
    ExecuteCommand(app, kCmdDragMap);
    EXPECT_TRUE(app.state.dragMode);
    EXPECT_FALSE(app.state.screenControlMode);
    ExecuteCommand(app, kCmdDragMap);
    EXPECT_FALSE(app.state.dragMode);
    EXPECT_FALSE(app.state.screenControlMode);
}

TEST_F(AppCore, ViewTogglesFlipTheirSettingAndCheckMark) {
    ASSERT_TRUE(Start());
    const int toggles[] = {kCmdViewWaypoints, kCmdViewWaypointHighlights, kCmdViewWaypointNames,
                           kCmdViewWaypointBW, kCmdViewWaypointProximity, kCmdViewRoutes,
                           kCmdViewRouteHighlights, kCmdViewRouteWpNames, kCmdViewRouteName,
                           kCmdViewRouteBW, kCmdViewTrack};
    for (int id : toggles) {
        bool before = CommandChecked(app, id);
        ui.repaints.clear();
        ASSERT_TRUE(ExecuteCommand(app, id)) << id;
        EXPECT_NE(CommandChecked(app, id), before) << id;
        EXPECT_EQ(ui.checked[id], !before) << id;
        EXPECT_FALSE(ui.repaints.empty()) << id;
    }
    // The tool button aliases of the first bar run the same commands.
    EXPECT_EQ(CanonicalCommand(kCmdOpenMapButton), kCmdOpenMap);
    EXPECT_EQ(CanonicalCommand(kCmdMovingMapButton), kCmdMovingMap);
}

TEST_F(AppCore, AboutDeveloperInfoQuitHelpAndCompanion) {
    ASSERT_TRUE(Start());
    ExecuteCommand(app, kCmdAbout);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "MapwandererCE\n\nBeta Version 1.10.3");
    app.state.display = DisplayCaps{1, -1, 0, 0, 24};
    ExecuteCommand(app, kCmdDeveloperInfo);
    ASSERT_EQ(ui.messages.size(), 6u);
    EXPECT_EQ(ui.messages[1], "Rastercaps 1");
    EXPECT_EQ(ui.messages[2], "Numcolors -1");
    EXPECT_EQ(ui.messages[5], "Colorres 24");

    ExecuteCommand(app, kCmdHelp);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], home.File("help/mawce_d_help.html"));

    // No companion program: nothing started, nothing reported.
    ExecuteCommand(app, kCmdUploadDownload);
    EXPECT_TRUE(shell.started.empty());
    // A data file that is not executable is never started either.
    home.Write("MawCEgps", "#!/bin/sh\n");
    ExecuteCommand(app, kCmdUploadDownload);
    EXPECT_TRUE(shell.started.empty());
    std::filesystem::permissions(home.File("MawCEgps"), std::filesystem::perms::owner_all);
    ExecuteCommand(app, kCmdUploadDownload);
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.startArgs[0], std::vector<std::string>{"586"});
    EXPECT_EQ(ui.messages.size(), 6u);

    ExecuteCommand(app, kCmdQuit);
    EXPECT_TRUE(ui.quitRequested);
}

TEST_F(AppCore, KeepAliveFollowsNoShutdownAndTheGps) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(app.state.keepAliveTimer);
    EXPECT_FALSE(KeepAliveTick(app));  // GPS off: the timer runs, nothing is injected
    app.mapView.following = true;
    EXPECT_TRUE(KeepAliveTick(app));

    App quiet;
    mwtest::FakeUi qui;
    quiet.ports.ui = &qui;
    mwtest::TempDir h2;
    h2.Write("Mapwanderer1.ini", std::string(43, '\n') + "No Shutdown,0\r\n");
    ASSERT_TRUE(StartApplication(quiet, h2.Path(), "/home/u", 480, 640));
    EXPECT_FALSE(quiet.settings.noShutdown);
    EXPECT_FALSE(quiet.state.keepAliveTimer);
}

// Every command that works on the map, without one: the one message, no
// file asked for, nothing switched on.
TEST(Commands, WithoutAMapEachSaysOneMustBeLoaded) {
    const int commands[] = {kCmdZoomIn,       kCmdZoomOut,        kCmdZoom100,
                            kCmdFullMap,      kCmdGotoTopLeft,    kCmdGotoCenter,
                            kCmdMapInformation, kCmdFindMapsAtCursor, kCmdLoadTrackFile,
                            kCmdReplayTrack,  kCmdLoadWpFile,     kCmdCreateWpAtPosition,
                            kCmdLoadRouteFile, kCmdImportGpx,     kCmdMovingMap};
    for (int id : commands) {
        SCOPED_TRACE(CommandText(id));
        App app;
        mwtest::FakeUi ui;
        app.ports.ui = &ui;
        ui.files = {"/some/file"};  // never asked for
        EXPECT_TRUE(ExecuteCommand(app, id));
        EXPECT_EQ(ui.messages, std::vector<std::string>{kNeedMapText});
        EXPECT_TRUE(ui.requestTitles.empty());
        EXPECT_TRUE(ui.lists.empty());
        EXPECT_FALSE(app.mapView.following || app.replay.mode);
        EXPECT_FALSE(ui.checked[id]);
    }
    // The headless start of the moving map and the screen-control waypoint.
    App app;
    mwtest::FakeUi ui;
    app.ports.ui = &ui;
    EXPECT_FALSE(StartMovingMapWithoutPort(app));
    EXPECT_EQ(CreateWaypointAtPosition(app), -1);
    EXPECT_EQ(ui.messages, std::vector<std::string>(2, kNeedMapText));
}

TEST(CommandTable, EveryMenuItemHasAUniqueIdAndText) {
    std::set<int> ids;
    std::function<void(const std::vector<MenuNode>&)> walk = [&](const std::vector<MenuNode>& nodes) {
        for (const MenuNode& n : nodes) {
            if (n.kind == MenuNode::Kind::Submenu) {
                EXPECT_FALSE(n.text.empty());
                walk(n.children);
            } else if (n.kind != MenuNode::Kind::Separator) {
                EXPECT_TRUE(ids.insert(n.id).second) << "duplicate " << n.id;
                EXPECT_FALSE(n.text.empty()) << n.id;
            }
        }
    };
    walk(MenuBar());
    ASSERT_EQ(MenuBar().size(), 3u);
    EXPECT_EQ(MenuBar()[2].children[11].text, "Zoom");
    EXPECT_EQ(MenuBar()[0].children[1].text, "Open Recent Maps");
    EXPECT_EQ(CommandText(kCmdMovingMap), "Moving Map (GPS) ");
    EXPECT_EQ(CommandText(kCmdSettingsMapDataFiles), "Map && Data Files");
    EXPECT_EQ(CommandText(kCmdRecentMap0), "None");
    EXPECT_EQ(CommandText(12345), "");
    // Every tool button runs a command the menus also offer, apart from the
    // zoom steps whose menu items come from the map image.
    for (const ToolButton& b : CommandBarButtons())
        if (!b.separator && b.command != kCmdZoomIn && b.command != kCmdZoomOut &&
            b.command != kCmdZoom100)
            EXPECT_FALSE(CommandText(CanonicalCommand(b.command)).empty()) << b.command;
    // A second row of one identifier would never run: the first one wins.
    std::set<int> rows;
    for (const CommandRow& row : AllCommandRows())
        EXPECT_TRUE(rows.insert(row.id).second) << "two rows for " << row.id;
}

TEST(StartupLogo, FillsTheWindowAndStaysInside) {
    for (auto [w, h] : {std::pair{480, 600}, std::pair{800, 400}, std::pair{30, 30}}) {
        mwtest::RecordingCanvas canvas;
        PaintStartupLogo(canvas, w, h);
        ASSERT_FALSE(canvas.calls.empty());
        EXPECT_EQ(canvas.calls[0], mw::Format("fill 0,0 %d,%d #ffffff", w, h));
        bool named = false;
        for (const auto& c : canvas.calls) named |= c.find("\"Mapwanderer\"") != std::string::npos;
        EXPECT_EQ(named, w > 100) << w;  // a tiny window gets only the background
    }
}
