// Albers equal-area conic.
#include <cmath>

#include "proj/families.h"
#include "proj/proj_math.h"
#include "proj/projection.h"

namespace mw {

namespace {

struct AlbersSetup {
    double a, e, n, c, rho0, lon0;
};

int SetUpAlbers(const Ellipsoid& ell, double lat0, double sp1, double sp2, double lon0,
                AlbersSetup& s) {
    if (std::fabs(sp1 + sp2) < kProjEps) return kProjErrAlbersParallels;
    s.a = ell.a;
    s.e = std::sqrt(ell.e2);
    const double sin1 = std::sin(sp1);
    const double m1 = Msfnz(s.e, sin1, std::cos(sp1));
    const double q1 = Qsfnz(s.e, sin1);
    const double sin2 = std::sin(sp2);
    const double m2 = Msfnz(s.e, sin2, std::cos(sp2));
    const double q2 = Qsfnz(s.e, sin2);
    const double q0 = Qsfnz(s.e, std::sin(lat0));
    s.n = std::fabs(sp1 - sp2) > kProjEps ? (m1 * m1 - m2 * m2) / (q2 - q1) : sin1;
    s.c = m1 * m1 + s.n * q1;
    // An origin the cone does not reach leaves ρ0 at 0 rather than NaN;
    // points are then still placed correctly relative to each other.
    s.rho0 = s.a * SafeSqrt(s.c - s.n * q0) / s.n;
    s.lon0 = lon0;
    return kProjOk;
}

bool Unset(double sp1, double sp2, double lon0) {
    return sp1 == kUnsetParameter || sp2 == kUnsetParameter || lon0 == kUnsetParameter;
}

}  // namespace

int AlbersForward(double lat0, double sp1, double sp2, double lon0, double lat, double lon,
                  double& easting, double& northing, const Ellipsoid& ell) {
    easting = northing = 0;
    if (Unset(sp1, sp2, lon0)) return kProjOk;
    AlbersSetup s;
    const int err = SetUpAlbers(ell, lat0 * kD2R, sp1 * kD2R, sp2 * kD2R, lon0 * kD2R, s);
    if (err != kProjOk) return err;
    const double q = Qsfnz(s.e, std::sin(lat * kD2R));
    const double r = s.c - s.n * q;
    // Negative only for a latitude beyond the pole the cone can reach.
    if (r < 0) return kProjErrOutOfRange;
    const double rho = s.a * std::sqrt(r) / s.n;
    const double theta = s.n * AdjustLon(lon * kD2R - s.lon0);
    easting = rho * std::sin(theta);
    northing = s.rho0 - rho * std::cos(theta);
    return kProjOk;
}

int AlbersInverse(double lat0, double sp1, double sp2, double lon0, double easting, double northing,
                  double& lat, double& lon, const Ellipsoid& ell) {
    lat = lon = 0;
    if (Unset(sp1, sp2, lon0)) return kProjOk;
    AlbersSetup s;
    int err = SetUpAlbers(ell, lat0 * kD2R, sp1 * kD2R, sp2 * kD2R, lon0 * kD2R, s);
    if (err != kProjOk) return err;
    const double x = easting, y = s.rho0 - northing;
    double rho = std::sqrt(x * x + y * y);
    double sign = 1.0;
    if (s.n < 0) {
        rho = -rho;
        sign = -1.0;
    }
    const double theta = rho != 0 ? std::atan2(sign * x, sign * y) : 0.0;
    const double k = rho * s.n / s.a;
    const double q = (s.c - k * k) / s.n;
    double phi;
    // q of a pole: the Newton steps of Phi1z divide by cos φ there.
    const double qPole =
        s.e >= kProjEps ? 1 - 0.5 * (1 - s.e * s.e) * std::log((1 - s.e) / (1 + s.e)) / s.e : 2.0;
    if (std::fabs(std::fabs(qPole) - std::fabs(q)) > kProjEps) {
        std::optional<double> p = Phi1z(s.e, q, &err);
        if (!p) return kProjErrNoConvergence;
        phi = *p;
    } else {
        phi = q >= 0 ? kHalfPi : -kHalfPi;
    }
    lat = phi / kD2R;
    lon = AdjustLon(theta / s.n + s.lon0) / kD2R;
    return err;
}

}  // namespace mw
