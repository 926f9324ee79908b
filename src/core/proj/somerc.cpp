// The Swiss Grid: oblique conformal cylindrical projection of the ellipsoid
// through a conformal sphere, origin at the old observatory of Bern.
#include <cmath>

#include "proj/families.h"
#include "proj/proj_math.h"
#include "proj/projection.h"

namespace mw {

namespace {

constexpr double kPhi0 = 0.8194740686664255;  // 46.952405555° N
constexpr double kLon0 = 7.439583333;
constexpr double kK0 = 1.0;
constexpr double kFalseEasting = 600000.0;
constexpr double kFalseNorthing = 200000.0;

struct SwissSetup {
    double e, h, c, sinP0, cosP0, K, kR;
};

SwissSetup SetUpSwiss(const Ellipsoid& ell, int* err) {
    SwissSetup s;
    const double e2 = ell.e2;
    s.e = std::sqrt(e2);
    s.h = 0.5 * s.e;
    const double cp = std::cos(kPhi0);
    s.c = std::sqrt(1 + e2 * cp * cp * cp * cp / (1 - e2));
    s.sinP0 = std::sin(kPhi0) / s.c;
    const double p0 = SafeAsin(s.sinP0, err);
    s.cosP0 = std::cos(p0);
    const double s0 = s.e * std::sin(kPhi0);
    s.K =
        std::log(std::tan(kQuarterPi + 0.5 * p0)) -
        s.c * (std::log(std::tan(kQuarterPi + 0.5 * kPhi0)) - s.h * std::log((1 + s0) / (1 - s0)));
    s.kR = kK0 * std::sqrt(1 - e2) / (1 - s0 * s0);
    return s;
}

}  // namespace

int SwissGridForward(double lat, double lon, double& easting, double& northing,
                     const Ellipsoid& ell) {
    if (!(lat >= 40 && lat <= 50 && lon >= 5 && lon <= 20)) {
        easting = northing = 0;
        return kProjErrOutOfRange;
    }
    int err = kProjOk;
    const SwissSetup s = SetUpSwiss(ell, &err);
    const double phi = lat * kD2R, lambda = (lon - kLon0) * kD2R;
    const double sp = s.e * std::sin(phi);
    const double p = 2 * std::atan(std::exp(s.c * (std::log(std::tan(kQuarterPi + 0.5 * phi)) -
                                                   s.h * std::log((1 + sp) / (1 - sp))) +
                                            s.K)) -
                     kHalfPi;
    const double l = s.c * lambda;
    const double cosP = std::cos(p), sinP = std::sin(p);
    const double pp = SafeAsin(s.cosP0 * sinP - s.sinP0 * cosP * std::cos(l), &err);
    const double lp = SafeAsin(cosP * std::sin(l) / std::cos(pp), &err);
    const double x = s.kR * lp;
    const double y = s.kR * std::log(std::tan(kQuarterPi + 0.5 * pp));
    easting = ell.a * x + kFalseEasting;
    northing = ell.a * y + kFalseNorthing;
    return err;
}

int SwissGridInverse(double easting, double northing, double& lat, double& lon,
                     const Ellipsoid& ell) {
    int err = kProjOk;
    const SwissSetup s = SetUpSwiss(ell, &err);
    const double x = (easting - kFalseEasting) / ell.a;
    const double y = (northing - kFalseNorthing) / ell.a;
    const double pp = 2 * (std::atan(std::exp(y / s.kR)) - kQuarterPi);
    const double lp = x / s.kR;
    const double p = SafeAsin(s.sinP0 * std::cos(pp) * std::cos(lp) + s.cosP0 * std::sin(pp), &err);
    const double l = SafeAsin(std::sin(lp) * std::cos(pp) / std::cos(p), &err);
    const double kp = (s.K - std::log(std::tan(kQuarterPi + 0.5 * p))) / s.c;
    double phi = p;
    for (int i = 0; i < 6; ++i) {
        const double sp = s.e * std::sin(phi);
        const double delta = (std::log(std::tan(kQuarterPi + 0.5 * phi)) + kp -
                              s.h * std::log((1 + sp) / (1 - sp))) *
                             (1 - sp * sp) * std::cos(phi) / (1 - s.e * s.e);
        phi -= delta;
        if (std::fabs(delta) < kProjEps) {
            lat = phi / kD2R;
            lon = (l / s.c) / kD2R + kLon0;
            return err;
        }
    }
    lat = lon = 0;
    return kProjErrNoConvergence;
}

}  // namespace mw
