// The speed monitor and the waypoint proximity alarm: their state and the
// rules that need no application around them (which limit sounds, where the
// alarm picture stands, how a waypoint's sound field reads, which files are
// never opened). The application level (app/alarm_actions.h) runs them on each fix
// and speed reading and talks to the sound, shell and window ports.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "image/bitmap.h"

namespace mw {

struct AppSettings;

// Sound files of the speed monitor, in the application home.
inline constexpr const char* kMinSpeedSound = "minspeed.wav";
inline constexpr const char* kSetSpeedSound = "setspeed.wav";
inline constexpr const char* kMaxSpeedSound = "maxspeed.wav";
// What a proximity alarm plays when the waypoint's own sound is not found:
// the first is looked up like a waypoint's sound, the second is taken from
// the application home as it is.
inline constexpr const char* kDefaultAlarmSound = "default.wav";
inline constexpr const char* kLastResortAlarmSound = "123.wav";

// The speed limits in the display speed unit and whether each is on.
struct SpeedLimits {
    double minSpeed = 0, setSpeed = 0, maxSpeed = 0;
    bool minActive = false, setActive = false, maxActive = false;
};
SpeedLimits SpeedLimitsFrom(const AppSettings& settings);

// Per limit: the alarm has sounded and may not sound again until it is
// re-armed. The values are those right after the GPS opened: the minimum
// alarm is not armed at a standstill, only after the speed passed the set
// speed.
struct SpeedAlarmFlags {
    bool minDone = true;
    bool setDone = false;
    bool maxDone = false;
};

// Which speed alarms a reading sounds, in the order they sound.
struct SpeedAlarms {
    bool min = false, set = false, max = false;
    bool operator==(const SpeedAlarms&) const = default;
};

// One speed reading against the limits (all comparisons strict; a reading
// exactly at a limit changes nothing about that limit's alarm). Updates the
// flags: the minimum re-arms when the speed exceeds the set speed, the set
// and maximum alarms when the speed is at or below their limits. A NaN
// reading sounds nothing and re-arms nothing.
SpeedAlarms CheckSpeedLimits(SpeedAlarmFlags& flags, const SpeedLimits& limits, double speed);

// Where the alarm picture's top-left corner stands, in the main window's
// client pixels.
struct PopupPlace {
    int left = 0, top = 0;
    bool operator==(const PopupPlace&) const = default;
};
// Pixels between the map centre and the nearest side of the picture.
inline constexpr int kPopupGap = 30;
// Where a picture of an unknown popup position stands.
inline constexpr PopupPlace kPopupFallbackPlace{10, 50};

// Places a `width` × `height` picture around the map centre (`centreX`,
// `centreY`) by the waypoint's popup position: 0 upper left, then clockwise
// (1 above, 2 upper right, 3 right, 4 lower right, 5 below, 6 lower left,
// 7 left), `kPopupGap` pixels off the centre; halves of the picture's sides
// are integer halves rounded toward zero. Any other position gives
// kPopupFallbackPlace.
PopupPlace PlaceAlarmPopup(int position, int width, int height, int centreX, int centreY);

// A waypoint's sound field: a leading "*" is dropped, folders (up to the
// last "\") are stripped, and then the first "/" after the name's first
// character separates the file name from a parameter text. ("/" cannot
// separate folders here: it is the parameter separator.)
struct AlarmSoundField {
    std::string fileName;
    std::string parameter;
    bool operator==(const AlarmSoundField&) const = default;
};
AlarmSoundField ParseAlarmSoundField(std::string_view field);

// The bare file name of a waypoint's picture field (folders stripped).
std::string AlarmPictureName(std::string_view field);

// Whether a sound file name is played as a sound (it names a ".wav" file,
// any case) rather than opened as a document.
bool IsWaveFileName(std::string_view name);

// How long an alarm stays, in milliseconds, for a waypoint's display time in
// seconds. A time outside 1 s .. 1 hour is taken as the nearer end; a time
// that is not a number as the waypoint default of 10 s.
inline constexpr int kMinAlarmMs = 1000;
inline constexpr int kMaxAlarmMs = 3600 * 1000;
inline constexpr int kDefaultAlarmMs = 10 * 1000;
int AlarmDisplayMs(double seconds);

// Whether opening `path` through the desktop could start a program rather
// than show a document: a file with an execute permission bit, a script or
// executable by its first bytes ("#!", ELF, "MZ"), or a name the desktop
// runs (".desktop", ".sh", ".exe", ...). A file that cannot be read counts
// as a program: it is never opened.
bool IsProgramFile(const std::string& path);

// The playing time of a PCM WAV file in milliseconds, from its header
// (`bytes` holds at least the start of the file up to the "data" chunk's
// header). nullopt when the bytes are no RIFF WAVE file or give no byte rate.
std::optional<int> WavDurationMs(std::string_view bytes);

// Whether `path` is a WAV file a sound player can play: a regular file whose
// first 4 KiB hold a RIFF WAVE header up to its "data" chunk with a byte
// rate (WavDurationMs). A file of another kind, or one that cannot be read,
// is not.
bool IsPlayableWaveFile(const std::string& path);

// What the alarms did, for the event log of a headless run and for tests.
enum class AlarmEventKind { SpeedMin, SpeedSet, SpeedMax, Proximity, AlarmEnd, Document };
// "speed-min", "speed-set", "speed-max", "proximity", "alarm-end", "document".
const char* AlarmEventName(AlarmEventKind kind);

struct AlarmEvent {
    AlarmEventKind kind = AlarmEventKind::Proximity;
    std::uint32_t tick = 0;  // the clock's tick count when it happened
    int slot = -1;           // the waypoint, for proximity, alarm-end and document
    std::string detail;      // waypoint name, document path, or the speed
    std::string parameter;   // a document's parameter text
};

// The alarm picture window as the core keeps it; the window layer shows
// `picture` at (left, top) while `shown`.
struct AlarmPopupState {
    bool shown = false;
    RgbBitmap picture;
    PopupPlace place = kPopupFallbackPlace;
};

struct AlarmState {
    SpeedAlarmFlags speed;
    AlarmPopupState popup;
    // Timer 4: running until `endTick` on the Clock port.
    bool timerRunning = false;
    std::uint32_t endTick = 0;
    // The waypoint whose alarm is on (-1: none).
    int alarmSlot = -1;
    // Receives every alarm event; may be empty.
    std::function<void(const AlarmEvent&)> onEvent;
};

}  // namespace mw
