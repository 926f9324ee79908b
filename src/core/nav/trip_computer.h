// The trip computer of the speed panel: the distance covered and the time
// spent moving since the GPS was opened or the user reset the trip. Fed one
// fix at a time by the position pipeline; knows nothing of the panels.
#pragma once

#include <cstdint>
#include <string>

#include "geo/datums.h"

namespace mw {

// A step between two fixes further apart than this (ms) is no step: the
// receiver was silent, and the straight line over the gap is a guess that
// would add a jump to the trip.
inline constexpr std::uint32_t kTripMaxStepMs = 10000;

struct TripComputer {
    double distanceMetres = 0;
    double movingSeconds = 0;
    // The fix the next step starts from; none after a reset or a fix that
    // was not current.
    bool hasLast = false;
    double lastLat = 0, lastLon = 0;
    std::uint32_t lastTick = 0;
};

// "Reset Trip": the totals back to zero. The last fix stays the start of
// the next step, so a reset on the move loses no travel. (Opening the GPS
// starts from a fresh TripComputer.)
void ResetTrip(TripComputer& trip);

// One fix at `tick` (ms on the Clock port) in degrees on the ellipsoid `e`,
// with the speed the receiver reports in km/h. The step from the previous
// fix adds its geodesic length to the distance, and its time to the moving
// time while the speed is at least the moving threshold of the track
// statistics. A fix that is not current (receiver silent, no fix) adds
// nothing and starts the next step afresh; so does a step longer than
// kTripMaxStepMs or one the clock ran backwards over.
void AddTripFix(TripComputer& trip, const Ellipsoid& e, double lat, double lon, std::uint32_t tick,
                double speedKmh, bool current);

// A speed in the "Speed Unit" (0 km/h, 1 mph, other knots) in km/h.
double SpeedToKmh(double speed, int speedUnit);

// "1:05:09": hours, minutes and seconds of the moving time.
std::string MovingTimeText(double seconds);

}  // namespace mw
