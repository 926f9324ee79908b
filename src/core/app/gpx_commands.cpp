// GPX import and export: "Import GPX..." replaces the waypoints, routes and
// track with those the file holds (each kind only when the file has it), as
// the program's own loads do; "Export GPX..." writes everything on the map.
#include "app/data_folder.h"
#include "app/gpx_commands.h"

#include "app/app_state.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "browse/browser_modes.h"
#include "gpx/gpx_transfer.h"
#include "support/paths.h"

namespace mw {

namespace {

FileFilter GpxFileFilter() { return FileFilter{"GPX files", "*.gpx"}; }

void ImportGpxCommand(App& app) {
    if (!RequireMap(app)) return;
    Ui& ui = *app.ports.ui;
    std::optional<std::string> path =
        ui.AskOpenFileName(kImportGpxTitle, DataFolder(app), {GpxFileFilter()});
    if (!path || path->empty()) return;
    GpxImportReport report;
    {
        WaitCursor wait(&ui);
        report = ImportGpxFile(*path, app.waypoints, app.routes, app.track, app.datums,
                               app.map.datumIndex);
    }
    const std::string message = GpxImportMessage(report);
    if (!message.empty()) ShowMessage(ui, message);
    ui.Repaint(WindowId::Map);
}

void ExportGpxCommand(App& app) {
    Ui& ui = *app.ports.ui;
    const DateTime now = app.ports.clock ? app.ports.clock->LocalNow() : DateTime{};
    const std::string proposal =
        JoinPath(DataFolder(app), ProposeSaveName(kGpxSaveBaseName, kGpxExtension, now));
    std::optional<std::string> path = ui.AskSaveFileName(kExportGpxTitle, proposal, {GpxFileFilter()});
    if (!path || path->empty()) return;
    const std::string target = WithExtension(*path, kGpxExtension);
    const WriteOutcome written = ExportGpxFile(target, app.waypoints, app.routes, app.track,
                                               app.datums, app.map.datumIndex);
    if (!written) ShowMessage(ui, WriteFailureText(kGpxNotWrittenText, written));
}

// Rows that need the user interface are only runnable with one.
std::function<void(App&)> WithUi(void (*fn)(App&)) {
    return [fn](App& app) {
        if (app.ports.ui) fn(app);
    };
}

}  // namespace

CommandRows GpxCommandRows() {
    return {
        {kCmdImportGpx, "Import GPX...", CommandKind::Action, WithUi(ImportGpxCommand), {}, {},
         Menu("File", 1360)},
        {kCmdExportGpx, "Export GPX...", CommandKind::Action, WithUi(ExportGpxCommand), {}, {},
         Menu("File", 1370)},
    };
}

}  // namespace mw
