// The speed monitor and the waypoint proximity alarms of the running
// program: the pipeline hands each speed reading and each fix here; sounds
// go to the Sound port, documents to the Shell port, the alarm picture to
// the window layer (WindowId::AlarmPopup) and every alarm to
// `app.alarms.onEvent`. All of it runs on the GUI thread.
#pragma once

#include <string>

#include "app/app_state.h"
#include "nav/alarms.h"

namespace mw {

// The main window's timer that ends a proximity alarm.
inline constexpr int kAlarmTimer = 4;

// Shown when a waypoint names a program to be started.
inline constexpr const char* kProgramRefusedText =
    "The Waypoint names a Program: it is not started";

// The GPS was opened with a reset: the minimum alarm waits for the set speed
// to be passed, the set and maximum alarms are armed.
void ResetSpeedAlarms(App& app);

// One speed reading in the display unit: repaints the main window and sounds
// the alarms CheckSpeedLimits gives, in order. A speed sound comes from the
// application home; without its file, or with a file that cannot be played,
// the desktop beeps once (minimum), twice (set) or three times (maximum). Sounds are queued by the Sound port,
// so this never waits for one to end.
void CheckSpeed(App& app, double speed);

// One fix on the map datum: raises the alarm of each waypoint (in slot
// order) whose proximity zone the position entered, and re-arms those the
// position is outside of. A position of exactly 0, 0 is no fix and changes
// nothing. Waypoints with a distance of 0 or less, or at 0, 0, never alarm.
void CheckProximity(App& app, double lat, double lon);

// The alarm of waypoint `index`: shows its picture around the map centre,
// loops its sound (or opens its document) and starts timer 4 for the
// waypoint's display time. A later alarm replaces an earlier one's picture
// and sound.
void RaiseProximityAlarm(App& app, int index, const std::string& pictureFile,
                         const std::string& soundFile);

// Ends the alarm: stops timer 4 and the sound, hides the picture and
// repaints. Timer 4's handler, and what a tap on the picture or Escape does.
void EndProximityAlarm(App& app);

// Ends the alarm when timer 4 is due by the Clock port (for a run whose
// clock is driven by the fixes rather than by window timers); its event
// carries the tick the timer was due at. Returns whether it ended one.
bool AlarmTimerCheck(App& app);

}  // namespace mw
