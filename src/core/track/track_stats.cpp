#include "track/track_stats.h"

#include <algorithm>
#include <cmath>

#include "geo/geodesic.h"

namespace mw {

namespace {

constexpr double kMsToKmh = 3.6;

// What every figure is built from: each point's segment, its distance from
// the start along the track, and its speed over the speed window.
struct Measured {
    std::vector<int> segmentStart;  // per point: index of its segment's first point
    std::vector<int> segmentEnd;    // per point: index of its segment's last point
    std::vector<double> along;      // metres from the start, segments not bridged
    std::vector<std::optional<double>> speedKmh;  // median over the speed window
};

bool StartsSegment(const std::vector<TrackPoint>& points, std::size_t i) {
    return i == 0 || points[i].newSegment;
}

Measured Measure(const std::vector<TrackPoint>& points, const Ellipsoid& e,
                 const TrackStatsOptions& options) {
    const std::size_t n = points.size();
    Measured m;
    m.segmentStart.resize(n);
    m.segmentEnd.resize(n);
    m.along.resize(n);
    m.speedKmh.resize(n);
    int start = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (StartsSegment(points, i)) {
            start = static_cast<int>(i);
            m.along[i] = i == 0 ? 0 : m.along[i - 1];
        } else {
            const TrackPoint& a = points[i - 1];
            const TrackPoint& b = points[i];
            m.along[i] = m.along[i - 1] + GeodesicDistance(e, a.lat, a.lon, b.lat, b.lon);
        }
        m.segmentStart[i] = start;
    }
    int end = static_cast<int>(n) - 1;
    for (std::size_t k = n; k-- > 0;) {
        m.segmentEnd[k] = end;
        if (StartsSegment(points, k)) end = static_cast<int>(k) - 1;
    }
    // Each step's speed, by the point it ends at; then a point's speed is
    // the median of the `window` steps around it (kept inside its segment,
    // shifted rather than shortened at the ends). One jumpy fix spoils the
    // two steps into and out of it; the median of five passes over both.
    std::vector<std::optional<double>> step(n);
    for (std::size_t k = 1; k < n; ++k) {
        if (StartsSegment(points, k)) continue;
        const auto& t0 = points[k - 1].time;
        const auto& t1 = points[k].time;
        if (!t0 || !t1 || *t1 <= *t0) continue;
        step[k] = (m.along[k] - m.along[k - 1]) / static_cast<double>(*t1 - *t0) * kMsToKmh;
    }
    const int window = std::max(options.speedWindowSteps, 1);
    std::vector<double> speeds;
    for (std::size_t i = 0; i < n; ++i) {
        const int s = m.segmentStart[i], e2 = m.segmentEnd[i];
        const int steps = e2 - s;
        if (steps < 1) continue;
        const int w = std::min(window, steps);
        const int first = std::clamp(static_cast<int>(i) - window / 2, s + 1, e2 - w + 1);
        speeds.clear();
        for (int k = first; k < first + w; ++k)
            if (step[static_cast<std::size_t>(k)]) speeds.push_back(*step[static_cast<std::size_t>(k)]);
        if (speeds.empty()) continue;
        std::sort(speeds.begin(), speeds.end());
        const std::size_t mid = speeds.size() / 2;
        m.speedKmh[i] = speeds.size() % 2 ? speeds[mid] : (speeds[mid - 1] + speeds[mid]) / 2;
    }
    return m;
}

// Total climb and descent of one run of heights: a turn counts only once
// the height has gone back by at least `threshold` from the last extreme,
// and each committed leg runs from extreme to extreme.
struct ClimbCounter {
    explicit ClimbCounter(double t) : threshold(t) {}
    double threshold;
    double ascent = 0, descent = 0;
    bool started = false;
    double reference = 0;             // the last committed extreme
    double extreme = 0;               // the farthest height of the leg under way
    int direction = 0;                // +1 climbing, -1 descending, 0 not yet known

    void Add(double h) {
        if (!started) {
            started = true;
            reference = h;
            extreme = h;
            return;
        }
        if (direction == 0) {
            if (h - reference >= threshold) {
                direction = 1;
                extreme = h;
            } else if (reference - h >= threshold) {
                direction = -1;
                extreme = h;
            }
            return;
        }
        if (direction > 0) {
            if (h > extreme) {
                extreme = h;
            } else if (extreme - h >= threshold) {
                ascent += extreme - reference;
                reference = extreme;
                extreme = h;
                direction = -1;
            }
        } else {
            if (h < extreme) {
                extreme = h;
            } else if (h - extreme >= threshold) {
                descent += reference - extreme;
                reference = extreme;
                extreme = h;
                direction = 1;
            }
        }
    }
    // The leg under way at the end of a run counts as it stands.
    void Finish() {
        if (direction > 0) ascent += extreme - reference;
        if (direction < 0) descent += reference - extreme;
        started = false;
        direction = 0;
    }
};

}  // namespace

