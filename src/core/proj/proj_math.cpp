#include "proj/proj_math.h"

#include <cmath>

#include "proj/projection.h"

namespace mw {

namespace {
// Arguments this far beyond 1 are rounding, not a wrong parameter.
constexpr double kDomainSlack = 1.00000000000001;
}  // namespace

double SafeAsin(double x, int* projectionError) {
    if (std::fabs(x) >= 1) {
        if (std::fabs(x) > kDomainSlack && projectionError) *projectionError = kProjErrDomain;
        return x >= 0 ? kHalfPi : -kHalfPi;
    }
    return std::asin(x);
}

double SafeAcos(double x, int* projectionError) {
    if (std::fabs(x) >= 1) {
        if (std::fabs(x) > kDomainSlack && projectionError) *projectionError = kProjErrDomain;
        return x >= 0 ? 0.0 : kPi;
    }
    return std::acos(x);
}

double SafeSqrt(double x) { return x <= 0 ? 0.0 : std::sqrt(x); }

double SafeAtan2(double y, double x) {
    if (std::fabs(y) < 1e-50 && std::fabs(x) < 1e-50) return 0;
    return std::atan2(y, x);
}

double Msfnz(double e, double sinphi, double cosphi) {
    const double con = e * sinphi;
    return cosphi / std::sqrt(1.0 - con * con);
}

double Qsfnz(double e, double sinphi) {
    if (e > 1.0e-7) {
        const double con = e * sinphi;
        return (1.0 - e * e) *
               (sinphi / (1.0 - con * con) - (0.5 / e) * std::log((1.0 - con) / (1.0 + con)));
    }
    return 2.0 * sinphi;
}

double Tsfnz(double e, double phi, double sinphi) {
    const double con = e * sinphi;
    return std::tan(0.5 * (kHalfPi - phi)) / std::pow((1.0 - con) / (1.0 + con), 0.5 * e);
}

std::optional<double> Phi2z(double e, double ts) {
    const double eccnth = 0.5 * e;
    double phi = kHalfPi - 2 * std::atan(ts);
    for (int i = 0; i < 15; ++i) {
        const double con = e * std::sin(phi);
        const double dphi =
            kHalfPi - 2 * std::atan(ts * std::pow((1.0 - con) / (1.0 + con), eccnth)) - phi;
        phi += dphi;
        if (std::fabs(dphi) <= 1e-10) return phi;
    }
    return std::nullopt;
}

std::optional<double> Phi1z(double e, double qs, int* projectionError) {
    double phi = SafeAsin(0.5 * qs, projectionError);
    if (e < kProjEps) return phi;
    const double e2 = e * e;
    for (int i = 0; i < 25; ++i) {
        const double sinphi = std::sin(phi), cosphi = std::cos(phi);
        const double con = e * sinphi;
        const double com = 1.0 - con * con;
        const double dphi =
            0.5 * com * com / cosphi *
            (qs / (1.0 - e2) - sinphi / com + 0.5 / e * std::log((1.0 - con) / (1.0 + con)));
        phi += dphi;
        if (std::fabs(dphi) <= 1e-7) return phi;
    }
    return std::nullopt;
}

MeridionalSeries MakeMeridionalSeries(double es) {
    constexpr double C00 = 1.0, C02 = 0.25, C04 = 0.046875, C06 = 0.01953125,
                     C08 = 0.01068115234375, C22 = 0.75, C44 = 0.46875, C46 = 0.013020833333333334,
                     C48 = 0.007120768229166667, C66 = 0.3645833333333333,
                     C68 = 0.005696614583333333, C88 = 0.3076171875;
    MeridionalSeries en;
    en.en0 = C00 - es * (C02 + es * (C04 + es * (C06 + es * C08)));
    en.en1 = es * (C22 - es * (C04 + es * (C06 + es * C08)));
    double t = es * es;
    en.en2 = t * (C44 - es * (C46 + es * C48));
    t *= es;
    en.en3 = t * (C66 - es * C68);
    en.en4 = t * es * C88;
    return en;
}

double MeridionalLength(const MeridionalSeries& en, double phi) {
    const double s = std::sin(phi), c = std::cos(phi);
    const double s2 = s * s;
    return en.en0 * phi - s * c * (en.en1 + s2 * (en.en2 + s2 * (en.en3 + s2 * en.en4)));
}

double InverseMeridional(const MeridionalSeries& en, double e2, double ml) {
    const double k = 1.0 / (1.0 - e2);
    double phi = ml;
    for (int i = 0; i < 10; ++i) {
        const double s = std::sin(phi);
        double t = 1.0 - e2 * s * s;
        const double delta = (MeridionalLength(en, phi) - ml) * t * std::sqrt(t) * k;
        phi -= delta;
        if (std::fabs(delta) < 1e-11) break;
    }
    return phi;
}

double AdjustLon(double x) {
    constexpr double kTwoPi = 2 * kPi;
    for (int pass = 0; pass < 5; ++pass) {
        if (std::fabs(x) <= kPi) break;
        // Whole turns by truncation; a value far out takes more than one pass
        // because the turn count is limited to what a long can hold exactly.
        const double turns = std::trunc(x / kTwoPi);
        if (turns != 0)
            x -= turns * kTwoPi;
        else
            x -= std::copysign(kTwoPi, x);
        if (std::fabs(x) > kPi) x -= std::copysign(kTwoPi, x);
    }
    return x;
}

}  // namespace mw
