#include "app/app.h"

#include <algorithm>
#include <filesystem>

#include "app/commands.h"
#include "app/map_commands.h"
#include "app/moving_map.h"
#include "app/view_commands.h"
#include "view/user_pointer.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

// View toggles: command, the setting it flips, and whether the tool panel
// shows it (and so must be repainted).
struct ViewToggle {
    int command;
    int ViewSettings::*field;
    bool toolPanel;
};

constexpr ViewToggle kViewToggles[] = {
    {kCmdViewWaypoints, &ViewSettings::viewWaypoints, true},
    {kCmdViewWaypointHighlights, &ViewSettings::viewWaypointHighlights, false},
    {kCmdViewWaypointNames, &ViewSettings::viewWaypointNames, false},
    {kCmdViewWaypointBW, &ViewSettings::viewWaypointBW, false},
    {kCmdViewWaypointProximity, &ViewSettings::viewWaypointProximity, false},
    {kCmdViewRoutes, &ViewSettings::viewRoutes, true},
    {kCmdViewRouteHighlights, &ViewSettings::viewRouteHighlights, true},
    {kCmdViewRouteWpNames, &ViewSettings::viewRouteWpNames, true},
    {kCmdViewRouteName, &ViewSettings::viewRouteName, true},
    {kCmdViewRouteBW, &ViewSettings::viewRouteBW, true},
    {kCmdViewTrack, &ViewSettings::viewTrack, true},
};

const ViewToggle* FindToggle(int id) {
    for (const ViewToggle& t : kViewToggles)
        if (t.command == id) return &t;
    return nullptr;
}

Ui& TheUi(App& app) { return *app.ports.ui; }

void RepaintToolPanel(App& app) { TheUi(app).Repaint(WindowId::ToolPanel); }

void SetDragMode(App& app, bool on) {
    app.state.dragMode = on;
    TheUi(app).SetCommandChecked(kCmdDragMap, on);
}

void SetScreenControlMode(App& app, bool on) {
    app.state.screenControlMode = on;
    TheUi(app).SetCommandChecked(kCmdScreenControl, on);
}

bool IsExecutableFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    auto st = fs::status(path, ec);
    using P = fs::perms;
    return !ec && fs::is_regular_file(st) &&
           (st.permissions() & (P::owner_exec | P::group_exec | P::others_exec)) != P::none;
}

void ShowDeveloperInfo(App& app) {
    const DisplayCaps& d = app.state.display;
    ShowMessage(TheUi(app), Format("Rastercaps %d", d.rasterCaps));
    ShowMessage(TheUi(app), Format("Numcolors %d", d.numColors));
    ShowMessage(TheUi(app), Format("Numreserved %d", d.numReserved));
    ShowMessage(TheUi(app), Format("Sizepalette %d", d.sizePalette));
    ShowMessage(TheUi(app), Format("Colorres %d", d.colorRes));
}

}  // namespace

void SetScreenSize(App& app, int clientWidth, int clientHeight) {
    app.state.screenWidth = clientWidth;
    app.state.screenHeight = clientHeight;
    app.state.portrait = clientWidth < clientHeight;
}

void ApplyToolbar(App& app, bool show) {
    if (!app.state.portrait) return;
    app.state.mapTop = show ? 59 : 39;
    TheUi(app).ShowFloatingWindow(WindowId::ToolPanel, show);
}

void LayoutMapWindow(App& app, int areaWidth, int areaHeight) {
    AppState& s = app.state;
    int panels = (app.view.viewSpeedInfo ? 1 : 0) + (app.view.viewSpeedNavInfo ? 1 : 0);
    if (s.portrait) {
        s.mapWidth = areaWidth;
        s.mapHeight = areaHeight - kInfoPanelHeight * panels;
    } else {
        s.mapWidth = panels > 0 ? areaWidth - kInfoPanelColumn : areaWidth;
        s.mapHeight = areaHeight;
    }
    if (s.mapWidth < 0) s.mapWidth = 0;
    if (s.mapHeight < 0) s.mapHeight = 0;
    s.halfViewWidth = s.mapWidth / 2;
    s.halfViewHeight = s.mapHeight / 2;
    // In landscape the centre sits 23 pixels above the window's middle, as
    // the program has always placed it there.
    if (!s.portrait) s.halfViewHeight -= 23;
    ApplyViewSize(app);
}

