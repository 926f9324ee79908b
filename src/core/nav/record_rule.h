// Which GPS fixes are recorded, in the track log file and in the in-memory
// track, and the status text that says so.
//
// One rule instance runs for each of the two records. A fix is recorded when
// the distance since the last recorded point reaches the setting, or the
// direction turned by more than 7.5°, or the speed changed by more than 15 %
// (and by more than 5 units); the first fix after a reset always is. A gap of
// more than 2500 m before a recorded point starts a new segment.
#pragma once

#include <string>
#include <string_view>

#include "geo/datums.h"
#include "geo/geo_point.h"

namespace mw {

class TrackStore;
struct AppSettings;

// Marks "no previous point" in the rule's distance, speed and bearing.
inline constexpr double kNoPreviousPoint = 77777;
inline constexpr double kRecordTurnDegrees = 7.5;
inline constexpr double kRecordSpeedChangePercent = 15;
inline constexpr double kRecordSpeedChangeMin = 5;  // speed units
inline constexpr double kNewSegmentGapMetres = 2500;
inline constexpr double kMetresPerFoot = 0.3048;

// A fix at exactly 0°, 0° is what a receiver without a position (or the end
// of a replay) delivers: the pipeline ignores it.
inline bool IsNoPosition(double lat, double lon) { return lat == 0 && lon == 0; }

struct RecordRuleState {
    // Distance since the last recorded point, in metres ("Distance Unit" 0)
    // or feet (otherwise); kNoPreviousPoint until a point was recorded.
    double distance = kNoPreviousPoint;
    double lastSpeed = kNoPreviousPoint;    // speed at the last recorded point
    double lastBearing = kNoPreviousPoint;  // degrees, [0, 360)
    // The next recorded point starts a new segment.
    int newSegment = 1;
};

// Applies the rule to the fix `current` after `previous` (the previous fix,
// recorded or not; both on the map datum). `speed` is the fix's speed in the
// display unit; `setting` the record distance in metres or feet by
// `distanceUnit` (0 metres, otherwise feet). Returns true when the fix is
// recorded; the state then starts over from it.
//
// The bearing difference is taken as it stands, not wrapped at 360°: a
// course wavering across north (359° against 1°) counts as a turn.
bool ApplyRecordRule(RecordRuleState& rule, GeoPoint previous, GeoPoint current, double speed,
                     double setting, int distanceUnit);

// The position pipeline's recording state between fixes.
struct RecordState {
    GeoPoint previous;  // the previous fix on the map datum; 0, 0 after a reset
    RecordRuleState log;
    RecordRuleState track;
    // The failure to write the log has been told; told again only after the
    // log was written once more.
    bool logFailureTold = false;
};

// What opening the GPS with a reset does: no previous point, both records
// start a new segment.
void ResetRecordState(RecordState& state);

// "ON " while the status holds a '*', "ON*" otherwise: the star blinks from
// fix to fix so a glance shows fixes are arriving.
void BlinkStatus(std::string& statusText);

struct RecordSettings {
    int nmeaLogDistance = 500;   // "NMEA Log Distance": 0 switches the log file off
    int trackLogDistance = 250;  // "Track Log Distance": 0 switches the ring off
    int distanceUnit = 0;        // "Distance Unit"
};
RecordSettings RecordSettingsFrom(const AppSettings& settings);

// Where recorded points go.
struct RecordTargets {
    const DatumTable& datums;
    int mapDatum = kDatumWgs84;
    std::string logPath;          // the track log file; empty: no log
    TrackStore* track = nullptr;  // the ring; null: no ring
    bool replay = false;          // a replay never writes the log file
};

// One fix as the recording sees it.
struct FixToRecord {
    GeoPoint position;       // on the map datum
    double speed = 0;        // GpsFix::speed, display unit
    double altitude = -777;  // feet, -777 when not known
    std::string_view date;   // "ddMMyy"
    std::string_view time;   // "hhmmss", decimals as received
};

struct RecordOutcome {
    bool logged = false;   // appended to the track log file
    bool tracked = false;  // added to the ring
    // Set by the first failed append after a good one (or the first ever):
    // what to show the user once. Empty otherwise, so a log that cannot be
    // written is said once, not on every fix and not never.
    std::string logProblem;
};
inline constexpr const char* kTrackLogNotWrittenText = "Cannot write the track log ";

// The recording steps of one fix (a fix at 0, 0 changes nothing): blinks
// the status, runs the log file's
// rule (the point is written in WGS 84; "L" is appended to the status when
// the append succeeded), runs the ring's rule ("T" appended when the point
// was added), and makes the fix the previous one.
RecordOutcome RecordFix(RecordState& state, const RecordSettings& settings,
                        const RecordTargets& targets, const FixToRecord& fix,
                        std::string& statusText);

}  // namespace mw
