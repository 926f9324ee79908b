#include "geo/transverse_mercator.h"

#include <cmath>

namespace mw {

namespace {
constexpr double kD2R = 0.017453292519943295;
}

double MeridionalDistance(double phi, double e2, double a) {
    if (phi == 0) return 0;
    const double e4 = e2 * e2, e6 = e4 * e2;
    return a * ((1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) * phi -
                (3 * e2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * phi) +
                (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * phi) -
                (35 * e6 / 3072) * std::sin(6 * phi));
}

void TmForward(double lat, double lon, double lat0, double lon0, double k0, double& easting,
               double& northing, const Ellipsoid& ell) {
    const double a = ell.a, e2 = ell.e2;
    const double ep2 = e2 / (1 - e2);
    const double phi = lat * kD2R, lambda = lon * kD2R;
    const double phi0 = lat0 * kD2R, lambda0 = lon0 * kD2R;
    const double m = MeridionalDistance(phi, e2, a);
    const double m0 = MeridionalDistance(phi0, e2, a);

    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double tanPhi = sinPhi / cosPhi;
    const double n = a / std::sqrt(1 - e2 * sinPhi * sinPhi);
    const double t = tanPhi * tanPhi;
    const double c = ep2 * cosPhi * cosPhi;
    const double A = (lambda - lambda0) * cosPhi;
    const double A2 = A * A, A3 = A2 * A, A4 = A3 * A, A5 = A4 * A, A6 = A5 * A;

    easting =
        k0 * n * (A + (1 - t + c) * A3 / 6 + (5 - 18 * t + t * t + 72 * c - 58 * ep2) * A5 / 120);
    northing = k0 * (m - m0 +
                     n * tanPhi *
                         (A2 / 2 + (5 - t + 9 * c + 4 * c * c) * A4 / 24 +
                          (61 - 58 * t + t * t + 600 * c - 330 * ep2) * A6 / 720));
}

void TmInverse(double easting, double northing, double lat0, double lon0, double k0, double& lat,
               double& lon, const Ellipsoid& ell) {
    const double a = ell.a, e2 = ell.e2;
    const double e4 = e2 * e2, e6 = e4 * e2;
    const double ep2 = e2 / (1 - e2);
    const double m0 = MeridionalDistance(lat0 * kD2R, e2, a);
    const double m = m0 + northing / k0;

    const double sq = std::sqrt(1 - e2);
    const double e1 = (1 - sq) / (1 + sq);
    const double e1_2 = e1 * e1, e1_3 = e1_2 * e1, e1_4 = e1_3 * e1;
    const double mu = m / (a * (1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256));
    const double phi1 = mu + (3 * e1 / 2 - 27 * e1_3 / 32) * std::sin(2 * mu) +
                        (21 * e1_2 / 16 - 55 * e1_4 / 32) * std::sin(4 * mu) +
                        (151 * e1_3 / 96) * std::sin(6 * mu) +
                        (1097 * e1_4 / 512) * std::sin(8 * mu);

    const double sinPhi1 = std::sin(phi1), cosPhi1 = std::cos(phi1);
    const double tanPhi1 = sinPhi1 / cosPhi1;
    const double c1 = ep2 * cosPhi1 * cosPhi1;
    const double t1 = tanPhi1 * tanPhi1;
    const double w = 1 - e2 * sinPhi1 * sinPhi1;
    const double n1 = a / std::sqrt(w);
    const double r1 = a * (1 - e2) / (w * std::sqrt(w));
    const double d = easting / (n1 * k0);
    const double d2 = d * d, d3 = d2 * d, d4 = d3 * d, d5 = d4 * d, d6 = d5 * d;

    lat = (phi1 -
           (n1 * tanPhi1 / r1) *
               (d2 / 2 - (5 + 3 * t1 + 10 * c1 - 4 * c1 * c1 - 9 * ep2) * d4 / 24 +
                (61 + 90 * t1 + 298 * c1 + 45 * t1 * t1 - 252 * ep2 - 3 * c1 * c1) * d6 / 720)) /
          kD2R;
    lon =
        (lon0 * kD2R + (d - (1 + 2 * t1 + c1) * d3 / 6 +
                        (5 - 2 * c1 + 28 * t1 - 3 * c1 * c1 + 8 * ep2 + 24 * t1 * t1) * d5 / 120) /
                           cosPhi1) /
        kD2R;
}

}  // namespace mw
