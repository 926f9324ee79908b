// American Polyconic, origin on the equator.
#include <cmath>

#include "geo/transverse_mercator.h"
#include "proj/families.h"
#include "proj/proj_math.h"
#include "proj/projection.h"

namespace mw {

namespace {

// dM/dφ of MeridionalDistance on a unit semi-major axis.
double MeridionalDerivative(double phi, double e2) {
    const double e4 = e2 * e2, e6 = e4 * e2;
    return (1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) -
           2 * (3 * e2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::cos(2 * phi) +
           4 * (15 * e4 / 256 + 45 * e6 / 1024) * std::cos(4 * phi) -
           6 * (35 * e6 / 3072) * std::cos(6 * phi);
}

}  // namespace

int PolyconicForward(double lon0, double lat, double lon, double& easting, double& northing,
                     const Ellipsoid& ell) {
    if (lon0 == kUnsetParameter) return kProjOk;
    const double a = ell.a, e = std::sqrt(ell.e2);
    const double phi = lat * kD2R;
    const double lambda = AdjustLon(lon * kD2R - lon0 * kD2R);
    const double m0 = MeridionalDistance(0.0, ell.e2, a);
    if (std::fabs(phi) <= 1e-7) {
        easting = a * lambda;
        northing = -m0;
        return kProjOk;
    }
    const double sinPhi = std::sin(phi);
    const double m = Msfnz(e, sinPhi, std::cos(phi));
    const double c = lambda * sinPhi;
    easting = a * m * std::sin(c) / sinPhi;
    northing = MeridionalDistance(phi, ell.e2, a) - m0 + a * m * (1 - std::cos(c)) / sinPhi;
    return kProjOk;
}

// The forward formulas solved for latitude by Newton's method (the
// ellipsoidal polyconic inverse), then the longitude in closed form.
int PolyconicInverse(double lon0, double easting, double northing, double& lat, double& lon,
                     const Ellipsoid& ell) {
    if (lon0 == kUnsetParameter) return kProjOk;
    const double a = ell.a, e2 = ell.e2;
    const double m0 = MeridionalDistance(0.0, e2, a);
    const double A = (m0 + northing) / a;
    const double x = easting / a;
    if (std::fabs(A) <= 1e-12) {
        lat = 0;
        lon = AdjustLon(x + lon0 * kD2R) / kD2R;
        return kProjOk;
    }
    const double B = x * x + A * A;
    double phi = A;
    bool converged = false;
    for (int i = 0; i < 20; ++i) {
        const double s = std::sin(phi), cs = std::cos(phi);
        const double s2phi = 2 * s * cs;
        const double C = std::sqrt(1 - e2 * s * s) * s / cs;
        const double mn = MeridionalDistance(phi, e2, 1.0);
        const double mdn = MeridionalDerivative(phi, e2);
        const double f = A * (C * mn + 1) - mn - 0.5 * (mn * mn + B) * C;
        const double df = e2 * s2phi * (mn * mn + B - 2 * A * mn) / (4 * C) +
                          (A - mn) * (C * mdn - 2 / s2phi) - mdn;
        if (!(std::fabs(df) >= 1e-5)) {
            lat = lon = 0;
            return kProjErrPolyconicNoConvergence;
        }
        const double step = f / df;
        phi -= step;
        if (std::fabs(step) <= 1e-12) {
            converged = true;
            break;
        }
    }
    if (!converged || std::fabs(phi) >= kHalfPi) {
        lat = lon = 0;
        return kProjErrPolyconicNoConvergence;
    }
    const double s = std::sin(phi);
    const double C = std::sqrt(1 - e2 * s * s) * s / std::cos(phi);
    int err = kProjOk;
    lat = phi / kD2R;
    lon = AdjustLon(SafeAsin(x * C, &err) / s + lon0 * kD2R) / kD2R;
    return err;
}

}  // namespace mw
