// What a track tells after a walk or a drive: how far, how long, how fast,
// how high; and the profile (height or speed along the way) that the Track
// Info window and `mwtool track profile` draw.
//
// Distances are geodesics on the track's own ellipsoid (the datum its
// positions are on), summed within each segment: the gap between two
// segments (the GPS was off, a recording resumed elsewhere) is not bridged.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "geo/datums.h"
#include "track/track_store.h"

namespace mw {

// One point of a track, on the datum the track is measured on.
struct TrackPoint {
    double lat = 0, lon = 0;  // degrees
    // Starts a new segment: not joined to the point before. The first point
    // of a track starts one whatever it says.
    bool newSegment = false;
    std::optional<double> eleMetres;
    std::optional<std::int64_t> time;  // UTC, seconds since 1970-01-01
};

// Below this speed (km/h) the time between two points is standing, not
// moving: a walker's slowest pace is well above it.
inline constexpr double kMovingThresholdKmh = 1.0;
// A climb or a descent counts once the height has turned by at least this
// many metres (hysteresis): a receiver's height wanders by a few metres
// from fix to fix, and that noise must not add up over a long track.
inline constexpr double kClimbThresholdMetres = 5.0;
// A point's speed is the median of the speeds of this many steps (from one
// point to the next) around it, so that one jumpy fix (which spoils the two
// steps into and out of it) does not make the maximum.
inline constexpr int kSpeedWindowSteps = 5;

struct TrackStatsOptions {
    double movingThresholdKmh = kMovingThresholdKmh;
    double climbThresholdMetres = kClimbThresholdMetres;
    int speedWindowSteps = kSpeedWindowSteps;
};

struct TrackStats {
    int points = 0;
    int segments = 0;
    int timedPoints = 0;   // points with a time
    int heightPoints = 0;  // points with a height
    double distanceMetres = 0;

    // Time figures need at least two points with times; without them only
    // distance and heights are known (and the optionals stay empty).
    bool HasTimes() const { return elapsedSeconds.has_value(); }
    std::optional<std::int64_t> startTime, endTime;  // first and last time seen
    // From the first to the last time, the gaps between segments included.
    std::optional<double> elapsedSeconds;
    // The time between consecutive timed points of a segment that were
    // moving at least at the threshold speed.
    std::optional<double> movingSeconds;
    std::optional<double> averageKmh;        // distance / elapsed time
    std::optional<double> movingAverageKmh;  // distance / moving time
    std::optional<double> maxKmh;            // highest of the points' smoothed speeds

    std::optional<double> ascentMetres, descentMetres;  // with the hysteresis
    std::optional<double> highestMetres, lowestMetres;
};

TrackStats ComputeTrackStats(const std::vector<TrackPoint>& points, const Ellipsoid& ellipsoid,
                             const TrackStatsOptions& options = {});

// What a profile puts along and up.
enum class ProfileX { Distance, Time };
enum class ProfileY { Elevation, Speed };

struct ProfileSample {
    double x = 0;  // metres from the start, or seconds from the first time
    double y = 0;  // metres of height, or km/h
    int point = 0;  // index of the track point
    // Not joined to the sample before (a new segment, or points left out
    // between them).
    bool gapBefore = false;
};

struct TrackProfile {
    ProfileX xAxis = ProfileX::Distance;
    ProfileY yAxis = ProfileY::Elevation;
    // In track order; points without the value the axes need (a height, a
    // time) are left out.
    std::vector<ProfileSample> samples;
};

TrackProfile BuildTrackProfile(const std::vector<TrackPoint>& points, const Ellipsoid& ellipsoid,
                               ProfileX x, ProfileY y, const TrackStatsOptions& options = {});

// The sample nearest to `x` along the axis; null for an empty profile.
const ProfileSample* NearestSample(const TrackProfile& profile, double x);

// The track ring's points, oldest first (positions only: the ring keeps
// neither heights nor times), on the map datum.
std::vector<TrackPoint> TrackPointsOfRing(const TrackStore& track);

}  // namespace mw
