#include "app/alarm_actions.h"

#include "app/data_folder.h"
#include "geo/distance.h"
#include "support/paths.h"
#include "support/text.h"
#include "waypoint/media_file.h"

namespace mw {

namespace {

std::uint32_t Now(App& app) { return app.ports.clock ? app.ports.clock->TickCount() : 0; }

void EmitAt(App& app, std::uint32_t tick, AlarmEventKind kind, int slot, std::string detail,
            std::string parameter = {}) {
    if (!app.alarms.onEvent) return;
    app.alarms.onEvent(AlarmEvent{kind, tick, slot, std::move(detail), std::move(parameter)});
}

void Emit(App& app, AlarmEventKind kind, int slot, std::string detail,
          std::string parameter = {}) {
    EmitAt(app, Now(app), kind, slot, std::move(detail), std::move(parameter));
}

void Repaint(App& app, WindowId window) {
    if (app.ports.ui) app.ports.ui->Repaint(window);
}

// A speed sound from the application home, or `beeps` desktop beeps without
// it. A file that is there but cannot be played (no WAV, or refused by the
// player) counts as missing: a warning must be heard. The Sound port queues
// both behind whatever is playing.
void SoundSpeedAlarm(App& app, const char* file, int beeps) {
    Sound* sound = app.ports.sound;
    if (!sound) return;
    const std::string path = JoinPath(app.state.programFolder, file);
    if (IsPlayableWaveFile(path) && sound->PlayOnce(path)) return;
    for (int i = 0; i < beeps; ++i) sound->Beep();
}

void StartAlarmTimer(App& app, int ms) {
    app.alarms.timerRunning = true;
    app.alarms.endTick = Now(app) + static_cast<std::uint32_t>(ms);
    if (app.ports.ui) app.ports.ui->StartTimer(kAlarmTimer, ms);
}

void HidePopup(App& app) {
    AlarmPopupState& popup = app.alarms.popup;
    const bool wasShown = popup.shown;
    popup.shown = false;
    popup.picture = RgbBitmap{};
    if (wasShown && app.ports.ui) app.ports.ui->ShowFloatingWindow(WindowId::AlarmPopup, false);
}

// The picture half of an alarm: false when no picture is shown for it.
bool ShowAlarmPicture(App& app, const Waypoint& waypoint, const std::string& pictureFile, int ms) {
    const std::string path =
        FindMediaFile(AlarmPictureName(pictureFile), app.state.programFolder, DataFolder(app));
    if (path.empty()) return false;
    std::optional<RgbBitmap> picture = LoadBitmapFile(path);
    if (!picture) {
        // Whatever was shown belongs to an alarm this one replaces.
        HidePopup(app);
        return false;
    }
    const ScreenPoint centre = PopupCentre(app.mapView);
    AlarmPopupState& popup = app.alarms.popup;
    popup.place = PlaceAlarmPopup(waypoint.popupPosition, picture->width, picture->height,
                                  centre.x, centre.y);
    popup.picture = std::move(*picture);
    popup.shown = true;
    StartAlarmTimer(app, ms);
    if (app.ports.ui) {
        app.ports.ui->ShowFloatingWindow(WindowId::AlarmPopup, true);
        app.ports.ui->Repaint(WindowId::AlarmPopup);
    }
    return true;
}

// The sound half: loops a sound file, or opens a document through the desktop.
void SoundAlarm(App& app, int index, const std::string& soundFile, int ms) {
    const AlarmSoundField field = ParseAlarmSoundField(soundFile);
    const std::string dataFolder = DataFolder(app);
    std::string path = FindMediaFile(field.fileName, app.state.programFolder, dataFolder);
    if (path.empty())
        path = FindMediaFile(kDefaultAlarmSound, app.state.programFolder, dataFolder);
    if (path.empty()) path = JoinPath(app.state.programFolder, kLastResortAlarmSound);

    if (IsWaveFileName(path)) {
        StartAlarmTimer(app, ms);
        // A sound that cannot be played stays silent: no beep in its place.
        if (app.ports.sound) app.ports.sound->PlayLooping(path);
        return;
    }
    // Data files never start programs: only a plain document is opened.
    if (IsProgramFile(path)) {
        if (app.ports.ui) app.ports.ui->ShowMessage(kProgramRefusedText);
        return;
    }
    Emit(app, AlarmEventKind::Document, index, path, field.parameter);
    if (app.ports.shell) app.ports.shell->OpenDocument(path);
}

// Ends the alarm; `tick` is when (for the event).
void EndAlarmAt(App& app, std::uint32_t tick) {
    AlarmState& a = app.alarms;
    const bool wasOn = a.timerRunning || a.popup.shown;
    a.timerRunning = false;
    if (app.ports.ui) app.ports.ui->StopTimer(kAlarmTimer);
    if (app.ports.sound) app.ports.sound->Stop();
    HidePopup(app);
    if (wasOn) EmitAt(app, tick, AlarmEventKind::AlarmEnd, a.alarmSlot, {});
    a.alarmSlot = -1;
    Repaint(app, WindowId::Main);
    Repaint(app, WindowId::Map);
}

}  // namespace

void ResetSpeedAlarms(App& app) { app.alarms.speed = SpeedAlarmFlags{}; }

void CheckSpeed(App& app, double speed) {
    Repaint(app, WindowId::Main);
    const SpeedAlarms sound =
        CheckSpeedLimits(app.alarms.speed, SpeedLimitsFrom(app.settings), speed);
    const std::string detail = Format("%.1f", speed);
    if (sound.min) {
        Emit(app, AlarmEventKind::SpeedMin, -1, detail);
        SoundSpeedAlarm(app, kMinSpeedSound, 1);
    }
    if (sound.set) {
        Emit(app, AlarmEventKind::SpeedSet, -1, detail);
        SoundSpeedAlarm(app, kSetSpeedSound, 2);
    }
    if (sound.max) {
        Emit(app, AlarmEventKind::SpeedMax, -1, detail);
        SoundSpeedAlarm(app, kMaxSpeedSound, 3);
    }
}

void CheckProximity(App& app, double lat, double lon) {
    if (lat == 0 && lon == 0) return;
    for (int i = 0; i < kWaypointSlots; ++i) {
        Waypoint* w = app.waypoints.At(i);
        if (!w || w->AtNoPosition() || w->proximityDistance <= 0) continue;
        const double d = DistanceMetres(w->lat, w->lon, lat, lon);
        if (d < w->proximityDistance) {
            if (w->proximityState != 2) {
                w->proximityState = 2;
                // Copies: the alarm may not keep references into the store.
                const std::string picture = w->proximityImage, sound = w->proximitySound;
                RaiseProximityAlarm(app, i, picture, sound);
            }
        } else {
            w->proximityState = 0;
        }
    }
}

void RaiseProximityAlarm(App& app, int index, const std::string& pictureFile,
                         const std::string& soundFile) {
    const Waypoint* w = app.waypoints.At(index);
    if (!w) return;
    const int ms = AlarmDisplayMs(w->popupSeconds);
    app.alarms.alarmSlot = index;
    Emit(app, AlarmEventKind::Proximity, index, w->name);
    ShowAlarmPicture(app, *w, pictureFile, ms);
    SoundAlarm(app, index, soundFile, ms);
}

void EndProximityAlarm(App& app) { EndAlarmAt(app, Now(app)); }

bool AlarmTimerCheck(App& app) {
    if (!app.alarms.timerRunning) return false;
    // Ticks wrap: the difference tells whether the end lies behind.
    const auto late = static_cast<std::int32_t>(Now(app) - app.alarms.endTick);
    if (late < 0) return false;
    // The timer fired at its end, though it is noticed only now.
    EndAlarmAt(app, app.alarms.endTick);
    return true;
}

}  // namespace mw
