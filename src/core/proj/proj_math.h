// Numeric guards and small helpers shared by the projection routines.
// Angles in radians throughout.
#pragma once

#include <optional>

namespace mw {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kHalfPi = 1.5707963267948966;
inline constexpr double kQuarterPi = 0.7853981633974483;
inline constexpr double kD2R = 0.017453292519943295;
inline constexpr double kR2D = 57.29577951308232;
inline constexpr double kProjEps = 1e-10;  // the general tolerance of the projections

// asin with its argument clamped to [-1, 1]. An argument beyond 1 by more
// than 1e-14 (not mere rounding) sets *projectionError to -19 when the
// pointer is given; the clamped result is returned either way.
double SafeAsin(double x, int* projectionError = nullptr);
// acos with the same clamp and error rule.
double SafeAcos(double x, int* projectionError = nullptr);
// 0 for x <= 0, else √x.
double SafeSqrt(double x);
// 0 when both |y| and |x| are below 1e-50, else atan2(y, x).
double SafeAtan2(double y, double x);

// cos φ / √(1 − e²·sin²φ).
double Msfnz(double e, double sinphi, double cosphi);
// The authalic q function; 2·sinφ when e ≤ 1e-7.
double Qsfnz(double e, double sinphi);
// tan(½(π/2 − φ)) / ((1 − e·sinφ)/(1 + e·sinφ))^(e/2).
double Tsfnz(double e, double phi, double sinphi);
// Latitude from the isometric quantity ts (inverse of Tsfnz) by fixed-point
// iteration to 1e-10, at most 15 rounds; nullopt when it does not converge.
std::optional<double> Phi2z(double e, double ts);
// Latitude from the authalic q (inverse of Qsfnz) by Newton steps to 1e-7,
// at most 25; nullopt when it does not converge. `projectionError` as for
// SafeAsin.
std::optional<double> Phi1z(double e, double qs, int* projectionError = nullptr);

// Coefficients of the five-term meridional series on a unit semi-major axis.
struct MeridionalSeries {
    double en0, en1, en2, en3, en4;
};
MeridionalSeries MakeMeridionalSeries(double e2);
// Meridional distance on a unit semi-major axis from the five-term series.
double MeridionalLength(const MeridionalSeries& en, double phi);
// The latitude whose MeridionalLength is `ml`, by at most 10 Newton steps
// (to 1e-11); the last value is returned whether or not it converged, which
// near the poles is within 1e-9 rad of the answer.
double InverseMeridional(const MeridionalSeries& en, double e2, double ml);

// A longitude difference brought into [−π, π] by whole turns (π itself stays
// π); at most five passes, so a non-finite or absurd value comes back
// unreduced rather than looping.
double AdjustLon(double x);

}  // namespace mw
