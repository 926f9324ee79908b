#include "nav/trip_computer.h"

#include <cmath>

#include "geo/geodesic.h"
#include "support/text.h"
#include "track/track_stats.h"

namespace mw {

void ResetTrip(TripComputer& trip) {
    trip.distanceMetres = 0;
    trip.movingSeconds = 0;
}

void AddTripFix(TripComputer& trip, const Ellipsoid& e, double lat, double lon, std::uint32_t tick,
                double speedKmh, bool current) {
    if (!current || !std::isfinite(lat) || !std::isfinite(lon)) {
        trip.hasLast = false;
        return;
    }
    if (trip.hasLast) {
        // Unsigned arithmetic: a clock that wrapped still gives the step.
        const std::uint32_t ms = tick - trip.lastTick;
        if (ms > 0 && ms <= kTripMaxStepMs) {
            const double metres = GeodesicDistance(e, trip.lastLat, trip.lastLon, lat, lon);
            if (std::isfinite(metres)) trip.distanceMetres += metres;
            if (speedKmh >= kMovingThresholdKmh) trip.movingSeconds += ms / 1000.0;
        }
    }
    trip.hasLast = true;
    trip.lastLat = lat;
    trip.lastLon = lon;
    trip.lastTick = tick;
}

double SpeedToKmh(double speed, int speedUnit) {
    if (speedUnit == 0) return speed;
    if (speedUnit == 1) return speed * 1.609344;
    return speed * 1.852;
}

std::string MovingTimeText(double seconds) {
    const long s = seconds > 0 ? static_cast<long>(seconds) : 0;
    return Format("%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
}

}  // namespace mw
