// The windows and panels around the map, the GPS status displays and help.
// Rows with an empty handler are not built yet: their menu items are shown
// disabled.
#include <filesystem>

#include "app/app.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

std::function<bool(const App&)> Shown(int ViewSettings::*field) {
    return [field](const App& app) { return app.view.*field != 0; };
}

bool IsExecutableFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    auto st = fs::status(path, ec);
    using P = fs::perms;
    return !ec && fs::is_regular_file(st) &&
           (st.permissions() & (P::owner_exec | P::group_exec | P::others_exec)) != P::none;
}

void OpenHelp(App& app) {
    // Nothing is shown when there is no help document or no viewer.
    if (app.ports.shell)
        app.ports.shell->OpenDocument(
            JoinPath(JoinPath(app.state.programFolder, kHelpFolder), kHelpFile));
}

void ShowDeveloperInfo(App& app) {
    if (!app.ports.ui) return;
    Ui& ui = *app.ports.ui;
    const DisplayCaps& d = app.state.display;
    ShowMessage(ui, Format("Rastercaps %d", d.rasterCaps));
    ShowMessage(ui, Format("Numcolors %d", d.numColors));
    ShowMessage(ui, Format("Numreserved %d", d.numReserved));
    ShowMessage(ui, Format("Sizepalette %d", d.sizePalette));
    ShowMessage(ui, Format("Colorres %d", d.colorRes));
}

// The companion program starts only when the user put an executable of that
// name into the application home; data files never start programs.
void StartCompanion(App& app) {
    std::string program = JoinPath(app.state.programFolder, kCompanionProgram);
    if (app.ports.shell && IsExecutableFile(program)) app.ports.shell->StartProgram(program, {"586"});
}

}  // namespace

CommandRows PanelCommandRows() {
    return {
        {kCmdViewMapView, "Map View", CommandKind::Toggle, {}, Shown(&ViewSettings::viewMapView), {}},
        {kCmdViewScale, "Scale", CommandKind::Toggle, {}, Shown(&ViewSettings::viewScale), {}},
        {kCmdViewSpeedInfo, "Speed", CommandKind::Toggle, {}, Shown(&ViewSettings::viewSpeedInfo), {}},
        {kCmdViewSpeedNavInfo, "Navigation Info", CommandKind::Toggle, {},
         Shown(&ViewSettings::viewSpeedNavInfo), {}},
        {kCmdDisplayNmea, "Display NMEA Input", CommandKind::Action, {}, {}, {}},
        {kCmdViewSatellites, "View Satellites", CommandKind::Action, {}, {}, {}},
        {kCmdHelp, "Help", CommandKind::Action, OpenHelp, {}, {}},
        {kCmdDeveloperInfo, "Developer Info", CommandKind::Action, ShowDeveloperInfo, {}, {}},
        {kCmdUploadDownload, "Upload/Download", CommandKind::Action, StartCompanion, {}, {}},
    };
}

}  // namespace mw
