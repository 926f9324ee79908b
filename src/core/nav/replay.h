// Track replay: a track file drives the moving map instead of a receiver.
// Every tick of the replay timer (500 ms, owned by the window layer) takes
// the next point of the file and runs the dispatcher's replay branch, whose
// fixed sentences supply time, speed and quality; the position pipeline then
// takes replayLat/replayLon as the fix's position (in the "NMEA Datum", like
// a receiver's). The file's own datum line and segment flags are not used.
//
// Off -> (command, file opened) -> on, idle -> (GPS on) -> one point a tick
// -> (end of file) -> on, idle, file rewound -> ... -> (command) -> off,
// file closed, track cleared.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "gps/dispatch.h"
#include "support/text.h"

namespace mw {

class TrackStore;

inline constexpr std::uint32_t kReplayTickMs = 500;
// The pause between stopping the ticks and switching the GPS off at the end
// of the file.
inline constexpr std::uint32_t kReplayEndPauseMs = 100;

// How the replayed vehicle moves at the current point: a track file holds
// no speed or course, so they come from the step from the point before and
// the two points' times (a track log writes each fix's UTC date and time);
// the altitude is the file's own.
struct ReplayMotion {
    // Metres per second; none without two timed points a positive time apart.
    std::optional<double> speedMps;
    // Degrees true, [0, 360); none before the vehicle has moved.
    std::optional<double> course;
    double altitudeFeet = -777;  // -777: the file holds none for the point
};

struct ReplayState {
    bool mode = false;                     // "Replay Track" is on
    std::string path;                      // the file being replayed
    std::unique_ptr<TextFileReader> file;  // open while replay mode is on
    // The current point as read, degrees; 0, 0 at the end of the file.
    double replayLat = 0, replayLon = 0;
    ReplayMotion motion;
    // The last point with a position, and its time in seconds when the line
    // had one (track logs), for the next point's speed and course.
    struct Previous {
        double lat = 0, lon = 0;
        std::optional<std::int64_t> seconds;
    };
    std::optional<Previous> previous;

    bool IsOpen() const { return file && file->IsOpen(); }
};

// The fix the fixed replay sentences gave, with the replayed point's motion
// in its place: speed in the "Speed Unit" (0 while not known), true course
// and, from the sentences' magnetic variation, the magnetic one (not known
// before the vehicle moved), and the file's altitude.
void ApplyReplayMotion(const ReplayMotion& motion, int speedUnit, GpsFix& fix);

// Opens the track file `path` for replay, clears the track and skips the
// header. False, with the track as it was, when the file cannot be opened.
// Replay mode itself is the command's to switch.
bool StartReplay(ReplayState& replay, TrackStore& track, const std::string& path);

// Closes the file and clears the track. Ticks that still arrive afterwards
// do nothing.
void StopReplay(ReplayState& replay, TrackStore& track);

enum class ReplayStepResult {
    Point,      // replayLat/replayLon hold the next point
    EndOfFile,  // no more points: position 0, 0 and the file rewound
    NotOpen,    // replay is off
};

// Reads the next point: replayLat = field 1, replayLon = field 2 (missing
// or unreadable fields, and values that are not finite, read as 0; the
// pipeline ignores 0, 0), the motion from field 4 (altitude in feet) and
// fields 6 and 7 (date "ddMMyy", time "hhmmss") against the point before. At
// the end of the file the position becomes 0, 0 and the file is rewound past
// its header, so the next GPS start replays it from the beginning.
ReplayStepResult ReplayStep(ReplayState& replay);

// The replay timer's tick: ReplayStep; at the end of the file `atEnd` runs
// (the window layer stops the timer, clears the pointer pixel, waits
// kReplayEndPauseMs and switches the GPS off, leaving replay mode on). Then,
// unless the replay is off, the dispatcher's replay branch runs with `env`
// (replay set here; a busy view drops it as it drops receiver input), so the
// fix gets the fixed sentences' time and quality and the point's own motion
// (ApplyReplayMotion with `env.config.speedUnit`), and the sink receives the
// position report. `env.clock` is required.
ReplayStepResult ReplayTick(ReplayState& replay, GpsParserState& parser, DispatchEnv env,
                            const std::function<void()>& atEnd);

}  // namespace mw
