#include "app/moving_map.h"

#include <algorithm>

#include "app/alarm_actions.h"
#include "app/commands.h"
#include "app/data_folder.h"
#include "app/map_commands.h"
#include "app/track_commands.h"
#include "app/view_steps.h"
#include "geo/datum_convert.h"
#include "geo/distance.h"
#include "gps/gps_link.h"
#include "map/calibration.h"
#include "nav/replay.h"
#include "support/paths.h"
#include "track/track_file.h"

namespace mw {

namespace {

Ui& TheUi(App& app) { return *app.ports.ui; }

bool Busy(const App& app) { return app.state.busy || app.viewport.busy; }

std::uint32_t Now(App& app) { return app.ports.clock ? app.ports.clock->TickCount() : 0; }

// The parsers' fields become the GUI thread's fix; the pointer on screen
// turns with the course as it always has, before the next fix moves it.
void AdoptFix(App& app, const GpsFix& fix) {
    AdoptParserFields(app.gps.fix, fix);
    TurnPointer(app.mapView, app.gps.fix.trueCourse);
}

// Results of the parsers applied at once, on the calling thread: replayed
// sentences are parsed on the GUI thread, with nothing to hand over.
class DirectSink : public GpsResultSink {
public:
    explicit DirectSink(App& app) : app_(app) {}
    void OnPosition(const PositionReport& p, const GpsFix& fix) override {
        AdoptFix(app_, fix);
        UpdateGpsPosition(app_, p.lat, p.lon, p.date, p.time);
    }
    void OnSpeed(const GpsFix& fix) override { AdoptFix(app_, fix); }
    void OnStatus(const std::string& statusText) override { app_.gps.fix.statusText = statusText; }
    void OnSatellites(const GpsFix& fix) override { AdoptFix(app_, fix); }

private:
    App& app_;
};

void SetScreenControl(App& app, bool on) {
    app.state.screenControlMode = on;
    TheUi(app).SetCommandChecked(kCmdScreenControl, on);
}

// Stops the receiver or the replay ticks and forgets where the pointer was.
void StopGps(App& app) {
    GpsState& g = app.gps;
    // An alarm sounding for the last fix ends with the GPS.
    EndProximityAlarm(app);
    if (app.replay.mode || !g.session) {
        TheUi(app).StopTimer(kReplayTimer);
    } else {
        CloseGpsPort(*g.session, g.fix);
    }
    g.mailboxes.Clear();
    StopFollowing(app.mapView);
    g.fix.statusText = kStatusOff;
}

// What opening the port resets, receiver or replay alike.
void ResetForOpen(App& app) {
    ResetRecordState(app.gps.record);
    ResetGpsTiming(app.gps.timing, app.gps.counter);
    // A new trip, with no fix of an earlier run to step from.
    app.gps.trip = TripComputer{};
    ForgetPointer(app.mapView);
    // The GPS places the view from now on: the centre chosen by hand goes.
    ReleaseCentre(app.mapView);
}

// Opens the receiver (or, in replay mode, starts the ticks). Without
// `openPort` the caller feeds the fixes: the GUI thread's fix is reset as an
// open with a reset leaves it.
bool StartGps(App& app, bool openPort) {
    Ui& ui = TheUi(app);
    GpsState& g = app.gps;
    ResetForOpen(app);
    // The track log goes to the data folder; a first start creates it.
    MakeFolders(DataFolder(app));
    if (app.replay.mode) {
        ClearTrack(app.track);
        g.fix.statusText = kStatusOn;
        ui.StartTimer(kReplayTimer, static_cast<int>(kReplayTickMs));
        return true;
    }
    if (!openPort) {
        ResetGpsFix(g.fix);
        g.fix.statusText = kStatusOn;
        return true;
    }
    if (!app.ports.serial || !app.ports.clock) {
        ui.ShowErrorMessage(GpsOpenFailureMessage(GpsOpenOutcome::OpenFailed));
        ui.Repaint(WindowId::Map);
        return false;
    }
    if (!g.session)
        g.session = std::make_unique<GpsSession>(*app.ports.serial, *app.ports.clock, g.mailboxes);
    GpsOpenOutcome outcome = OpenGpsPort(*g.session, GpsOpenRequestFrom(app.settings, true), g.fix);
    if (outcome != GpsOpenOutcome::Opened) {
        ui.ShowErrorMessage(GpsOpenFailureMessage(outcome, g.session->openFailure));
        ui.Repaint(WindowId::Map);
        return false;
    }
    return true;
}

// The switching-on half of "Moving Map (GPS) ".
bool SwitchOn(App& app, bool openPort) {
    Ui& ui = TheUi(app);
    if (!app.map.mapLoaded) {
        ShowMessage(ui, kNeedMapText);
        ui.SetCommandChecked(kCmdMovingMap, false);
        return false;
    }
    if (StartGps(app, openPort)) {
        StartFollowing(app.mapView);
        ResetSpeedAlarms(app);
        ui.SetCommandChecked(kCmdMovingMap, true);
        SetDragMode(app.mapView, false);
        ui.SetCommandChecked(kCmdDragMap, false);
        SetScreenControl(app, true);
        if (app.settings.toolbarAutoHide) ApplyToolbar(app, false);
    } else {
        ui.SetCommandChecked(kCmdMovingMap, false);
    }
    ui.Repaint(WindowId::ToolPanel);
    return app.mapView.following;
}

}  // namespace

void UpdateGpsPosition(App& app, double lat, double lon, const std::string& date,
                       const std::string& time) {
    GpsState& g = app.gps;
    MapRecord& map = app.map;
    Ui& ui = TheUi(app);
    // While the GPS drives the view the centre's degrees are not kept.
    ReleaseCentre(app.mapView);
    CountFix(g.counter);
    if (app.replay.mode) {
        lat = app.replay.replayLat;
        lon = app.replay.replayLon;
    }
    if (IsNoPosition(lat, lon)) return;
    ++g.fixesProcessed;
    const double gpsLat = lat, gpsLon = lon;
    // The trip counts every fix, also those a busy map load drops below.
    AddTripFix(g.trip, GetDatumEllipsoid(app.datums, app.settings.nmeaDatum), gpsLat, gpsLon,
               Now(app), SpeedToKmh(g.fix.speed, app.settings.speedUnit),
               GpsFixIsCurrent(g.fix));
    ConvertDatum(app.datums, app.settings.nmeaDatum, map.datumIndex, lat, lon);
    // After a map load the fix is taken on to the new map's datum and goes on
    // to be recorded: a sheet change is no gap in the track.
    auto onNewMap = [&] {
        lat = gpsLat;
        lon = gpsLon;
        ConvertDatum(app.datums, app.settings.nmeaDatum, map.datumIndex, lat, lon);
        SetFixOnMap(app.mapView, InsideMapBorder(map, lat, lon));
    };
    if (Busy(app)) return;
    if (app.settings.wpCheckProximity && app.checkProximity) app.checkProximity(lat, lon);

    const bool onMap = InsideMapBorder(map, lat, lon);
    SetFixOnMap(app.mapView, onMap);
    if (Busy(app)) return;
    const std::uint32_t now = Now(app);
    if (!onMap) {
        MapSearchOutcome found = OffMapSearch(g.timing, now, [&] {
            ui.SetWaitCursor(true);
            bool loaded =
                SelectMapForPosition(app, map.mapFilePath, -777, lat, lon, map.datumIndex);
            ui.SetWaitCursor(false);
            return loaded;
        });
        if (found == MapSearchOutcome::Loaded) onNewMap();
    } else {
        PositionOnMap(g.timing);
    }
    if (Busy(app)) return;
    if (onMap && app.settings.check4DetailedMap == 1) {
        MapSearchOutcome found = DetailedMapSearch(g.timing, now, [&] {
            return SelectMapForPosition(app, map.mapFilePath, map.scale, lat, lon, map.datumIndex);
        });
        if (found == MapSearchOutcome::Loaded) onNewMap();
    }

    RecordTargets targets{app.datums, map.datumIndex, TrackLogPath(DataFolder(app)), &app.track,
                          app.replay.mode};
    FixToRecord fix{{lat, lon}, g.fix.speed, g.fix.altitude, date, time};
    const RecordOutcome recorded =
        RecordFix(g.record, RecordSettingsFrom(app.settings), targets, fix, g.fix.statusText);
    // The recording says a log it cannot write once; a message box on every
    // fix would stop the user driving the map.
    if (!recorded.logProblem.empty()) ui.ShowStatusNote(recorded.logProblem);
    KeepLastFix(app.mapView, lat, lon);

    if (Busy(app) || g.drawing || !TakeScreenUpdate(g.counter, app.settings.nmeaUpdate)) return;
    FollowFix(app, lat, lon);
    ui.Repaint(WindowId::Overview);
    ui.Repaint(WindowId::Main);
}

void FollowFix(App& app, double lat, double lon) {
    FollowFix(app.mapView, app.map, app.datums, {lat, lon}, app.gps.fix.trueCourse);
    RunViewStep(app, [&app] { return RenderMapView(app.viewport, app.mapView); });
}

void ShowFix(App& app, double lat, double lon, double heading) {
    // While the GPS drives the view the centre keeps no degrees, so no
    // cursor cross covers the pointer.
    StartFollowing(app.mapView);
    app.gps.fix.trueCourse = heading;
    ConvertDatum(app.datums, app.settings.nmeaDatum, app.map.datumIndex, lat, lon);
    // The status line reads the position the pipeline keeps.
    KeepLastFix(app.mapView, lat, lon);
    SetFixOnMap(app.mapView, InsideMapBorder(app.map, lat, lon));
    FollowFix(app, lat, lon);
}

void DrainGpsResults(App& app) {
    GpsMailboxes& mb = app.gps.mailboxes;
    if (auto status = mb.TakeStatus()) {
        const bool wasCurrent = GpsFixIsCurrent(app.gps.fix);
        app.gps.fix.statusText = *status;
        TheUi(app).Repaint(WindowId::Main);
        // The pointer greys while the receiver is silent or gone, and back.
        if (wasCurrent != GpsFixIsCurrent(app.gps.fix)) TheUi(app).Repaint(WindowId::Map);
    }
    if (auto speed = mb.TakeSpeed()) {
        AdoptFix(app, *speed);
        CheckSpeed(app, app.gps.fix.speed);
    }
    if (auto position = mb.TakePosition()) {
        AdoptFix(app, position->fix);
        if (app.mapView.following)
            UpdateGpsPosition(app, position->position.lat, position->position.lon,
                              position->position.date, position->position.time);
    }
    if (auto satellites = mb.TakeSatellites()) AdoptFix(app, *satellites);
}

void ToggleMovingMap(App& app, bool leaveScreenControl) {
    Ui& ui = TheUi(app);
    if (app.mapView.following) {
        StopGps(app);
        ui.SetCommandChecked(kCmdMovingMap, false);
        if (app.settings.toolbarAutoHide) ApplyToolbar(app, app.view.viewToolbar != 0);
        if (leaveScreenControl) SetScreenControl(app, false);
        ui.Repaint(WindowId::ToolPanel);
        ui.Repaint(WindowId::Map);
        return;
    }
    SwitchOn(app, true);
}

bool StartMovingMapWithoutPort(App& app) {
    // A running receiver or replay is not taken over.
    if (app.mapView.following || app.replay.mode) return false;
    return SwitchOn(app, false);
}

void ReplayTimerTick(App& app) {
    if (!app.mapView.following || !app.replay.mode) {
        // A tick that outlived the replay (its timer is being stopped).
        TheUi(app).StopTimer(kReplayTimer);
        return;
    }
    DirectSink sink(app);
    DispatchEnv env;
    env.config = NmeaConfigFrom(app.settings);
    env.replay = true;
    env.busy = Busy(app);
    env.clock = app.ports.clock;
    env.sink = &sink;
    ReplayTick(app.replay, app.gps.parser, env, [&app] {
        ForgetPointer(app.mapView);
        TheUi(app).StopTimer(kReplayTimer);
        if (app.ports.clock) WaitMilliseconds(*app.ports.clock, kReplayEndPauseMs);
        ToggleMovingMap(app, true);
    });
}

void StopMovingMap(App& app) {
    if (app.mapView.following) StopGps(app);
    if (app.replay.mode) {
        app.replay.mode = false;
        app.replay.file.reset();
    }
}

}  // namespace mw
