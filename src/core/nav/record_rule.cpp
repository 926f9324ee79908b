#include "nav/record_rule.h"

#include <cmath>
#include <cstring>

#include "config/settings.h"
#include "geo/datum_convert.h"
#include "geo/distance.h"
#include "gps/gps_fix.h"
#include "track/track_file.h"
#include "track/track_store.h"

namespace mw {

bool ApplyRecordRule(RecordRuleState& rule, GeoPoint previous, GeoPoint current, double speed,
                     double setting, int distanceUnit) {
    const bool first = rule.distance == kNoPreviousPoint;
    if (!first)
        rule.distance +=
            DistanceShortUnit(previous.lat, previous.lon, current.lat, current.lon, distanceUnit);
    const double bearing = InitialBearing(previous.lat, previous.lon, current.lat, current.lon);

    double speedChange = 0;
    const double speedStep = std::fabs(rule.lastSpeed - speed);
    if (speedStep > kRecordSpeedChangeMin && speed > 0) speedChange = speedStep / speed * 100;

    if (!first && rule.distance < setting &&
        std::fabs(bearing - rule.lastBearing) <= kRecordTurnDegrees &&
        speedChange <= kRecordSpeedChangePercent)
        return false;

    const double metres = distanceUnit == 0 ? rule.distance : rule.distance * kMetresPerFoot;
    if (metres > kNewSegmentGapMetres) rule.newSegment = 1;
    rule.distance = 0;
    rule.lastSpeed = speed;
    rule.lastBearing = bearing;
    return true;
}

void ResetRecordState(RecordState& state) {
    state.previous = GeoPoint{};
    state.log = RecordRuleState{};
    state.track = RecordRuleState{};
}

void BlinkStatus(std::string& statusText) {
    statusText = statusText.find('*') != std::string::npos ? kStatusOn : kStatusOnStar;
}

RecordSettings RecordSettingsFrom(const AppSettings& settings) {
    return RecordSettings{settings.nmeaLogDistance, settings.trackLogDistance,
                          settings.distanceUnit};
}

RecordOutcome RecordFix(RecordState& state, const RecordSettings& settings,
                        const RecordTargets& targets, const FixToRecord& fix,
                        std::string& statusText) {
    RecordOutcome outcome;
    if (IsNoPosition(fix.position.lat, fix.position.lon)) return outcome;
    BlinkStatus(statusText);

    if (settings.nmeaLogDistance > 0 && !targets.replay && !targets.logPath.empty() &&
        ApplyRecordRule(state.log, state.previous, fix.position, fix.speed,
                        settings.nmeaLogDistance, settings.distanceUnit)) {
        double lat = fix.position.lat, lon = fix.position.lon;
        ConvertDatum(targets.datums, targets.mapDatum, kDatumWgs84, lat, lon);
        WriteOutcome written;
        if (AppendTrackLog(targets.logPath, lat, lon, fix.date, fix.time, fix.altitude,
                           state.log.newSegment, &written)) {
            statusText += "L";
            outcome.logged = true;
            state.logFailureTold = false;
        } else if (!state.logFailureTold) {
            outcome.logProblem = kTrackLogNotWrittenText + targets.logPath + ": " +
                                 std::strerror(written.error);
            state.logFailureTold = true;
        }
    }

    if (settings.trackLogDistance > 0 && targets.track &&
        ApplyRecordRule(state.track, state.previous, fix.position, fix.speed,
                        settings.trackLogDistance, settings.distanceUnit)) {
        statusText += "T";
        AddTrackPoint(*targets.track, fix.position.lat, fix.position.lon, state.track.newSegment);
        state.track.newSegment = 0;
        outcome.tracked = true;
    }

    state.previous = fix.position;
    return outcome;
}

}  // namespace mw
