// The rows of the track menu: the track file commands, "Moving Map (GPS) "
// and "Replay Track", over the moving map and the track store.
#include "app/command_table.h"
#include "app/commands.h"
#include "app/data_folder.h"
#include "app/map_commands.h"
#include "app/moving_map.h"
#include "app/track_commands.h"

namespace mw {

namespace {

Ui& TheUi(App& app) { return *app.ports.ui; }

TrackCommandContext TrackContext(App& app) {
    return {app.datums, app.map.datumIndex, DataFolder(app),
            app.ports.clock ? app.ports.clock->LocalNow() : DateTime{}};
}

void ReplayTrackToggle(App& app) {
    if (!RequireMap(app)) return;
    Ui& ui = TheUi(app);
    const bool wasOn = app.replay.mode;
    // Switching the replay off while its ticks run stops them too: the GPS
    // goes off with the replay it was running.
    if (wasOn && app.mapView.following) ToggleMovingMap(app, true);
    bool on = ReplayTrackCommand(app.replay, app.track, DataFolder(app), ui);
    app.state.replayActive = on;
    ui.SetCommandChecked(kCmdReplayTrack, on);
    ui.Repaint(WindowId::Map);
}

}  // namespace

CommandRows TrackCommandRows() {
    return {
        {kCmdTrackInfo, "Track Info", CommandKind::Action,
         [](App& app) {
             if (app.ports.ui) app.ports.ui->OpenDialog(DialogId::TrackInfo);
         },
         {}, {}, Menu("View", 2290)},
        {kCmdMovingMap, "Moving Map (GPS) ", CommandKind::Toggle,
         [](App& app) { ToggleMovingMap(app, true); },
         [](const App& app) { return app.mapView.following; }, {},
         Menu("Map", 3000).Bar(2, "GPS", "Moving Map (GPS)", kCmdMovingMapButton)},
        {kCmdLoadTrackFile, "Load Track File", CommandKind::Action,
         [](App& app) {
             if (!RequireMap(app)) return;
             LoadTrackCommand(app.track, TrackContext(app), TheUi(app));
             TheUi(app).Repaint(WindowId::Map);
         },
         {}, {}, Menu("File", 1300)},
        {kCmdSaveTrack, "Save Track From Map", CommandKind::Action,
         [](App& app) { SaveTrackCommand(app.track, TrackContext(app), TheUi(app)); }, {}, {},
         Menu("File", 1310)},
        {kCmdClearTrack, "Clear Track from Map", CommandKind::Action,
         [](App& app) {
             ClearTrackCommand(app.track, TheUi(app));
             TheUi(app).Repaint(WindowId::Map);
         },
         {}, {}, Menu("File", 1320)},
        {kCmdSaveTrackLog, "Save Track Log File", CommandKind::Action,
         [](App& app) { SaveTrackLogCommand(TrackContext(app), TheUi(app)); }, {}, {},
         Menu("File", 1330)},
        {kCmdDeleteTrackLog, "Delete Track Log File", CommandKind::Action,
         [](App& app) { DeleteTrackLogCommand(TrackContext(app), TheUi(app)); }, {}, {},
         Menu("File", 1340)},
        {kCmdReplayTrack, "Replay Track", CommandKind::Toggle, ReplayTrackToggle,
         [](const App& app) { return app.state.replayActive; }, {}, Menu("File", 1350)},
    };
}

}  // namespace mw
