// Lambert conformal conic with one or two standard parallels, and the four
// French Lambert zones built on it (NTF datum, Clarke 1880 IGN ellipsoid).
#include <cmath>

#include "geo/datum_convert.h"
#include "proj/families.h"
#include "proj/proj_math.h"
#include "proj/projection.h"

namespace mw {

namespace {

struct LambertSetup {
    double a, e, n, f, rho0, lon0, fe, fn;
};

// The cone of the two parallels (radians). Error 41 for parallels
// symmetric about the equator, where no cone exists.
int SetUpLambert(const Ellipsoid& ell, double sp1, double sp2, double lon0, double lat0, double fe,
                 double fn, LambertSetup& s) {
    if (std::fabs(sp1 + sp2) < kProjEps) return kProjErrLambertParallels;
    const double ratio = ell.b / ell.a;
    s.a = ell.a;
    s.e = std::sqrt(1.0 - ratio * ratio);
    const double sin1 = std::sin(sp1), cos1 = std::cos(sp1);
    const double m1 = Msfnz(s.e, sin1, cos1);
    const double t1 = Tsfnz(s.e, sp1, sin1);
    const double sin2 = std::sin(sp2), cos2 = std::cos(sp2);
    const double m2 = Msfnz(s.e, sin2, cos2);
    const double t2 = Tsfnz(s.e, sp2, sin2);
    const double t0 = Tsfnz(s.e, lat0, std::sin(lat0));
    s.n = std::fabs(sp1 - sp2) > kProjEps ? std::log(m1 / m2) / std::log(t1 / t2) : sin1;
    s.f = m1 / (s.n * std::pow(t1, s.n));
    s.rho0 = s.a * s.f * std::pow(t0, s.n);
    s.lon0 = lon0;
    s.fe = fe;
    s.fn = fn;
    return kProjOk;
}

bool Unset(double sp1, double sp2, double lon0) {
    return sp1 == kUnsetParameter || sp2 == kUnsetParameter || lon0 == kUnsetParameter;
}

struct FrenchZone {
    double sp1, sp2, lat0, fe, fn;
};
constexpr double kFrenchLon0 = 2.33722917;  // the Paris meridian
constexpr FrenchZone kFrenchZones[4] = {
    {48.5985228, 50.3959117, 49.5, 600000.0, 1200000.0},
    {45.8989244, 47.6960144, 46.8, 600000.0, 2200000.0},
    {43.1992914, 44.9960939, 44.1, 600000.0, 3200000.0},
    {41.5603877, 42.7676633, 42.165, 234.358, 4185861.369},
};

}  // namespace

int LambertForward(double sp1, double sp2, double lon0, double lat0, double fe, double fn,
                   double lat, double lon, double& easting, double& northing,
                   const Ellipsoid& ell) {
    if (Unset(sp1, sp2, lon0)) return kProjOk;
    LambertSetup s;
    int err = SetUpLambert(ell, sp1 * kD2R, sp2 * kD2R, lon0 * kD2R, lat0 * kD2R, fe, fn, s);
    if (err != kProjOk) return err;
    const double phi = lat * kD2R, lambda = lon * kD2R;
    double rho;
    if (std::fabs(std::fabs(phi) - kHalfPi) > kProjEps) {
        rho = s.a * s.f * std::pow(Tsfnz(s.e, phi, std::sin(phi)), s.n);
    } else {
        if (phi * s.n <= 0) {
            easting = northing = 0;
            return kProjErrLambertPole;
        }
        rho = 0;
    }
    const double theta = s.n * AdjustLon(lambda - s.lon0);
    easting = rho * std::sin(theta) + s.fe;
    northing = s.rho0 - rho * std::cos(theta) + s.fn;
    return kProjOk;
}

int LambertInverse(double sp1, double sp2, double lon0, double lat0, double fe, double fn,
                   double easting, double northing, double& lat, double& lon,
                   const Ellipsoid& ell) {
    if (Unset(sp1, sp2, lon0)) return kProjOk;
    LambertSetup s;
    int err = SetUpLambert(ell, sp1 * kD2R, sp2 * kD2R, lon0 * kD2R, lat0 * kD2R, fe, fn, s);
    if (err != kProjOk) return err;
    const double x = easting - s.fe;
    const double y = s.rho0 - northing + s.fn;
    double rho, sign;
    if (s.n > 0) {
        rho = std::sqrt(x * x + y * y);
        sign = 1.0;
    } else {
        rho = -std::sqrt(x * x + y * y);
        sign = -1.0;
    }
    const double theta = rho != 0 ? std::atan2(sign * x, sign * y) : 0.0;
    double phi;
    if (rho != 0 || s.n > 0) {
        std::optional<double> p = Phi2z(s.e, std::pow(rho / (s.a * s.f), 1.0 / s.n));
        if (!p) {
            lat = lon = 0;
            return kProjErrNoConvergence;
        }
        phi = *p;
    } else {
        phi = -kHalfPi;
    }
    lat = phi / kD2R;
    lon = AdjustLon(theta / s.n + s.lon0) / kD2R;
    return kProjOk;
}

int FrenchLambertForward(int zone, double lat, double lon, double& easting, double& northing,
                         const DatumTable& datums, int datum) {
    if (zone < 1 || zone > 4) return kProjErrOutOfRange;
    const FrenchZone& z = kFrenchZones[zone - 1];
    double ntfLat = lat, ntfLon = lon;
    ConvertDatum(datums, datum, kDatumNtfFrance, ntfLat, ntfLon);
    double e = 0, n = 0;
    const int err = LambertForward(z.sp1, z.sp2, kFrenchLon0, z.lat0, 0, 0, ntfLat, ntfLon, e, n,
                                   GetDatumEllipsoid(datums, kDatumNtfFrance));
    easting = e + z.fe;
    northing = n + z.fn;
    return err;
}

int FrenchLambertInverse(int zone, double easting, double northing, double& lat, double& lon,
                         const DatumTable& datums, int datum) {
    if (zone < 1 || zone > 4) return kProjErrOutOfRange;
    const FrenchZone& z = kFrenchZones[zone - 1];
    double ntfLat = 0, ntfLon = 0;
    const int err =
        LambertInverse(z.sp1, z.sp2, kFrenchLon0, z.lat0, 0, 0, easting - z.fe, northing - z.fn,
                       ntfLat, ntfLon, GetDatumEllipsoid(datums, kDatumNtfFrance));
    if (err != kProjOk && err != kProjErrDomain) {
        lat = lon = 0;
        return err;
    }
    ConvertDatum(datums, kDatumNtfFrance, datum, ntfLat, ntfLon);
    lat = ntfLat;
    lon = ntfLon;
    return err;
}

}  // namespace mw
