// Mercator on the ellipsoid, central meridian 0, true scale at the equator.
#include <cmath>

#include "proj/families.h"
#include "proj/proj_math.h"
#include "proj/projection.h"

namespace mw {

int MercatorForward(double lat, double lon, double& easting, double& northing,
                    const Ellipsoid& ell) {
    const double phi = lat * kD2R;
    // The poles lie at infinity.
    if (!(std::fabs(std::fabs(phi) - kHalfPi) > kProjEps) || std::fabs(phi) > kHalfPi)
        return kProjErrOutOfRange;
    const double e = std::sqrt(ell.e2);
    easting = ell.a * (lon * kD2R - 0.0);
    northing = -ell.a * std::log(Tsfnz(e, phi, std::sin(phi)));
    return kProjOk;
}

int MercatorInverse(double easting, double northing, double& lat, double& lon,
                    const Ellipsoid& ell) {
    const double e = std::sqrt(ell.e2);
    std::optional<double> phi = Phi2z(e, std::exp(-northing / ell.a));
    if (!phi) {
        lat = lon = 0;
        return kProjErrNoConvergence;
    }
    lat = *phi / kD2R;
    lon = easting / ell.a / kD2R;
    return kProjOk;
}

}  // namespace mw
