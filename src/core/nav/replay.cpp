#include "nav/replay.h"

#include <cmath>

#include "geo/distance.h"
#include "gps/nmea_parser.h"
#include "nav/record_rule.h"
#include "track/track_file.h"
#include "track/track_store.h"

namespace mw {

namespace {

// Opens `replay.path` and reads past the header lines. The first point has
// no step before it.
void OpenAtFirstPoint(ReplayState& replay) {
    replay.previous.reset();
    replay.motion = ReplayMotion{};
    replay.file = std::make_unique<TextFileReader>(replay.path);
    std::string line;
    for (int i = 0; i < kTrackHeaderLines && replay.file->IsOpen(); ++i)
        if (!ReadLine(*replay.file, line)) break;
}

double FiniteOrZero(double value) { return std::isfinite(value) ? value : 0.0; }

constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return std::int64_t{era} * 146097 + doe - 719468;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Degrees into [0, 360).
double Normalised(double degrees) {
    const double a = std::fmod(degrees, 360.0);
    return a < 0 ? a + 360.0 : a;
}

std::optional<int> Digits(std::string_view text, std::size_t at) {
    if (at + 2 > text.size() || !IsDigit(text[at]) || !IsDigit(text[at + 1])) return std::nullopt;
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// Seconds of a track log line's "ddMMyy" and "hhmmss" fields; none when the
// time is missing or not a time. A missing date counts as one day, so only
// steps within it have a speed.
std::optional<std::int64_t> PointSeconds(std::string_view dateField, std::string_view timeField) {
    const std::string date = Trim(dateField), time = Trim(timeField);
    const auto h = Digits(time, 0), mi = Digits(time, 2), s = Digits(time, 4);
    if (!h || !mi || !s || *h > 23 || *mi > 59 || *s > 60) return std::nullopt;
    std::int64_t seconds = *h * 3600 + *mi * 60 + *s;
    const auto d = Digits(date, 0), mo = Digits(date, 2), y = Digits(date, 4);
    if (d && mo && y && *d >= 1 && *d <= 31 && *mo >= 1 && *mo <= 12) {
        // Two-digit years: 80..99 are the last century, as receivers count.
        const int year = *y >= 80 ? 1900 + *y : 2000 + *y;
        seconds += DaysFromCivil(year, *mo, *d) * 86400;
    }
    return seconds;
}

// The motion at (lat, lon) read from `fields`, against the point before.
void TakePoint(ReplayState& replay, const SplitFieldTable& fields) {
    ReplayMotion& m = replay.motion;
    const std::string altitudeText = Trim(fields.Get(4, ""));
    const double altitude = altitudeText.empty() ? kGpsNotKnown : ParseReal(altitudeText);
    m.altitudeFeet = std::isfinite(altitude) ? altitude : kGpsNotKnown;
    const std::optional<std::int64_t> seconds = PointSeconds(fields.Get(6, ""), fields.Get(7, ""));
    const double lat = replay.replayLat, lon = replay.replayLon;
    if (IsNoPosition(lat, lon)) return;  // no point: the pipeline skips it
    m.speedMps.reset();
    if (replay.previous) {
        const ReplayState::Previous& p = *replay.previous;
        const double metres = DistanceMetres(p.lat, p.lon, lat, lon);
        if (metres > 0) m.course = InitialBearing(p.lat, p.lon, lat, lon);
        if (seconds && p.seconds && *seconds > *p.seconds)
            m.speedMps = metres / static_cast<double>(*seconds - *p.seconds);
    } else {
        m.course.reset();
    }
    replay.previous = ReplayState::Previous{lat, lon, seconds};
}

// Forwards the dispatcher's results with the replayed point's motion in the
// fix in place of the fixed sentences' speed, course and altitude.
class MotionSink : public GpsResultSink {
public:
    MotionSink(GpsResultSink& to, const ReplayMotion& motion, int speedUnit)
        : to_(to), motion_(motion), speedUnit_(speedUnit) {}
    void OnPosition(const PositionReport& p, const GpsFix& fix) override {
        to_.OnPosition(p, Moved(fix));
    }
    void OnSpeed(const GpsFix& fix) override { to_.OnSpeed(Moved(fix)); }
    void OnStatus(const std::string& statusText) override { to_.OnStatus(statusText); }
    void OnSatellites(const GpsFix& fix) override { to_.OnSatellites(Moved(fix)); }

private:
    GpsFix Moved(const GpsFix& fix) const {
        GpsFix out = fix;
        ApplyReplayMotion(motion_, speedUnit_, out);
        return out;
    }
    GpsResultSink& to_;
    const ReplayMotion& motion_;
    int speedUnit_;
};

}  // namespace

bool StartReplay(ReplayState& replay, TrackStore& track, const std::string& path) {
    replay.path = path;
    OpenAtFirstPoint(replay);
    if (!replay.IsOpen()) {
        replay.file.reset();
        return false;
    }
    ClearTrack(track);
    return true;
}

void StopReplay(ReplayState& replay, TrackStore& track) {
    replay.file.reset();
    ClearTrack(track);
}

ReplayStepResult ReplayStep(ReplayState& replay) {
    if (!replay.IsOpen()) return ReplayStepResult::NotOpen;
    std::string line;
    const int more = ReadLine(*replay.file, line);
    // A last line without a line end still holds a point.
    if (more || !line.empty()) {
        SplitFieldTable fields = SplitFields(line);
        replay.replayLat = FiniteOrZero(ParseReal(fields.Get(1, "0")));
        replay.replayLon = FiniteOrZero(ParseReal(fields.Get(2, "0")));
        TakePoint(replay, fields);
        return ReplayStepResult::Point;
    }
    replay.replayLat = 0;
    replay.replayLon = 0;
    OpenAtFirstPoint(replay);
    return ReplayStepResult::EndOfFile;
}

void ApplyReplayMotion(const ReplayMotion& motion, int speedUnit, GpsFix& fix) {
    fix.speed =
        motion.speedMps ? ConvertKnots(*motion.speedMps / kMetresPerSecondPerKnot, speedUnit) : 0;
    fix.trueCourse = motion.course.value_or(kGpsNotKnown);
    fix.magneticCourse = kGpsNotKnown;
    if (motion.course && fix.magneticVariation != kGpsNotKnown)
        fix.magneticCourse = Normalised(*motion.course - fix.magneticVariation);
    fix.altitude = motion.altitudeFeet;
}

ReplayStepResult ReplayTick(ReplayState& replay, GpsParserState& parser, DispatchEnv env,
                            const std::function<void()>& atEnd) {
    const ReplayStepResult step = ReplayStep(replay);
    if (step == ReplayStepResult::NotOpen) return step;
    if (step == ReplayStepResult::EndOfFile && atEnd) atEnd();
    if (env.clock) {
        env.replay = true;
        if (env.sink) {
            MotionSink moved(*env.sink, replay.motion, env.config.speedUnit);
            env.sink = &moved;
            DispatchSentence("", parser, env);
        } else {
            DispatchSentence("", parser, env);
        }
    }
    return step;
}

}  // namespace mw