TrackStats ComputeTrackStats(const std::vector<TrackPoint>& points, const Ellipsoid& ellipsoid,
                             const TrackStatsOptions& options) {
    TrackStats stats;
    stats.points = static_cast<int>(points.size());
    if (points.empty()) return stats;
    const Measured m = Measure(points, ellipsoid, options);
    stats.distanceMetres = m.along.back();

    double moving = 0;
    ClimbCounter climb(options.climbThresholdMetres);
    const double thresholdMs = options.movingThresholdKmh / kMsToKmh;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TrackPoint& p = points[i];
        if (StartsSegment(points, i)) {
            ++stats.segments;
            if (i > 0) climb.Finish();
        }
        if (p.time) {
            ++stats.timedPoints;
            if (!stats.startTime || *p.time < *stats.startTime) stats.startTime = p.time;
            if (!stats.endTime || *p.time > *stats.endTime) stats.endTime = p.time;
        }
        if (p.eleMetres) {
            ++stats.heightPoints;
            const double h = *p.eleMetres;
            stats.highestMetres = std::max(stats.highestMetres.value_or(h), h);
            stats.lowestMetres = std::min(stats.lowestMetres.value_or(h), h);
            climb.Add(h);
        }
        if (!StartsSegment(points, i) && p.time && points[i - 1].time) {
            const double dt = static_cast<double>(*p.time - *points[i - 1].time);
            const double d = m.along[i] - m.along[i - 1];
            if (dt > 0 && d / dt >= thresholdMs) moving += dt;
        }
        if (m.speedKmh[i]) stats.maxKmh = std::max(stats.maxKmh.value_or(0), *m.speedKmh[i]);
    }
    climb.Finish();
    if (stats.heightPoints > 0) {
        stats.ascentMetres = climb.ascent;
        stats.descentMetres = climb.descent;
    }
    if (stats.timedPoints >= 2) {
        stats.elapsedSeconds = static_cast<double>(*stats.endTime - *stats.startTime);
        stats.movingSeconds = moving;
        if (*stats.elapsedSeconds > 0)
            stats.averageKmh = stats.distanceMetres / *stats.elapsedSeconds * kMsToKmh;
        if (moving > 0) stats.movingAverageKmh = stats.distanceMetres / moving * kMsToKmh;
        if (!stats.maxKmh) stats.maxKmh = 0;
    } else {
        stats.maxKmh.reset();
    }
    return stats;
}

TrackProfile BuildTrackProfile(const std::vector<TrackPoint>& points, const Ellipsoid& ellipsoid,
                               ProfileX x, ProfileY y, const TrackStatsOptions& options) {
    TrackProfile profile;
    profile.xAxis = x;
    profile.yAxis = y;
    if (points.empty()) return profile;
    const Measured m = Measure(points, ellipsoid, options);
    std::optional<std::int64_t> firstTime;
    for (const TrackPoint& p : points)
        if (p.time && (!firstTime || *p.time < *firstTime)) firstTime = p.time;
    bool gap = true;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TrackPoint& p = points[i];
        if (StartsSegment(points, i)) gap = true;
        std::optional<double> xv, yv;
        if (x == ProfileX::Distance) xv = m.along[i];
        else if (p.time) xv = static_cast<double>(*p.time - *firstTime);
        if (y == ProfileY::Elevation) yv = p.eleMetres;
        else yv = m.speedKmh[i];
        if (!xv || !yv) {
            gap = true;
            continue;
        }
        profile.samples.push_back(ProfileSample{*xv, *yv, static_cast<int>(i), gap});
        gap = false;
    }
    return profile;
}

const ProfileSample* NearestSample(const TrackProfile& profile, double x) {
    const ProfileSample* best = nullptr;
    double bestGap = 0;
    for (const ProfileSample& s : profile.samples) {
        const double gap = std::fabs(s.x - x);
        if (!best || gap < bestGap) {
            best = &s;
            bestGap = gap;
        }
    }
    return best;
}

std::vector<TrackPoint> TrackPointsOfRing(const TrackStore& track) {
    std::vector<TrackPoint> points;
    track.ForEachPoint([&](int, const TrackSlot& slot) {
        if (slot.lat == kTrackBreakLat) return;
        TrackPoint p;
        p.lat = slot.lat;
        p.lon = slot.lon;
        p.newSegment = slot.flag == kTrackNewSegment;
        points.push_back(p);
    });
    return points;
}

}  // namespace mw
