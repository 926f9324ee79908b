// Van der Grinten (I), on a sphere of the datum's semi-major axis.
#include <cmath>

#include "proj/families.h"
#include "proj/proj_math.h"
#include "proj/projection.h"

namespace mw {

int VanDerGrintenForward(double lon0, double lat, double lon, double& easting, double& northing,
                         const Ellipsoid& ell) {
    if (lon0 == kUnsetParameter) return kProjOk;
    const double r = ell.a;
    const double phi = lat * kD2R;
    const double lambda = AdjustLon((lon - lon0) * kD2R);
    if (std::fabs(phi) <= kProjEps) {
        easting = r * lambda;
        northing = 0;
        return kProjOk;
    }
    int err = kProjOk;
    const double theta = SafeAsin(2 * std::fabs(phi / kPi), &err);
    if (err != kProjOk) {
        easting = northing = 0;
        return err;
    }
    if (std::fabs(lambda) <= kProjEps || std::fabs(std::fabs(phi) - kHalfPi) <= kProjEps) {
        easting = 0;
        northing = kPi * r * std::tan(0.5 * theta);
        if (phi < 0) northing = -northing;
        return kProjOk;
    }
    const double al = 0.5 * std::fabs(kPi / lambda - lambda / kPi);
    const double asq = al * al;
    const double sinth = std::sin(theta), costh = std::cos(theta);
    const double g = costh / (sinth + costh - 1);
    const double gsq = g * g;
    const double m = g * (2 / sinth - 1);
    const double msq = m * m;
    double c =
        kPi * r *
        (al * (g - msq) + SafeSqrt(asq * (g - msq) * (g - msq) - (msq + asq) * (gsq - msq))) /
        (msq + asq);
    if (lambda < 0) c = -c;
    easting = c;
    const double q = std::fabs(c / (kPi * r));
    northing = kPi * r * SafeSqrt(1 - q * q - 2 * al * q);
    if (phi < 0) northing = -northing;
    return kProjOk;
}

// The algebraic inverse: latitude from the trigonometric solution of the
// cubic the forward equations give, longitude in closed form.
int VanDerGrintenInverse(double lon0, double easting, double northing, double& lat, double& lon,
                         const Ellipsoid& ell) {
    if (lon0 == kUnsetParameter) return kProjOk;
    const double r = ell.a;
    const double xx = easting / (kPi * r), yy = northing / (kPi * r);
    const double xsq = xx * xx, ysq = yy * yy;
    const double xys = xsq + ysq;
    int err = kProjOk;
    double phi;
    if (std::fabs(yy) <= kProjEps) {
        phi = 0;
    } else {
        const double c1 = -std::fabs(yy) * (1 + xys);
        const double c2 = c1 - 2 * ysq + xsq;
        const double c3 = -2 * c1 + 1 + 2 * ysq + xys * xys;
        const double d =
            ysq / c3 + (2 * c2 * c2 * c2 / (c3 * c3 * c3) - 9 * c1 * c2 / (c3 * c3)) / 27;
        const double a1 = (c1 - c2 * c2 / (3 * c3)) / c3;
        const double m1 = 2 * SafeSqrt(-a1 / 3);
        if (m1 == 0) {
            lat = lon = 0;
            return kProjErrOutOfRange;
        }
        const double th1 = SafeAcos(3 * d / (a1 * m1), &err) / 3;
        phi = kPi * (-m1 * std::cos(th1 + kPi / 3) - c2 / (3 * c3));
        if (yy < 0) phi = -phi;
    }
    double lambda = 0;
    if (std::fabs(xx) > kProjEps) {
        lambda = kPi * (xys - 1 + SafeSqrt(1 + 2 * (xsq - ysq) + xys * xys)) / (2 * xx);
    }
    if (err != kProjOk || std::fabs(phi) > kHalfPi + kProjEps ||
        std::fabs(lambda) > kPi + kProjEps) {
        // Outside the circle that bounds the map.
        lat = lon = 0;
        return err != kProjOk ? err : kProjErrOutOfRange;
    }
    lat = phi / kD2R;
    lon = AdjustLon(lambda + lon0 * kD2R) / kD2R;
    return kProjOk;
}

}  // namespace mw
