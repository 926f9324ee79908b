// The route commands, the route view toggles and "Cancel Navigation".
#include "app/data_folder.h"
#include "app/route_commands.h"

#include "app/app_state.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "nav/route_file.h"

namespace mw {

namespace {

// The navigation-active flag the rest of the program reads follows the
// target.
void MirrorNavigation(App& app) { app.state.navigationActive = app.navigation.Active(); }

void Repaint(App& app, WindowId window) {
    if (app.ports.ui) app.ports.ui->Repaint(window);
}

}  // namespace

void LoadRouteCommand(App& app) {
    if (!RequireMap(app) || !app.ports.ui) return;
    Ui& ui = *app.ports.ui;
    std::optional<std::string> path =
        ui.AskOpenFileName(kLoadRouteTitle, DataFolder(app), {FileFilter{"Route files", "*.rte"}});
    if (!path || path->empty()) return;
    ReadOutcome read;
    {
        WaitCursor wait(&ui);
        read = LoadRouteFile(app.routes, *path, app.datums, app.map.datumIndex);
    }
    // The refusal, or what the budget and the limits left out, in one box.
    if (const std::string report = ReadReportText(kRouteFileOpenErrorText, *path, read);
        !report.empty())
        ShowMessage(ui, report);
    ui.Repaint(WindowId::Map);
}

void ClearRoutesCommand(App& app) {
    if (!app.ports.ui || !AskYesNo(*app.ports.ui, kClearRoutesQuestion)) return;
    ClearRoutes(app.routes);
    Repaint(app, WindowId::Map);
}

void SetNavigationTarget(App& app, double lat, double lon, int waypointIndex, std::string name) {
    SetNavigationTarget(app.navigation, lat, lon, waypointIndex, std::move(name));
    MirrorNavigation(app);
    Repaint(app, WindowId::Main);
    Repaint(app, WindowId::Map);
}

void CancelNavigation(App& app) {
    CancelNavigation(app.navigation);
    MirrorNavigation(app);
    Repaint(app, WindowId::Map);
    // The navigation panel would otherwise go on showing the old target.
    Repaint(app, WindowId::Main);
}

void NavigationWaypointDeleted(App& app, int waypointIndex) {
    WaypointDeleted(app.navigation, waypointIndex);
    MirrorNavigation(app);
}

CommandRows RouteCommandRows() {
    return {
        {kCmdLoadRouteFile, "Load Maw Route File", CommandKind::Action, LoadRouteCommand, {}, {},
         Menu("File", 1200)},
        {kCmdClearRoutes, "Clear Routes from Map", CommandKind::Action, ClearRoutesCommand, {}, {},
         Menu("File", 1210)},
        {kCmdCancelNavigation, "Cancel Navigation", CommandKind::Action,
         [](App& app) { CancelNavigation(app); }, {}, {}, Menu("Map", 3200)},
        ViewToggleRow(kCmdViewRoutes, "Show", &ViewSettings::viewRoutes, true,
                      Menu("View/Routes", 2250).Bar(15, "Rt", "Show Routes").Panel(1044, "Rt")),
        ViewToggleRow(kCmdViewRouteHighlights, "Highlight Route", &ViewSettings::viewRouteHighlights, true,
                      Menu("View/Routes", 2255)),
        ViewToggleRow(kCmdViewRouteWpNames, "Show WP Names", &ViewSettings::viewRouteWpNames, true,
                      Menu("View/Routes", 2260)),
        ViewToggleRow(kCmdViewRouteName, "Show Route Name", &ViewSettings::viewRouteName, true,
                      Menu("View/Routes", 2265)),
        ViewToggleRow(kCmdViewRouteBW, "Black && White", &ViewSettings::viewRouteBW, true,
                      Menu("View/Routes", 2270)),
    };
}

}  // namespace mw