bool StartApplication(App& app, const std::string& home, const std::string& userHome,
                      int clientWidth, int clientHeight) {
    AppState& s = app.state;
    Ui& ui = TheUi(app);
    SetScreenSize(app, clientWidth, clientHeight);
    s.mapTop = 39;
    app.map.mapLoaded = false;
    s.programFolder = home;
    s.userHome = userHome;
    // The home must exist before anything is saved into it; a failure here
    // surfaces later as the save messages, not as a start-up failure.
    MakeFolders(home);

    LoadUserDatums(app.datums, home);
    ReadConfiguration(home, app.datums, app.settings);
    s.ntfDatum = FindDatumByName(app.datums, "NTF France");
    BuildRecentMapsMenu(app);
    ReadViewSettings(home, app.view);
    app.userPointer = LoadUserPointer(home);

    ui.SetCommandChecked(kCmdViewToolbar, app.view.viewToolbar != 0);
    if (!s.portrait) {
        // The command bar carries every button in landscape.
        ui.SetCommandChecked(kCmdViewToolbar, true);
        ui.SetCommandEnabled(kCmdViewToolbar, false);
    }
    ApplyToolbar(app, app.view.viewToolbar != 0);
    // The map window's size before the last map's image is opened into it.
    LayoutMapWindow(app, s.areaWidth > 0 ? s.areaWidth : clientWidth,
                    s.areaHeight > 0 ? s.areaHeight : clientHeight);
    // A caller (a test, a headless run) may have given its own image step.
    if (!app.mapHooks.loadImage) InstallViewport(app);
    // The track follows the map's datum like every stored position.
    if (std::find(app.mapHooks.stores.begin(), app.mapHooks.stores.end(), &app.track) ==
        app.mapHooks.stores.end())
        app.mapHooks.stores.push_back(&app.track);

    for (const ViewToggle& t : kViewToggles) ui.SetCommandChecked(t.command, app.view.*t.field != 0);

    if (app.settings.loadLastMap) {
        std::string last = ReadLastIni(home, kLastMapFile);
        if (!last.empty()) LoadMapFile(app, last);
    }

    // Without a map image on screen the scale and overview windows start
    // hidden and their flags are cleared.
    if (!s.viewImageShown) {
        app.view.viewScale = 0;
        app.view.viewMapView = 0;
    }
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
    if (const ViewToggle* t = FindToggle(id)) return app.view.*t->field != 0;
    switch (id) {
        case kCmdDragMap: return app.state.dragMode;
        case kCmdScreenControl: return app.state.screenControlMode;
        case kCmdViewToolbar: return app.state.portrait ? app.view.viewToolbar != 0 : true;
        case kCmdViewScale: return app.view.viewScale != 0;
        case kCmdViewMapView: return app.view.viewMapView != 0;
        case kCmdViewSpeedInfo: return app.view.viewSpeedInfo != 0;
        case kCmdViewSpeedNavInfo: return app.view.viewSpeedNavInfo != 0;
        case kCmdMovingMap: return app.state.gpsActive;
        case kCmdReplayTrack: return app.state.replayActive;
    }
    return false;
}

bool ExecuteCommand(App& app, int id) {
    id = CanonicalCommand(id);
    Ui& ui = TheUi(app);
    if (!CommandAvailable(id)) return false;
    if (ExecuteMapCommand(app, id)) return true;
    if (ExecuteViewCommand(app, id)) return true;
    if (ExecuteTrackCommand(app, id)) return true;

    if (const ViewToggle* t = FindToggle(id)) {
        int& value = app.view.*t->field;
        value = value ? 0 : 1;
        ui.SetCommandChecked(id, value != 0);
        if (t->toolPanel) RepaintToolPanel(app);
        ui.Repaint(WindowId::Map);
        return true;
    }

    switch (id) {
        case kCmdQuit: ui.RequestQuit(); return true;
        case kCmdAbout: ShowMessage(ui, kAboutText); return true;
        case kCmdDeveloperInfo: ShowDeveloperInfo(app); return true;
        case kCmdHelp:
            // Nothing is shown when there is no help document or no viewer.
            if (app.ports.shell)
                app.ports.shell->OpenDocument(
                    JoinPath(JoinPath(app.state.programFolder, kHelpFolder), kHelpFile));
            return true;
        case kCmdUploadDownload: {
            std::string program = JoinPath(app.state.programFolder, kCompanionProgram);
            if (app.ports.shell && IsExecutableFile(program))
                app.ports.shell->StartProgram(program, {"586"});
            return true;
        }
        case kCmdViewToolbar:
            if (!app.state.portrait) return true;  // grey in landscape
            app.view.viewToolbar = app.view.viewToolbar ? 0 : 1;
            ui.SetCommandChecked(kCmdViewToolbar, app.view.viewToolbar != 0);
            ApplyToolbar(app, app.view.viewToolbar != 0);
            return true;
        case kCmdDragMap:
            SetScreenControlMode(app, false);
            SetDragMode(app, !app.state.dragMode);
            RepaintToolPanel(app);
            return true;
        case kCmdScreenControl:
            SetDragMode(app, false);
            SetScreenControlMode(app, !app.state.screenControlMode);
            RepaintToolPanel(app);
            return true;
    }
    return false;
}

bool KeepAliveTick(const App& app) { return app.state.keepAliveTimer && app.state.gpsActive; }

void ShutdownApplication(App& app) {
    // The GPS reader goes first, before anything it feeds.
    StopMovingMap(app);
    app.state.keepAliveTimer = false;
    SaveViewSettings(app.state.programFolder, app.view, app.ports.ui);
}

}  // namespace mw
