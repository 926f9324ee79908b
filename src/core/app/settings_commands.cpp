// The Settings menu: one dialog per item, opened through the Ui port, and
// what the main window repaints once the dialog is closed.
#include "app/settings_commands.h"

#include "app/app_state.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/moving_map.h"

namespace mw {

namespace {

// What must be redrawn after a dialog: its settings show in the info panels
// (main window), on the map, or nowhere.
enum class Redraw { Nothing, Main, MainAndMap };

struct SettingsItem {
    int command;
    const char* text;
    int dialog;
    Redraw redraw;
    int menuOrder;  // the item's place in "File/Configuration"
};

// In menu order. The first three change nothing the map window draws; the
// navigation line's look waits for the next fix.
constexpr SettingsItem kItems[] = {
    {kCmdSettingsSystem, "System", kDialogSystem, Redraw::Main, 1410},
    {kCmdSettingsMapDataFiles, "Map && Data Files", kDialogMapDataFiles, Redraw::Main, 1411},
    {kCmdSettingsImageFiles, "Map Image Files", kDialogImageFiles, Redraw::Main, 1412},
    {kCmdSettingsNmea, "NMEA (GPS)", kDialogNmea, Redraw::MainAndMap, 1413},
    {kCmdSettingsMovingMap, "Moving Map", kDialogMovingMap, Redraw::MainAndMap, 1414},
    {kCmdSettingsTrack, "Track Logging", kDialogTrack, Redraw::MainAndMap, 1415},
    {kCmdSettingsUnits, "Units", kDialogUnits, Redraw::MainAndMap, 1416},
    {kCmdSettingsWaypoints, "Waypoints", kDialogWaypoints, Redraw::MainAndMap, 1417},
    {kCmdSettingsRoutes, "Maw Routes", kDialogRoutes, Redraw::MainAndMap, 1418},
    {kCmdSettingsNavigation, "Navigation", kDialogNavigation, Redraw::Nothing, 1419},
    {kCmdSettingsSpeedMonitor, "Speed Monitor", kDialogSpeedMonitor, Redraw::MainAndMap, 1420},
};

void RunSettingsDialog(App& app, const SettingsItem& item) {
    Ui* ui = app.ports.ui;
    if (!ui) return;
    // The keep-alive timer would fire into a program whose "No Shutdown" is
    // being edited; it rests while "System" is open and then follows the
    // setting as confirmed (or as it was).
    bool system = item.dialog == kDialogSystem;
    if (system) ui->StopTimer(kKeepAliveTimer);
    ui->OpenDialog(DialogId::Settings, item.dialog);
    if (system) {
        app.state.keepAliveTimer = app.settings.noShutdown;
        if (app.state.keepAliveTimer) ui->StartTimer(kKeepAliveTimer, kKeepAliveTimerPeriodMs);
    }
    if (item.redraw != Redraw::Nothing) ui->Repaint(WindowId::Main);
    if (item.redraw == Redraw::MainAndMap) ui->Repaint(WindowId::Map);
}

}  // namespace

void BeginSettingsDialog(App& app) {
    ReadConfiguration(app.state.programFolder, app.datums, app.settings);
}

bool ConfirmSettingsDialog(App& app, int dialogNumber, const AppSettings& values) {
    bool saved = false;
    if (app.ports.ui) {
        // The user asked for this save: a failure is worth a box, naming the
        // file and why.
        const WriteOutcome written = SaveConfiguration(app.state.programFolder, app.datums,
                                                       app.settings, dialogNumber, values);
        saved = written.Ok();
        if (!saved) ShowMessage(*app.ports.ui, WriteFailureText(kCannotSaveIniText, written));
    }
    // Read back either way: after a failed write the old file's values return.
    ReadConfiguration(app.state.programFolder, app.datums, app.settings);
    return saved;
}

void CancelSettingsDialog(App& app, const AppSettings& opened) { app.settings = opened; }

int SettingsDialogCommand(int dialogNumber) {
    for (const SettingsItem& item : kItems)
        if (item.dialog == dialogNumber) return item.command;
    return 0;
}

CommandRows SettingsCommandRows() {
    CommandRows rows;
    for (const SettingsItem& item : kItems) {
        rows.push_back({item.command, item.text, CommandKind::Action,
                        [&item](App& app) { RunSettingsDialog(app, item); }, {}, {},
                        Menu("File/Configuration", item.menuOrder)});
    }
    return rows;
}

}  // namespace mw
