// The waypoint commands of the File menu, the waypoint view toggles and the
// waypoint list.
#include "app/data_folder.h"
#include "app/waypoint_commands.h"

#include "app/command_table.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/view_steps.h"
#include "browse/browser_modes.h"
#include "geo/datum_convert.h"
#include "map/calibration.h"
#include "nav/navigation.h"
#include "proj/position_format.h"
#include "support/durable_file.h"
#include "support/paths.h"
#include "view/viewport.h"
#include "waypoint/waypoint_file.h"

namespace mw {

namespace {

FileFilter WaypointFileFilter() { return FileFilter{"Waypoint files", "*.wpt"}; }

DateTime LocalNow(App& app) { return app.ports.clock ? app.ports.clock->LocalNow() : DateTime{}; }

// The save request proposing "<baseName> <date> <time>.wpt" in the data
// folder; the chosen path with ".wpt" made sure, or nullopt when cancelled.
std::optional<std::string> AskWaypointSaveName(App& app, const char* baseName) {
    const std::string proposal =
        JoinPath(DataFolder(app), ProposeSaveName(baseName, kWaypointExtension, LocalNow(app)));
    std::optional<std::string> path =
        app.ports.ui->AskSaveFileName(kSaveWaypointFileTitle, proposal, {WaypointFileFilter()});
    if (!path || path->empty()) return std::nullopt;
    return WithExtension(*path, kWaypointExtension);
}

void LoadWaypointsCommand(App& app) {
    if (!RequireMap(app)) return;
    Ui& ui = *app.ports.ui;
    std::optional<std::string> path =
        ui.AskOpenFileName(kLoadWaypointFileTitle, DataFolder(app), {WaypointFileFilter()});
    if (!path || path->empty()) return;
    ReadOutcome read;
    {
        WaitCursor wait(&ui);
        read = ReadWaypointFile(app.waypoints, *path, app.datums, app.map.datumIndex);
    }
    // The refusal, or what the budget and the store's limit left out.
    if (const std::string report = ReadReportText(kWaypointFileNotOpenedText, *path, read);
        !report.empty())
        ShowMessage(ui, report);
    ui.Repaint(WindowId::Map);
}

void SaveWaypointsCommand(App& app) {
    const std::optional<std::string> path = AskWaypointSaveName(app, kWaypointSaveBaseName);
    if (!path) return;
    if (const WaypointSave saved =
            SaveWaypointFile(app.waypoints, *path, app.datums, app.map.datumIndex);
        !saved)
        ShowMessage(*app.ports.ui, WriteFailureText(kCannotCreateWaypointFileText, saved.write));
}

void ClearWaypointsCommand(App& app) {
    if (!AskYesNo(*app.ports.ui, kClearWaypointsQuestion)) return;
    app.waypoints.ClearWaypoints();
    app.ports.ui->Repaint(WindowId::Map);
}

void SaveWaypointLogCommand(App& app) {
    const std::optional<std::string> path = AskWaypointSaveName(app, kWaypointLogSaveBaseName);
    if (!path) return;
    Ui& ui = *app.ports.ui;
    const std::optional<WriteOutcome> copied = CopyFileAtomically(WaypointLogFile(app), *path);
    if (!copied)
        ShowMessage(ui, kWaypointLogNotSavedText);
    else
        ShowMessage(ui, *copied ? std::string(kWaypointLogSavedAsText) + *path
                                : WriteFailureText(kWaypointLogNotSavedText, *copied));
}

void DeleteWaypointLogCommand(App& app) {
    Ui& ui = *app.ports.ui;
    if (!AskYesNo(ui, kDeleteWaypointLogQuestion)) return;
    switch (RemoveFile(WaypointLogFile(app))) {
        case Removal::Missing: return ShowMessage(ui, kWaypointLogMissingText);
        case Removal::Removed: return ShowMessage(ui, kWaypointLogDeletedText);
        case Removal::Failed: return ShowMessage(ui, kWaypointLogNotDeletedText);
    }
}

void CreateWaypointCommand(App& app) {
    if (CreateWaypointAtPosition(app) < 0) return;
    app.view.viewWaypoints = 1;
    app.ports.ui->SetCommandChecked(kCmdViewWaypoints, true);
    app.ports.ui->Repaint(WindowId::ToolPanel);
}

void WaypointListCommand(App& app) {
    app.ports.ui->OpenDialog(DialogId::WaypointList);
    app.ports.ui->Repaint(WindowId::Main);
    app.ports.ui->Repaint(WindowId::Map);
}

// Rows that need the user interface are only runnable with one.
std::function<void(App&)> WithUi(void (*fn)(App&)) {
    return [fn](App& app) {
        if (app.ports.ui) fn(app);
    };
}

}  // namespace

std::string WaypointLogFile(const App& app) { return WaypointLogPath(DataFolder(app)); }

bool LoadDefaultWaypoints(App& app) {
    if (!app.settings.loadDefaultWps) return false;
    const std::string log = WaypointLogFile(app);
    ReadOutcome read;
    {
        WaitCursor wait(app.ports.ui);
        read = ReadWaypointFile(app.waypoints, log, app.datums, app.map.datumIndex);
    }
    if (app.ports.ui) {
        if (const std::string report = ReadReportText(kWaypointFileNotOpenedText, log, read);
            !report.empty())
            ShowMessage(*app.ports.ui, report);
    }
    return read.Ok();
}

int CreateWaypointAtPosition(App& app) {
    if (!RequireMap(app)) return -1;
    const GeoPoint centre = app.mapView.centre.value_or(GeoPoint{});
    double lat = centre.lat, lon = centre.lon;
    if (lat == 0 && lon == 0) {
        lat = app.mapView.lastFix.lat;
        lon = app.mapView.lastFix.lon;
    }
    if (lat == 0 && lon == 0) {
        if (app.ports.ui) ShowMessage(*app.ports.ui, kCursorNotSelectedText);
        return -1;
    }
    return CreateWaypointAt(app, lat, lon, std::nullopt);
}

int CreateWaypointAt(App& app, double lat, double lon, const std::optional<std::string>& name) {
    // A first start has no data folder yet; the log goes there.
    MakeFolders(DataFolder(app));
    WriteOutcome logged;
    const int slot = CreateWaypoint(app.waypoints, name, lat, lon, LocalNow(app),
                                    WaypointLogFile(app), app.datums, app.map.datumIndex, &logged);
    if (slot < 0) {
        if (app.ports.ui) ShowMessage(*app.ports.ui, kTooManyWaypointsText);
        return -1;
    }
    // The waypoint is on the map either way; that the log did not get it is
    // said without stopping the moving map.
    if (!logged && app.ports.ui)
        app.ports.ui->ShowStatusNote(WriteFailureText(kCannotCreateWaypointFileText, logged));
    if (app.ports.ui) app.ports.ui->Repaint(WindowId::Map);
    return slot;
}

void ShowPositionOnMap(App& app, double lat, double lon) {
    if (!app.viewport.HasImage() || app.mapView.following || !app.ports.ui) return;
    Ui& ui = *app.ports.ui;
    const MapRecord& map = app.map;
    if (!InsideMapBorder(map, lat, lon)) {
        WaitCursor wait(&ui);
        const int oldDatum = map.datumIndex;
        const std::string oldPath = map.mapFilePath;
        // Any covering map will do: the loaded one does not show the
        // position, so its scale is no reason to keep it.
        if (SelectMapForPosition(app, oldPath, kUnknownScale, lat, lon, oldDatum)) {
            ConvertDatum(app.datums, oldDatum, app.map.datumIndex, lat, lon);
        }
    }
    // Off every map the view still goes there, over the edge of this one.
    CentreOn(app.mapView, app.map, app.datums, {lat, lon});
    RunViewStep(app, [&app] { return RenderMapView(app.viewport, app.mapView); });
    ui.Repaint(WindowId::Main);
    ui.Repaint(WindowId::Overview);
}

int SelectedRow(App& app, int row) {
    if (row >= 0) return row;
    if (app.ports.ui) ShowMessage(*app.ports.ui, kNoWaypointSelectedText);
    return -1;
}

std::vector<WaypointListRow> WaypointListRows(const App& app) {
    return BuildWaypointListRows(app.waypoints, [&app](double lat, double lon) {
        return FormatPosition(lat, lon, app.settings.positionFormat, app.datums,
                              app.map.datumIndex, app.map.projection.params);
    });
}

bool WaypointListShowOnMap(App& app, const WaypointListRow& row) {
    const Waypoint* w = app.waypoints.At(row.slot);
    if (!w) return false;
    ShowPositionOnMap(app, w->lat, w->lon);
    return true;
}

bool WaypointListGoTo(App& app, const WaypointListRow& row) {
    const Waypoint* w = app.waypoints.At(row.slot);
    if (!w) return false;
    SetNavigationTarget(app.navigation, w->lat, w->lon, row.slot, w->name);
    app.state.navigationActive = true;
    if (app.ports.ui) app.ports.ui->Repaint(WindowId::Map);
    return true;
}

void WaypointListToggleDelete(App& app, WaypointListRow& row) {
    if (app.navigation.target && app.navigation.target->waypointIndex == row.slot) {
        CancelNavigation(app.navigation);
        app.state.navigationActive = false;
        if (app.ports.ui) app.ports.ui->Repaint(WindowId::Map);
    }
    row.marked = !row.marked;
}

void WaypointListConfirm(App& app, const std::vector<WaypointListRow>& rows) {
    FreeMarkedWaypoints(app.waypoints, rows);
    if (app.ports.ui) app.ports.ui->Repaint(WindowId::Map);
}

CommandRows WaypointCommandRows() {
    return {
        {kCmdCreateWpAtPosition, "Create Wp at Position", CommandKind::Action,
         WithUi(CreateWaypointCommand), {}, {}, Menu("File", 1100)},
        {kCmdLoadWpFile, "Load Wp File", CommandKind::Action, WithUi(LoadWaypointsCommand), {}, {},
         Menu("File", 1110)},
        {kCmdSaveWaypoints, "Save Wp's from Map", CommandKind::Action, WithUi(SaveWaypointsCommand),
         {}, {}, Menu("File", 1120)},
        {kCmdClearWaypoints, "Clear Wp's from Map", CommandKind::Action,
         WithUi(ClearWaypointsCommand), {}, {}, Menu("File", 1130)},
        {kCmdSaveWpLog, "Save Wp Log File", CommandKind::Action, WithUi(SaveWaypointLogCommand), {},
         {}, Menu("File", 1140)},
        {kCmdDeleteWpLog, "Delete Wp Log File", CommandKind::Action,
         WithUi(DeleteWaypointLogCommand), {}, {}, Menu("File", 1150)},
        {kCmdWaypointList, "Waypoint List", CommandKind::Action, WithUi(WaypointListCommand), {}, {},
         Menu("File", 1160).Panel(1046, "WL")},
        ViewToggleRow(kCmdViewWaypoints, "Show", &ViewSettings::viewWaypoints, true,
                      Menu("View/Waypoints", 2200).Bar(14, "Wp", "Show Waypoints").Panel(1043, "Wp")),
        ViewToggleRow(kCmdViewWaypointHighlights, "Highlight Waypoints", &ViewSettings::viewWaypointHighlights, false,
                      Menu("View/Waypoints", 2210)),
        ViewToggleRow(kCmdViewWaypointNames, "Show Names", &ViewSettings::viewWaypointNames, false,
                      Menu("View/Waypoints", 2220)),
        ViewToggleRow(kCmdViewWaypointBW, "Black && White", &ViewSettings::viewWaypointBW, false,
                      Menu("View/Waypoints", 2230)),
        ViewToggleRow(kCmdViewWaypointProximity, "Show Proximity Zone", &ViewSettings::viewWaypointProximity, false,
                      Menu("View/Waypoints", 2240)),
    };
}

}  // namespace mw
