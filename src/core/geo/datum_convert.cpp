#include "geo/datum_convert.h"

#include <cmath>

namespace mw {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kOneOver180 = 0.005555555555555556;
constexpr double kOneOver3600 = 0.0002777777777777778;
constexpr double kWgs84A = 6378137.0;
constexpr double kWgs84InvF = 298.257223563;

}  // namespace

void ShiftDatum(const DatumTable& datums, int direction, double* lat, double* lon, int datum) {
    if (datum == kDatumWgs84) return;
    const DatumRecord& row = datums.Row(datum);
    double dx = row.dx, dy = row.dy, dz = row.dz;
    const double latDeg = *lat, lonDeg = *lon;
    const double phi = latDeg * kPi * kOneOver180;
    const double lambda = lonDeg * kPi * kOneOver180;

    const Ellipsoid own = EllipsoidOf(row.ellipsoid);
    double a, fs, ft;
    if (direction == 1) {
        a = own.a;
        fs = own.f;
        ft = 1.0 / kWgs84InvF;
        dx = -dx;
        dy = -dy;
        dz = -dz;
    } else {
        a = kWgs84A;
        fs = 1.0 / kWgs84InvF;
        ft = own.f;
    }
    const double b = (1 - fs) * a;
    const double es2 = 2 * fs - fs * fs;
    const double et2 = 2 * ft - ft * ft;

    // Geocentric latitude of the surface point; the poles and the equator are
    // taken as they are so that tan() is never asked for ±90°.
    const bool special = latDeg == 0 || latDeg == 90 || latDeg == -90;
    const double psi = special ? phi : std::atan((1 - es2) * std::tan(phi));
    const double tanPsi = std::tan(psi);

    double x, y;
    if (lonDeg != 90 && lonDeg != -90) {
        const double tanLambda = std::tan(lambda);
        x = std::fabs(a * b /
                      std::sqrt((tanPsi * tanPsi * a * a + b * b) * (tanLambda * tanLambda + 1)));
        y = std::fabs(tanLambda * x);
    } else {
        x = 0;
        y = std::fabs(a * b / std::sqrt(tanPsi * tanPsi * a * a + b * b));
    }
    if (lonDeg < -90 || lonDeg > 90) x = -x;
    if (lonDeg < 0) y = -y;

    double z;
    if (latDeg == 90)
        z = b;
    else if (latDeg == -90)
        z = -b;
    else
        z = tanPsi * std::sqrt(b * b * a * a / (tanPsi * tanPsi * a * a + b * b));

    x -= dx;
    y -= dy;
    z -= dz;

    const double p = std::sqrt(x * x + y * y);
    const double t = z / p;
    *lat = std::atan(t / (1 - et2)) * 180 / kPi;
    double outLon = std::atan(y / x) * 180 / kPi;
    if (x < 0) {
        if (y > 0)
            outLon += 180;
        else
            outLon -= 180;
    }
    *lon = outLon;
}

void ConvertDatum(const DatumTable& datums, int fromDatum, double fromShiftLat, double fromShiftLon,
                  int toDatum, double toShiftLat, double toShiftLon, double* lat, double* lon) {
    if (lat == nullptr || lon == nullptr || fromDatum == toDatum) return;
    if (fromDatum == kDatumAutoShift) {
        *lat += fromShiftLat * kOneOver3600;
        *lon += fromShiftLon * kOneOver3600;
    } else {
        ShiftDatum(datums, 1, lat, lon, fromDatum);
    }
    if (toDatum == kDatumAutoShift) {
        *lat -= toShiftLat * kOneOver3600;
        *lon -= toShiftLon * kOneOver3600;
    } else {
        ShiftDatum(datums, 0, lat, lon, toDatum);
    }
}

}  // namespace mw
