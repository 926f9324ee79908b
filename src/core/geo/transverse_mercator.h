// The one Transverse Mercator core that UTM, the national grids, the grid
// references and the user's own Transverse Mercator maps are built on.
//
// A closed-form series (no iteration): the forward direction carries terms
// to A⁶, the inverse a footpoint latitude from a four-term series. Within
// about 3° of the central meridian forward and inverse agree to well under a
// millimetre and the series matches an exact Transverse Mercator to a few
// millimetres; the error grows quickly beyond 10°. No test is made on the
// distance from the central meridian.
#pragma once

#include "geo/datums.h"

namespace mw {

// Distance along the meridian from the equator to latitude `phi` (radians)
// on an ellipsoid of squared eccentricity `e2` and semi-major axis `a`
// (metres). Exactly 0 at phi = 0.
double MeridionalDistance(double phi, double e2, double a);

// Transverse Mercator without false origin: latitude/longitude in degrees to
// easting/northing in metres, origin (lat0, lon0) in degrees, scale k0.
void TmForward(double lat, double lon, double lat0, double lon0, double k0, double& easting,
               double& northing, const Ellipsoid& ellipsoid);
// Inverse of TmForward for the same origin and scale.
void TmInverse(double easting, double northing, double lat0, double lon0, double k0, double& lat,
               double& lon, const Ellipsoid& ellipsoid);

// The same on the ellipsoid of datum `datum` of the table (looked up on
// every call).
void TmForward(double lat, double lon, double lat0, double lon0, double k0, double& easting,
               double& northing, const DatumTable& datums, int datum);
void TmInverse(double easting, double northing, double lat0, double lon0, double k0, double& lat,
               double& lon, const DatumTable& datums, int datum);

}  // namespace mw
