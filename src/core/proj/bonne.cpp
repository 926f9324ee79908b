// Bonne (pseudoconic, equal-area); with a standard parallel on the equator it
// is the sinusoidal projection. Computed on a unit semi-major axis.
#include <cmath>

#include "proj/families.h"
#include "proj/proj_math.h"
#include "proj/projection.h"

namespace mw {

namespace {

struct BonneSetup {
    MeridionalSeries en;
    double e2, phi1, am1, m1;
};

BonneSetup SetUpBonne(const Ellipsoid& ell, double phi1) {
    BonneSetup s;
    s.e2 = ell.e2;
    s.en = MakeMeridionalSeries(ell.e2);
    s.phi1 = phi1;
    s.am1 = 0;
    s.m1 = 0;
    if (std::fabs(phi1) >= kProjEps) {
        const double sin1 = std::sin(phi1);
        s.am1 = std::cos(phi1) / (std::sqrt(1 - s.e2 * sin1 * sin1) * sin1);
        s.m1 = MeridionalLength(s.en, phi1);
    }
    return s;
}

}  // namespace

int BonneForward(double lat1, double lon0, double lat, double lon, double& easting,
                 double& northing, const Ellipsoid& ell) {
    if (lat1 == kUnsetParameter || lon0 == kUnsetParameter) return kProjOk;
    const BonneSetup s = SetUpBonne(ell, lat1 * kD2R);
    const double phi = lat * kD2R, lambda = (lon - lon0) * kD2R;
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double w = std::sqrt(1 - s.e2 * sinPhi * sinPhi);
    double x, y;
    if (std::fabs(s.phi1) < kProjEps) {
        x = lambda * cosPhi / w;
        y = MeridionalLength(s.en, phi);
    } else {
        const double rho = s.am1 + s.m1 - MeridionalLength(s.en, phi);
        const double ep = cosPhi * lambda / (rho * w);
        x = rho * std::sin(ep);
        y = s.am1 - rho * std::cos(ep);
    }
    easting = x * ell.a;
    northing = y * ell.a;
    return kProjOk;
}

int BonneInverse(double lat1, double lon0, double easting, double northing, double& lat,
                 double& lon, const Ellipsoid& ell) {
    if (lat1 == kUnsetParameter || lon0 == kUnsetParameter) return kProjOk;
    const BonneSetup s = SetUpBonne(ell, lat1 * kD2R);
    const double x = easting / ell.a, y = northing / ell.a;
    double phi, lambda = 0;
    if (std::fabs(s.phi1) < kProjEps) {
        phi = InverseMeridional(s.en, s.e2, y);
        if (std::fabs(phi) < kHalfPi) {
            const double sinPhi = std::sin(phi);
            lambda = x * std::sqrt(1 - s.e2 * sinPhi * sinPhi) / std::cos(phi);
        } else if (std::fabs(phi) - kProjEps >= kHalfPi) {
            phi = 0;
        }
    } else {
        // South of the equator the cone opens the other way: ρ and the
        // direction to the apex change sign with the standard parallel.
        const double sign = s.phi1 < 0 ? -1.0 : 1.0;
        const double rho = sign * std::hypot(x, s.am1 - y);
        phi = InverseMeridional(s.en, s.e2, s.am1 + s.m1 - rho);
        if (std::fabs(phi) < kHalfPi) {
            const double sinPhi = std::sin(phi);
            lambda = rho * std::atan2(sign * x, sign * (s.am1 - y)) *
                     std::sqrt(1 - s.e2 * sinPhi * sinPhi) / std::cos(phi);
        }
    }
    lat = phi * 180 / kPi;
    lon = lambda * 180 / kPi + lon0;
    return kProjOk;
}

}  // namespace mw
