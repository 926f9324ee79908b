// The moving map: switching the GPS on and off, what happens with every fix
// (datum, map choice, recording, recentring), track replay on timer 1 and
// the results the GPS input hands to the GUI thread. The track menu's rows
// are in track_rows.cpp.
#pragma once

#include <memory>
#include <string>

#include "app/app_state.h"

namespace mw {

// The main window's timers by number.
enum MainTimer : int {
    kReplayTimer = 1,     // 500 ms: the next replayed point
    kKeepAliveTimer = 3,  // 30 s: keep the device awake while the GPS runs
};

// What every fix passes through: `lat`/`lon` in degrees on the GPS's datum
// ("NMEA Datum"), `date` "ddMMyy" and `time` "hhmmss" in UTC. Converts to the
// map datum, keeps a covering (and, every 30 s, a more detailed) map loaded,
// records the point in the track log file and the track ring by the record
// rule, and every "NMEA Update" fixes centres the view on it.
void UpdateGpsPosition(App& app, double lat, double lon, const std::string& date,
                       const std::string& time);

// The view follows a fix at (`lat`, `lon`) on the map datum: the centre and
// the GPS pointer move to its pixel and the view is rendered.
void FollowFix(App& app, double lat, double lon);

// What a fix on the GPS's datum ("NMEA Datum") heading `heading` degrees
// (777: none) leaves on screen while the moving map runs, without recording
// it or searching maps: for drawing one position (mwtool render).
void ShowFix(App& app, double lat, double lon, double heading);

// Takes what the GPS input left in the mailboxes, in order: status text,
// speed and course, position (through UpdateGpsPosition), satellites. Runs on
// the GUI thread when the input signals an arrival.
void DrainGpsResults(App& app);

// "Moving Map (GPS) ": stops the GPS when it runs, otherwise (with a map
// loaded) opens the configured port, or in replay mode starts the replay
// ticks. Starting enters screen-control mode; stopping leaves it when
// `leaveScreenControl`.
void ToggleMovingMap(App& app, bool leaveScreenControl);

// "Moving Map (GPS) " switched on with no port: the caller hands the
// receiver's results over itself (a recorded stream run in batch, every fix
// to UpdateGpsPosition). Everything else is as the command does it: the same
// resets, statusText "ON ", the check marks and screen-control mode; stopping
// goes through ToggleMovingMap or StopMovingMap as usual. False when the GPS
// already runs or replay mode is on, and (with the command's message) when no
// map is loaded.
bool StartMovingMapWithoutPort(App& app);

// Timer 1: the next replayed point.
void ReplayTimerTick(App& app);

// Stops the GPS and the replay, as shutdown does before the stores go.
void StopMovingMap(App& app);

}  // namespace mw
