// New Zealand Map Grid: a conformal complex polynomial of the International
// 1924 ellipsoid (NZGD49). It takes no datum.
#include <cmath>
#include <complex>

#include "proj/families.h"
#include "proj/proj_math.h"
#include "proj/projection.h"

namespace mw {

namespace {

using Complex = std::complex<double>;

constexpr double kA = 6378388.0;
constexpr double kLat0 = -0.7155849933176751;  // 41° S in radians
constexpr double kLon0 = 173.0;
constexpr double kFalseEasting = 2510000.0;
constexpr double kFalseNorthing = 6023150.0;
// Radians to units of 100000 seconds of arc and back.
constexpr double kRadTo1e5Sec = 2.0626480624709638;
constexpr double k1e5SecToRad = 0.484813681109536;

constexpr double kA_[10] = {0.6399175073, -0.1358797613, 0.063294409, -0.02526853, 0.0117879,
                            -0.0055161,   0.0026906,     -0.001333,   0.00067,     -0.00034};
const Complex kB[6] = {{0.7557853228, 0.0},        {0.249204646, 0.003371507},
                       {-0.001541739, 0.04105856}, {-0.10162907, 0.01727609},
                       {-0.26623489, -0.36249218}, {-0.6870983, -1.1651967}};
constexpr double kD[9] = {1.5627014243, 0.5185406398, -0.03333098, -0.1052906, -0.0368594,
                          0.007317,     0.0122,       0.00394,     -0.0013};

// Σ B_k z^k and its derivative, by Horner's rule.
Complex Series(const Complex& z) {
    Complex sum = 0;
    for (int k = 5; k >= 0; --k) sum = (sum + kB[k]) * z;
    return sum;
}
Complex SeriesDerivative(const Complex& z) {
    Complex sum = 0;
    for (int k = 5; k >= 0; --k) sum = sum * z + kB[k] * static_cast<double>(k + 1);
    return sum;
}

}  // namespace

int NzmgForward(double lat, double lon, double& easting, double& northing) {
    const double dphi = (lat * kD2R - kLat0) * kRadTo1e5Sec;
    double psi = 0;
    for (int k = 9; k >= 0; --k) psi = (psi + kA_[k]) * dphi;
    const Complex z(psi, (lon - kLon0) * kD2R);
    const Complex zeta = Series(z);
    easting = zeta.imag() * kA + kFalseEasting;
    northing = zeta.real() * kA + kFalseNorthing;
    return kProjOk;
}

int NzmgInverse(double easting, double northing, double& lat, double& lon) {
    const Complex zeta((northing - kFalseNorthing) / kA, (easting - kFalseEasting) / kA);
    Complex z = zeta;
    for (int i = 0; i < 20; ++i) {
        const Complex delta = (Series(z) - zeta) / SeriesDerivative(z);
        z -= delta;
        if (std::fabs(delta.real()) + std::fabs(delta.imag()) <= kProjEps) {
            double dphi = 0;
            for (int k = 8; k >= 0; --k) dphi = (dphi + kD[k]) * z.real();
            lat = (kLat0 + dphi * k1e5SecToRad) / kD2R;
            lon = kLon0 + z.imag() * kR2D;
            return kProjOk;
        }
    }
    lat = lon = 0;
    return kProjErrNoConvergence;
}

}  // namespace mw
