#include "app/app.h"

#include <algorithm>
#include <filesystem>

#include "app/alarm_actions.h"
#include "app/app_data.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/data_folder.h"
#include "app/map_commands.h"
#include "app/moving_map.h"
#include "app/route_commands.h"
#include "app/seamless_maps.h"
#include "app/session_state.h"
#include "app/track_commands.h"
#include "app/view_commands.h"
#include "app/waypoint_commands.h"
#include "view/user_pointer.h"
#include "support/line_budget.h"
#include "support/paths.h"
#include "support/startup_trace.h"
#include "track/track_file.h"
#include "support/text.h"

namespace mw {

namespace {

Ui& TheUi(App& app) { return *app.ports.ui; }

void RepaintToolPanel(App& app) { TheUi(app).Repaint(WindowId::ToolPanel); }

void SetDragMode(App& app, bool on) {
    SetDragMode(app.mapView, on);
    TheUi(app).SetCommandChecked(kCmdDragMap, on);
}

// The files of the home are optional: one that is missing takes its
// defaults quietly, one that is there but cannot be read is told, named.
void TellUnreadable(Ui& ui, const char* text, const std::string& path, const ReadOutcome& read) {
    if (read.Missing()) return;
    if (const std::string report = ReadReportText(text, path, read); !report.empty())
        ShowMessage(ui, report);
}

void SetScreenControlMode(App& app, bool on) {
    app.state.screenControlMode = on;
    TheUi(app).SetCommandChecked(kCmdScreenControl, on);
}

}  // namespace

void ReadHomeFiles(App& app, const std::string& home, const std::string& userHome) {
    Ui& ui = TheUi(app);
    app.state.programFolder = home;
    app.state.userHome = userHome;
    bool datumsCut = false;
    ReadOutcome read;
    LoadUserDatums(app.datums, home, &datumsCut, &read);
    TellUnreadable(ui, kDatumFileNotOpenedText, JoinPath(home, kUserDatumFile), read);
    if (datumsCut) ShowMessage(ui, FileCutText(kUserDatumFile, kMaxDatumFileBytes));
    TellUnreadable(ui, kSettingsNotOpenedText, JoinPath(home, kMainConfigFile),
                   ReadConfiguration(home, app.datums, app.settings));
    app.state.ntfDatum = FindDatumByName(app.datums, "NTF France");
    TellUnreadable(ui, kSettingsNotOpenedText, JoinPath(home, kViewConfigFile),
                   ReadViewSettings(home, app.view));
    app.userPointer = LoadUserPointer(home, &read);
    TellUnreadable(ui, kUserPointerNotOpenedText, JoinPath(home, kUserPointerFile), read);
}

bool StartApplication(App& app, const std::string& home, const std::string& userHome,
                      int clientWidth, int clientHeight) {
    AppState& s = app.state;
    Ui& ui = TheUi(app);
    SetScreenSize(app, clientWidth, clientHeight);
    PlaceMapTop(app.mapView, false);
    app.map.mapLoaded = false;
    // The home must exist before anything is saved into it; a failure here
    // surfaces later as the save messages, not as a start-up failure.
    MakeFolders(home);
    ReadHomeFiles(app, home, userHome);
    TraceStartup("home files");
    InstallSeamlessMaps(app);
    // Every fix is checked against the waypoints' zones while that is on.
    app.checkProximity = [&app](double lat, double lon) { CheckProximity(app, lat, lon); };
    // The name search's buttons act on the map through the waypoint and
    // navigation entry points.
    app.names.actions.showOnMap = [&app](double lat, double lon) { ShowPositionOnMap(app, lat, lon); };
    app.names.actions.createWaypoint = [&app](double lat, double lon, const std::string& name) {
        CreateWaypointAt(app, lat, lon, name);
    };
    app.names.actions.goTo = [&app](double lat, double lon, const std::string& name) {
        SetNavigationTarget(app, lat, lon, -1, name);
    };
    BuildRecentMapsMenu(app);

    ui.SetCommandChecked(kCmdViewToolbar, app.view.viewToolbar != 0);
    const MapScreen& screen = app.mapView.screen;
    if (!screen.portrait) {
        // The command bar carries every button in landscape.
        ui.SetCommandChecked(kCmdViewToolbar, true);
        ui.SetCommandEnabled(kCmdViewToolbar, false);
    }
    ApplyToolbar(app, app.view.viewToolbar != 0);
    // The map window's size before the last map's image is opened into it.
    LayoutMapWindow(app, screen.areaWidth > 0 ? screen.areaWidth : clientWidth,
                    screen.areaHeight > 0 ? screen.areaHeight : clientHeight);
    // The stores follow the map's datum.
    for (PositionStore* store : std::initializer_list<PositionStore*>{&app.track, &app.waypoints,
                                                                      &app.routes})
        if (std::find(app.positionStores.begin(), app.positionStores.end(), store) ==
            app.positionStores.end())
            app.positionStores.push_back(store);

    for (const CommandRow& row : AllCommandRows())
        if (row.kind == CommandKind::Toggle && row.checked && row.id != kCmdViewToolbar)
            ui.SetCommandChecked(row.id, row.checked(app));

    if (app.settings.loadLastMap) {
        std::string last = ReadLastIni(home, kLastMapFile);
        if (!last.empty()) LoadMapFile(app, last);
    }
    TraceStartup("last map");

    // Without a map image on screen the scale and overview windows start
    // hidden and their flags are cleared.
    if (!app.mapView.imageShown) {
        app.view.viewScale = 0;
        app.view.viewMapView = 0;
    } else {
        // The default files go onto a map on screen; a log not written yet
        // is no reason for a message at every start.
        if (app.settings.loadDefaultWps && FileExists(WaypointLogFile(app)))
            LoadDefaultWaypoints(app);
        const std::string trackLog = TrackLogPath(DataFolder(app));
        if (app.settings.loadDefaultTrack && FileExists(trackLog))
            TellUnreadable(ui, kTrackNotOpenedText, trackLog,
                           LoadTrackShowingWait(app.track, trackLog, app.datums, app.map.datumIndex, &ui));
    }
    TraceStartup("default waypoints and track");
    RestoreSession(app);
    TraceStartup("last session");
    ui.SetCommandChecked(kCmdViewScale, app.view.viewScale == 1);
    ui.SetCommandChecked(kCmdViewMapView, app.view.viewMapView == 1);
    ui.SetCommandChecked(kCmdViewSpeedInfo, app.view.viewSpeedInfo == 1);
    ui.SetCommandChecked(kCmdViewSpeedNavInfo, app.view.viewSpeedNavInfo == 1);
    ui.SetCommandChecked(kCmdDragMap, false);
    ui.SetCommandChecked(kCmdScreenControl, false);
    ui.SetCommandChecked(kCmdMovingMap, false);
    ui.SetCommandChecked(kCmdReplayTrack, false);
    ui.Repaint(WindowId::Map);

    s.keepAliveTimer = app.settings.noShutdown;
    return true;
}

bool CommandChecked(const App& app, int id) {
    const CommandRow* row = FindCommandRow(id);
    return row && row->checked && row->checked(app);
}

bool ExecuteCommand(App& app, int id) {
    const CommandRow* row = FindCommandRow(id);
    if (!row || !row->run) return false;
    // A command that cannot be chosen now does nothing, as its greyed item.
    if (row->available && !row->available(app)) return true;
    row->run(app);
    return true;
}

std::string AboutText() { return std::string("MapwandererCE\n\nBeta Version ") + ProgramVersion(); }

CommandRows GeneralCommandRows() {
    return {
        {kCmdQuit, "Quit", CommandKind::Action,
         [](App& app) { TheUi(app).RequestQuit(); }, {}, {}, Menu("File", 1600)},
        {kCmdAbout, "About", CommandKind::Action,
         [](App& app) { ShowMessage(TheUi(app), AboutText()); }, {}, {}, Menu("File", 1510)},
        {kCmdViewToolbar, "Toolbar", CommandKind::Toggle,
         [](App& app) {
             if (!app.mapView.screen.portrait) return;  // grey in landscape
             app.view.viewToolbar = app.view.viewToolbar ? 0 : 1;
             TheUi(app).SetCommandChecked(kCmdViewToolbar, app.view.viewToolbar != 0);
             ApplyToolbar(app, app.view.viewToolbar != 0);
         },
         // Landscape shows every button on the command bar: checked, and grey.
         [](const App& app) {
             return app.mapView.screen.portrait ? app.view.viewToolbar != 0 : true;
         },
         [](const App& app) { return app.mapView.screen.portrait; }, Menu("View", 2300)},
        {kCmdDragMap, "Drag Map", CommandKind::Toggle,
         [](App& app) {
             SetScreenControlMode(app, false);
             SetDragMode(app, !app.mapView.drag.mode);
             RepaintToolPanel(app);
         },
         [](const App& app) { return app.mapView.drag.mode; }, {},
         Menu("Map", 3300).Bar(10, "Dr", "Drag Map").Panel(1040, "Dr")},
        {kCmdScreenControl, "Screen Control", CommandKind::Toggle,
         [](App& app) {
             SetDragMode(app, false);
             SetScreenControlMode(app, !app.state.screenControlMode);
             RepaintToolPanel(app);
         },
         [](const App& app) { return app.state.screenControlMode; }, {},
         Menu("Map", 3310).Bar(11, "SC", "Screen Control").Panel(1041, "SC")},
        ViewToggleRow(kCmdViewTrack, "Track", &ViewSettings::viewTrack, true,
                      Menu("View", 2280).Bar(13, "Tr", "Track").Panel(1042, "Tr")),
    };
}

bool KeepAliveTick(const App& app) { return app.state.keepAliveTimer && app.mapView.following; }

std::string ShutdownApplication(App& app) {
    // What the user had open is taken before anything is stopped.
    const WriteOutcome session = SaveSession(app);
    // The GPS reader goes first, before anything it feeds.
    StopMovingMap(app);
    app.state.keepAliveTimer = false;
    app.catalogue.SaveIndex();  // a cache: a failed write only costs the next start time
    // The lastSaveNote is forgotten: at shutdown a failure is always said.
    app.lastSaveNote.clear();
    const std::string viewNote = NoteAutomaticSave(app, kCannotSaveViewIniText,
                                                   SaveViewSettings(app.state.programFolder, app.view));
    // A home that refused the view file refused the session too: one note.
    return viewNote.empty() ? NoteAutomaticSave(app, kCannotSaveSessionText, session) : viewNote;
}

}  // namespace mw
