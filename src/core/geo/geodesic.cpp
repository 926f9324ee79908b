#include "geo/geodesic.h"

#include <cmath>
#include <numbers>
#include <optional>

namespace mw {

namespace {

constexpr double kDeg = std::numbers::pi / 180;
constexpr int kMaxIterations = 200;
// Longitude difference on the auxiliary sphere at which the iteration has
// settled: 1e-12 rad is 6 µm on the earth.
constexpr double kLambdaTolerance = 1e-12;

double Azimuth(double y, double x) {
    double deg = std::atan2(y, x) / kDeg;
    if (deg < 0) deg += 360;
    return deg >= 360 ? 0 : deg;
}

// A longitude difference in radians brought to [-π, π].
double WrapPi(double x) {
    x = std::remainder(x, 2 * std::numbers::pi);
    return x;
}

// sin and cos of the reduced latitude.
void Reduced(const Ellipsoid& e, double latDeg, double& sinU, double& cosU) {
    const double phi = latDeg * kDeg;
    // atan2 form keeps the poles exact.
    const double u = std::atan2((1 - e.f) * std::sin(phi), std::cos(phi));
    sinU = std::sin(u);
    cosU = std::cos(u);
}

// The series coefficients A and B of Vincenty for u² = cos²α·e'².
void SeriesAB(const Ellipsoid& e, double cos2Alpha, double& A, double& B) {
    const double u2 = cos2Alpha * (e.a * e.a - e.b * e.b) / (e.b * e.b);
    A = 1 + u2 / 16384 * (4096 + u2 * (-768 + u2 * (320 - 175 * u2)));
    B = u2 / 1024 * (256 + u2 * (-128 + u2 * (74 - 47 * u2)));
}

double DeltaSigma(double B, double sinSigma, double cosSigma, double cos2SigmaM) {
    const double c2 = cos2SigmaM * cos2SigmaM;
    return B * sinSigma *
           (cos2SigmaM + B / 4 *
                             (cosSigma * (-1 + 2 * c2) -
                              B / 6 * cos2SigmaM * (-3 + 4 * sinSigma * sinSigma) * (-3 + 4 * c2)));
}

// Vincenty's inverse; nullopt when the iteration does not settle (nearly
// antipodal points).
std::optional<GeodesicLine> VincentyInverse(const Ellipsoid& e, double lat1, double lon1,
                                            double lat2, double lon2) {
    const double f = e.f;
    const double L = WrapPi((lon2 - lon1) * kDeg);
    double sinU1, cosU1, sinU2, cosU2;
    Reduced(e, lat1, sinU1, cosU1);
    Reduced(e, lat2, sinU2, cosU2);

    double lambda = L;
    double sinLambda = 0, cosLambda = 0, sinSigma = 0, cosSigma = 0, sigma = 0, cos2Alpha = 0,
           cos2SigmaM = 0;
    bool settled = false;
    for (int i = 0; i < kMaxIterations; ++i) {
        sinLambda = std::sin(lambda);
        cosLambda = std::cos(lambda);
        const double t1 = cosU2 * sinLambda;
        const double t2 = cosU1 * sinU2 - sinU1 * cosU2 * cosLambda;
        sinSigma = std::hypot(t1, t2);
        if (sinSigma == 0) {
            // Coincident points, or exactly antipodal on the auxiliary
            // sphere (cosSigma < 0): the latter has no unique path.
            cosSigma = sinU1 * sinU2 + cosU1 * cosU2 * cosLambda;
            if (cosSigma > 0) return GeodesicLine{};
            return std::nullopt;
        }
        cosSigma = sinU1 * sinU2 + cosU1 * cosU2 * cosLambda;
        sigma = std::atan2(sinSigma, cosSigma);
        const double sinAlpha = cosU1 * cosU2 * sinLambda / sinSigma;
        cos2Alpha = 1 - sinAlpha * sinAlpha;
        // On the equator cos²α is 0 and the term is unused.
        cos2SigmaM = cos2Alpha != 0 ? cosSigma - 2 * sinU1 * sinU2 / cos2Alpha : 0;
        const double C = f / 16 * cos2Alpha * (4 + f * (4 - 3 * cos2Alpha));
        const double previous = lambda;
        lambda = L + (1 - C) * f * sinAlpha *
                         (sigma + C * sinSigma *
                                      (cos2SigmaM + C * cosSigma * (-1 + 2 * cos2SigmaM * cos2SigmaM)));
        if (!(std::fabs(lambda) <= std::numbers::pi + 1e-9)) return std::nullopt;
        if (std::fabs(lambda - previous) < kLambdaTolerance) {
            settled = true;
            break;
        }
    }
    if (!settled) return std::nullopt;
    double A, B;
    SeriesAB(e, cos2Alpha, A, B);
    GeodesicLine line;
    line.metres = e.b * A * (sigma - DeltaSigma(B, sinSigma, cosSigma, cos2SigmaM));
    line.azimuth1 = Azimuth(cosU2 * sinLambda, cosU1 * sinU2 - sinU1 * cosU2 * cosLambda);
    line.azimuth2 = Azimuth(cosU1 * sinLambda, -sinU1 * cosU2 + cosU1 * sinU2 * cosLambda);
    return line;
}

// Nearly antipodal points: every path through a point M at a fixed distance
// s0 from point 1 is at least as long as the geodesic, and the one whose M
// lies on the geodesic has exactly its length. With s0 a quarter of the way
// round, both legs are far from antipodal, so Vincenty settles on each; the
// azimuth of M is searched for, first in 1° steps, then by golden section.
GeodesicLine AntipodalInverse(const Ellipsoid& e, double lat1, double lon1, double lat2,
                              double lon2) {
    const double s0 = e.b * std::numbers::pi / 2;
    auto legs = [&](double azimuth, GeodesicLine* second) {
        double latM, lonM;
        GeodesicDirect(e, lat1, lon1, azimuth, s0, latM, lonM);
        const std::optional<GeodesicLine> rest = VincentyInverse(e, latM, lonM, lat2, lon2);
        if (!rest) return HUGE_VAL;
        if (second) *second = *rest;
        return s0 + rest->metres;
    };
    double best = 0, bestLength = HUGE_VAL;
    for (int step = 0; step < 360; ++step) {
        const double length = legs(step, nullptr);
        if (length < bestLength) {
            bestLength = length;
            best = step;
        }
    }
    const double golden = (std::sqrt(5.0) - 1) / 2;
    double lo = best - 1, hi = best + 1;
    double x1 = hi - golden * (hi - lo), x2 = lo + golden * (hi - lo);
    double f1 = legs(x1, nullptr), f2 = legs(x2, nullptr);
    while (hi - lo > 1e-10) {
        if (f1 < f2) {
            hi = x2;
            x2 = x1;
            f2 = f1;
            x1 = hi - golden * (hi - lo);
            f1 = legs(x1, nullptr);
        } else {
            lo = x1;
            x1 = x2;
            f1 = f2;
            x2 = lo + golden * (hi - lo);
            f2 = legs(x2, nullptr);
        }
    }
    GeodesicLine second;
    GeodesicLine line;
    const double azimuth = (lo + hi) / 2;
    line.metres = legs(azimuth, &second);
    line.azimuth1 = std::fmod(std::fmod(azimuth, 360) + 360, 360);
    line.azimuth2 = second.azimuth2;
    if (!std::isfinite(line.metres)) line.metres = bestLength;
    return line;
}

}  // namespace

GeodesicLine GeodesicInverse(const Ellipsoid& e, double lat1, double lon1, double lat2,
                             double lon2) {
    if (std::optional<GeodesicLine> line = VincentyInverse(e, lat1, lon1, lat2, lon2)) return *line;
    return AntipodalInverse(e, lat1, lon1, lat2, lon2);
}

double GeodesicDistance(const Ellipsoid& e, double lat1, double lon1, double lat2, double lon2) {
    if (lat1 == lat2 && lon1 == lon2) return 0;
    return GeodesicInverse(e, lat1, lon1, lat2, lon2).metres;
}

void GeodesicDirect(const Ellipsoid& e, double lat1, double lon1, double azimuth1, double metres,
                    double& lat2, double& lon2) {
    const double f = e.f;
    const double alpha1 = azimuth1 * kDeg;
    const double sinAlpha1 = std::sin(alpha1), cosAlpha1 = std::cos(alpha1);
    double sinU1, cosU1;
    Reduced(e, lat1, sinU1, cosU1);
    const double sigma1 = std::atan2(sinU1, cosU1 * cosAlpha1);
    const double sinAlpha = cosU1 * sinAlpha1;
    const double cos2Alpha = 1 - sinAlpha * sinAlpha;
    double A, B;
    SeriesAB(e, cos2Alpha, A, B);

    double sigma = metres / (e.b * A);
    double sinSigma = 0, cosSigma = 0, cos2SigmaM = 0;
    for (int i = 0; i < kMaxIterations; ++i) {
        cos2SigmaM = std::cos(2 * sigma1 + sigma);
        sinSigma = std::sin(sigma);
        cosSigma = std::cos(sigma);
        const double next = metres / (e.b * A) + DeltaSigma(B, sinSigma, cosSigma, cos2SigmaM);
        const bool done = std::fabs(next - sigma) < kLambdaTolerance;
        sigma = next;
        if (done) break;
    }
    cos2SigmaM = std::cos(2 * sigma1 + sigma);
    sinSigma = std::sin(sigma);
    cosSigma = std::cos(sigma);
    const double tmp = sinU1 * sinSigma - cosU1 * cosSigma * cosAlpha1;
    const double phi2 = std::atan2(sinU1 * cosSigma + cosU1 * sinSigma * cosAlpha1,
                                   (1 - f) * std::hypot(sinAlpha, tmp));
    const double lambda =
        std::atan2(sinSigma * sinAlpha1, cosU1 * cosSigma - sinU1 * sinSigma * cosAlpha1);
    const double C = f / 16 * cos2Alpha * (4 + f * (4 - 3 * cos2Alpha));
    const double L =
        lambda - (1 - C) * f * sinAlpha *
                     (sigma + C * sinSigma *
                                  (cos2SigmaM + C * cosSigma * (-1 + 2 * cos2SigmaM * cos2SigmaM)));
    lat2 = phi2 / kDeg;
    double lon = lon1 + L / kDeg;
    lon = std::fmod(lon + 180, 360);
    if (lon < 0) lon += 360;
    lon2 = lon - 180;
}

}  // namespace mw
